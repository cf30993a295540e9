#include "platform/win32/Win32FileSystem.h"

#include <windows.h>
// After windows.h.
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/OwnerOnly.h"
#include "platform/win32/Win32Streams.h"

namespace qm::platform::win32 {

std::string Win32FileSystem::fromUserPath(const std::string& path) const {
    if (path.empty()) return path;
    // A relative path is taken against the current folder, as typed.
    char full[MAX_PATH * 2] = {};
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return path;
    return std::string(full, n);
}

std::uint32_t Win32FileSystem::getAttributes(const std::string& path) const {
    if (path.empty()) return FileAttribute::Invalid;
    return GetFileAttributesA(path.c_str());
}

bool Win32FileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool Win32FileSystem::fileExists(const std::string& path) const {
    const std::uint32_t a = getAttributes(path);
    return a != FileAttribute::Invalid &&
           (a & (FileAttribute::Directory | FileAttribute::Hidden | FileAttribute::System)) == 0;
}

bool Win32FileSystem::folderExists(const std::string& path) const {
    const std::uint32_t a = getAttributes(path);
    return a != FileAttribute::Invalid && (a & FileAttribute::Directory) != 0;
}

bool Win32FileSystem::listFiles(const std::string& folder, std::vector<std::string>& names) const {
    return listEntries(folder, names, false);
}

bool Win32FileSystem::listFolders(const std::string& folder, std::vector<std::string>& names) const {
    return listEntries(folder, names, true);
}

bool Win32FileSystem::listEntries(const std::string& folder, std::vector<std::string>& names, bool folders) const {
    if (!folderExists(folder)) return false;
    std::string pattern = folder;
    if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    } else {
        do {
            const std::string name = entry.cFileName;
            const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder == folders && name != "." && name != "..") found.push_back(name);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    // The same order whatever the file system lists first.
    std::sort(found.begin(), found.end(), [this](const std::string& a, const std::string& b) {
        auto ua = codePage_.foldCase(a), ub = codePage_.foldCase(b);
        return ua != ub ? ua < ub : a < b;
    });
    names = std::move(found);
    return true;
}

namespace {

// A handle on the folder that shares everything but deletion: while it is
// open no other process can remove the folder, nor open it alone.
class Win32FolderClaim final : public FolderClaim {
public:
    explicit Win32FolderClaim(HANDLE handle) : handle_(handle) {}
    ~Win32FolderClaim() override { CloseHandle(handle_); }

private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<FolderClaim> Win32FileSystem::createPrivateFolder(const std::string& path) {
    // Below the user's own profile the folder is private by inheritance; the
    // explicit descriptor keeps it so wherever the work root is.
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::string text = ownerOnlyDescriptor();
    if (!text.empty() &&
        ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    const BOOL made = CreateDirectoryA(path.c_str(), descriptor ? &attributes : nullptr);
    if (descriptor) LocalFree(descriptor);
    if (!made) return nullptr;
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FolderClaim>(handle);
}

std::unique_ptr<FolderClaim> Win32FileSystem::claimFolder(const std::string& path) {
    // Opened alone first: a folder a running process claims refuses that.
    const HANDLE alone = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (alone == INVALID_HANDLE_VALUE) return nullptr;
    CloseHandle(alone);
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FolderClaim>(handle);
}

bool Win32FileSystem::removeUnclaimedFolder(const std::string& path) {
    // Opened alone: a folder a running process claims refuses that.
    const HANDLE alone = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (alone == INVALID_HANDLE_VALUE) return false;
    CloseHandle(alone);
    std::vector<std::string> names;
    if (!listEntries(path, names, false)) return false;
    for (const auto& name : names) {
        const std::string file = path + "\\" + name;
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool Win32FileSystem::createFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool Win32FileSystem::removeFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool Win32FileSystem::renameFile(const std::string& from, const std::string& to) {
    // Never over another file; files move between drives by copying.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED) != 0;
}

bool Win32FileSystem::linkFile(const std::string& existing, const std::string& newName) {
    return CreateHardLinkA(newName.c_str(), existing.c_str(), nullptr) != 0;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return DeleteFileA(path.c_str()) != 0;
}

bool Win32FileSystem::readFile(const std::string& path, std::string& bytes) const {
    std::string error;
    auto stream = openReadStream(path, error);
    if (!stream) return false;
    std::string out;
    char buffer[65536];
    for (;;) {
        const std::int64_t n = stream->read(buffer, sizeof buffer);
        if (n < 0) return false;
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    bytes = std::move(out);
    return true;
}

bool Win32FileSystem::write(const std::string& path, const std::string& bytes, bool append) {
    // Windows refuses to write a read-only file to anyone; Wine lets an
    // administrator (root) through. Refused the same everywhere.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE h = CreateFileA(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileType(h) == FILE_TYPE_DISK;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (ok && left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        ok = WriteFile(h, p, chunk, &written, nullptr) != 0;
        p += written;
        left -= written;
    }
    if (!CloseHandle(h)) ok = false;
    return ok;
}

bool Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) { return write(path, bytes, false); }

bool Win32FileSystem::appendFile(const std::string& path, const std::string& bytes) { return write(path, bytes, true); }

FileInfo Win32FileSystem::stat(const std::string& path) const { return statFile(path); }

std::unique_ptr<ReadStream> Win32FileSystem::openRead(const std::string& path, std::string& error) const {
    return openReadStream(path, error);
}

std::unique_ptr<ReplaceStream> Win32FileSystem::createReplacement(const std::string& target, std::string& error,
                                                                  NewFileAccess /*access*/) {
    return createReplaceStream(target, error, codePage_.leadBytes());
}

void Win32FileSystem::removeStaleReplacements(const std::string& target) {
    removeStaleReplaceFiles(target, codePage_.leadBytes());
}

unsigned Win32FileSystem::getTempFileName(const std::string& folder, const std::string& prefix, unsigned unique,
                                          std::string& result) {
    if (folder.empty()) return 0;
    char name[MAX_PATH + 1] = {};
    const UINT number = GetTempFileNameA(folder.c_str(), prefix.c_str(), unique & 0xFFFF, name);
    if (number == 0) return 0;
    result = name;
    return number;
}

}  // namespace qm::platform::win32
