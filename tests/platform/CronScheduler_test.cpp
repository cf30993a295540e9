#include "platform/posix/CronScheduler.h"
#include "support/CronRules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
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

const std::string kProgram = "/opt/qm/quillmark";

// A job at a minute of the day, on weekdays (none: once).
JobSpec job(std::uint32_t startMinute, std::uint8_t days, const std::string& arguments,
            const std::string& program = kProgram) {
    return JobSpec{program, arguments, startMinute, days, days == 0};
}

// Adds a job; its number, or 0 with the reason in `why`.
std::uint32_t add(Scheduler& scheduler, const JobSpec& j, std::string& why) {
    std::uint32_t number = 0;
    return scheduler.addJob(j, number, why) ? number : 0;
}

std::vector<ScheduledJob> listed(Scheduler& scheduler) {
    std::vector<ScheduledJob> jobs;
    std::string why;
    EXPECT_TRUE(scheduler.listJobs(jobs, why)) << why;
    return jobs;
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
        return CronScheduler(installation.prefixPath, installation.wineUser, crontabCommand, state());
    }
    std::string state() const { return dir / "state"; }
    TempDir dir;
    CronInstallation installation{"/home/u/.wine", "u"};
    std::string why;
};

TEST_F(CronSchedulerTest, AddsListsAndRemovesNumberedJobsThroughTheGivenCommand) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path, "-u", "someone"});
    EXPECT_EQ(add(scheduler, job(23 * 60 + 30, 21, "sf=Mailxm=101ps=s3cret bf=/b.qmk"), why), 1u) << why;
    EXPECT_EQ(add(scheduler, job(0, 0, "sf=Otherxm=01ps=bf=C:\\o.qmk"), why), 2u) << why;

    const auto jobs = listed(scheduler);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].weekdays, 21);
    EXPECT_EQ(jobs[0].arguments, "sf=Mailxm=101ps=s3cret bf=/b.qmk");
    EXPECT_FALSE(jobs[0].once);
    EXPECT_TRUE(jobs[1].once);

    ASSERT_TRUE(scheduler.removeJob(1, why)) << why;
    why.clear();
    EXPECT_FALSE(scheduler.removeJob(1, why));
    EXPECT_NE(why, "");
    EXPECT_EQ(listed(scheduler).size(), 1u);
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
    const std::uint32_t a = add(scheduler, job(0, 1, "sf=Axm=1ps=bf=a"), why);
    const std::uint32_t b = add(scheduler, job(0, 2, "sf=Bxm=1ps=bf=b"), why);
    // A job turned off keeps its number: it may come back.
    EXPECT_EQ(a, 10u);
    EXPECT_EQ(b, 11u);
    ASSERT_TRUE(scheduler.removeJob(a, why)) << why;
    const std::string after = readHostFile(crontab.table);
    ASSERT_EQ(after.substr(0, user.size() + 1), user + "\n");
    EXPECT_EQ(markedJobNumber(linesOf(after.substr(user.size() + 1)).at(0)), 11u);
    ASSERT_TRUE(scheduler.removeJob(b, why)) << why;
    EXPECT_EQ(readHostFile(crontab.table), user + "\n");
}

TEST_F(CronSchedulerTest, ACrontabThatCannotBeReadOrWrittenIsReportedAndNotOverwritten) {
    writeHostFile(dir / "table", "0 1 * * * precious\n");
    FakeCrontab unreadable(dir, "echo 'cannot open your crontab: Permission denied' >&2; exit 1");
    CronScheduler scheduler = schedulerWith({unreadable.path});
    EXPECT_EQ(add(scheduler, job(0, 1, "sf=A"), why), 0u);
    EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
    EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
    why.clear();
    EXPECT_FALSE(scheduler.removeJob(1, why));
    EXPECT_NE(why.find("Permission denied"), std::string::npos);
    std::vector<ScheduledJob> jobs;
    EXPECT_FALSE(scheduler.listJobs(jobs, why));
    EXPECT_EQ(unreadable.callLog(), (Lines{"-l", "-l", "-l"}));
    EXPECT_EQ(readHostFile(dir / "table"), "0 1 * * * precious\n");

    // One that ends without reading what it is given.
    FakeCrontab unwritable(dir, "", "echo \"errors in crontab file, can't install.\" >&2; exit 3");
    CronScheduler refusing = schedulerWith({unwritable.path});
    EXPECT_EQ(add(refusing, job(0, 1, "sf=A"), why), 0u);
    EXPECT_NE(why.find("can't install"), std::string::npos) << why;
    EXPECT_NE(why.find("exit status 3"), std::string::npos) << why;

    CronScheduler missing = schedulerWith({dir / "no-crontab"});
    EXPECT_EQ(add(missing, job(0, 1, "sf=A"), why), 0u);
    EXPECT_NE(why.find("no-crontab"), std::string::npos) << why;
}

