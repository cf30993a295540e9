#include "options/OptionsPresenter.h"

#include <gtest/gtest.h>

#include "fakes/FakeOptionsView.h"
#include "fakes/FakeScheduler.h"
#include "jobs/RunHistory.h"
#include "jobs/Texts.h"
#include "platform/AtInfo.h"
#include "platform/memory/MemoryPlatform.h"

namespace qm::test {
namespace {

using namespace qm::options;
using namespace qm::jobs::text;
using app::Icon;
using W = jobs::Weekday;

const std::string kMailJob = "\"C:\\Apps\\Qm\\quillmark.exe\" sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk";

// The window over an installation with the profiles Outlook and Work of
// Outlook 2003; which items have data is the test's to say.
class OptionsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::memory::openMemoryPlatform(platform, "tester");
        installation = std::make_unique<app::Session>(platform);
        installation->state.ProfileNames = {"Outlook", "Work"};
        installation->state.OutlookVersion = "11.0";
        context.program = "C:\\Apps\\Qm\\quillmark.exe";
        context.itemAvailability = [this](const std::string& profile) {
            askedFor.push_back(profile);
            items::ItemAvailability answer;
            answer.enabled = available;
            return answer;
        };
        presenter = std::make_unique<OptionsPresenter>(*installation, view, context, kept, scheduler);
    }

    // The window opened with the choices of a valid job.
    void openWithValidChoices() {
        presenter->LoadOptionsWindow();
        view.items[0].checked = view.items[2].checked = true;
        kept.targetFile = "D:\\Bk\\mail.qmk";
    }

    // One refusal, nothing scheduled: its text.
    std::string refusal(Icon icon = Icon::Exclamation) {
        view.boxes.messages.clear();
        EXPECT_FALSE(presenter->AddTaskToScheduler());
        EXPECT_TRUE(scheduler.added.empty());
        if (view.boxes.messages.size() != 1) return "(" + std::to_string(view.boxes.messages.size()) + " messages)";
        EXPECT_EQ(view.boxes.messages[0].icon, icon) << view.boxes.messages[0].text;
        return view.boxes.messages[0].text;
    }

    // The record Windows' scheduler would be given for the job added.
    platform::AtInfo added() {
        EXPECT_TRUE(presenter->AddTaskToScheduler()) << view.boxes.messages.back().text;
        return scheduler.added.empty() ? platform::AtInfo{} : platform::atInfoFor(scheduler.added.back());
    }

    std::array<bool, 8> available{true, true, true, true, true, true, true, true};
    std::vector<std::string> askedFor;
    platform::Platform platform;
    std::unique_ptr<app::Session> installation;
    OptionsContext context;
    KeptOptions kept;
    FakeOptionsView view;
    FakeScheduler scheduler;
    std::unique_ptr<OptionsPresenter> presenter;
};

TEST_F(OptionsWindowTest, ProfileChoiceUnchecksAllItemsAndAppliesTheirAvailability) {
    available[3] = false;
    presenter->LoadOptionsWindow();
    EXPECT_EQ(view.profiles, installation->state.ProfileNames);
    EXPECT_EQ(view.profileText, "Outlook");
    EXPECT_EQ(view.startTimes.size(), 48u);
    EXPECT_EQ(view.startTime, "9:00");
    EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "11101111");

    for (auto& box : view.items) box = {true, false, ""};
    view.profileText = "Work";
    available = {true, false, true, true, true, true, false, true};
    presenter->SourceProfileChanged();
    EXPECT_EQ(askedFor, (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(view.itemPattern(&FakeItemBox::checked), "00000000");
    EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "10111101");

    for (const char* version : {"12.0", "14.0"}) {
        installation->state.OutlookVersion = version;
        presenter->SourceProfileChanged();
        EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "10110101") << version;
        EXPECT_EQ(view.items[4].tooltip, " MS Outlook 2007 don't support Personal Address Book!");
    }
    // The window's own words name Outlook 2007: later versions get the main
    // window's.
    for (const char* version : {"15.0", "16.0"}) {
        installation->state.OutlookVersion = version;
        presenter->SourceProfileChanged();
        EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "10110101") << version;
        EXPECT_EQ(view.items[4].tooltip, "Your MS Outlook don't support Personal Address Book!");
    }
}

TEST_F(OptionsWindowTest, ProtectionAndRunDailyToggles) {
    presenter->LoadOptionsWindow();
    for (bool on : {true, false, true, false}) {
        view.passwordText = view.password2Text = "typed";
        view.protect = on;
        presenter->ProtectClicked();
        EXPECT_EQ(view.passwordBoxesEnabled, on);
        EXPECT_EQ(view.passwordText + view.password2Text, "");
    }
    view.checkDays({W::Tuesday});
    view.daily = true;
    presenter->DailyClicked();
    EXPECT_EQ(jobs::DayList(view.weekdays), "M,T,W,TH,F,S,SU");
    view.daily = false;
    presenter->DailyClicked();
    EXPECT_EQ(jobs::DayList(view.weekdays), "");
}

