// The checks made when the user leaves a measurement field of the main window,
// driven through real focus changes on the real window: the error boxes, in
// order, what is written into the other field of the pair, where the focus
// ends, and what becomes of the click that left the field.
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QtTest>

#include <memory>

#include "controls.h"
#include "core/number_text.h"
#include "core/volume.h"
#include "message_box_catcher.h"
#include "start_up_tank.h"
#include "ui/volumes.h"

namespace varnelle {
namespace {

using testing::CaughtBox;
using testing::MessageBoxCatcher;

// The window's error messages, as the user reads them.
const QString noDiameter = QStringLiteral("Veuillez rentrer une valeur du diamètre de la cuve");
const QString diameterBelowOil =
    QStringLiteral("Le diamètre de la cuve doit être supérieur ou égal à la hauteur de mazout !");
const QString oilAboveDiameter =
    QStringLiteral("La hauteur de mazout doit être inférieure au diamètre de la cuve !");
const QString oilBelowStrainer =
    QStringLiteral("La hauteur de mazout doit être supérieure à la hauteur de la crépine !");
const QString noPerimeter = QStringLiteral("Veuillez rentrer une valeur du périmètre de la cuve");
const QString perimeterBelowOil = QStringLiteral(
    "Le diamètre de la cuve doit être supérieur à la hauteur de mazout ! soit le périmètre > à ");
const QString strainerAboveDiameter =
    QStringLiteral("La hauteur de la crépine doit être inférieure au diamètre de la cuve !");
const QString strainerAboveOil =
    QStringLiteral("La hauteur de la crépine doit être inférieure à la hauteur de mazout !");
const QString capWidthZero = QStringLiteral(
    "Dans cette configuration, la largeur de la calotte sphérique ne peut pas être nulle !");
const QString capWidthAboveRadius =
    QStringLiteral("La largeur de la calotte ne peut pas être supérieure au rayon de la cuve !");
const QString roundWidthZero =
    QStringLiteral("Dans cette configuration, la largeur ne peut pas être nulle !");
const QString roundWidthAboveRadius =
    QStringLiteral("La largeur ne peut pas être supérieure au rayon de la cuve !");
const QString arcBelowDiameter = QStringLiteral(
    "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas être inférieur "
    "au diamètre de la cuve soit : ");
const QString arcAboveHalfPerimeter = QStringLiteral(
    "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas être supérieur "
    "au demi périmètre de la cuve cylindrique soit : ");
const QString calculationDone = QStringLiteral("         C'est fait, voyez les résultats         ");

const QStringList measurementFields = {QStringLiteral("Text1"), QStringLiteral("Text2"),
                                       QStringLiteral("Text3"), QStringLiteral("Text4"),
                                       QStringLiteral("Text5"), QStringLiteral("Text6"),
                                       QStringLiteral("Text9"), QStringLiteral("Text12")};
const QStringList resultFields = {QStringLiteral("Text7"), QStringLiteral("Text11"),
                                  QStringLiteral("Text10"), QStringLiteral("Text13"),
                                  QStringLiteral("Text8")};

// The other field of a pair, which leaving a field may fill in; none for the heights.
QString companionOf(const QString& field) {
    static const QMap<QString, QString> companions = {
        {QStringLiteral("Text1"), QStringLiteral("Text3")},
        {QStringLiteral("Text3"), QStringLiteral("Text1")},
        {QStringLiteral("Text5"), QStringLiteral("Text12")},
        {QStringLiteral("Text12"), QStringLiteral("Text5")},
    };
    return companions.value(field);
}

// The option button that offers a field for typing, where one has to be chosen.
QString optionOffering(const QString& field) {
    if (field == QLatin1String("Text3")) {
        return QStringLiteral("Option2_1");
    }
    if (field == QLatin1String("Text12")) {
        return QStringLiteral("Option3_1");
    }
    return {};
}

QString shapeButton(EndShape shape) {
    return QStringLiteral("Option1_%1").arg(static_cast<int>(shape));
}

// Every measurement field's text and its own shown flag, to tell what a check changed.
QStringList fieldStates(const QWidget& window) {
    QStringList states;
    for (const QString& name : measurementFields) {
        const auto* field = window.findChild<QLineEdit*>(name);
        states << QStringLiteral("%1 \"%2\" %3")
                      .arg(name, field->text(), field->isHidden() ? "hidden" : "shown");
    }
    return states;
}

QString shownLitres(double litres) {
    return QString::fromStdString(resultText(litres, '.'))
        .replace(QLatin1Char('.'), QLocale().decimalPoint());
}

}  // namespace

class VolumesChecksTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void leavingAField_data();
    void leavingAField();
    void everyWayOfLeavingRunsTheCheckOnce_data();
    void everyWayOfLeavingRunsTheCheckOnce();
    void leavingAnUnchangedFieldChecksItAgain();
    void theFieldClickedIntoIsCheckedWhenLeftInItsTurn();
    void aCheckHidingTheFieldClickedIntoStartsNoOtherCheck();
    void switchingToAnotherWindowIsNotLeaving();
    void closingTheWindowIsNotLeaving();
    void theFieldsOwnMenuIsNotLeaving();
    void aPerimeterReachesTheCalculationClickedStraightAway();
    void aClickAnsweredByABoxDoesNotPressTheButton();
    void aClickAnsweredByABoxDoesNotPickTheOption();
    void typingAfterABoxReplacesWhatTabSelected_data();
    void typingAfterABoxReplacesWhatTabSelected();

