#include "keystrokes/lowercase.hpp"

namespace velmora::keystrokes {
namespace {

constexpr std::string_view kKelvinSign = "\xE2\x84\xAA";  // U+212A

}  // namespace

std::optional<char> single_byte_lowercase(std::string_view key_utf8) {
    if (key_utf8.size() == 1) {
        const auto byte = static_cast<unsigned char>(key_utf8[0]);
        if (byte >= 0x80) return std::nullopt;  // a lone lead or continuation byte
        if (byte >= 'A' && byte <= 'Z') return static_cast<char>(byte - 'A' + 'a');
        return key_utf8[0];
    }
    if (key_utf8 == kKelvinSign) return 'k';
    return std::nullopt;
}

}  // namespace velmora::keystrokes
