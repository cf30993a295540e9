#include "platform/wine/WineFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;
using platform::wine::WineFileSystem;
using platform::wine::WinePrefix;

class WineFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester", false));
        files = std::make_unique<WineFileSystem>(WinePrefix(prefix), codePage);
        c = prefix + "/drive_c";
    }
    void make(const std::string& host, const std::string& bytes = "x") {
        fs::create_directories(fs::path(host).parent_path());
        writeHostFile(host, bytes);
    }
    static bool xattrsWork(const std::string& host) {
        if (setxattr(host.c_str(), "user.qmprobe", "1", 1, 0) != 0) return false;
        removexattr(host.c_str(), "user.qmprobe");
        return true;
    }
    static std::string dosattrib(const std::string& host) {
        char buf[32];
        ssize_t n = getxattr(host.c_str(), "user.DOSATTRIB", buf, sizeof buf);
        return n < 0 ? std::string("(none)") : std::string(buf, static_cast<std::size_t>(n));
    }
    static mode_t mode(const std::string& host) {
        struct stat st {};
        stat(host.c_str(), &st);
        return st.st_mode & 0777;
    }

    TempDir dir;
    std::string prefix, c;
    CodePage codePage;
    std::unique_ptr<WineFileSystem> files;
};

// ---- mapping -----------------------------------------------------------------

TEST_F(WineFileSystemTest, DrivePathsFollowTheDosdevicesLinksWhateverTheCase) {
    make(c + "/users/tester/AppData/Roaming/Microsoft/Signatures/Work.htm");
    EXPECT_EQ(files->hostPath("C:\\"), c);
    EXPECT_EQ(files->hostPath("c:\\USERS\\Tester\\appdata\\ROAMING\\microsoft\\signatures\\WORK.HTM"),
              c + "/users/tester/AppData/Roaming/Microsoft/Signatures/Work.htm");
    // Forward slashes, ".", ".." and trailing dots or blanks as Windows reads them.
    EXPECT_EQ(files->hostPath("C:/users/./x/../TESTER/appdata. "), c + "/users/tester/AppData");
    EXPECT_EQ(files->hostPath("C:\\..\\..\\users"), c + "/users");
    // Missing parts keep the case given; the lookup stops at the first one.
    EXPECT_EQ(files->hostPath("C:\\Users\\Tester\\New Folder\\Sub\\A.txt"),
              c + "/users/tester/New Folder/Sub/A.txt");
    EXPECT_EQ(files->hostPath("Z:\\"), "/");
    EXPECT_EQ(files->hostPath("z:\\" + dir.path().substr(1) + "\\PREFIX\\drive_c"), c);
}

TEST_F(WineFileSystemTest, AnExactMatchWinsOverOneInAnotherCase) {
    make(c + "/data/report.txt", "lower");
    make(c + "/data/Report.txt", "upper");
    EXPECT_EQ(files->hostPath("C:\\data\\Report.txt"), c + "/data/Report.txt");
    EXPECT_EQ(files->hostPath("C:\\data\\report.txt"), c + "/data/report.txt");
    std::string bytes;
    ASSERT_TRUE(files->readFile("C:\\DATA\\Report.txt", bytes));
    EXPECT_EQ(bytes, "upper");
}

// Names found ignoring case come from an index of the folder kept while it
// is unchanged: what this program changes it follows, what another program
// changes is seen at the next lookup.
TEST_F(WineFileSystemTest, NamesInAnotherCaseFollowEveryChangeOfTheFolder) {
    const std::string folder = c + "/Mail";
    make(folder + "/Inbox.pst");
    make(folder + "/Sent.pst");
    EXPECT_EQ(files->hostPath("C:\\mail\\INBOX.PST"), folder + "/Inbox.pst");

    // This program's own changes.
    ASSERT_TRUE(files->renameFile("C:\\mail\\inbox.pst", "C:\\Mail\\Old.pst"));
    EXPECT_EQ(files->hostPath("C:\\mail\\OLD.PST"), folder + "/Old.pst");
    EXPECT_FALSE(files->fileExists("C:\\mail\\INBOX.PST"));
    ASSERT_TRUE(files->deleteFile("C:\\mail\\sent.PST"));
    EXPECT_FALSE(files->fileExists("C:\\mail\\SENT.PST"));
    std::string error;
    auto part = files->createReplacement("C:\\Mail\\New.pst", error);
    ASSERT_TRUE(part && part->write("n", 1) && part->commit()) << error;
    EXPECT_EQ(files->hostPath("C:\\MAIL\\NEW.PST"), folder + "/New.pst");

    // Another program's, in every way a folder changes. A folder's stamp
    // moves on the kernel's coarse clock (a few milliseconds): a change
    // within the same tick as a lookup is seen at the folder's next change.
    const auto tick = [] { usleep(20000); };
    EXPECT_FALSE(files->fileExists("C:\\mail\\OTHER.PST"));
    tick();
    make(folder + "/Other.pst");
    EXPECT_TRUE(files->fileExists("C:\\mail\\OTHER.PST"));
    tick();
    fs::rename(folder + "/Other.pst", folder + "/Moved.pst");
    EXPECT_FALSE(files->fileExists("C:\\mail\\OTHER.PST"));
    EXPECT_TRUE(files->fileExists("C:\\mail\\MOVED.PST"));
    tick();
    fs::remove(folder + "/Old.pst");
    EXPECT_FALSE(files->fileExists("C:\\mail\\old.pst"));
    // The folder itself replaced by another of the same name.
    fs::rename(folder, c + "/Gone");
    make(folder + "/Fresh.pst");
    EXPECT_FALSE(files->fileExists("C:\\mail\\MOVED.PST"));
    EXPECT_TRUE(files->fileExists("C:\\mail\\FRESH.PST"));
}

TEST_F(WineFileSystemTest, DrivesAreReadFromTheLinksNotAssumed) {
    const std::string other = dir / "elsewhere";
    fs::create_directories(other + "/Backups");
    fs::remove(prefix + "/dosdevices/c:");
    fs::create_symlink("../system_disk", prefix + "/dosdevices/c:");
    fs::create_symlink(other, prefix + "/dosdevices/d:");
    EXPECT_EQ(files->hostPath("C:\\windows"), prefix + "/system_disk/windows");
    EXPECT_EQ(files->hostPath("D:\\backups\\a.qmk"), other + "/Backups/a.qmk");
    EXPECT_EQ(files->hostPath("E:\\a.qmk"), "");
    EXPECT_EQ(files->windowsPath(other + "/Backups/a.qmk"), "D:\\Backups\\a.qmk");
}

TEST_F(WineFileSystemTest, UncPathsLieUnderDosdevicesUnc) {
    fs::create_directories(prefix + "/dosdevices/unc/FileServer/Public");
    EXPECT_EQ(files->hostPath("\\\\fileserver\\public\\Backups\\b.qmk"),
              prefix + "/dosdevices/unc/FileServer/Public/Backups/b.qmk");
    EXPECT_EQ(files->hostPath("\\\\?\\UNC\\fileserver\\public"), prefix + "/dosdevices/unc/FileServer/Public");
    // ".." does not climb out of the share.
    EXPECT_EQ(files->hostPath("\\\\FileServer\\Public\\..\\..\\x"), prefix + "/dosdevices/unc/FileServer/Public/x");
    EXPECT_EQ(files->hostPath("\\\\?\\c:\\Windows"), c + "/windows");
}

TEST_F(WineFileSystemTest, PathsThatCannotBeMappedGiveNothing) {
    for (const char* p : {"", "relative\\name.txt", "\\rooted\\without\\drive", "\\\\", "C:\\a*b", "C:\\what?",
                          "C:\\x\\a:b", "C:\\pipe|d", "1:\\x"})
        EXPECT_EQ(files->hostPath(p), "") << p;
    EXPECT_FALSE(files->fileExists("C:\\a*b"));
}

