#include "archive/ArchiveCheck.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "archive/BlockDeflate.h"
#include "archive/WinZipAes.h"

namespace qm::archive::detail {

namespace {

constexpr std::size_t kReadBuffer = 1u << 16;
// Entries this large are inflated on a thread of their own while the next
// pieces are read (and decrypted) on the caller's.
constexpr std::uint64_t kOwnThreadFrom = 1u << 20;
constexpr std::size_t kPiecesAhead = 16;

// The extra field of WinZip's AES entries.
constexpr zip_uint16_t kWinZipAesField = 0x9901;

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
            crc_ = libdeflate_crc32(crc_, out_.data(), n);
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
            crc_ = libdeflate_crc32(crc_, out_.data(), n);
            size_ += n;
            if (n > 0 && sink && !sink(out_.data(), n)) ok_ = false;
            if (r == Z_STREAM_END) ended_ = true;
            else if (n == 0) break;
        }
        return ok_ && ended_;
    }
    std::uint32_t crc() const { return crc_; }
    std::uint64_t size() const { return size_; }

private:
    z_stream zs_;
    std::vector<unsigned char> out_;
    std::uint32_t crc_ = 0;
    std::uint64_t size_ = 0;
    bool ok_ = false;
    bool ready_ = false;
    bool ended_ = false;
};

