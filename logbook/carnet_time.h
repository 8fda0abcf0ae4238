// The one reader of the times the command line is given: --date, and the
// `time` field of a sensor's JSON line (rtl_433 writes the local time as
// "2026-11-03 08:00:00").
#pragma once

#include <QDateTime>
#include <QString>

#include "files/refusal.h"

namespace varnelle {

// A time may be at most this far ahead of the clock: a clock a little fast,
// or a time zone mixed up, but not a mistyped year.
inline constexpr qint64 futureToleranceSeconds = qint64{24} * 3600;

// ISO 8601: "2026-11-03", "2026-11-03T08:00", "2026-11-03T08:00:00.250",
// a blank in place of the "T", with "Z" or "+01:00" after it, or without
// (the local time). A date alone is its midnight. Refused, with a French
// clause (no subject): what does not parse, and a time more than
// futureToleranceSeconds after `now`. The time is given in UTC.
Outcome<QDateTime> readTime(const QString& text, const QDateTime& now);

// "2026-11-03", the day of `time` where the user is.
QString localDayText(const QDateTime& time);
// "2026-11-03T08:00:00+01:00", ISO 8601 with the local offset.
QString localTimeText(const QDateTime& time);
// "03/11/2026 08:00", for people (the day alone: frenchDayText).
QString frenchTimeText(const QDateTime& time);

}  // namespace varnelle
