// The crontab as several runs change it at once, a user's own lines beside
// the program's, and the passwords of scheduled jobs: never on a command
// line, where every local user can read them while the job runs. On the
// crontab of the test user qmcrontest (tools/install-deps makes it).
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class Schedules : public StressTest {
protected:
    void SetUp() override {
        if (!getpwnam("qmcrontest")) GTEST_SKIP() << "no user qmcrontest (tools/install-deps makes it)";
        if (geteuid() != 0) GTEST_SKIP() << "editing another user's crontab needs root";
        if (shell("command -v crontab >/dev/null") != 0) GTEST_SKIP() << "no crontab program";
        // Suites may run at once; the user has one crontab.
        lock_ = ::open("/tmp/qmcrontest.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(flock(lock_, LOCK_EX), 0);
        shell("crontab -u qmcrontest -r 2>/dev/null");
        StressTest::SetUp();
    }
    void TearDown() override {
        if (lock_ < 0) return;
        shell("crontab -u qmcrontest -r 2>/dev/null");
        ::close(lock_);
        StressTest::TearDown();
    }
    Ran cron(const std::string& arguments) { return run(arguments, "QUILLMARK_CRONTAB_USER=qmcrontest "); }
    static std::string crontab() { return capture("crontab -u qmcrontest -l 2>/dev/null"); }

private:
    int lock_ = -1;
};

TEST_F(Schedules, TenSchedulesAtOnceKeepTenJobs) {
    std::vector<std::thread> runs;
    std::vector<Ran> ran(10);
    for (int i = 0; i < 10; ++i)
        runs.emplace_back([&, i] {
            ran[static_cast<std::size_t>(i)] = cron("--schedule --profile Outlook --items 00100000 --file " +
                                                    shq(out + "/b" + std::to_string(i) + ".qmk") + " --time 9:00");
        });
    for (auto& run : runs) run.join();
    std::set<std::string> said;
    for (const Ran& r : ran) {
        EXPECT_EQ(r.status, 0) << r.err;
        said.insert(r.out);
    }
    EXPECT_EQ(said.size(), 10u);  // ten numbers, not "Task 1" ten times
    const std::string lines = crontab();
    for (int i = 1; i <= 10; ++i)
        EXPECT_NE(lines.find("# quillmark job " + std::to_string(i) + "\n"), std::string::npos) << lines;
    const Ran listed = cron("--jobs");
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 11) << listed.out;
}

TEST_F(Schedules, UnscheduleLeavesAUsersLineThatEndsLikeAJob) {
    const std::string mine = "0 3 * * * /usr/local/bin/my-backup --all # quillmark job 1\n";
    ASSERT_EQ(shell("printf '%s' " + shq(mine) + " | crontab -u qmcrontest -"), 0);
    Ran ran = cron("--unschedule 1");
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("there is no scheduled job 1"), std::string::npos) << ran.err;
    EXPECT_EQ(crontab(), mine);
    ran = cron("--schedule --profile Outlook --items 00100000 --file " + shq(out + "/b.qmk") + " --time 9:00");
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out, "Task 2 has been scheduled.\n");
    EXPECT_EQ(cron("--unschedule 2").status, 0);
    EXPECT_EQ(crontab(), mine);
}

TEST_F(Schedules, AJobsPasswordIsInAFileOnlyTheUserMayReadNeverOnItsLine) {
    const std::string file = out + "/b.qmk";
    Ran ran = cron("--schedule --profile Outlook --items 00100000 --file " + shq(file) +
                   " --password 'pa ss' --time 9:00 --days M");
    ASSERT_EQ(ran.status, 0) << ran.err;
    const std::string lines = crontab();
    EXPECT_EQ(lines.find("pa ss"), std::string::npos) << lines;
    const std::string state = alice->workRoot + "/quillmark";
    const std::string kept = state + "/jobs/qmcrontest-job-1.password";
    EXPECT_NE(lines.find(" --password-file " + shq(kept) + " " + shq("sf=Outlookxm=00100000ps=bf=" + file)),
              std::string::npos)
        << lines;
    struct stat st {};
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(readHostFile(kept), "pa ss\n");
    ran = cron("--jobs");
    EXPECT_NE(ran.out.find("00100000  yes"), std::string::npos) << ran.out;

    // The line's command, as cron runs it, backs up with the password.
    const std::string line = lines.substr(0, lines.find('\n'));
    const std::string command = line.substr(line.find('\''), line.find(" # quillmark job") - line.find('\''));
    ASSERT_EQ(shell("cd / && XDG_STATE_HOME=" + shq(alice->workRoot) + " " + command + " 2>/dev/null"), 0) << command;
    EXPECT_TRUE(sevenZipEncrypted(file));
    EXPECT_TRUE(sevenZipTests(file, "pa ss"));

    ASSERT_EQ(cron("--unschedule 1").status, 0);
    EXPECT_FALSE(fs::exists(kept));
}

class PasswordFiles : public StressTest {};

// The forms of the console read a password from a file the same way; one
// that others may read is refused before anything is done.
TEST_F(PasswordFiles, ServeEveryFormOfTheConsole) {
    const std::string pw = dir / "pw";
    writeHostFile(pw, "pa=ss\n");
    ::chmod(pw.c_str(), 0600);
    const std::string file = out + "/b.qmk";
    Ran ran = run("--backup " + shq(file) + " --profile Outlook --items 00100000 --password-file " + shq(pw));
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(sevenZipTests(file, "pa=ss"));
    EXPECT_EQ(run("--list " + shq(file) + " --password-file " + shq(pw)).status, 0);
    ran = run("--restore " + shq(file) + " --profile Outlook --yes --password-file " + shq(pw));
    EXPECT_EQ(ran.status, 0) << ran.err;
    const std::string automatic = out + "/auto.qmk";
    ran = run("--password-file " + shq(pw) + " " + shq("sf=Outlookxm=00100000ps=bf=" + automatic));
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(sevenZipTests(automatic, "pa=ss"));
    // Both a ps= and a file: which was meant cannot be told.
    ran = run("--password-file " + shq(pw) + " " + shq("sf=Outlookxm=00100000ps=otherbf=" + automatic));
    EXPECT_EQ(ran.status, 1) << ran.err;

    ::chmod(pw.c_str(), 0644);
    const std::string earlier = readHostFile(file);
    ran = run("--backup " + shq(file) + " --profile Outlook --items 00100000 --password-file " + shq(pw));
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("may be read by other users"), std::string::npos) << ran.err;
    EXPECT_EQ(readHostFile(file), earlier);

    // An empty first line (a password manager that failed into a pipe)
    // never makes a backup without protection.
    writeHostFile(pw, "\nsecond line\n");
    ::chmod(pw.c_str(), 0600);
    ran = run("--backup " + shq(file) + " --profile Outlook --items 00100000 --password-file " + shq(pw));
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("gives no password"), std::string::npos) << ran.err;
    EXPECT_EQ(readHostFile(file), earlier);
}

}  // namespace
}  // namespace qm::test
