// The carnet's plot as the window, the PDF and the printer get it: spans from
// one reading to ten years of hourly ones, the page at several resolutions,
// the sentence of an empty carnet, and what a screen reader is told.
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "chart/chart_numbers.h"
#include "file_contents.h"
#include "ui/logbook_plot.h"

using namespace varnelle;

Q_DECLARE_METATYPE(LogbookPlotData)

namespace {

constexpr double capacity = 3000;
constexpr double millimetresPerInch = 25.4;

QDateTime utc(int year, int month, int day, int hour = 12) {
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

OutputConventions french() {
    return conventionsForPeople(QLocale(QLocale::French, QLocale::France));
}

// A tank of 3 000 litres, reserve 600, strainer 150, shown over the 2026-2027 season.
LogbookPlotData seasonFrame() {
    LogbookPlotData data;
    data.capacity = capacity;
    data.reserveLitres = 600;
    data.strainerLitres = 150;
    data.from = utc(2026, 7, 1, 0);
    data.to = utc(2027, 6, 30, 23);
    return data;
}

// From 2 400 litres on 1 July to 1 350 on 30 November, one reading a week,
// with a delivery and the order date forecast.
LogbookPlotData season() {
    LogbookPlotData data = seasonFrame();
    const QDateTime first = utc(2026, 7, 1);
    const QDateTime last = utc(2026, 11, 30);
    const qint64 days = first.daysTo(last);
    for (qint64 day = 0; day <= days; day += 7) {
        const double litres = 2400 - 1050.0 * static_cast<double>(day) / static_cast<double>(days);
        data.readings.push_back({first.addDays(day), 1000, litres});
    }
    data.readings.push_back({last, 900, 1350});
    data.deliveries = {utc(2026, 9, 15)};
    Forecast forecast;
    forecast.orderTime = utc(2026, 12, 5);
    forecast.reserveTime = utc(2026, 12, 15);
    forecast.strainerTime = utc(2027, 1, 10);
    forecast.litresToOrder = 1800;
    data.forecast = forecast;
    data.months = {{2025, 11, 310}, {2025, 12, 400}, {2026, 7, 120}, {2026, 8, 110},
                   {2026, 9, 180},  {2026, 10, 260}, {2026, 11, 380}};
    return data;
}

// A reading every hour for ten years, falling and filled again every season,
// shown whole.
LogbookPlotData tenYearsHourly() {
    LogbookPlotData data = seasonFrame();
    const QDateTime first = utc(2016, 7, 1, 0);
    const int hours = 10 * 8766;
    data.readings.reserve(static_cast<std::size_t>(hours));
    for (int hour = 0; hour < hours; ++hour) {
        const double inSeason = std::fmod(hour / 8766.0, 1.0);
        data.readings.push_back({first.addSecs(3600LL * hour), 1000, 2800 - 2000 * inSeason});
    }
    data.from = first;
    data.to = data.readings.back().time;
    return data;
}

QImage render(const LogbookPlotData& data, const QSize& size = QSize(900, 560), double dpi = 96) {
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMetre = qRound(dpi / millimetresPerInch * 1000);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintLogbookPlot(painter, QRectF(QPointF(0, 0), QSizeF(size)), data, french());
    painter.end();
    return image;
}

// The share of the pixels in `rows` (fractions of the height) that are not white.
double inkShare(const QImage& image, double fromRow = 0, double toRow = 1) {
    const int top = static_cast<int>(image.height() * fromRow);
    const int bottom = static_cast<int>(image.height() * toRow);
    qint64 inked = 0;
    for (int y = top; y < bottom; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            inked += qGray(line[x]) < 200 ? 1 : 0;
        }
    }
    return static_cast<double>(inked) /
           static_cast<double>(image.width() * std::max(bottom - top, 1));
}

// A sentence as the program writes it for people: "_" stands for the no-break
// space between thousands.
QString people(const char* text) {
    QString sentence = QString::fromUtf8(text);
    sentence.replace(QLatin1Char('_'), QChar(0x00A0));
    return sentence;
}

bool bluish(QRgb pixel) {
    return qBlue(pixel) > qRed(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 30;
}

// The highest row where the readings' line (blue) is drawn in the curve's part
// of the picture, its upper 60 %; -1 when none.
int highestBlueRow(const QImage& image) {
    for (int y = 0; y < image.height() * 6 / 10; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (bluish(image.pixel(x, y))) {
                return y;
            }
        }
    }
    return -1;
}

// The bytes a painter is asked to draw: what grows when points are not decimated.
qint64 recordedBytes(const LogbookPlotData& data) {
    QPicture picture;
    QPainter painter(&picture);
    paintLogbookPlot(painter, QRectF(0, 0, 900, 560), data, french());
    painter.end();
    return picture.size();
}

QString printedPdf(const QString& path, int dpi, const QStringList& lines,
                   const LogbookPlotData& data, bool* printed) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(dpi);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    *printed = printLogbookPage(printer, lines, data, french());
    return path;
}

}  // namespace

class LogbookPlotTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void paintsEverySpan_data() {
        QTest::addColumn<LogbookPlotData>("data");
        LogbookPlotData one = seasonFrame();
        one.readings = {{utc(2026, 10, 3), 1000, 1800}};
        QTest::newRow("one reading") << one;
        LogbookPlotData sameDay = seasonFrame();
        sameDay.readings = {{utc(2026, 10, 3, 8), 1000, 1800}, {utc(2026, 10, 3, 18), 990, 1790}};
        QTest::newRow("two readings the same day") << sameDay;
        LogbookPlotData sameInstantNoSpan = sameDay;
        sameInstantNoSpan.readings[1].time = sameInstantNoSpan.readings[0].time;
        sameInstantNoSpan.from = sameInstantNoSpan.to = QDateTime();
        QTest::newRow("two readings at one instant, no span") << sameInstantNoSpan;
        QTest::newRow("a season") << season();
        QTest::newRow("ten years hourly") << tenYearsHourly();
        LogbookPlotData reversed = season();
        std::swap(reversed.from, reversed.to);
        QTest::newRow("span reversed") << reversed;
        LogbookPlotData noTank = season();
        noTank.capacity = noTank.reserveLitres = noTank.strainerLitres = 0;
        QTest::newRow("no capacity") << noTank;
        LogbookPlotData overfull = season();
        overfull.readings.front().litres = 2 * capacity;
        QTest::newRow("a reading above the capacity") << overfull;
        LogbookPlotData past = season();
        past.forecast->orderTime = utc(2026, 11, 1);
        past.forecast->reserveTime = utc(2026, 11, 10);
        QTest::newRow("order date already past") << past;
        LogbookPlotData broken = season();
        broken.readings[3].litres = std::nan("");
        broken.deliveries.push_back(QDateTime());
        QTest::newRow("a reading without litres, a delivery without time") << broken;
    }

    // Whatever the span, the curve and the bars are drawn, and no more is
    // handed to the painter for ten years of hourly readings than the frame
    // has columns for.
    void paintsEverySpan() {
        QFETCH(LogbookPlotData, data);
        const QImage image = render(data);
        QVERIFY(highestBlueRow(image) >= 0);
        QVERIFY(inkShare(image, 0.65, 1) > 0.005);  // the bars' frame and months
        QVERIFY2(recordedBytes(data) < 400 * 1024,
                 qPrintable(QString::number(recordedBytes(data))));
    }

    // The line keeps the highest reading of a column: one hour at the top in
    // ten years of readings still reaches the top of the picture.
    void keepsALoneHighReading() {
        LogbookPlotData flat = tenYearsHourly();
        for (LitresReading& reading : flat.readings) {
            reading.litres = 1000;
        }
        LogbookPlotData spike = flat;
        spike.readings[spike.readings.size() / 2 + 7].litres = capacity;
        const int flatRow = highestBlueRow(render(flat));
        const int spikeRow = highestBlueRow(render(spike));
        QVERIFY(flatRow >= 0);
        QVERIFY2(spikeRow >= 0 && spikeRow < flatRow - 100,
                 qPrintable(QStringLiteral("%1 against %2").arg(spikeRow).arg(flatRow)));
    }

    void keepsItsLooksAtAnyResolution_data() {
        QTest::addColumn<double>("dpi");
        QTest::newRow("150 dpi") << 150.0;
        QTest::newRow("300 dpi") << 300.0;
        QTest::newRow("600 dpi") << 600.0;
    }

    // The same 24 x 15 cm picture at a printer's resolution inks about the
    // share of the paper the screen's does: lines, words and marks keep their size.
    void keepsItsLooksAtAnyResolution() {
        QFETCH(double, dpi);
        const QSizeF sizeMm(240, 150);
        const auto pixels = [&sizeMm](double dotsPerInch) {
            return QSize(qRound(sizeMm.width() * dotsPerInch / millimetresPerInch),
                         qRound(sizeMm.height() * dotsPerInch / millimetresPerInch));
        };
        const double screen = inkShare(render(season(), pixels(96), 96));
        const double printer = inkShare(render(season(), pixels(dpi), dpi));
        QVERIFY2(printer > screen * 0.5 && printer < screen * 2,
                 qPrintable(QStringLiteral("%1 against %2").arg(printer).arg(screen)));
    }

    // Nothing to show: one sentence in the middle, nothing else.
    void saysAnEmptyCarnet() {
        const QImage image = render(seasonFrame());
        QVERIFY(inkShare(image, 0.4, 0.6) > 0.0005);
        QCOMPARE(inkShare(image, 0, 0.35), 0.0);
        QCOMPARE(inkShare(image, 0.65, 1), 0.0);
    }

    void printsOnePage_data() {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<LogbookPlotData>("data");
        const LogbookPlotData empty = seasonFrame();
        QTest::newRow("a season at 72 dpi") << 72 << season();
        QTest::newRow("a season at 600 dpi") << 600 << season();
        QTest::newRow("ten years at 300 dpi") << 300 << tenYearsHourly();
        QTest::newRow("empty at 600 dpi") << 600 << empty;
    }

    void printsOnePage() {
        QFETCH(int, dpi);
        QFETCH(LogbookPlotData, data);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList lines = {QStringLiteral("1 350 litres le 30/11/2026."),
                                   QStringLiteral("À commander le 05/12/2026 : 1 800 litres.")};
        bool printed = false;
        const QString path =
            printedPdf(dir.filePath(QStringLiteral("carnet.pdf")), dpi, lines, data, &printed);
        QVERIFY(printed);
        const QByteArray pdf = contentsOf(path);
        QCOMPARE(pdfPageCount(pdf), 1);
        QVERIFY(pdf.size() > 2000);
    }

    void laysOutThePage_data() {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<LogbookPlotData>("data");
        QTest::newRow("a season at 100 dpi") << 100.0 << season();
        QTest::newRow("a season at 600 dpi") << 600.0 << season();
        QTest::newRow("empty at 300 dpi") << 300.0 << seasonFrame();
    }

    // On an A4 page within its margins: the title and the summary at the top,
    // the plot and the bars in the upper part, the foot of the page left blank.
    void laysOutThePage() {
        QFETCH(double, dpi);
        QFETCH(LogbookPlotData, data);
        const QSize size(qRound(180 / millimetresPerInch * dpi),
                         qRound(267 / millimetresPerInch * dpi));
        QImage page(size, QImage::Format_RGB32);
        const int dotsPerMetre = qRound(dpi / millimetresPerInch * 1000);
        page.setDotsPerMeterX(dotsPerMetre);
        page.setDotsPerMeterY(dotsPerMetre);
        page.fill(Qt::white);
        QPainter painter(&page);
        paintLogbookPage(painter, QRectF(QPointF(0, 0), QSizeF(size)),
                         {QStringLiteral("Dernier relevé : 1 350 litres le 30/11/2026.")}, data,
                         french());
        painter.end();
        QVERIFY(inkShare(page, 0, 0.03) > 0.005);    // the title
        QVERIFY(inkShare(page, 0.1, 0.6) > 0.0005);  // the plot, or the sentence of an empty carnet
        QCOMPARE(inkShare(page, 0.7, 1), 0.0);
    }

    // A printer that cannot be written to is said so, not taken for printed.
    void saysWhenThePrinterRefuses() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        bool printed = true;
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        printedPdf(dir.filePath(QStringLiteral("no/such/folder/carnet.pdf")), 300, {}, season(),
                   &printed);
        QVERIFY(!printed);
    }

    void describesWhatItShows_data() {
        QTest::addColumn<LogbookPlotData>("data");
        QTest::addColumn<QString>("description");
        QTest::newRow("a season") << season()
                                  << people(
                                         "Litres du 01/07/2026 au 30/11/2026 : de 2_400 à 1_350 "
                                         "litres. Commander le 05/12/2026.");
        LogbookPlotData noForecast = season();
        noForecast.forecast.reset();
        QTest::newRow("no forecast")
            << noForecast
            << people("Litres du 01/07/2026 au 30/11/2026 : de 2_400 à 1_350 litres.");
        LogbookPlotData elsewhere = season();
        elsewhere.from = utc(2020, 7, 1);
        elsewhere.to = utc(2021, 6, 30);
        elsewhere.forecast.reset();
        QTest::newRow("no reading in the span")
            << elsewhere << QStringLiteral("Aucun relevé du 01/07/2020 au 30/06/2021.");
        QTest::newRow("empty") << seasonFrame() << QStringLiteral("Aucun relevé dans le carnet.");
    }

    void describesWhatItShows() {
        QFETCH(LogbookPlotData, data);
        QFETCH(QString, description);
        LogbookPlot plot;
        QCOMPARE(plot.objectName(), QStringLiteral("logPlot"));
        QVERIFY(!plot.accessibleName().isEmpty());
        plot.setData(data);
        QCOMPARE(plot.accessibleDescription(), description);
        plot.resize(plot.minimumSize());
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        const QImage shown = plot.grab().toImage();
        QCOMPARE(shown.size(), plot.minimumSize());
    }

    // The plot leaves room in a window of 900 x 700 for the summary, the
    // journal and the buttons.
    void fitsTheCarnetWindow() {
        LogbookPlot plot;
        QVERIFY(plot.minimumWidth() <= 600);
        QVERIFY(plot.minimumHeight() <= 350);
        QVERIFY(plot.minimumHeight() >= 200);
    }
};

QTEST_MAIN(LogbookPlotTest)
#include "logbook_plot_test.moc"
