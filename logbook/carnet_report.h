// What the command line says of a carnet: the summary (--bilan) and the
// journal (--releves), as text for people, CSV for spreadsheets and JSON for
// scripts.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "chart/chart_numbers.h"
#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace varnelle {

// The day to order, as --bilan and the lines of --flux --carnet name it.
inline constexpr char orderDateKey[] = "date_de_commande";

// Everything the summary reports, computed beforehand.
struct CarnetFacts {
    Summary summary;
    std::vector<Delivery> deliveries;  // every recorded delivery, by time
    double capacity = 0;               // litres, the tank full
    double strainerLitres = 0;         // litres below the strainer
    ForecastOptions options;
    // The cylinder's length, and the nominal capacity it was deduced from
    // when the carnet's tank gives one in place of a length.
    double cylinderLength = 0;
    std::optional<double> nominalCapacity;
};

QString summaryText(const CarnetFacts& facts, const OutputConventions& conventions);
QString summaryCsv(const CarnetFacts& facts, const OutputConventions& conventions);
QString summaryJson(const CarnetFacts& facts);

// The readings and deliveries in time order, with each reading's litres and
// the litres per day since the reading before it.
QString journalText(const std::vector<StoredReading>& readings,
                    const std::vector<Delivery>& deliveries, const LitresAt& litresAt,
                    const OutputConventions& conventions);
QString journalCsv(const std::vector<StoredReading>& readings,
                   const std::vector<Delivery>& deliveries, const LitresAt& litresAt,
                   const OutputConventions& conventions);
QString journalJson(const std::vector<StoredReading>& readings,
                    const std::vector<Delivery>& deliveries, const LitresAt& litresAt);

}  // namespace varnelle
