#include "logbook/carnet_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>

#include "file_contents.h"

namespace varnelle {
namespace {

// --- Support ----------------------------------------------------------------------

const TankValues startTank{
    {"diametre", "1000"}, {"longueur", "2000"}, {"bords", "plats"}, {"crepine", "50"}};

QDateTime utc(int day, int hour, int minute, int millisecond = 0) {
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute, 0, millisecond), Qt::UTC);
}

// Runs `statements` on the file through a connection of its own, as another
// program (or an older Varnelle) would.
void executeOn(const QString& path, const QStringList& statements) {
    const QString name = QStringLiteral("carnet-test-direct");
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        EXPECT_TRUE(database.open()) << database.lastError().text().toStdString();
        QSqlQuery query(database);
        for (const QString& statement : statements) {
            EXPECT_TRUE(query.exec(statement))
                << statement.toStdString() << ": " << query.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

int userVersion(const QString& path) {
    const QString name = QStringLiteral("carnet-test-version");
    int version = -1;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(database);
        if (database.open() && query.exec(QStringLiteral("PRAGMA user_version")) && query.next()) {
            version = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return version;
}

template <typename T>
T valueOf(Outcome<T>&& outcome) {
    if (const Refusal* refused = refusalOf(outcome)) {
        ADD_FAILURE() << refused->sentence.toStdString();
        throw std::runtime_error("refused");
    }
    return std::move(std::get<T>(outcome));
}

QString sentenceOf(const std::optional<Refusal>& refusal) {
    return refusal ? refusal->sentence : QString();
}

template <typename T>
QString sentenceOf(const Outcome<T>& outcome) {
    const Refusal* refused = refusalOf(outcome);
    return refused ? refused->sentence : QString();
}

void createCarnet(const QString& path) {
    valueOf(CarnetStore::create(path, startTank));
}

// The first carnets: the same tables, no litres with the readings, version 0.
void createVersion0Carnet(const QString& path) {
    executeOn(path,
              {"CREATE TABLE cuve(cle TEXT PRIMARY KEY NOT NULL, valeur TEXT NOT NULL)",
               "CREATE TABLE releves(id INTEGER PRIMARY KEY, heure TEXT NOT NULL, hauteur_mm REAL "
               "NOT NULL, source TEXT NOT NULL CHECK (source IN ('jauge', 'capteur')))",
               "CREATE INDEX releves_heure ON releves(heure)",
               "CREATE TABLE livraisons(id INTEGER PRIMARY KEY, heure TEXT NOT NULL, litres_bon "
               "REAL NOT NULL, prix_litre REAL, hauteur_avant_mm REAL, hauteur_apres_mm REAL)",
               "CREATE INDEX livraisons_heure ON livraisons(heure)",
               "CREATE TABLE temperatures(jour TEXT PRIMARY KEY NOT NULL, moyenne_celsius REAL "
               "NOT NULL)",
               "INSERT INTO cuve VALUES ('diametre', '1200')",
               "INSERT INTO releves(heure, hauteur_mm, source) "
               "VALUES ('2026-01-10T08:00:00.000Z', 640.5, 'jauge')"});
}

// The carnets of version 1: the readings' times kept as ISO 8601 text.
void createVersion1Carnet(const QString& path, const QStringList& readingRows) {
    QStringList statements = {
        "CREATE TABLE cuve(cle TEXT PRIMARY KEY NOT NULL, valeur TEXT NOT NULL)",
        "CREATE TABLE releves(id INTEGER PRIMARY KEY, heure TEXT NOT NULL, hauteur_mm REAL NOT "
        "NULL, source TEXT NOT NULL CHECK (source IN ('jauge', 'capteur')), litres REAL)",
        "CREATE INDEX releves_heure ON releves(heure)",
        "CREATE TABLE livraisons(id INTEGER PRIMARY KEY, heure TEXT NOT NULL, litres_bon REAL NOT "
        "NULL, prix_litre REAL, hauteur_avant_mm REAL, hauteur_apres_mm REAL)",
        "CREATE INDEX livraisons_heure ON livraisons(heure)",
        "CREATE TABLE temperatures(jour TEXT PRIMARY KEY NOT NULL, moyenne_celsius REAL NOT NULL)",
        "INSERT INTO cuve VALUES ('diametre', '1200')",
        "INSERT INTO livraisons(heure, litres_bon) VALUES ('2026-01-09T10:00:00.000Z', 900)",
        "PRAGMA user_version = 1"};
    for (const QString& row : readingRows) {
        statements << QStringLiteral(
                          "INSERT INTO releves(heure, hauteur_mm, source, litres) VALUES (%1)")
                          .arg(row);
    }
    executeOn(path, statements);
}

// The readings' times of a carnet of version 1, as written.
QStringList version1Times(const QString& path) {
    const QString name = QStringLiteral("carnet-test-version-1");
    QStringList times;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(path);
        QSqlQuery query(database);
        if (database.open() &&
            query.exec(QStringLiteral("SELECT heure FROM releves ORDER BY id"))) {
            while (query.next()) {
                times << query.value(0).toString();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return times;
}

void expectSameReading(const StoredReading& read, const Reading& written,
                       std::optional<double> litres) {
    EXPECT_EQ(read.reading.time, written.time);
    EXPECT_EQ(read.reading.time.timeSpec(), Qt::UTC);
    EXPECT_EQ(read.reading.heightMm, written.heightMm);
    EXPECT_EQ(read.reading.source, written.source);
    EXPECT_EQ(read.litres, litres);
}

class CarnetFolder : public ::testing::Test {
  protected:
    QString file(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
};

// --- Files refused as carnets -----------------------------------------------------

struct RefusedFile {
    const char* name;
    std::function<QString(const QString& folder)> make;  // the path to open
    bool forWriting;
    std::function<QString(const QString& path)> sentence;
};

QString notCarnet(const QString& path) {
    return QStringLiteral("Le fichier « %1 » n'est pas un carnet de cuve.").arg(path);
}

QString unopened(const QString& path, const char* reason) {
    return QStringLiteral("Le fichier « %1 » n'a pas pu être ouvert : %2")
        .arg(path, QString::fromUtf8(reason));
}

QString later(const QString& path) {
    return QStringLiteral("Le carnet « %1 » a été écrit par une version plus récente de Varnelle.")
        .arg(path);
}

const char* const specialFile =
    "ce n'est pas un fichier ordinaire (périphérique, tube ou autre fichier spécial).";

QString writtenFile(const QString& folder, const QByteArray& contents) {
    const QString path = folder + QStringLiteral("/cuve.carnet");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return path;
}

QString laterCarnet(const QString& folder) {
    const QString path = folder + QStringLiteral("/cuve.carnet");
    createCarnet(path);
    executeOn(path,
              {QStringLiteral("PRAGMA user_version = %1").arg(CarnetStore::currentVersion + 1)});
    return path;
}

const RefusedFile refusedFiles[] = {
    {"dossier",
     [](const QString& folder) {
         QDir(folder).mkdir(QStringLiteral("cuve.carnet"));
         return folder + QStringLiteral("/cuve.carnet");
     },
     true, [](const QString& path) { return unopened(path, "c'est un dossier."); }},
    {"tube",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/cuve.carnet");
         EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         return path;
     },
     true, [](const QString& path) { return unopened(path, specialFile); }},
    {"peripherique", [](const QString&) { return QStringLiteral("/dev/null"); }, false,
     [](const QString& path) { return unopened(path, specialFile); }},
    {"absent", [](const QString& folder) { return folder + QStringLiteral("/absent.carnet"); },
     true,
     [](const QString& path) { return unopened(path, "ce dossier ou ce fichier n'existe pas."); }},
    {"vide", [](const QString& folder) { return writtenFile(folder, QByteArray()); }, true,
     notCarnet},
    {"texte", [](const QString& folder) { return writtenFile(folder, "{\"diametre\": 1000}\n"); },
     false, notCarnet},
    {"en_tete_sqlite_seul",
     [](const QString& folder) {
         return writtenFile(folder, QByteArray("SQLite format 3", 16) + QByteArray(4080, 'x'));
     },
     true, notCarnet},
    {"sqlite_sans_nos_tables",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/cuve.carnet");
         executeOn(path, {"CREATE TABLE autre(x INTEGER)"});
         return path;
     },
     true, notCarnet},
    {"version_posterieure_en_ecriture", laterCarnet, true, later},
    {"version_posterieure_en_lecture", laterCarnet, false, later},
    {"lecture_seule_en_ecriture",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/cuve.carnet");
         createCarnet(path);
         EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
         return path;
     },
     true,
     [](const QString& path) {
         return QStringLiteral("Le carnet « %1 » est en lecture seule.").arg(path);
     }},
    {"version_0_en_lecture",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/cuve.carnet");
         createVersion0Carnet(path);
         return path;
     },
     false,
     [](const QString& path) {
         return QStringLiteral(
                    "Le carnet « %1 » a été écrit par une version plus ancienne de "
                    "Varnelle : ouvrez-le pour le modifier, il sera mis à jour.")
             .arg(path);
     }},
};

class RefusedCarnet : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(RefusedCarnet, IsRefusedWithItsSentenceAndLeftAsItWas) {
    const QTemporaryDir folder;
    const QString path = GetParam().make(folder.path());
    const bool ordinary = QFileInfo(path).isFile();
    const QByteArray before = ordinary ? contentsOf(path) : QByteArray();
    const QStringList entriesBefore =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::System);

    const Outcome<CarnetStore> opened = CarnetStore::open(path, GetParam().forWriting);

    ASSERT_NE(refusalOf(opened), nullptr);
    EXPECT_EQ(refusalOf(opened)->subject, path);
    EXPECT_EQ(refusalOf(opened)->sentence, GetParam().sentence(path));
    if (ordinary) {
        EXPECT_EQ(contentsOf(path), before);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::System), entriesBefore);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedCarnet, ::testing::ValuesIn(refusedFiles),
                         [](const ::testing::TestParamInfo<RefusedFile>& info) {
                             return std::string(info.param.name);
                         });

