// A backup file's entries and the facts of its information file.
#include "app/ViewText.h"
#include "archive/InfoFile.h"
#include "cli/Commands.h"
#include "cli/Installation.h"
#include "cli/Output.h"
#include "jobs/OpenBackup.h"
#include "runs/ExitStatus.h"
#include "runs/Texts.h"

namespace qm::cli {

int runList(const Arguments& args) {
    Installation installation;
    if (!installation.open(args.wine, false)) return runs::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);
    const std::string& file = args.file;

    jobs::JobEvents quiet;
    const auto opened = jobs::OpenBackupJob(s, s.files.fromUserPath(ui.typed(file)),
                                            ui.typed(args.password.value_or("")), quiet);
    // Every entry is read to its end, so that a file that lists well but
    // would not restore is not called valid.
    std::vector<std::string> damaged;
    if (opened.isArchive && opened.outcome != jobs::OpenOutcome::WrongPassword)
        damaged = jobs::TestOpenedBackup(s, quiet);
    s.zip1.ResetArchive();
    if (!opened.isArchive) {
        message(file + ": not a backup file that can be opened (" + runs::text::kInvalidBackup + ")");
        return runs::kExitFailed;
    }
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        message(file + ": " + runs::text::kWrongPassword + (args.password.value_or("").empty() ? " (it is protected: give --password)" : ""));
        return runs::kExitFailed;
    }
    std::string listing = "Backup file: " + file + (opened.isProtected ? " (password protected)" : "") + "\n";
    listing += "Entries (" + std::to_string(opened.entries.size()) + "):";
    for (const auto& name : opened.entries) listing += "\n  " + ui.shown(name);
    // Named right after the entries, before the information file is judged.
    for (const auto& name : damaged) message(file + ": damaged entry: " + ui.shown(name));
    if (!opened.hasInfoFile) {
        result(listing);
        message(file + ": " + (opened.infoFileError.empty() ? "no information file" : ui.shown(opened.infoFileError)) +
                ": " + runs::text::kInvalidBackup);
        return runs::kExitFailed;
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
        return runs::kExitFailed;
    }
    if (opened.outcome != jobs::OpenOutcome::Opened) {
        message(file + ": " + runs::text::kInvalidBackup);
        return runs::kExitFailed;
    }
    return runs::kExitDone;
}

}  // namespace qm::cli
