// --schedule: the job "Add Task to Scheduler" adds, with its checks and
// messages in their order, from the command line's values.
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "jobs/CatchUp.h"
#include "jobs/ScheduleJob.h"

namespace qm::cli {
namespace {

bool isRelative(const std::string& path) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    return !path.empty() && !drive && path[0] != '/' && path[0] != '\\';
}

}  // namespace

int runSchedule(const Arguments& args) {
    frontend::Installation installation;
    if (!openInstallation(args, true, installation)) return frontend::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    jobs::ScheduleChoices choices;
    choices.profile = args.profile;
    choices.items = items::selectionFromDigits(args.items.value_or(""));
    // The job runs wherever cron starts it: a relative path is taken from
    // the folder the job is scheduled in.
    choices.targetFile = isRelative(args.file)
                             ? ui.shown(s.files.hostPath(s.files.fromUserPath(ui.typed(args.file))))
                             : args.file;
    choices.password = choices.password2 = args.password.value_or("");
    choices.protect = !choices.password.empty();
    choices.startTime = args.time;
    choices.keep = args.keep;
    if (args.days) choices.weekdays = weekdaysOf(*args.days).value_or(jobs::WeekdayChecks{});

    jobs::ScheduleRequest request;
    jobs::Refusal refusal;
    if (!jobs::BuildScheduleRequest(s, choices, installation.program(), request, refusal)) {
        message(refusal.text);
        return frontend::kExitFailed;
    }
    auto scheduler = openJobScheduler(args);
    if (!scheduler) return frontend::kExitFailed;
    std::uint32_t number = 0;
    std::string why;
    if (!jobs::AddScheduledBackup(*scheduler, request, number, why)) {
        message(why);
        return frontend::kExitFailed;
    }
    result(jobs::ScheduledText(number));
    // Its starts count from now: a catch-up does not take the start before
    // it for a missed one.
    jobs::RunHistory history = jobs::RunHistory::of(s);
    if (!jobs::RecordAddedJob(history, request.job, number, why)) message(why);
    return frontend::kExitDone;
}

}  // namespace qm::cli
