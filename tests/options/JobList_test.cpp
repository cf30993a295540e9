#include "options/JobList.h"

#include <gtest/gtest.h>

#include "options/OptionsFakes.h"

namespace qm::test {
namespace {

using namespace qm::options;

TEST(JobList, ListsWithoutPasswordsAndRemovesOnlyAfterOk) {
    FakeScheduler scheduler;
    platform::ScheduledJob weekly{1, 84600000, 0, 21, platform::kJobRunPeriodically, "Mail", "10100000", "/b.qmk", true};
    platform::ScheduledJob once{2, 32400000, 0, 0, platform::kJobRunPeriodically, "Mail", "1", "/c.qmk", false};
    scheduler.listing.jobs = {weekly, once};
    FakeJobListView view;
    ASSERT_TRUE(FillJobList(view, scheduler));
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].startTime, "23:30");
    EXPECT_EQ(view.rows[0].days, "M,W,F");
    EXPECT_TRUE(view.rows[0].passwordProtected);
    EXPECT_EQ(view.rows[1].days, "Once");
    // Both items that begin with "Personal" keep their second word.
    EXPECT_EQ(view.rows[0].items, "Personal Folders, Signatures");
    EXPECT_EQ(view.rows[1].items, "Personal Folders");
    scheduler.listing.jobs = {weekly};
    scheduler.listing.jobs[0].itemDigits = "11111111";
    ASSERT_TRUE(FillJobList(view, scheduler));
    EXPECT_EQ(view.rows[0].items, "Every item");
    scheduler.listing.jobs[0].itemDigits = "00001000";
    ASSERT_TRUE(FillJobList(view, scheduler));
    EXPECT_EQ(view.rows[0].items, "Personal Address Book");
    scheduler.listing.jobs = {weekly, once};

    view.boxes.answers = {app::Answer::Cancel};
    EXPECT_FALSE(RemoveScheduledJob(view, scheduler, 2));
    EXPECT_TRUE(scheduler.removed.empty());
    EXPECT_TRUE(RemoveScheduledJob(view, scheduler, 2));
    EXPECT_EQ(view.rows.size(), 1u);

    scheduler.listing.status = platform::kSchedulerFailed;
    scheduler.listing.reason = "boom";
    view.boxes.messages.clear();
    EXPECT_FALSE(FillJobList(view, scheduler));
    EXPECT_TRUE(view.rows.empty());
    ASSERT_EQ(view.boxes.messages.size(), 1u);
    EXPECT_EQ(view.boxes.messages[0].icon, app::Icon::Critical);
    EXPECT_NE(view.boxes.messages[0].text.find("boom"), std::string::npos);
}

}  // namespace
}  // namespace qm::test
