// The console's command line: values are taken whole ("=" included), the
// forms and their options, and the usage errors (exit 2).
#include "cli/Arguments.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

using cli::Arguments;
using cli::Form;
using Words = std::vector<std::string>;

Arguments parsed(const Words& words) {
    Arguments args;
    std::string error;
    EXPECT_TRUE(cli::parseArguments(words, args, error)) << error;
    return args;
}

std::string refusal(const Words& words) {
    Arguments args;
    std::string error;
    EXPECT_FALSE(cli::parseArguments(words, args, error));
    return error;
}

TEST(ConsoleArguments, ValuesMayHoldEqualsAndComeInAnyOrder) {
    const Arguments backup = parsed({"--items", "10100000", "--backup", "/b=1.qmk", "--password", "a=b", "--profile",
                                     "My=Mail", "--description", "x=y\nz", "--user", "bob", "--prefix", "/p"});
    EXPECT_EQ(backup.form, Form::Backup);
    EXPECT_EQ(backup.file, "/b=1.qmk");
    EXPECT_EQ(backup.profile, "My=Mail");
    EXPECT_EQ(backup.items, "10100000");
    EXPECT_EQ(backup.password, "a=b");
    EXPECT_EQ(backup.description, "x=y\nz");
    EXPECT_EQ(backup.wine.prefix, "/p");
    EXPECT_EQ(backup.wine.userName, "bob");

    const Arguments restore = parsed({"--restore", "C:\\b.qmk", "--profile", "Home", "--yes"});
    EXPECT_EQ(restore.form, Form::Restore);
    EXPECT_TRUE(restore.yes);
    EXPECT_FALSE(restore.items);
    EXPECT_FALSE(restore.password);  // not given: a terminal is asked
    EXPECT_EQ(parsed({"--restore", "f", "--profile", "P", "--password", ""}).password, "");

    const Arguments schedule = parsed({"--schedule", "--profile", "P", "--items", "11111111", "--file", "f",
                                       "--time", "9:30", "--days", "m,TH"});
    EXPECT_EQ(schedule.form, Form::Schedule);
    EXPECT_EQ(schedule.time, "9:30");
    EXPECT_EQ(schedule.days, "m,TH");
    EXPECT_EQ(parsed({"--unschedule", "12"}).jobNumber, 12u);
    EXPECT_EQ(parsed({"--jobs"}).form, Form::Jobs);
    // The autostart entry's command; a scheduled job's installation words
    // go with it.
    EXPECT_EQ(parsed({"--catch-up"}).form, Form::CatchUp);
    EXPECT_EQ(parsed({"--prefix", "/p", "--catch-up"}).wine.prefix, "/p");
}

TEST(ConsoleArguments, TheUnattendedTextIsEverythingAfterTheOptions) {
    const Arguments job = parsed({"--prefix", "/p", "sf=My", "Mailxm=1ps=bf=C:\\b.qmk", "--list", "x"});
    EXPECT_EQ(job.form, Form::Unattended);
    EXPECT_EQ(job.wine.prefix, "/p");
    EXPECT_EQ(job.argumentText, "sf=My Mailxm=1ps=bf=C:\\b.qmk --list x");
    EXPECT_EQ(parsed({}).form, Form::None);
    EXPECT_EQ(parsed({"--prefix", "/p", "--user", "u"}).form, Form::None);
    EXPECT_EQ(parsed({"--backup", "f", "--help"}).form, Form::Help);
}

