// The chart's lines as every format writes them, and the ESPHome sensor.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <string>

#include "bareme_run.h"

namespace varnelle {
namespace {

// --- No line written twice ---------------------------------------------------------------

enum class Column { Text, Csv, Esphome };

// The first column of every line of the chart, as written.
QStringList firstColumn(const QString& out, Column column) {
    QStringList values;
    const QStringList lines = out.split('\n');
    switch (column) {
        case Column::Text: {
            // The lines stand between the "(mm)" heading and the blank line.
            const auto heading = std::find_if(lines.begin(), lines.end(), [](const QString& l) {
                return l.trimmed().startsWith(QLatin1String("(mm)"));
            });
            for (auto line = heading + 1; line < lines.end() && !line->isEmpty(); ++line) {
                values << line->simplified().section(' ', 0, 0);
            }
            break;
        }
        case Column::Csv:
            for (const QString& line : lines.mid(1)) {
                if (!line.isEmpty()) {
                    values << line.section(',', 0, 0);
                }
            }
            break;
        case Column::Esphome: {
            static const QRegularExpression point(R"(^ *- (\S+) -> \S+$)");
            for (const QString& line : lines) {
                const QRegularExpressionMatch match = point.match(line);
                if (match.hasMatch()) {
                    values << match.captured(1);
                }
            }
            break;
        }
    }
    return values;
}

struct RepeatCase {
    const char* name;
    const char* options;
    Column column;
    int lines;
    const char* top;  // the line of the full tank, as written
};

class NoRepeatedLineTest : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(NoRepeatedLineTest, TheDiameterWrittenAsTheLastStepTakesItsPlace) {
    const RepeatCase& c = GetParam();
    const InProcessRun result = run(QString::fromLatin1(c.options));
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const QStringList heights = firstColumn(result.out, c.column);
    ASSERT_EQ(heights.size(), c.lines) << result.out.toStdString();
    EXPECT_EQ(QSet<QString>(heights.begin(), heights.end()).size(), heights.size())
        << heights.join(' ').toStdString();
    const QString top = c.column == Column::Esphome ? heights.first() : heights.last();
    EXPECT_EQ(top.toStdString(), c.top);
}

#define TANK_1000_0004 "--diametre 1000.0004 --longueur 2000 --pas 10 "
#define TANK_1000_0006 "--diametre 1000.0006 --longueur 2000 --pas 10 "

INSTANTIATE_TEST_SUITE_P(
    Formats, NoRepeatedLineTest,
    ::testing::Values(
        RepeatCase{"Text", TANK_1000_0004, Column::Text, 101, "1000"},
        RepeatCase{"Csv", TANK_1000_0004 "--format csv", Column::Csv, 101, "1000"},
        RepeatCase{"Esphome", TANK_1000_0004 "--format esphome", Column::Esphome, 101, "0.0"},
        // A thousandth of a millimetre apart, the two lines are written apart.
        RepeatCase{"TextOneThousandthApart", TANK_1000_0006, Column::Text, 102, "1000.001"},
        RepeatCase{"CsvOneThousandthApart", TANK_1000_0006 "--format csv", Column::Csv, 102,
                   "1000.001"},
        RepeatCase{"EsphomeOneThousandthApart", TANK_1000_0006 "--format esphome", Column::Esphome,
                   102, "0.0"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The ESPHome sensor ------------------------------------------------------------------

#define CAP_TANK "--diametre 1000 --longueur 2000 --bords calotte --largeur 100 --crepine 100 "

TEST(EsphomeSensor, CopiesTheDistanceSensorIntoLitresHeldWithinTheTank) {
    const InProcessRun result = run(CAP_TANK "--pas 250 --format esphome");
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const QString sensor = result.out.mid(result.out.indexOf("  - platform:"));
    EXPECT_EQ(sensor.toStdString(),
              "  - platform: copy\n"
              "    source_id: distance_cuve\n"
              "    name: \"Mazout dans la cuve\"\n"
              "    unit_of_measurement: L\n"
              "    device_class: volume_storage\n"
              "    state_class: measurement\n"
              "    accuracy_decimals: 0\n"
              "    filters:\n"
              "      # Distance du haut de la cuve au mazout (m) -> volume total (litres)\n"
              "      - calibrate_linear:\n"
              "          method: exact\n"
              "          datapoints:\n"
              "            - 0.0 -> 1650.391\n"
              "            - 0.25 -> 1333.134\n"
              "            - 0.5 -> 825.196\n"
              "            - 0.75 -> 317.257\n"
              "            - 1.0 -> 0.000\n"
              "      # Hors de la cuve, les litres restent entre 0 et la capacité.\n"
              "      - clamp:\n"
              "          min_value: 0\n"
              "          max_value: 1650.391\n");
    EXPECT_TRUE(result.out.contains("ESPHome 2023.8 ou plus récent")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("en mètres")) << result.out.toStdString();
}

struct SourceCase {
    const char* name;
    const char* options;
    const char* sourceLine;  // empty: refused
    const char* message;     // the first line of the error output when refused
};

class EsphomeSourceTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(EsphomeSourceTest, NamesTheSensorCopiedOrSaysWhyNot) {
    const SourceCase& c = GetParam();
    const InProcessRun result = run(QStringLiteral(CAP_TANK "--pas 250 ") + c.options);
    if (*c.sourceLine == '\0') {
        EXPECT_EQ(result.status, exitBadArguments);
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
        EXPECT_EQ(result.err.section('\n', 0, 0).toStdString(), c.message);
        return;
    }
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QString::fromUtf8(c.sourceLine) + '\n'))
        << result.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Ids, EsphomeSourceTest,
    ::testing::Values(
        SourceCase{"Default", "--format esphome", "    source_id: distance_cuve", ""},
        SourceCase{"Given", "--format esphome --esphome-source ultrason_2",
                   "    source_id: ultrason_2", ""},
        SourceCase{"LeadingUnderscore", "--format esphome --esphome-source _cuve",
                   "    source_id: _cuve", ""},
        SourceCase{"LeadingDigit", "--format esphome --esphome-source 2cuve", "",
                   "varnelle-bareme : --esphome-source : « 2cuve » ne peut pas être l'id d'un "
                   "capteur ESPHome : des lettres sans accent, des chiffres et « _ », sans "
                   "chiffre en tête."},
        SourceCase{"Accent", "--format esphome --esphome-source jauge_cuvée", "",
                   "varnelle-bareme : --esphome-source : « jauge_cuvée » ne peut pas être l'id "
                   "d'un capteur ESPHome : des lettres sans accent, des chiffres et « _ », sans "
                   "chiffre en tête."},
        SourceCase{"YamlInjection", "--format esphome --esphome-source a:b", "",
                   "varnelle-bareme : --esphome-source : « a:b » ne peut pas être l'id d'un "
                   "capteur ESPHome : des lettres sans accent, des chiffres et « _ », sans "
                   "chiffre en tête."},
        SourceCase{"Empty", "--format esphome --esphome-source=", "",
                   "varnelle-bareme : --esphome-source : «  » ne peut pas être l'id d'un "
                   "capteur ESPHome : des lettres sans accent, des chiffres et « _ », sans "
                   "chiffre en tête."},
        SourceCase{"WithoutEsphome", "--format csv --esphome-source cuve", "",
                   "varnelle-bareme : --esphome-source : Cette option ne sert qu'avec --format "
                   "esphome."},
        SourceCase{"WithoutFormat", "--esphome-source cuve", "",
                   "varnelle-bareme : --esphome-source : Cette option ne sert qu'avec --format "
                   "esphome."},
        SourceCase{"Repeated", "--format esphome --esphome-source a --esphome-source b", "",
                   "varnelle-bareme : --esphome-source : Cette option est donnée plus d'une "
                   "fois."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle
