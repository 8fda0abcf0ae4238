// The chart's own words and defaults, shared by the chart window, the page,
// the text forms and the command line. Texts are UTF-8.
#pragma once

namespace varnelle {

namespace chartWords {

inline constexpr char title[] = "Barème de jaugeage";
inline constexpr char capacity[] = "Capacité (cuve pleine)";
inline constexpr char belowStrainer[] = "Volume sous la crépine";
inline constexpr char totalVolume[] = "Volume total";

}  // namespace chartWords

// The JSON keys that the chart and the answers of the command line share.
namespace jsonKey {

inline constexpr char capacity[] = "capacite_litres";
inline constexpr char totalLitres[] = "volume_total_litres";
inline constexpr char availableLitres[] = "volume_disponible_litres";
inline constexpr char belowStrainerLitres[] = "volume_sous_crepine_litres";

}  // namespace jsonKey

// A chart line every centimetre, finer than a dipstick is read.
inline constexpr int defaultChartStep = 10;  // mm
// Dealers fill a tank to 90 % of its capacity at most, leaving room for the
// oil to expand.
inline constexpr int defaultFillPercent = 90;

}  // namespace varnelle
