#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace varnelle {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

struct ReadCase {
    const char* name;
    std::string text;
    double expected;
};

class NumberFromTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(NumberFromTextTest, ReadsTheLeadingNumber) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(numberFromText(c.text), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberFromTextTest,
    ::testing::Values(
        ReadCase{"Whole", "1000", 1000}, ReadCase{"Empty", "", 0},
        ReadCase{"Incorrect", "incorrect", 0}, ReadCase{"CommaIsNoSeparator", "12,5", 12},
        ReadCase{"BlankInsideDigits", "1 000", 1000}, ReadCase{"Unit", "300 mm", 300},
        ReadCase{"TabsAndLineFeeds", "\t1\n2 3", 123}, ReadCase{"Decimal", "300.7", 300.7},
        ReadCase{"LeadingPoint", ".5", 0.5}, ReadCase{"TrailingPoint", "7.", 7},
        ReadCase{"SecondPointStops", "1.2.3", 1.2}, ReadCase{"Negative", "-42", -42},
        ReadCase{"BlankAfterSign", "- 4", -4}, ReadCase{"Positive", "+8", 8},
        ReadCase{"TwoSigns", "+-8", 0}, ReadCase{"SignAlone", "-", 0},
        ReadCase{"PointAlone", ".", 0}, ReadCase{"Exponent", "3e2", 300},
        ReadCase{"UpperExponent", "3E2", 300}, ReadCase{"ExponentD", "3d2", 300},
        ReadCase{"UpperExponentD", "3D-1", 0.3}, ReadCase{"ExponentPlus", "1e+3", 1000},
        ReadCase{"ExponentWithoutDigits", "5e", 5}, ReadCase{"ExponentSignOnly", "5e-x", 5},
        ReadCase{"BlanksInExponent", "2 e 3", 2000}, ReadCase{"Overflow", "1e999", inf},
        ReadCase{"NegativeOverflow", "-1e999", -inf}, ReadCase{"Underflow", "1e-999", 0},
        ReadCase{"LongExponent", "1e99999999999999999999999", inf},
        ReadCase{"ZeroWithHugeExponent", "0e999", 0},
        ReadCase{"SmallMantissaHugeExponent", "0.00001e310", 1e305}, ReadCase{"Hex", "&H1F", 31},
        ReadCase{"LowerHex", "&hff", 255}, ReadCase{"HexStopsAtG", "&H1G", 1},
        ReadCase{"Octal", "&O17", 15}, ReadCase{"OctalStopsAt8", "&O18", 1},
        ReadCase{"AmpersandAlone", "&", 0}, ReadCase{"AmpersandOther", "&X12", 0},
        ReadCase{"HexWithoutDigits", "&H", 0},
        ReadCase{"ThirtyHexDigits", "&H" + std::string(30, 'F'), std::ldexp(1.0, 120)},
        ReadCase{"HexBeyondDoubles", "&H" + std::string(300, 'F'), inf},
        ReadCase{"ControlCharacterStops",
                 std::string("12\x01"
                             "3"),
                 12},
        ReadCase{"InvalidUtf8Stops",
                 "45\xff\xfe"
                 "6",
                 45},
        ReadCase{"EmbeddedNulStops",
                 std::string("7\0"
                             "8",
                             3),
                 7},
        ReadCase{"CarriageReturnStops", "9\r1", 9},
        // No command-line argument is this long (the system caps one at 128 KiB), but a line
        // read by --flux can be: the digits and the exponent balance each other.
        ReadCase{"MillionDigitsTimesTenToMinusAMillion",
                 "12" + std::string(1'200'000, '0') + "e-1200000", 12},
        ReadCase{"MillionLeadingZerosTimesTenToAMillion",
                 "0." + std::string(1'200'000, '0') + "25e1200001", 2.5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberFromText, ReadsAMegabyteOfDigits) {
    const std::string digits(1 << 20, '9');
    EXPECT_EQ(numberFromText(digits), inf);
    EXPECT_EQ(numberFromText("0." + digits), 1.0);
    EXPECT_EQ(numberFromText(std::string(1 << 20, ' ') + "12"), 12);
}

TEST(NumberFromText, ReadsRoundTrippedDoublesExactly) {
    for (const double value : {0.1, 1.0 / 3, 1e-300, 4.9e-324, 1.7976931348623157e308}) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", value);
        EXPECT_EQ(numberFromText(text), value) << text;
    }
}

struct ShowCase {
    const char* name;
    double value;
    const char* expected;
};

class WholeNumberTextTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(WholeNumberTextTest, ShowsTheRoundedWholeNumber) {
    EXPECT_EQ(wholeNumberText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, WholeNumberTextTest,
                         ::testing::Values(ShowCase{"Perimeter", 3141.592653589793, "3142"},
                                           ShowCase{"DiameterFromPerimeter", 1000.1352, "1000"},
                                           ShowCase{"HalfGoesUp", 942.5, "943"},
                                           ShowCase{"NegativeHalf", -2.5, "-3"},
                                           ShowCase{"Zero", 0, "0"},
                                           ShowCase{"NegativeZero", -0.0, "0"},
                                           ShowCase{"SmallNegativeShowsNoSign", -0.4, "0"},
                                           ShowCase{"Negative", -1026.46, "-1026"},
                                           ShowCase{"Large", 123456789012.0, "123456789012"},
                                           ShowCase{"NoGrouping", 1e15, "1000000000000000"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WholeNumberText, WritesEveryDigitOfTheLargestDouble) {
    EXPECT_EQ(wholeNumberText(1.7976931348623157e308).size(), 309u);
}

class ResultTextTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ResultTextTest, ShowsThreeDecimals) {
    EXPECT_EQ(resultText(GetParam().value, ','), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ResultTextTest,
                         ::testing::Values(ShowCase{"Litres", 396.33668, "396,337"},
                                           ShowCase{"Zero", 0, "0,000"},
                                           ShowCase{"Padded", 3.2, "3,200"},
                                           ShowCase{"Negative", -340.4951, "-340,495"},
                                           ShowCase{"RoundsUp", 0.0009, "0,001"},
                                           ShowCase{"TinyNegativeShowsNoSign", -1e-13, "0,000"},
                                           ShowCase{"NoGrouping", 1234567.8916, "1234567,892"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultText, UsesTheSeparatorItIsGiven) {
    EXPECT_EQ(resultText(81.751, '.'), "81.751");
}

// --- Measures ------------------------------------------------------------------

struct MeasureCase {
    const char* name;
    double value;
    char decimal;
    int minDecimals;
    int maxDecimals;
    const char* expected;
};

class MeasureTextTest : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(MeasureTextTest, WritesTheShortestRoundedForm) {
    const MeasureCase& c = GetParam();
    EXPECT_EQ(measureText(c.value, c.decimal, c.minDecimals, c.maxDecimals), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, MeasureTextTest,
                         ::testing::Values(MeasureCase{"Whole", 1000, ',', 0, 3, "1000"},
                                           MeasureCase{"DecimalComma", 12.5, ',', 0, 3, "12,5"},
                                           MeasureCase{"DecimalPeriod", 12.5, '.', 0, 3, "12.5"},
                                           MeasureCase{"RoundedSum", 0.1 + 0.2, '.', 0, 3, "0.3"},
                                           MeasureCase{"TinyNegative", -0.0001, '.', 0, 3, "0"},
                                           MeasureCase{"Negative", -3.25, ',', 0, 3, "-3,25"},
                                           MeasureCase{"KeepsOneDecimal", 30, ',', 1, 4, "30,0"},
                                           MeasureCase{"CentimetresOfHalfMillimetre", 100.05, ',',
                                                       1, 4, "100,05"}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Numbers typed into the chart window ----------------------------------------

// Spaces that set thousands apart: no-break and narrow no-break, in UTF-8.
#define NBSP "\xC2\xA0"
#define NNBSP "\xE2\x80\xAF"

struct TypedCase {
    const char* name;
    std::string text;
    char decimal;
    std::optional<double> expected;  // nothing: not a number
};

class TypedNumberTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedNumberTest, ReadsWhatTheWindowWritesAndNothingElse) {
    const TypedCase& c = GetParam();
    EXPECT_EQ(typedNumber(c.text, c.decimal), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedNumberTest,
    ::testing::Values(TypedCase{"Whole", "1000", ',', 1000},
                      TypedCase{"DecimalComma", "500,5", ',', 500.5},
                      TypedCase{"PeriodUnderAComma", "1000.4", ',', 1000.4},
                      TypedCase{"CommaUnderAPeriod", "1000,4", '.', std::nullopt},
                      TypedCase{"CapacityAsShown", "1570,796", ',', 1570.796},
                      TypedCase{"GroupedBySpace", "1 571", ',', 1571},
                      TypedCase{"GroupedByNoBreakSpace", "1" NBSP "570,796", ',', 1570.796},
                      TypedCase{"GroupedByNarrowNoBreakSpace", "1" NNBSP "570,796", ',', 1570.796},
                      TypedCase{"GroupedMillions", "12 345 678.5", '.', 12345678.5},
                      TypedCase{"BlanksAround", "  \t42 ", ',', 42},
                      TypedCase{"NoBreakSpacesAround", NBSP "42" NNBSP, ',', 42},
                      TypedCase{"LeadingSeparator", ",5", ',', 0.5},
                      TypedCase{"TrailingSeparator", "7,", ',', 7},
                      TypedCase{"Negative", "-3,5", ',', -3.5}, TypedCase{"Positive", "+8", ',', 8},
                      TypedCase{"Empty", "", ',', std::nullopt},
                      TypedCase{"BlanksOnly", "   ", ',', std::nullopt},
                      TypedCase{"Letters", "abc", ',', std::nullopt},
                      TypedCase{"NumberThenLetters", "12abc", ',', std::nullopt},
                      TypedCase{"Unit", "300 mm", ',', std::nullopt},
                      TypedCase{"TwoSeparators", "1,2,3", ',', std::nullopt},
                      TypedCase{"CommaAndPeriod", "1,2.3", ',', std::nullopt},
                      TypedCase{"SeparatorAlone", ",", ',', std::nullopt},
                      TypedCase{"SignAlone", "-", ',', std::nullopt},
                      TypedCase{"GroupOfTwo", "15 71", ',', std::nullopt},
                      TypedCase{"FirstGroupOfFour", "1571 000", ',', std::nullopt},
                      TypedCase{"SpaceInDecimals", "1,5 5", ',', std::nullopt},
                      TypedCase{"DoubleSpace", "1  571", ',', std::nullopt},
                      TypedCase{"Exponent", "1e3", ',', std::nullopt},
                      TypedCase{"Hexadecimal", "&H1F", ',', std::nullopt},
                      TypedCase{"Infinity", "inf", '.', std::nullopt},
                      TypedCase{"BeyondDoubles", std::string(400, '9'), ',', std::nullopt},
                      TypedCase{"EmbeddedNul",
                                std::string("7\0"
                                            "8",
                                            3),
                                ',', std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct GroupCase {
    const char* name;
    std::string number;
    std::string expected;
};

class GroupedTextTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(GroupedTextTest, SetsThousandsApart) {
    EXPECT_EQ(groupedText(GetParam().number, NBSP), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, GroupedTextTest,
    ::testing::Values(GroupCase{"Hundreds", "571", "571"},
                      GroupCase{"Thousands", "1571", "1" NBSP "571"},
                      GroupCase{"DecimalsLeftAlone", "1570,796", "1" NBSP "570,796"},
                      GroupCase{"Millions", "-1234567.8915", "-1" NBSP "234" NBSP "567.8915"},
                      GroupCase{"NegativeHundreds", "-999,5", "-999,5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GroupedText, WrittenNumbersAreReadBack) {
    for (const double value : {0.0, 1570.796, 123456.789, 1000000.0}) {
        const std::string written = groupedText(measureText(value, ',', 0, 3), NBSP);
        EXPECT_EQ(typedNumber(written, ','), value) << written;
    }
}

}  // namespace
}  // namespace varnelle
