#include "options/OptionsWindow.h"

#include <gtest/gtest.h>

#include "options/OptionsFakes.h"

namespace qm::test {
namespace {

using namespace qm::options;
using app::Icon;
using W = Weekday;

const std::string kMailJob = "\"C:\\Apps\\Qm\\quillmark.exe\" sf=Outlookxm=10100000ps=bf=D:\\Bk\\mail.qmk";

class OptionsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = {{"Outlook", "Work"}, "11.0", "C:\\Apps\\Qm", "HOST", [this](const std::string& profile) {
                       askedFor.push_back(profile);
                       return available;
                   }};
    }

    // The window opened with the choices of a valid job.
    void openWithValidChoices() {
        LoadOptionsWindow(session);
        view.items[0].checked = view.items[2].checked = true;
        kept.targetFile = "D:\\Bk\\mail.qmk";
    }

    // One refusal, nothing scheduled: its text.
    std::string refusal(Icon icon = Icon::Exclamation) {
        view.boxes.messages.clear();
        EXPECT_FALSE(AddTaskToScheduler(session));
        EXPECT_TRUE(scheduler.added.empty());
        if (view.boxes.messages.size() != 1) return "(" + std::to_string(view.boxes.messages.size()) + " messages)";
        EXPECT_EQ(view.boxes.messages[0].icon, icon) << view.boxes.messages[0].text;
        return view.boxes.messages[0].text;
    }

    platform::AtInfo added() {
        EXPECT_TRUE(AddTaskToScheduler(session)) << view.boxes.messages.back().text;
        return scheduler.added.empty() ? platform::AtInfo{} : scheduler.added.back().job;
    }

    ItemAvailability available{true, true, true, true, true, true, true, true};
    std::vector<std::string> askedFor;
    OptionsContext context;
    KeptOptions kept;
    FakeOptionsView view;
    FakeScheduler scheduler;
    OptionsSession session{view, context, kept, scheduler};
};

TEST_F(OptionsWindowTest, ProfileChoiceUnchecksAllItemsAndAppliesTheirAvailability) {
    available[3] = false;
    LoadOptionsWindow(session);
    EXPECT_EQ(view.profiles, context.profileNames);
    EXPECT_EQ(view.profileText, "Outlook");
    EXPECT_EQ(view.startTimes.size(), 48u);
    EXPECT_EQ(view.startTime, "9:00");
    EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "11101111");

    for (auto& box : view.items) box = {true, false, ""};
    view.profileText = "Work";
    available = {true, false, true, true, true, true, false, true};
    SourceProfileChanged(session);
    EXPECT_EQ(askedFor, (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(view.itemPattern(&FakeItemBox::checked), "00000000");
    EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "10111101");

    for (const char* version : {"12.0", "14.0"}) {
        context.outlookVersion = version;
        SourceProfileChanged(session);
        EXPECT_EQ(view.itemPattern(&FakeItemBox::enabled), "10110101") << version;
        EXPECT_EQ(view.items[4].tooltip, " MS Outlook 2007 don't support Personal Address Book!");
    }
}

TEST_F(OptionsWindowTest, ProtectionAndRunDailyToggles) {
    LoadOptionsWindow(session);
    for (bool on : {true, false, true, false}) {
        view.passwordText = view.password2Text = "typed";
        view.protect = on;
        ProtectClicked(session);
        EXPECT_EQ(view.passwordBoxesEnabled, on);
        EXPECT_EQ(view.passwordText + view.password2Text, "");
    }
    view.checkDays({W::Tuesday});
    view.daily = true;
    DailyClicked(session);
    EXPECT_EQ(DayList(view.weekdays), "M,T,W,TH,F,S,SU");
    view.daily = false;
    DailyClicked(session);
    EXPECT_EQ(DayList(view.weekdays), "");
}

TEST_F(OptionsWindowTest, TheTargetFileOutlivesTheWindowAndACancelledDialog) {
    LoadOptionsWindow(session);
    view.dialogAnswers = {std::string("D:\\Bk\\mail.qmk"), std::nullopt, std::string()};
    for (int i = 0; i < 3; ++i) BrowseTargetFile(session);
    ASSERT_EQ(view.dialogs.size(), 3u);
    EXPECT_EQ(view.dialogs[0].title, "Save Outlook Data as");
    EXPECT_EQ(view.dialogs[0].filter, "Quillmark File (*.qmk)|*.qmk");
    EXPECT_EQ(view.dialogs[0].proposedName, "ferrowick");
    EXPECT_EQ(view.targetFileText, "D:\\Bk\\mail.qmk");

    FakeOptionsView reopened;
    OptionsSession again{reopened, context, kept, scheduler};
    LoadOptionsWindow(again);
    EXPECT_EQ(reopened.targetFileText, "D:\\Bk\\mail.qmk");
    reopened.items[0].checked = reopened.items[2].checked = true;
    ASSERT_TRUE(AddTaskToScheduler(again));
    EXPECT_EQ(scheduler.added.back().job.Command, kMailJob);
}

TEST_F(OptionsWindowTest, EachJobTakesTheTimeAndDaysShownThen) {
    openWithValidChoices();
    view.startTime = "23:30";
    view.checkDays({W::Monday, W::Wednesday, W::Friday});
    scheduler.nextNumber = 5;
    platform::AtInfo job = added();
    EXPECT_EQ(scheduler.added[0].server, "HOST");
    EXPECT_EQ(job.JobTime, 84600000u);
    EXPECT_EQ(job.DaysOfMonth, 0u);
    EXPECT_EQ(job.DaysOfWeek, 21);
    EXPECT_EQ(job.Flags, platform::kJobRunPeriodically);
    EXPECT_EQ(job.Command, kMailJob);
    ASSERT_EQ(view.boxes.messages.size(), 1u);
    EXPECT_EQ(view.boxes.messages[0].text, "Task 5 has been scheduled.");
    EXPECT_EQ(view.boxes.messages[0].icon, Icon::None);
    EXPECT_EQ(view.boxes.messages[0].buttons, app::Buttons::Ok);

    view.checkDays({W::Tuesday});
    EXPECT_EQ(added().DaysOfWeek, 2);
    view.checkDays({});
    EXPECT_EQ(added().DaysOfWeek, 0);
    view.daily = true;
    DailyClicked(session);
    view.weekdays[static_cast<size_t>(W::Saturday)] = false;
    EXPECT_EQ(added().DaysOfWeek, 95);
}

TEST_F(OptionsWindowTest, ChecksComeInTheirOrderAndTheFirstFailingOneStops) {
    LoadOptionsWindow(session);
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
    view.protect = true;
    view.passwordText = view.password2Text = "s3 cret";
    EXPECT_EQ(added().Command,
              "\"C:\\Apps\\Qm\\quillmark.exe\" sf=Outlookxm=10100000ps=s3 cretbf=D:\\Bk\\mail.qmk");
}

TEST_F(OptionsWindowTest, ASchedulerThatRefusesIsReportedWithItsReason) {
    openWithValidChoices();
    scheduler.addStatus = platform::kSchedulerFailed;
    scheduler.failure = "the crontab cannot be written: Permission denied";
    EXPECT_EQ(refusal(Icon::Critical), kTaskNotScheduled + scheduler.failure);
}

}  // namespace
}  // namespace qm::test
