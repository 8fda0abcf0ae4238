#include "carnet_store.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

#include "files/file_errors.h"
#include "files/small_file.h"

namespace varnelle {
namespace {

// --- The file's layout ------------------------------------------------------------

// The tables of the current version. The times of deliveries are ISO 8601
// text in UTC to the millisecond ("2026-01-15T07:30:00.000Z") and days
// "2026-01-15": fixed widths, so that they sort as the times do, and readable
// with any SQLite tool. The readings, by far the most rows (a sensor sends one
// an hour for years), keep theirs as milliseconds since 1970-01-01 UTC:
// numbers need no text to be made and parsed, and take less room; ten years of
// readings come back in a third of the time the text took, from a file 40 %
// smaller. strftime('%Y-%m-%dT%H:%M:%fZ', heure_unix_ms / 1000.0, 'unixepoch')
// shows one as text.
const char* const schema[] = {
    "CREATE TABLE cuve(cle TEXT PRIMARY KEY NOT NULL, valeur TEXT NOT NULL)",
    "CREATE TABLE releves(id INTEGER PRIMARY KEY, heure_unix_ms INTEGER NOT NULL, "
    "hauteur_mm REAL NOT NULL, source TEXT NOT NULL CHECK (source IN ('jauge', 'capteur')), "
    "litres REAL)",
    "CREATE INDEX releves_heure ON releves(heure_unix_ms)",
    "CREATE TABLE livraisons(id INTEGER PRIMARY KEY, heure TEXT NOT NULL, "
    "litres_bon REAL NOT NULL, prix_litre REAL, hauteur_avant_mm REAL, hauteur_apres_mm REAL)",
    "CREATE INDEX livraisons_heure ON livraisons(heure)",
    "CREATE TABLE temperatures(jour TEXT PRIMARY KEY NOT NULL, moyenne_celsius REAL NOT NULL)",
};

// The tables of every version: a SQLite file without them is no carnet.
const char* const carnetTables[] = {"cuve", "releves", "livraisons", "temperatures"};

// migrations[v] brings a carnet of version v to version v + 1, inside the
// transaction that then sets its version. The first carnets (version 0) kept
// no litres with their readings; those of version 1 kept the readings' times
// as text. julianday() reads any ISO 8601 form that SQLite knows (another tool
// may have written one); its days, as a double, are exact to a twentieth of a
// millisecond, so the rounding gives the millisecond written. A time that
// does not parse stops the migration (NOT NULL) rather than being lost.
const std::array<std::vector<const char*>, CarnetStore::currentVersion> migrations = {{
    {"ALTER TABLE releves ADD COLUMN litres REAL"},
    {"CREATE TABLE releves_v2(id INTEGER PRIMARY KEY, heure_unix_ms INTEGER NOT NULL, "
     "hauteur_mm REAL NOT NULL, source TEXT NOT NULL CHECK (source IN ('jauge', 'capteur')), "
     "litres REAL)",
     "INSERT INTO releves_v2(id, heure_unix_ms, hauteur_mm, source, litres) "
     "SELECT id, CAST(round((julianday(heure) - 2440587.5) * 86400000) AS INTEGER), hauteur_mm, "
     "source, litres FROM releves",
     "DROP TABLE releves", "ALTER TABLE releves_v2 RENAME TO releves",
     "CREATE INDEX releves_heure ON releves(heure_unix_ms)"},
}};

// Every SQLite file starts with these 16 bytes.
const QByteArray sqliteHeader("SQLite format 3", 16);

// A second writer (a sensor's stream and the window on the same carnet) waits
// this long for the other's transaction to end, which takes milliseconds.
const char connectOptions[] = "QSQLITE_BUSY_TIMEOUT=5000";

constexpr mode_t anyoneWrites = S_IWUSR | S_IWGRP | S_IWOTH;

QString uniqueConnectionName() {
    static std::atomic<unsigned> stores{0};
    return QStringLiteral("varnelle-carnet-%1").arg(++stores);
}

// --- Sentences --------------------------------------------------------------------

QString notCarnetSentence(const QString& path) {
    return QStringLiteral("Le fichier « %1 » n'est pas un carnet de cuve.").arg(path);
}

QString unopenedSentence(const QString& path, const QString& reason) {
    return QStringLiteral("Le fichier « %1 » n'a pas pu être ouvert : %2").arg(path, reason);
}

QString unchangedSentence(const QString& path, const QString& reason) {
    return QStringLiteral("Le carnet « %1 » n'a pas pu être modifié : %2").arg(path, reason);
}

QString unreadSentence(const QString& path, const QString& reason) {
    return QStringLiteral("Le carnet « %1 » n'a pas pu être lu : %2").arg(path, reason);
}

// SQLite's reason, in French for those a user may meet.
QString databaseReason(const QSqlError& error) {
    switch (error.nativeErrorCode().toInt() & 0xff) {  // the primary code
        case 5:                                        // SQLITE_BUSY
        case 6:                                        // SQLITE_LOCKED
            return QStringLiteral("le carnet est occupé par un autre programme.");
        case 8:  // SQLITE_READONLY
            return QStringLiteral("le carnet est en lecture seule.");
        case 10:  // SQLITE_IOERR
            return frenchSystemError(EIO);
        case 13:  // SQLITE_FULL
            return frenchSystemError(ENOSPC);
        default:
            return error.databaseText().isEmpty() ? error.text() : error.databaseText();
    }
}

// What SQLite says of a file that is no database, or a damaged one.
bool isNoDatabase(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 /* SQLITE_CORRUPT */ || code == 26 /* SQLITE_NOTADB */;
}

// --- Values -------------------------------------------------------------------------

const QString dipstickText = QStringLiteral("jauge");
const QString sensorText = QStringLiteral("capteur");

QString sourceText(Reading::Source source) {
    return source == Reading::Source::Sensor ? sensorText : dipstickText;
}

// The years whose ISO text has four digits, so that the times sort as text.
bool writableTime(const QDateTime& time) {
    const int year = time.isValid() ? time.toUTC().date().year() : 0;
    return year >= 1 && year <= 9999;
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString dayText(const QDate& day) {
    return day.toString(Qt::ISODate);
}

bool allFinite(std::initializer_list<std::optional<double>> numbers) {
    return std::all_of(numbers.begin(), numbers.end(), [](const std::optional<double>& number) {
        return !number || std::isfinite(*number);
    });
}

const QString invalidTimeReason = QStringLiteral("l'heure n'est pas valide.");
const QString invalidDayReason = QStringLiteral("le jour n'est pas valide.");
const QString notFiniteReason = QStringLiteral("une valeur n'est pas un nombre fini.");

QVariant optionalValue(std::optional<double> number) {
    return number ? QVariant(*number) : QVariant();
}

std::optional<double> optionalNumber(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

// --- Running statements ------------------------------------------------------------

struct Statement {
    QString sql;
    QVariantList values;
};

// Runs the statement `query` was prepared with on `values`; SQLite's reason
// when it failed. A statement run many times (an import's rows) is prepared
// once: preparing it again for each row would cost as much as the rows.
std::optional<QString> executed(QSqlQuery& query, const QVariantList& values) {
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return databaseReason(query.lastError());
    }
    return std::nullopt;
}

// Prepares and runs `statement`, for its changes or its rows; why it failed.
std::optional<QString> executed(QSqlQuery& query, const Statement& statement) {
    if (!query.prepare(statement.sql)) {
        return databaseReason(query.lastError());
    }
    return executed(query, statement.values);
}

// Runs `statement`; the rows it changed, or SQLite's reason.
std::variant<int, QString> run(QSqlQuery& query, const Statement& statement) {
    if (std::optional<QString> reason = executed(query, statement)) {
        return *reason;
    }
    return query.numRowsAffected();
}

// Why the transaction did not happen, or nothing once committed. `work` gives
// the reason to roll back. The write lock is taken at the start (IMMEDIATE),
// so that a second writer waits for it through the busy timeout rather than
// failing on a snapshot that went stale while it read.
using TransactionWork = std::function<std::optional<QString>(QSqlQuery&)>;
std::optional<QString> inTransaction(const QSqlDatabase& database, const TransactionWork& work) {
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return databaseReason(query.lastError());
    }
    std::optional<QString> reason = work(query);
    query.finish();
    if (!reason && !query.exec(QStringLiteral("COMMIT"))) {
        reason = databaseReason(query.lastError());
    }
    if (reason) {
        query.exec(QStringLiteral("ROLLBACK"));
    }
    return reason;
}

// `statements` in one transaction; the rows they changed, or why none was.
std::variant<int, QString> runAll(const QSqlDatabase& database,
                                  const std::vector<Statement>& statements) {
    int changed = 0;
    const std::optional<QString> reason =
        inTransaction(database, [&](QSqlQuery& query) -> std::optional<QString> {
            for (const Statement& statement : statements) {
                const std::variant<int, QString> done = run(query, statement);
                if (const QString* failure = std::get_if<QString>(&done)) {
                    return *failure;
                }
                changed += std::get<int>(done);
            }
            return std::nullopt;
        });
    if (reason) {
        return *reason;
    }
    return changed;
}

// `sql` prepared once and run on each of `rows` in turn, in one transaction;
// `ran` is given the query after each run, for what it changed. Why none of
// them landed, or nothing.
using EachRun = std::function<void(const QSqlQuery&)>;
std::optional<QString> ranOnEach(const QSqlDatabase& database, const QString& sql,
                                 const std::vector<QVariantList>& rows, const EachRun& ran) {
    return inTransaction(database, [&](QSqlQuery& query) -> std::optional<QString> {
        if (!query.prepare(sql)) {
            return databaseReason(query.lastError());
        }
        for (const QVariantList& values : rows) {
            if (std::optional<QString> failure = executed(query, values)) {
                return failure;
            }
            ran(query);
        }
        return std::nullopt;
    });
}

std::vector<Statement> tankStatements(const TankValues& tank) {
    std::vector<Statement> statements{{QStringLiteral("DELETE FROM cuve"), {}}};
    for (auto entry = tank.begin(); entry != tank.end(); ++entry) {
        statements.push_back({QStringLiteral("INSERT INTO cuve(cle, valeur) VALUES (?, ?)"),
                              {entry.key(), entry.value()}});
    }
    return statements;
}

// --- The file before SQLite opens it ----------------------------------------------

bool isReadOnly(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    // The mode too: root may write any file, but a file made read-only is
    // meant to be kept as it is.
    return ::stat(name.constData(), &status) != 0 || (status.st_mode & anyoneWrites) == 0 ||
           ::access(name.constData(), W_OK) != 0;
}

// Why the file at `path` cannot be opened as a carnet, judged from its kind
// and its first bytes, before SQLite touches it (SQLite would wait on a pipe,
// and take an empty or missing file for a new database).
std::optional<Refusal> fileRefusal(const QString& path, bool forWriting) {
    const Outcome<QByteArray> start = readSmallFile(path, sqliteHeader.size());
    if (const Refusal* unread = refusalOf(start)) {
        return Refusal{path, unopenedSentence(path, unread->sentence)};
    }
    if (!std::get<QByteArray>(start).startsWith(sqliteHeader)) {
        return Refusal{path, notCarnetSentence(path)};
    }
    if (forWriting && isReadOnly(path)) {
        return Refusal{path, QStringLiteral("Le carnet « %1 » est en lecture seule.").arg(path)};
    }
    return std::nullopt;
}

void removeCarnetFiles(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        QFile::remove(path + QLatin1String(suffix));
    }
}

}  // namespace

