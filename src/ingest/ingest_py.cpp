// velmora_core._native entries that read telemetry straight from JSON text.
//
// Each returns None for a document it leaves to json.loads (see ingest/json_document.hpp);
// the Python layer then parses it with json.loads and extracts from the object, so the
// result is always the one of extract_features_rs(json.loads(data)) (and of the behaviour
// features and the session row of that object). A document is parsed once per call, however
// many of its readings the call returns.
#include <string>
#include <string_view>

#include "binding/arguments_py.hpp"
#include "behaviour/behaviour_features.hpp"
#include "binding/function_registry_py.hpp"
#include "ingest/json_behaviour.hpp"
#include "ingest/json_document.hpp"
#include "ingest/json_telemetry.hpp"
#include "features/feature_dict_py.hpp"
#include "features/feature_record.hpp"
#include "forest/forest.hpp"
#include "native_module/native_entries.hpp"
#include "native_module/table_cache.hpp"
#include "session_row/session_row.hpp"
#include "session_row/session_row_py.hpp"
#include "strokes/strokes_py.hpp"
#include "binding/results_py.hpp"

namespace velmora::py {

namespace {

using ingest::JsonDocument;
using ingest::JsonKind;

// The UTF-8 text of a document, when json.loads would read it as UTF-8: a str without lone
// surrogates and without a leading byte order mark (json.loads refuses that in a str), or
// bytes, bytearray or a contiguous memoryview whose first bytes json.loads does not take for
// UTF-16 or UTF-32 (a UTF-8 byte order mark is skipped, as json.loads does).
class JsonText {
public:
    JsonText() = default;
    JsonText(const JsonText&) = delete;
    JsonText& operator=(const JsonText&) = delete;
    ~JsonText() {
        if (held_) PyBuffer_Release(&view_);
    }

    bool open(PyObject* data) {
        if (PyUnicode_Check(data)) {
            Py_ssize_t size = 0;
            const char* utf8 = PyUnicode_AsUTF8AndSize(data, &size);
            if (utf8 == nullptr) {
                PyErr_Clear();
                return false;
            }
            text_ = std::string_view(utf8, static_cast<std::size_t>(size));
            return !text_.starts_with("\xEF\xBB\xBF");
        }
        if (!PyBytes_Check(data) && !PyByteArray_Check(data) && !PyMemoryView_Check(data)) return false;
        if (PyObject_GetBuffer(data, &view_, PyBUF_SIMPLE) != 0) {
            PyErr_Clear();
            return false;
        }
        held_ = true;
        text_ = std::string_view(static_cast<const char*>(view_.buf), static_cast<std::size_t>(view_.len));
        // What json.loads would decode as UTF-16 or UTF-32 starts with a zero byte or one of
        // their byte order marks (FE FF, FF FE); valid UTF-8 JSON never does.
        if (!text_.empty()) {
            const auto first = static_cast<unsigned char>(text_[0]);
            if (first == 0x00 || first == 0xFE || first == 0xFF) return false;
            if (text_.size() >= 2 && text_[1] == '\0') return false;
        }
        if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
        return true;
    }
    std::string_view text() const { return text_; }

private:
    Py_buffer view_{};
    bool held_ = false;
    std::string_view text_;
};

// The parsed document, or false when it is left to json.loads.
bool parse_document(PyObject* data, JsonDocument& doc) {
    JsonText text;
    return text.open(data) && doc.parse(text.text());
}

// The feature dict of `telemetry`; *undecided when the reading leaves it to json.loads.
PyObject* features_of(yyjson_val* telemetry, bool& undecided) {
    features::ParsedTelemetry parsed;
    if (!ingest::read_telemetry(telemetry, parsed)) {
        undecided = true;
        return nullptr;
    }
    return new_feature_dict(features::build_feature_record(parsed, native_module::table_cache()));
}

const char* kind_name(JsonKind kind) {
    switch (kind) {
        case JsonKind::missing: return "missing";
        case JsonKind::null: return "null";
        case JsonKind::boolean: return "boolean";
        case JsonKind::number: return "number";
        case JsonKind::string: return "string";
        case JsonKind::array: return "array";
        case JsonKind::object: return "object";
    }
    return "missing";
}

// The Python value json.loads makes of `value`: dicts keep the first place of a repeated
// key with its last value, numbers beyond 64 bits are converted from their text as
// json.loads converts them. Nesting is bounded by the document's depth limit.
PyRef to_python(yyjson_val* value) {
    switch (unsafe_yyjson_get_tag(value)) {
        case YYJSON_TYPE_NULL | YYJSON_SUBTYPE_NONE:
            return borrow(Py_None);
        case YYJSON_TYPE_BOOL | YYJSON_SUBTYPE_TRUE:
            return borrow(Py_True);
        case YYJSON_TYPE_BOOL | YYJSON_SUBTYPE_FALSE:
            return borrow(Py_False);
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_UINT:
            return steal(PyLong_FromUnsignedLongLong(unsafe_yyjson_get_uint(value)));
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_SINT:
            return steal(PyLong_FromLongLong(unsafe_yyjson_get_sint(value)));
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_REAL:
            return steal(PyFloat_FromDouble(unsafe_yyjson_get_real(value)));
        case YYJSON_TYPE_RAW: {
            const std::string text(ingest::text_of(value));
            if (text.find_first_of(".eE") == std::string::npos)
                return steal(PyLong_FromString(text.c_str(), nullptr, 10));
            const PyRef str = steal(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
            return str ? steal(PyFloat_FromString(str.get())) : PyRef();
        }
        case YYJSON_TYPE_STR | YYJSON_SUBTYPE_NONE:
        case YYJSON_TYPE_STR | YYJSON_SUBTYPE_NOESC: {
            const std::string_view text = ingest::text_of(value);
            return steal(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr));
        }
        case YYJSON_TYPE_ARR | YYJSON_SUBTYPE_NONE: {
            const std::size_t count = unsafe_yyjson_get_len(value);
            PyRef list = steal(PyList_New(static_cast<Py_ssize_t>(count)));
            if (!list) return list;
            yyjson_val* item = unsafe_yyjson_get_first(value);
            for (std::size_t i = 0; i < count; ++i, item = unsafe_yyjson_get_next(item)) {
                PyRef converted = to_python(item);
                if (!converted) return PyRef();
                PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), converted.release());
            }
            return list;
        }
        case YYJSON_TYPE_OBJ | YYJSON_SUBTYPE_NONE: {
            PyRef dict = steal(PyDict_New());
            if (!dict) return dict;
            std::size_t index = 0, count = 0;
            yyjson_val *key = nullptr, *item = nullptr;
            yyjson_obj_foreach(value, index, count, key, item) {
                PyRef k = to_python(key);
                PyRef v = k ? to_python(item) : PyRef();
                if (!v || PyDict_SetItem(dict.get(), k.get(), v.get()) != 0) return PyRef();
            }
            return dict;
        }
        default:
            VELMORA_FATAL("unexpected JSON value type");
    }
}