// --- Creation refused ---------------------------------------------------------------

TEST_F(CarnetFolder, CreationOverAnExistingFileIsRefusedAndTheFileKept) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    writtenFile(folder_.path(), "à garder");

    const Outcome<CarnetStore> created = CarnetStore::create(path, startTank);

    EXPECT_EQ(sentenceOf(created), QStringLiteral("Le fichier « %1 » existe déjà.").arg(path));
    EXPECT_EQ(contentsOf(path), QByteArray("à garder"));
}

TEST_F(CarnetFolder, CreationInAMissingFolderIsRefused) {
    const QString path = file(QStringLiteral("absent/cuve.carnet"));

    const Outcome<CarnetStore> created = CarnetStore::create(path, startTank);

    EXPECT_EQ(sentenceOf(created),
              QStringLiteral("Le carnet « %1 » n'a pas pu être créé : ce dossier ou ce fichier "
                             "n'existe pas.")
                  .arg(path));
}

// --- Round trip ---------------------------------------------------------------------

TEST_F(CarnetFolder, WhatIsWrittenIsReadBackAfterReopening) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    // Added out of time order; one time given with an offset from UTC.
    const Reading sensor{utc(12, 6, 0, 250), 612.5, Reading::Source::Sensor};
    const Reading dipstick{utc(10, 8, 30), 655.0, Reading::Source::Dipstick};
    const Reading offset{QDateTime(QDate(2026, 1, 11), QTime(9, 15), Qt::OffsetFromUTC, 3600),
                         640.0, Reading::Source::Dipstick};
    const Delivery full{utc(5, 14, 0), 1500.0, 1.089, 120.0, 910.0};
    const Delivery bare{utc(20, 10, 0), 800.0, std::nullopt, std::nullopt, std::nullopt};
    {
        CarnetStore store = valueOf(CarnetStore::create(path, startTank));
        EXPECT_FALSE(store.addReading(sensor, 1012.75));
        EXPECT_FALSE(store.addReading(dipstick));
        EXPECT_FALSE(store.addReading(offset));
        EXPECT_FALSE(store.addDelivery(bare));
        EXPECT_FALSE(store.addDelivery(full));
        EXPECT_FALSE(store.addTemperature({QDate(2026, 1, 11), -2.5}));
        EXPECT_FALSE(store.addTemperature({QDate(2026, 1, 10), 4.0}));
        EXPECT_FALSE(store.addTemperature({QDate(2026, 1, 11), -3.0}));  // takes the day's place
    }
    const CarnetStore store = valueOf(CarnetStore::open(path, false));

    EXPECT_EQ(valueOf(store.tank()), startTank);
    const std::vector<StoredReading> readings = valueOf(store.readings());
    ASSERT_EQ(readings.size(), 3u);
    expectSameReading(readings[0], dipstick, std::nullopt);
    expectSameReading(readings[1], offset, std::nullopt);
    expectSameReading(readings[2], sensor, 1012.75);
    const std::optional<StoredReading> last = valueOf(store.lastReading());
    ASSERT_TRUE(last);
    expectSameReading(*last, sensor, 1012.75);
    const std::vector<Delivery> deliveries = valueOf(store.deliveries());
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[0].time, full.time);
    EXPECT_EQ(deliveries[0].receiptLitres, full.receiptLitres);
    EXPECT_EQ(deliveries[0].pricePerLitre, full.pricePerLitre);
    EXPECT_EQ(deliveries[0].heightBeforeMm, full.heightBeforeMm);
    EXPECT_EQ(deliveries[0].heightAfterMm, full.heightAfterMm);
    EXPECT_EQ(deliveries[1].time, bare.time);
    EXPECT_EQ(deliveries[1].receiptLitres, bare.receiptLitres);
    EXPECT_FALSE(deliveries[1].pricePerLitre);
    EXPECT_FALSE(deliveries[1].heightBeforeMm);
    EXPECT_FALSE(deliveries[1].heightAfterMm);
    const std::vector<DailyTemperature> temperatures = valueOf(store.temperatures());
    ASSERT_EQ(temperatures.size(), 2u);
    EXPECT_EQ(temperatures[0].day, QDate(2026, 1, 10));
    EXPECT_EQ(temperatures[0].meanCelsius, 4.0);
    EXPECT_EQ(temperatures[1].day, QDate(2026, 1, 11));
    EXPECT_EQ(temperatures[1].meanCelsius, -3.0);
    EXPECT_EQ(userVersion(path), CarnetStore::currentVersion);
}

