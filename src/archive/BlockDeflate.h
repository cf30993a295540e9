#pragma once
// Deflate on every core. An entry is cut into blocks that are compressed in
// parallel, each on its own, and joined in order into one raw deflate
// stream: every block but the last ends on an empty stored block, so the
// next one starts on a byte boundary, and the last one ends the stream. The
// entry's CRC is combined from the blocks' CRCs. Only a few blocks are in
// flight at a time, so memory does not grow with the entry.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace qm::archive::detail {

// Bytes that are written before they are read: made without zeroing them
// first, since they are made for every megabyte that goes by.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <class U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using Bytes = std::vector<unsigned char, UninitializedAllocator<unsigned char>>;

struct DeflateBlock;

// The threads that compress blocks, shared by the entries of one write.
class DeflatePool {
public:
    // `level`: libdeflate's (1 to 12). `threads` 0: every block is
    // compressed on the thread that hands it in.
    DeflatePool(int level, unsigned threads);
    ~DeflatePool();
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    // One thread per core (at least one), or none when threads cannot be had.
    static unsigned defaultThreads();

    int level() const { return level_; }
    unsigned threads() const { return static_cast<unsigned>(workers_.size()); }
    // How many blocks of one entry may be read ahead of the one being written.
    std::size_t maxInFlight() const { return workers_.empty() ? 1 : 2 * workers_.size() + 1; }

private:
    friend class BlockDeflater;
    void post(const std::shared_ptr<DeflateBlock>& block);
    void work();

    int level_;
    std::mutex mutex_;
    std::condition_variable wake_;  // a block was posted, or the pool stops
    std::condition_variable done_;  // a block was compressed
    std::deque<std::shared_ptr<DeflateBlock>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// One entry's deflate stream, fed and read by one thread.
class BlockDeflater {
public:
    static constexpr std::size_t kBlockSize = 1u << 20;

    explicit BlockDeflater(DeflatePool& pool);
    // Waits for its blocks that are still being compressed.
    ~BlockDeflater();
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;

    // True while another block may be handed in.
    bool wantsInput() const;
    // The next block of the entry (at most kBlockSize bytes); `last` ends
    // the stream. False when the compressor failed (out of memory).
    bool push(Bytes input, bool last);
    // Waits at most `wait` for the oldest block; true when output can be
    // read or the stream is complete.
    bool waitOutput(std::chrono::milliseconds wait);
    // Copies compressed bytes in order; 0 when none is ready yet (or all
    // were read: see complete()).
    std::size_t read(void* out, std::size_t length);
    // Every block was handed in and all of the stream was read.
    bool complete() const { return ended_ && blocks_.empty(); }
    bool failed() const { return failed_; }

    std::uint32_t crc() const { return crc_; }
    std::uint64_t size() const { return size_; }
    std::uint64_t compressedSize() const { return compressedSize_; }

private:
    bool frontReady();

    DeflatePool& pool_;
    std::deque<std::shared_ptr<DeflateBlock>> blocks_;
    std::size_t readOffset_ = 0;       // into the front block's output
    bool ended_ = false;
    bool failed_ = false;
    std::uint32_t crc_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t compressedSize_ = 0;
};

}  // namespace qm::archive::detail
