#include "archive/ZipSources.h"

#include "base/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace qm::archive::detail {
namespace {

// How much data may be read between two polls for cancellation, and
// between two chances for a window to answer.
constexpr std::uint64_t kCancelPollBytes = 1u << 20;
constexpr std::uint64_t kWorkingBytes = 256u * 1024;
// How long the writing thread waits for a block before it lets the window
// answer and looks for cancellation again.
constexpr std::chrono::milliseconds kBlockWait{40};
// Reading back counts a quarter of writing in the progress: inflating is
// that much quicker than deflating.
constexpr std::uint64_t kWriteWeight = 4;
constexpr std::uint64_t kCheckWeight = 1;

platform::SeekFrom seekFrom(int whence) {
    if (whence == SEEK_CUR) return platform::SeekFrom::Current;
    if (whence == SEEK_END) return platform::SeekFrom::End;
    return platform::SeekFrom::Begin;
}

}  // namespace

void setError(zip_error_t& error, int zipCode, int systemCode) {
    zip_error_fini(&error);
    zip_error_init(&error);
    zip_error_set(&error, zipCode, systemCode);
}

bool WriteSession::pollCancel() {
    sincePoll = 0;
    if (!cancelled && events && events->ArchiveWriteCancelled()) cancelled = true;
    return cancelled;
}

bool WriteSession::cancelDue() { return cancelled || (sincePoll >= kCancelPollBytes && pollCancel()); }

void WriteSession::working() {
    sinceWorking = 0;
    if (events) events->ArchiveWorking();
}

namespace {

void phaseProgress(ArchiveEvents* events, ArchivePhase phase, std::uint64_t done, std::uint64_t total, int& shown) {
    const int percent = total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, done * 100 / total));
    if (percent == shown) return;
    shown = percent;
    if (events) events->ArchivePhaseProgress(phase, percent);
}

}  // namespace

void WriteSession::advance(std::uint64_t bytes) {
    written += bytes;
    phaseProgress(events, ArchivePhase::Writing, written, total, writingPercent);
    moved(bytes, bytes * kWriteWeight);
}

void WriteSession::advanceCheck(std::uint64_t bytes) {
    checked += bytes;
    phaseProgress(events, ArchivePhase::Checking, checked, total, checkingPercent);
    moved(bytes, bytes * kCheckWeight);
}

void WriteSession::moved(std::uint64_t bytes, std::uint64_t weighted) {
    done += weighted;
    sincePoll += bytes;
    sinceWorking += bytes;
    // 100 is raised only when the archive is in place.
    const std::uint64_t whole = total * (kWriteWeight + kCheckWeight);
    const int percent = whole == 0 ? 99 : static_cast<int>(std::min<std::uint64_t>(99, done * 100 / whole));
    while (*lastPercent < percent) {
        ++*lastPercent;
        if (events) events->ArchiveWriteProgress(*lastPercent);
    }
    if (sinceWorking >= kWorkingBytes) working();
}

// ------------------------------------------------------------------ entries

EntrySource::EntrySource(const platform::FileSystem& files, WriteSession& session, long entry, std::string path,
                         const platform::FileInfo& snapshot)
    : files_(files), session_(session), entry_(entry), path_(std::move(path)), snapshot_(snapshot) {
    zip_error_init(&error_);
}

EntrySource::~EntrySource() { zip_error_fini(&error_); }

zip_int64_t EntrySource::callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<EntrySource*>(state)->handle(data, length, command);
}

zip_int64_t EntrySource::fail(int zipCode, int systemCode) {
    setError(error_, zipCode, systemCode);
    if (session_.failedEntry < 0) session_.failedEntry = entry_;
    deflater_.reset();
    file_.reset();
    return -1;
}

zip_int64_t EntrySource::failCrypto() {
    // Not the file's fault: the whole write fails rather than this entry.
    setError(error_, ZIP_ER_INTERNAL, 0);
    session_.problem = "the system's cryptography failed";
    deflater_.reset();
    file_.reset();
    aes_.reset();
    return -1;
}

zip_int64_t EntrySource::cancel() {
    setError(error_, ZIP_ER_CANCELLED, 0);
    deflater_.reset();
    file_.reset();
    return -1;
}

