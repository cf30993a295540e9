// --schedule: the job "Add Task to Scheduler" adds, with its checks and
// messages in their order, from the command line's values.
#include "app/Environment.h"
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/Installation.h"
#include "cli/JobScheduler.h"
#include "cli/Output.h"
#include "options/OptionsTexts.h"
#include "options/ScheduleChoices.h"
#include "runs/ExitStatus.h"

namespace qm::cli {
namespace {

bool isRelative(const std::string& path) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    return !path.empty() && !drive && path[0] != '/' && path[0] != '\\';
}

}  // namespace

int runSchedule(const Arguments& args) {
    Installation installation;
    if (!installation.open(args.wine, true)) return runs::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    options::ScheduleChoices choices;
    choices.profile = args.profile;
    const std::string digits = args.items.value_or("");
    for (std::size_t i = 0; i < choices.items.size() && i < digits.size(); ++i) choices.items[i] = digits[i] == '1';
    // The job runs wherever cron starts it: a relative path is taken from
    // the folder the job is scheduled in.
    choices.targetFile = isRelative(args.file)
                             ? ui.shown(s.files.hostPath(s.files.fromUserPath(ui.typed(args.file))))
                             : args.file;
    choices.password = choices.password2 = args.password.value_or("");
    choices.protect = !choices.password.empty();
    choices.startTime = args.time;
    if (args.days) choices.weekdays = weekdaysOf(*args.days).value_or(options::WeekdayChecks{});

    if (auto refusal = options::CheckScheduleChoices(choices)) {
        message(refusal->text);
        return runs::kExitFailed;
    }
    // A job for a name that is no profile here would fail every night.
    const auto listed = app::ListedProfile(s, ui.typed(choices.profile));
    if (!listed) {
        message(options::kTaskNotScheduled + ui.shown(app::NotListedText(s, ui.typed(choices.profile))));
        return runs::kExitFailed;
    }
    choices.profile = ui.shown(*listed);

    auto scheduler = openJobScheduler(args);
    if (!scheduler) return runs::kExitFailed;
    const platform::AtInfo job = options::JobRecordFor(choices, ui.shown(s.system.programFolder()));
    const platform::JobAddResult added = scheduler->NetScheduleJobAdd(ui.shown(s.state.ComputerName), job);
    if (added.status != platform::kSchedulerOk) {
        message(options::kTaskNotScheduled + added.reason);
        return runs::kExitFailed;
    }
    result(options::kTaskScheduledBefore + std::to_string(added.jobNumber) + options::kTaskScheduledAfter);
    return runs::kExitDone;
}

}  // namespace qm::cli
