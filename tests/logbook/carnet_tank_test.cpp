// A carnet's tank, written from the window's fields and read back.
#include "logbook/carnet_tank.h"

#include <gtest/gtest.h>

#include "chart/tank_chart.h"

namespace varnelle {
namespace {

TankParameters tankOf(EndShape shape) {
    TankParameters tank;
    tank.diameter = 1200.5;
    tank.cylinderLength = 2500;
    tank.strainerHeight = 80;
    tank.endShape = shape;
    tank.endWidth = shape == EndShape::FlatEnds ? 0 : 150;
    tank.endCircleDiameter = shape == EndShape::ConicalEnds ? 900 : 0;
    tank.intervals = 10000;
    return tank;
}

class CarnetTankTest : public ::testing::TestWithParam<EndShape> {};

TEST_P(CarnetTankTest, ReadsBackTheTankItWasWrittenFrom) {
    const TankParameters tank = tankOf(GetParam());
    const Outcome<TankDescription> read =
        carnetTankDescription(carnetValuesOf(tank), OutputConventions());
    ASSERT_FALSE(refusalOf(read)) << refusalOf(read)->sentence.toStdString();
    EXPECT_TRUE(sameTank(std::get<TankDescription>(read).tank, tank));
}

INSTANTIATE_TEST_SUITE_P(Shapes, CarnetTankTest,
                         ::testing::Values(EndShape::FlatEnds, EndShape::ConicalEnds,
                                           EndShape::SphericalCapEnds,
                                           EndShape::QuarterRoundEnds));

TEST(CarnetTank, DiffersByAnyMeasureButTheOilHeight) {
    const TankParameters tank = tankOf(EndShape::ConicalEnds);
    TankParameters oil = tank;
    oil.oilHeight = 400;
    EXPECT_TRUE(sameTank(tank, oil));
    for (double TankParameters::*measure :
         {&TankParameters::diameter, &TankParameters::cylinderLength,
          &TankParameters::strainerHeight, &TankParameters::endWidth,
          &TankParameters::endCircleDiameter, &TankParameters::intervals}) {
        TankParameters other = tank;
        other.*measure += 1;
        EXPECT_FALSE(sameTank(tank, other));
    }
}

TEST(CarnetTank, DeducesTheLengthFromTheNominalCapacity) {
    TankValues values = carnetValuesOf(tankOf(EndShape::FlatEnds));
    values.remove(measureKeys::cylinderLength);
    values.insert(carnetKeys::nominalCapacity, QStringLiteral("2000"));
    const Outcome<TankDescription> read = carnetTankDescription(values, OutputConventions());
    ASSERT_FALSE(refusalOf(read));
    const TankParameters& tank = std::get<TankDescription>(read).tank;
    EXPECT_NEAR(totalVolumeAt(tank, tank.diameter), 2000, 0.01);
}

TEST(CarnetTank, RefusesValuesThatDescribeNoTank) {
    TankValues shape = carnetValuesOf(tankOf(EndShape::FlatEnds));
    shape.insert(carnetKeys::endShape, QStringLiteral("ovale"));
    EXPECT_EQ(refusalOf(carnetTankDescription(shape, OutputConventions()))->subject, "bords");
    TankValues noNumber = carnetValuesOf(tankOf(EndShape::FlatEnds));
    noNumber.insert(measureKeys::diameter, QStringLiteral("grand"));
    EXPECT_EQ(refusalOf(carnetTankDescription(noNumber, OutputConventions()))->subject,
              "diametre");
}

}  // namespace
}  // namespace varnelle
