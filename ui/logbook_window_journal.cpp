// The carnet window's changes to the journal: new readings and deliveries,
// their edits and deletions, the import, each undone by Ctrl+Z; and the
// journal out of the window, as CSV or on paper.
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <atomic>

#include "chart/report_writer.h"
#include "files/file_replacement.h"
#include "logbook/carnet_report.h"
#include "logbook/carnet_time.h"
#include "ui/background_work.h"
#include "ui/import_dialog.h"
#include "ui/logbook_dialogs.h"
#include "ui/logbook_plot.h"
#include "ui/logbook_table_model.h"
#include "ui/logbook_view.h"
#include "ui/logbook_window.h"
#include "ui/message_box.h"
#include "widgets/save_path.h"

namespace varnelle {

namespace {

template <typename Stored>
std::optional<Stored> storedWithId(const std::vector<Stored>& rows, qint64 id) {
    const auto found =
        std::find_if(rows.begin(), rows.end(), [id](const Stored& row) { return row.id == id; });
    return found == rows.end() ? std::nullopt : std::optional<Stored>(*found);
}

template <typename T>
std::optional<Refusal> refusalIn(const Outcome<T>& outcome) {
    const Refusal* refused = refusalOf(outcome);
    return refused ? std::optional<Refusal>(*refused) : std::nullopt;
}

// What the printed page says first: which carnet, when, and its tank, as a
// page is kept among others.
QStringList printedHeading(const QString& path, const TankParameters& tank,
                           const OutputConventions& numbers) {
    TankDescription description;
    description.tank = tank;
    constexpr int tankLines = 4;  // diameter, length, ends, strainer
    QStringList lines = tankSummaryLines(description, 0, numbers).mid(0, tankLines);
    lines.prepend(
        QStringLiteral("%1, imprimé le %2")
            .arg(QFileInfo(path).fileName(), frenchDayText(QDateTime::currentDateTime())));
    lines.append(QString());
    return lines;
}

}  // namespace

bool LogbookWindow::saidDone(const std::optional<Refusal>& refusal) {
    if (refusal) {
        showMessageBox(this, QMessageBox::Warning, refusal->sentence);
        return false;
    }
    return true;
}

void LogbookWindow::rememberInverse(std::function<std::optional<Refusal>()> inverse) {
    inverses_.push_back(std::move(inverse));
}

// --- Readings and deliveries ---------------------------------------------------------

void LogbookWindow::onNewReadingButtonClick() {
    editReading(std::nullopt);
}

void LogbookWindow::onNewDeliveryButtonClick() {
    editDelivery(std::nullopt);
}

void LogbookWindow::editReading(std::optional<StoredReading> old) {
    if (!view_ || !view_->tank) {
        return;
    }
    auto* dialog = new ReadingDialog(view_->dialogTank, numbers_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (old) {
        dialog->setReading(old->reading);
    }
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, old]() { storeReading(dialog->reading(), old); });
    dialog->open();
}

void LogbookWindow::editDelivery(std::optional<StoredDelivery> old) {
    if (!view_ || !view_->tank) {
        return;
    }
    DialogTank tank = view_->dialogTank;
    tank.heightBefore = [view = view_](const QDateTime& time) {
        return heightReadBefore(view->readings, time);
    };
    auto* dialog = new DeliveryDialog(tank, numbers_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (old) {
        dialog->setDelivery(old->delivery);
    }
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, old]() { storeDelivery(dialog->delivery(), old); });
    dialog->open();
}

void LogbookWindow::storeReading(const Reading& reading, const std::optional<StoredReading>& old) {
    if (!store_ || !view_) {
        return;
    }
    const double litres = view_->dialogTank.litresAt(reading.heightMm);
    const Outcome<qint64> stored = store_->putReading({reading, litres, old ? old->id : 0});
    if (!saidDone(refusalIn(stored))) {
        return;
    }
    const qint64 id = std::get<qint64>(stored);
    if (old) {
        rememberInverse([this, old]() { return refusalIn(store_->putReading(*old)); });
    } else {
        rememberInverse([this, id]() { return store_->deleteReading(id); });
    }
    noticeLabel->setText(QStringLiteral("Relevé du %1 enregistré : %2, soit %3.")
                             .arg(frenchTimeText(reading.time),
                                  numbers_.millimetres(reading.heightMm),
                                  numbers_.litresWithUnit(litres, 0)));
    refresh();
}

void LogbookWindow::storeDelivery(const Delivery& delivery,
                                  const std::optional<StoredDelivery>& old) {
    if (!store_ || !view_) {
        return;
    }
    const Outcome<qint64> stored = store_->putDelivery({delivery, old ? old->id : 0});
    if (!saidDone(refusalIn(stored))) {
        return;
    }
    const qint64 id = std::get<qint64>(stored);
    if (old) {
        rememberInverse([this, old]() { return refusalIn(store_->putDelivery(*old)); });
    } else {
        rememberInverse([this, id]() { return store_->deleteDelivery(id); });
    }
    QString notice =
        QStringLiteral("Livraison du %1 enregistrée : %2.")
            .arg(frenchTimeText(delivery.time), numbers_.litresWithUnit(delivery.receiptLitres, 0));
    const Outcome<ReceiptCheck> check = checkReceipt(
        delivery, readingsNearDelivery(view_->readings, delivery.time), view_->dialogTank.litresAt);
    if (const ReceiptCheck* done = std::get_if<ReceiptCheck>(&check)) {
        notice += QLatin1Char('\n') + done->sentence;
    }
    noticeLabel->setText(notice);
    refresh();
}

// --- The journal's table ----------------------------------------------------------

