// The state-engine functions: arguments are converted before the engine's lock is
// taken, and results are built after it is released.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "arguments.hpp"
#include "conversions.hpp"
#include "entry_points.hpp"
#include "errors.hpp"
#include "not_implemented.hpp"
#include "py_ref.hpp"

namespace velmora::py {
namespace {

using BanList = std::vector<std::pair<std::string, std::uint64_t>>;

// One (address, expiry) tuple of hydrate_bans_rs.
bool convert_ban_pair(PyObject* item, BanList& out) {
    if (!check_tuple_of_length(item, 2)) return false;
    std::string_view address;
    std::uint64_t expiry = 0;
    if (!convert_utf8(PyTuple_GetItem(item, 0), address)) return false;
    if (!convert_u64(PyTuple_GetItem(item, 1), expiry)) return false;
    out.emplace_back(std::string(address), expiry);
    return true;
}

// The whole list, converted before anything is applied. Errors are not yet prefixed.
bool convert_ban_list(PyObject* obj, BanList& out) {
    if (PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
        return false;
    }
    if (!PySequence_Check(obj)) return raise_cannot_convert(obj, "Sequence");
    const Py_ssize_t hint = PySequence_Size(obj);
    if (hint < 0) PyErr_Clear();
    else out.reserve(static_cast<std::size_t>(std::min<Py_ssize_t>(hint, 1 << 20)));

    PyRef iterator = steal(PyObject_GetIter(obj));
    if (!iterator) return ensure_error_set();
    while (PyRef item = steal(PyIter_Next(iterator.get()))) {
        if (!convert_ban_pair(item.get(), out)) return false;
    }
    return PyErr_Occurred() == nullptr;
}

}  // namespace

PyObject* consume_nonce_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"consume_nonce_rs", {"nonce"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view nonce;
    if (!convert_utf8(slots[0], nonce)) return argument_error("nonce");
    return not_implemented(signature.function);
}

PyObject* is_ip_banned_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"is_ip_banned_rs", {"ip"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view ip;
    if (!convert_utf8(slots[0], ip)) return argument_error("ip");
    return not_implemented(signature.function);
}

PyObject* ban_ip_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<2> signature{"ban_ip_rs", {"ip", "duration_sec"}};
    std::array<PyObject*, 2> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view ip;
    std::uint64_t duration_sec = 0;
    if (!convert_utf8(slots[0], ip)) return argument_error("ip");
    if (!convert_u64(slots[1], duration_sec)) return argument_error("duration_sec");
    return not_implemented(signature.function);
}

PyObject* unban_ip_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"unban_ip_rs", {"ip"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view ip;
    if (!convert_utf8(slots[0], ip)) return argument_error("ip");
    return not_implemented(signature.function);
}

PyObject* hydrate_bans_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"hydrate_bans_rs", {"bans"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    BanList bans;
    if (!convert_ban_list(slots[0], bans)) return argument_error("bans");
    return not_implemented(signature.function);
}

PyObject* clear_state_engine_rs(PyObject*, PyObject*) { return not_implemented("clear_state_engine_rs"); }

PyObject* get_state_engine_stats_rs(PyObject*, PyObject*) {
    return not_implemented("get_state_engine_stats_rs");
}

}  // namespace velmora::py
