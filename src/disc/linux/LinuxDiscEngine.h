#pragma once
// The disc-burning component on Linux: libburn for drives, writing and
// erasing, libisofs for the image (genisoimage for the UDF volume types).
// Drives are libburn's scan of the real burners plus plain files used as
// drives (QM_DISC_DRIVES), so every path also runs without hardware.
//
// A write or an erase runs in a worker thread (and libburn's own); its
// events are queued and delivered by Poll on the caller's thread.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "disc/DiscEngine.h"
#include "disc/linux/EventQueue.h"
#include "disc/linux/IsoModel.h"

namespace burn {
struct burn_drive_info;
}

namespace qm::disc::linuxburn {

class BurnDrive;

struct LinuxDiscEngineOptions {
    bool scanDrives = true;               // libburn's scan of real burners
    std::vector<std::string> fileDrives;  // plain files used as drives
    // A source path as the windows give it (say a Windows path under Wine)
    // to the host path to read; identity when not set.
    std::function<std::string(const std::string&)> sourcePath;
};

// The signal that asked the process to end while a drive worked; 0 when none.
int SignalReceived();

// The file drives named in QM_DISC_DRIVES, a ':'-separated list of paths.
std::vector<std::string> FileDrivesFromEnvironment();

std::unique_ptr<DiscEngine> MakeLinuxDiscEngine(LinuxDiscEngineOptions options);

class LinuxDiscEngine : public DiscEngine, public disc::WriteJob {
public:
    explicit LinuxDiscEngine(LinuxDiscEngineOptions options);
    ~LinuxDiscEngine() override;
    LinuxDiscEngine(const LinuxDiscEngine&) = delete;
    LinuxDiscEngine& operator=(const LinuxDiscEngine&) = delete;

    // DiscEngine
    bool Initialize(bool flag) override;
    int DeviceCount() override;
    Device* DeviceAt(int index) override;
    disc::WriteJob& WriteJob() override { return *this; }
    void Subscribe(DiscEvents& events) override;
    void Unsubscribe(DiscEvents& events) override;
    bool Poll(int waitMilliseconds) override;

    // WriteJob
    DiscImage& Image() override { return *model_; }
    int BlockSize() const override;
    // genisoimage (the UDF types) can neither add a session nor leave the
    // files' dates out.
    bool CanAppend(int fileSystem) const override;
    bool FileDatesOptional(int fileSystem) const override;
    std::vector<std::string> ChangedNames() override;
    double ImageSize() override;
    bool StartWrite(Device& device) override;
    void AbortWrite() override;

    // For the drives.
    bool busyWith(const BurnDrive& drive) const { return jobRunning() && jobDrive_ == &drive; }
    bool startErase(BurnDrive& drive, bool quick);

private:
    bool jobRunning() const { return worker_.joinable(); }
    void reapJob();
    void emitNow(const std::function<void(DiscEvents&)>& event);
    void releaseDrives();

    LinuxDiscEngineOptions options_;
    bool librariesReady_ = false;
    bool scanned_ = false;
    burn::burn_drive_info* scan_ = nullptr;
    std::vector<std::unique_ptr<BurnDrive>> drives_;
    std::vector<DiscEvents*> subscribers_;
    std::unique_ptr<IsoModel> model_;
    EventQueue queue_;
    std::thread worker_;
    std::atomic<bool> jobDone_{false};
    std::atomic<bool> cancel_{false};
    BurnDrive* jobDrive_ = nullptr;
};

}  // namespace qm::disc::linuxburn
