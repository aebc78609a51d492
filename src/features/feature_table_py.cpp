// velmora_core._native.feature_table(): the feature table as Python values, so that the
// Python layer's names, typed records, legends and docs are checked against the record
// the extension really builds.
#include "binding/results_py.hpp"
#include "features/feature_dict_py.hpp"
#include "features/feature_table.hpp"
#include "native_module/native_entries.hpp"

namespace velmora::py {
namespace {

using features::FeatureInfo;

const char* type_name(features::FeatureType type) {
    switch (type) {
        case features::FeatureType::count:
        case features::FeatureType::integer:
            return "int";
        case features::FeatureType::real:
            return "float";
        case features::FeatureType::flag:
            return "bool";
    }
    VELMORA_FATAL("unknown feature type");
}

const char* origin_name(features::FeatureOrigin origin) {
    constexpr const char* names[] = {"telemetry", "browser", "movement", "spectrum", "touch", "curvature", "keystrokes"};
    return names[static_cast<std::size_t>(origin)];
}

PyRef table_row(const FeatureInfo& info, PyRef none_value) {
    return VELMORA_CREATED(Py_BuildValue("(ssOssssO)", info.name, type_name(info.type), none_value.get(), info.unit,
                                         info.title, info.meaning, origin_name(info.origin),
                                         info.rounding == features::FeatureRounding::exact ? Py_True : Py_False));
}

}  // namespace

PyObject* feature_table(const BoundArguments<0>&) {
    const features::FeatureRecord none;
    PyRef rows = VELMORA_CREATED(PyTuple_New(static_cast<Py_ssize_t>(features::kFeatureCount)));
    Py_ssize_t i = 0;
#define VELMORA_FEATURE_ROW(name, ...)                                                                  \
    if (PyTuple_SetItem(rows.get(), i, table_row(features::kFeatureTable[i], feature_value(none.name)).release()) < 0) \
        VELMORA_FATAL("could not fill the feature table");                                             \
    ++i;
    VELMORA_FEATURES(VELMORA_FEATURE_ROW)
#undef VELMORA_FEATURE_ROW
    return rows.release();
}

}  // namespace velmora::py
