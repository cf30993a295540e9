#pragma once
// Names in host folders found ignoring case, as Wine finds them, without
// reading a folder again while it is unchanged: a restore that makes
// thousands of new names in one folder would otherwise read the whole
// folder for each of them.

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/CodePage.h"

namespace qm::platform::wine {

class FolderNames {
public:
    explicit FolderNames(const CodePage& codePage) : codePage_(codePage) {}

    // What tells a folder unchanged: the kernel stamps it on every change of
    // its entries, on its coarse clock; another program's change within the
    // same few milliseconds as a lookup is seen at the folder's next change.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        struct timespec modified {};
        struct timespec changed {};
        bool valid = false;
        bool operator==(const Stamp& o) const;
    };
    static Stamp stampOf(const std::string& folder);

    // The entry of `folder` whose name matches `ansiName` ignoring case, the
    // first in sorted order so that the choice is stable; empty when none.
    std::string find(const std::string& folder, const std::string& ansiName);

    // This program changed `folder` (stamped `before` just ahead of the
    // change): the index follows the change, when nothing else had changed
    // the folder since it was read, instead of reading it again. Names this
    // program makes for its own new files are named exactly and need not
    // be given.
    void changed(const std::string& folder, const Stamp& before, const std::string& removedHostName,
                 const std::string& addedHostName);

private:
    struct Index {
        Stamp stamp;
        std::map<std::u16string, std::set<std::string>> names;  // folded name -> host names
    };
    bool fold(const std::string& hostName, std::u16string& folded) const;
    Index* current(const std::string& folder, const Stamp& stamp);

    const CodePage& codePage_;
    std::mutex mutex_;
    std::unordered_map<std::string, Index> folders_;
};

}  // namespace qm::platform::wine
