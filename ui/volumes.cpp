#include "volumes.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>
#include <vector>

#include "about/about_box.h"
#include "accessibility.h"
#include "chart/chart_numbers.h"
#include "chart_window.h"
#include "core/tank_rules.h"
#include "frame_style.h"
#include "option_tab_stop.h"
#include "progress_bar.h"
#include "progress_frame.h"
#include "widgets/enter_presses_button.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"
#include "widgets/window_frame.h"
#include "widgets/wrapped_radio_button.h"

namespace varnelle {
namespace {

constexpr int clientWidthTwips = 9870;
constexpr int clientHeightTwips = 8115;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, bool wraps = false) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(wraps);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLineEdit* makeField(QWidget* parent, const char* name, const QString& text = {}) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* makePicture(QWidget* parent, const char* name, const QString& resource) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setPixmap(QPixmap(resource));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

QRadioButton* makeOption(QWidget* parent, const QString& caption) {
    return new QRadioButton(caption, parent);
}

// Gathers the buttons of one option group: the group and its buttons are named
// after it, each button has its index as id, and the first one is selected.
template <std::size_t Count>
QButtonGroup* makeOptionGroup(QWidget* parent, const char* name, QRadioButton* (&buttons)[Count]) {
    auto* group = new QButtonGroup(parent);
    group->setObjectName(QString::fromLatin1(name));
    for (std::size_t index = 0; index < Count; ++index) {
        buttons[index]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
        group->addButton(buttons[index], static_cast<int>(index));
    }
    buttons[0]->setChecked(true);
    return group;
}

}  // namespace

Volumes::Volumes(QWidget* parent) : QWidget(parent) {
    installAccessibleDescriptions();
    createControls();
    createLayout();
    applyFonts();
    describeControls();
    setTabOrder();
    connectHandlers();
    load();
}

Volumes::~Volumes() {
    delete chartWindow_;
}