TEST_F(WineFileSystemTest, HostPathsBecomeWindowsPathsOnTheDeepestDrive) {
    EXPECT_EQ(files->windowsPath(c + "/users/tester"), "C:\\users\\tester");
    EXPECT_EQ(files->windowsPath(c + "/"), "C:\\");
    EXPECT_EQ(files->windowsPath(prefix + "/dosdevices/../drive_c/x/"), "C:\\x");
    EXPECT_EQ(files->windowsPath("/home/u/b.qmk"), "Z:\\home\\u\\b.qmk");
    EXPECT_EQ(files->windowsPath("/"), "Z:\\");
    // Host names are UTF-8, Windows names ANSI (Windows-1252 here).
    EXPECT_EQ(files->windowsPath("/srv/caf\xC3\xA9"), "Z:\\srv\\caf\xE9");
    // A prefix reached through a symbolic link is still recognised.
    fs::create_symlink(prefix, dir / "link");
    EXPECT_EQ(files->windowsPath(dir / "link/drive_c/windows"), "C:\\windows");
}

TEST_F(WineFileSystemTest, UserPathsFromTheHostBecomeZPaths) {
    EXPECT_EQ(files->fromUserPath("/home/u//b.qmk"), "Z:\\home\\u\\b.qmk");
    EXPECT_EQ(files->fromUserPath("C:\\b.qmk"), "C:\\b.qmk");
    EXPECT_EQ(files->fromUserPath("d:/b.qmk"), "d:/b.qmk");
    EXPECT_EQ(files->fromUserPath("\\\\srv\\share\\b.qmk"), "\\\\srv\\share\\b.qmk");
    // The user's path is Z: even inside the prefix: it names the same file.
    EXPECT_EQ(files->fromUserPath(c + "/b.qmk").substr(0, 3), "Z:\\");
    const std::string cwd = fs::current_path().string();
    std::string expected = "Z:" + cwd + "\\sub\\b.qmk";
    std::replace(expected.begin(), expected.end(), '/', '\\');
    EXPECT_EQ(files->fromUserPath("sub/b.qmk"), expected);
    EXPECT_EQ(files->fromUserPath(""), "");
}

TEST_F(WineFileSystemTest, AnsiNamesAreUtf8OnTheHost) {
    ASSERT_TRUE(files->writeFile("C:\\caf\xE9.txt", "x"));
    EXPECT_TRUE(fs::exists(c + "/caf\xC3\xA9.txt"));
    EXPECT_TRUE(files->fileExists("C:\\CAF\xC9.TXT"));  // upper-case e acute
    std::vector<std::string> names;
    ASSERT_TRUE(files->listFiles("C:\\", names));
    EXPECT_EQ(names, std::vector<std::string>{"caf\xE9.txt"});
}

// ---- existence, listing, attributes -----------------------------------------------

