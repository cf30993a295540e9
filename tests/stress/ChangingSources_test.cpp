// A data file that changes after the parts were gathered and before the
// archive is written: deleted, cut short, grown, or no longer readable. It
// is left out, its part is not called saved (in the archive's own item line
// either), the rest is written whole, and nothing is left behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/Startup.h"
#include "jobs/BackupJob.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

// Changes a file once every part has been gathered.
struct ChangeBeforeTheWrite : jobs::JobEvents {
    explicit ChangeBeforeTheWrite(std::function<void()> what) : change(std::move(what)) {}
    void partFinished(items::Part part, bool) override {
        if (part == items::Part::Setting) change();
    }
    std::function<void()> change;
};

class ChangingSources : public StressTest {
protected:
    void SetUp() override {
        StressTest::SetUp();
        pst = hostOf(*alice, "D:\\Mail\\Archive.pst");
        ASSERT_TRUE(fs::exists(pst));
        file = out + "/b.qmk";
    }
    jobs::BackupReport backupChanging(const std::function<void()>& change) {
        app::Session s(alice->platform);
        EXPECT_TRUE(app::LoadEnvironment(s));
        jobs::BackupRequest settings;
        settings.profile = "Outlook";
        settings.items = items::selectionFromDigits("10100000");
        settings.archivePath = s.files.fromUserPath(file);
        settings.unattended = true;
        ChangeBeforeTheWrite events(change);
        return jobs::RunBackupJob(s, settings, events);
    }
    // The archive holds the other files and says the data files failed.
    void expectLeftOut() {
        const auto entries = sevenZipEntries(file);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "Archive.pst"), 0);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "alice@example.org.pst"), 1);
        const InfoLines info = parseInfo(sevenZipRead(file, "quillmark.dat"));
        EXPECT_EQ(info["BackupItem"], "1010100000");
        EXPECT_TRUE(sevenZipTests(file));
        EXPECT_EQ(partFiles(out), std::vector<std::string>{});
        EXPECT_EQ(workLeftovers(), std::vector<std::string>{});
    }
    std::string pst, file;
};

TEST_F(ChangingSources, DeletedIsLeftOut) {
    const jobs::BackupReport report = backupChanging([&] { fs::remove(pst); });
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_EQ(report.itemResult, "1010100000");
    EXPECT_FALSE(report.parts[1].ok);
    EXPECT_NE(report.parts[1].reason.find("changed or could not be read"), std::string::npos) << report.parts[1].reason;
    expectLeftOut();
}

TEST_F(ChangingSources, CutShortOrGrownIsStoredAsItIsWhenRead) {
    // The archive holds each file as it was when it was read, whole; only a
    // change while it is read leaves it out (tests/archive).
    const std::string bytes = readHostFile(pst);
    const std::pair<const char*, std::string> changes[] = {{"cut short", bytes.substr(0, bytes.size() / 2)},
                                                           {"grown", bytes + "more"}};
    for (const auto& [what, changed] : changes) {
        SCOPED_TRACE(what);
        const std::string now = changed;
        writeHostFile(pst, bytes);
        const jobs::BackupReport report = backupChanging([&] { writeHostFile(pst, now); });
        ASSERT_TRUE(report.written) << report.failure;
        EXPECT_EQ(report.itemResult, "1110100000");
        EXPECT_EQ(sevenZipRead(file, "Archive.pst"), now);
        EXPECT_TRUE(sevenZipTests(file));
        EXPECT_EQ(workLeftovers(), std::vector<std::string>{});
    }
}

TEST_F(ChangingSources, NoLongerReadable) {
    // As an ordinary user (root reads any file): the folders the run writes
    // in are opened to it, the data file is its own so that it can take its
    // own permission away.
    for (const std::string& folder : {dir.path(), out, alice->workRoot}) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::all, fs::perm_options::add);
    }
    ASSERT_EQ(chown(pst.c_str(), 65534, 65534), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
        const jobs::BackupReport report = backupChanging([&] { chmod(pst.c_str(), 0); });
        if (!report.written) std::fprintf(stderr, "not written: %s (%s)\n", report.failure.c_str(), report.archiveError.c_str());
        _exit(report.written && report.itemResult == "1010100000" && !report.parts[1].ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    expectLeftOut();
}

}  // namespace
}  // namespace qm::test
