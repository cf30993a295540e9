// Erasing. Rewritable CDs and DVD-RWs are blanked by libburn (quick or
// full); media written in place (DVD+RW, DVD-RAM, BD-RE) are overwritten
// with zeros, the volume descriptors only or the whole readable area. A
// file drive is blanked through a write-only descriptor, which libburn
// empties.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "disc/Texts.h"
#include "disc/linux/Jobs.h"
#include "disc/linux/Libraries.h"
#include "disc/linux/LibraryMessages.h"

namespace qm::disc::linuxburn {

using namespace burn;

namespace {

constexpr auto kStatusInterval = std::chrono::milliseconds(50);
constexpr off_t kVolumeArea = 64 * 1024;  // the system area and the volume descriptors
constexpr off_t kZeroChunk = 1 << 20;

class EraseReporter {
public:
    explicit EraseReporter(EventQueue& events) : events_(events) {}
    void status(int stageNumber, int percent) {
        events_.post([=](DiscEvents& e) {
            e.EraseStatus(stageNumber, percent);
            return true;
        });
    }
    void failed(int code, const std::string& text, const std::string& detail, const std::string& drive) {
        const DeviceFailure f{code, text, detail, drive};
        events_.post([=](DiscEvents& e) {
            e.EraseFailed(f);
            return true;
        });
    }

private:
    EventQueue& events_;
};

// Follows libburn's erase to its end, reporting progress.
void follow(burn_drive* drive, EraseReporter& report) {
    int last = -1;
    while (true) {
        burn_progress progress{};
        if (burn_drive_get_status(drive, &progress) == BURN_DRIVE_IDLE) break;
        const int percent = progress.sectors > 0 ? static_cast<int>(100LL * progress.sector / progress.sectors) : 0;
        if (percent != last) report.status(erase::Progress, percent);
        last = percent;
        std::this_thread::sleep_for(kStatusInterval);
    }
}

void finish(burn_drive* drive, bool ok, const std::string& driveName, EraseReporter& report) {
    const auto messages = TakeBurnMessages();
    if (ok && burn_drive_wrote_well(drive) == 1) {
        report.status(erase::Completed, 100);
    } else if (!messages.empty()) {
        report.failed(messages.front().code, text::kEraseFailedOnDrive, MessageText(messages), driveName);
    } else {
        report.status(erase::Failed, 0);
    }
}

bool zeroFill(burn_drive* drive, off_t bytes, EraseReporter& report) {
    std::vector<char> zeros(static_cast<std::size_t>(kZeroChunk), 0);
    for (off_t at = 0; at < bytes; at += kZeroChunk) {
        const off_t n = std::min(kZeroChunk, bytes - at);
        if (burn_random_access_write(drive, at, zeros.data(), n, at + n >= bytes ? 1 : 0) != 1) return false;
        report.status(erase::Progress, static_cast<int>(100 * (at + n) / bytes));
    }
    return true;
}

void eraseFileDrive(const EraseRequest& r, EraseReporter& report) {
    const int fd = ::open(r.filePath.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        report.failed(errno, text::kEraseRefused, std::strerror(errno), r.driveName);
        return;
    }
    burn_allow_drive_role_4(1);
    std::string address = "stdio:/dev/fd/" + std::to_string(fd);
    burn_drive_info* info = nullptr;
    const int grabbed = burn_drive_scan_and_grab(&info, address.data(), 0);
    burn_allow_drive_role_4(0);
    if (grabbed != 1) {
        ::close(fd);
        const auto messages = TakeBurnMessages();
        report.failed(messages.empty() ? 0 : messages.front().code, text::kEraseRefused, MessageText(messages),
                      r.driveName);
        return;
    }
    burn_drive* drive = info[0].drive;
    burn_disc_erase(drive, r.quick ? 1 : 0);
    follow(drive, report);
    const bool ok = burn_drive_wrote_well(drive) == 1;
    burn_drive_release(drive, 0);
    burn_drive_info_free(info);
    ::close(fd);
    if (ok) {
        TakeBurnMessages();
        report.status(erase::Completed, 100);
        return;
    }
    const auto messages = TakeBurnMessages();
    report.failed(messages.empty() ? 0 : messages.front().code, text::kEraseFailedOnDrive, MessageText(messages),
                  r.driveName);
}

}  // namespace

void RunErase(const EraseRequest& r, EventQueue& events) {
    EraseReporter report(events);
    TakeBurnMessages();
    report.status(erase::Started, 0);
    if (!r.filePath.empty()) {
        eraseFileDrive(r, report);
        return;
    }
    burn_drive* drive = r.drive;
    if (burn_disc_erasable(drive)) {
        burn_disc_erase(drive, r.quick ? 1 : 0);
        follow(drive, report);
        finish(drive, true, r.driveName, report);
    } else {
        int capacity = 0;
        const off_t bytes = r.quick || burn_get_read_capacity(drive, &capacity, 0) != 1
                                ? kVolumeArea
                                : static_cast<off_t>(capacity) * kBlockSize;
        const bool ok = zeroFill(drive, bytes, report);
        const auto messages = TakeBurnMessages();
        if (ok)
            report.status(erase::Completed, 100);
        else
            report.failed(messages.empty() ? 0 : messages.front().code, text::kEraseFailedOnDrive,
                          MessageText(messages), r.driveName);
    }
    burn_drive_re_assess(drive, 0);
}

}  // namespace qm::disc::linuxburn
