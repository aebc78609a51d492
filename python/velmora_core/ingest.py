"""Telemetry straight from JSON text to features, without building the Python objects.

``extract_features_json(data)`` returns exactly ``extract_features_rs(json.loads(data))``:
the same dict, keys and float bits. The native reader decides what it can exactly (strict
UTF-8 JSON, which is what clients send); the rest (NaN and Infinity, lone surrogate
escapes, UTF-16 and UTF-32, numbers beyond a double's range where a feature reads them,
very deep nesting) goes through ``json.loads`` and ``extract_features_rs``. Where
``json.loads`` refuses the text, a ``json.JSONDecodeError`` is raised.
``behaviour_features_json(data)`` does the same for ``behaviour.behaviour_features``.
"""

import json
from typing import Any, Final

import velmora_core_rs as _rs

from velmora_core import _native, behaviour
from velmora_core.records import FeatureRecord

__all__ = ["DEFAULT_TABLE_BUDGET", "JsonText", "behaviour_features_json", "extract_features_json", "loads",
           "set_table_budget"]

JsonText = bytes | bytearray | memoryview | str

# Bytes of spectrum tables per process, as the extension keeps; every track length's
# table fits in 128 MiB.
DEFAULT_TABLE_BUDGET: Final = 16 << 20


def extract_features_json(data: JsonText) -> FeatureRecord:
    """The feature record of one JSON telemetry document (see the module's text)."""
    record = _native.features_json(data)
    if record is None:
        record = _rs.extract_features_rs(loads(data))
    return record


def behaviour_features_json(data: JsonText) -> dict[str, float]:
    """``behaviour_features(json.loads(data))``, read straight from the text the same way."""
    values = _native.behaviour_values_json(data, None)
    if values is None:
        return behaviour.behaviour_features(loads(data))
    return dict(zip(behaviour.BEHAVIOUR_FEATURE_NAMES, values, strict=True))


def set_table_budget(budget: int) -> None:
    """Bytes the spectrum tables of this module may take in this process (default 16 MiB)."""
    _native.set_table_budget(budget)


def loads(data: JsonText) -> Any:
    """``json.loads(data)``, with every refusal of the text a ``json.JSONDecodeError``.

    A memoryview is read as its bytes. Text that is not in the encoding json.loads detects,
    integer literals beyond Python's digit limit and nesting beyond its recursion limit are
    reported as decoding errors too.
    """
    if isinstance(data, memoryview):
        data = data.tobytes()
    try:
        return json.loads(data)
    except json.JSONDecodeError:
        raise
    except UnicodeDecodeError as error:
        # The position is the character offset of the first undecodable byte.
        doc = error.object.decode(error.encoding, "replace")
        position = len(error.object[:error.start].decode(error.encoding, "replace"))
        raise json.JSONDecodeError(f"invalid {error.encoding} text: {error.reason}", doc, position) from None
    except (ValueError, RecursionError) as error:
        # Python's own limits: integer literals beyond sys.get_int_max_str_digits() digits,
        # nesting beyond the recursion limit. Neither says where; the position is the start.
        doc = data if isinstance(data, str) else bytes(data).decode("utf-8", "replace")
        reason = "nesting too deep" if isinstance(error, RecursionError) else str(error)
        raise json.JSONDecodeError(reason, doc, 0) from None
