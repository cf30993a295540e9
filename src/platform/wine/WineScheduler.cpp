// The jobs of an installation in a Wine prefix live in the user's crontab;
// each line starts this very program on that prefix, as that Wine user.
#include "platform/OpenScheduler.h"
#include "platform/posix/CronScheduler.h"
#include "platform/wine/WinePrefix.h"

namespace qm::platform {

std::unique_ptr<Scheduler> openScheduler(const SchedulerOptions& options, std::string& /*why: never fails*/) {
    const std::string prefix = wine::WinePrefix::locate(options.prefix);
    const std::string user = options.userName.empty() ? wine::hostUserName() : options.userName;
    std::vector<std::string> crontab{"crontab"};
    if (!options.jobsUser.empty()) crontab.insert(crontab.end(), {"-u", options.jobsUser});
    auto scheduler = std::make_unique<posix::CronScheduler>(prefix, user, crontab);
    scheduler->setCodePage(options.codePage);
    return scheduler;
}

}  // namespace qm::platform
