// Velocities, accelerations and curvature rates of a sampled path, and the working
// arrays they live in.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace velmora::curvature {

// The working arrays of one path of n >= 4 samples, each at its exact length, carved
// from a single allocation: one allocation per call, and a large block is reused by
// the allocator instead of being returned to the OS piece by piece on every call.
class PathWorkspace {
public:
    explicit PathWorkspace(std::size_t n);

    std::span<double> dt;      // n-1: floored time step
    std::span<double> vx, vy;  // n-1: velocity of each step
    std::span<double> tm;      // n-2: mean of two consecutive time steps
    std::span<double> ax, ay;  // n-2: acceleration between consecutive velocities
    std::span<double> kappa;   // n-2: curvature values
    std::span<double> rate;    // n-3: change of curvature per time

private:
    std::unique_ptr<double[]> storage_;
};

// dt, vx, vy from the first dt.size() + 1 samples of each input.
void fill_steps(std::span<const double> x, std::span<const double> y, std::span<const double> t,
                PathWorkspace& w);

// tm, ax, ay from the steps.
void fill_accelerations(PathWorkspace& w);

// rate[k] = (kappa[k+1] - kappa[k]) / max(tm[k+1], 0.1): the time-step floor also bounds the divisor. The divisor is the averaged
// step belonging to the later curvature value.
void fill_curvature_rates(PathWorkspace& w);

}  // namespace velmora::curvature
