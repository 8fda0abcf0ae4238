#include "chart_page.h"

#include <QLocale>
#include <QPageRanges>
#include <QPagedPaintDevice>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "chart/chart_numbers.h"
#include "chart/chart_texts.h"
#include "chart/page_painter.h"
#include "chart/report_writer.h"
#include "core/tank_rules.h"

namespace varnelle {
namespace {

// Everything is placed in millimetres from the paper's top-left corner. The
// page is laid out for its paper: the heading keeps its place, the plot and
// the table take the width, the table takes the height.
constexpr double margin = 15;
constexpr double footerRoom = 5;        // above the bottom margin
constexpr double footerFromBottom = 9;  // the footer's baseline

// The smallest sheet laid out as it is: the heading needs the width of A4,
// and the first page the plot's room under it. Smaller paper gets the page of
// a sheet this size in its shape, drawn to fit.
constexpr double narrowestPaper = 210;
constexpr double shortestPaper = 200;

// First page: the heading and the sketch, the plot, then the table.
constexpr double sketchWidth = 52;
constexpr double sketchHeight = 28;
constexpr double sketchTop = margin + 10;
constexpr double summaryTop = margin + 17;
constexpr double keyFiguresTop = margin + 45;
constexpr double plotTop = 74;
constexpr double usualPlotHeight = 76;
constexpr double belowPlot = 14;  // the plot's graduations and axis title
// Fewer lines than this under the plot (landscape paper) are not worth
// starting the table for: the plot takes the first page whole.
constexpr int fewestRowsUnderPlot = 10;
// Later pages: a one-line heading, then the table.
constexpr double laterTableTop = margin + 9;

// The table runs in blocks side by side, each read top to bottom, as many as
// the width holds; a block's columns share its width as on A4 portrait, where
// two blocks of 85 mm fill the width.
constexpr double blockGap = 10;
constexpr double columnShares[] = {17, 17, 26, 25};
constexpr double portraitBlockWidth = 85;  // the sum of the shares
constexpr double narrowestBlock = 74;      // the column headings still fit
constexpr double headerHeight = 9;
constexpr double rowHeight = 4.6;

// Where things go on pages of one paper.
struct PageGeometry {
    double scale = 1;  // sheet laid out / real paper: above 1 for small paper only
    double width = 0;  // of the sheet laid out
    double height = 0;
    double contentWidth = 0;
    double contentBottom = 0;
    double plotHeight = usualPlotHeight;
    int blocks = 2;
    double blockWidth = portraitBlockWidth;
    int firstRows = 0;  // per block; none when the plot takes the first page
    int laterRows = 0;

