#include "disc/linux/IsoModel.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "disc/linux/Libraries.h"

namespace qm::disc::linuxburn {

namespace fs = std::filesystem;

namespace {

IsoImage* newImage() {
    IsoImage* image = nullptr;
    if (iso_image_new("NEW_DISC", &image) < 0) return nullptr;
    iso_tree_set_follow_symlinks(image, 1);
    iso_tree_set_ignore_hidden(image, 0);
    iso_tree_set_ignore_special(image, 1);
    // A name too long for the image is refused, not shortened behind the
    // user's back.
    iso_image_set_truncate_mode(image, 0, 255);
    return image;
}

std::string joinPath(const std::vector<std::string>& parts, std::size_t count) {
    if (count == 0) return "\\";
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += "\\" + parts[i];
    return out;
}

std::string nodePath(IsoNode* node) {
    std::vector<std::string> names;
    for (IsoNode* n = node; n;) {
        IsoDir* parent = iso_node_get_parent(n);
        if (!parent || reinterpret_cast<IsoNode*>(parent) == n) break;
        names.push_back(iso_node_get_name(n));
        n = reinterpret_cast<IsoNode*>(parent);
    }
    std::reverse(names.begin(), names.end());
    return joinPath(names, names.size());
}

bool isDir(IsoNode* node) { return node && iso_node_get_type(node) == LIBISO_DIR; }
bool isFile(IsoNode* node) { return node && iso_node_get_type(node) == LIBISO_FILE; }

template <typename F>
void forEachChild(IsoDir* dir, F f) {
    IsoDirIter* iter = nullptr;
    if (iso_dir_get_children(dir, &iter) < 0) return;
    std::vector<IsoNode*> children;
    IsoNode* child = nullptr;
    while (iso_dir_iter_next(iter, &child) == 1) children.push_back(child);
    iso_dir_iter_free(iter);
    for (IsoNode* c : children) f(c);
}

std::string streamSource(IsoNode* node) {
    if (!isFile(node)) return {};
    char* path = iso_stream_get_source_path(iso_file_get_stream(reinterpret_cast<IsoFile*>(node)), 0);
    if (!path) return {};
    std::string out = path;
    std::free(path);
    return out;
}

// A regular file (after links) that this process can open for reading.
bool readableFile(const std::string& path, struct stat& info) {
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool matches(const std::string& pattern, const std::string& name) {
    // "*.*" means every file, as it does on Windows.
    if (pattern == "*.*" || pattern == "*" || pattern.empty()) return true;
    return ::fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
}

std::int64_t mtimeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_mtime) : 0;
}

}  // namespace

bool ValidImageName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
           name.find_first_of(std::string("\\/\0", 3)) == std::string::npos;
}

bool SplitImagePath(const std::string& imagePath, std::vector<std::string>& parts) {
    parts.clear();
    if (imagePath.empty() || imagePath[0] != '\\') return false;
    if (imagePath == "\\") return true;
    std::size_t start = 1;
    while (true) {
        const std::size_t cut = imagePath.find('\\', start);
        const std::string name = imagePath.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (!ValidImageName(name)) return false;
        parts.push_back(name);
        if (cut == std::string::npos) return true;
        start = cut + 1;
    }
}

IsoModel::IsoModel(Emit emit, Ask ask, SourcePath sourcePath)
    : emit_(std::move(emit)), ask_(std::move(ask)), sourcePath_(std::move(sourcePath)), image_(newImage()) {}

IsoModel::~IsoModel() {
    if (image_) iso_image_unref(image_);
}

IsoNode* IsoModel::find(const std::vector<std::string>& parts) const {
    if (!image_) return nullptr;
    IsoNode* node = reinterpret_cast<IsoNode*>(iso_image_get_root(image_));
    for (const auto& name : parts) {
        if (!isDir(node)) return nullptr;
        IsoNode* child = nullptr;
        if (iso_image_dir_get_node(image_, reinterpret_cast<IsoDir*>(node), name.c_str(), &child, 0) != 1)
            return nullptr;
        node = child;
    }
    return node;
}

