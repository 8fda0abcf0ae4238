#include "reading_stream.h"

#include <QFileDevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>

#include "bareme/option_reader.h"
#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"

namespace varnelle {
namespace {

// Thrown for a line that gives no reading, with the reason in French.
struct UnreadLine {
    QString reason;
};

// A line quoted back in an error, short enough to read.
QString quoted(const QString& line) {
    constexpr int longestQuote = 60;
    return QStringLiteral("« %1 »").arg(
        line.size() > longestQuote ? line.left(longestQuote) + QStringLiteral("…") : line);
}

double numberInLine(const QString& text) {
    const std::optional<double> value = decimalNumber(text);
    if (!value) {
        throw UnreadLine{QStringLiteral("la ligne %1 n'est pas un nombre.").arg(quoted(text))};
    }
    return *value;
}

double numberInObject(const QString& line, const QString& field) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &parseError);
    if (!document.isObject()) {
        throw UnreadLine{QStringLiteral("la ligne n'est pas un objet JSON valide.")};
    }
    if (field.isEmpty()) {
        throw UnreadLine{
            QStringLiteral("une ligne JSON demande --champ pour y trouver la mesure.")};
    }
    const QJsonValue value = document.object().value(field);
    if (value.isDouble()) {
        return value.toDouble();
    }
    if (value.isString()) {
        return numberInLine(value.toString());
    }
    throw UnreadLine{QStringLiteral("la ligne n'a pas de champ numérique « %1 ».").arg(field)};
}

class ReadingAnswers {
  public:
    explicit ReadingAnswers(const BaremeRequest& request)
        : request_(request),
          tank_(request.description.tank),
          // The strainer and the capacity do not change from reading to
          // reading: their integrals are taken once.
          endsAtStrainer_(endsVolumeAt(tank_, tank_.strainerHeight)),
          capacity_(totalVolumeAt(tank_, tank_.diameter)) {}

    // The JSON line answering one line of input.
    QString answer(const QString& line) const {
        const QString trimmed = line.trimmed();
        const double reading = trimmed.startsWith('{')
                                   ? numberInObject(trimmed, request_.streamField)
                                   : numberInLine(trimmed);
        const double millimetres = reading * request_.millimetresPerUnit;
        if (!(millimetres >= 0 && millimetres <= tank_.diameter)) {
            throw UnreadLine{
                QStringLiteral("la mesure %1 est hors de la cuve (de 0 à %2 mm).")
                    .arg(measureString(millimetres, '.'), measureString(tank_.diameter, '.'))};
        }
        const bool distance = request_.streamReadsDistances;
        const double height = distance ? tank_.diameter - millimetres : millimetres;
        TankParameters tank = tank_;
        tank.oilHeight = height;
        const VolumeResults volumes =
            volumesFromEnds(tank, endsVolumeAt(tank, height), endsAtStrainer_);
        Record record = windowVolumesRecord(distance ? std::optional(millimetres) : std::nullopt,
                                            height, volumes);
        const double fillLimit = capacity_ * request_.fillPercent / 100;
        record.push_back({"remplissage_pourcent", "Remplissage", Unit::Percent,
                          100 * volumes.totalVolume / capacity_});
        record.push_back({"volume_a_commander_litres", "Volume à commander", Unit::Litres,
                          std::max(0.0, fillLimit - volumes.totalVolume)});
        return recordJson(record);
    }

  private:
    const BaremeRequest& request_;
    const TankParameters tank_;
    const double endsAtStrainer_;
    const double capacity_;
};

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

Record windowVolumesRecord(std::optional<double> sensorDistance, double oilHeight,
                           const VolumeResults& volumes) {
    Record record;
    if (sensorDistance) {
        record.push_back({"distance_capteur_mm", "Distance mesurée par le capteur",
                          Unit::Millimetres, *sensorDistance});
    }
    const Record window = {
        {"hauteur_mazout_mm", "Hauteur du mazout", Unit::Millimetres, oilHeight},
        {"volume_partie_cylindrique_litres", "Volume dans la partie cylindrique", Unit::Litres,
         volumes.cylinderVolume},
        {"volume_flancs_litres", "Volume dans les 2 flancs", Unit::Litres, volumes.endsVolume},
        {"volume_total_litres", "Volume total du mazout dans la cuve", Unit::Litres,
         volumes.totalVolume},
        {"volume_sous_crepine_litres", "Volume total sous la crépine", Unit::Litres,
         volumes.belowStrainerVolume},
        {"volume_disponible_litres", "Volume total disponible", Unit::Litres,
         volumes.availableVolume},
    };
    record.insert(record.end(), window.begin(), window.end());
    return record;
}

bool streamReadings(const BaremeRequest& request, QTextStream& in, QTextStream& out,
                    QTextStream& err) {
    const ReadingAnswers answers(request);
    long long lineNumber = 0;
    QString line;
    while (in.readLineInto(&line)) {
        ++lineNumber;
        if (line.trimmed().isEmpty()) {
            continue;
        }
        try {
            out << answers.answer(line);  // one line, its end included
            out.flush();
        } catch (const UnreadLine& unread) {
            err << errorLine(lineNumber, unread.reason) << '\n';
            err.flush();
        }
        if (out.status() != QTextStream::Ok) {
            return readerWentAway(out);
        }
    }
    return true;
}

}  // namespace varnelle
