// The dipstick chart of a tank and the questions answered from it: the height
// that holds a given volume and the amount to order. Every volume comes from
// the same core and the same upper sums as the window's.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "core/volume.h"

namespace varnelle {

// Litres in the tank with the oil at `height`: bit for bit the totalVolume
// that computeVolumes gives for that oil height (the strainer plays no part).
double totalVolumeAt(const TankParameters& tank, double height);

// The five volumes of the window with the oil at `height`.
VolumeResults volumesAt(TankParameters tank, double height);

// Heights of the chart in millimetres: 0, step, 2·step ... below the diameter,
// then the diameter itself.
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
};

// Computed on every core. Setting `*abandon` (from any thread) stops the work
// early; the chart returned is then empty.
Chart computeChart(const TankParameters& tank, double step,
                   const std::atomic<bool>* abandon = nullptr);

// The oil height, rounded to the millimetre, at which the tank holds `litres`
// (0 <= litres <= capacity). A diameter that is not a whole number of
// millimetres is returned as it is rather than rounded past the top.
double heightForVolume(const TankParameters& tank, double litres);

struct OrderAmount {
    double currentLitres = 0;
    double fillLimitLitres = 0;      // fillPercent of the capacity
    double litresToOrder = 0;        // 0 when the tank is already at or above the limit
    double heightAfterDelivery = 0;  // mm, rounded as heightForVolume
};

// What to order to bring a tank whose oil stands at `oilHeight` up to
// `fillPercent` per cent of its capacity.
OrderAmount orderAmount(const TankParameters& tank, double oilHeight, double fillPercent);

}  // namespace varnelle
