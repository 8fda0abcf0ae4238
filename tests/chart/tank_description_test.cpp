#include "chart/tank_description.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace varnelle {
namespace {

// Measures as a window would give them: every one it has, with no way of
// writing one wrongly.
class GivenMeasures : public MeasureSource {
  public:
    GivenMeasures(EndShape shape, std::map<Measure, double> values)
        : shape_(shape), values_(std::move(values)) {}

    bool has(Measure measure) const override { return values_.count(measure) > 0; }
    double value(Measure measure) const override { return values_.at(measure); }
    EndShape endShape() const override { return shape_; }

  private:
    EndShape shape_;
    std::map<Measure, double> values_;
};

const OutputConventions frenchNumbers{',', ';', {}};

struct RefusalCase {
    const char* name;
    EndShape shape;
    std::map<Measure, double> values;
    Measure measure;
    const char* message;
};

class TankRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(TankRefusalTest, NamesTheMeasureAtFault) {
    const RefusalCase& c = GetParam();
    const Outcome<TankDescription> tank =
        readTankDescription(GivenMeasures(c.shape, c.values), frenchNumbers);
    const Refusal* refusal = refusalOf(tank);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(measureForKey(refusal->subject), c.measure);
    EXPECT_EQ(refusal->sentence.toStdString(), c.message);
}

using M = Measure;
constexpr EndShape cap = EndShape::SphericalCapEnds;
constexpr EndShape cone = EndShape::ConicalEnds;

INSTANTIATE_TEST_SUITE_P(
    Tanks, TankRefusalTest,
    ::testing::Values(
        RefusalCase{"NoDiameter",
                    cone,
                    {{M::CylinderLength, 2000}},
                    M::Diameter,
                    "Veuillez rentrer une valeur du diamètre de la cuve"},
        RefusalCase{"PerimeterRoundedToNothing",
                    cone,
                    {{M::Perimeter, 1}},
                    M::Perimeter,
                    "Le périmètre est trop petit : le diamètre arrondi au millimètre est nul !"},
        RefusalCase{"LongerThanAnyTank",
                    cone,
                    {{M::Diameter, 1000}, {M::CylinderLength, 2e6}},
                    M::CylinderLength,
                    "La valeur ne peut pas dépasser 1000000 mm !"},
        RefusalCase{"ConeWideningOutwards",
                    cone,
                    {{M::Diameter, 1000},
                     {M::CylinderLength, 2000},
                     {M::EndWidth, 100},
                     {M::EndCircleDiameter, 1200}},
                    M::EndCircleDiameter,
                    "Le diamètre du cercle de l'extrémité ne peut pas être supérieur au "
                    "diamètre de la cuve !"},
        RefusalCase{"CapWithoutWidth",
                    cap,
                    {{M::Diameter, 1000}, {M::CylinderLength, 2000}},
                    M::EndWidth,
                    "Veuillez rentrer une valeur de la largeur des bords"},
        RefusalCase{"ArcAboveHalfCircle",
                    cap,
                    {{M::Diameter, 1000}, {M::CylinderLength, 2000}, {M::ArcLength, 1571}},
                    M::ArcLength,
                    "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas "
                    "être supérieur au demi périmètre de la cuve cylindrique soit : 1570,796 !"},
        RefusalCase{"PrecisionOutOfRange",
                    EndShape::FlatEnds,
                    {{M::Diameter, 1000}, {M::CylinderLength, 2000}, {M::Precision, 0}},
                    M::Precision,
                    "La précision doit être comprise entre 0,001 et 1000 (milliers "
                    "d'intervalles par extrémité)."}),
    [](const auto& info) { return std::string(info.param.name); });

// A perimeter and an arc length reach the tank rounded to the millimetre, as
// the window's fields round them.
TEST(TankDescription, KeepsTheFormsGivenAndTheWindowsRounding) {
    const Outcome<TankDescription> tank = readTankDescription(
        GivenMeasures(cap, {{M::Perimeter, 3142}, {M::CylinderLength, 2000}, {M::ArcLength, 1026}}),
        frenchNumbers);
    ASSERT_EQ(refusalOf(tank), nullptr) << refusalOf(tank)->sentence.toStdString();
    const TankDescription& description = std::get<TankDescription>(tank);
    EXPECT_EQ(description.tank.diameter, 1000);
    EXPECT_EQ(description.tank.endWidth, 99);
    EXPECT_EQ(description.perimeter, 3142);
    EXPECT_EQ(description.arcLength, 1026);
    EXPECT_EQ(description.tank.intervals, 10'000);
}

}  // namespace
}  // namespace varnelle
