#include "logbook/carnet_report.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <functional>
#include <string>

#include "logbook/carnet_time.h"

namespace varnelle {
namespace {

// A box tank: two litres a millimetre, 3 000 litres full, 100 below the strainer.
double boxLitres(double heightMm) {
    return heightMm * 2;
}
constexpr double boxCapacity = 3000;
constexpr double boxStrainer = 100;

const QDateTime firstMorning(QDate(2026, 10, 1), QTime(8, 0), Qt::UTC);

QDateTime morning(int day) {
    return firstMorning.addDays(day);
}

struct Carnet {
    std::vector<Reading> readings;
    std::vector<Delivery> deliveries;
};

// One reading a morning, the litres of each day given.
Carnet dailyLitres(const std::vector<double>& litres) {
    Carnet carnet;
    for (std::size_t day = 0; day < litres.size(); ++day) {
        carnet.readings.push_back({morning(static_cast<int>(day)), litres[day] / 2});
    }
    return carnet;
}

// Sixty days at 20 litres a day, ending at 2 000 litres, with on the way: a
// delivery whose heights were read (day 20), a fall of 300 litres overnight
// (day 30), a rise that no receipt explains (day 40) and a delivery with
// nothing to check it by (day 44). The last fortnight is steady.
Carnet season() {
    std::vector<double> litres;
    double oil = 1700;
    for (int day = 0; day <= 60; ++day) {
        litres.push_back(oil);
        oil -= 20;
        oil += day == 20 ? 1000 : day == 30 ? -300 : day == 40 ? 500 : day == 44 ? 300 : 0;
    }
    Carnet carnet = dailyLitres(litres);
    const double beforeMm = (litres[20] - 4) / 2;  // four hours of use after the reading
    carnet.deliveries = {
        {morning(20).addSecs(4 * 3600), 1000, 1.125, beforeMm, beforeMm + 500},
        {morning(44).addSecs(6 * 3600), 300, std::nullopt, std::nullopt, std::nullopt}};
    return carnet;
}

// Use so small that the strainer lies past any date.
Carnet nearlyNoUse() {
    std::vector<double> litres;
    for (int day = 0; day <= 20; ++day) {
        litres.push_back(1500 - day * 1e-9);
    }
    return dailyLitres(litres);
}

// The carnet's facts as the command line gathers them.
CarnetFacts factsOf(const Carnet& carnet, const LitresAt& litresAt = boxLitres,
                    double capacity = boxCapacity,
                    const std::vector<DailyTemperature>& temperatures = {}) {
    CarnetFacts facts;
    facts.summary = summarize(carnet.readings, carnet.deliveries, temperatures, litresAt, capacity,
                              boxStrainer, facts.options);
    facts.deliveries = carnet.deliveries;
    facts.capacity = capacity;
    facts.strainerLitres = boxStrainer;
    facts.cylinderLength = 1500;
    return facts;
}

QJsonObject parsedObject(const QString& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    EXPECT_TRUE(document.isObject());
    return document.object();
}

// The object's keys are `keys`, in that order (QJsonObject would sort them).
// A key's first place is its top-level one: the objects in lists come after.
void expectKeysInOrder(const QString& json, const QStringList& keys) {
    EXPECT_EQ(parsedObject(json).keys().size(), keys.size()) << json.toStdString();
    qsizetype previous = -1;
    for (const QString& key : keys) {
        const qsizetype at = json.indexOf('"' + key + "\":");
        EXPECT_GT(at, previous) << key.toStdString();
        previous = at;
    }
}

const QStringList summaryKeys =
    QStringLiteral(
        "volume_total_litres date_dernier_releve consommation_litres_par_jour_14j "
        "consommation_litres_par_jour_30j jours_avant_crepine date_crepine date_de_commande "
        "litres_a_commander mois saisons livraisons livraisons_trouvees alertes capacite_litres "
        "reserve_pourcent delai_jours prevision litres_par_degre_jour")
        .split(' ');

const QStringList forecastKeys = {"jours_avant_crepine", "date_crepine", "date_de_commande",
                                  "litres_a_commander"};

bool hasNoNonNumber(const QString& text) {
    static const QRegularExpression nonNumber(QStringLiteral("nan|inf"),
                                              QRegularExpression::CaseInsensitiveOption);
    return !nonNumber.match(text).hasMatch();
}

const OutputConventions french{QChar(','), QChar(';'), QString()};

// --- The summary's JSON keys and what it knows --------------------------------

TEST(CarnetSummaryJson, HoldsEveryKeyInOrderOnOneLine) {
    const QString json = summaryJson(factsOf(season()));
    EXPECT_TRUE(json.endsWith('\n'));
    EXPECT_EQ(json.count('\n'), 1);
    expectKeysInOrder(json, summaryKeys);
}

TEST(CarnetSummaryJson, SaysTheDeducedLengthLast) {
    CarnetFacts facts = factsOf(season());
    facts.nominalCapacity = 3000;
    facts.cylinderLength = 1234.5;
    const QString json = summaryJson(facts);
    const QStringList keys =
        summaryKeys + QStringList{"longueur_deduite_mm", "capacite_nominale_litres"};
    expectKeysInOrder(json, keys);
    EXPECT_EQ(parsedObject(json)["longueur_deduite_mm"].toDouble(), 1234.5);
}

// What each carnet, or a faulty tank, leaves unknown: null in JSON, never a
// made-up value, and no "nan" or "inf" in any form.
struct UnknownCase {
    const char* name;
    std::function<CarnetFacts()> facts;
    QStringList nullKeys;
    QStringList knownKeys;
};

class CarnetSummaryUnknowns : public ::testing::TestWithParam<UnknownCase> {};

TEST_P(CarnetSummaryUnknowns, AreNullAndNeverNan) {
    const UnknownCase& c = GetParam();
    const CarnetFacts facts = c.facts();
    const QString json = summaryJson(facts);
    for (const QString& text : {json, summaryText(facts, french), summaryCsv(facts, french)}) {
        EXPECT_TRUE(hasNoNonNumber(text)) << text.toStdString();
    }
    const QJsonObject object = parsedObject(json);
    for (const QString& key : c.nullKeys) {
        EXPECT_TRUE(object[key].isNull()) << key.toStdString();
    }
    for (const QString& key : c.knownKeys) {
        EXPECT_FALSE(object[key].isNull() || object[key].isUndefined()) << key.toStdString();
    }
}

const QStringList rateKeys = {"consommation_litres_par_jour_14j",
                              "consommation_litres_par_jour_30j"};
const QStringList lastKeys = {"volume_total_litres", "date_dernier_releve"};

CarnetFacts threeDays() {
    return factsOf(dailyLitres({2000, 1980, 1960}));
}

// Litres that are not a number above 1 000 mm, infinite everywhere.
double nanAbove1000(double mm) {
    return mm > 1000 ? std::nan("") : mm * 2;
}
double infinite(double) {
    return HUGE_VAL;
}

INSTANTIATE_TEST_SUITE_P(
    Carnets, CarnetSummaryUnknowns,
    ::testing::Values(
        UnknownCase{"NoReading",
                    [] { return factsOf({}); },
                    forecastKeys + rateKeys + lastKeys + QStringList{"prevision"},
                    {"capacite_litres"}},
        UnknownCase{"ThreeDays", threeDays,
                    forecastKeys + rateKeys + QStringList{"prevision", "litres_par_degre_jour"},
                    lastKeys},
        UnknownCase{"TwentyDaysNoUse",
                    [] { return factsOf(dailyLitres(std::vector<double>(21, 1500))); },
                    forecastKeys + QStringList{"prevision", "consommation_litres_par_jour_30j"},
                    {"consommation_litres_par_jour_14j"}},
        UnknownCase{"UseCloseToNothing",
                    [] { return factsOf(nearlyNoUse()); },
                    {"jours_avant_crepine", "date_crepine", "date_de_commande", "prevision"},
                    {"consommation_litres_par_jour_14j"}},
        UnknownCase{"Season",
                    [] { return factsOf(season()); },
                    {"litres_par_degre_jour"},
                    forecastKeys + rateKeys + QStringList{"prevision"}},
        UnknownCase{"CapacityNotANumber",
                    [] { return factsOf(season(), boxLitres, std::nan("")); },
                    {"capacite_litres"},
                    lastKeys},
        UnknownCase{"LitresNotANumberAbove1000mm",
                    [] { return factsOf(season(), nanAbove1000); },
                    {},
                    lastKeys},
        UnknownCase{"InfiniteLitres",
                    [] { return factsOf(dailyLitres(std::vector<double>(20, 1500)), infinite); },
                    {"volume_total_litres"},
                    {"date_dernier_releve"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CarnetSummaryJson, GivesTheForecastsDatesInIso) {
    const CarnetFacts facts = factsOf(season());
    const QJsonObject object = parsedObject(summaryJson(facts));
    const Forecast& forecast = std::get<Forecast>(facts.summary.forecast);
    EXPECT_EQ(object["date_dernier_releve"].toString(), localTimeText(morning(60)));
    EXPECT_EQ(object["date_de_commande"].toString(), localDayText(forecast.orderTime));
    EXPECT_EQ(object["date_crepine"].toString(), localDayText(forecast.strainerTime));
    // 2 000 litres at 20 a day, 100 below the strainer.
    EXPECT_NEAR(object["jours_avant_crepine"].toDouble(), 95, 0.05);
    EXPECT_EQ(object["prevision"].toString(), "consommation_14j");
    EXPECT_EQ(object["volume_total_litres"].toDouble(), 2000);
}

TEST(CarnetSummaryJson, ForecastsByDegreeDaysWhenTheTemperaturesAllowIt) {
    std::vector<DailyTemperature> temperatures;
    for (int day = -400; day <= 60; ++day) {
        temperatures.push_back({morning(day).date(), 8});
    }
    const CarnetFacts facts = factsOf(season(), boxLitres, boxCapacity, temperatures);
    const QJsonObject object = parsedObject(summaryJson(facts));
    const Forecast& byWeather = std::get<Forecast>(facts.summary.degreeDayForecast);
    EXPECT_EQ(object["prevision"].toString(), "degres-jours");
    EXPECT_GT(object["litres_par_degre_jour"].toDouble(), 0);
    EXPECT_EQ(object["date_de_commande"].toString(), localDayText(byWeather.orderTime));
    EXPECT_TRUE(summaryText(facts, french).contains("degrés-jours"));
}

TEST(CarnetSummaryJson, ChecksEachRecordedDeliveryOrSaysWhyNot) {
    const QJsonObject object = parsedObject(summaryJson(factsOf(season())));
    const QJsonArray deliveries = object["livraisons"].toArray();
    ASSERT_EQ(deliveries.size(), 2);
    const QJsonObject checked = deliveries[0].toObject();
    EXPECT_EQ(checked["date"].toString(), localTimeText(morning(20).addSecs(4 * 3600)));
    EXPECT_EQ(checked["litres_bareme"].toDouble(), 1000);
    EXPECT_EQ(checked["ecart_pourcent"].toDouble(), 0);
    EXPECT_TRUE(checked["avis"].toString().contains("conforme"));
    const QJsonObject unchecked = deliveries[1].toObject();
    EXPECT_EQ(unchecked["litres_recus"].toDouble(), 300);
    for (const char* key : {"litres_bareme", "ecart_litres", "ecart_pourcent"}) {
        EXPECT_TRUE(unchecked[key].isNull()) << key;
    }
    EXPECT_TRUE(unchecked["avis"].toString().contains("pas de hauteurs"));
    EXPECT_EQ(object["livraisons_trouvees"].toArray().size(), 1);
    EXPECT_EQ(object["alertes"].toArray().size(), 1);
    EXPECT_EQ(object["mois"].toArray()[0].toObject()["mois"].toString(), "2026-10");
    EXPECT_EQ(object["saisons"].toArray()[0].toObject()["saison"].toString(), "2026-2027");
}

// --- The summary for a person and for a spreadsheet -----------------------------

TEST(CarnetSummaryText, SaysTheOrderDayInFrenchAndWhatHappened) {
    const CarnetFacts facts = factsOf(season());
    const QString text = summaryText(facts, french.forPeople());
    const Forecast& forecast = std::get<Forecast>(facts.summary.forecast);
    EXPECT_TRUE(text.contains("À commander le " + frenchDayText(forecast.orderTime)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(facts.summary.history.alerts.front().sentence));
    EXPECT_TRUE(text.contains(facts.summary.receipts.front().sentence));
    EXPECT_TRUE(text.contains("pas de hauteurs"));
    EXPECT_TRUE(text.contains("Saison 2026-2027"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("2\u00A0000,0 litres")));
}

TEST(CarnetSummaryText, SaysWhyThereIsNoForecast) {
    const QString text = summaryText(factsOf(dailyLitres({2000, 1980, 1960})), french);
    EXPECT_TRUE(text.contains("14 jours")) << text.toStdString();
    EXPECT_FALSE(text.contains("À commander"));
    EXPECT_TRUE(summaryText(factsOf({}), french).contains("Aucun relevé"));
}

TEST(CarnetSummaryCsv, UsesSemicolonsAndCommasInFrench) {
    const QStringList lines = summaryCsv(factsOf(season()), french).split('\n');
    ASSERT_GE(lines.size(), 5);
    const QStringList titles = lines[0].split(';');
    const QStringList values = lines[1].split(';');
    ASSERT_EQ(titles.size(), values.size());
    EXPECT_EQ(values[0], "2000,000");
    EXPECT_EQ(lines[3], "Mois;Litres");
    EXPECT_TRUE(lines[4].startsWith("2026-10;")) << lines[4].toStdString();
    EXPECT_TRUE(lines[4].contains(',')) << lines[4].toStdString();
}

// --- The journal --------------------------------------------------------------------

std::vector<StoredReading> stored(const Carnet& carnet) {
    std::vector<StoredReading> readings;
    for (const Reading& reading : carnet.readings) {
        readings.push_back({reading, std::nullopt});
    }
    return readings;
}

TEST(CarnetJournal, InterleavesDeliveriesAndStopsTheRateAcrossThem) {
    Carnet carnet = dailyLitres({1000, 980, 960, 1940, 1920});
    carnet.deliveries = {{morning(2).addSecs(3600), 1000, 1.2, std::nullopt, 975}};
    std::vector<StoredReading> readings = stored(carnet);
    readings[1].litres = 981;  // stored with the reading: kept as it was
    const QStringList lines =
        journalCsv(readings, carnet.deliveries, boxLitres, french).split('\n');
    ASSERT_EQ(lines.size(), 8);  // titles, 6 entries, the end
    const auto cells = [&lines](int line) { return lines[line].split(';'); };
    EXPECT_EQ(cells(1)[4], "");  // the first reading
    EXPECT_EQ(cells(2)[3], "981,000");
    EXPECT_EQ(cells(2)[4], "19,000");
    EXPECT_EQ(cells(4)[1], "livraison");
    EXPECT_EQ(cells(4)[5], "1,20");
    EXPECT_EQ(cells(4)[7], "975");
    EXPECT_EQ(cells(5)[4], "");  // just after the delivery
    EXPECT_EQ(cells(6)[4], "20,000");
}

TEST(CarnetJournal, JsonListsReadingsAndDeliveries) {
    Carnet carnet = dailyLitres({1000, 980});
    carnet.readings[1].source = Reading::Source::Sensor;
    carnet.deliveries = {{morning(1).addSecs(60), 500, std::nullopt, std::nullopt, std::nullopt}};
    const QString json = journalJson(stored(carnet), carnet.deliveries, boxLitres);
    expectKeysInOrder(json, {"releves", "livraisons"});
    const QJsonObject object = parsedObject(json);
    const QJsonObject sensor = object["releves"].toArray()[1].toObject();
    EXPECT_EQ(sensor.keys().size(), 4);
    EXPECT_EQ(sensor["source"].toString(), "capteur");
    EXPECT_EQ(sensor["hauteur_mm"].toDouble(), 490);
    EXPECT_EQ(sensor["litres"].toDouble(), 980);
    const QJsonObject delivery = object["livraisons"].toArray()[0].toObject();
    EXPECT_EQ(delivery["date"].toString(), localTimeText(morning(1).addSecs(60)));
    EXPECT_TRUE(delivery["prix_litre"].isNull());
    EXPECT_TRUE(delivery["hauteur_apres_mm"].isNull());
}

TEST(CarnetJournal, TextIsATableOrSaysItIsEmpty) {
    const Carnet carnet = dailyLitres({1000, 980});
    const QString text = journalText(stored(carnet), {}, boxLitres, french);
    EXPECT_EQ(text.count('\n'), 3);
    EXPECT_TRUE(text.contains("relevé (jauge)"));
    EXPECT_TRUE(text.contains(localTimeText(morning(1))));  // as --supprimer-releve reads it
    EXPECT_TRUE(journalText({}, {}, boxLitres, french).contains("Aucun relevé"));
}

}  // namespace
}  // namespace varnelle
