// One JSON document parsed for reading telemetry straight from its text.
//
// The reading must give what Python's json.loads would give, so a document is only taken
// here when every value in it has a Python value this code can decide exactly; for anything
// else (a text the strict parser refuses, NaN and Infinity, lone surrogate escapes, other
// encodings, nesting deep enough to reach json.loads's recursion limit, integer literals
// long enough to reach Python's digit limit) parse() says no and the caller asks json.loads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <yyjson.h>

namespace velmora::ingest {

// Deeper documents are left to json.loads, which may refuse them (RecursionError).
inline constexpr std::size_t kMaxDepth = 1000;
// Longer number literals outside 64 bits are left to json.loads: Python refuses integer
// literals of more than sys.get_int_max_str_digits() digits (at least 640).
inline constexpr std::size_t kMaxRawNumberLength = 600;

// The kinds json.loads makes of a value, plus "missing" for an absent member.
enum class JsonKind : std::uint8_t { missing, null, boolean, number, string, array, object };
JsonKind kind_of(yyjson_val* value);  // null: missing

class JsonDocument {
public:
    JsonDocument() = default;
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;
    ~JsonDocument();

    // `text` is UTF-8 without a byte order mark. False when the document must be left to
    // json.loads (see the top of this file); the document is then empty.
    bool parse(std::string_view text);
    yyjson_val* root() const { return yyjson_doc_get_root(doc_); }

private:
    yyjson_doc* doc_ = nullptr;
};

// The member `name` of `object` (the last one when the name repeats, as in a dict built
// from the document), or null when `object` is not an object or has no such member.
yyjson_val* member(yyjson_val* object, std::string_view name);

inline std::string_view text_of(yyjson_val* string) {
    return {unsafe_yyjson_get_str(string), unsafe_yyjson_get_len(string)};
}

}  // namespace velmora::ingest
