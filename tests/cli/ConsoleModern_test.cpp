// The console on Outlook 2016 as a user meets it: --profiles names the
// Outlook and its profiles, a new Outlook switched on is said before a run,
// and an installation without profiles says so.
#include <filesystem>

#include "app/Session.h"
#include "cli/Arguments.h"
#include "support/SampleFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

struct Ran {
    int status = -1;
    std::string out, err;
};

class ConsoleModern : public SampleTest {
protected:
    Ran run(const Installation& inst, const std::string& arguments) {
        Ran ran;
        const std::string err = dir / "stderr.txt";
        ran.out = capture(quillmark(inst, arguments) + " </dev/null 2>" + shq(err), &ran.status);
        ran.err = readHostFile(err);
        return ran;
    }
};

TEST_F(ConsoleModern, ProfilesNamesTheOutlookAndANewOutlookIsSaidBeforeARun) {
    sample::SampleOptions o;
    o.outlook = "16.0";
    o.release = "2021";
    o.secondProfile = "Work";
    o.newOutlook = true;
    Installation& in = install("alice", o, Backend::WinePrefix);

    Ran ran = run(in, "--profiles");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out,
              "Outlook 2021 (16.0)\nThe new Outlook is switched on: it does not read these profiles (the classic "
              "Outlook does).\nProfiles (HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles):\n"
              "  Outlook\n  Work\n");
    EXPECT_EQ(ran.err, "");

    const std::string archive = dir / "b.qmk";
    ran = run(in, "--backup " + shq(archive) + " --profile work --items 10100000");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err,
              "quillmark: The new Outlook is switched on: it does not read these profiles (the classic Outlook "
              "does).\n");
    // Work keeps its mail on the server: the cache is named, nothing fails.
    EXPECT_EQ(ran.out,
              "The Backup was Completed!\t\t\t\n\nBackup Signatures\t\tsucceeded!\t\n\nalice@example.org - Work.ost: "
              "a server mailbox's cache, Outlook rebuilds it\n");

    // The form takes nothing else.
    cli::Arguments args;
    std::string error;
    EXPECT_TRUE(cli::parseArguments({"--profiles"}, args, error));
    EXPECT_EQ(args.form, cli::Form::Profiles);
    EXPECT_FALSE(cli::parseArguments({"--profiles", "--profile", "Outlook"}, args, error));
    EXPECT_EQ(error, "--profile does not go with --profiles (see --help)");

    // Without profiles: said, and exit 1.
    {
        app::Session s(in.platform);
        ASSERT_TRUE(s.reg.DeleteKeyTree("HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles"));
    }
    ran = run(in, "--profiles");
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.err.find("Your Windows System have not install MS Outlook or MS Outlook Error!"), std::string::npos)
        << ran.err;
}

}  // namespace
}  // namespace qm::test
