#include "carnet_time.h"

#include <QRegularExpression>

#include "files/echoed_text.h"
#include "logbook/consumption.h"

namespace varnelle {
namespace {

Refusal unreadable(const QString& text) {
    return {QString(), QStringLiteral("la date « %1 » n'est pas lisible : écrivez-la AAAA-MM-JJ ou "
                                      "AAAA-MM-JJTHH:MM:SS (2026-11-03T08:00:00, par exemple).")
                           .arg(echoed(text))};
}

}  // namespace

Outcome<QDateTime> readTime(const QString& text, const QDateTime& now) {
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})"
                       "(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2})(?:[.,](\\d{1,3}))?)?"
                       "(Z|[+-]\\d{2}:?\\d{2})?)?$"));
    const QRegularExpressionMatch match = iso.match(text.trimmed());
    if (!match.hasMatch()) {
        return unreadable(text);
    }
    const auto part = [&match](int index) { return match.captured(index).toInt(); };
    const QDate day(part(1), part(2), part(3));
    const QString fraction = match.captured(7);
    const int milliseconds = fraction.isEmpty() ? 0 : fraction.leftJustified(3, '0').toInt();
    const QTime clock =
        match.captured(4).isEmpty() ? QTime(0, 0) : QTime(part(4), part(5), part(6), milliseconds);
    if (!day.isValid() || !clock.isValid()) {
        return unreadable(text);
    }
    QDateTime time;
    const QString zone = match.captured(8);
    if (zone.isEmpty()) {
        time = QDateTime(day, clock, Qt::LocalTime);
    } else if (zone == "Z") {
        time = QDateTime(day, clock, Qt::UTC);
    } else {
        const QString digits = QString(zone).remove(':');
        const int hours = digits.mid(1, 2).toInt();
        const int minutes = digits.mid(3, 2).toInt();
        if (hours > 14 || minutes > 59) {
            return unreadable(text);
        }
        const int sign = digits.startsWith('-') ? -1 : 1;
        const int offset = sign * (hours * 3600 + minutes * 60);
        time = QDateTime(day, clock, Qt::OffsetFromUTC, offset);
    }
    // A local time skipped by the change to summer time does not exist.
    if (!time.isValid()) {
        return unreadable(text);
    }
    if (time.secsTo(now) < -futureToleranceSeconds) {
        return Refusal{QString(),
                       QStringLiteral("la date « %1 » est dans l'avenir.").arg(echoed(text))};
    }
    return time.toUTC();
}

QString localDayText(const QDateTime& time) {
    return time.toLocalTime().date().toString(Qt::ISODate);
}

QString localTimeText(const QDateTime& time) {
    // The milliseconds only when there are some, so that what is written
    // reads back as the same instant.
    return time.toOffsetFromUtc(time.toLocalTime().offsetFromUtc())
        .toString(time.time().msec() != 0 ? Qt::ISODateWithMs : Qt::ISODate);
}

QString frenchTimeText(const QDateTime& time) {
    return frenchDayText(time) + ' ' + time.toLocalTime().time().toString(QStringLiteral("HH:mm"));
}

}  // namespace varnelle
