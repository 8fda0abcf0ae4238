// The chart window's chart on paper, in a PDF and in a CSV file. Files are
// written aside and put in place only once complete.
#include <QLocale>
#include <QMessageBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

#include "chart/chart_texts.h"
#include "chart/pdf_chart.h"
#include "chart/report_writer.h"
#include "chart_table_model.h"
#include "chart_window.h"
#include "files/file_replacement.h"
#include "message_box.h"
#include "widgets/save_path.h"

namespace varnelle {
namespace {

// Before the print dialog: the chart's own paper, A4 portrait, which the user
// may change there; the chart is laid out for whatever paper the dialog leaves.
void prepareForChart(QPrinter& printer) {
    printer.setPageSize(QPageSize(defaultChartPaper, QPageSize::Millimeter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(QString::fromUtf8(chartWords::title));
}

// The most pages the chart takes on the printer's paper turned either way:
// the page range offered before the user picks the paper in the dialog.
int mostChartPages(const QPrinter& printer, std::size_t lineCount) {
    QPageLayout turned = printer.pageLayout();
    turned.setOrientation(turned.orientation() == QPageLayout::Portrait ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
    return std::max(chartPageCount(lineCount, chartPaper(printer.pageLayout())),
                    chartPageCount(lineCount, chartPaper(turned)));
}

}  // namespace

bool ChartWindow::printChart(QPrinter& printer) {
    if (!hasChart()) {
        return false;
    }
    // Drawn from the paper's corner, margins included, on the paper chosen.
    printer.setFullPage(true);
    return paintChartPages(printer, description_, step_, chartModel->chart(), marksOnPaper());
}

std::optional<Refusal> ChartWindow::saveCsv(const QString& path) {
    // Written as the chart program writes its files: never over a device, a
    // pipe or a read-only file, and a replaced file keeps its mode.
    const std::optional<Refusal> refused =
        writeWholeFile(path, chartCsv(chartModel->chart(), conventionsFor(QLocale())).toUtf8());
    if (!refused) {
        return std::nullopt;
    }
    return Refusal{path, QStringLiteral("Le fichier CSV « %1 » n'a pas pu être écrit : %2")
                             .arg(path, refused->sentence)};
}

void ChartWindow::onPrintButtonClick() {
    QPrinter printer(QPrinter::HighResolution);
    prepareForChart(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimer le barème"));
    dialog.setMinMax(1, mostChartPages(printer, chartModel->chart().lines.size()));
    if (dialog.exec() == QDialog::Accepted && !printChart(printer)) {
        showMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("Le barème n'a pas pu être imprimé."));
    }
}

void ChartWindow::onPreviewButtonClick() {
    QPrinter printer(QPrinter::HighResolution);
    prepareForChart(printer);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Aperçu du barème"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* previewed) { printChart(*previewed); });
    preview.exec();
}

void ChartWindow::onPdfButtonClick() {
    const QString path = askSavePath(
        this, QStringLiteral("Enregistrer le barème en PDF"), QStringLiteral("bareme.pdf"),
        QStringLiteral("Documents PDF (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) {
        return;  // cancelled: nothing written, nothing to say
    }
    if (const std::optional<Refusal> refused =
            writeChartPdf(path, description_, step_, chartModel->chart(), marksOnPaper())) {
        showMessageBox(this, QMessageBox::Warning, refused->sentence);
    }
}

void ChartWindow::onCsvButtonClick() {
    const QString path = askSavePath(this, QStringLiteral("Enregistrer le barème en CSV"),
                                     QStringLiteral("bareme.csv"),
                                     QStringLiteral("Tableaux CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) {
        return;  // cancelled: nothing written, nothing to say
    }
    if (const std::optional<Refusal> failure = saveCsv(path)) {
        showMessageBox(this, QMessageBox::Warning, failure->sentence);
    }
}

}  // namespace varnelle
