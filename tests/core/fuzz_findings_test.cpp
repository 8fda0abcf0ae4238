// Faults the fuzzers found, kept fixed.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "core/volume.h"

namespace varnelle {
namespace {

// Quarter-round ends far shallower than the radius: R - (R - w) can round to a
// little less than w, and the root of the rounding radius then went below zero
// near the outer face, turning every volume into NaN.
struct ShallowRoundCase {
    const char* name;
    double diameter;
    double endWidth;
    double intervals;
};

void PrintTo(const ShallowRoundCase& c, std::ostream* os) {
    *os << c.name;
}

class ShallowQuarterRoundTest : public ::testing::TestWithParam<ShallowRoundCase> {
  protected:
    static TankParameters tank(const ShallowRoundCase& c) {
        TankParameters t;
        t.diameter = c.diameter;
        t.oilHeight = c.diameter / 2;
        t.cylinderLength = 2000;
        t.strainerHeight = c.diameter / 10;
        t.endWidth = c.endWidth;
        t.endShape = EndShape::QuarterRoundEnds;
        t.intervals = c.intervals;
        return t;
    }
};

TEST_P(ShallowQuarterRoundTest, EndsHoldAThinSliceOfTheCylinder) {
    const TankParameters t = tank(GetParam());
    const double R = t.diameter / 2;
    const VolumeResults v = computeVolumes(t);
    // Both ends together are no thicker than 2·w, so they hold at most that
    // much of the full cylinder, and half of it at half height.
    const double fullSlab = 2 * Pi * R * R * t.endWidth / 1e6;
    EXPECT_GE(v.endsVolume, fullSlab / 2 * (1 - 1e-6));
    EXPECT_LE(v.endsVolume, fullSlab / 2 * (1 + 1e-6));
    EXPECT_TRUE(std::isfinite(v.totalVolume));
    EXPECT_TRUE(std::isfinite(v.belowStrainerVolume));
    EXPECT_TRUE(std::isfinite(v.availableVolume));
}

TEST_P(ShallowQuarterRoundTest, OuterSliceKeepsTheFaceRadius) {
    const TankParameters t = tank(GetParam());
    const double R = t.diameter / 2;
    const double outer = sliceRadius(t, std::ceil(t.intervals) - 1);
    EXPECT_GE(outer, R - t.endWidth);
    EXPECT_LE(outer, R);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ShallowQuarterRoundTest,
    ::testing::Values(ShallowRoundCase{"WindowTankTenThousandSlices", 1000, 1e-20, 10'000},
                      ShallowRoundCase{"WindowTankWidthNearRounding", 1000, 1.030301e-12, 2000},
                      ShallowRoundCase{"HugeTank", 1e100, 5e69, 1000},
                      ShallowRoundCase{"TinyTank", 1e-50, 2.6278504744199179e-76, 253}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle
