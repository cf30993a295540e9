// Outlook 2013 to Microsoft 365 (Office 15.0 and 16.0), held in memory as
// their installers and Click-to-Run lay them out: the version and its name,
// the profiles under Office\<version>\Outlook with the default one first,
// every item between two such installations, profiles of 97-2010 moved into
// them, the offline caches that are never stored, and what a restore
// refuses before anything changes.
#include <map>
#include <set>

#include "app/ClickToRun.h"
#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "app/Startup.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/ProfileStores.h"
#include "jobs/BackupJob.h"
#include "jobs/ItemsFixture.h"
#include "jobs/RestoreJob.h"
#include "jobs/RestoreRequest.h"
#include "jobs/Texts.h"
#include "platform/RegistryAccess.h"

namespace qm::test {
namespace {

std::string bareName(const std::string& path) { return base::bareName(path, base::singleByte()); }
using items::detail::splitNames;

const std::string kBobRestore = "C:\\users\\bob\\Local Settings\\Application Data\\Microsoft\\Outlook";
const std::string kOffice16 = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0";

sample::SampleOptions modern(const std::string& user, const std::string& version, const std::string& second,
                             const std::string& release = "365") {
    sample::SampleOptions o = sampleOptions(user, version, second);
    o.release = release;
    return o;
}

std::set<std::string> asSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

// Every value of a key, by name.
std::map<std::string, std::string> values(Installation& in, const std::string& key) {
    std::map<std::string, std::string> out;
    std::string sub = key;
    const platform::KeyHandle root = in.s().reg.SplitKeyPath(sub);
    for (const auto& name : platform::valueNames(*in.platform.registry, root, sub)) {
        platform::RegType type = platform::RegType::None;
        platform::readValue(*in.platform.registry, root, sub, name, type, out[name]);
    }
    return out;
}

// A key's tree as text, to compare before and after.
std::string dump(Installation& in, const std::string& key) {
    std::string out = key + "\n";
    for (const auto& [name, bytes] : values(in, key)) out += name + "=" + bytes + "\n";
    for (const auto& sub : in.s().reg.EnumSubKeys(key)) out += dump(in, key + "\\" + sub);
    return out;
}

std::string storedPath(Installation& in, const std::string& key, const std::string& value = "01020fff") {
    const std::string p = in.s().reg.ReadPathFromBinaryValue(key, value);
    return p != "Error" ? p : in.s().reg.ReadAnsiPathFromBinaryValue(key, value);
}

// A whole backup of a profile by the backup job, every item its Outlook
// offers.
jobs::BackupReport backUp(Installation& in, const std::string& profile, const std::string& archive) {
    jobs::BackupRequest request;
    request.profile = profile;
    request.items =
        items::selectionFromDigits(app::NoAddressBook(in.s().state.OutlookVersion) ? "11110111" : "11111111");
    request.archivePath = in.s().files.windowsPath(archive);
    jobs::JobEvents quiet;
    return jobs::RunBackupJob(in.s(), request, quiet);
}

// The restore a console makes of every item the backup holds.
struct Restored {
    bool built = false;
    jobs::Refusal refusal;
    jobs::RestoreReport report;
};
Restored restore(Installation& in, const std::string& archive, const std::string& profile) {
    Restored r;
    jobs::JobEvents quiet;
    const jobs::OpenedBackup opened = jobs::OpenBackupJob(in.s(), in.s().files.windowsPath(archive), "", quiet);
    jobs::RestoreChoices choices;
    choices.kind = jobs::RunKind::Console;
    choices.targetProfile = [profile] { return profile; };
    jobs::RestoreRequest request;
    r.built = jobs::BuildRestoreRequest(in.s(), &opened, choices, request, r.refusal);
    if (r.built) r.report = jobs::RunRestoreJob(in.s(), opened, request, quiet);
    return r;
}

const jobs::PartResult& part(const std::array<jobs::PartResult, items::kPartCount>& parts, items::Part p) {
    return parts[items::positionOf(p) - 1];
}

TEST(OutlookVersions, ClickToRunProductsNameTheOutlookOf16) {
    EXPECT_EQ(app::OutlookNameOfProducts("O365ProPlusRetail"), "Outlook for Microsoft 365");
    EXPECT_EQ(app::OutlookNameOfProducts("O365HomePremRetail,VisioPro2019Retail"), "Outlook for Microsoft 365");
    EXPECT_EQ(app::OutlookNameOfProducts("ProPlus2019Volume"), "Outlook 2019");
    EXPECT_EQ(app::OutlookNameOfProducts(" HomeBusiness2021Retail , ProjectPro2024Retail"), "Outlook 2021");
    EXPECT_EQ(app::OutlookNameOfProducts("Outlook2024Retail"), "Outlook 2024");
    // Suites without Outlook say nothing of it; the 2016 suites name no year.
    EXPECT_EQ(app::OutlookNameOfProducts("VisioPro2021Retail,HomeStudent2019Retail"), "");
    EXPECT_EQ(app::OutlookNameOfProducts("ProPlusRetail"), "");
    EXPECT_EQ(app::OutlookNameOfProducts(""), "");

    // A backup's recorded name gives its version back.
    EXPECT_EQ(app::VersionOfDisplayName("Outlook 2013"), "15.0");
    for (const char* name :
         {"Outlook 2016", "Outlook 2019", "Outlook 2021", "Outlook 2024", "Outlook for Microsoft 365"})
        EXPECT_EQ(app::VersionOfDisplayName(name), "16.0") << name;
    EXPECT_EQ(app::VersionOfDisplayName("Outlook 2002(XP)"), "10.0");
    EXPECT_EQ(app::VersionOfDisplayName("Unknow Version"), "");
    EXPECT_EQ(app::VersionOfDisplayName(""), "");
}

struct Layout {
    const char* version;
    const char* release;
    bool stock;             // a 64-bit prefix
    const char* bits;       // Office's, in it
    const char* name;       // as the windows show it
    const char* officeDir;  // where Office's stationery is
};

class ModernLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(ModernLayouts, VersionNameProfilesAndFoldersAreFoundWhereTheInstallationKeepsThem) {
    const Layout l = GetParam();
    sample::SampleOptions o = modern("alice", l.version, "Work", l.release);
    o.stock = l.stock;
    o.officeBits = l.bits;
    Installation a(o);
    ASSERT_TRUE(a.ok()) << a.error;
    const auto& st = a.s().state;
    EXPECT_EQ(st.OutlookVersion, l.version);
    EXPECT_EQ(st.OutlookName, l.name);
    EXPECT_EQ(st.ProfilesKey,
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + std::string(l.version) + "\\Outlook\\Profiles");
    EXPECT_EQ(st.ProfileNames, (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(st.AccountsKey, st.ProfilesKey + "\\Outlook\\9375CFF0413111d3B88A00104B2A6676");
    // Where Outlook keeps it, not through the old name (a link Wine lacks).
    EXPECT_EQ(st.StationeryFolder, "C:\\users\\alice\\AppData\\Roaming\\Microsoft\\Stationery");
    EXPECT_EQ(st.StationeryFolder, a.made.stationeryFolder);
    EXPECT_EQ(st.SharedStationeryFolder, std::string(l.officeDir) + "\\Common Files\\Microsoft Shared\\Stationery");
    EXPECT_EQ(st.SharedStationeryFolder, a.made.sharedStationeryFolder);
    EXPECT_EQ(st.OptionsKey,
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + std::string(l.version) + "\\Outlook\\Options");
    // Everything but the personal address book, which 2007 and later lack.
    EXPECT_EQ(a.availablePattern(), "11110111");
    EXPECT_TRUE(a.available.noAddressBook);
    EXPECT_FALSE(st.NewOutlook);
}

INSTANTIATE_TEST_SUITE_P(
    Installations, ModernLayouts,
    ::testing::Values(Layout{"15.0", "365", false, "32", "Outlook 2013", "C:\\Program Files"},
                      Layout{"15.0", "365", true, "32", "Outlook 2013", "C:\\Program Files (x86)"},
                      Layout{"15.0", "365", true, "64", "Outlook 2013", "C:\\Program Files"},
                      Layout{"16.0", "2016", false, "32", "Outlook 2016", "C:\\Program Files"},
                      Layout{"16.0", "2019", true, "32", "Outlook 2019", "C:\\Program Files (x86)"},
                      Layout{"16.0", "2021", true, "64", "Outlook 2021", "C:\\Program Files"},
                      Layout{"16.0", "2024", false, "32", "Outlook 2024", "C:\\Program Files"},
                      Layout{"16.0", "365", true, "32", "Outlook for Microsoft 365", "C:\\Program Files (x86)"},
                      Layout{"16.0", "365", true, "64", "Outlook for Microsoft 365", "C:\\Program Files"}),
    [](const auto& test) {
        const Layout& l = test.param;
        return std::string(l.version).substr(0, 2) + "_" + l.release + (l.stock ? "_Stock" : "") + "_" + l.bits;
    });

TEST(ModernInstallation, TheDefaultProfileComesFirstAndTheSignaturesFolderHasItsLocalName) {
    Installation a(modern("alice", "16.0", "Work"));
    ASSERT_TRUE(a.ok()) << a.error;
    auto& s = a.s();
    const std::string outlook = kOffice16 + "\\Outlook";
    auto reload = [&] {
        EXPECT_TRUE(app::LoadEnvironment(s));
        return s.state.ProfileNames;
    };
    ASSERT_TRUE(s.reg.SetStringValue(outlook, "DefaultProfile", "WORK"));
    EXPECT_EQ(reload(), (std::vector<std::string>{"Work", "Outlook"}));
    ASSERT_TRUE(s.reg.SetStringValue(outlook, "DefaultProfile", "Gone"));
    EXPECT_EQ(reload(), (std::vector<std::string>{"Outlook", "Work"}));

    // The localised name Office keeps; one that would lead elsewhere is not
    // followed.
    const std::string general = kOffice16 + "\\Common\\General";
    const std::string microsoft = "C:\\users\\alice\\AppData\\Roaming\\Microsoft\\";
    for (const auto& [kept, used] :
         std::vector<std::pair<std::string, std::string>>{{"Signaturen", "Signaturen"},
                                                          {" Firmas ", "Firmas"},
                                                          {"..\\..\\..\\Windows", "Signatures"},
                                                          {"..", "Signatures"},
                                                          {"C:\\Windows", "Signatures"},
                                                          {"a/b", "Signatures"},
                                                          {"", "Signatures"},
                                                          {"Sig?", "Signatures"}}) {
        ASSERT_TRUE(s.reg.SetStringValue(general, "Signatures", kept));
        EXPECT_EQ(app::SignaturesFolderFor(s.state, s.reg), microsoft + used) << kept;
    }
    // Older versions keep no such name.
    s.state.OutlookVersion = "14.0";
    a.setBinary("HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\14.0\\Common\\General", "Signatures", "Signaturen");
    EXPECT_EQ(app::SignaturesFolderFor(s.state, s.reg), microsoft + "Signatures");

    // The new Outlook, once switched on, is said.
    a.setBinary(outlook + "\\Preferences", "UseNewOutlook", std::string("\x01\0\0\0", 4));
    EXPECT_FALSE(app::NewOutlookInUse("16.0", s.reg)) << "a binary is no switch";
    std::string sub = outlook + "\\Preferences";
    const platform::KeyHandle root = s.reg.SplitKeyPath(sub);
    ASSERT_EQ(platform::writeValue(*a.platform.registry, root, sub, "UseNewOutlook", platform::RegType::Dword,
                                   std::string("\x01\0\0\0", 4)),
              platform::RegStatus::Success);
    EXPECT_TRUE(app::NewOutlookInUse("16.0", s.reg));
    EXPECT_FALSE(app::NewOutlookInUse("15.0", s.reg));
    EXPECT_TRUE(reload().size() == 2 && s.state.NewOutlook);
}

TEST(ModernInstallation, EveryItemGoesIntoAnotherInstallationsProfileAndTheCachesStayHome) {
    Installation a(modern("alice", "16.0", "Work"));
    ASSERT_TRUE(a.ok()) << a.error;
    Installation b(modern("bob", "16.0", "Bob Mail", "2019"));
    ASSERT_TRUE(b.ok()) << b.error;
    const auto& src = a.profile(0);
    // Marks only alice's options hold, and one in the key never restored.
    a.setBinary(kOffice16 + "\\Outlook\\Options\\Mail", "QuillmarkMark", "alice");
    a.setBinary(kOffice16 + "\\Outlook\\Preferences", "QuillmarkMark", "alice");
    a.setBinary(kOffice16 + "\\Outlook\\Setup", "QuillmarkMark", "alice");

    const std::string archive = a.dir / "alice.qmk";
    const jobs::BackupReport backup = backUp(a, "Outlook", archive);
    ASSERT_TRUE(backup.written) << backup.failure;
    // Rules live in the store from 2013 on: no rules file, and no failure.
    EXPECT_EQ(backup.itemResult, "1101110111");
    EXPECT_FALSE(part(backup.parts, items::Part::Rules).ran);
    for (const auto& r : backup.parts) EXPECT_FALSE(r.ran && !r.ok) << r.reason;
    // The IMAP account's cache is named and not stored.
    EXPECT_EQ(backup.notes,
              (std::vector<std::string>{"alice@imap.example.org.ost: a server mailbox's cache, Outlook rebuilds it"}));
    const auto entries = asSet(archiveEntries(archive));
    for (const auto& e : entries) EXPECT_EQ(e.find(".ost"), std::string::npos) << e;
    for (const auto& d : src.dataFiles) EXPECT_TRUE(entries.count(bareName(d))) << d;
    for (const auto& f : a.made.signatureFolderFiles) EXPECT_TRUE(entries.count(f)) << f;

    // Bob's Exchange profile keeps its cache section as it is.
    const auto& bobMail = b.profile(1);
    ASSERT_EQ(bobMail.cacheSections.size(), 1u);
    const auto bobCache = values(b, bobMail.cacheSections[0]);
    const auto bobOther = values(b, b.profile(0).storeSections[0]);
    const std::string bobSetup = b.s().reg.GetStringValue(kOffice16 + "\\Outlook\\Setup", "First-Run");

    const Restored r = restore(b, archive, "Bob Mail");
    ASSERT_TRUE(r.built) << r.refusal.text;
    ASSERT_TRUE(r.report.failure.empty()) << r.report.failure;
    for (const auto& p : r.report.parts) EXPECT_FALSE(p.ran && !p.ok) << p.reason;
    EXPECT_TRUE(part(r.report.parts, items::Part::Accounts).ok);
    // Another user's backup: the account passwords, named, may have to be
    // typed again.
    ASSERT_EQ(r.report.notes.size(), 1u);
    EXPECT_EQ(r.report.notes[0],
              "The passwords of alice@example.org, alice.work@example.org may need to be typed again: the backup "
              "comes from another Windows user or machine (alice on " +
                  a.s().state.ComputerName +
                  "), and saved passwords open only for the user on the machine that saved them.");

    const std::string key = bobMail.key;
    EXPECT_EQ(key, kOffice16 + "\\Outlook\\Profiles\\Bob Mail");
    EXPECT_EQ(values(b, bobMail.cacheSections[0]), bobCache);
    EXPECT_EQ(values(b, b.profile(0).storeSections[0]), bobOther) << "bob's other profile changed";
    // Each data file is byte for byte where the rewritten 001f6700 points,
    // and the entry identifier names it too.
    for (std::size_t i = 0; i < src.dataFiles.size(); ++i) {
        const std::string section = key + "\\" + bareName(src.storeSections[i]);
        const std::string moved = kBobRestore + "\\" + bareName(src.dataFiles[i]);
        EXPECT_EQ(b.s().reg.ReadUnicodeTextValue(section, "001f6700"), moved);
        EXPECT_EQ(b.readFile(b.s().reg.ReadUnicodeTextValue(section, "001f6700")), a.readFile(src.dataFiles[i]));
        EXPECT_EQ(storedPath(b, section), moved);
        EXPECT_FALSE(b.hasValue(section, "001e6700"));
    }
    // Alice's cache came with her profile; its folder is not on bob's
    // machine, so Outlook is to make it anew in bob's, and her IMAP account
    // delivers there; her POP account delivers into the moved data file.
    const std::string imap = key + "\\" + bareName(src.cacheSections[0]);
    EXPECT_EQ(b.s().reg.ReadUnicodeTextValue(imap, "001f6700"), kBobRestore + "\\alice@imap.example.org.ost");
    EXPECT_EQ(storedPath(b, imap), kBobRestore + "\\alice@imap.example.org.ost");
    EXPECT_FALSE(b.exists(kBobRestore + "\\alice@imap.example.org.ost"));
    const std::string accounts = key + "\\9375CFF0413111d3B88A00104B2A6676";
    EXPECT_EQ(storedPath(b, accounts + "\\00000001", "Delivery Store EntryID"),
              kBobRestore + "\\alice@example.org.pst");
    EXPECT_EQ(storedPath(b, accounts + "\\00000002", "Delivery Store EntryID"),
              kBobRestore + "\\alice@imap.example.org.ost");
    EXPECT_EQ(b.s().reg.ReadUnicodeTextValue(accounts + "\\00000001", "Account Name"), "alice@example.org");

    // The files, in bob's folders: the pictures beside the signatures, the
    // user's and Office's stationery into his own folder.
    const std::string roaming = "C:\\users\\bob\\AppData\\Roaming\\Microsoft";
    for (const auto& name : a.made.signatureFiles)
        EXPECT_EQ(b.readFile(roaming + "\\Signatures\\" + name), a.readFile(a.made.signaturesFolder + "\\" + name));
    for (const auto& name : {"alice_files\\image001.png", "alice_files\\filelist.xml"})
        EXPECT_EQ(b.readFile(roaming + "\\Signatures\\" + name), a.readFile(a.made.signaturesFolder + "\\" + name))
            << name;
    EXPECT_EQ(asSet(b.filesIn(roaming + "\\Stationery")), asSet(a.made.stationeryFiles));
    EXPECT_EQ(b.readFile(roaming + "\\Stationery\\Ivy.gif"), a.readFile(a.made.sharedStationeryFolder + "\\Ivy.gif"));
    for (const auto& name : a.made.templateFiles)
        EXPECT_EQ(b.readFile(roaming + "\\Templates\\" + name), a.readFile(a.made.templatesFolder + "\\" + name));
    EXPECT_EQ(b.readFile(roaming + "\\Outlook\\Outlook.xml"), a.readFile(a.made.outlookFolder + "\\Outlook.xml"));

    // The option trees; never the installation's first-run state.
    std::string mark;
    ASSERT_TRUE(b.binary(kOffice16 + "\\Outlook\\Options\\Mail", "QuillmarkMark", mark));
    EXPECT_EQ(mark, "alice");
    ASSERT_TRUE(b.binary(kOffice16 + "\\Outlook\\Preferences", "QuillmarkMark", mark));
    EXPECT_EQ(mark, "alice");
    EXPECT_EQ(b.s().reg.GetStringValue(kOffice16 + "\\Common\\MailSettings", "NewSignature"), "alice");
    EXPECT_FALSE(b.hasValue(kOffice16 + "\\Outlook\\Setup", "QuillmarkMark"));
    EXPECT_EQ(b.s().reg.GetStringValue(kOffice16 + "\\Outlook\\Setup", "First-Run"), bobSetup);
}

TEST(ModernInstallation, AProfileOfServerMailboxesOnlyHasNoDataFileAndThatIsNoFailure) {
    Installation a(modern("alice", "16.0", "Work"));
    ASSERT_TRUE(a.ok()) << a.error;
    const jobs::BackupReport report = backUp(a, "Work", a.dir / "work.qmk");
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_EQ(report.itemResult, "1001110111");
    EXPECT_FALSE(part(report.parts, items::Part::Datas).ran);
    for (const auto& r : report.parts) EXPECT_FALSE(r.ran && !r.ok) << r.reason;
    EXPECT_EQ(
        report.notes,
        (std::vector<std::string>{"alice@example.org - Work.ost: a server mailbox's cache, Outlook rebuilds it"}));

    // Before 2013 a profile without a data file fails that item, as always.
    Installation old(sampleOptions("carol", "14.0", "Work"));
    ASSERT_TRUE(old.ok()) << old.error;
    const std::string work = old.profile(1).key;
    old.s().reg.DeleteKeyTree(old.profile(1).storeSections[0]);
    const jobs::BackupReport oldReport = backUp(old, "Work", old.dir / "work.qmk");
    ASSERT_TRUE(oldReport.written) << oldReport.failure;
    EXPECT_TRUE(part(oldReport.parts, items::Part::Datas).ran);
    EXPECT_FALSE(part(oldReport.parts, items::Part::Datas).ok);
}

TEST(ModernInstallation, DamagedPathValuesNameNoFileAndAreWrittenWholeOnRestore) {
    Installation a(modern("alice", "16.0", ""));
    ASSERT_TRUE(a.ok()) << a.error;
    auto& s = a.s();
    const auto& prof = a.profile(0);
    const std::string section = prof.storeSections[0];
    const std::string file = prof.dataFiles[0];
    // A store whose entry identifier holds no path: 001f6700 alone names the
    // file, as Outlook 2013 and later keep it.
    a.setBinary(section, "01020fff", sample::serverStoreEntryId("X", "/o=x"));
    const std::string wide = sample::utf16Z(file);
    struct Case {
        const char* what;
        std::string bytes;
        bool names;  // the file is still found
    };
    const std::vector<Case> cases = {
        {"as Outlook writes it", wide, true},
        {"without its terminator", wide.substr(0, wide.size() - 2), true},
        {"with a stray last byte", wide + "x", true},
        {"with a stray odd byte count", wide.substr(0, wide.size() - 3), false},
        {"a relative name", sample::utf16Z("Outlook.pst"), false},
        {"empty", "", false},
        {"noise", std::string("\xff\xfe\x00\xd8\x41\x00\x3a\x00", 8), false},
        {"ANSI bytes", file + '\0', false},
    };
    for (const auto& c : cases) {
        a.setBinary(section, "001f6700", c.bytes);
        EXPECT_EQ(items::detail::dataFilePath(s, section) == file, c.names) << c.what;
    }
    // Of another type: no path.
    ASSERT_TRUE(s.reg.SetStringValue(section, "001f6700", file));
    EXPECT_EQ(items::detail::dataFilePath(s, section), "Error");

    // Backed up by 001f6700 alone.
    a.setBinary(section, "001f6700", wide);
    jobs::BackupReport report = backUp(a, "Outlook", a.dir / "by6700.qmk");
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_TRUE(part(report.parts, items::Part::Datas).ok) << part(report.parts, items::Part::Datas).reason;

    // Noise in 001f6700 beside a sound entry identifier: the file is found
    // by the identifier, and the restore writes 001f6700 whole.
    a.setBinary(section, "01020fff", sample::pstStoreEntryId(file, true));
    a.setBinary(section, "001f6700", cases[6].bytes);
    const std::string archive = a.dir / "noise.qmk";
    report = backUp(a, "Outlook", archive);
    ASSERT_TRUE(report.written) << report.failure;
    ASSERT_TRUE(part(report.parts, items::Part::Datas).ok) << part(report.parts, items::Part::Datas).reason;
    const Restored r = restore(a, archive, "Outlook");
    ASSERT_TRUE(r.built) << r.refusal.text;
    EXPECT_TRUE(part(r.report.parts, items::Part::Datas).ok);
    const std::string moved =
        "C:\\users\\alice\\Local Settings\\Application Data\\Microsoft\\Outlook\\" + bareName(file);
    EXPECT_EQ(s.reg.ReadUnicodeTextValue(section, "001f6700"), moved);
    EXPECT_EQ(storedPath(a, section), moved);
    EXPECT_EQ(a.readFile(moved), a.readFile(file));
}

// Profiles of Outlook 97-2010 moved into Outlook 2016: under its profiles
// key, every value that names a data file pointing at the restored copy.
class MovedIn : public ::testing::TestWithParam<std::string> {};

TEST_P(MovedIn, AnOldProfileLandsUnderTheNewProfilesKeyWithItsPathsRepointed) {
    const std::string from = GetParam();
    Installation a(sampleOptions("alice", from, ""));
    ASSERT_TRUE(a.ok()) << a.error;
    Installation b(modern("bob", "16.0", "Bob Mail"));
    ASSERT_TRUE(b.ok()) << b.error;
    const std::string archive = a.dir / "old.qmk";
    const jobs::BackupReport backup = backUp(a, "Outlook", archive);
    ASSERT_TRUE(backup.written) << backup.failure;
    const auto bobCache = values(b, b.profile(1).cacheSections[0]);

    const Restored r = restore(b, archive, "Bob Mail");
    ASSERT_TRUE(r.built) << r.refusal.text;
    ASSERT_TRUE(r.report.failure.empty()) << r.report.failure;
    EXPECT_TRUE(part(r.report.parts, items::Part::Datas).ok);
    EXPECT_TRUE(part(r.report.parts, items::Part::Config).ok);
    EXPECT_FALSE(b.s().reg.KeyExists(std::string(app::kProfilesKey) + "\\Bob Mail"))
        << "an old-layout profile Outlook 2016 does not read";

    const auto& src = a.profile(0);
    const std::string key = b.profile(1).key;
    for (std::size_t i = 0; i < src.dataFiles.size(); ++i) {
        const std::string section = key + "\\" + bareName(src.storeSections[i]);
        const std::string moved = kBobRestore + "\\" + bareName(src.dataFiles[i]);
        EXPECT_EQ(storedPath(b, section), moved);
        EXPECT_EQ(b.s().reg.ReadUnicodeTextValue(section, "001f6700"), moved) << "Outlook 2016 reads this one";
        EXPECT_FALSE(b.hasValue(section, "001e6700"));
        EXPECT_EQ(b.readFile(moved), a.readFile(src.dataFiles[i]));
    }
    EXPECT_EQ(values(b, b.profile(1).cacheSections[0]), bobCache);

    // 2003's personal address book arrives where 2016 never opens it: said.
    const jobs::PartResult& pab = part(r.report.parts, items::Part::Pab);
    const std::string pabNote =
        "alice.pab, Contacts.pab: this Outlook keeps no personal address book (2007 and later), so nothing opens the "
        "file "
        "restored to " +
        kBobRestore;
    const bool noted = std::count(r.report.notes.begin(), r.report.notes.end(), pabNote) == 1;
    EXPECT_EQ(pab.ran && pab.ok, from == "11.0") << pab.reason;
    EXPECT_EQ(noted, from == "11.0") << ::testing::PrintToString(r.report.notes);

    // Accounts of 2007 and 2010 are the profile's own and come along; those
    // of 2003's account manager are kept where Outlook 2016 does not look,
    // and the item says so, writing nothing.
    const jobs::PartResult& accounts = part(r.report.parts, items::Part::Accounts);
    ASSERT_TRUE(accounts.ran);
    if (from == "11.0") {
        EXPECT_FALSE(accounts.ok);
        EXPECT_EQ(accounts.reason,
                  "the accounts of Outlook 2003 are kept in a form Outlook for Microsoft 365 does not read; set them "
                  "up again in Outlook");
    } else {
        EXPECT_TRUE(accounts.ok) << accounts.reason;
        EXPECT_EQ(b.s().reg.ReadUnicodeTextValue(key + "\\9375CFF0413111d3B88A00104B2A6676\\00000001", "Account Name"),
                  "alice@example.org");
    }
}

INSTANTIATE_TEST_SUITE_P(From, MovedIn, ::testing::Values("11.0", "12.0", "14.0"),
                         [](const auto& test) { return "Outlook" + test.param.substr(0, 2); });

TEST(ModernInstallation, ABackupOf2013OrLaterIsRefusedByAnOlderOutlookBeforeAnythingChanges) {
    Installation a(modern("alice", "16.0", ""));
    ASSERT_TRUE(a.ok()) << a.error;
    const std::string archive = a.dir / "new.qmk";
    ASSERT_TRUE(backUp(a, "Outlook", archive).written);
    for (const char* older : {"11.0", "14.0"}) {
        Installation b(sampleOptions("bob", older, ""));
        ASSERT_TRUE(b.ok()) << b.error;
        const std::string before = dump(b, "HKEY_CURRENT_USER\\Software");
        const Restored r = restore(b, archive, "Outlook");
        EXPECT_FALSE(r.built) << older;
        EXPECT_EQ(r.refusal.text, std::string("The backup was made with Outlook for Microsoft 365, which keeps its "
                                              "profiles where ") +
                                      (std::string(older) == "11.0" ? "Outlook 2003" : "Outlook 2010") +
                                      " does not read them: it can be restored into Outlook 2013 or later.");
        EXPECT_EQ(r.refusal.icon, app::Icon::Exclamation);
        EXPECT_TRUE(r.refusal.runFailed);
        EXPECT_EQ(dump(b, "HKEY_CURRENT_USER\\Software"), before);

        // The window's request is refused alike.
        jobs::JobEvents quiet;
        const jobs::OpenedBackup opened = jobs::OpenBackupJob(b.s(), b.s().files.windowsPath(archive), "", quiet);
        jobs::RestoreChoices window;
        window.items = opened.heldItems();
        jobs::RestoreRequest request;
        jobs::Refusal refusal;
        EXPECT_FALSE(jobs::BuildRestoreRequest(b.s(), &opened, window, request, refusal));
        EXPECT_EQ(refusal.text, r.refusal.text);
    }
    // 2013 and 2016 take each other's.
    Installation c(modern("carol", "15.0", ""));
    ASSERT_TRUE(c.ok()) << c.error;
    const Restored r = restore(c, archive, "Outlook");
    EXPECT_TRUE(r.built) << r.refusal.text;
}

TEST(ModernInstallation, SignatureFolderNamesThatLeadOutFailTheItemBeforeAnythingIsWritten) {
    Installation a(modern("alice", "16.0", ""));
    ASSERT_TRUE(a.ok()) << a.error;
    const std::string archive = a.dir / "a.qmk";
    ASSERT_TRUE(backUp(a, "Outlook", archive).written);
    ASSERT_TRUE(a.openBackup(archive));
    const std::string folder = a.made.signaturesFolder;
    a.remove(folder);

    // What an older program does with such a backup: the signatures, without
    // the key it does not know.
    {
        items::Items older(a.s(), *a.openedBackup().archive, a.recorded);
        EXPECT_TRUE(older.RestoreSignatures());
        EXPECT_EQ(asSet(a.filesIn(folder)), asSet(a.made.signatureFiles));
        EXPECT_FALSE(a.exists(folder + "\\alice_files"));
        a.remove(folder);
    }
    for (const std::string hostile :
         {"../x.png", "alice_files/../../x.png", "alice_files/..", "C:/x.png", "/x.png", "alice_files/",
          "alice_files\\..\\x/y.png", "a/b/c.png", "CON/x.png", "alice_files/NUL.txt", "x.png", ".. /x.png"}) {
        std::string value = "alice_files/image001.png;" + hostile;
        items::Items items(a.s(), *a.openedBackup().archive, a.recorded, nullptr, [&](const std::string& key) {
            return key == "BackupSignatureFolders" ? value : a.openedBackup().value(key);
        });
        EXPECT_FALSE(items.RestoreSignatures()) << hostile;
        EXPECT_FALSE(a.exists(folder)) << hostile;
        EXPECT_FALSE(a.exists("C:\\users\\alice\\AppData\\Roaming\\Microsoft\\x.png")) << hostile;
    }
}

// The pictures' folders are made in the restore's transaction: one that
// cannot be made stops the whole restore, and what came before it (the
// profile's keys, the data files, the signatures) is undone.
TEST(ModernInstallation, APictureFolderThatCannotBeMadeUndoesTheWholeRestore) {
    Installation a(modern("alice", "16.0", ""));
    ASSERT_TRUE(a.ok()) << a.error;
    Installation b(modern("bob", "16.0", "Bob Mail", "2019"));
    ASSERT_TRUE(b.ok()) << b.error;
    const std::string archive = a.dir / "a.qmk";
    ASSERT_TRUE(backUp(a, "Outlook", archive).written);

    // A file where the folder of alice's pictures is to go.
    const std::string folder = b.made.signaturesFolder;
    b.writeFile(folder + "\\alice_files", "not a folder");
    const auto filesBefore = asSet(b.filesIn(folder));
    const std::string before = dump(b, "HKEY_CURRENT_USER\\Software");

    const Restored r = restore(b, archive, "Bob Mail");
    ASSERT_TRUE(r.built) << r.refusal.text;
    EXPECT_NE(r.report.failure.find("alice_files"), std::string::npos) << r.report.failure;
    EXPECT_EQ(dump(b, "HKEY_CURRENT_USER\\Software"), before);
    EXPECT_EQ(asSet(b.filesIn(folder)), filesBefore);
    EXPECT_EQ(b.readFile(folder + "\\alice_files"), "not a folder");
    for (const auto& d : a.profile(0).dataFiles) EXPECT_FALSE(b.exists(kBobRestore + "\\" + bareName(d))) << d;
}

}  // namespace
}  // namespace qm::test
