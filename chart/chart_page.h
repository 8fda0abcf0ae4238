// The chart as printed A4 pages: on the first, the tank's measurements and a
// sketch of it, a plot of litres against height with the strainer marked, then
// the table, which runs on over as many pages as it takes. The same pages go
// to a PDF, a printer or a screen.
#pragma once

#include <QPainter>
#include <cstddef>

#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

// Pages taken by a chart of `lineCount` lines.
int chartPageCount(std::size_t lineCount);

// Paints page `number` (from 1) of the chart, the page's top-left corner at
// the painter's origin, in millimetres at the resolution of the painter's
// device.
void paintChartPage(QPainter& painter, const TankDescription& description, double step,
                    const Chart& chart, int number);

}  // namespace varnelle
