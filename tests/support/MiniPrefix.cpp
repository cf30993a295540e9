#include "support/MiniPrefix.h"

#include <filesystem>

#include "platform/wine/WineRegistry.h"

namespace qm::test {

bool MiniPrefix::make(const std::string& folder, const std::string& user, bool withRegistry) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder + "/dosdevices", ec);
    fs::create_directories(folder + "/drive_c/windows/system32", ec);
    fs::create_directories(folder + "/drive_c/users/" + user, ec);
    fs::create_symlink("../drive_c", folder + "/dosdevices/c:", ec);
    if (ec) return false;
    fs::create_symlink("/", folder + "/dosdevices/z:", ec);
    if (ec) return false;
    if (!withRegistry) return true;
    std::string error;
    const platform::CodePage codePage;
    auto fresh = platform::wine::WineRegistry::open(folder, true, codePage, error);
    return fresh && fresh->flush(error);
}

}  // namespace qm::test
