// The tank file of --cuve: only an ordinary file of at most 1 MB is read, a key
// is given once, a value is refused as its option's would be and under its key,
// and whatever the file or its name holds is shown escaped and cut.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <ostream>
#include <string>

#include "bareme/tank_file.h"
#include "bareme_run.h"

namespace varnelle {
namespace {

// What --cuve is given.
enum class Made {
    File,           // `contents` written under `fileName` in a temporary folder
    Fifo,           // a named pipe without writer, under `fileName`
    LinkToDevZero,  // a symbolic link to /dev/zero, under `fileName`
    Folder,         // the temporary folder itself
    Path,           // `fileName` as it is
};

struct TankFileCase {
    std::string name;
    Made made;
    QString fileName;
    QByteArray contents;
    // The first line of the error output; FOLDER stands for the temporary
    // folder's path.
    QString message;
};

void PrintTo(const TankFileCase& c, std::ostream* os) {
    *os << c.name;
}

const QByteArray tank = R"({"diametre": 1000, "longueur": 2000})";

// Blanks after the tank up to `size` bytes: still the same tank.
QByteArray paddedTank(qsizetype size) {
    return tank + QByteArray(size - tank.size(), ' ');
}

class TankFileTest : public ::testing::TestWithParam<TankFileCase> {
  protected:
    // The argument of --cuve, made as the row says.
    QString make(const TankFileCase& c) {
        if (c.made == Made::Path) {
            return c.fileName;
        }
        const QString path = folder_.filePath(c.fileName);
        switch (c.made) {
            case Made::File: {
                QFile file(path);
                EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
                EXPECT_EQ(file.write(c.contents), c.contents.size());
                return path;
            }
            case Made::Fifo:
                EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
                return path;
            case Made::LinkToDevZero:
                EXPECT_TRUE(QFile::link("/dev/zero", path));
                return path;
            case Made::Folder:
                return folder_.path();
            case Made::Path:
                break;
        }
        return path;
    }

