"""Native half of the velmora_core layer (C++); its functions are typed here."""

type FeatureTableRow = tuple[str, str, int | float | bool, str, str, str, bool]

def feature_table() -> tuple[FeatureTableRow, ...]:
    """Every feature of the record, in record order, as (name, type, value without data, unit,
    meaning, origin, exact) tuples; exact is False for values that pass through the C library's
    sin, cos or log2."""

# The state functions' argument conversions (velmora_core.state.arguments): the same
# refusals, exception types and texts as the velmora_core_rs functions.
def state_text_argument(name: str, value: object) -> bytes: ...
def state_u64_argument(name: str, value: object) -> int: ...
def state_bans_argument(bans: object) -> list[tuple[bytes, int]]: ...
