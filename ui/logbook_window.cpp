#include "logbook_window.h"

#include <QDate>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <utility>

#include "chart/tank_chart.h"
#include "logbook/carnet_report.h"
#include "logbook/carnet_tank.h"
#include "ui/accessibility.h"
#include "ui/background_work.h"
#include "ui/logbook_dialogs.h"
#include "ui/logbook_plot.h"
#include "ui/logbook_table_model.h"
#include "ui/logbook_view.h"
#include "widgets/enter_presses_button.h"
#include "widgets/table_rows.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace varnelle {

namespace {

// Another program's readings are looked for this often even when the file
// watcher says nothing (a network file system, a watcher out of handles).
constexpr int pollMs = 60 * 1000;

constexpr int windowWidthTwips = 11400;
constexpr int windowHeightTwips = 10800;
constexpr int plotLeastTwips = 3300;
// About twelve lines of the window's font: the summary of a season whole.
constexpr int summaryMostTwips = 2700;

// The heating season (1 July to 30 June, local days) holding `time`.
std::pair<QDateTime, QDateTime> seasonOf(const QDateTime& time) {
    const QDate day = time.toLocalTime().date();
    const int startYear = day.month() >= 7 ? day.year() : day.year() - 1;
    const QDateTime start(QDate(startYear, 7, 1), QTime(0, 0));
    return {start.toUTC(), start.addYears(1).toUTC()};
}

LogbookPlotData plotData(const CarnetFacts& facts, const std::vector<Delivery>& deliveries) {
    LogbookPlotData plot;
    const Summary& summary = facts.summary;
    plot.readings = summary.history.readings;
    for (const Delivery& delivery : deliveries) {
        plot.deliveries.push_back(delivery.time);
    }
    for (const FoundDelivery& found : summary.history.found) {
        plot.deliveries.push_back(found.end);
    }
    plot.capacity = facts.capacity;
    plot.strainerLitres = facts.strainerLitres;
    plot.reserveLitres = facts.capacity * facts.options.reservePercent / 100;
    if (const Forecast* forecast = std::get_if<Forecast>(&summary.forecast)) {
        plot.forecast = *forecast;
    }
    plot.months = summary.months;
    const QDateTime last =
        plot.readings.empty() ? QDateTime::currentDateTimeUtc() : plot.readings.back().time;
    std::tie(plot.from, plot.to) = seasonOf(last);
    return plot;
}

template <typename T>
bool readInto(const Outcome<T>& outcome, T& into, std::optional<QString>& refusal) {
    if (const Refusal* refused = refusalOf(outcome)) {
        refusal = refused->sentence;
        return false;
    }
    into = std::get<T>(outcome);
    return true;
}

}  // namespace

std::shared_ptr<LogbookView> computeLogbookView(const QString& path,
                                                const OutputConventions& numbers,
                                                const std::atomic<bool>& abandoned) {
    auto view = std::make_shared<LogbookView>();
    Outcome<CarnetStore> opened = CarnetStore::open(path, false);
    if (const Refusal* refused = refusalOf(opened)) {
        view->refusal = refused->sentence;
        return view;
    }
    const CarnetStore& store = std::get<CarnetStore>(opened);
    TankValues values;
    std::vector<DailyTemperature> temperatures;
    if (!readInto(store.tank(), values, view->refusal) ||
        !readInto(store.readings(), view->readings, view->refusal) ||
        !readInto(store.storedDeliveries(), view->deliveries, view->refusal) ||
        !readInto(store.temperatures(), temperatures, view->refusal) || abandoned) {
        return view;
    }
    const Outcome<TankDescription> description = carnetTankDescription(values, numbers);
    if (const Refusal* refused = refusalOf(description)) {
        view->refusal = refused->sentence;
        return view;
    }
    const TankParameters tank = std::get<TankDescription>(description).tank;
    view->tank = tank;
    const LitresAt litresAt = chartLitresAt(tank, storedLitres(view->readings));
    view->dialogTank = {tank.diameter, totalVolumeAt(tank, tank.diameter), litresAt, {}};
    view->rows = journalRows(view->readings, view->deliveries, litresAt);
    if (abandoned) {
        return view;
    }
    CarnetFacts facts;
    facts.capacity = view->dialogTank.capacity;
    facts.strainerLitres = litresAt(tank.strainerHeight);
    facts.deliveries = plainDeliveries(view->deliveries);
    facts.cylinderLength = tank.cylinderLength;
    if (values.contains(QLatin1String(carnetKeys::nominalCapacity))) {
        facts.nominalCapacity =
            numbers.read(values.value(QLatin1String(carnetKeys::nominalCapacity)));
    }
    facts.summary = summarize(plainReadings(view->readings), facts.deliveries, temperatures,
                              litresAt, facts.capacity, facts.strainerLitres, facts.options);
    view->summary = summaryText(facts, numbers.forPeople()).trimmed();
    view->plot = plotData(facts, facts.deliveries);
    return view;
}

