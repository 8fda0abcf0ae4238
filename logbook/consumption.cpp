#include "logbook/consumption.h"

#include <QTime>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"

namespace varnelle {
namespace {

constexpr double secondsPerDay = 86400;
constexpr qint64 msecsPerDay = 86400000;
constexpr std::size_t mostRememberedHeights = 20'000;

// The sentences of the logbook are French, as the window shows them.
const OutputConventions french{QChar(','), QChar(';'), QString(QChar(0x00A0))};

double daysBetween(const QDateTime& from, const QDateTime& to) {
    return static_cast<double>(from.msecsTo(to)) / msecsPerDay;
}

QDateTime afterDays(const QDateTime& from, double days) {
    return from.addMSecs(static_cast<qint64>(std::llround(days * msecsPerDay)));
}

QString wholeLitres(double litres) {
    return french.number(std::round(litres), 0, 0) + QStringLiteral(" litres");
}

QString signedText(const QString& text, double value) {
    return value > 0 ? QStringLiteral("+") + text : text;
}

QDateTime midnight(const QDate& day) {
    return QDateTime(day, QTime(0, 0), Qt::UTC);
}

template <typename T>
std::vector<T> byTime(std::vector<T> items) {
    // Compared as milliseconds: comparing QDateTimes costs a time-zone
    // conversion each time, and a carnet gives its readings already in order.
    std::vector<std::pair<qint64, std::size_t>> keys;
    keys.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        keys.emplace_back(items[i].time.toMSecsSinceEpoch(), i);
    }
    if (std::is_sorted(keys.begin(), keys.end())) {
        return items;
    }
    std::sort(keys.begin(), keys.end());  // the index keeps equal times in their order
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& key : keys) {
        sorted.push_back(std::move(items[key.second]));
    }
    return sorted;
}

// The litres of the deliveries after `start` up to `end`.
double deliveredBetween(const std::vector<Delivery>& deliveries, const QDateTime& start,
                        const QDateTime& end, const LitresAt& litresAt) {
    double litres = 0;
    for (const Delivery& delivery : deliveries) {
        if (start < delivery.time && delivery.time <= end) {
            litres += deliveredLitres(delivery, litresAt);
        }
    }
    return litres;
}

QString alertSentence(const Interval& interval) {
    return QStringLiteral(
               "Le %1, le niveau a baissé de %2 en moins d'un jour, plus de %3 fois "
               "la consommation habituelle : fuite ou vol ?")
        .arg(frenchDayText(interval.end), wholeLitres(interval.usedLitres),
             french.number(alertFactor));
}

// The fall of `interval`, within a day, beyond the usual use and beyond the
// play of the readings.
bool isAlarming(const Interval& interval, const Outcome<double>& usualRate) {
    const double* rate = std::get_if<double>(&usualRate);
    return rate != nullptr && daysBetween(interval.start, interval.end) <= 1 &&
           interval.usedLitres > readingNoiseLitres && interval.usedLitres > alertFactor * *rate;
}

// One interval, the rate of the days before it known from the history so far.
Interval intervalBetween(const LitresReading& a, const LitresReading& b, double delivered,
                         const Outcome<double>& rateBefore) {
    Interval interval{a.time, b.time, a.litres, b.litres, delivered};
    const double net = a.litres + delivered - b.litres;
    if (-net > readingNoiseLitres) {
        const double* rate = std::get_if<double>(&rateBefore);
        interval.usedLitres = rate != nullptr ? *rate * daysBetween(a.time, b.time) : 0;
        interval.foundLitres = -net + interval.usedLitres;
    } else if (net < 0) {
        interval.noiseLitres = -net;
    } else {
        interval.usedLitres = net;
    }
    return interval;
}

// The UTC day a time falls in, counted from 1 January 1970 (negative before).
qint64 utcDayNumber(qint64 msecs) {
    return msecs >= 0 ? msecs / msecsPerDay : -((-msecs + msecsPerDay - 1) / msecsPerDay);
}

