// Internal faults of the plain C++ cores: no exception can express them, so the
// process ends at once with a diagnostic (the boundary has its own variant that
// first prints the interpreter's pending exception).
#pragma once

namespace velmora::platform {

[[noreturn]] void platform_fault(const char* what);

}  // namespace velmora::platform
