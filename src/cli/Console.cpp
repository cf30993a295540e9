#include "cli/Console.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "platform/Console.h"
#include "platform/PasswordFile.h"

namespace qm::cli {

namespace {

int runForm(const Arguments& args) {
    switch (args.form) {
        case Form::None:
            message("started without arguments: this build has no windows; see --help for what the "
                    "console does");
            return frontend::kExitUsage;
        case Form::Help:
            std::fputs(helpText().c_str(), stdout);
            return frontend::kExitDone;
        case Form::Unattended: return runUnattended(args);
        case Form::List: return runList(args);
        case Form::Profiles: return runProfiles(args);
        case Form::Backup: return runBackup(args);
        case Form::Restore: return runRestore(args);
        case Form::Schedule: return runSchedule(args);
        case Form::Jobs: return runJobs(args);
        case Form::Unschedule: return runUnschedule(args);
        case Form::CatchUp: return runCatchUp(args);
    }
    return frontend::kExitUsage;
}

}  // namespace

int runConsole(int argc, char** argv, const WindowsOpener& openWindows) {
    platform::useUtf8Console();
    const std::vector<std::string> words = platform::programArguments(argc, argv);
    Arguments args;
    std::string error;
    if (!parseArguments(words, args, error)) {
        message(error);
        return frontend::kExitUsage;
    }
    if (args.form == Form::None && openWindows) return openWindows(args.wine);
    // Read before anything is opened: a file that cannot be used stops the
    // run as a wrong password would.
    if (!args.passwordFile.empty()) {
        std::string password;
        if (!platform::readPasswordFile(args.passwordFile, password, error)) {
            message(error);
            return frontend::kExitFailed;
        }
        // An empty first line (a password manager that failed) would make
        // a backup without protection that reads as a protected one.
        if (password.empty()) {
            message("the password file " + args.passwordFile + " gives no password (its first line is empty)");
            return frontend::kExitFailed;
        }
        args.password = password;
    }
    // The last guard: what a run could not handle ends it with a message
    // and a status, after the run's own clean-up (its work folder, a new
    // archive not yet in place) has unwound, never with an abort.
    try {
        return runForm(args);
    } catch (const std::bad_alloc&) {
        message("stopped: out of memory");
    } catch (const std::exception& e) {
        message(std::string("stopped by an unexpected error: ") + e.what());
    }
    return frontend::kExitFailed;
}

}  // namespace qm::cli
