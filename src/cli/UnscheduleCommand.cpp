// --unschedule N: removes one of the program's jobs, without asking; a job
// that runs once ends with this too.
#include "cli/Commands.h"
#include "cli/JobScheduler.h"
#include "cli/Output.h"
#include "options/OptionsTexts.h"
#include "runs/ExitStatus.h"

namespace qm::cli {

int runUnschedule(const Arguments& args) {
    auto scheduler = openJobScheduler(args);
    if (!scheduler) return runs::kExitFailed;
    const std::string number = std::to_string(args.jobNumber);
    const platform::SchedulerResult removed = scheduler->removeJob(args.jobNumber);
    if (removed.status != platform::kSchedulerOk) {
        message(options::kRemoveFailedBefore + number + options::kRemoveFailedAfter + removed.reason);
        return runs::kExitFailed;
    }
    result("Task " + number + " has been removed.");
    return runs::kExitDone;
}

}  // namespace qm::cli
