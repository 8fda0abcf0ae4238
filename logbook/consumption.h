#pragma once

// The computations on a tank's logbook (carnet): pure functions on plain
// values, no storage and no hidden tank. The litres at a height always come
// from the caller (in practice the chart library's totalVolumeAt), so the
// same code serves any tank and is tested with a plain box.

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "chart/chart_texts.h"
#include "core/volume.h"
#include "files/refusal.h"

namespace varnelle {

// One oil height read on the dipstick or sent by a sensor, time in UTC.
struct Reading {
    QDateTime time;
    double heightMm = 0.0;
    enum class Source {
        Dipstick,  // "jauge"
        Sensor     // "capteur"
    } source = Source::Dipstick;
};

// One delivery as the receipt gives it, with the heights read just before
// and after it when the owner took them.
struct Delivery {
    QDateTime time;
    double receiptLitres = 0.0;
    std::optional<double> pricePerLitre;
    std::optional<double> heightBeforeMm, heightAfterMm;
};

// The mean outdoor temperature of one day.
struct DailyTemperature {
    QDate day;
    double meanCelsius = 0.0;
};

// The litres in the tank with the oil at a height (mm): the caller's tank.
using LitresAt = std::function<double(double heightMm)>;

// "03/11/2026": the day of `time` where the user is, as the sentences write it.
QString frenchDayText(const QDateTime& time);

// The chart's litres of `tank` (totalVolumeAt), each height computed once:
// a carnet's readings come back to a few hundred heights (whole millimetres
// from a dipstick, centimetres from a sensor), each an integration.
// `known` holds litres already computed for this tank (height, litres): the
// litres stored with the readings.
LitresAt chartLitresAt(const TankParameters& tank,
                       const std::vector<std::pair<double, double>>& known = {});

// A reading with its litres.
struct LitresReading {
    QDateTime time;
    double heightMm = 0.0;
    double litres = 0.0;
};

// The readings by time, each with its litres.
std::vector<LitresReading> litresOfReadings(const std::vector<Reading>& readings,
                                            const LitresAt& litresAt);

// The litres a delivery brought: the chart's litres between the heights read
// before and after it when both were read, else the receipt's.
double deliveredLitres(const Delivery& delivery, const LitresAt& litresAt);

// A rise no larger than this between two readings is taken for the play of
// the dipstick or the sensor; a larger one that no delivery explains is a
// delivery found in the readings.
inline constexpr double readingNoiseLitres = 50;
// A fall within a day of more than this many times the daily use of the
// shortRateDays before it is said as a possible leak or theft. A fall within
// the play of the readings (readingNoiseLitres) never is: in summer, when
// little is used, the play alone would otherwise raise the alarm.
inline constexpr double alertFactor = 4;
inline constexpr int shortRateDays = 14;
inline constexpr int longRateDays = 30;

// The use between two consecutive readings.
struct Interval {
    QDateTime start, end;
    double startLitres = 0, endLitres = 0;
    double deliveredLitres = 0;  // recorded deliveries after start, up to end
    double foundLitres = 0;      // a delivery found in the readings, or 0
    double usedLitres = 0;       // never negative
    // A small rise (up to readingNoiseLitres) that no delivery explains: the
    // play of the readings, taken back from the use of a longer span so that
    // the noise of the readings does not add up.
    double noiseLitres = 0;
    // The use as the readings say it, the noise included: usedLitres - noiseLitres.
    double netLitres() const { return usedLitres - noiseLitres; }
};

// A delivery that no receipt records, seen as a rise of the oil.
struct FoundDelivery {
    QDateTime start, end;  // the readings around it
    double litres = 0;     // the rise plus the use at the rate of the days before
};

// A fall too large for the usual use: a leak or a theft.
struct Alert {
    QDateTime start, end;
    double litres = 0;
    QString sentence;
};

struct ConsumptionHistory {
    std::vector<LitresReading> readings;  // by time
    std::vector<Interval> intervals;      // intervals[i] from readings[i] to readings[i + 1]
    std::vector<FoundDelivery> found;
    std::vector<Alert> alerts;
};

ConsumptionHistory consumptionHistory(const std::vector<Reading>& readings,
                                      const std::vector<Delivery>& deliveries,
                                      const LitresAt& litresAt);

// Litres per day up to readings[endIndex]: the use since the last reading at
// least `days` days older, divided by the time between them. Refused when
// there is no such reading.
Outcome<double> dailyRate(const ConsumptionHistory& history, std::size_t endIndex, int days);
// The same, up to the last reading.
Outcome<double> dailyRate(const ConsumptionHistory& history, int days);

struct MonthUse {
    int year = 0;
    int month = 0;  // 1 to 12
    double litres = 0;
};

// A heating season runs from 1 July to 30 June; it is named by the year it starts.
struct SeasonUse {
    int startYear = 0;
    double litres = 0;
};

// Each interval's use spread over the time it covers, pro rata (UTC days).
std::vector<MonthUse> monthlyUse(const ConsumptionHistory& history);
std::vector<SeasonUse> seasonalUse(const ConsumptionHistory& history);

inline constexpr double defaultReservePercent = 20;
inline constexpr int defaultOrderDelayDays = 10;

struct ForecastOptions {
    double reservePercent = defaultReservePercent;  // of the capacity
    int orderDelayDays = defaultOrderDelayDays;
    double fillPercent = defaultFillPercent;  // of the capacity
};

// When the oil reaches the strainer and the reserve, when to order, and how
// much. A time before the last reading means: already there.
struct Forecast {
    QDateTime strainerTime;
    QDateTime reserveTime;
    QDateTime orderTime;       // the reserve's time less the delay
    double litresToOrder = 0;  // up to the fill limit, for the oil the order arrives to
};

// No forecast reaches further than this after the last reading.
inline constexpr int forecastHorizonDays = 3 * 366;

// From the last reading at `litresPerDay`; refused when the rate says no use,
// or so little that neither the reserve nor the strainer is reached within
// forecastHorizonDays.
Outcome<Forecast> forecastAtRate(const LitresReading& last, double litresPerDay, double capacity,
                                 double strainerLitres, const ForecastOptions& options = {});

// The chart's litres against the receipt's for one delivery.
struct ReceiptCheck {
    QDateTime time;
    double chartLitres = 0;
    double receiptLitres = 0;
    double gapLitres = 0;     // chart less receipt
    double gapPercent = 0;    // of the receipt
    bool conforming = false;  // within receiptTolerancePercent
    QString sentence;
};

inline constexpr double receiptTolerancePercent = 1;
// Readings this close to a delivery stand for the heights before and after it.
inline constexpr int receiptReadingWindowSeconds = 3600;

// Refused when neither the heights nor readings close enough are there.
Outcome<ReceiptCheck> checkReceipt(const Delivery& delivery, const std::vector<Reading>& readings,
                                   const LitresAt& litresAt);

// Heating needed on a day: how far its mean stays below 18 °C.
inline constexpr double degreeDayBaseCelsius = 18;
double degreeDays(double meanCelsius);

// Litres per degree-day over the days of the last `longRateDays` before the
// last reading that have a temperature. Refused without such days or warmth.
Outcome<double> litresPerDegreeDay(const ConsumptionHistory& history,
                                   const std::vector<DailyTemperature>& temperatures);

// The degree-days expected on a coming day: the average of the same calendar
// day in the earlier seasons recorded, else of the last 14 days recorded.
std::optional<double> expectedDegreeDays(const QDate& day,
                                         const std::vector<DailyTemperature>& temperatures,
                                         const QDate& lastReadingDay);

// The forecast at `litresPerDegreeDay` times the expected degree-days of each
// coming day. Refused when the use never reaches the reserve within forecastHorizonDays.
Outcome<Forecast> forecastByDegreeDays(const LitresReading& last, double litresPerDegreeDay,
                                       const std::vector<DailyTemperature>& temperatures,
                                       double capacity, double strainerLitres,
                                       const ForecastOptions& options = {});

// The cylinder length that gives `capacityLitres` with the other measures of
// `tank`, to the thousandth of a millimetre, by halving on the chart's full
// tank. Refused when the ends alone hold more, or no length up to 1 000 m does.
Outcome<double> deduceCylinderLength(TankParameters tank, double capacityLitres);

// Everything the command line and the window show of a logbook.
struct Summary {
    ConsumptionHistory history;
    Outcome<double> shortRate = Refusal{};  // litres per day, shortRateDays
    Outcome<double> longRate = Refusal{};   // litres per day, longRateDays
    std::vector<MonthUse> months;
    std::vector<SeasonUse> seasons;
    Outcome<Forecast> forecast = Refusal{};
    std::vector<ReceiptCheck> receipts;  // the deliveries that can be checked
    Outcome<double> litresPerDegreeDay = Refusal{};
    Outcome<Forecast> degreeDayForecast = Refusal{};
};

Summary summarize(const std::vector<Reading>& readings, const std::vector<Delivery>& deliveries,
                  const std::vector<DailyTemperature>& temperatures, const LitresAt& litresAt,
                  double capacity, double strainerLitres, const ForecastOptions& options = {});

}  // namespace varnelle
