#include "jobs/BackupRequest.h"

#include "app/Environment.h"
#include "jobs/Texts.h"

namespace qm::jobs {
namespace {

bool refuse(Refusal& refusal, const std::string& text, app::Icon icon, bool runFailed = false) {
    refusal = Refusal{text, icon, runFailed};
    return false;
}

}  // namespace

std::string WithBackupExtension(const std::string& path) {
    // The name after the last separator of either kind; UTF-8 never has "/"
    // or "\" inside a character.
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) return path;
    return path + text::kBackupExtension;
}

BackupChoices ScheduledChoices(const AutomaticSettings& settings, const KeepPolicy& keep) {
    BackupChoices choices;
    choices.keep = keep;
    choices.kind = RunKind::Scheduled;
    choices.profile = settings.profile;
    choices.items = items::selectionFromDigits(settings.selection);
    choices.target = settings.archivePath;
    choices.description = text::kAutomaticBackup;
    choices.protect = !settings.password.empty();
    choices.password = choices.password2 = settings.password;
    return choices;
}

bool BuildBackupRequest(app::Session& s, const BackupChoices& choices, BackupRequest& request, Refusal& refusal) {
    using app::Icon;
    BackupRequest made;
    made.kind = choices.kind;
    made.profile = choices.profile;
    made.items = choices.items;
    made.description = choices.description;
    made.keep = choices.keep;
    made.unattended = choices.kind != RunKind::Window;

    switch (choices.kind) {
        case RunKind::Window:
            if (choices.target.empty()) return refuse(refusal, text::kInvalidTarget, Icon::Exclamation);
            if (!items::anySelected(choices.items)) return refuse(refusal, text::kSelectOne, Icon::Exclamation);
            if (choices.protect && choices.password.empty() && choices.password2.empty())
                return refuse(refusal, text::kEnterPassword, Icon::Critical);
            if (choices.protect && choices.password != choices.password2)
                return refuse(refusal, text::kPasswordsDiffer, Icon::Critical);
            made.archivePath = s.files.fromUserPath(choices.target);
            break;
        case RunKind::Console:
            made.archivePath = s.files.fromUserPath(choices.target);
            if (made.archivePath.empty()) return refuse(refusal, text::kInvalidTarget, Icon::Exclamation);
            if (!items::anySelected(choices.items)) return refuse(refusal, text::kSelectOne, Icon::Exclamation);
            break;
        case RunKind::Scheduled:
            // Nothing selected goes on: the run stores nothing, says so, and
            // keeps the earlier backup.
            if (choices.profile.empty() || choices.target.empty())
                return refuse(refusal, kCommandLineEmptyValue, Icon::Critical, true);
            made.archivePath = s.files.fromUserPath(choices.target);
            if (made.archivePath.empty())
                return refuse(refusal, "the backup file path " + choices.target + " cannot be used", Icon::Critical,
                              true);
            break;
    }
    if (choices.protect) made.password = choices.password;

    if (made.unattended) {
        const auto listed = app::ListedProfile(s, choices.profile);
        if (!listed) return refuse(refusal, app::NotListedText(s, choices.profile), Icon::Critical, true);
        made.profile = *listed;
        made.available = items::availableItems(s, made.profile);
    }
    request = made;
    return true;
}

}  // namespace qm::jobs
