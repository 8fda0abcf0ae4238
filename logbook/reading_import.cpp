#include "reading_import.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "chart/chart_numbers.h"
#include "files/echoed_text.h"
#include "files/small_file.h"
#include "logbook/carnet_time.h"

namespace varnelle {
namespace {

// Reasons quote the file's numbers as the French reader writes them.
constexpr char reasonDecimal = ',';

struct Line {
    int number = 0;
    QString text;
    bool tooLong = false;
};

// How the file is laid out, learnt from its first line.
struct Layout {
    ImportFormat format = ImportFormat::DateAndValue;
    QChar separator = ',';
    bool header = false;
    int columns = 2;
    int entityColumn = -1, dateColumn = 0, valueColumn = 1;
};

std::vector<Line> linesOf(const QByteArray& contents) {
    QByteArray text = contents;
    if (text.startsWith("\xEF\xBB\xBF")) {
        text.remove(0, 3);
    }
    std::vector<Line> lines;
    qsizetype start = 0;
    int number = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            end = text.size();
        }
        qsizetype length = end - start;
        if (length > 0 && text.at(end - 1) == '\r') {
            --length;
        }
        Line line{++number, QString(), length > longestImportLine};
        if (!line.tooLong) {
            line.text = QString::fromUtf8(text.constData() + start, length);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The fields of one CSV line; a field in double quotes may hold the
// separator, and "" within it stands for one quote.
QStringList fieldsOf(const QString& line, QChar separator) {
    QStringList fields;
    if (!line.contains('"')) {
        for (const QStringView field : QStringView(line).split(separator)) {
            fields.append(field.trimmed().toString());
        }
        return fields;
    }
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line.at(i + 1) == '"') {
                field += c;
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.append(field.trimmed());
            field.clear();
        } else {
            field += c;
        }
    }
    fields.append(field.trimmed());
    return fields;
}

std::optional<double> numberIn(const QString& text, QChar separator) {
    // Where fields are separated by semicolons, a comma may be the decimal
    // separator, as French spreadsheets write it.
    const char decimal = separator == ';' ? ',' : '.';
    return typedNumber(text.toStdString(), decimal);
}

Layout layoutOf(const QString& first) {
    Layout layout;
    layout.separator = first.contains(';') ? QChar(';') : QChar(',');
    const QStringList fields = fieldsOf(first, layout.separator);
    QStringList names;
    for (const QString& field : fields) {
        names.append(field.toLower());
    }
    if (names.contains("entity_id") && names.contains("state") && names.contains("last_changed")) {
        layout.format = ImportFormat::HomeAssistant;
        layout.header = true;
        layout.columns = int(fields.size());
        layout.entityColumn = int(names.indexOf("entity_id"));
        layout.valueColumn = int(names.indexOf("state"));
        layout.dateColumn = int(names.indexOf("last_changed"));
        return layout;
    }
    static const QRegularExpression entity(QStringLiteral("^[a-z_]+\\.[a-z0-9_]+$"));
    if (layout.separator == ',' && fields.size() == 3 && entity.match(fields.at(0)).hasMatch()) {
        layout.format = ImportFormat::HomeAssistant;
        layout.columns = 3;
        layout.entityColumn = 0;
        layout.valueColumn = 1;
        layout.dateColumn = 2;
        return layout;
    }
    // "date;hauteur" and the like: no date where a date should be, no number
    // where the height should be.
    layout.header = fields.size() == 2 && !fields.at(0).isEmpty() &&
                    !fields.at(0).front().isDigit() && !numberIn(fields.at(1), layout.separator);
    return layout;
}

// Home Assistant writes microseconds ("08:00:00.123456+00:00"); a reading
// needs no more than the milliseconds that times are kept to.
QString timeWithMilliseconds(const QString& text) {
    const qsizetype point = text.lastIndexOf('.');
    if (point < 0) {
        return text;
    }
    qsizetype end = point + 1;
    while (end < text.size() && text.at(end).isDigit()) {
        ++end;
    }
    const qsizetype digits = end - point - 1;
    return digits > 3 ? text.left(point + 4) + text.mid(end) : text;
}

// What sets one line apart: the entity of a Home Assistant export, so that an
// export of several sensors gives the tank's (the first one's) only.
struct Reader {
    const ImportOptions& options;
    const Layout& layout;
    QString entity;
};

struct LineOutcome {
    ImportPreviewLine shown;
    std::optional<Reading> reading;
};

QString millimetresText(double value) {
    return measureString(value, reasonDecimal) + QStringLiteral(" mm");
}

// The height a value gives, or why it gives none.
Outcome<double> heightOf(double value, const ImportOptions& options) {
    const double scale = options.unit == ImportedUnit::Centimetres ? millimetresPerCentimetre : 1;
    const double millimetres = value * scale;
    const bool distance = options.value == ImportedValue::Distance;
    if (!std::isfinite(millimetres) || millimetres < 0 || millimetres > options.diameterMm) {
        return Refusal{QString(),
                       QStringLiteral("%1 de %2 hors de la cuve (0 à %3)")
                           .arg(distance ? QStringLiteral("distance") : QStringLiteral("hauteur"),
                                millimetresText(millimetres), millimetresText(options.diameterMm))};
    }
    return distance ? options.diameterMm - millimetres : millimetres;
}

bool diameterKnown(const ImportOptions& options) {
    return std::isfinite(options.diameterMm) && options.diameterMm > 0;
}

Refusal refused(const QString& reason) {
    return {QString(), reason};
}

Outcome<Reading> readingOf(const QStringList& fields, Reader& reader, ImportPreviewLine& shown) {
    const Layout& layout = reader.layout;
    if (fields.size() != layout.columns) {
        const QString found = fields.size() == 1 ? QStringLiteral("1 champ")
                                                 : QStringLiteral("%1 champs").arg(fields.size());
        return refused(QStringLiteral("%1 au lieu de %2").arg(found).arg(layout.columns));
    }
    shown.date = fields.at(layout.dateColumn);
    shown.value = fields.at(layout.valueColumn);
    if (layout.entityColumn >= 0) {
        const QString& entity = fields.at(layout.entityColumn);
        if (reader.entity.isEmpty()) {
            reader.entity = entity;
        } else if (entity != reader.entity) {
            return refused(QStringLiteral("autre capteur (« %1 »)").arg(echoed(entity)));
        }
        if (shown.value == "unavailable" || shown.value == "unknown") {
            return refused(QStringLiteral("capteur sans valeur (« %1 »)").arg(shown.value));
        }
    }
    const std::optional<double> value = numberIn(shown.value, layout.separator);
    if (!value) {
        return refused(QStringLiteral("« %1 » n'est pas un nombre").arg(echoed(shown.value)));
    }
    const Outcome<QDateTime> time = readTime(timeWithMilliseconds(shown.date), reader.options.now);
    if (const Refusal* refusal = refusalOf(time)) {
        return *refusal;
    }
    if (!diameterKnown(reader.options)) {
        return refused(QStringLiteral("diamètre de la cuve inconnu"));
    }
    const Outcome<double> height = heightOf(*value, reader.options);
    if (const Refusal* refusal = refusalOf(height)) {
        return *refusal;
    }
    Reading reading;
    reading.time = std::get<QDateTime>(time);
    reading.heightMm = std::get<double>(height);
    const bool sensor = layout.format == ImportFormat::HomeAssistant ||
                        reader.options.value == ImportedValue::Distance;
    reading.source = sensor ? Reading::Source::Sensor : Reading::Source::Dipstick;
    return reading;
}

LineOutcome lineOutcome(const Line& line, Reader& reader) {
    LineOutcome outcome;
    outcome.shown.number = line.number;
    Outcome<Reading> reading =
        refused(QStringLiteral("ligne de plus de %1 Kio").arg(longestImportLine / 1024));
    if (!line.tooLong) {
        reading = readingOf(fieldsOf(line.text, reader.layout.separator), reader, outcome.shown);
    }
    if (const Refusal* refusal = refusalOf(reading)) {
        outcome.shown.reason = refusal->sentence;
    } else {
        outcome.reading = std::get<Reading>(reading);
        outcome.shown.heightMm = outcome.reading->heightMm;
    }
    return outcome;
}

}  // namespace

