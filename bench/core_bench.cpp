// Time of computeVolumes per slice evaluation (2·N a call), for each end shape,
// next to a plain line-by-line transcription of the algorithm with pow(x, 0.5)
// and a floating-point step counter.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/volume.h"
#include "plain_transcription.h"
#include "start_up_tank.h"

namespace {

using varnelle::EndShape;
using varnelle::plainVolumes;
using varnelle::TankParameters;
using varnelle::VolumeResults;

// ---- Benchmarks ----
void setSliceCounter(benchmark::State& state, double intervals) {
    state.counters["ns_per_slice"] = benchmark::Counter(
        2 * intervals, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_computeVolumes(benchmark::State& state) {
    const auto shape = static_cast<EndShape>(state.range(0));
    const auto tank = startUpTank(shape, static_cast<double>(state.range(1)) / 1000);
    double progressSink = 0;
    const varnelle::ProgressCallback progress = [&progressSink](double f) { progressSink += f; };
    for (auto _ : state) {
        benchmark::DoNotOptimize(varnelle::computeVolumes(tank, progress));
    }
    benchmark::DoNotOptimize(progressSink);
    setSliceCounter(state, tank.intervals);
}

void BM_plainTranscription(benchmark::State& state) {
    const auto shape = static_cast<EndShape>(state.range(0));
    const auto tank = startUpTank(shape, static_cast<double>(state.range(1)) / 1000);
    double sink = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(plainVolumes(tank, sink));
    }
    benchmark::DoNotOptimize(sink);
    setSliceCounter(state, tank.intervals);
}

void shapesAndSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"shape", "N"});
    for (int shape = 0; shape < 4; ++shape) {
        for (long n : {10'000L, 100'000L, 1'000'000L}) {
            b->Args({shape, n});
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_computeVolumes)->Apply(shapesAndSizes);
BENCHMARK(BM_plainTranscription)->Apply(shapesAndSizes);

// Before timing anything, check that the fast loop agrees with the transcription
// (ctest checks it too; a benchmark of a wrong loop would mean nothing).
bool resultsAgree() {
    bool agree = true;
    for (int shape = 0; shape < 4; ++shape) {
        for (double n : {10'000.0, 100'000.0, 1'000'000.0, 2'500.5}) {
            const auto tank = startUpTank(static_cast<EndShape>(shape), n / 1000);
            double sink = 0;
            const VolumeResults fast = varnelle::computeVolumes(tank);
            const VolumeResults plain = plainVolumes(tank, sink);
            const double pairs[][2] = {{fast.cylinderVolume, plain.cylinderVolume},
                                       {fast.endsVolume, plain.endsVolume},
                                       {fast.totalVolume, plain.totalVolume},
                                       {fast.belowStrainerVolume, plain.belowStrainerVolume},
                                       {fast.availableVolume, plain.availableVolume}};
            for (const auto& pair : pairs) {
                if (!varnelle::agreesWithPlain(pair[0], pair[1])) {
                    std::fprintf(stderr, "shape %d N %g: %.17g differs from %.17g\n", shape, n,
                                 pair[0], pair[1]);
                    agree = false;
                }
            }
        }
    }
    return agree;
}

}  // namespace

int main(int argc, char** argv) {
    if (!resultsAgree()) {
        return EXIT_FAILURE;
    }
    std::fprintf(stderr, "computeVolumes agrees with the plain transcription within %g.\n",
                 varnelle::plainAgreement);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
