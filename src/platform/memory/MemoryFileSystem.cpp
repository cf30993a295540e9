#include "platform/memory/MemoryFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/WinPath.h"
#include "platform/FileOps.h"
#include "platform/ReplacementNames.h"

namespace qm::platform::memory {

struct MemoryFileSystem::Content {
    std::string bytes;
    std::int64_t mtime = 0;
    std::uint64_t inode = 0;
    bool held = false;  // a replacement still being written
};

struct MemoryFileSystem::Node {
    std::string path;  // canonical, in the case it was made with
    std::u16string parentKey;
    bool folder = false;
    std::uint32_t attributes = 0;  // ReadOnly, Hidden, System
    std::uint64_t order = 0;
    std::shared_ptr<Content> content;
};

namespace {

constexpr std::size_t kPartSuffixLength = 6;

// "|" can be the second byte of a double-byte character: looked for by character.
// A name is at most 255 bytes long, as on the disks the program writes to.
bool validComponent(const std::string& c, const base::LeadBytes& leads) {
    if (c.size() > kMaxNameBytes) return false;
    for (unsigned char ch : c)
        if (ch < 0x20) return false;
    return leads.findFirstOf(c, "<>:\"|?*") == std::string::npos;
}

FileInfo infoOf(const MemoryFileSystem::Node* node, const MemoryFileSystem::Content& c, bool folder) {
    FileInfo info;
    info.exists = node != nullptr || !folder;
    info.regular = !folder;
    info.directory = folder;
    info.size = c.bytes.size();
    info.mtimeSec = c.mtime;
    info.device = 1;
    info.inode = c.inode;
    return info;
}

class MemoryReadStream final : public ReadStream {
public:
    MemoryReadStream(std::shared_ptr<MemoryFileSystem::Content> content, bool folder)
        : content_(std::move(content)), folder_(folder) {}
    FileInfo info() const override { return infoOf(nullptr, *content_, folder_); }
    std::int64_t read(void* buffer, std::size_t length) override {
        if (folder_) return -1;
        const auto& bytes = content_->bytes;
        if (pos_ >= bytes.size()) return 0;
        const std::size_t n = std::min(length, bytes.size() - static_cast<std::size_t>(pos_));
        std::memcpy(buffer, bytes.data() + pos_, n);
        pos_ += n;
        return static_cast<std::int64_t>(n);
    }
    bool seek(std::int64_t offset, SeekFrom from) override {
        const std::int64_t base = from == SeekFrom::Begin     ? 0
                                  : from == SeekFrom::Current ? static_cast<std::int64_t>(pos_)
                                                              : static_cast<std::int64_t>(content_->bytes.size());
        if (base + offset < 0) return false;
        pos_ = static_cast<std::uint64_t>(base + offset);
        return true;
    }
    std::int64_t tell() override { return static_cast<std::int64_t>(pos_); }
    std::string error() const override { return folder_ ? "is a folder" : std::string(); }

private:
    std::shared_ptr<MemoryFileSystem::Content> content_;
    bool folder_;
    std::uint64_t pos_ = 0;
};

}  // namespace

class MemoryReplaceStream final : public ReplaceStream {
public:
    MemoryReplaceStream(MemoryFileSystem& fs, std::string partPath, std::string target,
                        std::shared_ptr<MemoryFileSystem::Content> content)
        : fs_(fs), part_(std::move(partPath)), target_(std::move(target)), content_(std::move(content)) {}
    ~MemoryReplaceStream() override { discard(); }

