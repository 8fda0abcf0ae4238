// The carnet on the command line: what it stores, what it refuses (status 2,
// nothing stored), and the tank it keeps.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>

#include <unistd.h>

#include "bareme_run.h"
#include "logbook/carnet_store.h"

namespace varnelle {
namespace {

// A flat-ended tank of 1 000 x 2 000 mm: 1 570,796 litres full.
const QString tankOptions = QStringLiteral("--diametre 1000 --longueur 2000 ");

class CarnetCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString path() const { return folder_.filePath("cuve.carnet"); }

    // Runs the program on the test's carnet: "--carnet PATH " + `line`.
    InProcessRun onCarnet(const QString& line) const {
        return run("--carnet " + path() + ' ' + line, QLocale(QLocale::French));
    }

    // A carnet of the flat tank with readings at 800 mm (10/11) and 700 mm (17/11).
    void makeCarnet() const {
        ASSERT_EQ(onCarnet(tankOptions + "--releve 800 --date 2026-11-10T08:00:00Z").status, 0);
        ASSERT_EQ(onCarnet("--releve 700 --date 2026-11-17T08:00:00Z").status, 0);
    }

    std::vector<StoredReading> readings() const {
        Outcome<CarnetStore> store = CarnetStore::open(path(), false);
        if (refusalOf(store)) {
            return {};
        }
        const auto stored = std::get<CarnetStore>(store).readings();
        return refusalOf(stored) ? std::vector<StoredReading>()
                                 : std::get<std::vector<StoredReading>>(stored);
    }

    std::size_t deliveryCount() const {
        Outcome<CarnetStore> store = CarnetStore::open(path(), false);
        const auto stored = std::get<CarnetStore>(store).deliveries();
        return std::get<std::vector<Delivery>>(stored).size();
    }

    QTemporaryDir folder_;
};

// --- What is stored ---------------------------------------------------------------

TEST_F(CarnetCommandTest, CreatesTheCarnetWithTheTankAndStoresTheReadingWithItsLitres) {
    const InProcessRun created =
        onCarnet(tankOptions + "--releve 500 --date 2026-11-10T08:00:00Z --format json");
    ASSERT_EQ(created.status, 0) << created.err.toStdString();
    const QJsonObject answer = QJsonDocument::fromJson(created.out.toUtf8()).object();
    EXPECT_DOUBLE_EQ(answer.value("volume_total_litres").toDouble(), 785.398);
    EXPECT_DOUBLE_EQ(answer.value("hauteur_mazout_mm").toDouble(), 500);

    const std::vector<StoredReading> stored = readings();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].reading.time, QDateTime(QDate(2026, 11, 10), QTime(8, 0), Qt::UTC));
    EXPECT_EQ(stored[0].reading.source, Reading::Source::Dipstick);
    ASSERT_TRUE(stored[0].litres);
    EXPECT_NEAR(*stored[0].litres, 785.398, 0.001);
}

TEST_F(CarnetCommandTest, AnOpenCarnetGivesItsTankToTheQuestions) {
    makeCarnet();
    // No tank options: the carnet's tank answers (half of a 1 570,796-litre tank).
    const InProcessRun added = onCarnet("--releve 500 --date 2026-11-18T08:00:00Z");
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_TRUE(added.out.contains("785,398 litres")) << added.out.toStdString();
    // The same tank given again is no change.
    EXPECT_EQ(onCarnet(tankOptions + "--releves").status, 0);
}

TEST_F(CarnetCommandTest, ASensorDistanceIsStoredAsItsHeight) {
    makeCarnet();
    ASSERT_EQ(onCarnet("--releve 400 --mesure distance --date 2026-11-18T08:00:00Z").status, 0);
    EXPECT_DOUBLE_EQ(readings().back().reading.heightMm, 600);
}

