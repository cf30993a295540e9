#include "platform/wine/WineFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/posix/HostFile.h"
#include "platform/posix/HostStreams.h"
#include "platform/wine/CompatFolders.h"

namespace qm::platform::wine {
namespace {

// Samba's attribute store, which Wine shares; only these two bits live there.
constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr std::uint32_t kXattrMask = FileAttribute::Hidden | FileAttribute::System;

// ---- names -----------------------------------------------------------------

bool hostExists(const std::string& host, struct stat* st = nullptr) {
    struct stat local {};
    return lstat(host.c_str(), st ? st : &local) == 0;
}

std::string joinHost(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string lastHostName(const std::string& host) {
    auto slash = host.rfind('/');
    return slash == std::string::npos ? host : host.substr(slash + 1);
}

// The host name of `ansiName` inside `folder`: an exact match first, then the
// first entry (in sorted order, so the choice is stable) whose name matches
// ignoring case. Empty when there is none.
std::string findEntry(FolderNames& names, const CodePage& cp, const std::string& folder, const std::string& ansiName) {
    const std::string exact = cp.toUtf8(ansiName);
    if (hostExists(joinHost(folder, exact))) return exact;
    return names.find(folder, ansiName);
}

std::pair<std::string, std::string> splitHost(const std::string& host) {
    std::pair<std::string, std::string> parts;
    posix::splitHostPath(host, parts.first, parts.second);
    return parts;
}

// ---- Windows paths -----------------------------------------------------------

struct ParsedPath {
    enum class Kind { Drive, Unc, Unix } kind = Kind::Drive;
    char drive = 0;
    std::vector<std::string> parts;  // ANSI
};

// "|" can be the second byte of a double-byte character: looked for by character.
bool validComponent(const std::string& c, const base::LeadBytes& leads) {
    for (unsigned char ch : c)
        if (ch < 0x20) return false;
    return leads.findFirstOf(c, "<>:\"|?*") == std::string::npos;
}

bool startsWithIgnoringCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

bool parseWindowsPath(std::string path, const base::LeadBytes& leads, ParsedPath& out) {
    // "/" is never the second byte of a double-byte character.
    std::replace(path.begin(), path.end(), '/', '\\');
    bool unix = false;
    if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0) {
        path = path.substr(4);
        if (startsWithIgnoringCase(path, "UNC\\")) {
            path = "\\\\" + path.substr(4);
        } else if (startsWithIgnoringCase(path, "unix\\")) {
            // Wine's name for a host path that no drive reaches.
            unix = true;
            path = path.substr(4);
        }
    }
    std::string rest;
    if (unix) {
        out.kind = ParsedPath::Kind::Unix;
        rest = path;
    } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        out.kind = ParsedPath::Kind::Unc;
        rest = path.substr(2);
    } else if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        out.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        rest = path.substr(2);
    } else {
        return false;  // relative to a current folder we do not have
    }
    const std::size_t fixed = out.kind == ParsedPath::Kind::Unc ? 2 : 0;  // server and share stay
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = leads.findFirstOf(rest, "\\", start);
        if (end == std::string::npos) end = rest.size();
        std::string c = rest.substr(start, end - start);
        start = end + 1;
        if (c.empty() || c == ".") continue;
        if (c == "..") {
            if (out.parts.size() > fixed) out.parts.pop_back();
            continue;
        }
        // Windows ignores trailing dots and blanks of a name (never trail bytes).
        if (!unix)
            while (!c.empty() && (c.back() == '.' || c.back() == ' ')) c.pop_back();
        if (c.empty()) continue;
        if (!validComponent(c, leads)) return false;
        out.parts.push_back(c);
    }
    if (out.kind == ParsedPath::Kind::Unc && out.parts.empty()) return false;
    return true;
}

// "AppData/Roaming" for the symbolic link that stands for a junction.
std::string linkText(const std::vector<std::string>& target) {
    if (target.empty()) return ".";
    std::string text;
    for (const auto& t : target) text += (text.empty() ? "" : "/") + t;
    return text;
}

