// The main window as it opens: which controls are seen, their texts, places,
// fonts, tooltips and names for screen readers, the tab order, the pictures,
// and whether every caption fits its box in the font actually used.
#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QtTest>

#include <memory>

#include "ui/volumes.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace varnelle {
namespace {

enum class Kind { Frame, Option, Label, Field, Button, Picture, Combo, PictureBox };

// One row per control, as the window is designed: where it lives, what it
// says, its place in twips, and how it looks right after the window opens.
struct ControlDesign {
    const char* name;
    Kind kind;
    const char* container;
    const char* text;  // caption, label text or initial text of a field
    int left, top, width, height;
    bool seen;     // seen on screen at start
    bool flagSet;  // its own shown flag at start (a hidden frame hides it anyway)
    const char* toolTip;
    bool bold;
};

constexpr bool seen = true, unseen = false;
constexpr bool flagSet = true, flagCleared = false;
constexpr bool bold = true, regular = false;

// clang-format off
const ControlDesign designs[] = {
    {"Frame5", Kind::Frame, "Volumes", "Choisir parmi 4 types de cuve cylindrique",
     120, 120, 9615, 2055, seen, flagSet, "", bold},
    {"Option1_0", Kind::Option, "Frame5", "cuve cylindrique à bords plats",
     240, 350, 2535, 255, seen, flagSet, "", regular},
    {"Option1_1", Kind::Option, "Frame5", "cuve cylindrique à bords tronconiques",
     240, 750, 3135, 255, seen, flagSet, "", regular},
    {"Option1_2", Kind::Option, "Frame5", "cuve cylindrique à bords en calotte sphérique",
     240, 1150, 3615, 255, seen, flagSet, "", regular},
    {"Option1_3", Kind::Option, "Frame5", "cuve cylindrique à bords 1/4 de cercle",
     240, 1550, 3135, 255, seen, flagSet, "", regular},
    {"Image1", Kind::Picture, "Frame5", "",
     4680, 240, 2250, 1680, seen, flagSet, "", regular},
    {"Image2", Kind::Picture, "Frame5", "",
     4680, 240, 2250, 1680, unseen, flagCleared, "", regular},
    {"Image3", Kind::Picture, "Frame5", "",
     4680, 240, 2250, 1680, unseen, flagCleared, "", regular},
    {"Image4", Kind::Picture, "Frame5", "",
     4680, 240, 2250, 1680, unseen, flagCleared, "", regular},
    {"Command3", Kind::Button, "Frame5", "A Propos",
     7680, 240, 1815, 375, seen, flagSet, "", regular},
    {"Command4", Kind::Button, "Frame5", "Barème…",
     7680, 720, 1815, 375, seen, flagSet,
     "barème de jaugeage : les litres pour chaque hauteur, à imprimer", regular},

    {"Frame1", Kind::Frame, "Volumes", "Paramètres de la partie cylindrique",
     120, 2280, 4215, 4215, seen, flagSet, "", bold},
    {"Label1", Kind::Label, "Frame1", "J'opte pour le :",
     600, 480, 1215, 255, seen, flagSet, "", regular},
    {"Option2_0", Kind::Option, "Frame1", "diamètre de la cuve (mm)",
     240, 840, 2175, 375, seen, flagSet, "", regular},
    {"Text1", Kind::Field, "Frame1", "1000",
     2750, 840, 1095, 375, seen, flagSet, "", regular},
    {"Option2_1", Kind::Option, "Frame1", "périmètre de la cuve (mm)",
     240, 1440, 2175, 375, seen, flagSet, "", regular},
    {"Text3", Kind::Field, "Frame1", "3142",
     2750, 1440, 1095, 375, unseen, flagCleared, "", regular},
    {"Label2", Kind::Label, "Frame1", "hauteur du mazout à partir du fond de la cuve (mm)",
     240, 2160, 2055, 495, seen, flagSet, "", regular},
    {"Text2", Kind::Field, "Frame1", "300",
     2750, 2160, 1095, 375, seen, flagSet, "", regular},
    {"Label9", Kind::Label, "Frame1", "longueur de la partie cylindrique de la cuve (mm)",
     240, 2880, 2175, 375, seen, flagSet, "", regular},
    {"Text9", Kind::Field, "Frame1", "2000",
     2750, 2880, 1095, 375, seen, flagSet, "", regular},
    {"Label4", Kind::Label, "Frame1", "hauteur de la crépine par rapport au fond de la cuve (mm)",
     240, 3480, 2055, 615, seen, flagSet, "", regular},
    {"Text4", Kind::Field, "Frame1", "100",
     2750, 3600, 1095, 375, seen, flagSet, "", regular},

    {"Frame2", Kind::Frame, "Volumes", "Paramètres des extrémités",
     4440, 2280, 5295, 2175, unseen, flagCleared, "", bold},
    {"Label3", Kind::Label, "Frame2", "J'opte pour la mesure de l'excroissance d'une extrémité :",
     240, 360, 4335, 255, unseen, flagSet, "", regular},
    {"Option3_0", Kind::Option, "Frame2", "par sa largeur  (mm) ",
     120, 640, 3735, 375, unseen, flagSet, "", regular},
    {"Text5", Kind::Field, "Frame2", "100",
     3960, 640, 1095, 375, unseen, flagSet, "", regular},
    {"Option3_1", Kind::Option, "Frame2",
     "en donnant la longueur de la portion de sphère passant par le centre de la calotte  (mm)",
     120, 1200, 3615, 495, unseen, flagSet, "", regular},
    {"Text12", Kind::Field, "Frame2", "1026",
     3960, 1200, 1095, 375, unseen, flagSet, "", regular},
    {"Label6", Kind::Label, "Frame2", "diamètre du cercle de l'extrémité (mm)",
     840, 1800, 2775, 255, unseen, flagSet, "", regular},
    {"Text6", Kind::Field, "Frame2", "800",
     3960, 1750, 1095, 375, unseen, flagSet, "", regular},

    {"Command2", Kind::Button, "Volumes", "Valider les paramètres",
     4440, 4600, 2775, 375, seen, flagSet, "", bold},
    {"Command1", Kind::Button, "Volumes", "Calculer",
     7800, 4600, 1935, 375, seen, flagSet, "", bold},
    {"Picture1", Kind::PictureBox, "Volumes", "",
     4440, 5085, 5310, 225, seen, flagSet, "", regular},

    {"Frame3", Kind::Frame, "Volumes", "Résultats",
     4440, 5520, 5295, 2415, seen, flagSet, "", bold},
    {"Label5", Kind::Label, "Frame3", "volume dans la partie cylindrique (litres)",
     360, 345, 3015, 255, seen, flagSet, "", regular},
    {"Text7", Kind::Field, "Frame3", "",
     3720, 300, 1335, 285, seen, flagSet, "", regular},
    {"Label7", Kind::Label, "Frame3", "volume dans les 2 flancs (litres)",
     880, 795, 2535, 255, seen, flagSet, "", regular},
    {"Text11", Kind::Field, "Frame3", "",
     3720, 730, 1335, 285, seen, flagSet, "valeur par excès", regular},
    {"Label11", Kind::Label, "Frame3", "volume total du mazout dans la cuve (litres)",
     70, 1200, 3135, 255, seen, flagSet, "", regular},
    {"Text13", Kind::Field, "Frame3", "",
     3720, 1170, 1335, 285, seen, flagSet, "valeur par excès", regular},
    {"Label12", Kind::Label, "Frame3", "volume total sous la crépine (litres)",
     720, 1600, 2535, 255, seen, flagSet, "", regular},
    {"Text10", Kind::Field, "Frame3", "",
     3720, 1600, 1335, 285, seen, flagSet, "valeur par excès", regular},
    {"Label8", Kind::Label, "Frame3", "volume total disponible (litres)",
     1080, 2050, 2295, 255, seen, flagSet, "", regular},
    {"Text8", Kind::Field, "Frame3", "",
     3720, 2050, 1335, 285, seen, flagSet, "valeur par excès", regular},

    {"Frame4", Kind::Frame, "Volumes", "Précision du calcul",
     120, 6840, 4215, 1095, seen, flagSet, "", bold},
    {"Label10", Kind::Label, "Frame4", "nombre d'intervalles d'intégration en x1000",
     240, 360, 1695, 495, seen, flagSet, "précision", regular},
    {"Combo1", Kind::Combo, "Frame4", "10",
     2500, 360, 1400, 315, seen, flagSet,
     "à choisir en rapport avec la fréquence du CPU", regular},
};
// clang-format on

// The labels that wrap their text within their box.
bool wraps(const char* name) {
    const QByteArray n(name);
    return n == "Label2" || n == "Label9" || n == "Label4" || n == "Label10" || n == "Option3_1";
}

// The name a screen reader announces for each field (the text of its label),
// for the progress bar, and for each end-shape picture (what it shows).
const std::pair<const char*, const char*> spokenNames[] = {
    {"Text1", "diamètre de la cuve (mm)"},
    {"Text3", "périmètre de la cuve (mm)"},
    {"Text2", "hauteur du mazout à partir du fond de la cuve (mm)"},
    {"Text9", "longueur de la partie cylindrique de la cuve (mm)"},
    {"Text4", "hauteur de la crépine par rapport au fond de la cuve (mm)"},
    {"Text5", "par sa largeur (mm)"},
    {"Text12",
     "en donnant la longueur de la portion de sphère passant par le centre de la calotte (mm)"},
    {"Text6", "diamètre du cercle de l'extrémité (mm)"},
    {"Text7", "volume dans la partie cylindrique (litres)"},
    {"Text11", "volume dans les 2 flancs (litres)"},
    {"Text13", "volume total du mazout dans la cuve (litres)"},
    {"Text10", "volume total sous la crépine (litres)"},
    {"Text8", "volume total disponible (litres)"},
    {"Combo1", "nombre d'intervalles d'intégration en x1000"},
    {"Picture1", "Progression du calcul"},
    {"Image1", "cuve cylindrique à bords plats"},
    {"Image2", "cuve cylindrique à bords tronconiques"},
    {"Image3", "cuve cylindrique à bords en calotte sphérique"},
    {"Image4", "cuve cylindrique à bords 1/4 de cercle"},
};

// Where Tab leads from "Calculer" at start, back to "Calculer". An option
// group is one stop, on its selected button. Leaving Text1 shows Text3 with the perimeter, so going
// forward Text3 is met shown.
const QStringList tabForwardFromStart = {
    "Text1",    "Option2_0", "Text3",    "Text2",    "Text9",    "Text4",
    "Text7",    "Text11",    "Text10",   "Text8",    "Combo1",   "Option1_0",
    "Command2", "Text13",    "Command3", "Picture1", "Command4", "Command1",
};

// Where Shift+Tab leads from "Calculer" at start: Text3 is still hidden when
// it would come, since Text1 has not been left yet.
const QStringList tabBackwardFromStart = {
    "Command4", "Picture1", "Command3",  "Text13", "Command2", "Option1_0",
    "Combo1",   "Text8",    "Text10",    "Text11", "Text7",    "Text4",
    "Text9",    "Text2",    "Option2_0", "Text1",  "Command1",
};

QString textOf(const QWidget* control) {
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        return frame->title();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(control)) {
        return field->text();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->currentText();
    }
    return {};
}

