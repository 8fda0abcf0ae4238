// The core's writers of numbers, for the chart's texts.
#pragma once

#include <QChar>
#include <QString>

#include "core/number_text.h"

namespace varnelle {

// A measure rounded to `maxDecimals` decimals, trailing zeros dropped down to
// `minDecimals`: 1000 -> "1000", 12.5 -> "12,5" with a comma.
inline QString measureString(double value, QChar decimal, int minDecimals = 0,
                             int maxDecimals = 3) {
    return QString::fromStdString(measureText(value, decimal.toLatin1(), minDecimals, maxDecimals));
}

// Litres with exactly three decimals, as the window shows them.
inline QString litresString(double litres, QChar decimal) {
    return QString::fromStdString(resultText(litres, decimal.toLatin1()));
}

}  // namespace varnelle