TEST_F(CarnetFolder, ANewCarnetHasNoReadingAndItsTank) {
    const CarnetStore store =
        valueOf(CarnetStore::create(file(QStringLiteral("cuve.carnet")), startTank));

    EXPECT_TRUE(valueOf(store.readings()).empty());
    EXPECT_FALSE(valueOf(store.lastReading()));
    EXPECT_EQ(valueOf(store.tank()), startTank);
}

TEST_F(CarnetFolder, DeletingATimeRemovesItsReadingsOnly) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    CarnetStore store = valueOf(CarnetStore::create(path, startTank));
    const Reading kept{utc(10, 8, 0), 600.0, Reading::Source::Dipstick};
    const Reading wrong{utc(11, 8, 0), 6000.0, Reading::Source::Dipstick};
    EXPECT_FALSE(store.addReading(kept));
    EXPECT_FALSE(store.addReading(wrong));
    EXPECT_FALSE(store.addReading({wrong.time, 6001.0, Reading::Source::Sensor}));

    EXPECT_EQ(valueOf(store.deleteReadingsAt(wrong.time)), 2);
    EXPECT_EQ(valueOf(store.deleteReadingsAt(wrong.time)), 0);

    const std::vector<StoredReading> readings = valueOf(store.readings());
    ASSERT_EQ(readings.size(), 1u);
    expectSameReading(readings[0], kept, std::nullopt);
}

TEST_F(CarnetFolder, ReplacingTheTankDropsTheKeysNoLongerGiven) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    CarnetStore store = valueOf(CarnetStore::create(path, startTank));
    const TankValues measuredAgain{{"perimetre", "3142"}, {"longueur", "2100"}};

    EXPECT_FALSE(store.replaceTank(measuredAgain));

    EXPECT_EQ(valueOf(valueOf(CarnetStore::open(path, false)).tank()), measuredAgain);
}

// The litres stored with the readings were the old tank's.
struct TankChange {
    const char* name;
    LitresAt litresAt;
    std::optional<double> litresAt400, litresAt600;
};

void PrintTo(const TankChange& row, std::ostream* out) {
    *out << row.name;
}

class ReplacedTank : public ::testing::TestWithParam<TankChange> {};

TEST_P(ReplacedTank, TakesTheLitresOfTheOldTankAway) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cuve.carnet"));
    CarnetStore store = valueOf(CarnetStore::create(path, startTank));
    EXPECT_FALSE(store.addReading({utc(10, 8, 0), 600.0, Reading::Source::Sensor}, 1200.0));
    EXPECT_FALSE(store.addReading({utc(11, 8, 0), 400.0, Reading::Source::Dipstick}, 800.0));
    EXPECT_FALSE(store.addReading({utc(12, 8, 0), 600.0, Reading::Source::Sensor}, 1200.0));

    EXPECT_FALSE(store.replaceTank({{"diametre", "1200"}}, GetParam().litresAt));

    const std::vector<StoredReading> readings =
        valueOf(valueOf(CarnetStore::open(path, false)).readings());
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_EQ(readings[0].litres, GetParam().litresAt600);
    EXPECT_EQ(readings[1].litres, GetParam().litresAt400);
    EXPECT_EQ(readings[2].litres, GetParam().litresAt600);
    EXPECT_EQ(readings[1].reading.heightMm, 400.0);
}

INSTANTIATE_TEST_SUITE_P(
    Tanks, ReplacedTank,
    ::testing::Values(TankChange{"litres_oublies", LitresAt(), std::nullopt, std::nullopt},
                      TankChange{"litres_recalcules", [](double height) { return 3 * height; },
                                 1200.0, 1800.0},
                      TankChange{"litres_non_finis",
                                 [](double height) {
                                     return height > 500 ? std::numeric_limits<double>::quiet_NaN()
                                                         : 3 * height;
                                 },
                                 1200.0, std::nullopt}));

TEST_F(CarnetFolder, AStoreOpenedForReadingRefusesChanges) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    createCarnet(path);
    CarnetStore store = valueOf(CarnetStore::open(path, false));

    EXPECT_EQ(sentenceOf(store.addReading({utc(10, 8, 0), 500.0, Reading::Source::Dipstick})),
              QStringLiteral("Le carnet « %1 » n'a pas pu être modifié : le carnet est en lecture "
                             "seule.")
                  .arg(path));
    EXPECT_TRUE(valueOf(store.readings()).empty());
}