// The control that has the focus, by name: the edit line inside an editable
// combo box stands for the combo box itself.
QString focusName() {
    const QWidget* focused = QApplication::focusWidget();
    while (focused && qobject_cast<const QComboBox*>(focused->parentWidget())) {
        focused = focused->parentWidget();
    }
    return focused ? focused->objectName() : QStringLiteral("(none)");
}

// What a GIF file says about itself, read from its blocks.
struct GifFacts {
    bool readToTrailer = false;
    QByteArray signature;
    QSize screenSize;
    bool globalPalette = false;
    int globalPaletteSizeBits = -1;  // the palette holds 2^(bits+1) colours
    int frames = 0;
    bool interlaced = false;
    bool transparent = false;
};

GifFacts readGif(const QByteArray& data) {
    GifFacts facts;
    const auto byte = [&data](int at) { return at < data.size() ? quint8(data[at]) : 0; };
    const auto skipSubBlocks = [&](int at) {
        while (at < data.size() && byte(at) != 0) {
            at += byte(at) + 1;
        }
        return at + 1;
    };
    if (data.size() < 13) {
        return facts;
    }
    facts.signature = data.left(6);
    facts.screenSize = QSize(byte(6) | byte(7) << 8, byte(8) | byte(9) << 8);
    const int screenFlags = byte(10);
    facts.globalPalette = screenFlags & 0x80;
    facts.globalPaletteSizeBits = screenFlags & 0x07;
    int at = 13;
    if (facts.globalPalette) {
        at += 3 << (facts.globalPaletteSizeBits + 1);
    }
    while (at < data.size()) {
        switch (byte(at)) {
            case 0x21:  // extension
                if (byte(at + 1) == 0xF9 && (byte(at + 3) & 0x01)) {
                    facts.transparent = true;
                }
                at = skipSubBlocks(at + 2);
                break;
            case 0x2C: {  // image descriptor, then its palette and data
                const int imageFlags = byte(at + 9);
                ++facts.frames;
                facts.interlaced = facts.interlaced || (imageFlags & 0x40);
                at += 10;
                if (imageFlags & 0x80) {
                    at += 3 << ((imageFlags & 0x07) + 1);
                }
                at = skipSubBlocks(at + 1);
                break;
            }
            case 0x3B:  // trailer
                facts.readToTrailer = true;
                return facts;
            default:
                return facts;
        }
    }
    return facts;
}

