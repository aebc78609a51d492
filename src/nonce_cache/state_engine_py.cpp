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

#include "arguments.hpp"
#include "conversions.hpp"
#include "entry_points.hpp"
#include "errors.hpp"
#include "native_module/native_entries.hpp"
#include "nonce_cache/engine_slot.hpp"
#include "py_ref.hpp"
#include "results.hpp"

namespace velmora::py {
namespace {

using nonce_cache::EngineStats;
using nonce_cache::StateEngine;
using nonce_cache::state_engine_slot;
using BanList = std::vector<nonce_cache::BanEntry>;

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

// (name, value) of the single-value conversions; `name` is the parameter named in errors.
bool bind_named_value(const Signature<2>& signature, PyObject* args, PyObject* kwargs, const char*& name,
                      PyObject*& value) {
    std::array<PyObject*, 2> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return false;
    std::string_view text;
    if (!convert_utf8(slots[0], text)) {
        argument_error("name");
        return false;
    }
    name = PyUnicode_AsUTF8AndSize(slots[0], nullptr);  // NUL-terminated, cached by the str
    if (name == nullptr) return false;
    value = slots[1];
    return true;
}

}  // namespace

PyObject* state_text_argument(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<2> signature{"state_text_argument", {"name", "value"}};
    const char* name = nullptr;
    PyObject* value = nullptr;
    if (!bind_named_value(signature, args, kwargs, name, value)) return nullptr;
    std::string_view text;
    if (!convert_utf8(value, text)) return argument_error(name);
    return new_bytes(text);
}

PyObject* state_u64_argument(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<2> signature{"state_u64_argument", {"name", "value"}};
    const char* name = nullptr;
    PyObject* value = nullptr;
    if (!bind_named_value(signature, args, kwargs, name, value)) return nullptr;
    std::uint64_t number = 0;
    if (!convert_u64(value, number)) return argument_error(name);
    return new_u64(number).release();
}

PyObject* state_bans_argument(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"state_bans_argument", {"bans"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    BanList bans;
    if (!convert_ban_list(slots[0], bans)) return argument_error("bans");
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

PyObject* consume_nonce_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"consume_nonce_rs", {"nonce"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view nonce;
    if (!convert_utf8(slots[0], nonce)) return argument_error("nonce");
    const bool accepted =
        state_engine_slot().with_engine_write([nonce](StateEngine& engine) { return engine.consume_nonce(nonce); });
    return new_bool(accepted).release();
}

PyObject* is_ip_banned_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"is_ip_banned_rs", {"ip"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view ip;
    if (!convert_utf8(slots[0], ip)) return argument_error("ip");
    auto& slot = state_engine_slot();
    const std::uint64_t now = slot.clocks().unix_now_secs();  // before the lock
    const bool banned =
        slot.with_engine_read([ip, now](const StateEngine& engine) { return engine.is_banned(ip, now); });
    return new_bool(banned).release();
}

PyObject* ban_ip_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<2> signature{"ban_ip_rs", {"ip", "duration_sec"}};
    std::array<PyObject*, 2> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view ip;
    std::uint64_t duration_sec = 0;
    if (!convert_utf8(slots[0], ip)) return argument_error("ip");
    if (!convert_u64(slots[1], duration_sec)) return argument_error("duration_sec");
    auto& slot = state_engine_slot();
    const std::uint64_t now = slot.clocks().unix_now_secs();  // before the lock
    slot.with_engine_write([ip, now, duration_sec](StateEngine& engine) { engine.ban(ip, now, duration_sec); });
    return new_none();
}

PyObject* unban_ip_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"unban_ip_rs", {"ip"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    std::string_view ip;
    if (!convert_utf8(slots[0], ip)) return argument_error("ip");
    state_engine_slot().with_engine_write([ip](StateEngine& engine) { engine.unban(ip); });
    return new_none();
}

PyObject* hydrate_bans_rs(PyObject*, PyObject* args, PyObject* kwargs) {
    static constexpr Signature<1> signature{"hydrate_bans_rs", {"bans"}};
    std::array<PyObject*, 1> slots;
    if (!bind_arguments(signature, args, kwargs, slots)) return nullptr;
    BanList bans;
    if (!convert_ban_list(slots[0], bans)) return argument_error("bans");
    // The wall clock is read inside, under the lock: one `now` for every pair.
    state_engine_slot().with_engine_write([&bans](StateEngine& engine) { engine.hydrate(std::move(bans)); });
    return new_none();
}

PyObject* clear_state_engine_rs(PyObject*, PyObject*) {
    state_engine_slot().with_engine_write([](StateEngine& engine) { engine.clear(); });
    return new_none();
}

PyObject* get_state_engine_stats_rs(PyObject*, PyObject*) {
    const EngineStats stats =
        state_engine_slot().with_engine_read([](const StateEngine& engine) { return engine.stats(); });
    return DictBuilder()
        .add(VELMORA_KEY("current_bucket_nonces"), new_u64(stats.current_bucket_nonces))
        .add(VELMORA_KEY("previous_bucket_nonces"), new_u64(stats.previous_bucket_nonces))
        .add(VELMORA_KEY("active_ip_bans"), new_u64(stats.active_ip_bans))
        .finish();
}

}  // namespace velmora::py
