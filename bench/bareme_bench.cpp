// Time of a dipstick chart against its step and precision, for a 3 000 mm
// tank with spherical-cap ends, and of the height search behind --volume; the
// 1 mm chart next to the plain transcription of the same slices; the stream's
// readings per second, and the program's peak memory on hostile inputs.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QBuffer>
#include <QIODevice>
#include <QLocale>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "bareme/bareme_request.h"
#include "bareme/reading_stream.h"
#include "chart/tank_chart.h"
#include "plain_transcription.h"

namespace {

using varnelle::EndShape;
using varnelle::TankParameters;

TankParameters largeTank(double thousands) {
    TankParameters tank;
    tank.diameter = 3000;
    tank.cylinderLength = 6000;
    tank.strainerHeight = 100;
    tank.endWidth = 300;
    tank.endShape = EndShape::SphericalCapEnds;
    tank.intervals = thousands * 1000;
    return tank;
}

// Arguments: the step in mm, the precision in thousands of slices per end.
void BM_chart(benchmark::State& state) {
    const double step = static_cast<double>(state.range(0));
    const TankParameters tank = largeTank(static_cast<double>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(varnelle::computeChart(tank, step));
    }
    const auto lines = static_cast<double>(varnelle::chartLineCount(tank.diameter, step));
    state.counters["lines"] = lines;
    state.counters["lines_per_second"] =
        benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_chart)
    ->ArgNames({"step_mm", "precision"})
    ->Args({10, 10})  // the usual chart: 1 cm steps, precision 10
    ->Args({1, 10})
    ->Args({5, 10})
    ->Args({50, 10})
    ->Args({100, 10})
    ->Args({10, 1})
    ->Args({10, 100})
    ->Args({1, 1})
    ->Args({100, 100})
    ->Unit(benchmark::kMillisecond);

void BM_heightForVolume(benchmark::State& state) {
    const TankParameters tank = largeTank(static_cast<double>(state.range(0)));
    const double litres = varnelle::totalVolumeAt(tank, 1234.5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(varnelle::heightForVolume(tank, litres));
    }
}

BENCHMARK(BM_heightForVolume)
    ->ArgName("precision")
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond);

// 3 000 mm across, 6 000 mm long, spherical caps 400 mm wide, strainer at
// 100 mm, precision 10, a line every millimetre.
TankParameters measuredTank() {
    TankParameters tank = largeTank(10);
    tank.endWidth = 400;
    return tank;
}
constexpr double measuredStep = 1;

// The chart is computed on every core: what counts is the time on the clock.
void BM_chartOfTheMeasuredTank(benchmark::State& state) {
    const TankParameters tank = measuredTank();
    for (auto _ : state) {
        benchmark::DoNotOptimize(varnelle::computeChart(tank, measuredStep));
    }
}

// The same end integrals (one per line and the strainer's) and cylinder
// segments through the plain transcription, on one core.
void BM_plainTranscriptionOfTheMeasuredChart(benchmark::State& state) {
    const TankParameters tank = measuredTank();
    const std::vector<double> heights = varnelle::chartHeights(tank.diameter, measuredStep);
    double sink = 0;
    for (auto _ : state) {
        double litres = varnelle::plainEnds(tank, tank.strainerHeight, false, sink);
        for (const double height : heights) {
            litres += varnelle::plainEnds(tank, height, false, sink) +
                      varnelle::plainSegment(tank.diameter / 2, height) * tank.cylinderLength;
        }
        benchmark::DoNotOptimize(litres);
    }
}

BENCHMARK(BM_chartOfTheMeasuredTank)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_plainTranscriptionOfTheMeasuredChart)->UseRealTime()->Unit(benchmark::kMillisecond);

// --flux: readings per second through the whole line path (reading the line,
// one end integral, writing the JSON), for the same tank at precision 10, a
// thousand distances spread over the diameter.
void BM_streamReadings(benchmark::State& state) {
    const varnelle::ParsedCommandLine parsed = varnelle::parseCommandLine(
        {"varnelle-bareme", "--diametre", "3000", "--longueur", "6000", "--bords", "calotte",
         "--largeur", "300", "--crepine", "100", "--precision", "10", "--flux"},
        QLocale::c());
    constexpr int readings = 1000;
    QString input;
    for (int i = 0; i < readings; ++i) {
        input += QString::number(i * 3.0 + 0.5) + '\n';
    }
    for (auto _ : state) {
        QBuffer in;
        in.setData(input.toUtf8());
        in.open(QIODevice::ReadOnly);
        QString written;
        QTextStream out(&written);
        QTextStream err(stderr);
        varnelle::streamReadings(parsed.request, in, out, err);
        benchmark::DoNotOptimize(written);
    }
    state.counters["readings_per_second"] =
        benchmark::Counter(readings, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_streamReadings)->Unit(benchmark::kMillisecond);

// The largest memory the program takes (max RSS, in MB) whatever it is fed:
// the program itself runs in a shell line, the input made by the shell, and
// the peak is read from the kernel's account of the child once it has ended.
struct HostileInput {
    const char* name;
    const char* line;  // %1 is the program
};

constexpr HostileInput hostileInputs[] = {
    {"small_stream", "echo 640 | '%1' --diametre 1000 --longueur 2000 --flux"},
    {"200k_readings", "yes 640 | head -n 200000 | '%1' --diametre 1000 --longueur 2000 --flux"},
    {"100MB_line",
     "head -c 100000000 /dev/zero | tr '\\0' 7 | '%1' --diametre 1000 "
     "--longueur 2000 --flux"},
    {"100MB_random",
     "head -c 100000000 /dev/urandom | '%1' --diametre 1000 --longueur 2000 "
     "--flux --champ depth_cm"},
    {"tank_file_dev_zero", "'%1' --cuve /dev/zero --hauteur 100"},
    {"tank_file_100MB",
     "head -c 100000000 /dev/zero | tr '\\0' ' ' > \"$TMPDIR/cuve.json\" && "
     "'%1' --cuve \"$TMPDIR/cuve.json\" --hauteur 100; rm -f \"$TMPDIR/cuve.json\""},
};

void BM_peakMemory(benchmark::State& state) {
    const HostileInput& input = hostileInputs[state.range(0)];
    state.SetLabel(input.name);
    const QString program = QString::fromLatin1(input.line).arg(VARNELLE_BAREME_PROGRAM);
    const QByteArray line = QStringLiteral("( %1 ) >/dev/null 2>&1").arg(program).toLocal8Bit();
    long peakKilobytes = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            ::setenv("TMPDIR", "/tmp", 0);
            ::execl("/bin/sh", "sh", "-c", line.constData(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        peakKilobytes = std::max(peakKilobytes, usage.ru_maxrss);
    }
    state.counters["max_rss_MB"] = static_cast<double>(peakKilobytes) / 1024;
}

BENCHMARK(BM_peakMemory)
    ->DenseRange(0, std::size(hostileInputs) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
