// The carnet window with ten years of hourly readings in its carnet: how long
// each of the user's steps takes until its result is on screen, and the
// longest the window's event loop is held meanwhile (a 0 ms timer fires at
// each turn of the loop; the longest gap between two firings is the hold
// reported, hold_ms, the worst of the iterations). The steps: the window
// opened until its summary, journal and plot are shown; a reading, then a
// delivery, typed in its dialog until the journal shows it; Ctrl+Z; the
// journal scrolled to its end and back; the window resized (the plot painted
// again); a reading that another program wrote appearing. Last, what the event
// loop does itself when a computed carnet is shown, piece by piece: where the
// holds go.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "chart/chart_numbers.h"
#include "chart/tank_description.h"
#include "controls.h"
#include "logbook/carnet_store.h"
#include "logbook/carnet_tank.h"
#include "logbook/consumption.h"
#include "ui/logbook_plot.h"
#include "ui/logbook_table_model.h"
#include "ui/logbook_view.h"
#include "ui/logbook_window.h"
#include "window_bench_main.h"

namespace {

using namespace varnelle;
using varnelle::testing::findControl;

Volumes* window = nullptr;

// A step whose result is not on screen after this long is reported failed.
constexpr int shownLimitMs = 60'000;

// A domestic tank of nearly 3 000 litres with spherical caps, whose litres
// take an integral each.
TankParameters benchTank() {
    TankParameters tank;
    tank.diameter = 1200;
    tank.cylinderLength = 2300;
    tank.strainerHeight = 60;
    tank.endShape = EndShape::SphericalCapEnds;
    tank.endWidth = 150;
    tank.intervals = defaultPrecisionThousands * 1000;
    return tank;
}

// The tank as the carnet gives it back, the window's fields agreeing with it.
TankParameters carnetTank() {
    const Outcome<TankDescription> description =
        carnetTankDescription(carnetValuesOf(benchTank()), conventionsFor(QLocale()));
    return std::get<TankDescription>(description).tank;
}

// Millimetres burnt a day on `day` of the year: 14 in the depth of winter,
// 1 (hot water only) in summer.
double fallPerDay(const QDate& day) {
    constexpr double coldestDay = 15;  // mid-January
    const double angle = 2 * Pi * (day.dayOfYear() - coldestDay) / 365.25;
    return 1 + 13 * std::max(0.0, std::cos(angle));
}

struct Carnet {
    QTemporaryDir folder;
    QString path;
    int readings = 0;
    int deliveries = 0;
};

// Ten years of hourly readings up to an hour ago, whole millimetres as a
// sensor sends them: the oil falls by the season and a delivery brings it back
// to 1 050 mm whenever it is under 250 mm, every few months. Written once.
const Carnet& tenYearsCarnet() {
    static const std::unique_ptr<Carnet> carnet = [] {
        auto made = std::make_unique<Carnet>();
        made->path = made->folder.filePath(QStringLiteral("cuve.carnet"));
        const TankParameters tank = carnetTank();
        const LitresAt litresAt = chartLitresAt(tank);
        constexpr int hours = 87'600;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QDateTime start = QDateTime(now.date(), QTime(now.time().hour(), 0), Qt::UTC)
                                    .addSecs(-qint64{3600} * hours);
        std::vector<Reading> readings;
        std::vector<Delivery> deliveries;
        double height = 1050;
        for (int hour = 0; hour < hours; ++hour) {
            const QDateTime time = start.addSecs(qint64{3600} * hour);
            height -= fallPerDay(time.date()) / 24;
            if (height < 250) {
                const double before = std::round(height);
                Delivery delivery;
                delivery.time = time.addSecs(-1800);
                delivery.receiptLitres = std::round(litresAt(1050) - litresAt(before));
                delivery.pricePerLitre = 1.1;
                delivery.heightBeforeMm = before;
                delivery.heightAfterMm = 1050;
                deliveries.push_back(delivery);
                height = 1050;
            }
            readings.push_back({time, std::round(height), Reading::Source::Sensor});
        }
        Outcome<CarnetStore> created = CarnetStore::create(made->path, carnetValuesOf(tank));
        if (const Refusal* refused = refusalOf(created)) {
            std::fprintf(stderr, "carnet not created: %s\n", qPrintable(refused->sentence));
            std::exit(1);
        }
        CarnetStore& store = std::get<CarnetStore>(created);
        const Outcome<std::vector<qint64>> added = store.addReadings(readings, litresAt);
        if (const Refusal* refused = refusalOf(added)) {
            std::fprintf(stderr, "readings not stored: %s\n", qPrintable(refused->sentence));
            std::exit(1);
        }
        for (const Delivery& delivery : deliveries) {
            store.addDelivery(delivery);
        }
        made->readings = static_cast<int>(readings.size());
        made->deliveries = static_cast<int>(deliveries.size());
        return made;
    }();
    return *carnet;
}

int journalLines(const Carnet& carnet) {
    return carnet.readings + carnet.deliveries;
}

// The longest gap between two turns of the event loop since start().
class LoopHolds {
  public:
    LoopHolds() {
        turn_.setInterval(0);
        QObject::connect(&turn_, &QTimer::timeout, [this] { note(); });
    }
    void start() {
        longestNs_ = 0;
        sinceTurn_.start();
        turn_.start();
    }
    double stopMs() {
        note();
        turn_.stop();
        return static_cast<double>(longestNs_) * 1e-6;
    }

