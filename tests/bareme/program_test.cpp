#include "bareme/bareme_program.h"
#include "bareme_run.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>

namespace varnelle {
namespace {

const QString tank = QStringLiteral("--diametre 1000 --longueur 2000 ");
const QString capTank = tank + QStringLiteral("--bords calotte --largeur 100 --crepine 100 ");

// --- Refusals ----------------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    const char* line;
    const char* message;  // the whole first line written to the error output
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

// In French, as the refusals' numbers follow the locale.
TEST_P(RefusalTest, ExitsWithStatusTwoAndSaysWhy) {
    const RefusalCase& c = GetParam();
    const InProcessRun result = run(QString::fromUtf8(c.line), QLocale(QLocale::French));
    EXPECT_EQ(result.status, exitBadArguments);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_EQ(result.err.section('\n', 0, 0).toStdString(), c.message);
    EXPECT_TRUE(result.err.contains("--help"));
}

#define D1000 "--diametre 1000 --longueur 2000 "
#define CAP D1000 "--bords calotte "

// The numbers of a refusal are written as the answers are: with a period
// outside French.
TEST(Refusals, WriteTheirNumbersAsTheLocaleDoes) {
    const InProcessRun result = run(CAP "--largeur 100 --volume 1650,392", QLocale::c());
    EXPECT_EQ(result.err.section('\n', 0, 0).toStdString(),
              "varnelle-bareme : --volume : Le volume demandé dépasse la capacité de la cuve, "
              "soit : 1650.391 litres !");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, RefusalTest,
    ::testing::Values(
        // Numbers
        RefusalCase{"TrailingLetters", "--diametre 12x --longueur 2000",
                    "varnelle-bareme : --diametre : Cette option attend un nombre, pas « 12x »."},
        RefusalCase{"EmptyValue", "--diametre= --longueur 2000",
                    "varnelle-bareme : --diametre : Cette option attend un nombre, pas «  »."},
        RefusalCase{"NotANumber", D1000 "--hauteur nan",
                    "varnelle-bareme : --hauteur : Cette option attend un nombre, pas « nan »."},
        RefusalCase{"Infinity", D1000 "--volume inf",
                    "varnelle-bareme : --volume : Cette option attend un nombre, pas « inf »."},
        RefusalCase{"TooLargeForADouble", "--diametre 1e999 --longueur 2000",
                    "varnelle-bareme : --diametre : La valeur « 1e999 » est trop grande."},
        RefusalCase{"LongerThanAnyTank", "--diametre 1e7 --longueur 2000",
                    "varnelle-bareme : --diametre : La valeur ne peut pas dépasser 1000000 mm !"},
        RefusalCase{"ValueMissing", "--diametre --longueur 2000",
                    "varnelle-bareme : --diametre : Cette option attend un nombre, pas « "
                    "--longueur »."},
        RefusalCase{"ValueMissingAtTheEnd", D1000 "--hauteur",
                    "varnelle-bareme : Il manque une valeur après « --hauteur »."},
        // The command line itself
        RefusalCase{"UnknownOption", D1000 "--couleur rouge",
                    "varnelle-bareme : Option inconnue : « --couleur »."},
        RefusalCase{"StrayArgument", D1000 "1200",
                    "varnelle-bareme : Argument inattendu : « 1200 »."},
        RefusalCase{"RepeatedOption", D1000 "--longueur 2500",
                    "varnelle-bareme : --longueur : Cette option est donnée plus d'une fois."},
        RefusalCase{"TwoQuestions", D1000 "--hauteur 300 --volume 500",
                    "varnelle-bareme : --hauteur : Cette option ne peut pas être donnée avec "
                    "--volume."},
        RefusalCase{"StepWithAQuestion", D1000 "--hauteur 300 --pas 5",
                    "varnelle-bareme : --pas : Cette option ne sert qu'au barème complet."},
        RefusalCase{"PdfWithAQuestion", D1000 "--hauteur 300 --pdf cuve.pdf",
                    "varnelle-bareme : --pdf : Cette option ne sert qu'au barème complet."},
        RefusalCase{"FillWithoutOrder", D1000 "--remplissage 80",
                    "varnelle-bareme : --remplissage : Cette option ne sert qu'avec --commander, "
                    "--flux ou le bilan du carnet."},
        RefusalCase{"FormatWithPdf", D1000 "--format csv --pdf cuve.pdf",
                    "varnelle-bareme : --format : Cette option ne peut pas être donnée avec "
                    "--pdf."},
        RefusalCase{"UnknownFormat", D1000 "--format xml",
                    "varnelle-bareme : --format : Présentation inconnue : « xml ». Choisissez "
                    "texte, csv, json ou esphome."},
        // The cylinder
        RefusalCase{"NoDiameter", "--longueur 2000",
                    "varnelle-bareme : --diametre : Veuillez rentrer une valeur du diamètre de "
                    "la cuve"},
        RefusalCase{"ZeroDiameter", "--diametre 0 --longueur 2000",
                    "varnelle-bareme : --diametre : Veuillez rentrer une valeur du diamètre de "
                    "la cuve"},
        RefusalCase{"NegativeDiameter", "--diametre -1000 --longueur 2000",
                    "varnelle-bareme : --diametre : Le diamètre de la cuve ne peut pas être "
                    "négatif !"},
        RefusalCase{"ZeroPerimeter", "--perimetre 0 --longueur 2000",
                    "varnelle-bareme : --perimetre : Veuillez rentrer une valeur du périmètre de "
                    "la cuve"},
        RefusalCase{"DiameterAndPerimeter", D1000 "--perimetre 3142",
                    "varnelle-bareme : --perimetre : Donnez le diamètre ou le périmètre de la "
                    "cuve, pas les deux."},
        RefusalCase{"NoLength", "--diametre 1000",
                    "varnelle-bareme : --longueur : Veuillez rentrer une valeur de la longueur "
                    "de la partie cylindrique"},
        RefusalCase{"ZeroLength", "--diametre 1000 --longueur 0",
                    "varnelle-bareme : --longueur : La longueur de la partie cylindrique doit "
                    "être supérieure à zéro !"},
        // The ends
        RefusalCase{"UnknownShape", D1000 "--bords ovales",
                    "varnelle-bareme : --bords : Forme inconnue : « ovales ». Choisissez plats, "
                    "tronconiques, calotte ou quart-de-cercle."},
        RefusalCase{"WidthOfFlatEnds", D1000 "--largeur 100",
                    "varnelle-bareme : --largeur : Des bords plats n'ont pas de largeur : "
                    "précisez --bords."},
        RefusalCase{"CapWithoutWidth", CAP "",
                    "varnelle-bareme : --largeur : Veuillez rentrer une valeur de la largeur de "
                    "la calotte (--largeur) ou de la longueur de son arc (--arc)"},
        RefusalCase{"CapWidthZero", CAP "--largeur 0",
                    "varnelle-bareme : --largeur : Dans cette configuration, la largeur de la "
                    "calotte sphérique ne peut pas être nulle !"},
        RefusalCase{"CapWidthAboveRadius", CAP "--largeur 501",
                    "varnelle-bareme : --largeur : La largeur de la calotte ne peut pas être "
                    "supérieure au rayon de la cuve !"},
        RefusalCase{"CapWidthNegative", CAP "--largeur -100",
                    "varnelle-bareme : --largeur : La largeur de la calotte ne peut pas être "
                    "négative !"},
        RefusalCase{"ArcBelowDiameter", CAP "--arc 999",
                    "varnelle-bareme : --arc : Dans cette configuration, le périmètre de la "
                    "calotte sphérique ne peut pas être inférieur au diamètre de la cuve soit : "
                    "1000 !"},
        RefusalCase{"ArcAboveHalfCircle", CAP "--arc 1571",
                    "varnelle-bareme : --arc : Dans cette configuration, le périmètre de la "
                    "calotte sphérique ne peut pas être supérieur au demi périmètre de la cuve "
                    "cylindrique soit : 1570,796 !"},
        RefusalCase{"ArcAndWidth", CAP "--arc 1026 --largeur 100",
                    "varnelle-bareme : --arc : Donnez la largeur de la calotte ou la longueur de "
                    "son arc, pas les deux."},
        RefusalCase{"ArcOfAnotherShape", D1000 "--bords quart-de-cercle --largeur 100 --arc 1026",
                    "varnelle-bareme : --arc : Cette option ne sert qu'avec des bords en calotte "
                    "(--bords calotte)."},
        RefusalCase{"QuarterRoundWidthZero", D1000 "--bords quart-de-cercle --largeur 0",
                    "varnelle-bareme : --largeur : Dans cette configuration, la largeur ne peut "
                    "pas être nulle !"},
        RefusalCase{"QuarterRoundWidthAboveRadius", D1000 "--bords quart-de-cercle --largeur 600",
                    "varnelle-bareme : --largeur : La largeur ne peut pas être supérieure au "
                    "rayon de la cuve !"},
        RefusalCase{"ConeWithoutEndCircle", D1000 "--bords tronconiques --largeur 100",
                    "varnelle-bareme : --diametre-extremite : Veuillez rentrer une valeur du "
                    "diamètre du cercle de l'extrémité"},
        RefusalCase{"ConeWidthZero",
                    D1000 "--bords tronconiques --largeur 0 --diametre-extremite 800",
                    "varnelle-bareme : --largeur : Dans cette configuration, la largeur ne peut "
                    "pas être nulle !"},
        RefusalCase{"ConeWideningOutwards",
                    D1000 "--bords tronconiques --largeur 100 --diametre-extremite 1200",
                    "varnelle-bareme : --diametre-extremite : Le diamètre du cercle de "
                    "l'extrémité ne peut pas être supérieur au diamètre de la cuve !"},
        RefusalCase{"EndCircleOfAnotherShape", D1000 "--diametre-extremite 800",
                    "varnelle-bareme : --diametre-extremite : Cette option ne sert qu'avec des "
                    "bords tronconiques (--bords tronconiques)."},
        // Strainer, precision, step
        RefusalCase{"StrainerAboveDiameter", D1000 "--crepine 1001",
                    "varnelle-bareme : --crepine : La hauteur de la crépine doit être inférieure "
                    "au diamètre de la cuve !"},
        RefusalCase{"NegativeStrainer", D1000 "--crepine -1",
                    "varnelle-bareme : --crepine : La hauteur de la crépine ne peut pas être "
                    "négative !"},
        RefusalCase{"NoSlices", D1000 "--precision 0",
                    "varnelle-bareme : --precision : La précision doit être comprise entre 0,001 "
                    "et 1000 (milliers d'intervalles par extrémité)."},
        RefusalCase{"TooManySlices", D1000 "--precision 5000",
                    "varnelle-bareme : --precision : La précision doit être comprise entre 0,001 "
                    "et 1000 (milliers d'intervalles par extrémité)."},
        RefusalCase{"FractionalStep", D1000 "--pas 2,5",
                    "varnelle-bareme : --pas : Le pas doit être un nombre entier de millimètres, "
                    "au moins 1."},
        RefusalCase{"ZeroStep", D1000 "--pas 0",
                    "varnelle-bareme : --pas : Le pas doit être un nombre entier de millimètres, "
                    "au moins 1."},
        RefusalCase{"TooManyLines", "--diametre 200000 --longueur 2000 --pas 1",
                    "varnelle-bareme : --pas : Le barème aurait plus de 100000 lignes : "
                    "choisissez un pas plus grand."},
        RefusalCase{"EmptyPdfName", D1000 "--pdf=",
                    "varnelle-bareme : --pdf : Veuillez donner le nom du fichier PDF."},
        // Measures too small for a tank, and charts too long to compute
        RefusalCase{"CapWidthTooSmallForFiniteVolumes", CAP "--largeur 1e-310",
                    "varnelle-bareme : --largeur : La valeur doit être d'au moins 1 mm !"},
        RefusalCase{"DiameterTooSmallForFiniteVolumes", "--diametre 1e-300 --longueur 2000",
                    "varnelle-bareme : --diametre : La valeur doit être d'au moins 1 mm !"},
        RefusalCase{"DiameterBelowAMillimetre", "--diametre 1e-320 --longueur 2000",
                    "varnelle-bareme : --diametre : La valeur doit être d'au moins 1 mm !"},
        RefusalCase{"LengthBelowAMillimetre", "--diametre 1000 --longueur 0.0001",
                    "varnelle-bareme : --longueur : La valeur doit être d'au moins 1 mm !"},
        RefusalCase{"ConeWidthBelowAMillimetre",
                    D1000 "--bords tronconiques --largeur 0.5 --diametre-extremite 800",
                    "varnelle-bareme : --largeur : La valeur doit être d'au moins 1 mm !"},
        RefusalCase{"TooMuchWork", "--diametre 99999 --longueur 2000 --pas 1 --precision 1000",
                    "varnelle-bareme : --pas : Le barème demanderait trop de calcul : choisissez "
                    "une précision d'au plus 10 ou un pas d'au moins 101 mm."},
        RefusalCase{"TooMuchWorkAtTheDefaultStep",
                    "--diametre 20000 --longueur 2000 --precision 1000",
                    "varnelle-bareme : --precision : Le barème demanderait trop de calcul : "
                    "choisissez une précision d'au plus 499,75 ou un pas d'au moins 21 mm."},
        RefusalCase{"ControlCharactersShownEscaped", "--diametre \x1b[31m12\a --longueur 2000",
                    "varnelle-bareme : --diametre : Cette option attend un nombre, pas « "
                    "\\e[31m12\\x07 »."},
        // Questions
        RefusalCase{"HeightAboveDiameter", D1000 "--hauteur 1000,5",
                    "varnelle-bareme : --hauteur : La hauteur de mazout doit être inférieure au "
                    "diamètre de la cuve !"},
        RefusalCase{"NegativeHeight", D1000 "--hauteur=-5",
                    "varnelle-bareme : --hauteur : La hauteur de mazout ne peut pas être "
                    "négative !"},
        RefusalCase{"OrderAboveDiameter", D1000 "--commander 1200",
                    "varnelle-bareme : --commander : La hauteur de mazout doit être inférieure "
                    "au diamètre de la cuve !"},
        RefusalCase{"FillAboveHundred", D1000 "--commander 300 --remplissage 101",
                    "varnelle-bareme : --remplissage : Le remplissage doit être compris entre 0 "
                    "et 100 % de la capacité (0 exclu)."},
        RefusalCase{"FillZero", D1000 "--commander 300 --remplissage 0",
                    "varnelle-bareme : --remplissage : Le remplissage doit être compris entre 0 "
                    "et 100 % de la capacité (0 exclu)."},
        RefusalCase{"DistanceAboveDiameter", D1000 "--distance 1001",
                    "varnelle-bareme : --distance : La distance de 1001 mm est hors de la cuve "
                    "(de 0 à 1000 mm)."},
        RefusalCase{"DistanceInTheBlindZone", D1000 "--distance 100 --zone-morte 200",
                    "varnelle-bareme : --distance : Pas de mesure : la distance de 100 mm est "
                    "dans la zone morte du capteur (moins de 200 mm)."},
        RefusalCase{"DistanceShorterThanTheOffset", D1000 "--distance 100 --decalage 150",
                    "varnelle-bareme : --distance : La distance de 100 mm est hors de la cuve "
                    "(de 150 à 1150 mm)."},
        RefusalCase{"NegativeBlindZone", D1000 "--distance 100 --zone-morte -1",
                    "varnelle-bareme : --zone-morte : La zone morte ne peut pas être négative !"},
        RefusalCase{"MountWithoutDistances", D1000 "--hauteur 100 --decalage 150",
                    "varnelle-bareme : --decalage : Cette option ne sert qu'avec une distance : "
                    "--distance, --flux (--mesure distance), --releve avec --mesure distance, ou "
                    "--format esphome."},
        RefusalCase{"MountWithStreamedHeights", D1000 "--flux --mesure hauteur --zone-morte 50",
                    "varnelle-bareme : --zone-morte : Cette option ne sert qu'avec une distance : "
                    "--distance, --flux (--mesure distance), --releve avec --mesure distance, ou "
                    "--format esphome."},
        RefusalCase{"FilterWithoutEquals", D1000 "--flux --champ depth_cm --filtre id",
                    "varnelle-bareme : --filtre : « id » n'est pas une condition CLE=VALEUR "
                    "(id=13060111, par exemple)."},
        RefusalCase{"FilterWithoutField", D1000 "--flux --filtre id=1",
                    "varnelle-bareme : --filtre : Cette option choisit des lignes JSON : donnez "
                    "aussi --champ, le champ qui porte la mesure."},
        RefusalCase{"FilterWithoutStream", D1000 "--hauteur 100 --filtre id=1",
                    "varnelle-bareme : --filtre : Cette option ne sert qu'avec --flux."},
        RefusalCase{"NegativeDistance", D1000 "--distance -1",
                    "varnelle-bareme : --distance : La distance ne peut pas être négative !"},
        RefusalCase{"NegativeVolume", D1000 "--volume -0,5",
                    "varnelle-bareme : --volume : Le volume ne peut pas être négatif !"},
        RefusalCase{"VolumeAboveCapacity", CAP "--largeur 100 --volume 1650,392",
                    "varnelle-bareme : --volume : Le volume demandé dépasse la capacité de la "
                    "cuve, soit : 1650,391 litres !"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Answers ---------------------------------------------------------------------------

TEST(Answers, HeightGivesTheFiveVolumesOfTheWindow) {
    const InProcessRun result = run(capTank + "--hauteur 300");
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(),
              "Hauteur du mazout                   : 300 mm\n"
              "Volume dans la partie cylindrique   : 396.337 litres\n"
              "Volume dans les 2 flancs            : 14.976 litres\n"
              "Volume total du mazout dans la cuve : 411.312 litres\n"
              "Volume total sous la crépine        : 82.998 litres\n"
              "Volume total disponible             : 328.315 litres\n");
}

// Unlike the chart, a single reading keeps the window's negative difference:
// it tells the script that the oil is below the strainer.
TEST(Answers, DistanceGivesOneJsonObjectOnOneLine) {
    const InProcessRun result =
        run(tank +
                "--bords tronconiques --largeur 100 --diametre-extremite 800 "
                "--crepine 300 --distance 900 --format json",
            QLocale(QLocale::French));
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(result.out.count('\n'), 1);
    const QJsonObject object = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(object["distance_capteur_mm"].toDouble(), 900);
    EXPECT_EQ(object["hauteur_mazout_mm"].toDouble(), 100);
    EXPECT_EQ(object["volume_partie_cylindrique_litres"].toDouble(), 81.751);
    EXPECT_EQ(object["volume_flancs_litres"].toDouble(), 3.2);
    EXPECT_EQ(object["volume_total_litres"].toDouble(), 84.95);
    EXPECT_EQ(object["volume_sous_crepine_litres"].toDouble(), 425.446);
    EXPECT_EQ(object["volume_disponible_litres"].toDouble(), -340.495);
}

TEST(Answers, VolumeGivesTheHeightToTheMillimetre) {
    const InProcessRun result =
        run(capTank + "--volume 411,312 --format csv", QLocale(QLocale::French));
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(),
              "Volume demandé (litres);Hauteur du mazout (mm);Volume à cette hauteur (litres);"
              "Capacité (cuve pleine) (litres)\n"
              "411,312;300;411,312;1650,391\n");
}

TEST(Answers, TheCapacityAsShownIsAnAcceptedVolume) {
    const InProcessRun result = run(capTank + "--volume 1650.391 --format json");
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(result.out.toUtf8())["hauteur_mazout_mm"].toDouble(), 1000);
}

TEST(Answers, OrderFillsToTheLimit) {
    const InProcessRun result = run(capTank + "--commander 300 --format json");
    ASSERT_EQ(result.status, exitSuccess) << result.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(object["volume_actuel_litres"].toDouble(), 411.312);
    EXPECT_EQ(object["remplissage_maximal_pourcent"].toDouble(), 90);
    EXPECT_EQ(object["volume_remplissage_maximal_litres"].toDouble(), 1485.352);
    EXPECT_EQ(object["volume_a_commander_litres"].toDouble(), 1074.04);
}

TEST(Answers, NothingToOrderIsSaid) {
    const InProcessRun result = run(capTank + "--commander 990 --remplissage 95");
    ASSERT_EQ(result.status, exitSuccess);
    EXPECT_TRUE(result.out.contains("Volume à commander            : 0.000 litres\n"));
    EXPECT_TRUE(result.out.contains("rien à commander"));
}

TEST(Answers, VersionIsShown) {
    const InProcessRun result = run("--version");
    EXPECT_EQ(result.status, exitSuccess);
    EXPECT_TRUE(result.out.startsWith("varnelle-bareme 1."));
}

// --- The program itself ------------------------------------------------------------------

struct ProcessRun {
    int status;
    QString out;
    QString err;
};

ProcessRun runProgram(const QStringList& arguments, const QString& locale = "C",
                      const QString& program = VARNELLE_BAREME_PROGRAM) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", locale);
    // The program must find its own way without a display.
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60'000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

const QStringList smallTank = {"--diametre", "1000",      "--longueur", "2000",  "--bords",
                               "calotte",    "--largeur", "100",        "--pas", "500"};

// Through the shell, for what only a process shows: the platform, the output.
struct ShellCase {
    const char* name;
    const char* environment;  // before the program
    const char* arguments;    // after it, redirections included
    int status;
    const char* err;  // the start of the error output
};

class ShellTest : public ::testing::TestWithParam<ShellCase> {};

TEST_P(ShellTest, EndsWithItsStatusAndSaysWhy) {
    const ShellCase& c = GetParam();
    QTemporaryDir folder;
    const QString line =
        QStringLiteral("cd '%1' && env -u DISPLAY -u WAYLAND_DISPLAY %2 '%3' %4")
            .arg(folder.path(), c.environment, VARNELLE_BAREME_PROGRAM, c.arguments);
    const ProcessRun result = runProgram({"-c", line}, "C", "/bin/sh");
    EXPECT_EQ(result.status, c.status) << result.err.toStdString();
    const QString expected = QString::fromUtf8(c.err);
    EXPECT_TRUE(expected.isEmpty() ? result.err.isEmpty() : result.err.startsWith(expected))
        << result.err.toStdString();
}

#define SMALL_TANK "--diametre 1000 --longueur 2000 --pas 500 "

INSTANTIATE_TEST_SUITE_P(
    Lines, ShellTest,
    ::testing::Values(
        ShellCase{"PdfWithAnUnreachableDisplay", "QT_QPA_PLATFORM=xcb",
                  SMALL_TANK "--pdf cuve.pdf >/dev/null", 0, ""},
        ShellCase{"PdfWithAnyPlatformNamed", "QT_QPA_PLATFORM=wayland",
                  SMALL_TANK "--pdf cuve.pdf >/dev/null", 0, ""},
        ShellCase{"RefusalBeforeThePlatform", "QT_QPA_PLATFORM=xcb",
                  "--diametre 1000 --longueur 0 --pdf cuve.pdf", 2,
                  "varnelle-bareme : --longueur : La longueur de la partie cylindrique"},
        ShellCase{"FullOutput", "", SMALL_TANK ">/dev/full", 1,
                  "varnelle-bareme : la réponse n'a pas pu être écrite sur la sortie standard."},
        ShellCase{"ClosedOutput", "", SMALL_TANK ">&-", 1,
                  "varnelle-bareme : la réponse n'a pas pu être écrite sur la sortie standard."}),
    [](const auto& info) { return std::string(info.param.name); });

// --flux's output: a reader that leaves ends the stream normally; any other
// failure to write the answers ends it with status 1, said.
struct StreamOutputCase {
    const char* name;
    const char* output;  // after the program
    int status;
    const char* err;
};

class StreamOutputTest : public ::testing::TestWithParam<StreamOutputCase> {};

TEST_P(StreamOutputTest, EndsWithItsStatusAndSaysWhy) {
    const StreamOutputCase& c = GetParam();
    const QString line =
        QStringLiteral(
            "yes 500 | head -n 100000 | '%1' --diametre 1000 --longueur 2000 --flux %2; "
            "exit ${PIPESTATUS[2]}")
            .arg(VARNELLE_BAREME_PROGRAM, c.output);
    const ProcessRun result = runProgram({"-c", line}, "C", "/bin/bash");
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err.toStdString(), c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, StreamOutputTest,
    ::testing::Values(
        StreamOutputCase{"ReaderLeaves", "| head -n 1 >/dev/null", 0, ""},
        StreamOutputCase{"FullOutput", ">/dev/full", 1,
                         "varnelle-bareme : la réponse n'a pas pu être écrite sur la sortie "
                         "standard.\n"},
        StreamOutputCase{"InputAFolder", "< / >/dev/null", 1,
                         "varnelle-bareme : l'entrée standard n'a pas pu être lue : c'est un "
                         "dossier.\n"},
        StreamOutputCase{"ClosedOutput", ">&-", 1,
                         "varnelle-bareme : la réponse n'a pas pu être écrite sur la sortie "
                         "standard.\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Program, HelpIsInFrench) {
    const ProcessRun result = runProgram({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.startsWith("Utilisation : ")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("Options :"));
}

TEST(Program, RefusalExitsWithStatusTwo) {
    const ProcessRun result = runProgram({"--diametre", "12x", "--longueur", "2000"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.startsWith(
        "varnelle-bareme : --diametre : Cette option attend un nombre, pas « 12x »."));
}

TEST(Program, CsvFollowsTheLocale) {
    const ProcessRun french = runProgram(smallTank + QStringList{"--format", "csv"}, "fr_FR.UTF-8");
    EXPECT_EQ(french.status, 0);
    EXPECT_TRUE(french.out.contains("\n500;50,0;825,196;825,196\n")) << french.out.toStdString();
    const ProcessRun c = runProgram(smallTank + QStringList{"--format", "csv"}, "C");
    EXPECT_TRUE(c.out.contains("\n500,50.0,825.196,825.196\n")) << c.out.toStdString();
}

TEST(Program, WritesAPdfWithoutADisplayAndWithoutNoise) {
    QTemporaryDir folder;
    const QString path = folder.filePath("cuve.pdf");
    const ProcessRun result = runProgram(smallTank + QStringList{"--pdf", path});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(),
              "Barème écrit dans « " + path.toStdString() + " » (1 page).\n");
    EXPECT_TRUE(QFile::exists(path));
}

}  // namespace
}  // namespace varnelle
