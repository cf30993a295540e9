// The items saved as registry text files: the profile ("Config"), the mail
// accounts and the Outlook options.
#include "app/Environment.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

namespace {

// A registry export is read whole into memory by the import. A profile, its
// accounts or its options take a few hundred kilobytes, and a Wine registry
// file is read only up to 256 MiB: a backup stores no larger export, and a
// restore takes none larger out of an archive.
constexpr std::uint64_t kMaxExportBytes = 256ull << 20;

// Exports the tree into a new temporary file of the work folder, adds it
// and records its bare name. The path stays in `exportFile` so that the run
// deletes the file after the archive is written.
bool backupTree(Context& c, const std::string& keyPath, const char* prefix, std::string& exportFile, Part part) {
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
    return s.SaveINI(partInfo(part).infoKey, base::bareName(exportFile, s.leads()));
}

// Imports the recorded export over the tree. A target key that does not
// exist is left alone and counts as done.
bool restoreTree(Context& c, const std::string& keyPath, Part part) {
    app::Session& s = c.s;
    if (!s.reg.KeyExists(keyPath)) return true;
    const std::string& value = recorded(c, part);
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

}  // namespace

bool Items::BackupConfig(const std::string& profile) {
    if (!usableKeyName(profile, s_.leads())) return false;
    return backupTree(c_, profileKey(s_, profile), "QMC", s_.state.ConfigExportFile, Part::Config);
}

bool Items::RestoreConfig(const std::string& profile) {
    if (!usableKeyName(profile, s_.leads())) return false;
    return restoreTree(c_, profileKey(s_, profile), Part::Config);
}

// Outlook 2007 and 2010 keep the accounts in each profile: those of the
// profile backed up, restored into the target profile's own.
bool Items::BackupAccounts(const std::string& profile) {
    if (app::OutlookSharedLayout(s_.state.OutlookVersion) && !usableKeyName(profile, s_.leads())) return false;
    return backupTree(c_, app::AccountsKeyFor(s_.state.OutlookVersion, profile), "QMA", s_.state.AccountsExportFile,
                      Part::Accounts);
}

bool Items::RestoreAccounts(const std::string& profile) {
    if (app::OutlookSharedLayout(s_.state.OutlookVersion) && !usableKeyName(profile, s_.leads())) return false;
    return restoreTree(c_, app::AccountsKeyFor(s_.state.OutlookVersion, profile), Part::Accounts);
}

bool Items::BackupConfigsetting() {
    return backupTree(c_, s_.state.OptionsKey, "QMC", s_.state.OptionsExportFile, Part::Configsetting);
}

bool Items::RestoreConfigsetting() {
    return restoreTree(c_, app::OptionsKeyFor(s_.state.OutlookVersion), Part::Configsetting);
}

}  // namespace qm::items
