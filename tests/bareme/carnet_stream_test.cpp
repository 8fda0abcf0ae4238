// --flux --carnet: a sensor's readings kept in the tank's carnet, each line
// written once its reading is stored, with the day to order.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "bareme/bareme_program.h"
#include "logbook/carnet_time.h"
#include "bareme_run.h"
#include "chart/tank_chart.h"
#include "logbook/carnet_store.h"
#include "logbook/consumption.h"
#include "small_disk.h"

namespace varnelle {
namespace {

// A tank of 1 000 mm by 2 000 mm with flat ends, read by a sensor that
// gives the oil's height in the field "hauteur_mm" of JSON lines.
#define TANK "--diametre 1000 --longueur 2000 --bords plats --crepine 100 "
#define STREAM "--flux --mesure hauteur --champ hauteur_mm "

// The tank as the program reads it from TANK.
TankParameters streamTank() {
    const ParsedCommandLine parsed = parseCommandLine(
        QStringList{"varnelle-bareme"} + QStringLiteral(TANK).split(' ', Qt::SkipEmptyParts),
        QLocale::c());
    EXPECT_EQ(parsed.action, ParsedCommandLine::Action::Run);
    return parsed.request.description.tank;
}

// A sensor's line at a local time as rtl_433 writes it.
QString sensorLine(const QString& time, double heightMm) {
    return QStringLiteral("{\"time\":\"%1\",\"hauteur_mm\":%2}\n")
        .arg(time, QString::number(heightMm, 'g', 17));
}

QString rtlTime(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// A time well in the past, whatever the day the tests run.
QDateTime local(int day, int hour, int minute) {
    return QDateTime(QDate(2025, 11, day), QTime(hour, minute), Qt::LocalTime);
}

std::vector<QJsonObject> jsonLines(const QString& text) {
    std::vector<QJsonObject> objects;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
        EXPECT_TRUE(document.isObject()) << line.toStdString();
        objects.push_back(document.object());
    }
    return objects;
}

// The "releve_enregistre" of each line, "oui" or "non", comma-separated.
std::string keptFlags(const QString& out) {
    QStringList flags;
    for (const QJsonObject& line : jsonLines(out)) {
        EXPECT_TRUE(line.value("releve_enregistre").isBool());
        flags << (line.value("releve_enregistre").toBool() ? "oui" : "non");
    }
    return flags.join(',').toStdString();
}

std::vector<StoredReading> readingsIn(const QString& path) {
    Outcome<CarnetStore> opened = CarnetStore::open(path, false);
    if (const Refusal* refused = refusalOf(opened)) {
        ADD_FAILURE() << refused->sentence.toStdString();
        return {};
    }
    Outcome<std::vector<StoredReading>> readings = std::get<CarnetStore>(opened).readings();
    if (const Refusal* refused = refusalOf(readings)) {
        ADD_FAILURE() << refused->sentence.toStdString();
        return {};
    }
    return std::get<std::vector<StoredReading>>(readings);
}

class CarnetStream : public ::testing::Test {
  protected:
    QString carnet() const { return folder_.filePath(QStringLiteral("cuve.carnet")); }

    InProcessRun stream(const QString& input, const QString& options = QString()) const {
        return run(QStringLiteral(TANK STREAM "--carnet ") + carnet() + ' ' + options, QLocale::c(),
                   input);
    }

    QTemporaryDir folder_;
};

// --- Which readings are kept ---------------------------------------------------------

struct KeepingCase {
    const char* name;
    // Each stream's lines: a local time in November 2025 ("03 08:00", day and
    // hour) and the height, one stream after the other on the same carnet.
    std::vector<std::vector<std::pair<const char*, double>>> streams;
    const char* kept;  // each line's releve_enregistre, all streams together
};

void PrintTo(const KeepingCase& c, std::ostream* out) {
    *out << c.name;
}

class KeepingRule : public CarnetStream, public ::testing::WithParamInterface<KeepingCase> {};

QDateTime caseTime(const char* dayAndHour) {
    const QString text = QString::fromLatin1(dayAndHour);
    return local(text.left(2).toInt(), text.mid(3, 2).toInt(), text.mid(6, 2).toInt());
}

TEST_P(KeepingRule, KeepsAReadingAfterAnHourOrAMoveOf2Millimetres) {
    QString flags;
    std::vector<std::pair<QDateTime, double>> expected;
    for (const auto& lines : GetParam().streams) {
        QString input;
        for (const auto& [time, height] : lines) {
            input += sensorLine(rtlTime(caseTime(time)), height);
        }
        const InProcessRun result = stream(input);
        ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
        EXPECT_EQ(result.err, QString());
        const std::string kept = keptFlags(result.out);
        flags += (flags.isEmpty() ? "" : ",") + QString::fromStdString(kept);
        const QStringList each = QString::fromStdString(kept).split(',');
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (each.value(static_cast<int>(i)) == "oui") {
                expected.emplace_back(caseTime(lines[i].first).toUTC(), lines[i].second);
            }
        }
    }

