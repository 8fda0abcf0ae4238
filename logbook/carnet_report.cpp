#include "carnet_report.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <functional>

#include "chart/answer_fields.h"
#include "chart/chart_texts.h"
#include "chart/json_object.h"
#include "chart/report_writer.h"
#include "logbook/carnet_time.h"
#include "logbook/journal_order.h"

namespace varnelle {
namespace {

constexpr double msecsPerDay = 86400000;

// A value that can be written: a reading whose litres could not be computed,
// or a capacity that is not a number, is said unknown, never "nan".
std::optional<double> known(double value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> known(const Outcome<double>& outcome) {
    const double* value = std::get_if<double>(&outcome);
    return value != nullptr ? known(*value) : std::nullopt;
}

double daysBetween(const QDateTime& from, const QDateTime& to) {
    return static_cast<double>(from.msecsTo(to)) / msecsPerDay;
}

// A forecast at a rate close to nothing lands thousands of years away, or
// past what a date can hold: such a date is no forecast and is not written.
bool writable(const QDateTime& time) {
    return time.isValid() && !localDayText(time).isEmpty();
}

// --- What the summary says ---------------------------------------------------

// The forecast the summary gives, and what it rests on; or why there is none.
struct ChosenForecast {
    const Forecast* forecast = nullptr;
    bool byDegreeDays = false;
    QString why;  // when there is no forecast
};

// The degree-days, when the temperatures allow them, follow the weather
// ahead; the last fortnight's rate does not.
ChosenForecast chosenForecast(const Summary& summary) {
    if (const Forecast* byWeather = std::get_if<Forecast>(&summary.degreeDayForecast)) {
        return {byWeather, true, QString()};
    }
    if (const Forecast* byRate = std::get_if<Forecast>(&summary.forecast)) {
        return {byRate, false, QString()};
    }
    return {nullptr, false, std::get<Refusal>(summary.forecast).sentence};
}

const LitresReading* lastReading(const Summary& summary) {
    const std::vector<LitresReading>& readings = summary.history.readings;
    return readings.empty() ? nullptr : &readings.back();
}

// Days from the last reading to the strainer; none when the date is out of reach.
std::optional<double> daysToStrainer(const LitresReading& last, const Forecast& forecast) {
    if (!writable(forecast.strainerTime)) {
        return std::nullopt;
    }
    return std::max(0.0, daysBetween(last.time, forecast.strainerTime));
}

// Already there at the last reading: the strainer is reached then, not before.
QString strainerDay(const LitresReading& last, const Forecast& forecast) {
    if (!writable(forecast.strainerTime)) {
        return QString();
    }
    return localDayText(std::max(forecast.strainerTime, last.time));
}

QString monthKey(const MonthUse& month) {
    return QStringLiteral("%1-%2")
        .arg(month.year, 4, 10, QChar('0'))
        .arg(month.month, 2, 10, QChar('0'));
}

QString seasonName(int startYear) {
    return QStringLiteral("%1-%2").arg(startYear).arg(startYear + 1);
}

// The heating season (1 July to 30 June) of a month, named by its first year.
int seasonOf(int year, int month) {
    return month >= 7 ? year : year - 1;
}

// The season of a time, as the logbook counts it (UTC days).
int seasonOf(const QDateTime& time) {
    const QDate day = time.toUTC().date();
    return seasonOf(day.year(), day.month());
}

// Each recorded delivery, with its check against the chart or why it has none.
struct DeliveryCheck {
    Delivery delivery;
    std::optional<ReceiptCheck> check;
    QString why;
};

std::vector<Delivery> deliveriesByTime(std::vector<Delivery> deliveries) {
    std::stable_sort(deliveries.begin(), deliveries.end(),
                     [](const Delivery& a, const Delivery& b) { return a.time < b.time; });
    return deliveries;
}

// Why a delivery could not be checked, in the logbook's words. The summary
// checked every delivery it could on the same readings, so this one is
// refused again before any litres are asked for.
QString uncheckedReason(const Delivery& delivery, const std::vector<Reading>& readings) {
    const LitresAt unknownLitres = [](double) { return std::nan(""); };
    const Outcome<ReceiptCheck> check = checkReceipt(delivery, readings, unknownLitres);
    const Refusal* refusal = refusalOf(check);
    return refusal != nullptr ? refusal->sentence : QString();
}

// The readings that checkReceipt looks at: those within the hour either side.
std::vector<Reading> readingsAround(const Summary& summary, const QDateTime& time) {
    const std::vector<LitresReading>& all = summary.history.readings;
    const qint64 from = time.addSecs(-receiptReadingWindowSeconds).toMSecsSinceEpoch();
    const qint64 to = time.addSecs(receiptReadingWindowSeconds).toMSecsSinceEpoch();
    auto reading = std::lower_bound(
        all.begin(), all.end(), from,
        [](const LitresReading& r, qint64 msecs) { return r.time.toMSecsSinceEpoch() < msecs; });
    std::vector<Reading> near;
    for (; reading != all.end() && reading->time.toMSecsSinceEpoch() <= to; ++reading) {
        near.push_back({reading->time, reading->heightMm});
    }
    return near;
}

// A chart that gives no litres at the heights read checks nothing.
DeliveryCheck checked(const Delivery& delivery, const ReceiptCheck& check) {
    if (!known(check.chartLitres) || !known(check.gapPercent)) {
        return {delivery, std::nullopt,
                QStringLiteral("Livraison du %1 : le barème ne donne pas les litres des hauteurs "
                               "lues, le bon de livraison ne peut être vérifié.")
                    .arg(frenchDayText(delivery.time))};
    }
    return {delivery, check, QString()};
}

// The summary's checks are in the deliveries' time order, one for each
// delivery that could be checked: they are matched in that order.
std::vector<DeliveryCheck> deliveryChecks(const CarnetFacts& facts) {
    std::vector<DeliveryCheck> checks;
    std::size_t next = 0;
    const std::vector<ReceiptCheck>& receipts = facts.summary.receipts;
    for (const Delivery& delivery : deliveriesByTime(facts.deliveries)) {
        if (next < receipts.size() && receipts[next].time == delivery.time &&
            receipts[next].receiptLitres == delivery.receiptLitres) {
            checks.push_back(checked(delivery, receipts[next++]));
            continue;
        }
        checks.push_back({delivery, std::nullopt,
                          uncheckedReason(delivery, readingsAround(facts.summary, delivery.time))});
    }
    return checks;
}

// --- The summary's single values: JSON members and CSV cells ---------------

// One value of the summary as JSON writes it and a CSV cell holds it; null
// and an empty cell when it is unknown.
struct SummaryValue {
    enum class Kind { Litres, Measure, Text };
    QString key;
    QString title;
    Kind kind = Kind::Text;
    std::optional<double> number;
    int minDecimals = 0;
    int maxDecimals = 3;
    QString text;  // empty when unknown
};

SummaryValue litresValue(const QString& key, const QString& title, std::optional<double> litres) {
    return {key, title,    SummaryValue::Kind::Litres, litres ? known(*litres) : std::nullopt, 3,
            3,   QString()};
}

SummaryValue measureValue(const QString& key, const QString& title, std::optional<double> value,
                          int minDecimals = 0, int maxDecimals = 3) {
    return {key,
            title,
            SummaryValue::Kind::Measure,
            value ? known(*value) : std::nullopt,
            minDecimals,
            maxDecimals,
            QString()};
}

SummaryValue textValue(const QString& key, const QString& title, const QString& text) {
    return {key, title, SummaryValue::Kind::Text, std::nullopt, 0, 0, text};
}

QString dayOrNothing(const QDateTime& time) {
    return writable(time) ? localDayText(time) : QString();
}

QString litresTitle(const QString& title) {
    return title + QStringLiteral(" (litres)");
}

QString rateKey(int days) {
    return QStringLiteral("consommation_litres_par_jour_%1j").arg(days);
}

QString rateTitle(int days) {
    return QStringLiteral("Consommation sur %1 jours (litres par jour)").arg(days);
}

// What the forecast says, all unknown without one.
struct ForecastValues {
    std::optional<double> daysToStrainer;
    QString strainerDay;
    QString orderDay;
    std::optional<double> litresToOrder;
};

ForecastValues forecastValues(const Summary& summary) {
    const LitresReading* last = lastReading(summary);
    const Forecast* forecast = chosenForecast(summary).forecast;
    if (last == nullptr || forecast == nullptr) {
        return {};
    }
    return {daysToStrainer(*last, *forecast), strainerDay(*last, *forecast),
            dayOrNothing(forecast->orderTime), known(forecast->litresToOrder)};
}

// The last reading, the rates and the forecast: the values that lead the summary.
std::vector<SummaryValue> headValues(const CarnetFacts& facts) {
    const Summary& summary = facts.summary;
    const LitresReading* last = lastReading(summary);
    const ForecastValues forecast = forecastValues(summary);
    return {
        litresValue(jsonKey::totalLitres, litresTitle(QString::fromUtf8(chartWords::totalVolume)),
                    last != nullptr ? known(last->litres) : std::nullopt),
        textValue("date_dernier_releve", "Dernier relevé",
                  last != nullptr ? localTimeText(last->time) : QString()),
        litresValue(rateKey(shortRateDays), rateTitle(shortRateDays), known(summary.shortRate)),
        litresValue(rateKey(longRateDays), rateTitle(longRateDays), known(summary.longRate)),
        measureValue("jours_avant_crepine", "Jours avant la crépine", forecast.daysToStrainer, 1,
                     1),
        textValue("date_crepine", "Crépine atteinte le", forecast.strainerDay),
        textValue(orderDateKey, "Date de commande", forecast.orderDay),
        litresValue("litres_a_commander", litresTitle(litresToOrderField(0).label),
                    forecast.litresToOrder),
    };
}

QString forecastBasis(const ChosenForecast& chosen) {
    if (chosen.forecast == nullptr) {
        return QString();
    }
    return chosen.byDegreeDays ? QStringLiteral("degres-jours")
                               : QStringLiteral("consommation_%1j").arg(shortRateDays);
}

// The settings the forecast was made with, and the deduced length.
std::vector<SummaryValue> tailValues(const CarnetFacts& facts) {
    std::vector<SummaryValue> values = {
        litresValue(jsonKey::capacity, litresTitle(capacityField(0).label), facts.capacity),
        measureValue("reserve_pourcent", "Réserve (%)", facts.options.reservePercent),
        measureValue("delai_jours", "Délai de livraison (jours)", facts.options.orderDelayDays),
        textValue(
            "prevision", "Prévision",
            lastReading(facts.summary) ? forecastBasis(chosenForecast(facts.summary)) : QString()),
        measureValue("litres_par_degre_jour", "Litres par degré-jour",
                     known(facts.summary.litresPerDegreeDay)),
    };
    if (facts.nominalCapacity) {
        values.push_back(
            measureValue("longueur_deduite_mm", "Longueur déduite (mm)", facts.cylinderLength));
        values.push_back(litresValue("capacite_nominale_litres", "Capacité nominale (litres)",
                                     facts.nominalCapacity));
    }
    return values;
}

void addValue(JsonObject& object, const SummaryValue& value) {
    if (value.kind == SummaryValue::Kind::Text) {
        value.text.isEmpty() ? object.null(value.key) : object.string(value.key, value.text);
    } else if (!value.number) {
        object.null(value.key);
    } else if (value.kind == SummaryValue::Kind::Litres) {
        object.litres(value.key, *value.number);
    } else {
        object.number(value.key,
                      measureString(*value.number, '.', value.minDecimals, value.maxDecimals));
    }
}

QString cellOf(const SummaryValue& value, QChar decimal) {
    if (value.kind == SummaryValue::Kind::Text) {
        return value.text;
    }
    if (!value.number) {
        return QString();
    }
    return value.kind == SummaryValue::Kind::Litres
               ? litresString(*value.number, decimal)
               : measureString(*value.number, decimal, value.minDecimals, value.maxDecimals);
}

// --- JSON lists ---------------------------------------------------------------

JsonObject& knownLitres(JsonObject& object, const QString& key, double litres) {
    return known(litres) ? object.litres(key, litres) : object.null(key);
}

QStringList monthsJson(const std::vector<MonthUse>& months) {
    QStringList list;
    for (const MonthUse& month : months) {
        JsonObject object;
        object.string("mois", monthKey(month));
        list << knownLitres(object, "litres", month.litres).text();
    }
    return list;
}

QStringList seasonsJson(const std::vector<SeasonUse>& seasons) {
    QStringList list;
    for (const SeasonUse& season : seasons) {
        JsonObject object;
        object.string("saison", seasonName(season.startYear));
        list << knownLitres(object, "litres", season.litres).text();
    }
    return list;
}

QString deliveryJson(const DeliveryCheck& item) {
    JsonObject object;
    object.string("date", localTimeText(item.delivery.time));
    knownLitres(object, "litres_recus", item.delivery.receiptLitres);
    if (item.check) {
        knownLitres(object, "litres_bareme", item.check->chartLitres);
        knownLitres(object, "ecart_litres", item.check->gapLitres);
        if (known(item.check->gapPercent)) {
            object.number("ecart_pourcent", measureString(item.check->gapPercent, '.', 0, 2));
        } else {
            object.null("ecart_pourcent");
        }
        object.string("avis", item.check->sentence);
    } else {
        object.null("litres_bareme").null("ecart_litres").null("ecart_pourcent");
        object.string("avis", item.why);
    }
    return object.text();
}

QStringList foundJson(const std::vector<FoundDelivery>& found) {
    QStringList list;
    for (const FoundDelivery& delivery : found) {
        JsonObject object;
        object.string("date", localTimeText(delivery.end));
        list << knownLitres(object, "litres", delivery.litres).text();
    }
    return list;
}

// --- The summary for a person --------------------------------------------------

class PersonText {
  public:
    explicit PersonText(const OutputConventions& conventions) : conventions_(conventions) {}

    QString litres(double value, int decimals) const {
        return known(value) ? conventions_.litresWithUnit(value, decimals)
                            : QStringLiteral("litres inconnus");
    }
    QString number(double value, int maxDecimals) const {
        return known(value) ? conventions_.number(value, 0, maxDecimals) : QStringLiteral("?");
    }
    QString millimetres(double value) const {
        return known(value) ? conventions_.millimetres(value) : QStringLiteral("? mm");
    }

  private:
    const OutputConventions& conventions_;
};

QStringList rateLines(const Summary& summary, const PersonText& text) {
    const std::optional<double> shortRate = known(summary.shortRate);
    if (!shortRate) {
        const Refusal* refusal = refusalOf(summary.shortRate);
        return {refusal != nullptr ? refusal->sentence : QString()};
    }
    QString line = QStringLiteral("Consommation : %1 litres par jour (%2 jours)")
                       .arg(text.number(*shortRate, 1))
                       .arg(shortRateDays);
    const std::optional<double> longRate = known(summary.longRate);
    if (longRate) {
        return {line +
                QStringLiteral(", %1 (%2 jours)").arg(text.number(*longRate, 1)).arg(longRateDays)};
    }
    const Refusal* refusal = refusalOf(summary.longRate);
    return {line, refusal != nullptr ? refusal->sentence : QString()};
}

QString basisLine(const CarnetFacts& facts, const ChosenForecast& chosen, const PersonText& text) {
    if (chosen.byDegreeDays) {
        return QStringLiteral("Prévision par les degrés-jours : %1 litres par degré-jour")
            .arg(text.number(std::get<double>(facts.summary.litresPerDegreeDay), 2));
    }
    return QStringLiteral("Prévision à la consommation des %1 derniers jours").arg(shortRateDays);
}

QString outOfReach(const QString& what) {
    return QStringLiteral("%1 : hors de portée de la prévision.").arg(what);
}

QString reachedLine(const QString& what, const LitresReading& last, const QDateTime& time,
                    const PersonText& text) {
    if (!writable(time)) {
        return outOfReach(what);
    }
    if (time <= last.time) {
        return QStringLiteral("%1 : déjà atteinte au dernier relevé.").arg(what);
    }
    return QStringLiteral("%1 atteinte vers le %2, %3 jours après le dernier relevé")
        .arg(what, frenchDayText(time), text.number(daysBetween(last.time, time), 1));
}

QString orderLine(const CarnetFacts& facts, const Forecast& forecast, const LitresReading& last,
                  const PersonText& text) {
    const QString amount =
        QStringLiteral("%1 (jusqu'à %2\u00A0% de la capacité)")
            .arg(text.litres(forecast.litresToOrder, 0), text.number(facts.options.fillPercent, 1));
    if (!writable(forecast.orderTime)) {
        return outOfReach(QStringLiteral("Date de commande"));
    }
    if (forecast.orderTime <= last.time) {
        return QStringLiteral("À commander sans attendre (il fallait commander le %1) : %2")
            .arg(frenchDayText(forecast.orderTime), amount);
    }
    return QStringLiteral("À commander le %1 : %2").arg(frenchDayText(forecast.orderTime), amount);
}

QStringList forecastLines(const CarnetFacts& facts, const LitresReading& last,
                          const PersonText& text) {
    const ChosenForecast chosen = chosenForecast(facts.summary);
    if (chosen.forecast == nullptr) {
        // Without a rate the rates' line has said why already.
        const Refusal* rateRefusal = refusalOf(facts.summary.shortRate);
        return rateRefusal != nullptr && rateRefusal->sentence == chosen.why
                   ? QStringList()
                   : QStringList{chosen.why};
    }
    const Forecast& forecast = *chosen.forecast;
    return {basisLine(facts, chosen, text),
            reachedLine(QStringLiteral("Crépine"), last, forecast.strainerTime, text),
            reachedLine(QStringLiteral("Réserve de %1\u00A0%")
                            .arg(text.number(facts.options.reservePercent, 1)),
                        last, forecast.reserveTime, text),
            orderLine(facts, forecast, last, text)};
}

QStringList deliveryLines(const CarnetFacts& facts, const PersonText& text) {
    QStringList lines;
    for (const FoundDelivery& found : facts.summary.history.found) {
        lines << QStringLiteral(
                     "Livraison non enregistrée trouvée dans les relevés le %1 : "
                     "environ %2")
                     .arg(frenchDayText(found.end), text.litres(found.litres, 0));
    }
    for (const DeliveryCheck& item : deliveryChecks(facts)) {
        lines << (item.check ? item.check->sentence : item.why);
    }
    return lines;
}

// The months of the season of the last reading, after the season's total.
QStringList seasonLines(const Summary& summary, const LitresReading& last, const PersonText& text) {
    const int season = seasonOf(last.time);
    QStringList lines;
    for (const SeasonUse& use : summary.seasons) {
        if (use.startYear == season) {
            lines << QStringLiteral("Saison %1 : %2")
                         .arg(seasonName(season), text.litres(use.litres, 0));
        }
    }
    const QLocale french(QLocale::French, QLocale::France);
    for (const MonthUse& month : summary.months) {
        if (seasonOf(month.year, month.month) == season) {
            lines << QStringLiteral("  %1 %2 : %3")
                         .arg(french.standaloneMonthName(month.month))
                         .arg(month.year)
                         .arg(text.litres(month.litres, 0));
        }
    }
    return lines;
}

QStringList readingLines(const CarnetFacts& facts, const PersonText& text) {
    const LitresReading* last = lastReading(facts.summary);
    if (last == nullptr) {
        return {QStringLiteral("Aucun relevé dans le carnet : ni consommation ni prévision.")};
    }
    QStringList lines = {QStringLiteral("Dernier relevé : %1, %2")
                             .arg(frenchTimeText(last->time), text.litres(last->litres, 1))};
    lines << rateLines(facts.summary, text);
    lines << forecastLines(facts, *last, text);
    for (const Alert& alert : facts.summary.history.alerts) {
        lines << alert.sentence;
    }
    return lines;
}

QString joinedLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        if (!line.isEmpty()) {
            text += line + '\n';
        }
    }
    return text;
}

// --- The journal ------------------------------------------------------------------

// One line of the journal: a reading or a delivery.
struct JournalEntry {
    QDateTime time;
    const StoredReading* reading = nullptr;
    const Delivery* delivery = nullptr;
    double litres = 0;                   // the reading's, or the receipt's
    std::optional<double> litresPerDay;  // since the reading before, none across a delivery
};

JournalEntry readingEntry(const StoredReading& stored, const LitresAt& litresAt) {
    return {stored.reading.time, &stored, nullptr, readingLitres(stored, litresAt), std::nullopt};
}

JournalEntry deliveryEntry(const Delivery& delivery) {
    return {delivery.time, nullptr, &delivery, delivery.receiptLitres, std::nullopt};
}

// Readings and deliveries in time order. A reading taken at the time of a
// delivery comes after it, as the logbook counts the oil then.
std::vector<JournalEntry> journalEntries(const std::vector<StoredReading>& readings,
                                         const std::vector<Delivery>& deliveries,
                                         const LitresAt& litresAt) {
    std::vector<JournalEntry> entries;
    entries.reserve(readings.size() + deliveries.size());
    for (const StoredReading& stored : readings) {
        entries.push_back(readingEntry(stored, litresAt));
    }
    for (const Delivery& delivery : deliveries) {
        entries.push_back(deliveryEntry(delivery));
    }
    orderJournal(entries, [](const JournalEntry& entry) { return entry.delivery != nullptr; });
    return entries;
}

QString kindName(const JournalEntry& entry) {
    if (entry.delivery != nullptr) {
        return QString::fromUtf8(journalKind::delivery);
    }
    return QString::fromUtf8(entry.reading->reading.source == Reading::Source::Sensor
                                 ? journalKind::sensor
                                 : journalKind::dipstick);
}

QString sourceKey(const Reading& reading) {
    return reading.source == Reading::Source::Sensor ? QStringLiteral("capteur")
                                                     : QStringLiteral("jauge");
}

// How a journal's numbers are written: for a person or in a file's cells.
using NumberWriter = std::function<QString(double value, int minDecimals, int maxDecimals)>;

QString optionalCell(const std::optional<double>& value, const NumberWriter& write, int minDecimals,
                     int maxDecimals) {
    return value && std::isfinite(*value) ? write(*value, minDecimals, maxDecimals) : QString();
}

QString priceCell(const JournalEntry& entry, const NumberWriter& write) {
    return entry.delivery ? optionalCell(entry.delivery->pricePerLitre, write, 2, 3) : QString();
}

const QStringList& journalTitles() {
    static const QStringList titles = {QStringLiteral("Date"),
                                       QStringLiteral("Type"),
                                       QStringLiteral("Hauteur (mm)"),
                                       QStringLiteral("Litres"),
                                       QStringLiteral("Litres par jour"),
                                       QStringLiteral("Prix par litre")};
    return titles;
}

// The delivery's heights before and after, for the one height column of a person's table.
QString deliveryHeights(const Delivery& delivery, const NumberWriter& write) {
    const QString before = optionalCell(delivery.heightBeforeMm, write, 0, 3);
    const QString after = optionalCell(delivery.heightAfterMm, write, 0, 3);
    if (before.isEmpty() && after.isEmpty()) {
        return QString();
    }
    return (before + QStringLiteral(" → ") + after).trimmed();
}

QStringList personCells(const JournalEntry& entry, const NumberWriter& write) {
    const QString height = entry.delivery
                               ? deliveryHeights(*entry.delivery, write)
                               : optionalCell(entry.reading->reading.heightMm, write, 0, 3);
    // The time as --supprimer-releve reads it back.
    return {localTimeText(entry.time),
            kindName(entry),
            height,
            optionalCell(entry.litres, write, 1, 1),
            optionalCell(entry.litresPerDay, write, 1, 1),
            priceCell(entry, write)};
}

QString alignedTable(const QStringList& titles, const std::vector<QStringList>& rows) {
    std::vector<int> widths;
    for (const QString& title : titles) {
        widths.push_back(static_cast<int>(title.size()));
    }
    for (const QStringList& row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], static_cast<int>(row[i].size()));
        }
    }
    const auto line = [&widths](const QStringList& cells) {
        QStringList padded;
        for (int i = 0; i < cells.size(); ++i) {
            // Date and kind to the left, numbers to the right.
            padded << (i < 2 ? cells[i].leftJustified(widths[i])
                             : cells[i].rightJustified(widths[i]));
        }
        return padded.join(QStringLiteral("  ")).trimmed() + '\n';
    };
    QString text = line(titles);
    for (const QStringList& row : rows) {
        text += line(row);
    }
    return text;
}

}  // namespace