// Each interval's net use within [from, to], spread pro rata over the UTC days.
// Ten years of hourly readings go through here: the times are taken as
// milliseconds, and the days as numbers, until the end.
std::map<QDate, double> useByDay(const ConsumptionHistory& history, const QDateTime& from,
                                 const QDateTime& to) {
    const qint64 fromMs = from.toMSecsSinceEpoch();
    const qint64 toMs = to.toMSecsSinceEpoch();
    std::map<qint64, double> byNumber;
    const auto add = [&byNumber](qint64 day, double litres) {
        if (!byNumber.empty() && std::prev(byNumber.end())->first == day) {
            std::prev(byNumber.end())->second += litres;  // the intervals come in time order
        } else {
            byNumber[day] += litres;
        }
    };
    for (const Interval& interval : history.intervals) {
        const qint64 intervalStart = interval.start.toMSecsSinceEpoch();
        const qint64 intervalEnd = interval.end.toMSecsSinceEpoch();
        const qint64 start = std::max(intervalStart, fromMs);
        const qint64 end = std::min(intervalEnd, toMs);
        if (start > end) {
            continue;
        }
        const auto length = static_cast<double>(intervalEnd - intervalStart);
        if (length == 0) {
            add(utcDayNumber(start), interval.netLitres());
            continue;
        }
        for (qint64 cursor = start; cursor < end;) {
            const qint64 day = utcDayNumber(cursor);
            const qint64 next = std::min((day + 1) * msecsPerDay, end);
            add(day, interval.netLitres() * static_cast<double>(next - cursor) / length);
            cursor = next;
        }
    }
    std::map<QDate, double> days;
    const QDate epoch(1970, 1, 1);
    for (const auto& [number, litres] : byNumber) {
        days.emplace_hint(days.end(), epoch.addDays(number), litres);
    }
    return days;
}

std::map<std::pair<int, int>, double> useByMonth(const ConsumptionHistory& history) {
    std::map<std::pair<int, int>, double> months;
    if (history.readings.empty()) {
        return months;
    }
    for (const auto& [day, litres] :
         useByDay(history, history.readings.front().time, history.readings.back().time)) {
        months[{day.year(), day.month()}] += litres;
    }
    return months;
}

// The share of `day` that lies within [from, to].
double dayShare(const QDate& day, const QDateTime& from, const QDateTime& to) {
    const QDateTime start = std::max(midnight(day), from);
    const QDateTime end = std::min(midnight(day.addDays(1)), to);
    return start < end ? daysBetween(start, end) : 0;
}

using Temperatures = std::map<QDate, double>;

Temperatures temperatureMap(const std::vector<DailyTemperature>& temperatures) {
    Temperatures map;
    for (const DailyTemperature& t : temperatures) {
        map[t.day] = t.meanCelsius;
    }
    return map;
}

// The temperatures recorded, by date and by calendar day, for the degree-days
// expected on coming days.
class DegreeDayRecords {
  public:
    explicit DegreeDayRecords(const std::vector<DailyTemperature>& temperatures)
        : recorded_(temperatureMap(temperatures)) {
        for (const auto& [day, celsius] : recorded_) {
            byCalendarDay_[{day.month(), day.day()}].push_back({day.year(), degreeDays(celsius)});
        }
    }

    std::optional<double> expected(const QDate& day, const QDate& lastReadingDay) const {
        double sum = 0;
        int count = 0;
        const auto sameDays = byCalendarDay_.find({day.month(), day.day()});
        if (sameDays != byCalendarDay_.end()) {
            for (const auto& [year, degrees] : sameDays->second) {
                if (year < day.year()) {
                    sum += degrees;
                    ++count;
                }
            }
        }
        if (count > 0) {
            return sum / count;
        }
        for (auto it = recorded_.lower_bound(lastReadingDay.addDays(1 - shortRateDays));
             it != recorded_.end() && it->first <= lastReadingDay; ++it) {
            sum += degreeDays(it->second);
            ++count;
        }
        return count > 0 ? std::optional<double>(sum / count) : std::nullopt;
    }

