// A tank as its owner measured it, and the checks that refuse what cannot be
// a tank, each with a French message naming what is wrong.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>

#include "chart/chart_numbers.h"
#include "core/volume.h"
#include "files/refusal.h"

namespace varnelle {

// Ten thousand slices per end give the litres to the millilitre for any tank.
inline constexpr double defaultPrecisionThousands = 10;

// The tank as measured, with the forms in which the measures were given.
struct TankDescription {
    TankParameters tank;              // oilHeight is left at 0; each question sets its own
    std::optional<double> perimeter;  // when the diameter came from a perimeter
    std::optional<double> arcLength;  // when the cap width came from an arc length
    double precisionThousands = defaultPrecisionThousands;  // slices per end, in thousands
};

// The measures a description is read from.
enum class Measure {
    Diameter,
    Perimeter,
    CylinderLength,
    EndWidth,
    ArcLength,
    EndCircleDiameter,
    StrainerHeight,
    Precision,
};

// The measures' short names: the command line's options and the tank file's
// keys, and the subject of a refused description.
namespace measureKeys {

inline constexpr char diameter[] = "diametre";
inline constexpr char perimeter[] = "perimetre";
inline constexpr char cylinderLength[] = "longueur";
inline constexpr char endWidth[] = "largeur";
inline constexpr char arcLength[] = "arc";
inline constexpr char endCircleDiameter[] = "diametre-extremite";
inline constexpr char strainerHeight[] = "crepine";
inline constexpr char precision[] = "precision";

}  // namespace measureKeys

const char* measureKey(Measure measure);
std::optional<Measure> measureForKey(const QString& key);

// Where the measures come from: the command line, a window's fields. They are
// asked for one at a time, in the order of the checks, so that a source may
// refuse the way a measure is written (by throwing its own exception) at the
// point where that measure comes to be checked.
class MeasureSource {
  public:
    virtual ~MeasureSource() = default;
    virtual bool has(Measure measure) const = 0;
    // Asked only for a measure that the source has.
    virtual double value(Measure measure) const = 0;
    // Asked once the cylinder has passed its checks, before the measures of
    // the ends; a source may refuse there what only it can judge.
    virtual EndShape endShape() const = 0;
};

// The description, or the first refusal met: a missing or impossible
// diameter, perimeter, length, end measure, strainer height or precision,
// the measure's key as its subject, its numbers written by `numbers`.
Outcome<TankDescription> readTankDescription(const MeasureSource& source,
                                             const OutputConventions& numbers);

// No tank is a kilometre long; the bound also keeps every product of the
// computation far from the range where doubles overflow.
inline constexpr double largestMeasure = 1'000'000;  // mm
QString measureTooLargeMessage();

// Below a millimetre no tank is measured; the diameter, the length and the
// widths of the ends must reach it.
inline constexpr double smallestMeasure = 1;  // mm
QString measureTooSmallMessage();

// Why a chart of a tank `diameter` mm wide cannot have this step (no number
// at all, not a whole number of millimetres, wider than the tank, or more
// lines than any dipstick needs), or nothing.
inline constexpr std::size_t mostChartLines = 100'000;
std::optional<Refusal> chartStepRefusal(double diameter, std::optional<double> typed,
                                        const OutputConventions& conventions);

// A chart costs one end integral per line: lines times slices are bounded so
// that no chart runs for more than about half a minute.
inline constexpr double mostChartSlices = 1e9;
// Why a chart with this step would be too much work (with the largest
// precision and the smallest step that fit, written by `conventions`), or
// nothing when it is not.
std::optional<Refusal> chartWorkRefusal(const TankDescription& description, double step,
                                        const OutputConventions& conventions);

// The short names of the end shapes: "plats", "tronconiques", "calotte",
// "quart-de-cercle".
QString endShapeKey(EndShape shape);
std::optional<EndShape> endShapeForKey(const QString& key);

}  // namespace varnelle
