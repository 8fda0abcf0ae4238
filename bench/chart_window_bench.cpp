// The chart window as the user meets it: how soon the chart is on screen after
// a click on "Barème…", and the longest the window's event loop is held up
// while a long chart is computed and shown (a 0 ms timer fires at each turn of
// the loop; the longest gap between two firings is the time reported).
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>

#include "ui/chart_window.h"
#include "ui/volumes.h"
#include "window_bench_main.h"

namespace {

varnelle::Volumes* window = nullptr;

varnelle::ChartWindow* chartWindow() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* chart = qobject_cast<varnelle::ChartWindow*>(top); chart && chart->isVisible()) {
            return chart;
        }
    }
    return nullptr;
}

int chartRows(varnelle::ChartWindow* chart) {
    return chart->findChild<QTableView*>(QStringLiteral("chartTable"))->model()->rowCount();
}

// Turns the event loop until the chart window shows `rows` lines.
void waitForRows(int rows) {
    varnelle::ChartWindow* chart = nullptr;
    while (!(chart = chartWindow()) || chartRows(chart) != rows) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();  // the paint of what was just shown
}

void closeChartWindow() {
    if (varnelle::ChartWindow* chart = chartWindow()) {
        chart->close();
    }
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void setTank(int endShape, int diameter) {
    window->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(endShape))->click();
    window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QString::number(diameter));
}

int linesOf(int diameter, int step) {
    return (diameter + step - 1) / step + 1;
}

// From the click to the chart of the start-up tank (10 mm steps) on screen;
// each click opens the window afresh.
void BM_clickToChartShown(benchmark::State& state) {
    const int diameter = 1000;
    setTank(static_cast<int>(state.range(0)), diameter);
    auto* command4 = window->findChild<QPushButton*>(QStringLiteral("Command4"));
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        command4->click();
        waitForRows(linesOf(diameter, 10));
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        closeChartWindow();
    }
}

// The longest turn of the event loop while the 1 mm chart of a tank 3000 mm
// across is computed and shown, after a change of step.
void BM_longestEventLoopBlock(benchmark::State& state) {
    const int diameter = 3000;
    setTank(static_cast<int>(state.range(0)), diameter);
    window->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    waitForRows(linesOf(diameter, 10));
    auto* step = chartWindow()->findChild<QComboBox*>(QStringLiteral("stepCombo"));

    QElapsedTimer sinceLastTurn;
    qint64 longestNs = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        longestNs = std::max(longestNs, sinceLastTurn.nsecsElapsed());
        sinceLastTurn.restart();
    });
    QElapsedTimer total;
    for (auto _ : state) {
        longestNs = 0;
        total.start();
        sinceLastTurn.start();
        turn.start();
        step->setCurrentText(QStringLiteral("1"));  // as the user's choice in the list
        longestNs = std::max(longestNs, sinceLastTurn.nsecsElapsed());
        waitForRows(linesOf(diameter, 1));
        turn.stop();
        state.SetIterationTime(static_cast<double>(longestNs) * 1e-9);
        state.counters["chart_ms"] = static_cast<double>(total.nsecsElapsed()) * 1e-6;
        step->setCurrentText(QStringLiteral("10"));
        waitForRows(linesOf(diameter, 10));
    }
    closeChartWindow();
}

// 0: flat ends, the start-up tank's; 2: spherical caps, whose integrals are the costliest.
BENCHMARK(BM_clickToChartShown)
    ->ArgName("shape")
    ->Arg(0)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_longestEventLoopBlock)
    ->ArgName("shape")
    ->Arg(0)
    ->Arg(2)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return varnelle::testing::runWindowBenchmarks(argc, argv, window);
}
