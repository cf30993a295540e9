#include "app/Session.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "app/AppFixture.h"
#include "platform/wine/WinePlatform.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class SessionTest : public AppTest {
protected:
    std::string host(const std::string& windowsPath) const { return platform.files->hostPath(windowsPath); }
    // The platform again, with another host folder as the work root.
    void reopenWithWorkRoot(const std::string& workRoot) {
        session.reset();
        platform::wine::WineOptions options;
        options.prefix = prefix;
        options.userName = "tester";
        options.workRoot = workRoot;
        std::string error;
        platform = {};
        ASSERT_TRUE(platform::wine::openWinePlatform(options, platform, error)) << error;
    }
};

TEST(JoinPath, ExactlyOneSeparator) {
    EXPECT_EQ(app::JoinPath("C:\\", "quillmark.dat"), "C:\\quillmark.dat");
    EXPECT_EQ(app::JoinPath("C:\\work", "quillmark.dat"), "C:\\work\\quillmark.dat");
    EXPECT_EQ(app::JoinPath("\\\\srv\\share\\", "a"), "\\\\srv\\share\\a");
}

TEST_F(SessionTest, EachSessionMakesItsOwnWorkFolderUnderTheRoot) {
    // The root and its missing parents are made first.
    reopenWithWorkRoot(dir / "state/deep/quillmark");
    auto& first = open();
    app::Session second(platform, view);
    ASSERT_TRUE(first.hasWorkFolder());
    ASSERT_TRUE(second.hasWorkFolder());
    EXPECT_NE(first.state.WorkFolder, second.state.WorkFolder);
    for (auto* s : {&first, &second}) {
        EXPECT_TRUE(fs::is_directory(host(s->state.WorkFolder)));
        EXPECT_EQ(fs::path(host(s->state.WorkFolder)).parent_path(), fs::path(dir / "state/deep/quillmark"));
        EXPECT_EQ(s->state.InfoFilePath, s->state.WorkFolder + "\\quillmark.dat");
        EXPECT_EQ(s->zip1.ArchiveWorkFolder(), s->state.WorkFolder);
    }
    std::string temp = first.sGetTempFile("QMC");
    EXPECT_EQ(temp.rfind(first.state.WorkFolder + "\\QMC", 0), 0u) << temp;
    EXPECT_TRUE(fs::is_regular_file(host(temp)));
}

TEST_F(SessionTest, RootWithTrailingSeparatorGivesSinglySeparatedPaths) {
    reopenWithWorkRoot(dir.path() + "/work/");
    auto& s = open();
    ASSERT_TRUE(s.hasWorkFolder());
    EXPECT_EQ(s.state.InfoFilePath.find("\\\\"), std::string::npos) << s.state.InfoFilePath;
    EXPECT_TRUE(s.SaveINI("Computer", "BOX"));
    EXPECT_EQ(s.GetINI("computer"), "BOX");
}

TEST_F(SessionTest, TwoProcessesAtOnceGetDifferentFolders) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Same counter and clock as the parent; only the process differs.
        close(fds[0]);
        auto* s = new app::Session(platform, view);  // left in place on purpose
        std::string folder = s->state.WorkFolder;
        ssize_t written = write(fds[1], folder.data(), folder.size());
        _exit(written == static_cast<ssize_t>(folder.size()) ? 0 : 1);
    }
    close(fds[1]);
    auto& mine = open();
    std::string theirs;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) theirs.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_FALSE(theirs.empty());
    EXPECT_NE(theirs, mine.state.WorkFolder);
    EXPECT_TRUE(fs::is_directory(host(theirs)));
    EXPECT_TRUE(fs::is_directory(host(mine.state.WorkFolder)));
}

TEST_F(SessionTest, DestructorRemovesTheWorkFolderAndWhatIsLeftInIt) {
    auto& s = open();
    ASSERT_TRUE(s.hasWorkFolder());
    std::string folder = host(s.state.WorkFolder);
    std::string root = fs::path(folder).parent_path();
    writeHostFile(root + "/keep.txt", "not ours");
    ASSERT_TRUE(s.SaveINI("BackupItem", "1111111111"));
    s.sGetTempFile("QMC");
    s.sGetTempFile("QMA");
    std::string readOnly = s.state.WorkFolder + "\\extracted.pst";
    ASSERT_TRUE(s.files.writeFile(readOnly, "data"));
    s.files.setAttributes(readOnly, platform::FileAttribute::ReadOnly);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);

    session.reset();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::exists(root + "/keep.txt"));
}

TEST_F(SessionTest, NoWorkFolderWhenTheRootCannotBeMade) {
    writeHostFile(dir / "blocker", "a file where the root should be");
    reopenWithWorkRoot(dir / "blocker/quillmark");
    auto& s = open();
    EXPECT_FALSE(s.hasWorkFolder());
    EXPECT_TRUE(s.state.WorkFolder.empty());
    EXPECT_FALSE(s.SaveINI("Computer", "BOX"));
    session.reset();
    EXPECT_EQ(readHostFile(dir / "blocker"), "a file where the root should be");
}

TEST_F(SessionTest, ArchiveEventsReachTheBusyPanel) {
    auto& s = open();
    std::string file = s.state.WorkFolder + "\\notes.txt";
    ASSERT_TRUE(s.files.writeFile(file, std::string(5000, 'n')));
    std::string archive = s.files.windowsPath(dir / "b.qmk");

    ASSERT_TRUE(s.zip1.NewArchive(archive));
    EXPECT_EQ(s.zip1.AddFileEntry(file, 1), 1);
    EXPECT_FALSE(s.state.ArchiveWritten);
    ASSERT_TRUE(s.zip1.WriteArchive());
    EXPECT_TRUE(s.state.ArchiveWritten);
    ASSERT_FALSE(view.fileLines.empty());
    EXPECT_EQ(view.fileLines.front(), "Adding File notes.txt");
    EXPECT_GE(view.yields, 1);
    EXPECT_EQ(view.pauses.front(), 1000u);
    ASSERT_FALSE(view.percentLines.empty());
    EXPECT_EQ(view.percentLines.back(), "Write File 100%");
    s.zip1.ResetArchive();

    s.files.deleteFile(file);
    ASSERT_TRUE(s.zip1.OpenArchive(archive));
    auto entry = s.zip1.FindEntry("notes.txt");
    ASSERT_TRUE(entry.valid());
    ASSERT_TRUE(entry.ExtractEntryTo(s.state.WorkFolder));
    EXPECT_EQ(view.fileLines.back(), "Unzip File notes.txt");
    EXPECT_EQ(readHostFile(host(file)), std::string(5000, 'n'));
}

}  // namespace
}  // namespace qm::test
