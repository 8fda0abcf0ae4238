#include "chart_page.h"

#include <QLocale>
#include <QPageRanges>
#include <QPagedPaintDevice>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "chart/chart_numbers.h"
#include "chart/page_painter.h"
#include "chart/report_writer.h"
#include "core/tank_rules.h"

namespace varnelle {
namespace {

// Everything is placed in millimetres on an A4 page, from its top-left corner.
constexpr double pageWidth = 210;
constexpr double pageHeight = 297;
constexpr double margin = 15;
constexpr double contentWidth = pageWidth - 2 * margin;
constexpr double contentBottom = pageHeight - margin - 5;  // the footer sits below
constexpr double footerBaseline = pageHeight - 9;

// First page: the heading and the sketch, the plot, then the table.
constexpr double sketchWidth = 52;
constexpr double sketchHeight = 28;
constexpr double sketchTop = margin + 10;
constexpr double summaryTop = margin + 17;
constexpr double keyFiguresTop = margin + 45;
constexpr double plotTop = 74;
constexpr double plotHeight = 76;
constexpr double firstTableTop = 164;
// Later pages: a one-line heading, then the table.
constexpr double laterTableTop = margin + 9;

// The table runs in two blocks side by side, each read top to bottom.
constexpr int blocksPerPage = 2;
constexpr double blockGap = 10;
constexpr double blockWidth = (contentWidth - blockGap) / blocksPerPage;
constexpr double columnWidths[] = {17, 17, 26, 25};  // adds up to blockWidth
constexpr double headerHeight = 9;
constexpr double rowHeight = 4.6;

int rowsBetween(double top) {
    return static_cast<int>(std::floor((contentBottom - top - headerHeight) / rowHeight));
}

std::size_t linesOnFirstPage() {
    return static_cast<std::size_t>(blocksPerPage) *
           static_cast<std::size_t>(rowsBetween(firstTableTop));
}

std::size_t linesOnLaterPage() {
    return static_cast<std::size_t>(blocksPerPage) *
           static_cast<std::size_t>(rowsBetween(laterTableTop));
}

// Index of the first chart line on page `number`.
std::size_t firstLineOfPage(int number) {
    if (number <= 1) {
        return 0;
    }
    return linesOnFirstPage() + static_cast<std::size_t>(number - 2) * linesOnLaterPage();
}

// --- First page heading -----------------------------------------------------

void drawHeading(PagePainter& page, const TankDescription& description, double step,
                 const Chart& chart) {
    page.setPen(inkColour, 0.2);
    page.setFont(18, true);
    page.text(page.box(margin, margin, contentWidth, 9), Qt::AlignLeft | Qt::AlignTop,
              QStringLiteral("Barème de jaugeage"));

    const double textWidth = contentWidth - sketchWidth - 6;
    page.setFont(11);
    page.text(page.box(margin, margin + 10, textWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              chartShapeLine(description.tank));

    page.setFont(bodyPoints);
    const QString summary = tankSummaryLines(description, step, pageDecimal).join('\n');
    page.text(page.box(margin, summaryTop, textWidth, keyFiguresTop - summaryTop),
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, summary);

    page.setFont(10.5, true);
    page.text(page.box(margin, keyFiguresTop, contentWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              chartKeyFigures(chart));
}

// Side view of the tank, to scale, with the strainer level.
void drawSketch(PagePainter& page, const TankParameters& tank) {
    const double endWidth = tank.endShape == EndShape::FlatEnds ? 0.0 : tank.endWidth;
    const double overall = tank.cylinderLength + 2 * endWidth;
    const double scale = std::min(sketchWidth / overall, sketchHeight / tank.diameter);
    const double left = margin + contentWidth - sketchWidth + (sketchWidth - overall * scale) / 2;
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
    page.text(
        page.box(margin + contentWidth - sketchWidth, sketchTop + sketchHeight + 1, sketchWidth, 4),
        Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Vue de côté, à l'échelle"));
}

// --- Table ------------------------------------------------------------------

void drawTableHeader(PagePainter& page, double left, double top) {
    page.setFont(bodyPoints, true);
    page.setPen(inkColour, 0.2);
    double x = left;
    for (std::size_t c = 0; c < chartColumns().size(); ++c) {
        const ChartColumn& column = chartColumns()[c];
        page.text(page.box(x, top, columnWidths[c] - 1.5, headerHeight / 2),
                  Qt::AlignRight | Qt::AlignBottom, column.shortName);
        page.text(page.box(x, top + headerHeight / 2, columnWidths[c] - 1.5, headerHeight / 2),
                  Qt::AlignRight | Qt::AlignTop, unitInBrackets(column));
        x += columnWidths[c];
    }
    page.setPen(inkColour, 0.3);
    page.painter().drawLine(page.at(left, top + headerHeight),
                            page.at(left + blockWidth, top + headerHeight));
}

void drawTableRow(PagePainter& page, double left, double top, int row, const ChartLine& line) {
    if (row % 2 == 1) {
        page.painter().fillRect(page.box(left, top, blockWidth, rowHeight), stripeColour);
    }
    QStringList cells = chartLineCells(line, pageDecimal);
    cells[2] = printedLitres(line.totalLitres);
    cells[3] = printedLitres(line.availableLitres);
    double x = left;
    for (int c = 0; c < cells.size(); ++c) {
        page.text(page.box(x, top, columnWidths[c] - 1.5, rowHeight),
                  Qt::AlignRight | Qt::AlignVCenter, cells[c]);
        x += columnWidths[c];
    }
}

// Draws the chart's lines from `first` on, from `top` down, as many as the
// page holds. A page that the table does not fill shares its lines evenly
// between the blocks rather than leaving the last one short or empty.
void drawTable(PagePainter& page, const Chart& chart, std::size_t first, double top) {
    const std::size_t left = chart.lines.size() - first;
    const int rows =
        std::min(rowsBetween(top), static_cast<int>((left + blocksPerPage - 1) / blocksPerPage));
    std::size_t index = first;
    for (int block = 0; block < blocksPerPage && index < chart.lines.size(); ++block) {
        const double left = margin + block * (blockWidth + blockGap);
        drawTableHeader(page, left, top);
        page.setFont(bodyPoints);
        page.setPen(inkColour, 0.2);
        for (int row = 0; row < rows && index < chart.lines.size(); ++row, ++index) {
            drawTableRow(page, left, top + headerHeight + row * rowHeight, row, chart.lines[index]);
        }
    }
}

void drawFooter(PagePainter& page, const QDate& date, int number, int count) {
    page.setFont(smallPoints);
    page.setPen(greyInkColour, 0.2);
    page.text(page.box(margin, footerBaseline - 4, contentWidth, 5),
              Qt::AlignHCenter | Qt::AlignBottom,
              QStringLiteral("Varnelle — barème établi le %1 — page %2 sur %3")
                  .arg(QLocale(QLocale::French).toString(date, QStringLiteral("d MMMM yyyy")))
                  .arg(number)
                  .arg(count));
}

void drawLaterHeading(PagePainter& page, const TankParameters& tank) {
    page.setFont(bodyPoints);
    page.setPen(QColor(0x44, 0x44, 0x44), 0.2);
    page.text(page.box(margin, margin, contentWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              "Barème de jaugeage (suite) : diamètre " + measureString(tank.diameter, pageDecimal) +
                  " mm, longueur " + measureString(tank.cylinderLength, pageDecimal) + " mm, " +
                  QString::fromStdString(endShapeName(tank.endShape))
                      .remove(QStringLiteral("cuve cylindrique à ")));
}

}  // namespace

int chartPageCount(std::size_t lineCount) {
    const std::size_t first = linesOnFirstPage();
    if (lineCount <= first) {
        return 1;
    }
    const std::size_t later = linesOnLaterPage();
    return 1 + static_cast<int>((lineCount - first + later - 1) / later);
}

QString chartShapeLine(const TankParameters& tank) {
    QString shape = QString::fromStdString(endShapeName(tank.endShape));
    shape[0] = shape[0].toUpper();
    return shape;
}

QString chartKeyFigures(const Chart& chart) {
    return "Capacité (cuve pleine) : " + printedLitres(chart.capacity) +
           " litres      Volume sous la crépine : " + printedLitres(chart.belowStrainerLitres) +
           " litres";
}

void paintChartPage(QPainter& painter, const TankDescription& description, double step,
                    const Chart& chart, int number, const ChartMarks& marks) {
    PagePainter page(painter);
    if (number == 1) {
        drawHeading(page, description, step, chart);
        drawSketch(page, description.tank);
        drawPlot(page, {margin, plotTop, contentWidth, plotHeight}, description.tank, chart, marks);
        drawTable(page, chart, 0, firstTableTop);
    } else {
        drawLaterHeading(page, description.tank);
        drawTable(page, chart, firstLineOfPage(number), laterTableTop);
    }
    drawFooter(page, marks.date, number, chartPageCount(chart.lines.size()));
}

bool paintChartPages(QPagedPaintDevice& device, const TankDescription& description, double step,
                     const Chart& chart, const ChartMarks& marks) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The pages the user chose in a print dialog; none chosen means all.
    const QPageRanges chosen = device.pageRanges();
    const int pageCount = chartPageCount(chart.lines.size());
    bool firstPrinted = true;
    for (int number = 1; number <= pageCount; ++number) {
        if (!chosen.isEmpty() && !chosen.contains(number)) {
            continue;
        }
        if (!firstPrinted) {
            device.newPage();
        }
        firstPrinted = false;
        paintChartPage(painter, description, step, chart, number, marks);
    }
    return painter.end();
}

}  // namespace varnelle
