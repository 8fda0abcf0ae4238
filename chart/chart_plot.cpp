// The plot of the chart page: litres against height, total and available,
// with the strainer, the fill limit and, on screen, today's level marked.
#include <QLineF>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

#include "chart/chart_numbers.h"
#include "chart/chart_page.h"
#include "chart/chart_texts.h"
#include "chart/page_painter.h"

namespace varnelle {
namespace {

constexpr double axisRoom = 22;  // left of the frame, for the litre graduations
constexpr double dotRadius = 1.2;
constexpr double briefLegendPoints = 6.5;  // the smallest legend still read at arm's length

// "Nice" spacing of graduations: 1, 2 or 5 times a power of ten, `wanted`
// intervals at most.
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

// As many intervals as leave `room` mm for each graduation's number, at most
// `most`.
int wantedGraduations(double length, double room, int most) {
    return std::clamp(static_cast<int>(std::floor(length / room)), 1, most);
}

// --- What the plot draws, in millimetres --------------------------------------

QPolygonF curveOf(const PlotLayout& layout, const Chart& chart, bool available) {
    const std::vector<ChartLine>& points =
        chart.plotPoints.empty() ? chart.lines : chart.plotPoints;
    QPolygonF curve;
    for (const ChartLine& point : points) {
        const double litres = available ? point.availableLitres : point.totalLitres;
        curve << QPointF(layout.x(point.height), layout.y(litres));
    }
    return curve;
}

// Whether `line` runs through `box` or touches it.
bool crosses(const QRectF& box, const QPolygonF& line) {
    const std::array<QLineF, 4> edges = {
        QLineF(box.topLeft(), box.topRight()), QLineF(box.topRight(), box.bottomRight()),
        QLineF(box.bottomRight(), box.bottomLeft()), QLineF(box.bottomLeft(), box.topLeft())};
    for (qsizetype k = 0; k < line.size(); ++k) {
        if (box.contains(line[k])) {
            return true;
        }
        if (k == 0) {
            continue;
        }
        const QLineF segment(line[k - 1], line[k]);
        for (const QLineF& edge : edges) {
            if (segment.intersects(edge, nullptr) == QLineF::BoundedIntersection) {
                return true;
            }
        }
    }
    return false;
}

// What a word must never hide: the curves, and boxes (today's dot, its words).
struct Obstacles {
    std::vector<QPolygonF> lines;
    std::vector<QRectF> boxes;

    bool hitBy(const QRectF& box) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&box](const QPolygonF& line) { return crosses(box, line); }) ||
               std::any_of(boxes.begin(), boxes.end(),
                           [&box](const QRectF& other) { return other.intersects(box); });
    }
};

// The marks drawn straight across the plot, which a word had better not hide
// but may when there is no other room.
std::vector<QPolygonF> markLines(const PlotLayout& layout, const TankParameters& tank,
                                 const Chart& chart, const ChartMarks& marks) {
    const QRectF& f = layout.frame;
    const double strainerX = layout.x(tank.strainerHeight);
    const double fillY = layout.y(chart.capacity * marks.fillPercent / 100);
    std::vector<QPolygonF> lines = {
        QPolygonF{QPointF(strainerX, f.top()), QPointF(strainerX, f.bottom())},
        QPolygonF{QPointF(f.left(), fillY), QPointF(f.right(), fillY)}};
    if (layout.oilLevelDot) {
        const QPointF dot = *layout.oilLevelDot;
        lines.push_back(QPolygonF{QPointF(f.left(), dot.y()), dot});
        lines.push_back(QPolygonF{dot, QPointF(dot.x(), f.bottom())});
    }
    return lines;
}

// `box` moved inside the frame, with a little room to its edges.
QRectF insideFrame(QRectF box, const QRectF& frame) {
    constexpr double room = 0.5;
    box.moveLeft(
        std::max(frame.left() + room, std::min(box.left(), frame.right() - room - box.width())));
    box.moveTop(
        std::max(frame.top() + room, std::min(box.top(), frame.bottom() - room - box.height())));
    return box;
}

