// "Calculer" on the real window: the volumes it shows, the progress bar, the
// confirmation and error boxes, and what the user may do during a run.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

#include "controls.h"
#include "core/number_text.h"
#include "core/volume.h"
#include "message_box_catcher.h"
#include "start_up_tank.h"
#include "ui/progress_bar.h"
#include "ui/volumes.h"
#include "widgets/twips.h"

using varnelle::testing::MessageBoxCatcher;

namespace {

const QString confirmation = QStringLiteral("         C'est fait, voyez les résultats         ");
const QString cannotCompute =
    QStringLiteral("Les volumes ne peuvent pas être calculés avec ces mesures.");
const char* const resultFields[] = {"Text7", "Text11", "Text13", "Text10", "Text8"};

}  // namespace

class VolumesRunTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<varnelle::Volumes> window;

    template <typename T = QWidget>
    T* control(const char* name) {
        return varnelle::testing::findControl<T>(window.get(), QLatin1String(name));
    }
    QString text(const char* name) { return control<QLineEdit>(name)->text(); }
    void setText(const char* name, const QString& value) {
        control<QLineEdit>(name)->setText(value);
    }
    void setPrecision(const QString& value) { control<QComboBox>("Combo1")->setEditText(value); }
    void chooseShape(int shape) {
        QTest::mouseClick(
            control<QRadioButton>(qPrintable(QStringLiteral("Option1_%1").arg(shape))),
            Qt::LeftButton);
    }
    void calculate() { QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton); }
    QStringList results() {
        QStringList shown;
        for (const char* name : resultFields) {
            shown << text(name);
        }
        return shown;
    }
    int restingBarWidth() const {
        return varnelle::twipsToPixels(varnelle::progress_bar::RestingWidthTwips);
    }
    // Where the bar stands after the last progress call of the first end integral.
    int barWidthAtTheEndOfTheFirstIntegral(int shape, const QString& precision) {
        double lastFraction = 0;
        const auto tank =
            varnelle::startUpTank(static_cast<varnelle::EndShape>(shape), precision.toDouble());
        varnelle::endsVolumeAt(tank, tank.oilHeight, [&](double f) { lastFraction = f; });
        const double pictureTwips = control<QWidget>("Picture1")->width() * varnelle::TwipsPerPixel;
        return varnelle::twipsToPixels(static_cast<float>(
            varnelle::progress_bar::RunStartWidthTwips + pictureTwips * lastFraction));
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        window = std::make_unique<varnelle::Volumes>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() {
        window.reset();
        QLocale::setDefault(QLocale::c());
    }

    void showsTheWorkedExample_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("precision");
        QTest::addColumn<QStringList>("expected");  // Text7, Text11, Text13, Text10, Text8

        const struct {
            const char* name;
            int shape;
            const char* precision;
            QStringList litres;
        } rows[] = {
            {"flat 10", 0, "10", {"396.337", "0.000", "396.337", "81.751", "314.586"}},
            {"conical 10", 1, "10", {"396.337", "29.109", "425.446", "84.950", "340.495"}},
            {"cap 10", 2, "10", {"396.337", "14.976", "411.312", "82.998", "328.315"}},
            {"quarter-round 10", 3, "10", {"396.337", "34.966", "431.302", "87.570", "343.733"}},
            {"flat 100", 0, "100", {"396.337", "0.000", "396.337", "81.751", "314.586"}},
            {"conical 100", 1, "100", {"396.337", "29.108", "425.445", "84.950", "340.495"}},
            {"cap 100", 2, "100", {"396.337", "14.974", "411.311", "82.997", "328.313"}},
            {"quarter-round 100", 3, "100", {"396.337", "34.965", "431.301", "87.569", "343.732"}},
        };
        const struct {
            const char* name;
            QLocale locale;
            QChar separator;
        } locales[] = {{"fr", QLocale(QLocale::French, QLocale::France), QLatin1Char(',')},
                       {"en", QLocale(QLocale::English, QLocale::UnitedStates), QLatin1Char('.')}};
        for (const auto& locale : locales) {
            for (const auto& row : rows) {
                QStringList expected;
                for (QString litres : row.litres) {
                    expected << litres.replace(QLatin1Char('.'), locale.separator);
                }
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(row.name),
                                                                     QLatin1String(locale.name))))
                    << locale.locale << row.shape << QString::fromLatin1(row.precision) << expected;
            }
        }
    }
    void showsTheWorkedExample() {
        QFETCH(QLocale, locale);
        QFETCH(int, shape);
        QFETCH(QString, precision);
        QFETCH(QStringList, expected);
        QLocale::setDefault(locale);
        MessageBoxCatcher catcher;
        int barWidthUnderTheBox = 0;
        catcher.beforeClosing = [&](QMessageBox*) {
            barWidthUnderTheBox = control<QLabel>("Label13")->width();
        };

        chooseShape(shape);
        setPrecision(precision);
        calculate();

        QCOMPARE(results(), expected);
        QCOMPARE(catcher.texts(), QStringList{confirmation});
        QCOMPARE(barWidthUnderTheBox, barWidthAtTheEndOfTheFirstIntegral(shape, precision));
        const auto& box = catcher.boxes().front();
        QCOMPARE(box.title, QStringLiteral("Varnelle"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QVERIFY(box.okButtonOnly);
        QVERIFY(box.modal);
        QCOMPARE(control<QLabel>("Label13")->width(), restingBarWidth());
    }

    // Fields read by the number-from-a-text rule, and odd but finite results.
    void readsTheFieldsAsTheyStand_data() {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("oil height emptied")
            << 0 << "Text2"
            << "" << QStringList{"0,000", "0,000", "0,000", "81,751", "-81,751"};
        QTest::newRow("comma stops the oil height")
            << 0 << "Text2"
            << "300,7" << QStringList{"396,337", "0,000", "396,337", "81,751", "314,586"};
        QTest::newRow("exponent in the oil height")
            << 0 << "Text2"
            << "3e2" << QStringList{"396,337", "0,000", "396,337", "81,751", "314,586"};
        QTest::newRow("strainer above the oil")
            << 1 << "Text4"
            << "300" << QStringList{"81,751", "3,200", "84,950", "425,446", "-340,495"};
    }
    void readsTheFieldsAsTheyStand() {
        QFETCH(int, shape);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        MessageBoxCatcher catcher;

        chooseShape(shape);
        if (QTest::currentDataTag() == QByteArray("strainer above the oil")) {
            setText("Text2", QStringLiteral("100"));
        }
        setText(qPrintable(field), typed);
        calculate();

        QCOMPARE(results(), expected);
        QCOMPARE(catcher.texts(), QStringList{confirmation});
    }

    void takesAFractionalPrecision() {
        MessageBoxCatcher catcher;
        chooseShape(2);
        setPrecision(QStringLiteral("0.5"));
        calculate();

        const auto expected = varnelle::computeVolumes(
            varnelle::startUpTank(varnelle::EndShape::SphericalCapEnds, 0.5));
        QCOMPARE(text("Text11"),
                 QString::fromStdString(varnelle::resultText(expected.endsVolume, ',')));
        QCOMPARE(catcher.texts(), QStringList{confirmation});
    }

    // Measurements the volumes cannot be computed from: one error box, and the
    // results of the last good run stay as they were.
    void refusesMeasurementsOutsideTheDomain_data() {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");

        QTest::newRow("no diameter") << 1 << "Text1"
                                     << "0";
        QTest::newRow("empty diameter") << 0 << "Text1"
                                        << "";
        QTest::newRow("negative oil height") << 0 << "Text2"
                                             << "-5";
        QTest::newRow("oil above the tank") << 2 << "Text2"
                                            << "1200";
        QTest::newRow("strainer above the tank") << 3 << "Text4"
                                                 << "1001";
        QTest::newRow("cap width incorrect") << 2 << "Text5"
                                             << "incorrect";
        QTest::newRow("precision empty") << 0 << "Combo1"
                                         << "";
        QTest::newRow("precision zero") << 1 << "Combo1"
                                        << "0";
        QTest::newRow("precision negative") << 1 << "Combo1"
                                            << "-3";
        QTest::newRow("precision infinite") << 1 << "Combo1"
                                            << "1e999";
        QTest::newRow("diameter infinite") << 1 << "Text1"
                                           << "1e999";
    }
    void refusesMeasurementsOutsideTheDomain() {
        QFETCH(int, shape);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        MessageBoxCatcher catcher;
        chooseShape(shape);
        calculate();
        const QStringList before = results();
        catcher.clear();

        if (field == QLatin1String("Combo1")) {
            setPrecision(typed);
        } else {
            setText(qPrintable(field), typed);
        }
        calculate();

        QCOMPARE(catcher.texts(), QStringList{cannotCompute});
        const auto& box = catcher.boxes().front();
        QCOMPARE(box.title, QStringLiteral("Varnelle"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY(box.okButtonOnly);
        QCOMPARE(results(), before);
        QCOMPARE(control<QLabel>("Label13")->width(), restingBarWidth());
    }

    // Return and Enter press the focused button as Space does; in a field they do nothing.
    void returnOrEnterPressesTheFocusedButton_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("calculates");
        QTest::newRow("Return on Calculer") << "Command1" << int(Qt::Key_Return) << true;
        QTest::newRow("Enter on Calculer") << "Command1" << int(Qt::Key_Enter) << true;
        QTest::newRow("Space on Calculer") << "Command1" << int(Qt::Key_Space) << true;
        QTest::newRow("Return in the length") << "Text9" << int(Qt::Key_Return) << false;
    }
    void returnOrEnterPressesTheFocusedButton() {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(bool, calculates);
        MessageBoxCatcher catcher;
        control(qPrintable(focused))->setFocus(Qt::TabFocusReason);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

        QCOMPARE(catcher.texts(), calculates ? QStringList{confirmation} : QStringList{});
        QCOMPARE(!text("Text7").isEmpty(), calculates);
    }

    // The list holds "10" and "100": a typed "1" must stay 1, not be completed.
    void keepsThePrecisionAsTyped() {
        auto* precision = control<QComboBox>("Combo1");
        QTest::mouseClick(precision->lineEdit(), Qt::LeftButton);
        precision->lineEdit()->selectAll();
        QTest::keyClicks(precision->lineEdit(), QStringLiteral("1"));
        QCOMPARE(precision->currentText(), QStringLiteral("1"));
    }

    void movesTheBarDuringARunAndRestsAfterIt() {
        MessageBoxCatcher catcher;
        int widest = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this,
                [&] { widest = std::max(widest, control<QLabel>("Label13")->width()); });
        sampler.start(1);
        chooseShape(1);
        setPrecision(QStringLiteral("10000"));
        calculate();

        QVERIFY2(widest > restingBarWidth() + 20, qPrintable(QString::number(widest)));
        QCOMPARE(control<QLabel>("Label13")->width(), restingBarWidth());
        QCOMPARE(catcher.texts(), QStringList{confirmation});
    }

    // During a run the window stays live: a second "Calculer" is ignored, and a
    // change of end shape does not change the running computation.
    void ignoresASecondClickAndKeepsItsInputs() {
        MessageBoxCatcher catcher;
        chooseShape(1);
        setPrecision(QStringLiteral("5000"));
        bool clickedDuringRun = false;
        QTimer::singleShot(30, this, [&] {
            clickedDuringRun = true;
            calculate();
            chooseShape(0);
            setText("Text2", QStringLiteral("500"));
        });
        calculate();

        QVERIFY(clickedDuringRun);
        QCOMPARE(catcher.texts(), QStringList{confirmation});
        // Truncated cones at 5 000 000 slices, oil at 300 mm.
        QCOMPARE(text("Text7"), QStringLiteral("396,337"));
        QCOMPARE(text("Text11"), QStringLiteral("29,108"));
        QVERIFY(control<QRadioButton>("Option1_0")->isChecked());
    }

    void closingTheWindowAbandonsTheRun() {
        MessageBoxCatcher catcher;
        chooseShape(2);
        setPrecision(QStringLiteral("100000"));  // minutes of work
        QTimer::singleShot(50, window.get(), &QWidget::close);
        calculate();

        QVERIFY(catcher.boxes().empty());
        QCOMPARE(results(), QStringList({"", "", "", "", ""}));
        QVERIFY(!window->isVisible());
        QCOMPARE(control<QLabel>("Label13")->width(), restingBarWidth());
    }
};

QTEST_MAIN(VolumesRunTest)
#include "volumes_run_test.moc"