// A member name must be a str or None.
bool member_name_ok(PyObject* name) {
    if (name == Py_None || PyUnicode_Check(name)) return true;
    PyErr_SetString(PyExc_TypeError, "member must be a str or None");
    return false;
}

// The telemetry value: the document, or its member `name` (null when there is none).
yyjson_val* telemetry_of(const JsonDocument& doc, PyObject* name) {
    if (name == Py_None) return doc.root();
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(name, &size);
    if (utf8 == nullptr) {  // a name with lone surrogates names no member of a valid UTF-8 document
        PyErr_Clear();
        return nullptr;
    }
    return ingest::member(doc.root(), std::string_view(utf8, static_cast<std::size_t>(size)));
}

PyObject* new_value_list(const behaviour::FeatureValues& values) {
    PyRef list = VELMORA_CREATED(PyList_New(static_cast<Py_ssize_t>(values.size())));
    for (std::size_t i = 0; i < values.size(); ++i)
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), new_float(values[i]).release());
    return list.release();
}

// The row of a telemetry object, from the one parsed document read by both readers; false
// when it is not an object or when either reading leaves it to json.loads.
bool row_of_json(yyjson_val* telemetry, session_row::Row& row) {
    if (ingest::kind_of(telemetry) != JsonKind::object) return false;
    features::ParsedTelemetry parsed;
    behaviour::BehaviourSession session;
    if (!ingest::read_telemetry(telemetry, parsed) || !ingest::read_behaviour_session(telemetry, session)) return false;
    row = session_row::session_row(parsed, session, native_module::table_cache());
    return true;
}

// session_json, and with `behaviour` session_parts_json: the document's kinds, the
// telemetry's feature dict (and behaviour values), the kept values; None when undecided.
PyObject* session_outcome(PyObject* data, PyObject* name, PyObject* keep, bool behaviour) {
    if (!member_name_ok(name)) return nullptr;
    if (!PyTuple_Check(keep)) {
        PyErr_SetString(PyExc_TypeError, "keep must be a tuple of str");
        return nullptr;
    }
    const Py_ssize_t kept_count = PyTuple_Size(keep);
    for (Py_ssize_t i = 0; i < kept_count; ++i) {
        if (!PyUnicode_Check(PyTuple_GetItem(keep, i))) {
            PyErr_SetString(PyExc_TypeError, "keep must be a tuple of str");
            return nullptr;
        }
    }

    JsonDocument doc;
    if (!parse_document(data, doc)) Py_RETURN_NONE;
    yyjson_val* telemetry = telemetry_of(doc, name);
    const JsonKind kind = ingest::kind_of(telemetry);
    PyRef features = borrow(Py_None);
    PyRef values = borrow(Py_None);
    if (kind == JsonKind::object) {
        features::ParsedTelemetry parsed;
        if (!ingest::read_telemetry(telemetry, parsed)) Py_RETURN_NONE;
        if (behaviour) {
            behaviour::BehaviourSession session;
            if (!ingest::read_behaviour_session(telemetry, session)) Py_RETURN_NONE;
            values = steal(new_value_list(behaviour::compute_behaviour_features(session)));
        }
        features = steal(new_feature_dict(features::build_feature_record(parsed, native_module::table_cache())));
        if (!features) return nullptr;
    }
    PyRef kept = steal(PyTuple_New(kept_count));
    if (!kept) return nullptr;
    for (Py_ssize_t i = 0; i < kept_count; ++i) {
        Py_ssize_t size = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(PyTuple_GetItem(keep, i), &size);
        if (utf8 == nullptr) PyErr_Clear();
        yyjson_val* value =
            utf8 == nullptr ? nullptr : ingest::member(doc.root(), std::string_view(utf8, static_cast<std::size_t>(size)));
        PyRef converted = value == nullptr ? borrow(Py_None) : to_python(value);
        if (!converted) return nullptr;
        PyTuple_SetItem(kept.get(), i, converted.release());
    }
    const char* document_kind = kind_name(ingest::kind_of(doc.root()));
    if (behaviour)
        return Py_BuildValue("(ssOOO)", document_kind, kind_name(kind), features.get(), values.get(), kept.get());
    return Py_BuildValue("(ssOO)", document_kind, kind_name(kind), features.get(), kept.get());
}

}  // namespace