    bool write(const void* data, std::size_t length) override {
        if (done_ || !fs_.writable(target_)) return fail("the disk refused the write");
        auto& bytes = content_->bytes;
        if (bytes.size() < pos_ + length) bytes.resize(static_cast<std::size_t>(pos_ + length));
        std::memcpy(bytes.data() + pos_, data, length);
        pos_ += length;
        return true;
    }
    bool seek(std::int64_t offset, SeekFrom from) override {
        const std::int64_t base = from == SeekFrom::Begin     ? 0
                                  : from == SeekFrom::Current ? static_cast<std::int64_t>(pos_)
                                                              : static_cast<std::int64_t>(content_->bytes.size());
        if (base + offset < 0) return fail("seek before the start");
        pos_ = static_cast<std::uint64_t>(base + offset);
        return true;
    }
    std::int64_t tell() override { return static_cast<std::int64_t>(pos_); }
    bool commit() override {
        if (done_) return false;
        if (!fs_.writable(target_) || !fs_.parentIsFolder(target_) || fs_.folderExists(target_))
            return fail("cannot put the new file in place of " + target_);
        std::uint32_t kept = 0;
        if (const auto* old = fs_.find(target_)) kept = old->attributes & FileAttribute::ReadOnly;
        fs_.erase(target_);
        fs_.erase(part_);
        auto& node = fs_.put(target_, false);
        content_->held = false;
        content_->mtime = content_->mtime ? content_->mtime : fs_.tick();
        node.content = content_;
        node.attributes = kept;
        done_ = true;
        return true;
    }
    void discard() override {
        if (done_) return;
        done_ = true;
        content_->held = false;
        fs_.erase(part_);
    }
    std::string keep() override {
        if (done_) return {};
        done_ = true;
        content_->held = false;
        return part_.substr(part_.rfind('\\') + 1);
    }
    bool setModified(std::int64_t seconds) override {
        content_->mtime = seconds;
        return true;
    }
    std::unique_ptr<ReadStream> readBack() override {
        if (done_) return nullptr;
        return std::make_unique<MemoryReadStream>(content_, false);
    }
    std::string error() const override { return error_; }

private:
    bool fail(const std::string& why) {
        error_ = why;
        return false;
    }
    MemoryFileSystem& fs_;
    std::string part_;
    std::string target_;
    std::shared_ptr<MemoryFileSystem::Content> content_;
    std::uint64_t pos_ = 0;
    bool done_ = false;
    std::string error_;
};

MemoryFileSystem::MemoryFileSystem(const CodePage& codePage) : codePage_(codePage) {
    for (const char* drive : {"C:", "D:", "Z:"}) put(drive, true);
}

MemoryFileSystem::~MemoryFileSystem() = default;

std::int64_t MemoryFileSystem::tick() { return ++clock_; }

std::string MemoryFileSystem::canonical(const std::string& pathIn) const {
    const base::LeadBytes& leads = codePage_.leadBytes();
    std::string path = pathIn;
    // "/" is never the second byte of a double-byte character.
    std::replace(path.begin(), path.end(), '/', '\\');
    std::string root;
    std::string rest;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const auto server = leads.findFirstOf(path, "\\", 2);
        if (server == std::string::npos || server == 2) return {};
        auto share = leads.findFirstOf(path, "\\", server + 1);
        if (share == std::string::npos) share = path.size();
        if (share == server + 1) return {};
        root = path.substr(0, share);
        rest = share < path.size() ? path.substr(share) : std::string();
    } else if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":";
        rest = path.substr(2);
    } else {
        return {};
    }
    std::string current = root;
    std::vector<std::string> stack{root};
    for (const std::string& raw : [&] {
             std::vector<std::string> parts;
             std::size_t start = 0;
             while (start <= rest.size()) {
                 auto end = leads.findFirstOf(rest, "\\", start);
                 if (end == std::string::npos) end = rest.size();
                 parts.push_back(rest.substr(start, end - start));
                 start = end + 1;
             }
             return parts;
         }()) {
        std::string c = raw;
        if (c.empty() || c == ".") continue;
        if (c == "..") {
            if (stack.size() > 1) stack.pop_back();
            current = stack.back();
            continue;
        }
        // Windows ignores trailing dots and blanks of a name.
        while (!c.empty() && (c.back() == '.' || c.back() == ' ')) c.pop_back();
        if (c.empty()) continue;
        if (!validComponent(c, leads)) return {};
        current += "\\" + c;
        if (const auto link = links_.find(keyOf(current)); link != links_.end()) current = link->second;
        stack.push_back(current);
    }
    return current;
}

std::u16string MemoryFileSystem::keyOf(const std::string& canonicalPath) const {
    return codePage_.foldCase(canonicalPath);
}

