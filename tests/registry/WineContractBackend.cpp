// The Wine-file backend for the contract tests: a fresh prefix per test.
#include <filesystem>

#include "contract/ContractBackend.h"
#include "platform/wine/WinePlatform.h"
#include "support/MiniPrefix.h"

namespace qm::test {

bool openContractBackend(const TempDir& dir, ContractBackend& out, std::string& error) {
    const std::string prefix = dir / "prefix";
    if (!MiniPrefix::make(prefix, "tester")) {
        error = "cannot make a prefix in " + prefix;
        return false;
    }
    platform::wine::WineOptions options;
    options.prefix = prefix;
    options.userName = "tester";
    options.workRoot = dir / "work";
    if (!platform::wine::openWinePlatform(options, out.platform, error)) return false;
    std::filesystem::create_directories(dir / "files");
    out.work = out.platform.files->windowsPath(dir / "files");
    out.baseKey.clear();
    return !out.work.empty();
}

void closeContractBackend(ContractBackend&) {}

}  // namespace qm::test
