#include "chart_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableView>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <variant>

#include "accessibility.h"
#include "background_work.h"
#include "chart/chart_texts.h"
#include "chart/report_writer.h"
#include "chart_curve.h"
#include "chart_table_model.h"
#include "chart_tank.h"
#include "logbook_window.h"
#include "widgets/enter_presses_button.h"
#include "widgets/window_font.h"

namespace varnelle {

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
    setWindowTitle(QString::fromUtf8(chartWords::title));
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
    delete logbookWindow_;
    abandonComputations();
    // Each computation stops within one end integral of its flag.
    pool_->waitForDone();
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
    connect(logbookButton, &QPushButton::clicked, this, &ChartWindow::onLogbookButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes the window, Return presses the focused button.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    pressFocusedButtonOnEnter(this);
}

void ChartWindow::showTank(const TankParameters& fields) {
    fields_ = fields;
    if (logbookWindow_) {
        logbookWindow_->setFieldsTank(fields);
    }
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
    const Outcome<TankDescription> tank = chartTankFrom(fields_, conventions());
    if (const Refusal* refusal = refusalOf(tank)) {
        chartWork_->abandon();
        showRefusal(refusal->sentence);
        return;
    }
    const TankDescription description = std::get<TankDescription>(tank);
    const Outcome<double> step =
        chartStepFrom(stepCombo->currentText(), description, conventions());
    if (const Refusal* refusal = refusalOf(step)) {
        chartWork_->abandon();
        stepMessage->setText(refusal->sentence);
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
