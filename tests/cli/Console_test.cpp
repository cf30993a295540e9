// The console program itself, run as a user or a script runs it: a backup
// of one user's Outlook 2010 restored into another user's Outlook 2003
// under another profile name, the refusals that must leave the registry
// untouched, the exit statuses of scheduled runs, and the progress line.
#include <unistd.h>

#include <filesystem>

#include "app/Environment.h"
#include "app/Startup.h"
#include "base/WinPath.h"
#include "platform/OpenPlatform.h"
#include "platform/RegistryAccess.h"
#include "support/SampleFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
// Paths of the samples, made in Windows-1252.
std::string bareName(const std::string& path) { return base::bareName(path, base::singleByte()); }

const std::string kRestoreFolder = "C:\\users\\bob\\Local Settings\\Application Data\\Microsoft\\Outlook";

struct Ran {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// A prefix opened anew, to read what the program left in its files.
struct Reopened {
    platform::Platform platform;
    std::unique_ptr<app::Session> session;

    bool has(const std::string& key, const std::string& name) const {
        std::string sub = key, bytes;
        const platform::KeyHandle root = session->reg.SplitKeyPath(sub);
        platform::RegType type = platform::RegType::None;
        return platform::readValue(*platform.registry, root, sub, name, type, bytes) == platform::RegStatus::Success;
    }
    std::string storedPath(const std::string& section) const {
        const std::string p = session->reg.ReadPathFromBinaryValue(section, "01020fff");
        return p != "Error" ? p : session->reg.ReadAnsiPathFromBinaryValue(section, "01020fff");
    }
};

class ConsoleTest : public SampleTest {
protected:
    void SetUp() override {
        sample::SampleOptions a;
        a.outlook = "14.0";
        alice = &install("alice", a, Backend::WinePrefix);
        sample::SampleOptions b;
        b.outlook = "11.0";
        b.user = "bob";
        b.profile = "Home";
        b.secondProfile = "Work";
        bob = &install("bob", b, Backend::WinePrefix);
        out = dir / "out";
        fs::create_directories(out);
    }

    // Runs the program on an installation with no terminal at either end;
    // `before` goes in front of the command (a folder change, a setting).
    Ran run(const Installation& inst, const std::string& arguments, const std::string& before = "") {
        Ran ran;
        const std::string err = dir / "stderr.txt";
        ran.out = capture(before + quillmark(inst, arguments) + " </dev/null 2>" + shq(err), &ran.status);
        ran.err = readHostFile(err);
        return ran;
    }
    // Runs it on a pseudo-terminal fed with `typed`: what the terminal
    // showed (both outputs) and the exit status.
    Ran onTerminal(const Installation& inst, const std::string& arguments, const std::string& typed = "true;") {
        Ran ran;
        ran.out = capture("{ " + typed + " } | script -qec " + shq(quillmark(inst, arguments)) + " /dev/null",
                          &ran.status);
        return ran;
    }

    // Both registry files of a prefix, byte for byte.
    static std::string registryFiles(const Installation& inst) {
        return readHostFile(inst.made.prefix + "/user.reg") + readHostFile(inst.made.prefix + "/system.reg");
    }
    Reopened reopen(const Installation& inst) {
        Reopened r;
        platform::PlatformOptions options;
        options.prefix = inst.made.prefix;
        options.userName = bareName(inst.made.userProfileFolder);
        options.workRoot = inst.workRoot;
        std::string error;
        EXPECT_TRUE(platform::openPlatform(options, r.platform, error)) << error;
        r.session = std::make_unique<app::Session>(r.platform);
        EXPECT_TRUE(app::LoadEnvironment(*r.session));
        return r;
    }

    std::string backupOfAlice(const std::string& name, const std::string& items, const std::string& password) {
        const std::string file = out + "/" + name;
        const Ran ran = run(*alice, "--backup " + shq(file) + " --profile Outlook --items " + items +
                                        (password.empty() ? "" : " --password " + shq(password)));
        EXPECT_LE(ran.status, 3) << ran.err;
        EXPECT_TRUE(fs::exists(file)) << ran.err;
        return file;
    }

