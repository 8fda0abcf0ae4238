// What the user asked for on the command line, read and checked.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "bareme/option_reader.h"
#include "chart/tank_description.h"

namespace varnelle {

enum class Question {
    Chart,            // the default
    HeightForVolume,  // --volume
    Order,            // --commander
    AtHeight,         // --hauteur
    AtDistance,       // --distance
    Stream,           // --flux
    SaveTank,         // --enregistrer-cuve
};

enum class OutputFormat { Text, Csv, Json, Esphome };

struct BaremeRequest {
    TankDescription description;
    Question question = Question::Chart;
    OutputFormat format = OutputFormat::Text;
    double step = 10;           // mm between chart lines
    QString pdfPath;            // empty: no PDF
    QString esphomeSource;      // --esphome-source: the distance sensor's id
    double litres = 0;          // --volume
    double oilHeight = 0;       // --commander, --hauteur, or from --distance
    double sensorDistance = 0;  // --distance
    double fillPercent = 90;    // --remplissage
    // --flux
    bool streamReadsDistances = true;  // --mesure distance; false: hauteur
    double millimetresPerUnit = 1;     // --unite
    QString streamField;               // --champ: the number's name in JSON lines
    // --enregistrer-cuve
    QString tankFilePath;
    QByteArray tankFileContents;
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

}  // namespace varnelle
