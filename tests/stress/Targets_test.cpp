// Where a backup is written and what a restore writes: never over a device,
// a FIFO, a socket or a folder; never into another user's file, nor with
// rights for others that the owner does not have; restored mail is the
// user's alone; names near the file system's limit restore as they were
// backed up.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "app/Environment.h"
#include "app/Startup.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}

class Targets : public StressTest {
protected:
    // Both forms a backup is made by; each must refuse.
    void expectRefused(const std::string& target, const std::string& said) {
        for (const std::string& form : {"--backup " + shq(target) + " --profile Outlook --items 00100000",
                                        shq("sf=Outlookxm=00100000ps=bf=" + target)}) {
            const Ran ran = run(form);
            EXPECT_EQ(ran.status, 1) << form << "\n" << ran.err;
            EXPECT_NE(ran.err.find(said), std::string::npos) << form << "\n" << ran.err;
        }
    }
};

TEST_F(Targets, ADeviceAFifoASocketOrAFolderIsNeverReplaced) {
    // As root, /dev/null itself would have become a regular file.
    struct stat before {};
    ASSERT_EQ(::lstat("/dev/null", &before), 0);
    expectRefused("/dev/null", "no regular file but a device, FIFO or socket: Z:\\dev\\null");
    struct stat after {};
    ASSERT_EQ(::lstat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_ino, before.st_ino);

    ASSERT_EQ(mkfifo((out + "/fifo.qmk").c_str(), 0600), 0);
    expectRefused(out + "/fifo.qmk", "no regular file but a device, FIFO or socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = out + "/socket.qmk";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    expectRefused(socketPath, "no regular file but a device, FIFO or socket");
    ::close(sock);
    fs::create_directory(out + "/folder.qmk");
    expectRefused(out + "/folder.qmk", "A folder has the archive's name");
    // A link there is no file to replace either, whatever it leads to.
    fs::create_symlink("/dev/null", out + "/null.qmk");
    writeHostFile(out + "/real.qmk", "mine");
    fs::create_symlink(out + "/real.qmk", out + "/link.qmk");
    expectRefused(out + "/null.qmk", "no regular file but a device");
    expectRefused(out + "/link.qmk", "is a symbolic link, not a regular file: it is not replaced");
    EXPECT_EQ(fs::symlink_status(out + "/fifo.qmk").type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_symlink(out + "/link.qmk"));
    EXPECT_EQ(readHostFile(out + "/real.qmk"), "mine");
    EXPECT_EQ(partFiles(out), std::vector<std::string>{});
    EXPECT_EQ(workLeftovers(), std::vector<std::string>{});
}

TEST_F(Targets, AnotherUsersFileIsNeverWrittenInto) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant another user's file";
    // A folder every user may write to, as /tmp.
    ::chmod(out.c_str(), 01777);
    const std::string planted = out + "/b.qmk";
    writeHostFile(planted, "planted");
    ASSERT_EQ(::chmod(planted.c_str(), 0666), 0);
    ASSERT_EQ(::chown(planted.c_str(), kNobody, kNobody), 0);
    expectRefused(planted, "belongs to another user: it is not replaced");
    EXPECT_EQ(readHostFile(planted), "planted");
    struct stat st {};
    ASSERT_EQ(::stat(planted.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(partFiles(out), std::vector<std::string>{});
}

TEST_F(Targets, ANewArchiveIsTheOwnersAloneAReplacedOneGivesOthersNoMoreThanTheOwner) {
    const std::string file = backup("b.qmk", "00100000");
    EXPECT_EQ(modeOf(file), 0600u);
    for (const auto& [before, after] : {std::pair{0640u, 0640u}, std::pair{0604u, 0604u}, std::pair{0466u, 0444u}}) {
        ASSERT_EQ(::chmod(file.c_str(), before), 0);
        backup("b.qmk", "00100000");
        EXPECT_EQ(modeOf(file), after) << std::oct << before;
    }
}

// A data file that was the user's alone at the source is restored so.
TEST_F(Targets, RestoredDataFilesAndNewFoldersAreTheUsersAlone) {
    const std::string file = backup("b.qmk", "10000000");
    app::Session s(alice->platform);
    ASSERT_TRUE(app::LoadEnvironment(s));
    const std::string folder = hostOf(*alice, app::DataRestoreFolderFor(s.state));
    fs::remove_all(folder);
    const Ran ran = run("--restore " + shq(file) + " --profile Outlook --items 10000000 --yes");
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(modeOf(folder), 0700u) << folder;
    std::size_t restored = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().extension() != ".pst") continue;
        ++restored;
        EXPECT_EQ(modeOf(e.path().string()), 0600u) << e.path();
    }
    EXPECT_GT(restored, 0u);
}

// The new file beside a target took 14 more bytes: a name of 245-255 bytes
// was backed up but could not be restored.
TEST_F(Targets, ANameNearTheFileSystemsLimitRestoresAsItWasBackedUp) {
    app::Session s(alice->platform);
    ASSERT_TRUE(app::LoadEnvironment(s));
    const std::string signatures = hostOf(*alice, app::SignaturesFolderFor(s.state, s.reg));
    const std::string name = std::string(251, 's') + ".htm";
    writeHostFile(signatures + "/" + name, "<p>long</p>");
    const std::string file = backup("b.qmk", "00100000");
    fs::remove(signatures + "/" + name);
    const Ran ran = run("--restore " + shq(file) + " --profile Outlook --items 00100000 --yes");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(readHostFile(signatures + "/" + name), "<p>long</p>");
    EXPECT_EQ(partFiles(signatures), std::vector<std::string>{});
}

}  // namespace
}  // namespace qm::test