bool isFolder(const std::string& host) {
    struct stat st {};
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The missing levels of a host folder, each its owner's alone.
void makePrivateFolders(const std::string& host) {
    const std::size_t slash = host.rfind('/');
    if (slash != std::string::npos && slash > 0 && !isFolder(host.substr(0, slash)))
        makePrivateFolders(host.substr(0, slash));
    mkdir(host.c_str(), 0700);
}

// ---- attributes ----------------------------------------------------------------

std::uint32_t readXattr(const std::string& host) {
    char buffer[32];
    ssize_t n = getxattr(host.c_str(), kDosAttrib, buffer, sizeof buffer - 1);
    if (n < 3) return 0;
    buffer[n] = 0;
    if (buffer[0] != '0' || (buffer[1] != 'x' && buffer[1] != 'X')) return 0;
    return static_cast<std::uint32_t>(std::strtoul(buffer + 2, nullptr, 16)) & kXattrMask;
}

bool writeXattr(const std::string& host, std::uint32_t bits) {
    bits &= kXattrMask;
    if (bits == 0) {
        if (removexattr(host.c_str(), kDosAttrib) == 0) return true;
        // Nothing stored, or nowhere to store it: either way nothing is set.
        return errno == ENODATA || errno == ENOTSUP;
    }
    char text[16];
    int len = std::snprintf(text, sizeof text, "0x%x", bits);
    return setxattr(host.c_str(), kDosAttrib, text, static_cast<std::size_t>(len), 0) == 0;
}

mode_t processUmask() {
    static const mode_t mask = [] {
        mode_t m = umask(022);
        umask(m);
        return m;
    }();
    return mask;
}

bool isReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// ---- whole-file I/O --------------------------------------------------------------

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool copyHostFile(const std::string& from, const std::string& to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    fstat(in, &st);
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!writeAll(out, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    close(in);
    if (close(out) != 0) ok = false;
    if (!ok) {
        unlink(to.c_str());
        return false;
    }
    writeXattr(to, readXattr(from));
    return true;
}

std::atomic<unsigned> lastTempNumber{0};

}  // namespace

WineFileSystem::WineFileSystem(WinePrefix prefix, const CodePage& codePage)
    : prefix_(std::move(prefix)), codePage_(codePage) {
    std::error_code ec;
    within_ = normalHostPath(std::filesystem::weakly_canonical(prefix_.path(), ec).string());
    if (ec) within_ = prefix_.path();
}

bool WineFileSystem::linksAllow(const std::string& windowsPath, const std::string& host, posix::LinkUse use,
                                bool followLast, std::string& why) const {
    ParsedPath p;
    if (parseWindowsPath(windowsPath, codePage_.leadBytes(), p) && p.kind == ParsedPath::Kind::Drive) {
        const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(p.drive))));
        if (!posix::linkAllows(prefix_.dosdevices() + "/" + drive + ":", within_, use, why)) return false;
    }
    // The prefix's own path as the canonical one, which holds no link.
    const std::string& lexical = prefix_.path();
    std::string path = host;
    if (lexical != within_ && host.compare(0, lexical.size(), lexical) == 0 &&
        (host.size() == lexical.size() || host[lexical.size()] == '/'))
        path = within_ + host.substr(lexical.size());
    return posix::linksAllow(path, within_, use, followLast, why);
}

// ---- mapping ---------------------------------------------------------------------

std::string WineFileSystem::hostPath(const std::string& windowsPath) const { return mapPath(windowsPath, Reach::Read); }

std::string WineFileSystem::mapPath(const std::string& windowsPath, Reach reach) const {
    ParsedPath p;
    if (!parseWindowsPath(windowsPath, codePage_.leadBytes(), p)) return {};
    std::string host = p.kind == ParsedPath::Kind::Unc    ? prefix_.uncRoot()
                       : p.kind == ParsedPath::Kind::Unix ? std::string("/")
                                                          : prefix_.driveTarget(p.drive);
    if (host.empty()) return {};
    // Windows keeps its junctions on the system drive.
    const bool systemDrive = p.kind == ParsedPath::Kind::Drive && p.drive == 'C';
    std::vector<std::u16string> resolved;  // the names below the root so far, junctions followed, folded
    bool found = true;
    for (std::size_t i = 0; i < p.parts.size(); ++i) {
        const std::string& part = p.parts[i];
        const bool last = i + 1 == p.parts.size();
        std::string name = found ? findEntry(names_, codePage_, host, part) : std::string();
        if (!name.empty()) {
            host = joinHost(host, name);
            resolved.push_back(codePage_.foldCase(part));
            continue;
        }
        // A junction is removed or renamed itself, never its target.
        const bool junctionItself = last && reach == Reach::Remove;
        const auto junction =
            found && systemDrive && !junctionItself ? compatFolder(resolved, codePage_.foldCase(part)) : std::nullopt;
        if (!junction) {
            found = false;
            host = joinHost(host, codePage_.toUtf8(part));
            continue;
        }
        std::string to = host;
        for (const auto& t : junction->target) {
            if (t == "..") {
                to = to.substr(0, std::max<std::size_t>(1, to.rfind('/')));
                if (!resolved.empty()) resolved.pop_back();
                continue;
            }
            const std::string entry = findEntry(names_, codePage_, to, t);
            to = joinHost(to, entry.empty() ? t : entry);
            resolved.push_back(codePage_.foldCase(t));
        }
        if (reach == Reach::CreateLast && last && !isFolder(to)) makePrivateFolders(to);
        // A path written into the prefix must open under Wine too: the
        // junction is made as a link to the real folder, never as a second
        // folder that would hide the first.
        if ((reach == Reach::Write || reach == Reach::CreateLast) && isFolder(to)) {
            const std::string link = joinHost(host, junction->name);
            if (symlink(linkText(junction->target).c_str(), link.c_str()) == 0 || (errno == EEXIST && isFolder(link))) {
                host = link;
                continue;
            }
        }
        host = to;
    }
    return host;
}