    Installation* alice = nullptr;
    Installation* bob = nullptr;
    std::string out;
};

TEST_F(ConsoleTest, RoundTripFromOutlook2010ToAnotherUsersOutlook2003) {
    const std::string file = out + "/alice.qmk";
    const std::string backup = "--backup " + shq(file) + " --profile Outlook --password 'se=cret' --description " +
                               shq("Nightly\nfrom alice's desk");
    // Every item: Outlook 2010 keeps no personal address book, which is
    // written but named as failed.
    Ran ran = run(*alice, backup + " --items 11111111");
    EXPECT_EQ(ran.status, 3) << ran.err;
    EXPECT_NE(ran.out.find("Backup Personal Address Book\t\tFail!\t"), std::string::npos) << ran.out;
    EXPECT_NE(ran.err.find("failed: the personal address book could not be backed up: Your MS Outlook don't "
                           "support Personal Address Book!"),
              std::string::npos)
        << ran.err;

    ran = run(*alice, backup + " --items 11110111");
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out,
              "The Backup was Completed!\t\t\t\n"
              "\nBackup Personal Folders\t\tsucceeded!\t\nBackup Accounts Settings\tsucceeded!\t"
              "\nBackup Signatures\t\tsucceeded!\t\nBackup Stationeries\t\tsucceeded!\t"
              "\nBackup Options Settings\t\tsucceeded!\t\nBackup Templates\t\tsucceeded!\t"
              "\nBackup Preferences\t\tsucceeded!\t\n");
    EXPECT_TRUE(sevenZipEncrypted(file));
    EXPECT_TRUE(sevenZipTests(file, "se=cret"));

    ran = run(*bob, "--restore " + shq(file) + " --profile home --password 'se=cret' --yes");
    ASSERT_EQ(ran.status, 0) << ran.err;
    const std::string summary =
        "The Restore was Completed!\t\t\t\n"
        "\nRestore Personal Folders\t\tsucceeded!\t\nRestore Accounts Settings\t\tsucceeded!\t"
        "\nRestore Signatures\t\t\tsucceeded!\t\nRestore Stationeries\t\t\tsucceeded!\t"
        "\nRestore Options Settings\t\tsucceeded!\t\nRestore Templates\t\t\tsucceeded!\t"
        "\nRestore Preferences\t\t\tsucceeded!\t\n";
    ASSERT_GE(ran.out.size(), summary.size());
    EXPECT_EQ(ran.out.substr(ran.out.size() - summary.size()), summary);
    EXPECT_EQ(ran.out.rfind("Computer:", 0), 0u) << ran.out;
    for (const char* fact : {"\nUser:alice\n", "\nProfile:Outlook\n", "\nOutlook Version:Outlook 2010\n",
                             "\nDescription:\n  Nightly\n  from alice's desk\n"})
        EXPECT_NE(ran.out.find(fact), std::string::npos) << fact;
    EXPECT_EQ(ran.err, "");

    // What the registry files now say of bob's profile Home.
    const Reopened b = reopen(*bob);
    ASSERT_EQ(app::DataRestoreFolderFor(b.session->state), kRestoreFolder);
    const sample::SampleProfile& src = alice->made.profiles[0];
    const std::string home = bob->made.profiles[0].key;
    ASSERT_FALSE(src.dataFiles.empty());
    for (std::size_t i = 0; i < src.dataFiles.size(); ++i) {
        const std::string moved = kRestoreFolder + "\\" + bareName(src.dataFiles[i]);
        const std::string section = home + "\\" + bareName(src.storeSections[i]);
        EXPECT_EQ(b.storedPath(section), moved);
        EXPECT_FALSE(b.has(section, "001e6700")) << section;
        const std::string copied = readHostFile(hostOf(*bob, moved));
        EXPECT_FALSE(copied.empty()) << moved;
        EXPECT_EQ(copied, readHostFile(hostOf(*alice, src.dataFiles[i]))) << moved;
    }
    const std::string outlookSection = home + "\\" + bareName(src.outlookSection);
    EXPECT_FALSE(b.has(outlookSection, "1102039b"));
    EXPECT_FALSE(b.has(outlookSection, "001e023d"));
    EXPECT_TRUE(b.has(outlookSection, "000b0335"));
    // The other profile is bob's own still.
    EXPECT_TRUE(b.session->reg.KeyExists(bob->made.profiles[1].key));
    EXPECT_TRUE(stateLeftovers(bob->workRoot + "/quillmark").empty());
}

