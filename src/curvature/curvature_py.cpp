// evaluate_curvature_naturalness_rs and evaluate_curvature_zerocopy_rs.
#include <vector>

#include "arguments.hpp"
#include "conversions.hpp"
#include "entry_points.hpp"
#include "errors.hpp"
#include "not_implemented.hpp"

namespace velmora::py {

PyObject* evaluate_curvature_naturalness_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<3> signature{"evaluate_curvature_naturalness_rs", {"x", "y", "t"}};
    std::array<PyObject*, 3> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::vector<double> x, y, t;
    if (!convert_f64_vector(slots[0], x)) return argument_error("x");
    if (!convert_f64_vector(slots[1], y)) return argument_error("y");
    if (!convert_f64_vector(slots[2], t)) return argument_error("t");
    return not_implemented(signature.function);
}

PyObject* evaluate_curvature_zerocopy_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<3> signature{"evaluate_curvature_zerocopy_rs", {"x_obj", "y_obj", "t_obj"}};
    std::array<PyObject*, 3> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    // Taken as plain objects: conversion errors carry no argument name.
    std::vector<double> x, y, t;
    if (!convert_f64_vector(slots[0], x) || !convert_f64_vector(slots[1], y) ||
        !convert_f64_vector(slots[2], t))
        return nullptr;
    return not_implemented(signature.function);
}

}  // namespace velmora::py