  private:
    Temperatures recorded_;
    std::map<std::pair<int, int>, std::vector<std::pair<int, double>>> byCalendarDay_;
};

// The oil the order arrives to, never below what the strainer leaves.
double litresToOrder(const LitresReading& last, const std::function<double(double)>& litresAfter,
                     const QDateTime& orderTime, double capacity, double strainerLitres,
                     const ForecastOptions& options) {
    const QDateTime arrival = afterDays(std::max(orderTime, last.time), options.orderDelayDays);
    const double floor = std::min(last.litres, strainerLitres);
    const double atArrival = std::max(litresAfter(daysBetween(last.time, arrival)), floor);
    return std::max(0.0, capacity * options.fillPercent / 100 - atArrival);
}

// The net litres used from the first reading up to each reading: the use
// between two readings is the difference of theirs, whatever the number of
// readings between them (a sensor may send one every few minutes).
std::vector<double> cumulativeUse(const std::vector<Interval>& intervals) {
    std::vector<double> cumulative(1, 0.0);  // nothing used at the first reading
    cumulative.reserve(intervals.size() + 1);
    for (const Interval& interval : intervals) {
        cumulative.push_back(cumulative.back() + interval.netLitres());
    }
    return cumulative;
}

Outcome<double> rateUpTo(const std::vector<LitresReading>& readings,
                         const std::vector<double>& cumulative, std::size_t endIndex, int days) {
    const auto refusal = [days] {
        return Refusal{QString(),
                       QStringLiteral("Il faut deux relevés à au moins %1 jours d'écart pour une "
                                      "consommation par jour.")
                           .arg(days)};
    };
    if (days < 1 || endIndex >= readings.size() || endIndex >= cumulative.size()) {
        return refusal();
    }
    // Asked for every interval of ten years of readings: times compared as
    // milliseconds (UTC, where a day is always 86 400 s).
    const qint64 end = readings[endIndex].time.toMSecsSinceEpoch();
    const qint64 latestStart = end - days * msecsPerDay;
    const auto first = readings.begin();
    const auto after = std::upper_bound(first, first + static_cast<std::ptrdiff_t>(endIndex) + 1,
                                        latestStart, [](qint64 time, const LitresReading& reading) {
                                            return time < reading.time.toMSecsSinceEpoch();
                                        });
    if (after == first) {
        return refusal();
    }
    const auto start = static_cast<std::size_t>(after - first - 1);
    const double used = cumulative[endIndex] - cumulative[start];
    return std::max(0.0, used) / daysBetween(readings[start].time, readings[endIndex].time);
}

Refusal noUseRefusal() {
    return Refusal{QString(), QStringLiteral("Aucune consommation relevée : pas de prévision.")};
}

Refusal beyondHorizonRefusal() {
    return Refusal{QString(), QStringLiteral("À cette consommation, la réserve et la crépine "
                                             "sont à plus de trois ans : pas de prévision.")};
}

}  // namespace

QString frenchDayText(const QDateTime& time) {
    return time.toLocalTime().date().toString(QStringLiteral("dd/MM/yyyy"));
}

LitresAt chartLitresAt(const TankParameters& tank,
                       const std::vector<std::pair<double, double>>& computed) {
    auto known =
        std::make_shared<std::unordered_map<double, double>>(computed.begin(), computed.end());
    return [tank, known](double heightMm) {
        const auto found = known->find(heightMm);
        if (found != known->end()) {
            return found->second;
        }
        const double litres = totalVolumeAt(tank, heightMm);
        // A stream of a sensor that reads to the tenth of a millimetre meets
        // ever new heights: the memory kept stays bounded (about a megabyte).
        if (known->size() < mostRememberedHeights) {
            known->emplace(heightMm, litres);
        }
        return litres;
    };
}

