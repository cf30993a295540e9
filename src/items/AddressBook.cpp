// The personal address-book files a profile names (Outlook 2003 and before).
#include "app/Environment.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

bool Items::BackupPab(const std::string& profile) {
    return backupSectionFiles(
        s_, profile, Part::Pab,
        [this](const std::string& sectionKey) { return s_.reg.GetStringValue(sectionKey, app::kPabPathValue); },
        base::singleSeparators);
}

bool Items::RestorePab(const std::string& profile) {
    if (!usableProfileName(profile)) return false;
    const std::string folder = extractToDataFolder(s_, recorded(s_, Part::Pab));
    if (folder.empty()) return false;

    const std::string key = profileKey(s_, profile);
    const auto sections = s_.reg.EnumSubKeys(key);
    if (sections.empty()) return false;
    // A path the registry refused to take leaves the profile pointing at the
    // old file: the item has failed.
    bool written = true;
    for (const auto& section : sections) {
        const std::string sectionKey = key + "\\" + section;
        const std::string old = s_.reg.GetStringValue(sectionKey, app::kPabPathValue);
        if (old == registry::kError || old.empty()) continue;
        written = s_.reg.SetStringValue(sectionKey, app::kPabPathValue, base::joinPath(folder, base::bareName(old))) &&
                  written;
    }
    return written;
}

}  // namespace qm::items