void LogbookWindow::onLogTableDoubleClick() {
    const JournalRow* row = tableModel_->journalRow(logTable->currentIndex().row());
    if (!row || !view_ || !store_) {
        return;
    }
    if (row->kind == JournalRow::Kind::Delivery) {
        if (auto stored = storedWithId(view_->deliveries, row->id)) {
            editDelivery(stored);
        }
    } else if (auto stored = storedWithId(view_->readings, row->id)) {
        editReading(stored);
    }
}

void LogbookWindow::onLogTableDeleteKey() {
    const JournalRow* row = tableModel_->journalRow(logTable->currentIndex().row());
    if (!row || !view_ || !store_) {
        return;
    }
    const bool delivery = row->kind == JournalRow::Kind::Delivery;
    const QString question = delivery ? QStringLiteral("Supprimer la livraison du %1 ?")
                                      : QStringLiteral("Supprimer le relevé du %1 ?");
    if (!askYesNo(this, question.arg(frenchTimeText(row->time)))) {
        return;
    }
    const qint64 id = row->id;
    if (delivery) {
        const std::optional<StoredDelivery> old = storedWithId(view_->deliveries, id);
        if (!old || !saidDone(store_->deleteDelivery(id))) {
            return;
        }
        rememberInverse([this, old]() { return refusalIn(store_->putDelivery(*old)); });
    } else {
        const std::optional<StoredReading> old = storedWithId(view_->readings, id);
        if (!old || !saidDone(store_->deleteReading(id))) {
            return;
        }
        rememberInverse([this, old]() { return refusalIn(store_->putReading(*old)); });
    }
    noticeLabel->setText(delivery ? QStringLiteral("Livraison supprimée.")
                                  : QStringLiteral("Relevé supprimé."));
    refresh();
}

void LogbookWindow::onUndoKey() {
    if (inverses_.empty() || !store_) {
        return;
    }
    const std::function<std::optional<Refusal>()> inverse = std::move(inverses_.back());
    inverses_.pop_back();
    if (saidDone(inverse())) {
        noticeLabel->setText(QStringLiteral("Dernière modification annulée."));
    }
    refresh();
}

// --- Import, export, print ---------------------------------------------------------

void LogbookWindow::onImportButtonClick() {
    if (!view_ || !view_->tank) {
        return;
    }
    auto* dialog = new ImportDialog(view_->tank->diameter, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog]() { importReadings(dialog->readings(), dialog->refusedCount()); });
    dialog->open();
}

// Thousands of readings take a second to store: they are stored aside, from
// a connection of the import's own, while the window stays free. The import
// button waits for it, so that one import never abandons another.
void LogbookWindow::importReadings(const std::vector<Reading>& readings, int refused) {
    if (!store_ || !view_ || !view_->tank || readings.empty()) {
        return;
    }
    importButton->setEnabled(false);
    noticeLabel->setText(QStringLiteral("Import de %1 relevés…")
                             .arg(numbers_.number(static_cast<double>(readings.size()))));
    auto store = [path = path_, tank = *view_->tank, known = storedLitres(view_->readings),
                  readings](const std::atomic<bool>&) -> Outcome<std::vector<qint64>> {
        Outcome<CarnetStore> opened = CarnetStore::open(path, true);
        if (const Refusal* refused = refusalOf(opened)) {
            return *refused;
        }
        return std::get<CarnetStore>(opened).addReadings(readings, chartLitresAt(tank, known));
    };
    importWork_->start(std::move(store), [this, count = readings.size(),
                                          refused](const Outcome<std::vector<qint64>>& added) {
        showImported(added, count, refused);
    });
}

void LogbookWindow::showImported(const Outcome<std::vector<qint64>>& added, std::size_t count,
                                 int refused) {
    enableChanges();
    if (!saidDone(refusalIn(added))) {
        noticeLabel->clear();
        return;
    }
    const auto& ids = std::get<std::vector<qint64>>(added);
    // An import that added nothing changed nothing: Ctrl+Z still undoes the
    // change before it.
    if (!ids.empty()) {
        rememberInverse([this, ids]() { return refusalIn(store_->deleteReadings(ids)); });
    }
    noticeLabel->setText(
        QStringLiteral("Relevés importés : %1 ; déjà dans le carnet : %2 ; lignes refusées : %3.")
            .arg(numbers_.number(static_cast<double>(ids.size())),
                 numbers_.number(static_cast<double>(count - ids.size())),
                 numbers_.number(refused)));
    refresh();
}

void LogbookWindow::onExportButtonClick() {
    if (!view_ || !view_->tank) {
        return;
    }
    const QString path = askSavePath(this, QStringLiteral("Exporter le journal du carnet"),
                                     QFileInfo(path_).completeBaseName() + QStringLiteral(".csv"),
                                     QStringLiteral("Tableaux CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;  // cancelled: nothing written, nothing to say
    }
    const QString csv = journalCsv(view_->readings, plainDeliveries(view_->deliveries),
                                   view_->dialogTank.litresAt, conventionsFor(QLocale()));
    if (const std::optional<Refusal> refused = writeWholeFile(path, csv.toUtf8())) {
        showMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("Le fichier CSV « %1 » n'a pas pu être écrit : %2")
                           .arg(path, refused->sentence));
        return;
    }
    noticeLabel->setText(QStringLiteral("Journal exporté dans « %1 ».").arg(path));
}

void LogbookWindow::onPrintButtonClick() {
    if (!view_ || !view_->tank) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimer le carnet"));
    if (dialog.exec() == QDialog::Accepted &&
        !printLogbookPage(
            printer,
            printedHeading(path_, *view_->tank, numbers_) + view_->summary.split(QLatin1Char('\n')),
            logPlot->data(), numbers_)) {
        showMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("Le carnet n'a pas pu être imprimé."));
    }
}

}  // namespace varnelle
