#include "core/cap_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/number_text.h"
#include "core/volume.h"

namespace varnelle {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct ArcCase {
    const char* name;
    double R;
    double w;
    const char* shownArc;
};

class CapArcLengthTest : public ::testing::TestWithParam<ArcCase> {};

TEST_P(CapArcLengthTest, GivesTheArcThroughTheCentre) {
    const ArcCase& c = GetParam();
    EXPECT_EQ(wholeNumberText(capArcLength(c.R, c.w)), c.shownArc);
}

INSTANTIATE_TEST_SUITE_P(Widths, CapArcLengthTest,
                         ::testing::Values(ArcCase{"Width100", 500, 100, "1026"},
                                           ArcCase{"Hemisphere", 500, 500, "1571"},
                                           ArcCase{"NegativeWidth", 500, -100, "-1026"},
                                           ArcCase{"TinyWidth", 500, 0.001, "1000"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CapArcLength, HemisphereIsHalfTheCircle) {
    EXPECT_NEAR(capArcLength(500, 500), Pi * 500, 1e-9);
}

TEST(CapArcLength, WidthZeroHasNoValue) {
    EXPECT_TRUE(std::isnan(capArcLength(500, 0)));
}

struct WidthCase {
    const char* name;
    double R;
    double s;
    const char* shownWidth;
};

class CapWidthForArcTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(CapWidthForArcTest, FindsTheWidth) {
    const WidthCase& c = GetParam();
    EXPECT_EQ(wholeNumberText(capWidthForArc(c.R, c.s)), c.shownWidth);
}

INSTANTIATE_TEST_SUITE_P(Arcs, CapWidthForArcTest,
                         ::testing::Values(WidthCase{"Arc1026", 500, 1026, "99"},
                                           WidthCase{"ArcEqualToDiameter", 500, 1000, "1"},
                                           WidthCase{"Arc1570", 500, 1570, "500"},
                                           WidthCase{"HalfCircle", 500, Pi * 500, "500"},
                                           WidthCase{"TenTimesWider", 5000, 10'260, "991"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CapWidthForArc, StopsJustAboveTheSolution) {
    const double w = capWidthForArc(500, 1026);
    EXPECT_NEAR(w, 99.13, 0.01);
    const double excess = capArcLength(500, w) - 1026;
    EXPECT_GE(excess, 0);
    EXPECT_LT(excess, 0.001);
}

struct NoWidthCase {
    const char* name;
    double R;
    double s;
};

class NoWidthTest : public ::testing::TestWithParam<NoWidthCase> {};

// Inputs where the descent could never settle: it must come back at once with NaN.
TEST_P(NoWidthTest, ReturnsNotANumber) {
    const NoWidthCase& c = GetParam();
    EXPECT_TRUE(std::isnan(capWidthForArc(c.R, c.s)));
}

INSTANTIATE_TEST_SUITE_P(Inputs, NoWidthTest,
                         ::testing::Values(NoWidthCase{"NoRadiusNoArc", 0, 0},
                                           NoWidthCase{"ArcNotANumber", 500, nan},
                                           NoWidthCase{"RadiusNotANumber", nan, 1000},
                                           NoWidthCase{"HugeRadius", 1e200, 3e200},
                                           NoWidthCase{"InfiniteRadius", inf, 1000},
                                           NoWidthCase{"ArcBelowEveryCap", 500, -inf}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle
