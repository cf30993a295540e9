#include "archive/Zip.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>

#include "archive/HostFile.h"
#include "archive/InfoFile.h"
#include "archive/Names.h"
#include "platform/CodePage.h"

namespace qm::archive {
namespace {

// Deflate level 6, measured on a mix shaped like an Outlook data file
// (bench/archive_level.sh): level 9 takes 2.6 times as long for no smaller
// output, level 7 takes 22% longer to save 0.08%; level 5 is 37% faster but
// 0.9% larger.
constexpr int kDeflateLevel = 6;
// How much data may be read between two polls for cancellation.
constexpr std::uint64_t kCancelPollBytes = 1u << 20;
constexpr std::size_t kCopyBuffer = 1u << 16;

std::uint32_t crc32Update(std::uint32_t crc, const unsigned char* data, std::size_t length) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string bareName(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool isReservedDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

// A name that can only be a file directly in the folder it is extracted to.
bool isSafeEntryName(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name) {
        if (c < 0x20) return false;
        if (std::strchr("\\/:<>\"|?*", c)) return false;
    }
    if (name.back() == '.' || name.back() == ' ') return false;  // also "." and ".."
    return !isReservedDeviceName(name);
}

void setError(zip_error_t& error, int zipCode, int systemCode) {
    zip_error_fini(&error);
    zip_error_init(&error);
    zip_error_set(&error, zipCode, systemCode);
}

}  // namespace

struct Zip::State {
    struct Queued {
        std::string name;  // bare name, ANSI
        std::string hostPath;
        detail::FileInfo added;
        bool dropped = false;
    };

    // Building.
    bool building = false;
    std::string targetHost;
    std::vector<Queued> queue;
    std::unordered_map<std::u16string, std::size_t> byName;

    // Reading.
    zip_t* reader = nullptr;
    bool hasReadPassword = false;
    std::string readPassword;
    std::vector<std::string> names;  // ANSI, by index

    ~State() { closeReader(); }
    void closeReader() {
        if (reader) zip_discard(reader);
        reader = nullptr;
        names.clear();
    }
    void clearBuild() {
        building = false;
        targetHost.clear();
        queue.clear();
        byName.clear();
    }
};

namespace {

// One write of the archive. Entry sources report here which entry failed, so
// that the write can be repeated without it.
struct WriteSession {
    ArchiveEvents* events = nullptr;
    std::uint64_t total = 0;
    std::uint64_t done = 0;
    std::uint64_t sincePoll = 0;
    int* lastPercent = nullptr;
    bool cancelled = false;
    long failedEntry = -1;

    bool pollCancel() {
        sincePoll = 0;
        if (!cancelled && events && events->ArchiveWriteCancelled()) cancelled = true;
        return cancelled;
    }
    void advance(std::uint64_t bytes) {
        done += bytes;
        sincePoll += bytes;
        // 100 is raised only when the archive is in place.
        int percent = total == 0 ? 99 : static_cast<int>(std::min<std::uint64_t>(99, done * 100 / total));
        while (*lastPercent < percent) {
            ++*lastPercent;
            if (events) events->ArchiveWriteProgress(*lastPercent);
        }
    }
};

// Streams one queued file into libzip. The file is checked when its data is
// asked for and again at its end: a file that changed meanwhile fails the
// write rather than being stored cut or stretched.
struct EntrySource {
    WriteSession* session = nullptr;
    long entry = -1;
    std::string hostPath;
    detail::FileInfo snapshot;
    detail::HostFile file;
    std::uint64_t remaining = 0;
    zip_error_t error;

    EntrySource() { zip_error_init(&error); }
    ~EntrySource() { zip_error_fini(&error); }

