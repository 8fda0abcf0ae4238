// A long random use of the real main window, of its about box and of its chart
// window, as a restless user would make it: clicks on every control, typing of
// every kind into every field seen and into the precision, pastes of 100 000
// characters, Tab and Shift+Tab, every box closed with its OK button; in the
// chart window steps picked and typed, the fill limit changed, the look-ups
// typed into (with the numbers the window writes, and with anything else), the
// table walked, selected and copied, the print, preview and file dialogs
// opened and cancelled, the window closed and opened again while the main
// window's fields change; from the chart window the carnet window (a carnet
// remembered, created for the tank of the fields, or none chosen), where
// readings and deliveries are typed with anything in their dialogs, lines
// deleted, changes undone, a small CSV imported, and the window closed; at the
// end the main window closed, and every other window with it. After every
// action the windows must still answer, show no number that is not one, keep
// their options consistent, leave no dialog open, and have shown only boxes
// titled "Varnelle" with one OK button; the carnet window, once it has
// computed, shows as many lines as its carnet holds readings and deliveries.
//
// The sequence follows from a seed. A failure prints the seed and the step;
// it is replayed with
//   VARNELLE_MONKEY_SEED=<seed> VARNELLE_MONKEY_ACTIONS=<step> monkey_test
// and VARNELLE_MONKEY_TRACE=1 prints every action as it starts.
#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "about/about_box.h"
#include "controls.h"
#include "core/number_text.h"
#include "crash_report.h"
#include "isolated_settings.h"
#include "logbook/carnet_store.h"
#include "logbook/carnet_tank.h"
#include "message_box_catcher.h"
#include "modal_dialog_closer.h"
#include "typing.h"
#include "ui/chart_window.h"
#include "ui/import_dialog.h"
#include "ui/logbook_window.h"
#include "ui/message_box.h"
#include "ui/progress_bar.h"
#include "ui/volumes.h"
#include "widgets/save_path.h"
#include "widgets/twips.h"

namespace varnelle {
namespace {

constexpr quint32 defaultSeed = 20090101;
constexpr int defaultActions = 2000;
// Far more than any action takes, even under the sanitizers: one that takes
// longer hangs.
constexpr std::chrono::seconds actionTimeLimit{10};
// The largest precision the monkey runs at: small runs keep the test quick.
constexpr double largestPrecision = 10;
constexpr int pastedLength = 100000;
constexpr int progressInterval = 10000;

const QString cannotCompute =
    QStringLiteral("Les volumes ne peuvent pas être calculés avec ces mesures.");
const QString calculationDone = QStringLiteral("         C'est fait, voyez les résultats         ");

// Where the chart window remembers the last carnet used.
constexpr char lastCarnetKey[] = "carnet/dernier";
// Far more than the carnet window takes to compute a small carnet, even under
// the sanitizers.
constexpr int carnetComputeLimitMs = 8000;

// The offscreen platform says, at every box and every raise, what it cannot
// do; everything else the toolkit says goes to the test log.
QtMessageHandler toolkitHandler = nullptr;

void withoutPlatformNotices(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    if (!message.startsWith(QLatin1String("This plugin does not support"))) {
        toolkitHandler(type, context, message);
    }
}

int environmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// ---------------------------------------------------------------------------
// The monkey.

struct Statistics {
    int actions = 0;
    QMap<QString, int> boxes;  // by text, abridged
    int aboutBoxesOpened = 0;
    int pastes = 0;
    int runsAtTen = 0;
    int chartWindowsOpened = 0;
    int chartsShown = 0;      // times a chart window was seen with rows
    int lookUpsAnswered = 0;  // times a look-up was seen answered
    int copies = 0;
    QMap<QString, int> dialogs;  // cancelled, by title
    int carnetWindowsOpened = 0;
    int carnetsCreated = 0;
    int carnetDialogsConfirmed = 0;  // readings and deliveries the dialogs took
    int carnetDialogsRefused = 0;    // those they refused, saying why
    int carnetDeletions = 0;
    int carnetUndos = 0;
    int carnetImports = 0;
    int carnetLinesChanged = 0;  // times the journal was seen with another count of lines
};

class Monkey {
  public:
    Monkey(quint32 seed, int actions);

    // Runs every action; the first problem found, with the step that showed
    // it, or an empty text.
    QString run();
    const Statistics& statistics() const { return statistics_; }

  private:
    using Action = void (Monkey::*)();
    struct Choice {
        int weight;
        Action action;
        bool available;
    };

    // The actions.
    void clickEndShape();
    void clickSectionInput();
    void clickCapMeasure();
    void calculate();
    void validate();
    void openAbout();
    void closeAbout();
    void clickAddress();
    void typeIntoField();
    void typeWhereTheFocusIs();
    void emptyField();
    void choosePrecision();
    void pasteLongText();
    void pressTab();
    void pressShiftTab();
    void pressTabKey(Qt::KeyboardModifiers modifiers);
    void closeEverything();

    // The actions in the chart window.
    void openChart();
    void openChartOfASoundTank();
    void closeChart();
    void chooseStep();
    void changeFillLimit();
    void typeIntoLookUp();
    void useTable();
    void clickFileButton();
    void typeIntoChart(QWidget* target);
    void typeChartText(QWidget* target, const QString& text, int mode);
    void pickStepInList(QComboBox* combo);
    void pressTableKey(QTableView* table);

    // The actions in the carnet window.
    void openCarnet();
    void closeCarnet();
    void typeCarnetReading();
    void typeCarnetDelivery();
    void deleteCarnetLine();
    void undoCarnetChange();
    void importCarnetReadings();
    void takeCarnetMeasures();
    QDialog* openCarnetDialog(const char* button, const char* dialog);
    void confirmCarnetDialog(QDialog* dialog);
    void typeIntoDialog(QDialog* dialog, const char* field, const QString& text);
    // The carnet's dialogs are filled in, not cancelled: the closer of the
    // toolkit's dialogs waits meanwhile.
    void pauseDialogCloser();
    void resumeDialogCloser();

    // Steps of an action, each followed by the checks.
    void beginPhase(const QString& what);
    void endPhase();
    void clickControl(QWidget* control, QPoint at = QPoint());
    void typeText(const QString& text, int mode);
    void setPrecisionText(const QString& text);
    QWidget* focusTarget() const;

    // The texts typed.
    int draw(std::initializer_list<int> weights);
    QString pick(std::initializer_list<const char*> texts);
    QString plausibleText(const QString& field);
    QString measurementText(const QString& field);
    QString precisionText();
    QString longText(bool forPrecision);
    QString randomCharacters(int count, const char* alphabet);
    QString stepText();
    QString fillLimitText();
    QString lookUpText();
    QString groupedNumber();
    QString numberSeenInChart();
    QDateTime carnetTime();
    QString carnetHeightText();
    QString carnetLitresText();
    QString importedCsv();

    // The checks.
    void verify();
    void verifyBoxes();
    void verifyFieldTexts();
    void verifyOptions();
    void verifyWindows();
    void verifyChart();
    void verifyCarnet();
    void verifyShownText(const QString& where, const QString& text);
    void fail(const QString& problem);

    // Finding controls.
    template <typename T = QWidget>
    T* control(const char* name) const {
        return testing::findControl<T>(window_.get(), QLatin1String(name));
    }
    QWidget* aboutBox() const;
    int visibleAboutBoxes() const;
    QWidget* chartWindow() const;
    int visibleChartWindows() const;
    template <typename T = QWidget>
    T* chartControl(const char* name) const {
        return testing::findControl<T>(chartWindow(), QLatin1String(name));
    }
    LogbookWindow* carnetWindow() const;
    int visibleCarnetWindows() const;
    template <typename T = QWidget>
    T* carnetControl(const char* name) const {
        return testing::findControl<T>(carnetWindow(), QLatin1String(name));
    }
    QLineEdit* anyVisibleField();
    void bringToFront(QWidget* window);

    quint32 seed_;
    int actions_;
    int step_ = 0;
    QRandomGenerator random_;
    bool trace_ = qEnvironmentVariableIsSet("VARNELLE_MONKEY_TRACE");
    std::unique_ptr<Volumes> window_;
    testing::MessageBoxCatcher boxes_{1};
    std::optional<testing::ModalDialogCloser> dialogs_{std::in_place, 1};
    testing::Watchdog watchdog_{"monkey", actionTimeLimit};
    QString phase_;
    QString problem_;
    Statistics statistics_;

    // Every field of the window, and what was in it before the current phase.
    std::vector<QLineEdit*> fields_;
    std::vector<QString> textsBefore_;
    // Whether each field's text was last written by the window rather than typed.
    std::vector<bool> writtenByWindow_;
    // The field that received this phase's keys, if any.
    QLineEdit* typedInto_ = nullptr;
    // Whether the chart window seen at the last check showed rows.
    bool chartRowsSeen_ = false;

