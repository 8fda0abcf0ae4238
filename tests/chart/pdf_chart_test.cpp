#include "chart/pdf_chart.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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
    const std::optional<Refusal> refused = writeChartPdf(path, description, c.step, chart);
    ASSERT_FALSE(refused) << refused->sentence.toStdString();

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

// --- Printed on other paper ---------------------------------------------------

struct PaperCase {
    const char* name;
    QPageSize::PageSizeId size;
    QPageLayout::Orientation orientation;
    int pages;  // of the millimetre chart of a tank 3000 mm across
};

// Landscape paper has fewer lines to a block but three blocks side by side,
// and its plot takes the first page; small paper gets the A4 page drawn
// smaller.
const PaperCase paperCases[] = {
    {"A4Portrait", QPageSize::A4, QPageLayout::Portrait, 29},
    {"A4Landscape", QPageSize::A4, QPageLayout::Landscape, 31},
    {"LetterPortrait", QPageSize::Letter, QPageLayout::Portrait, 32},
    {"LetterLandscape", QPageSize::Letter, QPageLayout::Landscape, 30},
    {"A5Portrait", QPageSize::A5, QPageLayout::Portrait, 29},
};

class PaperTest : public ::testing::TestWithParam<PaperCase> {
  protected:
    static TankDescription wideTank() {
        TankDescription description;
        description.tank = startUpTank(EndShape::FlatEnds, 1);
        description.tank.diameter = 3000;
        return description;
    }

    // The paper in its orientation, width by height.
    QSizeF turnedPaper() const {
        const QSizeF portrait = QPageSize(GetParam().size).size(QPageSize::Millimeter);
        return GetParam().orientation == QPageLayout::Portrait ? portrait : portrait.transposed();
    }
};

// What paintChartPages writes on a PDF of that paper: the pages that the
// lines need there, as chartPageCount says for the dialog.
TEST_P(PaperTest, PagesFollowThePaper) {
    const PaperCase& c = GetParam();
    const TankDescription description = wideTank();
    const Chart chart = computeChart(description.tank, 1);
    QTemporaryDir folder;
    const QString path = folder.filePath("bareme.pdf");
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(c.size));
        writer.setPageOrientation(c.orientation);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        EXPECT_EQ(chartPaper(writer.pageLayout()), turnedPaper());
        ASSERT_TRUE(paintChartPages(writer, description, 1, chart));
    }
    EXPECT_EQ(pdfPageCount(contentsOf(path)), c.pages);
    EXPECT_EQ(chartPageCount(chart.lines.size(), turnedPaper()), c.pages);
}

// Each page drawn on a white picture of the paper with a white border round
// it: nothing may be drawn on the border, which the paper would cut off; and
// the table uses the paper's width, to its right margin.
TEST_P(PaperTest, EverythingIsOnThePaperAndUsesItsWidth) {
    const TankDescription description = wideTank();
    const Chart chart = computeChart(description.tank, 1);
    const QSizeF sheet = turnedPaper();
    const int pages = chartPageCount(chart.lines.size(), sheet);
    constexpr double dotsPerMm = 3;
    constexpr int border = 60;  // dots
    for (const int number : {1, 2, pages}) {
        QImage picture(static_cast<int>(sheet.width() * dotsPerMm) + 2 * border,
                       static_cast<int>(sheet.height() * dotsPerMm) + 2 * border,
                       QImage::Format_RGB32);
        picture.setDotsPerMeterX(static_cast<int>(dotsPerMm * 1000));
        picture.setDotsPerMeterY(static_cast<int>(dotsPerMm * 1000));
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            painter.translate(border, border);
            paintChartPage(painter, description, 1, chart, number, sheet);
        }
        const QRect onPaper(border, border, static_cast<int>(sheet.width() * dotsPerMm),
                            static_cast<int>(sheet.height() * dotsPerMm));
        int inkOffPaper = 0;
        int rightmostInk = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) != qRgb(255, 255, 255)) {
                    inkOffPaper += onPaper.contains(x, y) ? 0 : 1;
                    rightmostInk = std::max(rightmostInk, x);
                }
            }
        }
        SCOPED_TRACE(number);
        EXPECT_EQ(inkOffPaper, 0);
        if (number == 2) {
            const double marginRight = (onPaper.right() - rightmostInk) / dotsPerMm;
            EXPECT_LT(marginRight, 20);
            EXPECT_GT(marginRight, 5);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Papers, PaperTest, ::testing::ValuesIn(paperCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartPages, OnlyThePagesChosenArePrinted) {
    TankDescription description;
    description.tank = startUpTank(EndShape::FlatEnds, 1);
    const Chart chart = computeChart(description.tank, 1);
    QTemporaryDir folder;
    const QString path = folder.filePath("bareme.pdf");
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageOrientation(QPageLayout::Landscape);
        QPageRanges chosen;
        chosen.addRange(2, 3);
        writer.setPageRanges(chosen);
        ASSERT_TRUE(paintChartPages(writer, description, 1, chart));
    }
    EXPECT_EQ(pdfPageCount(contentsOf(path)), 2);
}

}  // namespace
}  // namespace varnelle