    zip_int64_t fail(int zipCode, int systemCode) {
        setError(error, zipCode, systemCode);
        if (session->failedEntry < 0) session->failedEntry = entry;
        file.close();
        return -1;
    }
    zip_int64_t cancel() {
        setError(error, ZIP_ER_CANCELLED, 0);
        file.close();
        return -1;
    }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<EntrySource*>(state)->handle(data, length, command);
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_STAT: {
            zip_stat_t* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
            if (!st) return -1;
            if (!file.isOpen()) {
                detail::FileInfo now = detail::statPath(hostPath);
                if (!now.exists) return fail(ZIP_ER_OPEN, ENOENT);
                if (!now.regular) return fail(ZIP_ER_OPEN, EISDIR);
                snapshot = now;
            }
            st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            st->size = snapshot.size;
            st->mtime = static_cast<time_t>(snapshot.mtimeSec);
            return sizeof(*st);
        }
        case ZIP_SOURCE_OPEN: {
            if (session->pollCancel()) return cancel();
            if (!file.openRead(hostPath)) return fail(ZIP_ER_OPEN, file.error());
            const detail::FileInfo now = file.info();
            if (!now.regular || !now.unchanged(snapshot)) return fail(ZIP_ER_CHANGED, 0);
            remaining = snapshot.size;
            return 0;
        }
        case ZIP_SOURCE_READ: {
            if (remaining == 0) {
                if (!file.info().unchanged(snapshot)) return fail(ZIP_ER_CHANGED, 0);
                return 0;
            }
            if (session->sincePoll >= kCancelPollBytes && session->pollCancel()) return cancel();
            const std::size_t want = static_cast<std::size_t>(std::min<zip_uint64_t>(length, remaining));
            const std::int64_t n = file.read(data, want);
            if (n < 0) return fail(ZIP_ER_READ, file.error());
            if (n == 0) return fail(ZIP_ER_CHANGED, 0);  // shorter than when it was looked at
            remaining -= static_cast<std::uint64_t>(n);
            session->advance(static_cast<std::uint64_t>(n));
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            file.close();
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, data, length);
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            setError(error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

// The archive libzip writes: a part file beside the target, flushed to disk
// when libzip commits. It starts out empty, so nothing is ever read from it.
struct ArchiveSink {
    std::string targetHost;
    detail::PartFile part;
    bool committed = false;
    zip_error_t error;

    ArchiveSink() { zip_error_init(&error); }
    ~ArchiveSink() { zip_error_fini(&error); }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<ArchiveSink*>(state)->handle(data, length, command);
    }

    zip_int64_t failWith(int zipCode, int systemCode) {
        setError(error, zipCode, systemCode);
        return -1;
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        detail::HostFile& f = part.file();
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
                ZIP_SOURCE_REMOVE, -1);
        case ZIP_SOURCE_STAT:
            // "No such file": libzip then starts a new archive.
            return failWith(ZIP_ER_READ, ENOENT);
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_REMOVE:
            return 0;
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_TELL:
            return 0;
        case ZIP_SOURCE_SEEK:
            return zip_source_seek_compute_offset(0, 0, data, length, &error) < 0 ? -1 : 0;
        case ZIP_SOURCE_BEGIN_WRITE:
            if (!part.create(targetHost)) return failWith(ZIP_ER_TMPOPEN, part.error());
            return 0;
        case ZIP_SOURCE_WRITE:
            if (!f.writeAll(data, static_cast<std::size_t>(length))) return failWith(ZIP_ER_WRITE, f.error());
            return static_cast<zip_int64_t>(length);
        case ZIP_SOURCE_SEEK_WRITE: {
            auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error);
            if (!args) return -1;
            if (!f.seek(args->offset, args->whence)) return failWith(ZIP_ER_SEEK, f.error());
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE: {
            std::int64_t pos = f.tell();
            if (pos < 0) return failWith(ZIP_ER_TELL, f.error());
            return pos;
        }
        case ZIP_SOURCE_COMMIT_WRITE:
            // Only flushed here; the rename over the target follows once
            // libzip reports the whole archive written.
            if (!f.sync()) return failWith(ZIP_ER_WRITE, f.error());
            committed = true;
            return 0;
        case ZIP_SOURCE_ROLLBACK_WRITE:
            part.discard();
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, data, length);
        default:
            return failWith(ZIP_ER_OPNOTSUPP, 0);
        }
    }
};

enum class Outcome { Written, EntryFailed, Cancelled, Failed };

struct Source {
    long entry;  // index in the queue
    std::string name;
    std::string hostPath;
    detail::FileInfo snapshot;
};

struct Attempt {
    Outcome outcome = Outcome::Failed;
    long failedEntry = -1;
    std::string error;
};

