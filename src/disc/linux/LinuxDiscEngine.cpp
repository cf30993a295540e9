#include "disc/linux/LinuxDiscEngine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "disc/linux/BurnDrive.h"
#include "disc/linux/DiscNames.h"
#include "disc/linux/Jobs.h"
#include "disc/linux/Libraries.h"
#include "disc/linux/LibraryMessages.h"

namespace qm::disc::linuxburn {

using namespace burn;

namespace {

char kSignalPrefix[] = "quillmark : ";

// libburn and libisofs are process-wide: started by the first engine,
// finished with the last.
int librariesInUse = 0;

// Signals reach libburn's handler while the libraries are in use: during a
// write or erase the job stops the drive cleanly and the process ends
// after it; otherwise the process ends at once, as the signal asks.
std::atomic<int> signalReceived{0};
std::atomic<bool> driveBusy{false};

int onSignal(void* /*handle*/, int signalNumber, int /*flag*/) {
    signalReceived = signalNumber;
    return driveBusy ? -2 : 1;
}

bool startLibraries() {
    if (librariesInUse++ > 0) return true;
    if (iso_init() < 0) return false;
    if (!burn_initialize()) return false;
    QueueLibraryMessages();
    char utf8[] = "UTF-8";
    iso_set_local_charset(utf8, 0);  // names reach the image as UTF-8 whatever the locale
    burn_set_signal_handling(kSignalPrefix, onSignal, 0x100);
    return true;
}

void finishLibraries() {
    if (--librariesInUse > 0) return;
    burn_set_signal_handling(nullptr, nullptr, 1);
    burn_finish();
    iso_finish();
}

void guardSignals(bool on) { driveBusy = on; }

}  // namespace

int SignalReceived() { return signalReceived; }

std::vector<std::string> FileDrivesFromEnvironment() {
    std::vector<std::string> paths;
    const char* value = std::getenv("QM_DISC_DRIVES");
    if (!value) return paths;
    const std::string list = value;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t cut = list.find(':', start);
        const std::string path = list.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (!path.empty()) paths.push_back(path);
        if (cut == std::string::npos) break;
        start = cut + 1;
    }
    return paths;
}

std::unique_ptr<DiscEngine> MakeLinuxDiscEngine(LinuxDiscEngineOptions options) {
    return std::make_unique<LinuxDiscEngine>(std::move(options));
}

LinuxDiscEngine::LinuxDiscEngine(LinuxDiscEngineOptions options)
    : options_(std::move(options)),
      librariesReady_(startLibraries()) {
    model_ = std::make_unique<IsoModel>(
        [this](const std::function<void(DiscEvents&)>& event) { emitNow(event); },
        [this](const ImageItem& existing, const std::string& source) {
            return !subscribers_.empty() && subscribers_.front()->ReplaceQuery(existing, source);
        },
        [this](const std::string& path) { return options_.sourcePath ? options_.sourcePath(path) : path; });
}

LinuxDiscEngine::~LinuxDiscEngine() {
    if (jobRunning()) {
        cancel_ = true;
        queue_.shutDown();
        worker_.join();
        guardSignals(false);
    }
    model_.reset();
    releaseDrives();
    finishLibraries();
}

void LinuxDiscEngine::releaseDrives() {
    drives_.clear();
    if (scan_) burn_drive_info_free(scan_);
    scan_ = nullptr;
}

bool LinuxDiscEngine::Initialize(bool /*flag*/) {
    if (!librariesReady_) return false;
    if (scanned_) return true;
    scanned_ = true;
    if (options_.scanDrives) {
        unsigned int count = 0;
        int rc;
        while ((rc = burn_drive_scan(&scan_, &count)) == 0) ::usleep(10000);
        for (unsigned int i = 0; rc > 0 && i < count; ++i)
            drives_.push_back(std::make_unique<BurnDrive>(*this, &scan_[i], false, ""));
    }
    for (const auto& path : options_.fileDrives) {
        std::error_code ec;
        std::string address = "stdio:" + std::filesystem::absolute(path, ec).string();
        burn_drive_info* info = nullptr;
        if (burn_drive_scan_and_grab(&info, address.data(), 0) == 1)
            drives_.push_back(std::make_unique<BurnDrive>(*this, info, true, path));
    }
    TakeBurnMessages();
    return true;
}

int LinuxDiscEngine::DeviceCount() { return static_cast<int>(drives_.size()); }

Device* LinuxDiscEngine::DeviceAt(int index) {
    if (index < 0 || index >= DeviceCount()) return nullptr;
    return drives_[static_cast<std::size_t>(index)].get();
}

