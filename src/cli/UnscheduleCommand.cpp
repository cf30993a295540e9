// --unschedule N: removes one of the program's jobs, without asking; a job
// that runs once ends with this too.
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "jobs/ScheduleJob.h"

namespace qm::cli {

int runUnschedule(const Arguments& args) {
    auto scheduler = openJobScheduler(args);
    if (!scheduler) return frontend::kExitFailed;
    std::string why;
    if (!jobs::RemoveScheduledBackup(*scheduler, args.jobNumber, why)) {
        message(why);
        return frontend::kExitFailed;
    }
    result("Task " + std::to_string(args.jobNumber) + " has been removed.");
    return frontend::kExitDone;
}

}  // namespace qm::cli
