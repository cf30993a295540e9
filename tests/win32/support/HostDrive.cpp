// The host's own files as drive Z: of an installation held in memory, on
// Windows: Z:\C\x\y is C:\x\y (the host's drive letter as the first folder).
#include "support/HostDrive.h"

#include <algorithm>

#include "platform/win32/Win32FileSystem.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

using namespace qm::platform;

class HostFiles final : public FileSystem {
public:
    HostFiles() : inner_(testCodePage()) {}

    const CodePage& codePage() const override { return inner_.codePage(); }

    // "Z:\C\x" -> "C:\x"; empty for what is not on Z:.
    std::string hostPath(const std::string& path) const override {
        std::string p = path;
        std::replace(p.begin(), p.end(), '/', '\\');
        if (p.size() < 4 || (p[0] != 'Z' && p[0] != 'z') || p[1] != ':' || p[2] != '\\') return {};
        const std::string rest = p.substr(3);
        if (rest.empty() || (rest.size() > 1 && rest[1] != '\\')) return {};
        return std::string(1, rest[0]) + ":\\" + (rest.size() > 2 ? rest.substr(2) : std::string());
    }
    // "C:\x" or "C:/x" -> "Z:\C\x".
    std::string windowsPath(const std::string& host) const override {
        std::string h = host;
        std::replace(h.begin(), h.end(), '/', '\\');
        if (h.size() < 3 || h[1] != ':' || h[2] != '\\') return {};
        return std::string("Z:\\") + h[0] + (h.size() > 3 ? "\\" + h.substr(3) : std::string());
    }
    std::string fromUserPath(const std::string& path) const override { return path; }

    bool fileExists(const std::string& p) const override { return inner_.fileExists(hostPath(p)); }
    bool folderExists(const std::string& p) const override { return inner_.folderExists(hostPath(p)); }
    bool listFiles(const std::string& f, std::vector<std::string>& names) const override {
        return inner_.listFiles(hostPath(f), names);
    }
    bool createFolder(const std::string& p) override { return inner_.createFolder(hostPath(p)); }
    bool removeFolder(const std::string& p) override { return inner_.removeFolder(hostPath(p)); }
    bool renameFile(const std::string& a, const std::string& b) override {
        return inner_.renameFile(hostPath(a), hostPath(b));
    }
    bool deleteFile(const std::string& p) override { return inner_.deleteFile(hostPath(p)); }
    std::uint32_t getAttributes(const std::string& p) const override { return inner_.getAttributes(hostPath(p)); }
    bool setAttributes(const std::string& p, std::uint32_t a) override { return inner_.setAttributes(hostPath(p), a); }
    bool readFile(const std::string& p, std::string& bytes) const override { return inner_.readFile(hostPath(p), bytes); }
    bool writeFile(const std::string& p, const std::string& bytes) override {
        return inner_.writeFile(hostPath(p), bytes);
    }
    bool appendFile(const std::string& p, const std::string& bytes) override {
        return inner_.appendFile(hostPath(p), bytes);
    }
    FileInfo stat(const std::string& p) const override { return inner_.stat(hostPath(p)); }
    std::unique_ptr<ReadStream> openRead(const std::string& p, std::string& error) const override {
        return inner_.openRead(hostPath(p), error);
    }
    std::unique_ptr<ReplaceStream> createReplacement(const std::string& p, std::string& error,
                                                     NewFileAccess access = NewFileAccess::OwnerOnly) override {
        return inner_.createReplacement(hostPath(p), error, access);
    }
    void removeStaleReplacements(const std::string& p) override { inner_.removeStaleReplacements(hostPath(p)); }
    unsigned getTempFileName(const std::string& folder, const std::string& prefix, unsigned unique,
                             std::string& result) override {
        std::string host;
        const unsigned n = inner_.getTempFileName(hostPath(folder), prefix, unique, host);
        if (n) result = windowsPath(host);
        return n;
    }

private:
    win32::Win32FileSystem inner_;
};

}  // namespace

std::shared_ptr<platform::FileSystem> hostDrive() { return std::make_shared<HostFiles>(); }

}  // namespace qm::test
