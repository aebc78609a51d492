// Velocities, accelerations and curvature rates of a sampled path.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace velmora::curvature {

// Lower bound of every time step, and of the curvature-rate divisor (unit of t).
inline constexpr double kTimeStepFloor = 0.1;

// The working series of one path of n >= 4 samples, each at its exact length.
struct PathMotion {
    std::vector<double> dt;      // n-1: floored time step
    std::vector<double> vx, vy;  // n-1: velocity of each step
    std::vector<double> tm;      // n-2: mean of two consecutive time steps
    std::vector<double> ax, ay;  // n-2: acceleration between consecutive velocities
};

// max(v, floor) that also maps NaN to the floor (std::max would keep the NaN).
inline double floored(double v, double floor) { return v > floor ? v : floor; }

// Steps and accelerations over the first n samples of each input; needs n >= 4.
PathMotion path_motion(std::span<const double> x, std::span<const double> y, std::span<const double> t,
                       std::size_t n);

// rate[k] = (kappa[k+1] - kappa[k]) / max(tm[k+1], 0.1): n-3 values. The divisor is
// the averaged step belonging to the later curvature value.
std::vector<double> curvature_rates(std::span<const double> kappa, std::span<const double> tm);

}  // namespace velmora::curvature
