// What the user asked for on the command line, read and checked.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

#include "bareme/option_reader.h"
#include "bareme/sensor_distance.h"
#include "chart/chart_texts.h"
#include "chart/tank_description.h"
#include "files/refusal.h"
#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace varnelle {

enum class Question {
    Chart,            // the default
    HeightForVolume,  // --volume
    Order,            // --commander
    AtHeight,         // --hauteur
    AtDistance,       // --distance
    Stream,           // --flux
    SaveTank,         // --enregistrer-cuve
    // With --carnet: the carnet's changes and reports.
    AddReading,      // --releve
    AddDelivery,     // --livraison
    AddTemperature,  // --temperature
    DeleteReading,   // --supprimer-releve
    CarnetSummary,   // --bilan, and --carnet alone
    CarnetJournal,   // --releves
};

enum class OutputFormat { Text, Csv, Json, Esphome };

// --filtre: a field of a JSON line and the value it must hold.
struct StreamFilter {
    QString field;
    QString value;
};

// --carnet: the tank's logbook, and what to put in it.
struct CarnetRequest {
    QString path;  // empty: no carnet
    // The tank the options give (a new carnet's, or the one to put in the
    // place of the carnet's with --remplacer-cuve); empty when the carnet's
    // tank stands.
    TankValues newTank;
    bool replaceTank = false;      // --remplacer-cuve, and the options differ from the carnet's
    Reading reading;               // --releve (and --flux: its source)
    Delivery delivery;             // --livraison
    DailyTemperature temperature;  // --temperature
    QDateTime readingTime;         // --supprimer-releve, in UTC
    ForecastOptions forecast;      // --reserve, --delai, --remplissage
    // --capacite-nominale in place of --longueur: the cylinder's length was
    // deduced from it.
    std::optional<double> nominalCapacity;
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
    CarnetRequest carnet;
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
