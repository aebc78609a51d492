// The Python form of a FeatureRecord.
#pragma once

#include <Python.h>

#include <cstdint>

#include "binding/results_py.hpp"
#include "features/feature_record.hpp"

namespace velmora::py {

// A new dict with the 39 entries in the record's order; null with the error set when an
// insertion is refused.
PyObject* new_feature_dict(const features::FeatureRecord& record);

// One field as its Python value: counts and integers as int, reals as float, flags as bool.
inline PyRef feature_value(std::uint64_t v) { return new_u64(v); }
inline PyRef feature_value(std::int64_t v) { return new_i64(v); }
inline PyRef feature_value(double v) { return new_float(v); }
inline PyRef feature_value(bool v) { return new_bool(v); }

}  // namespace velmora::py
