#include "pdf_chart.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

#include "chart/chart_page.h"
#include "chart/file_replacement.h"

namespace varnelle {
namespace {

constexpr int dotsPerInch = 600;

}  // namespace

PdfOutcome writeChartPdf(const QString& path, const TankDescription& description, double step,
                         const Chart& chart, const ChartMarks& marks) {
    PdfOutcome outcome;
    const auto failure = [&path](const QString& reason) {
        return PdfOutcome{
            false,
            QStringLiteral("Le fichier PDF « %1 » n'a pas pu être écrit : %2").arg(path, reason)};
    };
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return failure(QStringLiteral("le programme a démarré sans QGuiApplication."));
    }
    FileReplacement file(path);
    if (!file.open()) {
        return failure(file.error());
    }
    {
        QPdfWriter writer(&file.device());
        // The chart's own paper, A4 portrait, whatever a printer was given.
        writer.setPageSize(QPageSize(defaultChartPaper, QPageSize::Millimeter));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(dotsPerInch);
        writer.setTitle(QStringLiteral("Barème de jaugeage"));
        writer.setCreator(QStringLiteral("Varnelle"));
        if (!paintChartPages(writer, description, step, chart, marks)) {
            file.cancel();
            return failure(QStringLiteral("la page n'a pas pu être préparée."));
        }
    }
    if (!file.commit()) {
        return failure(file.error());
    }
    outcome.written = true;
    return outcome;
}

}  // namespace varnelle
