#pragma once
// What a restore is asked to do, built from a front end's choices by one
// builder that makes every check, in order, with its text.
#include <functional>
#include <optional>
#include <string>

#include "app/Session.h"
#include "items/ItemTable.h"
#include "jobs/BackupRequest.h"
#include "jobs/OpenBackup.h"
#include "jobs/Refusal.h"

namespace qm::jobs {

struct RestoreChoices {
    RunKind kind = RunKind::Window;
    // The items asked for; a console that names none takes every item the
    // backup holds.
    std::optional<items::ItemSelection> items;
    // The profile to restore into, asked anew before every step that takes
    // one (a window's box may change meanwhile). A console's is typed: it
    // must be one of the installation's (letter case ignored), or nothing
    // is restored; a typo would otherwise make a new profile out of the
    // backup's.
    std::function<std::string()> targetProfile;
};

struct RestoreRequest {
    RunKind kind = RunKind::Window;
    items::ItemSelection items{};
    std::function<std::string()> targetProfile;
};

// A typed profile as the installation spells it; false with the refusal
// when it is none of its profiles. A console checks this before it opens
// the backup; the builder checks it again.
bool ResolveTargetProfile(const app::Session& session, const std::string& typed, std::string& listed, Refusal& refusal);

// The window's checks (a backup loaded, one of Outlook 2013 or later only
// into such an Outlook, an item checked); the console's (the same backup
// checks, the profile, the backup holds every item asked for, an item asked
// for).
bool BuildRestoreRequest(app::Session& session, const OpenedBackup* backup, const RestoreChoices& choices,
                         RestoreRequest& request, Refusal& refusal);

}  // namespace qm::jobs
