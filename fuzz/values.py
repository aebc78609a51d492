"""Python values built from fuzzer bytes: plain, extreme, hostile and NumPy-shaped.

Everything is bounded (sizes, nesting, iteration counts) so that one input stays
fast and small under the sanitizers; sizes beyond memory are the subject of
tests/extension/test_hostile_input.py, not of fuzzing.
"""

from __future__ import annotations

import array
import gc
import math
from collections.abc import Iterator
from typing import Any, Protocol

import numpy as np


class Provider(Protocol):
    """The part of atheris.FuzzedDataProvider used here."""

    def ConsumeIntInRange(self, low: int, high: int) -> int: ...
    def ConsumeInt(self, size: int) -> int: ...
    def ConsumeBool(self) -> bool: ...
    def ConsumeRegularFloat(self) -> float: ...
    def ConsumeUnicode(self, count: int) -> str: ...
    def ConsumeBytes(self, count: int) -> bytes: ...
    def remaining_bytes(self) -> int: ...


class HostileError(Exception):
    """Raised on purpose by the objects below; it must pass through unchanged or be discarded."""


TELEMETRY_KEYS = ["browser", "clicks", "scrolls", "keystrokes", "mouse_movements"]
BROWSER_KEYS = ["webdriver", "screen_width", "screen_height", "touch_supported", "max_touch_points", "plugins_length"]
MOVEMENT_KEYS = ["x", "y", "t", "r", "f"]
KEYSTROKE_KEYS = ["key", "t", "down", "time", "up", "duration_ms", "type"]
SPECIAL_FLOATS = [math.nan, math.inf, -math.inf, -0.0, 0.0, 5e-324, 1.7976931348623157e308, -1.0]
DTYPES = ["<f8", ">f8", "<f4", "<f2", "<i8", "<i1", "<u8", "?", "<c16", "O", "g", "M8[s]", "<U3"]


class Number:
    """A number by protocol only: __float__/__index__ that may raise or lie about their type."""

    def __init__(self, value: float, mode: int) -> None:
        self.value = value
        self.mode = mode

    def __float__(self) -> Any:
        if self.mode == 0:
            raise HostileError("__float__")
        if self.mode == 1:
            return "not a float"
        return self.value

    def __index__(self) -> Any:
        if self.mode == 0:
            raise HostileError("__index__")
        if self.mode == 1:
            return 1.5
        return int(self.value) if math.isfinite(self.value) else -1


class Mutator:
    """Changes a container it belongs to while being converted, then converts like a float."""

    def __init__(self, target: list[Any] | dict[Any, Any], value: float) -> None:
        self.target = target
        self.value = value

    def __float__(self) -> float:
        if isinstance(self.target, list):
            if len(self.target) < 64:
                self.target.extend([self] * 4)
            else:
                self.target.clear()
        else:
            self.target.clear()
        return self.value


class KeywordClearer:
    """Converts like `value` (float or int), but first clears the keyword dict of the call it
    is an argument of, found through the garbage collector: in `f(**{...})` that dict is the
    only owner of the other arguments. The freed memory is then refilled with lookalikes."""

    PARAMETERS = frozenset({"x", "y", "t", "x_obj", "y_obj", "t_obj", "ip", "duration_sec"})

    def __init__(self, value: float) -> None:
        self.value = value
        self.filler: list[Any] = []

    def clear_the_call(self) -> None:
        holders = gc.get_referrers(self)
        holders += [outer for inner in holders if type(inner) is list for outer in gc.get_referrers(inner)]
        for holder in holders:
            if type(holder) is dict and holder and set(holder) <= self.PARAMETERS:
                holder.clear()
        self.filler = [[9.0] * 8 for _ in range(16)] + ["9" * n for n in range(16)]

    def __float__(self) -> float:
        self.clear_the_call()
        return float(self.value)

    def __index__(self) -> int:
        self.clear_the_call()
        return int(self.value) if math.isfinite(self.value) else 0