int pixelsOfColour(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class VolumesLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void windowTitleSizeAndIcon();
    void seenAndHiddenControls_data();
    void seenAndHiddenControls();
    void textsToTheCharacter_data();
    void textsToTheCharacter();
    void fieldsAreOrdinaryEditableLines_data();
    void fieldsAreOrdinaryEditableLines();
    void precisionListHoldsTenAndHundredWithNoneSelected();
    void optionGroups_data();
    void optionGroups();
    void noButtonIsDefault_data();
    void noButtonIsDefault();
    void toolTips_data();
    void toolTips();
    void controlsAreNamedForScreenReaders_data();
    void controlsAreNamedForScreenReaders();
    void fonts_data();
    void fonts();
    void focusIsOnCalculerWhenTheWindowOpens();
    void tabVisitsTheControlsInOrder();
    void shiftTabVisitsThemBackwards();
    void geometry_data();
    void geometry();
    void progressBarRestsEmpty();
    void progressBarBoxShowsTheFocus_data();
    void progressBarBoxShowsTheFocus();
    void picturesShowTheirFilesAtTheirOwnSize_data();
    void picturesShowTheirFilesAtTheirOwnSize();
    void pictureFilesAreSingleFrameGif89aWithFullPalette_data();
    void pictureFilesAreSingleFrameGif89aWithFullPalette();
    void textsFitTheirBoxes_data();
    void textsFitTheirBoxes();

  private:
    QWidget* control(const QString& name) const;
    QStringList focusNamesAfterPressing(int keyCount, Qt::KeyboardModifiers modifiers);

    std::unique_ptr<Volumes> window_;
};

