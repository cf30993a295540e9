// --restore: the opening of a backup file and the restore run of the
// window, with their checks and texts. The action button's question is
// asked on the terminal; a script says --yes.
#include "app/Environment.h"
#include "app/ViewText.h"
#include "cli/Commands.h"
#include "cli/Installation.h"
#include "cli/Output.h"
#include "cli/PartReport.h"
#include "cli/ProgressLine.h"
#include "cli/Prompts.h"
#include "jobs/OpenBackup.h"
#include "jobs/RestoreJob.h"
#include "options/OptionsTexts.h"
#include "platform/Terminal.h"
#include "runs/ExitStatus.h"
#include "runs/Summaries.h"
#include "runs/Texts.h"
#include "runs/ViewEvents.h"

namespace qm::cli {
namespace {

const char* const kNothingRestored = "nothing was restored: ";

// The facts, then the description under its label.
std::string factsAndDescription(const app::ViewText& ui, const jobs::OpenedBackup& opened) {
    std::string text = ui.shown(runs::BackupFactsText(opened)) + "\nDescription:";
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

// The chosen items the backup does not hold, by caption; empty when it
// holds them all.
std::string missingItems(const items::ItemSelection& chosen, const items::ItemSelection& held) {
    std::string names;
    for (std::size_t i = 0; i < chosen.size(); ++i)
        if (chosen[i] && !held[i]) names += std::string(names.empty() ? "" : ", ") + options::kItemCaptions[i];
    return names;
}

}  // namespace

int runRestore(const Arguments& args) {
    const bool terminal = platform::inputIsTerminal();
    if (!args.yes && !terminal) {
        message("a restore replaces what the profile holds and asks first, but there is no terminal to ask on: "
                "give --yes to restore without asking (see --help)");
        return runs::kExitUsage;
    }
    Installation installation;
    if (!installation.open(args.wine, true)) return runs::kExitFailed;
    app::Session& s = installation.session();
    const app::ViewText ui(s.codePage);

    const auto profile = app::ListedProfile(s, ui.typed(args.profile));
    if (!profile) {
        message(kNothingRestored + ui.shown(app::NotListedText(s, ui.typed(args.profile))));
        return runs::kExitFailed;
    }

    const std::string file = s.files.fromUserPath(ui.typed(args.file));
    // A prompt that is cancelled tries the password there was: none.
    std::string password = ui.typed(args.password.value_or(""));
    if (!args.password && terminal && jobs::IsBackupProtected(s, file))
        if (auto typed = askPassword(runs::text::kPasswordLabel)) password = ui.typed(*typed);
    s.state.RestorePassword = password;

    jobs::JobEvents quiet;
    const jobs::OpenedBackup opened = jobs::OpenBackupJob(s, file, password, quiet);
    if (opened.outcome == jobs::OpenOutcome::WrongPassword) {
        message(args.file + ": " + runs::text::kWrongPassword +
                (password.empty() ? " (it is protected: give --password)" : ""));
        return runs::kExitFailed;
    }
    jobs::KeepOpenedBackup(s, opened);
    if (opened.outcome != jobs::OpenOutcome::Opened) {
        message(args.file + ": " + runs::text::kInvalidBackup +
                (opened.infoFileError.empty() ? "" : " (" + ui.shown(opened.infoFileError) + ")"));
        return runs::kExitFailed;
    }
    result(factsAndDescription(ui, opened));

    const items::ItemSelection held = items::restorableItems(opened.flags);
    const items::ItemSelection chosen = args.items ? items::selectionFromDigits(*args.items) : held;
    if (const std::string missing = missingItems(chosen, held); !missing.empty()) {
        message(kNothingRestored + std::string("the backup file does not hold ") + missing);
        return runs::kExitFailed;
    }
    if (!items::anySelected(chosen)) {
        message(runs::text::kSelectOne);
        return runs::kExitFailed;
    }
    if (!args.yes && !confirm(ui.shown(runs::text::kRestoreConfirm))) {
        message(kNothingRestored + std::string("not confirmed"));
        return runs::kExitFailed;
    }

    jobs::RestoreSettings settings;
    settings.items = chosen;
    settings.targetProfile = [&] { return *profile; };
    settings.profileTyped = true;
    jobs::RestoreReport report;
    {
        ProgressLine progress(platform::errorIsTerminal());
        progress.setStatus(runs::text::kPleaseWaiting);
        runs::detail::advance(progress, 10);
        runs::detail::ViewEvents events(s, progress, runs::detail::ViewEvents::Steps::Restore);
        report = jobs::RunRestoreJob(s, settings, events);
    }
    for (const auto& notice : report.notices) message(ui.shown(notice));
    if (!report.failure.empty()) {
        message(kNothingRestored + ui.shown(report.failure));
        return runs::ExitStatusOf(report);
    }
    result(ui.shown(runs::RestoreSummaryText(report)));
    reportFailedParts(report.parts, RunKind::Restore);
    return runs::ExitStatusOf(report);
}

}  // namespace qm::cli