namespace {

QPushButton* newButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

}  // namespace

// --- Opening --------------------------------------------------------------------

void LogbookWindow::open(QPointer<LogbookWindow>& window, const QIcon& icon, const QString& path,
                         const TankParameters& fields) {
    // A window that was closed is on its way to deletion; one showing another
    // carnet gives way to the one asked for.
    if (!window.isNull() && window->isVisible() && window->carnetPath() != path) {
        window->close();
    }
    if (window.isNull() || !window->isVisible()) {
        window = new LogbookWindow(icon, path, fields);
    } else {
        window->setFieldsTank(fields);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

LogbookWindow::LogbookWindow(const QIcon& icon, QString path, const TankParameters& fields)
    : QWidget(nullptr, Qt::Window),
      path_(std::move(path)),
      fields_(fields),
      numbers_(conventionsForPeople(QLocale())) {
    installAccessibleDescriptions();
    setObjectName(QStringLiteral("LogbookWindow"));
    setWindowTitle(QStringLiteral("Carnet de la cuve"));
    setWindowIcon(icon);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(windowFont(mainWindowPointSize()));
    pool_ = new QThreadPool(this);
    viewWork_ = new LatestComputation(pool_, this);
    importWork_ = new LatestComputation(pool_, this);
    createControls();
    createLayout();
    connectHandlers();
    pressFocusedButtonOnEnter(this);

    Outcome<CarnetStore> opened = CarnetStore::open(path_, true);
    if (CarnetStore* store = std::get_if<CarnetStore>(&opened)) {
        store_.emplace(std::move(*store));
        if (const Outcome<qint64> mark = store_->othersChangeMark(); !refusalOf(mark)) {
            othersMark_ = std::get<qint64>(mark);
        }
    } else {
        storeRefusal_ = refusalOf(opened)->sentence;
    }
    enableChanges();
    watchCarnetFiles();
    pollTimer_->start(pollMs);
    refresh();
}

LogbookWindow::~LogbookWindow() {
    viewWork_->abandon();
    pool_->waitForDone();
}

QString LogbookWindow::carnetPath() const {
    return path_;
}

void LogbookWindow::setFieldsTank(const TankParameters& fields) {
    fields_ = fields;
    showMismatch();
}

bool LogbookWindow::isComputing() const {
    return viewWork_->isRunning() || importWork_->isRunning();
}

// --- Building ---------------------------------------------------------------------

void LogbookWindow::createControls() {
    mismatchRow = new QWidget(this);
    mismatchLabel = new QLabel(
        QStringLiteral("Les mesures du carnet diffèrent de celles de la fenêtre principale."),
        mismatchRow);
    mismatchLabel->setObjectName(QStringLiteral("mismatchLabel"));
    mismatchLabel->setWordWrap(true);
    takeMeasuresButton = newButton(mismatchRow, "takeMeasuresButton",
                                   QStringLiteral("Reprendre les mesures du carnet"));
    mismatchRow->hide();
    summaryLabel = new QLabel(QStringLiteral("Lecture du carnet…"), this);
    summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel->setAccessibleName(QStringLiteral("Bilan du carnet"));
    summaryLabel->setWordWrap(true);
    summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    summaryLabel->setFocusPolicy(Qt::StrongFocus);
    // Ten years of deliveries make a long summary: it scrolls rather than
    // squeeze the journal.
    summaryArea = new QScrollArea(this);
    summaryArea->setWidget(summaryLabel);
    summaryArea->setWidgetResizable(true);
    summaryArea->setFrameShape(QFrame::NoFrame);
    summaryArea->setFocusPolicy(Qt::NoFocus);
    summaryArea->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    noticeLabel = new QLabel(this);
    noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
    noticeLabel->setAccessibleName(QStringLiteral("Dernière modification"));
    noticeLabel->setWordWrap(true);
    logPlot = new LogbookPlot(this);
    logPlot->setObjectName(QStringLiteral("logPlot"));
    logPlot->setMinimumHeight(twipsToPixels(plotLeastTwips));
    logTable = new QTableView(this);
    logTable->setObjectName(QStringLiteral("logTable"));
    logTable->setAccessibleName(QStringLiteral("Journal du carnet"));
    tableModel_ = new LogbookTableModel(numbers_, this);
    logTable->setModel(tableModel_);
    logTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    logTable->setSelectionMode(QAbstractItemView::SingleSelection);
    logTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    logTable->setTabKeyNavigation(false);  // Tab leaves the table: no keyboard trap
    showRowsOfOneLine(logTable);
    logTable->horizontalHeader()->setStretchLastSection(true);
    newReadingButton = newButton(this, "newReadingButton", QStringLiteral("Nouveau relevé…"));
    newDeliveryButton = newButton(this, "newDeliveryButton", QStringLiteral("Nouvelle livraison…"));
    importButton = newButton(this, "importButton", QStringLiteral("Importer…"));
    exportButton = newButton(this, "exportButton", QStringLiteral("Exporter…"));
    printButton = newButton(this, "printButton", QStringLiteral("Imprimer…"));
    closeButton = newButton(this, "closeButton", QStringLiteral("Fermer"));
    watcher_ = new QFileSystemWatcher(this);
    pollTimer_ = new QTimer(this);
}

void LogbookWindow::createLayout() {
    auto* mismatch = new QHBoxLayout(mismatchRow);
    mismatch->setContentsMargins(0, 0, 0, 0);
    mismatch->addWidget(mismatchLabel, 1);
    mismatch->addWidget(takeMeasuresButton);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {newReadingButton, newDeliveryButton, importButton, exportButton, printButton}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(mismatchRow);
    column->addWidget(summaryArea);
    column->addWidget(noticeLabel);
    column->addWidget(logPlot, 1);
    column->addWidget(logTable, 1);
    column->addLayout(buttons);
    resize(twipsSize(windowWidthTwips, windowHeightTwips));
}

void LogbookWindow::connectHandlers() {
    connect(takeMeasuresButton, &QPushButton::clicked, this,
            &LogbookWindow::onTakeMeasuresButtonClick);
    connect(newReadingButton, &QPushButton::clicked, this, &LogbookWindow::onNewReadingButtonClick);
    connect(newDeliveryButton, &QPushButton::clicked, this,
            &LogbookWindow::onNewDeliveryButtonClick);
    connect(importButton, &QPushButton::clicked, this, &LogbookWindow::onImportButtonClick);
    connect(exportButton, &QPushButton::clicked, this, &LogbookWindow::onExportButtonClick);
    connect(printButton, &QPushButton::clicked, this, &LogbookWindow::onPrintButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    logTable->installEventFilter(this);
    connect(logTable, &QTableView::doubleClicked, this, &LogbookWindow::onLogTableDoubleClick);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &LogbookWindow::onCarnetFileChanged);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            &LogbookWindow::onCarnetFileChanged);
    connect(pollTimer_, &QTimer::timeout, this, &LogbookWindow::onPollTimerTimeout);
}

// Suppr reaches the journal's table, which has no use for it.
bool LogbookWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == logTable && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        onLogTableDeleteKey();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Ctrl+Z and Escape come up to the window from the control that has the
// focus, none of which takes them.
void LogbookWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) {
        onUndoKey();
    } else if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
    } else {
        QWidget::keyPressEvent(event);
    }
}