QString summaryJson(const CarnetFacts& facts) {
    const Summary& summary = facts.summary;
    JsonObject object;
    for (const SummaryValue& value : headValues(facts)) {
        addValue(object, value);
    }
    object.array("mois", monthsJson(summary.months));
    object.array("saisons", seasonsJson(summary.seasons));
    QStringList deliveries;
    for (const DeliveryCheck& item : deliveryChecks(facts)) {
        deliveries << deliveryJson(item);
    }
    object.array("livraisons", deliveries);
    object.array("livraisons_trouvees", foundJson(summary.history.found));
    QStringList alerts;
    for (const Alert& alert : summary.history.alerts) {
        alerts << JsonObject::jsonString(alert.sentence);
    }
    object.array("alertes", alerts);
    for (const SummaryValue& value : tailValues(facts)) {
        addValue(object, value);
    }
    return object.text() + '\n';
}

QString summaryText(const CarnetFacts& facts, const OutputConventions& conventions) {
    const PersonText text(conventions);
    QStringList lines = readingLines(facts, text);
    lines << deliveryLines(facts, text);
    if (const LitresReading* last = lastReading(facts.summary)) {
        lines << seasonLines(facts.summary, *last, text);
    }
    if (facts.nominalCapacity) {
        lines << QStringLiteral("Longueur déduite de la capacité nominale de %1 : %2")
                     .arg(text.litres(*facts.nominalCapacity, 0),
                          text.millimetres(facts.cylinderLength));
    }
    return joinedLines(lines);
}

