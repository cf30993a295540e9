#pragma once
// A drive of libburn: a real burner from libburn's scan, or a plain file
// used as a drive (libburn's "stdio:" drives), which behaves like a
// random-access rewritable medium.
#include <string>
#include <vector>

#include "disc/DiscEngine.h"

namespace burn {
struct burn_drive;
struct burn_drive_info;
}  // namespace burn

namespace qm::disc::linuxburn {

class LinuxDiscEngine;

class BurnDrive : public Device {
public:
    // A drive of a scan (not owned) or grabbed alone (owned info array).
    BurnDrive(LinuxDiscEngine& engine, burn::burn_drive_info* info, bool ownsInfo, std::string fileDrivePath);
    ~BurnDrive() override;
    BurnDrive(const BurnDrive&) = delete;
    BurnDrive& operator=(const BurnDrive&) = delete;

    std::string Name() const override;
    bool CanWrite() const override;
    bool Supports(int code) const override;
    void Refresh(bool flag) override;
    MediaInfo Media() const override;
    std::int64_t FreeBlocks(bool flag) const override;
    int SpeedCount() const override { return static_cast<int>(speeds_.size()); }
    int SpeedAt(int index) const override;
    double SpeedFactor(int speed) const override;
    bool Eject() override;
    bool CloseTray() override;
    int EraseSetting() const override { return 0; }
    bool StartErase(bool quick, int setting) override;

    burn::burn_drive* drive() const;
    int role() const;
    bool grab();
    bool isFileDrive() const { return !filePath_.empty(); }
    const std::string& filePath() const { return filePath_; }
    // The loaded medium's profile (0 when none).
    int profile() const;

private:
    bool hasProfile(int profile) const;
    // What the medium holds, read by Refresh.
    void readContent();

    LinuxDiscEngine& engine_;
    burn::burn_drive_info* info_;
    bool ownsInfo_;
    std::string filePath_;
    bool grabbed_ = false;
    std::vector<int> speeds_;  // kB/s, fastest first
    bool holdsData_ = false;
    bool appendable_ = false;
    std::uint32_t nextSession_ = 0;  // media written in place: where a write starts
};

}  // namespace qm::disc::linuxburn