// A place for words, and how far it is from where they belong (0 nearest).
struct Place {
    QRectF box;
    int remoteness = 0;
};

// Of `places`, the one inside the frame that hides no obstacle, with the
// fewest of `marks` hidden plus remoteness, the first of those on a tie;
// nothing when every one hides an obstacle.
std::optional<std::size_t> bestPlace(const std::vector<Place>& places, const PlotLayout& layout,
                                     const Obstacles& obstacles,
                                     const std::vector<QPolygonF>& marks) {
    std::optional<std::size_t> best;
    std::ptrdiff_t lowestCost = 0;
    for (std::size_t k = 0; k < places.size(); ++k) {
        const QRectF& box = places[k].box;
        if (!layout.frame.contains(box) || obstacles.hitBy(box)) {
            continue;
        }
        const std::ptrdiff_t cost =
            places[k].remoteness +
            std::count_if(marks.begin(), marks.end(),
                          [&box](const QPolygonF& mark) { return crosses(box, mark); });
        if (!best || cost < lowestCost) {
            best = k;
            lowestCost = cost;
        }
    }
    return best;
}

// --- Layout -------------------------------------------------------------------

void placeGraduations(const PagePainter& page, PlotLayout& layout, const TankParameters& tank,
                      const Chart& chart) {
    const QRectF& f = layout.frame;
    const double labelHeight = page.textHeight(smallPoints);
    layout.maxHeight = tank.diameter;
    const double widestHeight = page.textWidth(page.numbers().number(tank.diameter), smallPoints);
    layout.heightStep =
        graduationStep(tank.diameter, wantedGraduations(f.width(), widestHeight + 4, 10));
    layout.litreStep = graduationStep(std::max(chart.capacity, 1e-9),
                                      wantedGraduations(f.height(), labelHeight + 1.5, 8));
    layout.maxLitres =
        std::max(layout.litreStep, std::ceil(chart.capacity / layout.litreStep) * layout.litreStep);
    // Graduations of tiny tanks fall between whole litres.
    layout.litreDecimals =
        std::clamp(static_cast<int>(std::ceil(-std::log10(layout.litreStep))), 0, 3);

    for (double h = 0; h <= layout.maxHeight + 1e-9; h += layout.heightStep) {
        const double width = page.textWidth(page.numbers().number(h), smallPoints);
        layout.heightLabels.emplace_back(layout.x(h) - width / 2, f.bottom() + 1, width,
                                         labelHeight);
    }
    for (double v = 0; v <= layout.maxLitres + 1e-9; v += layout.litreStep) {
        const double width =
            page.textWidth(page.numbers().litres(v, layout.litreDecimals), smallPoints);
        layout.litreLabels.emplace_back(f.left() - 1 - width, layout.y(v) - labelHeight / 2, width,
                                        labelHeight);
    }
}

QString oilLevelText(const PagePainter& page, const OilLevel& level) {
    return page.numbers().litresWithUnit(level.litres, 0);
}

QRectF dotBox(const QPointF& dot) {
    constexpr double room = dotRadius + 0.2;
    return {dot.x() - room, dot.y() - room, 2 * room, 2 * room};
}

// Beside the dot, where the curves are not: up and to the left first, where
// a rising curve never goes, then down and to the right, then the other
// corners, then further away; moved inside the frame near its edges.
void placeOilLevel(const PagePainter& page, PlotLayout& layout, const OilLevel& level,
                   const Obstacles& curves, const std::vector<QPolygonF>& marks) {
    const QPointF dot = *layout.oilLevelDot;
    const QSizeF size(page.textWidth(oilLevelText(page, level), smallPoints, true) + 0.5,
                      page.textHeight(smallPoints, true));
    std::vector<Place> places;
    int remoteness = 0;
    for (const double gap : {1.5, 4.0, 8.0}) {
        const double left = dot.x() - gap - size.width();
        const double right = dot.x() + gap;
        const double above = dot.y() - gap - size.height();
        const double below = dot.y() + gap;
        for (const QPointF& corner : {QPointF(left, above), QPointF(right, below),
                                      QPointF(right, above), QPointF(left, below)}) {
            places.push_back({insideFrame(QRectF(corner, size), layout.frame), remoteness});
        }
        ++remoteness;
    }
    Obstacles withDot = curves;
    withDot.boxes.push_back(dotBox(dot));
    layout.oilLevelLabel = places[bestPlace(places, layout, withDot, marks).value_or(0)].box;
}