    // The carnets: one of a sound tank with a few lines, those created from
    // the chart window, the CSV files imported.
    QTemporaryDir carnetFolder_;
    QString soundCarnet_;
    int carnetFiles_ = 0;
    // The carnet window seen at the last check, and its count of lines.
    QPointer<LogbookWindow> carnetSeen_;
    int carnetLinesSeen_ = -1;
    // Whether this phase acted in the carnet window: its carnet is then read
    // back, as it is whenever the journal's count of lines changed.
    bool carnetTouched_ = false;
};

Monkey::Monkey(quint32 seed, int actions)
    : seed_(seed), actions_(actions), random_(seed), window_(std::make_unique<Volumes>()) {
    window_->show();
    bringToFront(window_.get());
    for (int i = 1; i <= 13; ++i) {
        fields_.push_back(control<QLineEdit>(qPrintable(QStringLiteral("Text%1").arg(i))));
    }
    fields_.push_back(control<QComboBox>("Combo1")->lineEdit());
    // The fields start with the window's own numbers; the precision is typed.
    writtenByWindow_.assign(fields_.size(), true);
    writtenByWindow_.back() = false;
    soundCarnet_ = carnetFolder_.filePath(QStringLiteral("cuve.carnet"));
    TankParameters tank;
    tank.diameter = 1000;
    tank.cylinderLength = 2000;
    tank.strainerHeight = 50;
    tank.intervals = 10000;
    Outcome<CarnetStore> created = CarnetStore::create(soundCarnet_, carnetValuesOf(tank));
    if (CarnetStore* store = std::get_if<CarnetStore>(&created)) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (const int days : {40, 25, 10}) {
            store->addReading({now.addDays(-days), 900.0 - 15 * days, Reading::Source::Dipstick});
        }
        store->addDelivery({now.addDays(-20), 600, 1.2, std::nullopt, std::nullopt});
    } else {
        fail(QStringLiteral("the carnet of a sound tank could not be created: %1")
                 .arg(refusalOf(created)->sentence));
    }
}

QString Monkey::run() {
    QElapsedTimer elapsed;
    elapsed.start();
    for (step_ = 1; step_ <= actions_ && problem_.isEmpty(); ++step_) {
        const bool aboutOpen = aboutBox() != nullptr;
        const bool chartOpen = chartWindow() != nullptr;
        const bool carnetOpen = carnetWindow() != nullptr;
        const bool mismatchSeen =
            carnetOpen && carnetControl("takeMeasuresButton")->isVisibleTo(carnetWindow());
        bool capMeasureSeen = false;
        for (const char* name : {"Option3_0", "Option3_1"}) {
            capMeasureSeen = capMeasureSeen || control(name)->isVisible();
        }
        const Choice choices[] = {
            {8, &Monkey::clickEndShape, true},
            {6, &Monkey::clickSectionInput, true},
            {5, &Monkey::clickCapMeasure, capMeasureSeen},
            {8, &Monkey::calculate, true},
            {5, &Monkey::validate, true},
            {2, &Monkey::openAbout, true},
            {4, &Monkey::closeAbout, aboutOpen},
            {2, &Monkey::clickAddress, aboutOpen},
            {30, &Monkey::typeIntoField, true},
            {5, &Monkey::typeWhereTheFocusIs, true},
            {5, &Monkey::emptyField, true},
            {8, &Monkey::choosePrecision, true},
            {1, &Monkey::pasteLongText, true},
            {6, &Monkey::pressTab, true},
            {4, &Monkey::pressShiftTab, true},
            {4, &Monkey::openChart, true},
            {3, &Monkey::openChartOfASoundTank, true},
            {2, &Monkey::closeChart, chartOpen},
            {8, &Monkey::chooseStep, chartOpen},
            {6, &Monkey::changeFillLimit, chartOpen},
            {12, &Monkey::typeIntoLookUp, chartOpen},
            {8, &Monkey::useTable, chartOpen},
            {1, &Monkey::clickFileButton, chartOpen},
            {4, &Monkey::openCarnet, chartOpen},
            {1, &Monkey::closeCarnet, carnetOpen},
            {10, &Monkey::typeCarnetReading, carnetOpen},
            {5, &Monkey::typeCarnetDelivery, carnetOpen},
            {5, &Monkey::deleteCarnetLine, carnetOpen},
            {4, &Monkey::undoCarnetChange, carnetOpen},
            {2, &Monkey::importCarnetReadings, carnetOpen},
            {1, &Monkey::takeCarnetMeasures, mismatchSeen},
        };
        int total = 0;
        for (const Choice& choice : choices) {
            total += choice.available ? choice.weight : 0;
        }
        int drawn = static_cast<int>(random_.bounded(total));
        for (const Choice& choice : choices) {
            if (!choice.available) {
                continue;
            }
            if (drawn < choice.weight) {
                (this->*choice.action)();
                break;
            }
            drawn -= choice.weight;
        }
        ++statistics_.actions;
        if (step_ % progressInterval == 0 && step_ < actions_) {
            qInfo("monkey: %d actions in %.0f s", step_, elapsed.elapsed() / 1000.0);
        }
    }
    if (problem_.isEmpty()) {
        closeEverything();
    }
    watchdog_.stop();
    testing::rememberAction(QStringLiteral("the end of the run (seed %1)").arg(seed_));
    qInfo("monkey: %d actions in %.1f s", statistics_.actions, elapsed.elapsed() / 1000.0);
    return problem_;
}

// ----- Actions -------------------------------------------------------------

void Monkey::clickEndShape() {
    const QString name = QStringLiteral("Option1_%1").arg(random_.bounded(4));
    beginPhase(QStringLiteral("click %1").arg(name));
    clickControl(control(qPrintable(name)));
    endPhase();
}

void Monkey::clickSectionInput() {
    const QString name = QStringLiteral("Option2_%1").arg(random_.bounded(2));
    beginPhase(QStringLiteral("click %1").arg(name));
    clickControl(control(qPrintable(name)));
    endPhase();
}

void Monkey::clickCapMeasure() {
    std::vector<QWidget*> seen;
    for (const char* name : {"Option3_0", "Option3_1"}) {
        if (control(name)->isVisible()) {
            seen.push_back(control(name));
        }
    }
    QWidget* target = seen[random_.bounded(static_cast<quint32>(seen.size()))];
    beginPhase(QStringLiteral("click %1").arg(target->objectName()));
    clickControl(target);
    endPhase();
}

// "Calculer", at a small precision but now and then at "10". The texts typed
// into the precision never read above 10; should one do so, the run waits
// for another turn rather than take long.
void Monkey::calculate() {
    const QString precision = control<QComboBox>("Combo1")->currentText();
    const double thousands = numberFromText(precision.toUtf8().toStdString());
    if (std::isfinite(thousands) && thousands > largestPrecision) {
        choosePrecision();
        return;
    }
    if (thousands == largestPrecision) {
        ++statistics_.runsAtTen;
    }
    beginPhase(
        QStringLiteral("click Command1 \"Calculer\" at precision \"%1\"").arg(precision.left(40)));
    clickControl(control("Command1"));
    endPhase();
}

void Monkey::validate() {
    beginPhase(QStringLiteral("click Command2 \"Valider les paramètres\""));
    clickControl(control("Command2"));
    endPhase();
}

void Monkey::openAbout() {
    beginPhase(QStringLiteral("click Command3 \"A Propos\""));
    const QWidget* before = aboutBox();
    clickControl(control("Command3"));
    if (!before && aboutBox()) {
        ++statistics_.aboutBoxesOpened;
    }
    endPhase();
}

void Monkey::closeAbout() {
    beginPhase(QStringLiteral("click CommandOK of the about box"));
    clickControl(aboutBox()->findChild<QWidget*>(QStringLiteral("CommandOK")));
    endPhase();
}

void Monkey::clickAddress() {
    beginPhase(QStringLiteral("click Label6, the address in the about box"));
    clickControl(aboutBox()->findChild<QWidget*>(QStringLiteral("Label6")));
    endPhase();
}

// A click into a field seen (where the text cursor lands depends on where the
// click falls), then typing.
void Monkey::typeIntoField() {
    QLineEdit* field = anyVisibleField();
    const QPoint at(1 + random_.bounded(std::max(1, field->width() - 2)), field->height() / 2);
    beginPhase(QStringLiteral("click %1 at x=%2").arg(field->objectName()).arg(at.x()));
    clickControl(field, at);
    endPhase();
    typeWhereTheFocusIs();
}

// Keys go where the focus is: a field gets a measurement, the precision a
// precision; on a button or an option nothing is typed.
void Monkey::typeWhereTheFocusIs() {
    QWidget* target = focusTarget();
    if (target && chartWindow() && target->window() == chartWindow()) {
        typeIntoChart(target);
        return;
    }
    const int mode = draw({70, 20, 10});  // replace all, insert at the cursor, append
    if (target == control("Combo1")) {
        setPrecisionText(precisionText());
        return;
    }
    if (!qobject_cast<QLineEdit*>(target)) {
        return;
    }
    const QString text = measurementText(target->objectName());
    static const char* const modes[] = {"replacing", "inserted into", "appended to"};
    beginPhase(QStringLiteral("type \"%1\" %2 %3")
                   .arg(text, QLatin1String(modes[mode]), target->objectName()));
    typeText(text, mode);
    endPhase();
}

void Monkey::emptyField() {
    QLineEdit* field = anyVisibleField();
    beginPhase(QStringLiteral("click %1").arg(field->objectName()));
    clickControl(field);
    endPhase();
    if (qobject_cast<QLineEdit*>(focusTarget())) {
        beginPhase(QStringLiteral("select all and delete in %1").arg(focusTarget()->objectName()));
        typedInto_ = qobject_cast<QLineEdit*>(focusTarget());
        QTest::keyClick(focusTarget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focusTarget(), random_.bounded(2) ? Qt::Key_Delete : Qt::Key_Backspace);
        endPhase();
    }
}

void Monkey::choosePrecision() {
    beginPhase(QStringLiteral("click Combo1"));
    clickControl(control<QComboBox>("Combo1")->lineEdit());
    endPhase();
    setPrecisionText(precisionText());
}

// 100 000 characters into a field or the precision, through the clipboard and
// Ctrl+V or as a text set whole; the field keeps what it can hold.
void Monkey::pasteLongText() {
    const bool intoPrecision = random_.bounded(6) == 0;
    QWidget* target = intoPrecision ? control<QComboBox>("Combo1")->lineEdit() : anyVisibleField();
    const QString text = longText(intoPrecision);
    const bool throughClipboard = random_.bounded(2) == 0;
    beginPhase(QStringLiteral("click %1").arg(target->objectName()));
    clickControl(target);
    endPhase();

    QWidget* focus = focusTarget();
    auto* field = focus == control("Combo1") ? control<QComboBox>("Combo1")->lineEdit()
                                             : qobject_cast<QLineEdit*>(focus);
    if (!field || (field == fields_.back()) != intoPrecision) {
        return;  // the focus went elsewhere: a user would not paste there
    }
    beginPhase(QStringLiteral("paste %1 characters \"%2...\" into %3 %4")
                   .arg(text.size())
                   .arg(text.left(12), focus->objectName(),
                        QLatin1String(throughClipboard ? "with Ctrl+V" : "as a whole text")));
    typedInto_ = field;
    if (throughClipboard) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
    } else {
        field->setText(text);
    }
    ++statistics_.pastes;
    endPhase();
}

