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
#include "support/TempDir.h"

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

JobSpec job(std::uint32_t startMinute, std::uint8_t days, const std::string& arguments) {
    return JobSpec{"/opt/quill mark/quillmark", arguments, startMinute, days, days == 0};
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

    TempDir state;
    CronInstallation installation{"/home/q/.wine", "q"};
    CronScheduler scheduler{installation.prefixPath, installation.wineUser, kCrontab, state.path()};
    std::string why;

    std::uint32_t add(const JobSpec& j) {
        std::uint32_t number = 0;
        EXPECT_TRUE(scheduler.addJob(j, number, why)) << why;
        return number;
    }
    std::vector<ScheduledJob> listed() {
        std::vector<ScheduledJob> jobs;
        EXPECT_TRUE(scheduler.listJobs(jobs, why)) << why;
        return jobs;
    }

private:
    int lock_ = -1;
};

TEST_F(RealCrontabTest, CrontabInstallsTheLinesAndTheUsersOwnStayAsTheyWere) {
    EXPECT_TRUE(listed().empty());  // no crontab yet: an empty one

    const std::string user = "# mine\nMAILTO=\"\"\n*/5 * * * * echo 'x %' >/dev/null\n\n";
    ASSERT_EQ(crontab("-", user).exitStatus, 0);
    const std::string weeklyText = "sf=M 'x' $Yxm=1ps=p%w\\%bf=/b c.qmk";
    const std::uint32_t weekly = add(job(23 * 60 + 30, 95, weeklyText));
    const std::uint32_t once = add(job(0, 0, "sf=Axm=1ps=bf=C:\\a.qmk"));

    const auto jobs = listed();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].weekdays, 95);
    EXPECT_EQ(jobs[0].arguments, weeklyText);
    EXPECT_TRUE(jobs[1].once);

    ASSERT_TRUE(scheduler.removeJob(weekly, why)) << why;
    ASSERT_TRUE(scheduler.removeJob(once, why)) << why;
    EXPECT_EQ(crontab("-l").output, user);
}

TEST_F(RealCrontabTest, TheLongestCommandCronTakesIsInstalled) {
    std::string target, line, reason;
    while (cronLineFor(installation, job(0, 1, "sf=Aps=bf=" + target + "x"), 1, "", line, reason)) target += "x";
    EXPECT_EQ(add(job(0, 1, "sf=Aps=bf=" + target)), 1u);
}

}  // namespace
}  // namespace qm::test
