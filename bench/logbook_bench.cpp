// The carnet's costs against its size: the summary of ten years of hourly
// readings (what --bilan computes once the readings are read), reading them
// back from the file, the whole program's --bilan of them, readings added one
// by one, each in its own transaction, and --flux --carnet's readings a second.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "bareme/bareme_request.h"
#include "bareme/reading_stream.h"
#include "chart/tank_chart.h"
#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace {

using namespace varnelle;
using varnelle::StreamEnd;

// A box tank of 2 000 litres, 1 000 mm high: 2 litres a millimetre.
constexpr double capacity = 2000;
double litresAt(double heightMm) {
    return 2 * heightMm;
}

// Ten years of hourly readings: 8 litres a day used, a delivery of 1 200
// litres whenever the tank falls below 400.
struct Season {
    std::vector<Reading> readings;
    std::vector<Delivery> deliveries;
};

Season tenYearsHourly() {
    Season season;
    const QDateTime start(QDate(2016, 7, 1), QTime(0, 0), Qt::UTC);
    constexpr int hours = 87'600;
    double litres = 1800;
    for (int hour = 0; hour < hours; ++hour) {
        const QDateTime time = start.addSecs(qint64{3600} * hour);
        litres -= 8.0 / 24;
        if (litres < 400) {
            season.deliveries.push_back({time, 1200, 1.1, std::nullopt, std::nullopt});
            litres += 1200;
        }
        season.readings.push_back({time, litres / 2, Reading::Source::Sensor});
    }
    return season;
}

void BM_summaryOfTenYearsHourly(benchmark::State& state) {
    const Season season = tenYearsHourly();
    for (auto _ : state) {
        Summary summary =
            summarize(season.readings, season.deliveries, {}, litresAt, capacity, 200);
        benchmark::DoNotOptimize(summary);
    }
    state.counters["readings"] = static_cast<double>(season.readings.size());
}
BENCHMARK(BM_summaryOfTenYearsHourly)->Unit(benchmark::kMillisecond);

// Ten years of hourly readings written in one go, then read back; the file's size.
void BM_readingsReadBack(benchmark::State& state) {
    const Season season = tenYearsHourly();
    QTemporaryDir folder;
    const QString path = folder.filePath("cuve.carnet");
    {
        Outcome<CarnetStore> created = CarnetStore::create(path, {{"diametre", "1000"}});
        CarnetStore& store = std::get<CarnetStore>(created);
        // A sync a reading would take the best part of a minute here.
        store.setDurability(CarnetStore::Durability::ProgramEnd);
        for (const Reading& reading : season.readings) {
            store.addReading(reading, litresAt(reading.heightMm));
        }
    }
    Outcome<CarnetStore> opened = CarnetStore::open(path, false);
    const CarnetStore& store = std::get<CarnetStore>(opened);
    for (auto _ : state) {
        auto readings = store.readings();
        benchmark::DoNotOptimize(readings);
    }
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_readingsReadBack)->Unit(benchmark::kMillisecond)->Iterations(10);

