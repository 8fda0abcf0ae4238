#include "tank_chart.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

#include "core/number_text.h"

namespace varnelle {
namespace {

// The window's volumes with the oil at `height`, from the end integral at that
// height and the one at the strainer, taken by the caller once for all heights.
VolumeResults volumesWithEndsAt(TankParameters tank, double height, double endsAtStrainer) {
    tank.oilHeight = height;
    return volumesFromEnds(tank, endsVolumeAt(tank, height), endsAtStrainer);
}

bool isAbandoned(const std::atomic<bool>* abandon) {
    return abandon != nullptr && abandon->load(std::memory_order_relaxed);
}

// What an abandoned look-up gives: nothing a caller could take for an answer.
constexpr double meaningless = std::numeric_limits<double>::quiet_NaN();

// Calls work(k) once for each k below `count`, on as many threads as the
// machine has cores, in no particular order; hands out no more indices once
// `abandon` is set. Fewer threads if the system refuses more.
template <typename Work>
void onEveryCore(std::size_t count, const std::atomic<bool>* abandon, const Work& work) {
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t k = next++; k < count && !isAbandoned(abandon); k = next++) {
            work(k);
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::thread::hardware_concurrency(), count);
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;
        }
    }
    worker();
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

ChartLine chartLine(TankParameters tank, double height, double endsAtHeight,
                    double endsAtStrainer) {
    tank.oilHeight = height;
    const VolumeResults volumes = volumesFromEnds(tank, endsAtHeight, endsAtStrainer);
    ChartLine line;
    line.height = height;
    line.totalLitres = volumes.totalVolume;
    // Below the strainer nothing can be drawn: a chart shows 0, not the
    // negative difference that the window uses to say so.
    line.availableLitres = std::max(0.0, volumes.availableVolume);
    return line;
}

// Heights that the plot needs besides the chart's lines (sorted): between
// lines too far apart for a smooth curve, evenly spaced points, fewer than
// 1 / plotSpacing of them whatever the step; and the marked height. The
// strainer's integral is taken for the lines anyway.
std::vector<double> plotOnlyHeights(const std::vector<double>& lines, double diameter,
                                    std::optional<double> marked) {
    std::vector<double> heights;
    const double spacing = diameter * plotSpacing;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const double gap = lines[k] - lines[k - 1];
        if (gap > spacing) {
            const auto parts = static_cast<int>(std::ceil(gap / spacing));
            for (int i = 1; i < parts; ++i) {
                heights.push_back(lines[k - 1] + gap * i / parts);
            }
        }
    }
    if (marked && *marked >= 0 && *marked <= diameter &&
        !std::binary_search(lines.begin(), lines.end(), *marked)) {
        heights.insert(std::upper_bound(heights.begin(), heights.end(), *marked), *marked);
    }
    return heights;
}

// The lines and the plot's own points, by rising height, one point a height.
std::vector<ChartLine> plotPointsOf(const std::vector<ChartLine>& lines,
                                    const std::vector<ChartLine>& own) {
    std::vector<ChartLine> points = lines;
    points.insert(points.end(), own.begin(), own.end());
    const auto lower = [](const ChartLine& a, const ChartLine& b) { return a.height < b.height; };
    std::stable_sort(points.begin(), points.end(), lower);
    const auto same = [](const ChartLine& a, const ChartLine& b) { return a.height == b.height; };
    points.erase(std::unique(points.begin(), points.end(), same), points.end());
    return points;
}

// The steps k·step strictly below the diameter. The quotient may land a hair
// on either side of a whole number: settle it on the products themselves.
std::size_t stepsBelow(double diameter, double step) {
    double below = std::ceil(diameter / step);
    if (below > 0 && (below - 1) * step >= diameter) {
        below -= 1;
    } else if (below * step < diameter) {
        below += 1;
    }
    return static_cast<std::size_t>(below);
}

// Heights are written to the thousandth of a millimetre at most: a step that
// is written as the diameter would be the same line twice (and two equal
// points of a sensor's calibration, which ESPHome refuses).
bool writtenAsDiameter(double height, double diameter) {
    constexpr int writtenDecimals = 3;
    return measureText(height, '.', 0, writtenDecimals) ==
           measureText(diameter, '.', 0, writtenDecimals);
}

}  // namespace

