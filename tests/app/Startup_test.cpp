#include "app/Startup.h"

#include "app/AppFixture.h"
#include "app/Environment.h"

namespace qm::test {
namespace {

using app::AutomaticSettings;
using app::ParseCommandLine;

void expectSettings(const std::string& line, const AutomaticSettings& want) {
    auto got = ParseCommandLine(line);
    ASSERT_TRUE(got) << line;
    EXPECT_EQ(got->profile, want.profile) << line;
    EXPECT_EQ(got->selection, want.selection) << line;
    EXPECT_EQ(got->password, want.password) << line;
    EXPECT_EQ(got->archivePath, want.archivePath) << line;
}

TEST(CommandLine, PiecesArePositional) {
    expectSettings("sf=Outlookxm=10000000ps=bf=C:\\b.qmk", {"Outlook", "10000000", "", "C:\\b.qmk"});
    expectSettings("sf=My Mailxm=11111111ps=s3cretbf=Z:\\home\\u\\b.qmk",
                   {"My Mail", "11111111", "s3cret", "Z:\\home\\u\\b.qmk"});
    // Key names are never compared, only their places count.
    expectSettings("aa=Outlookbb=1cc=pwdd=C:\\b.qmk", {"Outlook", "1", "pw", "C:\\b.qmk"});
    // A value shorter than two characters keeps its own characters.
    expectSettings("sf=Pxm=1ps=xbf=C:\\b", {"P", "1", "x", "C:\\b"});
}

TEST(CommandLine, AValueHoldingEqualsIsRefusedNotShifted) {
    // Read by position, these would back up into the file "b" without the
    // password, or into "C:"; nothing runs instead, and the reason says why.
    for (const char* line : {"sf=Outlookxm=10000000ps=a=bbf=C:\\b.qmk", "sf=Outlookxm=1ps=bf=C:\\a=b.qmk",
                             "sf=Out=lookxm=1ps=bf=C:\\b.qmk", "sf=Outlookxm=1ps=bf=C:\\b.qmk="}) {
        std::string why;
        EXPECT_FALSE(ParseCommandLine(line, &why)) << line;
        EXPECT_EQ(why, app::kCommandLineHasEquals) << line;
        EXPECT_NE(why.find("may contain \"=\""), std::string::npos);
    }
    std::string why = "stale";
    EXPECT_FALSE(ParseCommandLine("sf=Outlookxm=1ps=", &why));
    EXPECT_EQ(why, app::kCommandLineIncomplete);
    EXPECT_FALSE(ParseCommandLine("sf=xm=1ps=bf=C:\\b.qmk", &why));
    EXPECT_EQ(why, app::kCommandLineEmptyValue);
    EXPECT_TRUE(ParseCommandLine("sf=Outlookxm=1ps=bf=C:\\b.qmk", &why));
    EXPECT_EQ(why, "");
}

TEST(CommandLine, NothingRunsWithoutTheRequiredValues) {
    for (const char* line : {"", "/auto", "sf=Outlook", "sf=Outlookxm=1ps=", "sf=xm=1ps=bf=C:\\b.qmk",
                             "sf=Outlookxm=ps=bf=C:\\b.qmk", "sf=Outlookxm=1ps=pbf=",
                             // "=" in the profile: six pieces.
                             "sf=A=Bxm=1ps=bf=C:\\b.qmk", "s=O=x=p=", "===="})
        EXPECT_FALSE(ParseCommandLine(line)) << line;
}

TEST(CommandLine, ArgumentsJoinedBySingleBlanks) {
    const char* argv[] = {"/opt/quillmark/quillmark", "sf=My", "Mailxm=1ps=bf=C:\\b.qmk"};
    EXPECT_EQ(app::CommandLineFromArgs(3, argv), "sf=My Mailxm=1ps=bf=C:\\b.qmk");
    EXPECT_EQ(app::CommandLineFromArgs(1, argv), "");
}

class StartupTest : public AppTest {};

TEST_F(StartupTest, InitialisationFillsStateAndBothProfileLists) {
    makeProfile("Outlook");
    makeProfile("   ");  // blank name: left out of both lists
    makeProfile("Work");
    outlook->version = "11.0.6550.0";
    view.tab = app::Tab::Restore;
    auto& s = open();
    ASSERT_TRUE(app::InitializeMainWindow(s, view));

    EXPECT_EQ(view.caption, "Quillmark V2.70");
    EXPECT_EQ(view.busyHistory, std::vector<bool>{false});
    EXPECT_EQ(view.progressValue, 0);
    EXPECT_EQ(view.applyCaption, "Restore Now");
    EXPECT_TRUE(view.applyEnabled);
    EXPECT_TRUE(view.messages.empty());

    EXPECT_EQ(s.state.InfoFilePath, s.state.WorkFolder + "\\quillmark.dat");
    EXPECT_EQ(s.zip1.ArchiveWorkFolder(), s.state.WorkFolder);
    EXPECT_TRUE(s.state.NoArchiveLoaded);
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
    ASSERT_TRUE(app::InitializeMainWindow(s, view));
    EXPECT_EQ(s.state.WindowsVersion, "6.1");
    EXPECT_EQ(s.state.WindowsBuild, "6609");
    EXPECT_EQ(s.state.SignaturesFolder, "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Signatures");

    // Windows 8 and later report 6.2 and take the old folder names.
    mem.system->facts().version = {6, 2, 9200};
    ASSERT_TRUE(app::InitializeMainWindow(s, view));
    EXPECT_EQ(s.state.WindowsVersion, "6.2");
    EXPECT_EQ(s.state.SignaturesFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Signatures");
}

TEST_F(StartupTest, NoProfileShowsTheMessageAndDisablesApply) {
    makeProfile("  ");
    auto& s = open();
    EXPECT_FALSE(app::InitializeMainWindow(s, view));
    EXPECT_TRUE(s.state.NoOutlook);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Your Windows System have not install MS Outlook or MS Outlook Error!");
    EXPECT_EQ(view.messages[0].icon, app::Icon::Critical);
    EXPECT_FALSE(view.applyEnabled);
    // Nothing after the message ran: no lists, no folders, no version.
    EXPECT_TRUE(view.sourceProfiles.empty());
    EXPECT_TRUE(s.state.SignaturesFolder.empty());
    EXPECT_TRUE(s.state.UserProfileFolder.empty());
    EXPECT_TRUE(s.state.OutlookVersion.empty());
}

TEST_F(StartupTest, TabChangeCaptionsTheApplyButton) {
    for (auto tab : {app::Tab::Restore, app::Tab::Backup, app::Tab::Restore}) {
        view.tab = tab;
        app::TabChanged(view);
        EXPECT_EQ(view.applyCaption, tab == app::Tab::Backup ? "Backup Now" : "Restore Now");
    }
}

TEST_F(StartupTest, ActivationRunsTheUnattendedBackupOnce) {
    auto& s = open();
    std::vector<AutomaticSettings> runs;
    auto run = [&](const AutomaticSettings& settings) { runs.push_back(settings); };

    // Interactive mode: nothing happens.
    EXPECT_FALSE(app::MainWindowActivated(s, view, run));
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.quitCalls, 0);

    app::StoreCommandLine(s, "sf=Outlookxm=10000000ps=bf=C:\\b.qmk");
    EXPECT_TRUE(app::MainWindowActivated(s, view, run));
    EXPECT_FALSE(app::MainWindowActivated(s, view, run));  // activated again while quitting
    EXPECT_TRUE(view.hidden);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].profile, "Outlook");
    EXPECT_EQ(runs[0].archivePath, "C:\\b.qmk");
    EXPECT_EQ(view.quitCalls, 1);
}

TEST_F(StartupTest, UnparsableCommandLineQuitsWithoutRunning) {
    auto& s = open();
    int runs = 0;
    app::StoreCommandLine(s, "/backup now");
    EXPECT_TRUE(app::MainWindowActivated(s, view, [&](const AutomaticSettings&) { ++runs; }));
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(view.hidden);
    EXPECT_EQ(view.quitCalls, 1);
    EXPECT_TRUE(view.messages.empty());
}

}  // namespace
}  // namespace qm::test
