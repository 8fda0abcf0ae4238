// Where the plot puts its words: today's litres and the legend clear of the
// curves and of today's dot, and graduations that do not run into one another,
// from the page down to the window's smallest curve.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "chart/chart_page.h"
#include "chart/page_painter.h"
#include "start_up_tank.h"

namespace varnelle {
namespace {

constexpr double millimetresPerInch = 25.4;
constexpr int screenDotsPerInch = 96;

struct PlotCase {
    const char* name;
    int widthDots;  // the curve's size on a screen
    int heightDots;
    double step;
    double oilHeight;
};

const PlotCase plotCases[] = {
    {"LargeLow", 700, 480, 10, 60},           {"LargeMiddle", 700, 480, 10, 500},
    {"LargeHigh", 700, 480, 10, 950},         {"SmallEmpty", 400, 250, 10, 0},
    {"SmallLow", 400, 250, 10, 60},           {"SmallMiddle", 400, 250, 10, 500},
    {"SmallHigh", 400, 250, 10, 950},         {"SmallFull", 400, 250, 10, 1000},
    {"SmallCoarseStep", 400, 250, 1000, 420}, {"TinyMiddle", 300, 200, 10, 500},
    {"WideAndLow", 900, 220, 10, 700},
};

class PlotLayoutTest : public ::testing::TestWithParam<PlotCase> {
  protected:
    void SetUp() override {
        const PlotCase& c = GetParam();
        tank = startUpTank(EndShape::SphericalCapEnds, 1);
        chart = computeChart(tank, c.step, nullptr, c.oilHeight);
        marks.oilLevel = OilLevel{c.oilHeight, totalVolumeAt(tank, c.oilHeight)};
        screen = QImage(c.widthDots, c.heightDots, QImage::Format_RGB32);
        const int dotsPerMetre = static_cast<int>(screenDotsPerInch / millimetresPerInch * 1000);
        screen.setDotsPerMeterX(dotsPerMetre);
        screen.setDotsPerMeterY(dotsPerMetre);
        QPainter painter(&screen);
        const QSizeF sizeMm(c.widthDots * millimetresPerInch / screenDotsPerInch,
                            c.heightDots * millimetresPerInch / screenDotsPerInch);
        layout = chartPlotLayout(painter, sizeMm, tank, chart, marks);
    }

    // Points every tenth of a millimetre along a curve, to find whether it
    // runs through a box.
    std::vector<QPointF> along(bool available) const {
        std::vector<QPointF> points;
        QPointF previous;
        for (std::size_t k = 0; k < chart.plotPoints.size(); ++k) {
            const ChartLine& line = chart.plotPoints[k];
            const QPointF point(layout.x(line.height),
                                layout.y(available ? line.availableLitres : line.totalLitres));
            if (k > 0) {
                const double length = QLineF(previous, point).length();
                const int parts = std::max(1, static_cast<int>(length * 10));
                for (int i = 0; i < parts; ++i) {
                    points.push_back(previous + (point - previous) * i / parts);
                }
            }
            previous = point;
        }
        points.push_back(previous);
        return points;
    }

    bool curvesRunThrough(const QRectF& box) const {
        for (const bool available : {false, true}) {
            for (const QPointF& point : along(available)) {
                if (box.contains(point)) {
                    return true;
                }
            }
        }
        return false;
    }

    TankParameters tank;
    Chart chart;
    ChartMarks marks;
    QImage screen;
    PlotLayout layout;
};

TEST_P(PlotLayoutTest, TodaysLitresAreBesideTheDotClearOfTheCurves) {
    ASSERT_TRUE(layout.oilLevelDot);
    const QRectF& label = layout.oilLevelLabel;
    EXPECT_TRUE(layout.frame.contains(label));
    EXPECT_FALSE(curvesRunThrough(label));
    EXPECT_FALSE(label.contains(*layout.oilLevelDot));
    // Beside the dot: within a few millimetres of it.
    const QPointF nearest(std::clamp(layout.oilLevelDot->x(), label.left(), label.right()),
                          std::clamp(layout.oilLevelDot->y(), label.top(), label.bottom()));
    EXPECT_LT(QLineF(nearest, *layout.oilLevelDot).length(), 6);
}

TEST_P(PlotLayoutTest, TheLegendHidesNeitherTheCurvesNorTodaysLevel) {
    if (layout.legend.isEmpty()) {
        return;  // left off for want of room: it hides nothing
    }
    const QRectF& legend = layout.legend;
    EXPECT_TRUE(layout.frame.contains(legend));
    EXPECT_FALSE(curvesRunThrough(legend));
    const QPointF dot = *layout.oilLevelDot;
    EXPECT_FALSE(legend.intersects(QRectF(dot - QPointF(1.2, 1.2), QSizeF(2.4, 2.4))));
    EXPECT_FALSE(legend.intersects(layout.oilLevelLabel));
}

TEST_P(PlotLayoutTest, GraduationsDoNotRunIntoOneAnother) {
    for (const std::vector<QRectF>* labels : {&layout.heightLabels, &layout.litreLabels}) {
        EXPECT_GE(labels->size(), 2u);
        for (std::size_t k = 1; k < labels->size(); ++k) {
            EXPECT_FALSE((*labels)[k].intersects((*labels)[k - 1])) << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlotLayoutTest, ::testing::ValuesIn(plotCases),
                         [](const auto& info) { return std::string(info.param.name); });

// With lines only at the bottom and the top, the curve drawn still follows
// the tank's litres, not a straight line between the two.
TEST(PlotCurve, FollowsTheLitresWhateverTheStep) {
    const TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    const Chart chart = computeChart(tank, tank.diameter);
    ASSERT_EQ(chart.lines.size(), 2u);
    QImage screen(700, 480, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(screenDotsPerInch / millimetresPerInch * 1000);
    screen.setDotsPerMeterX(dotsPerMetre);
    screen.setDotsPerMeterY(dotsPerMetre);
    screen.fill(Qt::white);
    const QSizeF sizeMm(700 * millimetresPerInch / screenDotsPerInch,
                        480 * millimetresPerInch / screenDotsPerInch);
    PlotLayout layout;
    {
        QPainter painter(&screen);
        layout = chartPlotLayout(painter, sizeMm, tank, chart, {});
        paintChartPlot(painter, sizeMm, tank, chart, {});
    }
    const auto dots = [](double mm) { return mm * screenDotsPerInch / millimetresPerInch; };
    for (const double height : {150.0, 250.0, 750.0}) {
        const int x = static_cast<int>(std::lround(dots(layout.x(height))));
        const double expected = dots(layout.y(totalVolumeAt(tank, height)));
        double nearest = screen.height();
        for (int y = 0; y < screen.height(); ++y) {
            const QColor seen = screen.pixelColor(x, y);
            const int distance = std::abs(seen.red() - totalColour.red()) +
                                 std::abs(seen.green() - totalColour.green()) +
                                 std::abs(seen.blue() - totalColour.blue());
            if (distance < 40) {
                nearest = std::min(nearest, std::abs(y - expected));
            }
        }
        EXPECT_LT(nearest, 3) << height;
    }
}

// The window's curve at its usual size keeps the full legend, as the page has.
TEST(PlotLayout, RoomyPlotKeepsTheFullLegend) {
    const TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    QImage screen(700, 480, QImage::Format_RGB32);
    QPainter painter(&screen);
    ChartMarks marks;
    marks.oilLevel = OilLevel{300, totalVolumeAt(tank, 300)};
    const PlotLayout layout = chartPlotLayout(painter, QSizeF(185, 127), tank,
                                              computeChart(tank, 10, nullptr, 300.0), marks);
    EXPECT_FALSE(layout.legend.isEmpty());
    EXPECT_FALSE(layout.briefLegend);
}

// The window's smallest curve still tells its lines apart.
TEST(PlotLayout, SmallPlotKeepsAShortLegend) {
    const TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    QImage screen(400, 250, QImage::Format_RGB32);
    QPainter painter(&screen);
    ChartMarks marks;
    marks.oilLevel = OilLevel{500, totalVolumeAt(tank, 500)};
    const PlotLayout layout = chartPlotLayout(painter, QSizeF(106, 66), tank,
                                              computeChart(tank, 10, nullptr, 500.0), marks);
    EXPECT_FALSE(layout.legend.isEmpty());
    EXPECT_TRUE(layout.briefLegend);
}

}  // namespace
}  // namespace varnelle
