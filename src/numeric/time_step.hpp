// The floor of every time step between two samples (in the unit of t): equal, reversed
// or NaN timestamps never divide by zero, and a burst of samples within a fraction of a
// millisecond does not turn into an absurd speed.
#pragma once

namespace velmora::numeric {

inline constexpr double kMinTimeStep = 0.1;

// max(dt, kMinTimeStep) that also maps NaN to the floor (std::max would keep the NaN).
inline double floored_step(double dt) { return dt > kMinTimeStep ? dt : kMinTimeStep; }

}  // namespace velmora::numeric