struct LegendEntry {
    QColor colour;
    Qt::PenStyle style;
    QString label;
    QString brief;
};

std::vector<LegendEntry> legendEntries(const TankParameters& tank, const Chart& chart,
                                       const ChartMarks& marks) {
    std::vector<LegendEntry> entries = {
        {totalColour, Qt::SolidLine, QString::fromUtf8(chartWords::totalVolume),
         QString::fromUtf8(chartWords::totalVolume)},
        {availableColour, Qt::DashLine, QStringLiteral("Volume disponible au-dessus de la crépine"),
         QStringLiteral("Disponible")},
        {strainerColour, Qt::DashDotLine,
         "Crépine (" + marks.numbers.millimetres(tank.strainerHeight) + ')',
         QStringLiteral("Crépine")},
        {fillLimitColour, Qt::DotLine,
         "Remplissage maximal (" + marks.numbers.number(marks.fillPercent) + " % : " +
             marks.numbers.litresWithUnit(chart.capacity * marks.fillPercent / 100, 0) + ')',
         QStringLiteral("Remplissage max.")},
    };
    if (marks.oilLevel) {
        entries.push_back(
            {oilLevelColour, Qt::DashLine,
             "Niveau actuel (" + marks.numbers.millimetres(marks.oilLevel->height) + ')',
             QStringLiteral("Niveau actuel")});
    }
    return entries;
}

// The legend's measures at a size of type.
struct LegendMeasures {
    double lineHeight;
    double sampleWidth;
    double padding;

    explicit LegendMeasures(double points)
        : lineHeight(4.5 * points / smallPoints),
          sampleWidth(8 * points / smallPoints),
          padding(1.5 * points / smallPoints) {}
};

QSizeF legendSize(const PagePainter& page, const std::vector<LegendEntry>& entries, double points,
                  bool brief) {
    const LegendMeasures m(points);
    double textWidth = 0;
    for (const LegendEntry& entry : entries) {
        textWidth = std::max(textWidth, page.textWidth(brief ? entry.brief : entry.label, points));
    }
    return {m.padding + m.sampleWidth + 2 * m.padding + textWidth + m.padding,
            m.lineHeight * static_cast<double>(entries.size()) + m.padding};
}

// In a corner that the curves leave empty, as they rise from the bottom left
// to the top right: the bottom right one, else the top left one; in full, else
// with short names, else smaller; left off when the plot has no room for it
// clear of the curves and today's level.
void placeLegend(const PagePainter& page, PlotLayout& layout,
                 const std::vector<LegendEntry>& entries, const Obstacles& curves,
                 const std::vector<QPolygonF>& marks) {
    struct Choice {
        double points;
        bool brief;
    };
    const QRectF& f = layout.frame;
    std::vector<Place> places;
    std::vector<Choice> choices;
    for (const Choice choice :
         {Choice{smallPoints, false}, Choice{smallPoints, true}, Choice{briefLegendPoints, true}}) {
        const QSizeF size = legendSize(page, entries, choice.points, choice.brief);
        const double room = LegendMeasures(choice.points).padding;
        for (const QPointF& corner :
             {QPointF(f.right() - room - size.width(), f.bottom() - room - size.height()),
              QPointF(f.left() + room, f.top() + room)}) {
            places.push_back({QRectF(corner, size)});
            choices.push_back(choice);
        }
    }
    Obstacles obstacles = curves;
    if (layout.oilLevelDot) {
        obstacles.boxes.push_back(dotBox(*layout.oilLevelDot));
        obstacles.boxes.push_back(layout.oilLevelLabel);
    }
    if (const std::optional<std::size_t> chosen = bestPlace(places, layout, obstacles, marks)) {
        layout.legend = places[*chosen].box;
        layout.legendPoints = choices[*chosen].points;
        layout.briefLegend = choices[*chosen].brief;
    }
}

