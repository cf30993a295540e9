// Earlier versions kept beside the backup file, through the program itself
// over a Wine prefix: a job's runs with --keep, a file of a matching name
// that is no backup of ours, a damaged data file, and an earlier backup the
// password no longer opens.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "jobs/KeepPolicy.h"
#include "support/SampleFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

struct Ran {
    int status = -1;
    std::string err;
};

class ConsoleVersionsTest : public SampleTest {
protected:
    void SetUp() override {
        sample::SampleOptions a;
        a.outlook = "14.0";
        alice = &install("alice", a, Backend::WinePrefix);
        out = dir / "out";
        fs::create_directories(out);
    }

    Ran run(const std::string& arguments) {
        Ran ran;
        const std::string err = dir / "stderr.txt";
        capture(quillmark(*alice, arguments) + " </dev/null 2>" + shq(err), &ran.status);
        ran.err = readHostFile(err);
        return ran;
    }
    // The unattended run a scheduled job makes, with the job's options.
    Ran job(const std::string& options, const std::string& file = "nightly.qmk") {
        return run(options + " " + shq("sf=Outlookxm=10100000ps=bf=" + out + "/" + file));
    }
    // The backup files in the out folder whose names are versions' of
    // nightly.qmk, oldest first.
    std::vector<std::string> dated() const {
        std::vector<std::string> names;
        for (const auto& name : hostFiles(out))
            if (name.rfind("nightly 2", 0) == 0) names.push_back(name);
        return names;
    }
    // The name a version of that backup file carries: its backup time.
    static std::string nameByItsTime(const std::string& archive, const std::string& password = "") {
        const auto time =
            jobs::ParseBackupTime(parseInfo(sevenZipRead(archive, "quillmark.dat", password))["BackupTime"]);
        return time ? "nightly " + jobs::StampText(*time) : "(no time)";
    }

    Installation* alice = nullptr;
    std::string out;
};

