// Readings imported from CSV files: the hand-kept tables and Home Assistant's
// history exports, with every line that cannot give a reading refused by its
// number and never taken for another value.
#include "logbook/reading_import.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <utility>

namespace varnelle {
namespace {

const QDateTime now(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

QDateTime utc(int month, int day, int hour, int minute = 0, int second = 0, int ms = 0) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second, ms), Qt::UTC);
}

struct ImportCase {
    const char* name;
    const char* contents;
    ImportedValue value;
    ImportedUnit unit;
    double diameterMm;
    std::vector<std::pair<QDateTime, double>> readings;  // time, height in mm
    std::vector<int> refusedLines;
    const char* firstReason;  // a part of the first refused line's reason
};

constexpr auto Height = ImportedValue::Height;
constexpr auto Distance = ImportedValue::Distance;
constexpr auto Mm = ImportedUnit::Millimetres;
constexpr auto Cm = ImportedUnit::Centimetres;

const char* const homeAssistantExport =
    "entity_id,state,last_changed\n"
    "sensor.cuve_fioul,812.4,2026-11-03T08:00:00.000Z\n"
    "sensor.cuve_fioul,unavailable,2026-11-03T09:00:00.000Z\n"
    "sensor.cuve_fioul,809.9,2026-11-03T10:00:00.123456+00:00\n"
    "sensor.cuve_fioul,unknown,2026-11-03T11:00:00.000Z\n"
    "sensor.cuve_fioul,805,2026-13-03T12:00:00.000Z\n"
    "sensor.cuve_fioul,1500,2026-11-03T13:00:00.000Z\n"
    "sensor.cuve_fioul,801.5,2026-11-03T15:00:00+01:00\n";

class ImportTest : public ::testing::TestWithParam<ImportCase> {};

