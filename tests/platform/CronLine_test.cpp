#include "platform/posix/CronLine.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

const CronInstallation kInstallation{"/home/u/.wine", "u"};

// A job of the program /opt/qm/quillmark, at a minute of the day, on
// weekdays (none: once).
JobSpec job(std::uint32_t startMinute, std::uint8_t days, const std::string& arguments) {
    return JobSpec{"/opt/qm/quillmark", arguments, startMinute, days, days == 0};
}

std::string lineFor(const JobSpec& j, std::uint32_t number = 1) {
    std::string line, reason;
    EXPECT_TRUE(cronLineFor(kInstallation, j, number, "", line, reason)) << reason;
    return line;
}

// The time and day fields of a line.
std::string when(const JobSpec& j) {
    const std::string line = lineFor(j);
    return line.substr(0, line.find(" '"));
}

TEST(CronLine, TheProgramRunsWithPrefixUserAndArgumentTextOnTheJobsDays) {
    EXPECT_EQ(lineFor(job(23 * 60 + 30, kMondayBit | kWednesdayBit | kFridayBit, "sf=Outlookxm=1ps=bf=D:\\b.qmk"), 3),
              "30 23 * * 1,3,5 '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' "
              "'sf=Outlookxm=1ps=bf=D:\\b.qmk' # quillmark job 3");
    EXPECT_EQ(when(job(0, kSundayBit | kSaturdayBit, "sf=P")), "0 0 * * 0,6");
    EXPECT_EQ(when(job(9 * 60, kAllWeekdayBits, "sf=P")), "0 9 * * 0,1,2,3,4,5,6");
    // A job made with another tool may name days of the month.
    const auto monthly = parseCronLine("1 0 1,31 * * " + lineFor(job(1, 1, "sf=P")).substr(10));
    ASSERT_TRUE(monthly);
    EXPECT_EQ(monthly->monthDays, 1u | (1u << 30));
    EXPECT_EQ(monthly->startMinute, 1u);
}

TEST(CronLine, AJobForNoDayOrOnceRunsOnceThenRemovesItsLine) {
    const std::string tail = "'sf=P'; '/opt/qm/quillmark' --unschedule 4 # quillmark job 4";
    JobSpec noDay = job(9 * 60, 0, "sf=P");
    noDay.once = false;
    JobSpec once = job(9 * 60, kTuesdayBit, "sf=P");
    once.once = true;
    for (const JobSpec& j : {noDay, once}) {
        const std::string line = lineFor(j, 4);
        EXPECT_EQ(line.substr(0, 10), "0 9 * * * ");
        EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    }
}

