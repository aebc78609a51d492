// The forest a capsule made by forest_build holds, for entries that score a row they made.
#pragma once

#include <Python.h>

#include <cstddef>

#include "forest/forest.hpp"

namespace velmora::py {

// The forest, or null with a TypeError set when `obj` is not such a capsule.
const forest::Forest* forest_of(PyObject* obj);

// False with a ValueError set when the forest does not read rows of `length` values.
bool reads_rows_of(const forest::Forest& model, std::size_t length);

}  // namespace velmora::py
