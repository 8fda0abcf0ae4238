// The chart window as a user reaches it: "Barème…" in the main window, then
// its fields, its step and its table.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QTableView>
#include <QTest>
#include <QWidget>

#include "controls.h"

namespace varnelle::testing {

// Long enough for the slowest chart of the tests under the sanitizers.
inline constexpr int chartTimeoutMs = 60'000;

// Types `text` into the main window's field as a whole new text.
inline void setMainField(const QWidget* mainWindow, const char* name, const QString& text) {
    findControl<QLineEdit>(mainWindow, QLatin1String(name))->setText(text);
}

// Clicks "Barème…" and returns the one chart window open, or nothing.
inline QWidget* openChartWindow(const QWidget* mainWindow) {
    clickControl(findControl(mainWindow, QStringLiteral("Command4")));
    const QList<QWidget*> charts = topLevelWindows(QStringLiteral("ChartWindow"));
    return charts.size() == 1 ? charts.first() : nullptr;
}

inline QTableView* chartTable(const QWidget* chart) {
    return findControl<QTableView>(chart, QStringLiteral("chartTable"));
}

inline void setChartStep(const QWidget* chart, const QString& step) {
    findControl<QComboBox>(chart, QStringLiteral("stepCombo"))->setCurrentText(step);
}

// Waits for a chart of `lines` lines, or of any length.
inline bool waitForChartLines(const QWidget* chart, int lines = -1) {
    const QAbstractItemModel* model = chartTable(chart)->model();
    return QTest::qWaitFor(
        [&] { return lines < 0 ? model->rowCount() > 0 : model->rowCount() == lines; },
        chartTimeoutMs);
}

}  // namespace varnelle::testing
