// Reading single JSON values as the lenient dict readers read json.loads' objects.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include <yyjson.h>

namespace velmora::ingest {

// A number read as Python's float() reads json.loads' value: an int (converted with
// rounding to nearest), a float, or a bool; anything else is absent.
enum class Number : std::uint8_t { absent, present, undecided };

inline Number float_of(yyjson_val* value, double& out) {
    if (value == nullptr) return Number::absent;
    switch (unsafe_yyjson_get_tag(value)) {
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_REAL:
            out = unsafe_yyjson_get_real(value);
            return Number::present;
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_UINT:
            out = static_cast<double>(unsafe_yyjson_get_uint(value));
            return Number::present;
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_SINT:
            out = static_cast<double>(unsafe_yyjson_get_sint(value));
            return Number::present;
        case YYJSON_TYPE_BOOL | YYJSON_SUBTYPE_TRUE:
            out = 1.0;
            return Number::present;
        case YYJSON_TYPE_BOOL | YYJSON_SUBTYPE_FALSE:
            out = 0.0;
            return Number::present;
        case YYJSON_TYPE_RAW:  // an int beyond 64 bits or a float beyond a double's range
            return Number::undecided;
        default:
            return Number::absent;
    }
}

// A key press time: the first of the values of "t", "down" and "time" (in that order) that
// reads as a finite number. Absent when none does; undecided as soon as one before it is.
inline Number press_time(yyjson_val* t, yyjson_val* down, yyjson_val* time, double& out) {
    for (yyjson_val* value : {t, down, time}) {
        double v = 0.0;
        const Number n = float_of(value, v);
        if (n == Number::undecided) return n;
        if (n == Number::present && std::isfinite(v)) {
            out = v;
            return n;
        }
    }
    return Number::absent;
}

// An integer as PyLong_AsLongLong reads json.loads' value: an int within 64 signed bits, or
// a bool. Floats and larger ints (the text of numbers beyond 64 bits included) are absent.
inline bool int_of(yyjson_val* value, std::int64_t& out) {
    if (value == nullptr) return false;
    switch (unsafe_yyjson_get_tag(value)) {
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_SINT:
            out = unsafe_yyjson_get_sint(value);
            return true;
        case YYJSON_TYPE_NUM | YYJSON_SUBTYPE_UINT: {
            const std::uint64_t u = unsafe_yyjson_get_uint(value);
            if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
            out = static_cast<std::int64_t>(u);
            return true;
        }
        case YYJSON_TYPE_BOOL | YYJSON_SUBTYPE_TRUE:
            out = 1;
            return true;
        case YYJSON_TYPE_BOOL | YYJSON_SUBTYPE_FALSE:
            out = 0;
            return true;
        default:
            return false;
    }
}

// Exactly true or false.
inline bool bool_of(yyjson_val* value, bool& out) {
    if (value == nullptr || !unsafe_yyjson_is_bool(value)) return false;
    out = unsafe_yyjson_get_bool(value);
    return true;
}

// The members a record reader looks at, each the last of its name.
template <std::size_t N>
struct Members {
    yyjson_val* value[N] = {};

    Members(yyjson_val* object, const std::string_view (&names)[N]) {
        std::size_t index = 0, count = 0;
        yyjson_val *key = nullptr, *item = nullptr;
        yyjson_obj_foreach(object, index, count, key, item) {
            // Keys are short: compare the length first, then the bytes.
            const std::size_t length = unsafe_yyjson_get_len(key);
            for (std::size_t i = 0; i < N; ++i) {
                if (length == names[i].size() && std::memcmp(unsafe_yyjson_get_str(key), names[i].data(), length) == 0) {
                    value[i] = item;
                    break;
                }
            }
        }
    }
};

}  // namespace velmora::ingest
