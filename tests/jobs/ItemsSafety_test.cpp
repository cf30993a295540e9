// Files that are there but cannot be read fail their item, not the backup;
// names from a damaged or hostile archive never lead a restore out of its
// folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <filesystem>

#include "app/Environment.h"
#include "items/ItemSupport.h"
#include "jobs/ItemsFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using items::detail::splitNames;

int countOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<int>(std::count(names.begin(), names.end(), name));
}

class UnreadableFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(a.ok()) << a.error;
        archivePst = a.host("D:\\Mail\\Archive.pst");
        fs::remove(archivePst);
    }
    // The data file and signatures that were readable are in the archive.
    void expectOthersSaved(const std::string& info) {
        EXPECT_EQ(splitNames(infoValue(info, "BackupDatas")), std::vector<std::string>{"alice@example.org.pst"})
            << info;
        const auto entries = archiveEntries(archive);
        EXPECT_EQ(countOf(entries, "alice@example.org.pst"), 1);
        EXPECT_EQ(countOf(entries, "Archive.pst"), 0);
        EXPECT_EQ(countOf(entries, "quillmark.dat"), 1);
    }
    Installation a{sampleOptions("alice", "14.0"), Backend::WinePrefix};
    std::string archivePst;
    std::string archive = a.dir / "a.qmk";
};

TEST_F(UnreadableFiles, AFileThatCannotBeOpenedFailsOnlyItsItem) {
    // A FIFO stands where the profile names a file: there, but no file to
    // read. (The folder listings leave such things out.)
    ASSERT_EQ(mkfifo(archivePst.c_str(), 0644), 0);
    const std::string pipe = a.host(a.made.signaturesFolder) + "/pipe.htm";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    std::string info;
    EXPECT_EQ(a.backupAll("Outlook", archive, &info), "1011110111");
    expectOthersSaved(info);
    EXPECT_EQ(countOf(splitNames(infoValue(info, "BackupSignatures")), "pipe.htm"), 0);
    EXPECT_EQ(countOf(archiveEntries(archive), "alice.htm"), 1);
}

TEST_F(UnreadableFiles, AFileEvenRootCannotOpen) {
    // Write-only kernel attributes refuse reading to root too.
    std::string refused;
    for (const char* candidate :
         {"/sys/bus/pci/rescan", "/sys/class/zram-control/hot_remove", "/sys/power/wakeup_count"}) {
        struct stat st {};
        if (stat(candidate, &st) != 0 || !S_ISREG(st.st_mode)) continue;
        int fd = open(candidate, O_RDONLY | O_NONBLOCK);
        if (fd >= 0) {
            close(fd);
            continue;
        }
        refused = candidate;
        break;
    }
    if (refused.empty()) GTEST_SKIP() << "no file here refuses reading";
    fs::create_symlink(refused, archivePst);
    std::string info;
    EXPECT_EQ(a.backupAll("Outlook", archive, &info), "1011110111");
    expectOthersSaved(info);
}

TEST_F(UnreadableFiles, AFileWithoutPermissionForAnOrdinaryUser) {
    writeHostFile(archivePst, sample::pstFileBytes(4096, 9, false));
    ASSERT_EQ(chmod(archivePst.c_str(), 0), 0);
    const std::string rtf = a.host(a.made.signaturesFolder + "\\alice.rtf");
    ASSERT_EQ(chmod(rtf.c_str(), 0), 0);
    // The backup runs as nobody in a child process, over the installation
    // already opened here; what it writes must be reachable for that user.
    for (const std::string& folder : {a.dir.path(), a.host(a.s().state.WorkFolder)})
        fs::permissions(folder, fs::perms::all, fs::perm_options::add);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
        if (open(archivePst.c_str(), O_RDONLY) >= 0) _exit(78);
        a.startArchive(archive);
        const bool saved = a.items().BackupDatas("Outlook");
        const bool signatures = a.items().BackupSignatures();
        const bool written = a.finish("0000000000");
        _exit((saved ? 1 : 0) + (written ? 0 : 2) + (signatures ? 4 : 0));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody here";
    ASSERT_NE(WEXITSTATUS(status), 78) << "nobody can read a file of mode 000";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1, 4: an item reported success; 2: no archive";
    ASSERT_TRUE(a.openBackup(archive));
    EXPECT_EQ(a.flags, "0000000000");
    const auto entries = archiveEntries(archive);
    EXPECT_EQ(countOf(entries, "alice@example.org.pst"), 1);
    EXPECT_EQ(countOf(entries, "Archive.pst"), 0);
    EXPECT_EQ(countOf(entries, "alice.htm"), 1);
    EXPECT_EQ(countOf(entries, "alice.rtf"), 0);
}

