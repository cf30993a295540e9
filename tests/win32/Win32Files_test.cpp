// Files of the Win32 platform: temporary file names, the replacement that
// is moved over its target only when complete, attributes and listings.
#include <windows.h>

#include <utility>

#include "platform/FileOps.h"
#include "win32/Win32Fixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;

TEST_F(Win32Test, TempFileNamesArePrefixHexDigitsAndTmp) {
    FileSystem& files = *platform.files;
    std::string first, second;
    const unsigned a = files.getTempFileName(folder(), "qmkExtra", 0, first);
    const unsigned b = files.getTempFileName(folder(), "qmk", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(first, second);
    // Only the first three characters of the prefix, one to four hex digits
    // of the number answered, ".TMP". (Windows writes the digits and the
    // extension in upper case, Wine in lower case; names are compared
    // ignoring case everywhere.)
    for (const auto& [path, number] : {std::pair{first, a}, std::pair{second, b}}) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", number);
        EXPECT_TRUE(platform.codePage->equalsIgnoreCase(path, folder() + "\\qmk" + hex + ".TMP")) << path;
        EXPECT_LE(std::string(hex).size(), 4u);
        EXPECT_TRUE(files.fileExists(folder() + "\\qmk" + hex + ".TMP"));
    }
    // Created, and empty.
    std::string bytes = "x";
    EXPECT_TRUE(files.readFile(first, bytes));
    EXPECT_EQ(bytes, "");

    // A number given: the name only, nothing created.
    std::string given;
    EXPECT_EQ(files.getTempFileName(folder(), "abc", 0x1A2B, given), 0x1A2Bu);
    EXPECT_TRUE(platform.codePage->equalsIgnoreCase(given, folder() + "\\abc1A2B.TMP")) << given;
    EXPECT_FALSE(files.stat(given).exists);
    EXPECT_EQ(files.getTempFileName(folder() + "\\missing", "abc", 0, given), 0u);
}

TEST_F(Win32Test, ReplacementReplacesOnlyOnCommit) {
    FileSystem& files = *platform.files;
    const std::string target = folder() + "\\b.qmk";
    ASSERT_TRUE(files.writeFile(target, "old"));
    std::string error;
    {
        auto part = files.createReplacement(target, error);
        ASSERT_TRUE(part) << error;
        ASSERT_TRUE(part->write("new bytes", 9));
        ASSERT_TRUE(part->seek(0, SeekFrom::Begin));
        ASSERT_TRUE(part->write("N", 1));
        EXPECT_EQ(part->tell(), 1);
        std::string now;
        ASSERT_TRUE(files.readFile(target, now));
        EXPECT_EQ(now, "old");
        // Not removed as stale while this process holds it.
        files.removeStaleReplacements(target);
        ASSERT_TRUE(part->setModified(1000000000));
        ASSERT_TRUE(part->commit()) << part->error();
    }
    std::string now;
    ASSERT_TRUE(files.readFile(target, now));
    EXPECT_EQ(now, "New bytes");
    EXPECT_EQ(files.stat(target).mtimeSec, 1000000000);
    {
        auto part = files.createReplacement(target, error);
        ASSERT_TRUE(part) << error;
        part->write("lost", 4);
    }  // dropped without commit
    ASSERT_TRUE(files.readFile(target, now));
    EXPECT_EQ(now, "New bytes");
    std::vector<std::string> names;
    ASSERT_TRUE(files.listFiles(folder(), names));
    EXPECT_EQ(names, std::vector<std::string>{"b.qmk"});

    // A part left by a process that has ended goes; another file stays.
    ASSERT_TRUE(files.writeFile(target + ".qmpart-7ffffff0-1", "stale"));
    ASSERT_TRUE(files.writeFile(folder() + "\\b.qmk.other", "kept"));
    files.removeStaleReplacements(target);
    ASSERT_TRUE(files.listFiles(folder(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"b.qmk", "b.qmk.other"}));
}

