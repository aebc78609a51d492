// Where the time of extract_features_rs goes: each stage run `repeats` times on the
// same telemetry, in ns per run. The stages are those of the real call, run from the
// same code; only the timing around them is added.
#include <Python.h>

#include <chrono>
#include <vector>

#include "curvature/curvature.hpp"
#include "keystrokes/analysis.hpp"
#include "features/feature_dict_py.hpp"
#include "features/feature_record.hpp"
#include "features/motion_track.hpp"
#include "features/movement.hpp"
#include "features/segment_series.hpp"
#include "features/spectrum.hpp"
#include "features/telemetry_reader_py.hpp"
#include "features/touch.hpp"

namespace k = velmora::features;

namespace {

volatile double sink = 0.0;

// Best of five rounds, so that a round disturbed by other work on the machine does not count.
template <typename F>
double ns_per_run(long repeats, F&& run) {
    const long per_round = repeats / 5 + 1;
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < per_round; ++i) run();
        const auto stop = std::chrono::steady_clock::now();
        const double ns = std::chrono::duration<double, std::nano>(stop - start).count();
        if (ns < best) best = ns;
    }
    return best / static_cast<double>(per_round);
}

bool put(PyObject* dict, const char* name, double ns) {
    PyObject* v = PyFloat_FromDouble(ns);
    const int rc = v == nullptr ? -1 : PyDict_SetItemString(dict, name, v);
    Py_XDECREF(v);
    return rc == 0;
}

}  // namespace

PyObject* stage_times(PyObject*, PyObject* args) {
    PyObject* telemetry = nullptr;
    long repeats = 0;
    if (!PyArg_ParseTuple(args, "Ol", &telemetry, &repeats) || repeats <= 0) {
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_ValueError, "repeats must be positive");
        return nullptr;
    }
    const k::ParsedTelemetry parsed = velmora::py::read_telemetry(telemetry);
    const k::MotionTrack track = k::build_motion_track(parsed.points);
    const k::SegmentSeries seg = k::build_segment_series(track);
    const k::FeatureRecord record = k::build_feature_record(parsed);
    double mean_speed = 0.0;
    for (double s : seg.speed) mean_speed = mean_speed + s;
    if (!seg.speed.empty()) mean_speed = mean_speed / static_cast<double>(seg.speed.size());

    const double parse = ns_per_run(repeats, [&] { sink = sink + velmora::py::read_telemetry(telemetry).points.size(); });
    const double touch = ns_per_run(repeats, [&] { sink = sink + k::touch_stats(parsed.points).avg_touch_radius; });
    const double keys = ns_per_run(repeats, [&] {
        if (!parsed.events.empty()) sink = sink + velmora::keystrokes::analyze_keystrokes(parsed.events).keystroke_score;
    });
    const double track_ns = ns_per_run(repeats, [&] { sink = sink + k::build_motion_track(parsed.points).size(); });
    const double curvature = ns_per_run(repeats, [&] {
        if (track.size() < 4) return;
        std::vector<double> x(track.size()), y(track.size()), t(track.size());
        for (std::size_t i = 0; i < track.size(); ++i) {
            x[i] = track[i].x;
            y[i] = track[i].y;
            t[i] = track[i].t;
        }
        sink = sink + velmora::curvature::evaluate_curvature(x, y, t).curvature_score;
    });
    const double movement = ns_per_run(repeats, [&] { sink = sink + k::movement_features(track).avg_jerk; });
    const double spectrum = ns_per_run(repeats, [&] {
        sink = sink + k::spectral_features(seg.speed, mean_speed).spectral_entropy;
    });
    // The same transform without the cached tables, as a yardstick for them.
    std::vector<double> centred(seg.speed.size()), power(seg.speed.size() / 2);
    for (std::size_t i = 0; i < centred.size(); ++i) centred[i] = seg.speed[i] - mean_speed;
    const long literal_repeats = repeats / 20 + 1;
    const double literal = centred.size() >= k::kMinSpectralSamples
                               ? ns_per_run(literal_repeats, [&] {
                                     k::power_spectrum_reference(centred, power);
                                     sink = sink + power[0];
                                 })
                               : 0.0;
    const double dict = ns_per_run(repeats, [&] { Py_XDECREF(velmora::py::new_feature_dict(record)); });

    PyObject* out = PyDict_New();
    if (out == nullptr) return nullptr;
    // Movement features include the spectrum; report the two apart.
    const bool ok = put(out, "parse", parse) && put(out, "touch", touch) && put(out, "keystrokes", keys) &&
                    put(out, "track", track_ns) && put(out, "kinematics", movement - spectrum) &&
                    put(out, "spectrum", spectrum) && put(out, "curvature", curvature) && put(out, "dict", dict) &&
                    put(out, "spectrum_without_tables", literal);
    if (!ok) {
        Py_DECREF(out);
        return nullptr;
    }
    return out;
}
