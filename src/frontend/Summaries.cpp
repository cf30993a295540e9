#include "frontend/Summaries.h"

#include "frontend/Texts.h"

namespace qm::frontend {

std::string BackupReportText(const jobs::BackupReport& report) {
    std::string text = std::string(report.written ? text::kBackupCompleted : text::kBackupFailed) + "\t\t\t\r\n";
    for (const auto& part : items::parts()) {
        const jobs::PartResult& r = report.parts[positionOf(part.part) - 1];
        if (!r.ran || part.backupLabel == nullptr) continue;
        const bool ok = report.written && r.ok;
        text += std::string("\r\n") + part.backupLabel + part.backupSeparator + (ok ? text::kSucceeded : text::kFail) +
                "\t";
    }
    return text;
}

std::string RestoreSummaryText(const jobs::RestoreReport& report) {
    std::string text = std::string(text::kRestoreCompleted) + "\t\t\t\r\n";
    for (const auto& part : items::parts()) {
        const jobs::PartResult& r = report.parts[positionOf(part.part) - 1];
        if (r.ran && part.restoreLabel)
            text += std::string("\r\n") + part.restoreLabel + part.restoreTabs +
                    (r.ok ? text::kSucceeded : text::kFail) + "\t";
    }
    return text;
}

std::string BackupFactsText(const jobs::OpenedBackup& opened) {
    return std::string(text::kFactComputer) + opened.value("BackupComputer") + "\r\n" + text::kFactUser +
           opened.value("BackupLogonUser") + "\r\n" + text::kFactTime + opened.value("BackupTime") + "\r\n" +
           text::kFactProfile + opened.value("BackupIdentity") + "\r\n" + text::kFactVersion +
           opened.value("Outlookversion");
}

}  // namespace qm::frontend
