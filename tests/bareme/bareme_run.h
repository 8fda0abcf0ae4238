// Runs varnelle-bareme inside the test, on a command line written as one text.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "bareme/bareme_program.h"

namespace varnelle {

struct InProcessRun {
    int status;
    QString out;
    QString err;
};

// `line` is split at blanks; `input` is what --flux reads.
inline InProcessRun run(const QString& line, const QLocale& locale = QLocale::c(),
                        const QString& input = QString()) {
    QStringList arguments = {"varnelle-bareme"};
    arguments += line.split(' ', Qt::SkipEmptyParts);
    InProcessRun result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = runBareme(arguments, out, err, locale, input);
    out.flush();
    err.flush();
    return result;
}

}  // namespace varnelle
