// Whatever a sensor's program sends down --flux: the stream must never
// crash, every answer must be one JSON object with the oil inside the tank,
// and every error line one JSON object naming its line, with a short reason
// free of control characters. The first byte picks the stream's settings.
#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "bareme/bareme_request.h"
#include "bareme/reading_stream.h"

namespace {

const char* const settings[] = {
    "--flux",
    "--flux --mesure hauteur --unite cm",
    "--flux --champ depth_cm --unite cm --filtre id=13060111 --zone-morte 200 --decalage 100",
    "--flux --champ depth_cm --unite m",
};

void check(bool rule) {
    if (!rule) {
        std::abort();
    }
}

QJsonObject objectOfLine(const QString& line) {
    const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
    check(document.isObject());
    return document.object();
}

bool hasControlCharacters(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0)) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QStringList arguments =
        QStringList{"varnelle-bareme", "--diametre", "1000", "--longueur", "2000"} +
        QString::fromLatin1(settings[data[0] % std::size(settings)]).split(' ');
    const varnelle::ParsedCommandLine parsed = varnelle::parseCommandLine(arguments, QLocale::c());
    check(parsed.action == varnelle::ParsedCommandLine::Action::Run);

    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    in.open(QIODevice::ReadOnly);
    QString answers;
    QString errors;
    QTextStream out(&answers);
    QTextStream err(&errors);
    check(varnelle::streamReadings(parsed.request, in, out, err) ==
          varnelle::StreamEnd::InputEnded);
    out.flush();
    err.flush();

    for (const QString& line : answers.split('\n', Qt::SkipEmptyParts)) {
        const double height = objectOfLine(line).value("hauteur_mazout_mm").toDouble(-1);
        check(height >= 0 && height <= 1000);
    }
    for (const QString& line : errors.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject error = objectOfLine(line);
        check(error.value("ligne").toDouble() >= 1);
        const QString reason = error.value("erreur").toString();
        check(!reason.isEmpty() && reason.size() < 400 && !hasControlCharacters(reason));
    }
    return 0;
}
