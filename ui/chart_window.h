// The dipstick chart of the tank in the main window's fields: its curve, its
// table, two look-ups and the litres to order, and the chart on paper, in a
// PDF or in a CSV file. The chart and the look-ups are computed aside, on the
// window's own threads, so that the window stays live; a newer question
// abandons the older one of its kind, and closing the window abandons all.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "chart/chart_numbers.h"
#include "chart/chart_page.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"
#include "files/refusal.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableView;
class QThreadPool;

namespace varnelle {

class LogbookWindow;

class ChartCurve;
class ChartTableModel;
class LatestComputation;

class ChartWindow : public QWidget {
    Q_OBJECT

  public:
    // Shows the one chart window for the tank of `fields` (the oil height
    // among them), creating it when none is open, and brings it to the front.
    static void open(QPointer<ChartWindow>& window, const QIcon& icon,
                     const TankParameters& fields);

    explicit ChartWindow(const QIcon& icon);
    ~ChartWindow() override;

    // Reads the tank afresh and computes its chart.
    void showTank(const TankParameters& fields);

    // The chart's pages on `printer`, laid out for its paper. False when
    // there is no chart or the printer refused.
    bool printChart(QPrinter& printer);
    // The chart as CSV in the user's conventions, written whole or not at all;
    // the French reason when it could not be.
    std::optional<Refusal> saveCsv(const QString& path);

    // True while a chart or a look-up is being computed.
    bool isComputing() const;

    // What "Carnet…" does when no carnet is remembered.
    enum class CarnetChoice { Create, Open, Cancel };
    // What tests use in place of the user: the next choice is `choice`, no box shown.
    static void setNextCarnetChoice(CarnetChoice choice);

  signals:
    // "Reprendre les mesures du carnet" in the carnet window: its tank, for
    // the main window's fields.
    void measuresTaken(const TankParameters& carnetTank);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Building the window.
    void createControls();
    void createLayout();
    void createTable();
    void connectHandlers();

    // Handlers, one per control and event.
    void onStepComboTextChanged();
    void onFillLimitSpinValueChanged();
    void onFillLimitSpinTextChanged();
    void onHeightFieldTextEdited();
    void onLitresFieldTextEdited();
    void onChartTableCopy();
    void onChartTableSelectAll();
    void onPrintButtonClick();
    void onPreviewButtonClick();
    void onPdfButtonClick();
    void onCsvButtonClick();
    void onLogbookButtonClick();

    // The carnet of a new tank, created where the user says; empty when
    // cancelled or refused (said).
    QString createCarnet();

    // The chart.
    void computeChart();
    void showRefusal(const QString& sentence);
    void showChart(const TankDescription& description, double step, Chart chart,
                   std::optional<OilLevel> level);
    bool hasChart() const;
    ChartMarks marksOnPaper() const;
    void setEnabledFiles(bool enabled);
    void describeCurve();

    // The answers to the look-ups, computed aside like the chart.
    void answerHeight();
    void answerLitres();
    void answerOrder();

    // The chart and the three look-ups, each computed aside.
    std::array<LatestComputation*, 4> computations() const;
    void abandonComputations();

    // How this window writes and reads numbers: the user's locale, read afresh.
    static OutputConventions conventions();

    // What the main window gave, and the chart being shown for it.
    TankParameters fields_;
    TankDescription description_;  // of the chart shown
    double step_ = 0;              // of the chart shown

    QThreadPool* pool_ = nullptr;
    LatestComputation* chartWork_ = nullptr;
    LatestComputation* heightWork_ = nullptr;
    LatestComputation* litresWork_ = nullptr;
    LatestComputation* orderWork_ = nullptr;

    QComboBox* stepCombo = nullptr;
    QLabel* stepMessage = nullptr;
    QSpinBox* fillLimitSpin = nullptr;
    QLabel* fillLimitMessage = nullptr;
    QLabel* chartSummary = nullptr;
    QLineEdit* heightField = nullptr;
    QLabel* heightAnswer = nullptr;
    QLineEdit* litresField = nullptr;
    QLabel* litresAnswer = nullptr;
    QLabel* orderAnswer = nullptr;
    QStackedWidget* chartPages = nullptr;
    QLabel* chartMessage = nullptr;
    ChartCurve* chartCurve = nullptr;
    QTableView* chartTable = nullptr;
    ChartTableModel* chartModel = nullptr;
    QAction* copyAction = nullptr;
    QAction* selectAllAction = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* previewButton = nullptr;
    QPushButton* pdfButton = nullptr;
    QPushButton* csvButton = nullptr;
    QPushButton* logbookButton = nullptr;
    QPointer<LogbookWindow> logbookWindow_;  // closed with this window
    QPushButton* closeButton = nullptr;
};

}  // namespace varnelle
