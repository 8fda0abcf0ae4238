#include "logbook/consumption.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "chart/tank_chart.h"
#include "start_up_tank.h"

namespace varnelle {
namespace {

// A box tank: two litres a millimetre, so the expected litres are plain.
double boxLitres(double heightMm) {
    return heightMm * 2;
}

const QDateTime newYear(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);

QDateTime day(double days) {
    return newYear.addSecs(static_cast<qint64>(std::llround(days * 86400)));
}

QDateTime at(int year, int month, int dayOfMonth, int hour = 0) {
    return QDateTime(QDate(year, month, dayOfMonth), QTime(hour, 0), Qt::UTC);
}

// Readings given as (day after new year, litres) in the box tank.
std::vector<Reading> readingsOf(const std::vector<std::pair<double, double>>& dayLitres) {
    std::vector<Reading> readings;
    for (const auto& [days, litres] : dayLitres) {
        readings.push_back({day(days), litres / 2});
    }
    return readings;
}

// `days` + 1 daily readings from `litres` down at `perDay`.
std::vector<std::pair<double, double>> steady(double litres, double perDay, int days,
                                              double firstDay = 0) {
    std::vector<std::pair<double, double>> readings;
    for (int i = 0; i <= days; ++i) {
        readings.push_back({firstDay + i, litres - perDay * i});
    }
    return readings;
}

std::vector<std::pair<double, double>> then(std::vector<std::pair<double, double>> readings,
                                            const std::vector<std::pair<double, double>>& more) {
    readings.insert(readings.end(), more.begin(), more.end());
    return readings;
}

Delivery received(const QDateTime& time, double litres, std::optional<double> before = std::nullopt,
                  std::optional<double> after = std::nullopt) {
    return {time, litres, std::nullopt, before, after};
}

template <typename T>
const T& valueOf(const Outcome<T>& outcome) {
    if (const Refusal* refusal = refusalOf(outcome)) {
        ADD_FAILURE() << "refused: " << refusal->sentence.toStdString();
    }
    return std::get<T>(outcome);
}

template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// --- Consumption between readings -------------------------------------------------

struct HistoryCase {
    const char* name;
    std::vector<std::pair<double, double>> readings;  // day, litres
    std::vector<Delivery> deliveries;
    double usedLitres;                // all intervals together
    std::vector<double> foundLitres;  // deliveries found in the readings
    std::vector<std::string> alerts;  // their sentences
};

class HistoryTest : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(HistoryTest, TakesDeliveriesOutAndFindsTheUnrecordedOnes) {
    const HistoryCase& c = GetParam();
    const ConsumptionHistory history =
        consumptionHistory(readingsOf(c.readings), c.deliveries, boxLitres);
    ASSERT_EQ(history.intervals.size(), c.readings.size() - 1);
    double used = 0;
    for (const Interval& interval : history.intervals) {
        EXPECT_GE(interval.usedLitres, 0);
        used += interval.usedLitres;
    }
    EXPECT_NEAR(used, c.usedLitres, 1e-9);
    ASSERT_EQ(history.found.size(), c.foundLitres.size());
    for (std::size_t i = 0; i < c.foundLitres.size(); ++i) {
        EXPECT_NEAR(history.found[i].litres, c.foundLitres[i], 1e-9);
    }
    std::vector<std::string> alerts;
    for (const Alert& alert : history.alerts) {
        alerts.push_back(alert.sentence.toStdString());
    }
    EXPECT_EQ(alerts, c.alerts);
}

const auto fifteenDays = steady(2000, 20, 15);  // 1700 litres on day 15

INSTANTIATE_TEST_SUITE_P(
    Readings, HistoryTest,
    ::testing::Values(
        HistoryCase{"SteadyUse", steady(1000, 20, 4), {}, 80, {}, {}},
        HistoryCase{"ReceiptLitresAdded",
                    {{0, 1000}, {1, 980}, {2, 1460}},
                    {received(day(1.5), 500)},
                    40,
                    {},
                    {}},
        HistoryCase{"ChartLitresBetweenHeightsBeforeReceipt",
                    {{0, 1000}, {1, 980}, {2, 1460}},
                    {received(day(1.5), 480, 485.0, 735.0)},
                    40,
                    {},
                    {}},
        HistoryCase{"DeliveryOutsideTheReadingsIgnored",
                    steady(1000, 20, 2),
                    {received(day(5), 500)},
                    40,
                    {},
                    {}},
        HistoryCase{"FoundDeliveryWithTheUseOfTheDaysBefore",
                    then(fifteenDays, {{16, 2180}}),
                    {},
                    15 * 20 + 20,
                    {500},
                    {}},
        HistoryCase{"FoundDeliveryWithoutHistory", {{0, 1000}, {1, 1500}}, {}, 0, {500}, {}},
        HistoryCase{
            "SmallRiseIsThePlayOfTheReadings", {{0, 1000}, {1, 980}, {2, 1010}}, {}, 20, {}, {}},
        HistoryCase{"TheftWithinADay",
                    then(fifteenDays, {{15.5, 1400}}),
                    {},
                    15 * 20 + 300,
                    {},
                    {"Le 16/01/2026, le niveau a baissé de 300 litres en moins d'un jour, plus "
                     "de 4 fois la consommation habituelle : fuite ou vol ?"}},
        HistoryCase{"ColdDayIsNoAlert", then(fifteenDays, {{16, 1630}}), {}, 15 * 20 + 70, {}, {}},
        HistoryCase{"LargeFallOverTwoDaysIsNoAlert",
                    then(fifteenDays, {{17, 1400}}),
                    {},
                    15 * 20 + 300,
                    {},
                    {}},
        HistoryCase{
            "NoAlertWithoutTwoWeeksOfHistory", {{0, 1000}, {1, 980}, {1.5, 600}}, {}, 400, {}, {}},
        HistoryCase{
            "UnorderedReadingsSortedByTime", {{2, 960}, {0, 1000}, {1, 980}}, {}, 40, {}, {}}),
    caseName<HistoryCase>);

// --- Litres per day ---------------------------------------------------------------

struct RateCase {
    const char* name;
    std::vector<std::pair<double, double>> readings;
    std::vector<Delivery> deliveries;
    std::optional<double> shortRate;  // nothing: refused
    std::optional<double> longRate;
};

class RateTest : public ::testing::TestWithParam<RateCase> {};

void expectRate(const Outcome<double>& rate, std::optional<double> expected, int days) {
    if (expected) {
        EXPECT_NEAR(valueOf(rate), *expected, 1e-9) << days << " days";
        return;
    }
    ASSERT_NE(refusalOf(rate), nullptr) << days << " days";
    EXPECT_EQ(refusalOf(rate)->sentence.toStdString(),
              "Il faut deux relevés à au moins " + std::to_string(days) +
                  " jours d'écart pour une consommation par jour.");
}

TEST_P(RateTest, DividesTheUseSinceAReadingOldEnoughByTheTime) {
    const RateCase& c = GetParam();
    const ConsumptionHistory history =
        consumptionHistory(readingsOf(c.readings), c.deliveries, boxLitres);
    expectRate(dailyRate(history, shortRateDays), c.shortRate, shortRateDays);
    expectRate(dailyRate(history, longRateDays), c.longRate, longRateDays);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, RateTest,
    ::testing::Values(RateCase{"Steady", steady(2000, 20, 40), {}, 20.0, 20.0},
                      RateCase{"ColderLately",
                               then(steady(2000, 10, 20), steady(1770, 30, 19, 21)),
                               {},
                               30.0,
                               (100 + 600) / 30.0},
                      RateCase{"SparseReadingsUseTheLastOldEnough",
                               {{0, 2000}, {10, 1800}, {20, 1600}},
                               {},
                               20.0,
                               std::nullopt},
                      RateCase{"DeliveryTakenOut",
                               {{0, 2000}, {7, 1860}, {14, 2220}},
                               {received(day(10), 500)},
                               20.0,
                               std::nullopt},
                      RateCase{"NoiseDoesNotAddUp",
                               {{0, 1000}, {7, 870}, {8, 890}, {14, 720}},
                               {},
                               20.0,
                               std::nullopt},
                      RateCase{"TooShort", steady(1000, 20, 13), {}, std::nullopt, std::nullopt},
                      RateCase{"OneReading", {{0, 1000}}, {}, std::nullopt, std::nullopt},
                      RateCase{"NoReading", {}, {}, std::nullopt, std::nullopt}),
    caseName<RateCase>);

// --- Months and seasons -----------------------------------------------------------

struct PeriodCase {
    const char* name;
    std::vector<std::pair<QDateTime, double>> readings;  // time, litres
    std::vector<MonthUse> months;
    std::vector<SeasonUse> seasons;
};

class PeriodTest : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(PeriodTest, SpreadsEachIntervalOverTheTimeItCovers) {
    const PeriodCase& c = GetParam();
    std::vector<Reading> readings;
    for (const auto& [time, litres] : c.readings) {
        readings.push_back({time, litres / 2});
    }
    const ConsumptionHistory history = consumptionHistory(readings, {}, boxLitres);
    const std::vector<MonthUse> months = monthlyUse(history);
    ASSERT_EQ(months.size(), c.months.size());
    for (std::size_t i = 0; i < months.size(); ++i) {
        EXPECT_EQ(months[i].year, c.months[i].year);
        EXPECT_EQ(months[i].month, c.months[i].month);
        EXPECT_NEAR(months[i].litres, c.months[i].litres, 1e-9) << i;
    }
    const std::vector<SeasonUse> seasons = seasonalUse(history);
    ASSERT_EQ(seasons.size(), c.seasons.size());
    for (std::size_t i = 0; i < seasons.size(); ++i) {
        EXPECT_EQ(seasons[i].startYear, c.seasons[i].startYear);
        EXPECT_NEAR(seasons[i].litres, c.seasons[i].litres, 1e-9) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readings, PeriodTest,
    ::testing::Values(PeriodCase{"MonthBoundaryAtMidnight",
                                 {{at(2026, 1, 31), 1000}, {at(2026, 2, 2), 960}},
                                 {{2026, 1, 20}, {2026, 2, 20}},
                                 {{2025, 40}}},
                      PeriodCase{"MonthBoundaryWithinADay",
                                 {{at(2026, 1, 30, 12), 1000}, {at(2026, 2, 1, 12), 960}},
                                 {{2026, 1, 30}, {2026, 2, 10}},
                                 {{2025, 40}}},
                      PeriodCase{"SeasonBoundary",
                                 {{at(2026, 6, 30), 1000}, {at(2026, 7, 2), 960}},
                                 {{2026, 6, 20}, {2026, 7, 20}},
                                 {{2025, 20}, {2026, 20}}},
                      PeriodCase{"DeliveryFoundAcrossMonths",
                                 {{at(2026, 1, 31), 1000}, {at(2026, 2, 2), 1500}},
                                 {{2026, 1, 0}, {2026, 2, 0}},
                                 {{2025, 0}}},
                      PeriodCase{"NoReading", {}, {}, {}}),
    caseName<PeriodCase>);

// --- Forecast ---------------------------------------------------------------------

struct ForecastCase {
    const char* name;
    double lastLitres;
    double perDay;
    ForecastOptions options;
    double strainerDays;  // after the last reading
    double reserveDays;
    double orderDays;
    double litresToOrder;
};

class ForecastTest : public ::testing::TestWithParam<ForecastCase> {};

constexpr double capacity = 2000;
constexpr double strainerLitres = 100;

void expectDays(const QDateTime& time, const QDateTime& from, double days, const char* what) {
    EXPECT_NEAR(from.msecsTo(time) / 86400000.0, days, 1e-6) << what;
}

TEST_P(ForecastTest, CountsTheDaysFromTheLastReading) {
    const ForecastCase& c = GetParam();
    const LitresReading last{at(2020, 3, 1), c.lastLitres / 2, c.lastLitres};
    const Forecast forecast =
        valueOf(forecastAtRate(last, c.perDay, capacity, strainerLitres, c.options));
    expectDays(forecast.strainerTime, last.time, c.strainerDays, "strainer");
    expectDays(forecast.reserveTime, last.time, c.reserveDays, "reserve");
    expectDays(forecast.orderTime, last.time, c.orderDays, "order");
    EXPECT_NEAR(forecast.litresToOrder, c.litresToOrder, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ForecastTest,
    ::testing::Values(
        ForecastCase{"Defaults", 1000, 20, {}, 45, 30, 20, 1800 - 400},
        ForecastCase{"OtherReserveDelayAndFill", 1000, 20, {25, 7, 80}, 45, 25, 18, 1600 - 500},
        ForecastCase{"AlreadyBelowTheReserve", 300, 20, {}, 10, -5, -15, 1700},
        ForecastCase{"StrainerReachedBeforeTheOrderArrives", 150, 20, {}, 2.5, -12.5, -22.5, 1700},
        ForecastCase{"BelowTheStrainer", 60, 20, {}, -2, -17, -27, 1740}),
    caseName<ForecastCase>);

// No use, or so little that the dates would lie years ahead (or past what a
// date holds: 1e-9 L a day is three thousand million years for 1 000 L).
TEST(Forecast, RefusedWithoutUseOrBeyondThreeYears) {
    const LitresReading last{at(2020, 3, 1), 500, 1000};
    for (const double perDay : {0.0, 1e-9, 0.5}) {
        EXPECT_NE(refusalOf(forecastAtRate(last, perDay, capacity, strainerLitres)), nullptr)
            << perDay;
    }
    EXPECT_EQ(refusalOf(forecastAtRate(last, 1, capacity, strainerLitres)), nullptr);
}

TEST(Summary, ForecastFromTheLastReadingAtTheTwoWeekRate) {
    // Readings of 2020: the dates are theirs, whatever today is.
    std::vector<Reading> readings;
    for (int i = 0; i <= 20; ++i) {
        readings.push_back({at(2020, 3, 1).addDays(i), (1400 - 20.0 * i) / 2});
    }
    const Summary summary = summarize(readings, {}, {}, boxLitres, capacity, strainerLitres);
    EXPECT_NEAR(valueOf(summary.shortRate), 20, 1e-9);
    EXPECT_NE(refusalOf(summary.longRate), nullptr);
    const Forecast forecast = valueOf(summary.forecast);
    EXPECT_EQ(forecast.reserveTime, at(2020, 3, 21).addDays(30));
    EXPECT_EQ(forecast.orderTime, at(2020, 3, 21).addDays(20));
    EXPECT_EQ(forecast.strainerTime, at(2020, 3, 21).addDays(45));
}

TEST(Summary, FewerThanTwoReadingsRefuseRatesAndForecasts) {
    const Summary summary =
        summarize(readingsOf({{0, 1000}}), {}, {}, boxLitres, capacity, strainerLitres);
    EXPECT_NE(refusalOf(summary.shortRate), nullptr);
    EXPECT_NE(refusalOf(summary.longRate), nullptr);
    EXPECT_NE(refusalOf(summary.forecast), nullptr);
    EXPECT_NE(refusalOf(summary.litresPerDegreeDay), nullptr);
    EXPECT_NE(refusalOf(summary.degreeDayForecast), nullptr);
}

// --- The receipt check ------------------------------------------------------------

struct ReceiptCase {
    const char* name;
    Delivery delivery;
    std::vector<std::pair<double, double>> readings;  // day, litres
    std::string sentence;                             // empty: refused
};

class ReceiptTest : public ::testing::TestWithParam<ReceiptCase> {};

TEST_P(ReceiptTest, WeighsTheChartAgainstTheReceipt) {
    const ReceiptCase& c = GetParam();
    const Outcome<ReceiptCheck> check = checkReceipt(c.delivery, readingsOf(c.readings), boxLitres);
    if (c.sentence.empty()) {
        EXPECT_NE(refusalOf(check), nullptr);
        return;
    }
    EXPECT_EQ(valueOf(check).sentence.toStdString(), c.sentence);
}

const QDateTime deliveryTime = day(14.5);  // 15 January, noon

INSTANTIATE_TEST_SUITE_P(
    Deliveries, ReceiptTest,
    ::testing::Values(
        ReceiptCase{"Conforming",
                    {deliveryTime, 1000, 1.2, 100.0, 600.0},
                    {},
                    "Livraison du 15/01/2026 : 1\u00a0000 litres au barème pour 1\u00a0000 litres "
                    "facturés, conforme."},
        ReceiptCase{"WithinOnePercent",
                    received(deliveryTime, 1008, 100.0, 600.0),
                    {},
                    "Livraison du 15/01/2026 : 1\u00a0000 litres au barème pour 1\u00a0008 litres "
                    "facturés, conforme."},
        ReceiptCase{"ShortDelivery",
                    received(deliveryTime, 1050, 100.0, 600.0),
                    {},
                    "Livraison du 15/01/2026 : 1\u00a0000 litres au barème pour 1\u00a0050 litres "
                    "facturés, écart de -50 litres (-4,8\u00a0%) : le barème ou la livraison est "
                    "à vérifier."},
        ReceiptCase{"MoreThanBilled",
                    received(deliveryTime, 950, 100.0, 600.0),
                    {},
                    "Livraison du 15/01/2026 : 1\u00a0000 litres au barème pour 950 litres "
                    "facturés, écart de +50 litres (+5,3\u00a0%) : le barème ou la livraison est "
                    "à vérifier."},
        ReceiptCase{"ReadingsWithinAnHour",
                    received(deliveryTime, 700),
                    {{14, 900}, {14.48, 200}, {14.52, 900}, {15, 880}},
                    "Livraison du 15/01/2026 : 700 litres au barème pour 700 litres facturés, "
                    "conforme."},
        ReceiptCase{"ReadingsTooFar", received(deliveryTime, 700), {{14.4, 200}, {14.6, 900}}, ""},
        ReceiptCase{"OnlyOneHeight", received(deliveryTime, 700, 100.0), {}, ""}),
    caseName<ReceiptCase>);

TEST(Summary, ChecksTheDeliveriesThatCanBeChecked) {
    const std::vector<Delivery> deliveries{received(day(3), 500),
                                           received(day(1), 1000, 100.0, 600.0)};
    const Summary summary = summarize(readingsOf(steady(1000, 20, 4)), deliveries, {}, boxLitres,
                                      capacity, strainerLitres);
    ASSERT_EQ(summary.receipts.size(), 1U);
    EXPECT_EQ(summary.receipts[0].time, day(1));
    EXPECT_TRUE(summary.receipts[0].conforming);
}

// --- Degree-days ------------------------------------------------------------------

struct DegreeDayCase {
    const char* name;
    double meanCelsius;
    double degreeDays;
};

class DegreeDayTest : public ::testing::TestWithParam<DegreeDayCase> {};

TEST_P(DegreeDayTest, CountsHowFarTheDayStaysBelowEighteen) {
    EXPECT_EQ(degreeDays(GetParam().meanCelsius), GetParam().degreeDays);
}

INSTANTIATE_TEST_SUITE_P(Days, DegreeDayTest,
                         ::testing::Values(DegreeDayCase{"Cool", 10, 8},
                                           DegreeDayCase{"Freezing", -2, 20},
                                           DegreeDayCase{"AtTheBase", 18, 0},
                                           DegreeDayCase{"Warm", 25, 0}),
                         caseName<DegreeDayCase>);

// January 2026 read every day at 20 litres a day, 1000 litres left on the 31st
// at midnight, with 8 °C every day of it (10 degree-days): 2 litres each.
std::vector<DailyTemperature> january(double celsius) {
    std::vector<DailyTemperature> days;
    for (int i = 0; i < 31; ++i) {
        days.push_back({QDate(2026, 1, 1).addDays(i), celsius});
    }
    return days;
}

struct DegreeDayForecastCase {
    const char* name;
    std::vector<DailyTemperature> earlierSeason;
    double reserveDays;  // after the last reading
    double strainerDays;
    double litresToOrder;
};

class DegreeDayForecastTest : public ::testing::TestWithParam<DegreeDayForecastCase> {};

TEST_P(DegreeDayForecastTest, ExpectsTheDegreeDaysOfEarlierSeasons) {
    const DegreeDayForecastCase& c = GetParam();
    std::vector<DailyTemperature> temperatures = c.earlierSeason;
    const std::vector<DailyTemperature> recent = january(8);
    temperatures.insert(temperatures.end(), recent.begin(), recent.end());
    const Summary summary = summarize(readingsOf(steady(1600, 20, 30)), {}, temperatures, boxLitres,
                                      capacity, strainerLitres);
    EXPECT_NEAR(valueOf(summary.litresPerDegreeDay), 2, 1e-9);
    const Forecast forecast = valueOf(summary.degreeDayForecast);
    const QDateTime last = day(30);
    expectDays(forecast.reserveTime, last, c.reserveDays, "reserve");
    expectDays(forecast.orderTime, last, c.reserveDays - 10, "order");
    expectDays(forecast.strainerTime, last, c.strainerDays, "strainer");
    EXPECT_NEAR(forecast.litresToOrder, c.litresToOrder, 1e-6);
}

// The days of 2025 from 31 January at 13 °C: 5 degree-days, 10 litres a day.
std::vector<DailyTemperature> mildLastYear() {
    std::vector<DailyTemperature> days;
    for (QDate d(2025, 1, 31); d.year() == 2025; d = d.addDays(1)) {
        days.push_back({d, 13});
    }
    return days;
}

INSTANTIATE_TEST_SUITE_P(
    Seasons, DegreeDayForecastTest,
    ::testing::Values(DegreeDayForecastCase{"LastTwoWeeksWithoutEarlierSeasons", {}, 30, 45, 1400},
                      DegreeDayForecastCase{"SameDaysOfEarlierSeasons", mildLastYear(), 60, 90,
                                            1400}),
    caseName<DegreeDayForecastCase>);

TEST(DegreeDays, SummerGivesNoLitresPerDegreeDay) {
    const Summary summary = summarize(readingsOf(steady(1600, 20, 30)), {}, january(20), boxLitres,
                                      capacity, strainerLitres);
    EXPECT_NE(refusalOf(summary.litresPerDegreeDay), nullptr);
    EXPECT_NE(refusalOf(summary.degreeDayForecast), nullptr);
}

// --- The cylinder length of a nominal capacity ---------------------------------------

struct LengthCase {
    const char* name;
    double diameter;
    double capacityLitres;
};

class FlatLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(FlatLengthTest, IsTheCapacityOverTheCrossSection) {
    const LengthCase& c = GetParam();
    TankParameters tank = startUpTank(EndShape::FlatEnds, 1);
    tank.diameter = c.diameter;
    const double radius = c.diameter / 2;
    const double expected = c.capacityLitres * 1e6 / (Pi * radius * radius);
    const double length = valueOf(deduceCylinderLength(tank, c.capacityLitres));
    EXPECT_EQ(std::lround(length), std::lround(expected));
    EXPECT_NEAR(length, expected, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Tanks, FlatLengthTest,
                         ::testing::Values(LengthCase{"ThreeThousandLitres", 1000, 3000},
                                           LengthCase{"FiveThousandLitres", 1500, 5000},
                                           LengthCase{"TenThousandLitres", 2000, 10000}),
                         caseName<LengthCase>);

TEST(DeducedLength, SphericalCapsGiveBackTheirLength) {
    TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    const double capacityLitres = totalVolumeAt(tank, tank.diameter);
    EXPECT_NEAR(valueOf(deduceCylinderLength(tank, capacityLitres)), tank.cylinderLength, 1e-3);
}

TEST(DeducedLength, RefusedWhenTheEndsAloneHoldMore) {
    TankParameters tank = startUpTank(EndShape::SphericalCapEnds, 1);
    tank.cylinderLength = 0;
    const double endsOnly = totalVolumeAt(tank, tank.diameter);
    EXPECT_NE(refusalOf(deduceCylinderLength(tank, endsOnly / 2)), nullptr);
    EXPECT_NE(refusalOf(deduceCylinderLength(tank, 0)), nullptr);
}

}  // namespace
}  // namespace varnelle