MemoryFileSystem::Node* MemoryFileSystem::find(const std::string& path) {
    const std::string c = canonical(path);
    if (c.empty()) return nullptr;
    const auto it = nodes_.find(keyOf(c));
    return it == nodes_.end() ? nullptr : it->second.get();
}

const MemoryFileSystem::Node* MemoryFileSystem::find(const std::string& path) const {
    return const_cast<MemoryFileSystem*>(this)->find(path);
}

bool MemoryFileSystem::parentIsFolder(const std::string& path) const {
    const std::string c = canonical(path);
    if (c.empty()) return false;
    const base::LeadBytes& leads = codePage_.leadBytes();
    const std::string parent = base::parentFolder(c, leads);
    const Node* node =
        parent.empty() ? nullptr : find(leads.endsWith(parent, '\\') ? parent.substr(0, parent.size() - 1) : parent);
    return node && node->folder;
}

MemoryFileSystem::Node& MemoryFileSystem::put(const std::string& path, bool folder) {
    const std::string c = canonical(path).empty() ? path : canonical(path);
    auto node = std::make_unique<Node>();
    node->path = c;
    std::string parent = base::parentFolder(c, codePage_.leadBytes());
    if (codePage_.leadBytes().endsWith(parent, '\\')) parent.pop_back();
    node->parentKey = parent.empty() ? std::u16string() : keyOf(parent);
    node->folder = folder;
    node->order = nextOrder_++;
    node->content = std::make_shared<Content>();
    node->content->inode = nextInode_++;
    node->content->mtime = tick();
    auto& slot = nodes_[keyOf(c)];
    slot = std::move(node);
    return *slot;
}

void MemoryFileSystem::erase(const std::string& path) {
    const std::string c = canonical(path);
    if (!c.empty()) nodes_.erase(keyOf(c));
}

void MemoryFileSystem::mount(char drive, std::shared_ptr<FileSystem> other) {
    mounts_[static_cast<char>(std::toupper(static_cast<unsigned char>(drive)))] = std::move(other);
}

FileSystem* MemoryFileSystem::mounted(const std::string& path) const {
    if (mounts_.empty() || path.size() < 2 || path[1] != ':') return nullptr;
    const auto it = mounts_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    return it == mounts_.end() ? nullptr : it->second.get();
}

void MemoryFileSystem::addLink(const std::string& linkPath, const std::string& targetPath) {
    const std::string target = canonical(targetPath);
    std::string link = canonical(base::parentFolder(linkPath, codePage_.leadBytes()));
    if (target.empty() || link.empty()) return;
    link += "\\" + base::bareName(linkPath, codePage_.leadBytes());
    links_[keyOf(link)] = target;
}

bool MemoryFileSystem::makeFolders(const std::string& path) {
    if (auto* m = mounted(path)) return platform::makeFolders(*m, path);
    const std::string c = canonical(path);
    if (c.empty()) return false;
    const base::LeadBytes& leads = codePage_.leadBytes();
    const auto separator = [&](std::size_t from) { return leads.findFirstOf(c, "\\", from); };
    const std::size_t root =
        separator(0) == std::string::npos ? c.size() : separator(c[0] == '\\' ? separator(2) + 1 : 0);
    if (!find(c.substr(0, root))) put(c.substr(0, root), true);
    for (std::size_t pos = separator(root); pos != std::string::npos; pos = separator(pos + 1))
        if (pos > root && !find(c.substr(0, pos)) && !createFolder(c.substr(0, pos))) return false;
    return folderExists(c) || createFolder(c);
}

// Only a mounted drive leads to the host.
std::string MemoryFileSystem::hostPath(const std::string& windowsPath) const {
    if (auto* m = mounted(windowsPath)) return m->hostPath(windowsPath);
    return {};
}

std::string MemoryFileSystem::windowsPath(const std::string& hostPathIn) const {
    if (auto* m = mounted("Z:")) return m->windowsPath(hostPathIn);
    if (hostPathIn.empty() || hostPathIn[0] != '/') return {};
    std::string rest = hostPathIn.substr(1);
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return "Z:\\" + rest;
}

