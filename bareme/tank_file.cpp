#include "tank_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <iterator>
#include <variant>

#include "bareme/command_line_options.h"
#include "files/echoed_text.h"
#include "chart/tank_description.h"
#include "files/small_file.h"
#include "logbook/carnet_tank.h"

namespace varnelle {

const char* const tankOptions[12] = {measureKeys::diameter,
                                     measureKeys::perimeter,
                                     measureKeys::cylinderLength,
                                     "bords",
                                     measureKeys::endWidth,
                                     measureKeys::arcLength,
                                     measureKeys::endCircleDiameter,
                                     measureKeys::strainerHeight,
                                     measureKeys::precision,
                                     "zone-morte",
                                     "decalage",
                                     optionName::nominalCapacity};

namespace {

// --- Reading the contents ---------------------------------------------------------

bool isTankOption(const QString& key) {
    return std::any_of(std::begin(tankOptions), std::end(tankOptions),
                       [&](const char* option) { return key == QLatin1String(option); });
}

[[noreturn]] void refuseKey(const QString& fileName, const QString& key, const QString& message) {
    refuse(fileKeySubject(fileName, key), message);
}

// The number that ends at `end` in `json`, if a well-written one does: Qt
// refuses a number too large or too small for a double as it does a syntax
// error, just after it.
qsizetype numberStart(const QByteArray& json, qsizetype end) {
    static const QRegularExpression number(R"(^-?[0-9]+(\.[0-9]*)?([eE][+-]?[0-9]+)?$)");
    const auto inNumber = [](char c) {
        return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
    };
    qsizetype start = end;
    while (start > 0 && inNumber(json[start - 1])) {
        --start;
    }
    const QString token = QString::fromLatin1(json.mid(start, end - start));
    return number.match(token).hasMatch() ? start : -1;
}

// The JSON document of `json`. A number that no double holds is put between
// quotes, so that it reaches the measure's reader as written and is refused
// as the option's would be ("trop grande"), under its key. A tank file holds
// a few numbers only: past as many as it has keys, such a number is refused
// here, rather than the whole text read again for each.
QJsonDocument documentOf(const QString& fileName, QByteArray& json, QJsonParseError& error) {
    for (int quoted = 0;; ++quoted) {
        QJsonDocument document = QJsonDocument::fromJson(json, &error);
        const qsizetype start =
            error.error == QJsonParseError::IllegalNumber ? numberStart(json, error.offset) : -1;
        if (start < 0) {
            error.offset -= 2 * quoted;  // where the file has it
            return document;
        }
        if (quoted == static_cast<int>(std::size(tankOptions))) {
            refuse(echoed(fileName),
                   tooLargeMessage(QString::fromLatin1(json.mid(start, error.offset - start))));
        }
        json.insert(error.offset, '"');
        json.insert(start, '"');
    }
}

QJsonObject tankObject(const QString& fileName, const QByteArray& contents) {
    QByteArray json = contents;
    QJsonParseError parseError{};
    const QJsonDocument document = documentOf(fileName, json, parseError);
    if (!document.isObject()) {
        refuse("--cuve", QStringLiteral("Le fichier « %1 » n'est pas un objet JSON (caractère %2).")
                             .arg(echoed(fileName))
                             .arg(parseError.offset));
    }
    // The document keeps the last of two values of a key without a word.
    if (const std::optional<QString> key = repeatedKey(json)) {
        refuseKey(fileName, *key, QStringLiteral("Cette clé est donnée plus d'une fois."));
    }
    return document.object();
}

QString valueText(const QString& fileName, const QString& key, const QJsonValue& value) {
    if (key == QLatin1String("bords")) {
        if (!value.isString()) {
            refuseKey(fileName, key,
                      QStringLiteral("La forme des bords s'écrit entre guillemets."));
        }
        return value.toString();
    }
    if (value.isDouble()) {
        // Every digit of the double, so that the file gives back the measure.
        return storedNumberText(value.toDouble());
    }
    if (value.isString()) {
        return value.toString();  // "12,5" is read as the option would read it
    }
    refuseKey(fileName, key, QStringLiteral("Cette clé attend un nombre."));
}

}  // namespace

QHash<QString, QString> readTankFile(const QString& path) {
    if (path.isEmpty()) {
        refuse("--cuve", QStringLiteral("Veuillez donner le nom du fichier de la cuve."));
    }
    const Outcome<QByteArray> contents = readSmallFile(path, largestTankFile);
    if (const Refusal* unread = refusalOf(contents)) {
        refuse("--cuve", QStringLiteral("Le fichier « %1 » n'a pas pu être lu : %2")
                             .arg(echoed(path), unread->sentence));
    }
    // A larger file is refused there, in the tank file's own words.
    return tankFileValues(path, std::get<QByteArray>(contents));
}

QHash<QString, QString> tankFileValues(const QString& fileName, const QByteArray& contents) {
    if (contents.size() > largestTankFile) {
        refuse(
            "--cuve",
            QStringLiteral("Le fichier « %1 » est trop grand pour décrire une cuve (plus de 1 Mo).")
                .arg(echoed(fileName)));
    }
    const QJsonObject object = tankObject(fileName, contents);
    QHash<QString, QString> values;
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
        if (!isTankOption(entry.key())) {
            refuseKey(fileName, entry.key(), QStringLiteral("Clé inconnue."));
        }
        values.insert(entry.key(), valueText(fileName, entry.key(), entry.value()));
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
