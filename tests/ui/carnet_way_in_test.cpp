// The way from the chart window to the tank's carnet: "Carnet…" creates one
// for the tank shown, remembers it, opens it again; a carnet of another tank
// gives its measures back to the main window's fields.
#include <QCoreApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "chart_window_driver.h"
#include "controls.h"
#include "isolated_settings.h"
#include "logbook/carnet_store.h"
#include "logbook/carnet_tank.h"
#include "ui/chart_window.h"
#include "ui/logbook_window.h"
#include "ui/volumes.h"
#include "widgets/save_path.h"

using namespace varnelle::testing;
using varnelle::ChartWindow;
using varnelle::LogbookWindow;

class CarnetWayInTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<varnelle::Volumes> window;
    QTemporaryDir folder_;

    QWidget* openChart() {
        QWidget* chart = openChartWindow(window.get());
        return chart && waitForChartLines(chart) ? chart : nullptr;
    }

    static LogbookWindow* carnetWindow() {
        const QList<QWidget*> open = topLevelWindows(QStringLiteral("LogbookWindow"));
        return open.size() == 1 ? qobject_cast<LogbookWindow*>(open.first()) : nullptr;
    }

    QString path(const char* name) const { return folder_.filePath(QLatin1String(name)); }

  private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        varnelle::testing::keepSettingsIn(path("reglages"));
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void init() {
        QSettings().clear();
        window = std::make_unique<varnelle::Volumes>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        settle();
        QVERIFY(topLevelWindows(QStringLiteral("LogbookWindow")).isEmpty());
    }

    // The first time, the carnet is created for the tank of the fields; the
    // next time, the remembered one opens without a question.
    void createsThenRemembersTheCarnet() {
        QWidget* chart = openChart();
        QVERIFY(chart);
        ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Create);
        varnelle::SavePathDialog::setNextAnswer(path("Cuve"));
        clickControl(findControl(chart, QStringLiteral("logbookButton")));
        LogbookWindow* carnet = carnetWindow();
        QVERIFY(carnet);
        QCOMPARE(carnet->carnetPath(), path("Cuve.carnet"));

        auto store = varnelle::CarnetStore::open(path("Cuve.carnet"), false);
        QVERIFY(!varnelle::refusalOf(store));
        const auto values =
            std::get<varnelle::TankValues>(std::get<varnelle::CarnetStore>(store).tank());
        QCOMPARE(values.value("diametre"), QStringLiteral("1000"));
        QCOMPARE(values.value("longueur"), QStringLiteral("2000"));

        carnet->close();
        delete carnet;
        settle();
        // No choice is given: a question now would be answered "Annuler".
        ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Cancel);
        clickControl(findControl(chart, QStringLiteral("logbookButton")));
        QVERIFY(carnetWindow());
        QCOMPARE(carnetWindow()->carnetPath(), path("Cuve.carnet"));
    }

    void cancellingOpensNothing() {
        QWidget* chart = openChart();
        QVERIFY(chart);
        ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Cancel);
        clickControl(findControl(chart, QStringLiteral("logbookButton")));
        settle();
        QVERIFY(!carnetWindow());
    }

    // A carnet of another tank: its measures typed into the fields, checked,
    // and the chart read again for them.
    void takesTheCarnetsMeasures() {
        varnelle::TankParameters other;
        other.diameter = 1200;
        other.cylinderLength = 2500;
        other.strainerHeight = 80;
        other.endShape = varnelle::EndShape::SphericalCapEnds;
        other.endWidth = 150;
        other.intervals = 10000;
        QVERIFY(!varnelle::refusalOf(
            varnelle::CarnetStore::create(path("autre.carnet"), varnelle::carnetValuesOf(other))));
        QSettings().setValue(QStringLiteral("carnet/dernier"), path("autre.carnet"));

        QWidget* chart = openChart();
        QVERIFY(chart);
        clickControl(findControl(chart, QStringLiteral("logbookButton")));
        LogbookWindow* carnet = carnetWindow();
        QVERIFY(carnet);
        auto* take = findControl<QPushButton>(carnet, QStringLiteral("takeMeasuresButton"));
        QVERIFY(QTest::qWaitFor([take] { return take->isVisibleTo(take->window()); }, 10'000));
        clickControl(take);

        QCOMPARE(findControl<QLineEdit>(window.get(), QStringLiteral("Text1"))->text(),
                 QStringLiteral("1200"));
        QCOMPARE(findControl<QLineEdit>(window.get(), QStringLiteral("Text9"))->text(),
                 QStringLiteral("2500"));
        QCOMPARE(findControl<QLineEdit>(window.get(), QStringLiteral("Text5"))->text(),
                 QStringLiteral("150"));
        QVERIFY(
            findControl<QAbstractButton>(window.get(), QStringLiteral("Option1_2"))->isChecked());
        // The chart now is the carnet's tank: 121 lines of 10 mm up to 1 200 mm.
        QVERIFY(waitForChartLines(chart, 121));
        QVERIFY(QTest::qWaitFor([take] { return !take->isVisibleTo(take->window()); }, 10'000));
    }
};

QTEST_MAIN(CarnetWayInTest)
#include "carnet_way_in_test.moc"
