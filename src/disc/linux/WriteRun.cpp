// Writing: the sources checked as they are now, the image stream (libisofs,
// or genisoimage for UDF), libburn writing it while its status is polled,
// cancel, and the verification of what was written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "disc/Texts.h"
#include "disc/linux/ChildProcess.h"
#include "disc/linux/DriveSource.h"
#include "disc/linux/Jobs.h"
#include "disc/linux/Libraries.h"
#include "disc/linux/LibraryMessages.h"
#include "disc/linux/LinuxDiscEngine.h"

namespace qm::disc::linuxburn {

using namespace burn;

namespace {

constexpr auto kStatusInterval = std::chrono::milliseconds(50);
constexpr int kFifoBytes = 4 << 20;
constexpr int kCachedFifoBytes = 64 << 20;
constexpr int kDriveBusy = 0x20102;  // "A drive operation is still going on"
constexpr int kBusyRetries = 50;
constexpr auto kBusyRetryInterval = std::chrono::milliseconds(100);

class Reporter {
public:
    explicit Reporter(EventQueue& events) : events_(events) {}
    void status(int percent, int stageNumber) {
        events_.post([=](DiscEvents& e) {
            e.WriteStatus(percent, stageNumber);
            return true;
        });
    }
    void failed(const WriteFailure& failure) {
        events_.post([=](DiscEvents& e) {
            e.WriteFailed(failure);
            return true;
        });
        status(0, stage::Failed);
    }
    bool warn(const FileProblem& problem) {
        return events_.ask([=](DiscEvents& e) { return e.FileWarning(problem); });
    }

private:
    EventQueue& events_;
};

WriteFailure sourceFailure(int code, const std::string& path, const std::string& text) {
    WriteFailure f;
    f.Kind = failure::SourceFile;
    f.Text = text;
    f.FileProblem = {code, path, text};
    return f;
}

WriteFailure systemFailure(int code, const std::string& text) {
    WriteFailure f;
    f.Kind = failure::System;
    f.SystemCode = code;
    f.Text = text;
    return f;
}

WriteFailure deviceFailure(const std::vector<LibraryMessage>& messages, const std::string& text,
                           const std::string& driveName) {
    WriteFailure f;
    f.Kind = failure::Device;
    f.Text = text;
    f.DeviceFailure = {messages.empty() ? 0 : messages.front().code, text,
                       messages.empty() ? std::string() : MessageText(messages), driveName};
    return f;
}

int stageOf(burn_drive_status status) {
    switch (status) {
    case BURN_DRIVE_SPAWNING:
    case BURN_DRIVE_GRABBING: return stage::Preparing;
    case BURN_DRIVE_WRITING:
    case BURN_DRIVE_WRITING_SYNC: return stage::Writing;
    case BURN_DRIVE_WRITING_PREGAP: return stage::WritingPregap;
    case BURN_DRIVE_FORMATTING: return stage::Formatting;
    case BURN_DRIVE_CLOSING_TRACK: return stage::ClosingTrack;
    case BURN_DRIVE_WRITING_LEADIN: return stage::LeadIn;
    case BURN_DRIVE_WRITING_LEADOUT: return stage::LeadOut;
    case BURN_DRIVE_CLOSING_SESSION: return stage::ClosingSession;
    default: return -1;
    }
}

bool cancellable(burn_drive_status status) {
    return status == BURN_DRIVE_WRITING || status == BURN_DRIVE_WRITING_SYNC || status == BURN_DRIVE_READING;
}

// The image could not be made, and why.
std::string imageNotMade(const std::string& why) {
    return why.empty() ? std::string(text::kImageNotMade) : text::kImageNotMade + std::string("\r\n") + why;
}

// The files to write, each checked as it is now. False when the user
// cancelled at a warning.
bool checkSources(const WritePlan& planned, WritePlan& checked, Reporter& report, const std::atomic<bool>& cancel) {
    checked = planned;
    checked.entries.clear();
    for (const auto& e : planned.entries) {
        if (cancel) return false;
        if (e.folder) {
            checked.entries.push_back(e);
            continue;
        }
        struct stat info {};
        const int fd = ::open(e.source.c_str(), O_RDONLY | O_CLOEXEC);
        const bool readable = fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        if (fd >= 0) ::close(fd);
        if (!readable) {
            if (!report.warn({problem::Unreadable, e.source, text::kSourceUnreadable})) return false;
            continue;
        }
        SnapshotEntry now = e;
        now.size = static_cast<std::uint64_t>(info.st_size);
        now.mtime = static_cast<std::int64_t>(info.st_mtime);
        if ((now.size != e.size || now.mtime != e.mtime) &&
            !report.warn({problem::Changed, e.source, text::kSourceChanged}))
            return false;
        checked.entries.push_back(now);
    }
    return true;
}

// libburn's disc, session and track around one data stream.
struct BurnDisc {
    burn_disc* disc = burn_disc_create();
    burn_session* session = burn_session_create();
    burn_track* track = burn_track_create();
    ~BurnDisc() {
        burn_track_free(track);
        burn_session_free(session);
        burn_disc_free(disc);
    }
};

struct Sources {
    burn::burn_source* data = nullptr;
    ~Sources() {
        if (data) burn_source_free(data);
    }
};

void chooseWriteType(burn_drive* drive, burn_write_opts* opts, const WriteRequest& r) {
    burn_multi_caps* caps = nullptr;
    const bool known = burn_disc_get_multi_caps(drive, BURN_WRITE_NONE, &caps, 0) >= 0 && caps;
    // Media without sessions to close (overwritable, files) are always
    // written closed.
    burn_write_opts_set_multi(opts, !r.finalize && known && caps->multi_session ? 1 : 0);
    bool sao = r.writeMode == writemode::DiscAtOnce;
    if (known && sao && !caps->might_do_sao) sao = false;
    if (known && !sao && !caps->might_do_tao && caps->might_do_sao) sao = true;
    if (caps) burn_disc_free_multi_caps(&caps);
    burn_write_opts_set_write_type(opts, sao ? BURN_WRITE_SAO : BURN_WRITE_TAO, sao ? BURN_BLOCK_SAO : BURN_BLOCK_MODE1);
}

// Where the session goes: on media written in place after the descriptor
// blocks (a copy of its descriptors then goes there), or after the session
// it adds to; on other media where the drive says. UDF images start at
// block 0, where their readers look. False when a session cannot be added.
bool placeSession(const WriteRequest& r, burn_write_opts* opts, bool udf, Placement& at, std::string& why) {
    if (r.append && udf) {
        why = text::kUdfCannotAppend;
        return false;
    }
    if (r.overwritable) {
        if (r.append) {
            const HeldImage held = ReadHeldImage(r.drive);
            if (!held.appendable()) {
                why = text::kSessionUnreadable;
                return false;
            }
            at.startBlock = held.nextSession();
            at.base = r.drive;
            at.baseBlock = 0;  // the copy of its descriptors leads to the latest session
        } else if (!udf) {
            at.startBlock = kDescriptorBlocks;
        }
        at.descriptorCopy = at.startBlock > 0;
        burn_write_opts_set_start_byte(opts, static_cast<off_t>(at.startBlock) * kBlockSize);
        return true;
    }
    if (!r.append) return true;
    int msc1 = 0, lba = 0, nwa = 0;
    if (burn_disc_get_msc1(r.drive, &msc1) != 1 || burn_disc_track_lba_nwa(r.drive, opts, 0, &lba, &nwa) != 1 ||
        nwa <= 0) {
        why = text::kSessionUnreadable;
        const std::string detail = MessageText(TakeBurnMessages());
        if (!detail.empty()) why += "\r\n" + detail;
        return false;
    }
    at.startBlock = static_cast<std::uint32_t>(nwa);
    at.base = r.drive;
    at.baseBlock = static_cast<std::uint32_t>(msc1);
    return true;
}

}  // namespace

void RunWrite(const WriteRequest& r, EventQueue& events, const std::atomic<bool>& cancel) {
    Reporter report(events);
    report.status(0, stage::Preparing);
    TakeBurnMessages();
    TakeIsoMessages();

    WritePlan plan;
    if (!checkSources(r.plan, plan, report, cancel)) {
        report.status(0, stage::Cancelled);
        return;
    }
    if (const SnapshotEntry* big = FileTooLarge(plan)) {
        report.failed(sourceFailure(problem::TooLargeForUdf, big->source, text::kTooLargeForUdf));
        return;
    }

    std::unique_ptr<burn_write_opts, void (*)(burn_write_opts*)> opts(burn_write_opts_new(r.drive),
                                                                      burn_write_opts_free);
    chooseWriteType(r.drive, opts.get(), r);
    Placement at;
    std::string why;
    if (!placeSession(r, opts.get(), UsesUdf(plan), at, why)) {
        report.failed(systemFailure(6, why));
        return;
    }

    // The image stream.
    Sources sources;
    std::unique_ptr<IsoWrite> iso;
    std::unique_ptr<UdfWrite> udf;
    ChildProcess maker;
    std::int64_t imageBytes = 0;
    if (UsesUdf(plan)) {
        udf = std::make_unique<UdfWrite>(plan);
        imageBytes = udf->size();
        if (imageBytes <= 0) {
            report.failed(systemFailure(1, imageNotMade(udf->error())));
            return;
        }
        if (!maker.start(udf->command(false), udf->errorFile())) {
            report.failed(systemFailure(2, imageNotMade(text::kNoGenisoimage)));
            return;
        }
        sources.data = burn_fd_source_new(maker.releaseOutput(), -1, static_cast<off_t>(imageBytes));
    } else {
        iso = std::make_unique<IsoWrite>(plan, false, at);
        if (iso->ok())
            iso_write_opts_set_fifo_size(iso->opts(), (r.cacheImage ? kCachedFifoBytes : kFifoBytes) / kBlockSize);
        ::burn_source* stream = nullptr;
        const int rc = iso->ok() ? iso_image_create_burn_source(iso->image(), iso->opts(), &stream) : -1;
        if (rc < 0 || !stream) {
            report.failed(systemFailure(rc, imageNotMade(iso->error() + MessageText(TakeIsoMessages()))));
            return;
        }
        sources.data = asBurnSource(stream);
        imageBytes = static_cast<std::int64_t>(sources.data->get_size(sources.data));
    }
    if (!sources.data) {
        report.failed(systemFailure(3, text::kImageNotMade));
        return;
    }
    // No libburn fifo on top: libisofs streams through a ring buffer of its
    // own, and on a pipe from genisoimage libburn's fifo made the write ten
    // times slower.
    burn::burn_source* trackSource = sources.data;

    BurnDisc disc;
    burn_track_define_data(disc.track, 0, 0, 1, BURN_MODE1);
    if (!trackSource || burn_track_set_source(disc.track, trackSource) != BURN_SOURCE_OK) {
        report.failed(systemFailure(4, text::kImageNotMade));
        return;
    }
    burn_session_add_track(disc.session, disc.track, BURN_POS_END);
    burn_disc_add_session(disc.disc, disc.session, BURN_POS_END);

    burn_write_opts_set_simulate(opts.get(), r.testWrite ? 1 : 0);
    burn_write_opts_set_underrun_proof(opts.get(), r.bufferProtection ? 1 : 0);
    // A file drive is synced once, at the end, instead of every 16 MB.
    burn_write_opts_set_stdio_fsync(opts.get(), 1);
    burn_drive_set_speed(r.drive, 0, r.writeSpeed);
    char reasons[BURN_REASONS_LEN] = "";
    if (burn_precheck_write(opts.get(), disc.disc, reasons, 0) <= 0) {
        auto messages = TakeBurnMessages();
        if (messages.empty()) messages.push_back({0, reasons, "SORRY"});
        report.failed(deviceFailure(messages, text::kDriveRefused, r.driveName));
        return;
    }

    // What a file drive held before a session is added to it.
    off_t heldBytes = -1;
    if (r.append && !r.filePath.empty() && !r.testWrite) {
        struct stat file {};
        if (::stat(r.filePath.c_str(), &file) == 0) heldBytes = file.st_size;
    }

    // libburn refuses a drive whose previous operation is still winding
    // down (its worker leaves a moment after the drive reports idle): wait
    // for it rather than report a write that never started.
    std::vector<LibraryMessage> startMessages;
    for (int attempt = 0;; ++attempt) {
        burn_disc_write(opts.get(), disc.disc);
        startMessages = TakeBurnMessages();
        const bool refusedBusy = std::any_of(startMessages.begin(), startMessages.end(),
                                             [](const LibraryMessage& m) { return m.code == kDriveBusy; });
        if (!refusedBusy) break;
        if (attempt == kBusyRetries || cancel) {
            report.failed(deviceFailure(startMessages, text::kDriveRefused, r.driveName));
            return;
        }
        std::this_thread::sleep_for(kBusyRetryInterval);
    }
    int lastStage = -2, lastPercent = -1;
    bool cancelled = false, cancelSent = false;
    while (true) {
        burn_progress progress{};
        const burn_drive_status status = burn_drive_get_status(r.drive, &progress);
        if (status == BURN_DRIVE_IDLE) break;
        const int stageNumber = stageOf(status);
        const int percent = progress.sectors > 0 ? static_cast<int>(100LL * progress.sector / progress.sectors) : 0;
        if (stageNumber >= 0 && (stageNumber != lastStage || percent != lastPercent)) {
            report.status(percent, stageNumber);
            lastStage = stageNumber;
            lastPercent = percent;
        }
        if (cancel || SignalReceived() != 0) {
            cancelled = true;
            if (!cancelSent && cancellable(status)) {
                burn_drive_cancel(r.drive);
                cancelSent = true;
            }
        }
        std::this_thread::sleep_for(kStatusInterval);
    }
    const bool wroteWell = burn_drive_wrote_well(r.drive) == 1;
    // A cancel that came when the drive had nothing left to stop leaves a
    // complete session: it is finished (made visible, verified as far as the
    // cancel lets it) rather than called cancelled.
    cancelled = !wroteWell && (cancelled || cancel);
    if (cancelled || !wroteWell) maker.kill();
    const int makerStatus = udf ? maker.wait() : 0;
    auto messages = startMessages;
    for (auto& m : TakeBurnMessages()) messages.push_back(m);
    for (auto& m : TakeIsoMessages()) messages.push_back(m);

    // A session that did not get written whole is not part of the disc: a
    // file drive that had one added to it ends where the earlier ones do.
    if ((cancelled || !wroteWell || SignalReceived() != 0) && heldBytes >= 0) ::truncate(r.filePath.c_str(), heldBytes);
    if (SignalReceived() != 0) {
        report.failed(systemFailure(1, text::kAbortedBySignal));
        return;
    }
    if (cancelled) {
        report.status(0, stage::Cancelled);
        return;
    }
    if (!wroteWell) {
        report.failed(deviceFailure(messages, text::kWriteFailedOnDrive, r.driveName));
        return;
    }
    if (makerStatus != 0) {
        report.failed(systemFailure(makerStatus, imageNotMade(udf->error())));
        return;
    }

    if (!r.testWrite) {
        // Readers find the new session through blocks 0 to 31 ...
        if (at.descriptorCopy) {
            std::vector<std::uint8_t> descriptors = iso->descriptors();
            if (burn_random_access_write(r.drive, 0, reinterpret_cast<char*>(descriptors.data()),
                                         static_cast<off_t>(descriptors.size()), 1) != 1) {
                report.failed(deviceFailure(TakeBurnMessages(), text::kDescriptorsNotWritten, r.driveName));
                return;
            }
        }
        // ... and a file drive ends where its image does: what an earlier,
        // longer image left there is not part of this disc.
        if (!r.filePath.empty()) {
            const off_t end = (static_cast<off_t>(at.startBlock) * kBlockSize + imageBytes + kBlockSize - 1) /
                              kBlockSize * kBlockSize;
            if (::truncate(r.filePath.c_str(), end) != 0) {
                report.failed(systemFailure(errno, r.filePath + ": " + std::strerror(errno)));
                return;
            }
        }
    }

    if (r.autoVerify && !r.testWrite) {
        std::vector<VerifyFile> files;
        for (const auto& e : plan.entries)
            if (!e.folder) files.push_back({e.imagePath, e.source});
        // Read as readers find it: on media written in place through the copy
        // of its descriptors at the start, elsewhere at its own start.
        if (!VerifyDisc(r.drive, at.descriptorCopy ? 0 : at.startBlock, files, events, cancel)) {
            report.status(0, stage::Cancelled);
            return;
        }
    }
    report.status(100, stage::Completed);
}

}  // namespace qm::disc::linuxburn