    QTemporaryDir folder_;
};

TEST_P(TankFileTest, IsRefusedWithStatusTwoAndSaysWhyInFrench) {
    const TankFileCase& c = GetParam();
    // "--cuve=" gives an empty name; the paths have no blanks.
    const InProcessRun result = run("--hauteur 100 --cuve=" + make(c));
    EXPECT_EQ(result.status, exitBadArguments);
    EXPECT_EQ(result.out.toStdString(), "");
    QString expected = c.message;
    expected.replace("FOLDER", folder_.path());
    EXPECT_EQ(result.err.section('\n', 0, 0).toStdString(), expected.toStdString());
}

const QString unread =
    QStringLiteral("varnelle-bareme : --cuve : Le fichier « FOLDER/%1 » n'a pas pu être lu : %2");
const QString special = QStringLiteral(
    "ce n'est pas un fichier ordinaire (périphérique, tube ou autre fichier spécial).");
const QString hundredKilobytes(100'000, QChar('7'));

INSTANTIATE_TEST_SUITE_P(
    Files, TankFileTest,
    ::testing::Values(
        // What is read, and how much
        TankFileCase{"LargerThanOneMegabyte", Made::File, "cuve.json",
                     paddedTank(largestTankFile + 1),
                     "varnelle-bareme : --cuve : Le fichier « FOLDER/cuve.json » est trop grand "
                     "pour décrire une cuve (plus de 1 Mo)."},
        TankFileCase{
            "DevZero", Made::Path, "/dev/zero", "",
            "varnelle-bareme : --cuve : Le fichier « /dev/zero » n'a pas pu être lu : " + special},
        TankFileCase{"LinkToDevZero", Made::LinkToDevZero, "zero.json", "",
                     unread.arg("zero.json", special)},
        TankFileCase{"Folder", Made::Folder, "", "",
                     "varnelle-bareme : --cuve : Le fichier « FOLDER » n'a pas pu être lu : "
                     "c'est un dossier."},
        TankFileCase{"FifoWithoutWriter", Made::Fifo, "tube.json", "",
                     unread.arg("tube.json", special)},
        TankFileCase{"EmptyName", Made::Path, "", "",
                     "varnelle-bareme : --cuve : Veuillez donner le nom du fichier de la cuve."},
        TankFileCase{"Missing", Made::Path, "/absent/cuve.json", "",
                     "varnelle-bareme : --cuve : Le fichier « /absent/cuve.json » n'a pas pu être "
                     "lu : ce dossier ou ce fichier n'existe pas."},
        // Keys and values
        TankFileCase{"KeyGivenTwice", Made::File, "cuve.json",
                     R"({"diametre":1000,"longueur":2000,"diametre":3000})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « diametre » : Cette clé est "
                     "donnée plus d'une fois."},
        TankFileCase{"NumberTooLargeForADouble", Made::File, "cuve.json",
                     R"({"diametre": 1e309, "longueur": 2000})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « diametre » : La valeur « 1e309 » "
                     "est trop grande."},
        TankFileCase{"NegativeNumberTooLargeForADouble", Made::File, "cuve.json",
                     R"({"diametre": 1000, "longueur": -12E+999})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « longueur » : La valeur « "
                     "-12E+999 » est trop grande."},
        TankFileCase{"NumberTooSmallForADouble", Made::File, "cuve.json",
                     R"({"diametre": 1000, "longueur": 1e-999})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « longueur » : La longueur de la "
                     "partie cylindrique doit être supérieure à zéro !"},
        TankFileCase{"NumberWithoutExponentDigits", Made::File, "cuve.json",
                     R"({"diametre": 1e, "longueur": 2000})",
                     "varnelle-bareme : --cuve : Le fichier « FOLDER/cuve.json » n'est pas un "
                     "objet JSON (caractère 15)."},
        TankFileCase{"TextThatIsNoNumber", Made::File, "cuve.json",
                     R"({"diametre": "mille", "longueur": 2000})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « diametre » : Cette clé attend "
                     "un nombre, pas « mille »."},
        TankFileCase{"UnknownShape", Made::File, "cuve.json",
                     R"({"diametre": 1000, "longueur": 2000, "bords": "ovales"})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « bords » : Forme inconnue : « "
                     "ovales ». Choisissez plats, tronconiques, calotte ou quart-de-cercle."},
        TankFileCase{"HundredKilobyteShape", Made::File, "cuve.json",
                     R"({"diametre": 1000, "longueur": 2000, "bords": ")" +
                         hundredKilobytes.toUtf8() + R"("})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « bords » : Forme inconnue : « " +
                         hundredKilobytes.left(80) +
                         "… ». Choisissez plats, tronconiques, calotte ou quart-de-cercle."},
        TankFileCase{"WidthWithFlatEnds", Made::File, "cuve.json",
                     R"({"diametre": 1000, "longueur": 2000, "largeur": 100})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « largeur » : Des bords plats "
                     "n'ont pas de largeur : précisez --bords."},
        TankFileCase{"LengthLargerThanAnyTank", Made::File, "cuve.json",
                     R"({"diametre": 1000, "longueur": 1e7})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « longueur » : La valeur ne peut "
                     "pas dépasser 1000000 mm !"},
        // Echoes
        TankFileCase{"ControlCharactersInAKey", Made::File, "cuve.json",
                     "{\"dia\\u001b[31mmetre\\n\": 1000, \"longueur\": 2000}",
                     "varnelle-bareme : FOLDER/cuve.json : clé « dia\\e[31mmetre\\n » : Clé "
                     "inconnue."},
        TankFileCase{"RawControlCharactersInAKey", Made::File, "cuve.json",
                     QByteArray("{\"a\x07\x00z\": 1}", sizeof("{\"a\x07\x00z\": 1}") - 1),
                     "varnelle-bareme : FOLDER/cuve.json : clé « a\\x07\\x00z » : Clé inconnue."},
        TankFileCase{"ControlCharactersInThePath", Made::File, "cu\x1b[2Jve\n.json",
                     R"({"diametre": "mille", "longueur": 2000})",
                     "varnelle-bareme : FOLDER/cu\\e[2Jve\\n.json : clé « diametre » : Cette clé "
                     "attend un nombre, pas « mille »."},
        TankFileCase{"ControlCharactersInAMissingPath", Made::Path, "/absent/\x1b[2J\tcuve", "",
                     "varnelle-bareme : --cuve : Le fichier « /absent/\\e[2J\\tcuve » n'a pas pu "
                     "être lu : ce dossier ou ce fichier n'existe pas."},
        TankFileCase{"HundredKilobyteValue", Made::File, "cuve.json",
                     R"({"diametre": ")" + hundredKilobytes.toUtf8() + R"(", "longueur": 2000})",
                     "varnelle-bareme : FOLDER/cuve.json : clé « diametre » : La valeur « " +
                         hundredKilobytes.left(80) + "… » est trop grande."},
        TankFileCase{"LongPath", Made::Path, "/absent/" + QString(200, QChar('c')), "",
                     "varnelle-bareme : --cuve : Le fichier « /absent/" + QString(72, QChar('c')) +
                         "… » n'a pas pu être lu : ce dossier ou ce fichier n'existe pas."}),
    [](const auto& info) { return info.param.name; });

