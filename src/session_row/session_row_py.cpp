// session_row and session_score of velmora_core._native: one telemetry dict read once into
// both the core telemetry record and the behaviour session, then the whole row of features
// (and, for session_score, the model's score of it) in one call. Lenient as its two readers:
// nothing in the content raises; a non-dict reads as an empty session.
#include "session_row/session_row_py.hpp"

#include "behaviour/session_reader_py.hpp"
#include "binding/lenient_readers_py.hpp"
#include "binding/results_py.hpp"
#include "features/telemetry_reader_py.hpp"
#include "forest/forest_capsule_py.hpp"
#include "native_module/native_entries.hpp"
#include "native_module/table_cache.hpp"
#include "strokes/strokes_py.hpp"

namespace velmora::py {

namespace {

using session_row::Row;

// The key timings of the first items come from the core reading's events (see session_row.hpp).
static_assert(features::kMaxKeystrokeItems <= behaviour::kMaxKeys);

// The core reading first (it takes every list's length once, up front), then what the
// behaviour session needs beyond it: the clicks and scrolls themselves, the key records past
// the core reading's limit, and, for a movement list longer than the behaviour limit, its
// first kMaxPointer items read again (the core reading keeps no item positions).
Row row_of_dict(PyObject* telemetry, behaviour::BehaviourSession& session) {
    const features::ParsedTelemetry parsed = read_telemetry(telemetry);
    if (PyDict_Check(telemetry)) {
        RecordScanner scanner;
        const PyRef moves = list_at(telemetry, VELMORA_KEY("mouse_movements"));
        if (!moves || static_cast<std::size_t>(PyList_Size(moves.get())) <= behaviour::kMaxPointer)
            session_row::pointer_from_points(parsed.points, session.pointer);
        else
            read_pointer(telemetry, scanner, session.pointer);
        read_clicks(telemetry, scanner, session.clicks);
        read_scrolls(telemetry, scanner, session.scrolls);
        session_row::keys_from_events(parsed.events, session.keys);
        read_keys(telemetry, scanner, features::kMaxKeystrokeItems, session.keys);
    }
    return session_row::session_row(parsed, session, native_module::table_cache());
}

}  // namespace

PyObject* new_row_tuple(const Row& row) {
    PyRef tuple = VELMORA_CREATED(PyTuple_New(static_cast<Py_ssize_t>(row.size())));
    for (std::size_t i = 0; i < row.size(); ++i)
        PyTuple_SetItem(tuple.get(), static_cast<Py_ssize_t>(i), new_float(row[i]).release());
    return tuple.release();
}

const forest::Forest* row_forest(PyObject* obj) {
    const forest::Forest* model = forest_of(obj);
    return model != nullptr && reads_rows_of(*model, session_row::kRowLength) ? model : nullptr;
}

PyObject* session_row(const BoundArguments<1>& arguments) {
    behaviour::BehaviourSession session;
    return new_row_tuple(row_of_dict(arguments[0].get(), session));
}

PyObject* session_row_prints(const BoundArguments<1>& arguments) {
    behaviour::BehaviourSession session;
    PyRef row = steal(new_row_tuple(row_of_dict(arguments[0].get(), session)));
    PyRef prints = steal(new_prints_result(strokes::session_prints(session.pointer, session.clicks)));
    PyRef result = VELMORA_CREATED(PyTuple_New(2));
    PyTuple_SetItem(result.get(), 0, row.release());
    PyTuple_SetItem(result.get(), 1, prints.release());
    return result.release();
}

PyObject* session_score(const BoundArguments<2>& arguments) {
    const forest::Forest* model = row_forest(arguments[0].get());
    if (model == nullptr) return nullptr;
    behaviour::BehaviourSession session;
    const Row row = row_of_dict(arguments[1].get(), session);
    return new_float(forest::score(*model, row)).release();
}

}  // namespace velmora::py
