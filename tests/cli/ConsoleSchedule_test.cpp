// --schedule, --jobs and --unschedule on a real crontab: the one of the
// test user qmcrontest (tools/install-deps makes it), which the console
// is aimed at by QUILLMARK_CRONTAB_USER. Skipped without crontab, that
// user or the right to edit its crontab.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/SampleFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class ConsoleScheduleTest : public SampleTest {
protected:
    void SetUp() override {
        if (!getpwnam("qmcrontest")) GTEST_SKIP() << "no user qmcrontest (tools/install-deps makes it)";
        if (geteuid() != 0) GTEST_SKIP() << "editing another user's crontab needs root";
        if (shell("command -v crontab >/dev/null") != 0) GTEST_SKIP() << "no crontab program";
        // Tests may run at once; the user has one crontab.
        lock_ = open("/tmp/qmcrontest.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(flock(lock_, LOCK_EX), 0);
        shell("crontab -u qmcrontest -r 2>/dev/null");
        sample::SampleOptions options;
        options.outlook = "11.0";
        inst = &install("sample", options, Backend::WinePrefix);
        out = dir / "out";
        fs::create_directories(out);
    }
    void TearDown() override {
        if (lock_ < 0) return;
        shell("crontab -u qmcrontest -r 2>/dev/null");
        close(lock_);
    }

    int run(const std::string& arguments, std::string* output = nullptr, const std::string& before = "") {
        int status = -1;
        const std::string text = capture(before + "QUILLMARK_CRONTAB_USER=qmcrontest " + quillmark(*inst, arguments) +
                                             " </dev/null 2>&1",
                                         &status);
        if (output) *output = text;
        return status;
    }
    static std::string crontab() { return capture("crontab -u qmcrontest -l 2>/dev/null"); }
    // The command of job `number`'s line, as cron runs it.
    static std::string jobCommand(int number) {
        const std::string lines = crontab();
        const std::string marker = " # quillmark job " + std::to_string(number);
        const std::size_t end = lines.find(marker);
        const std::size_t start = lines.rfind('\n', end) == std::string::npos ? 0 : lines.rfind('\n', end) + 1;
        const std::string line = lines.substr(start, end - start);
        return line.substr(line.find('\''));
    }
    std::string historyPath() const { return inst->workRoot + "/quillmark/history.log"; }
    // Local time `secondsAgo` before now, as the history writes it, or its
    // "H:MM" alone.
    static std::string localTime(long secondsAgo, bool clockOnly = false) {
        const std::time_t then = std::time(nullptr) - secondsAgo;
        struct tm local {};
        localtime_r(&then, &local);
        char text[32];
        if (clockOnly)
            std::strftime(text, sizeof text, "%H:%M", &local);
        else
            std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return text;
    }

    Installation* inst = nullptr;
    std::string out;

private:
    int lock_ = -1;
};