std::vector<LitresReading> litresOfReadings(const std::vector<Reading>& readings,
                                            const LitresAt& litresAt) {
    std::vector<LitresReading> result;
    result.reserve(readings.size());
    for (const Reading& reading : byTime(readings)) {
        result.push_back({reading.time, reading.heightMm, litresAt(reading.heightMm)});
    }
    return result;
}

double deliveredLitres(const Delivery& delivery, const LitresAt& litresAt) {
    if (delivery.heightBeforeMm && delivery.heightAfterMm) {
        return litresAt(*delivery.heightAfterMm) - litresAt(*delivery.heightBeforeMm);
    }
    return delivery.receiptLitres;
}

ConsumptionHistory consumptionHistory(const std::vector<Reading>& readings,
                                      const std::vector<Delivery>& deliveries,
                                      const LitresAt& litresAt) {
    ConsumptionHistory history;
    history.readings = litresOfReadings(readings, litresAt);
    std::vector<double> cumulative(1, 0.0);  // nothing used at the first reading
    for (std::size_t i = 0; i + 1 < history.readings.size(); ++i) {
        const LitresReading& a = history.readings[i];
        const LitresReading& b = history.readings[i + 1];
        const double delivered = deliveredBetween(deliveries, a.time, b.time, litresAt);
        // The usual rate tells a found delivery's use and an alert, and
        // matters only beyond the play of the readings: ten years of hourly
        // readings need it a few hundred times rather than 87 600.
        const bool beyondNoise = std::abs(a.litres + delivered - b.litres) > readingNoiseLitres;
        const Outcome<double> rateBefore =
            beyondNoise ? rateUpTo(history.readings, cumulative, i, shortRateDays)
                        : Outcome<double>(Refusal{});
        const Interval interval = intervalBetween(a, b, delivered, rateBefore);
        if (interval.foundLitres > 0) {
            history.found.push_back({a.time, b.time, interval.foundLitres});
        }
        if (isAlarming(interval, rateBefore)) {
            history.alerts.push_back(
                {a.time, b.time, interval.usedLitres, alertSentence(interval)});
        }
        history.intervals.push_back(interval);
        cumulative.push_back(cumulative.back() + interval.netLitres());
    }
    return history;
}

Outcome<double> dailyRate(const ConsumptionHistory& history, std::size_t endIndex, int days) {
    return rateUpTo(history.readings, cumulativeUse(history.intervals), endIndex, days);
}

Outcome<double> dailyRate(const ConsumptionHistory& history, int days) {
    if (history.readings.empty()) {
        return dailyRate(history, 0, days);
    }
    return dailyRate(history, history.readings.size() - 1, days);
}

std::vector<MonthUse> monthlyUse(const ConsumptionHistory& history) {
    const std::map<std::pair<int, int>, double> byMonth = useByMonth(history);
    std::vector<MonthUse> months;
    months.reserve(byMonth.size());
    for (const auto& [month, litres] : byMonth) {
        months.push_back({month.first, month.second, std::max(0.0, litres)});
    }
    return months;
}

std::vector<SeasonUse> seasonalUse(const ConsumptionHistory& history) {
    std::map<int, double> seasons;
    for (const auto& [month, litres] : useByMonth(history)) {
        seasons[month.second >= 7 ? month.first : month.first - 1] += litres;
    }
    std::vector<SeasonUse> result;
    result.reserve(seasons.size());
    for (const auto& [startYear, litres] : seasons) {
        result.push_back({startYear, std::max(0.0, litres)});
    }
    return result;
}