void Volumes::createControls() {
    setObjectName(QStringLiteral("Volumes"));
    setWindowTitle(QStringLiteral("Varnelle"));
    setWindowIcon(QIcon(applicationPicture()));

    Frame5 = makeFrame(this, "Frame5", QStringLiteral("Choisir parmi 4 types de cuve cylindrique"));
    for (const EndShape shape : allEndShapes) {
        Option1_[static_cast<int>(shape)] =
            makeOption(Frame5, QString::fromStdString(endShapeName(shape)));
    }
    Option1 = makeOptionGroup(Frame5, "Option1", Option1_);
    Image1 = makePicture(Frame5, "Image1", QStringLiteral(":/images/flat_ends.gif"));
    Image2 = makePicture(Frame5, "Image2", QStringLiteral(":/images/conical_ends.gif"));
    Image3 = makePicture(Frame5, "Image3", QStringLiteral(":/images/spherical_cap_ends.gif"));
    Image4 = makePicture(Frame5, "Image4", QStringLiteral(":/images/quarter_round_ends.gif"));
    Command3 = makeButton(Frame5, "Command3", QStringLiteral("A Propos"));
    Command4 = makeButton(Frame5, "Command4", QStringLiteral("Barème…"));

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Paramètres de la partie cylindrique"));
    Label1 = makeLabel(Frame1, "Label1", QStringLiteral("J'opte pour le :"));
    Option2_[0] = makeOption(Frame1, QStringLiteral("diamètre de la cuve (mm)"));
    Option2_[1] = makeOption(Frame1, QStringLiteral("périmètre de la cuve (mm)"));
    Option2 = makeOptionGroup(Frame1, "Option2", Option2_);
    Text1 = makeField(Frame1, "Text1", QStringLiteral("1000"));
    Text3 = makeField(Frame1, "Text3", QStringLiteral("3142"));
    Label2 = makeLabel(Frame1, "Label2",
                       QStringLiteral("hauteur du mazout à partir du fond de la cuve (mm)"), true);
    Text2 = makeField(Frame1, "Text2", QStringLiteral("300"));
    Label9 = makeLabel(Frame1, "Label9",
                       QStringLiteral("longueur de la partie cylindrique de la cuve (mm)"), true);
    Text9 = makeField(Frame1, "Text9", QStringLiteral("2000"));
    Label4 = makeLabel(Frame1, "Label4",
                       QStringLiteral("hauteur de la crépine par rapport au fond de la cuve (mm)"),
                       true);
    Text4 = makeField(Frame1, "Text4", QStringLiteral("100"));

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Paramètres des extrémités"));
    Label3 = makeLabel(Frame2, "Label3",
                       QStringLiteral("J'opte pour la mesure de l'excroissance d'une extrémité :"));
    Option3_[0] = makeOption(Frame2, QStringLiteral("par sa largeur  (mm) "));
    // This caption is too long for one line: its button wraps it.
    Option3_[1] = new WrappedRadioButton(
        QStringLiteral("en donnant la longueur de la portion de sphère passant par le centre de "
                       "la calotte  (mm)"),
        Frame2);
    Option3 = makeOptionGroup(Frame2, "Option3", Option3_);
    Text5 = makeField(Frame2, "Text5", QStringLiteral("100"));
    Text12 = makeField(Frame2, "Text12", QStringLiteral("1026"));
    Label6 = makeLabel(Frame2, "Label6", QStringLiteral("diamètre du cercle de l'extrémité (mm)"));
    Text6 = makeField(Frame2, "Text6", QStringLiteral("800"));

    Command2 = makeButton(this, "Command2", QStringLiteral("Valider les paramètres"));
    Command1 = makeButton(this, "Command1", QStringLiteral("Calculer"));

    Picture1 = new ProgressFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1->setBackgroundRole(QPalette::Button);
    Picture1->setAutoFillBackground(true);
    Picture1->setFocusPolicy(Qt::TabFocus);
    // The fill is clipped to the inside of the sunken border, where it is placed from.
    auto* barInside = new QWidget(Picture1);
    Label13 = makeLabel(barInside, "Label13", QString());
    Label13->setBackgroundRole(QPalette::Window);
    QPalette barPalette = Label13->palette();
    barPalette.setColor(QPalette::Window, QColor(0, 0, 128));
    Label13->setPalette(barPalette);
    Label13->setAutoFillBackground(true);

    Frame3 = makeFrame(this, "Frame3", QStringLiteral("Résultats"));
    Label5 =
        makeLabel(Frame3, "Label5", QStringLiteral("volume dans la partie cylindrique (litres)"));
    Text7 = makeField(Frame3, "Text7");
    Label7 = makeLabel(Frame3, "Label7", QStringLiteral("volume dans les 2 flancs (litres)"));
    Text11 = makeField(Frame3, "Text11");
    Label11 = makeLabel(Frame3, "Label11",
                        QStringLiteral("volume total du mazout dans la cuve (litres)"));
    Text13 = makeField(Frame3, "Text13");
    Label12 = makeLabel(Frame3, "Label12", QStringLiteral("volume total sous la crépine (litres)"));
    Text10 = makeField(Frame3, "Text10");
    Label8 = makeLabel(Frame3, "Label8", QStringLiteral("volume total disponible (litres)"));
    Text8 = makeField(Frame3, "Text8");

    Frame4 = makeFrame(this, "Frame4", QStringLiteral("Précision du calcul"));
    Label10 = makeLabel(Frame4, "Label10",
                        QStringLiteral("nombre d'intervalles d'intégration en x1000"), true);
    Combo1 = new QComboBox(Frame4);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);  // the list stays as the window fills it
    // No completion from the list: a typed "1" would become "10" without a word.
    Combo1->setCompleter(nullptr);
    Combo1->setEditText(QStringLiteral("10"));

    // Created after the frames, so that it outlives them.
    auto* frameStyle = new FrameStyle;
    frameStyle->setParent(this);
    for (QGroupBox* frame : {Frame1, Frame2, Frame3, Frame4, Frame5}) {
        frame->setStyle(frameStyle);
    }
    // Its focus mark: the box is a stop of the Tab order.
    Picture1->setStyle(frameStyle);
}

