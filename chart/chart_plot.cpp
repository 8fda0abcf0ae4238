// The plot of the chart page: litres against height, total and available,
// with the strainer, the fill limit and, on screen, today's level marked.
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "chart/chart_numbers.h"
#include "chart/chart_page.h"
#include "chart/page_painter.h"

namespace varnelle {
namespace {

// "Nice" spacing of graduations: 1, 2 or 5 times a power of ten.
double graduationStep(double range, int wanted) {
    const double raw = range / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) {
            return factor * power;
        }
    }
    return 10 * power;
}

struct PlotFrame {
    double left, top, width, height;  // mm
    double maxHeight, maxLitres;

    double x(double heightMm) const { return left + width * heightMm / maxHeight; }
    double y(double litres) const { return top + height - height * litres / maxLitres; }
};

void drawGraduations(PagePainter& page, const PlotFrame& frame) {
    page.setFont(smallPoints);
    const double heightStep = graduationStep(frame.maxHeight, 10);
    for (double h = 0; h <= frame.maxHeight + 1e-9; h += heightStep) {
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(page.at(frame.x(h), frame.top),
                                page.at(frame.x(h), frame.top + frame.height));
        page.setPen(inkColour, 0.2);
        page.text(page.box(frame.x(h) - 10, frame.top + frame.height + 1, 20, 4),
                  Qt::AlignHCenter | Qt::AlignTop, measureString(h, pageDecimal));
    }
    const double litreStep = graduationStep(frame.maxLitres, 8);
    // Graduations of tiny tanks fall between whole litres.
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(litreStep))), 0, 3);
    for (double v = 0; v <= frame.maxLitres + 1e-9; v += litreStep) {
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(page.at(frame.left, frame.y(v)),
                                page.at(frame.left + frame.width, frame.y(v)));
        page.setPen(inkColour, 0.2);
        page.text(page.box(frame.left - 21, frame.y(v) - 2, 20, 4),
                  Qt::AlignRight | Qt::AlignVCenter, printedLitres(v, decimals));
    }
    page.setFont(bodyPoints);
    page.text(page.box(frame.left, frame.top + frame.height + 5.5, frame.width, 5),
              Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Hauteur du mazout (mm)"));
    page.text(page.box(frame.left - 21, frame.top - 7, 60, 5), Qt::AlignLeft | Qt::AlignTop,
              QStringLiteral("Litres"));
}

void drawCurve(PagePainter& page, const PlotFrame& frame, const Chart& chart, bool available,
               const QColor& colour, Qt::PenStyle style) {
    QPolygonF curve;
    for (const ChartLine& line : chart.lines) {
        const double litres = available ? line.availableLitres : line.totalLitres;
        curve << page.at(frame.x(line.height), frame.y(litres));
    }
    page.setPen(colour, 0.5, style);
    page.painter().drawPolyline(curve);
}

struct LegendEntry {
    QColor colour;
    Qt::PenStyle style;
    QString label;
};

// In the bottom right corner, which the curves never reach: they rise from
// the bottom left to the top right.
void drawLegend(PagePainter& page, const PlotFrame& frame,
                const std::vector<LegendEntry>& entries) {
    constexpr double lineHeight = 4.5;
    constexpr double sampleWidth = 8;
    constexpr double padding = 1.5;
    page.setFont(smallPoints);
    double textWidth = 0;
    for (const LegendEntry& entry : entries) {
        const double dots = page.painter().fontMetrics().horizontalAdvance(entry.label);
        textWidth = std::max(textWidth, dots / page.dotsX(1));
    }
    const double width = padding + sampleWidth + 2 * padding + textWidth + padding;
    const double height = lineHeight * static_cast<double>(entries.size()) + padding;
    const double left = frame.left + frame.width - width - padding;
    const double top = frame.top + frame.height - height - padding;
    // On white, so that the lines of the plot do not run through the words.
    page.painter().fillRect(page.box(left, top, width, height), Qt::white);
    double y = top + padding + lineHeight / 2;
    for (const LegendEntry& entry : entries) {
        page.setPen(entry.colour, 0.5, entry.style);
        page.painter().drawLine(page.at(left + padding, y),
                                page.at(left + padding + sampleWidth, y));
        page.setPen(inkColour, 0.2);
        page.text(page.box(left + 3 * padding + sampleWidth, y - 2, textWidth + padding, 4),
                  Qt::AlignLeft | Qt::AlignVCenter, entry.label);
        y += lineHeight;
    }
}

void drawFillLimit(PagePainter& page, const PlotFrame& frame, double litres) {
    page.setPen(fillLimitColour, 0.4, Qt::DotLine);
    page.painter().drawLine(page.at(frame.left, frame.y(litres)),
                            page.at(frame.left + frame.width, frame.y(litres)));
}

// A cross-hair from both axes to the point of the total curve at today's level.
void drawOilLevel(PagePainter& page, const PlotFrame& frame, const OilLevel& level) {
    const QPointF point = page.at(frame.x(level.height), frame.y(level.litres));
    page.setPen(oilLevelColour, 0.3, Qt::DashLine);
    page.painter().drawLine(page.at(frame.x(level.height), frame.top + frame.height), point);
    page.painter().drawLine(page.at(frame.left, frame.y(level.litres)), point);
    page.setPen(oilLevelColour, 0.4);
    page.painter().setBrush(oilLevelColour);
    page.painter().drawEllipse(point, page.dotsX(1.2), page.dotsY(1.2));
    page.painter().setBrush(Qt::NoBrush);
    page.setFont(smallPoints, true);
    page.text(page.box(frame.x(level.height) + 2, frame.y(level.litres) - 6, 40, 4),
              Qt::AlignLeft | Qt::AlignVCenter, printedLitres(level.litres) + " litres");
}

std::vector<LegendEntry> legendEntries(const TankParameters& tank, const Chart& chart,
                                       const ChartMarks& marks) {
    std::vector<LegendEntry> entries = {
        {totalColour, Qt::SolidLine, QStringLiteral("Volume total")},
        {availableColour, Qt::DashLine,
         QStringLiteral("Volume disponible au-dessus de la crépine")},
        {strainerColour, Qt::DashDotLine,
         "Crépine (" + measureString(tank.strainerHeight, pageDecimal) + " mm)"},
        {fillLimitColour, Qt::DotLine,
         "Remplissage maximal (" + measureString(marks.fillPercent, pageDecimal) +
             " % : " + printedLitres(chart.capacity * marks.fillPercent / 100) + " litres)"},
    };
    if (marks.oilLevel) {
        entries.push_back(
            {oilLevelColour, Qt::DashLine,
             "Niveau actuel (" + measureString(marks.oilLevel->height, pageDecimal) + " mm)"});
    }
    return entries;
}

}  // namespace

QString printedLitres(double litres, int decimals) {
    // "45000" -> "45 000", with no-break spaces that keep a number on one line.
    QString number = measureString(litres, pageDecimal, decimals, decimals);
    const qsizetype end = number.indexOf(QChar(pageDecimal)) >= 0
                              ? number.indexOf(QChar(pageDecimal))
                              : number.size();
    const qsizetype firstDigit = number.startsWith('-') ? 1 : 0;
    for (qsizetype at = end - 3; at > firstDigit; at -= 3) {
        number.insert(at, QChar(0x00A0));
    }
    return number;
}

void drawPlot(PagePainter& page, const PlotArea& area, const TankParameters& tank,
              const Chart& chart, const ChartMarks& marks) {
    constexpr double axisRoom = 22;  // left of the frame, for the litre graduations
    PlotFrame frame{area.left + axisRoom, area.top,      area.width - axisRoom,
                    area.height,          tank.diameter, 0};
    const double litreStep = graduationStep(std::max(chart.capacity, 1e-9), 8);
    frame.maxLitres = std::max(litreStep, std::ceil(chart.capacity / litreStep) * litreStep);

    drawGraduations(page, frame);
    page.painter().setBrush(Qt::NoBrush);
    page.setPen(inkColour, 0.3);
    page.painter().drawRect(page.box(frame.left, frame.top, frame.width, frame.height));

    page.setPen(strainerColour, 0.4, Qt::DashDotLine);
    page.painter().drawLine(page.at(frame.x(tank.strainerHeight), frame.top),
                            page.at(frame.x(tank.strainerHeight), frame.top + frame.height));
    drawCurve(page, frame, chart, true, availableColour, Qt::DashLine);
    drawCurve(page, frame, chart, false, totalColour, Qt::SolidLine);
    drawFillLimit(page, frame, chart.capacity * marks.fillPercent / 100);
    if (marks.oilLevel) {
        drawOilLevel(page, frame, *marks.oilLevel);
    }
    drawLegend(page, frame, legendEntries(tank, chart, marks));
}

void paintChartPlot(QPainter& painter, const QSizeF& sizeMm, const TankParameters& tank,
                    const Chart& chart, const ChartMarks& marks) {
    // Room for the graduations left of the frame and below it, and for the
    // word "Litres" above it, as on the page.
    constexpr double above = 8;
    constexpr double below = 11;
    constexpr double right = 3;
    PagePainter page(painter);
    drawPlot(page, {0, above, sizeMm.width() - right, sizeMm.height() - above - below}, tank, chart,
             marks);
}

}  // namespace varnelle
