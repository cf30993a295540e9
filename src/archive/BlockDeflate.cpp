#include "archive/BlockDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>

namespace qm::archive::detail {

struct DeflateBlock {
    std::vector<unsigned char> input;
    std::vector<unsigned char> dictionary;
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

constexpr std::size_t kWindow = 32u * 1024;
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

// One zlib stream, reused for every block one thread compresses.
class Compressor {
public:
    explicit Compressor(int level) : level_(level) {
        std::memset(&zs_, 0, sizeof zs_);
        ready_ = deflateInit2(&zs_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Compressor() {
        if (ready_) deflateEnd(&zs_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    bool run(DeflateBlock& b) {
        try {
            return ready_ && compress(b);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

private:
    void ensureRoom(std::vector<unsigned char>& out, std::size_t room) {
        if (zs_.avail_out >= room) return;
        const std::size_t used = out.size() - zs_.avail_out;
        out.resize(std::max(out.size() * 2, used + room));
        zs_.next_out = out.data() + used;
        zs_.avail_out = static_cast<uInt>(out.size() - used);
    }

    bool setLevel(std::vector<unsigned char>& out, int level) {
        for (int tries = 0; tries < 8; ++tries) {
            ensureRoom(out, 2 * kPiece + 64 * 1024);
            const int r = deflateParams(&zs_, level, Z_DEFAULT_STRATEGY);
            if (r == Z_OK) return true;
            if (r != Z_BUF_ERROR) return false;
            ensureRoom(out, out.size());
        }
        return false;
    }

    bool compress(DeflateBlock& b) {
        if (deflateReset(&zs_) != Z_OK) return false;
        int current = level_;
        // After a reset no data is pending, so this only restores the level.
        if (deflateParams(&zs_, level_, Z_DEFAULT_STRATEGY) != Z_OK) return false;
        if (!b.dictionary.empty() &&
            deflateSetDictionary(&zs_, b.dictionary.data(), static_cast<uInt>(b.dictionary.size())) != Z_OK)
            return false;

        const std::size_t n = b.input.size();
        std::vector<unsigned char>& out = b.output;
        out.resize(n + n / 16 + 64 * 1024);
        zs_.next_out = out.data();
        zs_.avail_out = static_cast<uInt>(out.size());
        std::size_t pos = 0;
        do {
            const std::size_t len = std::min(kPiece, n - pos);
            const unsigned char* piece = b.input.data() + pos;
            const int wanted = looksIncompressible(piece, len) ? 0 : level_;
            if (wanted != current) {
                if (!setLevel(out, wanted)) return false;
                current = wanted;
            }
            const bool lastPiece = pos + len >= n;
            const int flush = !lastPiece ? Z_NO_FLUSH : b.last ? Z_FINISH : Z_SYNC_FLUSH;
            zs_.next_in = const_cast<Bytef*>(piece);
            zs_.avail_in = static_cast<uInt>(len);
            for (;;) {
                ensureRoom(out, 64 * 1024);
                const int r = deflate(&zs_, flush);
                if (r == Z_STREAM_ERROR) return false;
                if (zs_.avail_in > 0) continue;
                if (flush == Z_FINISH && r != Z_STREAM_END) continue;
                if (flush == Z_SYNC_FLUSH && zs_.avail_out == 0) continue;
                break;
            }
            pos += len;
        } while (pos < n);
        out.resize(out.size() - zs_.avail_out);
        b.crc = static_cast<std::uint32_t>(crc32_z(0L, b.input.data(), n));
        return true;
    }

    int level_;
    z_stream zs_;
    bool ready_ = false;
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
        block->dictionary.clear();
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

bool BlockDeflater::push(std::vector<unsigned char> input, bool last) {
    if (ended_ || failed_) return false;
    try {
        auto block = std::make_shared<DeflateBlock>();
        block->inputSize = input.size();
        block->last = last;
        block->dictionary = tail_;
        if (input.size() >= kWindow) {
            tail_.assign(input.end() - static_cast<std::ptrdiff_t>(kWindow), input.end());
        } else {
            tail_.insert(tail_.end(), input.begin(), input.end());
            if (tail_.size() > kWindow) tail_.erase(tail_.begin(), tail_.end() - static_cast<std::ptrdiff_t>(kWindow));
        }
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