void VolumesLayoutTest::init() {
    window_ = std::make_unique<Volumes>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void VolumesLayoutTest::cleanup() {
    window_.reset();
}

QWidget* VolumesLayoutTest::control(const QString& name) const {
    if (name == QLatin1String("Volumes")) {
        return window_.get();
    }
    auto* found = window_->findChild<QWidget*>(name);
    if (!found) {
        qWarning("no control named %s", qPrintable(name));
    }
    return found;
}

void VolumesLayoutTest::windowTitleSizeAndIcon() {
    QCOMPARE(window_->objectName(), QStringLiteral("Volumes"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Varnelle"));
    QCOMPARE(window_->size(), twipsSize(9870, 8115));
    QCOMPARE(window_->size(), QSize(658, 541));
    QVERIFY(!window_->windowIcon().isNull());
    QCOMPARE(QImage(QStringLiteral(":/images/application.png")).size(), QSize(158, 136));
}

void VolumesLayoutTest::seenAndHiddenControls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("seen");
    QTest::addColumn<bool>("flagSet");
    for (const ControlDesign& d : designs) {
        QTest::newRow(d.name) << d.name << d.seen << d.flagSet;
    }
    QTest::newRow("Label13") << "Label13" << true << true;
}

void VolumesLayoutTest::seenAndHiddenControls() {
    QFETCH(QString, name);
    QFETCH(bool, seen);
    QFETCH(bool, flagSet);
    QWidget* widget = control(name);
    QVERIFY(widget);
    QCOMPARE(widget->isVisible(), seen);
    QCOMPARE(!widget->isHidden(), flagSet);
}

void VolumesLayoutTest::textsToTheCharacter_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    for (const ControlDesign& d : designs) {
        if (d.kind != Kind::Picture && d.kind != Kind::PictureBox) {
            QTest::newRow(d.name) << d.name << QString::fromUtf8(d.text);
        }
    }
    QTest::newRow("Label13") << "Label13" << QString();
}

void VolumesLayoutTest::textsToTheCharacter() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    const QWidget* widget = control(name);
    QVERIFY(widget);
    QCOMPARE(textOf(widget), text);
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }
}