zip_int64_t EntrySource::feed() {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(BlockDeflater::kBlockSize, remaining_));
    Bytes block;
    try {
        block.resize(want);
    } catch (const std::bad_alloc&) {
        return fail(ZIP_ER_MEMORY, 0);
    }
    for (std::size_t got = 0; got < want;) {
        const std::int64_t n = file_->read(block.data() + got, want - got);
        if (n < 0) return fail(ZIP_ER_READ, EIO);
        if (n == 0) return fail(ZIP_ER_CHANGED, 0);  // shorter than when it was looked at
        got += static_cast<std::size_t>(n);
    }
    remaining_ -= want;
    const bool last = remaining_ == 0;
    if (last) {
        // Longer than when it was looked at, even where neither its size nor
        // its time tells (a file the kernel makes as it is read).
        char extra = 0;
        const std::int64_t more = file_->read(&extra, 1);
        if (more < 0) return fail(ZIP_ER_READ, EIO);
        if (more > 0 || !file_->info().unchanged(snapshot_)) return fail(ZIP_ER_CHANGED, 0);
    }
    session_.advance(want);
    if (!deflater_->push(std::move(block), last)) return fail(ZIP_ER_MEMORY, 0);
    return 0;
}

zip_int64_t EntrySource::readDeflated(unsigned char* data, std::size_t length) {
    if (!file_ || !deflater_) return fail(ZIP_ER_READ, EBADF);
    for (;;) {
        // Keep every thread busy: read ahead as far as the deflater takes,
        // before this thread turns to writing (and encrypting) what is done.
        while (deflater_->wantsInput()) {
            if (session_.cancelDue()) return cancel();
            if (feed() < 0) return -1;
        }
        const std::size_t n = deflater_->read(data, length);
        if (n > 0) return static_cast<zip_int64_t>(n);
        if (deflater_->failed()) return fail(ZIP_ER_MEMORY, 0);
        if (deflater_->complete()) {
            crc_ = deflater_->crc();
            compressedSize_ = deflater_->compressedSize();
            deflater_.reset();
            file_.reset();
            return 0;
        }
        if (!deflater_->waitOutput(kBlockWait)) {
            session_.working();
            if (session_.pollCancel()) return cancel();
        }
    }
}

namespace {

std::size_t takeFrom(const unsigned char* from, std::size_t size, std::size_t& sent, unsigned char* to,
                     std::size_t room) {
    const std::size_t n = std::min(size - sent, room);
    std::memcpy(to, from + sent, n);
    sent += n;
    return n;
}

}  // namespace

zip_int64_t EntrySource::read(void* data, zip_uint64_t length) {
    if (complete_) return 0;
    auto* out = static_cast<unsigned char*>(data);
    const auto room = static_cast<std::size_t>(std::min<zip_uint64_t>(length, SIZE_MAX));
    std::size_t n = takeFrom(prefix_.data(), prefixSize_, prefixSent_, out, room);
    if (!streamEnded_ && n < room) {
        // libzip asks for any length; the key stream carries on from the
        // last byte given, whatever the lengths.
        const zip_int64_t got = readDeflated(out + n, room - n);
        if (got < 0) return -1;
        if (got > 0) {
            if (aes_ && !aes_->encrypt(out + n, static_cast<std::size_t>(got))) return failCrypto();
            return static_cast<zip_int64_t>(n + static_cast<std::size_t>(got));
        }
        streamEnded_ = true;
        if (aes_) {
            if (!aes_->finish(suffix_.data())) return failCrypto();
            suffixSize_ = kAesCodeSize;
            aes_.reset();
        }
    }
    if (streamEnded_) n += takeFrom(suffix_.data(), suffixSize_, suffixSent_, out + n, room - n);
    if (streamEnded_ && suffixSent_ == suffixSize_) complete_ = true;
    return static_cast<zip_int64_t>(n);
}

bool EntrySource::beginEncryption() {
    constexpr int kAes256 = 3;
    const std::size_t saltSize = aesSaltSize(kAes256);
    const bool salted = session_.makeSalt ? session_.makeSalt(prefix_.data(), saltSize)
                                          : platform::crypto::randomBytes(prefix_.data(), saltSize);
    if (!salted) return false;
    aes_ = std::make_unique<WinZipAes>();
    if (!aes_->begin(*session_.password, kAes256, prefix_.data(), prefix_.data() + saltSize)) return false;
    prefixSize_ = saltSize + kAesVerifierSize;
    return true;
}

