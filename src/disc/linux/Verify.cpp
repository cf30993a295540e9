// Verification: the image is read back through the drive (not from what
// was meant to be written), its tree loaded by libisofs, and every file
// compared byte by byte with its source and with its recorded MD5.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "disc/Formats.h"
#include "disc/Texts.h"
#include "disc/linux/DriveSource.h"
#include "disc/linux/Jobs.h"
#include "disc/linux/Libraries.h"
#include "disc/linux/LibraryMessages.h"

namespace qm::disc::linuxburn {

using namespace burn;

namespace {

constexpr std::size_t kChunk = 1 << 16;

std::string isoPath(const std::string& imagePath) {
    std::string out = imagePath;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool readFully(int fd, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads the disc's copy and the source side by side.
int compareFile(IsoImage* image, IsoFile* file, const std::string& source, const std::atomic<bool>& cancel,
                bool& cancelled) {
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) ::close(fd);
        return verify::SourceUnreadable;
    }
    const auto discSize = static_cast<std::uint64_t>(iso_file_get_size(file));
    if (static_cast<std::uint64_t>(info.st_size) != discSize) {
        ::close(fd);
        return verify::SizeDiffers;
    }
    char recorded[16];
    const bool hasMd5 = iso_file_get_md5(image, file, recorded, 0) == 1;
    IsoStream* stream = iso_file_get_stream(file);
    if (iso_stream_open(stream) < 0) {
        ::close(fd);
        return verify::DiscUnreadable;
    }
    void* md5 = nullptr;
    iso_md5_start(&md5);
    std::vector<char> disc(kChunk), local(kChunk);
    int result = verify::Matched;
    for (std::uint64_t left = discSize; left > 0;) {
        if (cancel) {
            cancelled = true;
            break;
        }
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
        std::size_t got = 0;
        while (got < want) {
            const int n = iso_stream_read(stream, disc.data() + got, want - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got < want) {
            result = verify::DiscUnreadable;
            break;
        }
        if (!readFully(fd, local.data(), want)) {
            result = verify::SourceUnreadable;
            break;
        }
        iso_md5_compute(md5, disc.data(), static_cast<int>(want));
        if (std::memcmp(disc.data(), local.data(), want) != 0) result = verify::ContentDiffers;
        left -= want;
    }
    char computed[16];
    iso_md5_end(&md5, computed);
    iso_stream_close(stream);
    ::close(fd);
    if (result == verify::Matched && hasMd5 && std::memcmp(recorded, computed, 16) != 0)
        result = verify::ContentDiffers;
    return result;
}

}  // namespace

bool VerifyDisc(burn_drive* drive, std::uint32_t sessionStart, const std::vector<VerifyFile>& files, EventQueue& events,
                const std::atomic<bool>& cancel) {
    const int total = static_cast<int>(files.size());
    // The window shows the start before the first block is read.
    events.postAndWait([=](DiscEvents& e) {
        e.VerifyStarted(total);
        return true;
    });
    burn_drive_re_assess(drive, 0);
    int capacity = 0;
    burn_get_read_capacity(drive, &capacity, 0);
    events.post([=](DiscEvents& e) {
        e.TrackReading(1, capacity, text::kReadingBack);
        return true;
    });

    IsoImage* image = nullptr;
    IsoReadOpts* opts = nullptr;
    IsoDataSource* source = DriveDataSource(drive);
    bool loaded = false;
    if (source && iso_image_new("VERIFY", &image) >= 0 && iso_read_opts_new(&opts, 0) >= 0) {
        iso_read_opts_set_no_aaip(opts, 0);
        iso_read_opts_set_no_md5(opts, 2);  // a damaged tag must not hide the files
        // The session just written, not the first one on the disc.
        iso_read_opts_set_start_block(opts, sessionStart);
        loaded = iso_image_import(image, source, opts, nullptr) >= 0;
    }
    if (opts) iso_read_opts_free(opts);
    if (source) iso_data_source_unref(source);

    int matched = 0;
    bool cancelled = false;
    for (int i = 0; i < total && !cancelled; ++i) {
        const auto& f = files[static_cast<std::size_t>(i)];
        int result = verify::DiscUnreadable;
        IsoNode* node = nullptr;
        if (loaded && iso_image_path_to_node(image, isoPath(f.imagePath).c_str(), &node) == 1 && node &&
            iso_node_get_type(node) == LIBISO_FILE)
            result = compareFile(image, reinterpret_cast<IsoFile*>(node), f.source, cancel, cancelled);
        if (cancelled) break;
        if (result == verify::Matched) ++matched;
        ImageItem item;
        item.ImagePath = f.imagePath;
        item.Name = LastPathPart(f.imagePath);
        item.SourcePath = f.source;
        events.post([=](DiscEvents& e) {
            e.VerifyProgress(item, result, i + 1, total);
            return true;
        });
    }
    if (image) iso_image_unref(image);
    TakeIsoMessages();
    TakeBurnMessages();
    if (cancelled) return false;
    events.post([=](DiscEvents& e) {
        e.VerifyFinished(total, matched);
        return true;
    });
    return true;
}

}  // namespace qm::disc::linuxburn