std::string WineFileSystem::windowsPath(const std::string& hostPathIn) const {
    const std::string lexical = absoluteHostPath(hostPathIn);
    if (lexical.empty()) return {};
    std::error_code ec;
    std::string canonical = normalHostPath(std::filesystem::weakly_canonical(lexical, ec).string());
    if (ec) canonical.clear();

    auto within = [](const std::string& path, const std::string& root) {
        if (root == "/") return true;
        return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                                path[root.size()] == '/');
    };
    char bestLetter = 0;
    std::string bestRest;
    std::size_t bestLength = 0;
    for (const auto& d : prefix_.drives()) {
        std::vector<std::string> roots{d.target};
        std::string real = normalHostPath(std::filesystem::canonical(d.target, ec).string());
        if (!ec && real != d.target) roots.push_back(real);
        for (const auto& root : roots) {
            for (const std::string* path : std::array<const std::string*, 2>{&lexical, &canonical}) {
                if (path->empty() || !within(*path, root)) continue;
                // The deepest drive wins: C: for <prefix>/drive_c/x, not Z:.
                if (bestLetter && root.size() <= bestLength) continue;
                bestLetter = d.letter;
                bestLength = root.size();
                bestRest = root == "/" ? path->substr(1) : path->substr(std::min(path->size(), root.size() + 1));
            }
        }
    }
    if (!bestLetter) {
        // No drive reaches it (a prefix without Z:): Wine's own name for it.
        std::string rest = codePage_.fromUtf8(lexical);
        std::replace(rest.begin(), rest.end(), '/', '\\');
        return "\\\\?\\unix" + rest;
    }
    std::string rest = codePage_.fromUtf8(bestRest);
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return std::string(1, bestLetter) + ":\\" + rest;
}

std::string WineFileSystem::fromUserPath(const std::string& path) const {
    if (path.empty()) return path;
    const bool drive = path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
    if (drive || path[0] == '\\') return path;
    // A host path, absolute or relative to the current folder (as Wine takes
    // a relative path of a program started from a shell).
    std::string host = path[0] == '/' ? normalHostPath(path)
                                      : codePage_.fromUtf8(absoluteHostPath(codePage_.toUtf8(path)));
    if (host.empty()) return {};
    if (prefix_.driveTarget('z') == "/") {
        std::string rest = host.substr(1);
        std::replace(rest.begin(), rest.end(), '/', '\\');
        return "Z:\\" + rest;
    }
    return windowsPath(codePage_.toUtf8(host));
}

// ---- queries -------------------------------------------------------------------------

std::uint32_t WineFileSystem::hostAttributes(const std::string& host) {
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) return FileAttribute::Invalid;
    std::uint32_t attr = S_ISDIR(st.st_mode) ? FileAttribute::Directory : FileAttribute::Archive;
    if (isReadOnly(st)) attr |= FileAttribute::ReadOnly;
    const std::string name = lastHostName(host);
    if (name.size() > 1 && name[0] == '.' && name != "..") attr |= FileAttribute::Hidden;
    return attr | readXattr(host);
}

std::uint32_t WineFileSystem::getAttributes(const std::string& path) const {
    return hostAttributes(hostPath(path));
}

bool WineFileSystem::fileExists(const std::string& path) const {
    const std::uint32_t a = getAttributes(path);
    return a != FileAttribute::Invalid &&
           (a & (FileAttribute::Directory | FileAttribute::Hidden | FileAttribute::System)) == 0;
}

