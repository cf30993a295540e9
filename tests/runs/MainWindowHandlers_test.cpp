#include "runs/MainPresenter.h"

#include "app/AppFixture.h"
#include "app/Environment.h"
#include "app/Startup.h"

namespace qm::test {
namespace {

class StartupTest : public AppTest {
protected:
    runs::MainPresenter& presenter() {
        if (!presenter_) presenter_ = std::make_unique<runs::MainPresenter>(open(), view);
        return *presenter_;
    }
    void TearDown() override {
        presenter_.reset();
        AppTest::TearDown();
    }

private:
    std::unique_ptr<runs::MainPresenter> presenter_;
};

TEST_F(StartupTest, InitialisationFillsStateAndBothProfileLists) {
    makeProfile("Outlook");
    makeProfile("   ");  // blank name: left out of both lists
    makeProfile("Work");
    outlook->version = "11.0.6550.0";
    view.tab = app::Tab::Restore;
    auto& s = open();
    ASSERT_TRUE(presenter().InitializeMainWindow());

    EXPECT_EQ(view.caption, "Quillmark V2.70");
    EXPECT_EQ(view.busyHistory, std::vector<bool>{false});
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_EQ(view.applyCaption, "Restore Now");
    EXPECT_TRUE(view.applyEnabled);
    EXPECT_TRUE(view.messages.empty());

    EXPECT_EQ(s.state.InfoFilePath, s.state.WorkFolder + "\\quillmark.dat");
    EXPECT_EQ(presenter().loadedBackup(), nullptr);
    EXPECT_EQ(s.state.LogonUser, "tester");
    EXPECT_FALSE(s.state.WindowsFolder.empty());
    EXPECT_EQ(s.state.ProfilesKey, profilesKey());
    EXPECT_EQ(s.state.OutlookVersion, "11.0");
    EXPECT_EQ(s.state.UserProfileFolder, "C:\\users\\tester");

    std::vector<std::string> kept{"Outlook", "Work"};
    EXPECT_EQ(s.state.ProfileNames, kept);
    EXPECT_EQ(view.sourceProfiles, kept);
    EXPECT_EQ(view.targetProfiles, kept);
    EXPECT_EQ(view.sourceText, "Outlook");
    EXPECT_EQ(view.targetText, "Outlook");
    // The source-profile handler ran.
    EXPECT_EQ(s.state.OptionsKey, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Outlook\\Options");
}

TEST_F(StartupTest, WindowsVersionAndItsFolderLayout) {
    makeProfile("Outlook");
    mem.system->facts().version = {6, 1, 72145};  // only the low 16 bits of the build count
    auto& s = open();
    ASSERT_TRUE(presenter().InitializeMainWindow());
    EXPECT_EQ(s.state.WindowsVersion, "6.1");
    EXPECT_EQ(s.state.WindowsBuild, "6609");
    EXPECT_EQ(s.state.SignaturesFolder, "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Signatures");

    // Windows 8 and later report 6.2 and take the old folder names.
    mem.system->facts().version = {6, 2, 9200};
    ASSERT_TRUE(presenter().InitializeMainWindow());
    EXPECT_EQ(s.state.WindowsVersion, "6.2");
    EXPECT_EQ(s.state.SignaturesFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Signatures");
}

TEST_F(StartupTest, NoProfileShowsTheMessageAndDisablesApply) {
    makeProfile("  ");
    auto& s = open();
    EXPECT_FALSE(presenter().InitializeMainWindow());
    EXPECT_TRUE(s.state.NoOutlook);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Your Windows System have not install MS Outlook or MS Outlook Error!");
    EXPECT_EQ(view.messages[0].icon, app::Icon::Critical);
    EXPECT_FALSE(view.applyEnabled);
    // Nothing after the message ran: no lists, no folders. The version,
    // which tells where the profiles are, was learnt first, and is shown.
    EXPECT_TRUE(view.sourceProfiles.empty());
    EXPECT_TRUE(s.state.SignaturesFolder.empty());
    EXPECT_TRUE(s.state.UserProfileFolder.empty());
    EXPECT_EQ(view.outlookText, s.state.OutlookName + " (" + s.state.OutlookVersion + ")");
}

TEST_F(StartupTest, TabChangeCaptionsTheApplyButton) {
    for (auto tab : {app::Tab::Restore, app::Tab::Backup, app::Tab::Restore}) {
        view.tab = tab;
        presenter().TabChanged();
        EXPECT_EQ(view.applyCaption, tab == app::Tab::Backup ? "Backup Now" : "Restore Now");
    }
}

TEST_F(StartupTest, ActivationRunsTheUnattendedBackupOnce) {
    makeProfile("Outlook");
    auto& s = open();
    ASSERT_TRUE(presenter().InitializeMainWindow());
    jobs::BackupReport report;

    // Interactive mode: nothing happens.
    EXPECT_FALSE(presenter().MainWindowActivated(&report));
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.quitCalls, 0);

    makeFolder("C:\\bk");
    app::StoreCommandLine(s, "sf=Outlookxm=00000100ps=bf=C:\\bk\\b.qmk");
    EXPECT_TRUE(presenter().MainWindowActivated(&report));
    jobs::BackupReport again;
    EXPECT_FALSE(presenter().MainWindowActivated(&again));  // activated again while quitting
    EXPECT_TRUE(view.hidden);
    // The run took profile Outlook and that file: its parts ran.
    EXPECT_EQ(report.archivePath, "C:\\bk\\b.qmk") << report.failure;
    EXPECT_EQ(report.itemResult.size(), 10u) << report.failure;
    EXPECT_EQ(view.quitCalls, 1);
}

TEST_F(StartupTest, UnparsableCommandLineQuitsWithoutRunning) {
    auto& s = open();
    app::StoreCommandLine(s, "/backup now");
    jobs::BackupReport report;
    EXPECT_TRUE(presenter().MainWindowActivated(&report));
    EXPECT_FALSE(report.written);
    EXPECT_EQ(report.itemResult, "");
    EXPECT_EQ(report.failure, jobs::kCommandLineIncomplete);
    EXPECT_TRUE(view.hidden);
    EXPECT_EQ(view.quitCalls, 1);
    EXPECT_TRUE(view.messages.empty());
}

}  // namespace
}  // namespace qm::test
