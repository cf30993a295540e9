#include "archive/ArchiveSupport.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace fs = std::filesystem;

namespace qm::test {
namespace {

// Stand-in until the Wine file layer lands: Z:\ is the host root.
class HostFiles : public platform::FileSystem {
public:
    std::string hostPath(const std::string& w) const override {
        if (w.size() < 3 || (w[0] != 'Z' && w[0] != 'z') || w[1] != ':' || w[2] != '\\') return {};
        std::string h = platform::CodePage::toUtf8(w.substr(2));
        std::replace(h.begin(), h.end(), '\\', '/');
        return h;
    }
    std::string windowsPath(const std::string& h) const override { return win(h); }
    std::string fromUserPath(const std::string& p) const override { return p.empty() || p[0] != '/' ? p : win(p); }
    bool fileExists(const std::string& p) const override { return fs::is_regular_file(hostPath(p)); }
    bool folderExists(const std::string& p) const override { return fs::is_directory(hostPath(p)); }
    bool listFiles(const std::string& folder, std::vector<std::string>& names) const override {
        std::error_code ec;
        for (auto& e : fs::directory_iterator(hostPath(folder), ec))
            if (e.is_regular_file()) names.push_back(e.path().filename().string());
        return !ec;
    }
    bool createFolder(const std::string& p) override { return ::mkdir(hostPath(p).c_str(), 0777) == 0; }
    bool renameFile(const std::string& a, const std::string& b) override {
        return ::rename(hostPath(a).c_str(), hostPath(b).c_str()) == 0;
    }
    bool deleteFile(const std::string& p) override { return ::unlink(hostPath(p).c_str()) == 0; }
    std::uint32_t getAttributes(const std::string& p) const override {
        std::error_code ec;
        auto st = fs::status(hostPath(p), ec);
        if (ec || !fs::exists(st)) return platform::INVALID_FILE_ATTRIBUTES;
        return fs::is_directory(st) ? platform::FILE_ATTRIBUTE_DIRECTORY : platform::FILE_ATTRIBUTE_ARCHIVE;
    }
    bool setAttributes(const std::string&, std::uint32_t) override { return true; }
    bool readFile(const std::string& p, std::string& bytes) const override {
        std::ifstream in(hostPath(p), std::ios::binary);
        if (!in) return false;
        std::ostringstream ss;
        ss << in.rdbuf();
        bytes = ss.str();
        return true;
    }
    bool writeFile(const std::string& p, const std::string& bytes) override {
        std::ofstream out(hostPath(p), std::ios::binary | std::ios::trunc);
        return out && (out << bytes);
    }
    bool appendFile(const std::string& p, const std::string& bytes) override {
        std::ofstream out(hostPath(p), std::ios::binary | std::ios::app);
        return out && (out << bytes);
    }
    unsigned getTempFileName(const std::string& folder, const std::string& prefix, unsigned, std::string& result) override {
        static unsigned next = 0x1A2F;
        for (int i = 0; i < 0x10000; ++i) {
            unsigned n = (next++ & 0xFFFF);
            if (!n) continue;
            char hex[8];
            std::snprintf(hex, sizeof hex, "%X", n);
            std::string w = folder + "\\" + prefix.substr(0, 3) + hex + ".TMP";
            int fd = ::open(hostPath(w).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return 0;
            }
            ::close(fd);
            result = w;
            return n;
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<platform::FileSystem> makeFileSystem(const TempDir&) { return std::make_unique<HostFiles>(); }

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
