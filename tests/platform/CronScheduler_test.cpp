#include "platform/posix/CronScheduler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "platform/posix/Process.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

const std::string kExe = "\"C:\\Apps\\Qm\\quillmark.exe\" ";

void writeScript(const std::string& path, const std::string& body) {
    writeHostFile(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

AtInfo jobAt(std::uint32_t jobTime, std::uint8_t days, const std::string& arguments) {
    AtInfo job;
    job.JobTime = jobTime;
    job.DaysOfWeek = days;
    job.Flags = kJobRunPeriodically;
    job.Command = kExe + arguments;
    return job;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A crontab program that keeps the table in a file of its folder and logs
// its arguments; `-u NAME` is taken as the real one takes it.
class FakeCrontab {
public:
    explicit FakeCrontab(const TempDir& dir, const std::string& listing = "", const std::string& install = "")
        : path(dir / "crontab"), table(dir / "table"), calls(dir / "calls") {
        writeScript(path, "dir=\"$(dirname \"$0\")\"\n"
                          "echo \"$*\" >> \"$dir/calls\"\n"
                          "if [ \"$1\" = -u ]; then shift 2; fi\n"
                          "case \"$1\" in\n"
                          "-l) " + (listing.empty() ? std::string(
                              "if [ -f \"$dir/table\" ]; then cat \"$dir/table\"; "
                              "else echo 'no crontab for fake' >&2; exit 1; fi") : listing) + " ;;\n"
                          "-) " + (install.empty() ? std::string("cat > \"$dir/table\"") : install) + " ;;\n"
                          "*) echo \"unexpected $*\" >&2; exit 2 ;;\n"
                          "esac\n");
    }
    std::string path, table, calls;
    std::vector<std::string> callLog() const { return linesOf(readHostFile(calls)); }
};

class CronSchedulerTest : public ::testing::Test {
protected:
    TempDir dir;
    CronProgram program{"/opt/qm/quillmark", "/home/u/.wine", "u"};
};

TEST_F(CronSchedulerTest, AddsNumberedLinesToAnEmptyCrontab) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler(program, {crontab.path});
    JobAddResult first = scheduler.NetScheduleJobAdd("HOST", jobAt(32400000, kMondayBit, "sf=Axm=1ps=bf=a"));
    ASSERT_EQ(first.status, kSchedulerOk) << first.reason;
    EXPECT_EQ(first.jobNumber, 1u);
    JobAddResult second = scheduler.NetScheduleJobAdd("HOST", jobAt(32400000, kTuesdayBit, "sf=Bxm=1ps=bf=b"));
    ASSERT_EQ(second.status, kSchedulerOk) << second.reason;
    EXPECT_EQ(second.jobNumber, 2u);

    auto lines = linesOf(readHostFile(crontab.table));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "0 9 * * 1 '/opt/qm/quillmark' --prefix '/home/u/.wine' --user 'u' 'sf=Axm=1ps=bf=a' "
                        "# quillmark job 1");
    EXPECT_EQ(markedJobNumber(lines[1]), 2u);
    EXPECT_EQ(readHostFile(crontab.table).back(), '\n');
}

TEST_F(CronSchedulerTest, TheCrontabCommandPrefixIsUsedAsGiven) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler(program, {crontab.path, "-u", "someuser"});
    ASSERT_EQ(scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a")).status, kSchedulerOk);
    EXPECT_EQ(crontab.callLog(), (std::vector<std::string>{"-u someuser -l", "-u someuser -"}));
}

TEST_F(CronSchedulerTest, UserLinesStayAsTheyWereThroughAddAndRemove) {
    const std::string user =
        "# my jobs\n"
        "SHELL=/bin/bash\n"
        "MAILTO=\"\"\n"
        "\n"
        "*/5 * * * *   echo 'hi %' > /dev/null   \n"
        "\t# a job of ours turned off: # quillmark job 9\n"
        "@reboot run-me\r\n"
        "0 1 * * * last-line-without-newline";
    writeHostFile(dir / "table", user);
    FakeCrontab crontab(dir);
    CronScheduler scheduler(program, {crontab.path});

    JobAddResult a = scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a"));
    JobAddResult b = scheduler.NetScheduleJobAdd("", jobAt(0, 2, "sf=Bxm=1ps=bf=b"));
    ASSERT_EQ(a.status, kSchedulerOk) << a.reason;
    ASSERT_EQ(b.status, kSchedulerOk) << b.reason;
    // The number in the user's comment is taken: a job that comes back
    // from a comment must not meet a twin.
    EXPECT_EQ(a.jobNumber, 10u);
    EXPECT_EQ(b.jobNumber, 11u);

    SchedulerResult removed = scheduler.removeJob(a.jobNumber);
    ASSERT_EQ(removed.status, kSchedulerOk) << removed.reason;
    const std::string after = readHostFile(crontab.table);
    ASSERT_EQ(after.substr(0, user.size()), user);
    auto added = linesOf(after.substr(user.size() + 1));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(markedJobNumber(added[0]), 11u);

    ASSERT_EQ(scheduler.removeJob(b.jobNumber).status, kSchedulerOk);
    EXPECT_EQ(readHostFile(crontab.table), user + "\n");
}

TEST_F(CronSchedulerTest, RemovesOnlyTheActiveLineOfThatNumber) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler(program, {crontab.path});
    ASSERT_EQ(scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a")).status, kSchedulerOk);
    const std::string line = readHostFile(crontab.table);
    // The same job turned off by the user stays as the user left it.
    writeHostFile(crontab.table, line + "#" + line);
    ASSERT_EQ(scheduler.removeJob(1).status, kSchedulerOk);
    EXPECT_EQ(readHostFile(crontab.table), "#" + line);

    SchedulerResult missing = scheduler.removeJob(1);
    EXPECT_EQ(missing.status, kSchedulerJobNotFound);
    EXPECT_NE(missing.reason.find("1"), std::string::npos);
    // Nothing is written when nothing goes.
    EXPECT_EQ(crontab.callLog(), (std::vector<std::string>{"-l", "-", "-l", "-", "-l"}));
}

TEST_F(CronSchedulerTest, ListsItsOwnJobsByNumberAndNoPassword) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler(program, {crontab.path});
    ASSERT_EQ(scheduler.NetScheduleJobAdd("", jobAt(84600000, 21, "sf=Mailxm=10100000ps=s3cret bf=/b/m.qmk")).status,
              kSchedulerOk);
    ASSERT_EQ(scheduler.NetScheduleJobAdd("", jobAt(0, 0, "sf=Otherxm=01000000ps=bf=C:\\o.qmk")).status,
              kSchedulerOk);
    writeHostFile(crontab.table, "0 2 * * * someone-elses-job\n" + readHostFile(crontab.table));

    JobListResult listed = scheduler.listJobs();
    ASSERT_EQ(listed.status, kSchedulerOk) << listed.reason;
    ASSERT_EQ(listed.jobs.size(), 2u);
    const ScheduledJob& weekly = listed.jobs[0];
    EXPECT_EQ(weekly.jobNumber, 1u);
    EXPECT_EQ(weekly.JobTime, 84600000u);
    EXPECT_EQ(weekly.DaysOfWeek, 21);
    EXPECT_EQ(weekly.Flags, kJobRunPeriodically);
    EXPECT_EQ(weekly.profile, "Mail");
    EXPECT_EQ(weekly.itemDigits, "10100000");
    EXPECT_EQ(weekly.targetFile, "/b/m.qmk");
    EXPECT_TRUE(weekly.hasPassword);
    const ScheduledJob& once = listed.jobs[1];
    EXPECT_EQ(once.jobNumber, 2u);
    EXPECT_EQ(once.Flags, 0);
    EXPECT_EQ(once.targetFile, "C:\\o.qmk");
    EXPECT_FALSE(once.hasPassword);
}

