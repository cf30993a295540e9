#pragma once
// libzip's sources over the platform's file streams: a file queued for the
// archive (handed to libzip already deflated), the archive being written (a
// replacement beside its target), and an archive being read.
#include <zip.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/BlockDeflate.h"
#include "archive/WinZipAes.h"
#include "archive/Zip.h"
#include "platform/FileSystem.h"

namespace qm::archive::detail {

void setError(zip_error_t& error, int zipCode, int systemCode);

// One write of the archive: the compressing threads, progress (the write
// and the check that reads it back), cancellation, and which entry failed so
// that the write can be repeated without it.
struct WriteSession {
    ArchiveEvents* events = nullptr;
    DeflatePool* pool = nullptr;
    std::uint64_t total = 0;  // bytes of the sources
    std::uint64_t done = 0;   // weighted: see advance()
    std::uint64_t sincePoll = 0;
    std::uint64_t sinceWorking = 0;
    int* lastPercent = nullptr;
    // Each phase on its own: source bytes read for the write, entry bytes
    // read back by the check.
    std::uint64_t written = 0;
    std::uint64_t checked = 0;
    int writingPercent = -1;
    int checkingPercent = -1;
    bool cancelled = false;
    long failedEntry = -1;
    // Why the write failed where libzip's own error says too little.
    std::string problem;
    // Set: every entry is encrypted with it (WinZip AES-256).
    const std::string* password = nullptr;
    // Where each entry's salt comes from; the system's random source unless
    // a check of the format fixes it.
    std::function<bool(unsigned char* salt, std::size_t size)> makeSalt;

    bool pollCancel();
    // Polls only when enough data went by since the last poll.
    bool cancelDue();
    // Lets a window answer (ArchiveWorking), on the thread that writes.
    void working();
    // Source bytes read for the write / entry bytes read back by the check.
    void advance(std::uint64_t bytes);
    void advanceCheck(std::uint64_t bytes);

private:
    void moved(std::uint64_t bytes, std::uint64_t weighted);
};

// Streams one queued file into libzip as deflate data compressed on the
// session's threads, encrypted here as it goes out when the session has a
// password (the salt and verifier first, the authentication code last);
// libzip stores it as it is and writes the AES extra field itself.
// The file is checked when its data is asked for and again at its end: a
// file that changed meanwhile fails the write rather than being stored cut
// or stretched.
class EntrySource {
public:
    EntrySource(const platform::FileSystem& files, WriteSession& session, long entry, std::string path,
                const platform::FileInfo& snapshot);
    ~EntrySource();
    EntrySource(const EntrySource&) = delete;
    EntrySource& operator=(const EntrySource&) = delete;

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);

    // Once all of the file was read: its CRC and size.
    bool complete() const { return complete_; }
    bool encrypted() const { return session_.password != nullptr; }
    std::uint32_t crc() const { return crc_; }
    std::uint64_t size() const { return snapshot_.size; }

private:
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t read(void* data, zip_uint64_t length);
    // Deflated bytes (0 at the end of the stream, -1 after fail()).
    zip_int64_t readDeflated(unsigned char* data, std::size_t length);
    // Derives the entry's keys and lays out its salt and verifier.
    bool beginEncryption();
    // Reads the next block of the file and hands it to the deflater; 0, or
    // -1 after fail().
    zip_int64_t feed();
    zip_int64_t fail(int zipCode, int systemCode);
    zip_int64_t failCrypto();
    zip_int64_t cancel();

    const platform::FileSystem& files_;
    WriteSession& session_;
    long entry_;
    std::string path_;
    platform::FileInfo snapshot_;
    std::unique_ptr<platform::ReadStream> file_;
    std::uint64_t remaining_ = 0;
    std::unique_ptr<BlockDeflater> deflater_;
    bool streamEnded_ = false;
    bool complete_ = false;
    std::uint32_t crc_ = 0;
    std::uint64_t compressedSize_ = 0;
    // Encryption: the bytes before the data (salt, verifier) and after it
    // (the code), and how much of each went out.
    std::unique_ptr<WinZipAes> aes_;
    std::array<unsigned char, kAesMaxSaltSize + kAesVerifierSize> prefix_{};
    std::size_t prefixSize_ = 0, prefixSent_ = 0;
    std::array<unsigned char, kAesCodeSize> suffix_{};
    std::size_t suffixSize_ = 0, suffixSent_ = 0;
    zip_error_t error_;
};

// The archive libzip writes: a replacement beside the target, put in place
// by commit() once libzip has written all of it. It starts out empty, so
// nothing is ever read from it.
class ArchiveSink {
public:
    ArchiveSink(platform::FileSystem& files, std::string target);
    ~ArchiveSink();
    ArchiveSink(const ArchiveSink&) = delete;
    ArchiveSink& operator=(const ArchiveSink&) = delete;

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);
    // Writes the bare end record of an empty archive (libzip deletes an
    // archive without entries).
    bool writeEmpty();
    // After libzip closed the archive: the new file opened for reading, to
    // be checked before commit().
    std::unique_ptr<platform::ReadStream> readBack();
    // After libzip closed the archive: flushed and renamed over the target.
    bool commit();
    // The same, put at another name in the target's folder (never over a
    // file there); the target stays as it was.
    bool commitAs(const std::string& other);
    // Removes the new file; the target stays as it was.
    void discard();
    std::string error() const { return error_text_; }

private:
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t failWith(int zipCode, const std::string& why);
    bool begin();
    bool flush();

    static constexpr std::size_t kWriteBuffer = 1u << 20;

    platform::FileSystem& files_;
    std::string target_;
    std::unique_ptr<platform::ReplaceStream> part_;
    std::vector<unsigned char> pending_;  // written by libzip, not yet to the file
    bool finished_ = false;
    std::string error_text_;
    zip_error_t error_;
};

// An archive opened for reading through the file layer.
class ArchiveReader {
public:
    ~ArchiveReader();
    // Null with `error` when the file cannot be opened or is no archive.
    static std::unique_ptr<ArchiveReader> open(const platform::FileSystem& files, const std::string& path,
                                               std::string& error);
    static std::unique_ptr<ArchiveReader> open(std::unique_ptr<platform::ReadStream> file, std::string& error);
    zip_t* archive() const { return archive_; }

private:
    ArchiveReader() = default;
    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command);

    std::unique_ptr<platform::ReadStream> file_;
    platform::FileInfo info_;
    zip_t* archive_ = nullptr;
    zip_error_t error_{};
};

}  // namespace qm::archive::detail
