// The five-valued curvature score.
#pragma once

#include <span>

namespace velmora::curvature {

// The first rule that holds decides; every comparison with a NaN is false.
//   0.95  straight:  mean < 1e-6 and var < 1e-7
//   0.9   constant:  var < 1e-4 and rate var < 1e-8
//   0.85  extreme:   var > 10 or rate var > 5
//   0.75  mostly curved (more than half of kappa > 0.1) and rate var > 2
//   0.1   anything else
double curvature_score(double mean_curvature, double curvature_var, double curvature_rate_var,
                       std::span<const double> kappa);

}  // namespace velmora::curvature
