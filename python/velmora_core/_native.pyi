"""Native half of the velmora_core layer (C++); its functions are typed here."""

from collections.abc import Sequence
from types import CapsuleType

# A tree ensemble: node columns in, a checked capsule out (velmora_core.detect builds it).
def forest_build(baseline: float, feature_count: int, feature: Sequence[float], left: Sequence[float],
                 right: Sequence[float], missing_left: Sequence[float], threshold: Sequence[float],
                 value: Sequence[float], roots: Sequence[float]) -> CapsuleType: ...
def forest_score(forest: CapsuleType, row: Sequence[float]) -> float: ...
def forest_explain(forest: CapsuleType, row: Sequence[float]) -> tuple[float, list[float]]: ...
