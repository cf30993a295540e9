#include "cli/Installation.h"

#include "app/Environment.h"
#include "app/Startup.h"
#include "cli/Output.h"

namespace qm::cli {

bool Installation::open(const platform::PlatformOptions& options, bool learn) {
    std::string error;
    if (!platform::openPlatform(options, platform_, error)) {
        message(error);
        return false;
    }
    session_ = std::make_unique<app::Session>(platform_);
    if (!session_->hasWorkFolder()) {
        message("cannot make a work folder under " + platform_.codePage->toUtf8(platform_.system->workFolderRoot()));
        return false;
    }
    if (learn && !app::LoadEnvironment(*session_)) message(app::kNoOutlookMessage);
    return true;
}

}  // namespace qm::cli
