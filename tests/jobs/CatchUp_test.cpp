// Missed scheduled runs: when a job last should have started, which jobs
// missed that start given the history of runs, and a catch-up that runs
// each of them once through the scheduler.
#include "jobs/CatchUp.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "fakes/FakeScheduler.h"
#include "platform/memory/MemoryPlatform.h"

namespace qm::test {
namespace {

using jobs::RunRecord;
using platform::ScheduledJob;

// 2026-12-08 is a Tuesday.
constexpr const char* kTuesdayNoon = "2026-12-08 12:00:00";

ScheduledJob job(std::uint32_t number, std::uint32_t startMinute, std::uint8_t weekdays, const std::string& file,
                 bool once = false) {
    ScheduledJob j;
    j.number = number;
    j.startMinute = startMinute;
    j.weekdays = weekdays;
    j.once = once;
    j.arguments = "sf=Outlookxm=10000000ps=bf=" + file;
    return j;
}

std::vector<std::uint32_t> numbers(const std::vector<ScheduledJob>& jobs) {
    std::vector<std::uint32_t> out;
    for (const auto& j : jobs) out.push_back(j.number);
    return out;
}

TEST(LastStartTime, FollowsTheScheduleBackToTheNewestStartThatPassed) {
    // Daily at 9:00: today's, once it is 9:00.
    EXPECT_EQ(jobs::LastStartTime(job(1, 9 * 60, platform::kAllWeekdayBits, "b"), kTuesdayNoon), "2026-12-08 09:00:00");
    EXPECT_EQ(jobs::LastStartTime(job(1, 9 * 60, platform::kAllWeekdayBits, "b"), "2026-12-08 09:00:00"),
              "2026-12-08 09:00:00");
    EXPECT_EQ(jobs::LastStartTime(job(1, 9 * 60, platform::kAllWeekdayBits, "b"), "2026-12-08 08:59:59"),
              "2026-12-07 09:00:00");
    // Monday, Wednesday, Friday at 23:30: on Tuesday, Monday's.
    const std::uint8_t mwf = platform::kMondayBit | platform::kWednesdayBit | platform::kFridayBit;
    EXPECT_EQ(jobs::LastStartTime(job(1, 23 * 60 + 30, mwf, "b"), kTuesdayNoon), "2026-12-07 23:30:00");
    // Sunday alone: the Sunday before, and across a month's end the one
    // before that.
    EXPECT_EQ(jobs::LastStartTime(job(1, 0, platform::kSundayBit, "b"), kTuesdayNoon), "2026-12-06 00:00:00");
    EXPECT_EQ(jobs::LastStartTime(job(1, 0, platform::kSundayBit, "b"), "2026-12-06 00:00:00"), "2026-12-06 00:00:00");
    EXPECT_EQ(jobs::LastStartTime(job(1, 60, platform::kSundayBit, "b"), "2026-12-06 00:59:00"), "2026-11-29 01:00:00");
    // A job that runs once starts at its time on any day.
    EXPECT_EQ(jobs::LastStartTime(job(1, 13 * 60, 0, "b", true), kTuesdayNoon), "2026-12-07 13:00:00");
    // Days of the month (a line made with another tool): the 31st, back
    // over November, which has none; with a weekday too, either starts it.
    ScheduledJob monthly = job(1, 60, 0, "b");
    monthly.monthDays = 1u << 30;
    EXPECT_EQ(jobs::LastStartTime(monthly, kTuesdayNoon), "2026-10-31 01:00:00");
    monthly.weekdays = platform::kFridayBit;
    EXPECT_EQ(jobs::LastStartTime(monthly, kTuesdayNoon), "2026-12-04 01:00:00");
    // Across a year's end and a leap day.
    EXPECT_EQ(jobs::LastStartTime(job(1, 22 * 60, platform::kAllWeekdayBits, "b"), "2027-01-01 00:10:00"),
              "2026-12-31 22:00:00");
    EXPECT_EQ(jobs::LastStartTime(job(1, 22 * 60, platform::kAllWeekdayBits, "b"), "2028-03-01 00:10:00"),
              "2028-02-29 22:00:00");
    // A time that does not read gives none.
    EXPECT_FALSE(jobs::LastStartTime(job(1, 0, platform::kAllWeekdayBits, "b"), "2026-13-08 12:00:00"));
    EXPECT_FALSE(jobs::LastStartTime(job(1, 0, platform::kAllWeekdayBits, "b"), "yesterday"));
}

TEST(MissedJobs, AStartIsMissedUntilARunSinceWroteTheBackup) {
    const auto daily = job(1, 9 * 60, platform::kAllWeekdayBits, "/b/one.qmk");
    const std::vector<ScheduledJob> jobs{daily};
    auto missed = [&](const std::vector<RunRecord>& records, const std::string& now = kTuesdayNoon) {
        return numbers(jobs::MissedJobs(jobs, records, now));
    };
    // No run at all: a job without an "added" record was added long ago.
    EXPECT_EQ(missed({}), std::vector<std::uint32_t>{1});
    // A run before today's start does not make it up.
    EXPECT_EQ(missed({{"2026-12-07 09:01:00", "scheduled", "/b/one.qmk", 0, ""}}), std::vector<std::uint32_t>{1});
    // One since that wrote the backup does, all done or with failed items;
    // a failed one does not (the next catch-up tries again).
    EXPECT_TRUE(missed({{"2026-12-08 09:00:40", "scheduled", "/b/one.qmk", 0, ""}}).empty());
    EXPECT_TRUE(missed({{"2026-12-08 10:00:00", "scheduled", "/b/one.qmk", 3, "failed: the rules"}}).empty());
    EXPECT_EQ(missed({{"2026-12-08 09:00:40", "scheduled", "/b/one.qmk", 1, "no backup written: x"}}),
              std::vector<std::uint32_t>{1});
    // Runs into another file, or backups by hand, are not its runs.
    EXPECT_EQ(missed({{"2026-12-08 09:00:40", "scheduled", "/b/two.qmk", 0, ""},
                      {"2026-12-08 09:00:40", "backup", "/b/one.qmk", 0, ""}}),
              std::vector<std::uint32_t>{1});
    // Added after its last start: not missed; added before it: missed.
    EXPECT_TRUE(missed({{"2026-12-08 09:30:00", "added", "/b/one.qmk", 0, "scheduled job 1"}}).empty());
    EXPECT_EQ(missed({{"2026-12-08 08:30:00", "added", "/b/one.qmk", 0, "scheduled job 1"}}),
              std::vector<std::uint32_t>{1});
    // A start that has just passed is cron's own business.
    EXPECT_TRUE(missed({}, "2026-12-08 09:04:59").empty());
    EXPECT_EQ(missed({}, "2026-12-08 09:05:00"), std::vector<std::uint32_t>{1});
}

TEST(MissedJobs, ARunStillGoingIsNotMissedButOneKilledLongAgoIs) {
    const std::vector<ScheduledJob> jobs{job(1, 9 * 60, platform::kAllWeekdayBits, "/b/one.qmk")};
    const RunRecord begun{"2026-12-08 09:00:01", "started", "/b/one.qmk", 0, ""};
    EXPECT_TRUE(jobs::MissedJobs(jobs, {begun}, kTuesdayNoon).empty());
    EXPECT_TRUE(jobs::MissedJobs(jobs, {begun}, "2026-12-08 15:00:00").empty());
    // Six hours on without its end: killed with the machine.
    EXPECT_EQ(numbers(jobs::MissedJobs(jobs, {begun}, "2026-12-08 15:00:02")), std::vector<std::uint32_t>{1});
    // Begun and ended failing: missed.
    EXPECT_EQ(numbers(jobs::MissedJobs(jobs, {begun, {"2026-12-08 09:10:00", "scheduled", "/b/one.qmk", 1, "x"}},
                                       kTuesdayNoon)),
              std::vector<std::uint32_t>{1});
    // Begun again after that failure: going.
    EXPECT_TRUE(jobs::MissedJobs(jobs,
                                 {begun,
                                  {"2026-12-08 09:10:00", "scheduled", "/b/one.qmk", 1, "x"},
                                  {"2026-12-08 11:00:00", "started", "/b/one.qmk", 0, ""}},
                                 kTuesdayNoon)
                    .empty());
}

TEST(MissedJobs, TheRunThatCatchesUpLeavesItsOwnFileAndEachFileGoesOnce) {
    const std::vector<ScheduledJob> jobs{
        job(1, 9 * 60, platform::kAllWeekdayBits, "/b/one.qmk"),
        job(2, 10 * 60, platform::kAllWeekdayBits, "/b/two.qmk"),
        job(3, 11 * 60, platform::kAllWeekdayBits, "/b/one.qmk"),
        // A line edited by hand whose text no longer reads.
        [] {
            auto j = job(4, 8 * 60, platform::kAllWeekdayBits, "x");
            j.arguments = "garbage";
            return j;
        }(),
        // Not due yet today, and yesterday's start was made up.
        job(5, 23 * 60, platform::kAllWeekdayBits, "/b/five.qmk"),
    };
    const std::vector<RunRecord> records{{"2026-12-07 23:00:30", "scheduled", "/b/five.qmk", 0, ""}};
    EXPECT_EQ(numbers(jobs::MissedJobs(jobs, records, kTuesdayNoon)), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(numbers(jobs::MissedJobs(jobs, records, kTuesdayNoon, "/b/one.qmk")), std::vector<std::uint32_t>{2});
}

// A scheduler whose started jobs end at once with the status given for
// them, leaving the record a real run leaves.
class EndingScheduler : public FakeScheduler {
public:
    std::map<std::uint32_t, int> statusOf;
    std::function<void(std::uint32_t, int)> onRun;
    std::set<std::uint32_t> unstartable;

    struct Ended final : platform::StartedJob {
        int status;
        explicit Ended(int s) : status(s) {}
        bool ended(int& exitStatus) override {
            exitStatus = status;
            return true;
        }
    };
    std::unique_ptr<platform::StartedJob> startJobNow(std::uint32_t number, std::string& why) override {
        if (unstartable.count(number)) {
            why = "its program is gone";
            return nullptr;
        }
        startedNow.push_back(number);
        const int status = statusOf.count(number) ? statusOf[number] : 0;
        if (onRun) onRun(number, status);
        return std::make_unique<Ended>(status);
    }
};

class CatchUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory = platform::memory::openMemoryPlatform(services);
        scheduler.listing = {job(1, 9 * 60, platform::kAllWeekdayBits, "/b/one.qmk"),
                             job(2, 10 * 60, platform::kAllWeekdayBits, "/b/two.qmk"),
                             job(3, 7 * 60, 0, "/b/three.qmk", true)};
        // Each run leaves its record, as the unattended run does.
        scheduler.onRun = [this](std::uint32_t number, int status) {
            std::string why;
            for (const auto& j : scheduler.listing)
                if (j.number == number) history().append({now, "scheduled", jobs::JobBackupFile(j), status, ""}, why);
        };
    }
    jobs::RunHistory history() { return jobs::RunHistory::in(*services.files, "C:\\users\\alice\\AppData\\Local"); }
    std::vector<jobs::CaughtUpRun> catchUp(const std::string& own = {}) {
        std::vector<jobs::CaughtUpRun> runs;
        std::string why;
        auto h = history();
        EXPECT_TRUE(jobs::CatchUpMissedRuns(scheduler, h, now, own, runs, why)) << why;
        return runs;
    }