TEST_F(WineFileSystemTest, HiddenAndSystemFilesDoNotCountAsOrdinaryFiles) {
    make(c + "/f/plain.txt");
    make(c + "/f/.dotted");
    make(c + "/f/hidden.txt");
    make(c + "/f/system.txt");
    fs::create_directories(c + "/f/folder");
    EXPECT_TRUE(files->fileExists("C:\\F\\PLAIN.TXT"));
    EXPECT_FALSE(files->fileExists("C:\\f\\.dotted"));
    EXPECT_FALSE(files->fileExists("C:\\f\\folder"));
    EXPECT_FALSE(files->fileExists("C:\\f\\missing.txt"));
    EXPECT_TRUE(files->folderExists("C:\\f\\Folder"));
    EXPECT_TRUE(files->folderExists("C:\\"));
    EXPECT_FALSE(files->folderExists("C:\\f\\plain.txt"));
    EXPECT_EQ(files->getAttributes("C:\\f\\.dotted") & FileAttribute::Hidden, FileAttribute::Hidden);
    EXPECT_EQ(files->getAttributes("C:\\f\\plain.txt"), FileAttribute::Archive);
    EXPECT_EQ(files->getAttributes("C:\\f\\folder"), FileAttribute::Directory);
    EXPECT_EQ(files->getAttributes("C:\\f\\missing"), FileAttribute::Invalid);

    if (!xattrsWork(c + "/f/plain.txt")) GTEST_SKIP() << "no extended attributes on this file system";
    // Written as Wine writes them: Samba's "0x<hex>" without a terminator.
    ASSERT_EQ(setxattr((c + "/f/hidden.txt").c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
    ASSERT_EQ(setxattr((c + "/f/system.txt").c_str(), "user.DOSATTRIB", "0x24", 4, 0), 0);
    EXPECT_FALSE(files->fileExists("C:\\f\\hidden.txt"));
    EXPECT_FALSE(files->fileExists("C:\\f\\system.txt"));
    // Only hidden and system are kept there; archive comes from the file type.
    EXPECT_EQ(files->getAttributes("C:\\f\\system.txt"), FileAttribute::Archive | FileAttribute::System);

    std::vector<std::string> names{"stale"};
    ASSERT_TRUE(files->listFiles("c:\\F", names));
    EXPECT_EQ(names, (std::vector<std::string>{".dotted", "hidden.txt", "plain.txt", "system.txt"}));
}

TEST_F(WineFileSystemTest, ListingIsSortedWithoutRegardToCaseAndFailsForAMissingFolder) {
    for (const char* n : {"b.txt", "A.txt", "c.TXT", "a2.txt"}) make(c + "/l/" + n);
    fs::create_directories(c + "/l/sub");
    make(c + "/l/sub/deeper.txt");
    std::vector<std::string> names;
    ASSERT_TRUE(files->listFiles("C:\\l", names));
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "a2.txt", "b.txt", "c.TXT"}));
    names = {"kept"};
    EXPECT_FALSE(files->listFiles("C:\\nothing", names));
    EXPECT_FALSE(files->listFiles("C:\\l\\b.txt", names));
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
}

TEST_F(WineFileSystemTest, AttributesMapToPermissionsAndTheDosAttribXattr) {
    make(c + "/a/file.txt");
    const std::string host = c + "/a/file.txt";
    ASSERT_TRUE(files->setAttributes("C:\\a\\FILE.txt", FileAttribute::ReadOnly));
    EXPECT_EQ(mode(host) & 0222, 0u);
    EXPECT_EQ(files->getAttributes("C:\\a\\file.txt"), FileAttribute::Archive | FileAttribute::ReadOnly);
    EXPECT_TRUE(files->fileExists("C:\\a\\file.txt"));  // read-only is still ordinary
    ASSERT_TRUE(files->setAttributes("C:\\a\\file.txt", FileAttribute::Normal));
    EXPECT_NE(mode(host) & 0200, 0u);
    EXPECT_EQ(files->getAttributes("C:\\a\\file.txt"), FileAttribute::Archive);
    EXPECT_FALSE(files->setAttributes("C:\\a\\missing.txt", FileAttribute::Normal));

    if (!xattrsWork(host)) GTEST_SKIP() << "no extended attributes on this file system";
    ASSERT_TRUE(files->setAttributes("C:\\a\\file.txt",
                                     FileAttribute::Hidden | FileAttribute::System | FileAttribute::ReadOnly));
    EXPECT_EQ(dosattrib(host), "0x6");
    EXPECT_EQ(files->getAttributes("C:\\a\\file.txt"),
              FileAttribute::Archive | FileAttribute::ReadOnly | FileAttribute::Hidden | FileAttribute::System);
    EXPECT_FALSE(files->fileExists("C:\\a\\file.txt"));
    ASSERT_TRUE(files->setAttributes("C:\\a\\file.txt", FileAttribute::Normal));
    EXPECT_EQ(dosattrib(host), "(none)");
    EXPECT_TRUE(files->fileExists("C:\\a\\file.txt"));
    // Folders keep their write permission but take the hidden bit.
    ASSERT_TRUE(files->setAttributes("C:\\a", FileAttribute::ReadOnly | FileAttribute::Hidden));
    EXPECT_NE(mode(c + "/a") & 0200, 0u);
    EXPECT_EQ(files->getAttributes("C:\\a"), FileAttribute::Directory | FileAttribute::Hidden);
}

