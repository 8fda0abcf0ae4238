// The one JSON writer of the answers: an object on one line, its members in
// the order given. Numbers are written by us rather than by QJsonDocument,
// which would print 0.1 + 0.2 as 0.30000000000000004 and lose the
// three-decimal rounding; strings are escaped by QJsonDocument; an object
// keeps its members in order, where QJsonObject would sort them.
#pragma once

#include <QString>
#include <QStringList>

namespace varnelle {

class JsonObject {
  public:
    // A number already written as JSON writes numbers.
    JsonObject& number(const QString& key, const QString& written) { return member(key, written); }
    JsonObject& millimetres(const QString& key, double value);
    JsonObject& litres(const QString& key, double value);
    JsonObject& string(const QString& key, const QString& text);
    JsonObject& boolean(const QString& key, bool value) {
        return member(key, value ? QStringLiteral("true") : QStringLiteral("false"));
    }
    // What is not known: null rather than a made-up value.
    JsonObject& null(const QString& key) { return member(key, QStringLiteral("null")); }
    // An array of members already written (objects' text(), numbers, jsonString()).
    JsonObject& array(const QString& key, const QStringList& members) {
        return member(key, '[' + members.join(',') + ']');
    }
    QString text() const { return '{' + members_.join(',') + '}'; }

    // A JSON string, quotes and escapes included.
    static QString jsonString(const QString& text);

  private:
    JsonObject& member(const QString& key, const QString& value) {
        members_ << jsonString(key) + ':' + value;
        return *this;
    }

    QStringList members_;
};

}  // namespace varnelle
