// The bytes of a file, for the tests that check what was written.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace varnelle {

// Empty when the file cannot be read.
inline QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace varnelle
