#include "keystrokes/analysis.hpp"

#include <vector>

#include "keystrokes/digraphs.hpp"
#include "keystrokes/entropy.hpp"
#include "keystrokes/lowercase.hpp"
#include "keystrokes/press_order.hpp"
#include "keystrokes/score.hpp"
#include "numeric/statistics.hpp"

namespace velmora::keystrokes {
namespace {

// Acceptance ranges, all bounds strict; anything outside (NaN included) is an
// artefact of the client's clock or a pause, not typing.
bool plausible_dwell(double dwell) { return dwell > 0.0 && dwell < 5000.0; }
bool plausible_flight(double flight) { return flight > -500.0 && flight < 5000.0; }
bool plausible_latency(double latency) { return latency > 0.0 && latency < 2000.0; }

}  // namespace

KeystrokeReport analyze_keystrokes(std::span<const KeystrokeEvent> events) {
    KeystrokeReport report;
    if (events.empty()) return report;
    report.key_count = events.size();

    const std::vector<const KeystrokeEvent*> order = in_press_order(events);

    std::vector<double> dwells;
    dwells.reserve(order.size());
    for (const KeystrokeEvent* event : order) {
        if (!event->up) continue;
        const double dwell = *event->up - event->down;
        if (plausible_dwell(dwell)) dwells.push_back(dwell);
    }

    std::vector<double> flights;
    flights.reserve(order.size());
    DigraphGroups digraphs(order.size() - 1);
    for (std::size_t i = 1; i < order.size(); ++i) {
        const KeystrokeEvent& prev = *order[i - 1];
        const KeystrokeEvent& next = *order[i];

        // The gap from releasing one key (or pressing it, if no release was seen) to the next press.
        const double flight = next.down - prev.up.value_or(prev.down);
        if (plausible_flight(flight)) flights.push_back(flight);

        const std::optional<char> first = single_byte_lowercase(prev.key);
        if (!first) continue;
        const std::optional<char> second = single_byte_lowercase(next.key);
        if (!second) continue;
        const double latency = next.down - prev.down;
        if (plausible_latency(latency)) digraphs.add(*first, *second, latency);
    }

    const numeric::MeanVariance dwell = numeric::mean_and_variance(dwells);
    const numeric::MeanVariance flight = numeric::mean_and_variance(flights);
    report.avg_dwell_time = dwell.mean;
    report.dwell_time_var = dwell.variance;
    report.avg_flight_time = flight.mean;
    report.flight_time_var = flight.variance;
    report.digraph_entropy = flight_entropy(flights);
    report.keystroke_score = keystroke_score(ScoreInputs{
        .event_count = report.key_count,
        .dwell_count = dwells.size(),
        .flight_count = flights.size(),
        .avg_dwell_time = report.avg_dwell_time,
        .dwell_time_var = report.dwell_time_var,
        .avg_flight_time = report.avg_flight_time,
        .flight_time_var = report.flight_time_var,
        .flight_entropy = report.digraph_entropy,
        .digraph_speeds = digraph_speeds(digraphs.in_first_seen_order()),
    });
    return report;
}

}  // namespace velmora::keystrokes
