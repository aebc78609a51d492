// The one way a subsystem offers interchangeable loops (portable and vector variants of the
// same arithmetic, all bit-identical): a list of the variants this processor runs, each a
// function pointer with a name, the portable reference first and the widest last. The
// subsystem calls the widest, chosen once per process (the processor does not change under
// a running process); tests run one body against every entry.
#pragma once

#include <vector>

namespace velmora::numeric {

template <class Kernel>
struct NamedKernel {
    const char* name;
    Kernel kernel;
};

template <class Kernel>
using KernelList = std::vector<NamedKernel<Kernel>>;

}  // namespace velmora::numeric