  private:
    template <typename T = QLineEdit>
    T* control(const QString& name) {
        return testing::findControl<T>(window_.get(), name);
    }
    void click(const QString& name);
    void setTexts(const QStringList& assignments);
    void focusField(const QString& name);
    void pressTab(Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void verifyErrorBoxes();
    void waitForTheWindow();

    std::unique_ptr<Volumes> window_;
    std::unique_ptr<MessageBoxCatcher> catcher_;
};

void VolumesChecksTest::init() {
    window_ = std::make_unique<Volumes>();
    window_->show();
    window_->activateWindow();  // which no window manager does on a bare X server
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    catcher_ = std::make_unique<MessageBoxCatcher>();
}

void VolumesChecksTest::cleanup() {
    catcher_.reset();
    window_.reset();
}

// A user's click; Qt moves the focus on the press.
void VolumesChecksTest::click(const QString& name) {
    waitForTheWindow();
    testing::clickControl(control<QWidget>(name));
}

// "Text1=1000": the texts are written from code, which raises no check.
void VolumesChecksTest::setTexts(const QStringList& assignments) {
    for (const QString& assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        control(assignment.left(equals))->setText(assignment.mid(equals + 1));
    }
}

// Entering a field from a control that has no check.
void VolumesChecksTest::focusField(const QString& name) {
    waitForTheWindow();
    const QWidget* current = QApplication::focusWidget();
    QVERIFY(!current || !measurementFields.contains(current->objectName()));
    control(name)->setFocus(Qt::OtherFocusReason);
    QVERIFY(control(name)->hasFocus());
}

void VolumesChecksTest::pressTab(Qt::KeyboardModifiers modifiers) {
    waitForTheWindow();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
}

// Offscreen, as on an X server without window manager, nothing gives the
// window back its activation when a box closes: after an error box the window
// asks for it itself, and gives the focus back to the control that the user
// sent it to.
void VolumesChecksTest::waitForTheWindow() {
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window_.get(), 2000);
}

