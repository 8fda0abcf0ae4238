#include "chart_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>
#include <variant>

#include "background_work.h"
#include "chart/report_writer.h"
#include "chart_curve.h"
#include "chart_table_model.h"
#include "chart_tank.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace varnelle {
namespace {

constexpr int windowWidthTwips = 15000;
constexpr int windowHeightTwips = 10500;
constexpr int tableWidthTwips = 6000;  // room for the four columns, no more
constexpr int rowPaddingTwips = 90;
constexpr int defaultStep = 10;
constexpr int defaultFillPercent = 90;

struct ComputedChart {
    Chart chart;
    std::optional<OilLevel> level;
};

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
    return answer;
}

QChar userDecimal() {
    return conventionsFor(QLocale()).decimal;
}

bool isInside(double height, double diameter) {
    return height >= 0 && height <= diameter;
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
    setObjectName(QStringLiteral("ChartWindow"));
    setWindowTitle(QStringLiteral("Barème de jaugeage"));
    setWindowIcon(icon);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(windowFont(mainWindowPointSize()));
    createControls();
    createLayout();
    connectHandlers();
}

ChartWindow::~ChartWindow() {
    abandonComputation();
}

void ChartWindow::createControls() {
    stepCombo = named(new QComboBox(this), "stepCombo");
    stepCombo->setEditable(true);
    stepCombo->setInsertPolicy(QComboBox::NoInsert);
    stepCombo->setCompleter(nullptr);
    for (const int step : {1, 2, 5, 10, 20}) {
        stepCombo->addItem(QString::number(step));
    }
    stepCombo->setCurrentText(QString::number(defaultStep));
    stepCombo->setToolTip(QStringLiteral("écart entre deux lignes du barème, en millimètres"));

    fillLimitSpin = named(new QSpinBox(this), "fillLimitSpin");
    fillLimitSpin->setRange(1, 100);
    fillLimitSpin->setValue(defaultFillPercent);
    fillLimitSpin->setSuffix(QStringLiteral(" %"));
    fillLimitSpin->setToolTip(QStringLiteral("remplissage maximal, en pour cent de la capacité"));

    chartSummary = makeAnswer(this, "chartSummary");
    heightField = named(new QLineEdit(this), "heightField");
    heightAnswer = makeAnswer(this, "heightAnswer");
    litresField = named(new QLineEdit(this), "litresField");
    litresAnswer = makeAnswer(this, "litresAnswer");
    orderAnswer = makeAnswer(this, "orderAnswer");

    chartPages = named(new QStackedWidget(this), "chartPages");
    chartMessage = makeAnswer(this, "chartMessage");
    chartMessage->setWordWrap(true);
    chartMessage->setAlignment(Qt::AlignCenter);
    chartCurve = new ChartCurve(this);
    chartModel = new ChartTableModel(this);
    chartTable = named(new QTableView(this), "chartTable");
    chartTable->setModel(chartModel);
    chartTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    chartTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    chartTable->verticalHeader()->hide();
    chartTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    chartTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() +
                                                        twipsToPixels(rowPaddingTwips));
    chartTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    chartTable->setMinimumWidth(twipsToPixels(tableWidthTwips));
    chartTable->setAlternatingRowColors(true);

    printButton = makeButton(this, "printButton", QStringLiteral("Imprimer…"));
    previewButton = makeButton(this, "previewButton", QStringLiteral("Aperçu avant impression…"));
    pdfButton = makeButton(this, "pdfButton", QStringLiteral("Enregistrer en PDF…"));
    csvButton = makeButton(this, "csvButton", QStringLiteral("Enregistrer en CSV…"));
    closeButton = makeButton(this, "closeButton", QStringLiteral("Fermer"));
}