PyObject* features_json(const BoundArguments<1>& arguments) {
    JsonDocument doc;
    if (!parse_document(arguments[0].get(), doc)) Py_RETURN_NONE;
    bool undecided = false;
    PyObject* features = features_of(doc.root(), undecided);
    if (undecided) Py_RETURN_NONE;
    return features;
}

PyObject* session_json(const BoundArguments<3>& arguments) {
    return session_outcome(arguments[0].get(), arguments[1].get(), arguments[2].get(), false);
}

PyObject* session_parts_json(const BoundArguments<3>& arguments) {
    return session_outcome(arguments[0].get(), arguments[1].get(), arguments[2].get(), true);
}

namespace {

// The behaviour session of the text's telemetry object (or its member): false when the
// native reader leaves the text to json.loads or the telemetry is not an object.
bool behaviour_session_json(const BoundArguments<2>& arguments, behaviour::BehaviourSession& session) {
    JsonDocument doc;
    if (!parse_document(arguments[0].get(), doc)) return false;
    yyjson_val* telemetry = telemetry_of(doc, arguments[1].get());
    return telemetry != nullptr && ingest::read_behaviour_session(telemetry, session);
}

}  // namespace

PyObject* behaviour_values_json(const BoundArguments<2>& arguments) {
    if (!member_name_ok(arguments[1].get())) return nullptr;
    behaviour::BehaviourSession session;
    if (!behaviour_session_json(arguments, session)) Py_RETURN_NONE;
    return new_value_list(behaviour::compute_behaviour_features(session));
}

PyObject* stroke_prints_json(const BoundArguments<2>& arguments) {
    if (!member_name_ok(arguments[1].get())) return nullptr;
    behaviour::BehaviourSession session;
    if (!behaviour_session_json(arguments, session)) Py_RETURN_NONE;
    return new_prints_result(strokes::session_prints(session.pointer, session.clicks));
}

PyObject* session_row_json(const BoundArguments<2>& arguments) {
    if (!member_name_ok(arguments[1].get())) return nullptr;
    JsonDocument doc;
    session_row::Row row;
    if (!parse_document(arguments[0].get(), doc) || !row_of_json(telemetry_of(doc, arguments[1].get()), row))
        Py_RETURN_NONE;
    return new_row_tuple(row);
}

PyObject* session_score_json(const BoundArguments<3>& arguments) {
    const forest::Forest* model = row_forest(arguments[0].get());
    if (model == nullptr || !member_name_ok(arguments[2].get())) return nullptr;
    JsonDocument doc;
    session_row::Row row;
    if (!parse_document(arguments[1].get(), doc) || !row_of_json(telemetry_of(doc, arguments[2].get()), row))
        Py_RETURN_NONE;
    return new_float(forest::score(*model, row)).release();
}

PyObject* set_table_budget(const BoundArguments<1>& arguments) {
    const std::size_t budget = PyLong_AsSize_t(arguments[0].get());
    if (budget == static_cast<std::size_t>(-1) && PyErr_Occurred() != nullptr) return nullptr;
    native_module::set_table_budget(budget);
    Py_RETURN_NONE;
}

PyObject* table_stats(const BoundArguments<0>&) {
    const features::TwiddleCacheStats s = native_module::table_cache().stats();
    return Py_BuildValue("{sKsKsKsKsKsK}", "budget", static_cast<unsigned long long>(native_module::table_budget()), "bytes",
                         static_cast<unsigned long long>(s.bytes), "tables", static_cast<unsigned long long>(s.tables),
                         "requests", static_cast<unsigned long long>(s.requests), "builds",
                         static_cast<unsigned long long>(s.builds), "not_cached",
                         static_cast<unsigned long long>(s.not_cached));
}

}  // namespace velmora::py
