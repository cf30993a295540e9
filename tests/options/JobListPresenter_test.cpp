#include "options/JobListPresenter.h"

#include <gtest/gtest.h>

#include "fakes/FakeOptionsView.h"
#include "fakes/FakeScheduler.h"

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

}  // namespace
}  // namespace qm::test