ImageItem IsoModel::itemOf(IsoNode* node) const {
    ImageItem item;
    item.IsFolder = isDir(node);
    item.ImagePath = nodePath(node);
    const bool root = item.ImagePath == "\\";
    item.Name = root ? std::string() : iso_node_get_name(node);
    item.ItemDate = static_cast<std::int64_t>(iso_node_get_mtime(node));
    if (isFile(node)) {
        item.Size = static_cast<std::uint64_t>(iso_file_get_size(reinterpret_cast<IsoFile*>(node)));
        item.SourcePath = streamSource(node);
    }
    if (!root) item.Parent = std::make_shared<ImageItem>(itemOf(reinterpret_cast<IsoNode*>(iso_node_get_parent(node))));
    return item;
}

IsoDir* IsoModel::folderAt(const std::vector<std::string>& parts, std::size_t count, std::int64_t mtime) {
    IsoDir* dir = iso_image_get_root(image_);
    for (std::size_t i = 0; i < count; ++i) {
        IsoNode* child = nullptr;
        if (iso_image_dir_get_node(image_, dir, parts[i].c_str(), &child, 0) == 1) {
            if (!isDir(child)) return nullptr;
            dir = reinterpret_cast<IsoDir*>(child);
            continue;
        }
        IsoDir* made = nullptr;
        if (iso_image_add_new_dir(image_, dir, parts[i].c_str(), &made) < 0) return nullptr;
        if (mtime > 0 && i + 1 == count) iso_node_set_mtime(reinterpret_cast<IsoNode*>(made), static_cast<time_t>(mtime));
        dir = made;
        const ImageItem added = itemOf(reinterpret_cast<IsoNode*>(made));
        raise([&](DiscEvents& e) { e.ItemAdded(added); });
    }
    return dir;
}

bool IsoModel::addFileAt(IsoDir* parent, const std::string& name, const std::string& hostSource,
                         const std::string& shownSource) {
    struct stat info {};
    if (!readableFile(hostSource, info)) return false;
    IsoNode* existing = nullptr;
    if (iso_image_dir_get_node(image_, parent, name.c_str(), &existing, 0) == 1) {
        if (!isFile(existing)) return false;
        if (!ask_(itemOf(existing), shownSource)) return false;
        iso_node_remove(existing);
    }
    IsoNode* node = nullptr;
    if (iso_tree_add_new_node(image_, parent, name.c_str(), hostSource.c_str(), &node) < 0 || !isFile(node)) {
        if (node) iso_node_remove(node);
        return false;
    }
    const ImageItem added = itemOf(node);
    raise([&](DiscEvents& e) { e.ItemAdded(added); });
    return true;
}

bool IsoModel::AddFile(const std::string& source, const std::string& imagePath) {
    std::vector<std::string> parts;
    if (busy_ || !image_ || !SplitImagePath(imagePath, parts) || parts.empty()) return false;
    ++busy_;
    IsoDir* parent = folderAt(parts, parts.size() - 1, 0);
    const bool ok = parent && addFileAt(parent, parts.back(), sourcePath_(source), source);
    --busy_;
    return ok;
}

bool IsoModel::AddFolder(const std::string& sourcePattern, const std::string& imagePath) {
    std::vector<std::string> parts;
    if (busy_ || !image_ || !SplitImagePath(imagePath, parts) || parts.empty()) return false;
    const auto cut = sourcePattern.find_last_of("\\/");
    if (cut == std::string::npos) return false;
    const fs::path folder = sourcePath_(sourcePattern.substr(0, cut));
    const std::string pattern = sourcePattern.substr(cut + 1);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return false;

    // Walked in name order so that folders come before what they hold;
    // linked folders are not entered (a link may lead back up the tree).
    std::vector<fs::directory_entry> found;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec))
        found.push_back(*it);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.path() < b.path(); });

    ++busy_;
    bool ok = folderAt(parts, parts.size(), mtimeOf(folder)) != nullptr;
    for (const auto& entry : found) {
        if (!ok) break;
        std::vector<std::string> target = parts;
        for (const auto& piece : fs::relative(entry.path(), folder, ec)) target.push_back(piece.string());
        if (ec || !std::all_of(target.begin(), target.end(), ValidImageName)) continue;
        std::error_code typeError;
        if (entry.is_directory(typeError) && !entry.is_symlink(typeError)) {
            folderAt(target, target.size(), mtimeOf(entry.path()));
        } else if (entry.is_regular_file(typeError) && matches(pattern, target.back())) {
            if (IsoDir* parent = folderAt(target, target.size() - 1, 0))
                addFileAt(parent, target.back(), entry.path().string(), entry.path().string());
        }
    }
    --busy_;
    return ok;
}

