#include "cli/Console.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Output.h"
#include "platform/Console.h"
#include "runs/ExitStatus.h"

namespace qm::cli {

int runConsole(int argc, char** argv) {
    platform::useUtf8Console();
    const std::vector<std::string> words = platform::programArguments(argc, argv);
    Arguments args;
    std::string error;
    if (!parseArguments(words, args, error)) {
        message(error);
        return runs::kExitUsage;
    }
    switch (args.form) {
        case Form::None:
            message("started without arguments: this build has no windows; see --help for what the "
                    "console does");
            return runs::kExitUsage;
        case Form::Help:
            std::fputs(helpText().c_str(), stdout);
            return runs::kExitDone;
        case Form::Unattended: return runUnattended(args);
        case Form::List: return runList(args);
        case Form::Backup: return runBackup(args);
        case Form::Restore: return runRestore(args);
        case Form::Schedule: return runSchedule(args);
        case Form::Jobs: return runJobs(args);
        case Form::Unschedule: return runUnschedule(args);
    }
    return runs::kExitUsage;
}

}  // namespace qm::cli
