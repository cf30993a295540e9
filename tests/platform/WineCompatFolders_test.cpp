// Windows' compatibility folders in a prefix that lacks them (as wineboot
// makes it): read through where they lead without changing the prefix,
// made as links when something is written through them; and host paths no
// drive reaches.
#include "platform/wine/WineFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileOps.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;
using platform::wine::WineFileSystem;
using platform::wine::WinePrefix;

class WineCompatFolders : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester", false));
        home = prefix + "/drive_c/users/tester";
        for (const char* d :
             {"/AppData/Roaming/Microsoft/Signatures", "/AppData/Local/Microsoft", "/Documents", "/Music"})
            fs::create_directories(home + d);
        fs::create_directories(prefix + "/drive_c/ProgramData");
        writeHostFile(home + "/AppData/Roaming/Microsoft/Signatures/Work.htm", "sig");
        files = std::make_unique<WineFileSystem>(WinePrefix(prefix), codePage);
    }
    bool isLink(const std::string& host) const { return fs::is_symlink(fs::symlink_status(host)); }
    std::string linkTarget(const std::string& host) const { return fs::read_symlink(host).string(); }
    bool present(const std::string& host) const { return fs::exists(fs::symlink_status(host)); }

    TempDir dir;
    std::string prefix, home;
    CodePage codePage;
    std::unique_ptr<WineFileSystem> files;
    const std::string user = "C:\\users\\tester";
};

TEST_F(WineCompatFolders, ReadingGoesWhereWindowsJunctionsLeadAndChangesNothing) {
    EXPECT_TRUE(files->fileExists(user + "\\Application Data\\Microsoft\\Signatures\\Work.htm"));
    std::vector<std::string> names;
    ASSERT_TRUE(files->listFiles(user + "\\application data\\Microsoft\\Signatures", names));
    EXPECT_EQ(names, std::vector<std::string>{"Work.htm"});
    // Older names inside newer ones, and junctions inside junctions.
    EXPECT_EQ(files->hostPath(user + "\\Local Settings\\Application Data\\Microsoft"),
              home + "/AppData/Local/Microsoft");
    EXPECT_EQ(files->hostPath(user + "\\AppData\\Local\\Application Data\\Application Data\\Microsoft"),
              home + "/AppData/Local/Microsoft");
    EXPECT_EQ(files->hostPath(user + "\\My Documents\\My Music"), home + "/Music");
    EXPECT_EQ(files->hostPath("C:\\Documents and Settings\\tester\\Application Data"), home + "/AppData/Roaming");
    EXPECT_EQ(files->hostPath("C:\\users\\All Users\\Application Data"), prefix + "/drive_c/ProgramData");
    EXPECT_TRUE(files->folderExists(user + "\\Local Settings"));
    for (const char* made :
         {"/Application Data", "/Local Settings", "/My Documents", "/AppData/Local/Application Data"})
        EXPECT_FALSE(present(home + made)) << made;
    EXPECT_FALSE(present(prefix + "/drive_c/Documents and Settings"));

    // Only names Windows has, only where it has them, and only on C:.
    EXPECT_EQ(files->hostPath(user + "\\Documents\\Application Data"), home + "/Documents/Application Data");
    EXPECT_FALSE(files->folderExists("Z:\\Application Data"));
}

TEST_F(WineCompatFolders, WritingThroughOneMakesItAsALinkToTheRealFolder) {
    const std::string restore = user + "\\Local Settings\\Application Data\\Microsoft\\Outlook";
    ASSERT_TRUE(makeFolders(*files, restore));
    ASSERT_TRUE(files->writeFile(restore + "\\Outlook.pst", "pst"));
    // What Outlook under Wine opens by that path is the file itself.
    EXPECT_EQ(readHostFile(home + "/Local Settings/Application Data/Microsoft/Outlook/Outlook.pst"), "pst");
    EXPECT_EQ(readHostFile(home + "/AppData/Local/Microsoft/Outlook/Outlook.pst"), "pst");
    ASSERT_TRUE(isLink(home + "/Local Settings"));
    EXPECT_EQ(linkTarget(home + "/Local Settings"), "AppData/Local");
    ASSERT_TRUE(isLink(home + "/AppData/Local/Application Data"));
    EXPECT_EQ(linkTarget(home + "/AppData/Local/Application Data"), ".");
    // No second folder beside the real one.
    EXPECT_FALSE(present(home + "/AppData/Local/Local Settings"));
    EXPECT_FALSE(present(home + "/Application Data"));
    // Named as Windows names it, whatever the case of the path written.
    ASSERT_TRUE(files->writeFile(user + "\\MY DOCUMENTS\\x.txt", "x"));
    EXPECT_TRUE(isLink(home + "/My Documents"));
    EXPECT_EQ(readHostFile(home + "/Documents/x.txt"), "x");

    // A folder made by its old name is the link, and the new folder behind it.
    fs::remove_all(home + "/AppData/Roaming");
    ASSERT_TRUE(files->createFolder(user + "\\Application Data"));
    EXPECT_TRUE(isLink(home + "/Application Data"));
    EXPECT_TRUE(fs::is_directory(home + "/AppData/Roaming"));
    EXPECT_TRUE(files->writeFile(user + "\\Application Data\\x.txt", "x"));
    EXPECT_EQ(readHostFile(home + "/AppData/Roaming/x.txt"), "x");
}

TEST_F(WineCompatFolders, ARealFolderOfThatNameIsTheFolderAndAJunctionIsRemovedItself) {
    fs::create_directories(home + "/Application Data/Microsoft");
    writeHostFile(home + "/Application Data/Microsoft/own.txt", "own");
    EXPECT_TRUE(files->fileExists(user + "\\Application Data\\Microsoft\\own.txt"));
    EXPECT_FALSE(files->fileExists(user + "\\Application Data\\Microsoft\\Signatures\\Work.htm"));
    // Removing a missing junction does not reach the folder it stands for.
    EXPECT_FALSE(files->removeFolder(user + "\\Local Settings"));
    fs::create_directories(home + "/Empty");
    EXPECT_FALSE(files->removeFolder(user + "\\My Documents"));
    EXPECT_TRUE(fs::is_directory(home + "/Documents"));
}

TEST_F(WineCompatFolders, HostPathsNoDriveReachesUseWinesUnixForm) {
    fs::remove(prefix + "/dosdevices/z:");
    const std::string work = dir / "work";
    fs::create_directories(work);
    std::string expected = "\\\\?\\unix" + work;
    std::replace(expected.begin(), expected.end(), '/', '\\');
    EXPECT_EQ(files->windowsPath(work), expected);
    EXPECT_EQ(files->fromUserPath(work + "/b.qmk"), expected + "\\b.qmk");
    EXPECT_EQ(files->hostPath(expected + "\\b.qmk"), work + "/b.qmk");
    ASSERT_TRUE(files->createFolder(expected + "\\run"));
    ASSERT_TRUE(files->writeFile(expected + "\\run\\quillmark.dat", "x"));
    EXPECT_EQ(readHostFile(work + "/run/quillmark.dat"), "x");
    std::string temp;
    EXPECT_NE(files->getTempFileName(expected + "\\run", "QMC", 0, temp), 0u);
    EXPECT_EQ(temp.rfind(expected + "\\run\\QMC", 0), 0u) << temp;
    // Names are the host's as they are: no trailing dots dropped.
    EXPECT_EQ(files->hostPath("\\\\?\\unix\\tmp\\a."), "/tmp/a.");
}

}  // namespace
}  // namespace qm::test
