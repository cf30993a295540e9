#include "support/HostDrive.h"

#include "platform/wine/WineFileSystem.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

// A prefix of its own only for the drive links; z: leads to the host root.
struct HostFiles : platform::wine::WineFileSystem {
    explicit HostFiles(std::unique_ptr<TempDir> folder)
        : WineFileSystem(platform::wine::WinePrefix(prefixIn(*folder)), testCodePage()), dir(std::move(folder)) {}
    static std::string prefixIn(const TempDir& folder) {
        MiniPrefix::make(folder.path(), "tester", false);
        return folder.path();
    }
    std::unique_ptr<TempDir> dir;
};

}  // namespace

std::shared_ptr<platform::FileSystem> hostDrive() { return std::make_shared<HostFiles>(std::make_unique<TempDir>()); }

}  // namespace qm::test
