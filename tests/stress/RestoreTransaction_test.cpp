// A restore is one transaction: what it needs is read back whole before
// anything changes, and a restore killed at any moment is finished or
// undone by the next run, so that the registry and every target file hold
// wholly what was there before or wholly what was restored.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "app/Startup.h"
#include "base/WinPath.h"
#include "jobs/OpenBackup.h"
#include "jobs/RestoreJob.h"
#include "platform/OpenPlatform.h"
#include "platform/posix/HostFile.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class RestoreTransaction : public StressTest {
protected:
    void SetUp() override {
        StressTest::SetUp();
        // Personal folders (the profile's tree, its data files, its rules),
        // signatures and options, backed up; then changed, so that a
        // restore puts back files and registry values alike.
        file = backup("b.qmk", "10100100");
        for (const auto& data : alice->made.profiles.at(0).dataFiles)
            writeHostFile(hostOf(*alice, data), "CHANGED SINCE THE BACKUP");
        fs::remove(hostOf(*alice, signatures() + "\\" + alice->made.signatureFiles[0]));
        writeHostFile(hostOf(*alice, signatures() + "\\new since.htm"), "<p>new</p>");
        changeRegistry();
    }

    std::string signatures() const { return alice->made.signaturesFolder; }

    // A value of the profile's tree and one of the options, changed.
    void changeRegistry() {
        platform::Platform p;
        open(alice->made.prefix, p);
        app::Session s(p);
        ASSERT_TRUE(app::LoadEnvironment(s));
        ASSERT_TRUE(s.reg.SetStringValue(s.state.OptionsKey, "QuillmarkMark", "changed"));
        ASSERT_TRUE(s.reg.SetStringValue(s.state.ProfilesKey + "\\Outlook", "QuillmarkMark", "changed"));
    }

    void open(const std::string& prefix, platform::Platform& p) const {
        platform::PlatformOptions o;
        o.prefix = prefix;
        o.userName = "alice";
        o.workRoot = work;
        std::string error;
        ASSERT_TRUE(platform::openPlatform(o, p, error)) << error;
    }

    // What a restore may change, as it is on disk now: every key and value,
    // and the bytes of every file of the target folders.
    std::string state(const std::string& prefix) const {
        std::string text;
        {
            platform::Platform p;
            open(prefix, p);
            text = registryText(*p.registry);
        }
        const fs::path user = fs::path(prefix) / "drive_c/users/alice";
        std::vector<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(user, fs::directory_options::skip_permission_denied))
            if (e.is_regular_file()) files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
        for (const auto& f : files) text += "\n" + fs::relative(f, user).string() + "=" + readHostFile(f);
        return text;
    }

    // The restore, in a child on the prefix's copy at `prefix`; `hook` sees
    // every rename. True when the child ended of itself, false when killed.
    bool restoreIn(const std::string& prefix, const std::function<bool(const std::string&)>& hook) {
        const pid_t child = fork();
        if (child == 0) {
            platform::Platform p;
            platform::PlatformOptions o;
            o.prefix = prefix;
            o.userName = "alice";
            o.workRoot = work;
            std::string error;
            if (!platform::openPlatform(o, p, error)) _exit(2);
            app::Session s(p);
            if (!app::LoadEnvironment(s)) _exit(2);
            jobs::JobEvents quiet;
            const auto opened = jobs::OpenBackupJob(s, s.files.fromUserPath(file), "", quiet);
            if (!opened.loaded()) _exit(3);
            platform::posix::beforeRenameHook() = hook;
            jobs::RestoreRequest request;
            request.items = items::selectionFromDigits("10100100");
            request.targetProfile = [] { return std::string("Outlook"); };
            const jobs::RestoreReport report = jobs::RunRestoreJob(s, opened, request, quiet);
            _exit(report.failure.empty() ? 0 : 4);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }

    // What the next run of any kind does first: a killed run's restore
    // finished or undone, its work folder gone.
    void nextRun(const std::string& prefix) const {
        platform::Platform p;
        open(prefix, p);
        app::Session s(p);
    }

    std::string copyOfPrefix(const std::string& name) const {
        const std::string copy = dir / name;
        fs::remove_all(copy);
        fs::copy(alice->made.prefix, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        return copy;
    }

    // Files a restore keeps aside or waiting, left anywhere in the prefix.
    static std::vector<std::string> leftAside(const std::string& prefix) {
        std::vector<std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(prefix, fs::directory_options::skip_permission_denied)) {
            const std::string name = e.path().filename().string();
            if (name.find(".qmpart-") != std::string::npos || name.rfind(".qmold-", 0) == 0)
                found.push_back(e.path().string());
        }
        return found;
    }

    std::string file;
    std::string work = dir / "work";
};

