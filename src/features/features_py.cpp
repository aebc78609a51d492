// extract_features_rs: telemetry dict in, 39-entry feature dict out.
#include "binding/core_functions_py.hpp"
#include "features/feature_dict_py.hpp"
#include "features/feature_record.hpp"
#include "features/telemetry_reader_py.hpp"

namespace velmora::py {

PyObject* extract_features_rs(const BoundArguments<1>& arguments) {
    const features::FeatureRecord record = features::build_feature_record(read_telemetry(arguments[0].get()));
    return new_feature_dict(record);
}

}  // namespace velmora::py
