"""Argument conversions with the same outcomes as the extension's state functions.

Every refusal raises the same exception type with the same text as the matching
``*_rs`` function, and it happens before a shared engine contacts its store: a bad
argument sends nothing. A ``TypeError`` of exactly that type gets the
"argument '{name}': " prefix; every other exception passes through unchanged.
"""

import ctypes
import operator
from collections.abc import Callable
from typing import Final, SupportsIndex, TypeVar, cast

U64_MAX: Final = 2**64 - 1

T = TypeVar("T")

# The interpreter's own sequence check (the type fills the item slot; dicts are
# excluded). No Python-level test gives the same answer for every type: re.Match and
# mappingproxy, for example, have __getitem__ yet are not sequences.
_sequence_check: Final = ctypes.PYFUNCTYPE(ctypes.c_int, ctypes.py_object)(("PySequence_Check", ctypes.pythonapi))
# The qualified name the interpreter stores for a type, whatever its metaclass answers.
_qualname: Final = type.__dict__["__qualname__"]


def type_name(obj: object) -> str:
    return str(_qualname.__get__(type(obj)))


def cannot_convert(obj: object, target: str) -> TypeError:
    return TypeError(f"'{type_name(obj)}' object cannot be converted to '{target}'")


def utf8(obj: object) -> bytes:
    """A str (or subclass) as its UTF-8 bytes; lone surrogates raise UnicodeEncodeError."""
    if not issubclass(type(obj), str):
        raise cannot_convert(obj, "PyString")
    # str.encode, not obj.encode: a subclass's override plays no part.
    return str.encode(cast(str, obj), "utf-8")


def u64(obj: object) -> int:
    """An int (bool included) or an object with __index__, in [0, 2**64 - 1]."""
    value = operator.index(cast(SupportsIndex, obj))
    if value < 0:
        raise OverflowError("can't convert negative int to unsigned")
    if value > U64_MAX:
        raise OverflowError("int too big to convert")
    return value


def ban_pair(obj: object) -> tuple[bytes, int]:
    if not issubclass(type(obj), tuple):
        raise cannot_convert(obj, "PyTuple")
    pair = cast(tuple[object, ...], obj)
    # tuple's own length and items: a subclass's __len__ or __getitem__ plays no part.
    length = tuple.__len__(pair)
    if length != 2:
        raise ValueError(f"expected tuple of length 2, but got tuple of length {length}")
    return utf8(tuple.__getitem__(pair, 0)), u64(tuple.__getitem__(pair, 1))


def ban_list(obj: object) -> list[tuple[bytes, int]]:
    """Every (address, absolute expiry) pair, in order; the first bad one raises."""
    if issubclass(type(obj), str):
        raise TypeError("Can't extract `str` to `Vec`")
    if not _sequence_check(obj):
        raise cannot_convert(obj, "Sequence")
    return [ban_pair(item) for item in cast(list[object], obj)]


def argument(name: str, convert: Callable[[object], T], value: object) -> T:
    """``convert(value)``, with a plain TypeError renamed after the argument."""
    try:
        return convert(value)
    except TypeError as error:
        if type(error) is not TypeError:
            raise
        renamed = TypeError(f"argument '{name}': {error}")
        renamed.__cause__ = error.__cause__
    raise renamed  # outside the handler, so the original is not chained as context
