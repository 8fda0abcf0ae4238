// The chart as a printable A4 document: the tank's measurements and a sketch
// of it, a plot of litres against height with the strainer marked, then the
// table over as many pages as it takes.
#pragma once

#include <QString>
#include <cstddef>

#include "bareme/bareme_request.h"
#include "bareme/tank_chart.h"

namespace varnelle {

// Pages taken by a chart of `lineCount` lines.
int chartPdfPageCount(std::size_t lineCount);

struct PdfOutcome {
    bool written = false;
    QString error;  // French, when not written
};

// Writes the PDF to `path`. The file is written aside and put in place only
// once complete, so a failure leaves an existing file as it was. Needs a
// QGuiApplication (for the fonts).
PdfOutcome writeChartPdf(const QString& path, const TankDescription& description, double step,
                         const Chart& chart);

}  // namespace varnelle
