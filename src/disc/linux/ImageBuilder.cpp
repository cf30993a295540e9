#include "disc/linux/ImageBuilder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "disc/linux/ChildProcess.h"
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

// An image path as genisoimage's graft point: "/" separated, with "=" and
// "\" escaped.
std::string graftEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '=' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string graftTarget(const std::string& imagePath) {
    std::string out;
    std::vector<std::string> parts;
    SplitImagePath(imagePath, parts);
    for (const auto& p : parts) out += "/" + graftEscaped(p);
    return out;
}

}  // namespace

bool UsesUdf(const WritePlan& plan) { return (plan.fileSystem & filesystem::UdfBit) != 0; }

const SnapshotEntry* FileTooLarge(const WritePlan& plan) {
    if (!UsesUdf(plan)) return nullptr;
    for (const auto& e : plan.entries)
        if (!e.folder && e.size >= kUdfFileLimit) return &e;
    return nullptr;
}

IsoWrite::IsoWrite(const WritePlan& plan, bool skipUnreadable) {
    const std::string id = volumeId(plan.label);
    if (iso_image_new(id.c_str(), &image_) < 0) {
        error_ = MessageText(TakeIsoMessages());
        return;
    }
    iso_image_set_volume_id(image_, id.c_str());
    iso_image_set_ignore_aclea(image_, 3);
    iso_tree_set_follow_symlinks(image_, 1);
    iso_image_set_truncate_mode(image_, 0, 255);

    std::map<std::string, IsoDir*> folders{{"\\", iso_image_get_root(image_)}};
    for (const auto& e : plan.entries) {
        const auto parent = folders.find(parentPath(e.imagePath));
        if (parent == folders.end()) continue;  // its folder was left out
        const std::string name = leafName(e.imagePath);
        if (e.folder) {
            IsoDir* dir = nullptr;
            if (iso_image_add_new_dir(image_, parent->second, name.c_str(), &dir) < 0) {
                error_ = MessageText(TakeIsoMessages());
                break;
            }
            iso_node_set_mtime(reinterpret_cast<IsoNode*>(dir), static_cast<time_t>(e.mtime));
            folders[e.imagePath] = dir;
        } else if (iso_tree_add_new_node(image_, parent->second, name.c_str(), e.source.c_str(), nullptr) < 0 &&
                   !skipUnreadable) {
            error_ = e.source + ": " + MessageText(TakeIsoMessages());
            break;
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
    if (plan.useFileDates) {
        iso_write_opts_set_dir_rec_mtime(opts_, 3);
        iso_write_opts_set_replace_timestamps(opts_, 0);
    } else {
        iso_write_opts_set_dir_rec_mtime(opts_, 0);
        iso_write_opts_set_replace_timestamps(opts_, 1);
    }
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
    if (!::mkdtemp(pattern)) return;
    folder_ = pattern;
    std::error_code ec;
    fs::create_directory(folder_ + "/empty", ec);
    std::ofstream list(folder_ + "/paths");
    // Every folder is grafted (empty ones too), then every file.
    for (const auto& e : plan_.entries)
        list << graftTarget(e.imagePath) << (e.folder ? "/=" + graftEscaped(folder_ + "/empty") : "=" + graftEscaped(e.source))
             << '\n';
    if (!list) {
        list.close();
        fs::remove_all(folder_, ec);
        folder_.clear();
    }
}

UdfWrite::~UdfWrite() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::vector<std::string> UdfWrite::command(bool printSize) const {
    std::vector<std::string> argv{"genisoimage", "-quiet", "-input-charset", "utf-8", "-iso-level", "3", "-r"};
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
    argv.push_back("-graft-points");
    argv.push_back("-path-list");
    argv.push_back(folder_ + "/paths");
    if (printSize) argv.push_back("-print-size");
    return argv;
}

std::int64_t UdfWrite::size() const {
    if (!ok()) return -1;
    std::string out;
    if (RunCapturing(command(true), out) != 0) return -1;
    char* end = nullptr;
    const long long blocks = std::strtoll(out.c_str(), &end, 10);
    if (end == out.c_str() || blocks <= 0) return -1;
    return blocks * kBlockSize;
}

std::int64_t PlannedSize(const WritePlan& plan) {
    std::int64_t size = -1;
    if (UsesUdf(plan) && !FileTooLarge(plan)) {
        size = UdfWrite(plan).size();
    } else {
        // Also the estimate for a UDF image that will be refused: what the
        // files need is still worth telling.
        size = IsoWrite(plan, true).size();
    }
    TakeIsoMessages();
    return size < 0 ? 0 : size;
}

}  // namespace qm::disc::linuxburn