void Monkey::pressTab() {
    pressTabKey(Qt::NoModifier);
}

void Monkey::pressShiftTab() {
    pressTabKey(Qt::ShiftModifier);
}

// In the active window, or in the main window when none is active.
void Monkey::pressTabKey(Qt::KeyboardModifiers modifiers) {
    if (!QApplication::activeWindow()) {
        bringToFront(window_.get());
    }
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = focus ? focus : QApplication::activeWindow();
    beginPhase(QStringLiteral("press %1 in %2")
                   .arg(QLatin1String(modifiers.testFlag(Qt::ShiftModifier) ? "Shift+Tab" : "Tab"),
                        target->objectName()));
    QTest::keyClick(target, Qt::Key_Tab, modifiers);
    endPhase();
}

// The about box with its OK button, then the window, as the user leaves.
void Monkey::closeEverything() {
    if (QWidget* box = aboutBox()) {
        beginPhase(QStringLiteral("click CommandOK of the about box, before leaving"));
        clickControl(box->findChild<QWidget*>(QStringLiteral("CommandOK")));
        endPhase();
    }
    beginPhase(QStringLiteral("close the main window"));
    bringToFront(window_.get());
    window_->close();
    testing::settle();
    verifyBoxes();
    if (window_->isVisible()) {
        fail(QStringLiteral("the window is still open"));
    }
    if (visibleAboutBoxes() != 0) {
        fail(QStringLiteral("an about box is still open"));
    }
    if (visibleChartWindows() != 0) {
        fail(QStringLiteral("a chart window is still open"));
    }
    if (visibleCarnetWindows() != 0) {
        fail(QStringLiteral("a carnet window is still open"));
    }
    watchdog_.stop();
    window_.reset();
    testing::settle();
    if (!testing::topLevelWindows(QStringLiteral("LogbookWindow")).isEmpty()) {
        fail(QStringLiteral("a carnet window is left behind, hidden"));
    }
}

// ----- Actions in the chart window ----------------------------------------

// "Barème…": opens the chart window, or brings it to the front with the tank
// read afresh.
void Monkey::openChart() {
    beginPhase(QStringLiteral("click Command4 \"Barème…\""));
    const bool wasOpen = chartWindow() != nullptr;
    clickControl(control("Command4"));
    if (!wasOpen && chartWindow()) {
        ++statistics_.chartWindowsOpened;
    }
    endPhase();
}

// Measures that make a tank typed into every measurement field seen, as a
// user correcting the tank before asking for its chart, then "Barème…".
void Monkey::openChartOfASoundTank() {
    for (const char* name :
         {"Text1", "Text3", "Text9", "Text4", "Text5", "Text6", "Text12", "Text2"}) {
        auto* field = control<QLineEdit>(name);
        if (!field->isVisible()) {
            continue;
        }
        beginPhase(QStringLiteral("click %1").arg(field->objectName()));
        clickControl(field);
        endPhase();
        if (focusTarget() == field) {
            const QString text = plausibleText(field->objectName());
            beginPhase(QStringLiteral("type \"%1\" replacing %2").arg(text, field->objectName()));
            typeText(text, 0);
            endPhase();
        }
    }
    openChart();
}

// "Fermer", or the window's own close as its title bar gives it.
void Monkey::closeChart() {
    if (random_.bounded(3) == 0) {
        beginPhase(QStringLiteral("close the chart window from its title bar"));
        chartWindow()->close();
    } else {
        beginPhase(QStringLiteral("click closeButton \"Fermer\" of the chart window"));
        clickControl(chartControl("closeButton"));
    }
    endPhase();
    if (chartWindow()) {
        fail(QStringLiteral("the chart window is still open"));
    }
}

// A step picked in the list with the keyboard or its popup, or typed.
void Monkey::chooseStep() {
    auto* combo = chartControl<QComboBox>("stepCombo");
    beginPhase(QStringLiteral("click stepCombo"));
    clickControl(combo->lineEdit());
    endPhase();
    if (focusTarget() != combo) {
        return;
    }
    switch (draw({3, 2, 5})) {
        case 0: {
            const bool up = random_.bounded(2) == 0;
            beginPhase(
                QStringLiteral("press %1 in stepCombo").arg(QLatin1String(up ? "Up" : "Down")));
            QTest::keyClick(combo, up ? Qt::Key_Up : Qt::Key_Down);
            endPhase();
            break;
        }
        case 1:
            pickStepInList(combo);
            break;
        default:
            typeChartText(combo, stepText(), draw({80, 10, 10}));
            break;
    }
}

// F4 opens the list; Down some times and Return pick in it. While the list is
// open the keys go where the window system sends them: to the list.
void Monkey::pickStepInList(QComboBox* combo) {
    const int downs = static_cast<int>(random_.bounded(6));
    beginPhase(QStringLiteral("pick the step %1 lines down in the list of stepCombo").arg(downs));
    QTest::keyClick(combo, Qt::Key_F4);
    QWidget* const toTheList = nullptr;
    if (QApplication::activePopupWidget()) {
        for (int i = 0; i < downs; ++i) {
            QTest::keyClick(toTheList, Qt::Key_Down);
        }
        QTest::keyClick(toTheList, Qt::Key_Return);
    }
    if (QApplication::activePopupWidget()) {
        fail(QStringLiteral("the list of stepCombo stays open after Return"));
        QTest::keyClick(toTheList, Qt::Key_Escape);
    }
    endPhase();
}

// The fill limit with the arrows (of the keyboard or, by a click's place, of
// the box), or typed.
void Monkey::changeFillLimit() {
    auto* spin = chartControl<QSpinBox>("fillLimitSpin");
    const QPoint at(1 + random_.bounded(std::max(1, spin->width() - 2)),
                    1 + random_.bounded(std::max(1, spin->height() - 2)));
    beginPhase(QStringLiteral("click fillLimitSpin at (%1, %2)").arg(at.x()).arg(at.y()));
    clickControl(spin, at);
    endPhase();
    if (focusTarget() != spin) {
        return;
    }
    if (random_.bounded(2) == 0) {
        typeChartText(spin, fillLimitText(), draw({80, 10, 10}));
        return;
    }
    static const Qt::Key keys[] = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                   Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const Qt::Key key = keys[random_.bounded(static_cast<quint32>(std::size(keys)))];
    const int presses = 1 + static_cast<int>(random_.bounded(12));
    beginPhase(QStringLiteral("press key %1 %2 times in fillLimitSpin").arg(key).arg(presses));
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(spin, key);
    }
    endPhase();
}

void Monkey::typeIntoLookUp() {
    auto* field = chartControl<QLineEdit>(random_.bounded(2) ? "heightField" : "litresField");
    const QPoint at(1 + random_.bounded(std::max(1, field->width() - 2)), field->height() / 2);
    beginPhase(QStringLiteral("click %1 at x=%2").arg(field->objectName()).arg(at.x()));
    clickControl(field, at);
    endPhase();
    if (focusTarget() == field) {
        typeChartText(field, lookUpText(), draw({70, 20, 10}));
    }
}

// A click on a row, alone or with Shift or Ctrl, then keys.
void Monkey::useTable() {
    auto* table = chartControl<QTableView>("chartTable");
    QWidget* rows = table->viewport();
    const QPoint at(random_.bounded(std::max(1, rows->width())),
                    random_.bounded(std::max(1, rows->height())));
    static const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::NoModifier,
                                                      Qt::ShiftModifier, Qt::ControlModifier};
    const Qt::KeyboardModifiers modifier =
        modifiers[random_.bounded(static_cast<quint32>(std::size(modifiers)))];
    beginPhase(QStringLiteral("click the rows of chartTable at (%1, %2) with modifiers %3")
                   .arg(at.x())
                   .arg(at.y())
                   .arg(modifier.toInt()));
    bringToFront(table->window());
    QTest::mouseClick(rows, Qt::LeftButton, modifier, at);
    endPhase();
    for (int keys = static_cast<int>(random_.bounded(4)); keys > 0; --keys) {
        pressTableKey(table);
    }
}

