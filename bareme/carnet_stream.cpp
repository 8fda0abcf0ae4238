#include "carnet_stream.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "bareme/carnet_commands.h"
#include "chart/tank_chart.h"
#include "logbook/carnet_time.h"

namespace varnelle {
namespace {

// The readings kept in memory: the 14-day rate at the last reading, and the
// 14-day rates before the rises within it (a delivery found in the readings
// is told from the use by them), with a few days to spare.
constexpr int recentDays = 31;

// Heights read from a distance come through a subtraction: a move of 2 mm
// may arrive as 1.9999999999 mm.
constexpr double heightPlay = 1e-9;

template <typename T>
std::optional<Refusal> refusalIn(const Outcome<T>& outcome) {
    const Refusal* refused = refusalOf(outcome);
    return refused != nullptr ? std::optional<Refusal>(*refused) : std::nullopt;
}

}  // namespace

bool keepsReading(const std::optional<Reading>& lastKept, const QDateTime& time, double heightMm) {
    if (!lastKept) {
        return true;
    }
    const qint64 elapsed = lastKept->time.msecsTo(time);
    if (elapsed <= 0) {
        return false;
    }
    return elapsed >= keptReadingSeconds * 1000 ||
           std::abs(heightMm - lastKept->heightMm) >= keptReadingMoveMm - heightPlay;
}

Outcome<QDateTime> streamReadingTime(const std::optional<QString>& lineTime, const QDateTime& now) {
    if (!lineTime) {
        return QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch(), Qt::UTC);
    }
    return readTime(*lineTime, now);
}

CarnetRecorder::CarnetRecorder(CarnetStore&& store, const TankParameters& tank,
                               const ForecastOptions& options)
    : store_(std::move(store)),
      options_(options),
      litresAt_(chartLitresAt(tank)),
      capacity_(totalVolumeAt(tank, tank.diameter)),
      strainerLitres_(litresAt_(tank.strainerHeight)) {}

Outcome<CarnetRecorder> CarnetRecorder::open(const BaremeRequest& request) {
    Outcome<CarnetStore> opened = carnetForWriting(request.carnet, request.description.tank);
    if (const Refusal* refused = refusalOf(opened)) {
        return *refused;
    }
    auto& store = std::get<CarnetStore>(opened);
    // The stream writes a line once its reading is committed: a kill -9
    // loses no reading whose line was written. Only a power cut may take
    // back the last ones, which the sensor sends again within minutes.
    if (const std::optional<Refusal> refused =
            store.setDurability(CarnetStore::Durability::ProgramEnd)) {
        return *refused;
    }
    CarnetRecorder recorder(std::move(store), request.description.tank, request.carnet.forecast);
    if (const std::optional<Refusal> refused = recorder.readRecentWeeks()) {
        return *refused;
    }
    return Outcome<CarnetRecorder>(std::move(recorder));
}

Outcome<RecordedReading> CarnetRecorder::record(const QDateTime& time, double heightMm,
                                                double litres) {
    if (const std::optional<Refusal> refused = readAgainIfChangedByOthers()) {
        return *refused;
    }
    RecordedReading recorded;
    std::optional<Reading> lastKept;
    if (!recent_.readings.empty()) {
        const LitresReading& last = recent_.readings.back();
        lastKept = Reading{last.time, last.heightMm, Reading::Source::Sensor};
    }
    if (keepsReading(lastKept, time, heightMm)) {
        const Reading reading{time, heightMm, Reading::Source::Sensor};
        if (const std::optional<Refusal> refused = store_.addReading(reading, litres)) {
            return *refused;
        }
        remember(reading);
        recorded.kept = true;
    }
    recorded.orderTime = orderTime_;
    return recorded;
}

