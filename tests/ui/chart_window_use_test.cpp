// The chart window as a tank owner uses it: keyboard only, numbers typed as
// the window itself writes them, a refused step or fill limit, what a screen
// reader is told, under a French and under the C locale.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"
#include "chart_window_driver.h"
#include "controls.h"
#include "isolated_settings.h"
#include "start_up_tank.h"
#include "typing.h"
#include "ui/chart_window.h"
#include "ui/volumes.h"
#include "widgets/save_path.h"

using namespace varnelle::testing;

namespace {

const QLocale french(QLocale::French, QLocale::France);

varnelle::TankParameters startUpCones() {
    return varnelle::startUpTank(varnelle::EndShape::ConicalEnds);
}

QString textOf(const QWidget* chart, const char* name) {
    return findControl<QLabel>(chart, QLatin1String(name))->text();
}

bool isSentence(const QString& text) {
    return !text.isEmpty() && text.front().isUpper() && text.endsWith('.') &&
           !text.contains(QStringLiteral(" !"));
}

}  // namespace

class ChartWindowUseTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<varnelle::Volumes> window;

    // The chart window of the start-up tank with truncated cones, its chart shown.
    QWidget* openConesChart() {
        clickControl(findControl(window.get(), QStringLiteral("Option1_1")));
        QWidget* chart = openChartWindow(window.get());
        if (chart && waitForChartLines(chart) && bringToFront(chart)) {
            return chart;
        }
        return nullptr;
    }

    static varnelle::OutputConventions shown() { return varnelle::conventionsForPeople(QLocale()); }

    QTemporaryDir settings_;

  private slots:
    // The saving dialogs remember their folder: not in the user's settings.
    void initTestCase() {
        QVERIFY(settings_.isValid());
        varnelle::testing::keepSettingsIn(settings_.path());
    }

    void init() {
        QLocale::setDefault(french);
        window = std::make_unique<varnelle::Volumes>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        settle();
        QVERIFY(topLevelWindows(QStringLiteral("ChartWindow")).isEmpty());
        QLocale::setDefault(french);
    }

    // Tab and Shift+Tab leave the table at once, and today's row stays selected.
    void tabLeavesTheTable_data() {
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Tab") << false << "printButton";
        QTest::newRow("Shift+Tab") << true << "litresField";
    }

    void tabLeavesTheTable() {
        QFETCH(bool, backwards);
        QFETCH(QString, reached);
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        QTableView* table = chartTable(chart);
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), reached);
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().data(Qt::UserRole).toDouble(), 300.0);
    }

    // Return presses the focused button, Escape closes the window; Return in
    // a field closes nothing.
    void keysOfTheWindow_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Return on Fermer") << "closeButton" << int(Qt::Key_Return) << true;
        QTest::newRow("Enter on Fermer") << "closeButton" << int(Qt::Key_Enter) << true;
        QTest::newRow("Escape in the table") << "chartTable" << int(Qt::Key_Escape) << true;
        QTest::newRow("Escape in a look-up") << "heightField" << int(Qt::Key_Escape) << true;
        QTest::newRow("Return in a look-up") << "heightField" << int(Qt::Key_Return) << false;
    }

    void keysOfTheWindow() {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(bool, closes);
        QPointer<QWidget> chart = openConesChart();
        QVERIFY(chart);
        QWidget* control = findControl(chart, focused);
        control->setFocus();
        QTest::keyClick(control, static_cast<Qt::Key>(key));
        settle();
        QCOMPARE(chart.isNull() || !chart->isVisible(), closes);
    }

    // A look-up answers the question as typed, in the window's own writing
    // of numbers, or says why it cannot.
    void lookUpsReadNumbersAsWritten_data() {
        const varnelle::TankParameters tank = startUpCones();
        const varnelle::OutputConventions fr = varnelle::conventionsForPeople(french);
        const double capacity = varnelle::totalVolumeAt(tank, tank.diameter);
        const QString fullTank = QStringLiteral("À une hauteur de 1\u00a0000 mm.");
        const auto litresAt = [&](double height) {
            return fr.litresWithUnit(varnelle::volumesAt(tank, height).totalVolume);
        };
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer");  // the start of the answer
        QTest::newRow("capacity as the window writes it")
            << "litresField" << fr.litres(capacity) << fullTank;
        QTest::newRow("capacity rounded to the litre")
            << "litresField" << QStringLiteral("%1").arg(std::round(capacity)) << fullTank;
        QTest::newRow("capacity grouped by a narrow space")
            << "litresField" << fr.litres(capacity).replace(QChar(0xa0), QChar(0x202f)) << fullTank;
        QTest::newRow("capacity with a period")
            << "litresField" << QString::number(capacity, 'f', 3) << fullTank;
        QTest::newRow("half a millimetre") << "heightField"
                                           << "500,5" << litresAt(500.5);
        QTest::newRow("the diameter with a period") << "heightField"
                                                    << "1000.0" << litresAt(1000);
        QTest::newRow("height above the tank")
            << "heightField"
            << "1000,4"
            << "La hauteur doit être comprise entre 0 et 1\u00a0000 mm.";
        QTest::newRow("height of letters") << "heightField"
                                           << "abc"
                                           << "Ce n'est pas un nombre";
        QTest::newRow("height then letters") << "heightField"
                                             << "12abc"
                                             << "Ce n'est pas un nombre";
        QTest::newRow("volume of letters") << "litresField"
                                           << "abc"
                                           << "Ce n'est pas un nombre";
        QTest::newRow("volume beyond the full tank")
            << "litresField" << fr.number(std::round(capacity) + 1)
            << "Le volume doit être compris entre 0 et";
    }

    void lookUpsReadNumbersAsWritten() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        auto* edit = findControl<QLineEdit>(chart, field);
        edit->setFocus();
        typeCharacters(edit, typed);
        const char* answerName = field == "heightField" ? "heightAnswer" : "litresAnswer";
        QTRY_VERIFY_WITH_TIMEOUT(textOf(chart, answerName).startsWith(answer), chartTimeoutMs);
        QVERIFY2(
            isSentence(textOf(chart, answerName)) || textOf(chart, answerName).front().isDigit(),
            qPrintable(textOf(chart, answerName)));
    }

    // A step is a whole number of millimetres up to the diameter, read as
    // the window writes numbers; a refused one is said beside the step and
    // leaves the chart shown, its summary, look-ups and litres to order.
    void stepIsReadAsWritten_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("lines");  // 0: refused, the 10 mm chart stays
        QTest::newRow("five") << "5" << 201;
        QTest::newRow("two, with a decimal zero") << "2,0" << 501;
        QTest::newRow("the diameter") << "1000" << 2;
        QTest::newRow("decimal comma") << "3,5" << 0;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("number then letters") << "12abc" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("beyond the diameter") << "1001" << 0;
        QTest::newRow("far beyond") << "100000" << 0;
    }

    void stepIsReadAsWritten() {
        QFETCH(QString, step);
        QFETCH(int, lines);
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        QTRY_VERIFY_WITH_TIMEOUT(!textOf(chart, "orderAnswer").isEmpty(), chartTimeoutMs);
        const QString summary = textOf(chart, "chartSummary");
        const QString order = textOf(chart, "orderAnswer");
        auto* combo = findControl<QComboBox>(chart, QStringLiteral("stepCombo"));
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, step);
        // The box is wide enough to show the whole step.
        QVERIFY(combo->lineEdit()->width() >
                combo->fontMetrics().horizontalAdvance(combo->currentText()));
        if (lines > 0) {
            QVERIFY(waitForChartLines(chart, lines));
            QVERIFY(textOf(chart, "stepMessage").isEmpty());
            return;
        }
        settle();
        QVERIFY2(isSentence(textOf(chart, "stepMessage")),
                 qPrintable(textOf(chart, "stepMessage")));
        QCOMPARE(chartTable(chart)->model()->rowCount(), 101);
        QCOMPARE(textOf(chart, "chartSummary"), summary);
        QCOMPARE(textOf(chart, "orderAnswer"), order);
        QVERIFY(findControl(chart, QStringLiteral("chartCurve"))->isVisible());
        QVERIFY(findControl(chart, QStringLiteral("printButton"))->isEnabled());
    }

    // A fill limit out of its range is said beside it while it is typed.
    void fillLimitOutOfRangeIsSaid() {
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        auto* spin = findControl<QSpinBox>(chart, QStringLiteral("fillLimitSpin"));
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("0"));
        QVERIFY2(isSentence(textOf(chart, "fillLimitMessage")),
                 qPrintable(textOf(chart, "fillLimitMessage")));
        QTest::keyClicks(spin, QStringLiteral("5"));  // "05"
        QVERIFY(textOf(chart, "fillLimitMessage").isEmpty());
        QCOMPARE(spin->value(), 5);
    }

    // The summary, the litres to order, the table and the refusals of one
    // window write numbers alike under one locale.
    void numbersAreWrittenOneWay_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("precisionThatFits");
        QTest::newRow("French") << french << "333,222";
        QTest::newRow("C") << QLocale::c() << "333.222";
    }

    void numbersAreWrittenOneWay() {
        QFETCH(QLocale, locale);
        QFETCH(QString, precisionThatFits);
        QLocale::setDefault(locale);
        const varnelle::OutputConventions conventions = shown();
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        const varnelle::TankParameters tank = startUpCones();
        const double capacity = varnelle::totalVolumeAt(tank, tank.diameter);
        QVERIFY2(textOf(chart, "chartSummary").contains(conventions.litresWithUnit(capacity)),
                 qPrintable(textOf(chart, "chartSummary")));
        const varnelle::OrderAmount order = varnelle::orderAmount(tank, 300, 90);
        QTRY_VERIFY_WITH_TIMEOUT(textOf(chart, "orderAnswer")
                                     .startsWith(conventions.litresWithUnit(order.litresToOrder)),
                                 chartTimeoutMs);
        const QModelIndex full = chartTable(chart)->model()->index(100, 2);
        QCOMPARE(full.data().toString(), conventions.litres(capacity));

        // Too much work for a 1 mm chart of a 3 m tank at precision 1000.
        window->findChild<QComboBox*>(QStringLiteral("Combo1"))
            ->setEditText(QStringLiteral("1000"));
        setMainField(window.get(), "Text1", QStringLiteral("3000"));
        chart = openChartWindow(window.get());
        setChartStep(chart, QStringLiteral("1"));
        QVERIFY2(textOf(chart, "stepMessage").contains(precisionThatFits),
                 qPrintable(textOf(chart, "stepMessage")));
    }

    // A tank that cannot have a chart is said in one sentence naming its field.
    void refusedTankIsOneSentence_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("no diameter") << "Text1"
                                     << "";
        QTest::newRow("zero length") << "Text9"
                                     << "0";
        QTest::newRow("strainer above the tank") << "Text4"
                                                 << "1200";
    }

    void refusedTankIsOneSentence() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        setMainField(window.get(), qPrintable(field), value);
        QWidget* chart = openChartWindow(window.get());
        QVERIFY(chart);
        const QString sentence = textOf(chart, "chartMessage");
        QVERIFY2(isSentence(sentence), qPrintable(sentence));
        QCOMPARE(sentence.count(':'), 1);
        QVERIFY2(sentence.section(QStringLiteral(" : "), 1).front().isLower(),
                 qPrintable(sentence));
    }

    // A file saved under a name without a suffix gets the suffix of its kind.
    void savedFilesGetTheirSuffix_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("CSV without a suffix") << "csvButton"
                                              << "noext"
                                              << "noext.csv";
        QTest::newRow("PDF without a suffix") << "pdfButton"
                                              << "noext"
                                              << "noext.pdf";
        QTest::newRow("CSV with its suffix") << "csvButton"
                                             << "bareme.csv"
                                             << "bareme.csv";
    }

    void savedFilesGetTheirSuffix() {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        QTemporaryDir folder;
        varnelle::SavePathDialog::setNextAnswer(folder.filePath(typed));
        clickControl(findControl(chart, button));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{written});
    }

    // The table's menu copies the rows under the table's own titles.
    void tableMenuCopiesTheRows() {
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        QTableView* table = chartTable(chart);
        QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
        QStringList captions;
        for (QAction* action : table->actions()) {
            captions << action->text();
        }
        QCOMPARE(captions,
                 (QStringList{QStringLiteral("Copier"), QStringLiteral("Tout sélectionner")}));
        table->actions().at(1)->trigger();
        table->actions().at(0)->trigger();
        const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 102);
        QStringList titles;
        for (int column = 0; column < table->model()->columnCount(); ++column) {
            titles
                << table->model()->headerData(column, Qt::Horizontal).toString().replace('\n', ' ');
        }
        QCOMPARE(lines.first(), titles.join('\t'));
    }

    // Every control is named for a screen reader; the curve is a picture
    // whose description gives the capacity and today's litres.
    void everyControlIsNamed_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("height") << "heightField"
                                << "Hauteur de mazout (mm)";
        QTest::newRow("volume") << "litresField"
                                << "Volume (litres)";
        QTest::newRow("step") << "stepCombo"
                              << "Pas du barème (mm)";
        QTest::newRow("fill limit") << "fillLimitSpin"
                                    << "Remplissage maximal";
        QTest::newRow("table") << "chartTable"
                               << "Barème de jaugeage, une ligne par hauteur";
        QTest::newRow("curve") << "chartCurve"
                               << "Courbe du barème";
    }

    void everyControlIsNamed() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QWidget* chart = openConesChart();
        QVERIFY(chart);
        QAccessibleInterface* described =
            QAccessible::queryAccessibleInterface(findControl(chart, control));
        QVERIFY(described);
        QVERIFY2(described->text(QAccessible::Name).startsWith(name),
                 qPrintable(described->text(QAccessible::Name)));
        if (control == "chartCurve") {
            QCOMPARE(described->role(), QAccessible::Graphic);
            const varnelle::TankParameters tank = startUpCones();
            const QString description = described->text(QAccessible::Description);
            QVERIFY2(description.contains(
                         shown().litresWithUnit(varnelle::totalVolumeAt(tank, tank.diameter))),
                     qPrintable(description));
            QVERIFY2(
                description.contains(shown().litresWithUnit(varnelle::totalVolumeAt(tank, 300))),
                qPrintable(description));
        }
    }
};

QTEST_MAIN(ChartWindowUseTest)
#include "chart_window_use_test.moc"
