"""Telemetry JSON documents for comparing the native JSON reader with json.loads.

Documents are written as text, so that every spelling json.loads takes can appear: NaN
and Infinity, integers of any size, exponents, -0, escaped keys, lone surrogates, repeated
keys, odd whitespace, values of the wrong type under every key the reader looks at, deep
nesting, other encodings, and broken texts. `reference` and `native` give comparable
outcomes; `differences` runs many seeds.
"""

from __future__ import annotations

import json
import math
import random
import struct
from typing import Any

import velmora_core_rs as core

from velmora_core import behaviour, behaviour_features_json, extract_features_json

NUMBER_KEYS = ["x", "y", "t", "r", "f", "down", "time", "up", "duration_ms"]
BROWSER_KEYS = ["webdriver", "screen_width", "screen_height", "touch_supported", "max_touch_points",
                "plugins_length"]
HARD_NUMBERS = ["-0", "-0.0", "0e5", "1e400", "-1e400", "1e-400", "4.9e-324", "2.2250738585072011e-308",
                "9007199254740993", "9223372036854775807", "9223372036854775808", "18446744073709551615",
                "18446744073709551616", "-9223372036854775808", "-9223372036854775809", "1" * 400, "1" * 700,
                "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977"
                "587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845"
                "817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559"
                "699508093042880177904174497792", "0.1000000000000000055511151231257827021181583404541015625",
                "NaN", "Infinity", "-Infinity", "1E5", "1e+2", "123.456e-7"]
# Those the native reader decides itself (the others go through json.loads where read).
PLAIN_HARD_NUMBERS = [n for n in HARD_NUMBERS if n not in ("NaN", "Infinity", "-Infinity", "1e400", "-1e400")
                      and not (n.isdigit() and int(n) >= 2**64) and n != "-9223372036854775809"]
ODD_VALUES = ["null", "true", "false", '"12"', "[]", "{}", "[1, 2]", '{"x": 1}', '""']
KEY_TEXTS = ["a", "Shift", "\\u00e9", "\\ud83d\\ude00", "\\ud800", "\\udc00x", "é", "日本", "\\u0000", "\\n", ""]


class Writer:
    """One document's text, drawn from a seeded generator."""

    def __init__(self, rng: random.Random) -> None:
        self.rng = rng
        # Most documents hold only what the native reader decides; the others anything.
        self.hard_numbers = HARD_NUMBERS if rng.random() < 0.3 else PLAIN_HARD_NUMBERS
        # One whitespace style per document: most have none.
        self.gap = rng.choice(["", " ", "\n", "\t ", "\r\n"]) if rng.random() < 0.2 else ""

    def chance(self, p: float) -> bool:
        return self.rng.random() < p

    def space(self) -> str:
        return self.gap

    def key(self, name: str) -> str:
        if self.chance(0.03) and name:  # the same key, spelt with an escape
            return '"\\u%04x%s"' % (ord(name[0]), name[1:])
        return json.dumps(name)

    def number(self) -> str:
        rng = self.rng
        pick = rng.random()
        if pick < 0.55:
            return repr(round(rng.uniform(-50, 2000), rng.randint(0, 6)))
        if pick < 0.75:
            return str(rng.randint(-10, 5000))
        if pick < 0.85:
            bits = struct.unpack("<d", rng.getrandbits(64).to_bytes(8, "little"))[0]
            return repr(bits) if math.isfinite(bits) else rng.choice(self.hard_numbers)
        return rng.choice(self.hard_numbers)

    def value(self, depth: int = 0) -> str:
        """Mostly a number; sometimes anything."""
        if self.chance(0.9):
            return self.number()
        if depth < 3 and self.chance(0.2):
            return "[" + ", ".join(self.value(depth + 1) for _ in range(self.rng.randint(0, 3))) + "]"
        return self.rng.choice(ODD_VALUES)

    def obj(self, members: list[tuple[str, str]]) -> str:
        if self.chance(0.05) and members:  # a repeated key: the last one counts
            members.append((members[self.rng.randrange(len(members))][0], self.value()))
        self.rng.shuffle(members)
        s = self.space
        return "{" + s() + ("," + s()).join(f"{self.key(k)}{s()}:{s()}{v}" for k, v in members) + s() + "}"

    def record(self, keys: list[str], t: float) -> str:
        members = []
        for k in keys:
            if k != "key" and self.chance(0.93):
                members.append((k, repr(t) if k in ("t", "down") and self.chance(0.8) else self.value()))
        if "key" in keys and self.chance(0.9):
            texts = KEY_TEXTS if self.hard_numbers is HARD_NUMBERS else KEY_TEXTS[:4] + KEY_TEXTS[6:]
            text = self.rng.choice(texts) if self.chance(0.3) else chr(self.rng.randint(97, 122))
            members.append(("key", f'"{text}"' if self.chance(0.95) else self.value()))
        if self.chance(0.05):
            members.append(("other", self.value()))
        return self.obj(members)

    def array(self, items: list[str]) -> str:
        return "[" + ("," + self.space()).join(items) + "]"

    def telemetry(self) -> str:
        rng = self.rng
        members: list[tuple[str, str]] = []
        if self.chance(0.8):
            browser = [(k, rng.choice(["true", "false", self.value()])) for k in BROWSER_KEYS if self.chance(0.85)]
            members.append(("browser", self.obj(browser) if self.chance(0.95) else self.value()))
        for name in ("clicks", "scrolls"):
            if self.chance(0.7):
                members.append((name, self.array([self.value() for _ in range(rng.randint(0, 4))])
                                if self.chance(0.9) else self.value()))
        if self.chance(0.7):
            t, items = rng.uniform(0, 1e5), []
            for _ in range(rng.randint(0, 8) if self.chance(0.98) else 170):
                t += rng.uniform(20, 300)
                items.append(self.record(["t", "down", "time", "up", "duration_ms", "key"], t)
                             if self.chance(0.95) else self.value())
            members.append(("keystrokes", self.array(items)))
        if self.chance(0.85):
            t, items = rng.uniform(0, 1e5), []
            for _ in range(rng.randint(0, 14) if self.chance(0.9) else rng.randint(15, 320)):
                t += rng.uniform(0, 30)
                items.append(self.record(["x", "y", "t", "r", "f"], t) if self.chance(0.97) else self.value())
            members.append(("mouse_movements", self.array(items)))
        if self.chance(0.05):
            depth = rng.choice([5, 998, 999, 1000, 1001, 3000, 20000])
            members.append(("deep", "[" * depth + "]" * depth))
        return self.obj(members)

    def document(self) -> str:
        if self.chance(0.03):
            return self.rng.choice(["[1, 2]", '"text"', "3", "null", "true", " ", ""])
        return self.space() + self.telemetry() + self.space()


