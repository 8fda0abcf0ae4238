// The dipstick chart of the tank in the main window's fields: its curve, its
// table, two look-ups and the litres to order, and the chart on paper, in a
// PDF or in a CSV file. The chart is computed aside, so that the window stays
// live; a new step or closing the window abandons the computation under way.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <map>
#include <memory>
#include <optional>

#include "chart/chart_page.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableView;

namespace varnelle {

class ChartCurve;
class ChartTableModel;

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

    // The chart's pages on `printer`, A4 from the paper's corner. False when
    // there is no chart or the printer refused.
    bool printChart(QPrinter& printer);
    // The chart as CSV in the user's conventions, written whole or not at all;
    // the French reason when it could not be.
    std::optional<QString> saveCsv(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Building the window.
    void createControls();
    void createLayout();
    void connectHandlers();

    // Handlers, one per control and event.
    void onStepComboTextChanged();
    void onFillLimitSpinValueChanged();
    void onHeightFieldTextEdited();
    void onLitresFieldTextEdited();
    void onChartTableCopy();
    void onPrintButtonClick();
    void onPreviewButtonClick();
    void onPdfButtonClick();
    void onCsvButtonClick();

    // The chart.
    void computeChart();
    void abandonComputation();
    void showRefusal(const QString& sentence);
    void showChart(Chart chart, std::optional<OilLevel> level);
    bool hasChart() const;
    ChartMarks marksOnPaper() const;
    void setEnabledFiles(bool enabled);

    // The answers to the look-ups, computed aside like the chart.
    void answerOrder();
    template <typename Work>
    void answerAside(QLabel* answer, Work work);

    // What the main window gave: the tank as its fields read, and the chart
    // being shown for it.
    TankParameters fields_;
    TankDescription description_;
    double step_ = 0;                              // of the chart shown
    std::shared_ptr<std::atomic<bool>> abandon_;   // of the computation under way
    unsigned computation_ = 0;                     // counts computations started
    std::map<const QLabel*, unsigned> questions_;  // counts look-ups started, per answer

    QLabel* chartSummary = nullptr;
    QComboBox* stepCombo = nullptr;
    QSpinBox* fillLimitSpin = nullptr;
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
    QPushButton* printButton = nullptr;
    QPushButton* previewButton = nullptr;
    QPushButton* pdfButton = nullptr;
    QPushButton* csvButton = nullptr;
    QPushButton* closeButton = nullptr;
};

}  // namespace varnelle
