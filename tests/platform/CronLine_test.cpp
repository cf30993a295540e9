#include "platform/posix/CronLine.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

const CronProgram kProgram{"/opt/qm/quillmark", "/home/u/.wine", "u"};
const std::string kExe = "\"C:\\Apps\\Qm\\quillmark.exe\" ";

AtInfo weekly(std::uint32_t jobTime, std::uint8_t days, const std::string& arguments) {
    AtInfo job;
    job.JobTime = jobTime;
    job.DaysOfWeek = days;
    job.Flags = kJobRunPeriodically;
    job.Command = kExe + arguments;
    return job;
}

std::string lineFor(const AtInfo& job, std::uint32_t number, const CronProgram& program = kProgram) {
    std::string line, reason;
    EXPECT_TRUE(cronLineFor(program, job, number, line, reason)) << reason;
    return line;
}

std::string refusal(const AtInfo& job, const CronProgram& program = kProgram) {
    std::string line, reason;
    EXPECT_FALSE(cronLineFor(program, job, 1, line, reason)) << line;
    return reason;
}

TEST(CronLine, WeeklyJobRunsTheProgramWithPrefixUserAndArgumentTextOnItsDays) {
    EXPECT_EQ(lineFor(weekly(84600000, kMondayBit | kWednesdayBit | kFridayBit,
                             "sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk"),
                      3),
              "30 23 * * 1,3,5 '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' "
              "'sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk' # quillmark job 3");
}

TEST(CronLine, WeekdayBitsBecomeCronDayNumbersWithSundayAsZero) {
    struct Case {
        std::uint8_t bits;
        const char* field;
    } cases[] = {
        {kMondayBit, "1"},   {kSaturdayBit, "6"}, {kSundayBit, "0"},
        {kAllWeekdayBits, "0,1,2,3,4,5,6"},
        {kAllWeekdayBits & ~kSaturdayBit, "0,1,2,3,4,5"},
    };
    for (const auto& c : cases) {
        const std::string line = lineFor(weekly(32400000, c.bits, "sf=Pxm=1ps=bf=t"), 1);
        EXPECT_EQ(line.substr(0, line.find(" '")), std::string("0 9 * * ") + c.field) << int(c.bits);
    }
}

TEST(CronLine, MidnightAndMonthDays) {
    AtInfo job = weekly(0, 0, "sf=Pxm=1ps=bf=t");
    job.DaysOfMonth = 1u | (1u << 14) | (1u << 30);
    const std::string line = lineFor(job, 1);
    EXPECT_EQ(line.substr(0, line.find(" '")), "0 0 1,15,31 * *");
}

TEST(CronLine, JobWithoutDaysRunsOnceThenRemovesItsOwnLine) {
    const std::string tail = "'sf=Pxm=1ps=bf=t'; '/opt/qm/quillmark' --unschedule 4 # quillmark job 4";
    std::string line = lineFor(weekly(32400000, 0, "sf=Pxm=1ps=bf=t"), 4);
    EXPECT_EQ(line.substr(0, 10), "0 9 * * * ");
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);

    // Not periodic: once, on the first of its days.
    AtInfo once = weekly(32400000, kTuesdayBit, "sf=Pxm=1ps=bf=t");
    once.Flags = 0;
    line = lineFor(once, 4);
    EXPECT_EQ(line.substr(0, 10), "0 9 * * 2 ");
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
}

TEST(CronLine, ShellWordsQuoteEverythingAndEscapeCronsPercent) {
    EXPECT_EQ(cronShellWord("plain"), "'plain'");
    EXPECT_EQ(cronShellWord(""), "''");
    EXPECT_EQ(cronShellWord("it's"), "'it'\\''s'");
    EXPECT_EQ(cronShellWord("100%"), "'100'\\%''");
    // The "\%" that cron reads never follows a backslash of the value, which
    // would make cron take that backslash as the escape instead.
    EXPECT_EQ(cronShellWord("a\\%b"), "'a\\'\\%'b'");
    EXPECT_EQ(cronShellWord("$HOME `x` \"q\" \\"), "'$HOME `x` \"q\" \\'");
}

TEST(CronLine, RefusesWhatNoCrontabLineCanCarry) {
    const std::string args = "sf=Pxm=1ps=bf=t";
    EXPECT_NE(refusal(weekly(kMillisecondsPerDay, 1, args)), "");
    EXPECT_NE(refusal(weekly(32400000 + 1000, 1, args)), "");  // seconds
    AtInfo noDay = weekly(0, 0x80, args);
    EXPECT_NE(refusal(noDay), "");
    noDay = weekly(0, 0, args);
    noDay.DaysOfMonth = 1u << 31;
    EXPECT_NE(refusal(noDay), "");

    AtInfo job = weekly(0, 1, args);
    for (const std::string& command :
         {std::string("quillmark.exe sf=P"), std::string("\"C:\\q.exe\""), std::string("\"C:\\q.exe\" "),
          std::string("\"C:\\q.exe\"sf=P"), std::string("\"\" sf=P")}) {
        job.Command = command;
        EXPECT_NE(refusal(job), "") << command;
    }
    for (const char* broken : {"sf=P\nxm=1ps=bf=t", "sf=Pxm=1ps=\rbf=t"}) {
        job.Command = kExe + broken;
        EXPECT_NE(refusal(job).find("line break"), std::string::npos);
    }
    EXPECT_NE(refusal(weekly(0, 1, args), {"quillmark", "/p", "u"}).find("not absolute"), std::string::npos);
    EXPECT_NE(refusal(weekly(0, 1, args), {"/q", "p", "u"}).find("not absolute"), std::string::npos);
    EXPECT_NE(refusal(weekly(0, 1, args), {"/q", "/p", ""}), "");
    EXPECT_NE(refusal(weekly(0, 1, args), {"/q", "/p", "u\nv"}).find("line break"), std::string::npos);
}