// ---- changes -------------------------------------------------------------------------

TEST_F(WineFileSystemTest, FoldersAreMadeOneLevelAtATime) {
    EXPECT_FALSE(files->createFolder("C:\\one\\two"));
    EXPECT_FALSE(fs::exists(c + "/one"));
    EXPECT_TRUE(files->createFolder("C:\\One"));
    EXPECT_TRUE(files->createFolder("C:\\one\\Two"));
    EXPECT_TRUE(fs::is_directory(c + "/One/Two"));
    EXPECT_FALSE(files->createFolder("C:\\ONE"));  // exists, in another case
    make(c + "/One/Two/f.txt");
    EXPECT_FALSE(files->removeFolder("C:\\one\\two"));  // not empty
    EXPECT_FALSE(files->removeFolder("C:\\one\\two\\f.txt"));
    ASSERT_TRUE(files->deleteFile("C:\\one\\two\\F.TXT"));
    EXPECT_TRUE(files->removeFolder("C:\\one\\two"));
    EXPECT_FALSE(fs::exists(c + "/One/Two"));
}

TEST_F(WineFileSystemTest, RenameNeverReplacesAnotherFile) {
    make(c + "/r/a.txt", "a");
    make(c + "/r/B.txt", "b");
    EXPECT_FALSE(files->renameFile("C:\\r\\a.txt", "C:\\r\\b.TXT"));
    EXPECT_EQ(readHostFile(c + "/r/B.txt"), "b");
    EXPECT_FALSE(files->renameFile("C:\\r\\missing.txt", "C:\\r\\c.txt"));
    ASSERT_TRUE(files->renameFile("C:\\R\\A.TXT", "C:\\r\\c.txt"));
    EXPECT_EQ(readHostFile(c + "/r/c.txt"), "a");
    EXPECT_FALSE(fs::exists(c + "/r/a.txt"));
    // Only the case changes: the same file, so allowed, and the new case shows.
    ASSERT_TRUE(files->renameFile("C:\\r\\c.txt", "C:\\r\\C.TXT"));
    EXPECT_TRUE(fs::exists(c + "/r/C.TXT"));
    EXPECT_FALSE(fs::exists(c + "/r/c.txt"));
    // Into another folder.
    fs::create_directories(c + "/r/sub");
    ASSERT_TRUE(files->renameFile("C:\\r\\C.TXT", "C:\\r\\sub\\moved.txt"));
    EXPECT_EQ(readHostFile(c + "/r/sub/moved.txt"), "a");
    EXPECT_FALSE(files->renameFile("C:\\", "C:\\"));
}

TEST_F(WineFileSystemTest, RenameMovesAFileOntoAnotherFileSystemByCopying) {
    char tmpl[] = "/dev/shm/qmtest-XXXXXX";
    if (!mkdtemp(tmpl)) GTEST_SKIP() << "no /dev/shm";
    const std::string other = tmpl;
    struct stat a {}, b {};
    stat(c.c_str(), &a);
    stat(other.c_str(), &b);
    if (a.st_dev == b.st_dev) {
        fs::remove_all(other);
        GTEST_SKIP() << "/dev/shm is on the same file system";
    }
    fs::create_symlink(other, prefix + "/dosdevices/r:");
    make(c + "/move.txt", "payload");
    EXPECT_TRUE(files->renameFile("C:\\move.txt", "R:\\moved.txt"));
    EXPECT_EQ(readHostFile(other + "/moved.txt"), "payload");
    EXPECT_FALSE(fs::exists(c + "/move.txt"));
    make(c + "/again.txt", "second");
    EXPECT_FALSE(files->renameFile("C:\\again.txt", "r:\\MOVED.TXT"));
    EXPECT_EQ(readHostFile(c + "/again.txt"), "second");
    fs::remove_all(other);
}

