// Case folding for digraphs: only keys whose full Unicode lower-case form is one
// UTF-8 byte take part in digraph statistics.
#pragma once

#include <optional>
#include <string_view>

namespace velmora::keystrokes {

// The lower-case form of `key_utf8` when it is exactly one byte, else nothing.
//
// Under the full Unicode lower-case mapping a text of two or more code points
// stays at least two code points long, so only a single code point can qualify,
// and of all code points exactly these lower-case to a single byte: the ASCII
// characters (A-Z to a-z, the rest unchanged) and U+212A KELVIN SIGN, which
// lower-cases to 'k'. Everything else (named keys, "unknown", other non-ASCII
// text, malformed UTF-8) yields nothing.
std::optional<char> single_byte_lowercase(std::string_view key_utf8);

}  // namespace velmora::keystrokes
