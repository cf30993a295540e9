// The platform's side of the windows and the console around a run: the
// users an installation has, Ctrl+C noted while a run works, the desktop's
// browser, the state folder without an installation.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/Interrupt.h"
#include "platform/OpenPlatform.h"
#include "platform/Shell.h"
#include "platform/StateFolder.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Desktop, TheUsersOfAPrefix) {
    TempDir dir;
    ASSERT_TRUE(MiniPrefix::make(dir / "p", "bob"));
    fs::create_directories(dir / "p/drive_c/users/alice");
    fs::create_directories(dir / "p/drive_c/users/Public");
    fs::create_symlink("alice", dir / "p/drive_c/users/carol");  // a link is no user of its own
    writeHostFile(dir / "p/drive_c/users/notes.txt", "x");
    std::vector<std::string> users;
    std::string why;
    ASSERT_TRUE(platform::installationUsers(dir / "p", users, why)) << why;
    EXPECT_EQ(users, (std::vector<std::string>{"alice", "bob"}));

    fs::create_directories(dir / "empty");
    EXPECT_FALSE(platform::installationUsers(dir / "empty", users, why));
    EXPECT_EQ(why, (dir / "empty") + " is not a Wine prefix: it has no dosdevices folder");

    // Where an installation lies, the defaults taken.
    ScopedEnv user("USER", "dora");
    ScopedEnv prefix("WINEPREFIX", (dir / "p").c_str());
    const platform::InstallationPlace place = platform::locateInstallation({});
    EXPECT_EQ(place.prefix, dir / "p");
    EXPECT_EQ(place.user, "dora");
}

TEST(Desktop, CtrlCIsNotedOnceWhileARunWorks) {
    // In a child: the first interrupt is noted and the run goes on; the
    // second ends the program as it always did.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        {
            platform::InterruptWatch watch;
            if (platform::InterruptWatch::requested()) _exit(10);
            raise(SIGINT);
            if (!platform::InterruptWatch::requested()) _exit(11);
        }
        {
            platform::InterruptWatch again;
            if (platform::InterruptWatch::requested()) _exit(12);  // a new watch starts afresh
            raise(SIGINT);
            raise(SIGINT);
        }
        _exit(13);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

TEST(Desktop, ABrowserOnlyWhereOneCanShowThePage) {
    TempDir dir;
    const std::string browser = dir / "browser";
    writeHostFile(browser, "#!/bin/sh\necho \"$@\" > " + (dir / "opened") + "\n");
    fs::permissions(browser, fs::perms::owner_all);
    writeHostFile(dir / "index.html", "<html></html>");
    const auto shell = platform::openShell();
    {
        // No desktop: nothing to show it on.
        ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr), with("BROWSER", browser.c_str());
        EXPECT_FALSE(shell->openHelp(dir / "index.html"));
    }
    ScopedEnv display("DISPLAY", ":99");
    {
        // A desktop, but no graphical browser to be found.
        ScopedEnv none("BROWSER", nullptr), path("PATH", (dir / "nothing").c_str());
        EXPECT_FALSE(shell->openWebPage("https://quillmark.example.org/"));
        EXPECT_FALSE(shell->openHelp(dir / "index.html"));
    }
    ScopedEnv with("BROWSER", browser.c_str());
    EXPECT_FALSE(shell->openWebPage("file:///etc/passwd"));  // web pages only
    EXPECT_FALSE(shell->openHelp(dir / "missing.html"));
    ASSERT_TRUE(shell->openHelp(dir / "index.html"));
    for (int i = 0; i < 200 && readHostFile(dir / "opened").empty(); ++i) usleep(10000);
    EXPECT_EQ(readHostFile(dir / "opened"), (dir / "index.html") + "\n");
}

TEST(Desktop, TheStateFolderWithoutAnInstallation) {
    TempDir dir;
    platform::PlatformOptions options;
    options.workRoot = dir / "state";
    platform::StateFolder state;
    std::string why;
    ASSERT_TRUE(platform::openStateFolder(options, state, why)) << why;
    ASSERT_TRUE(state.files->appendFile(state.folder + "\\history.log", "x\n"));
    EXPECT_EQ(readHostFile(dir / "state/history.log"), "x\n");
    // "YYYY-MM-DD HH:MM:SS"
    const std::string stamp = platform::localTimeStamp();
    ASSERT_EQ(stamp.size(), 19u) << stamp;
    EXPECT_EQ(stamp[4], '-');
    EXPECT_EQ(stamp[10], ' ');
    EXPECT_EQ(stamp[16], ':');
}

}  // namespace
}  // namespace qm::test
