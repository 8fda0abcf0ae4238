// The end shape, section input and cap measure choices, and "Valider les
// paramètres", on the real window: what each shows, hides and selects.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

#include <memory>

#include "controls.h"
#include "ui/volumes.h"

class VolumesModesTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<varnelle::Volumes> window;

    QWidget* control(const QString& name) {
        return varnelle::testing::findControl(window.get(), name);
    }
    void click(const QString& name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    bool seen(const QString& name) { return control(name)->isVisible(); }
    bool selected(const QString& name) {
        return qobject_cast<QRadioButton*>(control(name))->isChecked();
    }
    QString text(const QString& name) { return qobject_cast<QLineEdit*>(control(name))->text(); }

    // The names among these that the user sees.
    QStringList seenAmong(const QStringList& names) {
        QStringList result;
        for (const QString& name : names) {
            if (seen(name)) {
                result << name;
            }
        }
        return result;
    }

    const QStringList modeControls = {"Frame2", "Label3", "Option3_0", "Text5", "Option3_1",
                                      "Text12", "Label6", "Text6",     "Text1", "Text3",
                                      "Image1", "Image2", "Image3",    "Image4"};

    // A state far from the start: spherical caps, arc length and perimeter chosen.
    void leaveTheStartUpState() {
        click("Option1_2");
        click("Option3_1");
        click("Option2_1");
    }

    void checkInvariants() {
        const bool caps = selected("Option1_2");
        const bool cones = selected("Option1_1");
        QVERIFY(!seen("Option3_1") || caps);
        QVERIFY(!seen("Text12") || caps);
        QVERIFY(!seen("Label6") || cones);
        QVERIFY(!seen("Text6") || cones);
        QCOMPARE(seenAmong({"Image1", "Image2", "Image3", "Image4"}).size(), 1);
    }

  private slots:
    void init() {
        window = std::make_unique<varnelle::Volumes>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void endShapeShowsItsColumn_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QStringList>("expectedSeen");

        QTest::newRow("flat") << "Option1_0" << QStringList{"Text1", "Image1"};
        QTest::newRow("conical") << "Option1_1"
                                 << QStringList{"Frame2", "Label3", "Option3_0", "Text5",
                                                "Label6", "Text6",  "Text1",     "Image2"};
        QTest::newRow("spherical cap")
            << "Option1_2" << QStringList{"Frame2",    "Label3", "Option3_0", "Text5",
                                          "Option3_1", "Text1",  "Image3"};
        QTest::newRow("quarter round")
            << "Option1_3"
            << QStringList{"Frame2", "Label3", "Option3_0", "Text5", "Text1", "Image4"};
    }
    void endShapeShowsItsColumn() {
        QFETCH(QString, shape);
        QFETCH(QStringList, expectedSeen);
        leaveTheStartUpState();

        click(shape);

        QCOMPARE(seenAmong(modeControls), expectedSeen);
        QVERIFY(selected("Option2_0"));
        if (shape == QLatin1String("Option1_0")) {
            // Flat ends keep the cap measure and its fields, out of sight.
            QVERIFY(selected("Option3_1"));
            QVERIFY(!control("Text5")->isVisibleTo(control("Frame2")));
            QVERIFY(control("Text12")->isVisibleTo(control("Frame2")));
        } else {
            QVERIFY(selected("Option3_0"));
        }
    }

    void endShapeAgainAppliesItsColumnAgain() {
        click("Option1_1");
        click("Option2_1");
        QVERIFY(seen("Text3"));
        click("Option1_1");
        QVERIFY(selected("Option2_0"));
        QCOMPARE(seenAmong({"Text1", "Text3"}), QStringList{"Text1"});
    }

    void endShapeKeepsTextsAndResults() {
        QStringList before;
        const QStringList fields = {"Text1", "Text2", "Text3",  "Text4", "Text5",
                                    "Text6", "Text9", "Text12", "Text7"};
        qobject_cast<QLineEdit*>(control("Text7"))->setText(QStringLiteral("396,337"));
        for (const QString& field : fields) {
            before << text(field);
        }
        for (const char* shape : {"Option1_1", "Option1_2", "Option1_3", "Option1_0"}) {
            click(QLatin1String(shape));
        }
        QStringList after;
        for (const QString& field : fields) {
            after << text(field);
        }
        QCOMPARE(after, before);
    }

    void sectionAndCapChoicesSwapTheirFields_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("expectedSeen");

        QTest::newRow("perimeter")
            << "Option2_1" << QStringList{"Option3_0", "Text5", "Option3_1", "Text3"};
        QTest::newRow("diameter") << "Option2_0"
                                  << QStringList{"Option3_0", "Text5", "Option3_1", "Text1"};
        QTest::newRow("arc length")
            << "Option3_1" << QStringList{"Option3_0", "Option3_1", "Text12", "Text1"};
        QTest::newRow("width") << "Option3_0"
                               << QStringList{"Option3_0", "Text5", "Option3_1", "Text1"};
    }
    void sectionAndCapChoicesSwapTheirFields() {
        QFETCH(QString, button);
        QFETCH(QStringList, expectedSeen);
        click("Option1_2");
        click(button);
        QCOMPARE(seenAmong({"Option3_0", "Text5", "Option3_1", "Text12", "Text1", "Text3"}),
                 expectedSeen);
    }

    void validationShowsBothFormsAndEmptiesResults_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QStringList>("expectedSeen");

        QTest::newRow("flat") << "Option1_0" << QStringList{"Text1", "Text3"};
        QTest::newRow("conical") << "Option1_1" << QStringList{"Text5", "Text1", "Text3"};
        QTest::newRow("spherical cap")
            << "Option1_2" << QStringList{"Text5", "Text12", "Text1", "Text3"};
        QTest::newRow("quarter round") << "Option1_3" << QStringList{"Text5", "Text1", "Text3"};
    }
    void validationShowsBothFormsAndEmptiesResults() {
        QFETCH(QString, shape);
        QFETCH(QStringList, expectedSeen);
        click("Option1_2");
        click("Option3_1");  // Text12 seen, to be hidden again for other shapes
        click(shape);
        for (const char* result : {"Text7", "Text11", "Text13", "Text10", "Text8"}) {
            qobject_cast<QLineEdit*>(control(QLatin1String(result)))
                ->setText(QStringLiteral("1,000"));
        }

        for (int press = 0; press < 2; ++press) {  // twice gives the same as once
            click("Command2");
            QCOMPARE(seenAmong({"Text5", "Text12", "Text1", "Text3"}), expectedSeen);
            QVERIFY(selected("Option2_0"));
            for (const char* result : {"Text7", "Text11", "Text13", "Text10", "Text8"}) {
                QCOMPARE(text(QLatin1String(result)), QString());
            }
        }
        click("Option2_0");
        QVERIFY(!seen("Text3"));
    }

    // An option group is one Tab stop: its selected button, whoever selected it.
    void tabReachesTheSelectedOption_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QString>("reached");

        QTest::newRow("diameter selected by a change of shape")
            << QStringList{"Option2_1", "Option1_1", "Text1"} << "Text1" << false << "Option2_0";
        QTest::newRow("width selected by a change of shape")
            << QStringList{"Option1_2", "Option3_1", "Option1_2", "Text5"} << "Text5" << false
            << "Option3_0";
        QTest::newRow("diameter at start, backwards")
            << QStringList{"Text2"} << "Text2" << true << "Option2_0";
        QTest::newRow("shape chosen by the user, backwards")
            << QStringList{"Option1_2", "Command2"} << "Command2" << true << "Option1_2";
    }
    void tabReachesTheSelectedOption() {
        QFETCH(QStringList, clicks);
        QFETCH(QString, from);
        QFETCH(bool, backwards);
        QFETCH(QString, reached);
        for (const QString& name : clicks) {
            click(name);
        }
        QCOMPARE(QApplication::focusWidget(), control(from));

        QTest::keyClick(control(from), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget(), control(reached));
        QTest::keyClick(control(reached), Qt::Key_Space);
        QVERIFY(selected(reached));
    }

    // Any sequence of choices keeps the modes consistent.
    void randomChoicesKeepTheInvariants() {
        const QStringList buttons = {"Option1_0", "Option1_1", "Option1_2",
                                     "Option1_3", "Option2_0", "Option2_1",
                                     "Option3_0", "Option3_1", "Command2"};
        QRandomGenerator random(20261208);
        for (int step = 0; step < 400; ++step) {
            const QString& name = buttons[random.bounded(buttons.size())];
            if (!seen(name)) {
                continue;
            }
            click(name);
            checkInvariants();
            if (QTest::currentTestFailed()) {
                qWarning() << "after step" << step << name;
                return;
            }
        }
    }
};

QTEST_MAIN(VolumesModesTest)
#include "volumes_modes_test.moc"
