#include "binding/fatal_py.hpp"

#include <cstdio>
#include <cstdlib>

namespace velmora::py {

void fatal_fault(const char* file, int line, const char* what) noexcept {
    if (PyErr_Occurred() != nullptr) PyErr_Print();
    std::fprintf(stderr, "velmora_core_rs: internal fault at %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    // Fail fast: no interpreter shutdown, no exit handlers.
    std::abort();
}

}  // namespace velmora::py
