#include "pdf_chart.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "bareme/measure_text.h"
#include "bareme/report_writer.h"

namespace varnelle {
namespace {

// Everything is placed in millimetres on an A4 page, from its top-left corner.
constexpr int dotsPerInch = 600;
constexpr double pageWidth = 210;
constexpr double pageHeight = 297;
constexpr double margin = 15;
constexpr double contentWidth = pageWidth - 2 * margin;
constexpr double contentBottom = pageHeight - margin - 5;  // the footer sits below
constexpr double footerBaseline = pageHeight - 9;

// First page: the heading and the sketch, the plot, then the table.
constexpr double sketchWidth = 52;
constexpr double sketchHeight = 28;
constexpr double sketchTop = margin + 10;
constexpr double summaryTop = margin + 17;
constexpr double keyFiguresTop = margin + 45;
constexpr double plotTop = 74;
constexpr double plotHeight = 76;
constexpr double firstTableTop = 164;
// Later pages: a one-line heading, then the table.
constexpr double laterTableTop = margin + 9;

// The table runs in two blocks side by side, each read top to bottom.
constexpr int blocksPerPage = 2;
constexpr double blockGap = 10;
constexpr double blockWidth = (contentWidth - blockGap) / blocksPerPage;
constexpr double columnWidths[] = {17, 17, 26, 25};  // adds up to blockWidth
constexpr double headerHeight = 9;
constexpr double rowHeight = 4.6;

constexpr double bodyPoints = 9.5;
constexpr double smallPoints = 8;
constexpr char decimal = ',';  // the document is in French

const QColor inkColour(0x20, 0x20, 0x20);
const QColor gridColour(0xcc, 0xcc, 0xcc);
const QColor stripeColour(0xee, 0xee, 0xee);
const QColor totalColour(0x1f, 0x4e, 0x9c);
const QColor availableColour(0xd9, 0x6c, 0x00);
const QColor strainerColour(0xc0, 0x1c, 0x28);

int rowsBetween(double top) {
    return static_cast<int>(std::floor((contentBottom - top - headerHeight) / rowHeight));
}

std::size_t linesOnFirstPage() {
    return static_cast<std::size_t>(blocksPerPage) *
           static_cast<std::size_t>(rowsBetween(firstTableTop));
}

std::size_t linesOnLaterPage() {
    return static_cast<std::size_t>(blocksPerPage) *
           static_cast<std::size_t>(rowsBetween(laterTableTop));
}

// "Nice" spacing of graduations: 1, 2 or 5 times a power of ten.
double graduationStep(double range, int wanted) {
    const double raw = range / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) {
            return factor * power;
        }
    }
    return 10 * power;
}

// "45000" -> "45 000" (no-break spaces), for the graduations of large tanks.
QString groupedThousands(QString number) {
    const qsizetype end =
        number.indexOf(QChar(decimal)) >= 0 ? number.indexOf(QChar(decimal)) : number.size();
    const qsizetype firstDigit = number.startsWith('-') ? 1 : 0;
    for (qsizetype at = end - 3; at > firstDigit; at -= 3) {
        number.insert(at, QChar(0x00A0));
    }
    return number;
}

class PageComposer {
  public:
    PageComposer(QPdfWriter& writer, QPainter& painter) : writer_(writer), painter_(painter) {}

    static double dots(double millimetres) { return millimetres * dotsPerInch / 25.4; }
    static QPointF at(double x, double y) { return {dots(x), dots(y)}; }
    static QRectF box(double x, double y, double w, double h) {
        return {dots(x), dots(y), dots(w), dots(h)};
    }

    void setFont(double points, bool bold = false) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(points);
        font.setBold(bold);
        painter_.setFont(font);
    }

    void setPen(const QColor& colour, double widthMm, Qt::PenStyle style = Qt::SolidLine) {
        QPen pen(colour, dots(widthMm), style);
        pen.setCapStyle(Qt::FlatCap);
        painter_.setPen(pen);
    }

    void text(const QRectF& area, int flags, const QString& text) {
        painter_.drawText(area, flags, text);
    }

    void newPage() { writer_.newPage(); }

    QPainter& painter() { return painter_; }

  private:
    QPdfWriter& writer_;
    QPainter& painter_;
};

// --- First page heading -----------------------------------------------------

