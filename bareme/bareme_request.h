// What the user asked for on the command line, read and checked.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/volume.h"

namespace varnelle {

// The tank as measured, with the forms in which the user gave the measures.
struct TankDescription {
    TankParameters tank;              // oilHeight is left at 0; each question sets its own
    std::optional<double> perimeter;  // when the diameter came from --perimetre
    std::optional<double> arcLength;  // when the cap width came from --arc
    double precisionThousands = 10;   // slices per end, in thousands
};

enum class Question {
    Chart,            // the default
    HeightForVolume,  // --volume
    Order,            // --commander
    AtHeight,         // --hauteur
    AtDistance,       // --distance
};

enum class OutputFormat { Text, Csv, Json };

struct BaremeRequest {
    TankDescription description;
    Question question = Question::Chart;
    OutputFormat format = OutputFormat::Text;
    double step = 10;           // mm between chart lines
    QString pdfPath;            // empty: no PDF
    double litres = 0;          // --volume
    double oilHeight = 0;       // --commander, --hauteur, or from --distance
    double sensorDistance = 0;  // --distance
    double fillPercent = 90;    // --remplissage
};

// A refused command line: the option at fault (empty when none is) and a
// French message.
struct UsageError {
    QString option;
    QString message;
};

struct ParsedCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    BaremeRequest request;  // for Run
    UsageError error;       // for Refuse
    QString helpText;       // for ShowHelp
};

// Reads and checks the arguments (the first one is the program name).
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// "12,5" and "12.5" are 12.5; anything that is not a plain finite decimal
// number, with an optional exponent, gives no value.
std::optional<double> decimalNumber(const QString& text);

}  // namespace varnelle