QString summaryCsv(const CarnetFacts& facts, const OutputConventions& conventions) {
    const QChar separator = conventions.csvSeparator;
    std::vector<SummaryValue> values = headValues(facts);
    const std::vector<SummaryValue> tail = tailValues(facts);
    values.insert(values.end(), tail.begin(), tail.end());
    QStringList titles;
    QStringList cells;
    for (const SummaryValue& value : values) {
        titles << value.title;
        cells << cellOf(value, conventions.decimal);
    }
    QString csv = csvLine(titles, separator) + csvLine(cells, separator);
    csv += '\n' + csvLine({QStringLiteral("Mois"), QStringLiteral("Litres")}, separator);
    for (const MonthUse& month : facts.summary.months) {
        csv += csvLine(
            {monthKey(month),
             known(month.litres) ? litresString(month.litres, conventions.decimal) : QString()},
            separator);
    }
    csv += '\n' + csvLine({QStringLiteral("Saison"), QStringLiteral("Litres")}, separator);
    for (const SeasonUse& season : facts.summary.seasons) {
        csv += csvLine(
            {seasonName(season.startYear),
             known(season.litres) ? litresString(season.litres, conventions.decimal) : QString()},
            separator);
    }
    return csv;
}

QString journalText(const std::vector<StoredReading>& readings,
                    const std::vector<Delivery>& deliveries, const LitresAt& litresAt,
                    const OutputConventions& conventions) {
    const std::vector<JournalEntry> entries = journalEntries(readings, deliveries, litresAt);
    if (entries.empty()) {
        return QStringLiteral("Aucun relevé ni livraison dans le carnet.\n");
    }
    const NumberWriter write = [&conventions](double value, int minDecimals, int maxDecimals) {
        return conventions.number(value, minDecimals, maxDecimals);
    };
    std::vector<QStringList> rows;
    rows.reserve(entries.size());
    for (const JournalEntry& entry : entries) {
        rows.push_back(personCells(entry, write));
    }
    return alignedTable(journalTitles(), rows);
}

QString journalCsv(const std::vector<StoredReading>& readings,
                   const std::vector<Delivery>& deliveries, const LitresAt& litresAt,
                   const OutputConventions& conventions) {
    const NumberWriter write = [&conventions](double value, int minDecimals, int maxDecimals) {
        return measureString(value, conventions.decimal, minDecimals, maxDecimals);
    };
    const QChar separator = conventions.csvSeparator;
    QStringList titles = journalTitles();
    titles << QStringLiteral("Hauteur avant (mm)") << QStringLiteral("Hauteur après (mm)");
    QString csv = csvLine(titles, separator);
    for (const JournalEntry& entry : journalEntries(readings, deliveries, litresAt)) {
        const Delivery* delivery = entry.delivery;
        csv += csvLine(
            {localTimeText(entry.time), kindName(entry),
             delivery ? QString() : optionalCell(entry.reading->reading.heightMm, write, 0, 3),
             optionalCell(entry.litres, write, 3, 3), optionalCell(entry.litresPerDay, write, 3, 3),
             priceCell(entry, write),
             delivery ? optionalCell(delivery->heightBeforeMm, write, 0, 3) : QString(),
             delivery ? optionalCell(delivery->heightAfterMm, write, 0, 3) : QString()},
            separator);
    }
    return csv;
}