TEST_F(ConsoleTest, RefusedRestoresLeaveTheRegistryFilesAsTheyWere) {
    const std::string locked = backupOfAlice("locked.qmk", "00110000", "pw");
    const std::string plain = backupOfAlice("plain.qmk", "00100000", "");
    const std::string damaged = out + "/damaged.qmk";
    std::string bytes = readHostFile(plain);
    writeHostFile(damaged, bytes.substr(0, bytes.size() / 2));
    fs::create_directories(dir / "foreign");
    writeHostFile(dir / "foreign/note.txt", "not a backup");
    const std::string noInfo = out + "/noinfo.qmk";
    ASSERT_EQ(shell("cd " + shq(dir / "foreign") + " && zip -q " + shq(noInfo) + " note.txt"), 0);

    const std::string registry = registryFiles(*bob);
    struct Case {
        std::string arguments;
        int status;
        std::string said;
    };
    const std::string restore = " --profile Home --yes";
    const Case cases[] = {
        {"--restore " + shq(locked) + restore + " --password nope", 1, "Incorect Password or Invalid backup file\n"},
        {"--restore " + shq(locked) + restore, 1,
         "Incorect Password or Invalid backup file (it is protected: give --password)"},
        {"--restore " + shq(damaged) + restore, 1, ": Invalid backup file\n"},
        {"--restore " + shq(noInfo) + restore, 1, ": Invalid backup file\n"},
        {"--restore " + shq(out + "/missing.qmk") + restore, 1, "missing.qmk: no such file\n"},
        {"--restore " + shq(plain) + " --profile Home", 2, "there is no terminal to ask on: give --yes"},
        {"--restore " + shq(plain) + restore + " --items 01100000", 1,
         "nothing was restored: the backup file does not hold Accounts Settings\n"},
        {"--restore " + shq(locked) + restore + " --password pw --items 11110000", 1,
         "does not hold Personal Folders (Contacts, Tasks, Calendar, Notes and mail folders), Accounts Settings\n"},
        {"--restore " + shq(plain) + restore + " --items 00000000", 1, "Please select at least one item.\n"},
        {"--restore " + shq(plain) + " --profile Hom --yes", 1,
         "nothing was restored: the profile Hom is not one of this installation's profiles (Home, Work)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Ran ran = run(*bob, c.arguments);
        EXPECT_EQ(ran.status, c.status) << ran.err;
        EXPECT_NE(ran.err.find(c.said), std::string::npos) << ran.err;
        EXPECT_EQ(ran.out.find("The Restore was Completed!"), std::string::npos);
        EXPECT_EQ(registryFiles(*bob), registry);
    }
    EXPECT_FALSE(fs::exists(hostOf(*bob, bob->made.signaturesFolder + "\\" + alice->made.signatureFiles[0])));
}

// A scheduled job is seen failing only by its exit status, and must never
// make things worse than they were.
TEST_F(ConsoleTest, UnattendedRunsEndAsTheyShould) {
    const std::string file = out + "/nightly.qmk";
    auto job = [&](const std::string& profile, const std::string& items, const std::string& password) {
        return shq("sf=" + profile + "xm=" + items + "ps=" + password + "bf=" + file);
    };
    Ran ran = run(*alice, job("Outlook", "11110111", ""));
    ASSERT_EQ(ran.status, 0) << ran.err;
    const std::string earlier = readHostFile(file);

    // A profile name that is not there.
    ran = run(*alice, job("Outlok", "11111111", ""));
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.err.find("no backup written: the profile Outlok is not one of this installation's profiles "
                           "(Outlook)"),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(readHostFile(file), earlier);

    // A password holding "=": read by position it would back up into the
    // file "b" of the current folder, without protection.
    fs::create_directories(dir / "cwd");
    ran = run(*alice, job("Outlook", "11110111", "a=b"), "cd " + shq(dir / "cwd") + " && ");
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.err.find("no value (profile, items, password or backup file) may contain \"=\""),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(readHostFile(file), earlier);
    EXPECT_TRUE(hostFiles(dir / "cwd").empty());

    // Written, but a selected part failed: each one named, with its reason.
    ran = run(*alice, job("Outlook", "00101000", ""));
    EXPECT_EQ(ran.status, 3);
    EXPECT_NE(ran.err.find("failed: the personal address book could not be backed up: Your MS Outlook don't "
                           "support Personal Address Book!"),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(parseInfo(sevenZipRead(file, "quillmark.dat"))["BackupItem"], "1000100000");

    // --backup and --restore end the same ways.
    const std::string written = readHostFile(file);
    ran = run(*alice, "--backup " + shq(file) + " --profile Outlok --items 11111111");
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(readHostFile(file), written);
    // A target that cannot be written is found before anything changes:
    // nothing is restored, and the reason names it.
    removeTree(*bob, bob->made.signaturesFolder);
    writeHostFile(hostOf(*bob, bob->made.signaturesFolder), "in the way");
    const std::string registry = registryFiles(*bob);
    ran = run(*bob, "--restore " + shq(file) + " --profile Work --yes --items 00100000");
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("nothing was restored: cannot make the folder " + bob->made.signaturesFolder),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(ran.out.find("The Restore was Completed!"), std::string::npos) << ran.out;
    const std::string stationery = bob->made.stationeryFolder + "\\" + alice->made.stationeryFiles[0];
    removeTree(*bob, stationery);
    ran = run(*bob, "--restore " + shq(backupOfAlice("two.qmk", "00110000", "")) + " --profile Work --yes");
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_FALSE(exists(*bob, stationery)) << "a part was put in place although another could not be";
    EXPECT_EQ(registryFiles(*bob), registry);
}

TEST_F(ConsoleTest, ProgressOnATerminalOnlyAndItsQuestions) {
    if (shell("command -v script >/dev/null") != 0) GTEST_SKIP() << "no script (util-linux)";
    const std::string backup = "--backup " + shq(out + "/b.qmk") + " --profile Outlook --items 11110111";
    Ran ran = onTerminal(*alice, backup);
    EXPECT_EQ(ran.status, 0) << ran.out;
    // The run's share, then the step.
    EXPECT_NE(ran.out.find("\r10%  Copying Data Files (Pst Files)..."), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("%"), std::string::npos);
    EXPECT_NE(ran.out.find("The Backup was Completed!"), std::string::npos);

    ran = run(*alice, backup);  // a pipe: results only
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.err, "");
    EXPECT_EQ(ran.out.find('\r'), std::string::npos);
    EXPECT_EQ(ran.out.find("Copying"), std::string::npos);

    // The restore asks first; "n" (or nothing) restores nothing.
    const std::string registry = registryFiles(*bob);
    const std::string restore = "--restore " + shq(out + "/b.qmk") + " --profile Home --items 00100000";
    ran = onTerminal(*bob, restore, "printf 'n\\n';");
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.out.find("Do you want to countinue? [y/N]"), std::string::npos) << ran.out;
    EXPECT_EQ(registryFiles(*bob), registry);
    ran = onTerminal(*bob, restore, "printf 'y\\n';");
    EXPECT_EQ(ran.status, 0) << ran.out;
    EXPECT_NE(ran.out.find("%  Copying Signatures..."), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("Restore Signatures\t\t\tsucceeded!"), std::string::npos) << ran.out;

    // A protected file asks for its password, which the terminal does not
    // show. (Typed once the prompt is there: earlier typing is thrown away.)
    const std::string locked = backupOfAlice("locked.qmk", "00100000", "hidden=pw");
    ran = onTerminal(*bob, "--restore " + shq(locked) + " --profile Home", "sleep 1; printf 'hidden=pw\\ny\\n';");
    EXPECT_EQ(ran.status, 0) << ran.out;
    EXPECT_NE(ran.out.find("Please enter password:"), std::string::npos) << ran.out;
    EXPECT_EQ(ran.out.find("hidden=pw"), std::string::npos) << ran.out;
}