// --- Opening and closing ------------------------------------------------------------

CarnetStore::CarnetStore(const QString& path, bool forWriting)
    : path_(path), connection_(uniqueConnectionName()) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    database.setDatabaseName(path);
    QString options = QLatin1String(connectOptions);
    // A read-only connection cannot remove the write-ahead log when it closes,
    // which would leave two files beside the carnet: one for reading is
    // read-only only when the file is.
    if (!forWriting && isReadOnly(path)) {
        options += QLatin1String(";QSQLITE_OPEN_READONLY");
    }
    database.setConnectOptions(options);
    database.open();
}

CarnetStore::CarnetStore(CarnetStore&& other) noexcept
    : path_(std::move(other.path_)), connection_(std::exchange(other.connection_, QString())) {}

CarnetStore& CarnetStore::operator=(CarnetStore&& other) noexcept {
    if (this != &other) {
        CarnetStore old(std::move(*this));
        path_ = std::move(other.path_);
        connection_ = std::exchange(other.connection_, QString());
    }
    return *this;
}

CarnetStore::~CarnetStore() {
    if (connection_.isEmpty()) {
        return;
    }
    {
        // Qt removes a connection only once no handle on it is left.
        QSqlDatabase database = QSqlDatabase::database(connection_, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

namespace {

QString existingSentence(const QString& path) {
    return QStringLiteral("Le fichier « %1 » existe déjà.").arg(path);
}

QString uncreatedSentence(const QString& path, const QString& reason) {
    return QStringLiteral("Le carnet « %1 » n'a pas pu être créé : %2").arg(path, reason);
}

bool somethingAt(const QByteArray& name) {
    struct stat status {};
    return ::lstat(name.constData(), &status) == 0;
}

// A new file of its own beside `path`, made exclusively; its name, or why none.
std::variant<QString, int> newDraft(const QString& path) {
    static std::atomic<unsigned> drafts{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString draft =
            QStringLiteral("%1.creation-%2-%3").arg(path).arg(::getpid()).arg(++drafts);
        const int descriptor = ::open(QFile::encodeName(draft).constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (descriptor >= 0) {
            ::close(descriptor);
            return draft;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

// Gives the finished draft the carnet's name, unless something took it
// meanwhile; the draft's name is gone either way. Why not, or nothing.
std::optional<Refusal> movedIntoPlace(const QString& draft, const QString& path) {
    const QByteArray from = QFile::encodeName(draft);
    const QByteArray to = QFile::encodeName(path);
    // link() never replaces a file, where rename() would.
    int error = ::link(from.constData(), to.constData()) == 0 ? 0 : errno;
    if (error == EPERM || error == EOPNOTSUPP || error == EMLINK || error == ENOSYS) {
        // A file system without hard links (FAT): the name is checked just before.
        error = somethingAt(to) ? EEXIST
                                : (::rename(from.constData(), to.constData()) == 0 ? 0 : errno);
    }
    removeCarnetFiles(draft);
    if (error == EEXIST) {
        return Refusal{path, existingSentence(path)};
    }
    if (error != 0) {
        return Refusal{path, uncreatedSentence(path, frenchSystemError(error))};
    }
    return std::nullopt;
}

}  // namespace

// The carnet is written whole under a name of its own beside `path`, then
// given its name: a program killed while it creates the carnet (a stream
// stopped at once) leaves no half carnet at the path, which would then be
// refused as no carnet, its name taken.
Outcome<CarnetStore> CarnetStore::create(const QString& path, const TankValues& tank) {
    if (somethingAt(QFile::encodeName(path))) {
        return Refusal{path, existingSentence(path)};
    }
    const std::variant<QString, int> draft = newDraft(path);
    if (const int* error = std::get_if<int>(&draft)) {
        return Refusal{path, uncreatedSentence(path, frenchSystemError(*error))};
    }
    const auto& draftPath = std::get<QString>(draft);
    std::optional<QString> reason;
    {
        CarnetStore store(draftPath, true);
        reason = store.writtenNew(tank);
        if (!reason) {
            reason = store.withoutWriteAheadLog();
        }
    }
    if (reason) {
        removeCarnetFiles(draftPath);
        return Refusal{path, uncreatedSentence(path, *reason)};
    }
    if (std::optional<Refusal> refused = movedIntoPlace(draftPath, path)) {
        return *refused;
    }
    return open(path, true);
}

// Back to a rollback journal: SQLite writes the log into the file and
// removes it, so that the file alone is the whole carnet when it is given its
// name. Opened for writing, the carnet takes its log again.
std::optional<QString> CarnetStore::withoutWriteAheadLog() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode = DELETE"))) {
        return databaseReason(query.lastError());
    }
    return std::nullopt;
}

// The tables, the tank and the version of a new carnet, in one transaction;
// why not.
std::optional<QString> CarnetStore::writtenNew(const TankValues& tank) const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    if (!database.isOpen()) {
        return databaseReason(database.lastError());
    }
    if (std::optional<QString> reason = setUpWriting()) {
        return reason;
    }
    std::vector<Statement> statements;
    for (const char* table : schema) {
        statements.push_back({QLatin1String(table), {}});
    }
    for (Statement& statement : tankStatements(tank)) {
        statements.push_back(std::move(statement));
    }
    statements.push_back({QStringLiteral("PRAGMA user_version = %1").arg(currentVersion), {}});
    const std::variant<int, QString> written = runAll(database, statements);
    if (const QString* failure = std::get_if<QString>(&written)) {
        return *failure;
    }
    return std::nullopt;
}

Outcome<CarnetStore> CarnetStore::open(const QString& path, bool forWriting) {
    if (std::optional<Refusal> refused = fileRefusal(path, forWriting)) {
        return *refused;
    }
    CarnetStore store(path, forWriting);
    if (std::optional<Refusal> refused = store.connectionRefusal(forWriting)) {
        return *refused;
    }
    if (std::optional<Refusal> refused = store.checkedVersion(forWriting)) {
        return *refused;
    }
    return Outcome<CarnetStore>(std::move(store));
}

std::optional<Refusal> CarnetStore::connectionRefusal(bool forWriting) const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    if (!database.isOpen()) {
        return refusal(unopenedSentence(path_, databaseReason(database.lastError())));
    }
    // Opened for reading, the carnet is not written, even by mistake.
    QSqlQuery query(database);
    if (!forWriting && !query.exec(QStringLiteral("PRAGMA query_only = ON"))) {
        return refusal(unopenedSentence(path_, databaseReason(query.lastError())));
    }
    return std::nullopt;
}

// Refuses what is no carnet or a carnet of a later version, before anything
// is written; then brings an older one up to date when it may be written.
std::optional<Refusal> CarnetStore::checkedVersion(bool forWriting) const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    QSqlQuery query(database);
    // A file that only starts like SQLite fails here; a carnet held by
    // another program past the busy timeout is no less a carnet.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        return refusal(isNoDatabase(query.lastError())
                           ? notCarnetSentence(path_)
                           : unopenedSentence(path_, databaseReason(query.lastError())));
    }
    const int version = query.value(0).toInt();
    if (version > currentVersion) {
        return refusal(
            QStringLiteral("Le carnet « %1 » a été écrit par une version plus récente de Varnelle.")
                .arg(path_));
    }
    QSet<QString> tables;
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
        return refusal(isNoDatabase(query.lastError())
                           ? notCarnetSentence(path_)
                           : unopenedSentence(path_, databaseReason(query.lastError())));
    }
    while (query.next()) {
        tables.insert(query.value(0).toString());
    }
    query.finish();
    for (const char* table : carnetTables) {
        if (version < 0 || !tables.contains(QLatin1String(table))) {
            return refusal(notCarnetSentence(path_));
        }
    }
    if (!forWriting) {
        if (version < currentVersion) {
            return refusal(QStringLiteral("Le carnet « %1 » a été écrit par une version plus "
                                          "ancienne de Varnelle : ouvrez-le pour le modifier, "
                                          "il sera mis à jour.")
                               .arg(path_));
        }
        return std::nullopt;
    }
    if (const std::optional<QString> reason = setUpWriting()) {
        return refusal(unopenedSentence(path_, *reason));
    }
    return version < currentVersion ? migrate() : std::nullopt;
}

