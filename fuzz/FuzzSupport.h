#pragma once
// What the fuzz targets share: a failed check stops the run as a crash, so
// that libFuzzer keeps the input that broke it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qm::fuzz {

inline void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

inline std::string bytesOf(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace qm::fuzz