void ChartWindow::createLayout() {
    resize(twipsSize(windowWidthTwips, windowHeightTwips));

    auto* settings = new QHBoxLayout;
    auto* stepLabel = new QLabel(QStringLiteral("Pas du barème (mm) :"), this);
    stepLabel->setBuddy(stepCombo);
    auto* fillLabel = new QLabel(QStringLiteral("Remplissage maximal :"), this);
    fillLabel->setBuddy(fillLimitSpin);
    settings->addWidget(stepLabel);
    settings->addWidget(stepCombo);
    settings->addSpacing(twipsToPixels(300));
    settings->addWidget(fillLabel);
    settings->addWidget(fillLimitSpin);
    settings->addStretch();

    auto* lookUps = new QFormLayout;
    const auto row = [this](QLineEdit* field, QLabel* answer) {
        auto* line = new QHBoxLayout;
        field->setMaximumWidth(twipsToPixels(1200));
        line->addWidget(field);
        line->addWidget(answer, 1);
        return line;
    };
    lookUps->addRow(QStringLiteral("Hauteur de mazout (mm) :"), row(heightField, heightAnswer));
    lookUps->addRow(QStringLiteral("Volume (litres) :"), row(litresField, litresAnswer));
    lookUps->addRow(QStringLiteral("À commander :"), orderAnswer);

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
    connect(heightField, &QLineEdit::textEdited, this, &ChartWindow::onHeightFieldTextEdited);
    connect(litresField, &QLineEdit::textEdited, this, &ChartWindow::onLitresFieldTextEdited);
    auto* copy = new QShortcut(QKeySequence::Copy, chartTable);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &ChartWindow::onChartTableCopy);
    connect(printButton, &QPushButton::clicked, this, &ChartWindow::onPrintButtonClick);
    connect(previewButton, &QPushButton::clicked, this, &ChartWindow::onPreviewButtonClick);
    connect(pdfButton, &QPushButton::clicked, this, &ChartWindow::onPdfButtonClick);
    connect(csvButton, &QPushButton::clicked, this, &ChartWindow::onCsvButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void ChartWindow::showTank(const TankParameters& fields) {
    fields_ = fields;
    computeChart();
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

void ChartWindow::onChartTableCopy() {
    QApplication::clipboard()->setText(
        chartModel->rowsAsText(chartTable->selectionModel()->selectedIndexes()));
}

// Reads the tank and the step, then computes the chart aside; whatever was
// under way is abandoned, and its result will not be shown.
void ChartWindow::computeChart() {
    abandonComputation();
    const auto tank = chartTankFrom(fields_);
    if (const auto* refusal = std::get_if<QString>(&tank)) {
        showRefusal(*refusal);
        return;
    }
    const TankDescription description = std::get<TankDescription>(tank);
    const auto step = chartStepFrom(stepCombo->currentText(), description);
    if (const auto* refusal = std::get_if<QString>(&step)) {
        showRefusal(*refusal);
        return;
    }
    setEnabledFiles(false);
    abandon_ = std::make_shared<std::atomic<bool>>(false);
    const unsigned computation = ++computation_;
    const double oilHeight = fields_.oilHeight;
    const double chartStep = std::get<double>(step);
    runAside(
        this,
        [tank = description.tank, chartStep, oilHeight, abandon = abandon_] {
            // An abandoned chart comes back empty, and is not shown.
            ComputedChart computed{varnelle::computeChart(tank, chartStep, abandon.get()),
                                   std::nullopt};
            if (isInside(oilHeight, tank.diameter)) {
                computed.level = OilLevel{oilHeight, totalVolumeAt(tank, oilHeight)};
            }
            return computed;
        },
        [this, computation, description, chartStep](ComputedChart computed) {
            if (computation != computation_) {
                return;  // abandoned for another step or another tank
            }
            description_ = description;
            step_ = chartStep;
            showChart(std::move(computed.chart), computed.level);
        });
}

void ChartWindow::abandonComputation() {
    if (abandon_) {
        abandon_->store(true);
    }
    ++computation_;
}

void ChartWindow::showRefusal(const QString& sentence) {
    chartModel->setChart({}, userDecimal());
    chartCurve->setPicture({}, {}, {});
    chartMessage->setText(sentence);
    chartPages->setCurrentWidget(chartMessage);
    setEnabledFiles(false);
}

void ChartWindow::showChart(Chart chart, std::optional<OilLevel> level) {
    ChartMarks marks = marksOnPaper();
    marks.oilLevel = level;
    chartCurve->setPicture(description_.tank, chart, marks);
    chartModel->setChart(std::move(chart), userDecimal());
    const QChar decimal = userDecimal();
    chartSummary->setText((QStringList{chartShapeLine(description_.tank)} +
                           tankSummaryLines(description_, step_, decimal) +
                           QStringList{chartKeyFigures(chartModel->chart())})
                              .join('\n'));
    chartPages->setCurrentIndex(0);
    setEnabledFiles(true);
    if (level) {
        const QModelIndex current = chartModel->index(chartModel->rowNearest(level->height), 0);
        chartTable->selectRow(current.row());
        chartTable->scrollTo(current, QAbstractItemView::PositionAtCenter);
    }
    answerOrder();
    onHeightFieldTextEdited();
    onLitresFieldTextEdited();
}

bool ChartWindow::hasChart() const {
    return chartModel->rowCount() > 0;
}

ChartMarks ChartWindow::marksOnPaper() const {
    ChartMarks marks;
    marks.fillPercent = fillLimitSpin->value();
    return marks;
}

void ChartWindow::setEnabledFiles(bool enabled) {
    for (QPushButton* button : {printButton, previewButton, pdfButton, csvButton}) {
        button->setEnabled(enabled);
    }
}

void ChartWindow::closeEvent(QCloseEvent* event) {
    abandonComputation();
    QWidget::closeEvent(event);
}

}  // namespace varnelle
