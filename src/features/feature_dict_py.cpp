#include "features/feature_dict_py.hpp"

#include "binding/results_py.hpp"

namespace velmora::py {

// Keys are inserted in the feature table's order, which callers rely on.
PyObject* new_feature_dict(const features::FeatureRecord& r) {
    DictBuilder d;
#define VELMORA_FEATURE_ENTRY(name, ...) .add(VELMORA_KEY(#name), feature_value(r.name))
    d VELMORA_FEATURES(VELMORA_FEATURE_ENTRY);
#undef VELMORA_FEATURE_ENTRY
    return d.finish();
}

}  // namespace velmora::py
