#include "frontend/Summaries.h"

#include "frontend/Texts.h"

namespace qm::frontend {
namespace {

std::string withNotes(std::string text, const std::vector<std::string>& notes) {
    if (notes.empty()) return text;
    text += "\r\n";
    for (const auto& note : notes) text += "\r\n" + note;
    return text;
}

}  // namespace

std::string BackupReportText(const jobs::BackupReport& report) {
    std::string text = std::string(report.written ? text::kBackupCompleted : text::kBackupFailed) + "\t\t\t\r\n";
    for (const auto& part : items::parts()) {
        const jobs::PartResult& r = report.parts[positionOf(part.part) - 1];
        if (!r.ran || part.backupLabel == nullptr) continue;
        const bool ok = report.written && r.ok;
        text += std::string("\r\n") + part.backupLabel + part.backupSeparator + (ok ? text::kSucceeded : text::kFail) +
                "\t";
    }
    return withNotes(text, report.notes);
}

std::string RestoreSummaryText(const jobs::RestoreReport& report) {
    std::string text = std::string(text::kRestoreCompleted) + "\t\t\t\r\n";
    for (const auto& part : items::parts()) {
        const jobs::PartResult& r = report.parts[positionOf(part.part) - 1];
        if (r.ran && part.restoreLabel)
            text += std::string("\r\n") + part.restoreLabel + part.restoreTabs +
                    (r.ok ? text::kSucceeded : text::kFail) + "\t";
    }
    return withNotes(text, report.notes);
}

std::string InstallationText(const app::Session& s) {
    const app::ApplicationState& st = s.state;
    std::string text = st.OutlookName.empty() ? std::string(text::kNoOutlookFound) : st.OutlookName;
    if (!st.OutlookVersion.empty() && !st.OutlookName.empty()) text += " (" + st.OutlookVersion + ")";
    if (st.NewOutlook) text += std::string("\r\n") + text::kNewOutlookNote;
    return text;
}

std::string BackupFactsText(const jobs::OpenedBackup& opened) {
    return std::string(text::kFactComputer) + opened.value("BackupComputer") + "\r\n" + text::kFactUser +
           opened.value("BackupLogonUser") + "\r\n" + text::kFactTime + opened.value("BackupTime") + "\r\n" +
           text::kFactProfile + opened.value("BackupIdentity") + "\r\n" + text::kFactVersion +
           opened.value("Outlookversion");
}

}  // namespace qm::frontend