// Argument: 1 for a sync each (a reading typed by hand), 0 for none (the
// stream's). The time on the clock counts: a sync waits for the disk.
void BM_readingAddedInItsOwnTransaction(benchmark::State& state) {
    QTemporaryDir folder;
    Outcome<CarnetStore> created =
        CarnetStore::create(folder.filePath("cuve.carnet"), {{"diametre", "1000"}});
    CarnetStore& store = std::get<CarnetStore>(created);
    store.setDurability(state.range(0) == 1 ? CarnetStore::Durability::PowerCut
                                            : CarnetStore::Durability::ProgramEnd);
    QDateTime time(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    for (auto _ : state) {
        time = time.addSecs(60);
        store.addReading({time, 500, Reading::Source::Sensor}, 1000);
    }
    state.counters["readings_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_readingAddedInItsOwnTransaction)
    ->ArgName("sync")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// The tank of the stream's benchmark in bareme_bench.cpp, its options as the
// tank file and the command line give them.
const TankValues measuredTank{{"diametre", "3000"}, {"longueur", "6000"}, {"bords", "calotte"},
                              {"largeur", "300"},   {"crepine", "100"},   {"precision", "10"}};

QStringList tankOptions() {
    QStringList options;
    for (auto entry = measuredTank.begin(); entry != measuredTank.end(); ++entry) {
        options << "--" + entry.key() << entry.value();
    }
    return options;
}

// --flux --carnet: the lines of a sensor through the whole path (the line
// and its time read, one end integral, the reading stored when kept, the
// day to order, the JSON written), into a new carnet each time. Argument:
// the minutes between readings: 60, each kept; 1, one kept an hour.
void BM_streamIntoCarnet(benchmark::State& state) {
    const int minutes = static_cast<int>(state.range(0));
    constexpr int readings = 5000;
    const QDateTime start(QDate(2024, 9, 1), QTime(0, 0), Qt::LocalTime);
    QString input;
    for (int i = 0; i < readings; ++i) {
        // 30 mm a day, from near the top, refilled at a quarter.
        const double height = 2800 - std::fmod(30.0 * i * minutes / 1440, 2000);
        input += QStringLiteral("{\"time\":\"%1\",\"hauteur_mm\":%2}\n")
                     .arg(start.addSecs(qint64{60} * minutes * i).toString("yyyy-MM-dd HH:mm:ss"))
                     .arg(height, 0, 'f', 1);
    }
    const QByteArray bytes = input.toUtf8();
    std::size_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const varnelle::ParsedCommandLine parsed = varnelle::parseCommandLine(
            QStringList{"varnelle-bareme"} + tankOptions() +
                QStringList{"--flux", "--mesure", "hauteur", "--champ", "hauteur_mm", "--carnet",
                            folder.filePath("cuve.carnet")},
            QLocale::c());
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        QString written;
        QTextStream out(&written);
        QTextStream err(stderr);
        state.ResumeTiming();
        if (varnelle::streamReadings(parsed.request, in, out, err) != StreamEnd::InputEnded) {
            state.SkipWithError("the stream failed");
            break;
        }
        state.PauseTiming();
        kept = written.count(QStringLiteral("\"releve_enregistre\":true"));
        state.ResumeTiming();
    }
    state.counters["kept"] = static_cast<double>(kept);
    state.counters["readings_per_second"] =
        benchmark::Counter(readings, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_streamIntoCarnet)
    ->ArgName("minutes")
    ->Arg(60)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

TankParameters measuredTankParameters() {
    return varnelle::parseCommandLine(QStringList{"varnelle-bareme"} + tankOptions(), QLocale::c())
        .request.description.tank;
}

// Ten years of hourly readings of the measured tank, as a sensor gives them
// (to the millimetre), each with its litres, and the deliveries: made once
// for the benchmarks that read them.
const QString& tenYearsCarnet() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString carnet = folder.filePath("dix-ans.carnet");
        const TankParameters tank = measuredTankParameters();
        const LitresAt chart = chartLitresAt(tank);
        Outcome<CarnetStore> created = CarnetStore::create(carnet, measuredTank);
        CarnetStore& store = std::get<CarnetStore>(created);
        store.setDurability(CarnetStore::Durability::ProgramEnd);
        const Season season = tenYearsHourly();
        for (const Reading& reading : season.readings) {
            const double height = std::round(reading.heightMm);
            store.addReading({reading.time, height, reading.source}, chart(height));
        }
        for (const Delivery& delivery : season.deliveries) {
            store.addDelivery(delivery);
        }
        return carnet;
    }();
    return path;
}

// The whole program's --bilan of ten years of hourly readings, from its start
// to its end, on the clock: what its user waits for. Argument: 1 for JSON, 0
// for the text.
void BM_bilanProgram(benchmark::State& state) {
    const QString& path = tenYearsCarnet();
    const QStringList arguments = {"--carnet", path, "--bilan", "--format",
                                   state.range(0) == 1 ? "json" : "texte"};
    for (auto _ : state) {
        QProcess program;
        program.start(QStringLiteral(VARNELLE_BAREME_PROGRAM), arguments);
        if (!program.waitForFinished(60'000) || program.exitCode() != 0) {
            state.SkipWithError(program.readAllStandardError().constData());
            break;
        }
        benchmark::DoNotOptimize(program.readAllStandardOutput());
    }
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_bilanProgram)
    ->ArgName("json")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// The same --bilan in the process, its parts apart: the carnet read back,
// and the summary with each reading's litres taken from the carnet where it
// keeps them (the chart's litres when the reading was stored), the chart
// computed for the others only.
void BM_bilanInProcess(benchmark::State& state) {
    const Outcome<CarnetStore> opened = CarnetStore::open(tenYearsCarnet(), false);
    const CarnetStore& store = std::get<CarnetStore>(opened);
    const TankParameters tank = measuredTankParameters();
    for (auto _ : state) {
        const auto stored = std::get<std::vector<StoredReading>>(store.readings());
        const auto deliveries = std::get<std::vector<Delivery>>(store.deliveries());
        const auto temperatures = std::get<std::vector<DailyTemperature>>(store.temperatures());
        std::vector<Reading> readings;
        readings.reserve(stored.size());
        auto known = std::make_shared<std::unordered_map<double, double>>();
        for (const StoredReading& each : stored) {
            readings.push_back(each.reading);
            if (each.litres) {
                known->emplace(each.reading.heightMm, *each.litres);
            }
        }
        const LitresAt chart = chartLitresAt(tank);
        const LitresAt litres = [known, chart](double height) {
            const auto found = known->find(height);
            return found != known->end() ? found->second : chart(height);
        };
        const Summary summary = summarize(readings, deliveries, temperatures, litres,
                                          chart(tank.diameter), chart(tank.strainerHeight));
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(BM_bilanInProcess)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