// Every box but the confirmation of a calculation is an error box.
void VolumesChecksTest::verifyErrorBoxes() {
    for (const CaughtBox& box : catcher_->boxes()) {
        if (box.text == calculationDone) {
            continue;
        }
        QCOMPARE(box.title, QStringLiteral("Varnelle"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY(box.okButtonOnly);
        QVERIFY(box.modal);
    }
}

void VolumesChecksTest::leavingAField_data() {
    QTest::addColumn<int>("shape");          // the end-shape button clicked first
    QTest::addColumn<int>("shapeFromCode");  // -1, or the shape selected afterwards from code
    QTest::addColumn<QString>("left");
    QTest::addColumn<QStringList>("texts");  // set over the start-up texts
    QTest::addColumn<bool>("companionShownBefore");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("companionText");
    QTest::addColumn<bool>("companionShown");

    const int flat = int(EndShape::FlatEnds);
    const int conical = int(EndShape::ConicalEnds);
    const int cap = int(EndShape::SphericalCapEnds);
    const int round = int(EndShape::QuarterRoundEnds);
    const int none = -1;
    const QStringList noBox;
    const QString incorrect = QStringLiteral("incorrect");

    // Diameter: the perimeter follows, after every box.
    QTest::newRow("diameter 1000")
        << flat << none << "Text1" << QStringList{"Text1=1000"} << false << noBox << "3142" << true;
    QTest::newRow("diameter emptied")
        << flat << none << "Text1" << QStringList{"Text1=", "Text2=300"} << false
        << QStringList{noDiameter, diameterBelowOil} << "0" << true;
    QTest::newRow("diameter below the oil")
        << flat << none << "Text1" << QStringList{"Text1=200", "Text2=300"} << false
        << QStringList{diameterBelowOil} << "628" << true;
    QTest::newRow("diameter equal to the oil")
        << conical << none << "Text1" << QStringList{"Text1=300", "Text2=300"} << true << noBox
        << "942" << true;
    QTest::newRow("diameter beyond doubles")
        << flat << none << "Text1" << QStringList{"Text1=1e999"} << false << noBox << incorrect
        << true;
    QTest::newRow("perimeter of a diameter beyond doubles")
        << flat << none << "Text1" << QStringList{"Text1=1e308"} << false << noBox << incorrect
        << true;
    QTest::newRow("diameter below doubles")
        << flat << none << "Text1" << QStringList{"Text1=-1e999"} << false
        << QStringList{diameterBelowOil} << incorrect << true;

    // Oil and strainer heights: boxes only.
    QTest::newRow("oil above the diameter")
        << flat << none << "Text2" << QStringList{"Text2=1001"} << false
        << QStringList{oilAboveDiameter} << "" << false;
    QTest::newRow("oil below the strainer")
        << flat << none << "Text2" << QStringList{"Text2=99"} << false
        << QStringList{oilBelowStrainer} << "" << false;
    QTest::newRow("oil above the diameter and below the strainer")
        << cap << none << "Text2" << QStringList{"Text1=50", "Text2=80"} << false
        << QStringList{oilAboveDiameter, oilBelowStrainer} << "" << false;
    QTest::newRow("oil equal to the diameter and the strainer")
        << flat << none << "Text2" << QStringList{"Text2=1000", "Text4=1000"} << false << noBox
        << "" << false;
    QTest::newRow("strainer above the diameter and the oil")
        << flat << none << "Text4" << QStringList{"Text4=1200"} << false
        << QStringList{strainerAboveDiameter, strainerAboveOil} << "" << false;
    QTest::newRow("strainer above the oil")
        << round << none << "Text4" << QStringList{"Text4=301"} << false
        << QStringList{strainerAboveOil} << "" << false;
    QTest::newRow("strainer equal to the oil")
        << flat << none << "Text4" << QStringList{"Text4=300"} << false << noBox << "" << false;
    QTest::newRow("strainer equal to the diameter and the oil")
        << flat << none << "Text4" << QStringList{"Text2=1000", "Text4=1000"} << false << noBox
        << "" << false;

    // Perimeter: the diameter follows, after every box.
    QTest::newRow("perimeter 3142")
        << flat << none << "Text3" << QStringList{"Text1=1", "Text3=3142"} << false << noBox
        << "1000" << true;
    QTest::newRow("perimeter 500 below the oil")
        << flat << none << "Text3" << QStringList{"Text3=500", "Text2=300"} << false
        << QStringList{perimeterBelowOil + "942"} << "159" << true;
    QTest::newRow("perimeter emptied")
        << conical << none << "Text3" << QStringList{"Text3="} << false
        << QStringList{noPerimeter, perimeterBelowOil + "942"} << "0" << true;
    QTest::newRow("perimeter beyond doubles")
        << flat << none << "Text3" << QStringList{"Text3=1e999"} << false << noBox << incorrect
        << true;
    QTest::newRow("perimeter below an oil height beyond doubles")
        << flat << none << "Text3" << QStringList{"Text3=500", "Text2=1e999"} << false
        << QStringList{perimeterBelowOil + incorrect} << "159" << true;

    // Cap width with spherical-cap ends: the arc length follows, or the field is hidden.
    QTest::newRow("cap width 100") << cap << none << "Text5" << QStringList{"Text5=100", "Text12=1"}
                                   << false << noBox << "1026" << true;
    QTest::newRow("cap width 500")
        << cap << none << "Text5" << QStringList{"Text5=500"} << false << noBox << "1571" << true;
    QTest::newRow("cap width 501") << cap << none << "Text5" << QStringList{"Text5=501"} << true
                                   << QStringList{capWidthAboveRadius} << "1026" << false;
    QTest::newRow("cap width 0") << cap << none << "Text5" << QStringList{"Text5=0"} << true
                                 << QStringList{capWidthZero} << "1026" << false;
    QTest::newRow("cap width incorrect") << cap << none << "Text5" << QStringList{"Text5=incorrect"}
                                         << true << QStringList{capWidthZero} << "1026" << false;
    QTest::newRow("cap width negative")
        << cap << none << "Text5" << QStringList{"Text5=-100"} << false << noBox << "-1026" << true;
    QTest::newRow("cap width with a diameter beyond doubles")
        << cap << none << "Text5" << QStringList{"Text1=1e999"} << false << noBox << incorrect
        << true;

    // Quarter-round and the other ends: boxes only, the arc-length field untouched.
    QTest::newRow("quarter-round width 0")
        << round << none << "Text5" << QStringList{"Text5=0"} << false
        << QStringList{roundWidthZero} << "1026" << false;
    QTest::newRow("quarter-round width 600")
        << round << none << "Text5" << QStringList{"Text5=600"} << true
        << QStringList{roundWidthAboveRadius} << "1026" << true;
    QTest::newRow("quarter-round width 500") << round << none << "Text5" << QStringList{"Text5=500"}
                                             << false << noBox << "1026" << false;
    QTest::newRow("conical width 0") << conical << none << "Text5" << QStringList{"Text5=0"}
                                     << false << noBox << "1026" << false;
    QTest::newRow("flat width 600") << conical << flat << "Text5" << QStringList{"Text5=600"}
                                    << true << noBox << "1026" << true;

    // Arc length with spherical-cap ends: the width follows, or "incorrect".
    QTest::newRow("arc 1026") << cap << none << "Text12" << QStringList{"Text12=1026"} << false
                              << noBox << "99" << true;
    QTest::newRow("arc equal to the diameter")
        << cap << none << "Text12" << QStringList{"Text12=1000"} << false << noBox << "1" << true;
    QTest::newRow("arc 999") << cap << none << "Text12" << QStringList{"Text12=999"} << false
                             << QStringList{arcBelowDiameter + "1000 !"} << incorrect << true;
    QTest::newRow("arc below a diameter shown as typed")
        << cap << none << "Text12" << QStringList{"Text1= 1000 mm", "Text12=999"} << false
        << QStringList{arcBelowDiameter + " 1000 mm !"} << incorrect << true;
    QTest::newRow("arc 1570") << cap << none << "Text12" << QStringList{"Text12=1570"} << false
                              << noBox << "500" << true;
    QTest::newRow("arc 1571") << cap << none << "Text12" << QStringList{"Text12=1571"} << false
                              << QStringList{arcAboveHalfPerimeter + "1571 !"} << incorrect << true;
    QTest::newRow("arc above half a perimeter beyond doubles")
        << cap << none << "Text12" << QStringList{"Text1=1e307", "Text3=1e999", "Text12=1.6e307"}
        << false << QStringList{arcAboveHalfPerimeter + incorrect + " !"} << incorrect << true;
    QTest::newRow("arc with no width found")
        << cap << none << "Text12" << QStringList{"Text1=1e300", "Text12=1e300"} << false << noBox
        << incorrect << true;
    QTest::newRow("arc 0 with diameter 0")
        << cap << none << "Text12" << QStringList{"Text1=0", "Text12=0"} << false << noBox
        << incorrect << true;
    QTest::newRow("arc with conical ends")
        << cap << conical << "Text12" << QStringList{"Text12=1026"} << false << noBox << incorrect
        << true;
    QTest::newRow("arc with quarter-round ends")
        << cap << round << "Text12" << QStringList{"Text12=5"} << false << noBox << incorrect
        << true;
}

// The field is left with Tab. The check shows its boxes in order, writes only
// the other field of its pair, and the focus goes on where Tab sent it.
void VolumesChecksTest::leavingAField() {
    QFETCH(int, shape);
    QFETCH(int, shapeFromCode);
    QFETCH(QString, left);
    QFETCH(QStringList, texts);
    QFETCH(bool, companionShownBefore);
    QFETCH(QStringList, boxes);
    QFETCH(QString, companionText);
    QFETCH(bool, companionShown);

    click(shapeButton(static_cast<EndShape>(shape)));
    if (!optionOffering(left).isEmpty()) {
        click(optionOffering(left));
    }
    if (shapeFromCode >= 0) {
        // A shape chosen without its Click, so that the field stays offered.
        control<QAbstractButton>(shapeButton(static_cast<EndShape>(shapeFromCode)))
            ->setChecked(true);
    }
    setTexts(texts);
    const QString companion = companionOf(left);
    if (!companion.isEmpty()) {
        control(companion)->setVisible(companionShownBefore);
    }
    focusField(left);
    QVERIFY(control(left)->isVisible());
    const QStringList before = fieldStates(*window_);

    pressTab();

    QCOMPARE(catcher_->texts(), boxes);
    verifyErrorBoxes();
    QStringList after = fieldStates(*window_);
    QStringList expected = before;
    if (!companion.isEmpty()) {
        const qsizetype index = measurementFields.indexOf(companion);
        QCOMPARE(after[index],
                 QStringLiteral("%1 \"%2\" %3")
                     .arg(companion, companionText, companionShown ? "shown" : "hidden"));
        after.removeAt(index);
        expected.removeAt(index);
    }
    QCOMPARE(after, expected);
    waitForTheWindow();
    QVERIFY(!control(left)->hasFocus());
    QVERIFY(QApplication::focusWidget() != nullptr);
    QCOMPARE(QApplication::focusWidget()->window(), window_.get());
}

// Tab, Shift+Tab, a click on another control and a move from code all leave
// the field: its check runs once, the control that takes the focus is not
// checked, and the focus ends where it was sent.
void VolumesChecksTest::everyWayOfLeavingRunsTheCheckOnce_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("destination");

    const auto row = [](const char* name, const char* way, const char* destination) {
        QTest::newRow(name) << QString::fromLatin1(way) << QString::fromLatin1(destination);
    };
    row("Tab", "tab", "Option2_0");
    row("Shift+Tab", "backtab", "Command1");
    row("click on a field with a failing check", "click", "Text2");
    row("click on a field without check", "click", "Text9");
    row("click on the precision", "click", "Combo1");
    row("click on Valider", "click", "Command2");
    row("from code", "code", "Text4");
}

void VolumesChecksTest::everyWayOfLeavingRunsTheCheckOnce() {
    QFETCH(QString, way);
    QFETCH(QString, destination);

    // Leaving Text2 would complain too: its oil height is above the diameter.
    setTexts({"Text1=", "Text2=300", "Text4=400"});
    focusField("Text1");
    if (way == QLatin1String("tab")) {
        pressTab();
    } else if (way == QLatin1String("backtab")) {
        pressTab(Qt::ShiftModifier);
    } else if (way == QLatin1String("click")) {
        click(destination);
    } else {
        control<QWidget>(destination)->setFocus(Qt::OtherFocusReason);
    }

    QCOMPARE(catcher_->texts(), (QStringList{noDiameter, diameterBelowOil}));
    verifyErrorBoxes();
    QCOMPARE(control("Text3")->text(), QStringLiteral("0"));
    QVERIFY(!control("Text3")->isHidden());
    QCOMPARE(window_->focusWidget(), control<QWidget>(destination));
    waitForTheWindow();
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(destination));
    QCOMPARE(catcher_->texts().size(), 2);
}