void Monkey::pressTableKey(QTableView* table) {
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* name;
    };
    static const Key keys[] = {
        {Qt::Key_Down, Qt::NoModifier, "Down"},
        {Qt::Key_Up, Qt::NoModifier, "Up"},
        {Qt::Key_PageDown, Qt::NoModifier, "PageDown"},
        {Qt::Key_PageUp, Qt::NoModifier, "PageUp"},
        {Qt::Key_Home, Qt::ControlModifier, "Ctrl+Home"},
        {Qt::Key_End, Qt::ControlModifier, "Ctrl+End"},
        {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"},
        {Qt::Key_PageDown, Qt::ShiftModifier, "Shift+PageDown"},
        {Qt::Key_Left, Qt::NoModifier, "Left"},
        {Qt::Key_Right, Qt::NoModifier, "Right"},
        {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
        {Qt::Key_Space, Qt::ControlModifier, "Ctrl+Space"},
        {Qt::Key_Return, Qt::NoModifier, "Return"},
        {Qt::Key_F2, Qt::NoModifier, "F2"},
        {Qt::Key_Delete, Qt::NoModifier, "Delete"},
        {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
        {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
        {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
    };
    const Key& key = keys[random_.bounded(static_cast<quint32>(std::size(keys)))];
    if (focusTarget() != table) {
        return;
    }
    beginPhase(QStringLiteral("press %1 in chartTable").arg(QLatin1String(key.name)));
    const bool copy = key.key == Qt::Key_C;
    if (copy) {
        QGuiApplication::clipboard()->clear();
    }
    QTest::keyClick(table, key.key, key.modifiers);
    if (copy) {
        ++statistics_.copies;
        verifyShownText(QStringLiteral("the copied rows"),
                        QGuiApplication::clipboard()->text().left(100000));
    }
    endPhase();
}

// Print, preview, PDF or CSV: each opens a dialog, which is cancelled.
void Monkey::clickFileButton() {
    static const char* const buttons[] = {"printButton", "previewButton", "pdfButton", "csvButton"};
    const char* name = buttons[draw({3, 1, 3, 3})];
    auto* button = chartControl<QAbstractButton>(name);
    beginPhase(QStringLiteral("click %1 \"%2\" and cancel its dialog")
                   .arg(QLatin1String(name), button->text()));
    clickControl(button);
    endPhase();
}

// Keys typed where the focus is in the chart window: into the step, the
// fill limit, a look-up, or the table.
void Monkey::typeIntoChart(QWidget* target) {
    const QString name = target->objectName();
    const int mode = draw({70, 20, 10});
    if (name == QLatin1String("stepCombo")) {
        typeChartText(target, stepText(), mode);
    } else if (name == QLatin1String("fillLimitSpin")) {
        typeChartText(target, fillLimitText(), mode);
    } else if (qobject_cast<QLineEdit*>(target)) {
        typeChartText(target, lookUpText(), mode);
    } else if (auto* table = qobject_cast<QTableView*>(target)) {
        pressTableKey(table);
    }
}

// mode 0 replaces the whole text, 1 inserts at the cursor, 2 appends; now and
// then Return after it. What the control keeps of the text is its own affair.
void Monkey::typeChartText(QWidget* target, const QString& text, int mode) {
    static const char* const modes[] = {"replacing", "inserted into", "appended to"};
    const bool enter = random_.bounded(4) == 0;
    beginPhase(QStringLiteral("type \"%1\"%2 %3 %4")
                   .arg(text.left(80), QLatin1String(enter ? " and Return" : ""),
                        QLatin1String(modes[mode]), target->objectName()));
    if (mode == 0) {
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(target, Qt::Key_Delete);
        }
    } else if (mode == 2) {
        QTest::keyClick(target, Qt::Key_End);
    }
    testing::typeCharacters(target, text);
    if (enter) {
        QTest::keyClick(target, Qt::Key_Return);
    }
    endPhase();
}

// ----- Actions in the carnet window ---------------------------------------

// "Carnet…" in the chart window: the carnet of a sound tank remembered, a new
// one created for the tank of the fields (now and then where one already is),
// the choice cancelled or the file dialog closed, or whatever is remembered.
void Monkey::openCarnet() {
    carnetTouched_ = true;
    QSettings settings;
    QString how;
    switch (draw({8, 4, 1, 1, 1, 5})) {
        case 0:
            settings.setValue(QLatin1String(lastCarnetKey), soundCarnet_);
            how = QStringLiteral("the carnet of a sound tank remembered");
            break;
        case 1:
        case 2: {
            settings.remove(QLatin1String(lastCarnetKey));
            const bool again = draw({4, 1}) == 1 && carnetFiles_ > 0;
            const QString name =
                QStringLiteral("cree-%1").arg(again ? carnetFiles_ : ++carnetFiles_);
            ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Create);
            SavePathDialog::setNextAnswer(carnetFolder_.filePath(name));
            how = QStringLiteral("%1 created").arg(name);
            ++statistics_.carnetsCreated;
            break;
        }
        case 3:
            settings.remove(QLatin1String(lastCarnetKey));
            ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Cancel);
            how = QStringLiteral("no carnet chosen");
            break;
        case 4:
            settings.remove(QLatin1String(lastCarnetKey));
            ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Open);
            how = QStringLiteral("the file dialog cancelled");
            break;
        default:
            // Nothing remembered: the question would be answered "Annuler".
            ChartWindow::setNextCarnetChoice(ChartWindow::CarnetChoice::Cancel);
            how = QStringLiteral("the carnet remembered");
            break;
    }
    beginPhase(QStringLiteral("click logbookButton \"Carnet…\", %1").arg(how));
    const QPointer<LogbookWindow> before = carnetWindow();
    clickControl(chartControl("logbookButton"));
    if (carnetWindow() && carnetWindow() != before) {
        ++statistics_.carnetWindowsOpened;
    }
    endPhase();
}

// "Fermer", Escape, or the window's own close as its title bar gives it.
void Monkey::closeCarnet() {
    carnetTouched_ = true;
    switch (draw({2, 1, 1})) {
        case 0:
            beginPhase(QStringLiteral("click closeButton \"Fermer\" of the carnet window"));
            clickControl(carnetControl("closeButton"));
            break;
        case 1:
            beginPhase(QStringLiteral("press Escape in the carnet window"));
            bringToFront(carnetWindow());
            QTest::keyClick(carnetWindow(), Qt::Key_Escape);
            break;
        default:
            beginPhase(QStringLiteral("close the carnet window from its title bar"));
            carnetWindow()->close();
            break;
    }
    endPhase();
    if (carnetWindow()) {
        fail(QStringLiteral("the carnet window is still open"));
    }
}

void Monkey::pauseDialogCloser() {
    for (const QString& title : dialogs_->takeClosed()) {
        ++statistics_.dialogs[title];
    }
    dialogs_.reset();
}

void Monkey::resumeDialogCloser() {
    dialogs_.emplace(1);
}

// The dialog that a click on `button` opened; none when the button was
// disabled (a carnet the window cannot read).
QDialog* Monkey::openCarnetDialog(const char* button, const char* dialog) {
    clickControl(carnetControl(button));
    for (QDialog* open : carnetWindow()->findChildren<QDialog*>(QLatin1String(dialog))) {
        if (open->isVisible()) {
            return open;
        }
    }
    if (carnetControl<QAbstractButton>(button)->isEnabled()) {
        fail(QStringLiteral("%1 opened no %2").arg(QLatin1String(button), QLatin1String(dialog)));
    }
    return nullptr;
}

void Monkey::typeIntoDialog(QDialog* dialog, const char* field, const QString& text) {
    auto* edit = testing::findControl<QLineEdit>(dialog, QLatin1String(field));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    testing::typeCharacters(edit, text);
}

// "Enregistrer", "Annuler" or Escape. A dialog that refuses what was typed
// stays open and says why; it is then cancelled.
void Monkey::confirmCarnetDialog(QDialog* dialog) {
    const QPointer<QDialog> open = dialog;
    // The dialog is deleted once closed.
    const auto accepted = std::make_shared<bool>(false);
    QObject::connect(dialog, &QDialog::accepted, [accepted] { *accepted = true; });
    switch (draw({8, 1, 1})) {
        case 0:
            testing::clickControl(testing::findControl(dialog, QStringLiteral("okButton")));
            break;
        case 1:
            testing::clickControl(testing::findControl(dialog, QStringLiteral("cancelButton")));
            break;
        default:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
    }
    testing::settle();
    if (open && open->isVisible()) {
        const QString refusal =
            testing::findControl<QLabel>(dialog, QStringLiteral("refusalLabel"))->text();
        *accepted = false;
        if (refusal.isEmpty()) {
            fail(QStringLiteral("%1 stays open without saying why").arg(dialog->objectName()));
        }
        verifyShownText(QStringLiteral("the refusal of %1").arg(dialog->objectName()), refusal);
        ++statistics_.carnetDialogsRefused;
        testing::clickControl(testing::findControl(dialog, QStringLiteral("cancelButton")));
        testing::settle();
        if (open && open->isVisible()) {
            fail(QStringLiteral("%1 stays open after \"Annuler\"").arg(dialog->objectName()));
            dialog->reject();
        }
    } else if (*accepted) {
        ++statistics_.carnetDialogsConfirmed;
    }
}