TEST_F(CarnetCommandTest, ADifferentTankReplacesTheCarnetsOnlyWhenAskedTo) {
    makeCarnet();
    const InProcessRun refused = onCarnet("--diametre 1200 --longueur 2000 --bilan");
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains("--remplacer-cuve")) << refused.err.toStdString();

    ASSERT_EQ(onCarnet("--diametre 1200 --longueur 2000 --remplacer-cuve --bilan").status, 0);
    // The carnet now holds the new tank: 1 200 mm is inside it.
    EXPECT_EQ(onCarnet("--releve 1100 --date 2026-11-18T08:00:00Z").status, 0);
}

TEST_F(CarnetCommandTest, DeletesTheReadingOfAGivenTimeAndOnlyIt) {
    makeCarnet();
    // 09:00 in Paris in winter is 08:00 UTC.
    const InProcessRun removed = onCarnet("--supprimer-releve 2026-11-17T09:00:00+01:00");
    ASSERT_EQ(removed.status, 0) << removed.err.toStdString();
    ASSERT_EQ(readings().size(), 1u);
    EXPECT_DOUBLE_EQ(readings()[0].reading.heightMm, 800);

    const InProcessRun none = onCarnet("--supprimer-releve 2026-11-17T08:00:00Z");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(readings().size(), 1u);
}

TEST_F(CarnetCommandTest, ADeliveryIsAnsweredWithItsReceiptCheck) {
    makeCarnet();
    // From 700 mm (1 174,5 litres) to 900 mm (1 489,1 litres): 314,6 litres by the chart.
    const InProcessRun conforming =
        onCarnet("--livraison 315 --avant 700 --apres 900 --prix 1,12 --date 2026-11-18T08:00:00Z");
    ASSERT_EQ(conforming.status, 0) << conforming.err.toStdString();
    EXPECT_TRUE(conforming.out.contains("conforme")) << conforming.out.toStdString();

    const InProcessRun short_ =
        onCarnet("--livraison 300 --avant 700 --apres 900 --date 2026-11-19T08:00:00Z");
    ASSERT_EQ(short_.status, 0) << short_.err.toStdString();
    EXPECT_TRUE(short_.out.contains("à vérifier")) << short_.out.toStdString();
    EXPECT_EQ(deliveryCount(), 2u);
}

TEST_F(CarnetCommandTest, ALengthIsDeducedFromTheNominalCapacity) {
    // 1 570,796 litres in a 1 000 mm flat tank: a 2 000 mm cylinder, so half full at 500 mm.
    const InProcessRun answer =
        run("--diametre 1000 --capacite-nominale 1570,796 --hauteur 500 --format json");
    ASSERT_EQ(answer.status, 0) << answer.err.toStdString();
    const QJsonObject volumes = QJsonDocument::fromJson(answer.out.toUtf8()).object();
    EXPECT_NEAR(volumes.value("volume_total_litres").toDouble(), 785.398, 0.002);

    EXPECT_EQ(run("--diametre 1000 --longueur 2000 --capacite-nominale 1570 --hauteur 1").status,
              2);
}

// --- What is refused, nothing stored ------------------------------------------------

struct RefusedCase {
    const char* name;
    const char* line;  // after "--carnet PATH"
    const char* said;  // a part of the error output
};

