#pragma once
// Files as the core sees them: Windows paths ("C:\Users\u\...",
// "\\server\share\..."), ANSI text, case-insensitive names. The Windows
// implementation passes paths through; the Wine one maps them into a prefix.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileStreams.h"

namespace qm::platform {

// DOS attribute bits, with Win32's values.
struct FileAttribute {
    static constexpr std::uint32_t ReadOnly = 0x01;
    static constexpr std::uint32_t Hidden = 0x02;
    static constexpr std::uint32_t System = 0x04;
    static constexpr std::uint32_t Directory = 0x10;
    static constexpr std::uint32_t Archive = 0x20;
    static constexpr std::uint32_t Normal = 0x80;
    static constexpr std::uint32_t Invalid = 0xFFFFFFFFu;
};

// Held by the process that made a private folder, for as long as it lives
// (see FileSystem::createPrivateFolder).
class FolderClaim {
public:
    virtual ~FolderClaim() = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The code page of the names and of the text files.
    virtual const CodePage& codePage() const = 0;

    // The host path behind a Windows path (identity on Windows). The file or
    // folder is found whatever the letter case of its name; a missing last
    // component keeps the case given. Empty when the path cannot be mapped.
    virtual std::string hostPath(const std::string& windowsPath) const = 0;
    // A host path as the Windows path that reaches it (Z:\... under Wine).
    virtual std::string windowsPath(const std::string& hostPath) const = 0;
    // A path the user typed: a Windows path stays, a host path is converted.
    virtual std::string fromUserPath(const std::string& path) const = 0;

    // An ordinary file: exists, is not a folder, not hidden, not system.
    virtual bool fileExists(const std::string& path) const = 0;
    virtual bool folderExists(const std::string& path) const = 0;
    // Names of the files (not folders) directly in the folder, hidden and
    // system files included. False when the folder cannot be listed.
    virtual bool listFiles(const std::string& folder, std::vector<std::string>& names) const = 0;
    // One level: fails when the parent is missing. The new folder is its
    // owner's alone (mode 0700 where there are modes).
    virtual bool createFolder(const std::string& path) = 0;
    // RemoveDirectoryA: removes an empty folder; fails when it holds anything.
    virtual bool removeFolder(const std::string& /*path*/) { return false; }
    // Names of the folders directly in a folder. False when it cannot be
    // listed (or the file layer does not list folders).
    virtual bool listFolders(const std::string& /*folder*/, std::vector<std::string>& /*names*/) const {
        return false;
    }
    // A new folder (one level) that only its owner may enter, in which new
    // files are readable by the owner alone, claimed by this process while
    // the answer lives. Null when it cannot be made, is there already, or
    // the file layer cannot keep it private.
    virtual std::unique_ptr<FolderClaim> createPrivateFolder(const std::string& /*path*/) { return nullptr; }
    // Removes a folder that no running process claims, with the files
    // directly in it (what a killed run left). False when it is claimed,
    // holds a folder, or cannot be removed.
    virtual bool removeUnclaimedFolder(const std::string& /*path*/) { return false; }
    // Claims a folder that no running process claims (a killed run's, to
    // finish what it left); null when another process claims it.
    virtual std::unique_ptr<FolderClaim> claimFolder(const std::string& /*path*/) { return nullptr; }
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
    // A second name for an existing file, never over another file (a hard
    // link; the memory backend copies). False where the file system has no
    // such thing (FAT): the caller then renames.
    virtual bool linkFile(const std::string& /*existing*/, const std::string& /*newName*/) { return false; }
    virtual bool deleteFile(const std::string& path) = 0;
    virtual std::uint32_t getAttributes(const std::string& path) const = 0;
    virtual bool setAttributes(const std::string& path, std::uint32_t attributes) = 0;

    virtual bool readFile(const std::string& path, std::string& bytes) const = 0;
    virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
    virtual bool appendFile(const std::string& path, const std::string& bytes) = 0;

    // What is at a path now; `exists` false when nothing (or it cannot be
    // looked at).
    virtual FileInfo stat(const std::string& path) const = 0;
    // A file opened for reading in pieces; null with `error` when it cannot
    // be (a FIFO or device is opened without waiting, then refused).
    virtual std::unique_ptr<ReadStream> openRead(const std::string& path, std::string& error) const = 0;
    // A new file beside `target` that replaces it on commit(); null with
    // `error` when none can be made. It is created with the rights `access`
    // asks for (by default its owner's alone) unless it replaces a file.
    // Only a regular file of the running user is replaced (a folder, device,
    // FIFO, socket or link at the name, or another user's file, is refused),
    // and its mode is kept without more rights for the group and others than
    // the owner has. The new file's name never passes 255 bytes.
    virtual std::unique_ptr<ReplaceStream> createReplacement(const std::string& target, std::string& error,
                                                             NewFileAccess access = NewFileAccess::OwnerOnly) = 0;
    // Removes replacement files for `target` left by runs that ended before
    // committing (one still held by a running process stays).
    virtual void removeStaleReplacements(const std::string& target) = 0;

    // GetTempFileNameA: prefix (first three characters), up to four hex
    // digits, ".TMP", in `folder`; with unique 0 the empty file is created and
    // a number not in use is chosen. Returns the number used (0 on failure)
    // and the full path in `result`.
    virtual unsigned getTempFileName(const std::string& folder, const std::string& prefix,
                                     unsigned unique, std::string& result) = 0;
};

}  // namespace qm::platform