// "Nouveau relevé…": a time, a height in millimetres or centimetres, anything.
void Monkey::typeCarnetReading() {
    carnetTouched_ = true;
    const QDateTime time = carnetTime();
    const QString height = carnetHeightText();
    const bool centimetres = random_.bounded(4) == 0;
    beginPhase(
        QStringLiteral("type the reading \"%1\"%2 of %3 in readingDialog")
            .arg(height, QLatin1String(centimetres ? " cm" : ""), time.toString(Qt::ISODate)));
    pauseDialogCloser();
    if (QDialog* dialog = openCarnetDialog("newReadingButton", "readingDialog")) {
        if (time.isValid()) {
            testing::findControl<QDateTimeEdit>(dialog, QStringLiteral("readingTimeEdit"))
                ->setDateTime(time);
        }
        testing::findControl<QCheckBox>(dialog, QStringLiteral("centimetresCheck"))
            ->setChecked(centimetres);
        typeIntoDialog(dialog, "heightField", height);
        verifyShownText(
            QStringLiteral("litresLabel"),
            testing::findControl<QLabel>(dialog, QStringLiteral("litresLabel"))->text());
        confirmCarnetDialog(dialog);
    }
    resumeDialogCloser();
    endPhase();
}

// "Nouvelle livraison…": the receipt's litres and price, the heights before
// and after now and then.
void Monkey::typeCarnetDelivery() {
    carnetTouched_ = true;
    const QDateTime time = carnetTime();
    const QString litres = carnetLitresText();
    const QString price =
        pick({"", "", "1,25", "0.98", "1", "-1", "abc", "1e3", "0", "1,2,3", "1 000"});
    const bool heights = random_.bounded(3) == 0;
    const QString before = heights ? carnetHeightText() : QString();
    const QString after = heights ? carnetHeightText() : QString();
    beginPhase(QStringLiteral("type the delivery \"%1\" at \"%2\" from \"%3\" to \"%4\" of %5 in "
                              "deliveryDialog")
                   .arg(litres, price, before, after, time.toString(Qt::ISODate)));
    pauseDialogCloser();
    if (QDialog* dialog = openCarnetDialog("newDeliveryButton", "deliveryDialog")) {
        if (time.isValid()) {
            testing::findControl<QDateTimeEdit>(dialog, QStringLiteral("deliveryTimeEdit"))
                ->setDateTime(time);
        }
        typeIntoDialog(dialog, "receiptLitresField", litres);
        typeIntoDialog(dialog, "priceField", price);
        typeIntoDialog(dialog, "heightBeforeField", before);
        typeIntoDialog(dialog, "heightAfterField", after);
        confirmCarnetDialog(dialog);
    }
    resumeDialogCloser();
    endPhase();
}

// A click on a line of the journal, some keys, then Suppr answered Oui or Non.
void Monkey::deleteCarnetLine() {
    carnetTouched_ = true;
    auto* table = carnetControl<QTableView>("logTable");
    QWidget* rows = table->viewport();
    const QPoint at(random_.bounded(std::max(1, rows->width())),
                    random_.bounded(std::max(1, rows->height())));
    const int downs = static_cast<int>(random_.bounded(4));
    const bool yes = random_.bounded(3) != 0;
    beginPhase(QStringLiteral("click the rows of logTable at (%1, %2), Down %3 times, Suppr "
                              "answered %4")
                   .arg(at.x())
                   .arg(at.y())
                   .arg(downs)
                   .arg(QLatin1String(yes ? "Oui" : "Non")));
    bringToFront(table->window());
    QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, at);
    for (int i = 0; i < downs; ++i) {
        QTest::keyClick(table, Qt::Key_Down);
    }
    const bool onALine = table->currentIndex().isValid();
    // Without a line chosen nothing is asked: the answer would wait for the next question.
    if (onALine) {
        MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
        QTest::keyClick(table, Qt::Key_Delete);
        ++statistics_.carnetDeletions;
    }
    endPhase();
}

// Ctrl+Z where the focus is in the carnet window, or on the window itself.
void Monkey::undoCarnetChange() {
    carnetTouched_ = true;
    beginPhase(QStringLiteral("press Ctrl+Z in the carnet window"));
    bringToFront(carnetWindow());
    QWidget* focus = focusTarget();
    QTest::keyClick(focus && focus->window() == carnetWindow() ? focus : carnetWindow(), Qt::Key_Z,
                    Qt::ControlModifier);
    ++statistics_.carnetUndos;
    endPhase();
}

// "Importer…": a small CSV of good and bad lines chosen, its numbers read as
// heights or distances, in mm or cm, then imported or cancelled.
void Monkey::importCarnetReadings() {
    carnetTouched_ = true;
    const QString csv =
        carnetFolder_.filePath(QStringLiteral("releves-%1.csv").arg(++carnetFiles_));
    const QString contents = importedCsv();
    const bool distances = random_.bounded(4) == 0;
    const bool centimetres = random_.bounded(3) == 0;
    const bool confirmed = random_.bounded(4) != 0;
    beginPhase(QStringLiteral("import \"%1\"%2%3%4")
                   .arg(QString(contents).replace(QLatin1Char('\n'), QLatin1String("\\n")),
                        QLatin1String(distances ? " as distances" : ""),
                        QLatin1String(centimetres ? " in cm" : ""),
                        QLatin1String(confirmed ? "" : ", cancelled")));
    QFile file(csv);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents.toUtf8()) < 0) {
        fail(QStringLiteral("%1 could not be written").arg(csv));
    }
    file.close();
    pauseDialogCloser();
    auto* dialog = qobject_cast<ImportDialog*>(openCarnetDialog("importButton", "importDialog"));
    if (dialog) {
        const QPointer<QDialog> open = dialog;
        if (distances) {
            testing::clickControl(testing::findControl(dialog, QStringLiteral("distancesOption")));
        }
        if (centimetres) {
            testing::clickControl(
                testing::findControl(dialog, QStringLiteral("centimetresOption")));
        }
        dialog->chooseFile(csv);
        if (!QTest::qWaitFor([dialog] { return !dialog->isReading(); }, carnetComputeLimitMs)) {
            fail(QStringLiteral("the import dialog reads its file without end"));
        }
        verifyShownText(QStringLiteral("countLabel"),
                        testing::findControl<QLabel>(dialog, QStringLiteral("countLabel"))->text());
        auto* import =
            testing::findControl<QAbstractButton>(dialog, QStringLiteral("importButton"));
        if (confirmed && import->isEnabled()) {
            testing::clickControl(import);
            ++statistics_.carnetImports;
        } else {
            testing::clickControl(testing::findControl(dialog, QStringLiteral("cancelButton")));
        }
        testing::settle();
        if (open && open->isVisible()) {
            fail(QStringLiteral("the import dialog stays open"));
            dialog->reject();
        }
    }
    resumeDialogCloser();
    endPhase();
}

// "Reprendre les mesures du carnet": the carnet's tank typed into the fields.
void Monkey::takeCarnetMeasures() {
    carnetTouched_ = true;
    beginPhase(QStringLiteral("click takeMeasuresButton \"Reprendre les mesures du carnet\""));
    clickControl(carnetControl("takeMeasuresButton"));
    endPhase();
}

// ----- Steps ---------------------------------------------------------------

void Monkey::beginPhase(const QString& what) {
    phase_ =
        QStringLiteral("step %1 of %2 (seed %3): %4").arg(step_).arg(actions_).arg(seed_).arg(what);
    testing::rememberAction(phase_);
    if (trace_) {
        std::fprintf(stderr, "%s\n", qPrintable(phase_));
    }
    textsBefore_.clear();
    for (const QLineEdit* field : fields_) {
        textsBefore_.push_back(field->text());
    }
    typedInto_ = nullptr;
    watchdog_.start(phase_);
}

void Monkey::endPhase() {
    testing::settle();
    verify();
    watchdog_.stop();
    carnetTouched_ = false;
}

void Monkey::bringToFront(QWidget* window) {
    if (!testing::bringToFront(window)) {
        fail(QStringLiteral("%1 does not become the active window").arg(window->objectName()));
    }
}

void Monkey::clickControl(QWidget* target, QPoint at) {
    bringToFront(target->window());
    testing::clickControl(target, at);
}

// mode 0 replaces the whole text, 1 inserts at the cursor, 2 appends.
void Monkey::typeText(const QString& text, int mode) {
    QWidget* target = focusTarget();
    typedInto_ = qobject_cast<QLineEdit*>(target);
    if (mode == 0) {
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    } else if (mode == 2) {
        QTest::keyClick(target, Qt::Key_End);
    }
    if (text.isEmpty() && mode == 0) {
        QTest::keyClick(target, Qt::Key_Delete);
    }
    QTest::keyClicks(target, text);
    if (mode == 0 && typedInto_ && typedInto_->text() != text) {
        fail(QStringLiteral("typing \"%1\" left \"%2\"").arg(text, typedInto_->text().left(80)));
    }
}

// The precision is always typed over the whole text.
void Monkey::setPrecisionText(const QString& text) {
    QWidget* combo = focusTarget();
    if (combo != control("Combo1")) {
        return;
    }
    beginPhase(QStringLiteral("type the precision \"%1\"").arg(text));
    typedInto_ = fields_.back();
    QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(combo, Qt::Key_Delete);
    }
    QTest::keyClicks(combo, text);
    if (typedInto_->text() != text) {
        fail(QStringLiteral("typing \"%1\" left \"%2\"").arg(text, typedInto_->text().left(80)));
    }
    endPhase();
}

// Where the keyboard's keys go: the focus of the active window.
QWidget* Monkey::focusTarget() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !focus->isVisible() || focus->window() != QApplication::activeWindow()) {
        return nullptr;
    }
    return focus;
}

// ----- Texts ---------------------------------------------------------------

