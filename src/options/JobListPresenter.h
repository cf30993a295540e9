#pragma once
// The window listing the program's scheduled jobs, where one can be
// removed. The password a job carries is never shown.
#include <cstdint>
#include <string>
#include <vector>

#include "app/MessageView.h"
#include "jobs/ScheduleJob.h"
#include "platform/Scheduler.h"

namespace qm::options {

class JobListView : public app::MessageView {
public:
    ~JobListView() override = default;
    virtual void setJobRows(const std::vector<jobs::JobRow>& rows) = 0;
};

class JobListPresenter {
public:
    JobListPresenter(JobListView& view, platform::Scheduler& scheduler) : view_(view), scheduler_(scheduler) {}

    // Fills the list from the scheduler; one that cannot be read is reported
    // and leaves the list empty. False then.
    bool FillJobList();
    // Asks before removing the job, removes it and lists the jobs anew. True
    // when it was removed.
    bool RemoveScheduledJob(std::uint32_t jobNumber);

private:
    JobListView& view_;
    platform::Scheduler& scheduler_;
};

}  // namespace qm::options