// --- Drawing ------------------------------------------------------------------

void drawGraduations(PagePainter& page, const PlotLayout& layout) {
    const QRectF& f = layout.frame;
    page.setFont(smallPoints);
    for (std::size_t k = 0; k < layout.heightLabels.size(); ++k) {
        const double h = static_cast<double>(k) * layout.heightStep;
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(page.at(layout.x(h), f.top()), page.at(layout.x(h), f.bottom()));
        page.setPen(inkColour, 0.2);
        const QRectF& box = layout.heightLabels[k];
        page.text(page.box(box.x(), box.y(), box.width(), box.height()),
                  Qt::AlignCenter | Qt::TextDontClip, page.numbers().number(h));
    }
    for (std::size_t k = 0; k < layout.litreLabels.size(); ++k) {
        const double v = static_cast<double>(k) * layout.litreStep;
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(page.at(f.left(), layout.y(v)), page.at(f.right(), layout.y(v)));
        page.setPen(inkColour, 0.2);
        const QRectF& box = layout.litreLabels[k];
        page.text(page.box(box.x(), box.y(), box.width(), box.height()),
                  Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                  page.numbers().litres(v, layout.litreDecimals));
    }
    page.setFont(bodyPoints);
    page.text(page.box(f.left(), f.bottom() + 5.5, f.width(), 5), Qt::AlignHCenter | Qt::AlignTop,
              QStringLiteral("Hauteur du mazout (mm)"));
    page.text(page.box(f.left() - axisRoom + 1, f.top() - 7, 60, 5), Qt::AlignLeft | Qt::AlignTop,
              QStringLiteral("Litres"));
}

void drawPolyline(PagePainter& page, const QPolygonF& millimetres, const QColor& colour,
                  Qt::PenStyle style) {
    QPolygonF dots;
    for (const QPointF& p : millimetres) {
        dots << page.at(p.x(), p.y());
    }
    page.setPen(colour, 0.5, style);
    page.painter().drawPolyline(dots);
}

void drawLegend(PagePainter& page, const PlotLayout& layout,
                const std::vector<LegendEntry>& entries) {
    if (layout.legend.isEmpty()) {
        return;
    }
    const LegendMeasures m(layout.legendPoints);
    const QRectF& box = layout.legend;
    // On white, so that the lines of the plot do not run through the words.
    page.painter().fillRect(page.box(box.x(), box.y(), box.width(), box.height()), Qt::white);
    page.setFont(layout.legendPoints);
    const double textLeft = box.left() + 3 * m.padding + m.sampleWidth;
    double y = box.top() + m.padding + m.lineHeight / 2;
    for (const LegendEntry& entry : entries) {
        page.setPen(entry.colour, 0.5, entry.style);
        page.painter().drawLine(page.at(box.left() + m.padding, y),
                                page.at(box.left() + m.padding + m.sampleWidth, y));
        page.setPen(inkColour, 0.2);
        page.text(page.box(textLeft, y - m.lineHeight / 2, box.right() - textLeft, m.lineHeight),
                  Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                  layout.briefLegend ? entry.brief : entry.label);
        y += m.lineHeight;
    }
}

void drawFillLimit(PagePainter& page, const PlotLayout& layout, double litres) {
    page.setPen(fillLimitColour, 0.4, Qt::DotLine);
    page.painter().drawLine(page.at(layout.frame.left(), layout.y(litres)),
                            page.at(layout.frame.right(), layout.y(litres)));
}

