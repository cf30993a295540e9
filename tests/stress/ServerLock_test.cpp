// Another local user creates the lock a wineserver of the victim's prefix
// would hold, in /tmp where anyone may, and holds it: Wine would never use
// that folder (it is not its user's own), so neither may it refuse the
// victim's restores nor make the backups warn. A notice says it was seen.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/wine/RegServerLock.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class PlantedServerLock : public StressTest {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to play another user";
        StressTest::SetUp();
        // A server folder of this test's own, where Debian's Wine names it.
        writeHostFile(alice->made.prefix + "/wineserver", "qmtest-" + std::to_string(getpid()) + "-planted");
        lock = platform::wine::WineServerGuard(alice->made.prefix).lockPaths().front();
        serverDir = fs::path(lock).parent_path().string();
        nameDir = fs::path(serverDir).parent_path().string();
    }
    void TearDown() override {
        if (holder > 0) {
            ::kill(holder, SIGKILL);
            ::waitpid(holder, nullptr, 0);
        }
        if (!nameDir.empty()) fs::remove_all(nameDir);
        StressTest::TearDown();
    }
    // The other user makes the folders and the lock, and holds it.
    void plant() {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        holder = ::fork();
        if (holder == 0) {
            ::close(ready[0]);
            char ok = 'n';
            if (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && ::mkdir(nameDir.c_str(), 0700) == 0 &&
                ::mkdir(serverDir.c_str(), 0700) == 0) {
                const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0600);
                struct flock fl {};
                fl.l_type = F_WRLCK;
                fl.l_whence = SEEK_SET;
                if (fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0) ok = 'y';
            }
            (void)!::write(ready[1], &ok, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char ok = 0;
        (void)!::read(ready[0], &ok, 1);
        ::close(ready[0]);
        ASSERT_EQ(ok, 'y');
    }
    std::string lock, serverDir, nameDir;
    pid_t holder = -1;
};

TEST_F(PlantedServerLock, NeitherRefusesARestoreNorMakesABackupWarn) {
    const std::string file = backup("b.qmk", "11110111");
    plant();
    const std::string notice = "A Wine server lock for the prefix " + alice->made.prefix + " in " + serverDir +
                               " was ignored: " + nameDir + " is owned by nobody, not by you";
    Ran ran = run("--backup " + shq(out + "/again.qmk") + " --profile Outlook --items 11110111");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err.find("Wine programs are running"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find(notice), std::string::npos) << ran.err;

    ran = run("--restore " + shq(file) + " --profile Outlook --yes");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err.find("keeps its registry open"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find(notice), std::string::npos) << ran.err;
    // Nothing of the victim's was made in the planted folder.
    std::vector<std::string> inside;
    for (const auto& e : fs::directory_iterator(serverDir)) inside.push_back(e.path().filename().string());
    EXPECT_EQ(inside, std::vector<std::string>{"lock"});
}

}  // namespace
}  // namespace qm::test
