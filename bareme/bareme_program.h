// The program varnelle-bareme, apart from its main(): reads the command line,
// answers the question asked and reports refusals.
#pragma once

#include <QLocale>
#include <QStringList>
#include <QTextStream>

namespace varnelle {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;       // the PDF could not be written
constexpr int exitBadArguments = 2;  // a refused command line

// A PDF needs fonts, hence a QGuiApplication; everything else runs on a
// QCoreApplication, with no display at all.
bool argumentsAskForPdf(int argc, char** argv);

// QGuiApplication needs a platform; a PDF needs no screen, so unless the user
// chose one, the offscreen platform is taken.
void useOffscreenPlatformUnlessChosen();

// Runs the program with `arguments` (the first one is the program name),
// writing the answer to `out` and refusals to `err`; returns the exit status.
// Needs a QCoreApplication, and a QGuiApplication for --pdf.
int runBareme(const QStringList& arguments, QTextStream& out, QTextStream& err,
              const QLocale& locale);

}  // namespace varnelle