// An archive as a damaged or hostile tool could write it: entries and
// recorded values with folder parts.
std::string hostileArchive(const std::string& path, const std::vector<std::string>& names, const std::string& info) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return "cannot create " + path;
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& n : names) files.push_back({n, "evil content of " + n});
    files.push_back({"quillmark.dat", info});
    for (const auto& f : files) {
        zip_source_t* src = zip_source_buffer(z, f.second.data(), f.second.size(), 0);
        if (!src || zip_file_add(z, f.first.c_str(), src, ZIP_FL_ENC_RAW) < 0) {
            zip_source_free(src);
            zip_discard(z);
            return "cannot add " + f.first;
        }
    }
    return zip_close(z) == 0 ? std::string() : "cannot write " + path;
}

class HostileNames : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(a.ok()) << a.error; }
    void expectNothingEvil() {
        EXPECT_EQ(findHostFiles(a.dir.path(), "evil"), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists("/tmp/evil-qm-items.htm"));
    }
    Installation a{sampleOptions("alice", "14.0", "Work"), Backend::WinePrefix};
};

TEST_F(HostileNames, EntryNamesWithFolderPartsAreNeverExtracted) {
    const std::vector<std::string> names = {"..\\..\\..\\evil.htm", "../../evil.htm", "C:evil.htm",
                                            "Z:\\tmp\\evil-qm-items.htm", "/tmp/evil-qm-items.htm"};
    std::string list;
    for (const auto& n : names) list += (list.empty() ? "" : ";") + n;
    const std::string info = "BackupIdentity=Outlook\r\nBackupSignatures=alice.htm;" + list +
                             "\r\nBackupTemplates=" + names[0] + "\r\nBackupSetting=" + names[1] +
                             "\r\nBackupStationery=" + names[3] + "\r\nBackupItem=0000110011\r\n";
    const std::string archive = a.dir / "hostile.qmk";
    std::vector<std::string> entries = names;
    entries.push_back("alice.htm");
    ASSERT_EQ(hostileArchive(archive, entries, info), "");
    ASSERT_TRUE(a.openBackup(archive));

    const std::string signatures = app::SignaturesFolderFor(a.s().state, a.s().reg);
    a.remove(signatures + "\\alice.htm");
    EXPECT_FALSE(a.items().RestoreSignatures());
    EXPECT_FALSE(a.exists(signatures + "\\alice.htm")) << "the list was extracted up to its bad name";
    EXPECT_FALSE(a.items().RestoreTemplates());
    EXPECT_FALSE(a.items().RestoreSetting());
    EXPECT_FALSE(a.items().RestoreStationery());
    // Each bad name alone, in every item that extracts.
    auto& values = a.recorded;
    for (const auto& n : names) {
        values.fill(n);
        auto& it = a.items();
        EXPECT_FALSE(it.RestoreConfig("Outlook")) << n;
        EXPECT_FALSE(it.RestoreDatas("Outlook")) << n;
        EXPECT_FALSE(it.RestoreRules("Outlook")) << n;
        EXPECT_FALSE(it.RestoreAccounts("Outlook")) << n;
        EXPECT_FALSE(it.RestorePab("Outlook")) << n;
        EXPECT_FALSE(it.RestoreConfigsetting()) << n;
        EXPECT_FALSE(it.RestoreSignatures()) << n;
    }
    expectNothingEvil();
    // Nothing was changed on the way: the profile still names its files.
    EXPECT_TRUE(a.hasValue(a.profile(0).storeSections[0], "001e6700"));
    EXPECT_TRUE(a.exists(a.profile(0).favoritesFile));
}

TEST_F(HostileNames, RecordedValuesAndProfileNamesThatLeaveTheFolder) {
    const std::string archive = a.dir / "a.qmk";
    ASSERT_EQ(a.backupAll("Outlook", archive), "1111110111");
    ASSERT_TRUE(a.openBackup(archive));
    auto& values = a.recorded;
    auto& it = a.items();

    // The rules file renamed from a name with folder parts.
    values[2] = "..\\..\\evil.RWZ";
    EXPECT_FALSE(it.RestoreRules("Work"));
    values[2] = "Outlook.RWZ";
    // Profile names that would put the rules or the .FAV file elsewhere.
    // (As registry keys they name no profile here: the configuration, a
    // tree of keys only, has nothing to replace and writes nothing.)
    for (const std::string profile : {"..\\..\\evil", "..", "a/evil", "C:evil", ""}) {
        EXPECT_FALSE(it.RestoreRules(profile)) << profile;
        EXPECT_FALSE(it.RestoreDatas(profile)) << profile;
        it.RestoreConfig(profile);
        EXPECT_FALSE(it.RestorePab(profile)) << profile;
        EXPECT_FALSE(it.BackupRules(profile)) << profile;
    }
    expectNothingEvil();
    // The good values still restore.
    EXPECT_TRUE(it.RestoreRules("Work"));
    EXPECT_TRUE(it.RestoreDatas("Work"));
}

}  // namespace
}  // namespace qm::test