TEST_F(OptionsWindowTest, TheTargetFileOutlivesTheWindowAndACancelledDialog) {
    presenter->LoadOptionsWindow();
    view.dialogAnswers = {std::string("D:\\Bk\\mail.qmk"), std::nullopt, std::string()};
    for (int i = 0; i < 3; ++i) presenter->BrowseTargetFile();
    ASSERT_EQ(view.dialogs.size(), 3u);
    EXPECT_EQ(view.dialogs[0].title, "Save Outlook Data as");
    EXPECT_EQ(view.dialogs[0].filter, "Quillmark File (*.qmk)|*.qmk");
    EXPECT_EQ(view.dialogs[0].proposedName, "ferrowick.qmk");
    EXPECT_EQ(view.targetFileText, "D:\\Bk\\mail.qmk");

    FakeOptionsView reopened;
    OptionsPresenter again(*installation, reopened, context, kept, scheduler);
    again.LoadOptionsWindow();
    EXPECT_EQ(reopened.targetFileText, "D:\\Bk\\mail.qmk");
    reopened.items[0].checked = reopened.items[2].checked = true;
    ASSERT_TRUE(again.AddTaskToScheduler());
    EXPECT_EQ(platform::atInfoFor(scheduler.added.back()).Command, kMailJob);
}

TEST_F(OptionsWindowTest, ATypedNameWithoutExtensionIsGivenQmk) {
    presenter->LoadOptionsWindow();
    view.dialogAnswers = {std::string("D:\\Bk\\nightly"), std::string("D:\\Bk\\week.bak")};
    presenter->BrowseTargetFile();
    EXPECT_EQ(view.targetFileText, "D:\\Bk\\nightly.qmk");
    EXPECT_EQ(kept.targetFile, "D:\\Bk\\nightly.qmk");
    // A name with an extension of its own keeps it.
    presenter->BrowseTargetFile();
    EXPECT_EQ(view.targetFileText, "D:\\Bk\\week.bak");
    EXPECT_TRUE(view.boxes.messages.empty());
}

TEST_F(OptionsWindowTest, EachJobTakesTheTimeAndDaysShownThen) {
    openWithValidChoices();
    view.startTime = "23:30";
    view.checkDays({W::Monday, W::Wednesday, W::Friday});
    scheduler.nextNumber = 5;
    platform::AtInfo job = added();
    EXPECT_EQ(job.JobTime, 84600000u);
    EXPECT_EQ(job.DaysOfMonth, 0u);
    EXPECT_EQ(job.DaysOfWeek, 21);
    EXPECT_EQ(job.Flags, platform::kJobRunPeriodically);
    EXPECT_EQ(job.Command, kMailJob);
    ASSERT_EQ(view.boxes.messages.size(), 1u);
    EXPECT_EQ(view.boxes.messages[0].text, "Task 5 has been scheduled.");
    EXPECT_EQ(view.boxes.messages[0].icon, Icon::None);
    EXPECT_EQ(view.boxes.messages[0].buttons, app::Buttons::Ok);
    // Its starts count from now: the history says when it was added.
    const auto records = jobs::RunHistory::of(*installation).records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, "added");
    EXPECT_EQ(records[0].file, "D:\\Bk\\mail.qmk");
    EXPECT_EQ(records[0].message, "scheduled job 5");

    view.checkDays({W::Tuesday});
    EXPECT_EQ(added().DaysOfWeek, 2);
    view.checkDays({});
    EXPECT_EQ(added().DaysOfWeek, 0);
    view.daily = true;
    presenter->DailyClicked();
    view.weekdays[static_cast<size_t>(W::Saturday)] = false;
    EXPECT_EQ(added().DaysOfWeek, 95);
}

TEST_F(OptionsWindowTest, ChecksComeInTheirOrderAndTheFirstFailingOneStops) {
    presenter->LoadOptionsWindow();
    view.protect = true;
    view.startTime = "soon";
    view.profileText = "";
    EXPECT_EQ(refusal(), "Please select at least one item.");
    view.items[7].checked = true;
    EXPECT_EQ(refusal(), "Invalid backup file name.");
    kept.targetFile = "D:\\b.qmk";
    EXPECT_EQ(refusal(Icon::Critical), "Please enter Password!");
    view.password2Text = "x";
    EXPECT_EQ(refusal(Icon::Critical), "Incorect Password!");
    view.passwordText = "x";
    EXPECT_EQ(refusal(), kNoProfile);
    view.profileText = "Outlook";
    EXPECT_EQ(refusal(), kInvalidStartTime);
    EXPECT_EQ(view.itemPattern(&FakeItemBox::checked), "00000001");  // the controls keep their contents
}