// A change is committed when SQLite has written it to the write-ahead log
// and synced it (synchronous FULL): it survives the program's end, even by
// kill -9, and a power cut too. Changes typed by hand come a few a day: a
// sync each costs nothing that shows. A sensor's stream asks for less
// (setDurability). The log lets readers read while a writer writes.
std::optional<QString> CarnetStore::setUpWriting() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    QSqlQuery query(database);
    for (const char* pragma :
         {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL", "PRAGMA foreign_keys = ON"}) {
        if (!query.exec(QLatin1String(pragma))) {
            return databaseReason(query.lastError());
        }
    }
    return std::nullopt;
}

// In the write-ahead log, synchronous NORMAL writes each commit to the log
// without syncing it, and syncs at checkpoints only: the log is in the
// system's cache as soon as the commit returns, so a killed program loses
// nothing, and a power cut can lose the last commits but leaves a sound
// carnet. A sync costs about half a millisecond, which would cap a stream
// at 2 000 readings a second on its own.
std::optional<Refusal> CarnetStore::setDurability(Durability durability) {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    QSqlQuery query(database);
    if (!query.exec(durability == Durability::PowerCut
                        ? QStringLiteral("PRAGMA synchronous = FULL")
                        : QStringLiteral("PRAGMA synchronous = NORMAL"))) {
        return refusal(unchangedSentence(path_, databaseReason(query.lastError())));
    }
    return std::nullopt;
}

