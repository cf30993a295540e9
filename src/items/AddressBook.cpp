// The personal address-book files a profile names (Outlook 2003 and before).
#include "app/Environment.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

namespace {

const char* const kPabPath = "001e6600";

// Doubled separators as single ones, keeping the two that open a network
// path.
std::string singleSeparators(const std::string& path) {
    const bool network = path.rfind("\\\\", 0) == 0;
    std::string out = network ? "\\\\" : "";
    for (std::size_t i = network ? 2 : 0; i < path.size(); ++i) {
        // Also drops further separators after the opening two.
        if (path[i] == '\\' && !out.empty() && out.back() == '\\') continue;
        out += path[i];
    }
    return out;
}

}  // namespace

bool Items::BackupPab(const std::string& profile) {
    return backupSectionFiles(
        s_, profile, "BackupPab",
        [this](const std::string& sectionKey) { return s_.reg.GetStringValue(sectionKey, kPabPath); },
        singleSeparators);
}

bool Items::RestorePab(const std::string& profile) {
    if (!usableProfileName(profile)) return false;
    const std::string folder = extractToDataFolder(s_, s_.state.ItemValues[6]);
    if (folder.empty()) return false;

    const std::string key = profileKey(s_, profile);
    const auto sections = s_.reg.EnumSubKeys(key);
    if (sections.empty()) return false;
    for (const auto& section : sections) {
        const std::string sectionKey = key + "\\" + section;
        const std::string old = s_.reg.GetStringValue(sectionKey, kPabPath);
        if (old == registry::kError || old.empty()) continue;
        s_.reg.SetStringValue(sectionKey, kPabPath, app::JoinPath(folder, bareName(old)));
    }
    return true;
}

}  // namespace qm::items
