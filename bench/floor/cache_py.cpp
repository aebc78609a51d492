// What the memory budget of the twiddle-table cache costs: the power spectrum over a
// stream of series lengths, with a cache of a given budget of its own (not the process-wide
// one), against the same stream with every table cached.
#include <Python.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "features/motion_track.hpp"
#include "features/segment_series.hpp"
#include "features/spectrum.hpp"
#include "features/telemetry_reader_py.hpp"
#include "features/twiddle_table.hpp"

namespace k = velmora::features;

// series_length(telemetry) -> the length of the speed series the spectrum sees.
PyObject* series_length(PyObject*, PyObject* telemetry) {
    const k::ParsedTelemetry parsed = velmora::py::read_telemetry(telemetry);
    const k::MotionTrack track = k::build_motion_track(parsed.points);
    return PyLong_FromSize_t(k::build_segment_series(track).size());
}

// spectrum_stream(warm_up, lengths, budget) -> (ns per spectrum over `lengths`, tables
// built, spectra computed without a table, largest cached bytes seen). `warm_up` runs first
// through the same cache and is not timed.
PyObject* spectrum_stream(PyObject*, PyObject* args) {
    PyObject* warm_up = nullptr;
    PyObject* lengths = nullptr;
    unsigned long long budget = 0;
    if (!PyArg_ParseTuple(args, "O!O!K", &PyList_Type, &warm_up, &PyList_Type, &lengths, &budget)) return nullptr;
    std::vector<double> centred(k::kMaxSeriesLength), power(k::kMaxSeriesLength / 2);
    for (std::size_t i = 0; i < centred.size(); ++i) centred[i] = std::sin(0.37 * static_cast<double>(i * i % 101));
    k::TwiddleCache cache(static_cast<std::size_t>(budget));
    const k::SpectrumKernel kernel = k::fastest_spectrum_kernel();
    std::size_t peak = 0;
    auto run = [&](PyObject* list) {
        for (Py_ssize_t i = 0; i < PyList_Size(list); ++i) {
            const std::size_t o = PyLong_AsSize_t(PyList_GetItem(list, i));
            k::power_spectrum_with(kernel, cache, std::span<const double>(centred.data(), o),
                                   std::span<double>(power.data(), o / 2));
            const std::size_t bytes = cache.stats().bytes;
            if (bytes > peak) peak = bytes;
        }
    };
    run(warm_up);
    const k::TwiddleCacheStats before = cache.stats();
    const auto start = std::chrono::steady_clock::now();
    run(lengths);
    const auto stop = std::chrono::steady_clock::now();
    if (PyErr_Occurred()) return nullptr;
    const k::TwiddleCacheStats after = cache.stats();
    const double ns = std::chrono::duration<double, std::nano>(stop - start).count();
    const double calls = static_cast<double>(PyList_Size(lengths) > 0 ? PyList_Size(lengths) : 1);
    return Py_BuildValue("(dKKn)", ns / calls, static_cast<unsigned long long>(after.builds - before.builds),
                         static_cast<unsigned long long>(after.not_cached - before.not_cached),
                         static_cast<Py_ssize_t>(peak));
}
