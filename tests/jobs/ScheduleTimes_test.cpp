#include "jobs/ScheduleTimes.h"

#include <gtest/gtest.h>

#include "platform/AtInfo.h"

namespace qm::test {
namespace {

using namespace qm::jobs;

TEST(Schedule, StartTimesAreMinutesAfterMidnightAndOtherTextsAreRefused) {
    EXPECT_EQ(StartMinuteFromText("9:00"), 540u);
    EXPECT_EQ(StartMinuteFromText("23:30"), 1410u);
    EXPECT_EQ(StartMinuteFromText("0:00"), 0u);
    EXPECT_EQ(StartMinuteFromText(" 09:05 "), 545u);
    for (const char* text :
         {"", "9", ":30", "9:5", "24:00", "9:60", "123:00", "abc", "-1:00", "+9:00", "9:00:00", "9:00 PM", "9.00"})
        EXPECT_EQ(StartMinuteFromText(text), std::nullopt) << '"' << text << '"';

    const auto entries = StartTimeEntries();
    ASSERT_EQ(entries.size(), 48u);
    EXPECT_EQ(entries[18], "9:00");
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(StartMinuteFromText(entries[i]), i * 30) << entries[i];
        EXPECT_EQ(StartTimeText(static_cast<std::uint32_t>(i * 30)), entries[i]);
    }
}

TEST(Schedule, DayListsAndTheirWeekdayBits) {
    auto list = [](std::initializer_list<Weekday> checked) {
        WeekdayChecks days{};
        for (Weekday d : checked) days[static_cast<size_t>(d)] = true;
        return DayList(days);
    };
    using W = Weekday;
    EXPECT_EQ(list({W::Monday, W::Wednesday, W::Friday}), "M,W,F");
    EXPECT_EQ(list({W::Tuesday, W::Thursday, W::Saturday, W::Sunday}), "T,TH,S,SU");
    EXPECT_EQ(list({}), "");
    EXPECT_EQ(DaysOfWeekFromDayList("M,W,F"), 21);
    EXPECT_EQ(DaysOfWeekFromDayList("M,T,W,TH,F,S,SU"), 127);
    EXPECT_EQ(DaysOfWeekFromDayList(""), 0);
    // Whole tokens: "TH" is Thursday alone, "SU" Sunday alone.
    EXPECT_EQ(DaysOfWeekFromDayList("TH"), 8);
    EXPECT_EQ(DaysOfWeekFromDayList("SU"), 64);
    EXPECT_EQ(DaysOfWeekFromDayList("m,X,MO"), 0);
}

// Windows' scheduler takes the job as an AT_INFO record: milliseconds after
// midnight, "run periodically" always, and the quoted program path before
// the argument text the unattended run reads.
TEST(Schedule, TheRecordWindowsSchedulerTakes) {
    platform::JobSpec job{"C:\\Apps\\Qm\\quillmark.exe", "sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk", 540, 21, false};
    platform::AtInfo record = platform::atInfoFor(job);
    EXPECT_EQ(record.JobTime, 32400000u);
    EXPECT_EQ(record.DaysOfMonth, 0u);
    EXPECT_EQ(record.DaysOfWeek, 21);
    EXPECT_EQ(record.Flags, platform::kJobRunPeriodically);
    EXPECT_EQ(record.Command, "\"C:\\Apps\\Qm\\quillmark.exe\" sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk");
    job.startMinute = 23 * 60 + 30;
    job.once = true;
    record = platform::atInfoFor(job);
    EXPECT_EQ(record.JobTime, 84600000u);
    EXPECT_EQ(record.DaysOfWeek, 0);  // no day: the scheduler runs it once
    EXPECT_EQ(record.Flags, platform::kJobRunPeriodically);
}

}  // namespace
}  // namespace qm::test