class CarnetRefusalTest : public CarnetCommandTest,
                          public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(CarnetRefusalTest, ExitsWithStatusTwoAndStoresNothing) {
    makeCarnet();
    const RefusedCase& c = GetParam();
    const InProcessRun result = onCarnet(QString::fromUtf8(c.line));
    EXPECT_EQ(result.status, 2) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.said))) << result.err.toStdString();
    EXPECT_EQ(readings().size(), 2u);
    EXPECT_EQ(deliveryCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Carnet, CarnetRefusalTest,
    ::testing::Values(
        RefusedCase{"UnreadableDate", "--releve 400 --date 2026-13-01", "n'est pas lisible"},
        RefusedCase{"DateWithoutDay", "--releve 400 --date 11/03/2026", "n'est pas lisible"},
        RefusedCase{"FutureDate", "--releve 400 --date 2099-01-01", "dans l'avenir"},
        RefusedCase{"HeightAboveTheTank", "--releve 1000,5", "--releve"},
        RefusedCase{"NegativeHeight", "--releve -1", "négative"},
        RefusedCase{"DeliveryAboveCapacity", "--livraison 1600", "dépasse la capacité"},
        RefusedCase{"DeliveryOverfilling", "--livraison 500 --date 2026-11-18T08:00:00Z",
                    "ne tient pas dans la cuve"},
        RefusedCase{"HeightsTheWrongWayRound", "--livraison 100 --avant 700 --apres 600",
                    "plus basse"},
        RefusedCase{"TemperatureTooHigh", "--temperature 61 --date 2026-11-10", "-60 à 60"},
        RefusedCase{"TemperatureWithoutDay", "--temperature 5", "--date"},
        RefusedCase{"DateWithoutChange", "--bilan --date 2026-11-10", "--releve"},
        RefusedCase{"PriceWithoutDelivery", "--releve 400 --prix 1", "--livraison"},
        RefusedCase{"TwoChangesAtOnce", "--releve 400 --livraison 100", "ne peut pas être"},
        RefusedCase{"OtherTankWithoutReplacing", "--diametre 900 --longueur 2000 --releve 400",
                    "--remplacer-cuve"},
        RefusedCase{"ReplacingWithoutATank", "--remplacer-cuve --releve 400", "mesures"},
        RefusedCase{"ChartWithACarnet", "--pas 5", "barème complet"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

struct UnusableCarnetCase {
    const char* name;
    const char* line;  // %1: the path
    const char* said;
};

class UnusableCarnetTest : public ::testing::TestWithParam<UnusableCarnetCase> {};

TEST_P(UnusableCarnetTest, IsRefusedWithStatusTwo) {
    QTemporaryDir folder;
    QFile notCarnet(folder.filePath("notes.txt"));
    ASSERT_TRUE(notCarnet.open(QIODevice::WriteOnly));
    notCarnet.write("ceci n'est pas un carnet\n");
    notCarnet.close();
    const UnusableCarnetCase& c = GetParam();
    const InProcessRun result = run(QString::fromUtf8(c.line).arg(folder.path()));
    EXPECT_EQ(result.status, 2);
    const QString said = QString::fromUtf8(c.said).replace("%1", folder.path());
    EXPECT_TRUE(result.err.contains(said)) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Carnet, UnusableCarnetTest,
    ::testing::Values(
        UnusableCarnetCase{"Folder", "--carnet %1 --releve 400", "%1"},
        UnusableCarnetCase{"Device", "--carnet /dev/null --releve 400", "/dev/null"},
        UnusableCarnetCase{"NotACarnet", "--carnet %1/notes.txt --bilan", "notes.txt"},
        UnusableCarnetCase{"MissingWithoutTank", "--carnet %1/neuf.carnet --releve 400",
                           "n'existe pas"},
        UnusableCarnetCase{"ChangeWithoutCarnet", "--diametre 1000 --longueur 2000 --releve 400",
                           "--carnet"}),
    [](const ::testing::TestParamInfo<UnusableCarnetCase>& info) { return info.param.name; });

TEST_F(CarnetCommandTest, AReadOnlyCarnetIsRefusedForAChangeAndReadForTheSummary) {
    makeCarnet();
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    // The superuser may write any file: for it, the file is not read-only.
    if (::geteuid() != 0) {
        const InProcessRun change = onCarnet("--releve 600 --date 2026-11-18T08:00:00Z");
        EXPECT_EQ(change.status, 2);
        EXPECT_TRUE(change.err.contains("lecture seule")) << change.err.toStdString();
    }
    EXPECT_EQ(onCarnet("--bilan").status, 0);
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readings().size(), 2u);
}

}  // namespace
}  // namespace varnelle
