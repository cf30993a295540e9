// A backup file's entries and the facts of its information file.
#include "app/ViewText.h"
#include "archive/InfoFile.h"
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "frontend/ExitStatus.h"
#include "frontend/Texts.h"
#include "jobs/OpenBackup.h"

namespace qm::cli {

int runList(const Arguments& args) {
    frontend::Installation installation;
    if (!openInstallation(args, false, installation)) return frontend::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);
    const std::string& file = args.file;

    jobs::JobEvents quiet;
    const jobs::BackupListing listed =
        jobs::ListBackupJob(s, s.files.fromUserPath(ui.typed(file)), ui.typed(args.password.value_or("")), quiet);
    if (!listed.lockFailure.empty()) {
        message(file + ": not read: " + ui.shown(listed.lockFailure));
        return frontend::kExitFailed;
    }
    const jobs::OpenedBackup& opened = listed.opened;
    const std::vector<std::string>& damaged = listed.damaged;
    if (!opened.isArchive) {
        message(file + ": not a backup file that can be opened (" + frontend::text::kInvalidBackup + ")");
        return frontend::kExitFailed;
    }
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        message(file + ": " + frontend::text::kWrongPassword +
                (args.password.value_or("").empty() ? " (it is protected: give --password)" : ""));
        return frontend::kExitFailed;
    }
    std::string listing = "Backup file: " + file + (opened.isProtected ? " (password protected)" : "") + "\n";
    listing += "Entries (" + std::to_string(opened.entries.size()) + "):";
    for (const auto& name : opened.entries) listing += "\n  " + ui.shown(name);
    // Named right after the entries, before the information file is judged.
    for (const auto& name : damaged) message(file + ": damaged entry: " + ui.shown(name));
    if (!opened.hasInfoFile) {
        result(listing);
        message(file + ": " + (opened.infoFileError.empty() ? "no information file" : ui.shown(opened.infoFileError)) +
                ": " + frontend::text::kInvalidBackup);
        return frontend::kExitFailed;
    }
    listing += "\nInformation file:";
    for (const auto& [key, value] : opened.lines) {
        const bool description = s.codePage.equalsIgnoreCase(key, "BackupInformation");
        // A description of several lines: the later ones indented under the first.
        std::string shown;
        for (char c : withLineFeeds(ui.shown(description ? archive::DecodeLineBreaks(value) : value))) {
            shown += c;
            if (c == '\n') shown += "      ";
        }
        listing += "\n  " + ui.shown(key) + "=" + shown;
    }
    if (damaged.empty() && opened.outcome == jobs::OpenOutcome::Opened)
        listing += "\nAll " + std::to_string(opened.entries.size()) + " entries read back whole.";
    result(listing);
    if (!damaged.empty()) {
        message(file + ": " + std::to_string(damaged.size()) + " of " + std::to_string(opened.entries.size()) +
                " entries do not read back whole");
        return frontend::kExitFailed;
    }
    if (opened.outcome != jobs::OpenOutcome::Opened) {
        message(file + ": " + frontend::text::kInvalidBackup);
        return frontend::kExitFailed;
    }
    return frontend::kExitDone;
}

}  // namespace qm::cli
