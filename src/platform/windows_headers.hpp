// <windows.h> as the platform layer wants it: without the rarely used parts and without
// the min/max macros that break std::min and std::max. Included only by src/platform/*.cpp.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
