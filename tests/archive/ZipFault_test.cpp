#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "archive/ZipFixture.h"

namespace qm::archive {
namespace {

using test::readHostFile;
using test::win;
using test::writeHostFile;

class ZipFaultTest : public test::ZipFixture {
protected:
    std::string earlier;

    // An archive already at the target, which failed writes must leave alone.
    void writeEarlierArchive() {
        const auto old = put("old.txt", "the earlier backup");
        ASSERT_TRUE(build({old}));
        earlier = readHostFile(archiveHost);
        ASSERT_FALSE(earlier.empty());
        zip.ResetArchive();
        events = {};
    }
};

TEST_F(ZipFaultTest, TargetIsReplacedOnlyByACompleteArchive) {
    writeEarlierArchive();
    const auto a = put("a.txt", "new");
    ASSERT_TRUE(zip.NewArchive(archive, why));
    ASSERT_TRUE(zip.AddFileEntry(a, why));
    EXPECT_EQ(readHostFile(archiveHost), earlier) << "untouched until written";
    ASSERT_TRUE(zip.WriteArchive(why));
    EXPECT_EQ(contents(archiveHost), (std::map<std::string, std::string>{{"a.txt", "new"}}));
    EXPECT_TRUE(debris(dir.path()).empty());
}

TEST_F(ZipFaultTest, SourcesGoneBeforeTheWriteAreLeftOut) {
    const auto a = put("a.pst", "kept");
    const auto b = put("b.pst", "deleted");
    const auto c = put("c.pst", "becomes a folder");
    const auto d = put("d.pst", "grows");
    const auto info = put("quillmark.dat", "BackupItem=1\r\n");
    ASSERT_TRUE(zip.NewArchive(archive, why));
    for (const auto& p : {a, b, c, d, info}) ASSERT_TRUE(zip.AddFileEntry(p, why));

    ::unlink((srcHost + "/b.pst").c_str());
    ::unlink((srcHost + "/c.pst").c_str());
    ::mkdir((srcHost + "/c.pst").c_str(), 0777);
    writeHostFile(srcHost + "/d.pst", "grows, and is stored as it is when written");

    ASSERT_TRUE(zip.WriteArchive(why)) << why;
    EXPECT_EQ(zip.droppedEntries(), (std::vector<std::string>{"b.pst", "c.pst"}));
    EXPECT_EQ(events.dropped, zip.droppedEntries());
    EXPECT_EQ(events.done, 1);
    EXPECT_EQ(contents(archiveHost),
              (std::map<std::string, std::string>{{"a.pst", "kept"},
                                                  {"d.pst", "grows, and is stored as it is when written"},
                                                  {"quillmark.dat", "BackupItem=1\r\n"}}));
    EXPECT_EQ(test::shell("unzip -tqq '" + archiveHost + "' >/dev/null 2>&1"), 0);
}

TEST_F(ZipFaultTest, AllSourcesGoneLeavesTheEarlierArchive) {
    writeEarlierArchive();
    const auto info = put("quillmark.dat", "BackupItem=0\r\n");
    ASSERT_TRUE(zip.NewArchive(archive, why));
    ASSERT_TRUE(zip.AddFileEntry(info, why));
    ::unlink((srcHost + "/quillmark.dat").c_str());
    EXPECT_FALSE(zip.WriteArchive(why));
    EXPECT_EQ(events.done, 0);
    EXPECT_EQ(readHostFile(archiveHost), earlier);
    EXPECT_TRUE(debris(dir.path()).empty());
}

// A file written to while it is read is neither stored cut nor stretched: it
// is dropped and the archive is written again without it, reading the files
// anew, so the information file rewritten by the drop handler goes in new.
TEST_F(ZipFaultTest, SourceChangedWhileReadIsDroppedAndTheRestRewritten) {
    for (bool grow : {true, false}) {
        SCOPED_TRACE(grow ? "grows" : "shrinks");
        const std::string bigHost = srcHost + "/big.pst";
        const std::string big = test::randomBytes(4 << 20);
        const auto bigPath = put("big.pst", big);
        const auto small = put("small.txt", "small");
        const auto info = put("quillmark.dat", "BackupDatas=big.pst\r\n");
        events = {};
        bool changed = false;
        events.onProgress = [&](int percent) {
            if (changed || percent < 20) return;
            changed = true;
            if (grow)
                writeHostFile(bigHost, big + "more");
            else
                ::truncate(bigHost.c_str(), 1 << 20);
        };
        events.onDropped = [&](const std::string& name) { files->appendFile(info, "Dropped=" + name + "\r\n"); };
        zip.ResetArchive();
        ASSERT_TRUE(zip.NewArchive(archive, why));
        for (const auto& p : {bigPath, small, info}) ASSERT_TRUE(zip.AddFileEntry(p, why));
        ASSERT_TRUE(zip.WriteArchive(why)) << why;

        EXPECT_TRUE(changed);
        EXPECT_EQ(zip.droppedEntries(), std::vector<std::string>{"big.pst"});
        EXPECT_EQ(events.done, 1);
        expectProgressComplete(events.progress);
        EXPECT_EQ(contents(archiveHost),
                  (std::map<std::string, std::string>{
                      {"small.txt", "small"}, {"quillmark.dat", "BackupDatas=big.pst\r\nDropped=big.pst\r\n"}}));
        EXPECT_TRUE(debris(dir.path()).empty());
    }
}

// As root every file is readable, so the refusal is checked as "nobody" in
// a child process.
TEST_F(ZipFaultTest, UnreadableSourcesAreRefusedOrDropped) {
    const auto locked = put("locked.pst", "x");
    const auto later = put("later.pst", "readable when added");
    const auto fine = put("fine.pst", "fine");
    const std::string target = dir / "shared/backup.qmk";
    ASSERT_EQ(test::shell("mkdir -p '" + dir.path() + "/shared' && chmod 777 '" + dir.path() +
                          "/shared' && chmod 755 '" + dir.path() + "' '" + srcHost + "' && chmod 000 '" + srcHost +
                          "/locked.pst' && chmod 644 '" + srcHost + "/later.pst' '" + srcHost + "/fine.pst'"),
              0);
    const uid_t nobody = 65534;
    if (geteuid() == 0) {
        ASSERT_EQ(::chown((srcHost + "/later.pst").c_str(), nobody, nobody), 0);
    }

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(77);
        Zip z(*files);
        test::RecordingEvents ev;
        z.setEvents(&ev);
        if (!z.NewArchive(win(target), why)) _exit(10);
        if (z.AddFileEntry(locked, why)) _exit(11);
        if (!z.AddFileEntry(later, why) || !z.AddFileEntry(fine, why)) _exit(12);
        ::chmod((srcHost + "/later.pst").c_str(), 0);
        if (!z.WriteArchive(why)) _exit(13);
        if (z.droppedEntries() != std::vector<std::string>{"later.pst"} || ev.dropped != z.droppedEntries()) _exit(14);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(contents(target), (std::map<std::string, std::string>{{"fine.pst", "fine"}}));
    EXPECT_TRUE(debris(dir.path()).empty());
}

TEST_F(ZipFaultTest, CancelledWriteLeavesTheEarlierArchive) {
    writeEarlierArchive();
    const auto big = put("big.pst", test::randomBytes(8 << 20));
    events.cancel = [&] { return !events.progress.empty() && events.progress.back() >= 30; };
    ASSERT_TRUE(zip.NewArchive(archive, why));
    ASSERT_TRUE(zip.AddFileEntry(big, why));
    EXPECT_FALSE(zip.WriteArchive(why));
    EXPECT_GE(events.progress.back(), 30);
    EXPECT_LT(events.progress.back(), 100);
    EXPECT_EQ(events.done, 0);
    EXPECT_EQ(readHostFile(archiveHost), earlier);
    EXPECT_TRUE(debris(dir.path()).empty());
}

TEST_F(ZipFaultTest, KilledWriteLeavesTheEarlierArchiveAndTheNextRunCleansUp) {
    writeEarlierArchive();
    const auto big = put("big.pst", test::randomBytes(16 << 20));
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        Zip z(*files);
        test::RecordingEvents ev;
        ev.onProgress = [](int percent) {
            // Reading runs a few blocks ahead of writing, and the check
            // that reads the archive back takes the last fifth.
            if (percent == 60) ::kill(::getpid(), SIGKILL);
        };
        z.setEvents(&ev);
        if (z.NewArchive(archive, why) && z.AddFileEntry(big, why)) z.WriteArchive(why);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(readHostFile(archiveHost), earlier);
    const auto left = debris(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_GT(std::filesystem::file_size(dir / left[0]), 1u << 20) << "killed mid-write";

    // The next run for this target removes the leftover, and nothing else.
    ASSERT_TRUE(zip.NewArchive(archive, why));
    EXPECT_TRUE(debris(dir.path()).empty());
    EXPECT_EQ(readHostFile(archiveHost), earlier);
}

TEST_F(ZipFaultTest, APartFileInUseIsNotTakenForALeftover) {
    const auto a = put("a.pst", test::randomBytes(4 << 20));
    bool probed = false;
    events.onProgress = [&](int percent) {
        if (probed || percent < 10) return;
        probed = true;
        Zip other(*files);
        other.NewArchive(archive, why);  // another run for the same target starts now
        EXPECT_EQ(debris(dir.path()).size(), 1u);
    };
    ASSERT_TRUE(build({a})) << why;
    EXPECT_TRUE(probed);
    EXPECT_EQ(contents(archiveHost).at("a.pst").size(), 4u << 20);
}

TEST_F(ZipFaultTest, WriteIntoAVanishedFolderFailsCleanly) {
    const auto a = put("a.txt", "a");
    const std::string folder = dir / "gone";
    ::mkdir(folder.c_str(), 0777);
    ASSERT_TRUE(zip.NewArchive(win(folder + "/b.qmk"), why));
    ASSERT_TRUE(zip.AddFileEntry(a, why));
    ::rmdir(folder.c_str());
    EXPECT_FALSE(zip.WriteArchive(why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(events.done, 0);
    EXPECT_FALSE(zip.NewArchive(win(dir / "missing/b.qmk"), why));
}

}  // namespace
}  // namespace qm::archive
