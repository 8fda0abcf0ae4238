// The chart as printed pages: on the first, the tank's measurements and a
// sketch of it, a plot of litres against height with the strainer and the fill
// limit marked, then the table, which runs on over as many pages as it takes.
// The pages are laid out for the paper they go on (A4 in a PDF, the printer's
// paper in either orientation on paper): the same pages go to a PDF, a printer
// or a screen.
#pragma once

#include <QDate>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSizeF>
#include <cstddef>
#include <optional>

#include "chart/chart_numbers.h"
#include "chart/chart_texts.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

// Today's oil level and the litres it holds.
struct OilLevel {
    double height = 0;  // mm
    double litres = 0;
};

// What the plot marks besides the curves, and the day the page is dated.
struct ChartMarks {
    double fillPercent = defaultFillPercent;  // the fill limit's line, per cent of the capacity
    std::optional<OilLevel> oilLevel;  // on screen; not on paper, where it would soon be wrong
    QDate date = QDate::currentDate();
    // How the page writes numbers: whole litres on paper, thousands set
    // apart ("1 650"), as its reader's locale writes them; a French page
    // unless told otherwise.
    OutputConventions numbers = conventionsForPeople(QLocale(QLocale::French, QLocale::France));
};

// The paper the chart is laid out on when nothing says otherwise, and always
// in a PDF file: A4 portrait, width by height in millimetres.
inline constexpr QSizeF defaultChartPaper{210, 297};

// The whole sheet of a page layout, margins included, in millimetres and
// turned as the layout is: what the chart is laid out on when printed.
QSizeF chartPaper(const QPageLayout& layout);

// Pages taken by a chart of `lineCount` lines on paper of `paperMm`: the table
// has as many lines on a page as its height holds, and as many blocks side
// by side as its width holds.
int chartPageCount(std::size_t lineCount, const QSizeF& paperMm = defaultChartPaper);

// Paints page `number` (from 1) of the chart laid out for paper of `paperMm`,
// the paper's top-left corner at the painter's origin, in millimetres at the
// resolution of the painter's device. Paper smaller than the page needs (A5)
// gets the page laid out larger in its shape and drawn to fit.
void paintChartPage(QPainter& painter, const TankDescription& description, double step,
                    const Chart& chart, int number, const QSizeF& paperMm,
                    const ChartMarks& marks = {});

// Paints every page on a printer or PDF writer, laid out for its paper
// (chartPaper of its page layout) and drawn from the paper's corner whatever
// its margins, or only the pages of the device's page ranges when it has some.
// False when the device cannot be painted on.
bool paintChartPages(QPagedPaintDevice& device, const TankDescription& description, double step,
                     const Chart& chart, const ChartMarks& marks = {});

// The plot alone, as on the first page, filling `sizeMm` from the painter's
// origin: what a window shows.
void paintChartPlot(QPainter& painter, const QSizeF& sizeMm, const TankParameters& tank,
                    const Chart& chart, const ChartMarks& marks);

// The first lines of the page: the end shape ("Cuve cylindrique à bords
// plats"), then, after the measurements, the capacity and the volume below the
// strainer.
QString chartShapeLine(const TankParameters& tank);
// Litres written by `conventions` to `decimals` decimals: whole litres on paper.
QString chartKeyFigures(const Chart& chart, const OutputConventions& conventions, int decimals);

}  // namespace varnelle