zip_int64_t EntrySource::handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (!st) return -1;
        if (!file_) {
            const platform::FileInfo now = files_.stat(path_);
            if (!now.exists) return fail(ZIP_ER_OPEN, ENOENT);
            if (!now.regular) return fail(ZIP_ER_OPEN, EISDIR);
            snapshot_ = now;
        }
        // Already deflated (and encrypted): libzip stores the data as it
        // is. Its CRC and stored size are known once all of it was read.
        st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        st->size = snapshot_.size;
        st->mtime = static_cast<time_t>(snapshot_.mtimeSec);
        st->comp_method = ZIP_CM_DEFLATE;
        st->encryption_method = encrypted() ? ZIP_EM_AES_256 : ZIP_EM_NONE;
        if (complete_) {
            st->valid |= ZIP_STAT_CRC | ZIP_STAT_COMP_SIZE;
            st->crc = crc_;
            st->comp_size = prefixSize_ + compressedSize_ + suffixSize_;
        }
        return sizeof(*st);
    }
    case ZIP_SOURCE_OPEN: {
        if (session_.pollCancel()) return cancel();
        std::string why;
        file_ = files_.openRead(path_, why);
        if (!file_) return fail(ZIP_ER_OPEN, EACCES);
        const platform::FileInfo now = file_->info();
        if (!now.regular || !now.unchanged(snapshot_)) return fail(ZIP_ER_CHANGED, 0);
        remaining_ = snapshot_.size;
        complete_ = streamEnded_ = false;
        prefixSize_ = prefixSent_ = suffixSize_ = suffixSent_ = 0;
        try {
            deflater_ = std::make_unique<BlockDeflater>(*session_.pool);
            if (encrypted() && !beginEncryption()) return failCrypto();
        } catch (const std::bad_alloc&) {
            return fail(ZIP_ER_MEMORY, 0);
        }
        return 0;
    }
    case ZIP_SOURCE_READ:
        return read(data, length);
    case ZIP_SOURCE_CLOSE:
        deflater_.reset();
        file_.reset();
        aes_.reset();
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
    case ZIP_SOURCE_FREE:
        return 0;
    default:
        setError(error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// ---------------------------------------------------------------- the sink

ArchiveSink::ArchiveSink(platform::FileSystem& files, std::string target) : files_(files), target_(std::move(target)) {
    zip_error_init(&error_);
}

ArchiveSink::~ArchiveSink() { zip_error_fini(&error_); }

zip_int64_t ArchiveSink::callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<ArchiveSink*>(state)->handle(data, length, command);
}

zip_int64_t ArchiveSink::failWith(int zipCode, const std::string& why) {
    error_text_ = why;
    setError(error_, zipCode, 0);
    return -1;
}

bool ArchiveSink::flush() {
    if (pending_.empty()) return true;
    const bool written = part_->write(pending_.data(), pending_.size());
    pending_.clear();
    return written;
}

bool ArchiveSink::begin() {
    part_ = files_.createReplacement(target_, error_text_, platform::NewFileAccess::OwnerOnly);
    return part_ != nullptr;
}

std::unique_ptr<platform::ReadStream> ArchiveSink::readBack() {
    if (!part_ || !finished_) return nullptr;
    return part_->readBack();
}

void ArchiveSink::discard() {
    if (part_) part_->discard();
}

bool ArchiveSink::writeEmpty() {
    static const unsigned char emptyZip[22] = {'P', 'K', 5, 6};
    if (!begin()) return false;
    if (!part_->write(emptyZip, sizeof emptyZip)) {
        error_text_ = part_->error();
        return false;
    }
    finished_ = true;
    return commit();
}

bool ArchiveSink::commit() {
    if (!part_ || !finished_) return false;
    if (!part_->commit()) {
        error_text_ = part_->error();
        return false;
    }
    return true;
}

bool ArchiveSink::commitAs(const std::string& other) {
    if (!part_ || !finished_) return false;
    // Beside the target, not in its place: a new file, the owner's alone
    // (it was made with the rights of the file it was to replace).
    if (!part_->restrictToOwner()) {
        error_text_ = part_->error();
        return false;
    }
    const std::string kept = part_->keep();
    if (kept.empty()) {
        error_text_ = part_->error();
        return false;
    }
    const base::LeadBytes& leads = files_.codePage().leadBytes();
    const std::string keptPath = base::joinPath(base::parentFolder(target_, leads), kept, leads);
    if (files_.renameFile(keptPath, other)) return true;
    error_text_ = "it cannot be renamed to " + other;
    files_.deleteFile(keptPath);
    return false;
}