void LinuxDiscEngine::Subscribe(DiscEvents& events) { subscribers_.push_back(&events); }

void LinuxDiscEngine::Unsubscribe(DiscEvents& events) {
    subscribers_.erase(std::remove(subscribers_.begin(), subscribers_.end(), &events), subscribers_.end());
}

void LinuxDiscEngine::emitNow(const std::function<void(DiscEvents&)>& event) {
    const auto subscribers = subscribers_;
    for (auto* s : subscribers) event(*s);
}

void LinuxDiscEngine::reapJob() {
    if (!jobRunning() || !jobDone_) return;
    worker_.join();
    jobDrive_ = nullptr;
    guardSignals(false);
}

bool LinuxDiscEngine::Poll(int waitMilliseconds) {
    if (!jobRunning()) {
        queue_.deliver(0, subscribers_);
        return false;
    }
    // Every event of a finished job was queued before it finished: the
    // worker is joined first, so that a window reacting to the last event
    // may start the next job at once.
    const bool finished = jobDone_;
    if (finished) reapJob();
    queue_.deliver(finished ? 0 : waitMilliseconds, subscribers_);
    if (finished && SignalReceived() != 0) {
        // The process was asked to end while the drive worked; it is idle now.
        std::exit(1);
    }
    return jobRunning();
}

int LinuxDiscEngine::BlockSize() const { return kBlockSize; }

bool LinuxDiscEngine::CanAppend(int fileSystem) const { return (fileSystem & filesystem::UdfBit) == 0; }

bool LinuxDiscEngine::FileDatesOptional(int fileSystem) const { return (fileSystem & filesystem::UdfBit) == 0; }

std::vector<std::string> LinuxDiscEngine::ChangedNames() {
    std::vector<std::string> changed;
    const bool udf = (FileSystem & filesystem::UdfBit) != 0;
    const bool joliet = (FileSystem & filesystem::JolietBit) != 0;
    if (!udf && !joliet) return changed;
    for (const auto& e : model_->snapshot()) {
        const std::string name = e.imagePath.substr(e.imagePath.rfind('\\') + 1);
        const bool kept =
            udf ? GenisoimageKeepsName(name, joliet ? kJolietLongNameLength : kUdfNameLength) : JolietKeepsName(name);
        if (!kept) changed.push_back(e.imagePath);
    }
    return changed;
}

double LinuxDiscEngine::ImageSize() {
    WritePlan plan{model_->snapshot(), FileSystem, Volume.Label, UseFileDates};
    return static_cast<double>(PlannedSize(plan));
}

bool LinuxDiscEngine::StartWrite(Device& device) {
    reapJob();
    auto* drive = dynamic_cast<BurnDrive*>(&device);
    if (jobRunning() || !drive || !drive->grab()) return false;
    WriteRequest request;
    request.drive = drive->drive();
    request.driveName = drive->Name();
    if (drive->isFileDrive()) request.filePath = drive->filePath();
    request.overwritable = drive->Media().IsOverwritable;
    request.append = AppendSession;
    request.plan = {model_->snapshot(), FileSystem, Volume.Label, UseFileDates};
    request.writeSpeed = WriteSpeed;
    request.writeMode = WriteMode;
    request.autoVerify = AutoVerify;
    request.cacheImage = CacheImage;
    request.testWrite = TestWrite;
    request.finalize = Finalize;
    request.bufferProtection = BufferProtection;

    cancel_ = false;
    jobDone_ = false;
    jobDrive_ = drive;
    queue_.reopen();
    guardSignals(true);
    worker_ = std::thread([this, request] {
        RunWrite(request, queue_, cancel_);
        jobDone_ = true;
        queue_.wake();
    });
    return true;
}

void LinuxDiscEngine::AbortWrite() { cancel_ = true; }

bool LinuxDiscEngine::startErase(BurnDrive& drive, bool quick) {
    reapJob();
    if (jobRunning() || !drive.grab()) return false;
    EraseRequest request;
    request.quick = quick;
    request.driveName = drive.Name();
    if (drive.isFileDrive())
        request.filePath = drive.filePath();
    else
        request.drive = drive.drive();
    jobDone_ = false;
    jobDrive_ = &drive;
    queue_.reopen();
    guardSignals(true);
    worker_ = std::thread([this, request] {
        RunErase(request, queue_);
        jobDone_ = true;
        queue_.wake();
    });
    return true;
}

}  // namespace qm::disc::linuxburn
