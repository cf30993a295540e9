// The restore side of the backup benchmark: opens a backup file with the
// ZIP component and extracts every entry into a folder, as the item restores
// do (bench/backup times it against `7z x`).
//
//   qm-bench-extract --prefix DIR ARCHIVE OUT_FOLDER [PASSWORD]
#include <cstdio>
#include <string>

#include "archive/Zip.h"
#include "platform/OpenPlatform.h"

int main(int argc, char** argv) {
    if (argc < 5 || std::string(argv[1]) != "--prefix") {
        std::fprintf(stderr, "usage: %s --prefix DIR ARCHIVE OUT_FOLDER [PASSWORD]\n", argv[0]);
        return 2;
    }
    qm::platform::PlatformOptions options;
    options.prefix = argv[2];
    qm::platform::Platform platform;
    std::string error;
    if (!qm::platform::openPlatform(options, platform, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    qm::platform::FileSystem& files = *platform.files;
    qm::archive::Zip zip(files);
    std::string why;
    if (!zip.OpenArchive(files.fromUserPath(argv[3]), why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    if (argc > 5) zip.setArchivePassword(argv[5]);
    const std::string folder = files.fromUserPath(argv[4]);
    int failed = 0;
    for (const auto& name : zip.entryNames()) {
        if (!zip.FindEntry(name).ExtractEntryTo(folder, why)) {
            std::fprintf(stderr, "cannot extract %s: %s\n", name.c_str(), why.c_str());
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