TEST_F(CronSchedulerTest, ValuesReachTheProgramUnchangedWhenCronRunsTheLine) {
    const std::string bin = dir / "bin dir 'q' $x %y";
    ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
    const std::string program = bin + "/quillmark";
    installation = {dir / "prefix \"$HOME\" `id` 50% \\%x\\", "al ice"};
    // Records each start's arguments, NUL-terminated, after their count.
    writeScript(program,
                "{ printf '%s\\0' \"$#\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } "
                ">> \"$(dirname \"$0\")/runs\"\n");
    const std::string weekly = "sf=Mail 'Home' $USERxm=101ps=p%a'ss \"w$HOME` %% \\%x\t$(id) \\bf=/my b/100%.qmk";
    const std::string once = "sf=Outlookxm=1ps=bf=C:\\b.qmk";
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path});
    ASSERT_EQ(add(scheduler, job(23 * 60 + 30, 1, weekly, program), why), 1u) << why;
    ASSERT_EQ(add(scheduler, job(9 * 60, 0, once, program), why), 2u) << why;

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
    const std::string& prefix = installation.prefixPath;
    EXPECT_EQ(fields, (Lines{"5", "--prefix", prefix, "--user", "al ice", weekly,    //
                             "5", "--prefix", prefix, "--user", "al ice", once,      //
                             "2", "--unschedule", "2"}));
}

// "Run Now": the job line's own command, started beside the program and
// waited for without blocking; a job that runs once is not removed by it.
TEST_F(CronSchedulerTest, AJobStartedNowRunsItsLinesCommand) {
    FakeCrontab crontab(dir);
    const std::string program = dir / "fake-quillmark";
    // Writes its arguments where the test can read them, and ends with 3.
    writeScript(program, "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/ran\"\nexit 3\n");
    CronScheduler scheduler = schedulerWith({crontab.path});
    const std::uint32_t once = add(scheduler, job(9 * 60, 0, "sf=Axm=1ps=p%cbf=/a b.qmk", program), why);
    ASSERT_EQ(once, 1u) << why;

    auto started = scheduler.startJobNow(once, why);
    ASSERT_TRUE(started) << why;
    int status = -1;
    for (int i = 0; i < 500 && !started->ended(status); ++i) usleep(10000);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(readHostFile(dir / "ran"), "--prefix\n/home/u/.wine\n--user\nu\nsf=Axm=1ps=p%cbf=/a b.qmk\n");
    EXPECT_EQ(listed(scheduler).size(), 1u);  // still there

    EXPECT_FALSE(scheduler.startJobNow(7, why));
    EXPECT_EQ(why, "there is no scheduled job 7");
    // A line edited by hand into something else is not run.
    writeHostFile(crontab.table, "0 9 * * * rm -rf \"$HOME\" # quillmark job 1\n");
    EXPECT_FALSE(scheduler.startJobNow(1, why));
    EXPECT_EQ(why, "scheduled job 1 no longer reads as one of this program's");
}

TEST_F(CronSchedulerTest, APasswordIsKeptInAPrivateFileTheLineNamesAndGoesWithItsJob) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path, "-u", "someone"});
    JobSpec protectedJob = job(9 * 60, 1, "sf=Axm=1ps=bf=/a.qmk");
    protectedJob.password = "s3cret pass";
    ASSERT_EQ(add(scheduler, protectedJob, why), 1u) << why;
    ASSERT_EQ(add(scheduler, job(9 * 60, 1, "sf=Bxm=1ps=bf=/b.qmk"), why), 2u) << why;
    const std::string file = state() + "/jobs/someone-job-1.password";
    EXPECT_EQ(readHostFile(file), "s3cret pass\n");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(stat((state() + "/jobs").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    const std::string table = readHostFile(crontab.table);
    EXPECT_EQ(table.find("s3cret"), std::string::npos) << table;
    EXPECT_NE(table.find(" --password-file '" + file + "' 'sf=Axm=1ps=bf=/a.qmk' # quillmark job 1\n"),
              std::string::npos)
        << table;
    const auto jobs = listed(scheduler);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].passwordFile, file);
    EXPECT_EQ(jobs[1].passwordFile, "");
    ASSERT_TRUE(scheduler.removeJob(1, why)) << why;
    EXPECT_FALSE(std::filesystem::exists(file));
    // A job whose crontab could not take it leaves no password behind.
    FakeCrontab refusing(dir, "", "exit 3");
    CronScheduler failing = schedulerWith({refusing.path, "-u", "someone"});
    EXPECT_EQ(add(failing, protectedJob, why), 0u);
    std::vector<std::string> kept;
    for (const auto& e : std::filesystem::directory_iterator(state() + "/jobs")) kept.push_back(e.path().string());
    EXPECT_EQ(kept, std::vector<std::string>{});
}