Outcome<Forecast> forecastAtRate(const LitresReading& last, double litresPerDay, double capacity,
                                 double strainerLitres, const ForecastOptions& options) {
    if (!(litresPerDay > 0)) {
        return noUseRefusal();
    }
    const double reserveLitres = capacity * options.reservePercent / 100;
    const double daysToReserve = (last.litres - reserveLitres) / litresPerDay;
    const double daysToStrainer = (last.litres - strainerLitres) / litresPerDay;
    // So little use says nothing of the coming years, and would give dates
    // past what a date can hold.
    if (std::min(daysToReserve, daysToStrainer) > forecastHorizonDays) {
        return beyondHorizonRefusal();
    }
    Forecast forecast;
    forecast.strainerTime = afterDays(last.time, (last.litres - strainerLitres) / litresPerDay);
    forecast.reserveTime = afterDays(last.time, (last.litres - reserveLitres) / litresPerDay);
    forecast.orderTime = forecast.reserveTime.addDays(-options.orderDelayDays);
    forecast.litresToOrder = litresToOrder(
        last, [&](double days) { return last.litres - litresPerDay * days; }, forecast.orderTime,
        capacity, strainerLitres, options);
    return forecast;
}

namespace {

// The receipt check on readings already in time order: only those within
// the hour either side are looked at.
Outcome<ReceiptCheck> checkReceiptInOrder(const Delivery& delivery,
                                          const std::vector<Reading>& readings,
                                          const LitresAt& litresAt) {
    std::optional<double> before = delivery.heightBeforeMm;
    std::optional<double> after = delivery.heightAfterMm;
    const QDateTime earliest = delivery.time.addSecs(-receiptReadingWindowSeconds);
    const QDateTime latest = delivery.time.addSecs(receiptReadingWindowSeconds);
    const auto first = std::lower_bound(
        readings.begin(), readings.end(), earliest,
        [](const Reading& reading, const QDateTime& time) { return reading.time < time; });
    const auto last = std::upper_bound(
        first, readings.end(), latest,
        [](const QDateTime& time, const Reading& reading) { return time < reading.time; });
    for (auto reading = first; reading != last; ++reading) {
        if (!delivery.heightBeforeMm && earliest <= reading->time &&
            reading->time < delivery.time) {
            before = reading->heightMm;  // the last one before the delivery
        }
        if (!after && delivery.time <= reading->time && reading->time <= latest) {
            after = reading->heightMm;  // the first one after it
        }
    }
    if (!before || !after || !(delivery.receiptLitres > 0)) {
        return Refusal{QString(), QStringLiteral("Livraison du %1 : pas de hauteurs avant et "
                                                 "après pour vérifier le bon de livraison.")
                                      .arg(frenchDayText(delivery.time))};
    }
    ReceiptCheck check;
    check.time = delivery.time;
    check.chartLitres = litresAt(*after) - litresAt(*before);
    check.receiptLitres = delivery.receiptLitres;
    check.gapLitres = check.chartLitres - check.receiptLitres;
    check.gapPercent = check.gapLitres / check.receiptLitres * 100;
    check.conforming = std::abs(check.gapPercent) <= receiptTolerancePercent;
    const QString measured = QStringLiteral("Livraison du %1 : %2 au barème pour %3 facturés")
                                 .arg(frenchDayText(delivery.time), wholeLitres(check.chartLitres),
                                      wholeLitres(check.receiptLitres));
    check.sentence =
        check.conforming
            ? measured + QStringLiteral(", conforme.")
            : measured +
                  QStringLiteral(
                      ", écart de %1 (%2\u00A0%) : le barème ou la livraison est "
                      "à vérifier.")
                      .arg(signedText(wholeLitres(check.gapLitres), check.gapLitres),
                           signedText(french.number(check.gapPercent, 0, 1), check.gapPercent));
    return check;
}

}  // namespace

Outcome<ReceiptCheck> checkReceipt(const Delivery& delivery, const std::vector<Reading>& readings,
                                   const LitresAt& litresAt) {
    return checkReceiptInOrder(delivery, byTime(readings), litresAt);
}

