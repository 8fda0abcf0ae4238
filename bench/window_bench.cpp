// The time from a click on "Calculer" to the confirmation box, for the
// precisions 10, 100 and 1000, next to computeVolumes alone on the same tank:
// what the progress bar and the live window add to a run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <chrono>

#include "core/volume.h"
#include "start_up_tank.h"
#include "ui/volumes.h"
#include "window_bench_main.h"

namespace {

varnelle::Volumes* window = nullptr;

// Closes each confirmation box as soon as it shows, noting when that was.
class BoxCloser : public QObject {
  public:
    qint64 shownAtNs = 0;
    QElapsedTimer clock;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                shownAtNs = clock.nsecsElapsed();
                QTimer::singleShot(0, box, &QDialog::accept);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

void BM_clickToConfirmation(benchmark::State& state) {
    window->findChild<QRadioButton*>(QStringLiteral("Option1_1"))->click();
    window->findChild<QComboBox*>(QStringLiteral("Combo1"))
        ->setEditText(QString::number(state.range(0)));
    auto* calculate = window->findChild<QPushButton*>(QStringLiteral("Command1"));
    BoxCloser closer;
    qApp->installEventFilter(&closer);
    for (auto _ : state) {
        closer.clock.start();
        calculate->click();
        state.SetIterationTime(static_cast<double>(closer.shownAtNs) * 1e-9);
    }
    qApp->removeEventFilter(&closer);
}

void BM_computeVolumesAlone(benchmark::State& state) {
    const auto tank =
        varnelle::startUpTank(varnelle::EndShape::ConicalEnds, static_cast<double>(state.range(0)));
    const varnelle::ProgressCallback progress = [](double) {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(varnelle::computeVolumes(tank, progress));
    }
}

BENCHMARK(BM_clickToConfirmation)
    ->ArgName("precision")
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_computeVolumesAlone)
    ->ArgName("precision")
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return varnelle::testing::runWindowBenchmarks(argc, argv, window);
}
