// The file named by --pdf: written only once the chart is computed, left as
// it was when anything fails.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "bareme/bareme_program.h"
#include "file_contents.h"

namespace varnelle {
namespace {

int run(const QStringList& options) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    return runBareme(QStringList{"varnelle-bareme"} + options, outStream, errStream, QLocale::c());
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
    EXPECT_EQ(run({"--diametre", "1000", "--longueur", "2000", "--pas", "0", "--pdf", path_}),
              exitBadArguments);
    EXPECT_EQ(run({"--diametre", "1000", "--longueur", "2000x", "--pdf", path_}), exitBadArguments);
    EXPECT_EQ(contentsOf(path_), "the previous chart");
}

TEST_F(PdfFileTest, AComputedChartReplacesTheFile) {
    EXPECT_EQ(run({"--diametre", "1000", "--longueur", "2000", "--pdf", path_}), exitSuccess);
    EXPECT_TRUE(contentsOf(path_).startsWith("%PDF-"));
}

TEST_F(PdfFileTest, AnUnwritablePlaceIsAFailureThatWritesNothing) {
    const QString missingFolder = folder_.filePath("absent/cuve.pdf");
    EXPECT_EQ(run({"--diametre", "1000", "--longueur", "2000", "--pdf", missingFolder}),
              exitFailure);
    EXPECT_FALSE(QFile::exists(missingFolder));
    // A folder in the way of the file.
    EXPECT_EQ(run({"--diametre", "1000", "--longueur", "2000", "--pdf", folder_.path()}),
              exitFailure);
}

}  // namespace
}  // namespace varnelle