zip_int64_t ArchiveSink::handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
            ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
            ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
            ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT:
        // "No such file": libzip then starts a new archive.
        setError(error_, ZIP_ER_READ, ENOENT);
        return -1;
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
    case ZIP_SOURCE_REMOVE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_TELL:
        return 0;
    case ZIP_SOURCE_SEEK:
        return zip_source_seek_compute_offset(0, 0, data, length, &error_) < 0 ? -1 : 0;
    case ZIP_SOURCE_BEGIN_WRITE:
        return begin() ? 0 : failWith(ZIP_ER_TMPOPEN, error_text_);
    case ZIP_SOURCE_WRITE: {
        // libzip writes 8 KiB at a time: gathered here into fewer writes.
        const auto* bytes = static_cast<const unsigned char*>(data);
        if (pending_.size() + length > kWriteBuffer && !flush()) return failWith(ZIP_ER_WRITE, part_->error());
        if (length >= kWriteBuffer) {
            if (!part_->write(bytes, static_cast<std::size_t>(length))) return failWith(ZIP_ER_WRITE, part_->error());
        } else {
            pending_.insert(pending_.end(), bytes, bytes + length);
        }
        return static_cast<zip_int64_t>(length);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error_);
        if (!args) return -1;
        if (!flush()) return failWith(ZIP_ER_WRITE, part_->error());
        if (!part_->seek(args->offset, seekFrom(args->whence))) return failWith(ZIP_ER_SEEK, part_->error());
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: {
        const std::int64_t pos = part_->tell();
        if (pos < 0) return failWith(ZIP_ER_TELL, part_->error());
        return pos + static_cast<std::int64_t>(pending_.size());
    }
    case ZIP_SOURCE_COMMIT_WRITE:
        // The rename over the target follows once libzip reports the whole
        // archive written.
        if (!flush()) return failWith(ZIP_ER_WRITE, part_->error());
        finished_ = true;
        return 0;
    case ZIP_SOURCE_ROLLBACK_WRITE:
        pending_.clear();
        if (part_) part_->discard();
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
    default:
        setError(error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// --------------------------------------------------------------- reading

ArchiveReader::~ArchiveReader() {
    if (archive_) zip_discard(archive_);
    zip_error_fini(&error_);
}

std::unique_ptr<ArchiveReader> ArchiveReader::open(const platform::FileSystem& files, const std::string& path,
                                                   std::string& error) {
    auto file = files.openRead(path, error);
    if (!file) return nullptr;
    return open(std::move(file), error);
}

std::unique_ptr<ArchiveReader> ArchiveReader::open(std::unique_ptr<platform::ReadStream> file, std::string& error) {
    std::unique_ptr<ArchiveReader> reader(new ArchiveReader());
    zip_error_init(&reader->error_);
    reader->file_ = std::move(file);
    if (!reader->file_) {
        error = "cannot be read";
        return nullptr;
    }
    reader->info_ = reader->file_->info();
    if (!reader->info_.regular) {
        error = "not a file";
        return nullptr;
    }
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* source = zip_source_function_create(&ArchiveReader::callback, reader.get(), &openError);
    if (source) reader->archive_ = zip_open_from_source(source, ZIP_RDONLY, &openError);
    if (!reader->archive_) {
        error = zip_error_strerror(&openError);
        if (source) zip_source_free(source);
    }
    zip_error_fini(&openError);
    if (!reader->archive_) return nullptr;
    return reader;
}

zip_int64_t ArchiveReader::callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<ArchiveReader*>(state)->handle(data, length, command);
}

zip_int64_t ArchiveReader::handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                              ZIP_SOURCE_SUPPORTS, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (!st) return -1;
        zip_stat_init(st);
        st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        st->size = info_.size;
        st->mtime = static_cast<time_t>(info_.mtimeSec);
        return sizeof(*st);
    }
    case ZIP_SOURCE_OPEN:
        return file_->seek(0, platform::SeekFrom::Begin) ? 0 : -1;
    case ZIP_SOURCE_READ: {
        const std::int64_t n = file_->read(data, static_cast<std::size_t>(length));
        if (n < 0) setError(error_, ZIP_ER_READ, EIO);
        return n;
    }
    case ZIP_SOURCE_SEEK: {
        auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error_);
        if (!args) return -1;
        if (!file_->seek(args->offset, seekFrom(args->whence))) {
            setError(error_, ZIP_ER_SEEK, EINVAL);
            return -1;
        }
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return file_->tell();
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
    default:
        setError(error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

}  // namespace qm::archive::detail
