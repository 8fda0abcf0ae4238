// --flux: sensor readings from standard input, one a line, each answered at
// once by one line of JSON, for home-automation scripts.
#pragma once

#include <QString>
#include <QTextStream>
#include <optional>

#include "bareme/bareme_request.h"
#include "chart/report_writer.h"

namespace varnelle {

// The window's five volumes with the oil at `oilHeight`, after the sensor's
// distance when the height came from one.
Record windowVolumesRecord(std::optional<double> sensorDistance, double oilHeight,
                           const VolumeResults& volumes);

// Reads `in` to its end, writing one JSON line to `out` for each reading
// and one JSON line to `err` for each line that gives none (its number and
// why), the stream going on. Returns once the input ends or the output
// fails: true when every answer was written or the reader went away (a
// broken pipe), which is a normal end for a stream; false when the answers
// could not be written for any other reason (a full disk, a closed output).
bool streamReadings(const BaremeRequest& request, QTextStream& in, QTextStream& out,
                    QTextStream& err);

}  // namespace varnelle
