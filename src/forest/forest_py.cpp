// forest_build, forest_score and forest_explain of velmora_core._native: a tree ensemble
// held in a capsule, so that a loaded model is parsed and checked once, not per row.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "binding/arguments_py.hpp"
#include "binding/conversions_py.hpp"
#include "binding/function_registry_py.hpp"
#include "binding/errors_py.hpp"
#include "forest/forest.hpp"
#include "forest/forest_capsule_py.hpp"
#include "native_module/native_entries.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {
namespace {

constexpr const char* kCapsuleName = "velmora_core._native.Forest";

void free_forest(PyObject* capsule) noexcept {
    delete static_cast<forest::Forest*>(PyCapsule_GetPointer(capsule, kCapsuleName));
}

// Node indices and feature numbers arrive as floats (one conversion for every column).
bool whole_numbers(const std::vector<double>& values, const char* name, std::vector<std::int32_t>& out) {
    out.clear();
    out.reserve(values.size());
    for (const double v : values) {
        if (!(v >= -1.0 && v <= static_cast<double>(std::numeric_limits<std::int32_t>::max())) ||
            std::trunc(v) != v) {
            PyErr_Format(PyExc_ValueError, "%s must hold whole numbers from -1 up", name);
            return false;
        }
        out.push_back(static_cast<std::int32_t>(v));
    }
    return true;
}

bool row_of(const forest::Forest& model, PyObject* obj, std::vector<double>& row) {
    if (!convert_f64_vector(obj, row)) {
        argument_error("row");
        return false;
    }
    return reads_rows_of(model, row.size());
}

}  // namespace

const forest::Forest* forest_of(PyObject* obj) {
    if (!PyCapsule_IsValid(obj, kCapsuleName)) {
        PyErr_SetString(PyExc_TypeError, "forest must be a capsule made by forest_build");
        return nullptr;
    }
    return static_cast<const forest::Forest*>(PyCapsule_GetPointer(obj, kCapsuleName));
}

bool reads_rows_of(const forest::Forest& model, std::size_t length) {
    if (length != model.feature_count) {
        PyErr_Format(PyExc_ValueError, "row has %zd values; the forest reads %zd", static_cast<Py_ssize_t>(length),
                     static_cast<Py_ssize_t>(model.feature_count));
        return false;
    }
    return true;
}

PyObject* forest_build(const BoundArguments<9>& arguments) {
    // The node columns' parameter names, for their errors.
    static constexpr const char* column_names[7] = {"feature", "left", "right", "missing_left",
                                                    "threshold", "value", "roots"};
    const double baseline = PyFloat_AsDouble(arguments[0].get());
    if (baseline == -1.0 && PyErr_Occurred() != nullptr) return argument_error("baseline");
    std::uint64_t feature_count = 0;
    if (!convert_u64(arguments[1].get(), feature_count)) return argument_error("feature_count");
    std::vector<double> columns[7];
    for (std::size_t i = 0; i < 7; ++i)
        if (!convert_f64_vector(arguments[i + 2].get(), columns[i])) return argument_error(column_names[i]);
    const std::size_t count = columns[0].size();
    for (std::size_t i = 1; i < 6; ++i) {
        if (columns[i].size() != count) {
            PyErr_Format(PyExc_ValueError, "%s has %zd items; feature has %zd", column_names[i],
                         static_cast<Py_ssize_t>(columns[i].size()), static_cast<Py_ssize_t>(count));
            return nullptr;
        }
    }
    std::vector<std::int32_t> feature, left, right, roots;
    if (!whole_numbers(columns[0], "feature", feature) || !whole_numbers(columns[1], "left", left) ||
        !whole_numbers(columns[2], "right", right) || !whole_numbers(columns[6], "roots", roots))
        return nullptr;
    auto model = std::make_unique<forest::Forest>();
    model->baseline = baseline;
    model->feature_count = static_cast<std::size_t>(feature_count);
    model->roots = std::move(roots);
    model->nodes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        model->nodes.push_back({feature[i], left[i], right[i], columns[3][i] != 0.0, columns[4][i], columns[5][i]});
    if (const std::string problem = forest::validate(*model); !problem.empty()) {
        PyErr_Format(PyExc_ValueError, "malformed forest: %s", problem.c_str());
        return nullptr;
    }
    PyObject* capsule = PyCapsule_New(model.get(), kCapsuleName, free_forest);
    if (capsule == nullptr) return nullptr;
    model.release();
    return capsule;
}

PyObject* forest_score(const BoundArguments<2>& arguments) {
    const forest::Forest* model = forest_of(arguments[0].get());
    if (model == nullptr) return nullptr;
    std::vector<double> row;
    if (!row_of(*model, arguments[1].get(), row)) return nullptr;
    return new_float(forest::score(*model, row)).release();
}

PyObject* forest_explain(const BoundArguments<2>& arguments) {
    const forest::Forest* model = forest_of(arguments[0].get());
    if (model == nullptr) return nullptr;
    std::vector<double> row;
    if (!row_of(*model, arguments[1].get(), row)) return nullptr;
    std::vector<double> parts(model->feature_count);
    const double bias = forest::contributions(*model, row, parts);
    PyRef list = VELMORA_CREATED(PyList_New(static_cast<Py_ssize_t>(parts.size())));
    for (std::size_t i = 0; i < parts.size(); ++i)
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), new_float(parts[i]).release());
    return VELMORA_CREATED(Py_BuildValue("(dN)", bias, list.release())).release();
}

}  // namespace velmora::py
