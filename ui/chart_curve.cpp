#include "chart_curve.h"

#include <QPainter>

namespace varnelle {
namespace {

constexpr double millimetresPerInch = 25.4;

}  // namespace

ChartCurve::ChartCurve(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chartCurve"));
    setAccessibleName(QStringLiteral("Courbe du barème"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartCurve::setPicture(const TankParameters& tank, Chart chart, const ChartMarks& marks) {
    tank_ = tank;
    chart_ = std::move(chart);
    marks_ = marks;
    update();
}

void ChartCurve::setFillPercent(double percent) {
    marks_.fillPercent = percent;
    update();
}

void ChartCurve::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (chart_.lines.empty()) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF sizeMm(width() * millimetresPerInch / logicalDpiX(),
                        height() * millimetresPerInch / logicalDpiY());
    paintChartPlot(painter, sizeMm, tank_, chart_, marks_);
}

}  // namespace varnelle
