#include "pdf_chart.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

#include "chart/chart_page.h"
#include "chart/chart_texts.h"
#include "files/file_replacement.h"

namespace varnelle {
namespace {

constexpr int dotsPerInch = 600;

// The refusal of `path`, which could not be written for `reason`.
Refusal unwritten(const QString& path, const QString& reason) {
    return Refusal{
        path, QStringLiteral("Le fichier PDF « %1 » n'a pas pu être écrit : %2").arg(path, reason)};
}

}  // namespace

std::optional<Refusal> writeChartPdf(const QString& path, const TankDescription& description,
                                     double step, const Chart& chart, const ChartMarks& marks) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return unwritten(path, QStringLiteral("le programme a démarré sans QGuiApplication."));
    }
    FileReplacement file(path);
    if (const std::optional<Refusal> refused = file.open()) {
        return unwritten(path, refused->sentence);
    }
    {
        QPdfWriter writer(&file.device());
        // The chart's own paper, A4 portrait, whatever a printer was given.
        writer.setPageSize(QPageSize(defaultChartPaper, QPageSize::Millimeter));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(dotsPerInch);
        writer.setTitle(QString::fromUtf8(chartWords::title));
        writer.setCreator(QStringLiteral("Varnelle"));
        if (!paintChartPages(writer, description, step, chart, marks)) {
            file.cancel();
            return unwritten(path, QStringLiteral("la page n'a pas pu être préparée."));
        }
    }
    if (const std::optional<Refusal> refused = file.commit()) {
        return unwritten(path, refused->sentence);
    }
    return std::nullopt;
}

}  // namespace varnelle
