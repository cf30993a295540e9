#include "jobs/ScheduleRequest.h"

#include "app/Environment.h"
#include "app/ViewText.h"
#include "jobs/AutomaticArguments.h"
#include "jobs/Texts.h"

namespace qm::jobs {
namespace {

bool hasEquals(const std::string& value) { return value.find('=') != std::string::npos; }

bool refuse(Refusal& refusal, const std::string& text, app::Icon icon) {
    refusal = Refusal{text, icon, false};
    return false;
}

}  // namespace

std::string JobPassword(const ScheduleChoices& choices) { return choices.protect ? choices.password : std::string(); }

bool BuildScheduleRequest(const app::Session& s, const ScheduleChoices& choices, const std::string& program,
                          ScheduleRequest& request, Refusal& refusal) {
    using app::Icon;
    if (!items::anySelected(choices.items)) return refuse(refusal, text::kSelectOne, Icon::Exclamation);
    if (choices.targetFile.empty()) return refuse(refusal, text::kInvalidTargetName, Icon::Exclamation);
    if (choices.protect && choices.password.empty() && choices.password2.empty())
        return refuse(refusal, text::kEnterPassword, Icon::Critical);
    if (choices.protect && choices.password != choices.password2)
        return refuse(refusal, text::kPasswordsDiffer, Icon::Critical);
    if (hasEquals(choices.profile)) return refuse(refusal, text::kProfileHasEquals, Icon::Exclamation);
    if (hasEquals(JobPassword(choices))) return refuse(refusal, text::kPasswordHasEquals, Icon::Exclamation);
    if (hasEquals(choices.targetFile)) return refuse(refusal, text::kTargetHasEquals, Icon::Exclamation);
    if (choices.profile.empty()) return refuse(refusal, text::kNoProfile, Icon::Exclamation);
    // Counts out of range (a window's box typed into) are refused as the
    // command line refuses them.
    KeepPolicy checked;
    if (std::string why; !ReadKeepWords(KeepWords(choices.keep), checked, why))
        return refuse(refusal, text::kKeepOutOfRange, Icon::Exclamation);
    const auto startMinute = StartMinuteFromText(choices.startTime);
    if (!startMinute) return refuse(refusal, text::kInvalidStartTime, Icon::Exclamation);

    const app::ViewText ui(s.codePage);
    const auto listed = app::ListedProfile(s, ui.typed(choices.profile));
    if (!listed)
        return refuse(refusal, text::kTaskNotScheduled + ui.shown(app::NotListedText(s, ui.typed(choices.profile))),
                      Icon::Critical);

    ScheduleRequest made;
    made.job.program = program;
    // The password never goes on the job's command line, where every local
    // user could read it while the job runs: the scheduler keeps it apart.
    made.job.arguments = ArgumentText({ui.shown(*listed), items::digitsOf(choices.items), "", choices.targetFile});
    made.job.password = JobPassword(choices);
    made.job.options = KeepWords(choices.keep);
    made.job.startMinute = *startMinute;
    made.job.weekdays = DaysOfWeekFromDayList(DayList(choices.weekdays));
    made.job.once = made.job.weekdays == 0;
    request = made;
    return true;
}

}  // namespace qm::jobs