TEST_F(ConsoleVersionsTest, FiveRunsWithKeep3LeaveTheNewestAndTwoDatedVersionsEachRestorable) {
    // Not ours, though its name is a version's: never renamed nor removed.
    const std::string foreign = out + "/nightly 2020-01-01 00-00-00.qmk";
    writeHostFile(foreign, "my own notes");
    std::vector<std::string> made;
    Ran ran;
    for (int i = 0; i < 5; ++i) {
        ran = job("--keep 3");
        ASSERT_EQ(ran.status, 0) << ran.err;
        made.push_back(readHostFile(out + "/nightly.qmk"));
        if (i < 4) sleep(1);  // each run its own second
    }
    EXPECT_EQ(readHostFile(foreign), "my own notes");
    EXPECT_NE(ran.err.find("nightly 2020-01-01 00-00-00.qmk has the name of a version of this backup but is no backup "
                           "this program can read"),
              std::string::npos)
        << ran.err;
    EXPECT_NE(ran.err.find("the earlier backup was kept as nightly 20"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("an earlier version was removed: nightly 20"), std::string::npos) << ran.err;

    std::vector<std::string> versions = dated();
    versions.erase(std::remove(versions.begin(), versions.end(), "nightly 2020-01-01 00-00-00.qmk"), versions.end());
    ASSERT_EQ(versions.size(), 2u) << ran.err;
    // The two runs before the last, by their contents and their names.
    EXPECT_EQ(readHostFile(out + "/" + versions[0]), made[2]);
    EXPECT_EQ(readHostFile(out + "/" + versions[1]), made[3]);
    EXPECT_EQ(readHostFile(out + "/nightly.qmk"), made[4]);
    for (const auto& name : versions) {
        EXPECT_EQ(nameByItsTime(out + "/" + name) + ".qmk", name);
        const Ran listed = run("--list " + shq(out + "/" + name));
        EXPECT_EQ(listed.status, 0) << name << listed.err;
    }
    // The oldest one kept restores.
    const Ran restored = run("--restore " + shq(out + "/" + versions[0]) + " --profile Outlook --yes");
    EXPECT_EQ(restored.status, 0) << restored.err;
}

TEST_F(ConsoleVersionsTest, ADamagedDataFileKeepsTheLastGoodBackupWhateverKeepSays) {
    ASSERT_EQ(job("").status, 0);
    EXPECT_TRUE(dated().empty()) << "one file replaced, as ever";
    sleep(1);
    ASSERT_EQ(job("").status, 0);
    EXPECT_TRUE(dated().empty()) << "one file replaced, as ever";
    const std::string secondGood = readHostFile(out + "/nightly.qmk");

    // The mail store's header is overwritten (a crash, a full disk).
    const std::string store = hostOf(*alice, alice->made.profiles.at(0).dataFiles.at(0));
    const std::string sound = readHostFile(store);
    std::string damaged = sound;
    damaged.replace(0, 4, "XXXX");
    writeHostFile(store, damaged);
    sleep(1);
    Ran ran = job("");
    // Written, but news the user must hear: not "all done".
    EXPECT_EQ(ran.status, 3) << ran.err;
    EXPECT_NE(ran.err.find("the earlier backup is kept, whatever the number of versions: "), std::string::npos)
        << ran.err;
    ASSERT_EQ(dated().size(), 1u) << ran.err;
    EXPECT_EQ(readHostFile(out + "/" + dated()[0]), secondGood);
    // Marked, so that no later run removes it.
    EXPECT_EQ(dated()[0], nameByItsTime(out + "/" + dated()[0]) + " kept.qmk");
    // The history of runs says so too.
    EXPECT_NE(readHostFile(alice->workRoot + "/quillmark/history.log").find("the earlier backup is kept"),
              std::string::npos);

    // Damaged again the next night: the good one is not pushed out.
    sleep(1);
    ran = job("");
    EXPECT_EQ(ran.status, 3) << ran.err;
    ASSERT_EQ(dated().size(), 2u) << ran.err;
    EXPECT_EQ(readHostFile(out + "/" + dated()[0]), secondGood);

    // Sound again: the policy's one file, and the kept ones stay for the
    // user to remove.
    writeHostFile(store, sound);
    sleep(1);
    ran = job("");
    EXPECT_EQ(ran.status, 0) << ran.err;
    ASSERT_EQ(dated().size(), 2u) << ran.err;
    EXPECT_EQ(readHostFile(out + "/" + dated()[0]), secondGood);
}

TEST_F(ConsoleVersionsTest, AMailStoreShrunkToLessThanHalfKeepsTheLastGoodBackup) {
    ASSERT_EQ(job("--keep 1").status, 0);
    const std::string good = readHostFile(out + "/nightly.qmk");
    // A sound data file, but a quarter of what the backup holds of it (a
    // folder emptied by accident, a store that was replaced).
    const std::string store = hostOf(*alice, alice->made.profiles.at(0).dataFiles.at(0));
    const std::string sound = readHostFile(store);
    const bool unicode = static_cast<unsigned char>(sound[10]) >= 23;
    writeHostFile(store, sample::pstFileBytes(sound.size() / 4, 7, unicode));
    sleep(1);
    Ran ran = job("--keep 1");
    EXPECT_EQ(ran.status, 3) << ran.err;
    EXPECT_EQ(ran.err.find("warning: "), std::string::npos) << "the header is sound: " << ran.err;
    EXPECT_NE(ran.err.find(" holds " + std::to_string(sound.size() / 4) + " bytes, less than half of the " +
                           std::to_string(sound.size()) + " bytes the earlier backup holds of it"),
              std::string::npos)
        << ran.err;
    ASSERT_EQ(dated().size(), 1u) << ran.err;
    EXPECT_EQ(readHostFile(out + "/" + dated()[0]), good);
    // The next night compares with the small backup and holds nothing, but
    // the good one stays: it is marked as kept.
    sleep(1);
    ran = job("--keep 1");
    EXPECT_EQ(ran.status, 0) << ran.err;
    ASSERT_EQ(dated().size(), 1u) << ran.err;
    EXPECT_EQ(readHostFile(out + "/" + dated()[0]), good);
    // Half of it or more is no reason.
    writeHostFile(store, sample::pstFileBytes(sound.size() / 4 * 3, 8, unicode));
    sleep(1);
    ASSERT_EQ(job("--keep 1").status, 0);
    EXPECT_EQ(dated().size(), 1u);

    // A mail store that is gone holds nothing: the earlier backup is kept.
    fs::remove(store);
    const std::string beforeGone = readHostFile(out + "/nightly.qmk");
    sleep(1);
    ran = job("--keep 1");
    EXPECT_EQ(ran.status, 3) << ran.err;
    EXPECT_NE(ran.err.find(" is not in this backup, and the earlier backup holds it"), std::string::npos) << ran.err;
    ASSERT_EQ(dated().size(), 2u) << ran.err;
    EXPECT_EQ(readHostFile(out + "/" + dated()[1]), beforeGone);
}

// Several backups within one second: the copy number orders them, and the
// oldest go first (a freed name was once taken again by a newer one, which
// was then removed as the oldest).
TEST_F(ConsoleVersionsTest, BackupsWithinOneSecondKeepTheNewest) {
    std::vector<std::string> made;
    for (int i = 0; i < 6; ++i) {
        // Each its own description, so that each archive is told apart.
        ASSERT_EQ(run("--backup " + shq(out + "/nightly.qmk") + " --profile Outlook --items 10100000 --keep 3 " +
                      "--description run" + std::to_string(i))
                      .status,
                  0);
        made.push_back(readHostFile(out + "/nightly.qmk"));
    }
    // The newest three are what must be left.
    const auto versions = dated();
    ASSERT_EQ(versions.size(), 2u);
    std::vector<std::string> left{readHostFile(out + "/nightly.qmk")};
    for (const auto& v : versions) left.push_back(readHostFile(out + "/" + v));
    for (std::size_t i = 3; i < 6; ++i)
        EXPECT_NE(std::find(left.begin(), left.end(), made[i]), left.end()) << "run " << i + 1 << " is gone";
}

TEST_F(ConsoleVersionsTest, AnEarlierBackupThePasswordDoesNotOpenStaysAndTheNewOneGoesBesideIt) {
    writeHostFile(dir / "a.pw", "first\n");
    writeHostFile(dir / "b.pw", "second\n");
    fs::permissions(dir / "a.pw", fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(dir / "b.pw", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(job("--password-file " + shq(dir / "a.pw") + " --keep 3").status, 0);
    const std::string earlier = readHostFile(out + "/nightly.qmk");
    // Readable by all: the new backup is not its replacement and takes none
    // of its rights.
    fs::permissions(out + "/nightly.qmk", fs::perms::others_read | fs::perms::group_read, fs::perm_options::add);
    sleep(1);
    const Ran ran = job("--password-file " + shq(dir / "b.pw") + " --keep 3");
    // Written, but not where asked: a failure the exit status shows.
    EXPECT_EQ(ran.status, 3) << ran.err;
    EXPECT_NE(ran.err.find("nightly.qmk is no backup this program can read ("), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("so it stays; the new backup was written as "), std::string::npos) << ran.err;
    EXPECT_EQ(readHostFile(out + "/nightly.qmk"), earlier);
    ASSERT_EQ(dated().size(), 1u);
    EXPECT_EQ(nameByItsTime(out + "/" + dated()[0], "second") + ".qmk", dated()[0]);
    EXPECT_EQ(fs::status(out + "/" + dated()[0]).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace qm::test
