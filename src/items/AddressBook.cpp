// The personal address-book files a profile names (Outlook 2003 and before).
#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/WinPath.h"
#include "items/ItemSupport.h"
#include "items/Items.h"
#include "items/Texts.h"

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
    bool named = false;
    std::string into;
    const auto written = restoreSectionFiles(
        c_, profile, Part::Pab, [this, &named, &into](const std::string& sectionKey, const std::string& folder) {
            into = folder;
            const std::string old = s_.reg.GetStringValue(sectionKey, app::kPabPathValue);
            if (old == registry::kError || old.empty()) return true;
            named = true;
            return s_.reg.SetStringValue(sectionKey, app::kPabPathValue,
                                         base::joinPath(folder, base::bareName(old, s_.leads()), s_.leads()));
        });
    // Arrived, but nothing opens it: said, so that no one counts on it.
    const bool notKept = app::NoAddressBook(s_.state.OutlookVersion);
    if (written.value_or(false) && (notKept || !named)) {
        std::string names;
        for (const auto& name : splitNames(recorded(c_, Part::Pab)))
            if (!name.empty()) names += (names.empty() ? "" : ", ") + name;
        note(c_, names + (notKept ? text::kAddressBookNotKept : text::kAddressBookNotNamed) + into);
    }
    return written.value_or(false);
}

}  // namespace qm::items