TEST_F(CarnetFolder, ClosedStoresLeaveNoFileBesideTheCarnet) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    {
        CarnetStore store = valueOf(CarnetStore::create(path, startTank));
        EXPECT_FALSE(store.addReading({utc(10, 8, 0), 500.0, Reading::Source::Dipstick}));
    }
    for (const bool forWriting : {true, false}) {
        valueOf(CarnetStore::open(path, forWriting));
        EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{"cuve.carnet"});
    }
}

TEST_F(CarnetFolder, AReadOnlyCarnetIsRead) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    {
        CarnetStore store = valueOf(CarnetStore::create(path, startTank));
        EXPECT_FALSE(store.addReading({utc(10, 8, 0), 500.0, Reading::Source::Dipstick}));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);

    EXPECT_EQ(valueOf(valueOf(CarnetStore::open(path, false)).readings()).size(), 1u);
}

// --- Values refused -----------------------------------------------------------------

struct RefusedChange {
    const char* name;
    std::function<std::optional<Refusal>(CarnetStore&)> change;
    const char* reason;
};

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

const RefusedChange refusedChanges[] = {
    {"heure_invalide",
     [](CarnetStore& store) {
         return store.addReading({QDateTime(), 500.0, Reading::Source::Sensor});
     },
     "l'heure n'est pas valide."},
    {"heure_an_10000",
     [](CarnetStore& store) {
         return store.addReading(
             {QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC), 500.0, Reading::Source::Sensor});
     },
     "l'heure n'est pas valide."},
    {"hauteur_pas_un_nombre",
     [](CarnetStore& store) {
         return store.addReading({utc(10, 8, 0), notANumber, Reading::Source::Sensor});
     },
     "une valeur n'est pas un nombre fini."},
    {"litres_infinis",
     [](CarnetStore& store) {
         return store.addReading({utc(10, 8, 0), 500.0, Reading::Source::Sensor}, infinity);
     },
     "une valeur n'est pas un nombre fini."},
    {"prix_pas_un_nombre",
     [](CarnetStore& store) {
         return store.addDelivery({utc(10, 8, 0), 1000.0, notANumber, std::nullopt, std::nullopt});
     },
     "une valeur n'est pas un nombre fini."},
    {"livraison_sans_heure",
     [](CarnetStore& store) {
         return store.addDelivery({QDateTime(), 1000.0, std::nullopt, std::nullopt, std::nullopt});
     },
     "l'heure n'est pas valide."},
    {"jour_invalide",
     [](CarnetStore& store) {
         return store.addTemperature({QDate(), 3.0});
     },
     "le jour n'est pas valide."},
    {"temperature_infinie",
     [](CarnetStore& store) {
         return store.addTemperature({QDate(2026, 1, 10), -infinity});
     },
     "une valeur n'est pas un nombre fini."},
};

class RefusedValue : public ::testing::TestWithParam<RefusedChange> {};

TEST_P(RefusedValue, IsRefusedAndNothingIsAdded) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cuve.carnet"));
    CarnetStore store = valueOf(CarnetStore::create(path, startTank));

    EXPECT_EQ(sentenceOf(GetParam().change(store)),
              QStringLiteral("Le carnet « %1 » n'a pas pu être modifié : %2")
                  .arg(path, QString::fromUtf8(GetParam().reason)));

    EXPECT_TRUE(valueOf(store.readings()).empty());
    EXPECT_TRUE(valueOf(store.deliveries()).empty());
    EXPECT_TRUE(valueOf(store.temperatures()).empty());
}

INSTANTIATE_TEST_SUITE_P(Changes, RefusedValue, ::testing::ValuesIn(refusedChanges),
                         [](const ::testing::TestParamInfo<RefusedChange>& info) {
                             return std::string(info.param.name);
                         });

// --- Versions -----------------------------------------------------------------------

TEST_F(CarnetFolder, AVersion0CarnetOpenedForWritingIsBroughtUpToDate) {
    const QString path = file(QStringLiteral("ancien.carnet"));
    createVersion0Carnet(path);
    ASSERT_EQ(userVersion(path), 0);
    const Reading sensor{utc(11, 8, 0), 630.0, Reading::Source::Sensor};
    {
        CarnetStore store = valueOf(CarnetStore::open(path, true));
        EXPECT_FALSE(store.addReading(sensor, 980.5));
    }
    EXPECT_EQ(userVersion(path), CarnetStore::currentVersion);

    const CarnetStore store = valueOf(CarnetStore::open(path, false));
    const std::vector<StoredReading> readings = valueOf(store.readings());
    ASSERT_EQ(readings.size(), 2u);
    expectSameReading(readings[0], {utc(10, 8, 0), 640.5, Reading::Source::Dipstick}, std::nullopt);
    expectSameReading(readings[1], sensor, 980.5);
    EXPECT_EQ(valueOf(store.tank()), (TankValues{{"diametre", "1200"}}));
}

// Each time written by version 1 (or by another tool in another ISO 8601
// form) is read back to the millisecond after the carnet is brought up to
// date, with the rest of its row.
struct Version1Time {
    const char* name;
    const char* written;
    QDateTime utc;
};

void PrintTo(const Version1Time& row, std::ostream* out) {
    *out << row.name;
}

class Version1Carnet : public ::testing::TestWithParam<Version1Time> {};

