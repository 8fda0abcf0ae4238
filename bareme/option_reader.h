// Reading the values of the options: numbers written with a decimal comma or
// period, lengths no larger than any tank, and the refusal of what is not.
#pragma once

#include <QCommandLineParser>
#include <QHash>
#include <QString>

#include <optional>
#include "files/refusal.h"

namespace varnelle {

// Thrown by the readers and checks of the command line, which cannot go on
// once one of them refuses, and caught by parseCommandLine: the option at
// fault (empty when none is) and why.
struct CommandLineRefusal {
    Refusal refusal;
};

[[noreturn]] void refuse(const QString& option, const QString& message);

// What a refusal names when the value came from a tank file: "cuve.json :
// clé « diametre »".
QString fileKeySubject(const QString& fileName, const QString& key);

// The refusal of a number written well but too large for a double, quoting it.
QString tooLargeMessage(const QString& given);

// "12,5" and "12.5" are 12.5; anything that is not a plain finite decimal
// number, with an optional exponent, gives no value.
std::optional<double> decimalNumber(const QString& text);
// Whether the text has a number's shape, whether or not a double holds it:
// what decimalNumber refuses and this accepts is too large ("1e309").
bool isWrittenAsNumber(const QString& text);

// Option values by option name (without the dashes), refusing what cannot be
// a measure. The tank's measures may come from a file instead, under the
// options' names.
class OptionReader {
  public:
    explicit OptionReader(const QCommandLineParser& parser) : parser_(parser) {}

    // The values of a tank file, and its name for the messages.
    void useFileValues(const QString& fileName, const QHash<QString, QString>& values);

    bool has(const char* name) const;
    QString text(const char* name) const;
    double number(const char* name) const;
    // A length in millimetres, no larger than any tank.
    double length(const char* name) const;
    // Where a value comes from, for the messages: "--diametre", or the file and its key.
    QString where(const char* name) const;

  private:
    bool isFileValue(const char* name) const;

    const QCommandLineParser& parser_;
    QString fileName_;
    QHash<QString, QString> fileValues_;
};

// An oil height in millimetres, from 0 to the diameter.
double readOilHeight(const OptionReader& options, const char* name, double diameter);
// --remplissage, in percent of the capacity, or its default.
double readFillPercent(const OptionReader& options);

// A refusal's clause ("la distance … est hors de la cuve.") as a sentence.
QString asSentence(const QString& clause);

// The one option that may be given more than once, each time adding a condition.
constexpr const char* repeatableOption = "filtre";

void refuseRepeatedOptions(const QCommandLineParser& parser);
void refuseStrayArguments(const QCommandLineParser& parser);

}  // namespace varnelle