// A cross-hair from both axes to the point of the total curve at today's
// level, and its litres beside it.
void drawOilLevel(PagePainter& page, const PlotLayout& layout, const OilLevel& level) {
    const QPointF dot = *layout.oilLevelDot;
    const QPointF point = page.at(dot.x(), dot.y());
    page.setPen(oilLevelColour, 0.3, Qt::DashLine);
    page.painter().drawLine(page.at(dot.x(), layout.frame.bottom()), point);
    page.painter().drawLine(page.at(layout.frame.left(), dot.y()), point);
    page.setPen(oilLevelColour, 0.4);
    page.painter().setBrush(oilLevelColour);
    page.painter().drawEllipse(point, page.dotsX(dotRadius), page.dotsY(dotRadius));
    page.painter().setBrush(Qt::NoBrush);
    page.setFont(smallPoints, true);
    const QRectF& box = layout.oilLevelLabel;
    page.text(page.box(box.x(), box.y(), box.width(), box.height()),
              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, oilLevelText(page, level));
}

}  // namespace

PlotLayout plotLayout(const PagePainter& page, const PlotArea& area, const TankParameters& tank,
                      const Chart& chart, const ChartMarks& marks) {
    PlotLayout layout;
    layout.frame = QRectF(area.left + axisRoom, area.top, std::max(area.width - axisRoom, 1.0),
                          std::max(area.height, 1.0));
    placeGraduations(page, layout, tank, chart);
    const Obstacles curves{{curveOf(layout, chart, false), curveOf(layout, chart, true)}, {}};
    if (marks.oilLevel) {
        layout.oilLevelDot =
            QPointF(layout.x(marks.oilLevel->height), layout.y(marks.oilLevel->litres));
    }
    const std::vector<QPolygonF> lines = markLines(layout, tank, chart, marks);
    if (marks.oilLevel) {
        placeOilLevel(page, layout, *marks.oilLevel, curves, lines);
    }
    placeLegend(page, layout, legendEntries(tank, chart, marks), curves, lines);
    return layout;
}

void drawPlot(PagePainter& page, const PlotArea& area, const TankParameters& tank,
              const Chart& chart, const ChartMarks& marks) {
    const PlotLayout layout = plotLayout(page, area, tank, chart, marks);
    const QRectF& f = layout.frame;
    drawGraduations(page, layout);
    page.painter().setBrush(Qt::NoBrush);
    page.setPen(inkColour, 0.3);
    page.painter().drawRect(page.box(f.x(), f.y(), f.width(), f.height()));

    page.setPen(strainerColour, 0.4, Qt::DashDotLine);
    page.painter().drawLine(page.at(layout.x(tank.strainerHeight), f.top()),
                            page.at(layout.x(tank.strainerHeight), f.bottom()));
    drawPolyline(page, curveOf(layout, chart, true), availableColour, Qt::DashLine);
    drawPolyline(page, curveOf(layout, chart, false), totalColour, Qt::SolidLine);
    drawFillLimit(page, layout, chart.capacity * marks.fillPercent / 100);
    if (marks.oilLevel) {
        drawOilLevel(page, layout, *marks.oilLevel);
    }
    drawLegend(page, layout, legendEntries(tank, chart, marks));
}

namespace {

// Room for the graduations left of the frame and below it, and for the word
// "Litres" above it, as on the page.
PlotArea windowPlotArea(const QSizeF& sizeMm) {
    constexpr double above = 8;
    constexpr double below = 11;
    constexpr double right = 6;  // half the widest height label, "10 000"
    return {0, above, sizeMm.width() - right, sizeMm.height() - above - below};
}

}  // namespace

PlotLayout chartPlotLayout(QPainter& painter, const QSizeF& sizeMm, const TankParameters& tank,
                           const Chart& chart, const ChartMarks& marks) {
    return plotLayout(PagePainter(painter, marks.numbers), windowPlotArea(sizeMm), tank, chart,
                      marks);
}

void paintChartPlot(QPainter& painter, const QSizeF& sizeMm, const TankParameters& tank,
                    const Chart& chart, const ChartMarks& marks) {
    PagePainter page(painter, marks.numbers);
    drawPlot(page, windowPlotArea(sizeMm), tank, chart, marks);
}

}  // namespace varnelle
