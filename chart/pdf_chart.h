// The chart as a printable A4 PDF document.
#pragma once

#include <QString>

#include "chart/chart_page.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

struct PdfOutcome {
    bool written = false;
    QString error;  // French, when not written
};

// Writes the chart's pages (chart_page.h) to `path`. The file is written
// aside and put in place only once complete, so a failure leaves an existing
// file as it was. Needs a QGuiApplication (for the fonts).
PdfOutcome writeChartPdf(const QString& path, const TankDescription& description, double step,
                         const Chart& chart, const ChartMarks& marks = {});

}  // namespace varnelle
