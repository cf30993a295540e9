// Paths inside binary profile values (a restored profile's data-file and
// address-book values): reading them in UTF-16 and in ANSI, and rewriting
// one path for another. The first byte splits the input: value bytes, then
// the old and new texts of the rewrite.
#include "fuzz/FuzzSupport.h"
#include "platform/memory/MemoryPlatform.h"
#include "registry/ModReg.h"

using namespace qm;

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Profile";

struct Installation {
    platform::Platform platform;
    platform::memory::MemoryInstallation mem = platform::memory::openMemoryPlatform(platform);
    registry::ModReg reg{*platform.registry, *platform.files, "C:\\"};
};

bool setBinary(Installation& in, const std::string& bytes) {
    platform::KeyHandle key = 0;
    if (in.platform.registry->RegCreateKeyA(platform::RootKey::CurrentUser, "Software\\Profile", &key) !=
        platform::RegStatus::Success)
        return false;
    const bool ok = in.platform.registry->RegSetValueExA(key, "v", platform::RegType::Binary,
                                                          reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                          static_cast<std::uint32_t>(bytes.size())) ==
                    platform::RegStatus::Success;
    in.platform.registry->RegCloseKey(key);
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Installation in;
    if (size == 0) return 0;
    const std::string rest = fuzz::bytesOf(data + 1, size - 1);
    const std::size_t cut = std::min<std::size_t>(data[0], rest.size());
    const std::string value = rest.substr(0, cut);
    const std::string texts = rest.substr(cut);
    const std::size_t bar = texts.find('|');
    const std::string oldText = texts.substr(0, bar);
    const std::string newText = bar == std::string::npos ? std::string() : texts.substr(bar + 1);
    fuzz::check(setBinary(in, value), "the value is set");

    for (const std::string& path :
         {in.reg.ReadPathFromBinaryValue(kKey, "v"), in.reg.ReadAnsiPathFromBinaryValue(kKey, "v")}) {
        if (path == registry::kError) continue;
        // A path is a drive path or a network path, running to the end.
        fuzz::check(path.size() >= 2 && (path[1] == ':' || path.rfind("\\\\", 0) == 0), "a path has its root");
    }
    std::string failure;
    in.reg.ReadAnsiPathFromBinaryValue(kKey, "v", &failure);
    fuzz::check(failure.empty(), "the temporary file of the ANSI reading works in memory");

    fuzz::check(in.reg.ReplaceInBinaryValue(kKey, "v", oldText, newText), "a rewrite is written");
    // Replacing a text by itself leaves the bytes as they were.
    fuzz::check(setBinary(in, value), "the value is set again");
    fuzz::check(in.reg.ReplaceInBinaryValue(kKey, "v", oldText, oldText), "a rewrite is written");
    platform::RegType type = platform::RegType::None;
    std::string now(value.size() + 1, '\0');
    std::uint32_t length = static_cast<std::uint32_t>(now.size());
    platform::KeyHandle key = 0;
    in.platform.registry->RegOpenKeyExA(platform::RootKey::CurrentUser, "Software\\Profile", platform::KeyAccess::Read,
                                        &key);
    in.platform.registry->RegQueryValueExA(key, "v", &type, reinterpret_cast<std::uint8_t*>(now.data()), &length);
    in.platform.registry->RegCloseKey(key);
    fuzz::check(now.substr(0, length) == value, "a text replaced by itself changes nothing");
    in.reg.takeNotices();
    return 0;
}
