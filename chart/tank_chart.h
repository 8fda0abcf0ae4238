// The dipstick chart of a tank and the questions answered from it: the height
// that holds a given volume and the amount to order. Every volume comes from
// the same core and the same upper sums as the window's.
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/volume.h"

namespace varnelle {

// The look-ups below and computeChart take an optional abandon flag. Setting
// `*abandon` (from any thread) stops the work before its next end integral, so
// within one integral; an abandoned call returns soon with a result that means
// nothing (not-a-number litres and heights, an empty chart): the caller that
// set the flag drops it. A flag that is never set changes nothing, to the bit.

// Litres in the tank with the oil at `height`: bit for bit the totalVolume
// that computeVolumes gives for that oil height (the strainer plays no part).
double totalVolumeAt(const TankParameters& tank, double height);

// The five volumes of the window with the oil at `height` (two end integrals).
VolumeResults volumesAt(TankParameters tank, double height,
                        const std::atomic<bool>* abandon = nullptr);

// Heights of the chart in millimetres: 0, step, 2·step ... below the diameter,
// then the diameter itself. No two are written alike: a last step that is
// written as the diameter (to the thousandth of a millimetre, 1000 for a
// diameter of 1000.0004) gives way to the diameter. chartLineCount is the
// number of heights, without making them.
std::vector<double> chartHeights(double diameter, double step);
std::size_t chartLineCount(double diameter, double step);

struct ChartLine {
    double height = 0;           // mm
    double totalLitres = 0;      // the window's totalVolume
    double availableLitres = 0;  // the window's availableVolume, 0 below the strainer
};

struct Chart {
    std::vector<ChartLine> lines;
    double capacity = 0;             // litres with the tank full
    double belowStrainerLitres = 0;  // what the strainer can never draw
    // What the plot is drawn through, by rising height, each point computed as
    // a line of its height would be: the lines, more points between lines too
    // far apart for a smooth curve, the strainer height and the marked height.
    // No part of the table or of the files.
    std::vector<ChartLine> plotPoints;
};

// The plot's points are at most this share of the diameter apart, which draws
// a smooth curve on any page or screen: lines that close are used as they are,
// and lines further apart get as few points of the plot's own between them as
// keep that spacing. So a chart costs at most 100 more end integrals, and
// none for a step of a hundredth of the diameter or less.
inline constexpr double plotSpacing = 1.0 / 100;

// Computed on every core, with the end integrals of the plot's own points
// (`markedHeight` among them when it lies in the tank: the window's level of
// today, which the plot marks on its curve). Abandoned (see above), the chart
// is empty.
Chart computeChart(const TankParameters& tank, double step,
                   const std::atomic<bool>* abandon = nullptr,
                   std::optional<double> markedHeight = std::nullopt);

// The plot's point at `height`: there for the marked height of computeChart
// (and for the height of any line), computed as totalVolumeAt would. Nothing
// for a height the plot has no point at.
std::optional<ChartLine> plotPointAt(const Chart& chart, double height);

// The oil height, rounded to the millimetre, at which the tank holds `litres`
// (0 <= litres <= capacity), found by halving with an end integral per halving
// (about 40). A diameter that is not a whole number of millimetres is returned
// as it is rather than rounded past the top. Not-a-number when abandoned.
double heightForVolume(const TankParameters& tank, double litres,
                       const std::atomic<bool>* abandon = nullptr);

struct OrderAmount {
    double currentLitres = 0;
    double fillLimitLitres = 0;      // fillPercent of the capacity
    double litresToOrder = 0;        // 0 when the tank is already at or above the limit
    double heightAfterDelivery = 0;  // mm, rounded as heightForVolume
};

// What to order to bring a tank whose oil stands at `oilHeight` up to
// `fillPercent` per cent of its capacity. Not-a-number throughout when abandoned.
OrderAmount orderAmount(const TankParameters& tank, double oilHeight, double fillPercent,
                        const std::atomic<bool>* abandon = nullptr);

}  // namespace varnelle
