#include "option_reader.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "bareme/command_line_options.h"
#include "files/echoed_text.h"
#include "chart/chart_texts.h"
#include "chart/tank_description.h"
#include "core/number_text.h"
#include "core/tank_rules.h"

namespace varnelle {

// ASCII digits with at most one decimal comma or period, an optional sign and
// exponent, and spaces only around it (the core's reader would skip blanks
// inside a number too, and read other digits as nothing).
bool isWrittenAsNumber(const QString& text) {
    static const QRegularExpression shape(
        R"(^ *[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)? *$)");
    return shape.match(text).hasMatch();
}

void refuse(const QString& option, const QString& message) {
    throw CommandLineRefusal{{option, message}};
}

QString tooLargeMessage(const QString& given) {
    return QStringLiteral("La valeur « %1 » est trop grande.").arg(echoed(given));
}

std::optional<double> decimalNumber(const QString& text) {
    if (!isWrittenAsNumber(text)) {
        return std::nullopt;
    }
    QString periodText = text.trimmed();
    periodText.replace(',', '.');
    const double value = numberFromText(periodText.toStdString());
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString fileKeySubject(const QString& fileName, const QString& key) {
    return QStringLiteral("%1 : clé « %2 »").arg(echoed(fileName), echoed(key));
}

void OptionReader::useFileValues(const QString& fileName, const QHash<QString, QString>& values) {
    fileName_ = fileName;
    fileValues_ = values;
}

bool OptionReader::has(const char* name) const {
    return fileValues_.contains(QLatin1String(name)) || parser_.isSet(QLatin1String(name));
}

QString OptionReader::text(const char* name) const {
    const auto value = fileValues_.constFind(QLatin1String(name));
    return value != fileValues_.cend() ? *value : parser_.value(QLatin1String(name));
}

// With a tank file, a measure not on the command line is the file's, given or missing.
bool OptionReader::isFileValue(const char* name) const {
    return !fileName_.isEmpty() && !parser_.isSet(QLatin1String(name));
}

QString OptionReader::where(const char* name) const {
    if (isFileValue(name)) {
        return fileKeySubject(fileName_, QLatin1String(name));
    }
    return dashed(name);
}

double OptionReader::number(const char* name) const {
    const QString given = text(name);
    const std::optional<double> value = decimalNumber(given);
    if (value) {
        return *value;
    }
    if (isWrittenAsNumber(given)) {
        refuse(where(name), tooLargeMessage(given));
    }
    refuse(where(name),
           (isFileValue(name) ? QStringLiteral("Cette clé attend un nombre, pas « %1 ».")
                              : QStringLiteral("Cette option attend un nombre, pas « %1 »."))
               .arg(echoed(given)));
}

double OptionReader::length(const char* name) const {
    const double value = number(name);
    if (std::abs(value) > largestMeasure) {
        refuse(where(name), measureTooLargeMessage());
    }
    return value;
}

double readOilHeight(const OptionReader& options, const char* name, double diameter) {
    const double height = options.length(name);
    if (height < 0) {
        refuse(dashed(name), "La hauteur de mazout ne peut pas être négative !");
    }
    if (height > diameter) {
        refuse(dashed(name), QString::fromUtf8(ruleText::oilAboveDiameter));
    }
    return height;
}

double readFillPercent(const OptionReader& options) {
    if (!options.has("remplissage")) {
        return defaultFillPercent;
    }
    const double percent = options.number("remplissage");
    if (!(percent > 0 && percent <= 100)) {
        refuse("--remplissage",
               "Le remplissage doit être compris entre 0 et 100 % de la capacité "
               "(0 exclu).");
    }
    return percent;
}

QString asSentence(const QString& clause) {
    return clause.left(1).toUpper() + clause.mid(1);
}

void refuseRepeatedOptions(const QCommandLineParser& parser) {
    for (const OptionDefinition& option : optionDefinitions) {
        if (QLatin1String(option.name) == repeatableOption) {
            continue;
        }
        if (parser.values(QLatin1String(option.name)).size() > 1) {
            refuse(dashed(option.name), QStringLiteral("Cette option est donnée plus d'une fois."));
        }
    }
}

void refuseStrayArguments(const QCommandLineParser& parser) {
    const QStringList stray = parser.positionalArguments();
    if (!stray.isEmpty()) {
        refuse(QString(),
               QStringLiteral("Argument inattendu : « %1 ».").arg(echoed(stray.first())));
    }
}

}  // namespace varnelle
