#pragma once
// libzip's sources over the platform's file streams: a file queued for the
// archive, the archive being written (a replacement beside its target), and
// an archive being read.
#include <zip.h>

#include <cstdint>
#include <memory>
#include <string>

#include "archive/Zip.h"
#include "platform/FileSystem.h"

namespace qm::archive::detail {

void setError(zip_error_t& error, int zipCode, int systemCode);

// One write of the archive: progress, cancellation, and which entry failed
// so that the write can be repeated without it.
struct WriteSession {
    ArchiveEvents* events = nullptr;
    std::uint64_t total = 0;
    std::uint64_t done = 0;
    std::uint64_t sincePoll = 0;
    int* lastPercent = nullptr;
    bool cancelled = false;
    long failedEntry = -1;

    bool pollCancel();
    void advance(std::uint64_t bytes);
};

// Streams one queued file into libzip. The file is checked when its data is
// asked for and again at its end: a file that changed meanwhile fails the
// write rather than being stored cut or stretched.
class EntrySource {
public:
    EntrySource(const platform::FileSystem& files, WriteSession& session, long entry, std::string path,
                const platform::FileInfo& snapshot);
    ~EntrySource();
    EntrySource(const EntrySource&) = delete;
    EntrySource& operator=(const EntrySource&) = delete;

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);

private:
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t fail(int zipCode, int systemCode);
    zip_int64_t cancel();

    const platform::FileSystem& files_;
    WriteSession& session_;
    long entry_;
    std::string path_;
    platform::FileInfo snapshot_;
    std::unique_ptr<platform::ReadStream> file_;
    std::uint64_t remaining_ = 0;
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
    // After libzip closed the archive: flushed and renamed over the target.
    bool commit();
    std::string error() const { return error_text_; }

private:
    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t failWith(int zipCode, const std::string& why);
    bool begin();

    platform::FileSystem& files_;
    std::string target_;
    std::unique_ptr<platform::ReplaceStream> part_;
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
