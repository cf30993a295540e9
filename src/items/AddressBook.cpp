// The personal address-book files a profile names (Outlook 2003 and before).
#include "app/Environment.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

bool Items::BackupPab(const std::string& profile) {
    return backupSectionFiles(
        c_, profile, Part::Pab,
        [this](const std::string& sectionKey) { return s_.reg.GetStringValue(sectionKey, app::kPabPathValue); },
        [this](const std::string& path) { return base::singleSeparators(path, s_.leads()); });
}

bool Items::RestorePab(const std::string& profile) {
    // A path the registry refused to take leaves the profile pointing at the
    // old file: the item has failed.
    const auto written =
        restoreSectionFiles(c_, profile, Part::Pab, [this](const std::string& sectionKey, const std::string& folder) {
            const std::string old = s_.reg.GetStringValue(sectionKey, app::kPabPathValue);
            if (old == registry::kError || old.empty()) return true;
            return s_.reg.SetStringValue(sectionKey, app::kPabPathValue,
                                         base::joinPath(folder, base::bareName(old, s_.leads()), s_.leads()));
        });
    return written.value_or(false);
}

}  // namespace qm::items