TEST_F(ConsoleScheduleTest, ScheduleListAndRemoveJobs) {
    const std::string job = " --profile Outlook --items 10100000 --file " + shq(out + "/b.qmk");
    std::string said;
    // The window's checks, in its order and with its words.
    struct Refused {
        std::string arguments;
        int status;
        std::string text;
    };
    const Refused refused[] = {
        {" --profile Outlook --items 00000000 --file x --time 9:00", 1, "Please select at least one item."},
        {" --profile Outlook --items 10000000 --file '' --time 9:00", 1, "Invalid backup file name."},
        {job + " --password 'a=b' --time 9:00", 1, "The password contains \"=\""},
        {job + " --time 24:00", 1, "Invalid start time."},
        {" --profile Outlok --items 10000000 --file x --time 9:00", 1,
         "The task could not be scheduled: the profile Outlok is not one of this installation's profiles (Outlook)"},
        {job + " --time 9:00 --days M,Q", 2, "--days takes"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(run("--schedule" + r.arguments, &said), r.status) << r.arguments;
        EXPECT_NE(said.find(r.text), std::string::npos) << said;
    }
    EXPECT_EQ(crontab(), "");

    // A relative file is taken from the folder the job is scheduled in.
    ASSERT_EQ(run("--schedule --profile outlook --items 10100000 --file rel.qmk --password 's3cret' --time 23:30 "
                  "--days M,W,F",
                  &said, "cd " + shq(out) + " && "),
              0)
        << said;
    EXPECT_EQ(said, "Task 1 has been scheduled.\n");
    ASSERT_EQ(run("--schedule" + job + " --time 9:00", &said), 0) << said;
    EXPECT_EQ(said, "Task 2 has been scheduled.\n");
    ASSERT_EQ(run("--schedule" + job + " --time 0:00 --days daily", &said), 0) << said;

    const std::string lines = crontab();
    const std::string program = fs::canonical(binaryPath()).string();
    EXPECT_NE(lines.find("30 23 * * 1,3,5 " + shq(program) + " --prefix " + shq(inst->made.prefix) +
                         " --user 'alice' --password-file " +
                         shq(inst->workRoot + "/quillmark/jobs/qmcrontest-job-1.password") + " " +
                         shq("sf=Outlookxm=10100000ps=bf=" + out + "/rel.qmk") + " # quillmark job 1\n"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("; " + shq(program) + " --unschedule 2 # quillmark job 2\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("0 0 * * 0,1,2,3,4,5,6 "), std::string::npos) << lines;

    ASSERT_EQ(run("--jobs", &said), 0) << said;
    EXPECT_EQ(said.find("s3cret"), std::string::npos) << said;
    EXPECT_NE(said.find("Password  Keep  Last run" + std::string(13, ' ') + "Result  Backup file\n"), std::string::npos)
        << said;
    EXPECT_NE(said.find("\n1     23:30  M,W,F"), std::string::npos) << said;
    // No run of it yet.
    EXPECT_NE(said.find("Outlook  10100000  yes       1     never" + std::string(24, ' ') + out + "/rel.qmk\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("\n2     9:00   Once"), std::string::npos) << said;
    EXPECT_NE(said.find("\n3     0:00   Daily"), std::string::npos) << said;

    // A job that runs once removes itself after its backup: its line's
    // command, run as cron runs it.
    std::string once;
    for (std::size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1)
        if (lines.compare(end - 1, 1, "2") == 0) once = lines.substr(at, end - at);
    ASSERT_FALSE(once.empty()) << lines;
    const std::string command = once.substr(once.find(shq(program)));
    int status = -1;
    said = capture("cd / && QUILLMARK_CRONTAB_USER=qmcrontest XDG_STATE_HOME=" + shq(inst->workRoot) + " sh -c " +
                       shq(command) + " 2>&1",
                   &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_TRUE(fs::exists(out + "/b.qmk")) << said;
    EXPECT_EQ(crontab().find("# quillmark job 2"), std::string::npos);

    EXPECT_EQ(run("--unschedule 2", &said), 1);
    EXPECT_NE(said.find("Task 2 could not be removed: there is no scheduled job 2"), std::string::npos) << said;
    EXPECT_EQ(run("--unschedule 1", &said), 0) << said;
    EXPECT_EQ(said, "Task 1 has been removed.\n");
    EXPECT_EQ(run("--unschedule 3"), 0);
    EXPECT_EQ(crontab(), "");
    EXPECT_EQ(run("--jobs", &said), 0);
    EXPECT_EQ(said, "quillmark: no jobs are scheduled\n");
}

// The last run of each job, as the scheduled runs leave it in the history:
// --jobs shows it, with why a failed one failed.
TEST_F(ConsoleScheduleTest, JobsShowTheirLastRun) {
    std::string said;
    ASSERT_EQ(run("--schedule --profile Outlook --items 00100000 --file " + shq(out + "/b.qmk") +
                      " --time 23:30 "
                      "--days daily",
                  &said),
              0)
        << said;
    const std::string lines = crontab();
    const std::string command =
        lines.substr(lines.find('\'')).substr(0, lines.find(" # quillmark job 1") - lines.find('\''));
    const auto ranAsCron = [&] {
        int status = -1;
        capture("cd / && XDG_STATE_HOME=" + shq(inst->workRoot) + " sh -c " + shq(command) + " 2>&1", &status);
        return status;
    };
    ASSERT_EQ(ranAsCron(), 0);
    ASSERT_EQ(run("--jobs", &said), 0) << said;
    EXPECT_NE(said.find(" completed  " + out + "/b.qmk"), std::string::npos) << said;

    // The folder of its backup file is gone: the next night fails, and says why.
    fs::remove_all(out);
    EXPECT_EQ(ranAsCron(), 1);
    ASSERT_EQ(run("--jobs", &said), 0) << said;
    EXPECT_NE(said.find(" failed  " + out + "/b.qmk\n    no backup written: cannot start the backup file "),
              std::string::npos)
        << said;
}

// A job whose start passed while the machine was off runs at the next
// catch-up, once: after its backup was written, the next catch-up leaves it.
TEST_F(ConsoleScheduleTest, CatchUpRunsAMissedJobOnceAndNotAgainAfterItSucceeded) {
    const std::string file = out + "/missed.qmk";
    // Daily, its start ten minutes ago (not one cron itself is starting).
    std::string said;
    const std::string start = localTime(10 * 60, true);
    ASSERT_EQ(run("--schedule --profile Outlook --items 00100000 --file " + shq(file) + " --time " +
                      start.substr(start[0] == '0' ? 1 : 0) + " --days daily",
                  &said),
              0)
        << said;
    // Added after that start: nothing was missed.
    ASSERT_EQ(run("--catch-up", &said), 0) << said;
    EXPECT_NE(said.find("no scheduled run was missed"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(file));

    // Added two days ago: today's start was missed.
    const std::string log = readHostFile(historyPath());
    const std::size_t added = log.find("\tadded\t" + file + "\t");
    ASSERT_NE(added, std::string::npos) << log;
    writeHostFile(historyPath(), localTime(2 * 86400) + log.substr(added));
    ASSERT_EQ(run("--catch-up", &said), 0) << said;
    EXPECT_NE(said.find("missed run made up: scheduled job 1 (" + file + "): completed"), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(file));
    ASSERT_EQ(run("--jobs", &said), 0) << said;
    EXPECT_NE(said.find(" completed  " + file), std::string::npos) << said;

    // Made up: the next catch-up runs nothing.
    fs::remove(file);
    ASSERT_EQ(run("--catch-up", &said), 0) << said;
    EXPECT_NE(said.find("no scheduled run was missed"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(file));

    // A catch-up while another holds the lock does nothing, and says so.
    const int held = open((inst->workRoot + "/quillmark/catch-up.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    EXPECT_EQ(run("--catch-up", &said), 0);
    EXPECT_NE(said.find("no catch-up now: "), std::string::npos) << said;
    close(held);
}

// Every scheduled run makes up the others' missed starts before its own
// backup: a job missed on Monday runs with Tuesday's.
TEST_F(ConsoleScheduleTest, AScheduledRunMakesUpAnotherJobsMissedStartFirst) {
    const std::string monday = out + "/monday.qmk", tuesday = out + "/tuesday.qmk";
    std::string said;
    const std::string start = localTime(10 * 60, true);
    ASSERT_EQ(run("--schedule --profile Outlook --items 00100000 --file " + shq(monday) + " --time " +
                      start.substr(start[0] == '0' ? 1 : 0) + " --days daily",
                  &said),
              0)
        << said;
    ASSERT_EQ(run("--schedule --profile Outlook --items 00100000 --file " + shq(tuesday) + " --time 3:00 --days daily",
                  &said),
              0)
        << said;
    // Both were added two days ago.
    std::string log = readHostFile(historyPath());
    for (std::size_t at = 0; (at = log.find("\tadded\t", at)) != std::string::npos; at += 7)
        log.replace(at - 19, 19, localTime(2 * 86400));
    writeHostFile(historyPath(), log);

    int status = -1;
    said = capture("cd / && QUILLMARK_CRONTAB_USER=qmcrontest XDG_STATE_HOME=" + shq(inst->workRoot) + " sh -c " +
                       shq(jobCommand(2)) + " 2>&1",
                   &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_TRUE(fs::exists(tuesday));
    EXPECT_TRUE(fs::exists(monday)) << said;
    // Each run once: the made-up one and the own one.
    log = readHostFile(historyPath());
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2 + 2 + 2) << log;  // added, started, ended
    EXPECT_NE(log.find("\tscheduled\t" + monday + "\t0\t"), std::string::npos) << log;
    EXPECT_NE(log.find("\tscheduled\t" + tuesday + "\t0\t"), std::string::npos) << log;
}

// A scheduled run that fails leaves its record and tells the user's
// desktop: a Notify call on the session bus (here a private one, with a
// notification server of the test's own). Without a bus, only the record.
TEST_F(ConsoleScheduleTest, AFailedScheduledRunIsRecordedAndToldOnTheSessionBus) {
    if (shell("command -v dbus-daemon >/dev/null") != 0) GTEST_SKIP() << "no dbus-daemon";
    const std::string file = out + "/gone/b.qmk";
    std::string said;
    ASSERT_EQ(
        run("--schedule --profile Outlook --items 00100000 --file " + shq(file) + " --time 3:00 --days daily", &said),
        0)
        << said;
    const std::string command = jobCommand(1);
    const auto ranAsCron = [&](const std::string& environment, std::string& output) {
        int status = -1;
        output = capture("cd / && env -u DBUS_SESSION_BUS_ADDRESS " + environment +
                             " XDG_STATE_HOME=" + shq(inst->workRoot) + " sh -c " + shq(command) + " 2>&1",
                         &status);
        return status;
    };

    // No bus: the record alone, and not a word about notifications.
    EXPECT_EQ(ranAsCron("", said), 1) << said;
    EXPECT_EQ(said.find("notification"), std::string::npos) << said;

    const std::string bus = capture("dbus-daemon --session --fork --print-address=1 --print-pid=1");
    std::istringstream lines(bus);
    std::string address, pid;
    std::getline(lines, address);
    std::getline(lines, pid);
    ASSERT_FALSE(address.empty()) << bus;
    ASSERT_FALSE(pid.empty()) << bus;
    const std::string heard = dir / "heard";
    shell("DBUS_SESSION_BUS_ADDRESS=" + shq(address) + " " + shq(std::string(QM_BINARY_DIR) + "/notify_listener") +
          " " + shq(heard) + " 60 >/dev/null 2>&1 &");
    for (int i = 0; i < 100 && !fs::exists(heard + ".ready"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(fs::exists(heard + ".ready"));
    EXPECT_EQ(ranAsCron("DBUS_SESSION_BUS_ADDRESS=" + shq(address), said), 1) << said;
    for (int i = 0; i < 100 && !fs::exists(heard); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(static_cast<pid_t>(std::stol(pid)), SIGTERM);
    std::ifstream in(heard);
    std::string app, summary, body;
    std::getline(in, app);
    std::getline(in, summary);
    std::getline(in, body);
    EXPECT_EQ(app, "Quillmark");
    EXPECT_EQ(summary, "Quillmark: a scheduled backup failed");
    EXPECT_EQ(body, file);
    std::string reason;
    std::getline(in, reason);
    EXPECT_EQ(reason.rfind("no backup written: ", 0), 0u) << reason;

    // Both failures are in the history, for --jobs and the main window.
    ASSERT_EQ(run("--jobs", &said), 0) << said;
    EXPECT_NE(said.find(" failed  " + file + "\n    no backup written: "), std::string::npos) << said;
    const std::string log = readHostFile(historyPath());
    std::size_t failures = 0;
    for (std::size_t at = 0; (at = log.find("\tscheduled\t" + file + "\t1\t", at)) != std::string::npos; ++at)
        ++failures;
    EXPECT_EQ(failures, 2u) << log;
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

TEST_F(ConsoleScheduleTest, AJobKeepsItsVersionsThroughItsCrontabLine) {
    std::string said;
    EXPECT_EQ(run("--schedule --profile Outlook --items 10100000 --file " + shq(out + "/v.qmk") +
                      " --time 23:30 --days daily --keep 0",
                  &said),
              2);
    EXPECT_NE(said.find("--keep takes a number from 1 to 999"), std::string::npos) << said;
    ASSERT_EQ(run("--schedule --profile Outlook --items 10100000 --file " + shq(out + "/v.qmk") +
                      " --time 23:30 --days daily --keep 2 --keep-weekly 4",
                  &said),
              0)
        << said;
    const std::string lines = crontab();
    EXPECT_NE(lines.find(" '--keep' '2' '--keep-weekly' '4' " + shq("sf=Outlookxm=10100000ps=bf=" + out + "/v.qmk")),
              std::string::npos)
        << lines;
    ASSERT_EQ(run("--jobs", &said), 0) << said;
    EXPECT_NE(said.find("  no        2, 4 weekly  never"), std::string::npos) << said;

    // Run three times as cron runs it: the newest and one dated version.
    const std::string line = lines.substr(0, lines.find('\n'));
    const std::string program = fs::canonical(binaryPath()).string();
    const std::string command = line.substr(line.find(shq(program)));
    for (int i = 0; i < 3; ++i) {
        int status = -1;
        said = capture("cd / && XDG_STATE_HOME=" + shq(inst->workRoot) + " sh -c " + shq(command) + " 2>&1", &status);
        ASSERT_EQ(status, 0) << said;
        if (i < 2) sleep(1);  // each version its own second
    }
    const std::vector<std::string> files = hostFiles(out);
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(fs::exists(out + "/v.qmk"));
    EXPECT_NE(said.find("an earlier version was removed: v 20"), std::string::npos) << said;
}

}  // namespace
}  // namespace qm::test