// One pass of libzip over the sources, into a part file that replaces the
// target only when libzip has written all of it.
Attempt writeOnce(const std::string& targetHost, const std::vector<Source>& sources, const std::string* password,
                  ArchiveEvents* events, int& lastPercent) {
    Attempt result;
    WriteSession session;
    session.events = events;
    session.lastPercent = &lastPercent;
    for (const Source& src : sources) session.total += src.snapshot.size;
    if (session.pollCancel()) {
        result.outcome = Outcome::Cancelled;
        return result;
    }

    ArchiveSink sink;
    sink.targetHost = targetHost;
    if (sources.empty()) {
        // libzip deletes an archive without entries; write the bare end
        // record of an empty ZIP archive instead.
        static const unsigned char emptyZip[22] = {'P', 'K', 5, 6};
        if (sink.part.create(targetHost) && sink.part.file().writeAll(emptyZip, sizeof emptyZip) && sink.part.commit())
            result.outcome = Outcome::Written;
        else
            result.error = std::string("The archive cannot be written: ") + std::strerror(sink.part.error());
        return result;
    }

    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* archiveSource = zip_source_function_create(&ArchiveSink::callback, &sink, &openError);
    zip_t* za = archiveSource ? zip_open_from_source(archiveSource, ZIP_CREATE, &openError) : nullptr;
    if (!za) {
        result.error = std::string("The archive cannot be started: ") + zip_error_strerror(&openError);
        if (archiveSource) zip_source_free(archiveSource);
        zip_error_fini(&openError);
        return result;
    }
    zip_error_fini(&openError);

    std::vector<std::unique_ptr<EntrySource>> entrySources;
    bool setupFailed = false;
    for (const Source& src : sources) {
        auto es = std::make_unique<EntrySource>();
        es->session = &session;
        es->entry = src.entry;
        es->hostPath = src.hostPath;
        es->snapshot = src.snapshot;
        zip_source_t* zs = zip_source_function_create(&EntrySource::callback, es.get(), nullptr);
        if (!zs) {
            setupFailed = true;
            break;
        }
        entrySources.push_back(std::move(es));
        const std::string utf8 = platform::CodePage::toUtf8(src.name);
        const zip_int64_t index = zip_file_add(za, utf8.c_str(), zs, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(zs);
            setupFailed = session.failedEntry < 0;  // else its file failed as it was looked at
            break;
        }
        const auto idx = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(za, idx, ZIP_CM_DEFLATE, kDeflateLevel) != 0 ||
            (password && zip_file_set_encryption(za, idx, ZIP_EM_AES_256, password->c_str()) != 0)) {
            setupFailed = true;
            break;
        }
    }

    if (setupFailed || session.failedEntry >= 0) {
        if (setupFailed) result.error = std::string("The archive cannot be built: ") + zip_strerror(za);
        zip_discard(za);
    } else if (zip_close(za) == 0) {
        if (sink.committed && sink.part.commit())
            result.outcome = Outcome::Written;
        else
            result.error = std::string("The archive cannot be put in place: ") + std::strerror(sink.part.error());
        return result;
    } else {
        result.error = std::string("The archive cannot be written: ") + zip_strerror(za);
        zip_discard(za);
    }
    if (session.cancelled)
        result.outcome = Outcome::Cancelled;
    else if (session.failedEntry >= 0)
        result.outcome = Outcome::EntryFailed;
    result.failedEntry = session.failedEntry;
    return result;
}

}  // namespace

// ---------------------------------------------------------------- building

Zip::Zip(platform::FileSystem& files) : files_(files), state_(std::make_unique<State>()) {}

Zip::~Zip() = default;

bool Zip::NewArchive(const std::string& archivePath) {
    state_->clearBuild();
    dropped_.clear();
    lastError_.clear();
    const std::string host = files_.hostPath(archivePath);
    if (host.empty()) {
        lastError_ = "The archive path cannot be mapped: " + archivePath;
        return false;
    }
    std::string folder, name;
    detail::splitHostPath(host, folder, name);
    if (name.empty() || !detail::statPath(folder).directory) {
        lastError_ = "The archive's folder does not exist: " + archivePath;
        return false;
    }
    if (detail::statPath(host).directory) {
        lastError_ = "A folder has the archive's name: " + archivePath;
        return false;
    }
    detail::removeLeftovers(host);
    state_->building = true;
    state_->targetHost = host;
    return true;
}

