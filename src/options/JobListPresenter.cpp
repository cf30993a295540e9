#include "options/JobListPresenter.h"

#include "options/OptionsTexts.h"
#include "platform/StateFolder.h"

namespace qm::options {

void JobListPresenter::showRows(std::vector<jobs::JobRow> rows) {
    if (running_)
        for (auto& row : rows)
            if (row.jobNumber == running_->number) {
                row.lastRun = running_->started;
                row.lastResult = kJobRunning;
                row.lastMessage.clear();
            }
    rows_ = rows;
    view_.setJobRows(rows);
}

bool JobListPresenter::FillJobList() {
    std::vector<jobs::JobRow> rows;
    std::string why;
    const bool listed = jobs::ListScheduledBackups(scheduler_, rows, why, history_);
    showRows(rows);
    if (!listed) view_.showMessage(why, app::Icon::Critical, app::Buttons::Ok);
    return listed;
}

bool JobListPresenter::RemoveScheduledJob(std::uint32_t jobNumber) {
    const std::string number = std::to_string(jobNumber);
    if (view_.showMessage(kConfirmRemoveBefore + number + kConfirmRemoveAfter, app::Icon::Information,
                          app::Buttons::OkCancel) != app::Answer::Ok)
        return false;
    std::string why;
    const bool removed = jobs::RemoveScheduledBackup(scheduler_, jobNumber, why);
    if (!removed) view_.showMessage(why, app::Icon::Critical, app::Buttons::Ok);
    FillJobList();
    return removed;
}

bool JobListPresenter::RunJobNow(std::uint32_t jobNumber) {
    if (running_) {
        view_.showMessage(kTaskBefore + std::to_string(running_->number) + kStillRunning, app::Icon::Information,
                          app::Buttons::Ok);
        return false;
    }
    std::string file;
    for (const auto& row : rows_)
        if (row.jobNumber == jobNumber) file = row.targetFile;
    std::string why;
    auto started = scheduler_.startJobNow(jobNumber, why);
    if (!started) {
        view_.showMessage(kTaskBefore + std::to_string(jobNumber) + kCannotRunNow + why, app::Icon::Critical,
                          app::Buttons::Ok);
        return false;
    }
    running_ = std::make_unique<Running>(Running{jobNumber, file, platform::localTimeStamp(), std::move(started)});
    showRows(rows_);
    view_.pollEvery(kJobPollMilliseconds);
    return true;
}

void JobListPresenter::Poll() {
    int status = -1;
    if (!running_ || !running_->job->ended(status)) return;
    view_.pollEvery(0);
    const Running ended = std::move(*running_);
    running_.reset();
    FillJobList();
    // How it ended, as its record says; a run that could not leave one is
    // told by its exit status.
    std::string said = kTaskBefore + std::to_string(ended.number) + kRanNow;
    const auto record = history_ ? history_->lastScheduledRun(ended.file) : std::nullopt;
    if (record && record->time >= ended.started) {
        said += jobs::ResultText(record->exitStatus) + (record->message.empty() ? "." : ": " + record->message);
        status = record->exitStatus;
    } else {
        said += jobs::ResultText(status) + kExitStatusBefore + std::to_string(status) + ").";
    }
    view_.showMessage(said, status == 0 ? app::Icon::Information : app::Icon::Exclamation, app::Buttons::Ok);
}

}  // namespace qm::options
