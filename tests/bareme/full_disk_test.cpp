// The files the program writes, over a full disk: status 1, the French
// reason, no word of success, and the old file as it was.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "bareme_run.h"
#include "file_contents.h"
#include "small_disk.h"

namespace varnelle {
namespace {

struct FullDiskCase {
    const char* name;
    const char* options;  // the file's path follows
    Room room;            // on the disk when the file is written
    const char* failure;  // the start of the error output
};

const QByteArray previousFile = "the previous file, which must outlive a full disk\n";

class FullDiskTest : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDiskTest, FailsSayingWhyAndLeavesTheOldFile) {
    const FullDiskCase& c = GetParam();
    SmallDisk disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << SmallDisk::notMounted;
    }
    const QString options = QString::fromUtf8(c.options);
    QTemporaryDir elsewhere;
    const QString written = elsewhere.filePath("cuve");
    ASSERT_EQ(run(options + written).status, exitSuccess);
    const long bytesLeft = SmallDisk::bytesLeft(c.room, QFile(written).size());
    ASSERT_TRUE(c.room == Room::None || bytesLeft > 0);
    const QString path = disk.filePath("cuve");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(previousFile), previousFile.size());
    }
    ASSERT_TRUE(disk.fillLeaving(bytesLeft));

    const InProcessRun result = run(options + path);
    EXPECT_EQ(result.status, exitFailure);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_EQ(result.err.toStdString(),
              std::string(c.failure) + path.toStdString() +
                  " » n'a pas pu être écrit : plus de place sur le disque.\n");
    EXPECT_EQ(contentsOf(path), previousFile);
    EXPECT_EQ(disk.files(), QStringList{"cuve"});  // nothing left aside
}

#define TANK "--diametre 1000 --longueur 2000 "

INSTANTIATE_TEST_SUITE_P(
    Files, FullDiskTest,
    ::testing::Values(FullDiskCase{"TankFileOnAFullDisk", TANK "--enregistrer-cuve ", Room::None,
                                   "varnelle-bareme : Le fichier « "},
                      FullDiskCase{"PdfOnAFullDisk", TANK "--pdf ", Room::None,
                                   "varnelle-bareme : Le fichier PDF « "},
                      FullDiskCase{"PdfWithRoomForItsStart", TANK "--pas 1 --pdf ",
                                   Room::ForItsStart, "varnelle-bareme : Le fichier PDF « "},
                      FullDiskCase{"PdfShortOfItsLastPage", TANK "--pdf ",
                                   Room::ForAllButItsLastPage,
                                   "varnelle-bareme : Le fichier PDF « "}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle
