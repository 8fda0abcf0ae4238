// --flux: sensor readings from standard input, one a line, each answered at
// once by one line of JSON, for home-automation scripts.
#pragma once

#include <QIODevice>
#include <QString>
#include <QTextStream>
#include <optional>

#include "bareme/bareme_request.h"
#include "chart/report_writer.h"

namespace varnelle {

// What one line of the stream says.
struct LineReading {
    enum class Kind {
        Reading,      // a reading of this tank's sensor
        OtherDevice,  // another device's line, passed over without a word
        Refused,      // a line that should give a reading and gives none
    };
    Kind kind = Kind::Refused;
    double sensorMillimetres = 0;  // the reading, in mm
    double oilHeight = 0;
    QString reason;  // for Refused: why, in French
    // A JSON line's `time` as written (rtl_433 dates its lines), kept for
    // --carnet; nothing when the line has none.
    std::optional<QString> time;
};

// Reads one line (not blank) as the request's stream settings say.
LineReading readingInLine(const BaremeRequest& request, const QString& line);

enum class StreamEnd {
    InputEnded,    // or the reader of the answers went away (a broken pipe): a normal end
    OutputFailed,  // the answers could not be written (a full disk, a closed output)
    InputFailed,   // the input could not be read (a folder)
    CarnetFailed,  // --carnet: the carnet could not be opened or written, said on `err`
};

// Reads `in` to its end, writing one JSON line to `out` for each reading
// and one JSON line to `err` for each line that gives none (its number and
// why), the stream going on; other devices' lines and blank lines are passed
// over. With --carnet, each reading is stored in the carnet (when kept)
// before its line is written, and its line says whether it was kept and the
// day to order; a line whose time cannot be read is refused like the others.
StreamEnd streamReadings(const BaremeRequest& request, QIODevice& in, QTextStream& out,
                         QTextStream& err);

}  // namespace varnelle
