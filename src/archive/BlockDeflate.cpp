#include "archive/BlockDeflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>

namespace qm::archive::detail {

struct DeflateBlock {
    Bytes input;
    std::size_t inputSize = 0;
    bool last = false;
    std::vector<unsigned char> output;
    std::uint32_t crc = 0;
    std::atomic<bool> abandoned{false};
    // Guarded by the pool's mutex.
    bool done = false;
    bool ok = false;
};

namespace {

// Blocks are looked at in pieces of this size to decide whether a search
// for matches can pay.
constexpr std::size_t kPiece = 16u * 1024;
// Order-0 entropy (bits per byte) above which a piece is stored as it is.
constexpr double kStoreAboveBits = 7.8;

// Pieces whose bytes are spread almost evenly (compressed attachments and
// pictures, stores with strong encryption) gain nothing from a search for
// matches, which is where deflate spends its time; stored, they also stay
// out of the Huffman codes of the text around them.
// Every fourth byte is counted: enough to tell such data from text, and a
// sample of structured data looks no more random than the whole.
bool looksIncompressible(const unsigned char* p, std::size_t n) {
    constexpr std::size_t kStride = 4;
    if (n < 4096) return false;
    std::uint32_t counts[256] = {};
    std::size_t samples = 0;
    for (std::size_t i = 0; i < n; i += kStride, ++samples) ++counts[p[i]];
    double sum = 0;
    for (std::uint32_t c : counts)
        if (c) sum += c * std::log2(static_cast<double>(c));
    const double bits = std::log2(static_cast<double>(samples)) - sum / static_cast<double>(samples);
    return bits > kStoreAboveBits;
}

// One thread's compressor, reused for every block it is given. A block is
// cut into runs of pieces that look alike: noise is stored (zlib at level 0),
// the rest is deflated by libdeflate, which makes the smaller stream in about
// a third of zlib's time. libdeflate makes whole streams only, their last
// block marked final: the mark is cleared where zlib's inflate finds that
// block, and zlib ends the run with an empty stored block, so the next run
// starts on a byte boundary as if one deflater had made them all.
class Compressor {
public:
    explicit Compressor(int level) : libdeflate_(libdeflate_alloc_compressor(level)), scratch_(kScratch) {
        std::memset(&stored_, 0, sizeof stored_);
        std::memset(&reader_, 0, sizeof reader_);
        storedReady_ = deflateInit2(&stored_, 0, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        readerReady_ = inflateInit2(&reader_, -MAX_WBITS) == Z_OK;
    }
    ~Compressor() {
        if (libdeflate_) libdeflate_free_compressor(libdeflate_);
        if (storedReady_) deflateEnd(&stored_);
        if (readerReady_) inflateEnd(&reader_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    bool run(DeflateBlock& b) {
        try {
            return libdeflate_ && storedReady_ && readerReady_ && compress(b);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

private:
    // Room for all a run inflates to, so that inflate never copies its
    // window while it finds the run's blocks.
    static constexpr std::size_t kScratch = BlockDeflater::kBlockSize;

    // zlib's level-0 stream from a reset, flushed: `bits` (fewer than 8) of
    // a byte first when given, then the data as stored blocks, then an empty
    // stored block (the final one when `last`).
    bool appendThroughZlib(std::vector<unsigned char>& out, const unsigned char* data, std::size_t size, int bits,
                           int value, bool last) {
        if (deflateReset(&stored_) != Z_OK) return false;
        if (bits > 0 && deflatePrime(&stored_, bits, value) != Z_OK) return false;
        stored_.next_in = const_cast<Bytef*>(data);
        stored_.avail_in = static_cast<uInt>(size);
        std::size_t room = size + size / 1024 + 64;
        for (;;) {
            const std::size_t at = out.size();
            out.resize(at + room);
            stored_.next_out = out.data() + at;
            stored_.avail_out = static_cast<uInt>(room);
            const int r = deflate(&stored_, last ? Z_FINISH : Z_SYNC_FLUSH);
            out.resize(out.size() - stored_.avail_out);
            if (r == Z_STREAM_ERROR) return false;
            if (last ? r == Z_STREAM_END : stored_.avail_in == 0 && stored_.avail_out > 0) return true;
            room = 64 * 1024;
        }
    }

    // Deflates a run with libdeflate and leaves it open for what follows.
    bool appendDeflated(std::vector<unsigned char>& out, const unsigned char* data, std::size_t size) {
        const std::size_t at = out.size();
        out.resize(at + libdeflate_deflate_compress_bound(libdeflate_, size));
        const std::size_t made = libdeflate_deflate_compress(libdeflate_, data, size, out.data() + at, out.size() - at);
        if (made == 0) return false;
        out.resize(at + made);
        return reopen(out, at);
    }

    // The stream of one run at `at`: its final mark is cleared and it is
    // ended on a byte boundary with an empty stored block.
    bool reopen(std::vector<unsigned char>& out, std::size_t at) {
        unsigned char* const start = out.data() + at;
        const std::size_t size = out.size() - at;
        if (inflateReset(&reader_) != Z_OK) return false;
        reader_.next_in = start;
        reader_.avail_in = static_cast<uInt>(size);
        // inflate stops after each block's end code (128); 64 tells that
        // block was the final one, the low bits how many bits of the last
        // byte read are left over.
        std::size_t finalHeader = 0;
        int unused = -1;
        while (unused < 0) {
            reader_.next_out = scratch_.data();
            reader_.avail_out = static_cast<uInt>(scratch_.size());
            const int r = inflate(&reader_, Z_BLOCK);
            if (r != Z_OK) return false;  // Z_STREAM_END included: the stop after the final block comes first
            if (reader_.data_type & 128) {
                const auto bitsLeft = static_cast<std::size_t>(reader_.data_type & 7);
                if (reader_.data_type & 64)
                    unused = static_cast<int>(bitsLeft);
                else
                    finalHeader = static_cast<std::size_t>(reader_.next_in - start) * 8 - bitsLeft;
            } else if (reader_.avail_in == 0 && reader_.avail_out > 0) {
                return false;  // cut short
            }
        }
        if (reader_.avail_in != 0) return false;  // bytes after the stream
        start[finalHeader / 8] = static_cast<unsigned char>(start[finalHeader / 8] & ~(1u << (finalHeader % 8)));
        if (unused == 0) return appendThroughZlib(out, nullptr, 0, 0, 0, false);
        // The bits of the last byte that belong to the stream go first.
        const int used = 8 - unused;
        const int value = out.back() & ((1 << used) - 1);
        out.pop_back();
        return appendThroughZlib(out, nullptr, 0, used, value, false);
    }

    bool compress(DeflateBlock& b) {
        const std::size_t n = b.input.size();
        std::vector<unsigned char>& out = b.output;
        out.clear();
        out.reserve(n / 2 + 1024);
        const unsigned char* const in = b.input.data();
        std::size_t pos = 0;
        while (pos < n) {
            // A run of pieces that are all noise, or all not.
            const bool noise = looksIncompressible(in + pos, std::min(kPiece, n - pos));
            std::size_t end = std::min(pos + kPiece, n);
            while (end < n && looksIncompressible(in + end, std::min(kPiece, n - end)) == noise)
                end = std::min(end + kPiece, n);
            const bool ok = noise ? appendThroughZlib(out, in + pos, end - pos, 0, 0, false)
                                  : appendDeflated(out, in + pos, end - pos);
            if (!ok) return false;
            pos = end;
        }
        if (b.last && !appendThroughZlib(out, nullptr, 0, 0, 0, true)) return false;
        b.crc = libdeflate_crc32(0, in, n);
        return true;
    }

    libdeflate_compressor* libdeflate_;
    z_stream stored_;
    z_stream reader_;
    bool storedReady_ = false;
    bool readerReady_ = false;
    std::vector<unsigned char> scratch_;
};

}  // namespace

// -------------------------------------------------------------------- pool

DeflatePool::DeflatePool(int level, unsigned threads) : level_(level) {
    try {
        for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // Fewer threads (or none: blocks are then compressed where they are
        // handed in).
    }
}

DeflatePool::~DeflatePool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
}

unsigned DeflatePool::defaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

void DeflatePool::post(const std::shared_ptr<DeflateBlock>& block) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(block);
    }
    wake_.notify_one();
}

void DeflatePool::work() {
    Compressor compressor(level_);
    for (;;) {
        std::shared_ptr<DeflateBlock> block;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            block = std::move(queue_.front());
            queue_.pop_front();
        }
        const bool ok = !block->abandoned && compressor.run(*block);
        block->input.clear();
        block->input.shrink_to_fit();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            block->ok = ok;
            block->done = true;
        }
        done_.notify_all();
    }
}

// ---------------------------------------------------------------- deflater

BlockDeflater::BlockDeflater(DeflatePool& pool) : pool_(pool) {}

BlockDeflater::~BlockDeflater() {
    for (auto& b : blocks_) b->abandoned = true;
    std::unique_lock<std::mutex> lock(pool_.mutex_);
    for (auto& b : blocks_) pool_.done_.wait(lock, [&] { return b->done; });
}

bool BlockDeflater::wantsInput() const { return !ended_ && !failed_ && blocks_.size() < pool_.maxInFlight(); }

bool BlockDeflater::push(Bytes input, bool last) {
    if (ended_ || failed_) return false;
    try {
        auto block = std::make_shared<DeflateBlock>();
        block->inputSize = input.size();
        block->last = last;
        block->input = std::move(input);
        size_ += block->inputSize;
        blocks_.push_back(block);
        ended_ = last;
        if (pool_.threads() > 0) {
            pool_.post(block);
        } else {
            Compressor compressor(pool_.level());
            block->ok = compressor.run(*block);
            block->input.clear();
            block->done = true;
        }
        return true;
    } catch (const std::bad_alloc&) {
        failed_ = true;
        return false;
    }
}

bool BlockDeflater::frontReady() {
    std::lock_guard<std::mutex> lock(pool_.mutex_);
    return blocks_.front()->done;
}

bool BlockDeflater::waitOutput(std::chrono::milliseconds wait) {
    if (blocks_.empty()) return true;
    std::unique_lock<std::mutex> lock(pool_.mutex_);
    const auto front = blocks_.front();
    return pool_.done_.wait_for(lock, wait, [&] { return front->done; });
}

std::size_t BlockDeflater::read(void* out, std::size_t length) {
    auto* to = static_cast<unsigned char*>(out);
    std::size_t total = 0;
    while (total < length && !blocks_.empty() && !failed_ && frontReady()) {
        DeflateBlock& front = *blocks_.front();
        if (!front.ok) {
            failed_ = true;
            break;
        }
        const std::size_t n = std::min(length - total, front.output.size() - readOffset_);
        std::memcpy(to + total, front.output.data() + readOffset_, n);
        total += n;
        readOffset_ += n;
        if (readOffset_ == front.output.size()) {
            crc_ = static_cast<std::uint32_t>(
                crc32_combine(crc_, front.crc, static_cast<z_off_t>(front.inputSize)));
            compressedSize_ += front.output.size();
            blocks_.pop_front();
            readOffset_ = 0;
        }
    }
    return total;
}

}  // namespace qm::archive::detail
