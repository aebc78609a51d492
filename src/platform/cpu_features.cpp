#include "platform/cpu_features.hpp"

namespace velmora::platform {

bool cpu_has_avx() {
    // libgcc's probe also checks XGETBV, so "avx" means the OS saves the YMM state too.
    static const bool has_avx = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has_avx;
}

}  // namespace velmora::platform
