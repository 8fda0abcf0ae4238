// The times the command line is given (--date, rtl_433's `time`), read in
// UTC, whatever the zone they were written in.
#include "logbook/carnet_time.h"

#include <gtest/gtest.h>

#include <QTimeZone>

namespace varnelle {
namespace {

const QDateTime now(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

struct ReadCase {
    const char* name;
    const char* text;
    QDateTime utc;  // invalid: refused
};

// The local zone is the machine's: local times are compared with Qt's own
// conversion of the same wall-clock time.
QDateTime local(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), Qt::LocalTime)
        .toUTC();
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

class ReadTimeTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTimeTest, GivesTheInstantInUtcOrRefuses) {
    const ReadCase& c = GetParam();
    const Outcome<QDateTime> time = readTime(QString::fromUtf8(c.text), now);
    if (!c.utc.isValid()) {
        ASSERT_TRUE(refusalOf(time)) << c.text;
        EXPECT_TRUE(refusalOf(time)->sentence.contains("la date")) << c.text;
        return;
    }
    ASSERT_FALSE(refusalOf(time)) << refusalOf(time)->sentence.toStdString();
    EXPECT_EQ(std::get<QDateTime>(time), c.utc) << c.text;
    EXPECT_EQ(std::get<QDateTime>(time).timeSpec(), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ReadTimeTest,
    ::testing::Values(
        ReadCase{"DayAloneIsLocalMidnight", "2026-11-03", local(2026, 11, 3, 0, 0)},
        ReadCase{"Rtl433LocalTime", "2026-11-03 08:15:30", local(2026, 11, 3, 8, 15, 30)},
        ReadCase{"MinutesOnly", "2026-11-03T08:15", local(2026, 11, 3, 8, 15)},
        ReadCase{"Milliseconds", "2026-11-03T08:15:30.250", local(2026, 11, 3, 8, 15, 30, 250)},
        ReadCase{"Utc", "2026-11-03T08:15:30Z", utc(2026, 11, 3, 8, 15, 30)},
        ReadCase{"ParisWinter", "2026-11-03T09:15:30+01:00", utc(2026, 11, 3, 8, 15, 30)},
        ReadCase{"OffsetWithoutColon", "2026-07-03T10:15:30+0200", utc(2026, 7, 3, 8, 15, 30)},
        ReadCase{"WestOfGreenwich", "2026-11-03T03:15:30-05:00", utc(2026, 11, 3, 8, 15, 30)},
        ReadCase{"UpToADayAhead", "2026-12-10T11:00:00Z", utc(2026, 12, 10, 11, 0)},
        ReadCase{"MonthThirteen", "2026-13-01", QDateTime()},
        ReadCase{"FebruaryThirtieth", "2026-02-30", QDateTime()},
        ReadCase{"HourTwentyFive", "2026-11-03T25:00", QDateTime()},
        ReadCase{"FrenchOrder", "03/11/2026", QDateTime()}, ReadCase{"Words", "hier", QDateTime()},
        ReadCase{"Empty", "", QDateTime()},
        ReadCase{"OffsetTooLarge", "2026-11-03T08:00+15:00", QDateTime()},
        ReadCase{"OverADayAhead", "2026-12-10T12:00:01Z", QDateTime()},
        ReadCase{"ZoneWithoutTime", "2026-11-03Z", QDateTime()}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

// What --releves writes, --supprimer-releve reads back to the millisecond.
TEST(WriteTime, GivesBackWhatReadTimeReads) {
    for (const QDateTime& time :
         {utc(2026, 11, 3, 8, 15, 30), utc(2026, 11, 3, 8, 15, 30).addMSecs(250)}) {
        const Outcome<QDateTime> again = readTime(localTimeText(time), now);
        ASSERT_FALSE(refusalOf(again)) << localTimeText(time).toStdString();
        EXPECT_EQ(std::get<QDateTime>(again), time) << localTimeText(time).toStdString();
        EXPECT_EQ(localDayText(time), time.toLocalTime().date().toString(Qt::ISODate));
    }
}

}  // namespace
}  // namespace varnelle