bool IsoModel::rename(const std::string& imagePath, const std::string& newName, bool folder) {
    std::vector<std::string> parts;
    if (busy_ || !image_ || !SplitImagePath(imagePath, parts) || parts.empty() || !ValidImageName(newName))
        return false;
    IsoNode* node = find(parts);
    if (!node || (folder ? !isDir(node) : !isFile(node))) return false;
    if (parts.back() == newName) return true;
    IsoNode* clash = nullptr;
    if (iso_image_dir_get_node(image_, iso_node_get_parent(node), newName.c_str(), &clash, 0) == 1) return false;

    // The folder's own path and those of everything inside it change.
    std::vector<std::pair<IsoNode*, std::string>> moved{{node, imagePath}};
    std::function<void(IsoNode*)> collect = [&](IsoNode* n) {
        if (!isDir(n)) return;
        forEachChild(reinterpret_cast<IsoDir*>(n), [&](IsoNode* c) {
            moved.emplace_back(c, nodePath(c));
            collect(c);
        });
    };
    collect(node);
    if (iso_image_set_node_name(image_, node, newName.c_str(), 0) < 0) return false;
    ++busy_;
    for (const auto& [n, oldPath] : moved) {
        ImageItem renamed = itemOf(n);
        renamed.OldImagePath = oldPath;
        raise([&](DiscEvents& e) { e.ItemRenamed(renamed); });
    }
    --busy_;
    return true;
}

bool IsoModel::RenameFile(const std::string& imagePath, const std::string& newName) {
    return rename(imagePath, newName, false);
}

bool IsoModel::RenameFolder(const std::string& imagePath, const std::string& newName) {
    return rename(imagePath, newName, true);
}

bool IsoModel::Remove(const std::string& imagePath) {
    std::vector<std::string> parts;
    if (busy_ || !image_ || !SplitImagePath(imagePath, parts) || parts.empty()) return false;
    IsoNode* node = find(parts);
    if (!node) return false;
    std::vector<ImageItem> gone;  // what is inside first
    std::function<void(IsoNode*)> collect = [&](IsoNode* n) {
        if (isDir(n)) forEachChild(reinterpret_cast<IsoDir*>(n), collect);
        gone.push_back(itemOf(n));
    };
    collect(node);
    // Removing a folder frees what it holds with it.
    if (iso_node_remove(node) < 0) return false;
    ++busy_;
    for (const auto& item : gone) raise([&](DiscEvents& e) { e.ItemRemoved(item); });
    --busy_;
    return true;
}

long IsoModel::FileCount() const {
    long files = 0;
    for (const auto& e : snapshot()) files += e.folder ? 0 : 1;
    return files;
}

long IsoModel::FolderCount() const {
    long folders = 0;
    for (const auto& e : snapshot()) folders += e.folder ? 1 : 0;
    return folders;
}

void IsoModel::ListFolder(const std::string& imagePath) {
    std::vector<std::string> parts;
    if (!SplitImagePath(imagePath, parts)) return;
    IsoNode* node = find(parts);
    if (!isDir(node)) return;
    std::vector<ImageItem> listed;
    forEachChild(reinterpret_cast<IsoDir*>(node), [&](IsoNode* c) { listed.push_back(itemOf(c)); });
    ++busy_;
    for (const auto& item : listed) raise([&](DiscEvents& e) { e.ItemListed(item); });
    --busy_;
}

void IsoModel::Clear() {
    if (busy_) return;
    if (image_) iso_image_unref(image_);
    image_ = newImage();
    ++busy_;
    raise([](DiscEvents& e) { e.ImageCleared(); });
    --busy_;
}

Snapshot IsoModel::snapshot() const {
    Snapshot out;
    if (!image_) return out;
    std::function<void(IsoDir*)> walk = [&](IsoDir* dir) {
        forEachChild(dir, [&](IsoNode* c) {
            if (isDir(c)) {
                out.push_back({nodePath(c), true, "", 0, static_cast<std::int64_t>(iso_node_get_mtime(c))});
                walk(reinterpret_cast<IsoDir*>(c));
            } else if (isFile(c)) {
                out.push_back({nodePath(c), false, streamSource(c),
                               static_cast<std::uint64_t>(iso_file_get_size(reinterpret_cast<IsoFile*>(c))),
                               static_cast<std::int64_t>(iso_node_get_mtime(c))});
            }
        });
    };
    walk(iso_image_get_root(image_));
    return out;
}

}  // namespace qm::disc::linuxburn
