// A tank's logbook (carnet) on the disk: one SQLite file per tank holding the
// tank's measures, the oil heights read, the deliveries and the days' mean
// outdoor temperatures. Every change is one transaction, so a reading is
// either in the file whole or not at all, and two programs writing the same
// carnet at once (a sensor's stream and the window) both land.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <optional>
#include <utility>
#include <vector>

#include "files/refusal.h"
#include "logbook/consumption.h"

namespace varnelle {

// The carnet's file name ends with it.
inline constexpr char carnetSuffix[] = ".carnet";

// A reading as the carnet keeps it: with the litres it gave, when they were
// computed as it was taken.
struct StoredReading {
    Reading reading;
    std::optional<double> litres;
    qint64 id = 0;  // its row in the carnet; 0 for one not stored yet
};

// The readings without what the carnet keeps beside them.
std::vector<Reading> plainReadings(const std::vector<StoredReading>& stored);
// The (height, litres) pairs stored with the readings, each an integration
// saved: ten years of a dipstick read to the millimetre come back to
// thousands of heights.
std::vector<std::pair<double, double>> storedLitres(const std::vector<StoredReading>& stored);
// The oil's height last read at or before `time`, in `stored` (by time).
std::optional<double> heightReadBefore(const std::vector<StoredReading>& stored,
                                       const QDateTime& time);
// The readings of `stored` (by time) that a receipt check of a delivery at
// `time` looks at, those within receiptReadingWindowSeconds of it: a delivery
// is checked without copying ten years of readings.
std::vector<Reading> readingsNearDelivery(const std::vector<StoredReading>& stored,
                                          const QDateTime& time);

// A delivery as the carnet keeps it, with its row.
struct StoredDelivery {
    Delivery delivery;
    qint64 id = 0;  // 0 for one not stored yet
};

// The deliveries without their rows.
std::vector<Delivery> plainDeliveries(const std::vector<StoredDelivery>& stored);

// The tank's measures under the tank file's keys ("diametre", "bords"...),
// each value as written there.
using TankValues = QHash<QString, QString>;

// One open carnet. A store is used from the thread that opened it (Qt's
// database connections are tied to it). Each refusal names the carnet's path
// as its subject and says why in a whole French sentence.
class CarnetStore {
  public:
    // The schema's version, kept in the file; an older carnet is brought up to
    // it when opened for writing.
    static constexpr int currentVersion = 2;

    // A new carnet holding `tank`. Refuses a path where something already is.
    static Outcome<CarnetStore> create(const QString& path, const TankValues& tank);
    // An existing carnet. Refuses, leaving the file as it was: what is no
    // ordinary file (a folder, a pipe, a device), what is no carnet, a carnet
    // of a later version, a read-only file opened for writing, and an older
    // carnet opened for reading only (it must be brought up to date first).
    static Outcome<CarnetStore> open(const QString& path, bool forWriting);

    CarnetStore(CarnetStore&& other) noexcept;
    CarnetStore& operator=(CarnetStore&& other) noexcept;
    CarnetStore(const CarnetStore&) = delete;
    CarnetStore& operator=(const CarnetStore&) = delete;
    ~CarnetStore();

    const QString& path() const { return path_; }

    // How far a change survives once addReading() and the others have said
    // it is in the carnet.
    enum class Durability {
        // Through a power cut: the change is synced to the disk before it is
        // said done. The default: a change typed by hand is worth its sync.
        PowerCut,
        // Through the end of the program, even by kill -9, but not a power
        // cut, which may take the last changes back (never the carnet whole):
        // no sync a change, for a sensor's stream that sends thousands.
        ProgramEnd,
    };
    std::optional<Refusal> setDurability(Durability durability);

    // Changes, each in one transaction. Times are kept in UTC to the
    // millisecond; a time that is not valid or a number that is not finite is
    // refused.
    std::optional<Refusal> addReading(const Reading& reading,
                                      std::optional<double> litres = std::nullopt);
    std::optional<Refusal> addDelivery(const Delivery& delivery);
    // A day has one mean: a second one for the same day takes its place.
    std::optional<Refusal> addTemperature(const DailyTemperature& temperature);
    // The number of readings taken at `time` that were removed (0 when none was).
    Outcome<int> deleteReadingsAt(const QDateTime& time);
    // Many readings in one transaction (an import): all of them land or none.
    // Each gets its litres by `litresAt` when it is given. A reading of a time
    // already in the carnet, or already earlier in `readings`, is left out, so
    // that a file imported twice adds nothing the second time. The rows added,
    // in the order of `readings`, for undoing the import.
    Outcome<std::vector<qint64>> addReadings(const std::vector<Reading>& readings,
                                             const LitresAt& litresAt = {});
    // The rows of `ids` removed in one transaction (an import undone); the
    // number removed, those another program removed meanwhile passed over.
    Outcome<int> deleteReadings(const std::vector<qint64>& ids);
    // The journal's edits, each in one transaction. A put writes the row
    // under its id, taking the place of the one there, or as a new row when
    // the id is 0 (or gone: an undone deletion comes back under its own id);
    // it gives the row's id. A delete refuses an id that is no longer there
    // (another program removed it), so that nothing is said done that was not.
    Outcome<qint64> putReading(const StoredReading& stored);
    Outcome<qint64> putDelivery(const StoredDelivery& stored);
    std::optional<Refusal> deleteReading(qint64 id);
    std::optional<Refusal> deleteDelivery(qint64 id);
    // The litres stored with the readings were the old tank's: they are
    // computed again by `litresAt` (the new tank's chart) in the same
    // transaction, or forgotten when it is not given.
    std::optional<Refusal> replaceTank(const TankValues& tank, const LitresAt& litresAt = {});

    // Reads. The readings and deliveries in time order (those of the same
    // time in the order they were added), the temperatures in day order.
    Outcome<TankValues> tank() const;
    Outcome<std::vector<StoredReading>> readings() const;
    // The readings that cover the time since `from`: the last one taken at
    // or before it (the use since `from` is counted from it) and all later.
    Outcome<std::vector<StoredReading>> readingsSince(const QDateTime& from) const;
    Outcome<std::optional<StoredReading>> lastReading() const;
    Outcome<std::vector<Delivery>> deliveries() const;
    // The same with their rows, for editing them.
    Outcome<std::vector<StoredDelivery>> storedDeliveries() const;
    Outcome<std::vector<DailyTemperature>> temperatures() const;

    // A number that changes whenever another program (or another store) has
    // changed the carnet since the last time it was asked; this store's own
    // changes leave it as it is. Cheap enough to be asked at every reading.
    Outcome<qint64> othersChangeMark() const;

  private:
    CarnetStore(const QString& path, bool forWriting);

    std::optional<Refusal> connectionRefusal(bool forWriting) const;
    std::optional<Refusal> checkedVersion(bool forWriting) const;
    // Each gives why it failed, or nothing.
    std::optional<QString> writtenNew(const TankValues& tank) const;
    std::optional<QString> setUpWriting() const;
    std::optional<QString> withoutWriteAheadLog() const;
    std::optional<Refusal> migrate() const;
    Refusal refusal(const QString& sentence) const { return Refusal{path_, sentence}; }
    Outcome<qint64> putRow(const QString& sql, QVariantList values);
    std::optional<Refusal> deleteRow(const QString& sql, qint64 id);
    Outcome<std::vector<StoredReading>> readingsWhere(const QString& condition,
                                                      const QVariantList& values) const;

    QString path_;
    QString connection_;  // empty once moved from
};

}  // namespace varnelle
