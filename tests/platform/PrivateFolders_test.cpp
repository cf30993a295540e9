// A run's private folder in a Wine prefix: the user's alone, files in it
// too, and removable by another process only once its claim is gone (the
// process that made it ended, or was killed).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/wine/WineFileSystem.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;
using platform::wine::WineFileSystem;
using platform::wine::WinePrefix;

mode_t modeOf(const std::string& host) {
    struct stat st {};
    stat(host.c_str(), &st);
    return st.st_mode & 07777;
}

class PrivateFolders : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester", false));
        files = std::make_unique<WineFileSystem>(WinePrefix(prefix), codePage);
        root = prefix + "/drive_c/work";
        fs::create_directories(root);
    }
    TempDir dir;
    std::string prefix, root;
    CodePage codePage;
    std::unique_ptr<WineFileSystem> files;
};

TEST_F(PrivateFolders, MadeForTheUserAloneWithTheFilesInIt) {
    auto claim = files->createPrivateFolder("C:\\work\\run-1");
    ASSERT_TRUE(claim);
    EXPECT_EQ(modeOf(root + "/run-1"), 0700u);
    EXPECT_FALSE(files->createPrivateFolder("C:\\work\\run-1")) << "made twice";
    ASSERT_TRUE(files->writeFile("C:\\work\\run-1\\a.txt", "a"));
    ASSERT_TRUE(files->appendFile("C:\\work\\run-1\\b.txt", "b"));
    std::string temp;
    ASSERT_NE(files->getTempFileName("C:\\work\\run-1", "QMC", 0, temp), 0u);
    std::string why;
    auto part = files->createReplacement("C:\\work\\run-1\\c.txt", why);
    ASSERT_TRUE(part) << why;
    ASSERT_TRUE(part->write("c", 1) && part->commit());
    for (const auto& e : fs::directory_iterator(root + "/run-1")) EXPECT_EQ(modeOf(e.path()), 0600u) << e.path();
    // Elsewhere files keep the usual rights.
    ASSERT_TRUE(files->writeFile("C:\\work\\open.txt", "x"));
    EXPECT_NE(modeOf(root + "/open.txt") & 0044, 0u);

    std::vector<std::string> names;
    ASSERT_TRUE(files->listFolders("C:\\work", names));
    EXPECT_EQ(names, std::vector<std::string>{"run-1"});
}

TEST_F(PrivateFolders, RemovedOnlyWhenNoRunningProcessClaimsIt) {
    // Made and held by another process until it is told to end.
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t child = fork();
    if (child == 0) {
        auto claim = files->createPrivateFolder("C:\\work\\run-2");
        const bool wrote = claim && files->writeFile("C:\\work\\run-2\\note.txt", "n");
        char c = wrote ? 'y' : 'n';
        (void)!write(fromChild[1], &c, 1);
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    char made = 0;
    ASSERT_EQ(read(fromChild[0], &made, 1), 1);
    ASSERT_EQ(made, 'y');
    EXPECT_FALSE(files->removeUnclaimedFolder("C:\\work\\run-2"));
    EXPECT_TRUE(fs::exists(root + "/run-2/note.txt"));
    // The process ends without cleaning up, as a killed one would.
    ASSERT_EQ(write(toChild[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(files->removeUnclaimedFolder("C:\\work\\run-2"));
    EXPECT_FALSE(fs::exists(root + "/run-2"));

    // A folder inside is not ours to remove.
    fs::create_directories(root + "/run-3/inner");
    EXPECT_FALSE(files->removeUnclaimedFolder("C:\\work\\run-3"));
    EXPECT_TRUE(fs::exists(root + "/run-3/inner"));
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
}

}  // namespace
}  // namespace qm::test
