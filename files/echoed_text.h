// Texts that came from the user's files, arguments or readings, made safe to
// show in a message: control characters escaped, long texts cut.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace varnelle {

// The text with its control characters shown escaped ("\e", "\x07"), so
// that an argument echoed in a message cannot drive the terminal.
QString printable(const QString& text);

// The text as a message quotes it: printable, and cut to its first 80
// characters followed by "…", so that a 100 MB value is not echoed whole.
QString echoed(const QString& text);

// The first key that one object of the JSON text gives twice, if any. The
// text is taken to be valid JSON (QJsonDocument keeps the last value of a
// repeated key without a word, so this is checked apart).
std::optional<QString> repeatedKey(const QByteArray& json);

}  // namespace varnelle
