// The Win32 backend for the contract tests: this Windows' registry, each
// test below a key of its own that is removed afterwards.
#include <windows.h>

#include <atomic>
#include <filesystem>

#include "contract/ContractBackend.h"
#include "platform/OpenPlatform.h"

namespace qm::test {

bool openContractBackend(const TempDir& dir, ContractBackend& out, std::string& error) {
    if (!platform::openPlatform({}, out.platform, error)) return false;
    std::filesystem::create_directories(dir / "files");
    out.work = (std::filesystem::path(dir.path()) / "files").string();
    static std::atomic<unsigned> counter{0};
    out.baseKey = "Software\\QuillmarkTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(counter.fetch_add(1));
    // Nothing of an earlier test may be found there.
    RegDeleteTreeA(HKEY_CURRENT_USER, out.baseKey.c_str());
    return true;
}

void closeContractBackend(ContractBackend& backend) {
    if (!backend.baseKey.empty()) RegDeleteTreeA(HKEY_CURRENT_USER, backend.baseKey.c_str());
}

}  // namespace qm::test
