#include "items/Parts.h"

#include <algorithm>

#include "items/Items.h"

namespace qm::items {
namespace {

constexpr std::array<bool, kItemCount> items(std::initializer_list<int> indices) {
    std::array<bool, kItemCount> a{};
    for (int i : indices) a[static_cast<std::size_t>(i)] = true;
    return a;
}

// clang-format off
const std::array<PartInfo, kPartCount> kParts = {{
    {Part::Config, "BackupConfig", "profile configuration", items({0, 1, 4}), -1, "Copying Config...",  //
     nullptr, "", 0, 0, nullptr, "", {0, -1},                                   //
     [](Items& it, const std::string& p) { return it.BackupConfig(p); },
     [](Items& it, const std::string& p) { return it.RestoreConfig(p); }},
    {Part::Datas, "BackupDatas", "personal folders (data files)", items({0}), 0, "Copying Data Files (Pst Files)...",  //
     "Backup Personal Folders", "\t\t", 15, 5, "Restore Personal Folders", "\t\t", {10, -1},
     [](Items& it, const std::string& p) { return it.BackupDatas(p); },
     [](Items& it, const std::string& p) { return it.RestoreDatas(p); }},
    {Part::Rules, "BackupRules", "rules", items({0}), -1, "Copying Rules...",  //
     nullptr, "", 10, 0, nullptr, "", {10, 15},                        //
     [](Items& it, const std::string& p) { return it.BackupRules(p); },
     [](Items& it, const std::string& p) { return it.RestoreRules(p); }},
    {Part::Accounts, "BackupAccounts", "accounts settings", items({1}), 1, "Copying Accounts...",  //
     "Backup Accounts Settings", "\t", 20, 0, "Restore Accounts Settings", "\t\t", {10, -1},
     [](Items& it, const std::string& p) { return it.BackupAccounts(p); },
     [](Items& it, const std::string& p) { return it.RestoreAccounts(p); }},
    {Part::Signatures, "BackupSignatures", "signatures", items({2}), 2, "Copying Signatures...",  //
     "Backup Signatures", "\t\t", 10, 0, "Restore Signatures", "\t\t\t", {10, -1},
     [](Items& it, const std::string&) { return it.BackupSignatures(); },
     [](Items& it, const std::string&) { return it.RestoreSignatures(); }},
    {Part::Stationery, "BackupStationery", "stationeries", items({3}), 3, "Copying Stationeries...",  //
     "Backup Stationeries", "\t\t", 10, 0, "Restore Stationeries", "\t\t\t", {5, -1},
     [](Items& it, const std::string&) { return it.BackupStationery(); },
     [](Items& it, const std::string&) { return it.RestoreStationery(); }},
    {Part::Pab, "BackupPab", "personal address book", items({4}), 4, "Copying Address Book...",  //
     "Backup Personal Address Book", "\t\t", 5, 0, "Restore Personal Address Book", "\t\t", {5, -1},
     [](Items& it, const std::string& p) { return it.BackupPab(p); },
     [](Items& it, const std::string& p) { return it.RestorePab(p); }},
    {Part::Configsetting, "BackupConfigsetting", "options settings", items({5}), 5, "Copying Options...",  //
     "Backup Options Settings", "\t\t", 5, 0, "Restore Options Settings", "\t\t", {5, -1},
     [](Items& it, const std::string&) { return it.BackupConfigsetting(); },
     [](Items& it, const std::string&) { return it.RestoreConfigsetting(); }},
    {Part::Templates, "BackupTemplates", "templates", items({6}), 6, "Copying Templates...",  //
     "Backup Templates", "\t\t", 5, 0, "Restore Templates", "\t\t\t", {5, -1},
     [](Items& it, const std::string&) { return it.BackupTemplates(); },
     [](Items& it, const std::string&) { return it.RestoreTemplates(); }},
    {Part::Setting, "BackupSetting", "preferences", items({7}), 7, "Copying Setting...",  //
     "Backup Preferences", "\t\t", 0, 0, "Restore Preferences", "\t\t\t", {-1, -1},
     [](Items& it, const std::string&) { return it.BackupSetting(); },
     [](Items& it, const std::string&) { return it.RestoreSetting(); }},
}};
// clang-format on

}  // namespace

PartOutcome Items::backup(const PartInfo& part, const std::string& profile) { return outcomeOf(part.backup(*this, profile)); }

PartOutcome Items::restore(const PartInfo& part, const std::string& profile) {
    return outcomeOf(part.restore(*this, profile));
}

PartOutcome Items::outcomeOf(bool ok) {
    PartOutcome outcome;
    outcome.ok = ok;
    outcome.absent = !ok && c_.absent;
    outcome.notes = std::move(c_.notes);
    c_.notes.clear();
    c_.absent = false;
    // Only a failure needs its reasons.
    if (!ok)
        for (const auto& problem : c_.problems) outcome.reason += (outcome.reason.empty() ? "" : "; ") + problem;
    outcome.warnings = std::move(c_.warnings);
    c_.problems.clear();
    c_.warnings.clear();
    outcome.dataFiles = std::move(seen_);
    seen_.clear();
    return outcome;
}

const std::array<PartInfo, kPartCount>& parts() { return kParts; }

const PartInfo& partInfo(Part part) { return kParts[static_cast<std::size_t>(part)]; }

std::size_t positionOf(Part part) { return static_cast<std::size_t>(part) + 1; }

bool runs(const PartInfo& part, const ItemSelection& selection) {
    for (std::size_t i = 0; i < kItemCount; ++i)
        if (part.selectedBy[i] && selection[i]) return true;
    return false;
}

ItemSelection restorableItems(const std::string& flags) {
    ItemSelection held{};
    for (const auto& part : kParts) {
        const std::size_t i = positionOf(part.part) - 1;
        if (part.restoreBox >= 0 && i < flags.size() && flags[i] == '1')
            held[static_cast<std::size_t>(part.restoreBox)] = true;
    }
    return held;
}

}  // namespace qm::items
