// What the carnet window shows of its carnet, read and computed aside.
#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "chart/chart_numbers.h"
#include "logbook/carnet_store.h"
#include "ui/logbook_dialogs.h"
#include "ui/logbook_plot.h"
#include "ui/logbook_table_model.h"

namespace varnelle {

struct LogbookView {
    std::optional<QString> refusal;  // why the carnet could not be read or computed
    std::optional<TankParameters> tank;
    DialogTank dialogTank;
    std::vector<StoredReading> readings;
    std::vector<StoredDelivery> deliveries;
    std::vector<JournalRow> rows;  // moved into the table once shown
    QString summary;               // in French sentences, one a line
    LogbookPlotData plot;          // moved into the plot once shown
};

// Reads the carnet at `path` through a connection of the calling thread's own
// and computes everything the window shows; stops early once `abandoned`.
std::shared_ptr<LogbookView> computeLogbookView(const QString& path,
                                                const OutputConventions& numbers,
                                                const std::atomic<bool>& abandoned);

}  // namespace varnelle
