// The bytes of a file, for the tests that check what was written.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace varnelle {

// The pages of a PDF: each page object carries "/Type /Page", the page tree
// "/Type /Pages".
inline int pdfPageCount(const QByteArray& pdf) {
    return static_cast<int>(pdf.count("/Type /Page\n"));
}

// Empty when the file cannot be read.
inline QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace varnelle