std::string MemoryFileSystem::fromUserPath(const std::string& path) const {
    if (path.empty() || path[0] != '/') return path;
    return windowsPath(path);
}

bool MemoryFileSystem::fileExists(const std::string& path) const {
    if (auto* m = mounted(path)) return m->fileExists(path);
    const Node* n = find(path);
    return n && !n->folder && !(n->attributes & (FileAttribute::Hidden | FileAttribute::System));
}

bool MemoryFileSystem::folderExists(const std::string& path) const {
    if (auto* m = mounted(path)) return m->folderExists(path);
    const Node* n = find(path);
    return n && n->folder;
}

bool MemoryFileSystem::listFiles(const std::string& folder, std::vector<std::string>& names) const {
    if (auto* m = mounted(folder)) return m->listFiles(folder, names);
    return listEntries(folder, names, false);
}

bool MemoryFileSystem::listFolders(const std::string& folder, std::vector<std::string>& names) const {
    if (auto* m = mounted(folder)) return m->listFolders(folder, names);
    return listEntries(folder, names, true);
}

bool MemoryFileSystem::listEntries(const std::string& folder, std::vector<std::string>& names, bool folders) const {
    const Node* dir = find(folder);
    if (!dir || !dir->folder) return false;
    const std::u16string key = keyOf(dir->path);
    std::vector<std::string> found;
    for (const auto& [k, node] : nodes_)
        if (node->folder == folders && node->parentKey == key)
            found.push_back(base::bareName(node->path, codePage_.leadBytes()));
    std::sort(found.begin(), found.end(), [this](const std::string& a, const std::string& b) {
        const auto ua = codePage_.foldCase(a), ub = codePage_.foldCase(b);
        return ua != ub ? ua < ub : a < b;
    });
    names = std::move(found);
    return true;
}

namespace {

// Runs in one process here: a claim is a mark on the folder's key.
class MemoryFolderClaim final : public FolderClaim {
public:
    MemoryFolderClaim(std::set<std::u16string>& claimed, std::u16string key) : claimed_(claimed), key_(std::move(key)) {
        claimed_.insert(key_);
    }
    ~MemoryFolderClaim() override { claimed_.erase(key_); }

private:
    std::set<std::u16string>& claimed_;
    std::u16string key_;
};

}  // namespace

std::unique_ptr<FolderClaim> MemoryFileSystem::createPrivateFolder(const std::string& path) {
    if (auto* m = mounted(path)) return m->createPrivateFolder(path);
    if (!createFolder(path)) return nullptr;
    return std::make_unique<MemoryFolderClaim>(claimed_, keyOf(canonical(path)));
}

std::unique_ptr<FolderClaim> MemoryFileSystem::claimFolder(const std::string& path) {
    if (auto* m = mounted(path)) return m->claimFolder(path);
    const Node* n = find(path);
    if (!n || !n->folder || claimed_.count(keyOf(n->path))) return nullptr;
    return std::make_unique<MemoryFolderClaim>(claimed_, keyOf(n->path));
}

bool MemoryFileSystem::removeUnclaimedFolder(const std::string& path) {
    if (auto* m = mounted(path)) return m->removeUnclaimedFolder(path);
    const Node* n = find(path);
    if (!n || !n->folder || claimed_.count(keyOf(n->path))) return false;
    std::vector<std::string> names;
    listEntries(path, names, false);
    for (const auto& name : names) deleteFile(n->path + "\\" + name);
    return removeFolder(path);
}

bool MemoryFileSystem::createFolder(const std::string& path) {
    if (auto* m = mounted(path)) return m->createFolder(path);
    const std::string c = canonical(path);
    if (c.empty() || find(c) || !parentIsFolder(c) || !writable(c)) return false;
    put(c, true);
    return true;
}

bool MemoryFileSystem::removeFolder(const std::string& path) {
    if (auto* m = mounted(path)) return m->removeFolder(path);
    const Node* n = find(path);
    if (!n || !n->folder || !writable(n->path)) return false;
    const std::u16string key = keyOf(n->path);
    for (const auto& [k, node] : nodes_)
        if (node->parentKey == key) return false;
    erase(n->path);
    return true;
}