double degreeDays(double meanCelsius) {
    return std::max(0.0, degreeDayBaseCelsius - meanCelsius);
}

Outcome<double> litresPerDegreeDay(const ConsumptionHistory& history,
                                   const std::vector<DailyTemperature>& temperatures) {
    const Refusal refusal{QString(), QStringLiteral("Pas de degrés-jours relevés sur les %1 "
                                                    "derniers jours : pas de litres par "
                                                    "degré-jour.")
                                         .arg(longRateDays)};
    if (history.readings.size() < 2) {
        return refusal;
    }
    const QDateTime to = history.readings.back().time;
    const QDateTime from = std::max(history.readings.front().time, to.addDays(-longRateDays));
    const std::map<QDate, double> use = useByDay(history, from, to);
    double litres = 0;
    double heating = 0;
    for (const auto& [day, celsius] : temperatureMap(temperatures)) {
        const double share = dayShare(day, from, to);
        if (share > 0) {
            heating += degreeDays(celsius) * share;
            const auto found = use.find(day);
            litres += found != use.end() ? found->second : 0;
        }
    }
    if (!(heating > 0)) {
        return refusal;
    }
    return std::max(0.0, litres) / heating;
}

std::optional<double> expectedDegreeDays(const QDate& day,
                                         const std::vector<DailyTemperature>& temperatures,
                                         const QDate& lastReadingDay) {
    return DegreeDayRecords(temperatures).expected(day, lastReadingDay);
}

namespace {

// The oil day by day from the last reading, at the expected degree-days.
class DegreeDayPath {
  public:
    static constexpr int horizonDays = forecastHorizonDays;

    DegreeDayPath(const LitresReading& last, double litresPerDegreeDay,
                  const std::vector<DailyTemperature>& temperatures)
        : last_(last) {
        const DegreeDayRecords recorded(temperatures);
        const QDate lastDay = last.time.toUTC().date();
        QDateTime cursor = last.time;
        for (int i = 0; i <= horizonDays; ++i) {
            const QDate day = lastDay.addDays(i);
            const std::optional<double> expected = recorded.expected(day, lastDay);
            if (!expected) {
                return;
            }
            const QDateTime next = midnight(day.addDays(1));
            steps_.push_back({cursor, next, litresPerDegreeDay * *expected});
            cursor = next;
        }
    }

    bool empty() const { return steps_.empty(); }

    // When the oil comes down to `litres`; nothing beyond the horizon.
    std::optional<QDateTime> timeReaching(double litres) const {
        if (last_.litres <= litres) {
            return last_.time;
        }
        double oil = last_.litres;
        for (const Step& step : steps_) {
            const double used = step.litresPerDay * daysBetween(step.start, step.end);
            if (oil - used <= litres) {
                return afterDays(step.start, (oil - litres) / step.litresPerDay);
            }
            oil -= used;
        }
        return std::nullopt;
    }

    double litresAfter(double days) const {
        const QDateTime when = afterDays(last_.time, days);
        double oil = last_.litres;
        for (const Step& step : steps_) {
            const QDateTime end = std::min(step.end, when);
            if (end <= step.start) {
                break;
            }
            oil -= step.litresPerDay * daysBetween(step.start, end);
        }
        return oil;
    }

  private:
    struct Step {
        QDateTime start, end;
        double litresPerDay;
    };
    LitresReading last_;
    std::vector<Step> steps_;
};

}  // namespace

