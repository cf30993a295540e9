#include "disc/linux/BurnDrive.h"

#include <sys/stat.h>

#include <algorithm>

#include "disc/linux/DriveSource.h"
#include "disc/linux/Libraries.h"
#include "disc/linux/LinuxDiscEngine.h"

namespace qm::disc::linuxburn {

using namespace burn;

namespace {

// MMC profile numbers of the media libburn writes or reads.
constexpr int kCdRom = 0x08, kCdR = 0x09, kCdRw = 0x0a, kDvdRom = 0x10, kDvdR = 0x11, kDvdRam = 0x12,
              kDvdRwOverwrite = 0x13, kDvdRwSequential = 0x14, kDvdRDl = 0x15, kDvdPlusRw = 0x1a, kDvdPlusR = 0x1b,
              kDvdPlusRDl = 0x2b, kBdRom = 0x40, kBdR = 0x41, kBdRRandom = 0x42, kBdRe = 0x43;

int mediaTypeOf(int profile) {
    switch (profile) {
    case 0: return media::None;
    case kCdRom: return media::CdRom;
    case kCdR: return media::CdR;
    case kCdRw: return media::CdRw;
    case kDvdRom: return media::DvdRom;
    case kDvdR: return media::DvdR;
    case kDvdRam: return media::DvdRam;
    case kDvdRwOverwrite:
    case kDvdRwSequential: return media::DvdRw;
    case kDvdRDl: return media::DvdRDl;
    case kDvdPlusRw: return media::DvdPlusRw;
    case kDvdPlusR: return media::DvdPlusR;
    case kDvdPlusRDl: return media::DvdPlusRDl;
    case kBdRom: return media::BdRom;
    case kBdR:
    case kBdRRandom: return media::BdR;
    case kBdRe: return media::BdRe;
    default: return media::Unknown;
    }
}

bool rewritable(int profile) {
    return profile == kCdRw || profile == kDvdRam || profile == kDvdRwOverwrite || profile == kDvdRwSequential ||
           profile == kDvdPlusRw || profile == kBdRe;
}

// Media written in place: always writable, whatever they hold.
bool overwritable(int profile) {
    return profile == kDvdRam || profile == kDvdRwOverwrite || profile == kDvdPlusRw || profile == kBdRe;
}

// Speeds are kB/s; one "x" is this many on CD, DVD and BD media.
double oneTimes(int profile) {
    if (profile >= kBdRom && profile <= kBdRe) return 4495.625;
    if (profile >= kDvdRom && profile <= kDvdPlusRDl) return 1385.0;
    return 176.4;
}

constexpr int kFileRoleReadWrite = 2, kFileRoleSequential = 3, kFileRoleReadOnly = 4, kFileRoleWriteOnly = 5;

}  // namespace

BurnDrive::BurnDrive(LinuxDiscEngine& engine, burn_drive_info* info, bool ownsInfo, std::string fileDrivePath)
    : engine_(engine), info_(info), ownsInfo_(ownsInfo), filePath_(std::move(fileDrivePath)), grabbed_(ownsInfo) {}

BurnDrive::~BurnDrive() {
    if (grabbed_) burn_drive_release(info_->drive, 0);
    if (ownsInfo_)
        burn_drive_info_free(info_);
    else
        burn_drive_info_forget(info_, 0);
}

burn_drive* BurnDrive::drive() const { return info_->drive; }

int BurnDrive::role() const { return burn_drive_get_drive_role(info_->drive); }

bool BurnDrive::grab() {
    if (!grabbed_) grabbed_ = burn_drive_grab(info_->drive, 0) == 1;
    return grabbed_;
}

std::string BurnDrive::Name() const {
    if (isFileDrive()) return "File: " + filePath_;
    char address[BURN_DRIVE_ADR_LEN] = "";
    burn_drive_d_get_adr(info_->drive, address);
    std::string name = std::string(info_->vendor) + " " + info_->product + " " + info_->revision;
    return name + " (" + address + ")";
}

bool BurnDrive::hasProfile(int wanted) const {
    int count = 0;
    int profiles[64];
    char current[64];
    if (burn_drive_get_all_profiles(info_->drive, &count, profiles, current) <= 0) return false;
    return std::find(profiles, profiles + count, wanted) != profiles + count;
}

bool BurnDrive::CanWrite() const {
    const int r = role();
    if (r == kFileRoleReadWrite || r == kFileRoleSequential || r == kFileRoleWriteOnly) return true;
    if (r != 1) return false;
    return info_->write_cdr || info_->write_cdrw || info_->write_dvdr || info_->write_dvdram ||
           hasProfile(kDvdPlusR) || hasProfile(kDvdPlusRw) || hasProfile(kBdR) || hasProfile(kBdRe);
}

bool BurnDrive::Supports(int code) const {
    const int r = role();
    if (r != 1) return code == capability::WriteDvdRam && (r == kFileRoleReadWrite || r == kFileRoleWriteOnly);
    switch (code) {
    case capability::WriteCdRw: return info_->write_cdrw || hasProfile(kCdRw);
    case capability::WriteDvdRw: return hasProfile(kDvdRwOverwrite) || hasProfile(kDvdRwSequential);
    case capability::WriteDvdPlusRw: return hasProfile(kDvdPlusRw);
    case capability::WriteDvdRam: return info_->write_dvdram || hasProfile(kDvdRam);
    case capability::WriteBdRe: return hasProfile(kBdRe);
    case capability::BufferUnderrunProtection: {
        burn_write_opts* opts = burn_write_opts_new(info_->drive);
        if (!opts) return false;
        const bool proof = burn_write_opts_set_underrun_proof(opts, 1) == 1;
        burn_write_opts_free(opts);
        return proof;
    }
    default: return false;
    }
}

int BurnDrive::profile() const {
    int number = 0;
    char name[80] = "";
    if (!grabbed_ || burn_disc_get_profile(info_->drive, &number, name) != 1) return 0;
    return number;
}

void BurnDrive::Refresh(bool /*flag*/) {
    if (engine_.busyWith(*this)) return;  // a write or erase holds the drive
    if (!grab()) return;
    burn_drive_re_assess(info_->drive, 0);
    speeds_.clear();
    const int current = profile();
    burn_speed_descriptor* list = nullptr;
    if (burn_drive_get_speedlist(info_->drive, &list) > 0) {
        for (auto* s = list; s; s = s->next)
            if (s->write_speed > 0 && s->profile_loaded == current) speeds_.push_back(s->write_speed);
        burn_drive_free_speedlist(&list);
    }
    std::sort(speeds_.rbegin(), speeds_.rend());
    speeds_.erase(std::unique(speeds_.begin(), speeds_.end()), speeds_.end());
    readContent();
}

void BurnDrive::readContent() {
    holdsData_ = appendable_ = false;
    nextSession_ = 0;
    const int r = role();
    const auto readImage = [this] {
        const HeldImage held = ReadHeldImage(info_->drive);
        appendable_ = held.appendable();
        nextSession_ = appendable_ ? held.nextSession() : 0;
        return held.found;
    };
    if (isFileDrive()) {
        // Anything in the file is data a write would replace.
        struct stat file {};
        holdsData_ = ::stat(filePath_.c_str(), &file) == 0 && file.st_size > 0;
        if (holdsData_ && r == kFileRoleReadWrite) readImage();
        return;
    }
    if (r != 1) return;
    if (overwritable(profile())) {
        // Such media hold no sessions of their own: what they hold is told
        // by the image at their start.
        holdsData_ = readImage();
        return;
    }
    const burn_disc_status status = burn_disc_get_status(info_->drive);
    holdsData_ = status == BURN_DISC_APPENDABLE || status == BURN_DISC_FULL;
    appendable_ = status == BURN_DISC_APPENDABLE;
}

MediaInfo BurnDrive::Media() const {
    MediaInfo info;
    if (!grabbed_) return info;
    const int r = role();
    const burn_disc_status status = burn_disc_get_status(info_->drive);
    if (r == kFileRoleReadWrite || r == kFileRoleWriteOnly)
        return {media::DvdRam, true, true, holdsData_, appendable_, true};
    if (r == kFileRoleSequential) return {media::DvdR, status == BURN_DISC_BLANK, false};
    if (r == kFileRoleReadOnly) return {media::DvdRom, false, false};
    if (status == BURN_DISC_EMPTY) return info;
    const int p = profile();
    info.MediaType = mediaTypeOf(p);
    info.IsRewritable = rewritable(p);
    info.IsWritable = overwritable(p) || status == BURN_DISC_BLANK || status == BURN_DISC_APPENDABLE;
    info.HoldsData = holdsData_;
    info.IsAppendable = appendable_;
    info.IsOverwritable = overwritable(p);
    return info;
}

std::int64_t BurnDrive::FreeBlocks(bool /*flag*/) const {
    if (!grabbed_) return 0;
    std::int64_t blocks = static_cast<std::int64_t>(burn_disc_available_space(info_->drive, nullptr)) / kBlockSize;
    // On media written in place a session starts after the descriptor
    // blocks, or after the image it follows.
    if (Media().IsOverwritable) blocks -= appendable_ ? nextSession_ : kDescriptorBlocks;
    return std::max<std::int64_t>(blocks, 0);
}

int BurnDrive::SpeedAt(int index) const {
    if (index < 0 || index >= SpeedCount()) return 0;
    return speeds_[static_cast<std::size_t>(index)];
}

double BurnDrive::SpeedFactor(int speed) const { return speed / oneTimes(profile()); }

bool BurnDrive::Eject() {
    if (isFileDrive() || engine_.busyWith(*this)) return isFileDrive();
    if (grabbed_) burn_drive_release(info_->drive, 1);
    grabbed_ = false;
    return true;
}

bool BurnDrive::CloseTray() {
    if (isFileDrive() || engine_.busyWith(*this)) return isFileDrive();
    if (grabbed_) return true;
    grabbed_ = burn_drive_grab(info_->drive, 1) == 1;
    return grabbed_;
}

bool BurnDrive::StartErase(bool quick, int /*setting*/) { return engine_.startErase(*this, quick); }

}  // namespace qm::disc::linuxburn
