// The journal's one rule, for every writer of it (the command line's journal,
// the window's table): its lines in time order, and each reading's litres
// used per day since the reading before it.
#pragma once

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace varnelle {

// What each line of the journal is.
namespace journalKind {
inline constexpr char dipstick[] = "relevé (jauge)";
inline constexpr char sensor[] = "relevé (capteur)";
inline constexpr char delivery[] = "livraison";
}  // namespace journalKind

// A reading's litres: those stored with it, or else the chart's.
inline double readingLitres(const StoredReading& stored, const LitresAt& litresAt) {
    if (stored.litres && std::isfinite(*stored.litres)) {
        return *stored.litres;
    }
    return litresAt ? litresAt(stored.reading.heightMm) : std::nan("");
}

// The use per day between two readings with nothing delivered between them.
// A rise beyond the play of the readings is a delivery nobody recorded: no
// use can be said across it.
inline std::optional<double> usePerDay(const QDateTime& before, double litresBefore,
                                       const QDateTime& after, double litresAfter) {
    constexpr double msecsPerDay = 86400000;
    const double days = static_cast<double>(before.msecsTo(after)) / msecsPerDay;
    const double used = litresBefore - litresAfter;
    if (!(days > 0) || !(used >= -readingNoiseLitres) || !std::isfinite(used / days)) {
        return std::nullopt;
    }
    return used / days;
}

// Puts `lines` (each with `time`, `litres` and `litresPerDay`) in time order,
// a reading taken at a delivery's time after it, as the oil is counted then;
// and gives each reading its use per day since the reading before it, none
// across a delivery.
template <typename Line, typename IsDelivery>
void orderJournal(std::vector<Line>& lines, IsDelivery isDelivery) {
    // Compared as milliseconds: comparing times converts their zones each time.
    const auto key = [&isDelivery](const Line& line) {
        return std::make_pair(line.time.toMSecsSinceEpoch(), !isDelivery(line));
    };
    std::stable_sort(lines.begin(), lines.end(),
                     [&key](const Line& a, const Line& b) { return key(a) < key(b); });
    std::optional<std::size_t> previous;  // the reading before, with no delivery since
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isDelivery(lines[i])) {
            previous.reset();
            continue;
        }
        if (previous) {
            lines[i].litresPerDay = usePerDay(lines[*previous].time, lines[*previous].litres,
                                              lines[i].time, lines[i].litres);
        }
        previous = i;
    }
}

}  // namespace varnelle
