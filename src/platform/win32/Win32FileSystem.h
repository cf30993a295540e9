#pragma once
// The files of the Windows the program runs on: paths as they are, names in
// the ANSI code page, the file system's own letter case rules.
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qm::platform::win32 {

class Win32FileSystem final : public FileSystem {
public:
    explicit Win32FileSystem(const CodePage& codePage) : codePage_(codePage) {}

    const CodePage& codePage() const override { return codePage_; }

    std::string hostPath(const std::string& windowsPath) const override { return windowsPath; }
    std::string windowsPath(const std::string& hostPath) const override { return hostPath; }
    std::string fromUserPath(const std::string& path) const override;

    bool fileExists(const std::string& path) const override;
    bool folderExists(const std::string& path) const override;
    bool listFiles(const std::string& folder, std::vector<std::string>& names) const override;
    bool createFolder(const std::string& path) override;
    bool removeFolder(const std::string& path) override;
    bool listFolders(const std::string& folder, std::vector<std::string>& names) const override;
    std::unique_ptr<FolderClaim> createPrivateFolder(const std::string& path) override;
    bool removeUnclaimedFolder(const std::string& path) override;
    std::unique_ptr<FolderClaim> claimFolder(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    bool linkFile(const std::string& existing, const std::string& newName) override;
    bool deleteFile(const std::string& path) override;
    std::uint32_t getAttributes(const std::string& path) const override;
    bool setAttributes(const std::string& path, std::uint32_t attributes) override;

    bool readFile(const std::string& path, std::string& bytes) const override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
    bool appendFile(const std::string& path, const std::string& bytes) override;

    FileInfo stat(const std::string& path) const override;
    std::unique_ptr<ReadStream> openRead(const std::string& path, std::string& error) const override;
    // A new file takes the rights its folder passes on (on Windows the
    // profile's folders are the user's own), whatever `access` asks.
    std::unique_ptr<ReplaceStream> createReplacement(const std::string& target, std::string& error,
                                                     NewFileAccess access = NewFileAccess::OwnerOnly) override;
    void removeStaleReplacements(const std::string& target) override;

    unsigned getTempFileName(const std::string& folder, const std::string& prefix, unsigned unique,
                             std::string& result) override;

private:
    bool write(const std::string& path, const std::string& bytes, bool append);
    bool listEntries(const std::string& folder, std::vector<std::string>& names, bool folders) const;

    const CodePage& codePage_;
};

}  // namespace qm::platform::win32
