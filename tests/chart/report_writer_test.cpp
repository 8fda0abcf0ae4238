#include "chart/report_writer.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>

#include "start_up_tank.h"

namespace varnelle {
namespace {

// --- Conventions -----------------------------------------------------------------

struct LocaleCase {
    const char* name;
    QLocale::Language language;
    QLocale::Territory territory;
    char decimal;
    char separator;
};

class ConventionsTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(ConventionsTest, FollowTheLocalesDecimalSeparator) {
    const LocaleCase& c = GetParam();
    const OutputConventions conventions = conventionsFor(QLocale(c.language, c.territory));
    EXPECT_EQ(conventions.decimal, QChar(c.decimal));
    EXPECT_EQ(conventions.csvSeparator, QChar(c.separator));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ConventionsTest,
    ::testing::Values(LocaleCase{"France", QLocale::French, QLocale::France, ',', ';'},
                      LocaleCase{"Belgium", QLocale::French, QLocale::Belgium, ',', ';'},
                      LocaleCase{"Germany", QLocale::German, QLocale::Germany, ',', ';'},
                      LocaleCase{"C", QLocale::C, QLocale::AnyTerritory, '.', ','},
                      LocaleCase{"UnitedStates", QLocale::English, QLocale::UnitedStates, '.',
                                 ','}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Chart -----------------------------------------------------------------------

Chart smallChart() {
    return computeChart(startUpTank(EndShape::SphericalCapEnds), 500);
}

TEST(ChartCsv, FrenchSpreadsheetConventions) {
    const QString csv = chartCsv(smallChart(), conventionsFor(QLocale(QLocale::French)));
    EXPECT_EQ(csv.toStdString(),
              "Hauteur (mm);Hauteur (cm);Volume total (litres);Volume disponible (litres)\n"
              "0;0,0;0,000;0,000\n"
              "500;50,0;825,196;742,198\n"
              "1000;100,0;1650,391;1567,394\n");
}

TEST(ChartCsv, CConventions) {
    const QString csv = chartCsv(smallChart(), conventionsFor(QLocale::c()));
    EXPECT_EQ(csv.toStdString(),
              "Hauteur (mm),Hauteur (cm),Volume total (litres),Volume disponible (litres)\n"
              "0,0.0,0.000,0.000\n"
              "500,50.0,825.196,742.198\n"
              "1000,100.0,1650.391,1567.394\n");
}

TEST(ChartText, EndsWithTheCapacity) {
    TankDescription description;
    description.tank = startUpTank(EndShape::SphericalCapEnds);
    const QString text =
        chartText(description, 500, smallChart(), conventionsFor(QLocale(QLocale::French)));
    EXPECT_TRUE(
        text.startsWith("Barème de jaugeage : cuve cylindrique à bords en calotte "
                        "sphérique\n"));
    EXPECT_TRUE(text.contains("      500     50,0       825,196       742,198\n"));
    EXPECT_TRUE(text.contains("Capacité (cuve pleine) : 1650,391 litres\n"));
}

TEST(ChartJson, IsOneObjectWithNumbers) {
    TankDescription description;
    description.tank = startUpTank(EndShape::ConicalEnds);
    const Chart chart = computeChart(description.tank, 250);
    const QString json = chartJson(description, 250, chart);
    EXPECT_EQ(json.count('\n'), 1);
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(json.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(object["bords"].toString(), "tronconiques");
    EXPECT_EQ(object["diametre_cercle_extremite_mm"].toDouble(), 800);
    const QJsonArray lines = object["lignes"].toArray();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4].toObject()["hauteur_mm"].toDouble(), 1000);
    EXPECT_DOUBLE_EQ(lines[4].toObject()["volume_total_litres"].toDouble(),
                     object["capacite_litres"].toDouble());
}

// --- Records -----------------------------------------------------------------------

const Record sample = {
    {"hauteur_mazout_mm", "Hauteur du mazout", Unit::Millimetres, 300},
    {"volume_total_litres", "Volume total", Unit::Litres, 411.3124},
    {"volume_disponible_litres", "Volume disponible", Unit::Litres, -81.7514},
};

TEST(Record, TextAlignsTheColons) {
    EXPECT_EQ(recordText(sample, conventionsFor(QLocale(QLocale::French))).toStdString(),
              "Hauteur du mazout : 300 mm\n"
              "Volume total      : 411,312 litres\n"
              "Volume disponible : -81,751 litres\n");
}

TEST(Record, CsvHasAHeaderAndOneLine) {
    EXPECT_EQ(recordCsv(sample, conventionsFor(QLocale(QLocale::French))).toStdString(),
              "Hauteur du mazout (mm);Volume total (litres);Volume disponible (litres)\n"
              "300;411,312;-81,751\n");
}

TEST(Record, JsonIsOneLineWithNumbersWhateverTheLocale) {
    EXPECT_EQ(recordJson(sample).toStdString(),
              "{\"hauteur_mazout_mm\":300,\"volume_total_litres\":411.312,"
              "\"volume_disponible_litres\":-81.751}\n");
}

}  // namespace
}  // namespace varnelle