TEST_P(Version1Carnet, IsBroughtUpToDateWithItsTimesToTheMillisecond) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ancien.carnet"));
    createVersion1Carnet(path, {QStringLiteral("'%1', 612.25, 'capteur', 1012.75")
                                    .arg(QString::fromLatin1(GetParam().written)),
                                "'2026-01-10T08:00:00.000Z', 640.5, 'jauge', NULL"});

    valueOf(CarnetStore::open(path, true));

    EXPECT_EQ(userVersion(path), CarnetStore::currentVersion);
    const CarnetStore store = valueOf(CarnetStore::open(path, false));
    const std::vector<StoredReading> readings = valueOf(store.readings());
    ASSERT_EQ(readings.size(), 2u);
    const bool first = GetParam().utc < utc(10, 8, 0);
    expectSameReading(readings[first ? 1 : 0], {utc(10, 8, 0), 640.5, Reading::Source::Dipstick},
                      std::nullopt);
    expectSameReading(readings[first ? 0 : 1], {GetParam().utc, 612.25, Reading::Source::Sensor},
                      1012.75);
    const std::vector<Delivery> deliveries = valueOf(store.deliveries());
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].time, utc(9, 10, 0));
    EXPECT_EQ(valueOf(store.tank()), (TankValues{{"diametre", "1200"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, Version1Carnet,
    ::testing::Values(Version1Time{"comme_ecrite", "2026-01-12T06:00:00.250Z", utc(12, 6, 0, 250)},
                      Version1Time{"millisecondes_999", "2026-01-12T23:59:59.999Z",
                                   QDateTime(QDate(2026, 1, 12), QTime(23, 59, 59, 999), Qt::UTC)},
                      Version1Time{"avant_1970", "1969-12-31T23:59:59.001Z",
                                   QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 1), Qt::UTC)},
                      Version1Time{"decalage_horaire", "2026-01-11T10:15:00.000+01:00",
                                   utc(11, 9, 15)},
                      Version1Time{"sans_millisecondes", "2026-01-09T07:30:00Z", utc(9, 7, 30)}));

TEST_F(CarnetFolder, AVersion1CarnetWithAnUnreadableTimeIsRefusedAndLeftAsItWas) {
    const QString path = file(QStringLiteral("ancien.carnet"));
    createVersion1Carnet(path, {"'2026-01-12T06:00:00.000Z', 612.25, 'capteur', NULL",
                                "'le 12 janvier', 610, 'jauge', NULL"});

    const Outcome<CarnetStore> opened = CarnetStore::open(path, true);

    EXPECT_TRUE(sentenceOf(opened).startsWith(
        QStringLiteral("Le carnet « %1 » n'a pas pu être mis à jour : ").arg(path)))
        << sentenceOf(opened).toStdString();
    EXPECT_EQ(userVersion(path), 1);
    EXPECT_EQ(version1Times(path), (QStringList{"2026-01-12T06:00:00.000Z", "le 12 janvier"}));
}

// --- The readings since a time ------------------------------------------------------

struct SinceCase {
    const char* name;
    QDateTime from;
    std::vector<int> days;  // the readings given, by their day in January
};

void PrintTo(const SinceCase& row, std::ostream* out) {
    *out << row.name;
}

class ReadingsSince : public ::testing::TestWithParam<SinceCase> {};

// Readings at 08:00 on the 3rd to the 7th of January, added out of order.
TEST_P(ReadingsSince, StartAtTheLastReadingAtOrBeforeTheTime) {
    const QTemporaryDir folder;
    CarnetStore store =
        valueOf(CarnetStore::create(folder.filePath(QStringLiteral("cuve.carnet")), startTank));
    for (const int day : {3, 4, 6, 5, 7}) {
        EXPECT_FALSE(store.addReading({utc(day, 8, 0), 700.0 - day, Reading::Source::Sensor}));
    }

    std::vector<int> days;
    for (const StoredReading& read : valueOf(store.readingsSince(GetParam().from))) {
        days.push_back(read.reading.time.date().day());
        EXPECT_EQ(read.reading.heightMm, 700.0 - days.back());
    }

    EXPECT_EQ(days, GetParam().days);
}

INSTANTIATE_TEST_SUITE_P(Reads, ReadingsSince,
                         ::testing::Values(SinceCase{"avant_tous", utc(1, 0, 0), {3, 4, 5, 6, 7}},
                                           SinceCase{"entre_deux", utc(5, 12, 0), {5, 6, 7}},
                                           SinceCase{
                                               "a_l_heure_d_un_releve", utc(5, 8, 0), {5, 6, 7}},
                                           SinceCase{"apres_tous", utc(9, 0, 0), {7}}));

// Readings on 5 January at 06:00, 07:00, 07:30, 08:00, 09:00 and 10:00, by
// time; each one's height is its minutes past 06:00.
std::vector<StoredReading> morningReadings() {
    std::vector<StoredReading> stored;
    for (const auto& [hour, minute] : {std::pair{6, 0}, {7, 0}, {7, 30}, {8, 0}, {9, 0}, {10, 0}}) {
        const double height = (hour - 6) * 60 + minute;
        stored.push_back({{utc(5, hour, minute), height, Reading::Source::Dipstick}, height});
    }
    return stored;
}

struct NearCase {
    const char* name;
    QDateTime time;
    std::optional<double> heightBefore;  // the last height read at or before `time`
    std::vector<double> near;            // the heights within the hour either side
};

void PrintTo(const NearCase& row, std::ostream* out) {
    *out << row.name;
}

class StoredLookUp : public ::testing::TestWithParam<NearCase> {};

TEST_P(StoredLookUp, FindsTheHeightBeforeAndTheReadingsWithinTheHour) {
    const std::vector<StoredReading> stored = morningReadings();
    EXPECT_EQ(heightReadBefore(stored, GetParam().time), GetParam().heightBefore);
    std::vector<double> near;
    for (const Reading& reading : readingsNearDelivery(stored, GetParam().time)) {
        near.push_back(reading.heightMm);
    }
    EXPECT_EQ(near, GetParam().near);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, StoredLookUp,
    ::testing::Values(NearCase{"avant_tous", utc(5, 4, 0), std::nullopt, {}},
                      NearCase{"une_heure_avant_le_premier", utc(5, 5, 0), std::nullopt, {0}},
                      NearCase{"a_l_heure_d_un_releve", utc(5, 8, 0), 120, {60, 90, 120, 180}},
                      NearCase{"entre_deux", utc(5, 8, 30), 120, {90, 120, 180}},
                      NearCase{"apres_tous", utc(5, 12, 0), 240, {}},
                      NearCase{"une_heure_apres_le_dernier", utc(5, 11, 0), 240, {240}}));

// --- Changes by other programs ---------------------------------------------------------

TEST_F(CarnetFolder, TheMarkOfOthersChangesMovesWithTheirChangesOnly) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    CarnetStore stream = valueOf(CarnetStore::create(path, startTank));
    const qint64 start = valueOf(stream.othersChangeMark());

    EXPECT_FALSE(stream.addReading({utc(10, 8, 0), 600.0, Reading::Source::Sensor}));
    EXPECT_EQ(valueOf(stream.othersChangeMark()), start);

    CarnetStore window = valueOf(CarnetStore::open(path, true));
    EXPECT_FALSE(window.addDelivery({utc(10, 9, 0), 500.0, std::nullopt, 600.0, 850.0}));
    const qint64 afterDelivery = valueOf(stream.othersChangeMark());
    EXPECT_NE(afterDelivery, start);
    EXPECT_EQ(valueOf(stream.othersChangeMark()), afterDelivery);
}

