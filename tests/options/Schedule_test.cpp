#include "options/Schedule.h"

#include <gtest/gtest.h>

#include "options/JobCommand.h"

namespace qm::test {
namespace {

using namespace qm::options;

TEST(Schedule, StartTimesAreMillisecondsAfterMidnightAndOtherTextsAreRefused) {
    EXPECT_EQ(JobTimeFromText("9:00"), 32400000u);
    EXPECT_EQ(JobTimeFromText("23:30"), 84600000u);
    EXPECT_EQ(JobTimeFromText("0:00"), 0u);
    EXPECT_EQ(JobTimeFromText(" 09:05 "), 32700000u);
    for (const char* text : {"", "9", ":30", "9:5", "24:00", "9:60", "123:00", "abc", "-1:00", "+9:00", "9:00:00",
                             "9:00 PM", "9.00"})
        EXPECT_EQ(JobTimeFromText(text), std::nullopt) << '"' << text << '"';

    const auto entries = StartTimeEntries();
    ASSERT_EQ(entries.size(), 48u);
    EXPECT_EQ(entries[18], "9:00");
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(JobTimeFromText(entries[i]), i * 1800000) << entries[i];
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

TEST(Schedule, TheCommandLineTheUnattendedRunReads) {
    EXPECT_EQ(JobCommandLine("C:\\Apps\\Qm", "Outlook", "10100000", "", "D:\\Bk\\mail.qmk"),
              "\"C:\\Apps\\Qm\\quillmark.exe\" sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk");
    // Installed at a drive root: one separator.
    EXPECT_EQ(JobCommandLine("C:\\", "P", "1", "", "t"), "\"C:\\quillmark.exe\" sf=Pxm=1ps=bf=t");
}

}  // namespace
}  // namespace qm::test
