// The carnet of one tank in a window: what the readings say (the litres now,
// the use per day, when to order), the plot of the season, and the journal,
// which the user adds to, edits, deletes from and undoes. Everything the
// carnet computes is computed aside, on the window's own threads, from a
// connection of its own; the window writes its small changes itself. Readings
// that another program (a sensor's stream) writes to the carnet appear on
// their own.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "chart/chart_numbers.h"
#include "core/volume.h"
#include "files/refusal.h"
#include "logbook/carnet_store.h"

class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableView;
class QThreadPool;
class QTimer;

namespace varnelle {

class LatestComputation;
class LogbookPlot;
class LogbookTableModel;
struct LogbookView;
struct JournalRow;

class LogbookWindow : public QWidget {
    Q_OBJECT

  public:
    // Shows the one carnet window for the carnet at `path`, creating it when
    // none is open (or when the one open shows another carnet), and brings it
    // to the front. `fields`: the main window's tank, for the mismatch line.
    static void open(QPointer<LogbookWindow>& window, const QIcon& icon, const QString& path,
                     const TankParameters& fields);

    LogbookWindow(const QIcon& icon, QString path, const TankParameters& fields);
    ~LogbookWindow() override;

    QString carnetPath() const;
    void setFieldsTank(const TankParameters& fields);

    // True while the carnet is being read and computed, or readings imported.
    bool isComputing() const;
    // Reads the carnet again if another program changed it; true if it did.
    bool readOthersChanges();

  signals:
    // "Reprendre les mesures du carnet": the carnet's tank, for the main window's fields.
    void measuresTaken(const TankParameters& carnetTank);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void createControls();
    void createLayout();
    void connectHandlers();

    void onTakeMeasuresButtonClick();
    void onNewReadingButtonClick();
    void onNewDeliveryButtonClick();
    void onImportButtonClick();
    void onExportButtonClick();
    void onPrintButtonClick();
    void onLogTableDoubleClick();
    void onLogTableDeleteKey();
    void onUndoKey();
    void onCarnetFileChanged();
    void onPollTimerTimeout();

    // Reads and computes the carnet aside, then shows it.
    void refresh();
    void showView(std::shared_ptr<LogbookView> view);
    void fitSummary();
    void showMismatch();
    void enableChanges();

    void editReading(std::optional<StoredReading> old);
    void editDelivery(std::optional<StoredDelivery> old);
    void storeReading(const Reading& reading, const std::optional<StoredReading>& old);
    void storeDelivery(const Delivery& delivery, const std::optional<StoredDelivery>& old);
    void importReadings(const std::vector<Reading>& readings, int refused);
    void showImported(const Outcome<std::vector<qint64>>& added, std::size_t count, int refused);
    // Keeps `inverse`, the way back from the change just made, for Ctrl+Z.
    void rememberInverse(std::function<std::optional<Refusal>()> inverse);
    // False after saying why, when `refusal` is one.
    bool saidDone(const std::optional<Refusal>& refusal);
    void watchCarnetFiles();

    QString path_;
    TankParameters fields_;
    OutputConventions numbers_;
    std::optional<CarnetStore> store_;  // for writing; none when it could not be opened
    QString storeRefusal_;
    std::shared_ptr<const LogbookView> view_;
    std::vector<std::function<std::optional<Refusal>()>> inverses_;
    qint64 othersMark_ = 0;

    QThreadPool* pool_ = nullptr;
    LatestComputation* viewWork_ = nullptr;
    LatestComputation* importWork_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* pollTimer_ = nullptr;
    LogbookTableModel* tableModel_ = nullptr;

    QWidget* mismatchRow = nullptr;
    QLabel* mismatchLabel = nullptr;
    QPushButton* takeMeasuresButton = nullptr;
    QScrollArea* summaryArea = nullptr;
    QLabel* summaryLabel = nullptr;
    QLabel* noticeLabel = nullptr;
    LogbookPlot* logPlot = nullptr;
    QTableView* logTable = nullptr;
    QPushButton* newReadingButton = nullptr;
    QPushButton* newDeliveryButton = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* closeButton = nullptr;
};

}  // namespace varnelle