    EXPECT_EQ(flags.toStdString(), GetParam().kept);
    const std::vector<StoredReading> stored = readingsIn(carnet());
    ASSERT_EQ(stored.size(), expected.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].reading.time, expected[i].first);
        EXPECT_EQ(stored[i].reading.heightMm, expected[i].second);
        EXPECT_EQ(stored[i].reading.source, Reading::Source::Sensor);
        ASSERT_TRUE(stored[i].litres);
        EXPECT_NEAR(*stored[i].litres, totalVolumeAt(streamTank(), expected[i].second), 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readings, KeepingRule,
    ::testing::Values(
        KeepingCase{"premier_releve", {{{"03 08:00", 500}}}, "oui"},
        KeepingCase{"59_min_et_1_mm", {{{"03 08:00", 500}, {"03 08:59", 499}}}, "oui,non"},
        KeepingCase{"60_min", {{{"03 08:00", 500}, {"03 09:00", 500}}}, "oui,oui"},
        KeepingCase{"2_mm_en_baisse", {{{"03 08:00", 500}, {"03 08:01", 498}}}, "oui,oui"},
        KeepingCase{"2_mm_en_hausse", {{{"03 08:00", 500}, {"03 08:01", 502}}}, "oui,oui"},
        KeepingCase{"compte_depuis_le_dernier_garde",
                    {{{"03 08:00", 500}, {"03 08:30", 499}, {"03 09:00", 499}}},
                    "oui,non,oui"},
        KeepingCase{"meme_heure_repetee", {{{"03 08:00", 500}, {"03 08:00", 490}}}, "oui,non"},
        KeepingCase{"heure_anterieure", {{{"03 08:00", 500}, {"03 07:00", 490}}}, "oui,non"},
        KeepingCase{"dernier_garde_lu_dans_le_carnet",
                    {{{"03 08:00", 500}}, {{"03 08:30", 499}, {"03 09:00", 499}}},
                    "oui,non,oui"},
        KeepingCase{"flux_rejoue",
                    {{{"03 08:00", 500}, {"03 09:00", 495}}, {{"03 08:00", 500}}},
                    "oui,oui,non"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The time of a reading ------------------------------------------------------------

struct TimeCase {
    const char* name;
    QString written;  // the line's "time"
    QDateTime utc;    // as stored
};

void PrintTo(const TimeCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadingTimes : public CarnetStream, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(ReadingTimes, AreTheLinesOwnTimesInUtc) {
    const InProcessRun result = stream(sensorLine(GetParam().written, 500));

    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const std::vector<StoredReading> stored = readingsIn(carnet());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].reading.time, GetParam().utc);
    EXPECT_EQ(stored[0].reading.time.timeSpec(), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadingTimes,
    ::testing::Values(TimeCase{"rtl_433_heure_locale", "2025-11-03 08:00:00",
                               QDateTime(QDate(2025, 11, 3), QTime(8, 0), Qt::LocalTime).toUTC()},
                      TimeCase{"rtl_433_ete_heure_locale", "2025-07-03 08:00:00",
                               QDateTime(QDate(2025, 7, 3), QTime(8, 0), Qt::LocalTime).toUTC()},
                      TimeCase{"iso_utc", "2025-11-03T08:00:00Z",
                               QDateTime(QDate(2025, 11, 3), QTime(8, 0), Qt::UTC)},
                      TimeCase{"iso_avec_decalage", "2025-11-03T08:00:00+01:00",
                               QDateTime(QDate(2025, 11, 3), QTime(7, 0), Qt::UTC)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CarnetStream, ALineWithoutTimeIsTakenNowToTheSecond) {
    const QDateTime before =
        QDateTime::fromSecsSinceEpoch(QDateTime::currentDateTimeUtc().toSecsSinceEpoch(), Qt::UTC);
    const InProcessRun result = stream("{\"hauteur_mm\":500}\n");
    const QDateTime after = QDateTime::currentDateTimeUtc();

    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const std::vector<StoredReading> stored = readingsIn(carnet());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_GE(stored[0].reading.time, before);
    EXPECT_LE(stored[0].reading.time, after);
    EXPECT_EQ(stored[0].reading.time.time().msec(), 0);
}

struct RefusedTimeCase {
    const char* name;
    QString line;
    QString reason;
};

void PrintTo(const RefusedTimeCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedTime : public CarnetStream, public ::testing::WithParamInterface<RefusedTimeCase> {};

TEST_P(RefusedTime, GivesAnErrorLineStoresNothingAndTheStreamGoesOn) {
    const QString next = sensorLine(QStringLiteral("2025-11-03 09:00:00"), 480);
    const InProcessRun result = stream(GetParam().line + next);

    EXPECT_EQ(result.status, exitSuccess);
    const QJsonObject error{{"ligne", 1}, {"erreur", GetParam().reason}};
    EXPECT_EQ(result.err,
              QString::fromUtf8(QJsonDocument(error).toJson(QJsonDocument::Compact)) + '\n');
    const std::vector<QJsonObject> lines = jsonLines(result.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].value("hauteur_mazout_mm").toDouble(), 480);
    const std::vector<StoredReading> stored = readingsIn(carnet());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].reading.heightMm, 480);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedTime,
    ::testing::Values(
        RefusedTimeCase{"illisible", sensorLine("hier matin", 500),
                        "la date « hier matin » n'est pas lisible : écrivez-la AAAA-MM-JJ ou "
                        "AAAA-MM-JJTHH:MM:SS (2026-11-03T08:00:00, par exemple)."},
        RefusedTimeCase{"jour_inexistant", sensorLine("2025-02-30 08:00:00", 500),
                        "la date « 2025-02-30 08:00:00 » n'est pas lisible : écrivez-la "
                        "AAAA-MM-JJ ou AAAA-MM-JJTHH:MM:SS (2026-11-03T08:00:00, par exemple)."},
        RefusedTimeCase{"nombre", "{\"time\":1762156800,\"hauteur_mm\":500}\n",
                        "la date « 1762156800 » n'est pas lisible : écrivez-la AAAA-MM-JJ ou "
                        "AAAA-MM-JJTHH:MM:SS (2026-11-03T08:00:00, par exemple)."},
        RefusedTimeCase{"dans_l_avenir", sensorLine("2999-01-01 08:00:00", 500),
                        "la date « 2999-01-01 08:00:00 » est dans l'avenir."}),
    [](const auto& info) { return std::string(info.param.name); });

// Without --carnet the line's time is not read: the answers stay as they were.
TEST(StreamWithoutCarnet, AnswersWithoutReadingTheTime) {
    const InProcessRun result =
        run(TANK STREAM, QLocale::c(), sensorLine("pas une date", 500) + "{\"hauteur_mm\":400}\n");

    EXPECT_EQ(result.status, exitSuccess);
    EXPECT_EQ(result.err, QString());
    const std::vector<QJsonObject> lines = jsonLines(result.out);
    ASSERT_EQ(lines.size(), 2u);
    for (const QJsonObject& line : lines) {
        EXPECT_FALSE(line.contains("releve_enregistre"));
        EXPECT_FALSE(line.contains("date_de_commande"));
    }
}

// --- The day to order -------------------------------------------------------------------

// The day to order of the summary of `readings` as --bilan computes it.
std::optional<QString> summaryOrderDay(const std::vector<Reading>& readings,
                                       const std::vector<Delivery>& deliveries,
                                       const ForecastOptions& options) {
    const TankParameters tank = streamTank();
    const LitresAt litresAt = chartLitresAt(tank);
    const Summary summary =
        summarize(readings, deliveries, {}, litresAt, totalVolumeAt(tank, tank.diameter),
                  litresAt(tank.strainerHeight), options);
    const Forecast* forecast = std::get_if<Forecast>(&summary.forecast);
    return forecast ? std::optional<QString>(localDayText(forecast->orderTime)) : std::nullopt;
}

std::vector<Delivery> deliveriesIn(const QString& path) {
    Outcome<CarnetStore> opened = CarnetStore::open(path, false);
    return std::get<std::vector<Delivery>>(std::get<CarnetStore>(opened).deliveries());
}

// The day to order of the whole carnet's summary.
std::optional<QString> summaryOrderDay(const QString& path, const ForecastOptions& options) {
    std::vector<Reading> readings;
    for (const StoredReading& each : readingsIn(path)) {
        readings.push_back(each.reading);
    }
    return summaryOrderDay(readings, deliveriesIn(path), options);
}

struct OrderCase {
    const char* name;
    const char* options;
    int days;                // of readings, every 3 hours
    double millimetresADay;  // the fall
    int firstDatedLine;      // the first line with a day to order (0: none)
    ForecastOptions forecast;
    double startMm = 800;
    int refillDay = 0;  // a rise of 300 mm on this day, without a delivery recorded
};

void PrintTo(const OrderCase& c, std::ostream* out) {
    *out << c.name;
}

class OrderDay : public CarnetStream, public ::testing::WithParamInterface<OrderCase> {};

// Each line's day to order is that of the summary of the readings up to it.
TEST_P(OrderDay, IsNullBefore14DaysThenTheSummarysDay) {
    const OrderCase& c = GetParam();
    const QDateTime start = local(1, 6, 0);
    QString input;
    for (int hours = 0; hours <= c.days * 24; hours += 3) {
        const bool refilled = c.refillDay > 0 && hours >= c.refillDay * 24;
        input += sensorLine(rtlTime(start.addSecs(3600 * hours)),
                            c.startMm - c.millimetresADay * hours / 24 + (refilled ? 300 : 0));
    }

    const InProcessRun result = stream(input, QString::fromLatin1(c.options));

    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const std::vector<QJsonObject> lines = jsonLines(result.out);
    const std::vector<StoredReading> stored = readingsIn(carnet());
    ASSERT_EQ(lines.size(), stored.size()) << "each reading, 3 hours apart, is kept";
    std::vector<Reading> upToLine;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        upToLine.push_back(stored[i].reading);
        const QJsonValue day = lines[i].value("date_de_commande");
        const bool dated = c.firstDatedLine > 0 && static_cast<int>(i) + 1 >= c.firstDatedLine;
        ASSERT_EQ(day.isString(), dated) << "line " << i + 1;
        ASSERT_EQ(day.isNull(), !dated) << "line " << i + 1;
        if (dated) {
            ASSERT_EQ(day.toString(),
                      summaryOrderDay(upToLine, {}, c.forecast).value_or(QString("(aucune)")))
                << "line " << i + 1;
        }
    }
}

ForecastOptions forecastWith(double reserve, int delay) {
    ForecastOptions options;
    options.reservePercent = reserve;
    options.orderDelayDays = delay;
    return options;
}

// 14 days of readings every 3 hours: the 113th line is the first 14 days
// after the first.
INSTANTIATE_TEST_SUITE_P(
    Streams, OrderDay,
    ::testing::Values(OrderCase{"moins_de_14_jours", "", 13, 6, 0, {}},
                      OrderCase{"14_jours_de_baisse", "", 15, 6, 113, {}},
                      OrderCase{"reserve_et_delai", "--reserve 30 --delai 5", 15, 6, 113,
                                forecastWith(30, 5)},
                      OrderCase{"quarante_jours", "", 40, 4, 113, {}},
                      OrderCase{"aucune_consommation", "", 15, 0, 0, {}},
                      OrderCase{"livraison_trouvee_dans_les_releves", "", 40, 8, 113, {}, 600, 20},
                      OrderCase{"livraison_trouvee_au_debut", "", 20, 8, 113, {}, 600, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A delivery typed by hand while the stream runs counts at its next reading:
// the rise is no use of oil, and the day to order moves with it.
TEST_F(CarnetStream, ADeliveryRecordedByAnotherProgramCountsAtOnce) {
    const QDateTime start = local(1, 6, 0);
    QString input;
    for (int hours = 0; hours <= 15 * 24; hours += 3) {
        input += sensorLine(rtlTime(start.addSecs(3600 * hours)), 600 - 6.0 * hours / 24);
    }
    ASSERT_EQ(stream(input).status, exitSuccess);
    {
        CarnetStore store = std::get<CarnetStore>(CarnetStore::open(carnet(), true));
        ASSERT_FALSE(store.addDelivery({start.addDays(15).addSecs(3600).toUTC(), 800, std::nullopt,
                                        std::nullopt, std::nullopt}));
    }
    const InProcessRun result =
        stream(sensorLine(rtlTime(start.addDays(15).addSecs(7200)), 600 - 90 + 200));

    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const std::vector<QJsonObject> lines = jsonLines(result.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].value("date_de_commande").toString(),
              summaryOrderDay(carnet(), {}).value_or(QString("(aucune)")));
}

// Standard input given a line at a time, `beforeLine(n)` run before line n
// (from 0) is given: another program acting while the stream waits for its
// sensor.
class LineByLineInput : public QIODevice {
  public:
    LineByLineInput(QStringList lines, std::function<void(int)> beforeLine)
        : lines_(std::move(lines)), beforeLine_(std::move(beforeLine)) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (next_ >= lines_.size()) {
            return 0;
        }
        beforeLine_(next_);
        const QByteArray line = lines_[next_++].toUtf8();
        const qint64 size = std::min<qint64>(line.size(), maxSize);
        std::memcpy(data, line.constData(), static_cast<std::size_t>(size));
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QStringList lines_;
    std::function<void(int)> beforeLine_;
    int next_ = 0;
};

InProcessRun streamFrom(QIODevice& in, const QString& arguments) {
    const ParsedCommandLine parsed = parseCommandLine(
        QStringList{"varnelle-bareme"} + arguments.split(' ', Qt::SkipEmptyParts), QLocale::c());
    InProcessRun result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = runParsedCommandLine(parsed, in, out, err);
    out.flush();
    err.flush();
    return result;
}

// A reading typed by hand while the stream runs is the last one kept from
// then on: the sensor's next reading, 20 minutes and half a millimetre from
// it, is not kept, though an hour has passed since the sensor's last.
TEST_F(CarnetStream, AReadingTypedByHandDuringTheStreamIsTheLastKept) {
    const QDateTime typed = local(3, 8, 50).toUTC();
    LineByLineInput in(
        {sensorLine("2025-11-03 08:00:00", 500), sensorLine(rtlTime(typed.addSecs(20 * 60)), 499)},
        [&](int line) {
            if (line == 1) {
                CarnetStore store = std::get<CarnetStore>(CarnetStore::open(carnet(), true));
                EXPECT_FALSE(store.addReading({typed, 499.5}));
            }
        });

    const InProcessRun result = streamFrom(in, QStringLiteral(TANK STREAM "--carnet ") + carnet());

    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(keptFlags(result.out), "oui,non");
    const std::vector<StoredReading> stored = readingsIn(carnet());
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].reading.time, typed);
    EXPECT_EQ(stored[1].reading.source, Reading::Source::Dipstick);
}

// --- A carnet that cannot be written ----------------------------------------------------

// A stream over a carnet made read-only after the command line was read:
// the program says so and answers nothing.
TEST_F(CarnetStream, AReadOnlyCarnetEndsTheStreamWithStatus1AndNoAnswer) {
    ASSERT_EQ(stream(sensorLine("2025-11-03 08:00:00", 500)).status, exitSuccess);
    const ParsedCommandLine parsed = parseCommandLine(
        QStringList{"varnelle-bareme"} +
            QStringLiteral(TANK STREAM "--carnet ").split(' ', Qt::SkipEmptyParts) +
            QStringList{carnet()},
        QLocale::c());
    ASSERT_EQ(parsed.action, ParsedCommandLine::Action::Run);
    ASSERT_EQ(::chmod(QFile::encodeName(carnet()).constData(), 0444), 0);
    QBuffer in;
    in.setData(sensorLine("2025-11-03 10:00:00", 480).toUtf8());
    in.open(QIODevice::ReadOnly);
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);

    const int status = runParsedCommandLine(parsed, in, outStream, errStream);
    outStream.flush();
    errStream.flush();

    EXPECT_EQ(status, exitFailure);
    EXPECT_EQ(out, QString());
    EXPECT_EQ(
        err,
        QStringLiteral("varnelle-bareme : Le carnet « %1 » est en lecture seule.\n").arg(carnet()));
    EXPECT_EQ(readingsIn(carnet()).size(), 1u);
}

// On a full disk the reading that cannot be stored gets no line, and the
// stream ends there: every line written has its reading in the carnet.
TEST(CarnetStreamOnAFullDisk, StopsAtTheFirstReadingNotStoredWithoutAnsweringIt) {
    SmallDisk disk("256k");
    if (!disk.mounted()) {
        GTEST_SKIP() << SmallDisk::notMounted;
    }
    const QString path = disk.filePath(QStringLiteral("cuve.carnet"));
    const QDateTime start = local(1, 0, 0);
    QString input;
    constexpr int lineCount = 20'000;
    for (int hour = 0; hour < lineCount; ++hour) {
        input += sensorLine(rtlTime(start.addSecs(3600 * hour)), 900 - hour * 0.04);
    }

    const InProcessRun result =
        run(QStringLiteral(TANK STREAM "--carnet ") + path, QLocale::c(), input);

    EXPECT_EQ(result.status, exitFailure);
    EXPECT_TRUE(result.err.startsWith(
        QStringLiteral("varnelle-bareme : Le carnet « %1 » n'a pas pu être modifié : ").arg(path)))
        << result.err.toStdString();
    const std::vector<QJsonObject> lines = jsonLines(result.out);
    EXPECT_GT(lines.size(), 0u);
    EXPECT_LT(static_cast<int>(lines.size()), lineCount);
    const std::vector<StoredReading> stored = readingsIn(path);
    EXPECT_EQ(stored.size(), lines.size());
}

}  // namespace
}  // namespace varnelle
