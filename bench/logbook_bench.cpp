// The carnet's costs against its size: the summary of ten years of hourly
// readings (what --bilan computes once the readings are read), reading them
// back from the file, and readings added one by one (what --flux --carnet
// does), each in its own transaction.
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace {

using namespace varnelle;

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
BENCHMARK(BM_readingsReadBack)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_readingAddedInItsOwnTransaction(benchmark::State& state) {
    QTemporaryDir folder;
    Outcome<CarnetStore> created =
        CarnetStore::create(folder.filePath("cuve.carnet"), {{"diametre", "1000"}});
    CarnetStore& store = std::get<CarnetStore>(created);
    QDateTime time(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    for (auto _ : state) {
        time = time.addSecs(60);
        store.addReading({time, 500, Reading::Source::Sensor}, 1000);
    }
    state.counters["readings_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_readingAddedInItsOwnTransaction)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
