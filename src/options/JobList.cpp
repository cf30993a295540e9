#include "options/JobList.h"

#include "options/OptionsTexts.h"
#include "options/Schedule.h"

namespace qm::options {
namespace {

std::string daysText(const platform::ScheduledJob& job) {
    std::string days;
    for (const auto& weekday : kWeekdayTokens)
        if (job.DaysOfWeek & weekday.bit) days += (days.empty() ? "" : ",") + std::string(weekday.token);
    for (int day = 1; day <= 31; ++day)
        if (job.DaysOfMonth & (1u << (day - 1))) days += (days.empty() ? "" : ",") + std::to_string(day);
    if (!(job.Flags & platform::kJobRunPeriodically) || days.empty())
        return days.empty() ? kRunsOnce : std::string(kRunsOnce) + " " + days;
    return days;
}

// The items by their captions without the explanations in brackets (two
// begin with "Personal"); all eight as one phrase.
std::string itemsText(const std::string& digits) {
    if (digits == std::string(kItemCount, '1')) return kEveryItem;
    std::string names;
    for (std::size_t i = 0; i < digits.size() && i < kItemCaptions.size(); ++i) {
        if (digits[i] != '1') continue;
        const std::string caption = kItemCaptions[i];
        names += (names.empty() ? "" : ", ") + caption.substr(0, caption.find(" ("));
    }
    return names;
}

}  // namespace

JobRow JobRowFor(const platform::ScheduledJob& job) {
    JobRow row;
    row.jobNumber = job.jobNumber;
    row.startTime = StartTimeText(job.JobTime);
    row.days = daysText(job);
    row.profile = job.profile;
    row.itemDigits = job.itemDigits;
    row.items = itemsText(job.itemDigits);
    row.targetFile = job.targetFile;
    row.passwordProtected = job.hasPassword;
    return row;
}

bool FillJobList(JobListView& view, platform::Scheduler& scheduler) {
    const platform::JobListResult listed = scheduler.listJobs();
    std::vector<JobRow> rows;
    if (listed.status != platform::kSchedulerOk) {
        view.setJobRows(rows);
        view.showMessage(kJobsUnreadable + listed.reason, app::Icon::Critical, app::Buttons::Ok);
        return false;
    }
    for (const auto& job : listed.jobs) rows.push_back(JobRowFor(job));
    view.setJobRows(rows);
    return true;
}

bool RemoveScheduledJob(JobListView& view, platform::Scheduler& scheduler, std::uint32_t jobNumber) {
    const std::string number = std::to_string(jobNumber);
    if (view.showMessage(kConfirmRemoveBefore + number + kConfirmRemoveAfter, app::Icon::Information,
                         app::Buttons::OkCancel) != app::Answer::Ok)
        return false;
    const platform::SchedulerResult removed = scheduler.removeJob(jobNumber);
    if (removed.status != platform::kSchedulerOk)
        view.showMessage(kRemoveFailedBefore + number + kRemoveFailedAfter + removed.reason, app::Icon::Critical,
                         app::Buttons::Ok);
    FillJobList(view, scheduler);
    return removed.status == platform::kSchedulerOk;
}

}  // namespace qm::options
