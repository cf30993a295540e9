// The registry text import (what a restore reads from a backup file): any
// file is either refused with the target as it was, or imported so that an
// export of what it made imports again to the same tree.
#include "fuzz/FuzzSupport.h"
#include "platform/memory/MemoryPlatform.h"
#include "registry/ModReg.h"

using namespace qm;

namespace {

const std::string kTarget = "HKEY_CURRENT_USER\\Software\\Target";
const std::string kCopy = "HKEY_CURRENT_USER\\Software\\Copy";

struct Installation {
    platform::Platform platform;
    platform::memory::MemoryInstallation mem = platform::memory::openMemoryPlatform(platform);
    registry::ModReg reg{*platform.registry, *platform.files, "C:\\"};
};

std::string fileBytes(Installation& in, const std::string& path) {
    std::string bytes;
    in.platform.files->readFile(path, bytes);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A fresh installation each time, so that a finding reproduces alone.
    Installation in;
    platform::KeyHandle key = 0;
    fuzz::check(in.platform.registry->RegCreateKeyA(platform::RootKey::CurrentUser, "Software\\Target", &key) ==
                    platform::RegStatus::Success,
                "the target is made");
    in.platform.registry->RegCloseKey(key);
    fuzz::check(in.reg.SetStringValue(kTarget, "before", "kept"), "the target holds a value");
    in.platform.files->writeFile("C:\\in.txt", fuzz::bytesOf(data, size));

    if (!in.reg.ImportKey(kTarget, "C:\\in.txt")) {
        fuzz::check(in.reg.GetStringValue(kTarget, "before") == "kept", "a refused file changes nothing");
        return 0;
    }
    fuzz::check(in.reg.ExportKey(kTarget, "", "C:\\first.txt"), "the imported tree exports");
    fuzz::check(in.reg.ImportKey(kCopy, "C:\\first.txt"), "an export imports");
    fuzz::check(in.reg.ExportKey(kCopy, "", "C:\\second.txt"), "the copy exports");
    fuzz::check(fileBytes(in, "C:\\first.txt") == fileBytes(in, "C:\\second.txt"), "export and import round trip");
    return 0;
}
