// Every item backed up from one sample installation and restored into a
// differently named profile of another user's installation, across the
// Outlook versions whose folders and keys differ.
#include <filesystem>
#include <set>

#include "app/Environment.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "jobs/ItemsFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
// Paths of the samples, made in Windows-1252.
std::string bareName(const std::string& path) { return base::bareName(path, base::singleByte()); }
using items::detail::splitNames;

struct Versions {
    std::string source;
    std::string target;
};

class ItemsRoundTrip : public ::testing::TestWithParam<Versions> {};

std::set<std::string> asSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

std::string storedPath(Installation& in, const std::string& section) {
    std::string p = in.s().reg.ReadPathFromBinaryValue(section, "01020fff");
    return p != "Error" ? p : in.s().reg.ReadAnsiPathFromBinaryValue(section, "01020fff");
}

TEST_P(ItemsRoundTrip, EveryItemArrivesInTheOtherProfileAndFolders) {
    const Versions v = GetParam();
    const bool sourceShared = v.source != "11.0";
    Installation a(sampleOptions("alice", v.source, "Work"));
    ASSERT_TRUE(a.ok()) << a.error;
    Installation b(sampleOptions("bob", v.target, "Bob Mail"));
    ASSERT_TRUE(b.ok()) << b.error;
    const std::string target = "Bob Mail";

    // Something only alice's options hold.
    const std::string aOptions = a.s().state.OptionsKey;
    a.setBinary(aOptions + "\\Mail", "QuillmarkMark", "alice");

    const std::string archive = a.dir / "alice.qmk";
    std::string info;
    const std::string result = a.backupAll("Outlook", archive, &info);
    EXPECT_EQ(result, sourceShared ? "1111110111" : "1111111111") << info;

    const auto& src = a.profile(0);
    std::vector<std::string> dataNames;
    for (const auto& d : src.dataFiles) dataNames.push_back(bareName(d));
    EXPECT_EQ(asSet(splitNames(infoValue(info, "BackupDatas"))), asSet(dataNames));
    EXPECT_EQ(infoValue(info, "BackupRules"), "Outlook.RWZ");
    EXPECT_EQ(asSet(splitNames(infoValue(info, "BackupSignatures"))), asSet(a.made.signatureFiles));
    EXPECT_EQ(asSet(splitNames(infoValue(info, "BackupStationery"))), asSet(a.made.stationeryFiles));
    EXPECT_EQ(asSet(splitNames(infoValue(info, "BackupSetting"))), asSet(a.made.preferenceFiles));
    bool pabRecorded = false;
    infoValue(info, "BackupPab", &pabRecorded);
    EXPECT_EQ(pabRecorded, !sourceShared);

    const auto entries = asSet(archiveEntries(archive));
    for (const auto& name : dataNames) EXPECT_TRUE(entries.count(name)) << name;
    EXPECT_TRUE(entries.count("quillmark.dat"));
    // A signature's pictures, in the archive's folder of that name (not
    // beside the bare names).
    EXPECT_EQ(asSet(splitNames(infoValue(info, "BackupSignatureFolders"))), asSet(a.made.signatureFolderFiles));
    for (const auto& name : a.made.signatureFolderFiles) EXPECT_TRUE(entries.count(name)) << name;
    EXPECT_FALSE(entries.count("image001.png"));

    if (shell("command -v 7z >/dev/null 2>&1") == 0) {
        std::string listing = a.dir / "7z.txt";
        ASSERT_EQ(shell("7z l '" + archive + "' > '" + listing + "'"), 0);
        const std::string text = readHostFile(listing);
        EXPECT_NE(text.find("quillmark.dat"), std::string::npos);
        EXPECT_NE(text.find(dataNames[0]), std::string::npos);
    }

    // Restore, in the order of the restore run.
    ASSERT_TRUE(b.openBackup(archive));
    const std::string bobOwnRules = b.readFile(b.profile(0).rulesFile);
    auto& it = b.items();
    EXPECT_TRUE(it.RestoreConfig(target));
    EXPECT_TRUE(it.RestoreDatas(target));
    EXPECT_FALSE(b.exists(b.profile(1).favoritesFile)) << "the target profile's .FAV file stayed";
    EXPECT_TRUE(b.exists(b.profile(0).favoritesFile)) << "another profile's .FAV file was deleted";
    EXPECT_TRUE(it.RestoreRules(target));
    const std::string outlookFolder = app::OutlookDataFolderFor(b.s().state);
    EXPECT_EQ(b.readFile(outlookFolder + "\\Bob Mail.RWZ"), a.readFile(src.rulesFile));
    EXPECT_EQ(b.readFile(b.profile(0).rulesFile), bobOwnRules) << "bob's own Outlook.RWZ was overwritten";
    EXPECT_TRUE(it.RestoreAccounts(target));
    EXPECT_TRUE(it.RestoreSignatures());
    EXPECT_TRUE(it.RestoreStationery());
    if (!sourceShared) {
        EXPECT_TRUE(it.RestorePab(target));
    }
    EXPECT_TRUE(it.RestoreConfigsetting());
    EXPECT_TRUE(it.RestoreTemplates());
    EXPECT_TRUE(it.RestoreSetting());

    // The profile tree is alice's, under bob's profile key.
    const std::string key = b.profile(1).key;
    EXPECT_EQ(asSet(b.s().reg.EnumSubKeys(key)), asSet(a.s().reg.EnumSubKeys(src.key)));

    // Data files: in bob's restore folder, which the profile now names.
    const std::string restoreFolder = "C:\\users\\bob\\Local Settings\\Application Data\\Microsoft\\Outlook";
    EXPECT_EQ(app::DataRestoreFolderFor(b.s().state), restoreFolder);
    for (std::size_t i = 0; i < src.dataFiles.size(); ++i) {
        const std::string moved = restoreFolder + "\\" + bareName(src.dataFiles[i]);
        EXPECT_EQ(b.readFile(moved), a.readFile(src.dataFiles[i])) << moved;
        const std::string section = key + "\\" + bareName(src.storeSections[i]);
        EXPECT_EQ(storedPath(b, section), moved);
        EXPECT_FALSE(b.hasValue(section, "001e6700"));
        std::string unicode;
        if (a.binary(src.storeSections[i], "001f6700", unicode)) {
            ASSERT_TRUE(b.binary(section, "001f6700", unicode));
            EXPECT_EQ(unicode, sample::utf16Z(moved));
        }
    }
    // Windows 7 keeps the old folder names as links into AppData.
    EXPECT_TRUE(b.platform.files->stat(restoreFolder)
                    .sameFile(b.platform.files->stat("C:\\users\\bob\\AppData\\Local\\Microsoft\\Outlook")));

    const std::string outlookSection = key + "\\0a0d020000000000c000000000000046";
    EXPECT_FALSE(b.hasValue(outlookSection, "1102039b"));
    EXPECT_FALSE(b.hasValue(outlookSection, "001e023d"));
    EXPECT_TRUE(b.hasValue(outlookSection, "000b0335"));

    // Folders as computed for bob's installation.
    const auto& bst = b.s().state;
    for (const auto& name : a.made.signatureFiles)
        EXPECT_EQ(b.readFile(app::SignaturesFolderFor(bst, b.s().reg) + "\\" + name),
                  a.readFile(a.made.signaturesFolder + "\\" + name));
    for (const auto& name : {"alice_files\\filelist.xml", "alice_files\\image001.png"})
        EXPECT_EQ(b.readFile(app::SignaturesFolderFor(bst, b.s().reg) + "\\" + name),
                  a.readFile(a.made.signaturesFolder + "\\" + name))
            << name;
    const std::string stationery = app::StationeryFolderFor(bst, b.s().reg);
    EXPECT_EQ(stationery, v.target == "11.0" ? "C:\\users\\bob\\Application Data\\Microsoft\\Stationery"
                                             : "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery");
    for (const auto& name : a.made.stationeryFiles)
        EXPECT_EQ(b.readFile(stationery + "\\" + name), a.readFile(a.made.stationeryFolder + "\\" + name)) << name;
    for (const auto& name : a.made.templateFiles)
        EXPECT_EQ(b.readFile(app::TemplatesFolderFor(bst) + "\\" + name),
                  a.readFile(a.made.templatesFolder + "\\" + name));
    for (const auto& name : a.made.preferenceFiles)
        EXPECT_EQ(b.readFile(outlookFolder + "\\" + name), a.readFile(a.made.outlookFolder + "\\" + name)) << name;

    // Accounts and options under the keys of the Outlook installed at bob's;
    // 2007 and 2010 keep them in the target profile, whose tree the profile
    // restore replaced with one of 2003 that has none: nothing is put there.
    const std::string accounts = app::AccountsKeyFor(v.target, target) + "\\00000001";
    if (!sourceShared && app::OutlookSharedLayout(v.target)) {
        EXPECT_FALSE(b.s().reg.KeyExists(app::AccountsKeyFor(v.target, target)));
    } else if (sourceShared) {
        std::string name;
        ASSERT_TRUE(b.binary(accounts, "Account Name", name));
        EXPECT_EQ(name, sample::utf16Z("alice@example.org"));
    } else {
        EXPECT_EQ(b.s().reg.GetStringValue(accounts, "SMTP Email Address"), "alice@example.org");
    }
    std::string mark;
    ASSERT_TRUE(b.binary(app::OptionsKeyFor(v.target) + "\\Mail", "QuillmarkMark", mark));
    EXPECT_EQ(mark, "alice");

    if (!sourceShared) {
        std::set<std::string> books;
        for (const auto& section : b.s().reg.EnumSubKeys(key)) {
            const std::string value = b.s().reg.GetStringValue(key + "\\" + section, "001e6600");
            if (value != "Error") books.insert(value);
        }
        EXPECT_EQ(books, (std::set<std::string>{restoreFolder + "\\alice.pab", restoreFolder + "\\Contacts.pab"}));
        EXPECT_EQ(b.readFile(restoreFolder + "\\Contacts.pab"), a.readFile("D:\\Mail\\Contacts.pab"));
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, ItemsRoundTrip,
                         ::testing::Values(Versions{"14.0", "11.0"}, Versions{"11.0", "14.0"}), [](const auto& test) {
                             return "From" + test.param.source.substr(0, 2) + "To" + test.param.target.substr(0, 2);
                         });

}  // namespace
}  // namespace qm::test
