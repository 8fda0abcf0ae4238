// The program varnelle-bareme, apart from its main(): reads the command line,
// answers the question asked and reports refusals.
#pragma once

#include <QIODevice>
#include <QLocale>
#include <QStringList>
#include <QTextStream>

#include "bareme/bareme_request.h"

namespace varnelle {

inline constexpr char programName[] = "varnelle-bareme";

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;       // the PDF or the answer could not be written
constexpr int exitBadArguments = 2;  // a refused command line

// A refused request on the error output: the option at fault, why, and
// where to find the help.
void reportUsageError(QTextStream& err, const Refusal& error);

// A PDF needs fonts, hence a QGuiApplication; everything else, refusals
// included, runs on a QCoreApplication, with no display at all.
bool needsGuiApplication(const ParsedCommandLine& parsed);
bool streamsReadings(const ParsedCommandLine& parsed);

// QGuiApplication needs a platform; a PDF needs no screen, so the offscreen
// platform is taken whatever the environment says.
void useOffscreenPlatform();

// Answers a command line already read, writing the answer to `out` and
// refusals to `err`; returns the exit status. Needs a QCoreApplication, and a
// QGuiApplication for --pdf.
// --flux reads `in`.
int runParsedCommandLine(const ParsedCommandLine& parsed, QIODevice& in, QTextStream& out,
                         QTextStream& err);

// Runs the program with `arguments` (the first one is the program name),
// writing the answer to `out` and refusals to `err`; returns the exit status.
// Needs a QCoreApplication, and a QGuiApplication for --pdf.
// --flux reads `input`.
int runBareme(const QStringList& arguments, QTextStream& out, QTextStream& err,
              const QLocale& locale, const QString& input = QString());

}  // namespace varnelle
