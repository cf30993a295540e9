#include "frontend/Installation.h"

#include <cstdlib>

#include "app/Startup.h"
#include "platform/OpenScheduler.h"

namespace qm::frontend {
namespace {

// Scheduling says why it cannot be done, each time it is asked.
class UnreachableScheduler : public platform::Scheduler {
public:
    explicit UnreachableScheduler(std::string why) : why_(std::move(why)) {}
    bool addJob(const platform::JobSpec&, std::uint32_t&, std::string& why) override { return refuse(why); }
    bool listJobs(std::vector<platform::ScheduledJob>&, std::string& why) override { return refuse(why); }
    bool removeJob(std::uint32_t, std::string& why) override { return refuse(why); }

private:
    bool refuse(std::string& why) const {
        why = why_;
        return false;
    }
    std::string why_;
};

}  // namespace

Installation::~Installation() {
    // The session holds the installation's services: it goes first.
    scheduler_.reset();
    session_.reset();
}

bool Installation::open(const platform::PlatformOptions& options, bool learn, std::string& why) {
    options_ = options;
    if (!platform::openPlatform(options, platform_, why)) return false;
    session_ = std::make_unique<app::Session>(platform_);
    if (!session_->hasWorkFolder()) {
        why = "cannot make a work folder under " + platform_.codePage->toUtf8(platform_.system->workFolderRoot());
        session_.reset();
        return false;
    }
    hasOutlook_ = learn && app::LoadEnvironment(*session_);
    return true;
}

platform::Scheduler& Installation::scheduler() {
    if (!scheduler_) {
        std::string why;
        scheduler_ = OpenJobScheduler(options_, why);
        if (!scheduler_) scheduler_ = std::make_unique<UnreachableScheduler>(why);
    }
    return *scheduler_;
}

std::string Installation::program() const { return platform::programPath(); }

std::unique_ptr<platform::Scheduler> OpenJobScheduler(const platform::PlatformOptions& options, std::string& why) {
    platform::SchedulerOptions scheduler;
    scheduler.prefix = options.prefix;
    scheduler.userName = options.userName;
    scheduler.codePage = options.codePage;
    if (const char* user = std::getenv("QUILLMARK_CRONTAB_USER")) scheduler.jobsUser = user;
    return platform::openScheduler(scheduler, why);
}

}  // namespace qm::frontend