    platform::Platform services;
    platform::memory::MemoryInstallation memory;
    EndingScheduler scheduler;
    std::string now = kTuesdayNoon;
};

TEST_F(CatchUpTest, EachMissedJobRunsOnceAndNotAgainAfterItsBackupWasWritten) {
    scheduler.statusOf[2] = 1;
    auto runs = catchUp("/b/one.qmk");
    // Job 1 is the caller's own; 2 and 3 run, each waited for.
    EXPECT_EQ(scheduler.startedNow, (std::vector<std::uint32_t>{2, 3}));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].started);
    EXPECT_EQ(runs[0].exitStatus, 1);
    EXPECT_FALSE(runs[0].removed);
    // The job that runs once was made up and is gone, as its line would be.
    EXPECT_EQ(runs[1].exitStatus, 0);
    EXPECT_TRUE(runs[1].removed);
    EXPECT_EQ(scheduler.removed, std::vector<std::uint32_t>{3});

    // The next catch-up: job 2 failed and goes again, with job 1 now; the
    // once job is no more.
    scheduler.startedNow.clear();
    scheduler.statusOf[2] = 0;
    now = "2026-12-08 12:30:00";
    catchUp();
    EXPECT_EQ(scheduler.startedNow, (std::vector<std::uint32_t>{1, 2}));
    // Every start made up: nothing runs.
    scheduler.startedNow.clear();
    now = "2026-12-08 13:00:00";
    EXPECT_TRUE(catchUp().empty());
    EXPECT_TRUE(scheduler.startedNow.empty());
}