TEST_F(Win32Test, AFolderIsNeverReplacedAndANameNearTheLimitIs) {
    FileSystem& files = *platform.files;
    std::string error;
    ASSERT_TRUE(files.createFolder(folder() + "\\taken.qmk"));
    EXPECT_FALSE(files.createReplacement(folder() + "\\taken.qmk", error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_TRUE(files.folderExists(folder() + "\\taken.qmk"));
    // The new file's name beside it stays within 255 characters.
    const std::string name = std::string(246, 'n') + ".pst";
    const std::string target = folder() + "\\" + name;
    // A path past MAX_PATH cannot be named through the ANSI calls at all.
    if (!files.writeFile(target, "old")) GTEST_SKIP() << "no path of " << target.size() << " characters here";
    auto part = files.createReplacement(target, error);
    ASSERT_TRUE(part) << error;
    ASSERT_TRUE(part->write("new", 3));
    ASSERT_TRUE(part->commit()) << part->error();
    std::string now;
    ASSERT_TRUE(files.readFile(target, now));
    EXPECT_EQ(now, "new");
}

TEST_F(Win32Test, AttributesListingsAndStreams) {
    FileSystem& files = *platform.files;
    const std::string f = folder();
    ASSERT_TRUE(files.writeFile(f + "\\b.txt", "line 1\r\n"));
    ASSERT_TRUE(files.appendFile(f + "\\b.txt", "line 2\r\n"));
    ASSERT_TRUE(files.writeFile(f + "\\A.txt", ""));
    ASSERT_TRUE(files.writeFile(f + "\\hidden.txt", "h"));
    ASSERT_TRUE(files.createFolder(f + "\\sub"));
    ASSERT_TRUE(files.setAttributes(f + "\\hidden.txt", FileAttribute::Hidden));

    std::vector<std::string> names;
    ASSERT_TRUE(files.listFiles(f, names));
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt", "hidden.txt"}));
    EXPECT_TRUE(files.fileExists(f + "\\B.TXT"));
    EXPECT_FALSE(files.fileExists(f + "\\hidden.txt"));
    EXPECT_FALSE(files.fileExists(f + "\\sub"));
    EXPECT_TRUE(files.folderExists(f + "\\sub"));
    EXPECT_NE(files.getAttributes(f + "\\sub") & FileAttribute::Directory, 0u);
    EXPECT_EQ(files.getAttributes(f + "\\none"), FileAttribute::Invalid);

    // Read-only files are kept from writing and deleting until cleared.
    ASSERT_TRUE(files.setAttributes(f + "\\A.txt", FileAttribute::ReadOnly));
    EXPECT_FALSE(files.writeFile(f + "\\A.txt", "x"));
    EXPECT_FALSE(files.deleteFile(f + "\\A.txt"));
    EXPECT_TRUE(removeFile(files, f + "\\A.txt"));

    std::string error;
    auto in = files.openRead(f + "\\b.txt", error);
    ASSERT_TRUE(in) << error;
    char buffer[32] = {};
    EXPECT_EQ(in->read(buffer, sizeof buffer), 16);
    EXPECT_EQ(std::string(buffer, 16), "line 1\r\nline 2\r\n");
    EXPECT_EQ(in->read(buffer, sizeof buffer), 0);
    EXPECT_EQ(in->info().size, 16u);
    EXPECT_TRUE(in->info().sameFile(files.stat(f + "\\B.txt")));
    EXPECT_FALSE(files.openRead(f + "\\sub", error));
    EXPECT_FALSE(files.openRead(f + "\\none", error));

    // Renames never replace another file.
    ASSERT_TRUE(files.writeFile(f + "\\c.txt", "c"));
    EXPECT_FALSE(files.renameFile(f + "\\c.txt", f + "\\b.txt"));
    EXPECT_TRUE(files.renameFile(f + "\\c.txt", f + "\\d.txt"));
    EXPECT_FALSE(files.removeFolder(f));
    EXPECT_TRUE(files.removeFolder(f + "\\sub"));
    EXPECT_EQ(files.fromUserPath(f + "\\x\\..\\d.txt"), f + "\\d.txt");
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

using namespace qm::platform;

TEST_F(Win32Test, APrivateFolderIsRemovedOnlyOnceItsClaimIsGone) {
    FileSystem& files = *platform.files;
    const std::string run = folder() + "\\run-1";
    auto claim = files.createPrivateFolder(run);
    ASSERT_TRUE(claim);
    EXPECT_FALSE(files.createPrivateFolder(run)) << "made twice";
    ASSERT_TRUE(files.writeFile(run + "\\a.txt", "a"));
    std::vector<std::string> names;
    ASSERT_TRUE(files.listFolders(folder(), names));
    EXPECT_EQ(names, std::vector<std::string>{"run-1"});
    // The run's own files come and go while it holds the folder.
    EXPECT_TRUE(files.deleteFile(run + "\\a.txt"));
    ASSERT_TRUE(files.writeFile(run + "\\b.txt", "b"));
    EXPECT_FALSE(files.removeUnclaimedFolder(run));
    EXPECT_TRUE(files.fileExists(run + "\\b.txt"));
    claim.reset();
    EXPECT_TRUE(files.removeUnclaimedFolder(run));
    EXPECT_FALSE(files.folderExists(run));
}

}  // namespace
}  // namespace qm::test
