#include "platform/random.hpp"

#include <sys/random.h>

#include <cerrno>

#include "platform/fault.hpp"

namespace velmora::platform {

void fill_random(void* out, std::size_t size) {
    auto* p = static_cast<unsigned char*>(out);
    while (size > 0) {
        ssize_t got = getrandom(p, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            platform_fault("getrandom failed");
        }
        p += got;
        size -= static_cast<std::size_t>(got);
    }
}

HashKey random_hash_key() {
    HashKey key{};
    fill_random(&key, sizeof key);
    return key;
}

}  // namespace velmora::platform
