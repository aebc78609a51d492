// The Python form of a FeatureRecord.
#pragma once

#include <Python.h>

#include "kinematics/feature_record.hpp"

namespace velmora::py {

// A new dict with the 39 entries in the record's order; null with the error set when an
// insertion is refused.
PyObject* new_feature_dict(const kinematics::FeatureRecord& record);

}  // namespace velmora::py