Outcome<Forecast> forecastByDegreeDays(const LitresReading& last, double litresPerDegreeDay,
                                       const std::vector<DailyTemperature>& temperatures,
                                       double capacity, double strainerLitres,
                                       const ForecastOptions& options) {
    if (!(litresPerDegreeDay > 0)) {
        return noUseRefusal();
    }
    const DegreeDayPath path(last, litresPerDegreeDay, temperatures);
    const std::optional<QDateTime> strainer = path.timeReaching(strainerLitres);
    const std::optional<QDateTime> reserve =
        path.timeReaching(capacity * options.reservePercent / 100);
    if (!strainer || !reserve) {
        return Refusal{QString(),
                       QStringLiteral("Les températures relevées ne permettent pas de prévoir "
                                      "la consommation.")};
    }
    Forecast forecast;
    forecast.strainerTime = *strainer;
    forecast.reserveTime = *reserve;
    forecast.orderTime = reserve->addDays(-options.orderDelayDays);
    forecast.litresToOrder = litresToOrder(
        last, [&](double days) { return path.litresAfter(days); }, forecast.orderTime, capacity,
        strainerLitres, options);
    return forecast;
}

Outcome<double> deduceCylinderLength(TankParameters tank, double capacityLitres) {
    constexpr double longest = 1e6;  // mm, the window's limit for any measure
    constexpr double tolerance = 1e-3;
    const auto fullAt = [&tank](double length) {
        tank.cylinderLength = length;
        return totalVolumeAt(tank, tank.diameter);
    };
    if (!(capacityLitres > 0) || !(tank.diameter > 0)) {
        return Refusal{QString(), QStringLiteral("La capacité et le diamètre doivent être "
                                                 "positifs pour trouver la longueur.")};
    }
    if (fullAt(0) > capacityLitres) {
        return Refusal{QString(), QStringLiteral("Les extrémités seules contiennent plus que "
                                                 "la capacité : aucune longueur ne convient.")};
    }
    if (fullAt(longest) < capacityLitres) {
        return Refusal{QString(), QStringLiteral("Aucune longueur jusqu'à 1000000 mm ne donne "
                                                 "cette capacité.")};
    }
    double low = 0;
    double high = longest;
    while (high - low > tolerance) {
        const double middle = (low + high) / 2;
        (fullAt(middle) < capacityLitres ? low : high) = middle;
    }
    return (low + high) / 2;
}

Summary summarize(const std::vector<Reading>& readings, const std::vector<Delivery>& deliveries,
                  const std::vector<DailyTemperature>& temperatures, const LitresAt& litresAt,
                  double capacity, double strainerLitres, const ForecastOptions& options) {
    Summary summary;
    summary.history = consumptionHistory(readings, deliveries, litresAt);
    summary.shortRate = dailyRate(summary.history, shortRateDays);
    summary.longRate = dailyRate(summary.history, longRateDays);
    summary.months = monthlyUse(summary.history);
    summary.seasons = seasonalUse(summary.history);
    const LitresReading* last =
        summary.history.readings.empty() ? nullptr : &summary.history.readings.back();
    if (const double* rate = std::get_if<double>(&summary.shortRate)) {
        summary.forecast = forecastAtRate(*last, *rate, capacity, strainerLitres, options);
    } else {
        summary.forecast = std::get<Refusal>(summary.shortRate);
    }
    const std::vector<Reading> inOrder = byTime(readings);
    for (const Delivery& delivery : byTime(deliveries)) {
        const Outcome<ReceiptCheck> check = checkReceiptInOrder(delivery, inOrder, litresAt);
        if (const ReceiptCheck* done = std::get_if<ReceiptCheck>(&check)) {
            summary.receipts.push_back(*done);
        }
    }
    summary.litresPerDegreeDay = litresPerDegreeDay(summary.history, temperatures);
    if (const double* perDegreeDay = std::get_if<double>(&summary.litresPerDegreeDay)) {
        summary.degreeDayForecast = forecastByDegreeDays(*last, *perDegreeDay, temperatures,
                                                         capacity, strainerLitres, options);
    } else {
        summary.degreeDayForecast = std::get<Refusal>(summary.litresPerDegreeDay);
    }
    return summary;
}

}  // namespace varnelle