void VolumesLayoutTest::fieldsAreOrdinaryEditableLines_data() {
    QTest::addColumn<QString>("name");
    for (const ControlDesign& d : designs) {
        if (d.kind == Kind::Field) {
            QTest::newRow(d.name) << d.name;
        }
    }
}

void VolumesLayoutTest::fieldsAreOrdinaryEditableLines() {
    QFETCH(QString, name);
    const auto* field = qobject_cast<QLineEdit*>(control(name));
    QVERIFY(field);
    QVERIFY(!field->isReadOnly());
    QVERIFY(field->isEnabled());
    QCOMPARE(field->echoMode(), QLineEdit::Normal);
    QCOMPARE(field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QVERIFY(field->validator() == nullptr);
    QVERIFY(field->inputMask().isEmpty());
}

void VolumesLayoutTest::precisionListHoldsTenAndHundredWithNoneSelected() {
    const auto* combo = qobject_cast<QComboBox*>(control(QStringLiteral("Combo1")));
    QVERIFY(combo);
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("10"));
    QCOMPARE(combo->itemText(1), QStringLiteral("100"));
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->currentText(), QStringLiteral("10"));
    QCOMPARE(combo->lineEdit()->text(), QStringLiteral("10"));
}

void VolumesLayoutTest::optionGroups_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("Option1") << "Option1"
                             << "Frame5"
                             << QStringList{"Option1_0", "Option1_1", "Option1_2", "Option1_3"};
    QTest::newRow("Option2") << "Option2"
                             << "Frame1" << QStringList{"Option2_0", "Option2_1"};
    QTest::newRow("Option3") << "Option3"
                             << "Frame2" << QStringList{"Option3_0", "Option3_1"};
}

// Each group is named after its array; the index is the id and the first
// button is the one selected at start.
void VolumesLayoutTest::optionGroups() {
    QFETCH(QString, group);
    QFETCH(QString, frame);
    QFETCH(QStringList, buttons);
    const auto* buttonGroup = window_->findChild<QButtonGroup*>(group);
    QVERIFY(buttonGroup);
    QVERIFY(buttonGroup->exclusive());
    QCOMPARE(buttonGroup->buttons().size(), buttons.size());
    for (int index = 0; index < buttons.size(); ++index) {
        const QAbstractButton* button = buttonGroup->button(index);
        QVERIFY(button);
        QCOMPARE(button->objectName(), buttons[index]);
        QVERIFY(qobject_cast<const QRadioButton*>(button));
        QCOMPARE(button->parentWidget()->objectName(), frame);
        QCOMPARE(button->isChecked(), index == 0);
    }
    QCOMPARE(buttonGroup->checkedId(), 0);
}

