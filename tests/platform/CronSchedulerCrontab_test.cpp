// The cron scheduler against Debian's real crontab program, on the crontab
// of the test user qmcrontest (tools/install-deps makes it). Skipped where
// crontab, the user or the right to edit another user's crontab is missing.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <fcntl.h>

#include "platform/posix/CronScheduler.h"
#include "platform/posix/Process.h"

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

const char* const kUser = "qmcrontest";

ProcessResult crontab(const std::vector<std::string>& arguments, const std::string& input = "") {
    std::vector<std::string> argv{"crontab", "-u", kUser};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProcess(argv, input);
}

class RealCrontabTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getpwnam(kUser)) GTEST_SKIP() << "no user " << kUser << " (tools/install-deps makes it)";
        if (geteuid() != 0) GTEST_SKIP() << "editing another user's crontab needs root";
        ProcessResult probe = runProcess({"crontab", "-u", kUser, "-l"}, "");
        if (!probe.started) GTEST_SKIP() << "no crontab program: " << probe.reason;
        // Tests may run at once; this user's crontab is one.
        lock = open("/tmp/qmcrontest.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(lock, 0);
        ASSERT_EQ(flock(lock, LOCK_EX), 0);
        crontab({"-r"});
    }
    void TearDown() override {
        if (lock < 0) return;
        crontab({"-r"});
        close(lock);
    }

    std::string listed() { return crontab({"-l"}).output; }

    AtInfo job(std::uint32_t jobTime, std::uint8_t days, const std::string& arguments) {
        AtInfo j;
        j.JobTime = jobTime;
        j.DaysOfWeek = days;
        j.Flags = kJobRunPeriodically;
        j.Command = "\"C:\\Qm\\quillmark.exe\" " + arguments;
        return j;
    }

    int lock = -1;
    CronScheduler scheduler{CronProgram{"/opt/quill mark/quillmark", "/home/q/.wine", "q"},
                            {"crontab", "-u", kUser}};
};

TEST_F(RealCrontabTest, RoundTripKeepsTheUsersLinesAndCrontabAcceptsEveryLine) {
    // No crontab yet is an empty one.
    JobListResult empty = scheduler.listJobs();
    ASSERT_EQ(empty.status, kSchedulerOk) << empty.reason;
    EXPECT_TRUE(empty.jobs.empty());

    const std::string user = "# mine\nMAILTO=\"\"\n*/5 * * * * echo 'x %' >/dev/null\n\n";
    ASSERT_EQ(crontab({"-"}, user).exitStatus, 0);

    JobAddResult weekly =
        scheduler.NetScheduleJobAdd("", job(84600000, 0x7F & ~0x20, "sf=Mail 'x' $Yxm=10100000ps=p%w\\%bf=/b c.qmk"));
    ASSERT_EQ(weekly.status, kSchedulerOk) << weekly.reason;
    JobAddResult once = scheduler.NetScheduleJobAdd("", job(0, 0, "sf=Axm=1ps=bf=C:\\a.qmk"));
    ASSERT_EQ(once.status, kSchedulerOk) << once.reason;
    EXPECT_EQ(once.jobNumber, weekly.jobNumber + 1);

    JobListResult listedJobs = scheduler.listJobs();
    ASSERT_EQ(listedJobs.status, kSchedulerOk) << listedJobs.reason;
    ASSERT_EQ(listedJobs.jobs.size(), 2u);
    EXPECT_EQ(listedJobs.jobs[0].DaysOfWeek, 95);
    EXPECT_EQ(listedJobs.jobs[0].profile, "Mail 'x' $Y");
    EXPECT_EQ(listedJobs.jobs[0].targetFile, "/b c.qmk");
    EXPECT_EQ(listedJobs.jobs[1].Flags, 0);

    ASSERT_EQ(scheduler.removeJob(weekly.jobNumber).status, kSchedulerOk);
    const std::string after = listed();
    ASSERT_EQ(after.substr(0, user.size()), user);
    EXPECT_EQ(markedJobNumber(after.substr(user.size(), after.size() - user.size() - 1)), once.jobNumber);

    ASSERT_EQ(scheduler.removeJob(once.jobNumber).status, kSchedulerOk);
    EXPECT_EQ(listed(), user);
}

TEST_F(RealCrontabTest, TheLongestCommandCronTakesIsInstalled) {
    // Grow the target until the line's command is exactly as long as cron
    // takes: crontab installs it; one more character is refused before.
    std::string line, reason;
    const CronProgram program{"/opt/quill mark/quillmark", "/home/q/.wine", "q"};
    std::string target;
    while (cronLineFor(program, job(0, 1, "sf=Axm=1ps=bf=" + target + "x"), 1, line, reason)) target += "x";
    JobAddResult longest = scheduler.NetScheduleJobAdd("", job(0, 1, "sf=Axm=1ps=bf=" + target));
    ASSERT_EQ(longest.status, kSchedulerOk) << longest.reason;
    JobListResult back = scheduler.listJobs();
    ASSERT_EQ(back.jobs.size(), 1u);
    EXPECT_EQ(back.jobs[0].targetFile, target);
}

}  // namespace
}  // namespace qm::test
