// Telemetry read straight from JSON text: the conversions of the dict reader, and the
// documents left to json.loads.
#define CHECK_MAIN
#include "check.hpp"

#include <cmath>
#include <string>

#include "ingest/json_document.hpp"
#include "ingest/json_telemetry.hpp"

using namespace velmora;

namespace {

// The parsed telemetry of `text`; *decided false when the document is left to json.loads.
features::ParsedTelemetry read(const std::string& text, bool& decided) {
    features::ParsedTelemetry parsed;
    ingest::JsonDocument doc;
    decided = doc.parse(text) && ingest::read_telemetry(doc.root(), parsed);
    return parsed;
}

features::ParsedTelemetry read(const std::string& text) {
    bool decided = false;
    features::ParsedTelemetry parsed = read(text, decided);
    CHECK(decided);
    return parsed;
}

bool decided(const std::string& text) {
    bool decided = false;
    read(text, decided);
    return decided;
}

}  // namespace

TEST_CASE("numbers read as float() reads json.loads' values; the last repeated key counts") {
    const auto p = read(R"({"mouse_movements": [{"x": 1, "y": true, "t": -0, "r": "2", "f": 0.5},
                             {"x": 1, "y": 2}, {"x": 1, "y": 2, "t": 3, "t": null}, 7],
                             "clicks": [1, 2], "clicks": [3], "scrolls": {}})");
    CHECK_EQ(p.points.size(), std::size_t{1});
    CHECK_BITS(p.points[0].y, 1.0);
    CHECK_BITS(p.points[0].t, 0.0);  // "-0" is the int 0: +0.0
    CHECK_BITS(p.points[0].r, 0.0);  // a string is no number
    CHECK_BITS(p.points[0].f, 0.5);
    CHECK_EQ(p.click_count, std::uint64_t{1});
    CHECK_EQ(p.scroll_count, std::uint64_t{0});
}

TEST_CASE("browser facts: ints within 64 bits, exact booleans, missing keys as 0") {
    const auto p = read(R"({"browser": {"webdriver": 1, "touch_supported": true, "screen_width": -0.0,
                             "max_touch_points": 9223372036854775808, "plugins_length": false}})");
    CHECK(!p.browser.webdriver);
    CHECK(p.browser.touch_supported);
    CHECK(std::signbit(p.browser.screen_width));
    CHECK(!p.browser.screen_valid);
    CHECK_EQ(p.browser.max_touch_points, std::int64_t{0});
    CHECK_EQ(p.browser.plugins_length, std::int64_t{0});
}

TEST_CASE("keystrokes: first finite down time, up or down + duration, text keys, 150 items") {
    std::string items;
    for (int i = 0; i < 200; ++i) items += std::string(i ? "," : "") + R"({"key": "\u00e9", "down": 1, "duration_ms": 2})";
    const auto p = read(R"({"keystrokes": [)" + items + "]}");
    CHECK_EQ(p.events.size(), std::size_t{150});
    CHECK_EQ(p.events[0].key, std::string("\xC3\xA9"));
    CHECK_BITS(*p.events[0].up, 3.0);
    const auto q = read(R"({"keystrokes": [{"t": 1e308, "time": 4, "key": 5, "up": 1e-400}, {"t": "1"}]})");
    CHECK_EQ(q.events.size(), std::size_t{1});
    CHECK_BITS(q.events[0].down, 1e308);
    CHECK_EQ(q.events[0].key, std::string("unknown"));
    CHECK_BITS(*q.events[0].up, 0.0);
}

TEST_CASE("documents left to json.loads") {
    CHECK(!decided(R"({"a": NaN})"));
    CHECK(!decided(R"({"a": "\ud800"})"));
    CHECK(!decided("{\"a\": \"\xED\xA0\x80\"}"));  // a surrogate in UTF-8 form
    CHECK(!decided(""));
    CHECK(!decided("{} x"));
    CHECK(!decided(R"({"mouse_movements": [{"x": 1e400, "y": 0, "t": 0}]})"));
    CHECK(!decided(R"({"browser": {"screen_width": 123456789012345678901234567890}})"));
    CHECK(decided(R"({"other": 1e400, "browser": {"plugins_length": 123456789012345678901234567890}})"));
    CHECK(!decided(R"({"other": )" + std::string(601, '1') + "}"));
    const auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    CHECK(decided(nested(ingest::kMaxDepth)));
    CHECK(!decided(nested(ingest::kMaxDepth + 1)));
    CHECK(!decided(nested(100000)));
}
