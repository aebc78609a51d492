#include "binding/errors_py.hpp"

#include "binding/fatal_py.hpp"

namespace velmora::py {

PyRef type_qualname(PyObject* obj) {
    PyRef name = steal(PyType_GetQualName(Py_TYPE(obj)));
    if (name && PyUnicode_Check(name.get())) return name;
    PyErr_Clear();
    return VELMORA_CREATED(PyUnicode_FromString("<failed to extract type name>"));
}

bool raise_cannot_convert(PyObject* obj, const char* target) {
    PyRef type_name = type_qualname(obj);
    PyErr_Format(PyExc_TypeError, "'%U' object cannot be converted to '%s'", type_name.get(), target);
    return false;
}

bool ensure_error_set() {
    if (PyErr_Occurred() == nullptr)
        PyErr_SetString(PyExc_SystemError, "attempted to fetch exception but none was set");
    return false;
}

PyObject* argument_error(const char* name) {
    ensure_error_set();
    PyRef original = steal(PyErr_GetRaisedException());
    if (Py_TYPE(original.get()) != reinterpret_cast<PyTypeObject*>(PyExc_TypeError)) {
        PyErr_SetRaisedException(original.release());
        return nullptr;
    }
    PyRef message = steal(PyObject_Str(original.get()));
    if (!message) return nullptr;  // str() of the error itself failed: that error is raised
    PyRef prefixed = steal(PyUnicode_FromFormat("argument '%s': %U", name, message.get()));
    if (!prefixed) return nullptr;
    PyRef replacement = steal(PyObject_CallFunctionObjArgs(PyExc_TypeError, prefixed.get(), nullptr));
    if (!replacement) return nullptr;
    // Steals the new reference from GetCause; a null cause means "none".
    PyException_SetCause(replacement.get(), PyException_GetCause(original.get()));
    PyErr_SetRaisedException(replacement.release());
    return nullptr;
}

}  // namespace velmora::py
