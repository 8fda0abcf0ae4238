// The file named by --pdf: written only once the chart is computed, left as
// it was when anything fails, never anything but a regular file replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "bareme/bareme_program.h"
#include "file_contents.h"

namespace varnelle {
namespace {

struct PdfRun {
    int status;
    QString err;
};

PdfRun run(const QStringList& options) {
    QString out;
    PdfRun result;
    QTextStream outStream(&out);
    QTextStream errStream(&result.err);
    result.status =
        runBareme(QStringList{"varnelle-bareme"} + options, outStream, errStream, QLocale::c());
    errStream.flush();
    return result;
}

QStringList chartInto(const QString& path) {
    return {"--diametre", "1000", "--longueur", "2000", "--pdf", path};
}

int modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 07777)
                                                                     : -1;
}

class PdfFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        path_ = folder_.filePath("cuve.pdf");
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the previous chart");
    }

    QTemporaryDir folder_;
    QString path_;
};

TEST_F(PdfFileTest, RefusedArgumentsLeaveTheFileAsItWas) {
    EXPECT_EQ(
        run({"--diametre", "1000", "--longueur", "2000", "--pas", "0", "--pdf", path_}).status,
        exitBadArguments);
    EXPECT_EQ(run({"--diametre", "1000", "--longueur", "2000x", "--pdf", path_}).status,
              exitBadArguments);
    EXPECT_EQ(contentsOf(path_), "the previous chart");
}

TEST_F(PdfFileTest, AComputedChartReplacesTheFileAndKeepsItsMode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path_).constData(), 0640), 0);
    EXPECT_EQ(run(chartInto(path_)).status, exitSuccess);
    EXPECT_TRUE(contentsOf(path_).startsWith("%PDF-"));
    EXPECT_EQ(modeOf(path_), 0640);
}

TEST_F(PdfFileTest, AReadOnlyFileIsLeftAsItWas) {
    ASSERT_EQ(::chmod(QFile::encodeName(path_).constData(), 0444), 0);
    const PdfRun result = run(chartInto(path_));
    EXPECT_EQ(result.status, exitFailure);
    EXPECT_TRUE(result.err.contains("le fichier existant est en lecture seule."))
        << qPrintable(result.err);
    EXPECT_EQ(contentsOf(path_), "the previous chart");
    EXPECT_EQ(modeOf(path_), 0444);
}

// A FIFO stands for every special file: /dev/null itself is not put at risk here.
TEST_F(PdfFileTest, ASpecialFileIsLeftInPlace) {
    const QString fifo = folder_.filePath("tube");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const PdfRun result = run(chartInto(fifo));
    EXPECT_EQ(result.status, exitFailure);
    EXPECT_TRUE(result.err.contains("ce n'est pas un fichier ordinaire")) << qPrintable(result.err);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST_F(PdfFileTest, AnUnwritablePlaceIsAFailureToldInFrench) {
    const QString missingFolder = folder_.filePath("absent/cuve.pdf");
    const PdfRun missing = run(chartInto(missingFolder));
    EXPECT_EQ(missing.status, exitFailure);
    EXPECT_TRUE(missing.err.contains("ce dossier ou ce fichier n'existe pas."))
        << qPrintable(missing.err);
    EXPECT_FALSE(QFile::exists(missingFolder));
    const PdfRun folder = run(chartInto(folder_.path()));
    EXPECT_EQ(folder.status, exitFailure);
    EXPECT_TRUE(folder.err.contains("c'est un dossier.")) << qPrintable(folder.err);
}

}  // namespace
}  // namespace varnelle
