#include "chart/tank_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/number_text.h"
#include "start_up_tank.h"

namespace varnelle {
namespace {

std::string shown(double litres) {
    return resultText(litres, '.');
}

// --- Chart heights -----------------------------------------------------------

struct HeightsCase {
    const char* name;
    double diameter;
    double step;
    std::size_t count;
    double secondLast;
};

class ChartHeightsTest : public ::testing::TestWithParam<HeightsCase> {};

TEST_P(ChartHeightsTest, StepsFromZeroAndEndsOnTheDiameter) {
    const HeightsCase& c = GetParam();
    const std::vector<double> heights = chartHeights(c.diameter, c.step);
    ASSERT_EQ(heights.size(), c.count);
    EXPECT_EQ(chartLineCount(c.diameter, c.step), c.count);
    EXPECT_EQ(heights.front(), 0);
    EXPECT_EQ(heights.back(), c.diameter);
    EXPECT_EQ(heights[heights.size() - 2], c.secondLast);
    EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end()));
    // No two lines are written alike (heights go to the thousandth of a mm).
    const auto writtenAlike = [](double a, double b) {
        return measureText(a, '.', 0, 3) == measureText(b, '.', 0, 3);
    };
    EXPECT_EQ(std::adjacent_find(heights.begin(), heights.end(), writtenAlike), heights.end());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChartHeightsTest,
    ::testing::Values(HeightsCase{"WholeSteps", 1000, 10, 101, 990},
                      HeightsCase{"DiameterBetweenSteps", 1005, 10, 102, 1000},
                      HeightsCase{"FractionalDiameter", 1000.5, 10, 102, 1000},
                      HeightsCase{"Millimetres", 3000, 1, 3001, 2999},
                      HeightsCase{"StepAboveDiameter", 5, 10, 2, 0},
                      HeightsCase{"StepEqualsDiameter", 10, 10, 2, 0},
                      // The last step and the diameter are both written "1000".
                      HeightsCase{"DiameterWrittenAsTheLastStep", 1000.0004, 10, 101, 990},
                      HeightsCase{"DiameterWrittenOneThousandthAbove", 1000.0006, 10, 102, 1000},
                      HeightsCase{"DiameterJustBelowAStep", 999.9996, 10, 101, 990},
                      HeightsCase{"MillimetresWrittenAlikeAtTheTop", 3000.0001, 1, 3001, 2999}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Chart lines against the window's computation ----------------------------

struct ShapeCase {
    const char* name;
    EndShape shape;
    // The window's totalVolume and availableVolume at 300 mm, strainer 100 mm.
    const char* totalAt300;
    const char* availableAt300;
};

const ShapeCase shapeCases[] = {
    {"Flat", EndShape::FlatEnds, "396.337", "314.586"},
    {"Conical", EndShape::ConicalEnds, "425.446", "340.495"},
    {"SphericalCap", EndShape::SphericalCapEnds, "411.312", "328.315"},
    {"QuarterRound", EndShape::QuarterRoundEnds, "431.302", "343.733"},
};

class ChartShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ChartShapeTest, EveryLineIsTheWindowsResultAtThatHeight) {
    const TankParameters tank = startUpTank(GetParam().shape);
    const Chart chart = computeChart(tank, 50);
    ASSERT_EQ(chart.lines.size(), 21u);
    for (const ChartLine& line : chart.lines) {
        TankParameters atHeight = tank;
        atHeight.oilHeight = line.height;
        const VolumeResults window = computeVolumes(atHeight);
        SCOPED_TRACE(line.height);
        EXPECT_EQ(line.totalLitres, window.totalVolume);
        EXPECT_EQ(line.availableLitres, std::max(0.0, window.availableVolume));
        EXPECT_EQ(chart.belowStrainerLitres, window.belowStrainerVolume);
    }
    EXPECT_EQ(chart.capacity, chart.lines.back().totalLitres);
}

TEST(AbandonedChart, IsEmpty) {
    const std::atomic<bool> abandon{true};
    EXPECT_TRUE(computeChart(startUpTank(EndShape::ConicalEnds), 1, &abandon).lines.empty());
}

TEST_P(ChartShapeTest, MatchesTheWorkedExample) {
    const ShapeCase& c = GetParam();
    const Chart chart = computeChart(startUpTank(c.shape), 100);
    const ChartLine& at300 = chart.lines[3];
    ASSERT_EQ(at300.height, 300);
    EXPECT_EQ(shown(at300.totalLitres), c.totalAt300);
    EXPECT_EQ(shown(at300.availableLitres), c.availableAt300);
    // Below the strainer the chart shows what can be drawn: nothing.
    EXPECT_EQ(chart.lines[0].availableLitres, 0);
    EXPECT_EQ(shown(chart.lines[1].availableLitres), "0.000");  // at the strainer
    EXPECT_GT(chart.lines[2].availableLitres, 0);
}

TEST_P(ChartShapeTest, TotalGrowsWithTheHeight) {
    const Chart chart = computeChart(startUpTank(GetParam().shape), 10);
    for (std::size_t k = 1; k < chart.lines.size(); ++k) {
        EXPECT_GT(chart.lines[k].totalLitres, chart.lines[k - 1].totalLitres) << k;
    }
}

TEST_P(ChartShapeTest, VolumeOfEachLineGivesBackItsHeight) {
    const TankParameters tank = startUpTank(GetParam().shape);
    for (const ChartLine& line : computeChart(tank, 100).lines) {
        EXPECT_EQ(heightForVolume(tank, line.totalLitres), line.height);
    }
}

TEST_P(ChartShapeTest, HeightIsRoundedToTheNearestMillimetre) {
    const TankParameters tank = startUpTank(GetParam().shape);
    EXPECT_EQ(heightForVolume(tank, totalVolumeAt(tank, 300.4)), 300);
    EXPECT_EQ(heightForVolume(tank, totalVolumeAt(tank, 300.6)), 301);
    EXPECT_EQ(heightForVolume(tank, 0), 0);
}

TEST_P(ChartShapeTest, OrderBringsTheTankToItsFillLimit) {
    const TankParameters tank = startUpTank(GetParam().shape);
    const Chart chart = computeChart(tank, 100);
    for (const double percent : {90.0, 75.5, 100.0}) {
        const OrderAmount order = orderAmount(tank, 300, percent);
        EXPECT_EQ(order.currentLitres, chart.lines[3].totalLitres);
        EXPECT_DOUBLE_EQ(order.fillLimitLitres, chart.capacity * percent / 100);
        EXPECT_DOUBLE_EQ(order.currentLitres + order.litresToOrder, order.fillLimitLitres);
        EXPECT_EQ(order.heightAfterDelivery, heightForVolume(tank, order.fillLimitLitres));
    }
    EXPECT_EQ(orderAmount(tank, 1000, 100).heightAfterDelivery, 1000);
}

TEST_P(ChartShapeTest, NothingToOrderAboveTheFillLimit) {
    const TankParameters tank = startUpTank(GetParam().shape);
    const OrderAmount order = orderAmount(tank, 950, 90);
    EXPECT_GT(order.currentLitres, order.fillLimitLitres);
    EXPECT_EQ(order.litresToOrder, 0);
    EXPECT_EQ(order.heightAfterDelivery, 950);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ChartShapeTest, ::testing::ValuesIn(shapeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TotalVolumeAt, IsTheWindowsTotalToTheLastBit) {
    for (const ShapeCase& c : shapeCases) {
        TankParameters tank = startUpTank(c.shape, 0.5);
        for (const double height : {0.0, 0.3, 123.456, 500.0, 999.9, 1000.0}) {
            tank.oilHeight = height;
            EXPECT_EQ(totalVolumeAt(tank, height), computeVolumes(tank).totalVolume)
                << c.name << ' ' << height;
        }
    }
}

TEST(HeightForVolume, AFractionalDiameterIsNotRoundedPastTheTop) {
    TankParameters tank = startUpTank(EndShape::FlatEnds);
    tank.diameter = 1000.5;
    EXPECT_EQ(heightForVolume(tank, totalVolumeAt(tank, 1000.5)), 1000.5);
    EXPECT_EQ(heightForVolume(tank, totalVolumeAt(tank, 1000.2)), 1000);
}

TEST(ComputeChart, StrainerAtTheBottomLeavesEverythingAvailable) {
    TankParameters tank = startUpTank(EndShape::ConicalEnds);
    tank.strainerHeight = 0;
    for (const ChartLine& line : computeChart(tank, 100).lines) {
        EXPECT_EQ(line.availableLitres, line.totalLitres);
    }
}

// --- The plot's points ----------------------------------------------------------

struct PlotCase {
    const char* name;
    double step;
    std::optional<double> marked;
    std::size_t fewestPoints;
    std::size_t mostPoints;
};

// The start-up tank: 1000 mm across, strainer at 100 mm.
const PlotCase plotCases[] = {
    // Lines as coarse as the tank allows: the plot samples on its own.
    {"StepOfTheDiameter", 1000, 333.3, 101, 103},
    {"HalfTheDiameter", 500, std::nullopt, 101, 102},
    {"Step20", 20, 300, 101, 101},
    // Dense lines are used as they are: no integral is added but the marked
    // height's and nothing but the strainer's, which the chart takes anyway.
    {"Step10OnALine", 10, 300, 101, 101},
    {"Step10BetweenLines", 10, 333.3, 102, 102},
    {"Step7", 7, std::nullopt, 145, 145},
};

class PlotPointsTest : public ::testing::TestWithParam<PlotCase> {};

TEST_P(PlotPointsTest, SmoothWhateverTheStep) {
    const PlotCase& c = GetParam();
    const TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    const Chart chart = computeChart(tank, c.step, nullptr, c.marked);
    const std::vector<ChartLine>& points = chart.plotPoints;
    EXPECT_GE(points.size(), c.fewestPoints);
    EXPECT_LE(points.size(), c.mostPoints);
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front().height, 0);
    EXPECT_EQ(points.back().height, tank.diameter);
    for (std::size_t k = 1; k < points.size(); ++k) {
        EXPECT_GT(points[k].height, points[k - 1].height) << k;
        EXPECT_LE(points[k].height - points[k - 1].height, tank.diameter * plotSpacing) << k;
    }
}

TEST_P(PlotPointsTest, EveryPointIsTheWindowsResultAtItsHeight) {
    const PlotCase& c = GetParam();
    const TankParameters tank = startUpTank(EndShape::QuarterRoundEnds, 1);
    const Chart chart = computeChart(tank, c.step, nullptr, c.marked);
    for (const ChartLine& point : chart.plotPoints) {
        TankParameters atHeight = tank;
        atHeight.oilHeight = point.height;
        const VolumeResults window = computeVolumes(atHeight);
        SCOPED_TRACE(point.height);
        EXPECT_EQ(point.totalLitres, window.totalVolume);
        EXPECT_EQ(point.availableLitres, std::max(0.0, window.availableVolume));
    }
}

TEST_P(PlotPointsTest, PassesThroughTheStrainerAndTheMarkedHeight) {
    const PlotCase& c = GetParam();
    const TankParameters tank = startUpTank(EndShape::ConicalEnds, 1);
    const Chart chart = computeChart(tank, c.step, nullptr, c.marked);
    const std::optional<ChartLine> strainer = plotPointAt(chart, tank.strainerHeight);
    ASSERT_TRUE(strainer);
    EXPECT_EQ(shown(strainer->availableLitres), "0.000");
    EXPECT_GT(strainer->totalLitres, 0);
    if (c.marked) {
        const std::optional<ChartLine> marked = plotPointAt(chart, *c.marked);
        ASSERT_TRUE(marked);
        // Where the window puts today's dot.
        EXPECT_EQ(marked->totalLitres, totalVolumeAt(tank, *c.marked));
    }
}

TEST_P(PlotPointsTest, LeaveTheLinesAsTheyAre) {
    const PlotCase& c = GetParam();
    const TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    const Chart plain = computeChart(tank, c.step);
    const Chart marked = computeChart(tank, c.step, nullptr, c.marked);
    ASSERT_EQ(marked.lines.size(), chartLineCount(tank.diameter, c.step));
    ASSERT_EQ(marked.lines.size(), plain.lines.size());
    for (std::size_t k = 0; k < plain.lines.size(); ++k) {
        EXPECT_EQ(marked.lines[k].height, plain.lines[k].height);
        EXPECT_EQ(marked.lines[k].totalLitres, plain.lines[k].totalLitres);
        EXPECT_EQ(marked.lines[k].availableLitres, plain.lines[k].availableLitres);
    }
    EXPECT_EQ(marked.capacity, plain.capacity);
    EXPECT_EQ(marked.belowStrainerLitres, plain.belowStrainerLitres);
}

INSTANTIATE_TEST_SUITE_P(Steps, PlotPointsTest, ::testing::ValuesIn(plotCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlotPoints, AMarkedHeightOutsideTheTankIsLeftOut) {
    const TankParameters tank = startUpTank(EndShape::ConicalEnds, 1);
    for (const double outside : {-1.0, 1000.5, std::nan("")}) {
        EXPECT_EQ(computeChart(tank, 10, nullptr, outside).plotPoints.size(), 101u) << outside;
    }
}

// --- Abandoned look-ups -----------------------------------------------------------

// Spherical caps at a precision where one end integral takes seconds: a call
// that did its integrals after all would take minutes.
TankParameters slowTank() {
    return startUpTank(EndShape::SphericalCapEnds, 1'000'000);
}

TEST(AbandonedLookUp, SetBeforehandReturnsAtOnceWithNoAnswer) {
    const TankParameters tank = slowTank();
    const std::atomic<bool> abandon{true};
    EXPECT_TRUE(std::isnan(volumesAt(tank, 300, &abandon).totalVolume));
    EXPECT_TRUE(std::isnan(volumesAt(tank, 300, &abandon).availableVolume));
    EXPECT_TRUE(std::isnan(heightForVolume(tank, 500, &abandon)));
    const OrderAmount order = orderAmount(tank, 300, 90, &abandon);
    EXPECT_TRUE(std::isnan(order.litresToOrder));
    EXPECT_TRUE(std::isnan(order.heightAfterDelivery));
    EXPECT_TRUE(computeChart(tank, 10, &abandon, 300.0).plotPoints.empty());
}

// The height of a volume takes about forty integrals; set from another thread
// while it runs, the flag stops it within the one under way.
TEST(AbandonedLookUp, SetFromAnotherThreadStopsTheSearch) {
    const TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 10'000);
    std::atomic<bool> abandon{false};
    double height = 0;
    std::thread search([&] { height = heightForVolume(tank, 500, &abandon); });
    abandon = true;
    search.join();
    EXPECT_TRUE(std::isnan(height));
}

TEST(AbandonedLookUp, AFlagNeverSetChangesNothing) {
    const std::atomic<bool> never{false};
    for (const ShapeCase& c : shapeCases) {
        const TankParameters tank = startUpTank(c.shape, 1);
        SCOPED_TRACE(c.name);
        TankParameters at300 = tank;
        at300.oilHeight = 300;
        const VolumeResults window = computeVolumes(at300);
        const VolumeResults looked = volumesAt(tank, 300, &never);
        EXPECT_EQ(looked.totalVolume, window.totalVolume);
        EXPECT_EQ(looked.availableVolume, window.availableVolume);
        EXPECT_EQ(looked.belowStrainerVolume, window.belowStrainerVolume);
        EXPECT_EQ(looked.endsVolume, window.endsVolume);
        EXPECT_EQ(heightForVolume(tank, 700, &never), heightForVolume(tank, 700));
        const OrderAmount order = orderAmount(tank, 300, 90, &never);
        const OrderAmount plain = orderAmount(tank, 300, 90);
        EXPECT_EQ(order.litresToOrder, plain.litresToOrder);
        EXPECT_EQ(order.heightAfterDelivery, plain.heightAfterDelivery);
    }
}

}  // namespace
}  // namespace varnelle
