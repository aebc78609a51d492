// Random bytes from the operating system, for hash-table keys.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::platform {

// Fills `out` with `size` bytes from the OS CSPRNG (getrandom on Linux, getentropy on
// macOS and the BSDs, BCryptGenRandom on Windows). Never fails short: a broken
// random source is an internal fault, because unkeyed tables would be floodable.
void fill_random(void* out, std::size_t size);

// Two fresh 64-bit words, the usual key size of a keyed hash.
struct HashKey {
    std::uint64_t k0;
    std::uint64_t k1;
};
HashKey random_hash_key();

}  // namespace velmora::platform