void VolumesChecksTest::leavingAnUnchangedFieldChecksItAgain() {
    setTexts({"Text1=", "Text2=300"});
    for (int visit = 1; visit <= 3; ++visit) {
        click("Option2_0");
        focusField("Text1");
        click("Text9");
        QCOMPARE(catcher_->texts().size(), 2 * visit);
    }
    QCOMPARE(catcher_->texts().mid(4), (QStringList{noDiameter, diameterBelowOil}));
}

// The box shown on leaving one field does not keep the field clicked into
// from being checked when the user leaves it in turn.
void VolumesChecksTest::theFieldClickedIntoIsCheckedWhenLeftInItsTurn() {
    setTexts({"Text1=", "Text2=300"});
    focusField("Text1");
    click("Text2");
    QCOMPARE(catcher_->texts(), (QStringList{noDiameter, diameterBelowOil}));
    waitForTheWindow();
    QVERIFY(control("Text2")->hasFocus());

    catcher_->clear();
    click("Text4");
    QCOMPARE(catcher_->texts(), QStringList{oilAboveDiameter});
    waitForTheWindow();
    QVERIFY(control("Text4")->hasFocus());

    catcher_->clear();
    click("Text1");
    QCOMPARE(catcher_->texts(), QStringList{strainerAboveDiameter});
    waitForTheWindow();
    QVERIFY(control("Text1")->hasFocus());
}

