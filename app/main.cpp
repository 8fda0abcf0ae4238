#include <QApplication>

#include "ui/volumes.h"
#include "widgets/qt_translations.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnelle"));
    QApplication::setApplicationVersion(QStringLiteral(VARNELLE_VERSION));
    // The installed varnelle.desktop, which gives the window its icon and name
    // in the task bar. Without it Qt names the window after the organisation's
    // domain on Wayland (example.varnelle.varnelle), which no entry matches.
    QGuiApplication::setDesktopFileName(QStringLiteral("varnelle"));
    // Where the settings are kept (~/.config/Varnelle/Varnelle.conf): the
    // folder of the last file saved.
    QApplication::setOrganizationName(QStringLiteral("Varnelle"));
    QApplication::setOrganizationDomain(QStringLiteral("varnelle.example"));
    // Without them the toolkit's dialogs and menus stay in English.
    varnelle::installQtFrenchTranslations(application);

    varnelle::Volumes window;
    window.show();
    return QApplication::exec();
}
