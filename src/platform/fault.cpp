#include "platform/fault.hpp"

#include <cstdio>
#include <cstdlib>

namespace velmora::platform {

void platform_fault(const char* what) {
    std::fprintf(stderr, "velmora_core_rs: internal fault: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace velmora::platform
