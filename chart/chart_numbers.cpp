#include "chart_numbers.h"

namespace varnelle {

OutputConventions conventionsFor(const QLocale& locale) {
    OutputConventions conventions;
    conventions.decimal = locale.decimalPoint() == QLatin1String(",") ? QChar(',') : QChar('.');
    conventions.csvSeparator = conventions.decimal == ',' ? QChar(';') : QChar(',');
    return conventions;
}

OutputConventions conventionsForPeople(const QLocale& locale) {
    return conventionsFor(locale).forPeople();
}

}  // namespace varnelle
