#pragma once
// What a backup is asked to do, built from a front end's choices by one
// builder that makes every check, in order, with its text.
#include <optional>
#include <string>

#include "app/Session.h"
#include "items/ItemTable.h"
#include "jobs/AutomaticArguments.h"
#include "jobs/KeepPolicy.h"
#include "jobs/Refusal.h"

namespace qm::jobs {

// Who asks: the checks and the care of a run depend on it.
enum class RunKind {
    Window,     // a user at the main window
    Console,    // a command line (a script, a terminal)
    Scheduled,  // the argument text of a scheduled job
};

struct BackupChoices {
    RunKind kind = RunKind::Window;
    // Core text (the installation's code page).
    std::string profile;
    items::ItemSelection items{};
    // The backup file as chosen or typed: a Windows or a host path; empty
    // when none was chosen.
    std::string target;
    std::string description;
    bool protect = false;
    std::string password;
    // The window's retyped password.
    std::string password2;
    // How many earlier versions are kept beside the backup file.
    KeepPolicy keep{};
};

// A chosen backup file (a host or a Windows path, UTF-8) with ".qmk" added
// when its name has no extension, so that the restore's dialog finds it.
std::string WithBackupExtension(const std::string& path);

// The choices of the argument text a scheduled job starts the program with.
BackupChoices ScheduledChoices(const AutomaticSettings& settings, const KeepPolicy& keep = {});

struct BackupRequest {
    RunKind kind = RunKind::Window;
    // As the installation spells it, for console and scheduled runs.
    std::string profile;
    items::ItemSelection items{};
    // Windows path of the archive; an archive already there is replaced
    // only by a complete new one.
    std::string archivePath;
    // Stored as "BackupInformation"; line breaks are encoded.
    std::string description;
    // Empty: the archive is not protected.
    std::string password;
    // Earlier versions kept beside the archive (see Versions.h).
    KeepPolicy keep{};
    // A console or scheduled run: a step that fails ends the run with
    // nothing written, and an archive holding none of the selected parts is
    // not written (a scheduled job must not replace the last good backup
    // with it). A window's run passes over a failing step and reports per
    // part.
    bool unattended = false;
    // What the installation holds of each item for the profile (console and
    // scheduled runs), to tell why a part found nothing.
    std::optional<items::ItemAvailability> available;
};

// The window's checks in the backup run's order (target, selection,
// passwords); the console's (target, selection); then, for console and
// scheduled runs, that the profile is one of the installation's (letter
// case ignored). A name that is no profile here (a typo, a renamed or
// deleted profile) would still save the parts that need none, and that
// small archive would replace a complete earlier one. False with the
// refusal when a check fails.
bool BuildBackupRequest(app::Session& session, const BackupChoices& choices, BackupRequest& request, Refusal& refusal);

}  // namespace qm::jobs