TEST(CronLine, AChosenCodePageGoesWithTheJobAndReadsBack) {
    CronInstallation installation = kInstallation;
    installation.codePage = "932";
    for (const JobSpec& j :
         {job(23 * 60 + 30, kMondayBit, "sf=Pxm=1ps=bf=D:\\b.qmk"), job(9 * 60, 0, "sf=Pxm=1ps=bf=t")}) {
        std::string line, reason;
        ASSERT_TRUE(cronLineFor(installation, j, 7, "", line, reason)) << reason;
        EXPECT_NE(line.find(" --user 'u' --code-page '932' 'sf=P"), std::string::npos) << line;
        const auto read = parseCronLine(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(read->number, 7u);
        EXPECT_EQ(read->startMinute, j.startMinute);
        EXPECT_EQ(read->arguments, j.arguments);
    }
}

TEST(CronLine, TheJobsOptionsStandBeforeItsArgumentTextAndReadBack) {
    CronInstallation installation = kInstallation;
    installation.codePage = "1251";
    for (const bool once : {false, true}) {
        JobSpec j = job(23 * 60 + 30, once ? 0 : kMondayBit, "sf=Pxm=1ps=bf=/b b/n.qmk");
        j.options = {"--keep", "3", "--keep-monthly", "12"};
        std::string line, reason;
        ASSERT_TRUE(cronLineFor(installation, j, 5, "/s/job-5.password", line, reason)) << reason;
        EXPECT_NE(line.find(" --password-file '/s/job-5.password' '--keep' '3' '--keep-monthly' '12' 'sf=P"),
                  std::string::npos)
            << line;
        const auto read = parseCronLine(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(read->options, j.options);
        EXPECT_EQ(read->arguments, j.arguments);
        EXPECT_EQ(read->passwordFile, "/s/job-5.password");
        EXPECT_EQ(read->once, once);
        // What cron runs is the same words.
        const auto words = jobCommandWords(line);
        ASSERT_TRUE(words);
        EXPECT_EQ(std::vector<std::string>(words->end() - 5, words->end()),
                  (std::vector<std::string>{"--keep", "3", "--keep-monthly", "12", j.arguments}));
    }
    // A job without options reads back without any.
    const auto plain = parseCronLine(lineFor(job(60, kMondayBit, "sf=P")));
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->options.empty());
    // A word before the argument text that is no option is no line of ours.
    std::string line = lineFor(job(60, kMondayBit, "sf=P"));
    line.insert(line.find(" 'sf=P'"), " 'stray'");
    EXPECT_FALSE(parseCronLine(line)) << line;
}

TEST(CronLine, APasswordIsNamedByItsFileNeverCarriedOnTheLine) {
    CronInstallation installation = kInstallation;
    installation.codePage = "1251";
    JobSpec j = job(23 * 60 + 30, kMondayBit, "sf=Outlookxm=1ps=bf=/b.qmk");
    j.password = "s3cret";
    std::string line, reason;
    ASSERT_TRUE(cronLineFor(installation, j, 3, "/home/u/.local/state/quillmark/jobs/u-job-3.password", line, reason))
        << reason;
    EXPECT_EQ(line,
              "30 23 * * 1 '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' --code-page '1251' "
              "--password-file '/home/u/.local/state/quillmark/jobs/u-job-3.password' "
              "'sf=Outlookxm=1ps=bf=/b.qmk' # quillmark job 3");
    const auto read = parseCronLine(line);
    ASSERT_TRUE(read) << line;
    EXPECT_EQ(read->passwordFile, "/home/u/.local/state/quillmark/jobs/u-job-3.password");
    EXPECT_EQ(read->arguments, "sf=Outlookxm=1ps=bf=/b.qmk");
    // Once, and without a code page.
    ASSERT_TRUE(cronLineFor(kInstallation, job(0, 0, "sf=P"), 4, "/s/u-job-4.password", line, reason)) << reason;
    EXPECT_EQ(line,
              "0 0 * * * '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' --password-file "
              "'/s/u-job-4.password' 'sf=P'; '/opt/qm/quillmark' --unschedule 4 # quillmark job 4");
    ASSERT_TRUE(parseCronLine(line));
    EXPECT_EQ(parseCronLine(line)->passwordFile, "/s/u-job-4.password");
    EXPECT_FALSE(cronLineFor(kInstallation, j, 3, "relative.password", line, reason));
}

TEST(CronLine, QuotingKeepsEveryValueOneWordAndEscapesCronsPercent) {
    EXPECT_EQ(cronShellWord("it's 100%"), "'it'\\''s 100'\\%''");
    // cron's "\%" never follows a backslash of the value, which cron would
    // otherwise take as the escape.
    EXPECT_EQ(cronShellWord("a\\%b"), "'a\\'\\%'b'");
}

TEST(CronLine, RefusesWhatNoCrontabLineCanCarry) {
    auto refused = [](const CronInstallation& installation, const JobSpec& j) {
        std::string line, reason;
        return !cronLineFor(installation, j, 1, "", line, reason) && !reason.empty();
    };
    const JobSpec good = job(0, 1, "sf=P");
    EXPECT_TRUE(refused(kInstallation, job(kMinutesPerDay, 1, "sf=P")));
    EXPECT_TRUE(refused(kInstallation, job(0, 0x80, "sf=P")));
    EXPECT_TRUE(refused(kInstallation, job(0, 1, "sf=P\nxm=1")));
    EXPECT_TRUE(refused(kInstallation, job(0, 1, "sf=P\rxm=1")));
    EXPECT_TRUE(refused(kInstallation, job(0, 1, "")));
    JobSpec relative = good;
    relative.program = "quillmark";
    EXPECT_TRUE(refused(kInstallation, relative));
    EXPECT_TRUE(refused({"p", "u"}, good));
    EXPECT_TRUE(refused({"/p", ""}, good));
    // Debian's crontab refuses a longer command, other crons cut it short.
    const size_t room = kMaxCronCommand - (lineFor(good).size() - std::string("0 0 * * 1 ").size());
    EXPECT_FALSE(refused(kInstallation, job(0, 1, "sf=P" + std::string(room, 'x'))));
    EXPECT_TRUE(refused(kInstallation, job(0, 1, "sf=P" + std::string(room + 1, 'x'))));
}

TEST(CronLine, ItsOwnLinesReadBackAndNoOtherLineDoes) {
    const std::string profile = "Mail 'Home' $USER %d";
    const std::string target = "/tmp/my backups/100% \"sure\".qmk";
    const std::string arguments = "sf=" + profile + "xm=101ps=p%'\\bf=" + target;
    auto back = parseCronLine(lineFor(job(23 * 60 + 30, kMondayBit | kSundayBit, arguments), 7));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->number, 7u);
    EXPECT_EQ(back->startMinute, 23u * 60 + 30);
    EXPECT_EQ(back->weekdays, kMondayBit | kSundayBit);
    EXPECT_FALSE(back->once);
    EXPECT_EQ(back->arguments, arguments);
    auto once = parseCronLine(lineFor(job(0, 0, "sf=Pxm=1ps=bf=t"), 2));
    ASSERT_TRUE(once);
    EXPECT_TRUE(once->once);

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
        "0 9 * * 1 '/q' --prefix '/p' --user 'u' --password-file 'rel' 'sf=Pxm=1ps=bf=t'" + tail,
        "0 9 * * 1 /usr/bin/mine" + tail,
    };
    for (const std::string& other : others)
        EXPECT_EQ(parseCronLine(other), std::nullopt) << other;
}

}  // namespace
}  // namespace qm::test
