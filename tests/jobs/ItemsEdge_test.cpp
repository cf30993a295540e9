// The cases where the items must tell data apart: stores without files,
// network paths, deleted files, shared files, missing keys and folders,
// rules of similar profile names, address-book paths.
#include <filesystem>

#include "app/Environment.h"
#include "items/ItemSupport.h"
#include "jobs/ItemsFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using items::detail::splitNames;

const std::string kProfiles =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
const std::string kRestore = "C:\\users\\alice\\Local Settings\\Application Data\\Microsoft\\Outlook";

std::string readPath(Installation& in, const std::string& section) {
    std::string p = in.s().reg.ReadPathFromBinaryValue(section, "01020fff");
    return p != "Error" ? p : in.s().reg.ReadAnsiPathFromBinaryValue(section, "01020fff");
}

int countOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<int>(std::count(names.begin(), names.end(), name));
}

class PersonalFoldersEdges : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(a.ok()) << a.error; }
    std::string archive() const { return a.dir / "a.qmk"; }
    std::string backupDatas(const std::string& profile, bool expected) {
        EXPECT_TRUE(a.startArchive(archive()));
        EXPECT_EQ(a.items().BackupDatas(profile), expected);
        std::string info = a.infoText();
        EXPECT_TRUE(a.finish(expected ? "0100000000" : "0000000000"));
        return info;
    }
    Installation a{sampleOptions("alice", "14.0", "Work")};
};

TEST_F(PersonalFoldersEdges, AServerMailboxAloneSavesNothing) {
    const std::string section = kProfiles + "\\Server\\" + "5f2a33b1c0de4e8fa1b2c3d4e5f60718";
    a.setBinary(section, "01020fff", sample::serverStoreEntryId("MAIL01", "/o=Example/ou=Mail/cn=Recipients/cn=alice"));
    const std::string info = backupDatas("Server", false);
    bool present = true;
    infoValue(info, "BackupDatas", &present);
    EXPECT_FALSE(present);
    // No profile at all is the same.
    EXPECT_FALSE(a.items().BackupDatas("Nobody"));
}

TEST_F(PersonalFoldersEdges, ANetworkDataFileIsSavedAndMovedHome) {
    const std::string unc = "\\\\server\\share\\team.pst";
    const std::string content = sample::pstFileBytes(40000, 5, true);
    a.writeFile(unc, content);
    const std::string section = a.profile(1).key + "\\00112233445566778899aabbccddeeff";
    a.setBinary(section, "01020fff", sample::pstStoreEntryId(unc, true));
    a.setBinary(section, "001f6700", sample::utf16Z(unc));

    const std::string info = backupDatas("Work", true);
    EXPECT_EQ(countOf(splitNames(infoValue(info, "BackupDatas")), "team.pst"), 1) << info;

    ASSERT_TRUE(a.openBackup(archive()));
    EXPECT_TRUE(a.items().RestoreDatas("Work"));
    EXPECT_EQ(readPath(a, section), kRestore + "\\team.pst");
    std::string unicode;
    ASSERT_TRUE(a.binary(section, "001f6700", unicode));
    EXPECT_EQ(unicode, sample::utf16Z(kRestore + "\\team.pst"));
    EXPECT_EQ(a.readFile(kRestore + "\\team.pst"), content);
}

TEST_F(PersonalFoldersEdges, ADeletedFileIsSkippedButItsSectionStillMoves) {
    const auto& p = a.profile(0);
    ASSERT_EQ(p.dataFiles[1], "D:\\Mail\\Archive.pst");
    a.remove(p.dataFiles[1]);
    const std::string info = backupDatas("Outlook", true);
    EXPECT_EQ(splitNames(infoValue(info, "BackupDatas")), std::vector<std::string>{"alice@example.org.pst"});

    ASSERT_TRUE(a.openBackup(archive()));
    EXPECT_TRUE(a.items().RestoreDatas("Outlook"));
    EXPECT_EQ(readPath(a, p.storeSections[1]), kRestore + "\\Archive.pst");
    EXPECT_EQ(readPath(a, p.storeSections[0]), kRestore + "\\alice@example.org.pst");
}

TEST_F(PersonalFoldersEdges, TwoSectionsNamingOneFileNameItTwiceAndStoreItOnce) {
    const auto& p = a.profile(0);
    std::string id;
    ASSERT_TRUE(a.binary(p.storeSections[0], "01020fff", id));
    a.setBinary(p.key + "\\ffeeddccbbaa99887766554433221100", "01020fff", id);
    const std::string info = backupDatas("Outlook", true);
    EXPECT_EQ(countOf(splitNames(infoValue(info, "BackupDatas")), "alice@example.org.pst"), 2) << info;
    EXPECT_EQ(countOf(archiveEntries(archive()), "alice@example.org.pst"), 1);
}