void VolumesLayoutTest::noButtonIsDefault_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Command1") << "Command1";
    QTest::newRow("Command2") << "Command2";
    QTest::newRow("Command3") << "Command3";
    QTest::newRow("Command4") << "Command4";
}

// No button answers Enter on its own, and none has an accelerator.
void VolumesLayoutTest::noButtonIsDefault() {
    QFETCH(QString, name);
    const auto* button = qobject_cast<QPushButton*>(control(name));
    QVERIFY(button);
    QVERIFY(!button->isDefault());
    QVERIFY(!button->autoDefault());
    QVERIFY(!button->text().contains(QLatin1Char('&')));
    QVERIFY(button->shortcut().isEmpty());
}

void VolumesLayoutTest::toolTips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    for (const ControlDesign& d : designs) {
        QTest::newRow(d.name) << d.name << QString::fromUtf8(d.toolTip);
    }
}

void VolumesLayoutTest::toolTips() {
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    const QWidget* widget = control(name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), toolTip);
}

void VolumesLayoutTest::controlsAreNamedForScreenReaders_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spokenName");
    for (const auto& [name, spoken] : spokenNames) {
        QTest::newRow(name) << name << QString::fromUtf8(spoken);
    }
}

// What a screen reader announces, read through the accessibility interface.
void VolumesLayoutTest::controlsAreNamedForScreenReaders() {
    QFETCH(QString, name);
    QFETCH(QString, spokenName);
    QWidget* widget = control(name);
    QVERIFY(widget);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), spokenName);
}

void VolumesLayoutTest::fonts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Volumes") << "Volumes" << false;
    for (const ControlDesign& d : designs) {
        QTest::newRow(d.name) << d.name << d.bold;
    }
    QTest::newRow("Label13") << "Label13" << false;
}

void VolumesLayoutTest::fonts() {
    QFETCH(QString, name);
    QFETCH(bool, bold);
    const QWidget* widget = control(name);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.family(), windowFontFamily());
    QCOMPARE(QFontInfo(font).family(), windowFontFamily());
    // MS Sans Serif at its designed 8.25 pt; a stand-in at the size chosen for
    // it, which the fit of every caption below holds to account.
    const bool designedFamily = windowFontFamily() == QLatin1String("MS Sans Serif");
    QCOMPARE(font.pointSizeF(), designedFamily ? 8.25 : mainWindowPointSize());
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), false);
}

void VolumesLayoutTest::focusIsOnCalculerWhenTheWindowOpens() {
    QCOMPARE(focusName(), QStringLiteral("Command1"));
    QCOMPARE(QApplication::focusWidget(), control(QStringLiteral("Command1")));
}

QStringList VolumesLayoutTest::focusNamesAfterPressing(int keyCount,
                                                       Qt::KeyboardModifiers modifiers) {
    QStringList visited;
    for (int press = 0; press < keyCount; ++press) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused) {
            break;
        }
        QTest::keyClick(focused, Qt::Key_Tab, modifiers);
        const bool seenByTheUser = QApplication::focusWidget()->isVisible();
        visited << focusName() + (seenByTheUser ? QString() : QStringLiteral(" (not seen)"));
    }
    return visited;
}

// Labels and frames take no focus, hidden controls are skipped, every option
// button is met in its group's order, and Text13 comes after "Valider les
// paramètres".
void VolumesLayoutTest::tabVisitsTheControlsInOrder() {
    QCOMPARE(focusName(), QStringLiteral("Command1"));
    QCOMPARE(focusNamesAfterPressing(tabForwardFromStart.size(), Qt::NoModifier),
             tabForwardFromStart);
}

void VolumesLayoutTest::shiftTabVisitsThemBackwards() {
    QCOMPARE(focusName(), QStringLiteral("Command1"));
    QCOMPARE(focusNamesAfterPressing(tabBackwardFromStart.size(), Qt::ShiftModifier),
             tabBackwardFromStart);
}