// --- Showing the carnet -------------------------------------------------------------

void LogbookWindow::refresh() {
    viewWork_->start(
        [path = path_, numbers = numbers_](const std::atomic<bool>& abandoned) {
            return computeLogbookView(path, numbers, abandoned);
        },
        [this](std::shared_ptr<LogbookView> view) { showView(std::move(view)); });
}

// The rows and the plot's points are moved, not copied, into the widgets
// that show them: ten years of them would hold the window a while.
void LogbookWindow::showView(std::shared_ptr<LogbookView> view) {
    summaryLabel->setText(view->refusal ? *view->refusal : view->summary);
    fitSummary();
    tableModel_->setRows(std::move(view->rows));
    logPlot->setData(std::move(view->plot));
    view_ = std::move(view);
    showMismatch();
    enableChanges();
}

// The summary whole when it is short, else as much as leaves the journal room.
void LogbookWindow::fitSummary() {
    const int wanted = summaryLabel->heightForWidth(summaryArea->viewport()->width());
    summaryArea->setFixedHeight(std::min(wanted, twipsToPixels(summaryMostTwips)));
}

void LogbookWindow::showMismatch() {
    const bool differs = view_ && view_->tank && !sameTank(*view_->tank, fields_);
    mismatchRow->setVisible(differs);
}