// --- Two writers --------------------------------------------------------------------

TEST_F(CarnetFolder, TwoStoresWritingTheSameCarnetInTurnBothLand) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    createCarnet(path);
    CarnetStore stream = valueOf(CarnetStore::open(path, true));
    CarnetStore window = valueOf(CarnetStore::open(path, true));
    const CarnetStore reader = valueOf(CarnetStore::open(path, false));
    constexpr int turns = 20;

    for (int turn = 0; turn < turns; ++turn) {
        EXPECT_FALSE(
            stream.addReading({utc(10, 8, turn), 600.0 - turn, Reading::Source::Sensor}, 900.0));
        EXPECT_FALSE(
            window.addReading({utc(10, 9, turn), 500.0 - turn, Reading::Source::Dipstick}));
        EXPECT_EQ(valueOf(reader.readings()).size(), 2u * static_cast<unsigned>(turn + 1));
    }

    EXPECT_EQ(valueOf(stream.readings()).size(), 2u * turns);
    EXPECT_EQ(valueOf(window.readings()).size(), 2u * turns);
    EXPECT_EQ(valueOf(valueOf(CarnetStore::open(path, false)).readings()).size(), 2u * turns);
}

// --- A program killed -----------------------------------------------------------------

// A reading that the stream was told is added is in the file, even when the
// stream is then killed without a chance to close the carnet, however little
// it syncs.
class KilledWriter : public ::testing::TestWithParam<CarnetStore::Durability> {};

TEST_P(KilledWriter, KeepsTheReadingsItWasToldWereAdded) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cuve.carnet"));
    createCarnet(path);
    constexpr int count = 50;

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Outcome<CarnetStore> stream = CarnetStore::open(path, true);
        CarnetStore* store = std::get_if<CarnetStore>(&stream);
        if (store != nullptr && !store->setDurability(GetParam())) {
            int added = 0;
            while (added < count &&
                   !store->addReading({utc(10, 8, added), 720.0 - added, Reading::Source::Sensor},
                                      1200.0)) {
                ++added;
            }
            if (added == count) {
                ::raise(SIGKILL);
            }
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "a reading was refused";

    const std::vector<StoredReading> readings =
        valueOf(valueOf(CarnetStore::open(path, false)).readings());
    ASSERT_EQ(readings.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        expectSameReading(readings[static_cast<std::size_t>(i)],
                          {utc(10, 8, i), 720.0 - i, Reading::Source::Sensor}, 1200.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Durability, KilledWriter,
                         ::testing::Values(CarnetStore::Durability::PowerCut,
                                           CarnetStore::Durability::ProgramEnd),
                         [](const ::testing::TestParamInfo<CarnetStore::Durability>& info) {
                             return std::string(info.param == CarnetStore::Durability::PowerCut
                                                    ? "coupure_de_courant"
                                                    : "fin_du_programme");
                         });

// A program killed while it creates carnets, at whatever moment, leaves no
// half carnet under a carnet's name: each one there opens.
TEST_F(CarnetFolder, CreationKilledLeavesNoHalfCarnet) {
    for (const int microseconds : {3'000, 20'000, 70'000}) {
        const QString folder = file(QStringLiteral("essai-%1").arg(microseconds));
        ASSERT_TRUE(QDir().mkpath(folder));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                CarnetStore::create(QStringLiteral("%1/cuve-%2.carnet").arg(folder).arg(i),
                                    startTank);
            }
        }
        ::usleep(microseconds);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const QStringList carnets =
            QDir(folder).entryList({QStringLiteral("*.carnet")}, QDir::Files);
        for (const QString& name : carnets) {
            const Outcome<CarnetStore> opened = CarnetStore::open(folder + '/' + name, false);
            EXPECT_EQ(sentenceOf(opened), QString()) << name.toStdString();
        }
    }
}

// A sensor's stream and the window writing at the same moment: each waits for
// the other's transaction rather than losing its reading.
TEST_F(CarnetFolder, TwoProgramsWritingAtOnceBothLand) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    createCarnet(path);
    constexpr int each = 100;

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Outcome<CarnetStore> stream = CarnetStore::open(path, true);
        CarnetStore* store = std::get_if<CarnetStore>(&stream);
        int landed = 0;
        for (int reading = 0; store && reading < each; ++reading) {
            landed +=
                store->addReading({utc(10, 8, 0, reading), 700.0, Reading::Source::Sensor}) ? 0 : 1;
        }
        ::_exit(landed == each ? 0 : 1);
    }
    CarnetStore window = valueOf(CarnetStore::open(path, true));
    for (int reading = 0; reading < each; ++reading) {
        EXPECT_FALSE(window.addReading({utc(10, 9, 0, reading), 650.0, Reading::Source::Dipstick}));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the stream lost readings";
    EXPECT_EQ(valueOf(window.readings()).size(), 2u * each);
}

// --- Moving a store -----------------------------------------------------------------

TEST_F(CarnetFolder, AMovedStoreKeepsItsCarnet) {
    const QString first = file(QStringLiteral("premier.carnet"));
    const QString second = file(QStringLiteral("second.carnet"));
    CarnetStore store = valueOf(CarnetStore::create(first, startTank));
    CarnetStore other = valueOf(CarnetStore::create(second, {{"diametre", "900"}}));

    store = std::move(other);
    EXPECT_FALSE(store.addReading({utc(10, 8, 0), 400.0, Reading::Source::Dipstick}));

    EXPECT_EQ(store.path(), second);
    EXPECT_EQ(valueOf(valueOf(CarnetStore::open(second, false)).readings()).size(), 1u);
    EXPECT_TRUE(valueOf(valueOf(CarnetStore::open(first, false)).readings()).empty());
}

// --- Editing the journal by rows ----------------------------------------------------

// One edit of the journal, made on a carnet holding two readings (heights 700
// then 650) and one delivery of 900 litres, and what the carnet then holds.
struct JournalEdit {
    const char* name;
    std::function<QString(CarnetStore& store, qint64 firstReading, qint64 delivery)> edit;
    std::vector<double> heights;          // the readings' heights, by time
    std::vector<double> deliveredLitres;  // the deliveries' receipts, by time
    bool refused = false;
};

void PrintTo(const JournalEdit& row, std::ostream* out) {
    *out << row.name;
}

