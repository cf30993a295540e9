#include "platform/win32/Win32Streams.h"
#include "platform/win32/AnsiPaths.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace qm::platform::win32 {
namespace {

constexpr const char* kPartMark = ".qmpart-";
// 100 ns steps from 1601 to 1970.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;

std::int64_t fileTimeTicks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

FileInfo infoOf(HANDLE h) {
    FileInfo info;
    BY_HANDLE_FILE_INFORMATION data{};
    if (!GetFileInformationByHandle(h, &data)) return info;
    info.exists = true;
    info.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.regular = !info.directory && GetFileType(h) == FILE_TYPE_DISK;
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const std::int64_t ticks = fileTimeTicks(data.ftLastWriteTime) - kEpochDifference;
    info.mtimeSec = ticks / 10000000;
    info.mtimeNsec = (ticks % 10000000) * 100;
    info.device = data.dwVolumeSerialNumber;
    info.inode = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    return info;
}

DWORD moveMethod(SeekFrom from) {
    switch (from) {
        case SeekFrom::Begin: return FILE_BEGIN;
        case SeekFrom::Current: return FILE_CURRENT;
        case SeekFrom::End: return FILE_END;
    }
    return FILE_BEGIN;
}

// One open handle with the last error kept.
class Handle {
public:
    Handle() = default;
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
        close();
        h_ = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h_ == INVALID_HANDLE_VALUE) return fail();
        return true;
    }
    bool isOpen() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool fail() {
        error_ = GetLastError();
        return false;
    }
    bool seek(std::int64_t offset, SeekFrom from) {
        LARGE_INTEGER distance;
        distance.QuadPart = offset;
        return SetFilePointerEx(h_, distance, nullptr, moveMethod(from)) ? true : fail();
    }
    std::int64_t tell() {
        LARGE_INTEGER zero{}, position{};
        if (!SetFilePointerEx(h_, zero, &position, FILE_CURRENT)) return fail(), -1;
        return position.QuadPart;
    }
    void close() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    std::string error() const { return error_ ? errorText(error_) : std::string(); }
    void setError(DWORD code) { error_ = code; }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
};

class Win32ReadStream final : public ReadStream {
public:
    FileInfo info() const override { return infoOf(file.get()); }
    std::int64_t read(void* buffer, std::size_t length) override {
        DWORD got = 0;
        const DWORD want = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        if (!ReadFile(file.get(), buffer, want, &got, nullptr)) return file.fail(), -1;
        return got;
    }
    bool seek(std::int64_t offset, SeekFrom from) override { return file.seek(offset, from); }
    std::int64_t tell() override { return file.tell(); }
    std::string error() const override { return file.error(); }

    Handle file;
};

class Win32ReplaceStream final : public ReplaceStream {
public:
    ~Win32ReplaceStream() override { discard(); }

    bool write(const void* data, std::size_t length) override {
        const auto* p = static_cast<const char*>(data);
        while (length > 0) {
            const DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
            DWORD written = 0;
            if (!WriteFile(file.get(), p, chunk, &written, nullptr)) return file.fail();
            p += written;
            length -= written;
        }
        return true;
    }
    bool seek(std::int64_t offset, SeekFrom from) override { return file.seek(offset, from); }
    std::int64_t tell() override { return file.tell(); }
    bool commit() override {
        if (!file.isOpen()) return false;
        if (!FlushFileBuffers(file.get())) return file.fail();
        file.close();
        if (!MoveFileExA(path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            file.fail();
            DeleteFileA(path.c_str());
            path.clear();
            return false;
        }
        path.clear();
        return true;
    }
    void discard() override {
        file.close();
        if (!path.empty()) DeleteFileA(path.c_str());
        path.clear();
    }
    std::string keep() override {
        if (!file.isOpen() || path.empty()) return {};
        if (!FlushFileBuffers(file.get())) {
            file.fail();
            discard();
            return {};
        }
        file.close();
        std::string kept;
        kept.swap(path);
        return kept.substr(kept.find_last_of("\\/") + 1);
    }
    bool setModified(std::int64_t seconds) override {
        const std::uint64_t ticks = static_cast<std::uint64_t>(seconds * 10000000 + kEpochDifference);
        FILETIME t;
        t.dwLowDateTime = static_cast<DWORD>(ticks);
        t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
        return SetFileTime(file.get(), nullptr, nullptr, &t) ? true : file.fail();
    }
    std::unique_ptr<ReadStream> readBack() override {
        if (path.empty() || !file.isOpen()) return nullptr;
        auto stream = std::make_unique<Win32ReadStream>();
        // Our own writing handle is open: its write access must be shared.
        if (!stream->file.open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)) return nullptr;
        return stream;
    }
    std::string error() const override { return file.error(); }

    Handle file;
    std::string path;
    std::string target;
};

std::string folderOf(const std::string& path) {
    const auto slash = lastSeparator(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::atomic<unsigned> partCounter{0};

}  // namespace

std::string errorText(unsigned long code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : std::string("error");
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out + " (" + std::to_string(code) + ")";
}

FileInfo statFile(const std::string& path) {
    Handle h;
    if (path.empty() || !h.open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING))
        return {};
    return infoOf(h.get());
}

std::unique_ptr<ReadStream> openReadStream(const std::string& path, std::string& error) {
    auto stream = std::make_unique<Win32ReadStream>();
    if (!stream->file.open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)) {
        error = "cannot open " + path + ": " + stream->file.error();
        return nullptr;
    }
    // Pipes, devices and folders are not files to copy.
    const FileInfo info = stream->info();
    if (!info.regular) {
        error = "cannot open " + path + ": not an ordinary file";
        return nullptr;
    }
    return stream;
}

std::unique_ptr<ReplaceStream> createReplaceStream(const std::string& target, std::string& error) {
    auto stream = std::make_unique<Win32ReplaceStream>();
    stream->target = target;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, "%s%lx-%x", kPartMark, GetCurrentProcessId(),
                      static_cast<unsigned>(partCounter.fetch_add(1) ^ (GetTickCount() & 0xFFF0000u)));
        const std::string path = target + suffix;
        // No delete sharing: nobody removes it while we write it.
        if (stream->file.open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW)) {
            stream->path = path;
            return stream;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    error = "cannot create a new file beside " + target + ": " + stream->file.error();
    return nullptr;
}

void removeStaleReplaceFiles(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string name = target.substr(folder.size()) + kPartMark;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((target + kPartMark + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string entry = found.cFileName;
        if (entry.compare(0, name.size(), name) != 0 || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        // A part whose process still runs is left alone (it may be about to
        // be moved into place); one held open cannot be deleted anyway.
        const unsigned long pid = std::strtoul(entry.c_str() + name.size(), nullptr, 16);
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
            DWORD code = 0;
            const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
            CloseHandle(process);
            if (running) continue;
        }
        DeleteFileA((folder + entry).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace qm::platform::win32