class CollidingKey:
    """Hashes like a key the module looks up, then compares by raising or lying."""

    def __init__(self, text: str, mode: int) -> None:
        self.text = text
        self.mode = mode

    def __hash__(self) -> int:
        return hash(self.text)

    def __eq__(self, other: object) -> bool:
        if self.mode == 0:
            raise HostileError("__eq__")
        return self.mode == 1


class LyingSequence:
    """A sequence whose __len__ lies (or raises) and whose items may stop with an error."""

    def __init__(self, items: list[Any], claimed: int, fail_at: int) -> None:
        self.items = items
        self.claimed = claimed
        self.fail_at = fail_at

    def __len__(self) -> int:
        if self.claimed < 0:
            raise HostileError("__len__")
        return self.claimed

    def __getitem__(self, index: int) -> Any:
        if index == self.fail_at:
            raise HostileError("__getitem__")
        if index >= len(self.items):
            raise IndexError(index)
        return self.items[index]


class RaisingIterable(LyingSequence):
    """A sequence (by __getitem__) whose own iterator raises part way."""

    def __iter__(self) -> Iterator[Any]:
        for i, item in enumerate(self.items):
            if i == self.fail_at:
                raise HostileError("__iter__")
            yield item


class ShadowDict(dict[Any, Any]):
    """A dict subclass whose overridden lookups must never be consulted."""

    def __getitem__(self, key: Any) -> Any:
        raise HostileError("__getitem__")

    def __missing__(self, key: Any) -> Any:
        raise HostileError("__missing__")


class ShadowList(list[Any]):
    """A list subclass whose overridden protocols must not change what is read."""

    def __len__(self) -> int:
        raise HostileError("__len__")

    def __iter__(self) -> Iterator[Any]:
        raise HostileError("__iter__")


