// Outlook 2007 and 2010 keep each profile's mail accounts in the profile:
// those of the chosen profile are saved, and restored into the target
// profile's own, whatever either is called; and a registry export that
// cannot be written whole is never stored.
#include "app/Environment.h"
#include "jobs/ItemsFixture.h"

namespace qm::test {
namespace {

const std::string kAccount = "\\00000001";

class ProfileAccounts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source.ok()) << source.error;
        ASSERT_TRUE(target.ok()) << target.error;
    }
    std::string accounts(Installation& in, const std::string& profile) {
        return app::AccountsKeyFor(in.s().state.OutlookVersion, profile);
    }
    std::string mark(Installation& in, const std::string& profile) {
        std::string bytes;
        return in.binary(accounts(in, profile) + kAccount, "QuillmarkMark", bytes) ? bytes : "(none)";
    }
    std::string archive() const { return source.dir / "a.qmk"; }

    Installation source{sampleOptions("alice", "14.0", "Work")};
    Installation target{sampleOptions("bob", "14.0", "Home")};
};

TEST_F(ProfileAccounts, TheChosenProfilesAccountsGoIntoTheTargetProfilesOwn) {
    source.setBinary(accounts(source, "Outlook") + kAccount, "QuillmarkMark", "outlook's");
    source.setBinary(accounts(source, "Work") + kAccount, "QuillmarkMark", "work's");
    target.setBinary(accounts(target, "Outlook") + kAccount, "QuillmarkMark", "bob's own");

    ASSERT_TRUE(source.startArchive(archive()));
    EXPECT_TRUE(source.items().BackupAccounts("Work"));
    ASSERT_TRUE(source.finish("0001000000"));

    ASSERT_TRUE(target.openBackup(archive()));
    EXPECT_TRUE(target.items().RestoreAccounts("Home"));
    EXPECT_EQ(mark(target, "Home"), "work's");
    EXPECT_EQ(mark(target, "Outlook"), "bob's own");
    EXPECT_EQ(accounts(target, "Home"),
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\"
              "Profiles\\Home\\9375CFF0413111d3B88A00104B2A6676");
}

TEST_F(ProfileAccounts, AProfileWithoutAccountsSavesNoneOfAnotherProfile) {
    ASSERT_TRUE(source.s().reg.DeleteKeyTree(accounts(source, "Work")));
    ASSERT_FALSE(source.s().reg.KeyExists(accounts(source, "Work")));
    ASSERT_TRUE(source.startArchive(archive()));
    EXPECT_FALSE(source.items().BackupAccounts("Work"));
    EXPECT_TRUE(source.items().BackupAccounts("Outlook"));
    // The backup run's availability says the same for the chosen profile.
    EXPECT_FALSE(items::availableItems(source.s(), "Work").enabled[1]);
    EXPECT_TRUE(items::availableItems(source.s(), "Outlook").enabled[1]);
}

TEST(RegistryExport, AnExportThatCannotBeWrittenWholeFailsItsItemAndIsNotStored) {
    Installation a(sampleOptions("alice", "14.0"));
    ASSERT_TRUE(a.ok()) << a.error;
    const std::string archive = a.dir / "a.qmk";
    ASSERT_TRUE(a.startArchive(archive));
    // The disk fills up after the export's first lines.
    int appends = 0;
    a.mem.files->refuseWrite = [&](const std::string& path) {
        return path.find("\\QM") != std::string::npos && ++appends > 3;
    };
    EXPECT_FALSE(a.items().BackupConfig("Outlook"));
    EXPECT_FALSE(a.items().BackupAccounts("Outlook"));
    EXPECT_FALSE(a.items().BackupConfigsetting());
    a.mem.files->refuseWrite = nullptr;
    const std::string info = a.infoText();
    ASSERT_TRUE(a.finish("0000000000"));
    for (const char* key : {"BackupConfig", "BackupAccounts", "BackupConfigsetting"}) {
        bool present = true;
        infoValue(info, key, &present);
        EXPECT_FALSE(present) << key;
    }
    EXPECT_EQ(archiveEntries(archive), std::vector<std::string>{"quillmark.dat"});
}

}  // namespace
}  // namespace qm::test
