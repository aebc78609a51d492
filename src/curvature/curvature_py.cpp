// evaluate_curvature_naturalness_rs and evaluate_curvature_zerocopy_rs.
#include <vector>

#include "binding/conversions_py.hpp"
#include "curvature/curvature.hpp"
#include "binding/core_functions_py.hpp"
#include "binding/errors_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {
namespace {

// The score first, unlike the report's field order: callers read it first.
PyObject* curvature_result(const curvature::CurvatureReport& report) {
    return DictBuilder()
        .add(VELMORA_KEY("curvature_score"), new_float(report.curvature_score))
        .add(VELMORA_KEY("mean_curvature"), new_float(report.mean_curvature))
        .add(VELMORA_KEY("curvature_var"), new_float(report.curvature_var))
        .add(VELMORA_KEY("curvature_rate_var"), new_float(report.curvature_rate_var))
        .finish();
}

}  // namespace

PyObject* evaluate_curvature_naturalness_rs(const BoundArguments<3>& arguments) {
    std::vector<double> x, y, t;
    if (!convert_f64_vector(arguments[0].get(), x)) return argument_error("x");
    if (!convert_f64_vector(arguments[1].get(), y)) return argument_error("y");
    if (!convert_f64_vector(arguments[2].get(), t)) return argument_error("t");
    return curvature_result(curvature::evaluate_curvature(x, y, t));
}

PyObject* evaluate_curvature_zerocopy_rs(const BoundArguments<3>& arguments) {
    // Taken as plain objects: conversion errors carry no argument name.
    std::vector<double> x, y, t;
    if (!convert_f64_vector(arguments[0].get(), x) || !convert_f64_vector(arguments[1].get(), y) ||
        !convert_f64_vector(arguments[2].get(), t))
        return nullptr;
    // The routine reads only the first min(|x|, |y|, |t|) values of each.
    return curvature_result(curvature::evaluate_curvature(x, y, t));
}

}  // namespace velmora::py
