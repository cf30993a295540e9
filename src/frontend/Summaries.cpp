#include "frontend/Summaries.h"

#include "frontend/Texts.h"
#include "items/Parts.h"

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

std::string OutlookText(const app::Session& s) {
    const app::ApplicationState& st = s.state;
    std::string text = st.OutlookName.empty() ? std::string(text::kNoOutlookFound) : st.OutlookName;
    if (!st.OutlookVersion.empty() && !st.OutlookName.empty()) text += " (" + st.OutlookVersion + ")";
    if (st.NewOutlook) text += std::string("\r\n") + text::kNewOutlookNote;
    return text;
}

std::vector<std::string> FailedPartTexts(const std::array<jobs::PartResult, items::kPartCount>& parts, bool backup,
                                         const items::ItemAvailability* available) {
    std::vector<std::string> texts;
    for (const auto& part : items::parts()) {
        const jobs::PartResult& r = parts[items::positionOf(part.part) - 1];
        if (!r.ran || r.ok) continue;
        std::string reason = r.reason;
        if (reason.empty() && available && part.restoreBox >= 0) {
            const std::size_t item = static_cast<std::size_t>(part.restoreBox);
            if (part.part == items::Part::Pab && available->noAddressBook)
                reason = items::kNoPabTooltip;
            else if (!available->enabled[item])
                reason = text::kHoldsNothingOfIt;
        }
        texts.push_back(text::kFailedPart + std::string(part.name) +
                        (backup ? text::kCouldNotBeBackedUp : text::kCouldNotBeRestored) +
                        (reason.empty() ? "" : ": " + reason));
    }
    return texts;
}

std::string AllEntriesWholeText(std::size_t count) {
    return "All " + std::to_string(count) + " entries read back whole.";
}

std::vector<std::string> ListingVerdict(const jobs::BackupListing& listing, bool& whole) {
    const jobs::OpenedBackup& opened = listing.opened;
    std::vector<std::string> lines;
    for (const auto& name : listing.damaged) lines.push_back(text::kDamagedEntry + name);
    whole = listing.damaged.empty() && !listing.cancelled && opened.outcome == jobs::OpenOutcome::Opened;
    if (!listing.damaged.empty())
        lines.push_back(std::to_string(listing.damaged.size()) + " of " + std::to_string(opened.entries.size()) +
                        " entries do not read back whole");
    else if (whole)
        lines.push_back(AllEntriesWholeText(opened.entries.size()));
    return lines;
}

std::vector<std::vector<std::string>> TextColumns(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::size_t at = 0;
        while (at < line.size()) {
            const std::size_t tab = line.find('\t', at);
            cells.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
            if (tab == std::string::npos) break;
            at = line.find_first_not_of('\t', tab);
            if (at == std::string::npos) break;
        }
        rows.push_back(cells);
        if (end == text.size()) break;
        start = end + 1;
    }
    return rows;
}

std::string BackupFactsText(const jobs::OpenedBackup& opened) {
    return std::string(text::kFactComputer) + opened.value("BackupComputer") + "\r\n" + text::kFactUser +
           opened.value("BackupLogonUser") + "\r\n" + text::kFactTime + opened.value("BackupTime") + "\r\n" +
           text::kFactProfile + opened.value("BackupIdentity") + "\r\n" + text::kFactVersion +
           opened.value("Outlookversion");
}

}  // namespace qm::frontend