def data_for(rng: random.Random, text: str) -> bytes | bytearray | memoryview | str:
    """The document as one of the input types, mostly UTF-8 bytes, sometimes broken."""
    pick = rng.random()
    if pick < 0.02:
        cut = rng.randrange(len(text) + 1)
        return text[:cut].encode("utf-8", "surrogatepass")
    if pick < 0.04 and text:
        raw = bytearray(text.encode("utf-8", "surrogatepass"))
        raw[rng.randrange(len(raw))] = rng.randrange(256)
        return bytes(raw)
    if pick < 0.06:
        return text.encode(rng.choice(["utf-16", "utf-16-le", "utf-16-be", "utf-32", "utf-32-le", "utf-8-sig"]),
                           "surrogatepass")
    if pick < 0.12:
        return text
    if pick < 0.14:
        return bytearray(text.encode("utf-8", "surrogatepass"))
    if pick < 0.16:
        return memoryview(text.encode("utf-8", "surrogatepass"))
    return text.encode("utf-8", "surrogatepass")


def outcome_bits(record: dict[str, Any]) -> list[tuple[str, type, Any]]:
    """The record as key, type and value, floats by their bits (NaN payloads included)."""
    return [(k, type(v), struct.pack("<d", v) if type(v) is float else v) for k, v in record.items()]


def reference(data: bytes | bytearray | memoryview | str, extract: Any = core.extract_features_rs) -> Any:
    source = data.tobytes() if isinstance(data, memoryview) else data
    try:
        parsed = json.loads(source)
    except (ValueError, RecursionError):
        return "refused"
    return outcome_bits(extract(parsed))


def native(data: bytes | bytearray | memoryview | str, extract: Any = extract_features_json) -> Any:
    try:
        return outcome_bits(extract(data))
    except json.JSONDecodeError:
        return "refused"


# The behaviour features: the same comparison.
BEHAVIOUR = (behaviour.behaviour_features, behaviour_features_json)


def differences(first_seed: int, count: int, behaviour_features: bool = False) -> list[int]:
    """Seeds whose document gives another outcome natively than through json.loads."""
    by_dict, by_text = BEHAVIOUR if behaviour_features else (core.extract_features_rs, extract_features_json)
    found = []
    for seed in range(first_seed, first_seed + count):
        rng = random.Random(seed)
        data = data_for(rng, Writer(rng).document())
        if native(data, by_text) != reference(data, by_dict):
            found.append(seed)
    return found