TEST_F(ConsoleTest, AMissingFileReadsTheSameInEveryFormAndPaddedValuesAreQuoted) {
    const std::string missing = out + "/missing.qmk";
    for (const std::string& form : {"--list " + shq(missing), "--restore " + shq(missing) + " --profile Home --yes"}) {
        SCOPED_TRACE(form);
        const Ran ran = run(*bob, form);
        EXPECT_EQ(ran.status, 1);
        EXPECT_EQ(ran.err, "quillmark: " + missing + ": no such file\n");
    }
    // A blank at the end of a value is seen.
    Ran ran = run(*alice, "--backup " + shq(out + "/b.qmk") + " --profile 'Outlook ' --items 00100000");
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.err.find("the profile \"Outlook \" is not one of this installation's profiles (Outlook)"),
              std::string::npos)
        << ran.err;
    ran = run(*alice, "--list " + shq(missing + " "));
    EXPECT_EQ(ran.err, "quillmark: \"" + missing + " \": no such file\n");
}

// A command naming another user than the prefix's is refused before it does
// anything, and a scheduled run refused so leaves its record.
TEST_F(ConsoleTest, AUserThePrefixDoesNotHaveIsRefused) {
    const auto as = [&](const std::string& user, const std::string& arguments) {
        Ran ran;
        const std::string err = dir / "stderr.txt";
        ran.out =
            capture("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_STATE_HOME=" + shq(alice->workRoot) +
                        " " + shq(binaryPath()) + " --prefix " + shq(alice->made.prefix) + " --user " + shq(user) +
                        " " + arguments + " </dev/null 2>" + shq(err),
                    &ran.status);
        ran.err = readHostFile(err);
        return ran;
    };
    const std::string refusal = "the Wine prefix " + alice->made.prefix + " has no user alcie; its users: alice";
    const std::string file = out + "/b.qmk";
    for (const std::string& form :
         {"--backup " + shq(file) + " --profile Outlook --items 00100000",
          "--schedule --profile Outlook --items 00100000 --file " + shq(file) + " --time 9:00",
          shq("sf=Outlookxm=00100000ps=bf=" + file)}) {
        SCOPED_TRACE(form);
        const Ran ran = as("alcie", form);
        EXPECT_EQ(ran.status, 1);
        EXPECT_NE(ran.err.find(refusal), std::string::npos) << ran.err;
        EXPECT_FALSE(fs::exists(file));
    }
    const std::string history = readHostFile(alice->workRoot + "/quillmark/history.log");
    EXPECT_NE(history.find("\tscheduled\t" + file + "\t1\tno backup written: " + refusal + "\n"), std::string::npos)
        << history;
    // Reading a backup file needs no user of the prefix.
    const std::string plain = backupOfAlice("plain.qmk", "00100000", "");
    EXPECT_EQ(as("alcie", "--list " + shq(plain)).status, 0);
}

