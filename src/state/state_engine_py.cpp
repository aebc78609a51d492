// The state-engine functions: arguments are converted before the engine's lock is
// taken, and results are built after it is released. Also the argument conversions of
// velmora_core._native, which the shared state engines (velmora_core.state) call so that
// they refuse exactly what these functions refuse, with the same exception and text.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "binding/conversions_py.hpp"
#include "binding/core_functions_py.hpp"
#include "binding/errors_py.hpp"
#include "native_module/native_entries.hpp"
#include "state/engine_slot.hpp"
#include "binding/pyref_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {
namespace {

using state::EngineStats;
using state::StateEngine;
using state::state_engine_slot;
using BanList = std::vector<state::BanEntry>;

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
    std::size_t reserve = 0;
    if (!check_vector_source(obj, reserve)) return false;
    out.reserve(reserve);
    return for_each_item(obj, [&out](PyObject* item) { return convert_ban_pair(item, out); });
}

// The UTF-8 bytes as a new bytes object, or null with MemoryError set.
PyObject* new_bytes(std::string_view text) {
    return PyBytes_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

// The parameter name the conversion's errors name (NUL-terminated, cached by the str).
bool read_parameter_name(PyObject* obj, const char*& name) {
    std::string_view text;
    if (!convert_utf8(obj, text)) {
        argument_error("name");
        return false;
    }
    name = PyUnicode_AsUTF8AndSize(obj, nullptr);
    return name != nullptr;
}

}  // namespace

PyObject* state_text_argument(const BoundArguments<2>& arguments) {
    const char* name = nullptr;
    if (!read_parameter_name(arguments[0].get(), name)) return nullptr;
    std::string_view text;
    if (!convert_utf8(arguments[1].get(), text)) return argument_error(name);
    return new_bytes(text);
}

PyObject* state_u64_argument(const BoundArguments<2>& arguments) {
    const char* name = nullptr;
    if (!read_parameter_name(arguments[0].get(), name)) return nullptr;
    std::uint64_t number = 0;
    if (!convert_u64(arguments[1].get(), number)) return argument_error(name);
    return new_u64(number).release();
}

PyObject* state_bans_argument(const BoundArguments<1>& arguments) {
    BanList bans;
    if (!convert_ban_list(arguments[0].get(), bans)) return argument_error("bans");
    PyRef list = steal(PyList_New(static_cast<Py_ssize_t>(bans.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < bans.size(); ++i) {
        PyRef address = steal(new_bytes(bans[i].first));
        if (!address) return nullptr;
        PyRef pair = steal(PyTuple_Pack(2, address.get(), new_u64(bans[i].second).get()));
        if (!pair) return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), pair.release());  // steals the pair
    }
    return list.release();
}

PyObject* consume_nonce_rs(const BoundArguments<1>& arguments) {
    std::string_view nonce;
    if (!convert_utf8(arguments[0].get(), nonce)) return argument_error("nonce");
    const bool accepted =
        state_engine_slot().with_engine_write([nonce](StateEngine& engine) { return engine.consume_nonce(nonce); });
    return new_bool(accepted).release();
}

PyObject* is_ip_banned_rs(const BoundArguments<1>& arguments) {
    std::string_view ip;
    if (!convert_utf8(arguments[0].get(), ip)) return argument_error("ip");
    auto& slot = state_engine_slot();
    const std::uint64_t now = slot.clocks().unix_now_secs();  // before the lock
    const bool banned =
        slot.with_engine_read([ip, now](const StateEngine& engine) { return engine.is_banned(ip, now); });
    return new_bool(banned).release();
}

PyObject* ban_ip_rs(const BoundArguments<2>& arguments) {
    std::string_view ip;
    std::uint64_t duration_sec = 0;
    if (!convert_utf8(arguments[0].get(), ip)) return argument_error("ip");
    if (!convert_u64(arguments[1].get(), duration_sec)) return argument_error("duration_sec");
    auto& slot = state_engine_slot();
    const std::uint64_t now = slot.clocks().unix_now_secs();  // before the lock
    slot.with_engine_write([ip, now, duration_sec](StateEngine& engine) { engine.ban(ip, now, duration_sec); });
    return new_none();
}

PyObject* unban_ip_rs(const BoundArguments<1>& arguments) {
    std::string_view ip;
    if (!convert_utf8(arguments[0].get(), ip)) return argument_error("ip");
    state_engine_slot().with_engine_write([ip](StateEngine& engine) { engine.unban(ip); });
    return new_none();
}

PyObject* hydrate_bans_rs(const BoundArguments<1>& arguments) {
    BanList bans;
    if (!convert_ban_list(arguments[0].get(), bans)) return argument_error("bans");
    // The wall clock is read inside, under the lock: one `now` for every pair.
    state_engine_slot().with_engine_write([&bans](StateEngine& engine) { engine.hydrate(std::move(bans)); });
    return new_none();
}

PyObject* clear_state_engine_rs(const BoundArguments<0>&) {
    state_engine_slot().with_engine_write([](StateEngine& engine) { engine.clear(); });
    return new_none();
}

PyObject* get_state_engine_stats_rs(const BoundArguments<0>&) {
    const EngineStats stats =
        state_engine_slot().with_engine_read([](const StateEngine& engine) { return engine.stats(); });
    return DictBuilder()
        .add(VELMORA_KEY("current_bucket_nonces"), new_u64(stats.current_bucket_nonces))
        .add(VELMORA_KEY("previous_bucket_nonces"), new_u64(stats.previous_bucket_nonces))
        .add(VELMORA_KEY("active_ip_bans"), new_u64(stats.active_ip_bans))
        .finish();
}

}  // namespace velmora::py
