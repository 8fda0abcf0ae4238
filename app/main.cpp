#include <QApplication>

#include "ui/volumes.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnelle"));
    QApplication::setApplicationVersion(QStringLiteral(VARNELLE_VERSION));

    varnelle::Volumes window;
    window.show();
    return QApplication::exec();
}