TEST_P(ImportTest, GivesTheReadingsAndRefusesTheRest) {
    const ImportCase& c = GetParam();
    const ImportResult result =
        importReadings(QByteArray(c.contents), ImportOptions{c.diameterMm, c.value, c.unit, now});
    ASSERT_EQ(result.readings.size(), c.readings.size());
    for (size_t i = 0; i < c.readings.size(); ++i) {
        EXPECT_EQ(result.readings[i].time, c.readings[i].first) << "reading " << i;
        EXPECT_DOUBLE_EQ(result.readings[i].heightMm, c.readings[i].second) << "reading " << i;
    }
    std::vector<int> refusedLines;
    for (const RefusedImportLine& line : result.refused) {
        refusedLines.push_back(line.number);
        EXPECT_FALSE(line.reason.isEmpty()) << "line " << line.number;
    }
    EXPECT_EQ(refusedLines, c.refusedLines);
    if (!result.refused.empty()) {
        EXPECT_TRUE(result.refused.front().reason.contains(QString::fromUtf8(c.firstReason)))
            << result.refused.front().reason.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportTest,
    ::testing::Values(
        ImportCase{"SemicolonsHeaderDecimalComma",
                   "date;hauteur\n2026-11-03T08:00Z;812,5\n2026-11-10T08:00Z;790\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 812.5}, {utc(11, 10, 8), 790}},
                   {},
                   ""},
        ImportCase{"CommasNoHeader",
                   "2026-11-03T08:00Z,812.5\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 812.5}},
                   {},
                   ""},
        ImportCase{"ByteOrderMarkAndCrlf",
                   "\xEF\xBB\xBF"
                   "date,hauteur\r\n2026-11-03T08:00Z,800\r\n2026-11-04T08:00Z,790\r\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 800}, {utc(11, 4, 8), 790}},
                   {},
                   ""},
        ImportCase{"NoFinalLineEnd",
                   "2026-11-03T08:00Z;800",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 800}},
                   {},
                   ""},
        ImportCase{"QuotedFields",
                   "\"date\";\"hauteur\"\n\"2026-11-03T08:00Z\";\"812,5\"\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 812.5}},
                   {},
                   ""},
        ImportCase{"CentimetresOfHeight",
                   "2026-11-03T08:00Z;81,2\n",
                   Height,
                   Cm,
                   1200,
                   {{utc(11, 3, 8), 812}},
                   {},
                   ""},
        ImportCase{"MillimetresOfDistance",
                   "2026-11-03T08:00Z;400\n",
                   Distance,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 800}},
                   {},
                   ""},
        ImportCase{"CentimetresOfDistance",
                   "2026-11-03T08:00Z;40\n",
                   Distance,
                   Cm,
                   1200,
                   {{utc(11, 3, 8), 800}},
                   {},
                   ""},
        ImportCase{"EmptyAndFullTank",
                   "2026-11-03T08:00Z;0\n2026-11-04T08:00Z;1200\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 0}, {utc(11, 4, 8), 1200}},
                   {},
                   ""},
        ImportCase{"HeightAboveTheTank",
                   "2026-11-03T08:00Z;1200,5\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {1},
                   "hauteur de 1200,5 mm hors de la cuve"},
        ImportCase{"CentimetresAboveTheTank",
                   "2026-11-03T08:00Z;121\n",
                   Height,
                   Cm,
                   1200,
                   {},
                   {1},
                   "hauteur de 1210 mm"},
        ImportCase{"NegativeHeight",
                   "2026-11-03T08:00Z;-5\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {1},
                   "hors de la cuve"},
        ImportCase{"DistanceBeyondTheBottom",
                   "2026-11-03T08:00Z;1300\n",
                   Distance,
                   Mm,
                   1200,
                   {},
                   {1},
                   "distance de 1300 mm"},
        ImportCase{
            "NegativeDistance", "2026-11-03T08:00Z;-1\n", Distance, Mm, 1200, {}, {1}, "distance"},
        ImportCase{"DecimalCommaBetweenCommas",
                   "2026-11-03T08:00Z,812,5\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {1},
                   "3 champs au lieu de 2"},
        ImportCase{"UnreadableDate", "hier;800\n", Height, Mm, 1200, {}, {1}, "hier"},
        ImportCase{
            "DateInTheFuture", "2027-11-03T08:00Z;800\n", Height, Mm, 1200, {}, {1}, "avenir"},
        ImportCase{"WordForHeight",
                   "2026-11-03T08:00Z;beaucoup\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {1},
                   "n'est pas un nombre"},
        ImportCase{"NumberWithTrailingText",
                   "2026-11-03T08:00Z;800mm\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {1},
                   "800mm"},
        ImportCase{
            "NotANumberRefused", "2026-11-03T08:00Z;nan\n", Height, Mm, 1200, {}, {1}, "nan"},
        ImportCase{"InfinityRefused", "2026-11-03T08:00Z;inf\n", Height, Mm, 1200, {}, {1}, "inf"},
        ImportCase{"EmptyHeight",
                   "2026-11-03T08:00Z;\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {1},
                   "n'est pas un nombre"},
        ImportCase{"OneField",
                   "date;hauteur\n2026-11-03T08:00Z\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {2},
                   "1 champ au lieu de 2"},
        ImportCase{"BlankLinesKeepTheNumbering",
                   "date;hauteur\n\n2026-11-03T08:00Z;800\n  \nhier;1\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 800}},
                   {5},
                   "hier"},
        ImportCase{"EmptyFile", "", Height, Mm, 1200, {}, {}, ""},
        ImportCase{"HeaderOnly", "date;hauteur\r\n", Height, Mm, 1200, {}, {}, ""},
        ImportCase{
            "UnknownDiameter", "2026-11-03T08:00Z;800\n", Height, Mm, 0, {}, {1}, "diamètre"},
        ImportCase{
            "HomeAssistantExport",
            homeAssistantExport,
            Height,
            Mm,
            1200,
            {{utc(11, 3, 8), 812.4}, {utc(11, 3, 10, 0, 0, 123), 809.9}, {utc(11, 3, 14), 801.5}},
            {3, 5, 6, 7},
            "unavailable"},
        ImportCase{"HomeAssistantInCentimetresOfDistance",
                   "entity_id,state,last_changed\n"
                   "sensor.cuve,40,2026-11-03T08:00:00.000Z\n",
                   Distance,
                   Cm,
                   1200,
                   {{utc(11, 3, 8), 800}},
                   {},
                   ""},
        ImportCase{"HomeAssistantColumnsInAnotherOrder",
                   "last_changed,entity_id,state\n"
                   "2026-11-03T08:00:00Z,sensor.cuve,812\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 812}},
                   {},
                   ""},
        ImportCase{"HomeAssistantWithoutHeader",
                   "sensor.cuve,812,2026-11-03T08:00:00Z\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 812}},
                   {},
                   ""},
        ImportCase{"HomeAssistantOtherSensorRefused",
                   "entity_id,state,last_changed\n"
                   "sensor.cuve,812,2026-11-03T08:00:00Z\n"
                   "sensor.salon_temperature,19.5,2026-11-03T08:00:00Z\n",
                   Height,
                   Mm,
                   1200,
                   {{utc(11, 3, 8), 812}},
                   {3},
                   "sensor.salon_temperature"},
        ImportCase{"HomeAssistantQuotedState",
                   "entity_id,state,last_changed\n"
                   "sensor.cuve,\"8,1\",2026-11-03T08:00:00Z\n",
                   Height,
                   Mm,
                   1200,
                   {},
                   {2},
                   "n'est pas un nombre"}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.name); });

