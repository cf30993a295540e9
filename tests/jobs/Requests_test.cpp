// The requests' builders: each kind of run makes its checks in its order,
// and console and scheduled runs take the profile as the installation
// spells it, with what that profile (not another) holds.
#include "jobs/BackupRequest.h"

#include "app/Environment.h"
#include "jobs/ItemsFixture.h"
#include "jobs/RestoreRequest.h"
#include "jobs/Texts.h"

namespace qm::test {
namespace {

using jobs::RunKind;

class Requests : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(a.ok()) << a.error; }

    // The refusal's text, or "(built)".
    std::string refusalOf(const jobs::BackupChoices& choices) {
        jobs::Refusal refusal;
        return jobs::BuildBackupRequest(a.s(), choices, request, refusal) ? "(built)" : refusal.text;
    }

    Installation a{sampleOptions("alice", "14.0", "Work")};
    jobs::BackupRequest request;
};

TEST_F(Requests, EachKindOfBackupChecksInItsOwnOrder) {
    jobs::BackupChoices window;
    window.protect = true;
    EXPECT_EQ(refusalOf(window), jobs::text::kInvalidTarget);
    window.target = "C:\\b.qmk";
    EXPECT_EQ(refusalOf(window), jobs::text::kSelectOne);
    window.items[2] = true;
    EXPECT_EQ(refusalOf(window), jobs::text::kEnterPassword);
    window.password2 = "x";
    EXPECT_EQ(refusalOf(window), jobs::text::kPasswordsDiffer);
    window.password = "x";
    // A window's profile is the one its list shows: it is not looked up.
    window.profile = "Anything";
    EXPECT_EQ(refusalOf(window), "(built)");
    EXPECT_EQ(request.profile, "Anything");
    EXPECT_EQ(request.password, "x");
    EXPECT_FALSE(request.unattended);

    // The console's: a target that is no path, nothing selected, then the
    // profile, which must be the installation's.
    jobs::BackupChoices console;
    console.kind = RunKind::Console;
    console.profile = "WORK";
    console.items[2] = true;
    EXPECT_EQ(refusalOf(console), jobs::text::kInvalidTarget);
    console.target = "C:\\b.qmk";
    console.items = {};
    EXPECT_EQ(refusalOf(console), jobs::text::kSelectOne);
    console.items[2] = true;
    console.profile = "Wrok";
    jobs::Refusal refusal;
    EXPECT_FALSE(jobs::BuildBackupRequest(a.s(), console, request, refusal));
    EXPECT_EQ(refusal.text, "the profile Wrok is not one of this installation's profiles (Outlook, Work)");
    EXPECT_TRUE(refusal.runFailed);
    console.profile = "WORK";
    EXPECT_EQ(refusalOf(console), "(built)");
    EXPECT_EQ(request.profile, "Work");
    EXPECT_TRUE(request.unattended);
    EXPECT_EQ(request.password, "");
}

TEST_F(Requests, AScheduledBackupTakesTheArgumentTextsValues) {
    jobs::BackupChoices scheduled = jobs::ScheduledChoices({"outlook", "00100000", "pw", "C:\\b.qmk"});
    EXPECT_EQ(refusalOf(scheduled), "(built)");
    EXPECT_EQ(request.profile, "Outlook");
    EXPECT_EQ(request.description, jobs::text::kAutomaticBackup);
    EXPECT_EQ(request.password, "pw");
    EXPECT_EQ(request.archivePath, "C:\\b.qmk");
    // Nothing selected is no refusal: the run stores nothing and says so.
    EXPECT_EQ(refusalOf(jobs::ScheduledChoices({"Outlook", "00000000", "", "C:\\b.qmk"})), "(built)");
    EXPECT_EQ(refusalOf(jobs::ScheduledChoices({"Outlook", "1", "", ""})), jobs::kCommandLineEmptyValue);
}

// What the console says of a part that found nothing comes from the profile
// backed up; the unattended run once worked it out for the first profile.
TEST_F(Requests, WhatAProfileHoldsIsWorkedOutForThatProfile) {
    ASSERT_TRUE(a.s().reg.DeleteKeyTree(app::AccountsKeyFor("14.0", "Work")));
    for (RunKind kind : {RunKind::Console, RunKind::Scheduled}) {
        jobs::BackupChoices choices = jobs::ScheduledChoices({"Work", "01000000", "", "C:\\b.qmk"});
        choices.kind = kind;
        ASSERT_EQ(refusalOf(choices), "(built)");
        ASSERT_TRUE(request.available);
        EXPECT_FALSE(request.available->enabled[1]) << "Work has no accounts";
        choices.profile = "Outlook";
        ASSERT_EQ(refusalOf(choices), "(built)");
        EXPECT_TRUE(request.available->enabled[1]);
    }
}

TEST_F(Requests, ARestoreNeedsALoadedBackupAndWhatItHolds) {
    const std::string archive = a.dir / "a.qmk";
    ASSERT_EQ(a.backupAll("Outlook", archive), "1111110111");
    jobs::RestoreChoices window;
    window.items = items::ItemSelection{};
    jobs::RestoreRequest made;
    jobs::Refusal refusal;
    EXPECT_FALSE(jobs::BuildRestoreRequest(a.s(), nullptr, window, made, refusal));
    EXPECT_EQ(refusal.text, jobs::text::kNoBackupLoaded);
    ASSERT_TRUE(a.openBackup(archive));
    EXPECT_FALSE(jobs::BuildRestoreRequest(a.s(), &a.openedBackup(), window, made, refusal));
    EXPECT_EQ(refusal.text, jobs::text::kSelectOne);

    // A console asks for every item the backup holds unless it names some;
    // one the backup does not hold is refused by its caption.
    jobs::RestoreChoices console;
    console.kind = RunKind::Console;
    console.targetProfile = [] { return std::string("work"); };
    ASSERT_TRUE(jobs::BuildRestoreRequest(a.s(), &a.openedBackup(), console, made, refusal)) << refusal.text;
    EXPECT_EQ(items::digitsOf(made.items), "11110111");
    EXPECT_EQ(made.targetProfile(), "Work");
    console.items = items::selectionFromDigits("00001000");
    EXPECT_FALSE(jobs::BuildRestoreRequest(a.s(), &a.openedBackup(), console, made, refusal));
    EXPECT_EQ(refusal.text, "the backup file does not hold Personal Address Book");
}

}  // namespace
}  // namespace qm::test
