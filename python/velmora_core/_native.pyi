"""Native half of the velmora_core layer (C++); its functions are typed here."""

type FeatureTableRow = tuple[str, str, int | float | bool, str, str, str, bool]

def feature_table() -> tuple[FeatureTableRow, ...]:
    """Every feature of the record, in record order, as (name, type, value without data, unit,
    meaning, origin, exact) tuples; exact is False for values that pass through the C library's
    sin, cos or log2."""
