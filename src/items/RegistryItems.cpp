// The items saved as registry text files: the profile ("Config"), the mail
// accounts and the Outlook options.
#include <vector>

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"
#include "items/ProfileStores.h"
#include "items/Texts.h"

namespace qm::items {

using namespace detail;

namespace {

// A registry export is read whole into memory by the import. A profile, its
// accounts or its options take a few hundred kilobytes, and a Wine registry
// file is read only up to 256 MiB: a backup stores no larger export, and a
// restore takes none larger out of an archive.
constexpr std::uint64_t kMaxExportBytes = 256ull << 20;

// Exports the tree into a new temporary file of the work folder, adds it
// and records its bare name under `infoKey`. The path stays in `exportFile`
// so that the run deletes the file after the archive is written.
bool backupTree(Context& c, const std::string& keyPath, const char* prefix, std::string& exportFile,
                const std::string& infoKey) {
    app::Session& s = c.s;
    if (!s.reg.KeyExists(keyPath)) return false;
    exportFile = s.sGetTempFile(prefix);
    if (exportFile.empty()) return false;
    // A cut export would be stored as a success, and a later restore would
    // replace the whole tree with the cut one.
    if (!s.reg.ExportKey(keyPath, "", exportFile)) return false;
    // What a restore would refuse is no backup of the tree.
    if (const platform::FileInfo made = s.files.stat(exportFile); made.size > kMaxExportBytes) {
        c.problems.push_back(keyPath + ": its export holds " + std::to_string(made.size) +
                             " bytes, more than a restore reads (" + std::to_string(kMaxExportBytes) + ")");
        return false;
    }
    // An export the archive did not take would be recorded but missing.
    if (!addFile(c, exportFile)) return false;
    return s.SaveINI(infoKey, base::bareName(exportFile, s.leads()));
}

bool backupTree(Context& c, const std::string& keyPath, const char* prefix, std::string& exportFile, Part part) {
    return backupTree(c, keyPath, prefix, exportFile, partInfo(part).infoKey);
}

// Imports the recorded export `value` over the tree. A target key that
// does not exist is left alone and counts as done.
bool restoreTree(Context& c, const std::string& keyPath, const std::string& value) {
    app::Session& s = c.s;
    if (!s.reg.KeyExists(keyPath)) return true;
    const std::string name = base::trimBlanks(base::cutAtZero(value));
    if (!base::staysInFolder(name, s.leads())) return false;
    const archive::ZipEntry entry = c.zip.FindEntry(value);
    std::string why;
    if (!entry.ExtractEntryTo(s.state.WorkFolder, why, kMaxExportBytes)) {
        c.problems.push_back(name + ": " + why);
        if (c.transaction) c.transaction->abort("the backup's " + name + ": " + why);
        return false;
    }
    const std::string file = base::joinPath(s.state.WorkFolder, name, s.leads());
    const bool imported = s.reg.ImportKey(keyPath, file);
    s.files.deleteFile(file);
    // In a restore's transaction a tree that cannot be put back stops it: a
    // damaged export, or a registry that refuses the change.
    if (!imported && c.transaction) {
        const std::string refused = s.reg.registry().problem();
        c.transaction->abort("the backup's " + name + " cannot be imported into " + keyPath +
                             (refused.empty() ? "" : ": " + refused));
    }
    return imported;
}

bool restoreTree(Context& c, const std::string& keyPath, Part part) {
    return restoreTree(c, keyPath, recorded(c, part));
}

// The sections of a profile that name a server mailbox's cache, saved so
// that they can be put back as they were.
struct KeptSection {
    std::string key;
    std::string file;
};
std::vector<KeptSection> keepCacheSections(Context& c, const std::string& profileKey, bool& kept) {
    app::Session& s = c.s;
    std::vector<KeptSection> sections;
    kept = true;
    for (const auto& section : s.reg.EnumSubKeys(profileKey)) {
        const std::string key = profileKey + "\\" + section;
        if (cacheFileOf(s, key).empty()) continue;
        KeptSection k{key, s.sGetTempFile("QMK")};
        sections.push_back(k);
        if (k.file.empty() || !s.reg.ExportKey(key, "", k.file)) kept = false;
    }
    return sections;
}

// The names of the accounts under a key: "Account Name", a UTF-16 binary
// for 2007 and later, a string before.
std::string accountNames(const app::Session& s, const std::string& accountsKey) {
    std::string names;
    for (const auto& account : s.reg.EnumSubKeys(accountsKey)) {
        const std::string key = accountsKey + "\\" + account;
        std::string name = s.reg.ReadUnicodeTextValue(key, "Account Name");
        if (name == registry::kError) name = base::cutAtZero(s.reg.GetStringValue(key, "Account Name"));
        name = base::trimBlanks(name);
        if (name != registry::kError && !name.empty()) names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

// Whether the opened backup was made by another Windows user or on another
// machine than this one.
bool fromElsewhere(const Context& c) {
    const app::Session& s = c.s;
    const std::string computer = recordedKey(c, "BackupComputer");
    const std::string user = recordedKey(c, "BackupLogonUser");
    return !s.codePage.equalsIgnoreCase(computer, s.state.ComputerName) ||
           !s.codePage.equalsIgnoreCase(user, s.state.LogonUser);
}

}  // namespace

bool Items::BackupConfig(const std::string& profile) {
    if (!usableKeyName(profile, s_.leads())) return false;
    return backupTree(c_, profileKey(s_, profile), "QMC", s_.state.ConfigExportFile, Part::Config);
}

bool Items::RestoreConfig(const std::string& profile) {
    if (!usableKeyName(profile, s_.leads())) return false;
    const std::string key = profileKey(s_, profile);
    if (!app::ModernProfiles(s_.state.OutlookVersion)) return restoreTree(c_, key, Part::Config);

    // Outlook 2013 and later: the target's server mailbox caches are tied to
    // this machine and profile, and stay as the target had them.
    bool kept = true;
    const std::vector<KeptSection> sections = keepCacheSections(c_, key, kept);
    bool ok = kept && restoreTree(c_, key, Part::Config);
    for (const auto& section : sections) {
        if (kept) ok = s_.reg.ImportKey(section.key, section.file) && ok;
        if (!section.file.empty()) s_.files.deleteFile(section.file);
    }
    return ok;
}

// Outlook 2007 and later keep the accounts in each profile: those of the
// profile backed up, restored into the target profile's own.
bool Items::BackupAccounts(const std::string& profile) {
    if (app::AccountsInProfile(s_.state.OutlookVersion) && !usableKeyName(profile, s_.leads())) return false;
    return backupTree(c_, app::AccountsKeyFor(s_.state.OutlookVersion, profile), "QMA", s_.state.AccountsExportFile,
                      Part::Accounts);
}

bool Items::RestoreAccounts(const std::string& profile) {
    const std::string& version = s_.state.OutlookVersion;
    if (app::AccountsInProfile(version) && !usableKeyName(profile, s_.leads())) return false;
    const bool modern = app::ModernProfiles(version);
    // The Internet Account Manager's accounts of 2003 and before would
    // replace the profile's own with entries Outlook 2013 cannot read.
    if (modern && !app::AccountsInProfile(backupVersion(c_))) {
        const std::string made = recordedKey(c_, "Outlookversion");
        c_.problems.push_back(text::kOldAccountsBefore + (made.empty() ? std::string("an unknown Outlook") : made) +
                              text::kOldAccountsMiddle + s_.state.OutlookName + text::kOldAccountsAfter);
        return false;
    }
    const std::string key = app::AccountsKeyFor(version, profile);
    const bool there = s_.reg.KeyExists(key);
    if (!restoreTree(c_, key, Part::Accounts)) return false;
    bool ok = true;
    // Restored after the data files: their delivery stores follow them.
    if (app::AccountsInProfile(version)) ok = repointDeliveryStores(s_, profileKey(s_, profile));
    if (modern && there && fromElsewhere(c_)) {
        const std::string names = accountNames(s_, key);
        note(c_, (names.empty() ? std::string(text::kAccountsPasswords) : text::kPasswordsBefore + names) +
                     text::kPasswordsAfter + recordedKey(c_, "BackupLogonUser") + " on " +
                     recordedKey(c_, "BackupComputer") + text::kPasswordsEnd);
    }
    return ok;
}

bool Items::BackupConfigsetting() {
    s_.state.MoreOptionsExportFiles.clear();
    if (!backupTree(c_, s_.state.OptionsKey, "QMC", s_.state.OptionsExportFile, Part::Configsetting)) return false;
    const std::string& version = s_.state.OutlookVersion;
    if (!app::ModernProfiles(version)) return true;
    bool ok = true;
    for (const auto& tree : app::kMoreOptionsTrees) {
        const std::string key = app::OfficeUserKeyFor(version) + "\\" + tree.subKey;
        if (!s_.reg.KeyExists(key)) continue;
        std::string file;
        ok = backupTree(c_, key, "QMC", file, tree.infoKey) && ok;
        if (!file.empty()) s_.state.MoreOptionsExportFiles.push_back(file);
    }
    return ok;
}

bool Items::RestoreConfigsetting() {
    const std::string& version = s_.state.OutlookVersion;
    if (!restoreTree(c_, app::OptionsKeyFor(version), Part::Configsetting)) return false;
    // Only the trees of this table, whatever else a backup names.
    bool ok = true;
    for (const auto& tree : app::kMoreOptionsTrees) {
        const std::string value = recordedKey(c_, tree.infoKey);
        if (value.empty() || !app::ModernProfiles(version)) continue;
        ok = restoreTree(c_, app::OfficeUserKeyFor(version) + "\\" + tree.subKey, value) && ok;
    }
    return ok;
}

}  // namespace qm::items
