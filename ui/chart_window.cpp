#include "chart_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <variant>

#include "accessibility.h"
#include "background_work.h"
#include "chart/report_writer.h"
#include "chart_curve.h"
#include "chart_table_model.h"
#include "chart_tank.h"
#include "widgets/enter_presses_button.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace varnelle {
namespace {

constexpr int windowWidthTwips = 15000;
constexpr int windowHeightTwips = 10500;
constexpr int tableWidthTwips = 6000;  // room for the four columns, no more
constexpr int rowPaddingTwips = 90;
constexpr int lookUpFieldTwips = 1500;
constexpr int defaultStep = 10;
constexpr int defaultFillPercent = 90;
// Enough characters for the widest step, the diameter of the largest tank.
constexpr int stepCharacters = 9;

template <typename T>
T* named(T* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QLabel* makeAnswer(QWidget* parent, const char* name) {
    auto* answer = named(new QLabel(parent), name);
    answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    answer->setWordWrap(true);
    return answer;
}

QLabel* makeLabel(QWidget* parent, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

void ChartWindow::open(QPointer<ChartWindow>& window, const QIcon& icon,
                       const TankParameters& fields) {
    // A window that was closed is on its way to deletion: a fresh one replaces it.
    if (window.isNull() || !window->isVisible()) {
        window = new ChartWindow(icon);
    }
    window->showTank(fields);
    window->show();
    window->raise();
    window->activateWindow();
}

ChartWindow::ChartWindow(const QIcon& icon) : QWidget(nullptr, Qt::Window) {
    installAccessibleDescriptions();
    setObjectName(QStringLiteral("ChartWindow"));
    setWindowTitle(QStringLiteral("Barème de jaugeage"));
    setWindowIcon(icon);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(windowFont(mainWindowPointSize()));
    pool_ = new QThreadPool(this);
    chartWork_ = new LatestComputation(pool_, this);
    heightWork_ = new LatestComputation(pool_, this);
    litresWork_ = new LatestComputation(pool_, this);
    orderWork_ = new LatestComputation(pool_, this);
    // The chart and the three look-ups may run at once, each on its thread.
    pool_->setMaxThreadCount(static_cast<int>(computations().size()));
    createControls();
    createLayout();
    connectHandlers();
}

ChartWindow::~ChartWindow() {
    abandonComputations();
    // Each computation stops within one end integral of its flag.
    pool_->waitForDone();
}

// In the order of Tab: the settings, the look-ups, the table, the buttons.
void ChartWindow::createControls() {
    stepCombo = named(new QComboBox(this), "stepCombo");
    stepCombo->setEditable(true);
    stepCombo->setInsertPolicy(QComboBox::NoInsert);
    stepCombo->setCompleter(nullptr);
    stepCombo->setMinimumContentsLength(stepCharacters);
    stepCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const int step : {1, 2, 5, 10, 20}) {
        stepCombo->addItem(QString::number(step));
    }
    stepCombo->setCurrentText(QString::number(defaultStep));
    stepCombo->setToolTip(QStringLiteral("Écart entre deux lignes du barème, en millimètres"));
    stepMessage = makeAnswer(this, "stepMessage");

    fillLimitSpin = named(new QSpinBox(this), "fillLimitSpin");
    fillLimitSpin->setRange(1, 100);
    fillLimitSpin->setValue(defaultFillPercent);
    fillLimitSpin->setSuffix(QStringLiteral(" %"));
    fillLimitSpin->setToolTip(QStringLiteral("Remplissage maximal, en pour cent de la capacité"));
    fillLimitMessage = makeAnswer(this, "fillLimitMessage");

    chartSummary = makeAnswer(this, "chartSummary");
    heightField = named(new QLineEdit(this), "heightField");
    heightAnswer = makeAnswer(this, "heightAnswer");
    litresField = named(new QLineEdit(this), "litresField");
    litresAnswer = makeAnswer(this, "litresAnswer");
    orderAnswer = makeAnswer(this, "orderAnswer");

    chartPages = named(new QStackedWidget(this), "chartPages");
    chartMessage = makeAnswer(this, "chartMessage");
    chartMessage->setAlignment(Qt::AlignCenter);
    chartCurve = new ChartCurve(this);
    createTable();

    printButton = makeButton(this, "printButton", QStringLiteral("Imprimer…"));
    previewButton = makeButton(this, "previewButton", QStringLiteral("Aperçu avant impression…"));
    pdfButton = makeButton(this, "pdfButton", QStringLiteral("Enregistrer en PDF…"));
    csvButton = makeButton(this, "csvButton", QStringLiteral("Enregistrer en CSV…"));
    closeButton = makeButton(this, "closeButton", QStringLiteral("Fermer"));
}

// Tab leaves the table and the arrows move in it; its menu copies the rows.
void ChartWindow::createTable() {
    chartModel = new ChartTableModel(this);
    chartTable = named(new QTableView(this), "chartTable");
    chartTable->setAccessibleName(QStringLiteral("Barème de jaugeage, une ligne par hauteur"));
    chartTable->setModel(chartModel);
    chartTable->setTabKeyNavigation(false);
    chartTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    chartTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    chartTable->verticalHeader()->hide();
    chartTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    chartTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() +
                                                        twipsToPixels(rowPaddingTwips));
    chartTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    chartTable->setMinimumWidth(twipsToPixels(tableWidthTwips));
    chartTable->setAlternatingRowColors(true);

    copyAction = named(new QAction(QStringLiteral("Copier"), chartTable), "copyAction");
    copyAction->setShortcut(QKeySequence::Copy);
    selectAllAction =
        named(new QAction(QStringLiteral("Tout sélectionner"), chartTable), "selectAllAction");
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    for (QAction* action : {copyAction, selectAllAction}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
        chartTable->addAction(action);
    }
    chartTable->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ChartWindow::createLayout() {
    resize(twipsSize(windowWidthTwips, windowHeightTwips));

    auto* settings = new QHBoxLayout;
    settings->addWidget(makeLabel(this, QStringLiteral("Pas du barème (mm) :"), stepCombo));
    settings->addWidget(stepCombo);
    settings->addWidget(stepMessage, 1);
    settings->addSpacing(twipsToPixels(300));
    settings->addWidget(makeLabel(this, QStringLiteral("Remplissage maximal :"), fillLimitSpin));
    settings->addWidget(fillLimitSpin);
    settings->addWidget(fillLimitMessage, 1);

    // Each look-up answers beside its field, refusals included.
    auto* lookUps = new QGridLayout;
    heightField->setMaximumWidth(twipsToPixels(lookUpFieldTwips));
    litresField->setMaximumWidth(twipsToPixels(lookUpFieldTwips));
    lookUps->addWidget(makeLabel(this, QStringLiteral("Hauteur de mazout (mm) :"), heightField), 0,
                       0);
    lookUps->addWidget(heightField, 0, 1);
    lookUps->addWidget(heightAnswer, 0, 2);
    lookUps->addWidget(makeLabel(this, QStringLiteral("Volume (litres) :"), litresField), 1, 0);
    lookUps->addWidget(litresField, 1, 1);
    lookUps->addWidget(litresAnswer, 1, 2);
    lookUps->addWidget(new QLabel(QStringLiteral("À commander :"), this), 2, 0);
    lookUps->addWidget(orderAnswer, 2, 1, 1, 2);
    lookUps->setColumnStretch(2, 1);

    auto* heading = new QHBoxLayout;
    heading->addWidget(chartSummary, 1, Qt::AlignTop);
    heading->addLayout(lookUps, 1);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(chartCurve);
    splitter->addWidget(chartTable);
    splitter->setStretchFactor(0, 1);  // the curve takes what the table leaves
    splitter->setStretchFactor(1, 0);

    auto* chartPage = new QWidget(this);
    auto* chartColumn = new QVBoxLayout(chartPage);
    chartColumn->setContentsMargins(0, 0, 0, 0);
    chartColumn->addLayout(heading);
    chartColumn->addWidget(splitter, 1);
    chartPages->addWidget(chartPage);
    chartPages->addWidget(chartMessage);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {printButton, previewButton, pdfButton, csvButton}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto* window = new QVBoxLayout(this);
    window->addLayout(settings);
    window->addWidget(chartPages, 1);
    window->addLayout(buttons);
}

void ChartWindow::connectHandlers() {
    connect(stepCombo, &QComboBox::currentTextChanged, this, &ChartWindow::onStepComboTextChanged);
    connect(fillLimitSpin, &QSpinBox::valueChanged, this,
            &ChartWindow::onFillLimitSpinValueChanged);
    // The box tells only of acceptable texts; its editor tells of every one.
    connect(fillLimitSpin->findChild<QLineEdit*>(), &QLineEdit::textChanged, this,
            &ChartWindow::onFillLimitSpinTextChanged);
    connect(heightField, &QLineEdit::textEdited, this, &ChartWindow::onHeightFieldTextEdited);
    connect(litresField, &QLineEdit::textEdited, this, &ChartWindow::onLitresFieldTextEdited);
    connect(copyAction, &QAction::triggered, this, &ChartWindow::onChartTableCopy);
    connect(selectAllAction, &QAction::triggered, this, &ChartWindow::onChartTableSelectAll);
    connect(printButton, &QPushButton::clicked, this, &ChartWindow::onPrintButtonClick);
    connect(previewButton, &QPushButton::clicked, this, &ChartWindow::onPreviewButtonClick);
    connect(pdfButton, &QPushButton::clicked, this, &ChartWindow::onPdfButtonClick);
    connect(csvButton, &QPushButton::clicked, this, &ChartWindow::onCsvButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes the window, Return presses the focused button.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    pressFocusedButtonOnEnter(this);
}

void ChartWindow::showTank(const TankParameters& fields) {
    fields_ = fields;
    computeChart();
}

OutputConventions ChartWindow::conventions() {
    return conventionsForPeople(QLocale());
}

bool ChartWindow::isComputing() const {
    const auto running = computations();
    return std::any_of(running.begin(), running.end(),
                       [](const LatestComputation* work) { return work->isRunning(); });
}

std::array<LatestComputation*, 4> ChartWindow::computations() const {
    return {chartWork_, heightWork_, litresWork_, orderWork_};
}

void ChartWindow::abandonComputations() {
    for (LatestComputation* work : computations()) {
        work->abandon();
    }
}

void ChartWindow::onStepComboTextChanged() {
    computeChart();
}

void ChartWindow::onFillLimitSpinValueChanged() {
    if (hasChart()) {
        chartCurve->setFillPercent(fillLimitSpin->value());
        answerOrder();
    }
}

// The box itself refuses what is not a number; a number out of its range is
// kept as typed until the box is left, and said so meanwhile.
void ChartWindow::onFillLimitSpinTextChanged() {
    fillLimitMessage->setText(
        fillLimitSpin->hasAcceptableInput()
            ? QString()
            : QStringLiteral("Le remplissage maximal est un nombre entier de %1 à %2 %.")
                  .arg(fillLimitSpin->minimum())
                  .arg(fillLimitSpin->maximum()));
}

void ChartWindow::onChartTableCopy() {
    QApplication::clipboard()->setText(
        chartModel->rowsAsText(chartTable->selectionModel()->selectedIndexes()));
}

void ChartWindow::onChartTableSelectAll() {
    chartTable->selectAll();
}

// Reads the tank and the step, then computes the chart aside. A refused tank
// leaves no chart; a refused step is said beside the step, and the chart
// shown stays.
void ChartWindow::computeChart() {
    const auto tank = chartTankFrom(fields_);
    if (const auto* refusal = std::get_if<QString>(&tank)) {
        chartWork_->abandon();
        showRefusal(*refusal);
        return;
    }
    const TankDescription description = std::get<TankDescription>(tank);
    const auto step = chartStepFrom(stepCombo->currentText(), description, conventions());
    if (const auto* refusal = std::get_if<QString>(&step)) {
        chartWork_->abandon();
        stepMessage->setText(*refusal);
        setEnabledFiles(hasChart());  // the chart shown stays, and can be printed
        return;
    }
    stepMessage->clear();
    setEnabledFiles(false);
    const double oilHeight = fields_.oilHeight;
    const double chartStep = std::get<double>(step);
    chartWork_->start(
        [tank = description.tank, chartStep, oilHeight](const std::atomic<bool>& abandoned) {
            // Today's height is among the plot's points, when it is in the tank.
            return varnelle::computeChart(tank, chartStep, &abandoned, oilHeight);
        },
        [this, description, chartStep, oilHeight](Chart chart) {
            std::optional<OilLevel> level;
            if (const std::optional<ChartLine> today = plotPointAt(chart, oilHeight)) {
                level = OilLevel{oilHeight, today->totalLitres};
            }
            showChart(description, chartStep, std::move(chart), level);
        });
}

void ChartWindow::showRefusal(const QString& sentence) {
    for (LatestComputation* work : {heightWork_, litresWork_, orderWork_}) {
        work->abandon();
    }
    chartModel->setChart({}, conventions());
    chartCurve->setPicture({}, {}, {});
    chartMessage->setText(sentence);
    chartPages->setCurrentWidget(chartMessage);
    setEnabledFiles(false);
}

void ChartWindow::showChart(const TankDescription& description, double step, Chart chart,
                            std::optional<OilLevel> level) {
    description_ = description;
    step_ = step;
    const OutputConventions shown = conventions();
    ChartMarks marks = marksOnPaper();
    marks.oilLevel = level;
    chartCurve->setPicture(description_.tank, chart, marks);
    chartModel->setChart(std::move(chart), shown);
    chartSummary->setText((QStringList{chartShapeLine(description_.tank)} +
                           tankSummaryLines(description_, step_, shown) +
                           QStringList{chartKeyFigures(chartModel->chart(), shown, 3)})
                              .join('\n'));
    describeCurve();
    chartPages->setCurrentIndex(0);
    setEnabledFiles(true);
    if (level) {
        const QModelIndex current = chartModel->index(chartModel->rowNearest(level->height), 0);
        chartTable->selectRow(current.row());
        chartTable->scrollTo(current, QAbstractItemView::PositionAtCenter);
    }
    answerOrder();
    answerHeight();
    answerLitres();
}

// What a screen reader says of the curve, which it cannot see.
void ChartWindow::describeCurve() {
    const OutputConventions shown = conventions();
    QString description =
        QStringLiteral("Litres selon la hauteur du mazout, de 0 à %1 : capacité %2.")
            .arg(shown.millimetres(description_.tank.diameter),
                 shown.litresWithUnit(chartModel->chart().capacity));
    if (const std::optional<OilLevel>& level = chartCurve->oilLevel()) {
        description +=
            QStringLiteral(" Aujourd'hui, %1 à %2.")
                .arg(shown.litresWithUnit(level->litres), shown.millimetres(level->height));
    }
    chartCurve->setAccessibleDescription(description);
}

bool ChartWindow::hasChart() const {
    return chartModel->rowCount() > 0;
}

ChartMarks ChartWindow::marksOnPaper() const {
    ChartMarks marks;
    marks.fillPercent = fillLimitSpin->value();
    marks.numbers = conventions();
    return marks;
}

void ChartWindow::setEnabledFiles(bool enabled) {
    for (QPushButton* button : {printButton, previewButton, pdfButton, csvButton}) {
        button->setEnabled(enabled);
    }
}

void ChartWindow::closeEvent(QCloseEvent* event) {
    abandonComputations();
    QWidget::closeEvent(event);
}

}  // namespace varnelle
