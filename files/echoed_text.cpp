#include "echoed_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <vector>

namespace varnelle {
namespace {

// The key as JSON writes it, quotes included, decoded.
QString decodedKey(const QByteArray& quoted) {
    if (!quoted.contains('\\')) {
        return QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
    }
    return QJsonDocument::fromJson('[' + quoted + ']').array().first().toString();
}

// The end of the string that starts at `start` (its opening quote): the
// index just after its closing quote.
qsizetype endOfString(const QByteArray& json, qsizetype start) {
    qsizetype at = start + 1;
    while (at < json.size() && json[at] != '"') {
        at += json[at] == '\\' ? 2 : 1;
    }
    return at + 1;
}

qsizetype skipBlanks(const QByteArray& json, qsizetype at) {
    while (at < json.size() &&
           (json[at] == ' ' || json[at] == '\t' || json[at] == '\n' || json[at] == '\r')) {
        ++at;
    }
    return at;
}

}  // namespace

QString printable(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == '\t') {
            shown += QLatin1String("\\t");
        } else if (code == '\n') {
            shown += QLatin1String("\\n");
        } else if (code == 0x1b) {
            shown += QLatin1String("\\e");
        } else if (code < 0x20 || (code >= 0x7f && code < 0xa0)) {
            shown += QStringLiteral("\\x%1").arg(static_cast<int>(code), 2, 16, QChar('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QString echoed(const QString& text) {
    constexpr int longestEcho = 80;
    if (text.size() <= longestEcho) {
        return printable(text);
    }
    // A character outside the first plane is two QChars: it is kept or cut whole.
    const int kept = text[longestEcho - 1].isHighSurrogate() ? longestEcho - 1 : longestEcho;
    return printable(text.left(kept)) + QStringLiteral("…");
}

std::optional<QString> repeatedKey(const QByteArray& json) {
    // One set of keys per object still open; arrays open none.
    std::vector<QSet<QString>> openObjects;
    std::vector<bool> inObject;  // for each open bracket: an object, or an array
    qsizetype at = 0;
    while (at < json.size()) {
        const char c = json[at];
        if (c == '{' || c == '[') {
            inObject.push_back(c == '{');
            if (c == '{') {
                openObjects.emplace_back();
            }
            ++at;
        } else if (c == '}' || c == ']') {
            if (!inObject.empty() && inObject.back()) {
                openObjects.pop_back();
            }
            if (!inObject.empty()) {
                inObject.pop_back();
            }
            ++at;
        } else if (c == '"') {
            const qsizetype end = endOfString(json, at);
            const bool isKey = !inObject.empty() && inObject.back() &&
                               skipBlanks(json, end) < json.size() &&
                               json[skipBlanks(json, end)] == ':';
            if (isKey) {
                const QString key = decodedKey(json.mid(at, end - at));
                if (openObjects.back().contains(key)) {
                    return key;
                }
                openObjects.back().insert(key);
            }
            at = end;
        } else {
            ++at;
        }
    }
    return std::nullopt;
}

}  // namespace varnelle
