#include "platform/posix/CronScheduler.h"
#include "support/CronRules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "platform/posix/Process.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

using Lines = std::vector<std::string>;

void writeScript(const std::string& path, const std::string& body) {
    writeHostFile(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

AtInfo job(std::uint32_t jobTime, std::uint8_t days, const std::string& arguments) {
    return AtInfo{jobTime, 0, days, kJobRunPeriodically, "\"C:\\Qm\\quillmark.exe\" " + arguments};
}

Lines linesOf(const std::string& text) {
    Lines lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// A crontab program keeping the table in a file of its folder and logging
// its arguments; "-u NAME" is taken as the real one takes it. `listing` and
// `install` replace what "-l" and "-" do.
struct FakeCrontab {
    FakeCrontab(const TempDir& dir, const std::string& listing = "", const std::string& install = "")
        : path(dir / "crontab"), table(dir / "table"), calls(dir / "calls") {
        const std::string list = "if [ -f \"$dir/table\" ]; then cat \"$dir/table\"; "
                                 "else echo 'no crontab for fake' >&2; exit 1; fi";
        writeScript(path, "dir=\"$(dirname \"$0\")\"\necho \"$*\" >> \"$dir/calls\"\n"
                          "if [ \"$1\" = -u ]; then shift 2; fi\n"
                          "case \"$1\" in\n"
                          "-l) " + (listing.empty() ? list : listing) + " ;;\n"
                          "-) " + (install.empty() ? "cat > \"$dir/table\"" : install) + " ;;\n"
                          "esac\n");
    }
    Lines callLog() const { return linesOf(readHostFile(calls)); }
    std::string path, table, calls;
};

class CronSchedulerTest : public ::testing::Test {
protected:
    CronScheduler schedulerWith(const std::vector<std::string>& crontabCommand) const {
        return CronScheduler(program.programPath, program.prefixPath, program.wineUser, crontabCommand);
    }
    TempDir dir;
    CronProgram program{"/opt/qm/quillmark", "/home/u/.wine", "u"};
};

TEST_F(CronSchedulerTest, AddsListsAndRemovesNumberedJobsThroughTheGivenCommand) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path, "-u", "someone"});
    JobAddResult first = scheduler.NetScheduleJobAdd("HOST", job(84600000, 21, "sf=Mailxm=101ps=s3cret bf=/b.qmk"));
    ASSERT_EQ(first.status, kSchedulerOk) << first.reason;
    JobAddResult second = scheduler.NetScheduleJobAdd("HOST", job(0, 0, "sf=Otherxm=01ps=bf=C:\\o.qmk"));
    EXPECT_EQ(first.jobNumber, 1u);
    EXPECT_EQ(second.jobNumber, 2u);

    JobListResult listed = scheduler.listJobs();
    ASSERT_EQ(listed.status, kSchedulerOk) << listed.reason;
    ASSERT_EQ(listed.jobs.size(), 2u);
    EXPECT_EQ(listed.jobs[0].DaysOfWeek, 21);
    EXPECT_EQ(listed.jobs[0].profile, "Mail");
    EXPECT_EQ(listed.jobs[0].targetFile, "/b.qmk");
    EXPECT_TRUE(listed.jobs[0].hasPassword);
    EXPECT_EQ(listed.jobs[1].Flags, 0);

    ASSERT_EQ(scheduler.removeJob(1).status, kSchedulerOk);
    SchedulerResult missing = scheduler.removeJob(1);
    EXPECT_EQ(missing.status, kSchedulerJobNotFound);
    EXPECT_NE(missing.reason, "");
    EXPECT_EQ(scheduler.listJobs().jobs.size(), 1u);
    // Nothing is written when nothing goes.
    EXPECT_EQ(crontab.callLog(), (Lines{"-u someone -l", "-u someone -", "-u someone -l", "-u someone -",
                                        "-u someone -l", "-u someone -l", "-u someone -", "-u someone -l",
                                        "-u someone -l"}));
}

