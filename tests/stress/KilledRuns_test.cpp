// Runs killed at the worst moments: while the archive is written, while it
// is read back, while a restore saves the registry. The earlier archive and
// the registry files stay whole, and the next run of any kind removes what
// the killed one left (its work folder, its new files beside targets).
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/Startup.h"
#include "archive/Zip.h"
#include "jobs/BackupJob.h"
#include "jobs/OpenBackup.h"
#include "jobs/RestoreJob.h"
#include "jobs/RestoreRequest.h"
#include "platform/posix/HostFile.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

// Kills its own process when the write has come `from` percent far.
struct KillAt : jobs::JobEvents {
    explicit KillAt(int percent) : from(percent) {}
    void writeProgress(int percent) override {
        if (percent >= from) raise(SIGKILL);
    }
    int from;
};

class KilledRuns : public StressTest {
protected:
    // Runs `body` on a session of alice's installation in a child process;
    // true when the child was killed (by the body's own hand).
    bool killedIn(const std::function<void(app::Session&)>& body) {
        const pid_t child = fork();
        if (child == 0) {
            app::Session s(alice->platform);
            if (!app::LoadEnvironment(s)) _exit(2);
            body(s);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    // A backup of every item, killed when its write has come `from` percent
    // far; the earlier archive must be there as it was.
    void killBackupAt(int from) {
        const std::string file = backup("b.qmk", "00100000");
        const std::string earlier = readHostFile(file);
        ASSERT_TRUE(killedIn([&](app::Session& s) {
            jobs::BackupRequest settings;
            settings.profile = "Outlook";
            settings.items = items::selectionFromDigits("11111111");
            settings.archivePath = s.files.fromUserPath(file);
            settings.unattended = true;
            KillAt events(from);
            jobs::RunBackupJob(s, settings, events);
        }));
        EXPECT_EQ(readHostFile(file), earlier);
        EXPECT_EQ(partFiles(out).size(), 1u);
        EXPECT_FALSE(workLeftovers().empty());
        expectTheNextRunCleansUp();
    }
    // Any run that opens the installation removes the killed run's work
    // folder and its new file beside the target, and no more.
    void expectTheNextRunCleansUp() {
        app::Session running(alice->platform);  // another run, still working
        const std::string other = out + "/other.qmk";
        ASSERT_TRUE(writeZip(other, {{"quillmark.dat", infoFile("0000100000")}}));
        const Ran ran = run("--list " + shq(other));
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(partFiles(out), std::vector<std::string>{});
        EXPECT_EQ(partFiles(alice->made.prefix), std::vector<std::string>{});
        EXPECT_EQ(workLeftovers(), std::vector<std::string>{fs::path(hostOf(*alice, running.state.WorkFolder)).filename()});
    }
};

TEST_F(KilledRuns, WhileTheArchiveIsWritten) { killBackupAt(5); }

TEST_F(KilledRuns, WhileTheArchiveIsReadBack) {
    // Writing counts four fifths of the progress, reading back the rest.
    killBackupAt(85);
}

TEST_F(KilledRuns, WhileARestoreSavesTheRegistry) {
    const std::string file = backup("b.qmk", "11010100");
    const std::string registry = registryFiles();
    ASSERT_TRUE(killedIn([&](app::Session& s) {
        jobs::JobEvents quiet;
        const auto opened = jobs::OpenBackupJob(s, s.files.fromUserPath(file), "", quiet);
        if (opened.outcome != jobs::OpenOutcome::Opened) _exit(3);
        // The first registry file about to be put in place.
        platform::posix::beforeRenameHook() = [](const std::string& part) {
            if (part.find(".reg.qmpart-") != std::string::npos) raise(SIGKILL);
            return true;
        };
        jobs::RestoreRequest request;
        request.items = items::selectionFromDigits("11010100");
        request.targetProfile = [] { return std::string("Outlook"); };
        jobs::RunRestoreJob(s, opened, request, quiet);
    }));
    EXPECT_EQ(registryFiles(), registry);
    EXPECT_EQ(partFiles(alice->made.prefix).size(), 1u);
    expectTheNextRunCleansUp();
    EXPECT_EQ(registryFiles(), registry);
    // And the restore goes through when it is not killed.
    const Ran ran = run("--restore " + shq(file) + " --profile Outlook --yes");
    EXPECT_EQ(ran.status, 0) << ran.err;
}

TEST_F(KilledRuns, AWorkFolderIsPrivateAndGoneWithItsRun) {
    std::string folder;
    {
        app::Session s(alice->platform);
        ASSERT_TRUE(s.hasWorkFolder());
        folder = hostOf(*alice, s.state.WorkFolder);
        struct stat st {};
        ASSERT_EQ(stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        // The information file, a temporary file, a registry export, an
        // extracted entry: every file the run makes there is the user's alone.
        ASSERT_TRUE(s.SaveINI("BackupItem", "0000000000"));
        const std::string temp = s.sGetTempFile("QMC");
        ASSERT_FALSE(temp.empty());
        ASSERT_TRUE(s.reg.ExportKey(s.state.ProfilesKey, "", s.sGetTempFile("QMA")));
        const std::string archive = out + "/x.qmk";
        ASSERT_TRUE(writeZip(archive, {{"entry.txt", "x"}}));
        std::string why;
        archive::Zip zip(s.files);
        ASSERT_TRUE(zip.OpenArchive(s.files.fromUserPath(archive), why));
        ASSERT_TRUE(zip.FindEntry("entry.txt").ExtractEntryTo(s.state.WorkFolder, why));
        std::size_t files = 0;
        for (const auto& e : fs::directory_iterator(folder)) {
            ASSERT_EQ(stat(e.path().c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0077, 0u) << e.path();
            ++files;
        }
        EXPECT_EQ(files, 4u);
    }
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(workLeftovers(), std::vector<std::string>{});
}

}  // namespace
}  // namespace qm::test
