#include "app/Session.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>

#include "app/AppFixture.h"
#include "base/WinPath.h"

namespace qm::test {
namespace {

class SessionTest : public AppTest {
protected:
    bool isFolder(const std::string& path) const { return platform.files->folderExists(path); }
    std::vector<std::string> filesIn(const std::string& folder) const {
        std::vector<std::string> names;
        platform.files->listFiles(folder, names);
        return names;
    }
};

TEST_F(SessionTest, EachSessionMakesItsOwnWorkFolderUnderTheRoot) {
    // The root and its missing parents are made first.
    mem.system->facts().workFolderRoot = "C:\\state\\deep\\quillmark";
    auto& first = open();
    app::Session second(platform);
    ASSERT_TRUE(first.hasWorkFolder());
    ASSERT_TRUE(second.hasWorkFolder());
    EXPECT_NE(first.state.WorkFolder, second.state.WorkFolder);
    for (auto* s : {&first, &second}) {
        EXPECT_TRUE(isFolder(s->state.WorkFolder));
        EXPECT_EQ(base::parentFolder(s->state.WorkFolder, base::singleByte()), "C:\\state\\deep\\quillmark");
        EXPECT_EQ(s->state.InfoFilePath, s->state.WorkFolder + "\\quillmark.dat");
    }
    const std::string temp = first.sGetTempFile("QMC");
    EXPECT_EQ(temp.rfind(first.state.WorkFolder + "\\QMC", 0), 0u) << temp;
    EXPECT_TRUE(platform.files->fileExists(temp));
}

TEST_F(SessionTest, RootWithTrailingSeparatorGivesSinglySeparatedPaths) {
    mem.system->facts().workFolderRoot = "C:\\work\\";
    auto& s = open();
    ASSERT_TRUE(s.hasWorkFolder());
    EXPECT_EQ(s.state.InfoFilePath.find("\\\\"), std::string::npos) << s.state.InfoFilePath;
    EXPECT_TRUE(s.SaveINI("Computer", "BOX"));
    EXPECT_EQ(s.GetINI("computer"), "BOX");
}

#ifndef _WIN32  // a second process made by fork()
TEST_F(SessionTest, ProcessesStartedTogetherGetDifferentFolders) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Same counter and clock as the parent; only the process differs.
        close(fds[0]);
        mem.system->facts().processId += 1;
        auto* s = new app::Session(platform);  // left in place on purpose
        const std::string folder = s->state.WorkFolder;
        const ssize_t written = write(fds[1], folder.data(), folder.size());
        _exit(written == static_cast<ssize_t>(folder.size()) ? 0 : 1);
    }
    close(fds[1]);
    auto& mine = open();
    std::string theirs;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) theirs.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_FALSE(theirs.empty());
    EXPECT_NE(theirs, mine.state.WorkFolder);
    EXPECT_TRUE(isFolder(mine.state.WorkFolder));
}
#endif

TEST_F(SessionTest, DestructorRemovesTheWorkFolderAndWhatIsLeftInIt) {
    auto& s = open();
    ASSERT_TRUE(s.hasWorkFolder());
    const std::string folder = s.state.WorkFolder;
    const std::string root = base::parentFolder(folder, base::singleByte());
    makeFile(root + "\\keep.txt", "not ours");
    ASSERT_TRUE(s.SaveINI("BackupItem", "1111111111"));
    s.sGetTempFile("QMC");
    s.sGetTempFile("QMA");
    const std::string readOnly = s.state.WorkFolder + "\\extracted.pst";
    ASSERT_TRUE(s.files.writeFile(readOnly, "data"));
    s.files.setAttributes(readOnly, platform::FileAttribute::ReadOnly);
    EXPECT_EQ(filesIn(folder).size(), 4u);

    session.reset();
    EXPECT_FALSE(isFolder(folder));
    EXPECT_TRUE(platform.files->fileExists(root + "\\keep.txt"));
}

TEST_F(SessionTest, NoWorkFolderWhenTheRootCannotBeMade) {
    makeFile("C:\\blocker", "a file where the root should be");
    mem.system->facts().workFolderRoot = "C:\\blocker\\quillmark";
    auto& s = open();
    EXPECT_FALSE(s.hasWorkFolder());
    EXPECT_TRUE(s.state.WorkFolder.empty());
    EXPECT_FALSE(s.SaveINI("Computer", "BOX"));
    session.reset();
    std::string bytes;
    ASSERT_TRUE(platform.files->readFile("C:\\blocker", bytes));
    EXPECT_EQ(bytes, "a file where the root should be");
}

TEST_F(SessionTest, OneRunAtATime) {
    auto& s = open();
    EXPECT_FALSE(s.running());
    {
        app::RunGuard first(s);
        EXPECT_TRUE(first.acquired());
        EXPECT_TRUE(s.running());
        app::RunGuard second(s);
        EXPECT_FALSE(second.acquired());
    }
    EXPECT_FALSE(s.running());
}

}  // namespace
}  // namespace qm::test