// Another program may have brought the carnet up to date since its version
// was read: the version is read again under the write lock.
std::optional<Refusal> CarnetStore::migrate() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const std::optional<QString> reason =
        inTransaction(database, [](QSqlQuery& query) -> std::optional<QString> {
            if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
                return databaseReason(query.lastError());
            }
            const int version = query.value(0).toInt();
            query.finish();
            for (int step = version; step < currentVersion; ++step) {
                for (const char* sql : migrations[static_cast<std::size_t>(step)]) {
                    if (!query.exec(QLatin1String(sql))) {
                        return databaseReason(query.lastError());
                    }
                }
            }
            if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(currentVersion))) {
                return databaseReason(query.lastError());
            }
            return std::nullopt;
        });
    if (reason) {
        return refusal(
            QStringLiteral("Le carnet « %1 » n'a pas pu être mis à jour : %2").arg(path_, *reason));
    }
    return std::nullopt;
}

// --- Changes ------------------------------------------------------------------------

namespace {

std::optional<Refusal> changeRefusal(const QString& path,
                                     const std::variant<int, QString>& outcome) {
    if (const QString* reason = std::get_if<QString>(&outcome)) {
        return Refusal{path, unchangedSentence(path, *reason)};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> CarnetStore::addReading(const Reading& reading,
                                               std::optional<double> litres) {
    if (!writableTime(reading.time)) {
        return refusal(unchangedSentence(path_, invalidTimeReason));
    }
    if (!allFinite({reading.heightMm, litres})) {
        return refusal(unchangedSentence(path_, notFiniteReason));
    }
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    return changeRefusal(
        path_, runAll(database, {{QStringLiteral("INSERT INTO releves(heure_unix_ms, hauteur_mm, "
                                                 "source, litres) VALUES (?, ?, ?, ?)"),
                                  {reading.time.toMSecsSinceEpoch(), reading.heightMm,
                                   sourceText(reading.source), optionalValue(litres)}}}));
}

std::optional<Refusal> CarnetStore::addDelivery(const Delivery& delivery) {
    if (!writableTime(delivery.time)) {
        return refusal(unchangedSentence(path_, invalidTimeReason));
    }
    if (!allFinite({delivery.receiptLitres, delivery.pricePerLitre, delivery.heightBeforeMm,
                    delivery.heightAfterMm})) {
        return refusal(unchangedSentence(path_, notFiniteReason));
    }
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    return changeRefusal(
        path_,
        runAll(database,
               {{QStringLiteral("INSERT INTO livraisons(heure, litres_bon, prix_litre, "
                                "hauteur_avant_mm, hauteur_apres_mm) "
                                "VALUES (?, ?, ?, ?, ?)"),
                 {timeText(delivery.time), delivery.receiptLitres,
                  optionalValue(delivery.pricePerLitre), optionalValue(delivery.heightBeforeMm),
                  optionalValue(delivery.heightAfterMm)}}}));
}

std::optional<Refusal> CarnetStore::addTemperature(const DailyTemperature& temperature) {
    if (!temperature.day.isValid() || temperature.day.year() < 1 || temperature.day.year() > 9999) {
        return refusal(unchangedSentence(path_, invalidDayReason));
    }
    if (!allFinite({temperature.meanCelsius})) {
        return refusal(unchangedSentence(path_, notFiniteReason));
    }
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    return changeRefusal(
        path_, runAll(database, {{QStringLiteral("INSERT OR REPLACE INTO temperatures(jour, "
                                                 "moyenne_celsius) VALUES (?, ?)"),
                                  {dayText(temperature.day), temperature.meanCelsius}}}));
}

Outcome<int> CarnetStore::deleteReadingsAt(const QDateTime& time) {
    if (!writableTime(time)) {
        return refusal(unchangedSentence(path_, invalidTimeReason));
    }
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const std::variant<int, QString> deleted =
        runAll(database, {{QStringLiteral("DELETE FROM releves WHERE heure_unix_ms = ?"),
                           {time.toMSecsSinceEpoch()}}});
    if (std::optional<Refusal> refused = changeRefusal(path_, deleted)) {
        return *refused;
    }
    return std::get<int>(deleted);
}

namespace {

// A reading lands unless one of the same time is already in the carnet: a
// file imported twice, or two exports that overlap, add each reading once.
// The index of times makes the look-up cheap.
const QString readingUnlessItsTimeIsTaken = QStringLiteral(
    "INSERT INTO releves(heure_unix_ms, hauteur_mm, source, litres) "
    "SELECT ?, ?, ?, ? WHERE NOT EXISTS "
    "(SELECT 1 FROM releves WHERE heure_unix_ms = ?)");

}  // namespace

// Every reading is checked before anything is written, so that one bad
// reading adds none. The look-up sees the readings added earlier in the same
// transaction too: a time twice in `readings` lands once, the first time.
Outcome<std::vector<qint64>> CarnetStore::addReadings(const std::vector<Reading>& readings,
                                                      const LitresAt& litresAt) {
    std::vector<QVariantList> rows;
    rows.reserve(readings.size());
    for (const Reading& reading : readings) {
        const std::optional<double> litres =
            litresAt ? std::optional<double>(litresAt(reading.heightMm)) : std::nullopt;
        if (!writableTime(reading.time)) {
            return refusal(unchangedSentence(path_, invalidTimeReason));
        }
        if (!allFinite({reading.heightMm, litres})) {
            return refusal(unchangedSentence(path_, notFiniteReason));
        }
        const qint64 time = reading.time.toMSecsSinceEpoch();
        rows.push_back(
            {time, reading.heightMm, sourceText(reading.source), optionalValue(litres), time});
    }
    std::vector<qint64> added;
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const std::optional<QString> reason =
        ranOnEach(database, readingUnlessItsTimeIsTaken, rows, [&added](const QSqlQuery& query) {
            if (query.numRowsAffected() > 0) {
                added.push_back(query.lastInsertId().toLongLong());
            }
        });
    if (reason) {
        return refusal(unchangedSentence(path_, *reason));
    }
    return added;
}

Outcome<int> CarnetStore::deleteReadings(const std::vector<qint64>& ids) {
    std::vector<QVariantList> rows;
    rows.reserve(ids.size());
    for (const qint64 id : ids) {
        rows.push_back({id});
    }
    int deleted = 0;
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const std::optional<QString> reason =
        ranOnEach(database, QStringLiteral("DELETE FROM releves WHERE id = ?"), rows,
                  [&deleted](const QSqlQuery& query) { deleted += query.numRowsAffected(); });
    if (reason) {
        return refusal(unchangedSentence(path_, *reason));
    }
    return deleted;
}

Outcome<qint64> CarnetStore::putRow(const QString& sql, QVariantList values) {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    qint64 id = 0;
    const std::optional<QString> reason =
        inTransaction(database, [&](QSqlQuery& query) -> std::optional<QString> {
            const std::variant<int, QString> done = run(query, {sql, values});
            if (const QString* failure = std::get_if<QString>(&done)) {
                return *failure;
            }
            id = query.lastInsertId().toLongLong();
            return std::nullopt;
        });
    if (reason) {
        return refusal(unchangedSentence(path_, *reason));
    }
    return id;
}

Outcome<qint64> CarnetStore::putReading(const StoredReading& stored) {
    const Reading& reading = stored.reading;
    if (!writableTime(reading.time)) {
        return refusal(unchangedSentence(path_, invalidTimeReason));
    }
    if (!allFinite({reading.heightMm, stored.litres})) {
        return refusal(unchangedSentence(path_, notFiniteReason));
    }
    return putRow(
        QStringLiteral("INSERT OR REPLACE INTO releves(id, heure_unix_ms, hauteur_mm, "
                       "source, litres) VALUES (?, ?, ?, ?, ?)"),
        {stored.id > 0 ? QVariant(stored.id) : QVariant(), reading.time.toMSecsSinceEpoch(),
         reading.heightMm, sourceText(reading.source), optionalValue(stored.litres)});
}

Outcome<qint64> CarnetStore::putDelivery(const StoredDelivery& stored) {
    const Delivery& delivery = stored.delivery;
    if (!writableTime(delivery.time)) {
        return refusal(unchangedSentence(path_, invalidTimeReason));
    }
    if (!allFinite({delivery.receiptLitres, delivery.pricePerLitre, delivery.heightBeforeMm,
                    delivery.heightAfterMm})) {
        return refusal(unchangedSentence(path_, notFiniteReason));
    }
    return putRow(QStringLiteral("INSERT OR REPLACE INTO livraisons(id, heure, litres_bon, "
                                 "prix_litre, hauteur_avant_mm, hauteur_apres_mm) "
                                 "VALUES (?, ?, ?, ?, ?, ?)"),
                  {stored.id > 0 ? QVariant(stored.id) : QVariant(), timeText(delivery.time),
                   delivery.receiptLitres, optionalValue(delivery.pricePerLitre),
                   optionalValue(delivery.heightBeforeMm), optionalValue(delivery.heightAfterMm)});
}

std::optional<Refusal> CarnetStore::deleteRow(const QString& sql, qint64 id) {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const std::variant<int, QString> deleted = runAll(database, {{sql, {id}}});
    if (std::optional<Refusal> refused = changeRefusal(path_, deleted)) {
        return refused;
    }
    if (std::get<int>(deleted) == 0) {
        return refusal(unchangedSentence(
            path_, QStringLiteral("la ligne n'est plus dans le carnet (un autre programme "
                                  "l'a peut-être supprimée).")));
    }
    return std::nullopt;
}

std::optional<Refusal> CarnetStore::deleteReading(qint64 id) {
    return deleteRow(QStringLiteral("DELETE FROM releves WHERE id = ?"), id);
}

std::optional<Refusal> CarnetStore::deleteDelivery(qint64 id) {
    return deleteRow(QStringLiteral("DELETE FROM livraisons WHERE id = ?"), id);
}

namespace {

// Each reading's litres by `litresAt`, one computation a height.
std::optional<QString> recomputedLitres(QSqlQuery& query, const LitresAt& litresAt) {
    if (!query.exec(QStringLiteral("SELECT DISTINCT hauteur_mm FROM releves"))) {
        return databaseReason(query.lastError());
    }
    std::vector<double> heights;
    while (query.next()) {
        heights.push_back(query.value(0).toDouble());
    }
    query.finish();
    if (!query.prepare(QStringLiteral("UPDATE releves SET litres = ? WHERE hauteur_mm = ?"))) {
        return databaseReason(query.lastError());
    }
    for (const double height : heights) {
        const double litres = litresAt(height);
        query.addBindValue(std::isfinite(litres) ? QVariant(litres) : QVariant());
        query.addBindValue(height);
        if (!query.exec()) {
            return databaseReason(query.lastError());
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> CarnetStore::replaceTank(const TankValues& tank, const LitresAt& litresAt) {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const std::optional<QString> reason =
        inTransaction(database, [&](QSqlQuery& query) -> std::optional<QString> {
            for (const Statement& statement : tankStatements(tank)) {
                const std::variant<int, QString> done = run(query, statement);
                if (const QString* failure = std::get_if<QString>(&done)) {
                    return *failure;
                }
            }
            if (litresAt) {
                return recomputedLitres(query, litresAt);
            }
            if (!query.exec(QStringLiteral("UPDATE releves SET litres = NULL"))) {
                return databaseReason(query.lastError());
            }
            return std::nullopt;
        });
    return reason ? std::optional<Refusal>(refusal(unchangedSentence(path_, *reason)))
                  : std::nullopt;
}

// --- Reads --------------------------------------------------------------------------

namespace {

// The rows of `sql`, each turned into a T by `row` (nothing for a row that
// cannot be read), or why they could not be read.
template <typename T>
std::variant<std::vector<T>, QString> selectAll(
    const QSqlDatabase& database, const Statement& statement,
    const std::function<std::optional<T>(const QSqlQuery&)>& row) {
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (std::optional<QString> reason = executed(query, statement)) {
        return *reason;
    }
    std::vector<T> rows;
    while (query.next()) {
        std::optional<T> value = row(query);
        if (!value) {
            return QStringLiteral("une ligne de la table est abîmée.");
        }
        rows.push_back(std::move(*value));
    }
    return rows;
}

std::optional<QDateTime> readTime(const QVariant& value) {
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return time.isValid() ? std::optional<QDateTime>(time.toUTC()) : std::nullopt;
}

// A row of readingsSelect. The source comes as a number (1 for a sensor, 0
// for the dipstick): a text would cost a string a row.
std::optional<StoredReading> readingRow(const QSqlQuery& query) {
    const QVariant time = query.value(0);
    if (time.typeId() != QMetaType::LongLong) {
        return std::nullopt;
    }
    const Reading::Source source =
        query.value(2).toInt() == 1 ? Reading::Source::Sensor : Reading::Source::Dipstick;
    return StoredReading{Reading{QDateTime::fromMSecsSinceEpoch(time.toLongLong(), Qt::UTC),
                                 query.value(1).toDouble(), source},
                         optionalNumber(query.value(3)), query.value(4).toLongLong()};
}

std::optional<Delivery> deliveryRow(const QSqlQuery& query) {
    const std::optional<QDateTime> time = readTime(query.value(0));
    if (!time) {
        return std::nullopt;
    }
    return Delivery{*time, query.value(1).toDouble(), optionalNumber(query.value(2)),
                    optionalNumber(query.value(3)), optionalNumber(query.value(4))};
}

std::optional<DailyTemperature> temperatureRow(const QSqlQuery& query) {
    const QDate day = QDate::fromString(query.value(0).toString(), Qt::ISODate);
    if (!day.isValid()) {
        return std::nullopt;
    }
    return DailyTemperature{day, query.value(1).toDouble()};
}

std::optional<StoredDelivery> storedDeliveryRow(const QSqlQuery& query) {
    std::optional<Delivery> delivery = deliveryRow(query);
    if (!delivery) {
        return std::nullopt;
    }
    return StoredDelivery{*delivery, query.value(5).toLongLong()};
}

std::optional<std::pair<QString, QString>> tankRow(const QSqlQuery& query) {
    return std::make_pair(query.value(0).toString(), query.value(1).toString());
}

const QString readingsSelect =
    QStringLiteral("SELECT heure_unix_ms, hauteur_mm, source = 'capteur', litres, id FROM releves");

// The readings in the order they were added, put in time order. Reading the
// table in its own order and sorting here is far cheaper than following the
// index of times (a look-up in the table for each row), and readings come in
// time order nearly always, a dipstick reading of the day before seldom.
std::vector<StoredReading> inTimeOrder(std::vector<StoredReading> readings) {
    const auto earlier = [](const StoredReading& a, const StoredReading& b) {
        return a.reading.time.toMSecsSinceEpoch() < b.reading.time.toMSecsSinceEpoch();
    };
    if (!std::is_sorted(readings.begin(), readings.end(), earlier)) {
        std::stable_sort(readings.begin(), readings.end(), earlier);
    }
    return readings;
}

template <typename T>
Outcome<T> readOutcome(const QString& path, std::variant<T, QString>&& rows) {
    if (const QString* reason = std::get_if<QString>(&rows)) {
        return Refusal{path, unreadSentence(path, *reason)};
    }
    // The rows live in the variant, not in a local: moved out, not copied.
    // cppcheck-suppress returnStdMoveLocal
    return std::move(std::get<T>(rows));
}

}  // namespace

Outcome<TankValues> CarnetStore::tank() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    auto rows = selectAll<std::pair<QString, QString>>(
        database, {QStringLiteral("SELECT cle, valeur FROM cuve"), {}}, tankRow);
    if (const QString* reason = std::get_if<QString>(&rows)) {
        return refusal(unreadSentence(path_, *reason));
    }
    TankValues values;
    for (const auto& [key, value] : std::get<0>(rows)) {
        values.insert(key, value);
    }
    return values;
}

Outcome<std::vector<StoredReading>> CarnetStore::readings() const {
    return readingsWhere(QString(), {});
}

Outcome<std::vector<StoredReading>> CarnetStore::readingsSince(const QDateTime& from) const {
    if (!from.isValid()) {
        return refusal(unreadSentence(path_, invalidTimeReason));
    }
    const qint64 start = from.toMSecsSinceEpoch();
    return readingsWhere(QStringLiteral(" WHERE heure_unix_ms >= coalesce((SELECT "
                                        "max(heure_unix_ms) FROM releves WHERE heure_unix_ms <= "
                                        "?), ?)"),
                         {start, start});
}

Outcome<std::vector<StoredReading>> CarnetStore::readingsWhere(const QString& condition,
                                                               const QVariantList& values) const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    auto rows = selectAll<StoredReading>(
        database, {readingsSelect + condition + QStringLiteral(" ORDER BY id"), values},
        readingRow);
    if (auto* read = std::get_if<std::vector<StoredReading>>(&rows)) {
        *read = inTimeOrder(std::move(*read));
    }
    return readOutcome(path_, std::move(rows));
}

Outcome<std::optional<StoredReading>> CarnetStore::lastReading() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    const Outcome<std::vector<StoredReading>> last = readOutcome(
        path_,
        selectAll<StoredReading>(
            database,
            {readingsSelect + QStringLiteral(" ORDER BY heure_unix_ms DESC, id DESC LIMIT 1"), {}},
            readingRow));
    if (const Refusal* refused = refusalOf(last)) {
        return *refused;
    }
    const auto& rows = std::get<std::vector<StoredReading>>(last);
    return rows.empty() ? std::nullopt : std::optional<StoredReading>(rows.front());
}

Outcome<std::vector<Delivery>> CarnetStore::deliveries() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    return readOutcome(path_,
                       selectAll<Delivery>(database,
                                           {QStringLiteral("SELECT heure, litres_bon, prix_litre, "
                                                           "hauteur_avant_mm, hauteur_apres_mm "
                                                           "FROM livraisons ORDER BY heure, id"),
                                            {}},
                                           deliveryRow));
}

Outcome<std::vector<StoredDelivery>> CarnetStore::storedDeliveries() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    return readOutcome(
        path_, selectAll<StoredDelivery>(
                   database,
                   {QStringLiteral("SELECT heure, litres_bon, prix_litre, hauteur_avant_mm, "
                                   "hauteur_apres_mm, id FROM livraisons ORDER BY heure, id"),
                    {}},
                   storedDeliveryRow));
}

Outcome<std::vector<DailyTemperature>> CarnetStore::temperatures() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    return readOutcome(
        path_,
        selectAll<DailyTemperature>(
            database,
            {QStringLiteral("SELECT jour, moyenne_celsius FROM temperatures ORDER BY jour"), {}},
            temperatureRow));
}

Outcome<qint64> CarnetStore::othersChangeMark() const {
    const QSqlDatabase database = QSqlDatabase::database(connection_, false);
    QSqlQuery query(database);
    // SQLite's count of the commits of other connections to the file.
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next()) {
        return refusal(unreadSentence(path_, databaseReason(query.lastError())));
    }
    return query.value(0).toLongLong();
}

}  // namespace varnelle