bool MemoryFileSystem::linkFile(const std::string& existing, const std::string& newName) {
    if (auto* m = mounted(existing)) return m == mounted(newName) && m->linkFile(existing, newName);
    // A copy stands in for the second name: nothing here writes through one
    // name and reads through the other.
    std::string bytes;
    if (mounted(newName) || fileExists(newName) || !readFile(existing, bytes)) return false;
    return writeFile(newName, bytes);
}

bool MemoryFileSystem::renameFile(const std::string& from, const std::string& to) {
    if (auto* m = mounted(from)) return m == mounted(to) && m->renameFile(from, to);
    if (mounted(to)) return false;
    Node* source = find(from);
    const std::string target = canonical(to);
    if (!source || target.empty() || !parentIsFolder(target) || !writable(from) || !writable(to)) return false;
    const Node* existing = find(target);
    if (existing && existing != source) return false;  // taken
    const std::string oldPath = source->path;
    const std::u16string oldKey = keyOf(oldPath);
    // The node and, for a folder, everything below it move.
    std::vector<std::pair<std::string, std::unique_ptr<Node>>> moved;
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        const std::u16string& k = it->first;
        const bool below = k.size() > oldKey.size() && k.compare(0, oldKey.size(), oldKey) == 0 && k[oldKey.size()] == u'\\';
        if (k == oldKey || below) {
            const std::string rest = it->second->path.substr(oldPath.size());
            moved.emplace_back(target + rest, std::move(it->second));
            it = nodes_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [path, node] : moved) {
        node->path = path;
        std::string parent = base::parentFolder(path, codePage_.leadBytes());
        if (codePage_.leadBytes().endsWith(parent, '\\')) parent.pop_back();
        node->parentKey = keyOf(parent);
        nodes_[keyOf(path)] = std::move(node);
    }
    return true;
}

bool MemoryFileSystem::deleteFile(const std::string& path) {
    if (auto* m = mounted(path)) return m->deleteFile(path);
    const Node* n = find(path);
    if (!n || n->folder || (n->attributes & FileAttribute::ReadOnly) || !writable(n->path)) return false;
    erase(n->path);
    return true;
}

std::uint32_t MemoryFileSystem::getAttributes(const std::string& path) const {
    if (auto* m = mounted(path)) return m->getAttributes(path);
    const Node* n = find(path);
    if (!n) return FileAttribute::Invalid;
    return (n->folder ? FileAttribute::Directory : FileAttribute::Archive) | n->attributes;
}

bool MemoryFileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    if (auto* m = mounted(path)) return m->setAttributes(path, attributes);
    Node* n = find(path);
    if (!n || !writable(n->path)) return false;
    std::uint32_t bits = attributes & (FileAttribute::Hidden | FileAttribute::System);
    if (!n->folder) bits |= attributes & FileAttribute::ReadOnly;
    n->attributes = bits;
    return true;
}

bool MemoryFileSystem::readFile(const std::string& path, std::string& bytes) const {
    if (auto* m = mounted(path)) return m->readFile(path, bytes);
    const Node* n = find(path);
    if (!n || n->folder || (refuseRead && refuseRead(n->path))) return false;
    bytes = n->content->bytes;
    return true;
}

bool MemoryFileSystem::writeFile(const std::string& path, const std::string& bytes) {
    if (auto* m = mounted(path)) return m->writeFile(path, bytes);
    const std::string c = canonical(path);
    if (c.empty() || !writable(c)) return false;
    Node* n = find(c);
    if (n && (n->folder || (n->attributes & FileAttribute::ReadOnly))) return false;
    if (!n) {
        if (!parentIsFolder(c)) return false;
        n = &put(c, false);
    }
    n->content->bytes = bytes;
    n->content->mtime = tick();
    return true;
}

bool MemoryFileSystem::appendFile(const std::string& path, const std::string& bytes) {
    if (auto* m = mounted(path)) return m->appendFile(path, bytes);
    Node* n = find(path);
    if (!n) return writeFile(path, bytes);
    if (n->folder || (n->attributes & FileAttribute::ReadOnly) || !writable(n->path)) return false;
    n->content->bytes += bytes;
    n->content->mtime = tick();
    return true;
}

