// The installation held in memory behaves as the real file layers do where
// the layers above rely on it.
#include <gtest/gtest.h>

#include "platform/FileOps.h"
#include "platform/memory/MemoryPlatform.h"

namespace qm::platform::memory {
namespace {

class MemoryFiles : public ::testing::Test {
protected:
    void SetUp() override { mem = openMemoryPlatform(platform, "tester"); }
    MemoryFileSystem& files() { return *mem.files; }
    std::string read(const std::string& path) {
        std::string bytes;
        return files().readFile(path, bytes) ? bytes : "<none>";
    }
    Platform platform;
    MemoryInstallation mem;
};

TEST_F(MemoryFiles, NamesIgnoreCaseAndLinksLeadWhereWindowsLeadsThem) {
    ASSERT_TRUE(files().writeFile("C:\\users\\tester\\Application Data\\Notes.TXT", "n"));
    EXPECT_EQ(read("c:\\USERS\\tester\\appdata\\roaming\\notes.txt"), "n");
    EXPECT_TRUE(files().stat("C:\\users\\tester\\Local Settings\\Application Data")
                    .sameFile(files().stat("C:\\users\\tester\\AppData\\Local")));
    std::vector<std::string> names;
    ASSERT_TRUE(files().listFiles("C:\\users\\tester\\AppData\\Roaming", names));
    EXPECT_EQ(names, std::vector<std::string>{"Notes.TXT"});  // the case it was made with
    EXPECT_EQ(read("C:\\users\\tester\\AppData\\Roaming\\x\\..\\notes.txt. "), "n");
    EXPECT_FALSE(files().writeFile("C:\\missing\\a.txt", "x"));  // no parent
    EXPECT_FALSE(files().writeFile("C:\\a?.txt", "x"));
}

TEST_F(MemoryFiles, AttributesAsWindowsKeepsThem) {
    ASSERT_TRUE(files().writeFile("C:\\a.txt", "a"));
    ASSERT_TRUE(files().setAttributes("C:\\a.txt", FileAttribute::ReadOnly));
    EXPECT_FALSE(files().writeFile("C:\\a.txt", "b"));
    EXPECT_FALSE(files().deleteFile("C:\\a.txt"));
    EXPECT_TRUE(removeFile(files(), "C:\\a.txt"));  // clears read-only first
    ASSERT_TRUE(files().writeFile("C:\\h.txt", "h"));
    ASSERT_TRUE(files().setAttributes("C:\\h.txt", FileAttribute::Hidden));
    EXPECT_FALSE(files().fileExists("C:\\h.txt"));
    EXPECT_EQ(files().getAttributes("C:\\h.txt"), FileAttribute::Archive | FileAttribute::Hidden);
    EXPECT_EQ(files().getAttributes("C:\\windows"), FileAttribute::Directory);
}

TEST_F(MemoryFiles, AReplacementTakesThePlaceOnlyWhenCommitted) {
    ASSERT_TRUE(files().writeFile("C:\\b.qmk", "old"));
    std::string error;
    auto part = files().createReplacement("C:\\b.qmk", error);
    ASSERT_TRUE(part) << error;
    ASSERT_TRUE(part->write("new!", 4));
    std::vector<std::string> names;
    files().listFiles("C:\\", names);
    EXPECT_EQ(names.size(), 2u);  // the part file is there while it is written
    EXPECT_EQ(read("C:\\b.qmk"), "old");
    files().removeStaleReplacements("C:\\b.qmk");  // held: stays
    ASSERT_TRUE(part->commit());
    EXPECT_EQ(read("C:\\b.qmk"), "new!");
    files().listFiles("C:\\", names);
    EXPECT_EQ(names, std::vector<std::string>{"b.qmk"});

    auto dropped = files().createReplacement("C:\\b.qmk", error);
    ASSERT_TRUE(dropped->write("x", 1));
    dropped.reset();  // discarded
    files().listFiles("C:\\", names);
    EXPECT_EQ(names, std::vector<std::string>{"b.qmk"});
    EXPECT_EQ(read("C:\\b.qmk"), "new!");
}

// Names are at most 255 bytes, as on the disks the program writes to; the
// new file beside a target at the limit stays within it.
TEST_F(MemoryFiles, ANameAtTheLimitIsReplacedAndAFolderNever) {
    const std::string name = std::string(251, 'n') + ".pst";
    ASSERT_TRUE(files().writeFile("C:\\" + name, "old"));
    EXPECT_FALSE(files().writeFile("C:\\" + name + "x", "too long"));
    std::string error;
    auto part = files().createReplacement("C:\\" + name, error);
    ASSERT_TRUE(part) << error;
    ASSERT_TRUE(part->write("new", 3));
    files().removeStaleReplacements("C:\\" + name);  // held: stays
    ASSERT_TRUE(part->commit());
    EXPECT_EQ(read("C:\\" + name), "new");
    auto dropped = files().createReplacement("C:\\" + name, error);
    ASSERT_TRUE(dropped) << error;
    ASSERT_TRUE(files().makeFolders("C:\\taken.qmk"));
    EXPECT_FALSE(files().createReplacement("C:\\taken.qmk", error));
    EXPECT_NE(error.find("is a folder, not a regular file"), std::string::npos) << error;
}

TEST_F(MemoryFiles, RefusedWritesAndAMountedDrive) {
    files().refuseWrite = [](const std::string& path) { return path.rfind("C:\\full", 0) == 0; };
    ASSERT_TRUE(files().makeFolders("C:\\ok"));
    EXPECT_FALSE(files().createFolder("C:\\full"));
    std::string error;
    EXPECT_FALSE(files().createReplacement("C:\\full.qmk", error));

    Platform other;
    openMemoryPlatform(other, "other");
    auto drive = std::shared_ptr<FileSystem>(std::move(other.files));
    files().mount('Z', drive);
    ASSERT_TRUE(drive->writeFile("Z:\\shared.txt", "both see it"));
    EXPECT_EQ(read("z:\\SHARED.txt"), "both see it");
    ASSERT_TRUE(files().writeFile("Z:\\mine.txt", "m"));
    EXPECT_TRUE(drive->fileExists("Z:\\mine.txt"));
    EXPECT_FALSE(files().renameFile("Z:\\mine.txt", "C:\\mine.txt"));  // not across drives
}

}  // namespace
}  // namespace qm::platform::memory
