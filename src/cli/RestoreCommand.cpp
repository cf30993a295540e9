// --restore: the opening of a backup file and the restore run of the
// window, with their checks and texts. The action button's question is
// asked on the terminal; a script says --yes.
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/OpenInstallation.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "cli/ProgressLine.h"
#include "cli/Prompts.h"
#include "frontend/ExitStatus.h"
#include "frontend/ProgressEvents.h"
#include "frontend/Summaries.h"
#include "frontend/Texts.h"
#include "jobs/OpenBackup.h"
#include "jobs/RestoreJob.h"
#include "jobs/RestoreRequest.h"
#include "platform/Terminal.h"

namespace qm::cli {
namespace {

const char* const kNothingRestored = "nothing was restored: ";

// The facts, then the description under its label.
std::string factsAndDescription(const app::ViewText& ui, const jobs::OpenedBackup& opened) {
    std::string text = ui.shown(frontend::BackupFactsText(opened)) + "\nDescription:";
    const std::string description = withLineFeeds(ui.shown(opened.description));
    std::size_t start = 0;
    while (start <= description.size() && !description.empty()) {
        const std::size_t end = description.find('\n', start);
        text += "\n  " + description.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return text;
}

int refused(const app::ViewText& ui, const jobs::Refusal& refusal) {
    message((refusal.runFailed ? kNothingRestored : "") + ui.shown(refusal.text));
    return frontend::kExitFailed;
}

}  // namespace

int runRestore(const Arguments& args) {
    const bool terminal = platform::inputIsTerminal();
    if (!args.yes && !terminal) {
        message("a restore replaces what the profile holds and asks first, but there is no terminal to ask on: "
                "give --yes to restore without asking (see --help)");
        return frontend::kExitUsage;
    }
    frontend::Installation installation;
    if (!openInstallation(args, true, installation)) return frontend::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    // Before the backup is opened: a profile that is not here needs no
    // password asked.
    std::string profile;
    jobs::Refusal refusal;
    if (!jobs::ResolveTargetProfile(s, ui.typed(args.profile), profile, refusal)) return refused(ui, refusal);

    const std::string file = s.files.fromUserPath(ui.typed(args.file));
    // A prompt that is cancelled tries the password there was: none.
    std::string password = ui.typed(args.password.value_or(""));
    if (!args.password && terminal && jobs::IsBackupProtected(s, file))
        if (auto typed = askPassword(frontend::text::kPasswordLabel)) password = ui.typed(*typed);

    jobs::JobEvents quiet;
    const jobs::OpenedBackup opened = jobs::OpenBackupJob(s, file, password, quiet);
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        message(args.file + ": " + frontend::text::kWrongPassword +
                (password.empty() ? " (it is protected: give --password)" : ""));
        return frontend::kExitFailed;
    }
    if (opened.outcome != jobs::OpenOutcome::Opened) {
        message(args.file + ": " + frontend::text::kInvalidBackup +
                (opened.infoFileError.empty() ? "" : " (" + ui.shown(opened.infoFileError) + ")"));
        return frontend::kExitFailed;
    }
    result(factsAndDescription(ui, opened));

    jobs::RestoreChoices choices;
    choices.kind = jobs::RunKind::Console;
    if (args.items) choices.items = items::selectionFromDigits(*args.items);
    choices.targetProfile = [&profile] { return profile; };
    jobs::RestoreRequest request;
    if (!jobs::BuildRestoreRequest(s, &opened, choices, request, refusal)) return refused(ui, refusal);
    if (!args.yes && !confirm(ui.shown(frontend::text::kRestoreConfirm))) {
        message(kNothingRestored + std::string("not confirmed"));
        return frontend::kExitFailed;
    }

    jobs::RestoreReport report;
    {
        ProgressLine progress(platform::errorIsTerminal());
        progress.setStatus(frontend::text::kPleaseWaiting);
        frontend::advance(progress, 10);
        frontend::ProgressEvents events(s, progress, frontend::ProgressEvents::Steps::Restore);
        report = jobs::RunRestoreJob(s, opened, request, events);
    }
    for (const auto& notice : report.notices) message(ui.shown(notice));
    if (!report.failure.empty()) {
        message(kNothingRestored + ui.shown(report.failure));
        return frontend::ExitStatusOf(report);
    }
    result(ui.shown(frontend::RestoreSummaryText(report)));
    reportFailedParts(report.parts, RunKind::Restore);
    return frontend::ExitStatusOf(report);
}

}  // namespace qm::cli