double totalVolumeAt(const TankParameters& tank, double height) {
    // The total does not depend on the strainer: its end integral is not needed.
    return volumesWithEndsAt(tank, height, 0).totalVolume;
}

VolumeResults volumesAt(TankParameters tank, double height, const std::atomic<bool>* abandon) {
    // computeVolumes' two integrals, with a look at the flag before each.
    tank.oilHeight = height;
    const VolumeResults abandoned{meaningless, meaningless, meaningless, meaningless, meaningless};
    if (isAbandoned(abandon)) {
        return abandoned;
    }
    const double endsAtOil = endsVolumeAt(tank, height);
    if (isAbandoned(abandon)) {
        return abandoned;
    }
    return volumesFromEnds(tank, endsAtOil, endsVolumeAt(tank, tank.strainerHeight));
}

std::size_t chartLineCount(double diameter, double step) {
    const std::size_t below = stepsBelow(diameter, step);
    if (below == 0) {
        return 1;
    }
    const double lastStep = static_cast<double>(below - 1) * step;
    return writtenAsDiameter(lastStep, diameter) ? below : below + 1;
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

Chart computeChart(const TankParameters& tank, double step, const std::atomic<bool>* abandon,
                   std::optional<double> markedHeight) {
    // The end integrals, the costly part, are independent of one another: one
    // per line, one per point of the plot's own, and one at the strainer,
    // which does not move from line to line, taken on every core. Each is the
    // same computation as in a serial loop, so the chart is the same to the
    // last bit.
    std::vector<double> heights = chartHeights(tank.diameter, step);
    const std::size_t lineCount = heights.size();
    const std::vector<double> own = plotOnlyHeights(heights, tank.diameter, markedHeight);
    heights.insert(heights.end(), own.begin(), own.end());
    heights.push_back(tank.strainerHeight);
    std::vector<double> ends(heights.size());
    onEveryCore(ends.size(), abandon,
                [&](std::size_t k) { ends[k] = endsVolumeAt(tank, heights[k]); });
    if (isAbandoned(abandon)) {
        return {};
    }
    const double endsAtStrainer = ends.back();
    std::vector<ChartLine> points;
    points.reserve(heights.size());
    for (std::size_t k = 0; k < heights.size(); ++k) {
        points.push_back(chartLine(tank, heights[k], ends[k], endsAtStrainer));
    }
    Chart chart;
    chart.lines.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(lineCount));
    points.erase(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(lineCount));
    chart.plotPoints = plotPointsOf(chart.lines, points);
    chart.belowStrainerLitres = volumesFromEnds(tank, 0, endsAtStrainer).belowStrainerVolume;
    chart.capacity = chart.lines.back().totalLitres;
    return chart;
}

std::optional<ChartLine> plotPointAt(const Chart& chart, double height) {
    const auto at = std::lower_bound(
        chart.plotPoints.begin(), chart.plotPoints.end(), height,
        [](const ChartLine& point, double wanted) { return point.height < wanted; });
    if (at == chart.plotPoints.end() || at->height != height) {
        return std::nullopt;
    }
    return *at;
}

double heightForVolume(const TankParameters& tank, double litres,
                       const std::atomic<bool>* abandon) {
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
        if (isAbandoned(abandon)) {
            return meaningless;
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

OrderAmount orderAmount(const TankParameters& tank, double oilHeight, double fillPercent,
                        const std::atomic<bool>* abandon) {
    const OrderAmount abandoned{meaningless, meaningless, meaningless, meaningless};
    if (isAbandoned(abandon)) {
        return abandoned;
    }
    OrderAmount order;
    order.currentLitres = totalVolumeAt(tank, oilHeight);
    if (isAbandoned(abandon)) {
        return abandoned;
    }
    order.fillLimitLitres = totalVolumeAt(tank, tank.diameter) * fillPercent / 100;
    order.litresToOrder = std::max(0.0, order.fillLimitLitres - order.currentLitres);
    order.heightAfterDelivery =
        order.litresToOrder > 0 ? heightForVolume(tank, order.fillLimitLitres, abandon) : oilHeight;
    return isAbandoned(abandon) ? abandoned : order;
}

}  // namespace varnelle