int Monkey::draw(std::initializer_list<int> weights) {
    int total = 0;
    for (int weight : weights) {
        total += weight;
    }
    int drawn = static_cast<int>(random_.bounded(total));
    int index = 0;
    for (int weight : weights) {
        if (drawn < weight) {
            return index;
        }
        drawn -= weight;
        ++index;
    }
    return index - 1;
}

QString Monkey::pick(std::initializer_list<const char*> texts) {
    const quint32 index = random_.bounded(static_cast<quint32>(texts.size()));
    return QString::fromLatin1(*(texts.begin() + index));
}

QString Monkey::randomCharacters(int count, const char* alphabet) {
    const auto size = static_cast<quint32>(std::strlen(alphabet));
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i) {
        text += QLatin1Char(alphabet[random_.bounded(size)]);
    }
    return text;
}

// Letters the monkey types. Without n and f it cannot spell "nan" or "inf"
// itself, so that every such text seen in a field is the window's.
constexpr char letters[] = "abcdeghijklmopqrstuvwxyzABCDEGHIJKLMOPQRSTUVWXYZ";
constexpr char anything[] = "0123456789+-.,eEdD&HhOo xyz%$*/()";

// A number that a tank could have, so that runs succeed now and then.
QString Monkey::plausibleText(const QString& field) {
    static const QMap<QString, std::pair<int, int>> ranges = {
        {QStringLiteral("Text1"), {600, 3000}},  {QStringLiteral("Text2"), {0, 2000}},
        {QStringLiteral("Text3"), {2000, 9000}}, {QStringLiteral("Text4"), {0, 300}},
        {QStringLiteral("Text5"), {0, 500}},     {QStringLiteral("Text6"), {200, 2000}},
        {QStringLiteral("Text9"), {500, 5000}},  {QStringLiteral("Text12"), {800, 5000}},
    };
    const auto [low, high] = ranges.value(field, {0, 5000});
    return QString::number(random_.bounded(low, high + 1));
}

QString Monkey::measurementText(const QString& field) {
    switch (draw({30, 8, 5, 6, 10, 6, 6, 8, 3, 2})) {
        case 0:
            return plausibleText(field);
        case 1:
            return QStringLiteral("%1.%2").arg(random_.bounded(3000)).arg(random_.bounded(1000));
        case 2:
            return QStringLiteral("%1,%2").arg(random_.bounded(3000)).arg(random_.bounded(1000));
        case 3:
            return pick({"-", "+", "--", "+-", "-+"}) + QString::number(random_.bounded(2000));
        case 4:  // exponents up to 1e999, and an exponent letter without digits
            return pick({"1", "2.5", "9.99", "0", "-1", ".5", "7", "1000"}) +
                   pick({"e", "E", "d", "D"}) + pick({"", "-", "+"}) +
                   pick({"", "0", "1", "3", "10", "100", "307", "308", "309", "400", "999",
                         "99999"});
        case 5:  // hexadecimal and octal, "&H" alone, and integers past any double
            if (random_.bounded(3) == 0) {
                return QStringLiteral("&O") +
                       randomCharacters(static_cast<int>(random_.bounded(30)), "012345678");
            }
            return pick({"&H", "&h"}) +
                   randomCharacters(static_cast<int>(random_.bounded(24)), "0123456789ABCDEabcde");
        case 6:
            return randomCharacters(1 + static_cast<int>(random_.bounded(6)), letters);
        case 7:
            return randomCharacters(1 + static_cast<int>(random_.bounded(12)), anything);
        case 8:  // blanks inside a number
            return QStringLiteral(" %1 %2 ").arg(random_.bounded(30)).arg(random_.bounded(100));
        default:
            return QString();
    }
}

// Mostly small, now and then "10", and some that cannot be a precision. None
// reads as a number above 10.
QString Monkey::precisionText() {
    switch (draw({80, 6, 14})) {
        case 0:
            return pick({"0.01", "0.02", "0.05", "0.1", "0.2", "0.25", "0.5", "0.75", "1", "1.0",
                         "1e-1", "5E-2", "+0.5", " 0.5", "&H1", "&O1"});
        case 1:
            return QStringLiteral("10");
        default:
            return pick({"", "0", "-1", "-0.5", "1e999", "-1e999", "1e-999", "0,5", "abc", "&H",
                         "&HA", "&O7", ".", "e5", "1e", "+-1", "&H0", "1d-2"});
    }
}

QString Monkey::longText(bool forPrecision) {
    if (forPrecision) {  // infinite, zero or below one: never a long run
        switch (draw({1, 1, 1, 1})) {
            case 0:
                return QString(pastedLength, QLatin1Char('9'));
            case 1:
                return QLatin1Char('1') + QString(pastedLength - 1, QLatin1Char('0'));
            case 2:
                return QStringLiteral("0.") + QString(pastedLength - 2, QLatin1Char('9'));
            default:
                return QString(pastedLength, QLatin1Char('x'));
        }
    }
    switch (draw({1, 1, 1, 1, 1, 1})) {
        case 0:
            return QString(pastedLength, QLatin1Char('9'));
        case 1:
            return QLatin1Char('1') + QString(pastedLength - 1, QLatin1Char('0'));
        case 2:
            return QLatin1Char('-') + QString(pastedLength - 1, QLatin1Char('7'));
        case 3:
            return QStringLiteral("0.") + QString(pastedLength - 2, QLatin1Char('3'));
        case 4:
            return QString(pastedLength, QLatin1Char('x'));
        default:
            return randomCharacters(pastedLength, anything);
    }
}

// Steps of the list, steps a user might type, and steps that cannot be: with
// a comma or a period, none, negative, tiny, huge, not a number. None spells
// "nan" or "inf", so that any such word seen in the window is the window's.
QString Monkey::stepText() {
    switch (draw({40, 25, 35})) {
        case 0:
            return pick({"1", "2", "5", "10", "20"});
        case 1:
            return pick({"3", "4", "25", "50", "100", "2,5", "7.5", " 10 ", "1 000", "0,5", "1e1",
                         "&HA", "2mm", "+5"});
        default:
            return pick({"3,5",
                         "abc",
                         "0",
                         "-5",
                         "",
                         "-",
                         ",",
                         ".",
                         "1e308",
                         "1e999",
                         "1e-3",
                         "0,001",
                         "99999999999999999999",
                         "1e9",
                         "1 2",
                         "1,2,3",
                         "&H",
                         "5e",
                         "\u00a05",
                         "1\u202f000"});
    }
}

QString Monkey::fillLimitText() {
    return pick({"50", "90", "100", "1", "0", "150", "-5", "abc", "85,5", "", "1e3", "75 %", "9",
                 "99999999999"});
}

// Look-ups: numbers the window wrote, numbers with the window's decimal comma
// and grouping spaces, numbers with a period, and anything else.
QString Monkey::lookUpText() {
    switch (draw({20, 20, 15, 10, 15, 8, 7, 5})) {
        case 0:
            return numberSeenInChart();
        case 1:
            return groupedNumber();
        case 2:
            return QStringLiteral("%1,%2").arg(random_.bounded(4000)).arg(random_.bounded(1000));
        case 3:
            return QStringLiteral("%1.%2").arg(random_.bounded(4000)).arg(random_.bounded(1000));
        case 4:
            return QString::number(random_.bounded(5000));
        case 5:
            return pick({"-1", "-0", "0", "1e999", "-1e999", "1e-999", "&HFF", "1,2,3", "12abc",
                         ",", " ", "1 57", "1  570", "15 70,5", "+12", "1 570,796 litres", "300 mm",
                         "99999999999999999999", "0,0000001"});
        case 6:
            return randomCharacters(1 + static_cast<int>(random_.bounded(12)), anything);
        default:
            return randomCharacters(1 + static_cast<int>(random_.bounded(6)), letters);
    }
}

// Mostly now (the dialog's own time) or some day of the last year, now and
// then hours ahead (more than a day ahead is refused) or years back.
QDateTime Monkey::carnetTime() {
    const QDateTime now = QDateTime::currentDateTime();
    switch (draw({4, 4, 1, 1})) {
        case 0:
            return QDateTime();
        case 1:
            return now.addSecs(-qint64{60} * random_.bounded(365 * 24 * 60));
        case 2:
            return now.addSecs(qint64{3600} * random_.bounded(1, 60));
        default:
            return now.addYears(-static_cast<int>(random_.bounded(1, 30)));
    }
}

// Heights a tank of 1 000 mm may hold, with the window's comma or a period,
// and anything else.
QString Monkey::carnetHeightText() {
    switch (draw({10, 4, 3, 3})) {
        case 0:
            return QString::number(random_.bounded(1001));
        case 1:
            return QStringLiteral("%1%2%3")
                .arg(random_.bounded(1000))
                .arg(random_.bounded(2) ? QLatin1Char(',') : QLatin1Char('.'))
                .arg(random_.bounded(10));
        case 2:
            return pick({"", "-1", "0", "1000", "1000,1", "1e9", "1e999", "-0", "12abc", "abc",
                         " 500 ", "5 00", "&H10", ","});
        default:
            return lookUpText();
    }
}

QString Monkey::carnetLitresText() {
    switch (draw({10, 3, 3})) {
        case 0:
            return QString::number(random_.bounded(1, 1700));
        case 1:
            return pick({"", "0", "-300", "1600", "99999", "1e999", "1 200", "1200,5", "abc"});
        default:
            return lookUpText();
    }
}

