// Files written over a full disk: the old file stays as it was, and the
// failure is told in French, never reported as success.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "chart/chart_numbers.h"
#include "chart/pdf_chart.h"
#include "chart/report_writer.h"
#include "file_contents.h"
#include "files/file_replacement.h"
#include "small_disk.h"
#include "start_up_tank.h"

namespace varnelle {
namespace {

enum class Writer { WholeFile, Pdf };

struct FullDiskCase {
    const char* name;
    Writer writer;
    double step;  // of the chart written: the smaller, the longer the file
    Room room;    // on the disk when the file is written
};

const QByteArray previousFile = "the previous file, which must outlive a full disk\n";

// Writes the chart at `path` as the window's CSV or as the PDF; the refusal
// when it was not written.
std::optional<Refusal> writeChart(Writer writer, const QString& path, double step) {
    TankDescription description;
    description.tank = startUpTank(EndShape::FlatEnds);
    const Chart chart = computeChart(description.tank, step);
    if (writer == Writer::WholeFile) {
        return writeWholeFile(path, chartCsv(chart, conventionsFor(QLocale::c())).toUtf8());
    }
    return writeChartPdf(path, description, step, chart);
}

qint64 sizeWrittenElsewhere(Writer writer, double step) {
    QTemporaryDir folder;
    const QString path = folder.filePath("bareme");
    return writeChart(writer, path, step) ? -1 : QFile(path).size();
}

class FullDiskTest : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDiskTest, LeavesTheOldFileAndSaysWhy) {
    const FullDiskCase& c = GetParam();
    SmallDisk disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << SmallDisk::notMounted;
    }
    const qint64 size = sizeWrittenElsewhere(c.writer, c.step);
    ASSERT_GT(size, 0);
    const long bytesLeft = SmallDisk::bytesLeft(c.room, size);
    ASSERT_TRUE(c.room == Room::None || bytesLeft > 0) << size << " bytes";
    const QString path = disk.filePath("bareme");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(previousFile), previousFile.size());
    }
    ASSERT_TRUE(disk.fillLeaving(bytesLeft));

    const std::optional<Refusal> refused = writeChart(c.writer, path, c.step);
    if (c.room == Room::ForAll) {
        EXPECT_FALSE(refused) << refused->sentence.toStdString();
        EXPECT_EQ(QFile(path).size(), size);
    } else {
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->subject, path);
        EXPECT_TRUE(refused->sentence.endsWith(QStringLiteral("plus de place sur le disque.")))
            << refused->sentence.toStdString();
        EXPECT_EQ(contentsOf(path), previousFile);
    }
    EXPECT_EQ(disk.files(), QStringList{"bareme"});  // nothing left aside
}

INSTANTIATE_TEST_SUITE_P(
    Files, FullDiskTest,
    ::testing::Values(
        FullDiskCase{"CsvOnAFullDisk", Writer::WholeFile, 100, Room::None},
        // Longer than Qt's buffer: its start reaches the disk before the failure.
        FullDiskCase{"LongCsvWithRoomForItsStart", Writer::WholeFile, 1, Room::ForItsStart},
        FullDiskCase{"LongCsvShortOfItsLastPage", Writer::WholeFile, 1, Room::ForAllButItsLastPage},
        FullDiskCase{"CsvShortOfItsLastPage", Writer::WholeFile, 2, Room::ForAllButItsLastPage},
        FullDiskCase{"CsvThatFits", Writer::WholeFile, 1, Room::ForAll},
        FullDiskCase{"PdfOnAFullDisk", Writer::Pdf, 100, Room::None},
        FullDiskCase{"PdfWithRoomForItsStart", Writer::Pdf, 100, Room::ForItsStart},
        FullDiskCase{"PdfShortOfItsLastPage", Writer::Pdf, 100, Room::ForAllButItsLastPage},
        FullDiskCase{"PdfThatFits", Writer::Pdf, 100, Room::ForAll}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle
