#include "jobs/ScheduleJob.h"

#include "jobs/AutomaticArguments.h"
#include "jobs/KeepPolicy.h"
#include "jobs/Texts.h"

namespace qm::jobs {
namespace {

std::string daysText(const platform::ScheduledJob& job) {
    if (!job.once && job.monthDays == 0 && job.weekdays == platform::kAllWeekdayBits) return text::kRunsDaily;
    std::string days;
    for (const auto& weekday : kWeekdayTokens)
        if (job.weekdays & weekday.bit) days += (days.empty() ? "" : ",") + std::string(weekday.token);
    for (int day = 1; day <= 31; ++day)
        if (job.monthDays & (1u << (day - 1))) days += (days.empty() ? "" : ",") + std::to_string(day);
    if (job.once || days.empty()) return days.empty() ? text::kRunsOnce : std::string(text::kRunsOnce) + " " + days;
    return days;
}

}  // namespace

bool AddScheduledBackup(platform::Scheduler& scheduler, const ScheduleRequest& request, std::uint32_t& number,
                        std::string& why) {
    std::string reason;
    if (scheduler.addJob(request.job, number, reason)) return true;
    // Without a word the user would take the missing confirmation for a
    // job that exists.
    why = text::kTaskNotScheduled + reason;
    return false;
}

std::string ScheduledText(std::uint32_t number) {
    return text::kTaskScheduledBefore + std::to_string(number) + text::kTaskScheduledAfter;
}

JobRow JobRowFor(const platform::ScheduledJob& job) {
    JobRow row;
    row.jobNumber = job.number;
    row.startTime = StartTimeText(job.startMinute);
    row.days = daysText(job);
    // A job whose text no longer reads (edited by hand) is listed all the
    // same, with nothing of what it would back up.
    AutomaticSettings settings;
    std::string unread;
    if (ParseCommandLine(job.arguments, settings, unread)) {
        row.profile = settings.profile;
        row.itemDigits = settings.selection;
        row.items = items::itemNames(items::selectionFromDigits(settings.selection));
        row.targetFile = settings.archivePath;
        row.passwordProtected = !settings.password.empty();
    }
    if (!job.passwordFile.empty()) row.passwordProtected = true;
    KeepPolicy keep;
    std::string unreadKeep;
    if (ReadKeepWords(job.options, keep, unreadKeep)) {
        row.keep = KeepText(keep);
    } else {
        // Options edited by hand are shown as they stand.
        for (const auto& word : job.options) row.keep += (row.keep.empty() ? "" : " ") + word;
    }
    return row;
}

std::string ResultText(int exitStatus) {
    switch (exitStatus) {
        case 0:
            return text::kRunCompleted;
        case 3:
            return text::kRunItemsFailed;
        default:
            return text::kRunFailed;
    }
}

void AddLastRun(JobRow& row, const RunHistory& history) {
    const auto last = history.lastScheduledRun(row.targetFile, row.jobNumber);
    if (!last) return;
    row.lastRun = last->time;
    row.lastResult = ResultText(last->exitStatus);
    row.lastMessage = last->message;
}

bool ListScheduledBackups(platform::Scheduler& scheduler, std::vector<JobRow>& rows, std::string& why,
                          const RunHistory* history) {
    std::vector<platform::ScheduledJob> jobs;
    std::string reason;
    rows.clear();
    if (!scheduler.listJobs(jobs, reason)) {
        why = text::kJobsUnreadable + reason;
        return false;
    }
    for (const auto& job : jobs) rows.push_back(JobRowFor(job));
    if (history)
        for (auto& row : rows)
            if (!row.targetFile.empty()) AddLastRun(row, *history);
    return true;
}

bool RemoveScheduledBackup(platform::Scheduler& scheduler, std::uint32_t number, std::string& why) {
    std::string reason;
    if (scheduler.removeJob(number, reason)) return true;
    why = text::kRemoveFailedBefore + std::to_string(number) + text::kRemoveFailedAfter + reason;
    return false;
}

}  // namespace qm::jobs