  private:
    void note() {
        longestNs_ = std::max(longestNs_, sinceTurn_.nsecsElapsed());
        sinceTurn_.restart();
    }
    QTimer turn_;
    QElapsedTimer sinceTurn_;
    qint64 longestNs_ = 0;
};

// Counts the paints of a widget.
class Paints : public QObject {
  public:
    explicit Paints(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
};

// Turns the event loop until `shown`; false after shownLimitMs.
bool turnUntil(const std::function<bool()>& shown) {
    QElapsedTimer waited;
    waited.start();
    while (!shown()) {
        if (waited.elapsed() > shownLimitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// The carnet window on the ten years, and what the steps need of it.
class Shown {
  public:
    explicit Shown(const Carnet& carnet) : carnet_(carnet) {}
    ~Shown() { close(); }

    void open() { LogbookWindow::open(window_, QIcon(), carnet_.path, carnetTank()); }

    void close() {
        if (window_) {
            window_->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    LogbookWindow* window() const { return window_; }
    QTableView* table() const {
        return findControl<QTableView>(window_, QStringLiteral("logTable"));
    }
    QWidget* plot() const { return findControl<QWidget>(window_, QStringLiteral("logPlot")); }
    int rows() const { return table()->model()->rowCount(); }

    // The journal computed with `lines` lines, then the paints of what it shows.
    bool journalShown(int lines) {
        const bool shown = turnUntil(
            [this, lines] { return window_ && !window_->isComputing() && rows() == lines; });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return shown;
    }

    // "Nouveau relevé…" and a height typed, as the user does it; the dialog's
    // "Enregistrer", not clicked yet.
    QPushButton* typeReading(const QDateTime& time, double heightMm) {
        QDialog* dialog = openDialog("newReadingButton", "readingDialog");
        findControl<QDateTimeEdit>(dialog, QStringLiteral("readingTimeEdit"))
            ->setDateTime(time.toLocalTime());
        type(dialog, "heightField", QString::number(heightMm));
        return findControl<QPushButton>(dialog, QStringLiteral("okButton"));
    }

    // "Nouvelle livraison…" and the receipt's litres typed; "Enregistrer", not clicked yet.
    QPushButton* typeDelivery(const QDateTime& time, double litres) {
        QDialog* dialog = openDialog("newDeliveryButton", "deliveryDialog");
        findControl<QDateTimeEdit>(dialog, QStringLiteral("deliveryTimeEdit"))
            ->setDateTime(time.toLocalTime());
        type(dialog, "receiptLitresField", QString::number(litres));
        type(dialog, "priceField", QLocale().toString(1.25));
        return findControl<QPushButton>(dialog, QStringLiteral("okButton"));
    }

  private:
    QDialog* openDialog(const char* button, const char* name) {
        findControl<QPushButton>(window_, QLatin1String(button))->click();
        QCoreApplication::processEvents();
        for (QDialog* dialog : window_->findChildren<QDialog*>(QLatin1String(name))) {
            if (dialog->isVisible()) {
                return dialog;
            }
        }
        qFatal("%s opened no %s", button, name);
    }

    static void type(QDialog* dialog, const char* field, const QString& text) {
        auto* edit = findControl<QLineEdit>(dialog, QLatin1String(field));
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QCoreApplication::processEvents();
    }

  public:
  private:
    const Carnet& carnet_;
    QPointer<LogbookWindow> window_;
};

void reportHold(benchmark::State& state, double holdMs) {
    state.counters["hold_ms"] = holdMs;
    state.counters["readings"] = tenYearsCarnet().readings;
}

// A time in the last hour, after the carnet's last reading, each one new.
QDateTime typedTime() {
    static int typed = 0;
    return QDateTime::currentDateTimeUtc().addSecs(-60 * (1 + typed++ % 50));
}

// (a) From LogbookWindow::open to the summary, the journal and the plot on screen.
void BM_openUntilShown(benchmark::State& state) {
    const Carnet& carnet = tenYearsCarnet();
    LoopHolds holds;
    double holdMs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        Shown shown(carnet);
        holds.start();
        clock.start();
        shown.open();
        const bool done = shown.journalShown(journalLines(carnet));
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        holdMs = std::max(holdMs, holds.stopMs());
        if (!done) {
            state.SkipWithError("the carnet was not shown");
            return;
        }
    }
    reportHold(state, holdMs);
}

// From "Enregistrer" in the dialog that `type` fills (the carnet's own write
// with its sync, and for a delivery the receipt's check against the
// readings, in the click: click_ms) until the journal shows the new line;
// Ctrl+Z, untimed, after each.
template <typename Type>
void measureTypedUntilShown(benchmark::State& state, Type type) {
    const Carnet& carnet = tenYearsCarnet();
    Shown shown(carnet);
    shown.open();
    if (!shown.journalShown(journalLines(carnet))) {
        state.SkipWithError("the carnet was not shown");
        return;
    }
    LoopHolds holds;
    double holdMs = 0;
    double clickMs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        QPushButton* save = type(shown);
        holds.start();
        clock.start();
        save->click();
        clickMs = std::max(clickMs, static_cast<double>(clock.nsecsElapsed()) * 1e-6);
        const bool done = shown.journalShown(journalLines(carnet) + 1);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        holdMs = std::max(holdMs, holds.stopMs());
        QTest::keyClick(shown.window(), Qt::Key_Z, Qt::ControlModifier);
        if (!done || !shown.journalShown(journalLines(carnet))) {
            state.SkipWithError("the line typed was not shown, or not undone");
            return;
        }
    }
    reportHold(state, holdMs);
    state.counters["click_ms"] = clickMs;
}

// (b) A reading typed, and a delivery.
void BM_readingTypedUntilShown(benchmark::State& state) {
    measureTypedUntilShown(state, [](Shown& shown) { return shown.typeReading(typedTime(), 640); });
}

void BM_deliveryTypedUntilShown(benchmark::State& state) {
    measureTypedUntilShown(state, [](Shown& shown) { return shown.typeDelivery(typedTime(), 40); });
}

// (c) Ctrl+Z of a reading just typed (untimed) until the journal is back;
// click_ms: the key's own handling, the carnet's write with its sync.
void BM_undoUntilShown(benchmark::State& state) {
    const Carnet& carnet = tenYearsCarnet();
    Shown shown(carnet);
    shown.open();
    if (!shown.journalShown(journalLines(carnet))) {
        state.SkipWithError("the carnet was not shown");
        return;
    }
    LoopHolds holds;
    double holdMs = 0;
    double clickMs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        shown.typeReading(typedTime(), 640)->click();
        if (!shown.journalShown(journalLines(carnet) + 1)) {
            state.SkipWithError("the reading typed was not shown");
            return;
        }
        holds.start();
        clock.start();
        QTest::keyClick(shown.window(), Qt::Key_Z, Qt::ControlModifier);
        clickMs = std::max(clickMs, static_cast<double>(clock.nsecsElapsed()) * 1e-6);
        const bool done = shown.journalShown(journalLines(carnet));
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        holdMs = std::max(holdMs, holds.stopMs());
        if (!done) {
            state.SkipWithError("the undone reading stayed");
            return;
        }
    }
    reportHold(state, holdMs);
    state.counters["click_ms"] = clickMs;
}

// (c) Ctrl+End in the journal, its last line painted, then Ctrl+Home.
void BM_tableScrolledToEndAndBack(benchmark::State& state) {
    const Carnet& carnet = tenYearsCarnet();
    Shown shown(carnet);
    shown.open();
    if (!shown.journalShown(journalLines(carnet))) {
        state.SkipWithError("the carnet was not shown");
        return;
    }
    QTableView* table = shown.table();
    table->setFocus();
    Paints paints(table->viewport());
    LoopHolds holds;
    double holdMs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        holds.start();
        clock.start();
        bool done = true;
        for (const Qt::Key key : {Qt::Key_End, Qt::Key_Home}) {
            const int before = paints.count;
            QTest::keyClick(table, key, Qt::ControlModifier);
            done = done && turnUntil([&] { return paints.count > before; });
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        holdMs = std::max(holdMs, holds.stopMs());
        if (!done || table->currentIndex().row() != 0) {
            state.SkipWithError("the journal was not scrolled");
            return;
        }
    }
    reportHold(state, holdMs);
}

// (c) The window made wider and higher, then back, until the plot is painted
// at each size.
void BM_windowResized(benchmark::State& state) {
    const Carnet& carnet = tenYearsCarnet();
    Shown shown(carnet);
    shown.open();
    if (!shown.journalShown(journalLines(carnet))) {
        state.SkipWithError("the carnet was not shown");
        return;
    }
    Paints paints(shown.plot());
    const QSize size = shown.window()->size();
    LoopHolds holds;
    double holdMs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        holds.start();
        clock.start();
        bool done = true;
        for (const QSize to : {size + QSize(240, 160), size}) {
            const int before = paints.count;
            shown.window()->resize(to);
            done = done && turnUntil([&] { return paints.count > before; });
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        holdMs = std::max(holdMs, holds.stopMs());
        if (!done) {
            state.SkipWithError("the plot was not painted again");
            return;
        }
    }
    reportHold(state, holdMs);
}

// (d) A reading written by another store (a sensor's stream), the window told
// as its file watcher tells it, until the journal shows it. The reading is
// taken away again, untimed.
void BM_othersReadingUntilShown(benchmark::State& state) {
    const Carnet& carnet = tenYearsCarnet();
    Shown shown(carnet);
    shown.open();
    if (!shown.journalShown(journalLines(carnet))) {
        state.SkipWithError("the carnet was not shown");
        return;
    }
    Outcome<CarnetStore> opened = CarnetStore::open(carnet.path, true);
    if (refusalOf(opened)) {
        state.SkipWithError("the carnet could not be opened beside the window");
        return;
    }
    CarnetStore& stream = std::get<CarnetStore>(opened);
    stream.setDurability(CarnetStore::Durability::ProgramEnd);
    LoopHolds holds;
    double holdMs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        const QDateTime time = typedTime();
        stream.addReading({time, 640, Reading::Source::Sensor});
        holds.start();
        clock.start();
        shown.window()->readOthersChanges();
        const bool done = shown.journalShown(journalLines(carnet) + 1);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        holdMs = std::max(holdMs, holds.stopMs());
        stream.deleteReadingsAt(time);
        shown.window()->readOthersChanges();
        if (!done || !shown.journalShown(journalLines(carnet))) {
            state.SkipWithError("the other program's reading was not shown, or not taken away");
            return;
        }
    }
    reportHold(state, holdMs);
}

// The pieces of the showing of a computed carnet, each on the event loop as
// the window does it: the journal's lines copied into the table's model and
// the table laid out again (rows_ms), the plot's data copied and described
// for the screen reader (plot_data_ms), the plot painted (plot_paint_ms), the
// summary's sentences laid out in the window's width (summary_ms), and the
// view shown before freed (view_freed_ms). The time is the sum.
void BM_showingPieces(benchmark::State& state) {
    const Carnet& carnet = tenYearsCarnet();
    const std::atomic<bool> notAbandoned{false};
    const OutputConventions numbers = conventionsForPeople(QLocale());
    QWidget page;
    auto* table = new QTableView(&page);
    auto* model = new LogbookTableModel(numbers, table);
    table->setModel(model);
    auto* plot = new LogbookPlot(&page);
    auto* summary = new QLabel(&page);
    summary->setWordWrap(true);
    table->setGeometry(0, 300, 740, 300);
    plot->setGeometry(0, 0, 740, 280);
    summary->setGeometry(0, 620, 740, 80);
    page.resize(760, 720);
    page.show();
    QCoreApplication::processEvents();
    std::map<const char*, double> worstMs;
    QElapsedTimer clock;
    const auto timed = [&](const char* piece, const std::function<void()>& work) {
        clock.start();
        work();
        const double ms = static_cast<double>(clock.nsecsElapsed()) * 1e-6;
        worstMs[piece] = std::max(worstMs[piece], ms);
        return ms;
    };
    std::shared_ptr<const LogbookView> shown =
        computeLogbookView(carnet.path, numbers, notAbandoned);
    for (auto _ : state) {
        std::shared_ptr<LogbookView> view = computeLogbookView(carnet.path, numbers, notAbandoned);
        double ms = 0;
        ms += timed("rows_ms", [&] {
            model->setRows(std::move(view->rows));
            table->viewport()->repaint();
        });
        ms += timed("plot_data_ms", [&] { plot->setData(std::move(view->plot)); });
        ms += timed("plot_paint_ms", [&] { plot->repaint(); });
        ms += timed("summary_ms", [&] {
            summary->setText(view->summary);
            summary->heightForWidth(740);
        });
        ms += timed("view_freed_ms", [&] { shown = std::move(view); });
        state.SetIterationTime(ms * 1e-3);
    }
    for (const auto& [piece, ms] : worstMs) {
        state.counters[piece] = ms;
    }
}

BENCHMARK(BM_openUntilShown)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_readingTypedUntilShown)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_deliveryTypedUntilShown)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_undoUntilShown)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_tableScrolledToEndAndBack)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_windowResized)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_othersReadingUntilShown)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_showingPieces)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The offscreen platform says, at every window shown, what it cannot do.
QtMessageHandler toolkitHandler = nullptr;

void withoutPlatformNotices(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    if (!message.startsWith(QLatin1String("This plugin does not support"))) {
        toolkitHandler(type, context, message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    toolkitHandler = qInstallMessageHandler(&withoutPlatformNotices);
    return varnelle::testing::runWindowBenchmarks(argc, argv, window);
}
