// The user's settings kept out of a test: the program's QSettings read and
// write `folder`, and QStandardPaths gives its test locations.
#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace varnelle::testing {

inline void keepSettingsIn(const QString& folder) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    QCoreApplication::setOrganizationName(QStringLiteral("Varnelle"));
}

}  // namespace varnelle::testing