class Gen:
    """Builds values from one fuzzer input; `stateful` marks values that change when read."""

    def __init__(self, fdp: Provider) -> None:
        self.fdp = fdp
        self.stateful = False

    def size(self, small: int = 6, large: int = 400) -> int:
        if self.fdp.ConsumeIntInRange(0, 15) == 0:
            return self.fdp.ConsumeIntInRange(0, large)
        return self.fdp.ConsumeIntInRange(0, small)

    def float_(self) -> float:
        if self.fdp.ConsumeBool():
            return SPECIAL_FLOATS[self.fdp.ConsumeIntInRange(0, len(SPECIAL_FLOATS) - 1)]
        return self.fdp.ConsumeRegularFloat()

    def int_(self) -> int:
        choice = self.fdp.ConsumeIntInRange(0, 3)
        if choice == 0:
            return self.fdp.ConsumeInt(24)  # far beyond 64 bits, either sign
        if choice == 1:
            return [2**63 - 1, 2**63, 2**64 - 1, 2**64, -(2**63), -(2**63) - 1][self.fdp.ConsumeIntInRange(0, 5)]
        return self.fdp.ConsumeIntInRange(-5, 2000)

    def text(self) -> str:
        text = self.fdp.ConsumeUnicode(self.fdp.ConsumeIntInRange(0, 12))  # lone surrogates included
        if self.fdp.ConsumeIntInRange(0, 7) == 0:
            return text + "\udc80"
        return text

    def numeric(self) -> Any:
        """A value that should read as a number: mostly plain, sometimes by protocol or hostile."""
        choice = self.fdp.ConsumeIntInRange(0, 9)
        if choice <= 4:
            return self.float_()
        if choice == 5:
            return self.int_()
        if choice == 6:
            return self.fdp.ConsumeBool()
        if choice == 7:
            return Number(self.float_(), self.fdp.ConsumeIntInRange(0, 2))
        if choice == 8:
            return self.numpy_scalar()
        return self.value(0)

    def numpy_scalar(self) -> Any:
        choice = self.fdp.ConsumeIntInRange(0, 4)
        if choice == 0:
            return np.bool_(self.fdp.ConsumeBool())
        if choice == 1:
            return np.float32(self.float_())
        if choice == 2:
            return np.int64(self.fdp.ConsumeIntInRange(-(2**40), 2**40))
        if choice == 3:
            return np.complex128(self.float_(), self.float_())
        return np.float64(self.float_())

    def numpy_array(self) -> Any:
        n = self.size(8, 600)
        dtype = DTYPES[self.fdp.ConsumeIntInRange(0, len(DTYPES) - 1)]
        values = [self.float_() for _ in range(min(n, 16))]
        base = np.resize(np.array(values or [0.0], dtype="<f8"), n)
        arr: Any = base
        if dtype == "O":
            arr = np.empty(min(n, 16), dtype=object)
            for i in range(arr.size):
                arr[i] = self.numeric()
        else:
            try:
                with np.errstate(all="ignore"):
                    arr = base.astype(dtype)
            except (TypeError, ValueError):
                pass
        shape = self.fdp.ConsumeIntInRange(0, 7)
        if shape == 0:
            return arr[:: self.fdp.ConsumeIntInRange(1, 5)]
        if shape == 1:
            return arr[::-1]
        if shape == 2:
            return np.broadcast_to(arr[:1] if arr.size else np.float64(1.0), (self.size(16, 4096),))
        if shape == 3 and arr.size >= 4:
            return arr[: arr.size // 2 * 2].reshape(-1, 2)
        if shape == 4:
            raw = b"\0" + arr.astype("<f8").tobytes() if arr.dtype.kind in "fiub" else b"\0" * 9
            return np.frombuffer(raw, dtype="<f8", offset=1)  # unaligned, read-only
        if shape == 5:
            return np.asarray(arr[0] if arr.size else 0.0)  # zero-dimensional
        return arr

    def value(self, depth: int) -> Any:
        """Any value, nested up to `depth` levels."""
        choice = self.fdp.ConsumeIntInRange(0, 17 if depth > 0 else 10)
        if choice == 0:
            return None
        if choice == 1:
            return self.fdp.ConsumeBool()
        if choice == 2:
            return self.int_()
        if choice == 3:
            return self.float_()
        if choice == 4:
            return self.text()
        if choice == 5:
            return self.fdp.ConsumeBytes(self.fdp.ConsumeIntInRange(0, 12))
        if choice == 6:
            return Number(self.float_(), self.fdp.ConsumeIntInRange(0, 2))
        if choice == 7:
            return self.numpy_scalar()
        if choice == 8:
            return self.numpy_array()
        if choice == 9:
            return CollidingKey(self.text(), self.fdp.ConsumeIntInRange(0, 2))
        if choice == 10:
            return array.array("d", [self.float_() for _ in range(self.size())])
        if choice == 11:
            return [self.value(depth - 1) for _ in range(self.size())]
        if choice == 12:
            return tuple(self.value(depth - 1) for _ in range(self.size()))
        if choice == 13:
            return self.dict_of(KEYSTROKE_KEYS + MOVEMENT_KEYS + BROWSER_KEYS + TELEMETRY_KEYS, depth - 1)
        if choice == 14:
            items = [self.value(depth - 1) for _ in range(self.size())]
            cls = RaisingIterable if self.fdp.ConsumeBool() else LyingSequence
            claimed = self.fdp.ConsumeIntInRange(-1, 40) if self.fdp.ConsumeBool() else 2**62
            return cls(items, claimed, self.fdp.ConsumeIntInRange(0, 12))
        if choice == 15:
            shadow = ShadowDict(self.dict_of(MOVEMENT_KEYS + KEYSTROKE_KEYS, depth - 1))
            return shadow
        if choice == 16:
            return ShadowList(self.value(depth - 1) for _ in range(self.size()))
        self.stateful = True
        target: list[Any] = []
        target.extend(Mutator(target, self.float_()) for _ in range(self.size()))
        return target

    def dict_of(self, keys: list[str], depth: int, numeric: bool = False) -> dict[Any, Any]:
        """A dict of some of `keys` (and sometimes a stranger), values numeric-leaning or anything."""
        out: dict[Any, Any] = {}
        for _ in range(self.size(len(keys))):
            key: Any = keys[self.fdp.ConsumeIntInRange(0, len(keys) - 1)]
            pick = self.fdp.ConsumeIntInRange(0, 15)
            if pick == 0:
                key = CollidingKey(key, self.fdp.ConsumeIntInRange(0, 2))
            elif pick == 1:
                key = self.value(0)
                if not _hashable(key):
                    continue
            _put(out, key, self.numeric() if numeric and self.fdp.ConsumeIntInRange(0, 3) else self.value(depth))
        if self.fdp.ConsumeIntInRange(0, 31) == 0:
            self.stateful = True
            _put(out, "x", Mutator(out, self.float_()))
        return out

    def number_sequence(self) -> Any:
        """An argument for the float-vector conversion: mostly sequences of numbers."""
        choice = self.fdp.ConsumeIntInRange(0, 11)
        n = self.size(10, 400)
        if choice <= 3:
            return [self.numeric() if self.fdp.ConsumeIntInRange(0, 7) == 0 else self.float_() for _ in range(n)]
        if choice == 4:
            return tuple(self.float_() for _ in range(n))
        if choice == 5:
            return range(self.fdp.ConsumeIntInRange(-3, 40), self.fdp.ConsumeIntInRange(-3, 400))
        if choice == 6:
            return self.fdp.ConsumeBytes(n)
        if choice == 7:
            return array.array("d", [self.float_() for _ in range(n)])
        if choice <= 9:
            return self.numpy_array()
        return self.value(2)

    def movement(self) -> Any:
        if self.fdp.ConsumeIntInRange(0, 7) == 0:
            return self.value(1)
        return self.dict_of(MOVEMENT_KEYS, 0, numeric=True)

    def keystroke_record(self) -> Any:
        choice = self.fdp.ConsumeIntInRange(0, 5)
        if choice == 0:
            return self.value(1)
        if choice == 1:
            return (self.text() if self.fdp.ConsumeIntInRange(0, 3) else self.value(0), self.numeric(),
                    None if self.fdp.ConsumeBool() else self.numeric())
        record = self.dict_of(KEYSTROKE_KEYS, 0, numeric=True)
        if self.fdp.ConsumeBool():
            _put(record, "key", self.text())
        if self.fdp.ConsumeIntInRange(0, 7) == 0:
            _put(record, "type", "up")
        return record

    def telemetry(self) -> Any:
        if self.fdp.ConsumeIntInRange(0, 9) == 0:
            return self.value(2)
        out: dict[Any, Any] = ShadowDict() if self.fdp.ConsumeIntInRange(0, 9) == 0 else {}
        for key in TELEMETRY_KEYS:
            if not self.fdp.ConsumeIntInRange(0, 3):
                continue
            if key == "browser":
                out[key] = self.dict_of(BROWSER_KEYS, 0, numeric=True)
            elif key in ("clicks", "scrolls"):
                out[key] = [None] * self.size(5, 50) if self.fdp.ConsumeIntInRange(0, 3) else self.value(1)
            elif key == "keystrokes":
                out[key] = [self.keystroke_record() for _ in range(self.size(8, 200))]
            else:
                out[key] = self.movements()
        return out

    def movements(self) -> Any:
        if self.fdp.ConsumeIntInRange(0, 3) == 0:
            return [self.movement() for _ in range(self.size(12, 400))]
        # A plausible path: increasing times, small steps, so the spectral and curvature
        # stages run on most inputs.
        n = self.size(40, 400)
        x = y = t = 0.0
        path: list[Any] = []
        for _ in range(n):
            x += self.fdp.ConsumeIntInRange(-20, 20)
            y += self.fdp.ConsumeIntInRange(-20, 20)
            t += self.fdp.ConsumeIntInRange(0, 40)
            path.append({"x": x, "y": y, "t": t})
            if self.fdp.ConsumeIntInRange(0, 15) == 0:
                path[-1][MOVEMENT_KEYS[self.fdp.ConsumeIntInRange(0, 4)]] = self.numeric()
        return path


def _put(out: dict[Any, Any], key: Any, value: Any) -> None:
    """Inserts, unless a hostile key refuses to be compared with one already there."""
    try:
        out[key] = value
    except HostileError:
        pass


def _hashable(value: Any) -> bool:
    try:
        hash(value)
    except Exception:  # noqa: BLE001 (any failure means: not usable as a key)
        return False
    return True
