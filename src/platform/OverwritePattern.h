#pragma once

#include <cstdint>
#include <vector>

// Inside the platform only: what an in-place overwrite writes, on every system alike.
namespace kestrel::platform {

constexpr std::int64_t kOverwriteDefaultBlock = 64 * 1024;
constexpr std::int64_t kOverwriteLargestBlock = 1024 * 1024;

// Whole clusters per write, about a megabyte at a time.
inline std::int64_t overwriteWriteSize(std::int64_t clusterSize) {
    if (clusterSize <= 0 || clusterSize > kOverwriteLargestBlock)
        return kOverwriteDefaultBlock;
    return clusterSize * (kOverwriteLargestBlock / clusterSize);
}

// Pseudo-random bytes rather than zeros: a file system that compresses data or skips zero
// blocks could otherwise keep the old blocks instead of writing over them.
inline void fillOverwritePattern(std::vector<unsigned char>& buffer) {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (unsigned char& byte : buffer) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = static_cast<unsigned char>(state >> 24);
    }
}

} // namespace kestrel::platform