void VolumesLayoutTest::geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("rect");
    for (const ControlDesign& d : designs) {
        QTest::newRow(d.name) << d.name << d.container
                              << twipsRect(d.left, d.top, d.width, d.height);
    }
}

// Each control sits where the design puts it, relative to its container.
void VolumesLayoutTest::geometry() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    const QWidget* widget = control(name);
    QVERIFY(widget);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), rect);
}

// The fill of the bar lies left of the box's inside, so at rest the box
// shows no dark blue at all, its border included; widened as during a
// calculation, the fill is seen dark blue.
void VolumesLayoutTest::progressBarRestsEmpty() {
    auto* box = qobject_cast<QFrame*>(control(QStringLiteral("Picture1")));
    auto* fill = qobject_cast<QLabel*>(control(QStringLiteral("Label13")));
    QVERIFY(box);
    QVERIFY(fill);
    QVERIFY(box->isAncestorOf(fill));
    QCOMPARE(box->frameShadow(), QFrame::Sunken);
    QVERIFY(box->autoFillBackground());
    QCOMPARE(box->backgroundRole(), QPalette::Button);

    const QPoint inside = box->contentsRect().topLeft();
    const QRect expected(inside + QPoint(twipsToPixels(-285), twipsToPixels(-15)),
                         twipsSize(290, 300));
    QCOMPARE(QRect(fill->mapTo(box, QPoint()), fill->size()), expected);

    const QColor darkBlue(0, 0, 128);
    QCOMPARE(pixelsOfColour(box->grab().toImage(), darkBlue), 0);

    fill->resize(box->width() / 2, fill->height());
    const QImage grown = box->grab().toImage();
    QCOMPARE(grown.pixelColor(inside + QPoint(5, box->contentsRect().height() / 2)), darkBlue);
}

void VolumesLayoutTest::progressBarBoxShowsTheFocus_data() {
    QTest::addColumn<QString>("from");  // the control before it in that direction
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Tab from A Propos") << "Command3" << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("Shift+Tab from Barème")
        << "Command4" << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

// Reached from the keyboard, the progress bar's box shows that it has the
// focus, inside its border and without moving anything; the next key takes
// the mark away.
void VolumesLayoutTest::progressBarBoxShowsTheFocus() {
    QFETCH(QString, from);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QWidget* box = control(QStringLiteral("Picture1"));
    QVERIFY(box);
    const QRect geometry = box->geometry();
    const QImage unfocused = box->grab().toImage();

    control(from)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
    QCOMPARE(focusName(), QStringLiteral("Picture1"));
    const QImage focused = box->grab().toImage();
    QCOMPARE(box->geometry(), geometry);
    QCOMPARE(focused.size(), unfocused.size());
    QRect marked;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) != unfocused.pixel(x, y)) {
                marked |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY2(!marked.isEmpty(), "the box looks the same with the focus as without");
    QVERIFY(box->contentsRect().contains(marked));
    // Seen along the box, not as a dot.
    QVERIFY(marked.width() > box->contentsRect().width() / 2);

    QTest::keyClick(box, Qt::Key_Tab, modifiers);
    QVERIFY(focusName() != QLatin1String("Picture1"));
    QCOMPARE(box->grab().toImage(), unfocused);
}

void VolumesLayoutTest::picturesShowTheirFilesAtTheirOwnSize_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");
    QTest::newRow("Image1") << "Image1"
                            << ":/images/flat_ends.gif";
    QTest::newRow("Image2") << "Image2"
                            << ":/images/conical_ends.gif";
    QTest::newRow("Image3") << "Image3"
                            << ":/images/spherical_cap_ends.gif";
    QTest::newRow("Image4") << "Image4"
                            << ":/images/quarter_round_ends.gif";
}

