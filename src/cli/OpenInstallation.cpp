#include "cli/OpenInstallation.h"

#include "cli/Output.h"
#include "frontend/Texts.h"

namespace qm::cli {

bool openInstallation(const Arguments& args, bool learn, frontend::Installation& installation) {
    std::string why;
    if (!installation.open(args.wine, learn ? frontend::Opening::ToWorkAndLearn : frontend::Opening::ToRead, why)) {
        message(why);
        return false;
    }
    if (learn && !installation.hasOutlook()) message(frontend::kNoOutlookMessage);
    // --profiles says it among its results.
    if (learn && installation.session().state.NewOutlook && args.form != Form::Profiles)
        message(frontend::text::kNewOutlookNote);
    return true;
}

std::unique_ptr<platform::Scheduler> openJobScheduler(const Arguments& args) {
    std::string why;
    auto scheduler = frontend::OpenJobScheduler(args.wine, why);
    if (!scheduler) message(why);
    return scheduler;
}

}  // namespace qm::cli
