#include "platform/posix/CronLine.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

const CronProgram kProgram{"/opt/qm/quillmark", "/home/u/.wine", "u"};

AtInfo job(std::uint32_t jobTime, std::uint8_t days, const std::string& arguments) {
    return AtInfo{jobTime, 0, days, kJobRunPeriodically, "\"C:\\Qm\\quillmark.exe\" " + arguments};
}

std::string lineFor(const AtInfo& j, std::uint32_t number = 1) {
    std::string line, reason;
    EXPECT_TRUE(cronLineFor(kProgram, j, number, line, reason)) << reason;
    return line;
}

// The time and day fields of a line.
std::string when(const AtInfo& j) {
    const std::string line = lineFor(j);
    return line.substr(0, line.find(" '"));
}

TEST(CronLine, TheProgramRunsWithPrefixUserAndArgumentTextOnTheJobsDays) {
    EXPECT_EQ(lineFor(job(84600000, kMondayBit | kWednesdayBit | kFridayBit, "sf=Outlookxm=1ps=bf=D:\\b.qmk"), 3),
              "30 23 * * 1,3,5 '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' "
              "'sf=Outlookxm=1ps=bf=D:\\b.qmk' # quillmark job 3");
    EXPECT_EQ(when(job(0, kSundayBit | kSaturdayBit, "sf=P")), "0 0 * * 0,6");
    EXPECT_EQ(when(job(32400000, kAllWeekdayBits, "sf=P")), "0 9 * * 0,1,2,3,4,5,6");
    AtInfo monthly = job(60000, 0, "sf=P");
    monthly.DaysOfMonth = 1u | (1u << 30);
    EXPECT_EQ(when(monthly), "1 0 1,31 * *");
}

TEST(CronLine, AJobForNoDayOrNotPeriodicRunsOnceThenRemovesItsLine) {
    const std::string tail = "'sf=P'; '/opt/qm/quillmark' --unschedule 4 # quillmark job 4";
    AtInfo noDay = job(32400000, 0, "sf=P");
    AtInfo notPeriodic = job(32400000, kTuesdayBit, "sf=P");
    notPeriodic.Flags = 0;
    for (const AtInfo& once : {noDay, notPeriodic}) {
        const std::string line = lineFor(once, 4);
        EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    }
}

TEST(CronLine, AChosenCodePageGoesWithTheJobAndReadsBack) {
    CronProgram program = kProgram;
    program.codePage = "932";
    for (const AtInfo& j :
         {job(84600000, kMondayBit, "sf=Pxm=1ps=bf=D:\\b.qmk"), job(32400000, 0, "sf=Pxm=1ps=bf=t")}) {
        std::string line, reason;
        ASSERT_TRUE(cronLineFor(program, j, 7, line, reason)) << reason;
        EXPECT_NE(line.find(" --user 'u' --code-page '932' 'sf=P"), std::string::npos) << line;
        const auto read = parseCronLine(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(read->jobNumber, 7u);
        EXPECT_EQ(read->JobTime, j.JobTime);
    }
}

TEST(CronLine, QuotingKeepsEveryValueOneWordAndEscapesCronsPercent) {
    EXPECT_EQ(cronShellWord("it's 100%"), "'it'\\''s 100'\\%''");
    // cron's "\%" never follows a backslash of the value, which cron would
    // otherwise take as the escape.
    EXPECT_EQ(cronShellWord("a\\%b"), "'a\\'\\%'b'");
}

TEST(CronLine, RefusesWhatNoCrontabLineCanCarry) {
    auto refused = [](const CronProgram& program, const AtInfo& j) {
        std::string line, reason;
        return !cronLineFor(program, j, 1, line, reason) && !reason.empty();
    };
    const AtInfo good = job(0, 1, "sf=P");
    EXPECT_TRUE(refused(kProgram, job(kMillisecondsPerDay, 1, "sf=P")));
    EXPECT_TRUE(refused(kProgram, job(1000, 1, "sf=P")));  // cron has no seconds
    EXPECT_TRUE(refused(kProgram, job(0, 0x80, "sf=P")));
    EXPECT_TRUE(refused(kProgram, job(0, 1, "sf=P\nxm=1")));
    EXPECT_TRUE(refused(kProgram, job(0, 1, "sf=P\rxm=1")));
    for (const char* command : {"quillmark.exe sf=P", "\"C:\\q.exe\"", "\"C:\\q.exe\" ", "\"C:\\q.exe\"sf=P"}) {
        AtInfo j = good;
        j.Command = command;
        EXPECT_TRUE(refused(kProgram, j)) << command;
    }
    EXPECT_TRUE(refused({"quillmark", "/p", "u"}, good));
    EXPECT_TRUE(refused({"/q", "p", "u"}, good));
    EXPECT_TRUE(refused({"/q", "/p", ""}, good));
    // Debian's crontab refuses a longer command, other crons cut it short.
    const size_t room = kMaxCronCommand - (lineFor(good).size() - std::string("0 0 * * 1 ").size());
    EXPECT_FALSE(refused(kProgram, job(0, 1, "sf=P" + std::string(room, 'x'))));
    EXPECT_TRUE(refused(kProgram, job(0, 1, "sf=P" + std::string(room + 1, 'x'))));
}

TEST(CronLine, ItsOwnLinesReadBackWithoutThePasswordAndNoOtherLineDoes) {
    const std::string profile = "Mail 'Home' $USER %d";
    const std::string target = "/tmp/my backups/100% \"sure\".qmk";
    auto back = parseCronLine(
        lineFor(job(84600000, kMondayBit | kSundayBit, "sf=" + profile + "xm=101ps=p%'\\bf=" + target), 7));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->jobNumber, 7u);
    EXPECT_EQ(back->JobTime, 84600000u);
    EXPECT_EQ(back->DaysOfWeek, kMondayBit | kSundayBit);
    EXPECT_EQ(back->Flags, kJobRunPeriodically);
    EXPECT_EQ(back->profile, profile);
    EXPECT_EQ(back->itemDigits, "101");
    EXPECT_EQ(back->targetFile, target);
    EXPECT_TRUE(back->hasPassword);
    auto once = parseCronLine(lineFor(job(0, 0, "sf=Pxm=1ps=bf=t"), 2));
    ASSERT_TRUE(once);
    EXPECT_EQ(once->Flags, 0);
    EXPECT_FALSE(once->hasPassword);

    const std::string ours = lineFor(job(0, 1, "sf=Pxm=1ps=bf=t"), 12);
    EXPECT_EQ(markedJobNumber(ours), 12u);
    // A job the user turned off is no job, but its number stays taken.
    EXPECT_EQ(markedJobNumber("#" + ours), std::nullopt);
    EXPECT_EQ(anyMarkedJobNumber("#" + ours), 12u);
    const std::string tail = " # quillmark job 1";
    const std::string others[] = {
        "0 9 * * * backup.sh",
        "MAILTO=me",
        "0 9 * * * echo # quillmark job 3 more",
        "0 9 * * 1 '/q' --prefix '/p' --user 'u' \"sf=Pxm=1ps=bf=$HOME\"" + tail,
        "0 9 * * 1 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t' && rm x" + tail,
        "0 9 * * 1-5 '/q' --prefix '/p' --user 'u' 'sf=Pxm=1ps=bf=t'" + tail,
    };
    for (const std::string& other : others)
        EXPECT_EQ(parseCronLine(other), std::nullopt) << other;
}

}  // namespace
}  // namespace qm::test
