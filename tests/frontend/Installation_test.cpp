// One place opens an installation for every front end: the windows' jobs go
// where the console's go.
#include "frontend/Installation.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

TEST(FrontendInstallation, OpensThePrefixAndAimsItsJobsWhereTheConsoleDoes) {
    TempDir dir;
    ASSERT_TRUE(MiniPrefix::make(dir / "prefix", "tester"));
    platform::PlatformOptions options;
    options.prefix = dir / "prefix";
    options.userName = "tester";
    options.workRoot = dir / "work";
    frontend::Installation installation;
    std::string why;
    ASSERT_TRUE(installation.open(options, true, why)) << why;
    EXPECT_FALSE(installation.hasOutlook());
    EXPECT_FALSE(installation.program().empty());

    // QUILLMARK_CRONTAB_USER names whose crontab the jobs go to, for the
    // windows as for the console: a user that does not exist is named in
    // the reason.
    ::setenv("QUILLMARK_CRONTAB_USER", "qm-no-such-user", 1);
    std::vector<platform::ScheduledJob> jobs;
    const bool listed = installation.scheduler().listJobs(jobs, why);
    ::unsetenv("QUILLMARK_CRONTAB_USER");
    EXPECT_FALSE(listed);
    EXPECT_NE(why.find("-u qm-no-such-user"), std::string::npos) << why;

    // A prefix that cannot be used says why, and nothing is open.
    options.prefix = dir / "nothing-here";
    frontend::Installation missing;
    why.clear();
    EXPECT_FALSE(missing.open(options, true, why));
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace qm::test
