#include "binding/conversions_py.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "binding/errors_py.hpp"
#include "binding/pyref_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {
namespace {

// A length is only a sizing hint: a sequence may report any length it likes
// (a lying __len__, a huge range) before a single item is read, so the
// up-front reservation is capped and the vector grows normally beyond it.
constexpr Py_ssize_t kMaxReservedItems = 1 << 20;

bool append_float(PyObject* item, std::vector<double>& out) {
    const double value = PyFloat_AsDouble(item);
    if (value == -1.0 && PyErr_Occurred() != nullptr) return false;
    out.push_back(value);
    return true;
}

bool is_numpy_bool_type(PyTypeObject* type) {
    PyRef module = steal(PyType_GetModuleName(type));
    if (!module) {
        PyErr_Clear();
        return false;
    }
    if (!PyUnicode_Check(module.get()) || PyUnicode_CompareWithASCIIString(module.get(), "numpy") != 0)
        return false;
    PyRef name = steal(PyType_GetName(type));
    if (!name) {
        PyErr_Clear();
        return false;
    }
    return PyUnicode_CompareWithASCIIString(name.get(), "bool_") == 0 ||
           PyUnicode_CompareWithASCIIString(name.get(), "bool") == 0;
}

// Exact tuples are read by index rather than through an iterator object: the same
// items in the same order (a tuple cannot change), without the iterator's indirect
// call per item. Subclasses may override __iter__, so they take the general path.
// (Lists gain nothing measurable this way, so they keep their iterator.)
bool append_tuple_items(PyObject* tuple, std::vector<double>& out) {
    const Py_ssize_t size = PyTuple_Size(tuple);
    for (Py_ssize_t i = 0; i < size; ++i) {
        // Borrowed: the tuple is immutable and the caller keeps it alive.
        PyObject* item = PyTuple_GetItem(tuple, i);
        if (item == nullptr) return ensure_error_set();
        if (!append_float(item, out)) return false;
    }
    return true;
}

// NumPy's ndarray, exactly that type (numpy is not a build dependency). It is taken
// from numpy's own module once the application has imported numpy (this module never
// imports it), through the interpreter's module table and the module's dict, so no
// user __getattr__ runs; and it is held by a strong reference for the rest of the
// process, so it can neither dangle nor be mistaken for a later type at the same
// address. A class that only calls itself numpy.ndarray is not that type; nor is a
// class defined in Python (a heap type) planted as sys.modules["numpy"].ndarray:
// NumPy defines ndarray statically in C. Null while numpy is not (fully) imported.
PyTypeObject* numpy_ndarray_type() {
    static PyObject* ndarray = nullptr;  // strong reference, never released
    if (ndarray != nullptr) return reinterpret_cast<PyTypeObject*>(ndarray);
    PyObject* numpy = nullptr;
    if (PyDict_GetItemRef(PyImport_GetModuleDict(), VELMORA_KEY("numpy"), &numpy) < 0) PyErr_Clear();
    const PyRef numpy_module = steal(numpy);
    if (!numpy_module || !PyModule_Check(numpy)) return nullptr;
    PyObject* found = nullptr;
    if (PyDict_GetItemRef(PyModule_GetDict(numpy), VELMORA_KEY("ndarray"), &found) < 0) PyErr_Clear();
    PyRef type = steal(found);
    if (!type || !PyType_Check(found) ||
        (PyType_GetFlags(reinterpret_cast<PyTypeObject*>(found)) & Py_TPFLAGS_HEAPTYPE) != 0)
        return nullptr;
    ndarray = type.release();
    return reinterpret_cast<PyTypeObject*>(ndarray);
}

// Releases a buffer view on every way out, a C++ exception from the copy included.
class BufferView {
public:
    BufferView() = default;
    BufferView(const BufferView&) = delete;
    BufferView& operator=(const BufferView&) = delete;
    ~BufferView() {
        if (held_) PyBuffer_Release(&view_);
    }
    bool acquire(PyObject* obj, int flags) {
        held_ = PyObject_GetBuffer(obj, &view_, flags) == 0;
        return held_;
    }
    const Py_buffer& operator*() const { return view_; }

private:
    Py_buffer view_{};
    bool held_ = false;
};

// A one-dimensional native float64 ndarray yields numpy.float64 items whose float()
// is exactly the stored double, so copying the doubles straight from the array's
// memory gives the same vector without one Python object per item. Anything else
// (other dtypes, byte orders or shapes, ndarray subclasses) takes the general path.
// Returns false when this path does not apply; it raises nothing itself, but the copy
// may throw std::bad_alloc (MemoryError at the boundary).
// "<d" is the native order only on little-endian machines, the only ones built for.
static_assert(std::endian::native == std::endian::little);
bool copy_float64_array(PyObject* obj, std::vector<double>& out) {
    const PyTypeObject* ndarray = numpy_ndarray_type();
    if (ndarray == nullptr || Py_TYPE(obj) != ndarray) return false;
    BufferView buffer;
    if (!buffer.acquire(obj, PyBUF_STRIDES | PyBUF_FORMAT)) {
        PyErr_Clear();
        return false;
    }
    const Py_buffer& view = *buffer;
    const bool native_double = view.ndim == 1 && view.itemsize == 8 && view.format != nullptr &&
                               (std::string_view(view.format) == "d" || std::string_view(view.format) == "=d" ||
                                std::string_view(view.format) == "<d");
    if (!native_double) return false;
    const auto* base = static_cast<const char*>(view.buf);
    const Py_ssize_t count = view.shape[0];
    const Py_ssize_t stride = view.strides[0];
    // Every value is copied, so the exact count is asked for at once: a count the
    // machine cannot hold (a broadcast array claims any length for free) fails here,
    // before anything is written, rather than after growing through most of memory.
    out.resize(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i)
        std::memcpy(&out[static_cast<std::size_t>(i)], base + i * stride, sizeof(double));
    return true;
}

}  // namespace

