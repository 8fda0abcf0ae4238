#include "chart/pdf_chart.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "chart/chart_page.h"
#include "file_contents.h"
#include "start_up_tank.h"

namespace varnelle {
namespace {

struct PagesCase {
    const char* name;
    double diameter;
    double step;
    int pages;
};

class PdfPagesTest : public ::testing::TestWithParam<PagesCase> {};

TEST_P(PdfPagesTest, IsAValidPdfWithEveryLine) {
    const PagesCase& c = GetParam();
    TankDescription description;
    description.tank = startUpTank(EndShape::QuarterRoundEnds, 1);
    description.tank.diameter = c.diameter;
    const Chart chart = computeChart(description.tank, c.step);

    QTemporaryDir folder;
    const QString path = folder.filePath("bareme.pdf");
    const PdfOutcome outcome = writeChartPdf(path, description, c.step, chart);
    ASSERT_TRUE(outcome.written) << outcome.error.toStdString();

    const QByteArray pdf = contentsOf(path);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    EXPECT_EQ(pdfPageCount(pdf), c.pages);
    EXPECT_EQ(chartPageCount(chart.lines.size()), c.pages);
}

// The first page holds 44 lines under the plot, the others 106 each.
INSTANTIATE_TEST_SUITE_P(Charts, PdfPagesTest,
                         ::testing::Values(PagesCase{"FitsOnTheFirstPage", 430, 10, 1},
                                           PagesCase{"OneLineMore", 440, 10, 2},
                                           PagesCase{"Centimetres1000", 1000, 10, 2},
                                           PagesCase{"Centimetres3000", 3000, 10, 4},
                                           PagesCase{"Millimetres3000", 3000, 1, 29}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varnelle
