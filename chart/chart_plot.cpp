// The plot of the chart page: litres against height, total and available,
// with the strainer marked.
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "chart/chart_numbers.h"
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

// "45000" -> "45 000" (no-break spaces), for the graduations of large tanks.
QString groupedThousands(QString number) {
    const qsizetype end = number.indexOf(QChar(pageDecimal)) >= 0
                              ? number.indexOf(QChar(pageDecimal))
                              : number.size();
    const qsizetype firstDigit = number.startsWith('-') ? 1 : 0;
    for (qsizetype at = end - 3; at > firstDigit; at -= 3) {
        number.insert(at, QChar(0x00A0));
    }
    return number;
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
    for (double v = 0; v <= frame.maxLitres + 1e-9; v += litreStep) {
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(page.at(frame.left, frame.y(v)),
                                page.at(frame.left + frame.width, frame.y(v)));
        page.setPen(inkColour, 0.2);
        page.text(page.box(frame.left - 21, frame.y(v) - 2, 20, 4),
                  Qt::AlignRight | Qt::AlignVCenter,
                  groupedThousands(measureString(v, pageDecimal)));
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

void drawLegend(PagePainter& page, const PlotFrame& frame, double strainerHeight) {
    const struct {
        QColor colour;
        Qt::PenStyle style;
        QString label;
    } entries[] = {
        {totalColour, Qt::SolidLine, QStringLiteral("Volume total")},
        {availableColour, Qt::DashLine,
         QStringLiteral("Volume disponible au-dessus de la crépine")},
        {strainerColour, Qt::DashDotLine,
         "Crépine (" + measureString(strainerHeight, pageDecimal) + " mm)"},
    };
    page.setFont(smallPoints);
    // On white, so that the strainer line does not run through the words.
    page.painter().fillRect(page.box(frame.left + 1.5, frame.top + 0.8, 72, 13.5), Qt::white);
    double y = frame.top + 3;
    for (const auto& entry : entries) {
        page.setPen(entry.colour, 0.5, entry.style);
        page.painter().drawLine(page.at(frame.left + 3, y), page.at(frame.left + 11, y));
        page.setPen(inkColour, 0.2);
        page.text(page.box(frame.left + 13, y - 2, 90, 4), Qt::AlignLeft | Qt::AlignVCenter,
                  entry.label);
        y += 4.5;
    }
}

}  // namespace

void drawPlot(PagePainter& page, const PlotArea& area, const TankParameters& tank,
              const Chart& chart) {
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
    drawLegend(page, frame, tank.strainerHeight);
}

}  // namespace varnelle
