// Building the chart window: its controls, in the order of Tab, and their
// places, in twips.
#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "chart/chart_texts.h"
#include "chart_curve.h"
#include "chart_table_model.h"
#include "chart_window.h"
#include "widgets/table_rows.h"
#include "widgets/twips.h"

namespace varnelle {
namespace {

constexpr int windowWidthTwips = 15000;
constexpr int windowHeightTwips = 10500;
constexpr int tableWidthTwips = 6000;  // room for the four columns, no more
constexpr int lookUpFieldTwips = 1500;
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
    stepCombo->setCurrentText(QString::number(defaultChartStep));
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
    logbookButton = makeButton(this, "logbookButton", QStringLiteral("Carnet…"));
    closeButton = makeButton(this, "closeButton", QStringLiteral("Fermer"));
}

// Tab leaves the table and the arrows move in it; its menu copies the rows.
void ChartWindow::createTable() {
    chartModel = new ChartTableModel(this);
    chartTable = named(new QTableView(this), "chartTable");
    chartTable->setAccessibleName(QString::fromUtf8(chartWords::title) +
                                  QStringLiteral(", une ligne par hauteur"));
    chartTable->setModel(chartModel);
    chartTable->setTabKeyNavigation(false);
    chartTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    chartTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    showRowsOfOneLine(chartTable);
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
    buttons->addWidget(logbookButton);
    buttons->addWidget(closeButton);

    auto* window = new QVBoxLayout(this);
    window->addLayout(settings);
    window->addWidget(chartPages, 1);
    window->addLayout(buttons);
}

}  // namespace varnelle