bool WineFileSystem::folderExists(const std::string& path) const {
    struct stat st {};
    const std::string host = hostPath(path);
    return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WineFileSystem::listFiles(const std::string& folder, std::vector<std::string>& names) const {
    return listEntries(folder, names, false);
}

bool WineFileSystem::listFolders(const std::string& folder, std::vector<std::string>& names) const {
    return listEntries(folder, names, true);
}

bool WineFileSystem::listEntries(const std::string& folder, std::vector<std::string>& names, bool folders) const {
    const std::string host = hostPath(folder);
    if (host.empty() || !linksAllow(folder, host, posix::LinkUse::Read)) return false;
    DIR* dir = opendir(host.c_str());
    if (!dir) return false;
    std::vector<std::string> found;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::stat(joinHost(host, name).c_str(), &st) != 0 || !(folders ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode)))
            continue;
        found.push_back(codePage_.fromUtf8(name));
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [this](const std::string& a, const std::string& b) {
        auto ua = codePage_.foldCase(a), ub = codePage_.foldCase(b);
        return ua != ub ? ua < ub : a < b;
    });
    names = std::move(found);
    return true;
}

// ---- changes ----------------------------------------------------------------------------

bool WineFileSystem::createFolder(const std::string& path) {
    if (folderExists(path)) return false;
    const std::string host = mapPath(path, Reach::CreateLast);
    if (host.empty() || !linksAllow(path, host, posix::LinkUse::Write)) return false;
    // What the program makes is its user's alone.
    if (mkdir(host.c_str(), 0700) == 0) return true;
    // A junction made just now for its older name is the folder asked for.
    return errno == EEXIST && isFolder(host);
}

std::unique_ptr<FolderClaim> WineFileSystem::createPrivateFolder(const std::string& path) {
    const std::string host = hostPath(path);
    return host.empty() ? nullptr : posix::createPrivateHostFolder(host);
}

std::unique_ptr<FolderClaim> WineFileSystem::claimFolder(const std::string& path) {
    const std::string host = hostPath(path);
    return host.empty() ? nullptr : posix::claimHostFolder(host);
}

bool WineFileSystem::removeUnclaimedFolder(const std::string& path) {
    const std::string host = hostPath(path);
    return !host.empty() && posix::removeUnclaimedHostFolder(host);
}

bool WineFileSystem::removeFolder(const std::string& path) {
    const std::string host = mapPath(path, Reach::Remove);
    struct stat st {};
    if (host.empty() || lstat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        !linksAllow(path, host, posix::LinkUse::Write, false))
        return false;
    return rmdir(host.c_str()) == 0;
}

bool WineFileSystem::linkFile(const std::string& existing, const std::string& newName) {
    const std::string source = mapPath(existing, Reach::Remove);
    struct stat sst {};
    if (source.empty() || lstat(source.c_str(), &sst) != 0 || !S_ISREG(sst.st_mode)) return false;
    // Another name for a file is a rename to the tests that refuse one.
    if (posix::beforeRenameHook() && !posix::beforeRenameHook()(source)) return false;
    const std::string target = mapPath(newName, Reach::Write);
    if (target.empty() || !linksAllow(existing, source, posix::LinkUse::Write, false) ||
        !linksAllow(newName, target, posix::LinkUse::Write, false))
        return false;
    const auto [toFolder, toName] = splitHost(target);
    const FolderNames::Stamp before = FolderNames::stampOf(toFolder);
    if (link(source.c_str(), target.c_str()) != 0) return false;
    names_.changed(toFolder, before, "", toName);
    return true;
}