TEST_F(CronSchedulerTest, ACrontabThatCannotBeReadIsReportedAndNotOverwritten) {
    writeHostFile(dir / "table", "0 1 * * * precious\n");
    FakeCrontab crontab(dir, "echo 'crontab: cannot open your crontab: Permission denied' >&2; exit 1");
    CronScheduler scheduler(program, {crontab.path});

    JobAddResult added = scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a"));
    EXPECT_NE(added.status, kSchedulerOk);
    EXPECT_NE(added.reason.find("cannot be read"), std::string::npos) << added.reason;
    EXPECT_NE(added.reason.find("Permission denied"), std::string::npos) << added.reason;
    SchedulerResult removed = scheduler.removeJob(1);
    EXPECT_NE(removed.status, kSchedulerOk);
    EXPECT_NE(removed.reason.find("Permission denied"), std::string::npos);
    JobListResult listed = scheduler.listJobs();
    EXPECT_NE(listed.status, kSchedulerOk);
    EXPECT_NE(listed.reason.find("Permission denied"), std::string::npos);

    EXPECT_EQ(crontab.callLog(), (std::vector<std::string>{"-l", "-l", "-l"}));
    EXPECT_EQ(readHostFile(dir / "table"), "0 1 * * * precious\n");
}

TEST_F(CronSchedulerTest, ACrontabThatCannotBeWrittenIsReported) {
    FakeCrontab crontab(dir, "", "cat > /dev/null; echo \"errors in crontab file, can't install.\" >&2; exit 1");
    CronScheduler scheduler(program, {crontab.path});
    JobAddResult added = scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a"));
    EXPECT_NE(added.status, kSchedulerOk);
    EXPECT_EQ(added.jobNumber, 0u);
    EXPECT_NE(added.reason.find("cannot be written"), std::string::npos) << added.reason;
    EXPECT_NE(added.reason.find("can't install"), std::string::npos) << added.reason;

    // One that ends without reading what it is given fails the same way.
    FakeCrontab deaf(dir, "", "exit 3");
    added = CronScheduler(program, {deaf.path}).NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a"));
    EXPECT_NE(added.status, kSchedulerOk);
    EXPECT_NE(added.reason.find("exit status 3"), std::string::npos) << added.reason;
}

