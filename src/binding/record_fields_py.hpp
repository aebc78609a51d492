// Reading a plain record dict (a movement sample, a keystroke record) in one pass over
// its items instead of one hashed lookup per field.
//
// The pass is taken only when it cannot be told apart from the lookups: the record is
// exactly a dict, every key is exactly a str (so comparing keys runs no code of the
// client's), every value under a field that is read as a number is exactly a float or an
// int, and every value under a text field ("key", "type") is exactly a str or no str at
// all (so reading them runs no code either). An int too large for a double is unreadable,
// as float() of it fails. Any other record is read by lookups as before, so conversion
// order and the side effects of user objects stay as they were.
#pragma once

#include <Python.h>

#include <array>
#include <cstdint>

#include "binding/pyref_py.hpp"

namespace velmora::py {

// Every field the record readers look at. The numeric ones come first.
enum class Field : std::uint8_t { x, y, t, r, f, down, time, up, duration_ms, key, type };
inline constexpr std::size_t kFieldCount = 11;
inline constexpr std::size_t kNumericFields = 9;

// The process-wide interned key object of a field's name.
PyObject* field_key(Field field);

// The fields of one record as the lenient readers would have read them.
struct RecordValues {
    std::array<double, kNumericFields> number;  // meaningful only where numbers_present says so
    std::uint16_t numbers_present = 0;  // bit i: number[i] was read (key present, conversion succeeded)
    std::array<PyRef, kFieldCount - kNumericFields> text;  // the value under "key" / "type", if any

    bool has(Field field) const { return (numbers_present >> static_cast<unsigned>(field)) & 1u; }
    // The float reader's result for a numeric field: false when absent or unreadable.
    bool get(Field field, double& out) const {
        if (!has(field)) return false;
        out = number[static_cast<std::size_t>(field)];
        return true;
    }
    PyObject* text_of(Field field) const { return text[static_cast<std::size_t>(field) - kNumericFields].get(); }
};

// One per call: remembers which field each key object names, so that the key strings of a
// JSON decoder (equal to the field names but not the same objects) are compared by text
// once per call, not once per record. Holds references to the keys it remembers.
class RecordScanner {
public:
    RecordScanner() = default;
    RecordScanner(const RecordScanner&) = delete;
    RecordScanner& operator=(const RecordScanner&) = delete;
    ~RecordScanner();

    // Fills `values` and returns true when `record` qualifies for the one-pass read (see
    // the top of this file); otherwise returns false, and `record` must be read by lookups.
    bool scan(PyObject* record, RecordValues& values);

private:
    static constexpr std::int8_t kUnknownKey = -1;
    static constexpr std::int8_t kNotPlainKey = -2;
    // Two ways per set, so that a few keys that meet in one set do not evict each other on
    // every record; a miss costs one classification (address, then text compare).
    static constexpr unsigned kSetBits = 5;

    // The field `key` names; remembered per key object, so that the common case is one compare.
    std::int8_t field_of(PyObject* key) {
        const Slot* set = memo_[set_of(key)];
        if (set[0].key == key) return set[0].field;  // only exact str keys are remembered
        if (set[1].key == key) return set[1].field;
        return classify(key);
    }
    static std::size_t set_of(PyObject* key) {
        const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key) >> 4);
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> (64 - kSetBits));
    }
    std::int8_t classify(PyObject* key);

    struct Slot {
        PyObject* key = nullptr;
        std::int8_t field = kUnknownKey;
    };
    Slot memo_[std::size_t{1} << kSetBits][2] = {};
};

}  // namespace velmora::py