void drawHeading(PageComposer& page, const TankDescription& description, double step,
                 const Chart& chart) {
    page.setPen(inkColour, 0.2);
    page.setFont(18, true);
    page.text(PageComposer::box(margin, margin, contentWidth, 9), Qt::AlignLeft | Qt::AlignTop,
              QStringLiteral("Barème de jaugeage"));

    const double textWidth = contentWidth - sketchWidth - 6;
    page.setFont(11);
    QString shape = endShapeName(description.tank.endShape);
    shape[0] = shape[0].toUpper();
    page.text(PageComposer::box(margin, margin + 10, textWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              shape);

    page.setFont(bodyPoints);
    const QString summary = tankSummaryLines(description, step, decimal).join('\n');
    page.text(PageComposer::box(margin, summaryTop, textWidth, keyFiguresTop - summaryTop),
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, summary);

    page.setFont(10.5, true);
    page.text(PageComposer::box(margin, keyFiguresTop, contentWidth, 6),
              Qt::AlignLeft | Qt::AlignTop,
              "Capacité (cuve pleine) : " + litresText(chart.capacity, decimal) +
                  " litres      Volume sous la crépine : " +
                  litresText(chart.belowStrainerLitres, decimal) + " litres");
}

// Side view of the tank, to scale, with the strainer level.
void drawSketch(PageComposer& page, const TankParameters& tank) {
    const double endWidth = tank.endShape == EndShape::FlatEnds ? 0.0 : tank.endWidth;
    const double overall = tank.cylinderLength + 2 * endWidth;
    const double scale = std::min(sketchWidth / overall, sketchHeight / tank.diameter);
    const double left = margin + contentWidth - sketchWidth + (sketchWidth - overall * scale) / 2;
    const double axis = sketchTop + sketchHeight / 2;
    const double R = tank.diameter / 2;

    // The outline, clockwise from the outer face of the left end.
    constexpr int pointsPerEnd = 60;
    QPolygonF upper;
    for (int k = pointsPerEnd; k >= 0; --k) {
        const double t = static_cast<double>(k) / pointsPerEnd;
        const double radius = endWidth > 0 ? sliceRadius(tank, t * tank.intervals) : R;
        upper << QPointF(endWidth * (1 - t), radius);
    }
    for (int k = 0; k <= pointsPerEnd; ++k) {
        const double t = static_cast<double>(k) / pointsPerEnd;
        const double radius = endWidth > 0 ? sliceRadius(tank, t * tank.intervals) : R;
        upper << QPointF(endWidth + tank.cylinderLength + endWidth * t, radius);
    }
    QPolygonF outline;
    for (const QPointF& p : upper) {
        outline << PageComposer::at(left + p.x() * scale, axis - p.y() * scale);
    }
    for (auto p = upper.crbegin(); p != upper.crend(); ++p) {
        outline << PageComposer::at(left + p->x() * scale, axis + p->y() * scale);
    }
    page.setPen(inkColour, 0.35);
    page.painter().setBrush(Qt::NoBrush);
    page.painter().drawPolygon(outline);

    // The strainer is marked across the cylindrical part, where its height
    // is measured.
    const double strainerY = axis + R * scale - tank.strainerHeight * scale;
    page.setPen(strainerColour, 0.3, Qt::DashDotLine);
    page.painter().drawLine(
        PageComposer::at(left + endWidth * scale, strainerY),
        PageComposer::at(left + (endWidth + tank.cylinderLength) * scale, strainerY));

    page.setFont(smallPoints);
    page.setPen(QColor(0x66, 0x66, 0x66), 0.2);
    page.text(PageComposer::box(margin + contentWidth - sketchWidth, sketchTop + sketchHeight + 1,
                                sketchWidth, 4),
              Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Vue de côté, à l'échelle"));
}

// --- Plot -------------------------------------------------------------------

struct PlotFrame {
    double left, top, width, height;  // mm
    double maxHeight, maxLitres;

    double x(double heightMm) const { return left + width * heightMm / maxHeight; }
    double y(double litres) const { return top + height - height * litres / maxLitres; }
};

void drawGraduations(PageComposer& page, const PlotFrame& frame) {
    page.setFont(smallPoints);
    const double heightStep = graduationStep(frame.maxHeight, 10);
    for (double h = 0; h <= frame.maxHeight + 1e-9; h += heightStep) {
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(PageComposer::at(frame.x(h), frame.top),
                                PageComposer::at(frame.x(h), frame.top + frame.height));
        page.setPen(inkColour, 0.2);
        page.text(PageComposer::box(frame.x(h) - 10, frame.top + frame.height + 1, 20, 4),
                  Qt::AlignHCenter | Qt::AlignTop, measureText(h, decimal));
    }
    const double litreStep = graduationStep(frame.maxLitres, 8);
    for (double v = 0; v <= frame.maxLitres + 1e-9; v += litreStep) {
        page.setPen(gridColour, 0.15);
        page.painter().drawLine(PageComposer::at(frame.left, frame.y(v)),
                                PageComposer::at(frame.left + frame.width, frame.y(v)));
        page.setPen(inkColour, 0.2);
        page.text(PageComposer::box(frame.left - 21, frame.y(v) - 2, 20, 4),
                  Qt::AlignRight | Qt::AlignVCenter, groupedThousands(measureText(v, decimal)));
    }
    page.setFont(bodyPoints);
    page.text(PageComposer::box(frame.left, frame.top + frame.height + 5.5, frame.width, 5),
              Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Hauteur du mazout (mm)"));
    page.text(PageComposer::box(frame.left - 21, frame.top - 7, 60, 5),
              Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Litres"));
}

void drawCurve(PageComposer& page, const PlotFrame& frame, const Chart& chart, bool available,
               const QColor& colour, Qt::PenStyle style) {
    QPolygonF curve;
    for (const ChartLine& line : chart.lines) {
        const double litres = available ? line.availableLitres : line.totalLitres;
        curve << PageComposer::at(frame.x(line.height), frame.y(litres));
    }
    page.setPen(colour, 0.5, style);
    page.painter().drawPolyline(curve);
}

void drawLegend(PageComposer& page, const PlotFrame& frame, double strainerHeight) {
    const struct {
        QColor colour;
        Qt::PenStyle style;
        QString label;
    } entries[] = {
        {totalColour, Qt::SolidLine, QStringLiteral("Volume total")},
        {availableColour, Qt::DashLine,
         QStringLiteral("Volume disponible au-dessus de la crépine")},
        {strainerColour, Qt::DashDotLine,
         "Crépine (" + measureText(strainerHeight, decimal) + " mm)"},
    };
    page.setFont(smallPoints);
    // On white, so that the strainer line does not run through the words.
    page.painter().fillRect(PageComposer::box(frame.left + 1.5, frame.top + 0.8, 72, 13.5),
                            Qt::white);
    double y = frame.top + 3;
    for (const auto& entry : entries) {
        page.setPen(entry.colour, 0.5, entry.style);
        page.painter().drawLine(PageComposer::at(frame.left + 3, y),
                                PageComposer::at(frame.left + 11, y));
        page.setPen(inkColour, 0.2);
        page.text(PageComposer::box(frame.left + 13, y - 2, 90, 4),
                  Qt::AlignLeft | Qt::AlignVCenter, entry.label);
        y += 4.5;
    }
}

void drawPlot(PageComposer& page, const TankParameters& tank, const Chart& chart) {
    constexpr double axisRoom = 22;  // left of the frame, for the litre graduations
    PlotFrame frame{margin + axisRoom, plotTop,       contentWidth - axisRoom,
                    plotHeight,        tank.diameter, 0};
    const double litreStep = graduationStep(std::max(chart.capacity, 1e-9), 8);
    frame.maxLitres = std::max(litreStep, std::ceil(chart.capacity / litreStep) * litreStep);

    drawGraduations(page, frame);
    page.painter().setBrush(Qt::NoBrush);
    page.setPen(inkColour, 0.3);
    page.painter().drawRect(PageComposer::box(frame.left, frame.top, frame.width, frame.height));

    page.setPen(strainerColour, 0.4, Qt::DashDotLine);
    page.painter().drawLine(
        PageComposer::at(frame.x(tank.strainerHeight), frame.top),
        PageComposer::at(frame.x(tank.strainerHeight), frame.top + frame.height));
    drawCurve(page, frame, chart, true, availableColour, Qt::DashLine);
    drawCurve(page, frame, chart, false, totalColour, Qt::SolidLine);
    drawLegend(page, frame, tank.strainerHeight);
}

// --- Table ------------------------------------------------------------------

void drawTableHeader(PageComposer& page, double left, double top) {
    const QStringList tops = {"Hauteur", "Hauteur", "Volume total", "Disponible"};
    const QStringList bottoms = {"(mm)", "(cm)", "(litres)", "(litres)"};
    page.setFont(bodyPoints, true);
    page.setPen(inkColour, 0.2);
    double x = left;
    for (int c = 0; c < 4; ++c) {
        page.text(PageComposer::box(x, top, columnWidths[c] - 1.5, headerHeight / 2),
                  Qt::AlignRight | Qt::AlignBottom, tops[c]);
        page.text(
            PageComposer::box(x, top + headerHeight / 2, columnWidths[c] - 1.5, headerHeight / 2),
            Qt::AlignRight | Qt::AlignTop, bottoms[c]);
        x += columnWidths[c];
    }
    page.setPen(inkColour, 0.3);
    page.painter().drawLine(PageComposer::at(left, top + headerHeight),
                            PageComposer::at(left + blockWidth, top + headerHeight));
}

void drawTableRow(PageComposer& page, double left, double top, int row, const ChartLine& line) {
    if (row % 2 == 1) {
        page.painter().fillRect(PageComposer::box(left, top, blockWidth, rowHeight), stripeColour);
    }
    const QString cells[] = {
        measureText(line.height, decimal), heightCentimetresText(line.height, decimal),
        litresText(line.totalLitres, decimal), litresText(line.availableLitres, decimal)};
    double x = left;
    for (int c = 0; c < 4; ++c) {
        page.text(PageComposer::box(x, top, columnWidths[c] - 1.5, rowHeight),
                  Qt::AlignRight | Qt::AlignVCenter, cells[c]);
        x += columnWidths[c];
    }
}

// Draws lines [first, first + count) of the chart from `top` down; returns
// the index after the last line drawn.
std::size_t drawTable(PageComposer& page, const Chart& chart, std::size_t first, double top) {
    const int rows = rowsBetween(top);
    std::size_t index = first;
    for (int block = 0; block < blocksPerPage && index < chart.lines.size(); ++block) {
        const double left = margin + block * (blockWidth + blockGap);
        drawTableHeader(page, left, top);
        page.setFont(bodyPoints);
        page.setPen(inkColour, 0.2);
        for (int row = 0; row < rows && index < chart.lines.size(); ++row, ++index) {
            drawTableRow(page, left, top + headerHeight + row * rowHeight, row, chart.lines[index]);
        }
    }
    return index;
}

void drawFooter(PageComposer& page, int number, int count) {
    page.setFont(smallPoints);
    page.setPen(QColor(0x66, 0x66, 0x66), 0.2);
    page.text(PageComposer::box(margin, footerBaseline - 4, contentWidth, 5),
              Qt::AlignHCenter | Qt::AlignBottom,
              QStringLiteral("varnelle-bareme — page %1 sur %2").arg(number).arg(count));
}

void drawLaterHeading(PageComposer& page, const TankParameters& tank) {
    page.setFont(bodyPoints);
    page.setPen(QColor(0x44, 0x44, 0x44), 0.2);
    page.text(PageComposer::box(margin, margin, contentWidth, 6), Qt::AlignLeft | Qt::AlignTop,
              "Barème de jaugeage (suite) : diamètre " + measureText(tank.diameter, decimal) +
                  " mm, longueur " + measureText(tank.cylinderLength, decimal) + " mm, " +
                  endShapeName(tank.endShape).remove(QStringLiteral("cuve cylindrique à ")));
}

void composeDocument(PageComposer& page, const TankDescription& description, double step,
                     const Chart& chart) {
    const int pageCount = chartPdfPageCount(chart.lines.size());
    drawHeading(page, description, step, chart);
    drawSketch(page, description.tank);
    drawPlot(page, description.tank, chart);
    std::size_t next = drawTable(page, chart, 0, firstTableTop);
    drawFooter(page, 1, pageCount);
    for (int number = 2; number <= pageCount; ++number) {
        page.newPage();
        drawLaterHeading(page, description.tank);
        next = drawTable(page, chart, next, laterTableTop);
        drawFooter(page, number, pageCount);
    }
}

}  // namespace

int chartPdfPageCount(std::size_t lineCount) {
    const std::size_t first = linesOnFirstPage();
    if (lineCount <= first) {
        return 1;
    }
    const std::size_t later = linesOnLaterPage();
    return 1 + static_cast<int>((lineCount - first + later - 1) / later);
}

PdfOutcome writeChartPdf(const QString& path, const TankDescription& description, double step,
                         const Chart& chart) {
    PdfOutcome outcome;
    const auto failure = [&path](const QString& reason) {
        return PdfOutcome{
            false,
            QStringLiteral("Le fichier PDF « %1 » n'a pas pu être écrit : %2").arg(path, reason)};
    };
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return failure(QStringLiteral("le programme a démarré sans QGuiApplication."));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failure(file.errorString());
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(dotsPerInch);
        writer.setTitle(QStringLiteral("Barème de jaugeage"));
        writer.setCreator(QStringLiteral("varnelle-bareme"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return failure(QStringLiteral("la page n'a pas pu être préparée."));
        }
        painter.setRenderHint(QPainter::Antialiasing);
        PageComposer page(writer, painter);
        composeDocument(page, description, step, chart);
        painter.end();
    }
    if (!file.commit()) {
        return failure(file.errorString());
    }
    outcome.written = true;
    return outcome;
}

}  // namespace varnelle
