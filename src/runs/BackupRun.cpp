// The interactive backup: "Backup Now" on the backup tab or in the menu.
#include "base/WinPath.h"
#include "jobs/BackupJob.h"
#include "runs/Runs.h"
#include "runs/Summaries.h"
#include "runs/Texts.h"
#include "runs/ViewEvents.h"

namespace qm::runs {

using app::Buttons;
using app::Icon;

namespace {

bool checksPass(app::Session& s, app::MainView& view, items::ItemSelection& selection) {
    if (s.state.TargetArchivePath.empty()) {
        view.showMessage(text::kInvalidTarget, Icon::Exclamation, Buttons::Ok);
        return false;
    }
    for (int i = 0; i < 8; ++i) selection[static_cast<std::size_t>(i)] = view.backupItemChecked(i);
    if (!items::anySelected(selection)) {
        view.showMessage(text::kSelectOne, Icon::Exclamation, Buttons::Ok);
        return false;
    }
    if (view.protectChecked()) {
        const std::string first = view.password();
        const std::string second = view.password2();
        if (first.empty() && second.empty()) {
            view.showMessage(text::kEnterPassword, Icon::Critical, Buttons::Ok);
            return false;
        }
        if (first != second) {
            view.showMessage(text::kPasswordsDiffer, Icon::Critical, Buttons::Ok);
            return false;
        }
    }
    return true;
}

}  // namespace

void RunBackup(app::Session& s, app::MainView& view) {
    items::ItemSelection selection{};
    if (!checksPass(s, view, selection)) return;
    app::RunGuard guard(s);
    if (!guard.acquired()) return;

    const app::ViewText ui(s.codePage);
    auto& st = s.state;
    // An archive already at the target stays untouched until the new one
    // is complete and replaces it.
    view.setHourglass(true);
    st.BackupPassword = ui.typed(view.password());
    view.showBusy(true);
    view.yield();

    jobs::BackupSettings settings;
    settings.profile = ui.typed(view.sourceProfile());
    settings.items = selection;
    settings.archivePath = s.files.fromUserPath(st.TargetArchivePath);
    settings.description = ui.typed(view.description());
    if (view.protectChecked()) settings.password = st.BackupPassword;
    detail::ViewEvents events(s, view, detail::ViewEvents::Steps::Backup);
    const jobs::BackupReport report = jobs::RunBackupJob(s, settings, events);
    view.yield();

    view.setProgress(view.progressMaximum());
    view.setHourglass(false);
    st.ArchiveWritten = false;
    view.setFileLine("");
    view.setPercentLine("");
    view.showBusy(false);
    view.setProgress(view.progressMinimum());
    detail::showNotices(view, ui, report.notices);

    std::string message = BackupReportText(report);
    if (!report.inUseWarning.empty()) message += "\r\n\r\n" + ui.shown(report.inUseWarning);
    if (!report.written) {
        // Nothing was backed up: say so, and there is nothing to put on a disc.
        view.showMessage(report.archiveError.empty() ? message : message + "\r\n\r\n" + ui.shown(report.archiveError),
                         Icon::Critical, Buttons::Ok);
        return;
    }

    // Stored, but the user should know before relying on them.
    std::string warnings;
    for (const auto& w : report.warnings) warnings += "\r\n" + ui.shown(w);
    if (!warnings.empty()) warnings = "\r\n" + warnings;
    view.showMessage(message + warnings, Icon::Information, Buttons::Ok);
    if (view.showMessage(text::kDiscOffer, Icon::Information, Buttons::OkCancel) == app::Answer::Ok) {
        st.DiscFileTitle = base::bareName(st.TargetArchivePath, s.leads());
        st.DiscFilePath = st.TargetArchivePath;
        view.showDiscWindow(ui.shown(st.DiscFileTitle), ui.shown(st.DiscFilePath));
        st.DiscFileTitle.clear();
        st.DiscFilePath.clear();
    }
}

}  // namespace qm::runs