TEST(CronLine, CommandLongerThanCronTakesIsRefused) {
    // The command of "0 9 * * 1 <command>" for a target of `n` characters.
    auto commandLength = [](size_t n) {
        const std::string line = lineFor(weekly(32400000, 1, "sf=Pxm=1ps=bf=" + std::string(n, 'x')), 1);
        return line.size() - std::string("0 9 * * 1 ").size();
    };
    const size_t fixed = commandLength(0);
    const size_t longest = kMaxCronCommand - fixed;
    EXPECT_EQ(commandLength(longest), kMaxCronCommand);
    EXPECT_NE(refusal(weekly(32400000, 1, "sf=Pxm=1ps=bf=" + std::string(longest + 1, 'x'))).find("long"),
              std::string::npos);
}

TEST(CronLine, MarkersTellOurLinesFromTheUsers) {
    const std::string ours = lineFor(weekly(0, 1, "sf=Pxm=1ps=bf=t"), 12);
    EXPECT_EQ(markedJobNumber(ours), 12u);
    EXPECT_EQ(markedJobNumber("  " + ours + "  "), 12u);
    for (const char* user : {"", "   ", "# a comment", "MAILTO=me", "0 9 * * * backup.sh",
                             "0 9 * * * echo '# quillmark job x'", "0 9 * * * echo # quillmark job 3 more"}) {
        EXPECT_EQ(markedJobNumber(user), std::nullopt) << user;
        EXPECT_EQ(parseCronLine(user), std::nullopt) << user;
    }
    // A job the user turned off is no job, but its number stays taken.
    EXPECT_EQ(markedJobNumber("#" + ours), std::nullopt);
    EXPECT_EQ(anyMarkedJobNumber("#" + ours), 12u);
}

TEST(CronLine, ReadsItsOwnLinesBackWithoutThePassword) {
    const std::string profile = "Mail 'Home' $USER %d";
    const std::string target = "/tmp/my backups/100% \"sure\".qmk";
    AtInfo job = weekly(84600000, kMondayBit | kSundayBit,
                        "sf=" + profile + "xm=10100000ps=p%a'ss \"w$HOME` \\%x\\bf=" + target);
    auto back = parseCronLine(lineFor(job, 7));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->jobNumber, 7u);
    EXPECT_EQ(back->JobTime, 84600000u);
    EXPECT_EQ(back->DaysOfWeek, kMondayBit | kSundayBit);
    EXPECT_EQ(back->DaysOfMonth, 0u);
    EXPECT_EQ(back->Flags, kJobRunPeriodically);
    EXPECT_EQ(back->profile, profile);
    EXPECT_EQ(back->itemDigits, "10100000");
    EXPECT_EQ(back->targetFile, target);
    EXPECT_TRUE(back->hasPassword);

    auto once = parseCronLine(lineFor(weekly(0, 0, "sf=Pxm=1ps=bf=t"), 2));
    ASSERT_TRUE(once);
    EXPECT_EQ(once->Flags, 0);
    EXPECT_EQ(once->DaysOfWeek, 0);
    EXPECT_FALSE(once->hasPassword);

    // Cron's 7 is Sunday too.
    auto seven = parseCronLine("0 9 * * 7 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t' # quillmark job 1");
    ASSERT_TRUE(seven);
    EXPECT_EQ(seven->DaysOfWeek, kSundayBit);
}

TEST(CronLine, LinesEditedBeyondItsOwnFormAreNotRead) {
    const std::string tail = " # quillmark job 1";
    for (const std::string& line : {
             "0 9 * * 1 '/q' --prefix '/p' --user 'u' \"sf=Pxm=1ps=bf=$HOME\"" + tail,
             "0 9 * * 1 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t' && rm -rf x" + tail,
             "0 9 * 1 1 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t'" + tail,
             "0 9 * * 1-5 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t'" + tail,
             "61 9 * * 1 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t'" + tail,
             "0 9 * * 1 '/q' --prefix '/p' 'sf=Pxm=1ps=bf=t'" + tail,
             "0 9 * * 1 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1'" + tail,
             "0 9 * * * '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t'; '/q' --unschedule 2" + tail,
             "0 9 * * 1 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t" + tail,
         })
        EXPECT_EQ(parseCronLine(line), std::nullopt) << line;
}

}  // namespace
}  // namespace qm::test