void VolumesLayoutTest::picturesShowTheirFilesAtTheirOwnSize() {
    QFETCH(QString, name);
    QFETCH(QString, file);
    const auto* picture = qobject_cast<QLabel*>(control(name));
    QVERIFY(picture);
    const QPixmap shown = picture->pixmap();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.size(), QSize(150, 112));
    QCOMPARE(picture->size(), shown.size());
    QVERIFY(!picture->hasScaledContents());

    const QImage fromFile(file);
    QVERIFY(!fromFile.isNull());
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32),
             fromFile.convertToFormat(QImage::Format_ARGB32));
}

void VolumesLayoutTest::pictureFilesAreSingleFrameGif89aWithFullPalette_data() {
    QTest::addColumn<QString>("file");
    for (const char* file :
         {"flat_ends", "conical_ends", "spherical_cap_ends", "quarter_round_ends"}) {
        QTest::newRow(file) << QStringLiteral(":/images/%1.gif").arg(QLatin1String(file));
    }
}

void VolumesLayoutTest::pictureFilesAreSingleFrameGif89aWithFullPalette() {
    QFETCH(QString, file);
    QFile gif(file);
    QVERIFY(gif.open(QIODevice::ReadOnly));
    const GifFacts facts = readGif(gif.readAll());
    QCOMPARE(facts.signature, QByteArray("GIF89a"));
    QCOMPARE(facts.screenSize, QSize(150, 112));
    QVERIFY(facts.globalPalette);
    QCOMPARE(facts.globalPaletteSizeBits, 7);  // 256 colours
    QVERIFY(facts.readToTrailer);
    QCOMPARE(facts.frames, 1);
    QVERIFY(!facts.interlaced);
    QVERIFY(!facts.transparent);
}

void VolumesLayoutTest::textsFitTheirBoxes_data() {
    QTest::addColumn<QString>("name");
    for (const ControlDesign& d : designs) {
        if (d.kind == Kind::Frame || d.kind == Kind::Option || d.kind == Kind::Label ||
            d.kind == Kind::Button) {
            QTest::newRow(d.name) << d.name;
        }
    }
}

// Every caption is read in full, in the font really used: a one-line text
// must be as wide as its room at most, a wrapped one as tall.
void VolumesLayoutTest::textsFitTheirBoxes() {
    QFETCH(QString, name);
    QWidget* widget = control(name);
    QVERIFY(widget);
    const QString text = textOf(widget);
    const QFontMetrics metrics(widget->font());
    const QStyle* style = widget->style();

    QRect room = widget->contentsRect();
    if (auto* option = qobject_cast<QRadioButton*>(widget)) {
        QStyleOptionButton styleOption;
        styleOption.initFrom(option);
        styleOption.text = text;
        room = style->subElementRect(QStyle::SE_RadioButtonContents, &styleOption, option);
        room.setRight(option->rect().right());  // the caption may use the room up to the edge
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton styleOption;
        styleOption.initFrom(button);
        styleOption.text = text;
        room = style->subElementRect(QStyle::SE_PushButtonContents, &styleOption, button);
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox styleOption;
        styleOption.initFrom(frame);
        styleOption.text = text;
        styleOption.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        styleOption.textAlignment = frame->alignment();
        const QRect title = style->subControlRect(QStyle::CC_GroupBox, &styleOption,
                                                  QStyle::SC_GroupBoxLabel, frame);
        room = QRect(title.left(), title.top(), frame->width() - title.left(), title.height());
    }

    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (wraps(qPrintable(name))) {
        flags |= Qt::TextWordWrap;
    }
    const QRect needed =
        metrics.boundingRect(QRect(QPoint(), QSize(room.width(), 10000)), flags, text);
    const QString why = QStringLiteral("\"%1\" needs %2 x %3 px in %4 %5 pt, room %6 x %7 px")
                            .arg(text)
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(QFontInfo(widget->font()).family())
                            .arg(widget->font().pointSizeF())
                            .arg(room.width())
                            .arg(room.height());
    QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(), qPrintable(why));
}

}  // namespace varnelle

QTEST_MAIN(varnelle::VolumesLayoutTest)
#include "volumes_layout_test.moc"
