#include "tank_chart.h"

#include <algorithm>
#include <cmath>

namespace varnelle {
namespace {

// The window's volumes with the oil at `height`, from the end integral at that
// height and the one at the strainer, taken by the caller once for all heights.
VolumeResults volumesWithEndsAt(TankParameters tank, double height, double endsAtStrainer) {
    tank.oilHeight = height;
    return volumesFromEnds(tank, endsVolumeAt(tank, height), endsAtStrainer);
}

}  // namespace

double totalVolumeAt(const TankParameters& tank, double height) {
    // The total does not depend on the strainer: its end integral is not needed.
    return volumesWithEndsAt(tank, height, 0).totalVolume;
}

VolumeResults volumesAt(TankParameters tank, double height) {
    tank.oilHeight = height;
    return computeVolumes(tank);
}

std::size_t chartLineCount(double diameter, double step) {
    // The steps k·step strictly below the diameter, plus the diameter. The
    // quotient may land a hair on either side of a whole number: settle it on
    // the products themselves.
    double below = std::ceil(diameter / step);
    if (below > 0 && (below - 1) * step >= diameter) {
        below -= 1;
    } else if (below * step < diameter) {
        below += 1;
    }
    return static_cast<std::size_t>(below) + 1;
}

std::vector<double> chartHeights(double diameter, double step) {
    const std::size_t count = chartLineCount(diameter, step);
    std::vector<double> heights;
    heights.reserve(count);
    // Multiplying rather than adding keeps 3000 steps of 0.1 free of drift.
    for (std::size_t k = 0; k + 1 < count; ++k) {
        heights.push_back(static_cast<double>(k) * step);
    }
    heights.push_back(diameter);
    return heights;
}

Chart computeChart(const TankParameters& tank, double step) {
    // The strainer does not move from line to line: its end integral is taken
    // once for the whole chart.
    const double endsAtStrainer = endsVolumeAt(tank, tank.strainerHeight);

    Chart chart;
    for (const double height : chartHeights(tank.diameter, step)) {
        const VolumeResults volumes = volumesWithEndsAt(tank, height, endsAtStrainer);
        chart.belowStrainerLitres = volumes.belowStrainerVolume;
        ChartLine line;
        line.height = height;
        line.totalLitres = volumes.totalVolume;
        // Below the strainer nothing can be drawn: a chart shows 0, not the
        // negative difference that the window uses to say so.
        line.availableLitres = std::max(0.0, volumes.availableVolume);
        chart.lines.push_back(line);
    }
    chart.capacity = chart.lines.back().totalLitres;
    return chart;
}

double heightForVolume(const TankParameters& tank, double litres) {
    // The total volume grows with the height: halve [low, high] until the two
    // ends meet, keeping total(low) < litres <= total(high).
    double low = 0;
    double high = tank.diameter;
    constexpr int enoughHalvings = 200;  // doubles run out of room well before
    for (int i = 0; i < enoughHalvings; ++i) {
        const double middle = low + (high - low) / 2;
        if (middle <= low || middle >= high) {
            break;
        }
        if (totalVolumeAt(tank, middle) < litres) {
            low = middle;
        } else {
            high = middle;
        }
        if (high - low < 1e-6) {
            break;
        }
    }
    return std::min(std::round(high), tank.diameter);
}

OrderAmount orderAmount(const TankParameters& tank, double oilHeight, double fillPercent) {
    OrderAmount order;
    order.currentLitres = totalVolumeAt(tank, oilHeight);
    order.fillLimitLitres = totalVolumeAt(tank, tank.diameter) * fillPercent / 100;
    order.litresToOrder = std::max(0.0, order.fillLimitLitres - order.currentLitres);
    order.heightAfterDelivery =
        order.litresToOrder > 0 ? heightForVolume(tank, order.fillLimitLitres) : oilHeight;
    return order;
}

}  // namespace varnelle