class JournalEdits : public CarnetFolder, public ::testing::WithParamInterface<JournalEdit> {};

TEST_P(JournalEdits, ChangeOnlyTheirRow) {
    const JournalEdit& row = GetParam();
    const QString path = file(QStringLiteral("cuve.carnet"));
    CarnetStore store = valueOf(CarnetStore::create(path, startTank));
    ASSERT_FALSE(store.addReading({utc(10, 8, 0), 700.0, Reading::Source::Dipstick}, 1000.0));
    ASSERT_FALSE(store.addReading({utc(11, 8, 0), 650.0, Reading::Source::Sensor}, 930.0));
    ASSERT_FALSE(store.addDelivery({utc(12, 9, 0), 900.0, 1.25, std::nullopt, std::nullopt}));
    const std::vector<StoredReading> before = valueOf(store.readings());
    const std::vector<StoredDelivery> delivered = valueOf(store.storedDeliveries());
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(delivered.size(), 1u);

    const QString sentence = row.edit(store, before[0].id, delivered[0].id);

    EXPECT_EQ(sentence.isEmpty(), !row.refused) << sentence.toStdString();
    std::vector<double> heights;
    for (const StoredReading& stored : valueOf(store.readings())) {
        heights.push_back(stored.reading.heightMm);
    }
    std::vector<double> receipts;
    for (const StoredDelivery& stored : valueOf(store.storedDeliveries())) {
        receipts.push_back(stored.delivery.receiptLitres);
    }
    EXPECT_EQ(heights, row.heights);
    EXPECT_EQ(receipts, row.deliveredLitres);
}

QString refusalSentence(const std::optional<Refusal>& refusal) {
    return refusal ? refusal->sentence : QString();
}

INSTANTIATE_TEST_SUITE_P(
    CarnetStore, JournalEdits,
    ::testing::Values(
        JournalEdit{"readingReplacedInPlace",
                    [](CarnetStore& store, qint64 first, qint64) {
                        return sentenceOf(store.putReading(
                            {{utc(10, 8, 0), 710.0, Reading::Source::Dipstick}, 1010.0, first}));
                    },
                    {710.0, 650.0},
                    {900.0}},
        JournalEdit{"readingMovedAfterTheOther",
                    [](CarnetStore& store, qint64 first, qint64) {
                        return sentenceOf(store.putReading(
                            {{utc(20, 8, 0), 600.0, Reading::Source::Dipstick}, {}, first}));
                    },
                    {650.0, 600.0},
                    {900.0}},
        JournalEdit{"newReadingWithoutId",
                    [](CarnetStore& store, qint64, qint64) {
                        return sentenceOf(store.putReading(
                            {{utc(9, 8, 0), 720.0, Reading::Source::Dipstick}, {}, 0}));
                    },
                    {720.0, 700.0, 650.0},
                    {900.0}},
        JournalEdit{"readingDeletedById",
                    [](CarnetStore& store, qint64 first, qint64) {
                        return refusalSentence(store.deleteReading(first));
                    },
                    {650.0},
                    {900.0}},
        JournalEdit{"deletedReadingRestoredUnderItsId",
                    [](CarnetStore& store, qint64 first, qint64) {
                        const std::vector<StoredReading> all = valueOf(store.readings());
                        EXPECT_FALSE(store.deleteReading(first));
                        const qint64 id = valueOf(store.putReading(all[0]));
                        EXPECT_EQ(id, first);
                        return QString();
                    },
                    {700.0, 650.0},
                    {900.0}},
        JournalEdit{"readingGoneIsRefused",
                    [](CarnetStore& store, qint64 first, qint64) {
                        EXPECT_FALSE(store.deleteReading(first));
                        return refusalSentence(store.deleteReading(first));
                    },
                    {650.0},
                    {900.0},
                    true},
        JournalEdit{"readingWithoutValidTimeRefused",
                    [](CarnetStore& store, qint64 first, qint64) {
                        return sentenceOf(store.putReading(
                            {{QDateTime(), 710.0, Reading::Source::Dipstick}, {}, first}));
                    },
                    {700.0, 650.0},
                    {900.0},
                    true},
        JournalEdit{"deliveryReplacedInPlace",
                    [](CarnetStore& store, qint64, qint64 delivery) {
                        return sentenceOf(store.putDelivery(
                            {{utc(12, 9, 0), 950.0, std::nullopt, 300.0, 800.0}, delivery}));
                    },
                    {700.0, 650.0},
                    {950.0}},
        JournalEdit{"deliveryDeletedById",
                    [](CarnetStore& store, qint64, qint64 delivery) {
                        return refusalSentence(store.deleteDelivery(delivery));
                    },
                    {700.0, 650.0},
                    {}},
        JournalEdit{"deliveryNotFiniteRefused",
                    [](CarnetStore& store, qint64, qint64 delivery) {
                        return sentenceOf(store.putDelivery(
                            {{utc(12, 9, 0), std::numeric_limits<double>::infinity(), std::nullopt,
                              std::nullopt, std::nullopt},
                             delivery}));
                    },
                    {700.0, 650.0},
                    {900.0},
                    true},
        JournalEdit{"readingsAddedTogether",
                    [](CarnetStore& store, qint64, qint64) {
                        return sentenceOf(
                            store.addReadings({{utc(13, 8, 0), 640.0, Reading::Source::Sensor},
                                               {utc(14, 8, 0), 630.0, Reading::Source::Sensor}},
                                              [](double height) { return height * 2; }));
                    },
                    {700.0, 650.0, 640.0, 630.0},
                    {900.0}},
        JournalEdit{"readingsWithOneBadTimeAddNone",
                    [](CarnetStore& store, qint64, qint64) {
                        return sentenceOf(
                            store.addReadings({{utc(13, 8, 0), 640.0, Reading::Source::Sensor},
                                               {QDateTime(), 630.0, Reading::Source::Sensor}}));
                    },
                    {700.0, 650.0},
                    {900.0},
                    true}),
    [](const ::testing::TestParamInfo<JournalEdit>& info) { return info.param.name; });

