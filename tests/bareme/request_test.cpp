#include "bareme/bareme_request.h"
#include "bareme/option_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace varnelle {
namespace {

// --- Numbers -----------------------------------------------------------------

struct NumberCase {
    const char* name;
    const char* text;
    bool accepted;
    double value;
};

class DecimalNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DecimalNumberTest, ReadsCommaOrPeriodAndNothingElse) {
    const NumberCase& c = GetParam();
    const std::optional<double> value = decimalNumber(QString::fromUtf8(c.text));
    ASSERT_EQ(value.has_value(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(*value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecimalNumberTest,
    ::testing::Values(
        NumberCase{"Comma", "12,5", true, 12.5}, NumberCase{"Period", "12.5", true, 12.5},
        NumberCase{"Whole", "1000", true, 1000}, NumberCase{"SpacesAround", "  300 ", true, 300},
        NumberCase{"Negative", "-3", true, -3}, NumberCase{"Exponent", "3e2", true, 300},
        NumberCase{"CommaAndExponent", "1,5E2", true, 150},
        NumberCase{"LeadingComma", ",5", true, 0.5}, NumberCase{"TrailingComma", "5,", true, 5},
        NumberCase{"TrailingLetters", "12x", false, 0}, NumberCase{"Empty", "", false, 0},
        NumberCase{"Blank", "   ", false, 0}, NumberCase{"NotANumber", "nan", false, 0},
        NumberCase{"Infinity", "inf", false, 0},
        NumberCase{"NegativeInfinity", "-infinity", false, 0},
        NumberCase{"TooLarge", "1e999", false, 0}, NumberCase{"SpaceInside", "1 000", false, 0},
        NumberCase{"TwoSeparators", "1,000.5", false, 0},
        NumberCase{"Hexadecimal", "&H10", false, 0}, NumberCase{"CHexadecimal", "0x10", false, 0},
        NumberCase{"OtherDigits", "١٢", false, 0}, NumberCase{"LoneSign", "-", false, 0},
        NumberCase{"ExponentWithoutDigits", "12e", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Accepted command lines ----------------------------------------------------

ParsedCommandLine parse(const QString& line) {
    QStringList arguments = {"varnelle-bareme"};
    arguments += line.split(' ', Qt::SkipEmptyParts);
    return parseCommandLine(arguments, QLocale::c());
}

BaremeRequest accepted(const QString& line) {
    const ParsedCommandLine parsed = parse(line);
    EXPECT_EQ(parsed.action, ParsedCommandLine::Action::Run)
        << parsed.error.subject.toStdString() << ' ' << parsed.error.sentence.toStdString();
    return parsed.request;
}

TEST(ParseCommandLine, DefaultsToTheChartOfAFlatEndedTank) {
    const BaremeRequest request = accepted("--diametre 1000 --longueur 2000");
    const TankParameters& tank = request.description.tank;
    EXPECT_EQ(request.question, Question::Chart);
    EXPECT_EQ(request.format, OutputFormat::Text);
    EXPECT_EQ(request.step, 10);
    EXPECT_TRUE(request.pdfPath.isEmpty());
    EXPECT_EQ(tank.diameter, 1000);
    EXPECT_EQ(tank.cylinderLength, 2000);
    EXPECT_EQ(tank.endShape, EndShape::FlatEnds);
    EXPECT_EQ(tank.strainerHeight, 0);
    EXPECT_EQ(tank.intervals, 10'000);
}

struct ConversionCase {
    const char* name;
    const char* line;
    double diameter;
    double endWidth;
};

class ConversionTest : public ::testing::TestWithParam<ConversionCase> {};

// The window rounds a perimeter or an arc to whole millimetres on its way to
// the calculation; so does the program.
TEST_P(ConversionTest, ConvertsAsTheWindowDoes) {
    const ConversionCase& c = GetParam();
    const TankParameters tank = accepted(c.line).description.tank;
    EXPECT_EQ(tank.diameter, c.diameter);
    EXPECT_EQ(tank.endWidth, c.endWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConversionTest,
    ::testing::Values(
        ConversionCase{"Perimeter", "--perimetre 3142 --longueur 2000", 1000, 0},
        ConversionCase{"SmallPerimeter", "--perimetre 500 --longueur 2000", 159, 0},
        ConversionCase{"DecimalCommaDiameter", "--diametre 1000,5 --longueur 2000", 1000.5, 0},
        ConversionCase{"Arc", "--diametre 1000 --longueur 2000 --bords calotte --arc 1026", 1000,
                       99},
        ConversionCase{"ArcOfTheHemisphere",
                       "--diametre 1000 --longueur 2000 --bords calotte --arc 1570", 1000, 500},
        ConversionCase{"ArcEqualToTheDiameter",
                       "--diametre 1000 --longueur 2000 --bords calotte --arc 1000", 1000, 1},
        ConversionCase{"PerimeterAndArc",
                       "--perimetre 3142 --longueur 2000 --bords calotte --arc 1026", 1000, 99},
        ConversionCase{"CapWidth", "--diametre 1000 --longueur 2000 --bords calotte --largeur 100",
                       1000, 100},
        ConversionCase{"QuarterRoundRadius",
                       "--diametre 1000 --longueur 2000 --bords quart-de-cercle --largeur 500",
                       1000, 500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseCommandLine, ReadsEveryMeasureOfATruncatedConeTank) {
    const BaremeRequest request = accepted(
        "--diametre 1200 --longueur 2500 --bords tronconiques --largeur 150,5 "
        "--diametre-extremite 900 --crepine 80 --precision 0,5 --pas 25 --format csv");
    const TankParameters& tank = request.description.tank;
    EXPECT_EQ(tank.endShape, EndShape::ConicalEnds);
    EXPECT_EQ(tank.endWidth, 150.5);
    EXPECT_EQ(tank.endCircleDiameter, 900);
    EXPECT_EQ(tank.strainerHeight, 80);
    EXPECT_EQ(tank.intervals, 500);
    EXPECT_EQ(request.step, 25);
    EXPECT_EQ(request.format, OutputFormat::Csv);
}

struct QuestionCase {
    const char* name;
    const char* options;
    Question question;
    double oilHeight;
};

class QuestionTest : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(QuestionTest, ReadsTheQuestion) {
    const QuestionCase& c = GetParam();
    const BaremeRequest request =
        accepted(QStringLiteral("--diametre 1000 --longueur 2000 ") + c.options);
    EXPECT_EQ(request.question, c.question);
    EXPECT_EQ(request.oilHeight, c.oilHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Options, QuestionTest,
    ::testing::Values(QuestionCase{"Height", "--hauteur 300", Question::AtHeight, 300},
                      QuestionCase{"FullTank", "--hauteur 1000", Question::AtHeight, 1000},
                      QuestionCase{"Distance", "--distance 640", Question::AtDistance, 360},
                      QuestionCase{"DistanceToTheBottom", "--distance 1000", Question::AtDistance,
                                   0},
                      QuestionCase{"Order", "--commander 350", Question::Order, 350},
                      QuestionCase{"Volume", "--volume 12,5", Question::HeightForVolume, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseCommandLine, OrderTakesItsFillLimit) {
    EXPECT_EQ(accepted("--diametre 1000 --longueur 2000 --commander 350").fillPercent, 90);
    EXPECT_EQ(
        accepted("--diametre 1000 --longueur 2000 --commander 350 --remplissage 85,5").fillPercent,
        85.5);
}

TEST(ParseCommandLine, SingleDashLongOptionsAreAccepted) {
    EXPECT_EQ(accepted("-diametre 1000 -longueur 2000").description.tank.diameter, 1000);
}

TEST(ParseCommandLine, NegativeValueAfterAnOptionIsItsValue) {
    const ParsedCommandLine parsed = parse("--diametre 1000 --longueur 2000 --hauteur -5");
    ASSERT_EQ(parsed.action, ParsedCommandLine::Action::Refuse);
    EXPECT_EQ(parsed.error.subject, "--hauteur");
}

TEST(ParseCommandLine, HelpIsInFrenchAndListsTheOptions) {
    for (const char* option : {"--help", "--aide", "-h"}) {
        const ParsedCommandLine parsed = parse(QString::fromLatin1(option));
        ASSERT_EQ(parsed.action, ParsedCommandLine::Action::ShowHelp);
        for (const char* expected : {"--diametre <MM>", "--perimetre", "--bords <FORME>",
                                     "--remplissage", "--distance", "Exemples :"}) {
            EXPECT_TRUE(parsed.helpText.contains(QString::fromUtf8(expected))) << expected;
        }
    }
}

}  // namespace
}  // namespace varnelle
