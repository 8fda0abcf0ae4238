// What sensor scripts use: --flux and the tank file (the ESPHome sensor has its own tests).
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <string>

#include "bareme_run.h"
#include "file_contents.h"

namespace varnelle {
namespace {

#define CAP_TANK "--diametre 1000 --longueur 2000 --bords calotte --largeur 100 --crepine 100 "

// --- --flux --------------------------------------------------------------------------

TEST(Stream, EachReadingGivesTheVolumesTheFillAndTheOrderOnOneLine) {
    const InProcessRun result =
        run(CAP_TANK "--flux --remplissage 85", QLocale(QLocale::French), "640\n");
    EXPECT_EQ(result.status, exitSuccess);
    EXPECT_EQ(result.err.toStdString(), "");
    EXPECT_EQ(result.out.toStdString(),
              "{\"distance_capteur_mm\":640,\"hauteur_mazout_mm\":360,"
              "\"volume_partie_cylindrique_litres\":509.101,\"volume_flancs_litres\":21.695,"
              "\"volume_total_litres\":530.796,\"volume_sous_crepine_litres\":82.998,"
              "\"volume_disponible_litres\":447.799,\"remplissage_pourcent\":32.162,"
              "\"volume_a_commander_litres\":872.036}\n");
}

struct StreamCase {
    const char* name;
    const char* options;
    const char* input;
    const char* heights;     // hauteur_mazout_mm of each line written, comma-separated
    const char* errorLines;  // "ligne" of each error, comma-separated
};

class StreamTest : public ::testing::TestWithParam<StreamCase> {};

QStringList valuesOf(const QString& jsonLines, const char* key) {
    QStringList values;
    for (const QString& line : jsonLines.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_TRUE(object.contains(key)) << line.toStdString();
        values << QString::number(object[key].toDouble());
    }
    return values;
}

TEST_P(StreamTest, AnswersEveryReadingAndGoesOnAfterBadLines) {
    const StreamCase& c = GetParam();
    const InProcessRun result =
        run(QStringLiteral(CAP_TANK "--flux ") + c.options, QLocale::c(), c.input);
    EXPECT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(valuesOf(result.out, "hauteur_mazout_mm").join(',').toStdString(), c.heights);
    EXPECT_EQ(valuesOf(result.err, "ligne").join(',').toStdString(), c.errorLines);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, StreamTest,
    ::testing::Values(
        StreamCase{"DistancesInMillimetres", "", "0.5\n250,5\n1000\n", "999.5,749.5,0", ""},
        StreamCase{"HeightsInMetres", "--mesure hauteur --unite m", "0.36\n1\n", "360,1000", ""},
        StreamCase{"Rtl433LinesInCentimetres", "--champ depth_cm --unite cm",
                   "{\"model\":\"Oil-SonicSmart\",\"depth_cm\":64}\n"
                   "{\"model\":\"Oil-SonicSmart\",\"depth_cm\":\"12.5\"}\n",
                   "360,875", ""},
        StreamCase{"UnreadableLinesAreSkippedAndNamed", "",
                   "abc\n640\n\n12 mm\n{\"depth_cm\":3}\n600\n", "360,400", "1,4,5"},
        StreamCase{"ObjectsWithoutTheField", "--champ depth_cm",
                   "{\"temperature_C\":12}\n{\"depth_cm\":null}\n[1]\n{\n", "", "1,2,3,4"},
        StreamCase{"ReadingsOutsideTheTank", "--unite cm", "-1\n100.01\n100\n", "0", "1,2"},
        StreamCase{"NoReadingsAtAll", "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// What a radio receiver such as rtl_433 hears: this tank's sensor, a
// neighbour's, a weather station, a sensor being paired. Each line of output
// and of error is checked whole.
#define RTL_LINE(id, flags, depth)                                                       \
    "{\"time\" : \"2026-12-09 04:02:59\", \"model\" : \"Oil-SonicSmart\", \"id\" : " #id \
    ", \"flags\" : " #flags                                                              \
    ", \"maybetemp\" : 25, \"temperature_C\" : 6.667, \"binding_countdown\" : 0, "       \
    "\"depth_cm\" : " #depth "}\n"
#define OURS(depth) RTL_LINE(13060111, 128, depth)
#define PAIRING RTL_LINE(13060111, 129, 0)
#define NEIGHBOUR(depth) RTL_LINE(22334455, 128, depth)
#define WEATHER                                                                           \
    "{\"time\" : \"2026-12-09 04:03:10\", \"model\" : \"Acurite-Tower\", \"id\" : 2043, " \
    "\"channel\" : \"A\", \"battery_ok\" : 1, \"temperature_C\" : 4.2, \"humidity\" : 81}\n"
#define RTL "--champ depth_cm --unite cm "
#define OUR_SENSOR RTL "--filtre id=13060111 --filtre model=Oil-SonicSmart "

struct SensorLineCase {
    const char* name;
    const char* options;
    QByteArray input;
    const char* heights;  // hauteur_mazout_mm of each line written, comma-separated
    const char* errors;   // the error output, whole
};

class SensorLineTest : public ::testing::TestWithParam<SensorLineCase> {};

TEST_P(SensorLineTest, AnswersOnlyThisTanksReadings) {
    const SensorLineCase& c = GetParam();
    const InProcessRun result = run(QStringLiteral(CAP_TANK "--flux ") + c.options, QLocale::c(),
                                    QString::fromUtf8(c.input));
    EXPECT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(valuesOf(result.out, "hauteur_mazout_mm").join(',').toStdString(), c.heights);
    EXPECT_EQ(result.err.toStdString(), c.errors);
}

#define X19 "xxxxxxxxxxxxxxxxxxx"
#define X76 X19 X19 X19 X19
#define ERROR_LINE(number, reason) "{\"erreur\":\"" reason "\",\"ligne\":" #number "}\n"

INSTANTIATE_TEST_SUITE_P(
    Lines, SensorLineTest,
    ::testing::Values(
        SensorLineCase{"NoReadingIsNoFullTank", "", "0\n640\n", "360",
                       ERROR_LINE(1,
                                  "pas de mesure : le capteur donne une distance nulle (« 0 » "
                                  "mm).")},
        SensorLineCase{"PairingBurst", OUR_SENSOR, PAIRING PAIRING PAIRING OURS(64), "360",
                       ERROR_LINE(1,
                                  "pas de mesure : le capteur donne une distance nulle (« 0 » "
                                  "cm).") ERROR_LINE(2,
                                                     "pas de mesure : le capteur donne une "
                                                     "distance nulle (« 0 » cm).")
                           ERROR_LINE(3,
                                      "pas de mesure : le capteur donne une distance nulle "
                                      "(« 0 » cm).")},
        SensorLineCase{"BlindZone", "--zone-morte 200", "150\n250\n", "750",
                       ERROR_LINE(1,
                                  "pas de mesure : la distance « 150 » mm est dans la zone "
                                  "morte du capteur (moins de 200 mm).")},
        SensorLineCase{"SensorInARiser", "--decalage 100", "100\n640\n1100\n50\n1100.5\n",
                       "1000,460,0",
                       ERROR_LINE(4,
                                  "la distance « 50 » mm est hors de la cuve (de 100 à 1100 "
                                  "mm).") ERROR_LINE(5,
                                                     "la distance « 1100.5 » mm est hors de "
                                                     "la cuve (de 100 à 1100 mm).")},
        SensorLineCase{"FilterOnIdAndModel", OUR_SENSOR,
                       OURS(64) NEIGHBOUR(30) WEATHER OURS(63) NEIGHBOUR(31), "360,370", ""},
        SensorLineCase{"FilterValueWrittenAsANumber", RTL "--filtre id=13060111.0",
                       OURS(64) NEIGHBOUR(30), "360", ""},
        SensorLineCase{"BareLinesAreNotTheFilteredSensor", OUR_SENSOR, "0\n640\nabc\n" OURS(64),
                       "360", ""},
        SensorLineCase{"WeatherLineWithoutFilter", RTL, WEATHER OURS(64), "360",
                       ERROR_LINE(1, "la ligne n'a pas de champ numérique « depth_cm ».")},
        SensorLineCase{"FieldMissingWithAFilter", OUR_SENSOR,
                       "{\"model\":\"Oil-SonicSmart\",\"id\":13060111,\"battery_ok\":0}\n" OURS(64),
                       "360", ""},
        SensorLineCase{"RepeatedKey", RTL, "{\"depth_cm\":64,\"depth_cm\":10}\n", "",
                       ERROR_LINE(1, "la clé « depth_cm » est donnée plus d'une fois.")},
        SensorLineCase{"NumberTooLarge", "", "1e309\n{\"d\":1e309}\n", "",
                       ERROR_LINE(1, "la lecture « 1e309 » est un nombre trop grand.")
                           ERROR_LINE(2,
                                      "la ligne JSON porte un nombre trop grand ou mal "
                                      "écrit.")},
        SensorLineCase{"ReadingNamedAsWritten", "", "1000.0001\n", "",
                       ERROR_LINE(1,
                                  "la distance « 1000.0001 » mm est hors de la cuve (de 0 à "
                                  "1000 mm).")},
        SensorLineCase{"EchoedTextEscapedAndCut", "", "\x1b[2J" + QByteArray(100, 'x') + "\n", "",
                       // 80 characters, ESC counted as one
                       ERROR_LINE(1, "la lecture « \\\\e[2J" X76 "… » n'est pas un nombre.")},
        SensorLineCase{"LoneCarriageReturnsEndLines", "", "640\r600\r\n500\r\r\n400",
                       "360,400,500,600", ""},
        SensorLineCase{"LineTooLongSkipped", "", QByteArray(70'000, '7') + "\n640\n", "360",
                       ERROR_LINE(1, "la ligne dépasse 64 Kio : elle est ignorée.")}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The tank file -----------------------------------------------------------------------

class TankFileTest : public ::testing::Test {
  protected:
    QString write(const QByteArray& contents) {
        const QString path = folder_.filePath("cuve.json");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }

    QTemporaryDir folder_;
};

TEST_F(TankFileTest, ASavedTankAnswersAsItsOptions) {
    const QString path = folder_.filePath("cuve.json");
    const InProcessRun saved = run(CAP_TANK "--arc 1026 --enregistrer-cuve " + path);
    EXPECT_EQ(saved.status, exitBadArguments);  // --largeur and --arc together
    EXPECT_FALSE(QFile::exists(path));
    const QString options = "--diametre 1200,5 --longueur 2500 --bords calotte --arc 1300 ";
    ASSERT_EQ(run(options + "--enregistrer-cuve " + path).status, exitSuccess);
    EXPECT_EQ(run("--cuve " + path + " --pas 100").out.toStdString(),
              run(options + "--pas 100").out.toStdString());
}

TEST_F(TankFileTest, TheSensorsMountIsKeptWithTheTankAndUsedWhereDistancesAre) {
    const QString path = folder_.filePath("cuve.json");
    ASSERT_EQ(run(CAP_TANK "--zone-morte 200 --decalage 100 --enregistrer-cuve " + path).status,
              exitSuccess);
    const InProcessRun stream = run("--cuve " + path + " --flux", QLocale::c(), "150\n640\n");
    EXPECT_EQ(valuesOf(stream.out, "hauteur_mazout_mm").join(',').toStdString(), "460");
    EXPECT_EQ(valuesOf(stream.err, "ligne").join(',').toStdString(), "1");
    // The chart has no distance: the mount is passed over.
    EXPECT_EQ(run("--cuve " + path + " --pas 500").status, exitSuccess);
}

struct BadFileCase {
    const char* name;
    const char* contents;
    const char* message;  // after "varnelle-bareme : FILE"
};

class BadTankFileTest : public TankFileTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadTankFileTest, IsRefusedNamingTheKeyAtFault) {
    const BadFileCase& c = GetParam();
    const QString path = write(c.contents);
    const InProcessRun result = run("--cuve " + path + " --hauteur 100");
    EXPECT_EQ(result.status, exitBadArguments);
    EXPECT_EQ(result.err.section('\n', 0, 0).toStdString(),
              ("varnelle-bareme : " + path + c.message).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadTankFileTest,
    ::testing::Values(
        BadFileCase{"UnknownKey", R"({"diametre": 1000, "longeur": 2000})",
                    " : clé « longeur » : Clé inconnue."},
        BadFileCase{"NotANumber", R"({"diametre": [1000], "longueur": 2000})",
                    " : clé « diametre » : Cette clé attend un nombre."},
        BadFileCase{"ShapeNotAString", R"({"diametre": 1000, "longueur": 2000, "bords": 2})",
                    " : clé « bords » : La forme des bords s'écrit entre guillemets."},
        BadFileCase{"MeasureRefused", R"({"diametre": 1000, "longueur": 0.5})",
                    " : clé « longueur » : La valeur doit être d'au moins 1 mm !"},
        BadFileCase{"MeasureMissing", R"({"diametre": 1000})",
                    " : clé « longueur » : Veuillez rentrer une valeur de la longueur de la "
                    "partie cylindrique"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TankFileTest, AFileThatIsNoTankIsRefused) {
    const QString path = write("diametre = 1000");
    EXPECT_EQ(run("--cuve " + path).err.section('\n', 0, 0).toStdString(),
              ("varnelle-bareme : --cuve : Le fichier « " + path +
               " » n'est pas un objet JSON (caractère 1).")
                  .toStdString());
    EXPECT_EQ(run("--cuve " + path + " --diametre 1000").status, exitBadArguments);
    EXPECT_EQ(
        run("--cuve " + folder_.filePath("absent.json")).err.section('\n', 0, 0).toStdString(),
        ("varnelle-bareme : --cuve : Le fichier « " + folder_.filePath("absent.json") +
         " » n'a pas pu être lu : ce dossier ou ce fichier n'existe pas.")
            .toStdString());
}

}  // namespace
}  // namespace varnelle
