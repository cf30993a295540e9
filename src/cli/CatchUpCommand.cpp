// --catch-up: the missed runs of the scheduled jobs made up, as a desktop
// autostart entry starts it at login.
#include "cli/CatchUpRuns.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "frontend/Installation.h"
#include "frontend/RunRecords.h"
#include "jobs/CatchUp.h"
#include "jobs/ScheduleJob.h"
#include "platform/StateFolder.h"

namespace qm::cli {
namespace {

inline const char* const kCatchUpLock = "catch-up.lock";

}  // namespace

int catchUp(const Arguments& args, const std::string& ownFile, bool quiet) {
    std::string why;
    const auto lock = platform::tryStateLock(args.wine, kCatchUpLock, why);
    if (!lock) {
        if (!quiet) message("no catch-up now: " + why);
        return frontend::kExitDone;
    }
    // A scheduled run goes on to its own backup whatever keeps the catch-up
    // from the jobs; --catch-up says it.
    const auto cannot = [&](const std::string& reason) {
        if (!quiet) message("no catch-up: " + reason);
        return frontend::kExitFailed;
    };
    auto scheduler = frontend::OpenJobScheduler(args.wine, why);
    if (!scheduler) return cannot(why);
    platform::StateFolder state;
    if (!platform::openStateFolder(args.wine, state, why)) return cannot(why);
    jobs::RunHistory history = jobs::RunHistory::in(*state.files, state.folder);
    std::vector<jobs::CaughtUpRun> runs;
    if (!jobs::CatchUpMissedRuns(*scheduler, history, platform::localTimeStamp(), ownFile, runs, why))
        return cannot(why);
    if (runs.empty() && !quiet) message("no scheduled run was missed");
    int status = frontend::kExitDone;
    for (const auto& run : runs) {
        const std::string job = "scheduled job " + std::to_string(run.jobNumber) + " (" + run.file + ")";
        if (!run.started) {
            message(run.failure);
            // Its run never began, so no run of it told the desktop.
            std::string unsent;
            if (!frontend::NotifyFailedRun(frontend::FailedRunRecord(jobs::kScheduledRecord, run.file, run.failure),
                                           unsent))
                message(unsent);
            status = frontend::kExitPartsFailed;
            continue;
        }
        if (run.exitStatus != frontend::kExitDone) status = frontend::kExitPartsFailed;
        if (!quiet || run.exitStatus != frontend::kExitDone)
            message("missed run made up: " + job + ": " + jobs::ResultText(run.exitStatus));
        if (!run.failure.empty())
            message(run.failure);
        else if (run.removed && !quiet)
            message(job + " ran once and is removed");
    }
    return status;
}

int runCatchUp(const Arguments& args) { return catchUp(args, std::string(), false); }

}  // namespace qm::cli
