// The chart window as the user reaches it, with "Barème…" in the main window:
// its rows against the chart program's, its printed pages, a close during a
// computation, and the sentence that replaces a chart that cannot be.
#include <sys/stat.h>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "chart/chart_page.h"
#include "chart/report_writer.h"
#include "chart/tank_chart.h"
#include "chart_window_driver.h"
#include "controls.h"
#include "file_contents.h"
#include "start_up_tank.h"
#include "ui/chart_window.h"
#include "ui/volumes.h"

using varnelle::ChartWindow;
using varnelle::testing::findControl;

using varnelle::testing::chartTimeoutMs;

class ChartWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<varnelle::Volumes> window;

    void setField(const char* name, const QString& text) {
        varnelle::testing::setMainField(window.get(), name, text);
    }

    ChartWindow* openChart() {
        return qobject_cast<ChartWindow*>(varnelle::testing::openChartWindow(window.get()));
    }

    static QTableView* table(ChartWindow* chart) { return varnelle::testing::chartTable(chart); }

    static void setStep(ChartWindow* chart, const QString& step) {
        varnelle::testing::setChartStep(chart, step);
    }

  private slots:
    void init() {
        window = std::make_unique<varnelle::Volumes>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        varnelle::testing::settle();
        QVERIFY(varnelle::testing::topLevelWindows("ChartWindow").isEmpty());
    }

    // Each row shows the chart program's texts and holds its values to the
    // last bit; the row of the oil height is the one selected.
    void rowsAreTheChartProgramsOnes() {
        ChartWindow* chart = openChart();
        QVERIFY(chart);
        QTableView* view = table(chart);
        QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount() > 0, chartTimeoutMs);

        const varnelle::Chart expected =
            varnelle::computeChart(varnelle::startUpTank(varnelle::EndShape::FlatEnds), 10);
        const varnelle::OutputConventions shown = varnelle::conventionsForPeople(QLocale());
        QCOMPARE(view->model()->rowCount(), static_cast<int>(expected.lines.size()));
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const varnelle::ChartLine& line = expected.lines[static_cast<std::size_t>(row)];
            const QStringList cells = varnelle::chartLineCells(line, shown);
            const double values[] = {line.height, line.height / 10, line.totalLitres,
                                     line.availableLitres};
            for (int column = 0; column < 4; ++column) {
                const QModelIndex index = view->model()->index(row, column);
                QCOMPARE(index.data(Qt::DisplayRole).toString(), cells[column]);
                QCOMPARE(index.data(Qt::UserRole).toDouble(), values[column]);
            }
        }
        const QModelIndexList selected = view->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().data(Qt::UserRole).toDouble(), 300.0);
    }

    // Ctrl+C gives the selected rows as tab-separated lines under the titles;
    // the CSV file holds the chart program's CSV.
    void copiesRowsAndSavesCsv() {
        ChartWindow* chart = openChart();
        QVERIFY(chart);
        QTableView* view = table(chart);
        QTRY_VERIFY_WITH_TIMEOUT(view->model()->rowCount() > 0, chartTimeoutMs);
        view->selectRow(2);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        const QStringList copied = QApplication::clipboard()->text().split('\n');
        QCOMPARE(copied.value(0), QStringLiteral("Hauteur (mm)\tHauteur (cm)\tVolume total "
                                                 "(litres)\tDisponible (litres)"));
        QCOMPARE(copied.value(1).split('\t').value(0), QStringLiteral("20"));

        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("bareme.csv"));
        QVERIFY(!chart->saveCsv(path));
        const varnelle::Chart expected =
            varnelle::computeChart(varnelle::startUpTank(varnelle::EndShape::FlatEnds), 10);
        QCOMPARE(QString::fromUtf8(varnelle::contentsOf(path)),
                 varnelle::chartCsv(expected, varnelle::conventionsFor(QLocale())));

        // A pipe is never replaced by the CSV.
        const QString pipe = folder.filePath(QStringLiteral("tube"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(chart->saveCsv(pipe));
        QVERIFY(QFileInfo::exists(pipe) && !QFileInfo(pipe).isFile());
    }

    void printsEveryPage_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("firstPage");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<QByteArray>("mediaBox");  // in points, as the PDF gives it
        const QByteArray a4 = "/MediaBox [0 0 595.000000 842.000000]";
        QTest::newRow("centimetres")
            << "10" << 101 << 0 << 0 << QPageSize::A4 << QPageLayout::Portrait << a4;
        QTest::newRow("millimetres")
            << "1" << 1001 << 0 << 0 << QPageSize::A4 << QPageLayout::Portrait << a4;
        QTest::newRow("pages 2 to 3 of the millimetres")
            << "1" << 1001 << 2 << 3 << QPageSize::A4 << QPageLayout::Portrait << a4;
        QTest::newRow("US Letter landscape")
            << "1" << 1001 << 0 << 0 << QPageSize::Letter << QPageLayout::Landscape
            << QByteArray("/MediaBox [0 0 792.000000 612.000000]");
        QTest::newRow("A4 landscape")
            << "10" << 101 << 0 << 0 << QPageSize::A4 << QPageLayout::Landscape
            << QByteArray("/MediaBox [0 0 842.000000 595.000000]");
    }

    // Printed to a PDF printer, the chart has the pages its lines need on
    // the paper chosen in the print dialog, in its orientation, or the pages
    // chosen there.
    void printsEveryPage() {
        QFETCH(QString, step);
        QFETCH(int, lines);
        QFETCH(int, firstPage);
        QFETCH(int, lastPage);
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(QByteArray, mediaBox);
        ChartWindow* chart = openChart();
        QVERIFY(chart);
        setStep(chart, step);
        QTRY_COMPARE_WITH_TIMEOUT(table(chart)->model()->rowCount(), lines, chartTimeoutMs);

        QTemporaryDir folder;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("bareme.pdf")));
        printer.setPageSize(QPageSize(paper));
        printer.setPageOrientation(orientation);
        if (firstPage > 0) {
            printer.setFromTo(firstPage, lastPage);
        }
        QVERIFY(chart->printChart(printer));
        const QByteArray pdf = varnelle::contentsOf(printer.outputFileName());
        QCOMPARE(varnelle::pdfPageCount(pdf),
                 firstPage > 0
                     ? lastPage - firstPage + 1
                     : varnelle::chartPageCount(static_cast<std::size_t>(lines),
                                                varnelle::chartPaper(printer.pageLayout())));
        QVERIFY(pdf.contains(mediaBox));
    }

    // A chart long to compute, and the look-ups at a high precision, stop
    // when a new step is chosen and when their window closes, which leaves no
    // work behind it; closing the main window closes the chart window.
    void closingDuringAComputationIsSafe() {
        setField("Text1", QStringLiteral("3000"));
        // Flat ends need no integral: caps make the chart take a while, some
        // seconds of work on every core for the 1 mm chart at this precision.
        varnelle::testing::clickControl(findControl(window.get(), QStringLiteral("Option1_2")));
        findControl<QComboBox>(window.get(), QStringLiteral("Combo1"))
            ->setEditText(QStringLiteral("333"));
        ChartWindow* chart = openChart();
        QVERIFY(chart);
        QVERIFY(varnelle::testing::waitForChartLines(chart, 301));
        setStep(chart, QStringLiteral("2"));
        setStep(chart, QStringLiteral("1"));
        QVERIFY(chart->isComputing());
        // Kept until the computations are seen to stop.
        chart->setAttribute(Qt::WA_DeleteOnClose, false);
        chart->close();
        // Far less than the work left, far more than one end integral.
        QTRY_VERIFY_WITH_TIMEOUT(!chart->isComputing(), 1000);
        delete chart;
        QVERIFY(varnelle::testing::topLevelWindows("ChartWindow").isEmpty());

        QVERIFY(openChart());
        window->close();
        varnelle::testing::settle();
        QVERIFY(varnelle::testing::topLevelWindows("ChartWindow").isEmpty());
    }

    void refusedTankShowsItsSentence_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("named");
        QTest::newRow("zero diameter") << "Text1"
                                       << "0"
                                       << "10"
                                       << "Diamètre";
        QTest::newRow("strainer above the tank") << "Text4"
                                                 << "1200"
                                                 << "10"
                                                 << "crépine";
    }

    void refusedTankShowsItsSentence() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, step);
        QFETCH(QString, named);
        setField(qPrintable(field), value);
        ChartWindow* chart = openChart();
        QVERIFY(chart);
        setStep(chart, step);
        const auto* message = findControl<QLabel>(chart, QStringLiteral("chartMessage"));
        QTRY_VERIFY(message->isVisible());
        QVERIFY2(message->text().contains(named), qPrintable(message->text()));
        QVERIFY(!message->text().contains(QStringLiteral("nan"), Qt::CaseInsensitive));
        QVERIFY(!findControl(chart, QStringLiteral("chartCurve"))->isVisible());
        QVERIFY(!table(chart)->isVisible());
        QVERIFY(!findControl(chart, QStringLiteral("printButton"))->isEnabled());
    }
};

QTEST_MAIN(ChartWindowTest)
#include "chart_window_test.moc"
