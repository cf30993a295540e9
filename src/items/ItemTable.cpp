#include "items/ItemTable.h"

#include <algorithm>
#include <vector>

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::items {
namespace {

// A folder that exists and holds at least one file directly.
bool holdsFiles(const platform::FileSystem& files, const std::string& folder) {
    if (folder.empty()) return false;
    std::vector<std::string> names;
    return files.listFiles(folder, names) && !names.empty();
}

// The address-book paths are read as the address-book item reads them, so
// that a book on a network share (\\server\share) is found by both.
bool hasAddressBook(app::Session& s, const std::string& profile) {
    if (profile.empty()) return false;
    const std::string profileKey = s.state.ProfilesKey + "\\" + profile;
    for (const auto& section : s.reg.EnumSubKeys(profileKey)) {
        const std::string path =
            base::singleSeparators(s.reg.GetStringValue(profileKey + "\\" + section, app::kPabPathValue), s.leads());
        if (path != registry::kError && !path.empty() && s.files.fileExists(path)) return true;
    }
    return false;
}

}  // namespace

bool anySelected(const ItemSelection& selection) {
    return std::any_of(selection.begin(), selection.end(), [](bool b) { return b; });
}

std::string digitsOf(const ItemSelection& selection) {
    std::string digits;
    for (bool on : selection) digits += on ? '1' : '0';
    return digits;
}

std::optional<ItemSelection> selectionOfDigits(const std::string& digits) {
    if (digits.size() != kItemCount || digits.find_first_not_of("01") != std::string::npos) return std::nullopt;
    return selectionFromDigits(digits);
}

ItemSelection selectionFromDigits(const std::string& digits) {
    ItemSelection selection{};
    for (std::size_t i = 0; i < selection.size() && i < digits.size(); ++i) selection[i] = digits[i] == '1';
    return selection;
}

std::string itemNames(const ItemSelection& selection) {
    if (std::all_of(selection.begin(), selection.end(), [](bool b) { return b; })) return kEveryItem;
    std::string names;
    for (std::size_t i = 0; i < kItemCount; ++i) {
        if (!selection[i]) continue;
        const std::string caption = kItemCaptions[i];
        names += (names.empty() ? "" : ", ") + caption.substr(0, caption.find(" ("));
    }
    return names;
}

ItemAvailability availableItems(app::Session& s, const std::string& profile) {
    app::ComputeProfileLocations(s, profile);
    const app::ApplicationState& st = s.state;
    ItemAvailability available;
    available.enabled.fill(true);
    available.enabled[1] = s.reg.KeyExists(st.AccountsKey);
    available.enabled[2] = holdsFiles(s.files, st.SignaturesFolder);
    available.enabled[3] = holdsFiles(s.files, st.StationeryFolder) || holdsFiles(s.files, st.SharedStationeryFolder);
    available.noAddressBook = app::NoAddressBook(st.OutlookVersion);
    available.enabled[kAddressBookItem] = !available.noAddressBook && hasAddressBook(s, profile);
    available.enabled[6] = holdsFiles(s.files, st.TemplatesFolder);
    available.enabled[7] = holdsFiles(s.files, st.PreferencesFolder);
    return available;
}

}  // namespace qm::items
