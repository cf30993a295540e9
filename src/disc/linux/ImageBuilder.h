#pragma once
// Turns a snapshot of the image into what is written: a libisofs image with
// its write options (ISO 9660 with Rock Ridge, Joliet when asked, level 3,
// an MD5 of every file), or for the UDF volume types the command line and
// path list of genisoimage, which libisofs cannot replace there.
#include <cstdint>
#include <string>
#include <vector>

#include "disc/linux/IsoModel.h"

struct Iso_Image;
struct iso_write_opts;

namespace burn {
struct burn_drive;
}

namespace qm::disc::linuxburn {

struct WritePlan {
    Snapshot entries;
    int fileSystem = 0;
    std::string label;
    bool useFileDates = true;
};

// UDF volume types cannot hold a file of 4 GiB or more.
inline constexpr std::uint64_t kUdfFileLimit = 4ull << 30;
bool UsesUdf(const WritePlan& plan);
// The first file too large for the plan's volume type; null when none.
const SnapshotEntry* FileTooLarge(const WritePlan& plan);

// Where an image goes on the medium, and what it adds to.
struct Placement {
    std::uint32_t startBlock = 0;      // its first block; its addresses count from the medium's start
    burn::burn_drive* base = nullptr;  // a drive whose session the image adds to
    std::uint32_t baseBlock = 0;       // where that session is read from
    // A copy of its volume descriptors for blocks 0 to 31 (descriptors()),
    // for media written in place.
    bool descriptorCopy = false;
};

// libisofs. The image and options are released by their owners.
class IsoWrite {
public:
    // With skipUnreadable a file that cannot be added is left out (an
    // estimate); otherwise it fails the image. With a base the image is a
    // new session showing the earlier one's files too; what the plan holds
    // replaces what that session holds under the same name.
    explicit IsoWrite(const WritePlan& plan, bool skipUnreadable = false, const Placement& at = {});
    ~IsoWrite();
    IsoWrite(const IsoWrite&) = delete;
    IsoWrite& operator=(const IsoWrite&) = delete;
    bool ok() const { return image_ && opts_; }
    Iso_Image* image() const { return image_; }
    iso_write_opts* opts() const { return opts_; }
    // Bytes of the image stream; -1 when it cannot be made.
    std::int64_t size() const;
    const std::string& error() const { return error_; }
    // Blocks 0 to 31 as the image wants them once it is written (with
    // Placement::descriptorCopy).
    const std::vector<std::uint8_t>& descriptors() const { return descriptors_; }

private:
    bool importSession(const Placement& at);

    Iso_Image* image_ = nullptr;
    iso_write_opts* opts_ = nullptr;
    std::string error_;
    std::vector<std::uint8_t> descriptors_;
};

// genisoimage over a tree of folders and links to the sources laid out in
// a private temporary folder (removed with this object). A tree of real
// folders lets genisoimage relocate folders deeper than ISO 9660's eight
// levels (Rock Ridge, Joliet and UDF keep the whole tree); following the
// links, it reads the sources with their own dates.
class UdfWrite {
public:
    explicit UdfWrite(const WritePlan& plan);
    ~UdfWrite();
    UdfWrite(const UdfWrite&) = delete;
    UdfWrite& operator=(const UdfWrite&) = delete;
    bool ok() const { return !tree_.empty(); }
    // The program and its arguments; with printSize it only tells the size.
    std::vector<std::string> command(bool printSize) const;
    // Bytes of the image stream; -1 when it cannot be made (error() says why).
    std::int64_t size();
    // Where genisoimage's complaints go (inside the private folder).
    std::string errorFile() const { return folder_ + "/errors"; }
    // genisoimage's complaints, its paths as image paths; or why the tree
    // or the program could not be had.
    std::string error() const;

private:
    WritePlan plan_;
    std::string folder_;
    std::string tree_;
    std::string error_;
};

// Why a helper program could not run: its own complaints in `errorFile`,
// the staging folder `tree` taken out of the paths it names.
std::string HelperComplaints(const std::string& errorFile, const std::string& tree);

// The image's size in bytes as the plan would write it; 0 when it cannot be made.
std::int64_t PlannedSize(const WritePlan& plan);

}  // namespace qm::disc::linuxburn