// With spherical-cap ends both cap fields are offered after "Valider les
// paramètres". A zero width hides the arc-length field that the user clicked
// into: the focus moves on without the arc length being checked, so the
// typed width stays.
void VolumesChecksTest::aCheckHidingTheFieldClickedIntoStartsNoOtherCheck() {
    click(shapeButton(EndShape::SphericalCapEnds));
    click("Command2");
    QVERIFY(control("Text12")->isVisible());
    setTexts({"Text5=0", "Text12=1026"});
    focusField("Text5");

    click("Text12");

    QCOMPARE(catcher_->texts(), QStringList{capWidthZero});
    verifyErrorBoxes();
    QVERIFY(control("Text12")->isHidden());
    QCOMPARE(control("Text5")->text(), QStringLiteral("0"));
    QCOMPARE(control("Text12")->text(), QStringLiteral("1026"));
    waitForTheWindow();
    QVERIFY(QApplication::focusWidget() != control<QWidget>("Text5"));
    QVERIFY(QApplication::focusWidget() != control<QWidget>("Text12"));
}

// Another window taking the focus is not leaving the field; coming back to
// the window is not entering it again.
void VolumesChecksTest::switchingToAnotherWindowIsNotLeaving() {
    setTexts({"Text1=", "Text2=300"});
    focusField("Text1");

    QWidget other;
    other.setWindowTitle(QStringLiteral("another window"));
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));

    QVERIFY(catcher_->texts().isEmpty());
    QVERIFY(control("Text1")->hasFocus());
    QVERIFY(control("Text3")->isHidden());
}