FileInfo MemoryFileSystem::stat(const std::string& path) const {
    if (auto* m = mounted(path)) return m->stat(path);
    const Node* n = find(path);
    if (!n) return {};
    return infoOf(n, *n->content, n->folder);
}

std::unique_ptr<ReadStream> MemoryFileSystem::openRead(const std::string& path, std::string& error) const {
    if (auto* m = mounted(path)) return m->openRead(path, error);
    const Node* n = find(path);
    if (!n) {
        error = "no such file: " + path;
        return nullptr;
    }
    if (refuseRead && refuseRead(n->path)) {
        error = "cannot read " + path;
        return nullptr;
    }
    return std::make_unique<MemoryReadStream>(n->content, n->folder);
}

std::unique_ptr<ReplaceStream> MemoryFileSystem::createReplacement(const std::string& target, std::string& error,
                                                                   NewFileAccess access) {
    // Files held in memory have no owners; only a mounted drive's do.
    if (auto* m = mounted(target)) return m->createReplacement(target, error, access);
    const std::string c = canonical(target);
    if (c.empty() || !parentIsFolder(c) || !writable(c)) {
        error = "cannot create a new file beside " + target;
        return nullptr;
    }
    if (const Node* there = find(c); there && there->folder) {
        error = target + " is a folder, not a regular file: it is not replaced";
        return nullptr;
    }
    std::string part;
    do {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06u", ++nextPart_ % 1000000);
        part = partStart(c) + suffix;
    } while (find(part));
    auto& node = put(part, false);
    node.content->held = true;
    node.content->mtime = 0;
    return std::make_unique<MemoryReplaceStream>(*this, part, c, node.content);
}

void MemoryFileSystem::removeStaleReplacements(const std::string& target) {
    if (auto* m = mounted(target)) {
        m->removeStaleReplacements(target);
        return;
    }
    const std::string c = canonical(target);
    if (c.empty()) return;
    const std::u16string prefix = keyOf(partStart(c));
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        if (it->first.compare(0, prefix.size(), prefix) == 0 && !it->second->content->held)
            it = nodes_.erase(it);
        else
            ++it;
    }
}

std::string MemoryFileSystem::partStart(const std::string& canonicalPath) const {
    const base::LeadBytes& leads = codePage_.leadBytes();
    const std::string name = base::bareName(canonicalPath, leads);
    return canonicalPath.substr(0, canonicalPath.size() - name.size()) + partNameStart(name, kPartSuffixLength, leads);
}

unsigned MemoryFileSystem::getTempFileName(const std::string& folder, const std::string& prefix, unsigned unique,
                                           std::string& result) {
    if (auto* m = mounted(folder)) return m->getTempFileName(folder, prefix, unique, result);
    if (!folderExists(folder)) return 0;
    auto nameFor = [&](unsigned n) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", n);
        return base::joinPath(folder, prefix.substr(0, 3) + hex + ".TMP", codePage_.leadBytes());
    };
    if (unique != 0) {
        result = nameFor(unique & 0xFFFF);
        return unique & 0xFFFF;
    }
    for (unsigned attempt = 0; attempt < 0xFFFF; ++attempt) {
        nextTemp_ = nextTemp_ % 0xFFFF + 1;
        const std::string candidate = nameFor(nextTemp_);
        if (find(candidate)) continue;
        if (!writeFile(candidate, "")) return 0;
        result = candidate;
        return nextTemp_;
    }
    return 0;
}

std::vector<std::string> MemoryFileSystem::allPaths() const {
    std::vector<const Node*> sorted;
    for (const auto& [k, node] : nodes_) sorted.push_back(node.get());
    std::sort(sorted.begin(), sorted.end(), [](const Node* a, const Node* b) { return a->order < b->order; });
    std::vector<std::string> out;
    for (const Node* n : sorted) out.push_back(n->path);
    return out;
}

}  // namespace qm::platform::memory
