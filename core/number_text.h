// Reading numbers from field texts and writing them back for display.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnelle {

// The number at the start of a text. Blanks, tabs and line feeds are ignored
// wherever they stand; then an optional sign, digits with at most one period,
// and an optional exponent (E or D in either case, optional sign, digits).
// Reading stops at the first character that cannot continue the number.
// "&H" and "&O" read the rest as a hexadecimal or octal integer. A text with
// no leading number reads as 0; a value too large for a double reads as ±inf.
double numberFromText(std::string_view text);

// Rounded to the nearest whole number (halves away from zero), no grouping,
// a minus sign when negative, as many digits as needed: "#######0".
std::string wholeNumberText(double value);

// Exactly three decimals after `decimalSeparator`, every integer digit,
// no grouping: "#######0.000". A value that rounds to zero shows no sign.
std::string resultText(double value, char decimalSeparator);

// Rounded to `maxDecimals` decimals, trailing zeros dropped down to
// `minDecimals`, the separator only when a decimal is left, no sign for a
// value that rounds to zero: 1000 -> "1000", 12.5 -> "12,5" with a comma.
std::string measureText(double value, char decimalSeparator, int minDecimals = 0,
                        int maxDecimals = 3);

// A number as people type it into the chart window, in UTF-8, and nothing
// else: blanks around it, an optional sign, digits that may be grouped by
// three with a space (ordinary, no-break or narrow no-break), and decimals
// after a period or after `decimalSeparator` (the one the window writes).
// "1 570,796" and "1570.796" are read alike under a comma; "12abc", "abc",
// "1,2,3" and an empty text are not numbers.
std::optional<double> typedNumber(std::string_view text, char decimalSeparator);

// `number` (as measureText writes it) with `group` between each three digits
// of its integer part: "1570,796" -> "1 570,796". Empty `group`: unchanged.
std::string groupedText(std::string number, std::string_view group);

}  // namespace varnelle
