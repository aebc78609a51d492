// velmora_core._native entries of the stroke memory: a session's stroke prints (from a
// telemetry dict here, from JSON text in ingest_py.cpp) and the in-process memory, held
// in a capsule.
#include "strokes/strokes_py.hpp"

#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "behaviour/session_reader_py.hpp"
#include "binding/results_py.hpp"
#include "native_module/native_entries.hpp"
#include "strokes/stroke_memory.hpp"

namespace velmora::py {

namespace {

constexpr const char* kCapsuleName = "velmora_core._native.StrokeMemory";

void free_memory(PyObject* capsule) noexcept {
    delete static_cast<strokes::StrokeMemory*>(PyCapsule_GetPointer(capsule, kCapsuleName));
}

strokes::StrokeMemory* memory_of(PyObject* obj) {
    if (!PyCapsule_IsValid(obj, kCapsuleName)) {
        PyErr_SetString(PyExc_TypeError, "memory must be a capsule made by stroke_memory");
        return nullptr;
    }
    return static_cast<strokes::StrokeMemory*>(PyCapsule_GetPointer(obj, kCapsuleName));
}

}  // namespace

PyObject* new_prints_result(const strokes::SessionPrints& prints) {
    std::vector<std::uint8_t> wire(prints.prints.size() * strokes::kWireBytes);
    for (std::size_t i = 0; i < prints.prints.size(); ++i) strokes::encode(prints.prints[i], &wire[i * strokes::kWireBytes]);
    PyRef data = VELMORA_CREATED(
        PyBytes_FromStringAndSize(reinterpret_cast<const char*>(wire.data()), static_cast<Py_ssize_t>(wire.size())));
    PyRef count = new_u64(prints.strokes);
    PyRef result = VELMORA_CREATED(PyTuple_New(2));
    PyTuple_SetItem(result.get(), 0, count.release());
    PyTuple_SetItem(result.get(), 1, data.release());
    return result.release();
}

PyObject* stroke_prints(const BoundArguments<1>& arguments) {
    PyObject* telemetry = arguments[0].get();
    behaviour::BehaviourSession session;
    if (PyDict_Check(telemetry)) {
        RecordScanner scanner;
        read_pointer(telemetry, scanner, session.pointer);
        read_clicks(telemetry, scanner, session.clicks);
    }
    return new_prints_result(strokes::session_prints(session.pointer, session.clicks));
}

PyObject* stroke_memory(const BoundArguments<1>& arguments) {
    const std::size_t capacity = PyLong_AsSize_t(arguments[0].get());
    if (capacity == static_cast<std::size_t>(-1) && PyErr_Occurred() != nullptr) return nullptr;
    if (capacity < 1 || capacity > strokes::kMaxCapacity) {
        PyErr_Format(PyExc_ValueError, "capacity must be from 1 to %zu strokes", strokes::kMaxCapacity);
        return nullptr;
    }
    auto memory = std::make_unique<strokes::StrokeMemory>(capacity);
    PyObject* capsule = PyCapsule_New(memory.get(), kCapsuleName, free_memory);
    if (capsule == nullptr) return nullptr;
    memory.release();
    return capsule;
}

namespace {

// The prints of a bytes object in the wire form; false with the error set otherwise.
bool decode_prints(PyObject* data, std::vector<strokes::StrokePrint>& prints) {
    if (!PyBytes_Check(data)) {
        PyErr_SetString(PyExc_TypeError, "prints must be bytes");
        return false;
    }
    const auto size = static_cast<std::size_t>(PyBytes_Size(data));
    if (size % strokes::kWireBytes != 0) {
        PyErr_Format(PyExc_ValueError, "prints must be a whole number of %zu-byte records", strokes::kWireBytes);
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(PyBytes_AsString(data));
    prints.resize(size / strokes::kWireBytes);
    for (std::size_t i = 0; i < prints.size(); ++i) prints[i] = strokes::decode(bytes + i * strokes::kWireBytes);
    return true;
}

}  // namespace

PyObject* stroke_memory_observe(const BoundArguments<2>& arguments) {
    strokes::StrokeMemory* memory = memory_of(arguments[0].get());
    std::vector<strokes::StrokePrint> prints;
    if (memory == nullptr || !decode_prints(arguments[1].get(), prints)) return nullptr;
    return new_u64(memory->observe(prints)).release();
}

PyObject* stroke_memory_recalls(const BoundArguments<2>& arguments) {
    const strokes::StrokeMemory* memory = memory_of(arguments[0].get());
    std::vector<strokes::StrokePrint> prints;
    if (memory == nullptr || !decode_prints(arguments[1].get(), prints)) return nullptr;
    PyRef list = VELMORA_CREATED(PyList_New(static_cast<Py_ssize_t>(prints.size())));
    for (std::size_t i = 0; i < prints.size(); ++i)
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), new_bool(memory->recalls(prints[i])).release());
    return list.release();
}

PyObject* stroke_memory_stats(const BoundArguments<1>& arguments) {
    const strokes::StrokeMemory* memory = memory_of(arguments[0].get());
    if (memory == nullptr) return nullptr;
    return Py_BuildValue("(nnn)", static_cast<Py_ssize_t>(memory->size()), static_cast<Py_ssize_t>(memory->capacity()),
                         static_cast<Py_ssize_t>(memory->bytes()));
}

PyObject* stroke_bucket_bits(const BoundArguments<1>& arguments) {
    const std::size_t capacity = PyLong_AsSize_t(arguments[0].get());
    if (capacity == static_cast<std::size_t>(-1) && PyErr_Occurred() != nullptr) return nullptr;
    return new_u64(strokes::bucket_bits(capacity)).release();
}

}  // namespace velmora::py
