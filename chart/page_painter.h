// Drawing in millimetres from the top-left corner of a page, on any painter:
// what the chart page and its plot share. Internal to the chart library.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "chart/chart_numbers.h"
#include "chart/chart_page.h"
#include "chart/tank_chart.h"

namespace varnelle {

inline constexpr double bodyPoints = 9.5;
inline constexpr double smallPoints = 8;

inline const QColor inkColour(0x20, 0x20, 0x20);
inline const QColor greyInkColour(0x66, 0x66, 0x66);
inline const QColor gridColour(0xcc, 0xcc, 0xcc);
inline const QColor stripeColour(0xee, 0xee, 0xee);
inline const QColor totalColour(0x1f, 0x4e, 0x9c);
inline const QColor availableColour(0xd9, 0x6c, 0x00);
inline const QColor strainerColour(0xc0, 0x1c, 0x28);
inline const QColor fillLimitColour(0x2e, 0x7d, 0x32);
inline const QColor oilLevelColour(0x6a, 0x1b, 0x9a);

class PagePainter {
  public:
    // Millimetres become device units at the device's own resolution, so that
    // a PDF, a printer and a screen show the page at its true size.
    // Numbers are written by `numbers`.
    PagePainter(QPainter& painter, OutputConventions numbers)
        : painter_(painter),
          numbers_(std::move(numbers)),
          dotsPerInchX_(painter.device()->logicalDpiX()),
          dotsPerInchY_(painter.device()->logicalDpiY()) {}

    double dotsX(double millimetres) const { return millimetres * dotsPerInchX_ / 25.4; }
    double dotsY(double millimetres) const { return millimetres * dotsPerInchY_ / 25.4; }
    QPointF at(double x, double y) const { return {dotsX(x), dotsY(y)}; }
    QRectF box(double x, double y, double w, double h) const {
        return {dotsX(x), dotsY(y), dotsX(w), dotsY(h)};
    }

    static QFont font(double points, bool bold = false) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }

    void setFont(double points, bool bold = false) { painter_.setFont(font(points, bold)); }

    // The room that `text` takes in that font on this device, in millimetres.
    double textWidth(const QString& text, double points, bool bold = false) const {
        return QFontMetricsF(font(points, bold), painter_.device()).horizontalAdvance(text) /
               dotsX(1);
    }
    double textHeight(double points, bool bold = false) const {
        return QFontMetricsF(font(points, bold), painter_.device()).height() / dotsY(1);
    }

    void setPen(const QColor& colour, double widthMm, Qt::PenStyle style = Qt::SolidLine) {
        QPen pen(colour, dotsX(widthMm), style);
        pen.setCapStyle(Qt::FlatCap);
        painter_.setPen(pen);
    }

    void text(const QRectF& area, int flags, const QString& text) {
        painter_.drawText(area, flags, text);
    }

    QPainter& painter() { return painter_; }
    const OutputConventions& numbers() const { return numbers_; }

  private:
    QPainter& painter_;
    OutputConventions numbers_;
    int dotsPerInchX_;
    int dotsPerInchY_;
};

// The plot of litres against height, with the strainer and the marks, in the
// frame given in millimetres (graduations are drawn outside it, on the left and
// below).
struct PlotArea {
    double left, top, width, height;
};

// Where the plot puts what it draws, in millimetres from the painter's origin.
// It is worked out before anything is drawn, so that the words go where the
// curves are not: today's litres beside its dot away from the curves, the
// legend in a corner the curves leave empty, shortened, smaller or left off
// when the plot is too small for it, and no more graduations than their
// numbers have room for.
struct PlotLayout {
    QRectF frame;
    double maxHeight = 1;  // mm of oil at the frame's right
    double maxLitres = 1;  // at its top
    double heightStep = 1;
    double litreStep = 1;
    int litreDecimals = 0;
    std::vector<QRectF> heightLabels;  // each graduation's number, as drawn
    std::vector<QRectF> litreLabels;
    std::optional<QPointF> oilLevelDot;
    QRectF oilLevelLabel;  // empty without today's level
    QRectF legend;         // empty when there is no room for it
    double legendPoints = 0;
    bool briefLegend = false;  // short names of the lines

    double x(double heightMm) const { return frame.left() + frame.width() * heightMm / maxHeight; }
    double y(double litres) const { return frame.bottom() - frame.height() * litres / maxLitres; }
};

PlotLayout plotLayout(const PagePainter& page, const PlotArea& area, const TankParameters& tank,
                      const Chart& chart, const ChartMarks& marks);
void drawPlot(PagePainter& page, const PlotArea& area, const TankParameters& tank,
              const Chart& chart, const ChartMarks& marks);

// The layout of the plot that paintChartPlot draws.
PlotLayout chartPlotLayout(QPainter& painter, const QSizeF& sizeMm, const TankParameters& tank,
                           const Chart& chart, const ChartMarks& marks);

}  // namespace varnelle
