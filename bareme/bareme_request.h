// What the user asked for on the command line, read and checked.
#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include "bareme/option_reader.h"
#include "bareme/sensor_distance.h"
#include "chart/chart_texts.h"
#include "chart/tank_description.h"
#include "files/refusal.h"

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

// --filtre: a field of a JSON line and the value it must hold.
struct StreamFilter {
    QString field;
    QString value;
};

struct BaremeRequest {
    TankDescription description;
    OutputConventions numbers;  // how the answers and refusals write numbers, after the locale
    Question question = Question::Chart;
    OutputFormat format = OutputFormat::Text;
    double step = defaultChartStep;           // mm between chart lines
    QString pdfPath;                          // empty: no PDF
    QString esphomeSource;                    // --esphome-source: the distance sensor's id
    double litres = 0;                        // --volume
    double oilHeight = 0;                     // --commander, --hauteur, or from --distance
    double sensorDistance = 0;                // --distance
    SensorMount sensorMount;                  // --zone-morte, --decalage
    double fillPercent = defaultFillPercent;  // --remplissage
    // --flux
    bool streamReadsDistances = true;   // --mesure distance; false: hauteur
    double millimetresPerUnit = 1;      // --unite
    QString streamUnit = "mm";          // --unite, as the messages name it
    QString streamField;                // --champ: the number's name in JSON lines
    QList<StreamFilter> streamFilters;  // --filtre: which JSON lines are this tank's
    // --enregistrer-cuve
    QString tankFilePath;
    QByteArray tankFileContents;
};

struct ParsedCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    BaremeRequest request;  // for Run
    Refusal error;          // for Refuse: the option at fault and why
    QString helpText;       // for ShowHelp
};

// Reads and checks the arguments (the first one is the program name); the
// numbers of the answers and of the refusals are written as `locale` writes them.
ParsedCommandLine parseCommandLine(const QStringList& arguments, const QLocale& locale);

}  // namespace varnelle
