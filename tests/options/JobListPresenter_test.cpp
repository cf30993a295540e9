#include "options/JobListPresenter.h"

#include <gtest/gtest.h>

#include "fakes/FakeOptionsView.h"
#include "fakes/FakeScheduler.h"
#include "platform/memory/MemoryPlatform.h"

namespace qm::test {
namespace {

using namespace qm::options;

TEST(JobList, ListsWithoutPasswordsAndRemovesOnlyAfterOk) {
    FakeScheduler scheduler;
    platform::ScheduledJob weekly{1, 23 * 60 + 30, 21, 0, false, "sf=Mailxm=10100000ps=s3cretbf=/b.qmk"};
    platform::ScheduledJob once{2, 9 * 60, 0, 0, true, "sf=Mailxm=1ps=bf=/c.qmk"};
    scheduler.listing = {weekly, once};
    FakeJobListView view;
    JobListPresenter presenter(view, scheduler);
    ASSERT_TRUE(presenter.FillJobList());
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].startTime, "23:30");
    EXPECT_EQ(view.rows[0].days, "M,W,F");
    EXPECT_TRUE(view.rows[0].passwordProtected);
    EXPECT_EQ(view.rows[0].profile, "Mail");
    EXPECT_EQ(view.rows[0].targetFile, "/b.qmk");
    EXPECT_FALSE(view.rows[1].passwordProtected);
    EXPECT_EQ(view.rows[1].days, "Once");
    // Both items that begin with "Personal" keep their second word.
    EXPECT_EQ(view.rows[0].items, "Personal Folders, Signatures");
    EXPECT_EQ(view.rows[1].items, "Personal Folders");
    scheduler.listing = {weekly};
    scheduler.listing[0].arguments = "sf=Mailxm=11111111ps=bf=/b.qmk";
    ASSERT_TRUE(presenter.FillJobList());
    EXPECT_EQ(view.rows[0].items, "Every item");
    scheduler.listing[0].arguments = "sf=Mailxm=00001000ps=bf=/b.qmk";
    ASSERT_TRUE(presenter.FillJobList());
    EXPECT_EQ(view.rows[0].items, "Personal Address Book");
    scheduler.listing = {weekly, once};

    view.boxes.answers = {app::Answer::Cancel};
    EXPECT_FALSE(presenter.RemoveScheduledJob(2));
    EXPECT_TRUE(scheduler.removed.empty());
    EXPECT_TRUE(presenter.RemoveScheduledJob(2));
    EXPECT_EQ(view.rows.size(), 1u);

    scheduler.failure = "boom";
    view.boxes.messages.clear();
    EXPECT_FALSE(presenter.FillJobList());
    EXPECT_TRUE(view.rows.empty());
    ASSERT_EQ(view.boxes.messages.size(), 1u);
    EXPECT_EQ(view.boxes.messages[0].icon, app::Icon::Critical);
    EXPECT_NE(view.boxes.messages[0].text.find("boom"), std::string::npos);
}

// Each job's last run, from the history its scheduled runs leave; a job
// run now, its row saying so while it runs and its result after.
TEST(JobList, LastRunsAndAJobRunNow) {
    platform::Platform services;
    platform::memory::openMemoryPlatform(services);
    jobs::RunHistory history = jobs::RunHistory::in(*services.files, "C:\\users\\alice");
    std::string why;
    ASSERT_TRUE(history.append({"2026-12-07 23:30:02", "scheduled", "/b.qmk", 0, ""}, why));
    ASSERT_TRUE(
        history.append({"2026-12-08 23:30:04", "scheduled", "/b.qmk", 1, "no backup written: no profile"}, why));
    ASSERT_TRUE(history.append({"2026-12-08 23:40:00", "backup", "/c.qmk", 0, ""}, why));  // not scheduled

    FakeScheduler scheduler;
    scheduler.listing = {{1, 23 * 60 + 30, 21, 0, false, "sf=Mailxm=10100000ps=bf=/b.qmk"},
                         {2, 9 * 60, 0, 0, true, "sf=Mailxm=1ps=bf=/c.qmk"}};
    FakeJobListView view;
    JobListPresenter presenter(view, scheduler, &history);
    ASSERT_TRUE(presenter.FillJobList());
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].lastRun, "2026-12-08 23:30:04");
    EXPECT_EQ(view.rows[0].lastResult, "failed");
    EXPECT_EQ(view.rows[0].lastMessage, "no backup written: no profile");
    EXPECT_EQ(view.rows[1].lastRun, "");
    EXPECT_EQ(view.rows[1].lastResult, "");

    ASSERT_TRUE(presenter.RunJobNow(1));
    EXPECT_EQ(scheduler.startedNow, std::vector<std::uint32_t>{1});
    EXPECT_EQ(view.polls, std::vector<int>{kJobPollMilliseconds});
    EXPECT_EQ(view.rows[0].lastResult, "running");
    // One at a time.
    EXPECT_FALSE(presenter.RunJobNow(2));
    EXPECT_EQ(view.boxes.messages.back().text, "Task 1 is running; wait until it has ended.");
    presenter.Poll();  // not ended yet
    EXPECT_EQ(view.rows[0].lastResult, "running");
    EXPECT_EQ(view.polls.size(), 1u);

    // The run leaves its record, as a scheduled run does, and ends.
    ASSERT_TRUE(history.append({"2099-01-01 00:00:00", "scheduled", "/b.qmk", 3, "failed: the rules"}, why));
    scheduler.endedStatus = 3;
    view.boxes.messages.clear();
    presenter.Poll();
    EXPECT_EQ(view.polls.back(), 0);
    EXPECT_FALSE(presenter.jobRunning());
    EXPECT_EQ(view.rows[0].lastResult, "items failed");
    ASSERT_EQ(view.boxes.messages.size(), 1u);
    EXPECT_EQ(view.boxes.messages[0].text, "Task 1 has run: items failed: failed: the rules");
    EXPECT_EQ(view.boxes.messages[0].icon, app::Icon::Exclamation);

    // One that leaves no record is told by its exit status.
    ASSERT_TRUE(presenter.RunJobNow(2));
    scheduler.endedStatus = 1;
    presenter.Poll();
    EXPECT_EQ(view.boxes.messages.back().text, "Task 2 has run: failed (exit status 1).");

    scheduler.failure = "crontab cannot be read";
    EXPECT_FALSE(presenter.RunJobNow(2));
    EXPECT_EQ(view.boxes.messages.back().text, "Task 2 cannot be run now: crontab cannot be read");
}

}  // namespace
}  // namespace qm::test