ImportResult importReadings(const QByteArray& contents, const ImportOptions& options,
                            const std::atomic<bool>* abandoned) {
    const std::vector<Line> lines = linesOf(contents);
    auto firstLine = lines.begin();
    while (firstLine != lines.end() && !firstLine->tooLong && firstLine->text.trimmed().isEmpty()) {
        ++firstLine;
    }
    ImportResult result;
    if (firstLine == lines.end()) {
        return result;
    }
    const Layout layout = firstLine->tooLong ? Layout() : layoutOf(firstLine->text);
    result.format = layout.format;
    Reader reader{options, layout, QString()};
    for (auto line = firstLine + (layout.header ? 1 : 0); line != lines.end(); ++line) {
        if (abandoned && line->number % 1024 == 0 && abandoned->load()) {
            break;
        }
        if (!line->tooLong && line->text.trimmed().isEmpty()) {
            continue;
        }
        const LineOutcome outcome = lineOutcome(*line, reader);
        if (outcome.reading) {
            result.readings.push_back(*outcome.reading);
        } else {
            result.refused.push_back({outcome.shown.number, outcome.shown.reason});
        }
        if (result.preview.size() < importPreviewLines) {
            result.preview.push_back(outcome.shown);
        }
    }
    return result;
}

Outcome<QByteArray> readImportFile(const QString& path) {
    const auto tooLarge = [&path]() {
        return Refusal{path, QStringLiteral("Le fichier « %1 » dépasse %2 Mo : ce n'est pas un "
                                            "relevé de cuve.")
                                 .arg(echoed(path))
                                 .arg(largestImportBytes / (qint64(1024) * 1024))};
    };
    const QFileInfo info(path);
    if (info.isFile() && info.size() > largestImportBytes) {
        return tooLarge();
    }
    Outcome<QByteArray> contents = readSmallFile(path, largestImportBytes);
    if (const Refusal* unread = refusalOf(contents)) {
        return Refusal{path, QStringLiteral("Le fichier « %1 » n'a pas pu être lu : %2")
                                 .arg(echoed(path), unread->sentence)};
    }
    if (std::get<QByteArray>(contents).size() > largestImportBytes) {
        return tooLarge();
    }
    return contents;
}

}  // namespace varnelle
