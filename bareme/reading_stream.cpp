#include "reading_stream.h"

#include <QFileDevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>

#include "bareme/bareme_program.h"
#include "bareme/carnet_stream.h"
#include "bareme/option_reader.h"
#include "bareme/sensor_distance.h"
#include "bareme/stream_lines.h"
#include "chart/answer_fields.h"
#include "chart/chart_numbers.h"
#include "chart/json_object.h"
#include "chart/tank_chart.h"
#include "files/echoed_text.h"
#include "logbook/carnet_report.h"
#include "logbook/carnet_time.h"

namespace varnelle {
namespace {

using Kind = LineReading::Kind;

LineReading refused(const QString& reason) {
    return {Kind::Refused, 0, 0, reason, std::nullopt};
}

LineReading otherDevice() {
    return {Kind::OtherDevice, 0, 0, QString(), std::nullopt};
}

QString quoted(const QString& text) {
    return QStringLiteral("« %1 »").arg(echoed(text));
}

// A number as JSON gave it, written back as short as it reads the same.
QString jsonNumberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// Whether a field of the line holds the value a --filtre asks for: the same
// text, or the same number however written ("13060111", 13060111.0).
bool fieldMatches(const QJsonValue& field, const QString& wanted) {
    if (field.isString()) {
        return field.toString() == wanted;
    }
    if (field.isDouble()) {
        const std::optional<double> number = decimalNumber(wanted);
        return number && *number == field.toDouble();
    }
    if (field.isBool()) {
        return wanted == (field.toBool() ? QLatin1String("true") : QLatin1String("false"));
    }
    return false;
}

bool isThisTanksSensor(const QJsonObject& object, const BaremeRequest& request) {
    return std::all_of(request.streamFilters.begin(), request.streamFilters.end(),
                       [&](const StreamFilter& filter) {
                           return fieldMatches(object.value(filter.field), filter.value);
                       });
}

// rtl_433 dates each line in this field.
const QString lineTimeKey = QStringLiteral("time");

// The reading as written and its value in the sensor's unit, or why none.
struct ReadingText {
    QString written;
    std::optional<double> value;
    QString refusal;
    std::optional<QString> time;  // the line's own time, as written
};

ReadingText refusedText(const QString& reason) {
    return {QString(), std::nullopt, reason, std::nullopt};
}

// The line's time as written; a number is kept as its text, which the reader
// of times then refuses.
std::optional<QString> timeInObject(const QJsonObject& object) {
    const QJsonValue time = object.value(lineTimeKey);
    if (time.isUndefined()) {
        return std::nullopt;
    }
    if (time.isString()) {
        return time.toString();
    }
    return QString::fromUtf8(QJsonDocument(QJsonArray{time}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

ReadingText numberInText(const QString& text) {
    const std::optional<double> value = decimalNumber(text);
    if (value) {
        return {text.trimmed(), value, QString(), std::nullopt};
    }
    return {text.trimmed(), std::nullopt,
            isWrittenAsNumber(text)
                ? QStringLiteral("la lecture %1 est un nombre trop grand.").arg(quoted(text))
                : QStringLiteral("la lecture %1 n'est pas un nombre.").arg(quoted(text)),
            std::nullopt};
}

// The reading of a JSON line, or nullopt for another device's line.
std::optional<ReadingText> numberInObject(const QString& line, const BaremeRequest& request) {
    const QByteArray json = line.toUtf8();
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        return refusedText(
            parseError.error == QJsonParseError::IllegalNumber
                ? QStringLiteral("la ligne JSON porte un nombre trop grand ou mal écrit.")
                : QStringLiteral("la ligne n'est pas un objet JSON valide."));
    }
    if (const std::optional<QString> key = repeatedKey(json)) {
        return refusedText(
            QStringLiteral("la clé %1 est donnée plus d'une fois.").arg(quoted(*key)));
    }
    const QString& field = request.streamField;
    if (field.isEmpty()) {
        return refusedText(
            QStringLiteral("une ligne JSON demande --champ pour y trouver la mesure."));
    }
    const QJsonObject object = document.object();
    const bool filtered = !request.streamFilters.isEmpty();
    if (filtered && !isThisTanksSensor(object, request)) {
        return std::nullopt;
    }
    const QJsonValue value = object.value(field);
    if (value.isDouble()) {
        return ReadingText{jsonNumberText(value.toDouble()), value.toDouble(), QString(),
                           timeInObject(object)};
    }
    if (value.isString()) {
        ReadingText text = numberInText(value.toString());
        text.time = timeInObject(object);
        return text;
    }
    if (value.isUndefined() && filtered) {
        return std::nullopt;  // the sensor's other messages (its battery, its pairing)
    }
    return refusedText(
        QStringLiteral("la ligne n'a pas de champ numérique %1.").arg(quoted(field)));
}

// What one reading gets: its JSON line; or, with --carnet, why its line is
// refused (its time), the stream going on, or why the carnet failed, which
// ends the stream.
struct ReadingAnswer {
    QString line;
    QString lineRefusal;
    std::optional<Refusal> carnetFailure;
};

// The answer's fields in JSON, numbers written as the other answers write them.
void addField(JsonObject& object, const Field& field) {
    if (field.unit == Unit::Litres) {
        object.litres(field.key, field.value);
    } else {
        object.millimetres(field.key, field.value);
    }
}

class ReadingAnswers {
  public:
    ReadingAnswers(const BaremeRequest& request, CarnetRecorder* carnet)
        : request_(request),
          tank_(request.description.tank),
          // The strainer and the capacity do not change from reading to
          // reading: their integrals are taken once.
          endsAtStrainer_(endsVolumeAt(tank_, tank_.strainerHeight)),
          capacity_(totalVolumeAt(tank_, tank_.diameter)),
          carnet_(carnet) {}

    ReadingAnswer answer(const LineReading& reading) const {
        TankParameters tank = tank_;
        tank.oilHeight = reading.oilHeight;
        const VolumeResults volumes =
            volumesFromEnds(tank, endsVolumeAt(tank, reading.oilHeight), endsAtStrainer_);
        JsonObject line = volumesJson(reading, volumes);
        if (carnet_ == nullptr) {
            return {line.text() + '\n', QString(), std::nullopt};
        }
        const Outcome<QDateTime> time =
            streamReadingTime(reading.time, QDateTime::currentDateTimeUtc());
        if (const Refusal* refused = refusalOf(time)) {
            return {QString(), refused->sentence, std::nullopt};
        }
        const Outcome<RecordedReading> recorded =
            carnet_->record(std::get<QDateTime>(time), reading.oilHeight, volumes.totalVolume);
        if (const Refusal* failed = refusalOf(recorded)) {
            return {QString(), QString(), *failed};
        }
        const auto& done = std::get<RecordedReading>(recorded);
        line.boolean(QString::fromLatin1(keptReadingKey), done.kept);
        const QString orderDay = QString::fromLatin1(orderDateKey);
        if (done.orderTime) {
            line.string(orderDay, localDayText(*done.orderTime));
        } else {
            line.null(orderDay);
        }
        return {line.text() + '\n', QString(), std::nullopt};
    }

  private:
    // The window's volumes, the filling and the litres to order.
    JsonObject volumesJson(const LineReading& reading, const VolumeResults& volumes) const {
        JsonObject object;
        const Record record = windowVolumesRecord(
            request_.streamReadsDistances ? std::optional(reading.sensorMillimetres) : std::nullopt,
            reading.oilHeight, volumes);
        for (const Field& field : record) {
            addField(object, field);
        }
        const double fillLimit = capacity_ * request_.fillPercent / 100;
        addField(object, {"remplissage_pourcent", "Remplissage", Unit::Percent,
                          100 * volumes.totalVolume / capacity_});
        addField(object, litresToOrderField(std::max(0.0, fillLimit - volumes.totalVolume)));
        return object;
    }

    const BaremeRequest& request_;
    const TankParameters tank_;
    const double endsAtStrainer_;
    const double capacity_;
    CarnetRecorder* const carnet_;  // --carnet, or none
};

// The carnet's sentence, as the program says its failures.
void reportCarnetFailure(QTextStream& err, const Refusal& refusal) {
    err << programName << " : " << printable(refusal.sentence) << '\n';
    err.flush();
}

QString errorLine(long long lineNumber, const QString& reason) {
    const QJsonObject object{{"ligne", static_cast<double>(lineNumber)}, {"erreur", reason}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// Whether the failed output is a pipe whose reader has gone (`| head -n 1`).
// Qt words a file's failure with the system's own text.
bool readerWentAway(const QTextStream& out) {
    const auto* file = qobject_cast<const QFileDevice*>(out.device());
    return file != nullptr && file->errorString() == qt_error_string(EPIPE);
}

}  // namespace

LineReading readingInLine(const BaremeRequest& request, const QString& line) {
    const QString trimmed = line.trimmed();
    std::optional<ReadingText> text;
    if (trimmed.startsWith('{')) {
        text = numberInObject(trimmed, request);
        if (!text) {
            return otherDevice();
        }
    } else if (!request.streamFilters.isEmpty()) {
        return otherDevice();  // a line without fields cannot be the sensor filtered for
    } else {
        text = numberInText(trimmed);
    }
    if (!text->value) {
        return refused(text->refusal);
    }
    const QString written = QStringLiteral("%1 %2").arg(quoted(text->written), request.streamUnit);
    const double millimetres = *text->value * request.millimetresPerUnit;
    const double diameter = request.description.tank.diameter;
    if (!request.streamReadsDistances) {
        if (!(millimetres >= 0 && millimetres <= diameter)) {
            return refused(QStringLiteral("la hauteur %1 est hors de la cuve (de 0 à %2 mm).")
                               .arg(written, measureString(diameter, '.')));
        }
        return {Kind::Reading, millimetres, millimetres, QString(), text->time};
    }
    const Outcome<double> height = heightAtDistance(diameter, request.sensorMount, millimetres,
                                                    written, ZeroDistance::NoReading);
    if (const Refusal* why = refusalOf(height)) {
        return refused(why->sentence);
    }
    return {Kind::Reading, millimetres, std::get<double>(height), QString(), text->time};
}

StreamEnd streamReadings(const BaremeRequest& request, QIODevice& in, QTextStream& out,
                         QTextStream& err) {
    std::optional<CarnetRecorder> carnet;
    if (!request.carnet.path.isEmpty()) {
        Outcome<CarnetRecorder> opened = CarnetRecorder::open(request);
        if (const Refusal* refused = refusalOf(opened)) {
            reportCarnetFailure(err, *refused);
            return StreamEnd::CarnetFailed;
        }
        carnet.emplace(std::move(std::get<CarnetRecorder>(opened)));
    }
    const ReadingAnswers answers(request, carnet ? &*carnet : nullptr);
    StreamLines lines(in);
    while (const std::optional<StreamLine> line = lines.next()) {
        const QString text = QString::fromUtf8(line->text);
        if (!line->tooLong && text.trimmed().isEmpty()) {
            continue;
        }
        const LineReading reading =
            line->tooLong ? refused(QStringLiteral("la ligne dépasse %1 Kio : elle est ignorée.")
                                        .arg(longestStreamLine / 1024))
                          : readingInLine(request, text);
        const ReadingAnswer answer = reading.kind == Kind::Reading
                                         ? answers.answer(reading)
                                         : ReadingAnswer{QString(), reading.reason, std::nullopt};
        if (answer.carnetFailure) {
            reportCarnetFailure(err, *answer.carnetFailure);
            return StreamEnd::CarnetFailed;  // this reading is not answered
        }
        if (!answer.line.isEmpty()) {
            out << answer.line;
            out.flush();
        } else if (reading.kind != Kind::OtherDevice) {
            err << errorLine(line->number, answer.lineRefusal) << '\n';
            err.flush();
        }
        if (out.status() != QTextStream::Ok) {
            return readerWentAway(out) ? StreamEnd::InputEnded : StreamEnd::OutputFailed;
        }
    }
    return lines.failed() ? StreamEnd::InputFailed : StreamEnd::InputEnded;
}

}  // namespace varnelle
