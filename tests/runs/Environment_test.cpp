#include "app/Environment.h"

#include "app/AppFixture.h"
#include "app/Startup.h"
#include "runs/MainPresenter.h"

namespace qm::test {
namespace {

using app::ApplicationState;

const std::string kSharedTools = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
const std::string kOldAccounts =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI Account Manager\\Accounts";
const std::string kOutlookAccounts = AppTest::profilesKey() + "\\Outlook\\9375CFF0413111d3B88A00104B2A6676";

class EnvironmentTest : public AppTest {
protected:
    void TearDown() override {
        presenter.reset();
        AppTest::TearDown();
    }
    std::unique_ptr<runs::MainPresenter> presenter;

    // A session whose profile `profile` is selected, with the given versions.
    app::Session& select(const std::string& profile, const std::string& outlookVersion,
                         const std::string& windowsVersion = "6.1") {
        auto& s = open();
        s.state.ProfilesKey = profilesKey();
        s.state.UserProfileFolder = kUserProfile;
        s.state.OutlookVersion = outlookVersion;
        s.state.WindowsVersion = windowsVersion;
        view.sourceText = profile;
        presenter = std::make_unique<runs::MainPresenter>(s, view);
        presenter->SourceProfileChanged();
        return s;
    }
};

TEST_F(EnvironmentTest, OutlookVersionIsTheFirstTableRowFoundInTheText) {
    auto& s = open();
    struct Case {
        const char* text;
        const char* name;
        const char* version;
    } cases[] = {
        // "9.0" is tested before "11.0" and occurs in this text.
        {"11.0.8169.0", "Outlook 2000", "9.0"},
        {"8.0.0.4212", "Outlook 97", "8.0"},
        {"10.0.2627.1", "Outlook 2002(XP)", "10.0"},
        {"11.0.6550.0", "Outlook 2003", "11.0"},
        // The build number can hold an earlier row's text too.
        {"11.0.5510.0", "Outlook 2002(XP)", "10.0"},
        {"12.0.4518.1014", "Outlook 2007", "12.0"},
        {"14.0.4760.1000", "Outlook 2010", "14.0"},
        // 2013 and later come after every earlier row; none of those rows'
        // texts is in theirs.
        {"15.0", "Outlook 2013", "15.0"},
        {"16.0", "Outlook 2016", "16.0"},
        {"16.0.4266.1001", "Outlook 2016", "16.0"},
        {"15.0.4569.1506", "Outlook 2013", "15.0"},
        // ... unless the build number holds one (the registration's "16.0"
        // holds none).
        {"16.0.18129.0", "Outlook 2000", "9.0"},
    };
    for (const auto& c : cases) {
        s.state.OutlookVersion = "x";
        outlook->version = c.text;
        EXPECT_EQ(app::DetectOutlookVersion(s), c.name) << c.text;
        EXPECT_EQ(s.state.OutlookVersion, c.version) << c.text;
    }

    EXPECT_EQ(s.state.OutlookName, "Outlook 2000");

    // No row: an empty name, the version left as it was.
    s.state.OutlookVersion = "14.0";
    outlook->version = "7.0.0.1";
    EXPECT_EQ(app::DetectOutlookVersion(s), "");
    EXPECT_EQ(s.state.OutlookVersion, "14.0");

    // Outlook cannot tell: "Unknow Version", version unchanged.
    outlook->answers = false;
    EXPECT_EQ(app::DetectOutlookVersion(s), "Unknow Version");
    EXPECT_EQ(s.state.OutlookVersion, "14.0");
    platform.outlook.reset();
    EXPECT_EQ(app::DetectOutlookVersion(s), "Unknow Version");
}

TEST_F(EnvironmentTest, FolderLayoutByWindowsVersion) {
    makeProfile("Outlook");
    for (const char* newer : {"6.0", "6.1"}) {
        auto& s = select("Outlook", "11.0", newer);
        EXPECT_EQ(s.state.SignaturesFolder, "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Signatures");
        EXPECT_EQ(s.state.OutlookDataFolder, "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Outlook");
        EXPECT_EQ(s.state.PreferencesFolder, s.state.OutlookDataFolder);
        EXPECT_EQ(s.state.TemplatesFolder, "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Templates");
    }
    // Only exactly 6.0 and 6.1 take the new names; later versions the old.
    for (const char* older : {"5.1", "6.2", "10.0", "6.10"}) {
        auto& s = select("Outlook", "11.0", older);
        EXPECT_EQ(s.state.SignaturesFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Signatures") << older;
        EXPECT_EQ(s.state.OutlookDataFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Outlook");
        EXPECT_EQ(s.state.TemplatesFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Templates");
        EXPECT_EQ(s.state.StationeryFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Stationery");
    }
    auto& s = select("Outlook", "11.0", "6.1");
    // Stationery keeps the old name on every Windows before Outlook 2007.
    EXPECT_EQ(s.state.StationeryFolder, "C:\\users\\tester\\Application Data\\Microsoft\\Stationery");
    EXPECT_EQ(s.state.OptionsKey, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Outlook\\Options");
    EXPECT_EQ(app::DataRestoreFolderFor(s.state),
              "C:\\users\\tester\\Local Settings\\Application Data\\Microsoft\\Outlook");
}

TEST_F(EnvironmentTest, AccountsKeyAndItsItem) {
    makeProfile("Outlook");
    makeProfile("Work");
    makeKey(kOutlookAccounts);
    const std::string workAccounts = profilesKey() + "\\Work\\9375CFF0413111d3B88A00104B2A6676";

    // Outlook 2007/2010 keep the accounts in the selected profile: Work has
    // none of its own, and those of Outlook are not Work's.
    for (const char* version : {"12.0", "14.0"}) {
        auto& s = select("Work", version);
        EXPECT_EQ(s.state.AccountsKey, workAccounts);
        EXPECT_FALSE(view.backupItems[1].enabled) << version;
        select("Outlook", version);
        EXPECT_TRUE(view.backupItems[1].enabled) << version;
    }
    makeKey(workAccounts);
    EXPECT_EQ(select("Work", "14.0").state.AccountsKey, workAccounts);
    EXPECT_TRUE(view.backupItems[1].enabled);
    auto& s = select("Work", "11.0");
    EXPECT_EQ(s.state.AccountsKey, kOldAccounts);
    EXPECT_FALSE(view.backupItems[1].enabled);
    makeKey(kOldAccounts);
    select("Work", "11.0");
    EXPECT_TRUE(view.backupItems[1].enabled);
}

TEST_F(EnvironmentTest, FileItemsNeedAFileDirectlyInTheirFolder) {
    makeProfile("Outlook");
    const std::string roaming = "C:\\users\\tester\\AppData\\Roaming\\Microsoft";
    // Signatures: only a subfolder with a file; templates: empty; preferences: one file.
    makeFile(roaming + "\\Signatures\\Sub\\sig.htm");
    makeFolder(roaming + "\\Templates");
    makeFile(roaming + "\\Outlook\\outcmd.dat");
    select("Outlook", "11.0");
    EXPECT_FALSE(view.backupItems[2].enabled);
    EXPECT_FALSE(view.backupItems[3].enabled);  // no stationery folder at all
    EXPECT_FALSE(view.backupItems[6].enabled);
    EXPECT_TRUE(view.backupItems[7].enabled);
    // Items 0 and 5 are never disabled.
    EXPECT_TRUE(view.backupItems[0].enabled);
    EXPECT_TRUE(view.backupItems[5].enabled);

    makeFile(roaming + "\\Signatures\\sig.txt");
    makeFile("C:\\users\\tester\\Application Data\\Microsoft\\Stationery\\paper.htm");
    makeFile(roaming + "\\Templates\\Normal.dot");
    select("Outlook", "11.0");
    EXPECT_TRUE(view.backupItems[2].enabled);
    EXPECT_TRUE(view.backupItems[3].enabled);
    EXPECT_TRUE(view.backupItems[6].enabled);
}

TEST_F(EnvironmentTest, StationeryOfOutlook2007And2010ComesFromSharedFilesDir) {
    makeProfile("Outlook");
    // Missing value: "Error" + "Stationery", and the item is disabled.
    auto& s = select("Outlook", "12.0");
    EXPECT_EQ(s.state.StationeryFolder, "ErrorStationery");
    EXPECT_FALSE(view.backupItems[3].enabled);
    EXPECT_TRUE(view.messages.empty());

    setString(kSharedTools, "SharedFilesDir", "  C:\\Program Files\\Common Files\\Microsoft Shared\\ ");
    makeFile("C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery\\Ivy.htm");
    select("Outlook", "14.0");
    EXPECT_EQ(s.state.StationeryFolder, "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery");
    EXPECT_TRUE(view.backupItems[3].enabled);
}

TEST_F(EnvironmentTest, A32BitOutlookOfA64BitSystemIsReadInThe32BitView) {
    makeProfile("Outlook");
    const std::string lm = "HKEY_LOCAL_MACHINE\\Software\\";
    const std::string x86 = "C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\";
    // The 64-bit Office's keys beside those of the 32-bit Outlook installed.
    setString(lm + "Microsoft\\Shared Tools", "SharedFilesDir", "C:\\Program Files\\Common Files\\Microsoft Shared\\");
    setString(lm + "Wow6432Node\\Microsoft\\Shared Tools", "SharedFilesDir", x86);
    setString(lm + "Wow6432Node\\Microsoft\\Office\\14.0\\Outlook\\InstallRoot", "Path", "C:\\Office14\\");
    makeFile(x86 + "Stationery\\Ivy.htm");
    auto& s = select("Outlook", "14.0");
    EXPECT_EQ(app::OutlookMachineView("14.0", s.reg), platform::KeyAccess::Wow64_32Key);
    EXPECT_EQ(s.state.StationeryFolder, x86 + "Stationery");
    EXPECT_TRUE(view.backupItems[3].enabled);

    // Registered in the 64-bit view only: read there.
    setString(lm + "Microsoft\\Office\\12.0\\Outlook\\InstallRoot", "Path", "C:\\Office12\\");
    EXPECT_EQ(app::OutlookMachineView("12.0", s.reg), platform::KeyAccess::Wow64_64Key);
    EXPECT_EQ(select("Outlook", "12.0").state.StationeryFolder,
              "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery");
    EXPECT_FALSE(view.backupItems[3].enabled);
}

TEST_F(EnvironmentTest, AddressBookItemFollowsTheSelectedProfile) {
    const std::string withPab = profilesKey() + "\\Home";
    // The first section names a missing file; the second names the book
    // with doubled separators, as Outlook stores it.
    setString(withPab + "\\0a0d020000000000c000000000000046", "001e6600", "C:\\users\\tester\\gone.pab");
    setString(withPab + "\\1b2c3d4e", "001e6600", "C:\\\\users\\\\tester\\\\mail.pab");
    setString(profilesKey() + "\\Work\\aaaa", "001e6600", "C:\\users\\tester\\gone.pab");
    makeFile("C:\\users\\tester\\mail.pab");

    select("Home", "11.0");
    EXPECT_TRUE(view.backupItems[4].enabled);
    view.backupItems[4].checked = true;
    // Moving to a profile without an address book disables (and clears) it.
    select("Work", "11.0");
    EXPECT_FALSE(view.backupItems[4].enabled);
    EXPECT_FALSE(view.backupItems[4].checked);
    EXPECT_EQ(view.backupItems[4].tooltip, "");

    // Outlook 2010 has none at all, even where a book file exists.
    select("Home", "14.0");
    EXPECT_FALSE(view.backupItems[4].enabled);
    EXPECT_EQ(view.backupItems[4].tooltip, "Your MS Outlook don't support Personal Address Book!");
    // No profile selected: no search (and no key-path message).
    select("", "11.0");
    EXPECT_FALSE(view.backupItems[4].enabled);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(EnvironmentTest, SelectAllLeavesDisabledItemsClear) {
    makeProfile("Outlook");
    select("Outlook", "14.0");
    view.backupItems[4].checked = true;  // disabled yet checked
    presenter->SelectAllItems(runs::ItemArray::Backup);
    EXPECT_EQ(view.backupCheckedPattern(), view.backupEnabledPattern());
    EXPECT_FALSE(view.backupItems[4].checked);

    view.backupItems[4].checked = true;
    presenter->DeselectAllItems(runs::ItemArray::Backup);
    EXPECT_EQ(view.backupCheckedPattern(), "00000000");

    view.restoreItems[2].enabled = false;
    presenter->SelectAllItems(runs::ItemArray::Restore);
    EXPECT_TRUE(view.restoreItems[0].checked);
    EXPECT_FALSE(view.restoreItems[2].checked);
    EXPECT_EQ(view.backupCheckedPattern(), "00000000");
    view.restoreItems[2].checked = true;
    presenter->DeselectAllItems(runs::ItemArray::Restore);
    for (const auto& box : view.restoreItems) EXPECT_FALSE(box.checked);
}

}  // namespace
}  // namespace qm::test
