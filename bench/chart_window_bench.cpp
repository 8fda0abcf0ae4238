// The chart window as the user meets it: how soon the chart is on screen after
// a click on "Barème…", the longest the window's event loop is held up while a
// long chart is computed and shown (a 0 ms timer fires at each turn of the
// loop; the longest gap between two firings is the time reported), and a
// restless use of the window at high precisions: how long the loop is held and
// how long the program takes to end once its last window is closed.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "controls.h"
#include "ui/volumes.h"
#include "window_bench_main.h"

namespace {

using varnelle::testing::findControl;

varnelle::Volumes* window = nullptr;

QWidget* chartWindow() {
    for (QWidget* chart : varnelle::testing::topLevelWindows(QStringLiteral("ChartWindow"))) {
        if (chart->isVisible()) {
            return chart;
        }
    }
    return nullptr;
}

int chartRows(QWidget* chart) {
    return findControl<QTableView>(chart, QStringLiteral("chartTable"))->model()->rowCount();
}

// Turns the event loop until the chart window shows `rows` lines.
void waitForRows(int rows) {
    QWidget* chart = nullptr;
    while (!(chart = chartWindow()) || chartRows(chart) != rows) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();  // the paint of what was just shown
}

void closeChartWindow() {
    if (QWidget* chart = chartWindow()) {
        chart->close();
    }
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void setTank(int endShape, int diameter) {
    findControl<QRadioButton>(window, QStringLiteral("Option1_%1").arg(endShape))->click();
    findControl<QLineEdit>(window, QStringLiteral("Text1"))->setText(QString::number(diameter));
}

int linesOf(int diameter, int step) {
    return (diameter + step - 1) / step + 1;
}

// From the click to the chart of the start-up tank (10 mm steps) on screen;
// each click opens the window afresh.
void BM_clickToChartShown(benchmark::State& state) {
    const int diameter = 1000;
    setTank(static_cast<int>(state.range(0)), diameter);
    auto* command4 = findControl<QPushButton>(window, QStringLiteral("Command4"));
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
    findControl<QPushButton>(window, QStringLiteral("Command4"))->click();
    waitForRows(linesOf(diameter, 10));
    auto* step = findControl<QComboBox>(chartWindow(), QStringLiteral("stepCombo"));

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

// ---------------------------------------------------------------------------
// The restless user. The program runs in a child process, this benchmark
// program started again with `stormOption`, so that its end is the one a user
// sees: the process gone. The child prints what it measured on one line.

constexpr char stormOption[] = "--chart-window-storm";
constexpr char stormReport[] = "storm:";

constexpr int stormMs = 5000;
constexpr int tickMs = 1;
constexpr int fillLimitPeriodMs = 20;  // 50 changes a second
constexpr int stepPeriodMs = 1000;
constexpr int keyPeriodMs = 50;
// Steps chosen in the list in turn, one a second from the window's 10 mm, the
// last one a second before the end.
constexpr const char* stormSteps[] = {"1", "2", "5", "20"};
// What is typed into the look-ups in turn, the whole text replaced each time,
// with the decimal comma and the grouping space that the window writes.
struct LookUp {
    const char* field;
    const char* text;
};
constexpr LookUp stormLookUps[] = {
    {"heightField", "450"}, {"litresField", "1 200,5"}, {"heightField", "123,4"},
    {"litresField", "800"}, {"heightField", "987"},     {"litresField", "1 570,796"},
    {"heightField", "12"},  {"litresField", "35,25"},
};

// How long the parent waits, at most, for the child to report and then to end;
// a child that takes longer is killed and the time waited reported.
constexpr int reportLimitMs = 120'000;
constexpr int exitLimitMs = 30'000;

qint64 steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the user's actions from timers of the program's own event loop, and a
// 1 ms timer whose late firings show how long the loop was held.
class Storm : public QObject {
  public:
    Storm(varnelle::Volumes& window, const QString& precision, const QString& shape)
        : window_(window), precision_(precision), shape_(shape) {}

    void start() {
        findControl<QComboBox>(&window_, QStringLiteral("Combo1"))->setEditText(precision_);
        varnelle::testing::clickControl(
            findControl(&window_, QStringLiteral("Option1_%1").arg(shape_)));
        startTicks();
        varnelle::testing::clickControl(findControl(&window_, QStringLiteral("Command4")));
        chart_ = chartWindow();
        if (!chart_) {
            std::fprintf(stderr, "storm: no chart window opened\n");
            QCoreApplication::exit(1);
            return;
        }
        every(fillLimitPeriodMs, [this] { changeFillLimit(); });
        every(stepPeriodMs, [this] { changeStep(); });
        every(keyPeriodMs, [this] { typeKey(); });
        QTimer::singleShot(stormMs, Qt::PreciseTimer, this, [this] { finish(); });
    }

  private:
    void startTicks() {
        tick_.setTimerType(Qt::PreciseTimer);
        tick_.setInterval(tickMs);
        connect(&tick_, &QTimer::timeout, this, [this] { noteHeld(sinceTick_.restart()); });
        sinceTick_.start();
        tick_.start();
    }

    void noteHeld(qint64 ms) {
        longestMs_ = std::max(longestMs_, ms);
        holdsOver50_ += ms > 50 ? 1 : 0;
    }

    template <typename Action>
    void every(int periodMs, Action action) {
        auto* timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, action);
        timer->start(periodMs);
        timers_.push_back(timer);
    }

    // Up and Down in turn, as a user trying two limits.
    void changeFillLimit() {
        auto* spin = findControl<QSpinBox>(chart_, QStringLiteral("fillLimitSpin"));
        QTest::keyClick(spin, fillChanges_ % 2 == 0 ? Qt::Key_Down : Qt::Key_Up);
        ++fillChanges_;
    }

    void changeStep() {
        if (stepChanges_ == static_cast<int>(std::size(stormSteps))) {
            return;
        }
        auto* combo = findControl<QComboBox>(chart_, QStringLiteral("stepCombo"));
        const char* step = stormSteps[stepChanges_];
        combo->setCurrentIndex(combo->findText(QLatin1String(step)));
        ++stepChanges_;
    }

    // One key at a time: Ctrl+A before each text, then its characters.
    void typeKey() {
        const LookUp& lookUp = stormLookUps[lookUp_ % std::size(stormLookUps)];
        auto* field = findControl<QLineEdit>(chart_, QLatin1String(lookUp.field));
        const auto length = static_cast<int>(std::strlen(lookUp.text));
        if (keyInText_ == 0) {
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        } else {
            QTest::keyClick(field, lookUp.text[keyInText_ - 1]);
        }
        ++keys_;
        if (++keyInText_ > length) {
            keyInText_ = 0;
            ++lookUp_;
        }
    }

    // "Fermer" in the chart window, then the main window closed: the last
    // window. The loop ends, and with it main().
    void finish() {
        for (QTimer* timer : timers_) {
            timer->stop();
        }
        const int rows = chartRows(chart_);
        int answered = 0;
        for (const char* name : {"heightAnswer", "litresAnswer", "orderAnswer"}) {
            answered += findControl<QLabel>(chart_, QLatin1String(name))->text().isEmpty() ? 0 : 1;
        }
        QElapsedTimer closing;
        closing.start();
        varnelle::testing::clickControl(findControl(chart_, QStringLiteral("closeButton")));
        window_.close();
        const qint64 closedNs = steadyNs();
        const qint64 closeMs = closing.elapsed();
        noteHeld(sinceTick_.elapsed());
        tick_.stop();
        std::printf(
            "%s held_ms=%lld over_50ms=%d close_ms=%lld fill_changes=%d step_changes=%d "
            "keys=%d rows=%d answered=%d closed_ns=%lld\n",
            stormReport, static_cast<long long>(longestMs_), holdsOver50_,
            static_cast<long long>(closeMs), fillChanges_, stepChanges_, keys_, rows, answered,
            static_cast<long long>(closedNs));
        std::fflush(stdout);
    }

    varnelle::Volumes& window_;
    const QString precision_;
    const QString shape_;
    QWidget* chart_ = nullptr;
    QTimer tick_;
    QElapsedTimer sinceTick_;
    std::vector<QTimer*> timers_;
    qint64 longestMs_ = 0;
    int holdsOver50_ = 0;
    int fillChanges_ = 0;
    int stepChanges_ = 0;
    int keys_ = 0;
    std::size_t lookUp_ = 0;
    int keyInText_ = 0;
};

// The child: the program as app/main.cpp runs it, driven by the storm.
int runStorm(int argc, char** argv, const QString& precision, const QString& shape) {
    QApplication application(argc, argv);
    varnelle::Volumes volumes;
    volumes.show();
    Storm storm(volumes, precision, shape);
    QTimer::singleShot(0, &storm, [&storm] { storm.start(); });
    return QApplication::exec();
}

// The value of `name=` in the child's report.
std::optional<double> reported(const QByteArray& report, const char* name) {
    for (const QByteArray& field : report.simplified().split(' ')) {
        const QByteArray prefix = QByteArray(name) + '=';
        if (field.startsWith(prefix)) {
            bool ok = false;
            const double value = field.mid(prefix.size()).toDouble(&ok);
            return ok ? std::optional<double>(value) : std::nullopt;
        }
    }
    return std::nullopt;
}

// Waits for the child's report line; empty if it did not come in time.
QByteArray stormReportOf(QProcess& child) {
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < reportLimitMs) {
        output += child.readAllStandardOutput();
        const qsizetype at = output.indexOf(stormReport);
        if (at >= 0 && output.indexOf('\n', at) >= 0) {
            return output.mid(at, output.indexOf('\n', at) - at);
        }
        if (child.state() == QProcess::NotRunning) {
            break;
        }
        child.waitForReadyRead(100);
    }
    return QByteArray();
}

// At precisions 100 and 1000, with truncated cones (1) and spherical caps (2),
// whose charts take the longest (flat ends need no integral): 5 s of the fill
// limit changed 50 times a second, the step changed every second and the
// look-ups typed into, then the chart window and the main window closed.
// Reported: the longest the event loop was held (held_ms; over_50ms counts the
// holds above 50 ms, close_ms is what the two closes took) and the time from
// the last window closed to the end of the process (exit_ms; exit_killed when
// the process was killed 30 s after). Also what the window showed at the end:
// rows of the table, look-ups and order answered (of 3). The time of an
// iteration is the child's whole run.
void BM_chartWindowStorm(benchmark::State& state) {
    const QString precision = QString::number(state.range(0));
    const QString shape = QString::number(state.range(1));
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer run;
        run.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(stormOption), precision, shape});
        if (!child.waitForStarted()) {
            state.SkipWithError("the benchmark program could not be started again");
            return;
        }
        const QByteArray report = stormReportOf(child);
        const bool ended = !report.isEmpty() && child.waitForFinished(exitLimitMs);
        const qint64 endedNs = steadyNs();
        if (!ended) {
            child.kill();
            child.waitForFinished();
        }
        state.SetIterationTime(static_cast<double>(run.nsecsElapsed()) * 1e-9);
        const std::optional<double> closedNs = reported(report, "closed_ns");
        if (!closedNs) {
            state.SkipWithError("the storm did not report");
            return;
        }
        for (const char* counter : {"held_ms", "over_50ms", "close_ms", "fill_changes",
                                    "step_changes", "keys", "rows", "answered"}) {
            state.counters[counter] = reported(report, counter).value_or(-1);
        }
        state.counters["exit_ms"] = (static_cast<double>(endedNs) - *closedNs) * 1e-6;
        state.counters["exit_killed"] = ended ? 0 : 1;
    }
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
BENCHMARK(BM_chartWindowStorm)
    ->ArgNames({"precision", "shape"})
    ->ArgsProduct({{100, 1000}, {1, 2}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], stormOption) == 0) {
        qputenv("QT_QPA_PLATFORM",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        return runStorm(argc, argv, QString::fromLocal8Bit(argv[2]),
                        QString::fromLocal8Bit(argv[3]));
    }
    return varnelle::testing::runWindowBenchmarks(argc, argv, window);
}
