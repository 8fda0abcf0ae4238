#include "json_object.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

#include "chart/chart_numbers.h"

namespace varnelle {

JsonObject& JsonObject::millimetres(const QString& key, double value) {
    return number(key, measureString(value, '.'));
}

JsonObject& JsonObject::litres(const QString& key, double value) {
    return number(key, litresString(value, '.'));
}

JsonObject& JsonObject::string(const QString& key, const QString& text) {
    return member(key, jsonString(text));
}

QString JsonObject::jsonString(const QString& text) {
    // Keys and most values are plain printable ASCII, which needs no escaping:
    // a journal of ten years writes a million of them.
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F && c != '"' && c != '\\';
    });
    if (plain) {
        return '"' + text + '"';
    }
    // QJsonDocument does the escaping; the brackets are cut off again.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

}  // namespace varnelle