// Pieces of compressed data handed from the reading thread to the one that
// inflates them, a bounded number at a time.
class PieceQueue {
public:
    bool push(Bytes piece) {
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
    bool pop(Bytes& piece) {
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
    std::deque<Bytes> pieces_;
    bool closed_ = false;
    bool stopped_ = false;
};

// The stored data of an entry, read piece by piece: decrypted, not inflated.
class StoredData {
public:
    virtual ~StoredData() = default;
    // Bytes read (0 at the end, -1 on failure).
    virtual zip_int64_t read(unsigned char* out, std::size_t length) = 0;
    // True when everything read was whole (the AES code matched).
    virtual bool close() = 0;
};

// Through libzip, which decrypts what needs it (traditional encryption, AES
// of other methods) and authenticates it on closing.
class LibzipData final : public StoredData {
public:
    LibzipData(zip_t* za, zip_uint64_t index, zip_flags_t flags, const char* password)
        : file_(zip_fopen_index_encrypted(za, index, flags, password)) {}
    ~LibzipData() override { close(); }
    LibzipData(const LibzipData&) = delete;
    LibzipData& operator=(const LibzipData&) = delete;

    bool opened() const { return file_ != nullptr; }
    zip_int64_t read(unsigned char* out, std::size_t length) override { return zip_fread(file_, out, length); }
    bool close() override {
        if (!file_) return false;
        const bool ok = zip_fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

private:
    zip_file_t* file_;
};

// A WinZip AES entry read raw from libzip and decrypted and authenticated
// here, in large pieces: libzip's own AES goes one block per call.
class AesData final : public StoredData {
public:
    AesData(zip_t* za, zip_uint64_t index, const zip_stat_t& st, int strength, const char* password)
        : file_(zip_fopen_index(za, index, ZIP_FL_ENCRYPTED)) {
        const std::size_t saltSize = aesSaltSize(strength);
        const std::size_t around = saltSize + kAesVerifierSize + kAesCodeSize;
        if (!file_ || !password || !(st.valid & ZIP_STAT_COMP_SIZE) || st.comp_size < around) return;
        unsigned char header[kAesMaxSaltSize + kAesVerifierSize];
        unsigned char verifier[kAesVerifierSize];
        if (!readAll(header, saltSize + kAesVerifierSize) || !aes_.begin(password, strength, header, verifier)) return;
        // The quick check: a wrong password fails here, one time in 65536 later.
        if (std::memcmp(verifier, header + saltSize, kAesVerifierSize) != 0) return;
        remaining_ = st.comp_size - around;
        ready_ = true;
    }
    ~AesData() override { close(); }
    AesData(const AesData&) = delete;
    AesData& operator=(const AesData&) = delete;

    bool opened() const { return ready_; }

    zip_int64_t read(unsigned char* out, std::size_t length) override {
        if (!ready_ || failed_) return -1;
        if (remaining_ == 0) {
            if (!checked_ && !checkCode()) return -1;
            return 0;
        }
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length, remaining_));
        const zip_int64_t n = zip_fread(file_, out, want);
        if (n <= 0 || !aes_.decrypt(out, static_cast<std::size_t>(n))) return fail();
        remaining_ -= static_cast<std::uint64_t>(n);
        return n;
    }

    bool close() override {
        if (!file_) return false;
        const bool closed = zip_fclose(file_) == 0;
        file_ = nullptr;
        return closed && checked_ && !failed_;
    }

private:
    bool readAll(unsigned char* out, std::size_t length) {
        while (length > 0) {
            const zip_int64_t n = zip_fread(file_, out, length);
            if (n <= 0) return false;
            out += n;
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }
    zip_int64_t fail() {
        failed_ = true;
        return -1;
    }
    bool checkCode() {
        // The code ends the stored data: nothing is read past it, since
        // libzip checks the CRC of a stored entry's raw bytes at their end
        // as if they were its data.
        unsigned char stored[kAesCodeSize], computed[kAesCodeSize];
        if (!readAll(stored, sizeof stored) || !aes_.finish(computed) ||
            std::memcmp(stored, computed, kAesCodeSize) != 0)
            return fail() == 0;
        return checked_ = true;
    }

    zip_file_t* file_;
    WinZipAes aes_;
    std::uint64_t remaining_ = 0;
    bool ready_ = false;
    bool checked_ = false;
    bool failed_ = false;
};

int aesStrength(const zip_stat_t& st) {
    if (!(st.valid & ZIP_STAT_ENCRYPTION_METHOD)) return 0;
    if (st.encryption_method == ZIP_EM_AES_128) return 1;
    if (st.encryption_method == ZIP_EM_AES_192) return 2;
    if (st.encryption_method == ZIP_EM_AES_256) return 3;
    return 0;
}

// The methods read here in bulk; libzip reads any other itself.
bool storedOrDeflated(const zip_stat_t& st) {
    return (st.valid & ZIP_STAT_COMP_METHOD) && (st.comp_method == ZIP_CM_STORE || st.comp_method == ZIP_CM_DEFLATE);
}

std::unique_ptr<StoredData> openStored(zip_t* za, zip_uint64_t index, const zip_stat_t& st, const char* password) {
    if (const int strength = aesStrength(st); strength > 0 && storedOrDeflated(st)) {
        auto aes = std::make_unique<AesData>(za, index, st, strength, password);
        if (aes->opened()) return aes;
        return nullptr;
    }
    auto plain = std::make_unique<LibzipData>(za, index, ZIP_FL_COMPRESSED, password);
    if (plain->opened()) return plain;
    return nullptr;
}

// Reads the entry's stored data (decrypted and authenticated when it is
// protected) and inflates it here, on a second thread when it is large, so
// that reading and decrypting run beside inflation. The data goes to `sink`
// on the thread that inflates; progress is told on the caller's.
bool inflateEntry(StoredData& stored, const zip_stat_t& st, const EntryDataSink& sink, const CheckProgress& progress,
                  std::uint32_t& crc, std::uint64_t& size) {
    Inflation inflation;
    bool readOk = true;
    bool inflated = false;
    const bool ownThread = (st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size >= kOwnThreadFrom;
    if (ownThread) {
        PieceQueue queue;
        std::thread inflater;
        try {
            inflater = std::thread([&] {
                Bytes piece;
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
            return false;
        }
        for (;;) {
            Bytes piece(kReadBuffer);
            const zip_int64_t n = stored.read(piece.data(), piece.size());
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
        Bytes piece(kReadBuffer);
        const EntryDataSink told = [&](const unsigned char* data, std::size_t n) {
            return (!sink || sink(data, n)) && (!progress || progress(n));
        };
        bool ok = true;
        for (;;) {
            const zip_int64_t n = stored.read(piece.data(), piece.size());
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
    if (!stored.close()) readOk = false;
    crc = inflation.crc();
    size = inflation.size();
    return readOk && inflated;
}

// Data that is stored as it is (decrypted when protected), or any other
// method read through libzip, which inflates and checks the CRC itself.
bool readThrough(StoredData& stored, const EntryDataSink& sink, std::uint32_t& crc, std::uint64_t& size) {
    std::vector<unsigned char> buffer(kReadBuffer);
    std::uint32_t sum = 0;
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t n = stored.read(buffer.data(), buffer.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        sum = libdeflate_crc32(sum, buffer.data(), static_cast<std::size_t>(n));
        total += static_cast<std::uint64_t>(n);
        if (sink && !sink(buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (!stored.close()) ok = false;
    crc = sum;
    size = total;
    return ok;
}

bool deflated(const zip_stat_t& st) {
    return (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_DEFLATE && (st.valid & ZIP_STAT_COMP_SIZE) &&
           st.comp_size > 0;
}

// WinZip's AE-1 keeps the CRC; AE-2 (what most tools write) may keep none
// and is checked by its authentication code alone.
bool keepsCrc(zip_t* za, zip_uint64_t index, const zip_stat_t& st) {
    if (aesStrength(st) == 0) return true;
    zip_uint16_t length = 0;
    const zip_uint8_t* field = zip_file_extra_field_get_by_id(za, index, kWinZipAesField, 0, &length, ZIP_FL_CENTRAL);
    return field && length >= 2 && field[0] == 1 && field[1] == 0;
}

bool sound(const zip_stat_t& st, bool whole, bool checkCrc, std::uint32_t crc, std::uint64_t size,
           std::optional<std::uint32_t> expectedCrc) {
    if (!whole) return false;
    if ((st.valid & ZIP_STAT_SIZE) && size != st.size) return false;
    if (expectedCrc && crc != *expectedCrc) return false;
    if (checkCrc && (st.valid & ZIP_STAT_CRC) && crc != st.crc) return false;
    return true;
}

bool readStored(zip_t* za, zip_uint64_t index, const char* password, const EntryDataSink& sink,
                const CheckProgress& progress, std::optional<std::uint32_t> expectedCrc) {
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0) return false;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    bool whole = false;
    if (deflated(st) || (aesStrength(st) > 0 && storedOrDeflated(st))) {
        const auto stored = openStored(za, index, st, password);
        if (!stored) return false;
        if (deflated(st)) {
            whole = inflateEntry(*stored, st, sink, progress, crc, size);
        } else {
            const EntryDataSink told = [&](const unsigned char* data, std::size_t n) {
                return (!sink || sink(data, n)) && (!progress || progress(n));
            };
            whole = readThrough(*stored, told, crc, size);
        }
    } else {
        // libzip decrypts and decompresses everything else itself.
        LibzipData data(za, index, 0, password);
        if (!data.opened()) return false;
        const EntryDataSink told = [&](const unsigned char* d, std::size_t n) {
            return (!sink || sink(d, n)) && (!progress || progress(n));
        };
        whole = readThrough(data, told, crc, size);
    }
    return sound(st, whole, keepsCrc(za, index, st), crc, size, expectedCrc);
}

}  // namespace

bool readEntry(zip_t* za, zip_uint64_t index, const char* password, const EntryDataSink& sink) {
    return readStored(za, index, password, sink, nullptr, std::nullopt);
}

bool checkEntry(zip_t* za, zip_uint64_t index, const char* password, const CheckProgress& progress,
                std::optional<std::uint32_t> expectedCrc) {
    return readStored(za, index, password, nullptr, progress, expectedCrc);
}

}  // namespace qm::archive::detail
