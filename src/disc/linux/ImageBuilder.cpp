#include "disc/linux/ImageBuilder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "disc/Texts.h"
#include "disc/linux/ChildProcess.h"
#include "disc/linux/DriveSource.h"
#include "disc/linux/Libraries.h"
#include "disc/linux/LibraryMessages.h"

namespace qm::disc::linuxburn {

namespace fs = std::filesystem;

namespace {

// The primary volume descriptor holds 32 bytes of volume identifier.
std::string volumeId(const std::string& label) {
    if (label.size() <= 32) return label;
    std::size_t cut = 32;
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
    return label.substr(0, cut);
}

std::string parentPath(const std::string& imagePath) {
    const auto cut = imagePath.rfind('\\');
    return cut == 0 ? std::string("\\") : imagePath.substr(0, cut);
}

std::string leafName(const std::string& imagePath) { return imagePath.substr(imagePath.rfind('\\') + 1); }

// Where an image path lies in the staging tree.
std::string stagedPath(const std::string& tree, const std::string& imagePath) {
    std::vector<std::string> parts;
    SplitImagePath(imagePath, parts);
    std::string out = tree;
    for (const auto& p : parts) out += "/" + p;
    return out;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

bool UsesUdf(const WritePlan& plan) { return (plan.fileSystem & filesystem::UdfBit) != 0; }

const SnapshotEntry* FileTooLarge(const WritePlan& plan) {
    if (!UsesUdf(plan)) return nullptr;
    for (const auto& e : plan.entries)
        if (!e.folder && e.size >= kUdfFileLimit) return &e;
    return nullptr;
}

IsoWrite::IsoWrite(const WritePlan& plan, bool skipUnreadable, const Placement& at) {
    const std::string id = volumeId(plan.label);
    if (iso_image_new(id.c_str(), &image_) < 0) {
        error_ = MessageText(TakeIsoMessages());
        return;
    }
    if (at.base && !importSession(at)) {
        iso_image_unref(image_);
        image_ = nullptr;
        return;
    }
    iso_image_set_volume_id(image_, id.c_str());
    iso_image_set_ignore_aclea(image_, 3);
    iso_tree_set_follow_symlinks(image_, 1);
    iso_image_set_truncate_mode(image_, 0, 255);

    // Without the files' dates, what enters the image is dated now (what an
    // earlier session holds keeps its dates).
    const time_t now = std::time(nullptr);
    std::map<std::string, IsoDir*> folders{{"\\", iso_image_get_root(image_)}};
    for (const auto& e : plan.entries) {
        const auto parent = folders.find(parentPath(e.imagePath));
        if (parent == folders.end()) continue;  // its folder was left out
        const std::string name = leafName(e.imagePath);
        // A folder of an earlier session takes in the new one's files; any
        // other item of the same name gives way to the new one.
        IsoNode* earlier = nullptr;
        const bool taken = iso_image_dir_get_node(image_, parent->second, name.c_str(), &earlier, 0) == 1;
        IsoNode* node = nullptr;
        if (e.folder && taken && iso_node_get_type(earlier) == LIBISO_DIR) {
            node = earlier;
        } else {
            if (taken) iso_node_remove(earlier);
            if (e.folder) {
                IsoDir* dir = nullptr;
                if (iso_image_add_new_dir(image_, parent->second, name.c_str(), &dir) < 0) {
                    error_ = MessageText(TakeIsoMessages());
                    break;
                }
                node = reinterpret_cast<IsoNode*>(dir);
            } else if (iso_tree_add_new_node(image_, parent->second, name.c_str(), e.source.c_str(), &node) < 0) {
                if (skipUnreadable) continue;
                error_ = e.source + ": " + MessageText(TakeIsoMessages());
                break;
            }
        }
        if (e.folder) {
            iso_node_set_mtime(node, static_cast<time_t>(e.mtime));
            folders[e.imagePath] = reinterpret_cast<IsoDir*>(node);
        }
        if (!plan.useFileDates) {
            iso_node_set_mtime(node, now);
            iso_node_set_atime(node, now);
            iso_node_set_ctime(node, now);
        }
    }
    if (!error_.empty()) {
        iso_image_unref(image_);
        image_ = nullptr;
        return;
    }

    if (iso_write_opts_new(&opts_, 1) < 0) {
        opts_ = nullptr;
        return;
    }
    iso_write_opts_set_iso_level(opts_, 3);
    // The label as typed, not cut down to ISO 9660's upper-case letters.
    iso_write_opts_set_relaxed_vol_atts(opts_, 1);
    iso_write_opts_set_rockridge(opts_, 1);
    if (plan.fileSystem & filesystem::JolietBit) {
        iso_write_opts_set_joliet(opts_, 1);
        iso_write_opts_set_joliet_long_names(opts_, 1);
        iso_write_opts_set_joliet_longer_paths(opts_, 1);
    }
    // An MD5 of the session and of every file, so that a disc can be checked
    // later without its sources; AAIP records where they are.
    iso_write_opts_set_aaip(opts_, 1);
    iso_write_opts_set_record_md5(opts_, 1, 1);
    // A disc is read on other machines: readable by all, owned by no one.
    iso_write_opts_set_replace_mode(opts_, 1, 1, 1, 1);
    iso_write_opts_set_always_gmt(opts_, 1);
    // Folders show their own dates in every tree.
    iso_write_opts_set_dir_rec_mtime(opts_, 3);
    iso_write_opts_set_ms_block(opts_, at.startBlock);
    if (at.base) iso_write_opts_set_appendable(opts_, 1);
    if (at.descriptorCopy) {
        descriptors_.assign(static_cast<std::size_t>(kDescriptorBlocks) * kBlockSize, 0);
        iso_write_opts_set_overwrite_buf(opts_, descriptors_.data());
    }
}

bool IsoWrite::importSession(const Placement& at) {
    IsoDataSource* source = DriveDataSource(at.base);
    IsoReadOpts* read = nullptr;
    int rc = -1;
    if (source && iso_read_opts_new(&read, 0) >= 0) {
        iso_read_opts_set_start_block(read, at.baseBlock);
        iso_read_opts_set_no_aaip(read, 0);
        // The earlier files keep their recorded MD5s; a damaged tag is
        // found by reading the disc, not here.
        iso_read_opts_set_no_md5(read, 2);
        rc = iso_image_import(image_, source, read, nullptr);
    }
    if (read) iso_read_opts_free(read);
    if (source) iso_data_source_unref(source);
    if (rc >= 0) return true;
    error_ = text::kSessionUnreadable;
    const std::string why = MessageText(TakeIsoMessages());
    if (!why.empty()) error_ += "\r\n" + why;
    return false;
}

IsoWrite::~IsoWrite() {
    if (opts_) iso_write_opts_free(opts_);
    if (image_) iso_image_unref(image_);
}

std::int64_t IsoWrite::size() const {
    if (!ok()) return -1;
    iso_write_opts_set_will_cancel(opts_, 1);
    ::burn_source* source = nullptr;
    const int rc = iso_image_create_burn_source(image_, opts_, &source);
    iso_write_opts_set_will_cancel(opts_, 0);
    if (rc < 0 || !source) return -1;
    burn::burn_source* stream = asBurnSource(source);
    const std::int64_t bytes = static_cast<std::int64_t>(stream->get_size(stream));
    if (stream->cancel) stream->cancel(stream);
    burn::burn_source_free(stream);
    return bytes;
}

UdfWrite::UdfWrite(const WritePlan& plan) : plan_(plan) {
    char pattern[] = "/tmp/quillmark-udf-XXXXXX";
    if (!::mkdtemp(pattern)) {
        error_ = std::string("/tmp: ") + std::strerror(errno);
        return;
    }
    folder_ = pattern;
    const std::string tree = folder_ + "/tree";
    if (::mkdir(tree.c_str(), 0700) != 0) {
        error_ = tree + ": " + std::strerror(errno);
        return;
    }
    // Parents come before their children in the plan.
    std::vector<std::pair<std::string, std::int64_t>> folders;
    for (const auto& e : plan_.entries) {
        const std::string at = stagedPath(tree, e.imagePath);
        const bool made = e.folder ? ::mkdir(at.c_str(), 0700) == 0 : ::symlink(e.source.c_str(), at.c_str()) == 0;
        if (!made) {
            error_ = e.imagePath + ": " + std::strerror(errno);
            return;
        }
        if (e.folder) folders.emplace_back(at, e.mtime);
    }
    // A folder's date is set once nothing more enters it.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const timespec times[2] = {{static_cast<time_t>(it->second), 0}, {static_cast<time_t>(it->second), 0}};
        ::utimensat(AT_FDCWD, it->first.c_str(), times, 0);
    }
    tree_ = tree;
}

UdfWrite::~UdfWrite() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::vector<std::string> UdfWrite::command(bool printSize) const {
    // -f follows the links to the sources; -hide-rr-moved keeps the folder
    // that holds relocated deep folders out of sight in the Rock Ridge tree.
    std::vector<std::string> argv{"genisoimage", "-quiet", "-input-charset", "utf-8", "-iso-level", "3",
                                  "-r",          "-f",     "-hide-rr-moved"};
    bool dvdVideo = false;
    if (plan_.fileSystem == filesystem::UdfDvdVideo)
        for (const auto& e : plan_.entries) dvdVideo |= e.folder && e.imagePath == "\\VIDEO_TS";
    argv.push_back(dvdVideo ? "-dvd-video" : "-udf");
    if (plan_.fileSystem & filesystem::JolietBit) {
        argv.push_back("-J");
        argv.push_back("-joliet-long");
    }
    argv.push_back("-V");
    argv.push_back(volumeId(plan_.label));
    if (printSize) argv.push_back("-print-size");
    argv.push_back(tree_);
    return argv;
}

std::int64_t UdfWrite::size() {
    if (!ok()) return -1;
    std::string out;
    bool started = false;
    const int status = RunCapturing(command(true), out, errorFile(), started);
    if (!started) {
        error_ = text::kNoGenisoimage;
        return -1;
    }
    char* end = nullptr;
    const long long blocks = std::strtoll(out.c_str(), &end, 10);
    if (status != 0 || end == out.c_str() || blocks <= 0) {
        error_ = HelperComplaints(errorFile(), tree_);
        if (error_.empty()) error_ = "genisoimage: exit status " + std::to_string(status);
        return -1;
    }
    return blocks * kBlockSize;
}

std::string UdfWrite::error() const { return !error_.empty() ? error_ : HelperComplaints(errorFile(), tree_); }

std::string HelperComplaints(const std::string& errorFile, const std::string& tree) {
    constexpr std::size_t kMostLines = 12;
    std::istringstream in(fileText(errorFile));
    std::string text, line;
    for (std::size_t lines = 0; lines < kMostLines && std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty()) continue;
        // The staging folder means nothing to the user; the path inside it
        // is the path on the disc.
        for (std::size_t at; !tree.empty() && (at = line.find(tree)) != std::string::npos;) line.erase(at, tree.size());
        if (!text.empty()) text += "\r\n";
        text += line;
        ++lines;
    }
    return text;
}

std::int64_t PlannedSize(const WritePlan& plan) {
    std::int64_t size = -1;
    if (UsesUdf(plan) && !FileTooLarge(plan)) {
        UdfWrite udf(plan);
        size = udf.size();
    } else {
        // Also the estimate for a UDF image that will be refused: what the
        // files need is still worth telling.
        size = IsoWrite(plan, true).size();
    }
    TakeIsoMessages();
    return size < 0 ? 0 : size;
}

}  // namespace qm::disc::linuxburn