int Zip::AddFileEntry(const std::string& filePath, int /*flag*/) {
    if (!state_->building) return 0;
    const std::string name = bareName(filePath);
    if (name.empty()) return 0;
    const std::string host = files_.hostPath(filePath);
    if (host.empty()) return 0;

    // Opened now, so that a file that cannot be read is refused here and not
    // found out only when the whole archive is written.
    detail::HostFile file;
    if (!file.openRead(host)) return 0;
    const detail::FileInfo info = file.info();
    file.close();
    if (!info.regular) return 0;

    const std::u16string key = detail::foldCase(name);
    auto hit = state_->byName.find(key);
    if (hit != state_->byName.end()) {
        // The same file named twice is stored once; another file under the
        // same name would overwrite it on extraction.
        return state_->queue[hit->second].added.sameFile(info) ? 1 : 0;
    }
    state_->byName.emplace(key, state_->queue.size());
    state_->queue.push_back({name, host, info, false});
    if (events_) events_->ArchiveEntryAdded(name);
    return 1;
}

bool Zip::WriteArchive() {
    dropped_.clear();
    lastError_.clear();
    if (!state_->building) {
        lastError_ = "No archive was started.";
        return false;
    }
    if (protect_ != 0 && writePassword_.empty()) {
        lastError_ = "Protection needs a password.";
        return false;
    }
    const std::string* password = protect_ != 0 ? &writePassword_ : nullptr;
    State& s = *state_;
    for (State::Queued& q : s.queue) q.dropped = false;
    detail::removeLeftovers(s.targetHost);

    auto drop = [&](std::size_t i) {
        s.queue[i].dropped = true;
        dropped_.push_back(s.queue[i].name);
        if (events_) events_->ArchiveEntryDropped(s.queue[i].name);
    };

    int lastPercent = 0;
    for (;;) {
        // Files that are gone or no longer files are left out before libzip
        // sees them; the sizes found now are the 100% of the progress. Each
        // pass looks anew, so a file a drop handler rewrote goes in as it is.
        std::vector<Source> sources;
        for (std::size_t i = 0; i < s.queue.size(); ++i) {
            if (s.queue[i].dropped) continue;
            const detail::FileInfo now = detail::statPath(s.queue[i].hostPath);
            if (now.regular)
                sources.push_back({static_cast<long>(i), s.queue[i].name, s.queue[i].hostPath, now});
            else
                drop(i);
        }

        // Every file that was queued is gone: an empty archive would only
        // replace the earlier backup with nothing.
        if (sources.empty() && !s.queue.empty()) {
            lastError_ = "None of the files could be read.";
            return false;
        }
        const Attempt attempt = writeOnce(s.targetHost, sources, password, events_, lastPercent);
        switch (attempt.outcome) {
        case Outcome::Written:
            while (lastPercent < 100) {
                ++lastPercent;
                if (events_) events_->ArchiveWriteProgress(lastPercent);
            }
            if (events_) events_->ArchiveWriteDone();
            return true;
        case Outcome::EntryFailed:
            // libzip gives up on the whole archive for one bad source; the
            // next pass goes without it.
            drop(static_cast<std::size_t>(attempt.failedEntry));
            continue;
        case Outcome::Cancelled:
            lastError_ = "The write was cancelled.";
            return false;
        case Outcome::Failed:
            lastError_ = attempt.error;
            return false;
        }
    }
}

void Zip::ResetArchive() {
    state_->clearBuild();
    state_->closeReader();
    state_->hasReadPassword = false;
    state_->readPassword.clear();
    writePassword_.clear();
    protect_ = 0;
    lastError_.clear();
}

// ----------------------------------------------------------------- reading

int Zip::IsArchiveProtected(const std::string& archivePath) {
    const std::string host = files_.hostPath(archivePath);
    if (host.empty()) return 0;
    int error = 0;
    zip_t* za = zip_open(host.c_str(), ZIP_RDONLY, &error);
    if (!za) return 0;
    int result = 0;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count && result == 0; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
            st.encryption_method != ZIP_EM_NONE)
            result = 1;
    }
    zip_discard(za);
    return result;
}

bool Zip::OpenArchive(const std::string& archivePath) {
    state_->closeReader();
    lastError_.clear();
    const std::string host = files_.hostPath(archivePath);
    if (host.empty()) {
        lastError_ = "The archive path cannot be mapped: " + archivePath;
        return false;
    }
    int error = 0;
    zip_t* za = zip_open(host.c_str(), ZIP_RDONLY, &error);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        lastError_ = std::string("The archive cannot be opened: ") + zip_error_strerror(&e);
        zip_error_fini(&e);
        return false;
    }
    state_->reader = za;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    state_->names.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* n = zip_get_name(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        state_->names.push_back(n ? platform::CodePage::fromUtf8(n) : std::string());
    }
    return true;
}

