"""Argument conversions with the same outcomes as the extension's state functions.

The native module converts with the very code the ``*_rs`` functions use, so every
refusal raises the same exception type with the same text, and it happens before a
shared engine contacts its store: a bad argument sends nothing. A ``TypeError`` of
exactly that type gets the "argument '{name}': " prefix; every other exception passes
through unchanged.
"""

from collections.abc import Callable
from typing import Final, TypeVar

from velmora_core import _native

U64_MAX: Final = 2**64 - 1

T = TypeVar("T")


def utf8(name: str, obj: object) -> bytes:
    """A str (or subclass) as its UTF-8 bytes; lone surrogates raise UnicodeEncodeError."""
    return _native.state_text_argument(name, obj)


def u64(name: str, obj: object) -> int:
    """An int (bool included) or an object with __index__, in [0, 2**64 - 1]."""
    return _native.state_u64_argument(name, obj)


def ban_list(_name: str, obj: object) -> list[tuple[bytes, int]]:
    """Every (address, absolute expiry) pair, in order; the first bad one raises. Refusals
    name the argument 'bans', as hydrate_bans_rs does."""
    return _native.state_bans_argument(obj)


def argument(name: str, convert: Callable[[str, object], T], value: object) -> T:
    """``convert(value)``, a refusal named after the argument as the extension names it."""
    return convert(name, value)