void VolumesChecksTest::closingTheWindowIsNotLeaving() {
    setTexts({"Text1=", "Text2=300"});
    focusField("Text1");

    window_->close();
    QCoreApplication::processEvents();
    window_.reset();

    QVERIFY(catcher_->texts().isEmpty());
}

void VolumesChecksTest::theFieldsOwnMenuIsNotLeaving() {
    setTexts({"Text1=", "Text2=300"});
    focusField("Text1");

    QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  control("Text1")->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(control("Text1"), &menuRequest);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);

    QVERIFY(catcher_->texts().isEmpty());
    QVERIFY(control("Text1")->hasFocus());
}

// The perimeter's check writes the diameter before the click on "Calculer"
// is handled, and the calculation reads that diameter.
void VolumesChecksTest::aPerimeterReachesTheCalculationClickedStraightAway() {
    click("Option2_1");
    setTexts({"Text1=2000", "Text3=3142"});
    focusField("Text3");

    click("Command1");

    QCOMPARE(catcher_->texts(), QStringList{calculationDone});
    QCOMPARE(control("Text1")->text(), QStringLiteral("1000"));
    const VolumeResults expected = computeVolumes(startUpTank(EndShape::FlatEnds));
    QCOMPARE(control("Text7")->text(), shownLitres(expected.cylinderVolume));
    QCOMPARE(control("Text13")->text(), shownLitres(expected.totalVolume));
    QCOMPARE(control("Text8")->text(), shownLitres(expected.availableVolume));
    window_->activateWindow();  // as a window manager does once the confirmation is closed
    waitForTheWindow();
    QVERIFY(control<QWidget>("Command1")->hasFocus());
}