TEST(ConsoleArguments, UsageErrorsSayWhat) {
    EXPECT_EQ(refusal({"--bogus", "sf=x"}), "unknown option --bogus (see --help)");
    EXPECT_EQ(refusal({"--backup"}), "--backup needs the backup file (see --help)");
    // The next option is no value: no file called "--profile".
    EXPECT_EQ(refusal({"--backup", "--profile", "X", "--items", "10000000"}),
              "--backup needs the backup file (see --help)");
    EXPECT_EQ(refusal({"--restore", "--profile", "X"}), "--restore needs the backup file (see --help)");
    EXPECT_EQ(refusal({"--backup", "f", "--profile", "--items", "10000000"}), "--profile needs a value (see --help)");
    EXPECT_EQ(refusal({"--backup", "f", "--profile", "P"}), "--backup needs --items (see --help)");
    EXPECT_EQ(refusal({"--schedule", "--profile", "P", "--items", "10000000", "--file", "f"}),
              "--schedule needs --time (see --help)");
    EXPECT_EQ(refusal({"--restore", "f", "--profile", "P", "--description", "d"}),
              "--description does not go with --restore (see --help)");
    EXPECT_EQ(refusal({"--backup", "f", "--profile", "P", "--items", "10000000", "--yes"}),
              "--yes does not go with --backup (see --help)");
    EXPECT_EQ(refusal({"--password", "p", "sf=Axm=1ps=bf=b"}),
              "--password does not go with the argument text sf=... (see --help)");
    // Found by fuzzing: an option of a form, given without one, was ignored
    // and the windows opened as if it had not been given.
    EXPECT_EQ(refusal({"--prefix", "/p", "--items", "1x"}),
              "--items goes only with one of --list, --backup, --restore, --schedule (see --help)");
    EXPECT_EQ(refusal({"--yes"}), "--yes goes only with one of --list, --backup, --restore, --schedule (see --help)");
    EXPECT_EQ(refusal({"--jobs", "--list", "f"}), "--jobs and --list do not go together (see --help)");
    EXPECT_EQ(refusal({"--catch-up", "--jobs"}), "--catch-up and --jobs do not go together (see --help)");
    EXPECT_EQ(refusal({"--catch-up", "sf=Axm=1ps=bf=b"}),
              "unexpected argument \"sf=Axm=1ps=bf=b\" after --catch-up (see --help)");
    EXPECT_EQ(refusal({"--list", "f", "--list", "g"}), "--list is given twice (see --help)");
    EXPECT_EQ(refusal({"--list", "f", "extra"}), "unexpected argument \"extra\" after --list (see --help)");
    for (const char* digits : {"1", "101000001", "1010000x", ""})
        EXPECT_NE(refusal({"--backup", "f", "--profile", "P", "--items", digits}).find("eight digits"),
                  std::string::npos)
            << digits;
    for (const char* number : {"0", "x", "-1", "1x", "99999999999"})
        EXPECT_NE(refusal({"--unschedule", number}).find("the number of a job"), std::string::npos) << number;
    EXPECT_NE(refusal({"--schedule", "--profile", "P", "--items", "10000000", "--file", "f", "--time", "9:00",
                       "--days", "M,X"})
                  .find("--days takes"),
              std::string::npos);
}

TEST(ConsoleArguments, DaysAreTheWindowsTokensOrDaily) {
    using Days = jobs::WeekdayChecks;
    EXPECT_EQ(cli::weekdaysOf("M,W,F"), (Days{true, false, true, false, true, false, false}));
    // Tokens are whole: TH is Thursday alone, SU Sunday alone.
    EXPECT_EQ(cli::weekdaysOf("th,su"), (Days{false, false, false, true, false, false, true}));
    EXPECT_EQ(cli::weekdaysOf("Daily"), (Days{true, true, true, true, true, true, true}));
    for (const char* bad : {"", "M,,F", "M W", "Mo", "M,", "daily,M"}) EXPECT_FALSE(cli::weekdaysOf(bad)) << bad;
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

TEST(ConsoleArguments, TheVersionsKeptGoWithBackupScheduleAndAJobsRun) {
    const Arguments job = parsed({"--password-file", "/pw", "--keep", "3", "--keep-monthly", "12", "sf=Pxm=1ps=bf=b"});
    EXPECT_EQ(job.form, Form::Unattended);
    EXPECT_EQ(job.keep, (jobs::KeepPolicy{3, 0, 12}));
    EXPECT_EQ(job.argumentText, "sf=Pxm=1ps=bf=b");
    EXPECT_EQ(parsed({"--backup", "b", "--profile", "P", "--items", "10000000", "--keep-weekly", "4"}).keep,
              (jobs::KeepPolicy{1, 4, 0}));
    EXPECT_EQ(parsed({"--backup", "b", "--profile", "P", "--items", "10000000"}).keep, jobs::KeepPolicy{});
    EXPECT_EQ(refusal({"--list", "b", "--keep", "3"}), "--keep does not go with --list (see --help)");
    EXPECT_EQ(refusal({"--keep", "0", "sf=P"}), "--keep takes a number from 1 to 999 (see --help)");
    EXPECT_EQ(refusal({"--keep-weekly", "x", "sf=P"}), "--keep-weekly takes a number from 0 to 999 (see --help)");
    EXPECT_EQ(refusal({"--keep", "2", "--keep", "3", "sf=P"}), "--keep is given twice (see --help)");
}

}  // namespace
}  // namespace qm::test
