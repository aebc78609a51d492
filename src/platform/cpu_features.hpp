// Processor features, probed once per process.
#pragma once

namespace velmora::platform {

// True when the CPU and the OS support 256-bit AVX registers. Always false on
// processors other than x86-64.
bool cpu_has_avx();

}  // namespace velmora::platform