TEST_F(WineFileSystemTest, ReadOnlyFilesAreNeitherWrittenNorDeleted) {
    make(c + "/ro.txt", "kept");
    ASSERT_TRUE(files->setAttributes("C:\\ro.txt", FileAttribute::ReadOnly));
    EXPECT_FALSE(files->writeFile("C:\\ro.txt", "new"));
    EXPECT_FALSE(files->appendFile("C:\\ro.txt", "more"));
    EXPECT_FALSE(files->deleteFile("C:\\ro.txt"));
    EXPECT_EQ(readHostFile(c + "/ro.txt"), "kept");
    std::string bytes;
    EXPECT_TRUE(files->readFile("C:\\ro.txt", bytes));
    ASSERT_TRUE(files->setAttributes("C:\\ro.txt", FileAttribute::Normal));
    EXPECT_TRUE(files->deleteFile("C:\\ro.txt"));
    fs::create_directories(c + "/dir");
    EXPECT_FALSE(files->deleteFile("C:\\dir"));
    EXPECT_FALSE(files->deleteFile("C:\\gone.txt"));
}

TEST_F(WineFileSystemTest, WholeFilesAreWrittenTruncatedAndAppendedCreating) {
    EXPECT_TRUE(files->appendFile("C:\\log.txt", "one\r\n"));
    EXPECT_TRUE(files->appendFile("C:\\LOG.TXT", "two\r\n"));
    EXPECT_EQ(readHostFile(c + "/log.txt"), "one\r\ntwo\r\n");
    EXPECT_TRUE(files->writeFile("C:\\Log.txt", "x"));
    EXPECT_EQ(readHostFile(c + "/log.txt"), "x");
    EXPECT_FALSE(fs::exists(c + "/Log.txt"));
    const std::string binary("\0\xFF\r\n\x1A", 5);
    ASSERT_TRUE(files->writeFile("C:\\bin.dat", binary));
    std::string bytes = "old";
    ASSERT_TRUE(files->readFile("c:\\BIN.DAT", bytes));
    EXPECT_EQ(bytes, binary);
    ASSERT_TRUE(files->writeFile("C:\\empty.dat", ""));
    ASSERT_TRUE(files->readFile("C:\\empty.dat", bytes));
    EXPECT_EQ(bytes, "");

    bytes = "untouched";
    EXPECT_FALSE(files->readFile("C:\\missing.dat", bytes));
    EXPECT_FALSE(files->readFile("C:\\windows", bytes));
    EXPECT_EQ(bytes, "untouched");
    EXPECT_FALSE(files->writeFile("C:\\no\\such\\folder.txt", "x"));
    EXPECT_FALSE(files->writeFile("C:\\windows", "x"));
    EXPECT_FALSE(files->appendFile("Q:\\x.txt", "x"));
}

