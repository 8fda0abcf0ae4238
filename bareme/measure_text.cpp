#include "measure_text.h"

#include <array>
#include <charconv>

#include <QRegularExpression>

#include "core/number_text.h"

namespace varnelle {

QChar decimalSeparatorOf(const QLocale& locale) {
    return locale.decimalPoint() == QLatin1String(",") ? QChar(',') : QChar('.');
}

QString measureText(double value, QChar decimalSeparator, int minDecimals, int maxDecimals) {
    // std::to_chars ignores the C locale, which QCoreApplication sets from the
    // environment: the separator is chosen here and nowhere else.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, maxDecimals);
    QString text = QString::fromLatin1(buffer.data(), static_cast<int>(result.ptr - buffer.data()));

    const qsizetype point = text.indexOf('.');
    if (point >= 0) {
        qsizetype keep = text.size();
        while (keep > point + 1 + minDecimals && text.at(keep - 1) == '0') {
            --keep;
        }
        if (keep == point + 1) {
            keep = point;  // no decimal left: no separator either
        }
        text.truncate(keep);
        if (keep > point) {
            text[point] = decimalSeparator;
        }
    }
    if (text.startsWith('-') && text.indexOf(QRegularExpression("[1-9]")) < 0) {
        text.remove(0, 1);
    }
    return text;
}

QString litresText(double litres, QChar decimalSeparator) {
    return QString::fromStdString(resultText(litres, decimalSeparator.toLatin1()));
}

}  // namespace varnelle