    double columnWidth(std::size_t column) const {
        return columnShares[column] * blockWidth / portraitBlockWidth;
    }
    double blockLeft(int block) const { return margin + block * (blockWidth + blockGap); }
    std::size_t linesOnFirstPage() const { return linesOf(firstRows); }
    std::size_t linesOnLaterPage() const { return linesOf(laterRows); }
    std::size_t linesOf(int rows) const {
        return static_cast<std::size_t>(blocks) * static_cast<std::size_t>(rows);
    }
};

int rowsBetween(double top, double bottom) {
    return std::max(0, static_cast<int>(std::floor((bottom - top - headerHeight) / rowHeight)));
}

PageGeometry geometryFor(QSizeF paper) {
    if (!(paper.width() > 0 && paper.height() > 0)) {
        paper = defaultChartPaper;
    }
    PageGeometry g;
    g.scale = std::max({1.0, narrowestPaper / paper.width(), shortestPaper / paper.height()});
    g.width = paper.width() * g.scale;
    g.height = paper.height() * g.scale;
    g.contentWidth = g.width - 2 * margin;
    g.contentBottom = g.height - margin - footerRoom;
    g.blocks = std::max(
        1, static_cast<int>(std::floor((g.contentWidth + blockGap) / (narrowestBlock + blockGap))));
    g.blockWidth = (g.contentWidth - blockGap * (g.blocks - 1)) / g.blocks;
    const int rowsUnderPlot = rowsBetween(plotTop + usualPlotHeight + belowPlot, g.contentBottom);
    if (rowsUnderPlot >= fewestRowsUnderPlot) {
        g.firstRows = rowsUnderPlot;
    } else {
        g.plotHeight = g.contentBottom - belowPlot - plotTop;
    }
    g.laterRows = rowsBetween(laterTableTop, g.contentBottom);
    return g;
}

double firstTableTop(const PageGeometry& g) {
    return plotTop + g.plotHeight + belowPlot;
}

// Index of the first chart line on page `number`.
std::size_t firstLineOfPage(const PageGeometry& g, int number) {
    if (number <= 1) {
        return 0;
    }
    return g.linesOnFirstPage() + static_cast<std::size_t>(number - 2) * g.linesOnLaterPage();
}

int pageCount(const PageGeometry& g, std::size_t lineCount) {
    const std::size_t first = g.linesOnFirstPage();
    if (lineCount <= first) {
        return 1;
    }
    const std::size_t later = g.linesOnLaterPage();
    return 1 + static_cast<int>((lineCount - first + later - 1) / later);
}

// --- First page heading -----------------------------------------------------

void drawHeading(PagePainter& page, const PageGeometry& g, const TankDescription& description,
                 double step, const Chart& chart) {
    page.setPen(inkColour, 0.2);
    page.setFont(18, true);
    page.text(page.box(margin, margin, g.contentWidth, 9), Qt::AlignLeft | Qt::AlignTop,
              QString::fromUtf8(chartWords::title));

    const double textWidth = g.contentWidth - sketchWidth - 6;
    page.setFont(11);
    page.text(page.box(margin, margin + 10, textWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              chartShapeLine(description.tank));

    page.setFont(bodyPoints);
    const QString summary = tankSummaryLines(description, step, page.numbers()).join('\n');
    page.text(page.box(margin, summaryTop, textWidth, keyFiguresTop - summaryTop),
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, summary);

    page.setFont(10.5, true);
    page.text(page.box(margin, keyFiguresTop, g.contentWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              chartKeyFigures(chart, page.numbers(), 0));
}

// Side view of the tank, to scale, with the strainer level, in the top right
// corner.
void drawSketch(PagePainter& page, const PageGeometry& g, const TankParameters& tank) {
    const double endWidth = tank.endShape == EndShape::FlatEnds ? 0.0 : tank.endWidth;
    const double overall = tank.cylinderLength + 2 * endWidth;
    const double scale = std::min(sketchWidth / overall, sketchHeight / tank.diameter);
    const double sketchLeft = margin + g.contentWidth - sketchWidth;
    const double left = sketchLeft + (sketchWidth - overall * scale) / 2;
    const double axis = sketchTop + sketchHeight / 2;
    const double R = tank.diameter / 2;

    // The outline, clockwise from the outer face of the left end.
    constexpr int pointsPerEnd = 60;
    QPolygonF upper;
    for (int k = pointsPerEnd; k >= 0; --k) {
        const double t = static_cast<double>(k) / pointsPerEnd;
        const double radius = endWidth > 0 ? sliceRadius(tank, t * tank.intervals) : R;
        upper << QPointF(endWidth * (1 - t), radius);
    }
    for (int k = 0; k <= pointsPerEnd; ++k) {
        const double t = static_cast<double>(k) / pointsPerEnd;
        const double radius = endWidth > 0 ? sliceRadius(tank, t * tank.intervals) : R;
        upper << QPointF(endWidth + tank.cylinderLength + endWidth * t, radius);
    }
    QPolygonF outline;
    for (const QPointF& p : upper) {
        outline << page.at(left + p.x() * scale, axis - p.y() * scale);
    }
    for (auto p = upper.crbegin(); p != upper.crend(); ++p) {
        outline << page.at(left + p->x() * scale, axis + p->y() * scale);
    }
    page.setPen(inkColour, 0.35);
    page.painter().setBrush(Qt::NoBrush);
    page.painter().drawPolygon(outline);

    // The strainer is marked across the cylindrical part, where its height
    // is measured.
    const double strainerY = axis + R * scale - tank.strainerHeight * scale;
    page.setPen(strainerColour, 0.3, Qt::DashDotLine);
    page.painter().drawLine(page.at(left + endWidth * scale, strainerY),
                            page.at(left + (endWidth + tank.cylinderLength) * scale, strainerY));

    page.setFont(smallPoints);
    page.setPen(greyInkColour, 0.2);
    page.text(page.box(sketchLeft, sketchTop + sketchHeight + 1, sketchWidth, 4),
              Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Vue de côté, à l'échelle"));
}

// --- Table ------------------------------------------------------------------

void drawTableHeader(PagePainter& page, const PageGeometry& g, double left, double top) {
    page.setFont(bodyPoints, true);
    page.setPen(inkColour, 0.2);
    double x = left;
    for (std::size_t c = 0; c < chartColumns().size(); ++c) {
        const ChartColumn& column = chartColumns()[c];
        page.text(page.box(x, top, g.columnWidth(c) - 1.5, headerHeight / 2),
                  Qt::AlignRight | Qt::AlignBottom, column.shortName);
        page.text(page.box(x, top + headerHeight / 2, g.columnWidth(c) - 1.5, headerHeight / 2),
                  Qt::AlignRight | Qt::AlignTop, unitInBrackets(column));
        x += g.columnWidth(c);
    }
    page.setPen(inkColour, 0.3);
    page.painter().drawLine(page.at(left, top + headerHeight),
                            page.at(left + g.blockWidth, top + headerHeight));
}

void drawTableRow(PagePainter& page, const PageGeometry& g, double left, double top, int row,
                  const ChartLine& line) {
    if (row % 2 == 1) {
        page.painter().fillRect(page.box(left, top, g.blockWidth, rowHeight), stripeColour);
    }
    QStringList cells = chartLineCells(line, page.numbers());
    cells[2] = page.numbers().litres(line.totalLitres, 0);
    cells[3] = page.numbers().litres(line.availableLitres, 0);
    double x = left;
    for (std::size_t c = 0; c < static_cast<std::size_t>(cells.size()); ++c) {
        page.text(page.box(x, top, g.columnWidth(c) - 1.5, rowHeight),
                  Qt::AlignRight | Qt::AlignVCenter, cells[static_cast<qsizetype>(c)]);
        x += g.columnWidth(c);
    }
}

// Draws the chart's lines from `first` on, from `top` down, `rows` to a block
// at most. A page that the table does not fill shares its lines evenly
// between the blocks rather than leaving the last one short or empty.
void drawTable(PagePainter& page, const PageGeometry& g, const Chart& chart, std::size_t first,
               double top, int rows) {
    if (first >= chart.lines.size() || rows <= 0) {
        return;
    }
    const auto blocks = static_cast<std::size_t>(g.blocks);
    const std::size_t remaining = chart.lines.size() - first;
    rows = std::min(rows, static_cast<int>((remaining + blocks - 1) / blocks));
    std::size_t index = first;
    for (int block = 0; block < g.blocks && index < chart.lines.size(); ++block) {
        const double left = g.blockLeft(block);
        drawTableHeader(page, g, left, top);
        page.setFont(bodyPoints);
        page.setPen(inkColour, 0.2);
        for (int row = 0; row < rows && index < chart.lines.size(); ++row, ++index) {
            drawTableRow(page, g, left, top + headerHeight + row * rowHeight, row,
                         chart.lines[index]);
        }
    }
}

void drawFooter(PagePainter& page, const PageGeometry& g, const QDate& date, int number,
                int count) {
    const double baseline = g.height - footerFromBottom;
    page.setFont(smallPoints);
    page.setPen(greyInkColour, 0.2);
    page.text(page.box(margin, baseline - 4, g.contentWidth, 5), Qt::AlignHCenter | Qt::AlignBottom,
              QStringLiteral("Varnelle — barème établi le %1 — page %2 sur %3")
                  .arg(QLocale(QLocale::French).toString(date, QStringLiteral("d MMMM yyyy")))
                  .arg(number)
                  .arg(count));
}

void drawLaterHeading(PagePainter& page, const PageGeometry& g, const TankParameters& tank) {
    page.setFont(bodyPoints);
    page.setPen(QColor(0x44, 0x44, 0x44), 0.2);
    page.text(page.box(margin, margin, g.contentWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              QString::fromUtf8(chartWords::title) + " (suite) : diamètre " +
                  page.numbers().number(tank.diameter) + " mm, longueur " +
                  page.numbers().number(tank.cylinderLength) + " mm, " +
                  QString::fromStdString(endShapeWords(tank.endShape)));
}

}  // namespace

QSizeF chartPaper(const QPageLayout& layout) {
    return layout.fullRect(QPageLayout::Millimeter).size();
}

int chartPageCount(std::size_t lineCount, const QSizeF& paperMm) {
    return pageCount(geometryFor(paperMm), lineCount);
}

QString chartShapeLine(const TankParameters& tank) {
    QString shape = QString::fromStdString(endShapeName(tank.endShape));
    shape[0] = shape[0].toUpper();
    return shape;
}

QString chartKeyFigures(const Chart& chart, const OutputConventions& conventions, int decimals) {
    return QString::fromUtf8(chartWords::capacity) + " : " +
           conventions.litresWithUnit(chart.capacity, decimals) + "      " +
           QString::fromUtf8(chartWords::belowStrainer) + " : " +
           conventions.litresWithUnit(chart.belowStrainerLitres, decimals);
}

void paintChartPage(QPainter& painter, const TankDescription& description, double step,
                    const Chart& chart, int number, const QSizeF& paperMm,
                    const ChartMarks& marks) {
    const PageGeometry g = geometryFor(paperMm);
    painter.save();
    painter.scale(1 / g.scale, 1 / g.scale);
    PagePainter page(painter, marks.numbers);
    if (number == 1) {
        drawHeading(page, g, description, step, chart);
        drawSketch(page, g, description.tank);
        drawPlot(page, {margin, plotTop, g.contentWidth, g.plotHeight}, description.tank, chart,
                 marks);
        drawTable(page, g, chart, 0, firstTableTop(g), g.firstRows);
    } else {
        drawLaterHeading(page, g, description.tank);
        drawTable(page, g, chart, firstLineOfPage(g, number), laterTableTop, g.laterRows);
    }
    drawFooter(page, g, marks.date, number, pageCount(g, chart.lines.size()));
    painter.restore();
}

bool paintChartPages(QPagedPaintDevice& device, const TankDescription& description, double step,
                     const Chart& chart, const ChartMarks& marks) {
    const QPageLayout layout = device.pageLayout();
    const QSizeF paper = chartPaper(layout);
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The page is drawn from the paper's corner: a device that keeps margins
    // has its origin at their corner instead.
    const QPointF marginsCorner = layout.paintRect(QPageLayout::Millimeter).topLeft();
    painter.translate(
        -PagePainter(painter, marks.numbers).at(marginsCorner.x(), marginsCorner.y()));
    // The pages the user chose in a print dialog; none chosen means all.
    const QPageRanges chosen = device.pageRanges();
    const int pages = chartPageCount(chart.lines.size(), paper);
    bool firstPrinted = true;
    for (int number = 1; number <= pages; ++number) {
        if (!chosen.isEmpty() && !chosen.contains(number)) {
            continue;
        }
        if (!firstPrinted) {
            device.newPage();
        }
        firstPrinted = false;
        paintChartPage(painter, description, step, chart, number, paper, marks);
    }
    return painter.end();
}

}  // namespace varnelle
