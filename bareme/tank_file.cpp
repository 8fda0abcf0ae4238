#include "tank_file.h"

#include <algorithm>
#include <iterator>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "chart/file_replacement.h"

namespace varnelle {

const char* const tankOptions[11] = {
    "diametre",           "perimetre", "longueur",  "bords",      "largeur", "arc",
    "diametre-extremite", "crepine",   "precision", "zone-morte", "decalage"};

namespace {

bool isTankOption(const QString& key) {
    return std::any_of(std::begin(tankOptions), std::end(tankOptions),
                       [&](const char* option) { return key == QLatin1String(option); });
}

[[noreturn]] void refuseKey(const QString& path, const QString& key, const QString& message) {
    refuse(QStringLiteral("%1 : clé « %2 »").arg(path, key), message);
}

QString valueText(const QString& path, const QString& key, const QJsonValue& value) {
    if (key == QLatin1String("bords")) {
        if (!value.isString()) {
            refuseKey(path, key, QStringLiteral("La forme des bords s'écrit entre guillemets."));
        }
        return value.toString();
    }
    if (value.isDouble()) {
        // Every digit of the double, so that the file gives back the measure.
        return QString::number(value.toDouble(), 'g', 17);
    }
    if (value.isString()) {
        return value.toString();  // "12,5" is read as the option would read it
    }
    refuseKey(path, key, QStringLiteral("Cette clé attend un nombre."));
}

}  // namespace

QHash<QString, QString> readTankFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse("--cuve", QStringLiteral("Le fichier « %1 » n'a pas pu être lu : %2")
                             .arg(path, frenchFileError(file.errorString())));
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        refuse("--cuve", QStringLiteral("Le fichier « %1 » n'est pas un objet JSON (caractère %2).")
                             .arg(path)
                             .arg(parseError.offset));
    }
    const QJsonObject object = document.object();
    QHash<QString, QString> values;
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
        if (!isTankOption(entry.key())) {
            refuseKey(path, entry.key(), QStringLiteral("Clé inconnue."));
        }
        values.insert(entry.key(), valueText(path, entry.key(), entry.value()));
    }
    return values;
}

QByteArray tankFileContents(const OptionReader& options) {
    QJsonObject object;
    for (const char* option : tankOptions) {
        if (!options.has(option)) {
            continue;
        }
        const QString key = QLatin1String(option);
        object.insert(key, key == QLatin1String("bords")
                               ? QJsonValue(options.text(option).trimmed())
                               : QJsonValue(options.number(option)));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

}  // namespace varnelle
