// --flux --carnet: the stream's readings kept in the tank's carnet, and with
// each the day to order, as the carnet's summary would say it, without
// summing up the whole carnet at every line.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "bareme/bareme_request.h"
#include "core/volume.h"
#include "files/refusal.h"
#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace varnelle {

// A sensor sends a reading every minute or so: the carnet keeps one when this
// long has passed since the last one kept...
inline constexpr qint64 keptReadingSeconds = 3600;
// ... or when the oil has moved at least this much from it, so that a
// delivery or a theft is seen at once.
inline constexpr double keptReadingMoveMm = 2;

// Whether a reading at `time`, the oil at `heightMm`, is kept after
// `lastKept` (none: the first reading is kept). A reading no later than the
// last one kept never is: a stream replayed, or the hour that the change back
// from summer time repeats, would otherwise be stored twice.
bool keepsReading(const std::optional<Reading>& lastKept, const QDateTime& time, double heightMm);

// The time of a stream's reading: the line's own `time` when it gives one
// (rtl_433's local "2026-11-03 08:00:00", or ISO 8601), else `now` to the
// second. Refused, with a French clause, when it does not parse or lies in
// the future.
Outcome<QDateTime> streamReadingTime(const std::optional<QString>& lineTime, const QDateTime& now);

// The key of the stream's JSON lines that says whether the reading was kept.
inline constexpr char keptReadingKey[] = "releve_enregistre";

// What the carnet did with one reading.
struct RecordedReading {
    bool kept = false;
    // The day to order, at the use of the last 14 days; nothing while the
    // carnet cannot say it (fewer than 14 days of readings, no use).
    std::optional<QDateTime> orderTime;
};

// The carnet of a --flux --carnet stream. It holds in memory the use between
// the readings of the last weeks (those the 14-day rate and the rates it
// builds on need) and the deliveries among them, extends it by the interval
// to each reading kept, and reads the carnet again when another program (a
// reading typed by hand, a delivery) has changed it.
class CarnetRecorder {
  public:
    // The request's carnet, opened (or created with the options' tank) for
    // the stream, and its last weeks read. Refused with the carnet's sentence.
    static Outcome<CarnetRecorder> open(const BaremeRequest& request);

    // Adds the reading, with its litres, when keepsReading() says so; the
    // reading is in the carnet once this returns. Refused with the carnet's
    // sentence when the carnet cannot be written or read again.
    Outcome<RecordedReading> record(const QDateTime& time, double heightMm, double litres);

  private:
    CarnetRecorder(CarnetStore&& store, const TankParameters& tank, const ForecastOptions& options);

    std::optional<Refusal> readRecentWeeks();
    std::optional<Refusal> readAgainIfChangedByOthers();
    void remember(const Reading& reading);
    std::vector<Reading> recentReadings() const;
    void forgetOldWeeks();
    std::optional<QDateTime> orderTime() const;

    CarnetStore store_;
    ForecastOptions options_;
    LitresAt litresAt_;
    double capacity_ = 0;
    double strainerLitres_ = 0;
    // The recent readings by time, the last one the last kept, and the use
    // between them.
    ConsumptionHistory recent_;
    std::vector<Delivery> deliveries_;
    std::optional<QDateTime> orderTime_;
    qint64 othersMark_ = 0;
};

}  // namespace varnelle
