#include "items/ProfileStores.h"

#include <vector>

#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::items::detail {
namespace {

const char* const kStoreEntryId = "01020fff";
const char* const kUnicodePath = "001f6700";
const char* const kCacheUnicode = "001f6610";
const char* const kCacheAnsi = "001e6610";
const char* const kDeliveryStore = "Delivery Store EntryID";

bool endsWithOst(const std::string& path) {
    return path.size() >= 4 && base::equalsIgnoreAsciiCase(path.substr(path.size() - 4), ".ost");
}

bool usablePath(const std::string& path) { return path != registry::kError && base::absolutePath(path); }

// A path read from a value's bytes, as the store entry identifier is read.
std::string pathIn(const app::Session& s, const std::string& key, const std::string& value) {
    std::string path = s.reg.ReadPathFromBinaryValue(key, value);
    if (path == registry::kError) path = s.reg.ReadAnsiPathFromBinaryValue(key, value);
    return path;
}

}  // namespace

std::string dataFilePath(const app::Session& s, const std::string& sectionKey, std::string* failure) {
    std::string path = s.reg.ReadPathFromBinaryValue(sectionKey, kStoreEntryId);
    if (path == registry::kError) path = s.reg.ReadAnsiPathFromBinaryValue(sectionKey, kStoreEntryId, failure);
    if (path != registry::kError) return path;
    // A damaged or foreign value names nothing rather than a file elsewhere.
    const std::string named = s.reg.ReadUnicodeTextValue(sectionKey, kUnicodePath);
    return usablePath(named) ? named : std::string(registry::kError);
}

std::string cacheFileOf(const app::Session& s, const std::string& sectionKey) {
    std::string cache = s.reg.ReadUnicodeTextValue(sectionKey, kCacheUnicode);
    if (cache == registry::kError || base::trimBlanks(cache).empty())
        cache = base::cutAtZero(s.reg.GetStringValue(sectionKey, kCacheAnsi));
    if (cache != registry::kError && !base::trimBlanks(cache).empty()) return cache;
    const std::string path = dataFilePath(s, sectionKey);
    return path != registry::kError && endsWithOst(path) ? path : std::string();
}

bool repointDeliveryStores(const app::Session& s, const std::string& profileKey) {
    // The files the profile's stores name now (an IMAP account delivers into
    // its cache), by their bare names.
    std::vector<std::string> files;
    for (const auto& section : s.reg.EnumSubKeys(profileKey)) {
        const std::string key = profileKey + "\\" + section;
        std::string path = cacheFileOf(s, key);
        if (path.empty()) path = dataFilePath(s, key);
        if (path != registry::kError) files.push_back(path);
    }
    bool written = true;
    const std::string accounts = profileKey + "\\" + kAccountsSection;
    for (const auto& account : s.reg.EnumSubKeys(accounts)) {
        const std::string key = accounts + "\\" + account;
        const std::string old = pathIn(s, key, kDeliveryStore);
        if (old == registry::kError) continue;
        const std::string bare = base::bareName(old, s.leads());
        for (const auto& now : files) {
            if (!s.codePage.equalsIgnoreCase(base::bareName(now, s.leads()), bare)) continue;
            if (now != old) written = s.reg.ReplaceInBinaryValue(key, kDeliveryStore, old, now) && written;
            break;
        }
    }
    return written;
}

}  // namespace qm::items::detail
