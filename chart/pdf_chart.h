// The chart as a printable A4 PDF document.
#pragma once

#include <QString>
#include <optional>

#include "chart/chart_page.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"
#include "files/refusal.h"

namespace varnelle {

// Writes the chart's pages (chart_page.h) to `path`. The file is written
// aside and put in place only once complete, so a failure leaves an existing
// file as it was. Needs a QGuiApplication (for the fonts). The refusal, when
// the file could not be written, names `path` as its subject and its sentence
// is the whole French sentence to show ("Le fichier PDF « … » n'a pas pu être
// écrit : …").
std::optional<Refusal> writeChartPdf(const QString& path, const TankDescription& description,
                                     double step, const Chart& chart, const ChartMarks& marks = {});

}  // namespace varnelle
