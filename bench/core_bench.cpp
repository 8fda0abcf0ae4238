// Time of computeVolumes per slice evaluation (2·N a call), for each end shape,
// next to a plain line-by-line transcription of the algorithm with pow(x, 0.5)
// and a floating-point step counter.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/volume.h"
#include "start_up_tank.h"

namespace {

using varnelle::EndShape;
using varnelle::TankParameters;
using varnelle::VolumeResults;

// ---- The plain transcription, for comparison ----
double plainAsin(double x) {
    if (x == 1) {
        return std::atan(1.0) + std::atan(1.0);
    }
    if (x == -1) {
        return std::atan(1.0) * -2;
    }
    return std::atan(x / std::pow(1 - x * x, 0.5));
}

double plainSegment(double rho, double y) {
    const double pi = 4 * std::atan(1.0);
    const double u = y / rho;
    return rho * rho * ((pi / 2 - plainAsin(1 - u)) - (1 - u) * std::pow(u * (2 - u), 0.5));
}

double plainEnds(const TankParameters& t, double level, bool withProgress, double& sink) {
    const double R = t.diameter / 2;
    const double N = t.intervals;
    double w = t.endWidth, r = 0, Rs = 0;
    switch (t.endShape) {
        case EndShape::SphericalCapEnds:
            Rs = (R * R + w * w) / (2 * w);
            break;
        case EndShape::QuarterRoundEnds:
            r = R - w;
            break;
        case EndShape::ConicalEnds:
            r = t.endCircleDiameter / 2;
            break;
        case EndShape::FlatEnds:
            w = 0;
            break;
    }
    double S = 0;
    const double last = N - 1;
    for (double i = 0; i <= last; i += 1) {
        double rho = R;
        switch (t.endShape) {
            case EndShape::ConicalEnds:
                rho = R - (i * (R - r)) / N;
                break;
            case EndShape::SphericalCapEnds:
                rho = std::pow(2 * Rs * w * (1 - i / N) - w * w * (1 - i / N) * (1 - i / N), 0.5);
                break;
            case EndShape::QuarterRoundEnds:
                rho = r + std::pow((R - r) * (R - r) - (w * w * i * i) / (N * N), 0.5);
                break;
            case EndShape::FlatEnds:
                break;
        }
        double y = level - (R - rho);
        if (!(y >= 0)) {
            y = 0;
        }
        if (y > 2 * rho) {
            y = 2 * rho;
        }
        S += plainSegment(rho, y);
        if (withProgress && std::fmod(i, 10) == 0) {
            sink += i / N;
        }
    }
    return 2 * S * w / (1'000'000 * N);
}

VolumeResults plainVolumes(const TankParameters& t, double& sink) {
    const double R = t.diameter / 2;
    VolumeResults v;
    v.cylinderVolume = plainSegment(R, t.oilHeight) * t.cylinderLength / 1'000'000;
    v.endsVolume = plainEnds(t, t.oilHeight, true, sink);
    const double cylS = plainSegment(R, t.strainerHeight) * t.cylinderLength / 1'000'000;
    const double endsS = plainEnds(t, t.strainerHeight, false, sink);
    v.belowStrainerVolume = cylS + endsS;
    v.totalVolume = v.cylinderVolume + v.endsVolume;
    v.availableVolume = (v.totalVolume - cylS) - endsS;
    return v;
}

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

// Before timing anything, check that the fast loop agrees with the transcription.
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
                const double scale = std::max(std::abs(pair[1]), 1e-300);
                if (std::abs(pair[0] - pair[1]) > 1e-9 * scale && pair[0] != pair[1]) {
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
    std::fprintf(stderr, "computeVolumes agrees with the plain transcription within 1e-9.\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