TEST_F(PersonalFoldersEdges, RestoreStopsAtAMissingNameAndNeedsSections) {
    backupDatas("Outlook", true);
    ASSERT_TRUE(a.openBackup(archive()));
    const std::string recorded = a.recorded[1];

    // A name the archive does not hold ends the method there.
    a.recorded[1] = "missing.pst;Archive.pst";
    EXPECT_FALSE(a.items().RestoreDatas("Outlook"));
    EXPECT_FALSE(a.exists(kRestore + "\\Archive.pst"));
    EXPECT_TRUE(a.hasValue(a.profile(0).storeSections[0], "001e6700")) << "the profile was changed";

    // A profile without sections: the files come out, the answer is false.
    a.setBinary(kProfiles + "\\Empty", "x", "y");
    a.recorded[1] = recorded;
    EXPECT_FALSE(a.items().RestoreDatas("Empty"));
    EXPECT_TRUE(a.exists(kRestore + "\\Archive.pst"));
}

TEST(RegistryItemEdges, MissingKeysOnEitherSide) {
    Installation a(sampleOptions("alice", "14.0"));
    ASSERT_TRUE(a.ok()) << a.error;
    const std::string archive = a.dir / "a.qmk";
    ASSERT_TRUE(a.startArchive(archive));
    EXPECT_FALSE(a.items().BackupConfig("Nobody"));
    EXPECT_TRUE(a.items().BackupConfig("Outlook"));
    EXPECT_TRUE(a.items().BackupConfigsetting());
    const std::string info = a.infoText();
    ASSERT_TRUE(a.finish("1000000100"));
    // Both use the prefix QMC; their files and entries stay apart.
    const std::string config = infoValue(info, "BackupConfig");
    const std::string options = infoValue(info, "BackupConfigsetting");
    EXPECT_EQ(config.substr(0, 3), "QMC");
    EXPECT_EQ(options.substr(0, 3), "QMC");
    EXPECT_NE(config, options);
    EXPECT_EQ(countOf(archiveEntries(archive), config), 1);

    ASSERT_TRUE(a.openBackup(archive));
    EXPECT_TRUE(a.items().RestoreConfig("Nobody"));
    EXPECT_FALSE(a.s().reg.KeyExists(kProfiles + "\\Nobody"));
    // A recorded name the archive lacks fails once there is a key to fill.
    a.recorded[0] = "QMCFFFF.TMP";
    EXPECT_FALSE(a.items().RestoreConfig("Outlook"));
    EXPECT_TRUE(a.s().reg.KeyExists(a.profile(0).storeSections[0]));
}

TEST(FolderItemEdges, FoldersWithoutFilesAndMissingFolders) {
    Installation a(sampleOptions("alice", "14.0"));
    ASSERT_TRUE(a.ok()) << a.error;
    Installation b(sampleOptions("bob", "14.0"));
    ASSERT_TRUE(b.ok()) << b.error;
    const std::string archive = a.dir / "a.qmk";

    ASSERT_TRUE(a.startArchive(archive));
    EXPECT_TRUE(a.items().BackupSignatures());
    EXPECT_TRUE(a.finish("0000100000"));
    ASSERT_TRUE(b.openBackup(archive));

    // Restoring creates the missing signatures folder (one level).
    const std::string signatures = app::SignaturesFolderFor(b.s().state, b.s().reg);
    b.remove(signatures);
    EXPECT_TRUE(b.items().RestoreSignatures());
    for (const auto& name : a.made.signatureFiles) EXPECT_TRUE(b.exists(signatures + "\\" + name)) << name;
    b.remove("C:\\users\\bob\\AppData\\Roaming\\Microsoft");
    EXPECT_FALSE(b.items().RestoreSignatures());

    // Only a subfolder left: nothing to save, no key.
    for (const auto& name : a.made.signatureFiles) a.remove(a.made.signaturesFolder + "\\" + name);
    a.remove(a.made.templatesFolder);
    ASSERT_TRUE(a.startArchive(archive));
    EXPECT_FALSE(a.items().BackupSignatures());
    EXPECT_FALSE(a.items().BackupTemplates());
    const std::string info = a.infoText();
    bool present = true;
    infoValue(info, "BackupSignatures", &present);
    EXPECT_FALSE(present);
    infoValue(info, "BackupTemplates", &present);
    EXPECT_FALSE(present);
}