// Three to eight lines under one of the headers (or none): readings of the
// last days, and lines a sensor or a hand gets wrong.
QString Monkey::importedCsv() {
    const bool homeAssistant = random_.bounded(3) == 0;
    const QChar separator =
        homeAssistant || random_.bounded(2) ? QLatin1Char(',') : QLatin1Char(';');
    QString text;
    if (random_.bounded(5) != 0) {
        text = homeAssistant ? QStringLiteral("entity_id,state,last_changed\n")
                             : QStringLiteral("date%1hauteur\n").arg(separator);
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int line = 3 + static_cast<int>(random_.bounded(6)); line > 0; --line) {
        QString time = now.addSecs(-qint64{3600} * random_.bounded(1, 2000))
                           .toString(homeAssistant ? Qt::ISODateWithMs : Qt::ISODate);
        QString value = QString::number(random_.bounded(1001));
        switch (draw({6, 1, 1, 1, 1})) {
            case 1:
                value = pick({"unavailable", "unknown", "", "-5", "1e999", "abc", "12,5"});
                break;
            case 2:
                time = pick({"", "hier", "2026-13-45", "31/02/2026 08:00", "1e9"});
                break;
            case 3:
                time = now.addDays(3).toString(Qt::ISODate);
                break;
            case 4:
                value = QString::number(random_.bounded(1001, 5000));
                break;
            default:
                break;
        }
        text += homeAssistant ? QStringLiteral("sensor.cuve,%1,%2\n").arg(value, time)
                              : QStringLiteral("%1%2%3\n").arg(time, separator, value);
    }
    return text;
}

// Thousands set apart by an ordinary, a no-break or a narrow no-break space,
// with or without decimals after the comma.
QString Monkey::groupedNumber() {
    static const QChar spaces[] = {QChar(' '), QChar(0x00A0), QChar(0x202F)};
    const QChar space = spaces[random_.bounded(static_cast<quint32>(std::size(spaces)))];
    QString text = QString::number(1 + random_.bounded(20)) + space +
                   QStringLiteral("%1").arg(random_.bounded(1000), 3, 10, QLatin1Char('0'));
    if (random_.bounded(3) != 0) {
        text += QLatin1Char(',') + QString::number(random_.bounded(1000));
    }
    return text;
}

// A number as the chart window shows it: in its texts or in a row of its
// table, thousands set apart as it sets them. What is shown depends on how far
// the computations went; the draws do not, so that a seed replays the same
// actions.
QString Monkey::numberSeenInChart() {
    const quint32 rowDraw = random_.generate();
    const quint32 columnDraw = random_.generate();
    const quint32 numberDraw = random_.generate();
    static const QRegularExpression number(
        QStringLiteral("\\d{1,3}(?:[ \\x{00A0}\\x{202F}]\\d{3})+(?:,\\d+)?|\\d+(?:,\\d+)?"));
    QStringList texts;
    for (const QLabel* label : chartWindow()->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            texts << label->text();
        }
    }
    const QAbstractItemModel* rows = chartControl<QTableView>("chartTable")->model();
    if (rows->rowCount() > 0 && rows->columnCount() > 0) {
        const int row = static_cast<int>(rowDraw % static_cast<quint32>(rows->rowCount()));
        const int column = static_cast<int>(columnDraw % static_cast<quint32>(rows->columnCount()));
        texts << rows->index(row, column).data().toString();
    }
    QStringList numbers;
    for (const QString& text : texts) {
        for (auto found = number.globalMatch(text); found.hasNext();) {
            numbers << found.next().captured();
        }
    }
    if (numbers.isEmpty()) {
        return QStringLiteral("1 570,796");
    }
    return numbers[static_cast<int>(numberDraw % static_cast<quint32>(numbers.size()))];
}

// ----- Checks --------------------------------------------------------------

void Monkey::fail(const QString& problem) {
    if (problem_.isEmpty()) {
        problem_ = phase_ + QStringLiteral("\n  ") + problem;
    }
}

void Monkey::verify() {
    verifyBoxes();
    verifyFieldTexts();
    verifyOptions();
    verifyWindows();
    verifyChart();
    verifyCarnet();
}

void Monkey::verifyBoxes() {
    for (const testing::CaughtBox& box : boxes_.takeBoxes()) {
        const QString text = box.text.left(100);
        ++statistics_.boxes[text];
        if (box.title != QLatin1String("Varnelle")) {
            fail(QStringLiteral("box \"%1\" has the title \"%2\"").arg(text, box.title));
        }
        if (box.buttonCount != 1 || !box.hasOk) {
            fail(QStringLiteral("box \"%1\" has %2 buttons%3")
                     .arg(text)
                     .arg(box.buttonCount)
                     .arg(box.hasOk ? QString() : QStringLiteral(", none of them OK")));
        }
        if (box.hasOk && !box.closedByOk) {
            fail(QStringLiteral("box \"%1\" stays open when its OK button is clicked").arg(text));
        }
    }
    for (const QString& title : dialogs_->takeClosed()) {
        ++statistics_.dialogs[title];
    }
    if (QApplication::activeModalWidget()) {
        fail(QStringLiteral("a modal window is still open: %1 \"%2\"")
                 .arg(QApplication::activeModalWidget()->objectName(),
                      QApplication::activeModalWidget()->windowTitle()));
    }
}

// No field shows "nan" or "inf"; every text that the window wrote is a finite
// number, empty, or "incorrect".
void Monkey::verifyFieldTexts() {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+([.,][0-9]+)?$"));
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        QLineEdit* field = fields_[i];
        const QString text = field->text();
        if (text != textsBefore_[i]) {
            writtenByWindow_[i] = field != typedInto_;
        }
        const QString shown =
            field == fields_.back() ? QStringLiteral("Combo1") : field->objectName();
        if (text.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
            text.contains(QLatin1String("inf"), Qt::CaseInsensitive)) {
            fail(QStringLiteral("%1 shows \"%2\"").arg(shown, text.left(80)));
        }
        if (!writtenByWindow_[i] || text.isEmpty() || text == QLatin1String("incorrect")) {
            continue;
        }
        QString asRead = text;
        bool read = false;
        const double value = asRead.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&read);
        if (!number.match(text).hasMatch() || !read || !std::isfinite(value)) {
            fail(QStringLiteral("%1 was given \"%2\", which is not a finite number")
                     .arg(shown, text.left(80)));
        }
    }
}

// The end shape decides what is seen: the arc length only with spherical caps,
// the end circle only with truncated cones, one picture.
void Monkey::verifyOptions() {
    const bool caps = control<QAbstractButton>("Option1_2")->isChecked();
    const bool cones = control<QAbstractButton>("Option1_1")->isChecked();
    for (const char* name : {"Option3_1", "Text12"}) {
        if (control(name)->isVisible() && !caps) {
            fail(QStringLiteral("%1 is seen without spherical caps").arg(QLatin1String(name)));
        }
    }
    for (const char* name : {"Label6", "Text6"}) {
        if (control(name)->isVisible() && !cones) {
            fail(QStringLiteral("%1 is seen without truncated cones").arg(QLatin1String(name)));
        }
    }
    int pictures = 0;
    for (const char* name : {"Image1", "Image2", "Image3", "Image4"}) {
        pictures += control(name)->isVisible() ? 1 : 0;
    }
    if (pictures != 1) {
        fail(QStringLiteral("%1 pictures are seen").arg(pictures));
    }
    for (const char* group : {"Option1", "Option2", "Option3"}) {
        int checked = 0;
        for (const QAbstractButton* button : window_->findChildren<QAbstractButton*>(
                 QRegularExpression(QStringLiteral("^%1_\\d$").arg(QLatin1String(group))))) {
            checked += button->isChecked() ? 1 : 0;
        }
        if (checked != 1) {
            fail(QStringLiteral("%1 buttons of %2 are selected")
                     .arg(checked)
                     .arg(QLatin1String(group)));
        }
    }
}

// The window is still there and at rest, with at most one about box.
void Monkey::verifyWindows() {
    if (!window_->isVisible()) {
        fail(QStringLiteral("the main window has closed"));
    }
    if (control("Label13")->width() != twipsToPixels(progress_bar::RestingWidthTwips)) {
        fail(QStringLiteral("the progress bar is not at rest between two actions"));
    }
    if (visibleAboutBoxes() > 1) {
        fail(QStringLiteral("%1 about boxes are open").arg(visibleAboutBoxes()));
    }
}

// One chart window at most; what it shows, in its texts and its rows, has no
// number that is not one.
void Monkey::verifyChart() {
    if (visibleChartWindows() > 1) {
        fail(QStringLiteral("%1 chart windows are open").arg(visibleChartWindows()));
    }
    QWidget* chart = chartWindow();
    if (!chart) {
        chartRowsSeen_ = false;
        return;
    }
    for (const QLabel* label : chart->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            verifyShownText(label->objectName(), label->text());
        }
    }
    for (const char* name : {"heightAnswer", "litresAnswer"}) {
        if (!chartControl<QLabel>(name)->text().isEmpty()) {
            ++statistics_.lookUpsAnswered;
            break;
        }
    }
    const QAbstractItemModel* rows = chartControl<QTableView>("chartTable")->model();
    const int count = rows->rowCount();
    if (count > 0 && !chartRowsSeen_) {
        ++statistics_.chartsShown;
    }
    chartRowsSeen_ = count > 0;
    if (count == 0) {
        return;
    }
    for (const int row : {0, count - 1, step_ % count}) {
        for (int column = 0; column < rows->columnCount(); ++column) {
            verifyShownText(QStringLiteral("row %1 of chartTable").arg(row),
                            rows->index(row, column).data().toString());
        }
    }
}

