// extract_features_rs: telemetry dict in, 39-entry feature dict out.
#include "arguments.hpp"
#include "entry_points.hpp"
#include "kinematics/feature_dict_py.hpp"
#include "kinematics/feature_record.hpp"
#include "kinematics/telemetry_reader_py.hpp"

namespace velmora::py {

PyObject* extract_features_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"extract_features_rs", {"telemetry"}};
    BoundArguments<1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    const kinematics::FeatureRecord record = kinematics::build_feature_record(read_telemetry(slots[0].get()));
    return new_feature_dict(record);
}

}  // namespace velmora::py