// A click that left a field and was answered by an error box has done its
// work: the user read the box and clicks again when he means it.
void VolumesChecksTest::aClickAnsweredByABoxDoesNotPressTheButton() {
    setTexts({"Text4=400"});
    focusField("Text4");

    click("Command1");

    QCOMPARE(catcher_->texts(), QStringList{strainerAboveOil});
    verifyErrorBoxes();
    waitForTheWindow();
    QVERIFY(control<QWidget>("Command1")->hasFocus());
    for (const QString& result : resultFields) {
        QCOMPARE(control(result)->text(), QString());
    }

    catcher_->clear();
    click("Command1");
    QCOMPARE(catcher_->texts(), QStringList{calculationDone});
    QVERIFY(!control("Text7")->text().isEmpty());
}

void VolumesChecksTest::aClickAnsweredByABoxDoesNotPickTheOption() {
    setTexts({"Text1=0", "Text2=0"});
    focusField("Text1");

    click(shapeButton(EndShape::ConicalEnds));

    QCOMPARE(catcher_->texts(), QStringList{noDiameter});
    QVERIFY(control<QAbstractButton>(shapeButton(EndShape::FlatEnds))->isChecked());
    QVERIFY(control<QLabel>("Image1")->isVisible());
    waitForTheWindow();
    QVERIFY(control<QWidget>(shapeButton(EndShape::ConicalEnds))->hasFocus());

    catcher_->clear();
    click(shapeButton(EndShape::ConicalEnds));
    QVERIFY(catcher_->texts().isEmpty());
    QVERIFY(control<QAbstractButton>(shapeButton(EndShape::ConicalEnds))->isChecked());
    QVERIFY(control<QLabel>("Image2")->isVisible());
}

void VolumesChecksTest::typingAfterABoxReplacesWhatTabSelected_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("typedAfterTheBox");  // what the field reached reads then

    // An oil height above the diameter, then a strainer above the oil.
    QTest::newRow("Tab") << "Text2=1200"
                         << "tab"
                         << "1500";
    QTest::newRow("Shift+Tab") << "Text4=400"
                               << "backtab"
                               << "1500";
    // A click puts the caret where the user clicked: after the text here.
    QTest::newRow("click") << "Text2=1200"
                           << "click"
                           << "20001500";
}

// The field that Tab reaches has its whole text selected, box or no box:
// typing replaces it, rather than adding to it unseen.
void VolumesChecksTest::typingAfterABoxReplacesWhatTabSelected() {
    QFETCH(QString, left);
    QFETCH(QString, way);
    QFETCH(QString, typedAfterTheBox);
    setTexts({left});
    const QString field = left.section(QLatin1Char('='), 0, 0);
    focusField(field);

    if (way == QLatin1String("click")) {
        click("Text9");
    } else {
        pressTab(way == QLatin1String("tab") ? Qt::NoModifier : Qt::ShiftModifier);
    }
    QCOMPARE(catcher_->texts().size(), 1);
    waitForTheWindow();
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("Text9"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1500"));

    QCOMPARE(control("Text9")->text(), typedAfterTheBox);
}

}  // namespace varnelle

QTEST_MAIN(varnelle::VolumesChecksTest)
#include "volumes_checks_test.moc"
