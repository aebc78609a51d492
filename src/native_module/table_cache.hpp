// velmora_core._native's own spectrum tables, so that a batch run can give them more room
// than the extension's fixed budget. Every entry that computes the record's features from
// this module uses them; the tables change nothing but the time taken (same bits).
#pragma once

#include <cstddef>

#include "features/twiddle_table.hpp"

namespace velmora::native_module {

features::TwiddleCache& table_cache();
std::size_t table_budget();
// Replaces the cache with an empty one of `budget` bytes when the budget changes. Callers
// hold the interpreter's lock, so no computation is using the old cache then.
void set_table_budget(std::size_t budget);

}  // namespace velmora::native_module
