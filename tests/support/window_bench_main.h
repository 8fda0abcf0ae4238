// The main of the window benchmarks: an application (offscreen unless a
// platform is chosen) with the main window shown, then the benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/volumes.h"

namespace varnelle::testing {

// `window` points to the shown main window while the benchmarks run.
inline int runWindowBenchmarks(int argc, char** argv, Volumes*& window) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    Volumes volumes;
    volumes.show();
    window = &volumes;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window = nullptr;
    return 0;
}

}  // namespace varnelle::testing