void Zip::setArchivePassword(const std::string& password) {
    state_->hasReadPassword = true;
    state_->readPassword = password;
}

namespace {

// Reads an entry to its end, handing its data to `sink`; true only when all
// of it decrypted, inflated and matched its checksum.
bool readEntry(zip_t* za, zip_uint64_t index, const char* password,
               const std::function<bool(const unsigned char*, std::size_t)>& sink) {
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0) return false;
    zip_file_t* f = zip_fopen_index_encrypted(za, index, 0, password);
    if (!f) return false;
    std::vector<unsigned char> buffer(kCopyBuffer);
    std::uint32_t crc = 0;
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(f, buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        crc = crc32Update(crc, buffer.data(), static_cast<std::size_t>(n));
        total += static_cast<std::uint64_t>(n);
        if (sink && !sink(buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (zip_fclose(f) != 0) ok = false;
    if (!ok) return false;
    if ((st.valid & ZIP_STAT_SIZE) && total != st.size) return false;
    // WinZip AES entries keep no checksum (their authentication code was
    // checked by libzip); every other entry must match its CRC.
    const bool aes = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
                     (st.encryption_method == ZIP_EM_AES_128 || st.encryption_method == ZIP_EM_AES_192 ||
                      st.encryption_method == ZIP_EM_AES_256);
    if (!aes && (st.valid & ZIP_STAT_CRC) && crc != st.crc) return false;
    return true;
}

}  // namespace

int Zip::CheckArchivePassword() {
    if (!state_->reader) return 0;
    ZipEntry info = FindEntry(kInfoFileName);
    if (!info.valid()) return 0;
    const char* password = state_->hasReadPassword ? state_->readPassword.c_str() : nullptr;
    return readEntry(state_->reader, static_cast<zip_uint64_t>(info.index_), password, nullptr) ? 1 : 0;
}

ZipEntry Zip::FindEntry(const std::string& name) {
    if (!state_->reader) return {};
    const std::string wanted = name.substr(0, name.find('\0'));
    const auto& names = state_->names;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == wanted) return ZipEntry(this, static_cast<std::int64_t>(i), names[i]);
    const std::u16string folded = detail::foldCase(wanted);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].size() == wanted.size() && detail::foldCase(names[i]) == folded)
            return ZipEntry(this, static_cast<std::int64_t>(i), names[i]);
    return {};
}

std::vector<std::string> Zip::entryNames() const { return state_->names; }

bool ZipEntry::ExtractEntryTo(const std::string& folder) const {
    return zip_ && zip_->extract(index_, name_, folder);
}

bool Zip::extract(std::int64_t index, const std::string& name, const std::string& folder) {
    lastError_.clear();
    if (!state_->reader || index < 0 || static_cast<std::size_t>(index) >= state_->names.size()) return false;
    if (!isSafeEntryName(name)) {
        lastError_ = "Unsafe entry name refused: " + name;
        return false;
    }
    if (!files_.folderExists(folder)) {
        lastError_ = "The folder does not exist: " + folder;
        return false;
    }
    std::string windowsTarget = folder;
    while (!windowsTarget.empty() && (windowsTarget.back() == '\\' || windowsTarget.back() == '/')) windowsTarget.pop_back();
    windowsTarget += "\\" + name;
    const std::string host = files_.hostPath(windowsTarget);
    if (host.empty() || detail::statPath(host).directory) {
        lastError_ = "Cannot write " + windowsTarget;
        return false;
    }

    detail::removeLeftovers(host);
    detail::PartFile part;
    if (!part.create(host)) {
        lastError_ = "Cannot write beside " + windowsTarget;
        return false;
    }
    const char* password = state_->hasReadPassword ? state_->readPassword.c_str() : nullptr;
    const auto idx = static_cast<zip_uint64_t>(index);
    const bool ok = readEntry(state_->reader, idx, password, [&](const unsigned char* data, std::size_t n) {
        return part.file().writeAll(data, n);
    });
    if (!ok) {
        lastError_ = "Cannot extract " + name;
        part.discard();
        return false;
    }
    zip_stat_t st;
    if (zip_stat_index(state_->reader, idx, 0, &st) == 0 && (st.valid & ZIP_STAT_MTIME))
        part.file().setModified(st.mtime);
    if (!part.commit()) {
        lastError_ = "Cannot put " + windowsTarget + " in place";
        return false;
    }
    if (events_) events_->ArchiveEntryExtracted(name);
    return true;
}

}  // namespace qm::archive