// Every control at its designed place, in twips from its container's inside corner.
void Volumes::createLayout() {
    setWindowFlags(fixedWindowFrame);
    setFixedSize(twipsSize(clientWidthTwips, clientHeightTwips));
    struct Placement {
        QWidget* control;
        int left, top, width, height;
    };
    const Placement placements[] = {
        {Frame5, 120, 120, 9615, 2055},      {Option1_[0], 240, 350, 2535, 255},
        {Option1_[1], 240, 750, 3135, 255},  {Option1_[2], 240, 1150, 3615, 255},
        {Option1_[3], 240, 1550, 3135, 255}, {Image1, 4680, 240, 2250, 1680},
        {Image2, 4680, 240, 2250, 1680},     {Image3, 4680, 240, 2250, 1680},
        {Image4, 4680, 240, 2250, 1680},     {Command3, 7680, 240, 1815, 375},
        {Command4, 7680, 720, 1815, 375},    {Frame1, 120, 2280, 4215, 4215},
        {Label1, 600, 480, 1215, 255},       {Option2_[0], 240, 840, 2175, 375},
        {Text1, 2750, 840, 1095, 375},       {Option2_[1], 240, 1440, 2175, 375},
        {Text3, 2750, 1440, 1095, 375},      {Label2, 240, 2160, 2055, 495},
        {Text2, 2750, 2160, 1095, 375},      {Label9, 240, 2880, 2175, 375},
        {Text9, 2750, 2880, 1095, 375},      {Label4, 240, 3480, 2055, 615},
        {Text4, 2750, 3600, 1095, 375},      {Frame2, 4440, 2280, 5295, 2175},
        {Label3, 240, 360, 4335, 255},       {Option3_[0], 120, 640, 3735, 375},
        {Text5, 3960, 640, 1095, 375},       {Option3_[1], 120, 1200, 3615, 495},
        {Text12, 3960, 1200, 1095, 375},     {Label6, 840, 1800, 2775, 255},
        {Text6, 3960, 1750, 1095, 375},      {Command2, 4440, 4600, 2775, 375},
        {Command1, 7800, 4600, 1935, 375},   {Picture1, 4440, 5085, 5310, 225},
        {Frame3, 4440, 5520, 5295, 2415},    {Label5, 360, 345, 3015, 255},
        {Text7, 3720, 300, 1335, 285},       {Label7, 880, 795, 2535, 255},
        {Text11, 3720, 730, 1335, 285},      {Label11, 70, 1200, 3135, 255},
        {Text13, 3720, 1170, 1335, 285},     {Label12, 720, 1600, 2535, 255},
        {Text10, 3720, 1600, 1335, 285},     {Label8, 1080, 2050, 2295, 255},
        {Text8, 3720, 2050, 1335, 285},      {Frame4, 120, 6840, 4215, 1095},
        {Label10, 240, 360, 1695, 495},      {Combo1, 2500, 360, 1400, 315},
    };
    for (const Placement& p : placements) {
        p.control->setGeometry(twipsRect(p.left, p.top, p.width, p.height));
    }
    Label13->parentWidget()->setGeometry(Picture1->contentsRect());
    setProgressBarTwips(progress_bar::RestingWidthTwips);
}

// MS Sans Serif 8.25 pt (or its free stand-in, see widgets/window_font.h) everywhere; the frame
// captions and the two main buttons bold. The controls inside a frame keep the regular window font
// rather than inheriting the frame's bold one.
void Volumes::applyFonts() {
    const QFont regular = windowFont(mainWindowPointSize());
    const QFont bold = windowFont(mainWindowPointSize(), true);
    setFont(regular);
    for (QGroupBox* frame : {Frame1, Frame2, Frame3, Frame4, Frame5}) {
        frame->setFont(bold);
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            child->setFont(regular);
        }
    }
    Command1->setFont(bold);
    Command2->setFont(bold);
}

// Tooltips, and for screen readers the name of each field taken from its label,
// of each end-shape picture from the choice it shows, and of the progress bar.
void Volumes::describeControls() {
    const QString approximation = QStringLiteral("valeur par excès");
    for (QLineEdit* result : {Text11, Text13, Text10, Text8}) {
        result->setToolTip(approximation);
    }
    Label10->setToolTip(QStringLiteral("précision"));
    Combo1->setToolTip(QStringLiteral("à choisir en rapport avec la fréquence du CPU"));
    Command4->setToolTip(
        QStringLiteral("barème de jaugeage : les litres pour chaque hauteur, à imprimer"));
    Label10->setBuddy(Combo1);

    const std::pair<QWidget*, QString> names[] = {
        {Text1, Option2_[0]->text()},  {Text3, Option2_[1]->text()},  {Text2, Label2->text()},
        {Text9, Label9->text()},       {Text4, Label4->text()},       {Text5, Option3_[0]->text()},
        {Text12, Option3_[1]->text()}, {Text6, Label6->text()},       {Text7, Label5->text()},
        {Text11, Label7->text()},      {Text13, Label11->text()},     {Text10, Label12->text()},
        {Text8, Label8->text()},       {Combo1, Label10->text()},     {Image1, Option1_[0]->text()},
        {Image2, Option1_[1]->text()}, {Image3, Option1_[2]->text()}, {Image4, Option1_[3]->text()},
    };
    for (const auto& [control, label] : names) {
        control->setAccessibleName(label.simplified());
    }
    Picture1->setAccessibleName(QStringLiteral("Progression du calcul"));
}