TEST_F(CronSchedulerTest, APasswordWhoseLineWasDeletedByHandGoesWithTheNextJobAdded) {
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path, "-u", "someone"});
    JobSpec protectedJob = job(9 * 60, 1, "sf=Axm=1ps=bf=/a.qmk");
    protectedJob.password = "s3cret";
    for (int i = 0; i < 3; ++i) ASSERT_NE(add(scheduler, protectedJob, why), 0u) << why;
    const std::string jobs = state() + "/jobs/";
    // Job 1's line deleted, job 2's commented out (it may come back); a
    // file of the user's own in the folder is no job's.
    Lines lines = linesOf(readHostFile(crontab.table));
    ASSERT_EQ(lines.size(), 3u);
    writeHostFile(crontab.table, "#" + lines[1] + "\n" + lines[2] + "\n");
    writeHostFile(jobs + "someone-job-notes.password", "mine");
    ASSERT_EQ(add(scheduler, job(9 * 60, 1, "sf=Bxm=1ps=bf=/b.qmk"), why), 4u) << why;
    EXPECT_FALSE(std::filesystem::exists(jobs + "someone-job-1.password"));
    EXPECT_TRUE(std::filesystem::exists(jobs + "someone-job-2.password"));
    EXPECT_TRUE(std::filesystem::exists(jobs + "someone-job-3.password"));
    EXPECT_TRUE(std::filesystem::exists(jobs + "someone-job-notes.password"));
}

TEST_F(CronSchedulerTest, OnlyLinesInItsOwnFormAreRemoved) {
    // The user's own line happens to end with the program's comment.
    const std::string user = "0 9 * * * /usr/bin/mine --all # quillmark job 1\n";
    writeHostFile(dir / "table", user);
    FakeCrontab crontab(dir);
    CronScheduler scheduler = schedulerWith({crontab.path});
    EXPECT_EQ(add(scheduler, job(0, 1, "sf=Axm=1ps=bf=a"), why), 2u) << why;
    EXPECT_FALSE(scheduler.removeJob(1, why));
    EXPECT_EQ(why, "there is no scheduled job 1");
    ASSERT_TRUE(scheduler.removeJob(2, why)) << why;
    EXPECT_EQ(readHostFile(crontab.table), user);
}

TEST_F(CronSchedulerTest, RunsChangingTheCrontabAtOnceLoseNoJob) {
    // A crontab that takes its time between reading and writing, as a
    // loaded machine does.
    FakeCrontab crontab(dir, "", "sleep 0.05; cat > \"$dir/table\"");
    std::vector<std::thread> runs;
    std::vector<std::string> reasons(10);
    for (int i = 0; i < 10; ++i)
        runs.emplace_back([&, i] {
            CronScheduler scheduler = schedulerWith({crontab.path});
            std::uint32_t number = 0;
            if (!scheduler.addJob(job(static_cast<std::uint32_t>(i), 1, "sf=P" + std::to_string(i)), number,
                                  reasons[static_cast<std::size_t>(i)]))
                reasons[static_cast<std::size_t>(i)] += " (refused)";
        });
    for (auto& run : runs) run.join();
    for (const auto& reason : reasons) EXPECT_EQ(reason, "");
    CronScheduler reader = schedulerWith({crontab.path});
    const auto jobs = listed(reader);
    ASSERT_EQ(jobs.size(), 10u);
    for (std::uint32_t i = 0; i < 10; ++i) EXPECT_EQ(jobs[i].number, i + 1);
}

}  // namespace
}  // namespace qm::test
