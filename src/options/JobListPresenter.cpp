#include "options/JobListPresenter.h"

#include "options/OptionsTexts.h"

namespace qm::options {

bool JobListPresenter::FillJobList() {
    std::vector<jobs::JobRow> rows;
    std::string why;
    const bool listed = jobs::ListScheduledBackups(scheduler_, rows, why);
    view_.setJobRows(rows);
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

}  // namespace qm::options
