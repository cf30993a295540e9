#pragma once
// The window listing the program's scheduled jobs, with each one's last run
// and how it ended, where one can be removed or run now. The password a job
// carries is never shown.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/MessageView.h"
#include "jobs/RunHistory.h"
#include "jobs/ScheduleJob.h"
#include "platform/Scheduler.h"

namespace qm::options {

class JobListView : public app::MessageView {
public:
    ~JobListView() override = default;
    virtual void setJobRows(const std::vector<jobs::JobRow>& rows) = 0;
    // From now on the view calls the presenter's Poll() about every
    // `milliseconds` (0: no longer), from its event loop.
    virtual void pollEvery(int milliseconds) = 0;
};

class JobListPresenter {
public:
    // `history` (when given) tells each job's last run.
    JobListPresenter(JobListView& view, platform::Scheduler& scheduler, const jobs::RunHistory* history = nullptr)
        : view_(view), scheduler_(scheduler), history_(history) {}

    // Fills the list from the scheduler; one that cannot be read is reported
    // and leaves the list empty. False then.
    bool FillJobList();
    // Asks before removing the job, removes it and lists the jobs anew. True
    // when it was removed.
    bool RemoveScheduledJob(std::uint32_t jobNumber);
    // "Run Now": the job's own command started now, beside the window, as
    // its schedule would start it (it leaves its record in the history like
    // any scheduled run). Its row says it is running; once it has ended the
    // list shows its result and a message says how it ended. One at a time.
    bool RunJobNow(std::uint32_t jobNumber);
    // Called by the view while a job runs.
    void Poll();
    bool jobRunning() const { return running_ != nullptr; }

private:
    struct Running {
        std::uint32_t number = 0;
        std::string file;
        std::string started;
        std::unique_ptr<platform::StartedJob> job;
    };
    void showRows(std::vector<jobs::JobRow> rows);

    JobListView& view_;
    platform::Scheduler& scheduler_;
    const jobs::RunHistory* history_;
    std::unique_ptr<Running> running_;
    std::vector<jobs::JobRow> rows_;
};

// How often the list looks whether a job run now has ended.
inline constexpr int kJobPollMilliseconds = 300;

}  // namespace qm::options