// One carnet window at most; once it has computed, what it shows has no
// number that is not one, and its journal as many lines as its carnet holds
// readings and deliveries.
void Monkey::verifyCarnet() {
    if (visibleCarnetWindows() > 1) {
        fail(QStringLiteral("%1 carnet windows are open").arg(visibleCarnetWindows()));
    }
    LogbookWindow* carnet = carnetWindow();
    if (!carnet) {
        carnetSeen_ = nullptr;
        return;
    }
    if (!QTest::qWaitFor([carnet] { return !carnet->isComputing(); }, carnetComputeLimitMs)) {
        fail(QStringLiteral("the carnet window computes without end"));
        return;
    }
    for (const QLabel* label : carnet->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            verifyShownText(label->objectName(), label->text());
        }
    }
    const QAbstractItemModel* rows = carnetControl<QTableView>("logTable")->model();
    const int count = rows->rowCount();
    for (const int row : {0, count - 1, count > 0 ? step_ % count : -1}) {
        for (int column = 0; row >= 0 && column < rows->columnCount(); ++column) {
            verifyShownText(QStringLiteral("row %1 of logTable").arg(row),
                            rows->index(row, column).data().toString());
        }
    }
    const bool sameCount = carnet == carnetSeen_ && count == carnetLinesSeen_;
    if (carnet == carnetSeen_ && !sameCount) {
        ++statistics_.carnetLinesChanged;
    }
    carnetSeen_ = carnet;
    carnetLinesSeen_ = count;
    if (sameCount && !carnetTouched_) {
        return;
    }
    // A carnet the window cannot read shows no line and offers no change.
    if (!carnetControl<QAbstractButton>("exportButton")->isEnabled()) {
        if (count != 0) {
            fail(QStringLiteral("logTable shows %1 lines of a carnet it cannot read").arg(count));
        }
        return;
    }
    Outcome<CarnetStore> opened = CarnetStore::open(carnet->carnetPath(), false);
    if (const Refusal* refused = refusalOf(opened)) {
        fail(QStringLiteral("the carnet shown cannot be read: %1").arg(refused->sentence));
        return;
    }
    const CarnetStore& store = std::get<CarnetStore>(opened);
    const Outcome<std::vector<StoredReading>> readings = store.readings();
    const Outcome<std::vector<StoredDelivery>> deliveries = store.storedDeliveries();
    if (refusalOf(readings) || refusalOf(deliveries)) {
        fail(QStringLiteral("the carnet shown cannot be read back"));
        return;
    }
    const auto held = std::get<std::vector<StoredReading>>(readings).size() +
                      std::get<std::vector<StoredDelivery>>(deliveries).size();
    if (static_cast<std::size_t>(count) != held) {
        fail(QStringLiteral("logTable shows %1 lines of a carnet holding %2").arg(count).arg(held));
    }
}

// "nan" and "inf" as words: what a number that is not one prints as.
void Monkey::verifyShownText(const QString& where, const QString& text) {
    static const QRegularExpression notANumber(QStringLiteral("(?<!\\p{L})(nan|inf)(?!\\p{L})"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (notANumber.match(text).hasMatch()) {
        fail(QStringLiteral("%1 shows \"%2\"").arg(where, text.left(200)));
    }
}

// ----- Finding windows and fields ------------------------------------------

QWidget* Monkey::aboutBox() const {
    for (QWidget* window : testing::topLevelWindows(QStringLiteral("frmabout"))) {
        if (window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

int Monkey::visibleAboutBoxes() const {
    const QList<QWidget*> boxes = testing::topLevelWindows(QStringLiteral("frmabout"));
    return static_cast<int>(
        std::count_if(boxes.cbegin(), boxes.cend(), [](QWidget* box) { return box->isVisible(); }));
}

QWidget* Monkey::chartWindow() const {
    for (QWidget* window : testing::topLevelWindows(QStringLiteral("ChartWindow"))) {
        if (window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

int Monkey::visibleChartWindows() const {
    const QList<QWidget*> charts = testing::topLevelWindows(QStringLiteral("ChartWindow"));
    return static_cast<int>(std::count_if(charts.cbegin(), charts.cend(),
                                          [](QWidget* chart) { return chart->isVisible(); }));
}

LogbookWindow* Monkey::carnetWindow() const {
    for (QWidget* window : testing::topLevelWindows(QStringLiteral("LogbookWindow"))) {
        if (window->isVisible()) {
            return qobject_cast<LogbookWindow*>(window);
        }
    }
    return nullptr;
}

int Monkey::visibleCarnetWindows() const {
    const QList<QWidget*> carnets = testing::topLevelWindows(QStringLiteral("LogbookWindow"));
    return static_cast<int>(std::count_if(carnets.cbegin(), carnets.cend(),
                                          [](QWidget* carnet) { return carnet->isVisible(); }));
}

// A measurement field seen, four times in five, else a result field.
QLineEdit* Monkey::anyVisibleField() {
    static const QStringList results = {QStringLiteral("Text7"), QStringLiteral("Text8"),
                                        QStringLiteral("Text10"), QStringLiteral("Text11"),
                                        QStringLiteral("Text13")};
    const bool result = random_.bounded(5) == 0;
    std::vector<QLineEdit*> seen;
    for (QLineEdit* field : fields_) {
        if (field != fields_.back() && field->isVisible() &&
            results.contains(field->objectName()) == result) {
            seen.push_back(field);
        }
    }
    return seen[random_.bounded(static_cast<quint32>(seen.size()))];
}

}  // namespace
}  // namespace varnelle

class MonkeyTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        varnelle::toolkitHandler = qInstallMessageHandler(&varnelle::withoutPlatformNotices);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        // A click on the address must not start a mail program here.
        varnelle::AboutBox::setMailOpener([this](const QString&) { ++mailsOpened_; });
        // The carnet remembered, and the folders the dialogs remember, stay here.
        QVERIFY(settingsFolder_.isValid());
        varnelle::testing::keepSettingsIn(settingsFolder_.path());
    }
    void cleanupTestCase() {
        varnelle::AboutBox::setMailOpener({});
        QLocale::setDefault(QLocale::c());
        qInstallMessageHandler(varnelle::toolkitHandler);
    }

    void survivesALongRandomUse() {
        const auto seed = static_cast<quint32>(
            varnelle::environmentNumber("VARNELLE_MONKEY_SEED", varnelle::defaultSeed));
        const int actions =
            varnelle::environmentNumber("VARNELLE_MONKEY_ACTIONS", varnelle::defaultActions);
        qInfo("monkey: seed %u, %d actions", seed, actions);
        const varnelle::testing::CrashReporter crashReporter("monkey");
        varnelle::Monkey monkey(seed, actions);

        const QString problem = monkey.run();

        const varnelle::Statistics& seen = monkey.statistics();
        for (auto box = seen.boxes.cbegin(); box != seen.boxes.cend(); ++box) {
            qInfo("monkey: %5d x box \"%s\"", box.value(), qPrintable(box.key().trimmed()));
        }
        qInfo("monkey: %d about boxes opened, %d mails, %d pastes, %d runs at \"10\"",
              seen.aboutBoxesOpened, mailsOpened_, seen.pastes, seen.runsAtTen);
        qInfo(
            "monkey: %d chart windows opened, %d charts shown, %d look-ups seen answered, "
            "%d copies",
            seen.chartWindowsOpened, seen.chartsShown, seen.lookUpsAnswered, seen.copies);
        qInfo(
            "monkey: %d carnet windows opened, %d carnets created, %d readings and deliveries "
            "taken, %d refused, %d deletions, %d undos, %d imports, %d changes of the journal seen",
            seen.carnetWindowsOpened, seen.carnetsCreated, seen.carnetDialogsConfirmed,
            seen.carnetDialogsRefused, seen.carnetDeletions, seen.carnetUndos, seen.carnetImports,
            seen.carnetLinesChanged);
        for (auto dialog = seen.dialogs.cbegin(); dialog != seen.dialogs.cend(); ++dialog) {
            qInfo("monkey: %5d x dialog \"%s\" cancelled", dialog.value(),
                  qPrintable(dialog.key()));
        }
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // A long enough run that reached none of these has tested little.
        if (actions >= 1000) {
            QVERIFY(seen.boxes.value(varnelle::calculationDone) > 0);
            QVERIFY(seen.boxes.value(varnelle::cannotCompute) > 0);
            QVERIFY(seen.boxes.size() > 5);
            QVERIFY(seen.aboutBoxesOpened > 0);
            QVERIFY(mailsOpened_ > 0);
            QVERIFY(seen.pastes > 0);
            QVERIFY(seen.runsAtTen > 0);
            QVERIFY(seen.chartWindowsOpened > 0);
            QVERIFY(seen.chartsShown > 0);
            QVERIFY(seen.lookUpsAnswered > 0);
            QVERIFY(seen.copies > 0);
            QVERIFY(seen.carnetWindowsOpened > 0);
            QVERIFY(seen.carnetDialogsConfirmed > 0);
            QVERIFY(seen.carnetDialogsRefused > 0);
            QVERIFY(seen.carnetLinesChanged > 0);
        }
    }

  private:
    int mailsOpened_ = 0;
    QTemporaryDir settingsFolder_;
};

// The test library ends a test function after five minutes; a long run takes
// longer and has its own watchdog, for each action.
int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) {
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(7 * 24 * 3600 * 1000));
    }
    QApplication application(argc, argv);
    MonkeyTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "monkey_test.moc"