TEST_F(WineFileSystemTest, UnreadableFilesAnswerFalse) {
    make(c + "/secret.txt", "s");
    chmod((c + "/secret.txt").c_str(), 0);
    if (geteuid() != 0) {
        std::string bytes;
        EXPECT_FALSE(files->readFile("C:\\secret.txt", bytes));
        return;
    }
    // Root reads everything: ask as an ordinary user instead.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        std::string bytes;
        const bool read = files->readFile("C:\\secret.txt", bytes);
        const bool written = files->writeFile("C:\\secret.txt", "x");
        _exit(read || written ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot become an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// ---- temporary file names ---------------------------------------------------------------

TEST_F(WineFileSystemTest, TempFileNamesWithAGivenNumberAreOnlyFormed) {
    std::string name;
    EXPECT_EQ(files->getTempFileName("C:\\work", "QMCX", 0x1A2B, name), 0x1A2Bu);
    EXPECT_EQ(name, "C:\\work\\QMC1A2B.TMP");
    EXPECT_FALSE(fs::exists(c + "/work"));
    EXPECT_EQ(files->getTempFileName("C:\\", "s", 0x2F, name), 0x2Fu);
    EXPECT_EQ(name, "C:\\s2F.TMP");
    // Only the low 16 bits count; none left means "choose one".
    fs::create_directories(c + "/work");
    EXPECT_EQ(files->getTempFileName("C:\\work", "QM", 0x10005, name), 5u);
    EXPECT_EQ(name, "C:\\work\\QM5.TMP");
    unsigned n = files->getTempFileName("C:\\work", "QM", 0x10000, name);
    EXPECT_NE(n, 0u);
    EXPECT_TRUE(fs::exists(files->hostPath(name)));
}

TEST_F(WineFileSystemTest, TempFilesAreCreatedUnderNamesNotInUse) {
    fs::create_directories(c + "/work");
    std::string name;
    EXPECT_EQ(files->getTempFileName("C:\\missing", "QMC", 0, name), 0u);
    std::set<std::string> seen;
    const std::regex pattern(R"(C:\\work\\QMC[0-9A-F]{1,4}\.TMP)");
    for (int i = 0; i < 20; ++i) {
        unsigned n = files->getTempFileName("C:\\work", "QMC", 0, name);
        ASSERT_NE(n, 0u);
        EXPECT_TRUE(std::regex_match(name, pattern)) << name;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", n);
        EXPECT_EQ(name, std::string("C:\\work\\QMC") + hex + ".TMP");
        EXPECT_TRUE(seen.insert(name).second) << name;
        EXPECT_EQ(readHostFile(c + "/work/QMC" + hex + ".TMP"), "");
        EXPECT_TRUE(fs::is_regular_file(c + "/work/QMC" + hex + ".TMP"));
    }
}

// The search for a free number starts where the test says.
class FixedStartFiles : public WineFileSystem {
public:
    using WineFileSystem::WineFileSystem;
    unsigned start = 1;

protected:
    unsigned tempFileStart() const override { return start; }
};

TEST_F(WineFileSystemTest, TempFileSearchSkipsNamesTakenInAnyCaseAndWrapsPastZero) {
    FixedStartFiles fixed{WinePrefix(prefix), codePage};
    fs::create_directories(c + "/work");
    for (const char* taken : {"qmc7f0.tmp", "QMC7F1.TMP", "Qmc7f2.Tmp"}) writeHostFile(c + "/work/" + taken, "taken");
    fixed.start = 0x7F0;
    std::string name;
    EXPECT_EQ(fixed.getTempFileName("C:\\Work", "QMC", 0, name), 0x7F3u);
    EXPECT_EQ(name, "C:\\Work\\QMC7F3.TMP");
    EXPECT_EQ(readHostFile(c + "/work/qmc7f0.tmp"), "taken");

    writeHostFile(c + "/work/QMCFFFF.TMP", "taken");
    fixed.start = 0xFFFF;
    EXPECT_EQ(fixed.getTempFileName("C:\\work\\", "QMC", 0, name), 1u);
    EXPECT_EQ(name, "C:\\work\\QMC1.TMP");
    EXPECT_TRUE(fs::exists(c + "/work/QMC1.TMP"));
}

TEST_F(WineFileSystemTest, TwoProcessesNeverGetTheSameTempFile) {
    fs::create_directories(c + "/work");
    constexpr int kEach = 60;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        bool ok = true;
        for (int i = 0; i < kEach; ++i) {
            std::string name;
            ok = files->getTempFileName("C:\\work", "QMA", 0, name) != 0 && ok;
            name += '\n';
            ok = write(fds[1], name.data(), name.size()) == static_cast<ssize_t>(name.size()) && ok;
        }
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    std::set<std::string> mine;
    for (int i = 0; i < kEach; ++i) {
        std::string name;
        ASSERT_NE(files->getTempFileName("C:\\work", "QMA", 0, name), 0u);
        mine.insert(name);
    }
    std::string theirs;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) theirs.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::set<std::string> all = mine;
    std::size_t start = 0;
    for (std::size_t end; (end = theirs.find('\n', start)) != std::string::npos; start = end + 1)
        all.insert(theirs.substr(start, end - start));
    EXPECT_EQ(all.size(), 2u * kEach);
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(c + "/work"), fs::directory_iterator())),
              2u * kEach);
}

}  // namespace
}  // namespace qm::test
