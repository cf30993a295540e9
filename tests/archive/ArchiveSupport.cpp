#include "archive/ArchiveSupport.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "platform/wine/WineFileSystem.h"

namespace fs = std::filesystem;

namespace qm::test {
namespace {

// The smallest prefix the Wine file layer needs: drive C: in drive_c and
// Z: at the host root, as wineboot makes them. Readable by everyone, so that
// a test may also work through it as an unprivileged user.
struct PrefixFolder {
    TempDir folder;
    PrefixFolder() {
        const std::string& p = folder.path();
        ::chmod(p.c_str(), 0755);
        fs::create_directories(p + "/dosdevices");
        fs::create_directories(p + "/drive_c/users/tester");
        fs::create_symlink("../drive_c", p + "/dosdevices/c:");
        fs::create_symlink("/", p + "/dosdevices/z:");
        writeHostFile(p + "/user.reg", "WINE REGISTRY Version 2\n");
        writeHostFile(p + "/system.reg", "WINE REGISTRY Version 2\n");
    }
};

class PrefixFiles : private PrefixFolder, public platform::wine::WineFileSystem {
public:
    PrefixFiles() : WineFileSystem(platform::wine::WinePrefix(folder.path()), testCodePage()) {}
};

}  // namespace

std::unique_ptr<platform::FileSystem> makeFileSystem(const TempDir&) { return std::make_unique<PrefixFiles>(); }

std::string win(const std::string& hostPath) {
    std::string w = "Z:" + hostPath;
    std::replace(w.begin(), w.end(), '/', '\\');
    return w;
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(engine() & 0xFF);
    return s;
}

std::vector<std::string> treeOf(const std::string& root) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); it.increment(ec))
        names.push_back(fs::relative(it->path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace qm::test