TEST_F(CatchUpTest, AJobThatRunsOnceStaysUntilAMadeUpRunWroteItsBackup) {
    scheduler.statusOf[3] = 1;
    auto runs = catchUp("/b/one.qmk");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_FALSE(runs[1].removed);
    EXPECT_TRUE(scheduler.removed.empty());
    scheduler.statusOf[3] = 3;
    now = "2026-12-08 12:30:00";
    runs = catchUp("/b/one.qmk");
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(scheduler.removed, std::vector<std::uint32_t>{3});
}

TEST_F(CatchUpTest, AJobThatCannotStartLeavesAFailureTheWindowTellsOf) {
    scheduler.unstartable = {2};
    const auto runs = catchUp("/b/one.qmk");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_FALSE(runs[0].started);
    EXPECT_NE(runs[0].failure.find("its program is gone"), std::string::npos) << runs[0].failure;
    // The once job that did run is removed; the unstarted one is not.
    EXPECT_EQ(scheduler.removed, std::vector<std::uint32_t>{3});
    // The failure, and a failed made-up run, are untold failures the main
    // window shows when it opens.
    scheduler.unstartable.clear();
    scheduler.statusOf[2] = 3;
    now = "2026-12-08 12:30:00";
    catchUp("/b/one.qmk");
    const auto untold = history().untoldFailures();
    ASSERT_EQ(untold.size(), 2u);
    EXPECT_EQ(untold[0].file, "/b/two.qmk");
    EXPECT_EQ(untold[0].exitStatus, 1);
    EXPECT_NE(untold[0].message.find("could not be started"), std::string::npos);
    EXPECT_EQ(untold[1].exitStatus, 3);
}