// Ctrl+C stops a backup at its next step: nothing is written, the earlier
// backup stays as it was, nothing is left behind.
TEST_F(ConsoleTest, CtrlCStopsABackupAndLeavesTheEarlierOne) {
    const std::string file = out + "/b.qmk";
    writeHostFile(file, "the backup before");
    const std::string data = hostOf(*alice, alice->made.profiles[0].dataFiles[0]);
    ASSERT_EQ(shell("head -c 300M /dev/urandom > " + shq(data)), 0);
    const std::string err = dir / "stderr.txt";
    // Interrupted once the new archive is being written beside the old one.
    int status = -1;
    const std::string said =
        capture("{ " + quillmark(*alice, "--backup " + shq(file) + " --profile Outlook --items 10000000") +
                    " </dev/null 2>" + shq(err) + " & pid=$!; for i in $(seq 1 1000); do ls " + shq(out) +
                    " | grep -q qmpart && break; sleep 0.01; done; kill -INT $pid; wait $pid; echo status=$?; }",
                &status);
    EXPECT_NE(said.find("status=1"), std::string::npos) << said << readHostFile(err);
    EXPECT_NE(readHostFile(err).find("no backup written: the backup was cancelled"), std::string::npos)
        << readHostFile(err);
    EXPECT_EQ(readHostFile(file), "the backup before");
    EXPECT_EQ(hostFiles(out), std::vector<std::string>{"b.qmk"});
    EXPECT_NE(readHostFile(alice->workRoot + "/quillmark/history.log")
                  .find("\tbackup\t" + file + "\t1\tno backup written: the backup was cancelled\n"),
              std::string::npos);
}

}  // namespace
}  // namespace qm::test