// The litres given to readings added together are stored with each.
TEST_F(CarnetFolder, ReadingsAddedTogetherKeepTheirLitres) {
    CarnetStore store =
        valueOf(CarnetStore::create(file(QStringLiteral("cuve.carnet")), startTank));
    const std::vector<qint64> added =
        valueOf(store.addReadings({{utc(13, 8, 0), 640.0, Reading::Source::Sensor}},
                                  [](double height) { return height * 2; }));
    const std::vector<StoredReading> read = valueOf(store.readings());
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].litres, 1280.0);
    EXPECT_GT(read[0].id, 0);
    EXPECT_EQ(added, std::vector<qint64>{read[0].id});
}

// --- Imports ------------------------------------------------------------------------

// Readings imported into a carnet holding one reading, 700 mm on the 10th at
// 8:00: those the import adds (by the rows it gives back) and the carnet after.
struct Import {
    const char* name;
    std::vector<Reading> readings;
    std::vector<double> addedHeights;  // of the rows given back, in their order
    std::vector<double> heights;       // the carnet's readings after, by time
};

void PrintTo(const Import& row, std::ostream* out) {
    *out << row.name;
}

class Imports : public CarnetFolder, public ::testing::WithParamInterface<Import> {};

std::vector<double> heightsOf(const std::vector<StoredReading>& readings) {
    std::vector<double> heights;
    for (const StoredReading& stored : readings) {
        heights.push_back(stored.reading.heightMm);
    }
    return heights;
}

TEST_P(Imports, AddOnlyTheTimesNotInTheCarnet) {
    const Import& row = GetParam();
    CarnetStore store =
        valueOf(CarnetStore::create(file(QStringLiteral("cuve.carnet")), startTank));
    ASSERT_FALSE(store.addReading({utc(10, 8, 0), 700.0, Reading::Source::Dipstick}));

    const std::vector<qint64> added = valueOf(store.addReadings(row.readings));

    const std::vector<StoredReading> after = valueOf(store.readings());
    EXPECT_EQ(heightsOf(after), row.heights);
    std::vector<double> addedHeights;
    for (const qint64 id : added) {
        const auto stored = std::find_if(after.begin(), after.end(),
                                         [id](const StoredReading& each) { return each.id == id; });
        ASSERT_NE(stored, after.end()) << id;
        addedHeights.push_back(stored->reading.heightMm);
    }
    EXPECT_EQ(addedHeights, row.addedHeights);
}

constexpr Reading::Source sensor = Reading::Source::Sensor;

INSTANTIATE_TEST_SUITE_P(
    CarnetStore, Imports,
    ::testing::Values(Import{"allNew",
                             {{utc(12, 8, 0), 630.0, sensor}, {utc(11, 8, 0), 640.0, sensor}},
                             {630.0, 640.0},
                             {700.0, 640.0, 630.0}},
                      Import{"timeAlreadyInTheCarnet",
                             {{utc(10, 8, 0), 710.0, sensor}, {utc(11, 8, 0), 640.0, sensor}},
                             {640.0},
                             {700.0, 640.0}},
                      Import{"timeTwiceInTheFileFirstKept",
                             {{utc(11, 8, 0), 640.0, sensor},
                              {utc(11, 8, 0), 645.0, sensor},
                              {utc(12, 8, 0), 630.0, sensor}},
                             {640.0, 630.0},
                             {700.0, 640.0, 630.0}},
                      Import{"aMillisecondLaterIsAnotherReading",
                             {{utc(10, 8, 0, 1), 699.0, sensor}},
                             {699.0},
                             {700.0, 699.0}},
                      Import{
                          "everythingAlreadyThere", {{utc(10, 8, 0), 700.0, sensor}}, {}, {700.0}},
                      Import{"nothingToImport", {}, {}, {700.0}}),
    [](const ::testing::TestParamInfo<Import>& info) { return info.param.name; });

std::vector<Reading> hourly(int hours) {
    std::vector<Reading> readings;
    for (int hour = 0; hour < hours; ++hour) {
        readings.push_back({utc(1, 0, 0).addSecs(qint64{3600} * hour), 900.0 - hour, sensor});
    }
    return readings;
}

TEST_F(CarnetFolder, AFileImportedTwiceAddsNothingTheSecondTime) {
    CarnetStore store =
        valueOf(CarnetStore::create(file(QStringLiteral("cuve.carnet")), startTank));
    const std::vector<Reading> readings = hourly(200);
    EXPECT_EQ(valueOf(store.addReadings(readings)).size(), 200u);
    EXPECT_TRUE(valueOf(store.addReadings(readings)).empty());
    EXPECT_EQ(valueOf(store.readings()).size(), 200u);
}

// Undone, an import takes away its own rows: not the reading of the same time
// that was there before it, nor one another program added since.
TEST_F(CarnetFolder, AnImportUndoneRemovesOnlyItsRows) {
    CarnetStore store =
        valueOf(CarnetStore::create(file(QStringLiteral("cuve.carnet")), startTank));
    ASSERT_FALSE(store.addReading({utc(10, 8, 0), 700.0, Reading::Source::Dipstick}));
    const std::vector<qint64> added = valueOf(store.addReadings({{utc(10, 8, 0), 705.0, sensor},
                                                                 {utc(11, 8, 0), 640.0, sensor},
                                                                 {utc(12, 8, 0), 630.0, sensor}}));
    ASSERT_EQ(added.size(), 2u);
    ASSERT_FALSE(store.addReading({utc(11, 9, 0), 635.0, Reading::Source::Dipstick}));

    EXPECT_EQ(valueOf(store.deleteReadings(added)), 2);
    EXPECT_EQ(heightsOf(valueOf(store.readings())), (std::vector<double>{700.0, 635.0}));
    // Undone twice (another window did it first): nothing more goes.
    EXPECT_EQ(valueOf(store.deleteReadings(added)), 0);
    EXPECT_EQ(heightsOf(valueOf(store.readings())), (std::vector<double>{700.0, 635.0}));
}

TEST_F(CarnetFolder, AStoreOpenedForReadingRefusesToUndoAnImport) {
    const QString path = file(QStringLiteral("cuve.carnet"));
    std::vector<qint64> added;
    {
        CarnetStore store = valueOf(CarnetStore::create(path, startTank));
        added = valueOf(store.addReadings(hourly(3)));
    }
    CarnetStore reader = valueOf(CarnetStore::open(path, false));
    EXPECT_FALSE(sentenceOf(reader.deleteReadings(added)).isEmpty());
    EXPECT_EQ(valueOf(reader.readings()).size(), 3u);
}

}  // namespace
}  // namespace varnelle
