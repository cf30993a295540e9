// The deflate level of backup archives, measured with the archive's own
// engine: a file (say one made by pstdata.py) cut into blocks, deflated on
// every core and joined, at each level; wall and CPU time and the size.
//
//   qm-bench-levels FILE [LEVELS...]      (default levels 1 to 6)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/BlockDeflate.h"

using qm::archive::detail::BlockDeflater;
using qm::archive::detail::DeflatePool;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [LEVELS...]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int> levels;
    for (int i = 2; i < argc; ++i) levels.push_back(std::atoi(argv[i]));
    if (levels.empty()) levels = {1, 2, 3, 4, 5, 6};

    std::printf("%zu bytes, %u threads\nlevel  wall s  cpu s  size/data\n", data.size(), DeflatePool::defaultThreads());
    for (int level : levels) {
        DeflatePool pool(level, DeflatePool::defaultThreads());
        const auto wall0 = std::chrono::steady_clock::now();
        const std::clock_t cpu0 = std::clock();
        BlockDeflater d(pool);
        std::size_t fed = 0;
        std::uint64_t out = 0;
        std::vector<unsigned char> buffer(1 << 16);
        while (!d.complete() && !d.failed()) {
            while (fed < data.size() + (data.empty() ? 1 : 0) && d.wantsInput()) {
                const std::size_t n = std::min(BlockDeflater::kBlockSize, data.size() - fed);
                d.push(qm::archive::detail::Bytes(data.begin() + static_cast<std::ptrdiff_t>(fed),
                                                  data.begin() + static_cast<std::ptrdiff_t>(fed + n)),
                       fed + n == data.size());
                fed += n;
                if (n == 0) break;
            }
            d.waitOutput(std::chrono::milliseconds(50));
            for (std::size_t n; (n = d.read(buffer.data(), buffer.size())) > 0;) out += n;
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
        std::printf("%5d  %6.2f  %5.2f  %.4f\n", level, wall, cpu,
                    data.empty() ? 0.0 : static_cast<double>(out) / static_cast<double>(data.size()));
    }
    return 0;
}
