// The carnet's picture: the litres against time with the deliveries, the
// reserve and strainer lines and the forecast, and below it the litres per
// month of this season beside the last one. One painter draws it on the
// screen, in a PDF and on paper; a screen reader is told what it shows in the
// widget's accessible description.
#pragma once

#include <QDateTime>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "chart/chart_numbers.h"
#include "logbook/consumption.h"

class QPainter;
class QPrinter;

namespace varnelle {

struct LogbookPlotData {                  // everything the plot shows, computed off the UI thread
    std::vector<LitresReading> readings;  // by time (Summary::history.readings)
    std::vector<QDateTime> deliveries;    // when each delivery was (recorded or found)
    double capacity = 0, strainerLitres = 0, reserveLitres = 0;
    std::optional<Forecast> forecast;  // from the last reading
    std::vector<MonthUse> months;      // Summary::months
    QDateTime from, to;                // the span shown (default: the season)
};

class LogbookPlot : public QWidget {  // objectName "logPlot"
    Q_OBJECT

  public:
    explicit LogbookPlot(QWidget* parent = nullptr);
    void setData(LogbookPlotData data);
    const LogbookPlotData& data() const { return data_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    LogbookPlotData data_;
    OutputConventions numbers_;
};

// Paints the plot in `area` (the painter's coordinates); sizes follow the
// painter's device, so a printer at 600 dpi gets the picture the screen shows.
void paintLogbookPlot(QPainter& painter, const QRectF& area, const LogbookPlotData& data,
                      const OutputConventions& numbers);

// One page: the summary's lines, the plot, the month bars. False when the printer refused.
bool printLogbookPage(QPrinter& printer, const QStringList& summaryLines,
                      const LogbookPlotData& data, const OutputConventions& numbers);

// The page that printLogbookPage prints, painted in `area` (the painter's
// coordinates, the page within its margins): the title, the summary's lines,
// then the plot and the month bars.
void paintLogbookPage(QPainter& painter, const QRectF& area, const QStringList& summaryLines,
                      const LogbookPlotData& data, const OutputConventions& numbers);

// What the plot shows, in one French sentence or two, for a screen reader:
// "Litres du 01/07/2026 au 30/11/2026 : de 2 400 à 1 350 litres."
QString logbookPlotDescription(const LogbookPlotData& data, const OutputConventions& numbers);

}  // namespace varnelle
