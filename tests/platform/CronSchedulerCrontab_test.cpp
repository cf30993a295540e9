// The cron scheduler against Debian's crontab program, on the crontab of the
// test user qmcrontest (tools/install-deps makes it). Skipped without
// crontab, without that user or without the right to edit its crontab.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/posix/CronScheduler.h"
#include "platform/posix/Process.h"

namespace qm::test {
namespace {

using namespace qm::platform;
using namespace qm::platform::posix;

const std::vector<std::string> kCrontab{"crontab", "-u", "qmcrontest"};

ProcessResult crontab(const std::string& argument, const std::string& input = "") {
    std::vector<std::string> argv = kCrontab;
    argv.push_back(argument);
    return runProcess(argv, input);
}

AtInfo job(std::uint32_t jobTime, std::uint8_t days, const std::string& arguments) {
    return AtInfo{jobTime, 0, days, kJobRunPeriodically, "\"C:\\Qm\\quillmark.exe\" " + arguments};
}

class RealCrontabTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getpwnam("qmcrontest")) GTEST_SKIP() << "no user qmcrontest (tools/install-deps makes it)";
        if (geteuid() != 0) GTEST_SKIP() << "editing another user's crontab needs root";
        if (!crontab("-l").started) GTEST_SKIP() << "no crontab program";
        // Tests may run at once; the user has one crontab.
        lock_ = open("/tmp/qmcrontest.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(flock(lock_, LOCK_EX), 0);
        crontab("-r");
    }
    void TearDown() override {
        if (lock_ < 0) return;
        crontab("-r");
        close(lock_);
    }

    CronProgram program{"/opt/quill mark/quillmark", "/home/q/.wine", "q"};
    CronScheduler scheduler{program.programPath, program.prefixPath, program.wineUser, kCrontab};

private:
    int lock_ = -1;
};

TEST_F(RealCrontabTest, CrontabInstallsTheLinesAndTheUsersOwnStayAsTheyWere) {
    JobListResult none = scheduler.listJobs();  // no crontab yet: an empty one
    ASSERT_EQ(none.status, kSchedulerOk) << none.reason;
    EXPECT_TRUE(none.jobs.empty());

    const std::string user = "# mine\nMAILTO=\"\"\n*/5 * * * * echo 'x %' >/dev/null\n\n";
    ASSERT_EQ(crontab("-", user).exitStatus, 0);
    JobAddResult weekly = scheduler.NetScheduleJobAdd("", job(84600000, 95, "sf=M 'x' $Yxm=1ps=p%w\\%bf=/b c.qmk"));
    ASSERT_EQ(weekly.status, kSchedulerOk) << weekly.reason;
    JobAddResult once = scheduler.NetScheduleJobAdd("", job(0, 0, "sf=Axm=1ps=bf=C:\\a.qmk"));
    ASSERT_EQ(once.status, kSchedulerOk) << once.reason;

    JobListResult listed = scheduler.listJobs();
    ASSERT_EQ(listed.jobs.size(), 2u);
    EXPECT_EQ(listed.jobs[0].DaysOfWeek, 95);
    EXPECT_EQ(listed.jobs[0].profile, "M 'x' $Y");
    EXPECT_EQ(listed.jobs[1].Flags, 0);

    ASSERT_EQ(scheduler.removeJob(weekly.jobNumber).status, kSchedulerOk);
    ASSERT_EQ(scheduler.removeJob(once.jobNumber).status, kSchedulerOk);
    EXPECT_EQ(crontab("-l").output, user);
}

TEST_F(RealCrontabTest, TheLongestCommandCronTakesIsInstalled) {
    std::string target, line, reason;
    while (cronLineFor(program, job(0, 1, "sf=Aps=bf=" + target + "x"), 1, line, reason)) target += "x";
    JobAddResult longest = scheduler.NetScheduleJobAdd("", job(0, 1, "sf=Aps=bf=" + target));
    ASSERT_EQ(longest.status, kSchedulerOk) << longest.reason;
}

}  // namespace
}  // namespace qm::test
