#include "cli/JobScheduler.h"

#include <cstdlib>

#include "cli/Output.h"
#include "platform/OpenScheduler.h"

namespace qm::cli {

std::unique_ptr<platform::Scheduler> openJobScheduler(const Arguments& args) {
    platform::SchedulerOptions options;
    options.prefix = args.wine.prefix;
    options.userName = args.wine.userName;
    options.codePage = args.wine.codePage;
    if (const char* user = std::getenv("QUILLMARK_CRONTAB_USER")) options.jobsUser = user;
    std::string error;
    auto scheduler = platform::openScheduler(options, error);
    if (!scheduler) message(error);
    return scheduler;
}

}  // namespace qm::cli
