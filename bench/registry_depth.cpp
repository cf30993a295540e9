// Registry files and trees that are large or deep, timed (not a test): a
// Wine registry file whose keys come in reverse order, and a profile key
// nested as deep as Windows allows exported and imported again.
//
//   qm-bench-registry [KEYS]      (default 200000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/memory/MemoryPlatform.h"
#include "platform/wine/RegFile.h"
#include "registry/ModReg.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long keys = argc > 1 ? std::atol(argv[1]) : 200000;
    std::string text = "WINE REGISTRY Version 2\n";
    for (long i = keys; i > 0; --i) {
        char line[96];
        std::snprintf(line, sizeof line, "\n[Software\\\\K%09ld] 1\n\"v\"=dword:00000001\n", i);
        text += line;
    }
    auto start = std::chrono::steady_clock::now();
    qm::platform::wine::RegHive hive;
    std::string error;
    if (!qm::platform::wine::RegHive::parse(text, "user.reg", hive, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("parse, %ld keys in reverse order: %.2f s\n", keys, secondsSince(start));
    start = std::chrono::steady_clock::now();
    const std::string out = hive.serialize();
    std::printf("write back (%zu bytes): %.2f s\n", out.size(), secondsSince(start));

    qm::platform::Platform platform;
    qm::platform::memory::openMemoryPlatform(platform);
    std::string sub = "Software\\Deep";
    for (std::size_t i = 0; i < qm::registry::kMaxKeyDepth; ++i) sub += "\\k";
    qm::platform::KeyHandle key = 0;
    platform.registry->RegCreateKeyA(qm::platform::RootKey::CurrentUser, sub, &key);
    platform.registry->RegCloseKey(key);
    qm::registry::ModReg reg(*platform.registry, *platform.files, "C:\\");
    start = std::chrono::steady_clock::now();
    const bool exported = reg.ExportKey("HKEY_CURRENT_USER\\Software\\Deep", "", "C:\\deep.txt");
    const bool imported = exported && reg.ImportKey("HKEY_CURRENT_USER\\Software\\Copy", "C:\\deep.txt");
    std::printf("export and import, %zu levels: %.2f s (%s)\n", qm::registry::kMaxKeyDepth, secondsSince(start),
                imported ? "done" : "failed");
    return imported ? 0 : 1;
}
