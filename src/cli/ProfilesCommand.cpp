// --profiles: the Outlook installed, as the main window names it, and the
// profiles a backup or restore may name, in the order the windows list
// them.
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "frontend/Summaries.h"

namespace qm::cli {

int runProfiles(const Arguments& args) {
    frontend::Installation installation;
    if (!openInstallation(args, true, installation)) return frontend::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);
    std::string text = ui.shown(frontend::OutlookText(s)) + "\nProfiles (" + ui.shown(s.state.ProfilesKey) + "):";
    for (const auto& profile : s.state.ProfileNames) text += "\n  " + ui.shown(profile);
    result(text);
    return installation.hasOutlook() ? frontend::kExitDone : frontend::kExitFailed;
}

}  // namespace qm::cli
