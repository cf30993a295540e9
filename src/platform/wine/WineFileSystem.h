#pragma once
// Files inside a Wine prefix, as Wine itself presents them: drive letters
// and UNC paths through the prefix's dosdevices links, host paths no drive
// reaches as \\?\unix\..., names found whatever their letter case, DOS
// attributes in the "user.DOSATTRIB" extended attribute (Samba's "0x<hex>"
// form), names starting with '.' hidden. Windows' compatibility folders
// ("Application Data", "Local Settings", ...) are followed where the prefix
// lacks them; a write through one makes it, as a link to its real folder.
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/wine/FolderNames.h"
#include "platform/posix/HostLinks.h"
#include "platform/wine/WinePrefix.h"

namespace qm::platform::wine {

class WineFileSystem : public FileSystem {
public:
    WineFileSystem(WinePrefix prefix, const CodePage& codePage);

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

    const WinePrefix& prefix() const { return prefix_; }

    // The DOS attributes of a host file as Wine reports them.
    static std::uint32_t hostAttributes(const std::string& hostPath);

protected:
    // Where the search for a free temporary file number starts (1..0xFFFF).
    virtual unsigned tempFileStart() const;

private:
    // How a path is used: read (junctions followed where missing), removed
    // (the last name is the junction itself), written (missing junctions made
    // as links), or its last folder created (its junction's folder too).
    enum class Reach { Read, Remove, Write, CreateLast };
    std::string mapPath(const std::string& windowsPath, Reach reach) const;
    bool writeHost(const std::string& path, const std::string& bytes, bool append);
    // False, with the reason, when a link on the way to the host path of
    // `windowsPath` may not be followed for that use (posix/HostLinks.h);
    // the drive's own link is judged too.
    bool linksAllow(const std::string& windowsPath, const std::string& host, posix::LinkUse use, bool followLast,
                    std::string& why) const;
    bool linksAllow(const std::string& windowsPath, const std::string& host, posix::LinkUse use,
                    bool followLast = true) const {
        std::string why;
        return linksAllow(windowsPath, host, use, followLast, why);
    }
    bool listEntries(const std::string& folder, std::vector<std::string>& names, bool folders) const;

    WinePrefix prefix_;
    std::string within_;  // the prefix's canonical path
    const CodePage& codePage_;
    mutable FolderNames names_{codePage_};
};

}  // namespace qm::platform::wine