TEST(ImportSourceTest, SensorsAndDipsticksAreToldApart) {
    const ImportOptions heights{1200, Height, Mm, now};
    const ImportOptions distances{1200, Distance, Mm, now};
    const QByteArray table("2026-11-03T08:00Z;400\n");
    EXPECT_EQ(importReadings(table, heights).readings.at(0).source, Reading::Source::Dipstick);
    EXPECT_EQ(importReadings(table, distances).readings.at(0).source, Reading::Source::Sensor);
    EXPECT_EQ(importReadings(homeAssistantExport, heights).readings.at(0).source,
              Reading::Source::Sensor);
    EXPECT_EQ(importReadings(homeAssistantExport, heights).format, ImportFormat::HomeAssistant);
}

TEST(ImportLongLineTest, IsRefusedAndTheNextLinesStillRead) {
    QByteArray contents("date;hauteur\n");
    contents += QByteArray(longestImportLine + 1, '9') + "\n";
    contents += "2026-11-03T08:00Z;800\n";
    const ImportResult result = importReadings(contents, ImportOptions{1200, Height, Mm, now});
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].number, 2);
    EXPECT_TRUE(result.refused[0].reason.contains("64 Kio"));
    EXPECT_EQ(result.readings.size(), 1u);
}

TEST(ImportLongLineTest, LineOfTheLongestLengthIsRead) {
    QByteArray line("2026-11-03T08:00Z;800");
    line += QByteArray(longestImportLine - line.size(), ' ');
    const ImportResult result = importReadings(line + "\r\n", ImportOptions{1200, Height, Mm, now});
    EXPECT_EQ(result.readings.size(), 1u);
}

TEST(ImportAbandonTest, StopsEarlyOnceAbandoned) {
    QByteArray contents;
    for (int line = 0; line < 5000; ++line) {
        contents += "2026-11-03T08:00Z;800\n";
    }
    const ImportOptions options{1200, Height, Mm, now};
    std::atomic<bool> abandoned(false);
    EXPECT_EQ(importReadings(contents, options, &abandoned).readings.size(), 5000u);
    abandoned = true;
    EXPECT_LT(importReadings(contents, options, &abandoned).readings.size(), 5000u);
}

TEST(ImportPreviewTest, ShowsTheFirstLinesWithTheirHeightOrReason) {
    QByteArray contents("date;hauteur\n");
    for (int day = 1; day <= 15; ++day) {
        const QByteArray height = day == 2 ? "trop" : QByteArray::number(100 + day);
        contents += QStringLiteral("2026-11-%1T08:00Z;").arg(day, 2, 10, QChar('0')).toUtf8() +
                    height + "\n";
    }
    const ImportResult result = importReadings(contents, ImportOptions{1200, Distance, Mm, now});
    EXPECT_EQ(result.readings.size(), 14u);
    ASSERT_EQ(result.preview.size(), size_t(importPreviewLines));
    EXPECT_EQ(result.preview[0].number, 2);
    EXPECT_EQ(result.preview[0].date, "2026-11-01T08:00Z");
    EXPECT_EQ(result.preview[0].value, "101");
    EXPECT_EQ(result.preview[0].heightMm, 1099);
    EXPECT_EQ(result.preview[1].value, "trop");
    EXPECT_FALSE(result.preview[1].heightMm.has_value());
    EXPECT_TRUE(result.preview[1].reason.contains("trop"));
    EXPECT_EQ(result.preview[9].number, 11);
}

class ImportFileTest : public ::testing::Test {
  protected:
    QTemporaryDir folder;
    QString write(const QString& name, qint64 size, const QByteArray& start) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(start);
        // A sparse file: its size costs nothing on the disk.
        EXPECT_TRUE(file.resize(size));
        return path;
    }
};

TEST_F(ImportFileTest, ReadsAFileOfTheLargestSize) {
    const QString path = write("releves.csv", largestImportBytes, "2026-11-03T08:00Z;800\n");
    const Outcome<QByteArray> contents = readImportFile(path);
    ASSERT_FALSE(refusalOf(contents)) << refusalOf(contents)->sentence.toStdString();
    EXPECT_EQ(std::get<QByteArray>(contents).size(), largestImportBytes);
}

TEST_F(ImportFileTest, RefusesALargerFile) {
    const QString path = write("enorme.csv", largestImportBytes + 1, "2026-11-03T08:00Z;800\n");
    const Outcome<QByteArray> contents = readImportFile(path);
    ASSERT_TRUE(refusalOf(contents));
    EXPECT_EQ(refusalOf(contents)->subject, path);
    EXPECT_TRUE(refusalOf(contents)->sentence.contains("20 Mo"));
}

TEST_F(ImportFileTest, RefusesAFolderAndAMissingFile) {
    EXPECT_TRUE(refusalOf(readImportFile(folder.path())));
    EXPECT_TRUE(refusalOf(readImportFile(folder.filePath("absent.csv"))));
}

}  // namespace
}  // namespace varnelle
