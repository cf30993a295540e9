// Folders that are not there or may not be written: the target's folder,
// the work folder's root, and a work folder that vanishes during the run.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/Startup.h"
#include "jobs/BackupJob.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class Folders : public StressTest {
protected:
    // The command run as nobody (root may write anywhere); empty where that
    // cannot be done.
    std::string asNobody() {
        if (geteuid() != 0 || shell("command -v setpriv >/dev/null") != 0) return {};
        for (const std::string& folder : {dir.path(), out, alice->workRoot, alice->workRoot + "/quillmark"}) {
            fs::create_directories(folder);
            fs::permissions(folder, fs::perms::all, fs::perm_options::add);
        }
        // The prefix is that user's (the program works in no other user's).
        if (::chown(alice->made.prefix.c_str(), 65534, 65534) != 0) return {};
        return "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
};

TEST_F(Folders, AReadOnlyTargetFolderKeepsItsArchive) {
    const std::string file = backup("b.qmk", "00100000");
    const std::string earlier = readHostFile(file);
    const std::string nobody = asNobody();
    if (nobody.empty()) GTEST_SKIP() << "needs root and setpriv";
    // The earlier archive is that user's: the folder alone refuses.
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    fs::permissions(out, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    const Ran ran = run("--backup " + shq(file) + " --profile Outlook --items 00100000", nobody);
    EXPECT_EQ(ran.status, 1) << ran.err;
    // Refused before the work, not after it.
    EXPECT_NE(ran.err.find("no backup written: cannot start the backup file"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("Permission denied"), std::string::npos) << ran.err;
    EXPECT_EQ(readHostFile(file), earlier);
    EXPECT_EQ(hostFiles(out), std::vector<std::string>{"b.qmk"});
    EXPECT_EQ(workLeftovers(), std::vector<std::string>{});
}

TEST_F(Folders, NoWorkFolderWritesNothing) {
    // A file where the work root should be: no folder can be made there.
    fs::create_directories(alice->workRoot);
    writeHostFile(alice->workRoot + "/quillmark", "x");
    const std::string file = out + "/b.qmk";
    for (const std::string& form : {"--backup " + shq(file) + " --profile Outlook --items 00100000",
                                     shq("sf=Outlookxm=00100000ps=bf=" + file)}) {
        const Ran ran = run(form);
        EXPECT_EQ(ran.status, 1) << ran.err;
        EXPECT_NE(ran.err.find("cannot make a work folder under"), std::string::npos) << ran.err;
        EXPECT_FALSE(fs::exists(file));
    }
}

TEST_F(Folders, AWorkFolderThatVanishesFailsWhatItHeld) {
    const std::string file = backup("b.qmk", "00100000");
    const std::string earlier = readHostFile(file);
    app::Session s(alice->platform);
    ASSERT_TRUE(app::LoadEnvironment(s));
    const std::string work = hostOf(*alice, s.state.WorkFolder);
    // Gone with the information file and the first exports in it, half way.
    struct Vanish : jobs::JobEvents {
        std::string folder;
        void partStarting(items::Part part) override {
            if (part == items::Part::Accounts) fs::remove_all(folder);
        }
    } events;
    events.folder = work;
    jobs::BackupRequest settings;
    settings.profile = "Outlook";
    settings.items = items::selectionFromDigits("11111111");
    settings.archivePath = s.files.fromUserPath(file);
    for (bool unattended : {false, true}) {
        settings.unattended = unattended;
        const jobs::BackupReport report = jobs::RunBackupJob(s, settings, events);
        EXPECT_FALSE(report.written);
        EXPECT_NE(report.failure.find("information file"), std::string::npos) << report.failure;
        EXPECT_EQ(readHostFile(file), earlier);
        EXPECT_EQ(partFiles(out), std::vector<std::string>{});
        fs::create_directories(work);
    }
}

}  // namespace
}  // namespace qm::test
