// How evenly the flight times spread over 100 ms bands.
#pragma once

#include <span>

namespace velmora::keystrokes {

// Flights in [0, 800] ms are binned into eight 100 ms bins (800 itself in the
// last); the Shannon entropy of the bin shares divided by log2(8), in [0, 1].
// With fewer than 4 such flights there is too little to judge: 0.5.
double flight_entropy(std::span<const double> flights);

}  // namespace velmora::keystrokes
