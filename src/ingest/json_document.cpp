#include "ingest/json_document.hpp"

#include <cstring>

namespace velmora::ingest {

namespace {

// Strict JSON; numbers beyond 64-bit integers and finite doubles come as their text,
// whose Python value (a long int, or a float overflowing to infinity) is decided per use.
constexpr yyjson_read_flag kReadFlags = YYJSON_READ_BIGNUM_AS_RAW;

// The values of a parsed document lie in one array in document order, each container
// followed by its contents; one pass over it finds the nesting depth and the long numbers.
bool within_limits(yyjson_doc* doc) {
    yyjson_val* value = yyjson_doc_get_root(doc);
    yyjson_val* const end = value + yyjson_doc_get_val_count(doc);
    yyjson_val* open[kMaxDepth];  // where each enclosing container ends
    std::size_t depth = 0;
    for (; value < end; ++value) {
        while (depth > 0 && value >= open[depth - 1]) --depth;
        switch (unsafe_yyjson_get_type(value)) {
            case YYJSON_TYPE_ARR:
            case YYJSON_TYPE_OBJ:
                if (depth == kMaxDepth) return false;
                open[depth++] = unsafe_yyjson_get_next(value);
                break;
            case YYJSON_TYPE_RAW:
                if (unsafe_yyjson_get_len(value) > kMaxRawNumberLength) return false;
                break;
            default:
                break;
        }
    }
    return true;
}

}  // namespace

JsonDocument::~JsonDocument() { yyjson_doc_free(doc_); }

bool JsonDocument::parse(std::string_view text) {
    yyjson_doc_free(doc_);
    doc_ = nullptr;
    if (text.empty()) return false;
    yyjson_read_err error;
    yyjson_doc* doc = yyjson_read_opts(const_cast<char*>(text.data()), text.size(), kReadFlags, nullptr, &error);
    if (doc == nullptr) return false;
    if (!within_limits(doc)) {
        yyjson_doc_free(doc);
        return false;
    }
    doc_ = doc;
    return true;
}

JsonKind kind_of(yyjson_val* value) {
    if (value == nullptr) return JsonKind::missing;
    switch (unsafe_yyjson_get_type(value)) {
        case YYJSON_TYPE_NULL:
            return JsonKind::null;
        case YYJSON_TYPE_BOOL:
            return JsonKind::boolean;
        case YYJSON_TYPE_STR:
            return JsonKind::string;
        case YYJSON_TYPE_ARR:
            return JsonKind::array;
        case YYJSON_TYPE_OBJ:
            return JsonKind::object;
        default:  // numbers, and the text of the ones beyond 64 bits
            return JsonKind::number;
    }
}

yyjson_val* member(yyjson_val* object, std::string_view name) {
    if (!yyjson_is_obj(object)) return nullptr;
    yyjson_val* found = nullptr;
    std::size_t index = 0, count = 0;
    yyjson_val *key = nullptr, *value = nullptr;
    yyjson_obj_foreach(object, index, count, key, value) {
        if (unsafe_yyjson_get_len(key) == name.size() &&
            std::memcmp(unsafe_yyjson_get_str(key), name.data(), name.size()) == 0)
            found = value;
    }
    return found;
}

}  // namespace velmora::ingest
