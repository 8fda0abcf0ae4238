// Drawing in millimetres from the top-left corner of a page, on any painter:
// what the chart page and its plot share. Internal to the chart library.
#pragma once

#include <QColor>
#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QString>

#include "chart/chart_page.h"
#include "chart/tank_chart.h"

namespace varnelle {

inline constexpr double bodyPoints = 9.5;
inline constexpr double smallPoints = 8;
inline constexpr char pageDecimal = ',';  // the page is in French

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
    explicit PagePainter(QPainter& painter)
        : painter_(painter),
          dotsPerInchX_(painter.device()->logicalDpiX()),
          dotsPerInchY_(painter.device()->logicalDpiY()) {}

    double dotsX(double millimetres) const { return millimetres * dotsPerInchX_ / 25.4; }
    double dotsY(double millimetres) const { return millimetres * dotsPerInchY_ / 25.4; }
    QPointF at(double x, double y) const { return {dotsX(x), dotsY(y)}; }
    QRectF box(double x, double y, double w, double h) const {
        return {dotsX(x), dotsY(y), dotsX(w), dotsY(h)};
    }

    void setFont(double points, bool bold = false) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(points);
        font.setBold(bold);
        painter_.setFont(font);
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

  private:
    QPainter& painter_;
    int dotsPerInchX_;
    int dotsPerInchY_;
};

// The plot of litres against height, with the strainer and the marks, in the
// frame given in millimetres (graduations are drawn outside it, on the left and
// below).
struct PlotArea {
    double left, top, width, height;
};
void drawPlot(PagePainter& page, const PlotArea& area, const TankParameters& tank,
              const Chart& chart, const ChartMarks& marks);

}  // namespace varnelle
