#pragma once
// An installation's files held in memory, for tests of the layers above:
// Windows paths, names found whatever their letter case, DOS attributes,
// folder links (as Windows' junctions), and failures on purpose.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qm::platform::memory {

class MemoryFileSystem final : public FileSystem {
public:
    // Drives C:, D: and Z: (Z: as Wine's host root, for paths users type).
    explicit MemoryFileSystem(const CodePage& codePage);
    ~MemoryFileSystem() override;

    // A folder that leads to another, as Windows' compatibility links do.
    void addLink(const std::string& linkPath, const std::string& targetPath);
    // Every path on the drive (a letter) is passed to `other`: a drive shared
    // between installations, or the host's files (Z:).
    void mount(char drive, std::shared_ptr<FileSystem> other);
    // Creates the folder and its missing parents.
    bool makeFolders(const std::string& path);
    // Refuses every change at paths for which it answers true (a full disk,
    // a folder without rights).
    std::function<bool(const std::string& path)> refuseWrite;
    // Refuses reading paths for which it answers true (a file open elsewhere).
    std::function<bool(const std::string& path)> refuseRead;

    const CodePage& codePage() const override { return codePage_; }

    std::string hostPath(const std::string& windowsPath) const override;
    std::string windowsPath(const std::string& hostPath) const override;
    std::string fromUserPath(const std::string& path) const override;

    bool fileExists(const std::string& path) const override;
    bool folderExists(const std::string& path) const override;
    bool listFiles(const std::string& folder, std::vector<std::string>& names) const override;
    bool createFolder(const std::string& path) override;
    bool removeFolder(const std::string& path) override;
    bool listFolders(const std::string& folder, std::vector<std::string>& names) const override;
    // Folders are private here anyway; the claim keeps removeUnclaimedFolder
    // away while it lives (the file system must outlive it).
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
    std::unique_ptr<ReplaceStream> createReplacement(const std::string& target, std::string& error,
                                                     NewFileAccess access = NewFileAccess::OwnerOnly) override;
    void removeStaleReplacements(const std::string& target) override;

    unsigned getTempFileName(const std::string& folder, const std::string& prefix, unsigned unique,
                             std::string& result) override;

    // Every file and folder, as full paths in creation order (for tests that
    // look for what a run left behind).
    std::vector<std::string> allPaths() const;

    struct Content;
    struct Node;

private:
    friend class MemoryReplaceStream;
    // The file system a path's drive is mounted on, or null for our own.
    FileSystem* mounted(const std::string& path) const;
    // The path with links followed and "."/".." resolved; empty when it is
    // no valid absolute path.
    std::string canonical(const std::string& path) const;
    std::u16string keyOf(const std::string& canonicalPath) const;
    Node* find(const std::string& path);
    const Node* find(const std::string& path) const;
    bool parentIsFolder(const std::string& canonicalPath) const;
    bool listEntries(const std::string& folder, std::vector<std::string>& names, bool folders) const;
    bool writable(const std::string& path) const { return !refuseWrite || !refuseWrite(path); }
    // The path of a new file beside a file, up to its number.
    std::string partStart(const std::string& canonicalPath) const;
    Node& put(const std::string& canonicalPath, bool folder);
    void erase(const std::string& canonicalPath);
    std::int64_t tick();

    const CodePage& codePage_;
    std::map<std::u16string, std::unique_ptr<Node>> nodes_;
    std::map<std::u16string, std::string> links_;  // folded link path -> canonical target
    std::map<char, std::shared_ptr<FileSystem>> mounts_;
    std::set<std::u16string> claimed_;  // keys of the folders claimed
    std::uint64_t nextInode_ = 1;
    std::uint64_t nextOrder_ = 0;
    std::int64_t clock_ = 1'800'000'000;
    unsigned nextTemp_ = 0;
    unsigned nextPart_ = 0;
};

}  // namespace qm::platform::memory