bool check_vector_source(PyObject* obj, std::size_t& reserve) {
    if (PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
        return false;
    }
    if (!PySequence_Check(obj)) return raise_cannot_convert(obj, "Sequence");
    const Py_ssize_t hint = PySequence_Size(obj);
    if (hint < 0) PyErr_Clear();
    reserve = static_cast<std::size_t>(std::clamp<Py_ssize_t>(hint, 0, kMaxReservedItems));
    return true;
}

bool convert_f64_vector(PyObject* obj, std::vector<double>& out) {
    out.clear();
    std::size_t reserve = 0;
    if (!check_vector_source(obj, reserve)) return false;
    out.reserve(reserve);
    if (PyTuple_CheckExact(obj)) return append_tuple_items(obj, out);
    if (copy_float64_array(obj, out)) return true;
    return for_each_item(obj, [&out](PyObject* item) { return append_float(item, out); });
}

bool convert_utf8(PyObject* obj, std::string_view& out) {
    if (!PyUnicode_Check(obj)) return raise_cannot_convert(obj, "PyString");
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
    if (data == nullptr) return ensure_error_set();
    out = std::string_view(data, static_cast<std::size_t>(size));
    return true;
}

bool convert_u64(PyObject* obj, std::uint64_t& out) {
    PyRef index = steal(PyNumber_Index(obj));
    if (!index) return ensure_error_set();
    const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred() != nullptr) return false;
    out = value;
    return true;
}

bool convert_bool(PyObject* obj, bool& out) {
    if (PyBool_Check(obj)) {
        out = obj == Py_True;
        return true;
    }
    PyTypeObject* type = Py_TYPE(obj);
    if (!is_numpy_bool_type(type)) return raise_cannot_convert(obj, "PyBool");

    // Look __bool__ up on the type and bind it to the object, as the interpreter does
    // for special methods (an instance attribute of that name plays no part).
    PyRef method = steal(PyObject_GetAttr(reinterpret_cast<PyObject*>(type), VELMORA_KEY("__bool__")));
    if (!method) return ensure_error_set();
    auto bind = reinterpret_cast<descrgetfunc>(PyType_GetSlot(Py_TYPE(method.get()), Py_tp_descr_get));
    if (bind != nullptr) {
        method = steal(bind(method.get(), obj, reinterpret_cast<PyObject*>(type)));
        if (!method) return ensure_error_set();
    }
    PyRef result = steal(PyObject_CallNoArgs(method.get()));
    if (!result) return ensure_error_set();
    if (!PyBool_Check(result.get())) return raise_cannot_convert(result.get(), "PyBool");
    out = result.get() == Py_True;
    return true;
}

bool check_tuple_of_length(PyObject* obj, Py_ssize_t length) {
    if (!PyTuple_Check(obj)) return raise_cannot_convert(obj, "PyTuple");
    const Py_ssize_t actual = PyTuple_Size(obj);
    if (actual != length) {
        PyErr_Format(PyExc_ValueError, "expected tuple of length %zd, but got tuple of length %zd", length,
                     actual);
        return false;
    }
    return true;
}

}  // namespace velmora::py