bool WineFileSystem::renameFile(const std::string& from, const std::string& to) {
    const std::string source = mapPath(from, Reach::Remove);
    struct stat sst {};
    if (source.empty() || lstat(source.c_str(), &sst) != 0) return false;
    if (posix::beforeRenameHook() && !posix::beforeRenameHook()(source)) return false;
    std::string target = mapPath(to, Reach::Write);
    if (target.empty() || !linksAllow(from, source, posix::LinkUse::Write, false) ||
        !linksAllow(to, target, posix::LinkUse::Write, false))
        return false;
    struct stat tst {};
    if (lstat(target.c_str(), &tst) == 0) {
        if (tst.st_dev != sst.st_dev || tst.st_ino != sst.st_ino) return false;  // taken
        // The same file under another case: keep the case asked for.
        ParsedPath p;
        if (!parseWindowsPath(to, codePage_.leadBytes(), p) || p.parts.empty()) return false;
        target = joinHost(target.substr(0, target.rfind('/')), codePage_.toUtf8(p.parts.back()));
        if (target == source) return true;
        return rename(source.c_str(), target.c_str()) == 0;
    }
    // The folders' indexes of names follow the move (see FolderNames).
    const auto [fromFolder, fromName] = splitHost(source);
    const auto [toFolder, toName] = splitHost(target);
    const FolderNames::Stamp fromBefore = FolderNames::stampOf(fromFolder);
    const FolderNames::Stamp toBefore = fromFolder == toFolder ? fromBefore : FolderNames::stampOf(toFolder);
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        if (fromFolder == toFolder) {
            names_.changed(fromFolder, fromBefore, fromName, toName);
        } else {
            names_.changed(fromFolder, fromBefore, fromName, "");
            names_.changed(toFolder, toBefore, "", toName);
        }
        return true;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        // No atomic no-replace here: a hard link refuses an existing name too.
        if (S_ISREG(sst.st_mode) && link(source.c_str(), target.c_str()) == 0) return unlink(source.c_str()) == 0;
        if (hostExists(target)) return false;
        return rename(source.c_str(), target.c_str()) == 0;
    }
    if (errno == EXDEV && S_ISREG(sst.st_mode)) {
        // Another drive: files move by copying, as MoveFile does.
        if (!copyHostFile(source, target)) return false;
        if (unlink(source.c_str()) != 0) {
            unlink(target.c_str());
            return false;
        }
        return true;
    }
    return false;
}

bool WineFileSystem::deleteFile(const std::string& path) {
    const std::string host = mapPath(path, Reach::Remove);
    struct stat st {};
    if (host.empty() || lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
        !linksAllow(path, host, posix::LinkUse::Write, false))
        return false;
    // A read-only file cannot be deleted (Wine refuses it even for root).
    struct stat target {};
    if (::stat(host.c_str(), &target) == 0 && S_ISREG(target.st_mode) && isReadOnly(target)) return false;
    const auto [folder, name] = splitHost(host);
    const FolderNames::Stamp before = FolderNames::stampOf(folder);
    if (unlink(host.c_str()) != 0) return false;
    names_.changed(folder, before, name, "");
    return true;
}

bool WineFileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    const std::string host = hostPath(path);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0 || !linksAllow(path, host, posix::LinkUse::Write)) return false;
    mode_t mode = st.st_mode & 07777;
    const bool readOnly = (attributes & FileAttribute::ReadOnly) && !S_ISDIR(st.st_mode);
    if (readOnly)
        mode &= ~static_cast<mode_t>(0222);
    else if (!S_ISDIR(st.st_mode))
        // Write permission back where there is read permission, as Wine does.
        mode |= (0600 | ((mode & 044) >> 1)) & ~processUmask();
    // An unprivileged user may change the extended attribute only while the
    // file is writable: store it before taking write permission away.
    if (readOnly) {
        if (!writeXattr(host, attributes)) return false;
        return mode == (st.st_mode & 07777) || chmod(host.c_str(), mode) == 0;
    }
    if (mode != (st.st_mode & 07777) && chmod(host.c_str(), mode) != 0) return false;
    return writeXattr(host, attributes);
}

bool WineFileSystem::readFile(const std::string& path, std::string& bytes) const {
    const std::string host = hostPath(path);
    return !host.empty() && linksAllow(path, host, posix::LinkUse::Read) && posix::readWholeHost(host, bytes);
}

bool WineFileSystem::writeHost(const std::string& path, const std::string& bytes, bool append) {
    const std::string host = mapPath(path, Reach::Write);
    if (host.empty() || !linksAllow(path, host, posix::LinkUse::Write)) return false;
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false;
        // Windows refuses to write a read-only file, whoever asks.
        if (isReadOnly(st)) return false;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    int fd = open(host.c_str(), flags, static_cast<mode_t>(posix::newFileMode(host)));
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    if (close(fd) != 0) ok = false;
    return ok;
}

bool WineFileSystem::writeFile(const std::string& path, const std::string& bytes) {
    return writeHost(path, bytes, false);
}

bool WineFileSystem::appendFile(const std::string& path, const std::string& bytes) {
    return writeHost(path, bytes, true);
}

FileInfo WineFileSystem::stat(const std::string& path) const {
    const std::string host = hostPath(path);
    return host.empty() ? FileInfo{} : posix::statHost(host);
}