QString journalJson(const std::vector<StoredReading>& readings,
                    const std::vector<Delivery>& deliveries, const LitresAt& litresAt) {
    QStringList readingObjects;
    QStringList deliveryObjects;
    const auto optionalMillimetres = [](JsonObject& object, const QString& key,
                                        const std::optional<double>& value) -> JsonObject& {
        return value && std::isfinite(*value) ? object.millimetres(key, *value) : object.null(key);
    };
    for (const JournalEntry& entry : journalEntries(readings, deliveries, litresAt)) {
        JsonObject object;
        object.string("date", localTimeText(entry.time));
        if (entry.reading != nullptr) {
            object.string("source", sourceKey(entry.reading->reading));
            optionalMillimetres(object, "hauteur_mm", entry.reading->reading.heightMm);
            knownLitres(object, "litres", entry.litres);
            readingObjects << object.text();
            continue;
        }
        knownLitres(object, "litres_recus", entry.litres);
        const std::optional<double>& price = entry.delivery->pricePerLitre;
        if (price && std::isfinite(*price)) {
            object.number("prix_litre", measureString(*price, '.', 0, 3));
        } else {
            object.null("prix_litre");
        }
        optionalMillimetres(object, "hauteur_avant_mm", entry.delivery->heightBeforeMm);
        optionalMillimetres(object, "hauteur_apres_mm", entry.delivery->heightAfterMm);
        deliveryObjects << object.text();
    }
    JsonObject journal;
    journal.array("releves", readingObjects).array("livraisons", deliveryObjects);
    return journal.text() + '\n';
}

}  // namespace varnelle