TEST_F(CatchUpTest, AnAddedJobLeavesTheRecordThatKeepsItsEarlierStart) {
    platform::JobSpec added;
    added.arguments = "sf=Outlookxm=10000000ps=bf=/b/new.qmk";
    auto h = history();
    std::string why;
    ASSERT_TRUE(jobs::RecordAddedJob(h, added, 7, why)) << why;
    const auto records = h.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, "added");
    EXPECT_EQ(records[0].file, "/b/new.qmk");
    EXPECT_EQ(records[0].message, "scheduled job 7");
    // Nothing a failure list or the job list reads.
    EXPECT_TRUE(h.untoldFailures().empty());
    EXPECT_FALSE(h.lastScheduledRun("/b/new.qmk"));
    added.arguments = "sf=a=bxm=1ps=bf=c";
    EXPECT_FALSE(jobs::RecordAddedJob(h, added, 8, why));
}

TEST_F(CatchUpTest, JobsThatCannotBeListedAreSaid) {
    scheduler.failure = "crontab: not allowed";
    std::vector<jobs::CaughtUpRun> runs;
    std::string why;
    auto h = history();
    EXPECT_FALSE(jobs::CatchUpMissedRuns(scheduler, h, now, {}, runs, why));
    EXPECT_NE(why.find("crontab: not allowed"), std::string::npos) << why;
}

}  // namespace
}  // namespace qm::test