TEST_F(RestoreTransaction, KilledAtEveryStepItIsWhollyBeforeOrWhollyAfter) {
    const std::string before = state(alice->made.prefix);
    const std::string done = copyOfPrefix("done");
    ASSERT_TRUE(restoreIn(done, nullptr));
    const std::string after = state(done);
    ASSERT_NE(after, before);

    int killedAt = 0;
    for (int step = 1; step < 60; ++step) {
        SCOPED_TRACE("killed at rename " + std::to_string(step));
        const std::string prefix = copyOfPrefix("killed");
        int renames = 0;
        const bool finished = restoreIn(prefix, [&renames, step](const std::string&) {
            if (++renames == step) raise(SIGKILL);
            return true;
        });
        nextRun(prefix);
        const std::string now = state(prefix);
        EXPECT_TRUE(now == before || now == after) << "neither before nor after";
        EXPECT_EQ(leftAside(prefix), std::vector<std::string>{});
        if (finished) {
            EXPECT_EQ(now, after);
            break;
        }
        killedAt = step;
    }
    // Killed at the journal, at each file, at the registry file, at the end.
    EXPECT_GE(killedAt, 5);
}

// A damaged entry, a full disk or a folder that refuses writes is found
// before anything changes: nothing is restored, and the reason names it.
TEST_F(RestoreTransaction, WhatCannotBeRestoredWholeChangesNothing) {
    const std::string before = state(alice->made.prefix);
    const std::string registry = registryFiles();

    // One bit flipped in the middle of the data file's entry.
    std::string bytes = readHostFile(file);
    const std::string damaged = out + "/damaged.qmk";
    const std::string name = base::bareName(alice->made.profiles.at(0).dataFiles.at(0), base::singleByte());
    const std::size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    bytes[at + name.size() + 200] ^= 0x04;
    writeHostFile(damaged, bytes);
    Ran ran = run("--restore " + shq(damaged) + " --profile Outlook --yes");
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("nothing was restored: the backup's"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("damaged"), std::string::npos) << ran.err;
    EXPECT_EQ(registryFiles(), registry);
    EXPECT_EQ(state(alice->made.prefix), before);

    // A data folder too small for the data files.
    const std::string dataFolder =
        hostOf(*alice, "C:\\users\\alice\\Local Settings\\Application Data\\Microsoft\\Outlook");
    std::vector<std::pair<std::string, std::string>> kept;
    std::uint64_t room = 16 * 1024;
    for (const auto& e : fs::directory_iterator(dataFolder)) {
        kept.emplace_back(e.path().string(), readHostFile(e.path()));
        room += (kept.back().second.size() + 4095) / 4096 * 4096;
    }
    if (mountSmallDisk(dataFolder, room)) {
        for (const auto& [path, content] : kept) writeHostFile(path, content);
        const std::string full = state(alice->made.prefix);
        ran = run("--restore " + shq(file) + " --profile Outlook --yes");
        EXPECT_EQ(ran.status, 1) << ran.err;
        EXPECT_NE(ran.err.find("nothing was restored: "), std::string::npos) << ran.err;
        EXPECT_EQ(registryFiles(), registry);
        EXPECT_EQ(state(alice->made.prefix), full);
        EXPECT_EQ(leftAside(alice->made.prefix), std::vector<std::string>{});
    }
}

// Two restores into one prefix at once: the second waits for the first, and
// the profile ends as one of them left it, never a mixture.
TEST_F(RestoreTransaction, TwoRestoresAtOnceEndInOneOfTheirOutcomes) {
    // The second backup: the changed profile as it is now.
    const std::string other = out + "/other.qmk";
    Ran ran = run("--backup " + shq(other) + " --profile Outlook --items 10100100");
    ASSERT_EQ(ran.status, 0) << ran.err;
    auto restore = [&](const std::string& backupFile, const std::string& errors) {
        int status = -1;
        capture(quillmark(*alice, "--restore " + shq(backupFile) + " --profile Outlook --yes") + " </dev/null 2>" +
                    shq(errors),
                &status);
        return status;
    };
    // What each ends in, when it is the last.
    ASSERT_EQ(restore(other, dir / "e0"), 0) << readHostFile(dir / "e0");
    ASSERT_EQ(restore(file, dir / "e0"), 0) << readHostFile(dir / "e0");
    ASSERT_EQ(restore(other, dir / "e0"), 0) << readHostFile(dir / "e0");
    const std::string changed = state(alice->made.prefix);
    ASSERT_EQ(restore(file, dir / "e0"), 0) << readHostFile(dir / "e0");
    const std::string original = state(alice->made.prefix);
    ASSERT_NE(changed, original);

    for (int round = 0; round < 3; ++round) {
        int firstStatus = -1;
        std::thread first([&] { firstStatus = restore(other, dir / "e1"); });
        const int secondStatus = restore(file, dir / "e2");
        first.join();
        EXPECT_EQ(firstStatus, 0) << readHostFile(dir / "e1");
        EXPECT_EQ(secondStatus, 0) << readHostFile(dir / "e2");
        const std::string now = state(alice->made.prefix);
        EXPECT_TRUE(now == changed || now == original) << "a mixture of two restores";
    }
}

}  // namespace
}  // namespace qm::test
