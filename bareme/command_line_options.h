// The options of varnelle-bareme, its help, and QCommandLineParser's own
// texts in French.
#pragma once

#include <QCommandLineParser>
#include <QString>

#include "chart/tank_description.h"
#include "logbook/carnet_tank.h"

namespace varnelle {

struct OptionDefinition {
    const char* name;
    const char* valueName;
    const char* description;
};

// The options named in more places than the table below (the tank's
// measures are named by the chart library: measureKeys).
namespace optionName {

inline constexpr char saveTank[] = "enregistrer-cuve";
inline constexpr char esphomeSource[] = "esphome-source";
// A tank file's key and a carnet's, as all the tank's options are.
inline constexpr const char* nominalCapacity = carnetKeys::nominalCapacity;

}  // namespace optionName

// Every option that takes a value, in the order of the help.
extern const OptionDefinition optionDefinitions[38];

// The options that ask something else than the chart, one at a time.
extern const char* const questionOptions[12];

// "--name".
QString dashed(const QString& name);

// Adds -h/--help/--aide, -v/--version and every option of the table.
void addOptions(QCommandLineParser& parser);

// The parser's help followed by what the options alone do not say.
QString helpText(const QCommandLineParser& parser);

// QCommandLineParser writes its headings and errors in English: from the
// first call on, it writes them in French.
void installFrenchParserTexts();

}  // namespace varnelle