TEST_F(CronSchedulerTest, UserLinesStayAsTheyWere) {
    const std::string user = "# my jobs\nSHELL=/bin/bash\n\n*/5 * * * *   echo 'hi %' >/dev/null   \n"
                             "@reboot run-me\r\n#0 1 * * * off '...' # quillmark job 9\n"
                             "0 1 * * * last-line-without-newline";
    writeHostFile(dir / "table", user);
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path});
    JobAddResult a = scheduler.NetScheduleJobAdd("", job(0, 1, "sf=Axm=1ps=bf=a"));
    JobAddResult b = scheduler.NetScheduleJobAdd("", job(0, 2, "sf=Bxm=1ps=bf=b"));
    // A job turned off keeps its number: it may come back.
    EXPECT_EQ(a.jobNumber, 10u);
    EXPECT_EQ(b.jobNumber, 11u);
    ASSERT_EQ(scheduler.removeJob(a.jobNumber).status, kSchedulerOk);
    const std::string after = readHostFile(crontab.table);
    ASSERT_EQ(after.substr(0, user.size() + 1), user + "\n");
    EXPECT_EQ(markedJobNumber(linesOf(after.substr(user.size() + 1)).at(0)), 11u);
    ASSERT_EQ(scheduler.removeJob(b.jobNumber).status, kSchedulerOk);
    EXPECT_EQ(readHostFile(crontab.table), user + "\n");
}

TEST_F(CronSchedulerTest, ACrontabThatCannotBeReadOrWrittenIsReportedAndNotOverwritten) {
    writeHostFile(dir / "table", "0 1 * * * precious\n");
    FakeCrontab unreadable(dir, "echo 'cannot open your crontab: Permission denied' >&2; exit 1");
    CronScheduler scheduler = schedulerWith({unreadable.path});
    JobAddResult added = scheduler.NetScheduleJobAdd("", job(0, 1, "sf=A"));
    EXPECT_NE(added.status, kSchedulerOk);
    EXPECT_NE(added.reason.find("cannot be read"), std::string::npos) << added.reason;
    EXPECT_NE(added.reason.find("Permission denied"), std::string::npos) << added.reason;
    EXPECT_NE(scheduler.removeJob(1).reason.find("Permission denied"), std::string::npos);
    EXPECT_NE(scheduler.listJobs().status, kSchedulerOk);
    EXPECT_EQ(unreadable.callLog(), (Lines{"-l", "-l", "-l"}));
    EXPECT_EQ(readHostFile(dir / "table"), "0 1 * * * precious\n");

    // One that ends without reading what it is given.
    FakeCrontab unwritable(dir, "", "echo \"errors in crontab file, can't install.\" >&2; exit 3");
    added = schedulerWith({unwritable.path}).NetScheduleJobAdd("", job(0, 1, "sf=A"));
    EXPECT_NE(added.status, kSchedulerOk);
    EXPECT_NE(added.reason.find("can't install"), std::string::npos) << added.reason;
    EXPECT_NE(added.reason.find("exit status 3"), std::string::npos) << added.reason;

    added = schedulerWith({dir / "no-crontab"}).NetScheduleJobAdd("", job(0, 1, "sf=A"));
    EXPECT_NE(added.reason.find("no-crontab"), std::string::npos) << added.reason;
}

TEST_F(CronSchedulerTest, ValuesReachTheProgramUnchangedWhenCronRunsTheLine) {
    const std::string bin = dir / "bin dir 'q' $x %y";
    ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
    program = {bin + "/quillmark", dir / "prefix \"$HOME\" `id` 50% \\%x\\", "al ice"};
    // Records each start's arguments, NUL-terminated, after their count.
    writeScript(program.programPath, "{ printf '%s\\0' \"$#\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } "
                                     ">> \"$(dirname \"$0\")/runs\"\n");
    const std::string weekly = "sf=Mail 'Home' $USERxm=101ps=p%a'ss \"w$HOME` %% \\%x\t$(id) \\bf=/my b/100%.qmk";
    const std::string once = "sf=Outlookxm=1ps=bf=C:\\b.qmk";
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path});
    ASSERT_EQ(scheduler.NetScheduleJobAdd("", job(84600000, 1, weekly)).status, kSchedulerOk);
    ASSERT_EQ(scheduler.NetScheduleJobAdd("", job(32400000, 0, once)).status, kSchedulerOk);

    for (const std::string& line : linesOf(readHostFile(crontab.table))) {
        ProcessResult run = runProcess({"env", "-i", "HOME=" + dir.path(), "LOGNAME=nobody", "SHELL=/bin/sh",
                                        "PATH=/usr/bin:/bin", "/bin/sh", "-c", commandAsCronRunsIt(line)},
                                       "");
        ASSERT_TRUE(run.started) << run.reason;
        EXPECT_EQ(run.exitStatus, 0) << run.errors;
    }
    Lines fields;
    const std::string log = readHostFile(bin + "/runs");
    for (size_t start = 0, end; (end = log.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(log.substr(start, end - start));
    const std::string& prefix = program.prefixPath;
    EXPECT_EQ(fields, (Lines{"5", "--prefix", prefix, "--user", "al ice", weekly,    //
                             "5", "--prefix", prefix, "--user", "al ice", once,      //
                             "2", "--unschedule", "2"}));
}

}  // namespace
}  // namespace qm::test
