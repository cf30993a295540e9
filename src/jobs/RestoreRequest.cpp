#include "jobs/RestoreRequest.h"

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "jobs/Texts.h"

namespace qm::jobs {
namespace {

bool refuse(Refusal& refusal, const std::string& text, app::Icon icon, bool runFailed = false) {
    refusal = Refusal{text, icon, runFailed};
    return false;
}

// The chosen items the backup does not hold, by caption; empty when it
// holds them all.
std::string missingItems(const items::ItemSelection& chosen, const items::ItemSelection& held) {
    std::string names;
    for (std::size_t i = 0; i < chosen.size(); ++i)
        if (chosen[i] && !held[i]) names += std::string(names.empty() ? "" : ", ") + items::kItemCaptions[i];
    return names;
}

// A backup of Outlook 2013 or later cannot go into an older Outlook: its
// profile would land where that Outlook does not look, with accounts and
// options it cannot read. Empty when it can be restored here.
std::string tooNewFor(const app::Session& s, const OpenedBackup& backup) {
    const std::string made = backup.value("Outlookversion");
    if (!app::ModernProfiles(app::VersionOfDisplayName(made)) || app::ModernProfiles(s.state.OutlookVersion)) return {};
    const std::string& here = s.state.OutlookName;
    const bool known = !app::VersionOfDisplayName(here).empty();
    return text::kNewerBackupBefore + made + text::kNewerBackupMiddle + (known ? here : text::kThisOutlook) +
           text::kNewerBackupAfter;
}

}  // namespace

bool ResolveTargetProfile(const app::Session& s, const std::string& typed, std::string& listed, Refusal& refusal) {
    const auto found = app::ListedProfile(s, typed);
    if (!found) return refuse(refusal, app::NotListedText(s, typed), app::Icon::Critical, true);
    listed = *found;
    return true;
}

bool BuildRestoreRequest(app::Session& s, const OpenedBackup* backup, const RestoreChoices& choices,
                         RestoreRequest& request, Refusal& refusal) {
    using app::Icon;
    RestoreRequest made;
    made.kind = choices.kind;
    made.targetProfile = choices.targetProfile;
    if (!backup || !backup->loaded()) return refuse(refusal, text::kNoBackupLoaded, Icon::Critical);
    const items::ItemSelection held = backup->heldItems();
    made.items = choices.items.value_or(held);
    if (const std::string refused = tooNewFor(s, *backup); !refused.empty())
        return refuse(refusal, refused, Icon::Exclamation, true);

    if (choices.kind == RunKind::Window) {
        if (!items::anySelected(made.items)) return refuse(refusal, text::kSelectOne, Icon::Exclamation);
    } else {
        std::string listed;
        const std::string typed = choices.targetProfile ? choices.targetProfile() : std::string();
        if (!ResolveTargetProfile(s, typed, listed, refusal)) return false;
        made.targetProfile = [listed] { return listed; };
        if (const std::string missing = missingItems(made.items, held); !missing.empty())
            return refuse(refusal, "the backup file does not hold " + missing, Icon::Critical, true);
        if (!items::anySelected(made.items)) return refuse(refusal, text::kSelectOne, Icon::Exclamation);
    }
    request = made;
    return true;
}

}  // namespace qm::jobs
