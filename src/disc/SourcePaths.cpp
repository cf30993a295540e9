#include "disc/SourcePaths.h"

#include "platform/FileSystem.h"

namespace qm::disc {

std::string DiscSourcePath(const platform::FileSystem& files, const std::string& shownPath) {
    if (!shownPath.empty() && shownPath[0] == '/') return shownPath;
    return files.hostPath(files.fromUserPath(files.codePage().fromUtf8(shownPath)));
}

}  // namespace qm::disc
