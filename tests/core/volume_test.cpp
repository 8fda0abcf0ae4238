#include "core/volume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/number_text.h"
#include "plain_transcription.h"
#include "start_up_tank.h"

namespace varnelle {
namespace {

std::string shown(double litres) {
    return resultText(litres, '.');
}

TEST(Constants, PiIsFourTimesTheArctangentOfOne) {
    EXPECT_EQ(Pi, 4 * std::atan(1.0));
}

struct AsinCase {
    const char* name;
    double x;
    double expected;
};

class AsinTest : public ::testing::TestWithParam<AsinCase> {};

TEST_P(AsinTest, MatchesTheArcsine) {
    const AsinCase& c = GetParam();
    if (std::isnan(c.expected)) {
        EXPECT_TRUE(std::isnan(ASIN(c.x)));
    } else {
        EXPECT_NEAR(ASIN(c.x), c.expected, 1e-13);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, AsinTest,
                         ::testing::Values(AsinCase{"One", 1, Pi / 2},
                                           AsinCase{"MinusOne", -1, -Pi / 2},
                                           AsinCase{"Zero", 0, 0},
                                           AsinCase{"Half", 0.5, std::asin(0.5)},
                                           AsinCase{"NearOne", 0.999999, std::asin(0.999999)},
                                           AsinCase{"NegativeHalf", -0.5, std::asin(-0.5)},
                                           AsinCase{"AboveOne", 1.5, std::nan("")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Asin, EndsAreExactQuarterTurns) {
    EXPECT_EQ(ASIN(1), 2 * std::atan(1.0));
    EXPECT_EQ(ASIN(-1), -2 * std::atan(1.0));
}

struct SegmentCase {
    const char* name;
    double radius;
    double level;
    double expected;
};

class SegmentAreaTest : public ::testing::TestWithParam<SegmentCase> {};

// The classical segment area, with the arccosine of the library.
double referenceSegment(double R, double y) {
    return R * R * std::acos((R - y) / R) - (R - y) * std::sqrt(2 * R * y - y * y);
}

TEST_P(SegmentAreaTest, GivesTheAreaBelowTheLevel) {
    const SegmentCase& c = GetParam();
    EXPECT_NEAR(segmentArea(c.radius, c.level), c.expected, 1e-9 * (1 + std::abs(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SegmentAreaTest,
    ::testing::Values(SegmentCase{"Empty", 500, 0, 0},
                      SegmentCase{"ThreeTenths", 500, 300, referenceSegment(500, 300)},
                      SegmentCase{"Half", 500, 500, Pi * 500 * 500 / 2},
                      SegmentCase{"Full", 500, 1000, Pi * 500 * 500},
                      SegmentCase{"SevenTenthsIsTheComplement", 500, 700,
                                  Pi * 500 * 500 - referenceSegment(500, 300)},
                      SegmentCase{"TinyCircle", 0.001, 0.001, Pi * 0.001 * 0.001 / 2},
                      SegmentCase{"HugeCircle", 1e9, 1e8, referenceSegment(1e9, 1e8)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SegmentArea, WorkedExampleArea) {
    EXPECT_NEAR(segmentArea(500, 300), 198168.3, 0.1);
}

TEST(SegmentArea, FullCircleIsExactlyPiRSquared) {
    EXPECT_EQ(segmentArea(500, 1000), Pi * 500 * 500);
}

struct WorkedExample {
    const char* name;
    EndShape shape;
    double thousands;
    const char* cylinder;
    const char* ends;
    const char* total;
    const char* belowStrainer;
    const char* available;
};

class WorkedExampleTest : public ::testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExampleTest, ShowsTheExpectedLitres) {
    const WorkedExample& c = GetParam();
    const VolumeResults r = computeVolumes(startUpTank(c.shape, c.thousands));
    EXPECT_EQ(shown(r.cylinderVolume), c.cylinder);
    EXPECT_EQ(shown(r.endsVolume), c.ends);
    EXPECT_EQ(shown(r.totalVolume), c.total);
    EXPECT_EQ(shown(r.belowStrainerVolume), c.belowStrainer);
    EXPECT_EQ(shown(r.availableVolume), c.available);
}

INSTANTIATE_TEST_SUITE_P(
    StartUpTank, WorkedExampleTest,
    ::testing::Values(WorkedExample{"Flat10", EndShape::FlatEnds, 10, "396.337", "0.000", "396.337",
                                    "81.751", "314.586"},
                      WorkedExample{"Conical10", EndShape::ConicalEnds, 10, "396.337", "29.109",
                                    "425.446", "84.950", "340.495"},
                      WorkedExample{"Cap10", EndShape::SphericalCapEnds, 10, "396.337", "14.976",
                                    "411.312", "82.998", "328.315"},
                      WorkedExample{"QuarterRound10", EndShape::QuarterRoundEnds, 10, "396.337",
                                    "34.966", "431.302", "87.570", "343.733"},
                      WorkedExample{"Flat100", EndShape::FlatEnds, 100, "396.337", "0.000",
                                    "396.337", "81.751", "314.586"},
                      WorkedExample{"Conical100", EndShape::ConicalEnds, 100, "396.337", "29.108",
                                    "425.445", "84.950", "340.495"},
                      WorkedExample{"Cap100", EndShape::SphericalCapEnds, 100, "396.337", "14.974",
                                    "411.311", "82.997", "328.313"},
                      WorkedExample{"QuarterRound100", EndShape::QuarterRoundEnds, 100, "396.337",
                                    "34.965", "431.301", "87.569", "343.732"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LevelCase {
    const char* name;
    EndShape shape;
    double oil;
    double strainer;
    const char* cylinder;
    const char* ends;
    const char* total;
    const char* belowStrainer;
    const char* available;
};

class LevelTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelTest, ShowsTheExpectedLitres) {
    const LevelCase& c = GetParam();
    TankParameters tank = startUpTank(c.shape);
    tank.oilHeight = c.oil;
    tank.strainerHeight = c.strainer;
    const VolumeResults r = computeVolumes(tank);
    EXPECT_EQ(shown(r.cylinderVolume), c.cylinder);
    EXPECT_EQ(shown(r.endsVolume), c.ends);
    EXPECT_EQ(shown(r.totalVolume), c.total);
    EXPECT_EQ(shown(r.belowStrainerVolume), c.belowStrainer);
    EXPECT_EQ(shown(r.availableVolume), c.available);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LevelTest,
    ::testing::Values(LevelCase{"EmptyFlat", EndShape::FlatEnds, 0, 0, "0.000", "0.000", "0.000",
                                "0.000", "0.000"},
                      LevelCase{"EmptyConical", EndShape::ConicalEnds, 0, 0, "0.000", "0.000",
                                "0.000", "0.000", "0.000"},
                      LevelCase{"EmptyCap", EndShape::SphericalCapEnds, 0, 0, "0.000", "0.000",
                                "0.000", "0.000", "0.000"},
                      LevelCase{"EmptyQuarterRound", EndShape::QuarterRoundEnds, 0, 0, "0.000",
                                "0.000", "0.000", "0.000", "0.000"},
                      LevelCase{"FullFlat", EndShape::FlatEnds, 1000, 100, "1570.796", "0.000",
                                "1570.796", "81.751", "1489.046"},
                      LevelCase{"FullConical", EndShape::ConicalEnds, 1000, 100, "1570.796",
                                "127.761", "1698.557", "84.950", "1613.607"},
                      LevelCase{"FullCap", EndShape::SphericalCapEnds, 1000, 100, "1570.796",
                                "79.595", "1650.391", "82.998", "1567.394"},
                      LevelCase{"FullQuarterRound", EndShape::QuarterRoundEnds, 1000, 100,
                                "1570.796", "144.201", "1714.997", "87.570", "1627.428"},
                      LevelCase{"HalfFlat", EndShape::FlatEnds, 500, 100, "785.398", "0.000",
                                "785.398", "81.751", "703.648"},
                      LevelCase{"StrainerAboveOil", EndShape::ConicalEnds, 100, 300, "81.751",
                                "3.200", "84.950", "425.446", "-340.495"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EndsVolume, UpperSumsDecreaseTowardsTheSolidAsSlicesGrow) {
    // Exact volumes of both solids, full tank: truncated cone, cap, quarter-round end.
    struct Solid {
        EndShape shape;
        double exactLitres;
    };
    const double R = 500, w = 100, r = 400, Rs = 1300;
    const double cone = 2 * Pi * w * (R * R + R * r + r * r) / 3 / 1e6;
    const double cap = 2 * Pi * w * w * (3 * Rs - w) / 3 / 1e6;
    for (const Solid solid :
         {Solid{EndShape::ConicalEnds, cone}, Solid{EndShape::SphericalCapEnds, cap}}) {
        TankParameters tank = startUpTank(solid.shape, 1);
        const double coarse = endsVolumeAt(tank, 1000);
        tank.intervals = 100'000;
        const double fine = endsVolumeAt(tank, 1000);
        EXPECT_GT(coarse, fine);
        EXPECT_GT(fine, solid.exactLitres);
        EXPECT_NEAR(fine, solid.exactLitres, 0.01);
    }
}

TEST(EndsVolume, FlatEndsHoldNothingWhateverTheWidth) {
    TankParameters tank = startUpTank(EndShape::FlatEnds);
    tank.endWidth = 12345;
    EXPECT_EQ(endsVolumeAt(tank, 300), 0.0);
}

struct SliceCountCase {
    const char* name;
    double intervals;
    int slices;  // steps 0 .. slices - 1
};

class SliceCountTest : public ::testing::TestWithParam<SliceCountCase> {};

// A cone whose every slice is full of oil: the sum counts the slices it takes.
TEST_P(SliceCountTest, RunsTheStepsUpToIntervalsMinusOne) {
    const SliceCountCase& c = GetParam();
    TankParameters tank = startUpTank(EndShape::ConicalEnds);
    tank.endCircleDiameter = tank.diameter;  // a cylinder: every slice has radius R
    tank.intervals = c.intervals;
    const double perSlice = Pi * 500 * 500;
    const double expected = 2 * c.slices * perSlice * tank.endWidth / (1e6 * c.intervals);
    EXPECT_NEAR(endsVolumeAt(tank, 1000), expected, 1e-9 * expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, SliceCountTest,
                         ::testing::Values(SliceCountCase{"One", 1, 1},
                                           SliceCountCase{"OneAndAHalf", 1.5, 1},
                                           SliceCountCase{"TwoAndAHalf", 2.5, 2},
                                           SliceCountCase{"FiveHundred", 500, 500},
                                           SliceCountCase{"AlmostThree", 2.999, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FewSlicesCase {
    const char* name;
    double intervals;
    double expectedLitres;  // NaN: no number
};

class FewSlicesTest : public ::testing::TestWithParam<FewSlicesCase> {};

TEST_P(FewSlicesTest, RunNoStepAndReportNoProgress) {
    const FewSlicesCase& c = GetParam();
    TankParameters tank = startUpTank(EndShape::ConicalEnds);
    tank.intervals = c.intervals;
    int calls = 0;
    const double litres = endsVolumeAt(tank, 300, [&calls](double) { ++calls; });
    EXPECT_EQ(calls, 0);
    if (std::isnan(c.expectedLitres)) {
        EXPECT_TRUE(std::isnan(litres)) << litres;
    } else {
        EXPECT_EQ(litres, c.expectedLitres);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, FewSlicesTest,
                         ::testing::Values(FewSlicesCase{"ZeroDividesZero", 0, std::nan("")},
                                           FewSlicesCase{"HalfHasNoSlice", 0.5, 0},
                                           FewSlicesCase{"NegativeHasNoSlice", -10, 0},
                                           FewSlicesCase{"NotANumber", std::nan(""), std::nan("")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Progress, ReportsEveryTenthStepOfTheFirstIntegralOnly) {
    TankParameters tank = startUpTank(EndShape::SphericalCapEnds);
    tank.intervals = 25;
    std::vector<double> fractions;
    computeVolumes(tank, [&fractions](double f) { fractions.push_back(f); });
    EXPECT_EQ(fractions, (std::vector<double>{0.0, 10.0 / 25, 20.0 / 25}));
}

TEST(Progress, FlatEndsStillReportTheWholeLoop) {
    TankParameters tank = startUpTank(EndShape::FlatEnds);
    tank.intervals = 10'000;
    int calls = 0;
    double last = -1;
    computeVolumes(tank, [&](double f) {
        ++calls;
        last = f;
    });
    EXPECT_EQ(calls, 1000);
    EXPECT_DOUBLE_EQ(last, 9990.0 / 10'000);
}

TEST(Progress, AThrowingCallbackAbandonsTheComputation) {
    struct Stop {};
    int calls = 0;
    EXPECT_THROW(computeVolumes(startUpTank(EndShape::ConicalEnds),
                                [&calls](double) {
                                    if (++calls == 3) {
                                        throw Stop{};
                                    }
                                }),
                 Stop);
    EXPECT_EQ(calls, 3);
}

struct RadiusCase {
    const char* name;
    EndShape shape;
    double step;
    double expected;
};

class SliceRadiusTest : public ::testing::TestWithParam<RadiusCase> {};

TEST_P(SliceRadiusTest, FollowsTheEndProfile) {
    const RadiusCase& c = GetParam();
    EXPECT_NEAR(sliceRadius(startUpTank(c.shape), c.step), c.expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, SliceRadiusTest,
    ::testing::Values(RadiusCase{"FlatIsTheCylinder", EndShape::FlatEnds, 5000, 500},
                      RadiusCase{"ConeAtJunction", EndShape::ConicalEnds, 0, 500},
                      RadiusCase{"ConeHalfway", EndShape::ConicalEnds, 5000, 450},
                      RadiusCase{"CapAtJunction", EndShape::SphericalCapEnds, 0, 500},
                      RadiusCase{"CapHalfway", EndShape::SphericalCapEnds, 5000,
                                 std::sqrt(2 * 1300 * 50.0 - 50 * 50)},
                      RadiusCase{"QuarterRoundAtJunction", EndShape::QuarterRoundEnds, 0, 500},
                      RadiusCase{"QuarterRoundHalfway", EndShape::QuarterRoundEnds, 5000,
                                 400 + 100 * std::sqrt(0.75)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutOfDomain, GivesNumbersThatAreNotFinite) {
    TankParameters noDiameter = startUpTank(EndShape::ConicalEnds);
    noDiameter.diameter = 0;
    EXPECT_FALSE(std::isfinite(computeVolumes(noDiameter).totalVolume));

    TankParameters oilAboveTank = startUpTank(EndShape::FlatEnds);
    oilAboveTank.oilHeight = 1200;
    EXPECT_FALSE(std::isfinite(computeVolumes(oilAboveTank).totalVolume));

    TankParameters flatCap = startUpTank(EndShape::SphericalCapEnds);
    flatCap.endWidth = 0;
    EXPECT_FALSE(std::isfinite(computeVolumes(flatCap).endsVolume));
}

// --- The fast loop against the plain transcription ---------------------------

struct PlainCase {
    std::string name;
    EndShape shape;
    double thousands;  // slices per end, as "Combo1" gives them
};

class PlainAgreementTest : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainAgreementTest, GivesTheTranscriptionsVolumes) {
    const TankParameters tank = startUpTank(GetParam().shape, GetParam().thousands);
    double sink = 0;
    const VolumeResults fast = computeVolumes(tank);
    const VolumeResults plain = plainVolumes(tank, sink);
    EXPECT_PRED2(agreesWithPlain, fast.cylinderVolume, plain.cylinderVolume);
    EXPECT_PRED2(agreesWithPlain, fast.endsVolume, plain.endsVolume);
    EXPECT_PRED2(agreesWithPlain, fast.totalVolume, plain.totalVolume);
    EXPECT_PRED2(agreesWithPlain, fast.belowStrainerVolume, plain.belowStrainerVolume);
    EXPECT_PRED2(agreesWithPlain, fast.availableVolume, plain.availableVolume);
}

std::vector<PlainCase> plainCases() {
    const std::pair<const char*, EndShape> shapes[] = {
        {"Flat", EndShape::FlatEnds},
        {"Conical", EndShape::ConicalEnds},
        {"SphericalCap", EndShape::SphericalCapEnds},
        {"QuarterRound", EndShape::QuarterRoundEnds}};
    // Slice counts that are and are not whole numbers of vector lanes and blocks.
    const std::pair<const char*, double> precisions[] = {
        {"10", 10}, {"100", 100}, {"1000", 1000}, {"2_5005", 2.5005}, {"0_013", 0.013}};
    std::vector<PlainCase> cases;
    for (const auto& [shapeName, shape] : shapes) {
        for (const auto& [precisionName, thousands] : precisions) {
            cases.push_back({std::string(shapeName) + "_" + precisionName, shape, thousands});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ShapesAndPrecisions, PlainAgreementTest, ::testing::ValuesIn(plainCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace varnelle
