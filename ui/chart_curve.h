// The chart's curve in the window, drawn by the same code as the printed page;
// a screen reader is told what it shows in its accessible description.
#pragma once

#include <QWidget>
#include <optional>

#include "chart/chart_page.h"
#include "chart/tank_chart.h"

namespace varnelle {

class ChartCurve : public QWidget {
    Q_OBJECT

  public:
    explicit ChartCurve(QWidget* parent = nullptr);

    void setPicture(const TankParameters& tank, Chart chart, const ChartMarks& marks);
    void setFillPercent(double percent);
    const std::optional<OilLevel>& oilLevel() const { return marks_.oilLevel; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TankParameters tank_;
    Chart chart_;
    ChartMarks marks_;
};

}  // namespace varnelle