void LogbookWindow::enableChanges() {
    const bool writable = store_.has_value() && view_ && view_->tank.has_value();
    for (QPushButton* button : {newReadingButton, newDeliveryButton}) {
        button->setEnabled(writable);
    }
    importButton->setEnabled(writable && !importWork_->isRunning());
    const bool readable = view_ && view_->tank.has_value();
    exportButton->setEnabled(readable);
    printButton->setEnabled(readable);
    if (!storeRefusal_.isEmpty()) {
        noticeLabel->setText(storeRefusal_);
    }
}

void LogbookWindow::onTakeMeasuresButtonClick() {
    if (view_ && view_->tank) {
        emit measuresTaken(*view_->tank);
    }
}

// --- Another program's readings --------------------------------------------------

void LogbookWindow::watchCarnetFiles() {
    // The write-ahead log takes another program's commits first; it comes and
    // goes, hence the folder too.
    const QStringList files = {path_, path_ + QStringLiteral("-wal")};
    for (const QString& file : files) {
        if (QFileInfo::exists(file) && !watcher_->files().contains(file)) {
            watcher_->addPath(file);
        }
    }
    const QString folder = QFileInfo(path_).absolutePath();
    if (!watcher_->directories().contains(folder)) {
        watcher_->addPath(folder);
    }
}

bool LogbookWindow::readOthersChanges() {
    if (!store_) {
        refresh();
        return true;
    }
    const Outcome<qint64> mark = store_->othersChangeMark();
    if (refusalOf(mark) || std::get<qint64>(mark) == othersMark_) {
        return false;
    }
    othersMark_ = std::get<qint64>(mark);
    refresh();
    return true;
}

void LogbookWindow::onCarnetFileChanged() {
    watchCarnetFiles();
    readOthersChanges();
}

void LogbookWindow::onPollTimerTimeout() {
    readOthersChanges();
}

}  // namespace varnelle