// The mark is read before the readings, so that a change made while they are
// read is seen at the next reading.
std::optional<Refusal> CarnetRecorder::readRecentWeeks() {
    const Outcome<qint64> mark = store_.othersChangeMark();
    const Outcome<std::optional<StoredReading>> last = store_.lastReading();
    if (std::optional<Refusal> refused = refusalIn(mark) ? refusalIn(mark) : refusalIn(last)) {
        return refused;
    }
    othersMark_ = std::get<qint64>(mark);
    std::vector<Reading> readings;
    deliveries_.clear();
    const auto& lastReading = std::get<std::optional<StoredReading>>(last);
    if (lastReading) {
        const Outcome<std::vector<StoredReading>> stored =
            store_.readingsSince(lastReading->reading.time.addDays(-recentDays));
        const Outcome<std::vector<Delivery>> deliveries = store_.deliveries();
        if (std::optional<Refusal> refused =
                refusalIn(stored) ? refusalIn(stored) : refusalIn(deliveries)) {
            return refused;
        }
        for (const StoredReading& each : std::get<std::vector<StoredReading>>(stored)) {
            readings.push_back(each.reading);
        }
        deliveries_ = std::get<std::vector<Delivery>>(deliveries);
    }
    recent_ = consumptionHistory(readings, deliveries_, litresAt_);
    forgetOldWeeks();
    orderTime_ = orderTime();
    return std::nullopt;
}

std::optional<Refusal> CarnetRecorder::readAgainIfChangedByOthers() {
    const Outcome<qint64> mark = store_.othersChangeMark();
    if (std::optional<Refusal> refused = refusalIn(mark)) {
        return refused;
    }
    return std::get<qint64>(mark) == othersMark_ ? std::nullopt : readRecentWeeks();
}

// The use to the new reading is that of the interval from the last one, which
// depends on the two readings and the deliveries between them alone, except
// for a rise that no delivery explains: its use is counted at the rate of the
// days before it, which the whole of the recent weeks give. Extending the use
// rather than computing it again over the weeks at each reading is what
// keeps a stream of thousands of readings a second.
void CarnetRecorder::remember(const Reading& reading) {
    if (recent_.readings.empty()) {
        recent_ = consumptionHistory({reading}, deliveries_, litresAt_);
    } else {
        const LitresReading& last = recent_.readings.back();
        const ConsumptionHistory step = consumptionHistory(
            {{last.time, last.heightMm, Reading::Source::Sensor}, reading}, deliveries_, litresAt_);
        if (step.found.empty()) {
            recent_.readings.push_back(step.readings.back());
            recent_.intervals.push_back(step.intervals.back());
        } else {
            std::vector<Reading> readings = recentReadings();
            readings.push_back(reading);
            recent_ = consumptionHistory(readings, deliveries_, litresAt_);
        }
    }
    forgetOldWeeks();
    orderTime_ = orderTime();
}

std::vector<Reading> CarnetRecorder::recentReadings() const {
    std::vector<Reading> readings;
    readings.reserve(recent_.readings.size());
    for (const LitresReading& each : recent_.readings) {
        readings.push_back({each.time, each.heightMm, Reading::Source::Sensor});
    }
    return readings;
}

// Keeps the last reading at or before the start of the recent weeks: the use
// since then is counted from it. Only the readings and the use between them
// are kept up to date: the rates need nothing else.
void CarnetRecorder::forgetOldWeeks() {
    std::vector<LitresReading>& readings = recent_.readings;
    if (readings.empty()) {
        deliveries_.clear();
        return;
    }
    const QDateTime start = readings.back().time.addDays(-recentDays);
    std::size_t first = 0;
    while (first + 1 < readings.size() && readings[first + 1].time <= start) {
        ++first;
    }
    const auto forgotten = static_cast<std::ptrdiff_t>(first);
    readings.erase(readings.begin(), readings.begin() + forgotten);
    recent_.intervals.erase(recent_.intervals.begin(), recent_.intervals.begin() + forgotten);
    recent_.found.clear();
    recent_.alerts.clear();
    const QDateTime oldest = readings.front().time;
    // A delivery before every interval kept counts in none.
    deliveries_.erase(
        std::remove_if(deliveries_.begin(), deliveries_.end(),
                       [&oldest](const Delivery& delivery) { return delivery.time <= oldest; }),
        deliveries_.end());
}

std::optional<QDateTime> CarnetRecorder::orderTime() const {
    const Outcome<double> rate = dailyRate(recent_, shortRateDays);
    const double* litresPerDay = std::get_if<double>(&rate);
    if (litresPerDay == nullptr) {
        return std::nullopt;
    }
    const Outcome<Forecast> forecast = forecastAtRate(recent_.readings.back(), *litresPerDay,
                                                      capacity_, strainerLitres_, options_);
    const Forecast* done = std::get_if<Forecast>(&forecast);
    return done != nullptr ? std::optional<QDateTime>(done->orderTime) : std::nullopt;
}

}  // namespace varnelle