// --- Accepted files ------------------------------------------------------------------------

TEST(AcceptedTankFile, OfOneMegabyteIsReadWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath("cuve.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(paddedTank(largestTankFile));
    file.close();
    const InProcessRun result = run("--hauteur 500 --cuve " + path);
    EXPECT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(),
              run("--hauteur 500 --diametre 1000 --longueur 2000").out.toStdString());
}

TEST(AcceptedTankFile, ThroughASymbolicLinkIsRead) {
    QTemporaryDir folder;
    const QString path = folder.filePath("cuve.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tank);
    file.close();
    ASSERT_TRUE(QFile::link(path, folder.filePath("lien.json")));
    const InProcessRun result = run("--hauteur 500 --cuve " + folder.filePath("lien.json"));
    EXPECT_EQ(result.status, exitSuccess) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(),
              run("--hauteur 500 --diametre 1000 --longueur 2000").out.toStdString());
}

// --- Values of the command line, echoed as the file's are ---------------------------------

struct EchoCase {
    std::string name;
    QString line;
    QString message;  // the first line of the error output
};

void PrintTo(const EchoCase& c, std::ostream* os) {
    *os << c.name;
}

class EchoedArgumentTest : public ::testing::TestWithParam<EchoCase> {};

TEST_P(EchoedArgumentTest, IsShownCut) {
    const EchoCase& c = GetParam();
    const InProcessRun result = run(c.line);
    EXPECT_EQ(result.status, exitBadArguments);
    EXPECT_EQ(result.err.section('\n', 0, 0).toStdString(), c.message.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, EchoedArgumentTest,
    ::testing::Values(
        EchoCase{"HundredKilobyteNumber", "--longueur 2000 --diametre " + hundredKilobytes,
                 "varnelle-bareme : --diametre : La valeur « " + hundredKilobytes.left(80) +
                     "… » est trop grande."},
        EchoCase{"HundredKilobyteText", "--longueur 2000 --diametre x" + hundredKilobytes,
                 "varnelle-bareme : --diametre : Cette option attend un nombre, pas « x" +
                     hundredKilobytes.left(79) + "… »."},
        EchoCase{
            "HundredKilobyteStrayArgument",
            "--longueur 2000 --diametre 1000 \x1b" + hundredKilobytes,
            "varnelle-bareme : Argument inattendu : « \\e" + hundredKilobytes.left(79) + "… »."}),
    [](const auto& info) { return info.param.name; });

// --- The program itself: its whole error output, Qt's warnings included -------------------

struct ProgramCase {
    std::string name;
    QString path;
    QString err;
};

void PrintTo(const ProgramCase& c, std::ostream* os) {
    *os << c.name;
}

class TankFileProgramTest : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(TankFileProgramTest, SaysOnlyWhyInFrench) {
    const ProgramCase& c = GetParam();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    process.setProcessEnvironment(environment);
    process.start(VARNELLE_BAREME_PROGRAM, {"--cuve", c.path, "--hauteur", "100"});
    ASSERT_TRUE(process.waitForFinished(60'000));
    EXPECT_EQ(process.exitCode(), exitBadArguments);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()).toStdString(),
              (c.err + "\nPour l'aide : varnelle-bareme --help\n").toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TankFileProgramTest,
    ::testing::Values(
        ProgramCase{"EmptyName", "",
                    "varnelle-bareme : --cuve : Veuillez donner le nom du fichier de la cuve."},
        ProgramCase{
            "DevZero", "/dev/zero",
            "varnelle-bareme : --cuve : Le fichier « /dev/zero » n'a pas pu être lu : " + special}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace varnelle