void Volumes::setTabOrder() {
    const QWidget* order[] = {
        Command1,    Text1,    Option2_[0], Option2_[1], Text3,       Text2,       Text9,
        Text4,       Text5,    Option3_[0], Option3_[1], Text12,      Text6,       Text7,
        Text11,      Text10,   Text8,       Combo1,      Option1_[0], Option1_[1], Option1_[2],
        Option1_[3], Command2, Text13,      Command3,    Picture1,    Command4,
    };
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }
}

void Volumes::connectHandlers() {
    connect(Option1, &QButtonGroup::idClicked, this, &Volumes::onOption1Click);
    connect(Option2, &QButtonGroup::idClicked, this, &Volumes::onOption2Click);
    connect(Option3, &QButtonGroup::idClicked, this, &Volumes::onOption3Click);
    connect(Command1, &QPushButton::clicked, this, &Volumes::onCommand1Click);
    connect(Command2, &QPushButton::clicked, this, &Volumes::onCommand2Click);
    connect(Command3, &QPushButton::clicked, this, &Volumes::onCommand3Click);
    connect(Command4, &QPushButton::clicked, this, &Volumes::onCommand4Click);
    for (QLineEdit* checked : {Text1, Text2, Text3, Text4, Text5, Text12}) {
        checked->installEventFilter(this);
    }
    for (QButtonGroup* group : {Option1, Option2, Option3}) {
        keepTabStopOnSelectedButton(group);
    }
    pressFocusedButtonOnEnter(this);
}

// What the window does when it loads. Pi is the core's constant, 4·atan(1).
void Volumes::load() {
    Combo1->addItem(QStringLiteral("10"));
    Combo1->addItem(QStringLiteral("100"));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QStringLiteral("10"));

    Frame2->hide();
    Text3->hide();

    Image1->show();
    Image2->hide();
    Image3->hide();
    Image4->hide();

    Command1->setFocus();
}

// The focus mark shows from the start, not only once a key has been pressed;
// the toolkit forgets that a window wants it each time it is shown.
void Volumes::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void Volumes::onCommand3Click() {
    AboutBox::open(aboutBox_, windowIcon());
}

// The chart of the tank in the fields, read as "Calculer" reads them, in the
// one chart window.
void Volumes::onCommand4Click() {
    ChartWindow::open(chartWindow_, windowIcon(), readTankParameters());
    connect(chartWindow_, &ChartWindow::measuresTaken, this, &Volumes::onChartWindowMeasuresTaken,
            Qt::UniqueConnection);
}

// "Reprendre les mesures du carnet": the carnet's tank typed into the fields,
// each checked as when the user leaves it, then the chart read again.
void Volumes::onChartWindowMeasuresTaken(const TankParameters& carnetTank) {
    Option1->button(static_cast<int>(carnetTank.endShape))->click();
    const auto typed = [](double value) { return measureString(value, '.'); };
    std::vector<std::pair<QLineEdit*, double>> fields = {
        {Text1, carnetTank.diameter},
        {Text9, carnetTank.cylinderLength},
        {Text4, carnetTank.strainerHeight},
    };
    if (carnetTank.endShape != EndShape::FlatEnds) {
        fields.emplace_back(Text5, carnetTank.endWidth);
    }
    if (carnetTank.endShape == EndShape::ConicalEnds) {
        fields.emplace_back(Text6, carnetTank.endCircleDiameter);
    }
    for (const auto& [field, value] : fields) {
        field->setText(typed(value));
        runFieldCheck(field);
    }
    Combo1->setCurrentText(typed(carnetTank.intervals / 1000));
    if (chartWindow_) {
        chartWindow_->showTank(readTankParameters());
    }
}

}  // namespace varnelle
