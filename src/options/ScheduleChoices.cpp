#include "options/ScheduleChoices.h"

namespace qm::options {
namespace {

bool hasEquals(const std::string& value) { return value.find('=') != std::string::npos; }

}  // namespace

std::string JobPassword(const ScheduleChoices& choices) { return choices.protect ? choices.password : std::string(); }

std::optional<Refusal> CheckScheduleChoices(const ScheduleChoices& choices) {
    using app::Icon;
    if (ItemDigits(choices.items) == std::string(kItemCount, '0')) return Refusal{kSelectItem, Icon::Exclamation};
    if (choices.targetFile.empty()) return Refusal{kInvalidTargetName, Icon::Exclamation};
    if (choices.protect && choices.password.empty() && choices.password2.empty())
        return Refusal{kEnterPassword, Icon::Critical};
    if (choices.protect && choices.password != choices.password2) return Refusal{kPasswordsDiffer, Icon::Critical};

    if (hasEquals(choices.profile)) return Refusal{kProfileHasEquals, Icon::Exclamation};
    if (hasEquals(JobPassword(choices))) return Refusal{kPasswordHasEquals, Icon::Exclamation};
    if (hasEquals(choices.targetFile)) return Refusal{kTargetHasEquals, Icon::Exclamation};
    if (choices.profile.empty()) return Refusal{kNoProfile, Icon::Exclamation};
    if (!JobTimeFromText(choices.startTime)) return Refusal{kInvalidStartTime, Icon::Exclamation};
    return std::nullopt;
}

platform::AtInfo JobRecordFor(const ScheduleChoices& choices, const std::string& programFolder) {
    platform::AtInfo job;
    job.JobTime = JobTimeFromText(choices.startTime).value_or(0);
    job.DaysOfMonth = 0;
    job.DaysOfWeek = DaysOfWeekFromDayList(DayList(choices.weekdays));
    job.Flags = platform::kJobRunPeriodically;
    job.Command = JobCommandLine(programFolder, choices.profile, ItemDigits(choices.items), JobPassword(choices),
                                 choices.targetFile);
    return job;
}

}  // namespace qm::options