TEST_F(OptionsWindowTest, AValueWithEqualsIsRefusedNamingItsField) {
    // The unattended run splits at "=": the wrong profile into the wrong file.
    struct Case {
        const char* profile;
        const char* password;
        const char* target;
        const char* field;
    } cases[] = {
        {"Mail=Home", "", "D:\\b.qmk", "profile name"},
        {"Outlook", "a=b", "D:\\b.qmk", "password"},
        {"Outlook", "", "/home/u/b=.qmk", "backup file name"},
    };
    openWithValidChoices();
    for (const auto& c : cases) {
        view.profileText = c.profile;
        view.protect = *c.password != '\0';
        view.passwordText = view.password2Text = c.password;
        kept.targetFile = c.target;
        EXPECT_NE(refusal().find(c.field), std::string::npos) << c.field;
    }
    // After the checks that were there before it.
    view.password2Text = "different";
    view.protect = true;
    EXPECT_EQ(refusal(Icon::Critical), "Incorect Password!");
}

TEST_F(OptionsWindowTest, WithoutProtectionThePasswordBoxesAreNeitherComparedNorCarried) {
    openWithValidChoices();
    view.passwordText = "left=over";
    view.password2Text = "different";
    EXPECT_EQ(added().Command, kMailJob);
    EXPECT_EQ(scheduler.added.back().password, "");
    view.protect = true;
    view.passwordText = view.password2Text = "s3 cret";
    // Carried apart from the command, which others can read while it runs.
    EXPECT_EQ(added().Command, kMailJob);
    EXPECT_EQ(scheduler.added.back().password, "s3 cret");
}

TEST_F(OptionsWindowTest, ASchedulerThatRefusesIsReportedWithItsReason) {
    openWithValidChoices();
    scheduler.failure = "the crontab cannot be written: Permission denied";
    EXPECT_EQ(refusal(Icon::Critical), kTaskNotScheduled + scheduler.failure);
}

// A job for a name that is no profile here would fail every night.
TEST_F(OptionsWindowTest, AProfileTheInstallationDoesNotHaveIsRefused) {
    openWithValidChoices();
    view.profileText = "Outlok";
    EXPECT_EQ(refusal(Icon::Critical),
              std::string(kTaskNotScheduled) +
                  "the profile Outlok is not one of this installation's profiles (Outlook, Work)");
    view.profileText = "WORK";
    EXPECT_EQ(added().Command, "\"C:\\Apps\\Qm\\quillmark.exe\" sf=Workxm=10100000ps=bf=D:\\Bk\\mail.qmk");
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

TEST_F(OptionsWindowTest, TheVersionsKeptGoOnTheJobsCommandAndOutliveTheWindow) {
    openWithValidChoices();
    // One backup file replaced, as always, until the user asks for more.
    EXPECT_EQ(view.keep, (std::array<int, 3>{1, 0, 0}));
    EXPECT_EQ(view.keepRanges[0], std::make_pair(1, 999));
    EXPECT_EQ(view.keepRanges[1], std::make_pair(0, 999));
    EXPECT_EQ(view.keepRanges[2], std::make_pair(0, 999));
    EXPECT_EQ(added().Command, kMailJob);

    view.keep = {3, 4, 0};
    EXPECT_EQ(added().Command,
              "\"C:\\Apps\\Qm\\quillmark.exe\" --keep 3 --keep-weekly 4 "
              "sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk");
    EXPECT_EQ(scheduler.added.back().options, (std::vector<std::string>{"--keep", "3", "--keep-weekly", "4"}));

    FakeOptionsView reopened;
    OptionsPresenter again(*installation, reopened, context, kept, scheduler);
    again.LoadOptionsWindow();
    EXPECT_EQ(reopened.keep, (std::array<int, 3>{3, 4, 0}));

    // A box typed empty or out of range adds no job.
    scheduler.added.clear();
    for (const auto& counts : {std::array<int, 3>{0, 0, 0}, std::array<int, 3>{-1, 0, 0},
                               std::array<int, 3>{1000, 0, 0}, std::array<int, 3>{2, 0, 1000}}) {
        view.keep = counts;
        EXPECT_EQ(refusal(), kKeepOutOfRange);
    }
}

}  // namespace
}  // namespace qm::test
