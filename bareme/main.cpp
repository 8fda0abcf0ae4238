// varnelle-bareme: the dipstick chart of a heating-oil tank, and the volumes
// that a script asks for, from the command line.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

#include "bareme/bareme_program.h"

namespace {

// A standard stream closed by the caller (`>&-`) would hand its number to the
// next file opened, and the answer would land in the PDF. A placeholder that
// refuses writing takes the number instead, so that the failure is seen.
void keepStandardStreamNumbersTaken() {
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (fcntl(stream, F_GETFD) == -1 && errno == EBADF) {
            open("/dev/null", O_RDONLY);  // takes the lowest free number: this one
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    keepStandardStreamNumbersTaken();
    // The command line is read, and refused, before any display is looked for.
    std::unique_ptr<QCoreApplication> application = std::make_unique<QCoreApplication>(argc, argv);
    const varnelle::ParsedCommandLine parsed =
        varnelle::parseCommandLine(application->arguments(), QLocale::system());
    if (varnelle::needsGuiApplication(parsed)) {
        application.reset();
        varnelle::useOffscreenPlatform();
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QString::fromLatin1(varnelle::programName));

    if (varnelle::streamsReadings(parsed)) {
        // A closed output must end the stream quietly, not kill it.
        std::signal(SIGPIPE, SIG_IGN);
    }
    // Read as raw bytes: the stream splits its lines itself, bounded.
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = varnelle::runParsedCommandLine(parsed, in, out, err);
    err.flush();
    return status;
}
