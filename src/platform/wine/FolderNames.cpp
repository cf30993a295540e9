#include "platform/wine/FolderNames.h"

#include <dirent.h>

namespace qm::platform::wine {

namespace {

// Enough for every folder a run works in; beyond it the oldest are read again.
constexpr std::size_t kMaxFolders = 256;

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

bool FolderNames::Stamp::operator==(const Stamp& o) const {
    return valid && o.valid && device == o.device && inode == o.inode && sameTime(modified, o.modified) &&
           sameTime(changed, o.changed);
}

FolderNames::Stamp FolderNames::stampOf(const std::string& folder) {
    Stamp s;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    s.valid = true;
    return s;
}

bool FolderNames::fold(const std::string& hostName, std::u16string& folded) const {
    const std::string ansi = codePage_.fromUtf8(hostName);
    // A host name the code page cannot hold cannot be named from Windows.
    if (codePage_.toUtf8(ansi) != hostName) return false;
    folded = codePage_.foldCase(ansi);
    return true;
}

FolderNames::Index* FolderNames::current(const std::string& folder, const Stamp& stamp) {
    if (!stamp.valid) return nullptr;
    auto it = folders_.find(folder);
    if (it != folders_.end() && it->second.stamp == stamp) return &it->second;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return nullptr;
    if (it == folders_.end()) {
        if (folders_.size() >= kMaxFolders) folders_.clear();
        it = folders_.emplace(folder, Index{}).first;
    }
    Index& index = it->second;
    index.names.clear();
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        std::u16string folded;
        if (name == "." || name == ".." || !fold(name, folded)) continue;
        index.names[folded].insert(name);
    }
    ::closedir(dir);
    index.stamp = stamp;
    return &index;
}

std::string FolderNames::find(const std::string& folder, const std::string& ansiName) {
    const Stamp stamp = stampOf(folder);
    std::lock_guard<std::mutex> lock(mutex_);
    const Index* index = current(folder, stamp);
    if (!index) return {};
    const auto it = index->names.find(codePage_.foldCase(ansiName));
    return it == index->names.end() ? std::string() : *it->second.begin();
}

void FolderNames::changed(const std::string& folder, const Stamp& before, const std::string& removedHostName,
                          const std::string& addedHostName) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = folders_.find(folder);
    if (it == folders_.end()) return;
    Index& index = it->second;
    if (!(index.stamp == before)) {
        folders_.erase(it);
        return;
    }
    std::u16string folded;
    if (!removedHostName.empty() && fold(removedHostName, folded)) {
        if (auto names = index.names.find(folded); names != index.names.end()) {
            names->second.erase(removedHostName);
            if (names->second.empty()) index.names.erase(names);
        }
    }
    if (!addedHostName.empty() && fold(addedHostName, folded)) index.names[folded].insert(addedHostName);
    index.stamp = stampOf(folder);
}

}  // namespace qm::platform::wine
