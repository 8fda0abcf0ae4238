// The core's writers and reader of numbers, for the chart's texts, and the
// conventions that decide how a number is written and read for a locale.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <optional>

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

// Heights are measured in millimetres and read on a dipstick in centimetres.
inline constexpr double millimetresPerCentimetre = 10;

// How numbers are written and read under one locale. Of the locale's decimal
// separators two are kept: a comma where the locale writes one, a period
// everywhere else; where numbers take a comma, CSV fields are separated by
// semicolons, as French spreadsheets expect. Numbers written for people (the
// windows, the page) set their thousands apart with a no-break space, which
// keeps a number on one line; files that programs read (CSV, JSON, the text
// chart) do not.
struct OutputConventions {
    QChar decimal = '.';
    QChar csvSeparator = ',';
    QString thousands;  // between groups of three integer digits; empty: none

    // The same conventions for people: thousands set apart by a no-break space.
    OutputConventions forPeople() const {
        OutputConventions people = *this;
        people.thousands = QChar(0x00A0);
        return people;
    }

    // The same conventions for files that programs read: no grouping.
    OutputConventions forFiles() const {
        OutputConventions files = *this;
        files.thousands.clear();
        return files;
    }

    // A measure, trailing zeros dropped down to `minDecimals`: "1 000", "12,5".
    QString number(double value, int minDecimals = 0, int maxDecimals = 3) const {
        return QString::fromStdString(
            groupedText(measureText(value, decimal.toLatin1(), minDecimals, maxDecimals),
                        thousands.toStdString()));
    }
    // Litres with exactly `decimals` decimals: "1 570,796".
    QString litres(double value, int decimals = 3) const {
        return number(value, decimals, decimals);
    }
    QString litresWithUnit(double value, int decimals = 3) const {
        return litres(value, decimals) + QStringLiteral(" litres");
    }
    QString millimetres(double value) const { return number(value) + QStringLiteral(" mm"); }

    // A number typed by a person, as these conventions write it or with a
    // period; nothing when the text is not wholly a number.
    std::optional<double> read(const QString& text) const {
        return typedNumber(text.toStdString(), decimal.toLatin1());
    }
};

// For files that programs read: no grouping.
OutputConventions conventionsFor(const QLocale& locale);
// For people: the windows and the page.
OutputConventions conventionsForPeople(const QLocale& locale);

}  // namespace varnelle