TEST(RulesEdges, RulesFollowTheTargetProfileUnlessOnlyTheCaseDiffers) {
    Installation a(sampleOptions("alice", "14.0"));
    ASSERT_TRUE(a.ok()) << a.error;
    auto options = sampleOptions("bob", "14.0", "Work");
    options.profile = "Home";
    Installation b(options);
    ASSERT_TRUE(b.ok()) << b.error;
    const std::string archive = a.dir / "a.qmk";
    ASSERT_TRUE(a.startArchive(archive));
    EXPECT_FALSE(a.items().BackupRules("Work")) << "no Work.RWZ at alice's";
    EXPECT_TRUE(a.items().BackupRules("Outlook"));
    ASSERT_TRUE(a.finish("0010000000"));
    const std::string saved = a.readFile(a.profile(0).rulesFile);

    ASSERT_TRUE(b.openBackup(archive));
    const std::string folder = b.made.outlookFolder;
    auto named = [&](const std::string& name) {  // exactly, letter case included
        const auto names = b.filesIn(folder);
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_TRUE(b.items().RestoreRules("Work"));
    EXPECT_EQ(b.readFile(folder + "\\Work.RWZ"), saved) << "the older Work.RWZ was kept";
    EXPECT_FALSE(named("Outlook.RWZ"));

    EXPECT_TRUE(b.items().RestoreRules("outlook"));
    EXPECT_TRUE(named("Outlook.RWZ"));
    EXPECT_FALSE(named("outlook.RWZ"));
}

TEST(AddressBookEdges, DoubledSeparatorsNetworkPathsAndDeletedBooks) {
    Installation a(sampleOptions("alice", "11.0"));
    ASSERT_TRUE(a.ok()) << a.error;
    const auto& p = a.profile(0);
    const std::string uncSection = p.key + "\\0123456789abcdef0123456789abcdef";
    a.setBinary(uncSection, "001e3001", "Team\0");
    a.s().reg.SetStringValue(uncSection, "001e6600", "\\\\server\\share\\Team.pab");
    a.writeFile("\\\\server\\share\\Team.pab", sample::pstFileBytes(5000, 3, false, "AB"));
    a.remove(p.addressBooks[0]);  // alice.pab

    const std::string archive = a.dir / "a.qmk";
    ASSERT_TRUE(a.startArchive(archive));
    EXPECT_TRUE(a.items().BackupPab("Outlook"));
    const std::string info = a.infoText();
    ASSERT_TRUE(a.finish("0000001000"));
    const auto names = splitNames(infoValue(info, "BackupPab"));
    EXPECT_EQ(countOf(names, "Contacts.pab"), 1) << "doubled separators: " << info;
    EXPECT_EQ(countOf(names, "Team.pab"), 1) << "network path: " << info;
    EXPECT_EQ(countOf(names, "alice.pab"), 0);
    const auto entries = archiveEntries(archive);
    EXPECT_EQ(countOf(entries, "Contacts.pab"), 1);
    EXPECT_EQ(countOf(entries, "Team.pab"), 1);

    ASSERT_TRUE(a.openBackup(archive));
    EXPECT_TRUE(a.items().RestorePab("Outlook"));
    std::vector<std::string> books;
    for (const auto& section : a.s().reg.EnumSubKeys(p.key)) {
        std::string value = a.s().reg.GetStringValue(p.key + "\\" + section, "001e6600");
        if (value != "Error") books.push_back(value);
    }
    EXPECT_EQ(countOf(books, kRestore + "\\alice.pab"), 1) << "a deleted book's section is still re-pointed";
    EXPECT_EQ(countOf(books, kRestore + "\\Contacts.pab"), 1);
    EXPECT_EQ(countOf(books, kRestore + "\\Team.pab"), 1);
    EXPECT_EQ(a.readFile(kRestore + "\\Team.pab"), a.readFile("\\\\server\\share\\Team.pab"));

    // 2010 profiles name no address book.
    Installation c(sampleOptions("carol", "14.0"));
    ASSERT_TRUE(c.ok()) << c.error;
    ASSERT_TRUE(c.startArchive(c.dir / "c.qmk"));
    EXPECT_FALSE(c.items().BackupPab("Outlook"));
    bool present = true;
    infoValue(c.infoText(), "BackupPab", &present);
    EXPECT_FALSE(present);
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

// A profile name is a registry key first; only where it becomes a file
// name ("<profile>.RWZ") must it be one.
TEST(ProfileNames, ANameWithASlashBacksUpItsKeysAndDataFiles) {
    Installation a(sampleOptions("alice", "11.0"));
    ASSERT_TRUE(a.ok()) << a.error;
    auto& s = a.s();
    const std::string from = a.profile(0).key;
    const std::string to = kProfiles + "\\Work/Home";
    const std::string file = s.state.WorkFolder + "\\copy.txt";
    ASSERT_TRUE(s.reg.ExportKey(from, "", file));
    ASSERT_TRUE(s.reg.ImportKey(to, file));

    ASSERT_TRUE(a.startArchive(a.dir / "slash.qmk"));
    EXPECT_TRUE(a.items().BackupConfig("Work/Home"));
    EXPECT_TRUE(a.items().BackupDatas("Work/Home"));
    EXPECT_TRUE(a.items().BackupPab("Work/Home"));
    EXPECT_FALSE(a.items().BackupRules("Work/Home"));  // no file can have that name
    const std::string info = a.infoText();
    EXPECT_FALSE(infoValue(info, "BackupDatas").empty());
    EXPECT_TRUE(a.finish("1100001000"));
    // A name that cannot be one registry key is still refused.
    EXPECT_FALSE(a.items().BackupConfig("Work\\Home"));
}

}  // namespace
}  // namespace qm::test
