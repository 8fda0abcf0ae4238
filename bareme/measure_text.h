// Numbers written for people and for other programs.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

namespace varnelle {

// The decimal separator of a locale, reduced to the two that the outputs use:
// a comma where the locale writes one, a period everywhere else.
QChar decimalSeparatorOf(const QLocale& locale);

// A measure rounded to `maxDecimals` decimals, trailing zeros dropped down to
// `minDecimals`: 1000 -> "1000", 12.5 -> "12,5" (with a comma), never "-0".
QString measureText(double value, QChar decimalSeparator, int minDecimals = 0, int maxDecimals = 3);

// Litres with exactly three decimals, as the window shows them.
QString litresText(double litres, QChar decimalSeparator);

}  // namespace varnelle
