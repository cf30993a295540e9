#include "archive/ArchiveCheck.h"

#include <zlib.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qm::archive::detail {

namespace {

constexpr std::size_t kReadBuffer = 1u << 16;
// Entries this large are inflated on a thread of their own while libzip
// reads (and decrypts) the next pieces on the caller's.
constexpr std::uint64_t kOwnThreadFrom = 1u << 20;
constexpr std::size_t kPiecesAhead = 16;

bool isAes(const zip_stat_t& st) {
    return (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
           (st.encryption_method == ZIP_EM_AES_128 || st.encryption_method == ZIP_EM_AES_192 ||
            st.encryption_method == ZIP_EM_AES_256);
}

// A raw deflate stream inflated piece by piece: its CRC and size, and
// whether it ended exactly where its data ended.
class Inflation {
public:
    Inflation() : out_(kReadBuffer) {
        std::memset(&zs_, 0, sizeof zs_);
        ok_ = inflateInit2(&zs_, -MAX_WBITS) == Z_OK;
        ready_ = ok_;
    }
    ~Inflation() {
        if (ready_) inflateEnd(&zs_);
    }
    Inflation(const Inflation&) = delete;
    Inflation& operator=(const Inflation&) = delete;

    bool feed(const unsigned char* data, std::size_t length, const EntryDataSink& sink) {
        if (!ok_) return false;
        if (ended_) return ok_ = length == 0;  // data after the end of the stream
        zs_.next_in = const_cast<Bytef*>(data);
        zs_.avail_in = static_cast<uInt>(length);
        while (zs_.avail_in > 0 && !ended_) {
            zs_.next_out = out_.data();
            zs_.avail_out = static_cast<uInt>(out_.size());
            const int r = inflate(&zs_, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) return ok_ = false;
            const std::size_t n = out_.size() - zs_.avail_out;
            crc_ = crc32_z(crc_, out_.data(), n);
            size_ += n;
            if (n > 0 && sink && !sink(out_.data(), n)) return ok_ = false;
            if (r == Z_STREAM_END) ended_ = true;
            if (r == Z_BUF_ERROR && n == 0) break;
        }
        if (ended_ && zs_.avail_in > 0) return ok_ = false;
        return ok_;
    }
    // All input given: the stream must have ended, with nothing left over.
    bool finish(const EntryDataSink& sink) {
        // Output still held inside inflate.
        while (ok_ && !ended_) {
            zs_.next_out = out_.data();
            zs_.avail_out = static_cast<uInt>(out_.size());
            const int r = inflate(&zs_, Z_NO_FLUSH);
            const std::size_t n = out_.size() - zs_.avail_out;
            crc_ = crc32_z(crc_, out_.data(), n);
            size_ += n;
            if (n > 0 && sink && !sink(out_.data(), n)) ok_ = false;
            if (r == Z_STREAM_END) ended_ = true;
            else if (n == 0) break;
        }
        return ok_ && ended_;
    }
    std::uint32_t crc() const { return static_cast<std::uint32_t>(crc_); }
    std::uint64_t size() const { return size_; }

private:
    z_stream zs_;
    std::vector<unsigned char> out_;
    uLong crc_ = crc32(0L, Z_NULL, 0);
    std::uint64_t size_ = 0;
    bool ok_ = false;
    bool ready_ = false;
    bool ended_ = false;
};

// Pieces of compressed data handed from the reading thread to the one that
// inflates them, a bounded number at a time.
class PieceQueue {
public:
    bool push(std::vector<unsigned char> piece) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [&] { return pieces_.size() < kPiecesAhead || stopped_; });
        if (stopped_) return false;
        pieces_.push_back(std::move(piece));
        ready_.notify_one();
        return true;
    }
    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        ready_.notify_one();
    }
    // The consumer gave up: the producer stops at its next push.
    void stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        room_.notify_all();
    }
    // False at the end.
    bool pop(std::vector<unsigned char>& piece) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return !pieces_.empty() || closed_; });
        if (pieces_.empty()) return false;
        piece = std::move(pieces_.front());
        pieces_.pop_front();
        room_.notify_one();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<std::vector<unsigned char>> pieces_;
    bool closed_ = false;
    bool stopped_ = false;
};

// Reads the entry's stored data through libzip (which decrypts and
// authenticates it) and inflates it here, on a second thread when it is
// large, so that decryption and inflation run side by side. The data goes
// to `sink` on the thread that inflates; progress is told on the caller's.
bool inflateEntry(zip_t* za, zip_uint64_t index, const zip_stat_t& st, const char* password,
                  const EntryDataSink& sink, const CheckProgress& progress, std::uint32_t& crc,
                  std::uint64_t& size) {
    zip_file_t* f = zip_fopen_index_encrypted(za, index, ZIP_FL_COMPRESSED, password);
    if (!f) return false;
    Inflation inflation;
    bool readOk = true;
    bool inflated = false;
    const bool ownThread = (st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size >= kOwnThreadFrom;
    if (ownThread) {
        PieceQueue queue;
        std::thread inflater;
        try {
            inflater = std::thread([&] {
                std::vector<unsigned char> piece;
                bool ok = true;
                while (queue.pop(piece)) {
                    if (ok && !inflation.feed(piece.data(), piece.size(), sink)) {
                        ok = false;
                        queue.stop();
                    }
                }
                inflated = ok && inflation.finish(sink);
            });
        } catch (const std::system_error&) {
            zip_fclose(f);
            return false;
        }
        for (;;) {
            std::vector<unsigned char> piece(kReadBuffer);
            const zip_int64_t n = zip_fread(f, piece.data(), piece.size());
            if (n <= 0) {
                readOk = n == 0;
                break;
            }
            piece.resize(static_cast<std::size_t>(n));
            if (!queue.push(std::move(piece))) break;
            // Progress in proportion to what was read of the stored data.
            if (progress && (st.valid & ZIP_STAT_SIZE)) {
                const auto share = static_cast<std::uint64_t>(static_cast<double>(n) * static_cast<double>(st.size) /
                                                              static_cast<double>(st.comp_size));
                if (!progress(share)) {
                    readOk = false;
                    queue.stop();
                    break;
                }
            }
        }
        queue.close();
        inflater.join();
    } else {
        std::vector<unsigned char> piece(kReadBuffer);
        const EntryDataSink told = [&](const unsigned char* data, std::size_t n) {
            return (!sink || sink(data, n)) && (!progress || progress(n));
        };
        bool ok = true;
        for (;;) {
            const zip_int64_t n = zip_fread(f, piece.data(), piece.size());
            if (n <= 0) {
                readOk = n == 0;
                break;
            }
            if (!inflation.feed(piece.data(), static_cast<std::size_t>(n), told)) {
                ok = false;
                break;
            }
        }
        inflated = ok && inflation.finish(told);
    }
    // Closing reports a failed authentication of an AES entry.
    if (zip_fclose(f) != 0) readOk = false;
    crc = inflation.crc();
    size = inflation.size();
    return readOk && inflated;
}

// Any other method: libzip inflates (or copies) and checks the CRC itself.
bool readThrough(zip_t* za, zip_uint64_t index, const char* password, const EntryDataSink& sink,
                 std::uint32_t& crc, std::uint64_t& size) {
    zip_file_t* f = zip_fopen_index_encrypted(za, index, 0, password);
    if (!f) return false;
    std::vector<unsigned char> buffer(kReadBuffer);
    uLong sum = crc32(0L, Z_NULL, 0);
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(f, buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        sum = crc32_z(sum, buffer.data(), static_cast<z_size_t>(n));
        total += static_cast<std::uint64_t>(n);
        if (sink && !sink(buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (zip_fclose(f) != 0) ok = false;
    crc = static_cast<std::uint32_t>(sum);
    size = total;
    return ok;
}

bool deflated(const zip_stat_t& st) {
    return (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_DEFLATE && (st.valid & ZIP_STAT_COMP_SIZE) &&
           st.comp_size > 0;
}

bool sound(const zip_stat_t& st, bool whole, std::uint32_t crc, std::uint64_t size,
           std::optional<std::uint32_t> expectedCrc) {
    if (!whole) return false;
    if ((st.valid & ZIP_STAT_SIZE) && size != st.size) return false;
    if (expectedCrc && crc != *expectedCrc) return false;
    // WinZip AES entries may keep no checksum (their authentication code was
    // checked by libzip); every other entry must match its CRC.
    if (!isAes(st) && (st.valid & ZIP_STAT_CRC) && crc != st.crc) return false;
    return true;
}

}  // namespace

bool readEntry(zip_t* za, zip_uint64_t index, const char* password, const EntryDataSink& sink) {
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0) return false;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    const bool whole = deflated(st) ? inflateEntry(za, index, st, password, sink, nullptr, crc, size)
                                    : readThrough(za, index, password, sink, crc, size);
    return sound(st, whole, crc, size, std::nullopt);
}

bool checkEntry(zip_t* za, zip_uint64_t index, const char* password, const CheckProgress& progress,
                std::optional<std::uint32_t> expectedCrc) {
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0) return false;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    const bool whole =
        deflated(st) ? inflateEntry(za, index, st, password, nullptr, progress, crc, size)
                 : readThrough(
                       za, index, password,
                       [&](const unsigned char*, std::size_t n) { return !progress || progress(n); }, crc, size);
    return sound(st, whole, crc, size, expectedCrc);
}

}  // namespace qm::archive::detail