std::unique_ptr<ReadStream> WineFileSystem::openRead(const std::string& path, std::string& error) const {
    const std::string host = hostPath(path);
    if (host.empty()) {
        error = "the path cannot be reached in the prefix: " + codePage_.toUtf8(path);
        return nullptr;
    }
    if (!linksAllow(path, host, posix::LinkUse::Read, true, error)) return nullptr;
    return posix::openHostRead(host, error);
}

namespace {

// The host's names are UTF-8; a kept file is named as the core names files,
// in the prefix's code page.
class NamedInCodePage final : public ReplaceStream {
public:
    NamedInCodePage(std::unique_ptr<ReplaceStream> inner, const CodePage& codePage)
        : inner_(std::move(inner)), codePage_(codePage) {}
    bool write(const void* data, std::size_t length) override { return inner_->write(data, length); }
    bool seek(std::int64_t offset, SeekFrom from) override { return inner_->seek(offset, from); }
    std::int64_t tell() override { return inner_->tell(); }
    bool commit() override { return inner_->commit(); }
    void discard() override { inner_->discard(); }
    std::string keep() override {
        const std::string name = inner_->keep();
        return name.empty() ? name : codePage_.fromUtf8(name);
    }
    bool setModified(std::int64_t seconds) override { return inner_->setModified(seconds); }
    bool restrictToOwner() override { return inner_->restrictToOwner(); }
    std::unique_ptr<ReadStream> readBack() override { return inner_->readBack(); }
    std::string error() const override { return inner_->error(); }

private:
    std::unique_ptr<ReplaceStream> inner_;
    const CodePage& codePage_;
};

}  // namespace

std::unique_ptr<ReplaceStream> WineFileSystem::createReplacement(const std::string& target, std::string& error,
                                                                 NewFileAccess access) {
    const std::string host = mapPath(target, Reach::Write);
    if (host.empty()) {
        error = "the path cannot be reached in the prefix: " + codePage_.toUtf8(target);
        return nullptr;
    }
    if (!linksAllow(target, host, posix::LinkUse::Write, false, error)) return nullptr;
    const std::string folder = splitHost(host).first;
    const FolderNames::Stamp before = FolderNames::stampOf(folder);
    auto stream = posix::createHostReplacement(host, error, access);
    if (!stream) return nullptr;
    names_.changed(folder, before, "", "");
    return std::make_unique<NamedInCodePage>(std::move(stream), codePage_);
}

void WineFileSystem::removeStaleReplacements(const std::string& target) {
    const std::string host = hostPath(target);
    if (!host.empty() && linksAllow(target, host, posix::LinkUse::Write, false)) posix::removeStaleReplacements(host);
}

unsigned WineFileSystem::tempFileStart() const {
    // The clock, spread by the process so that two processes starting
    // together do not walk the same numbers; O_EXCL settles any race.
    const auto ms = static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    unsigned num = (ms ^ (static_cast<unsigned>(getpid()) * 2654435761u >> 16)) & 0xFFFF;
    const unsigned last = lastTempNumber.load();
    if (((last - num) & 0xFFFF) < 10) num = (last + 1) & 0xFFFF;  // not the same names again soon
    return num == 0 ? 1 : num;
}

unsigned WineFileSystem::getTempFileName(const std::string& folder, const std::string& prefix, unsigned unique,
                                         std::string& result) {
    if (folder.empty()) return 0;
    std::string base = folder;
    if (base.back() != '\\' && base.back() != '/') base += '\\';
    base += prefix.substr(0, 3);
    auto nameFor = [&base](unsigned n) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", n);
        return base + hex + ".TMP";
    };
    unique &= 0xFFFF;
    if (unique != 0) {
        result = nameFor(unique);
        return unique;
    }
    if (!folderExists(folder) || !linksAllow(folder, hostPath(folder), posix::LinkUse::Write)) return 0;

    unsigned first = tempFileStart() & 0xFFFF;
    if (first == 0) first = 1;
    unique = first;
    do {
        const std::string name = nameFor(unique);
        const std::string host = mapPath(name, Reach::Write);
        if (host.empty()) return 0;
        if (!hostExists(host)) {
            int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          static_cast<mode_t>(posix::newFileMode(host)));
            if (fd >= 0) {
                close(fd);
                lastTempNumber.store(unique);
                result = name;
                return unique;
            }
            if (errno != EEXIST) return 0;
        }
        unique = (unique + 1) & 0xFFFF;
        if (unique == 0) unique = 1;
    } while (unique != first);
    return 0;
}

}  // namespace qm::platform::wine
