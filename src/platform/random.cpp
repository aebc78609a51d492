#include "platform/random.hpp"

#include <cerrno>

#include "platform/fault.hpp"

#if defined(_WIN32)
#include "platform/windows_headers.hpp"
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>
#elif defined(__linux__)
#include <sys/random.h>
#elif defined(__APPLE__)
#include <sys/random.h>
#include <unistd.h>
#else  // the BSDs
#include <unistd.h>
#endif

namespace velmora::platform {

namespace {

// One request to the OS, at most `size` bytes; returns how many it delivered.
std::size_t random_chunk(unsigned char* p, std::size_t size) {
#if defined(_WIN32)
    // The system-preferred generator needs no algorithm handle; requests are capped at a ULONG.
    const ULONG chunk = size > 0x1000'0000 ? 0x1000'0000 : static_cast<ULONG>(size);
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, p, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        platform_fault("BCryptGenRandom failed");
    return chunk;
#elif defined(__linux__)
    for (;;) {
        const ssize_t got = getrandom(p, size, 0);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) platform_fault("getrandom failed");
    }
#else
    // getentropy serves at most 256 bytes per call, all or nothing.
    const std::size_t chunk = size > 256 ? 256 : size;
    if (getentropy(p, chunk) != 0) platform_fault("getentropy failed");
    return chunk;
#endif
}

}  // namespace

void fill_random(void* out, std::size_t size) {
    auto* p = static_cast<unsigned char*>(out);
    while (size > 0) {
        const std::size_t got = random_chunk(p, size);
        p += got;
        size -= got;
    }
}

HashKey random_hash_key() {
    HashKey key{};
    fill_random(&key, sizeof key);
    return key;
}

}  // namespace velmora::platform
