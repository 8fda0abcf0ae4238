// varnelle-bareme: the dipstick chart of a heating-oil tank, and the volumes
// that a script asks for, from the command line.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "bareme/bareme_program.h"

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> application;
    if (varnelle::argumentsAskForPdf(argc, argv)) {
        varnelle::useOffscreenPlatformUnlessChosen();
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("varnelle-bareme"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status =
        varnelle::runBareme(QCoreApplication::arguments(), out, err, QLocale::system());
    out.flush();
    err.flush();
    // An answer that could not be written out (a full disk, say) is a failure.
    if (status == varnelle::exitSuccess && out.status() != QTextStream::Ok) {
        return varnelle::exitFailure;
    }
    return status;
}