TEST_F(CronSchedulerTest, AMissingCrontabProgramIsReported) {
    CronScheduler scheduler(program, {dir / "no-such-crontab"});
    JobAddResult added = scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=bf=a"));
    EXPECT_NE(added.status, kSchedulerOk);
    EXPECT_NE(added.reason.find("no-such-crontab"), std::string::npos) << added.reason;
}

TEST_F(CronSchedulerTest, AJobNoLineCanCarryIsRefusedBeforeTheCrontabIsTouched) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler(program, {crontab.path});
    JobAddResult added = scheduler.NetScheduleJobAdd("", jobAt(0, 1, "sf=Axm=1ps=a\nb bf=a"));
    EXPECT_EQ(added.status, kSchedulerInvalidParameter);
    EXPECT_NE(added.reason, "");
    EXPECT_TRUE(crontab.callLog().empty());
}

// ---- The line as cron runs it -------------------------------------------

// The command cron hands to /bin/sh: an unescaped "%" ends it (the rest is
// standard input), "\%" is a "%"; other backslashes stay.
std::string commandAsCronRunsIt(const std::string& line) {
    size_t i = 0;
    for (int field = 0; field < 5; ++field) {
        while (line[i] == ' ' || line[i] == '\t') ++i;
        while (line[i] != ' ' && line[i] != '\t') ++i;
    }
    while (line[i] == ' ' || line[i] == '\t') ++i;
    std::string command;
    bool escaped = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (escaped) {
            escaped = false;
            if (c == '%') {
                command.back() = '%';
                continue;
            }
            command += c;
            continue;
        }
        if (c == '\\') escaped = true;
        if (c == '%') break;
        command += c;
    }
    return command;
}

// The argument vectors a fake program recorded, one per start.
std::vector<std::vector<std::string>> recordedRuns(const std::string& log) {
    std::vector<std::vector<std::string>> runs;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = log.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(log.substr(start, end - start));
    for (size_t i = 0; i < fields.size();) {
        size_t count = std::stoul(fields[i++]);
        runs.emplace_back(fields.begin() + i, fields.begin() + i + count);
        i += count;
    }
    return runs;
}

class CronRunTest : public CronSchedulerTest {
protected:
    void SetUp() override {
        const std::string bin = dir / "bin dir 'q' $x %y";
        ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
        program.programPath = bin + "/quillmark";
        program.prefixPath = dir / "wine prefix \"$HOME\" `id` 50% \\%x\\";
        program.wineUser = "al ice";
        writeScript(program.programPath,
                    "{ printf '%s\\0' \"$#\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } "
                    ">> \"$(dirname \"$0\")/runs.log\"\n");
        runLog = bin + "/runs.log";
    }

    // Adds the job and runs its crontab line as cron would.
    void addAndRun(const AtInfo& job) {
        FakeCrontab crontab(dir);
        CronScheduler scheduler(program, {crontab.path});
        JobAddResult added = scheduler.NetScheduleJobAdd("", job);
        ASSERT_EQ(added.status, kSchedulerOk) << added.reason;
        number = added.jobNumber;
        auto lines = linesOf(readHostFile(crontab.table));
        ASSERT_EQ(lines.size(), 1u);
        ProcessResult run = runProcess({"env", "-i", "HOME=" + dir.path(), "LOGNAME=nobody", "SHELL=/bin/sh",
                                        "PATH=/usr/bin:/bin", "/bin/sh", "-c", commandAsCronRunsIt(lines[0])},
                                       "");
        ASSERT_TRUE(run.started) << run.reason;
        EXPECT_EQ(run.exitStatus, 0) << run.errors;
        EXPECT_EQ(run.errors, "");
    }

    std::string runLog;
    std::uint32_t number = 0;
};

TEST_F(CronRunTest, HostileValuesReachTheProgramUnchanged) {
    const std::string password = "p%a'ss \"w$HOME` %% \\%x\t$(id) \\";
    const std::string arguments =
        "sf=Mail 'Home' $USERxm=10100000ps=" + password + "bf=/tmp/my backups/mail 100%.qmk";
    addAndRun(jobAt(84600000, kMondayBit | kFridayBit, arguments));
    auto runs = recordedRuns(readHostFile(runLog));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], (std::vector<std::string>{"--prefix", program.prefixPath, "--user", "al ice", arguments}));
}

TEST_F(CronRunTest, AJobForNoDayRunsAndThenUnschedulesItself) {
    const std::string arguments = "sf=Outlookxm=11111111ps=bf=C:\\b.qmk";
    addAndRun(jobAt(32400000, 0, arguments));
    auto runs = recordedRuns(readHostFile(runLog));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (std::vector<std::string>{"--prefix", program.prefixPath, "--user", "al ice", arguments}));
    EXPECT_EQ(runs[1], (std::vector<std::string>{"--unschedule", std::to_string(number)}));
}

}  // namespace
}  // namespace qm::test
