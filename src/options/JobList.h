#pragma once
// The window listing the program's scheduled jobs, where one can be
// removed. The password a job carries is never shown.
#include <cstdint>
#include <string>
#include <vector>

#include "app/MessageView.h"
#include "platform/Scheduler.h"

namespace qm::options {

struct JobRow {
    std::uint32_t jobNumber = 0;
    std::string startTime;  // "9:00"
    std::string days;       // "M,W,F"; "Once" for a job that runs once
    std::string profile;
    std::string itemDigits;  // "10100000"
    std::string items;       // "Personal Folders, Signatures"; "Every item"
    std::string targetFile;
    bool passwordProtected = false;
};

class JobListView : public app::MessageView {
public:
    ~JobListView() override = default;
    virtual void setJobRows(const std::vector<JobRow>& rows) = 0;
};

// The row of one job.
JobRow JobRowFor(const platform::ScheduledJob& job);

// Fills the list from the scheduler; one that cannot be read is reported
// and leaves the list empty. False then.
bool FillJobList(JobListView& view, platform::Scheduler& scheduler);

// Asks before removing the job, removes it and lists the jobs anew. True
// when it was removed.
bool RemoveScheduledJob(JobListView& view, platform::Scheduler& scheduler, std::uint32_t jobNumber);

}  // namespace qm::options
