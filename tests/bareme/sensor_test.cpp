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
        StreamCase{"DistancesInMillimetres", "", "0\n250,5\n1000\n", "1000,749.5,0", ""},
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
