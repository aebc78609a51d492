#include "keystrokes/keystroke_record_py.hpp"

#include <cmath>
#include <string_view>

#include "binding/lenient_readers_py.hpp"

namespace velmora::py {
namespace {

using keystrokes::KeystrokeEvent;

// A plain record's values, read in one pass.
struct ScannedFields {
    const RecordValues& values;
    bool number(Field field, double& out) const { return values.get(field, out); }
    PyRef text(Field field) const { return borrow(values.text_of(field)); }
};

// Any other dict, one lookup (and conversion) per field, only as far as needed.
struct LookedUpFields {
    PyObject* dict;
    bool number(Field field, double& out) const { return float_at(dict, field_key(field), out); }
    PyRef text(Field field) const { return dict_get(dict, field_key(field)); }
};

bool is_release(PyObject* type) {
    return type != nullptr && PyUnicode_Check(type) && PyUnicode_EqualToUTF8AndSize(type, "up", 2) == 1;
}

template <class Fields>
std::optional<KeystrokeEvent> read_fields(const Fields& fields, const KeystrokeDictReading& how) {
    if (how.skip_releases && is_release(fields.text(Field::type).get())) return std::nullopt;

    double down = 0.0;
    bool found = false;
    for (Field key : how.down_keys)
        if (fields.number(key, down) && std::isfinite(down)) {
            found = true;
            break;
        }
    if (!found) return std::nullopt;

    KeystrokeEvent event{"unknown", down, std::nullopt};
    if (const PyRef key = fields.text(Field::key)) {
        if (const std::optional<std::string_view> text = read_utf8(key.get())) event.key.assign(*text);
    }
    double up = 0.0, duration = 0.0;
    if (fields.number(Field::up, up)) {
        event.up = up;
    } else if (fields.number(Field::duration_ms, duration)) {
        event.up = down + duration;
    }
    return event;
}

}  // namespace

std::optional<KeystrokeEvent> read_keystroke_dict(PyObject* record, RecordScanner& scanner,
                                                  const KeystrokeDictReading& how) {
    if (RecordValues values; scanner.scan(record, values)) return read_fields(ScannedFields{values}, how);
    if (PyDict_Check(record)) return read_fields(LookedUpFields{record}, how);
    return std::nullopt;
}

}  // namespace velmora::py
