"""ROC statistics of two classes of values: the AUC (Mann-Whitney), its standard error, the curve."""

import math
from collections.abc import Sequence


def _ranks(values: Sequence[float]) -> list[float]:
    """1-based ranks of values, tied values sharing the mean of their ranks."""
    order = sorted(range(len(values)), key=values.__getitem__)
    ranks = [0.0] * len(values)
    start = 0
    while start < len(order):
        end = start
        while end + 1 < len(order) and values[order[end + 1]] == values[order[start]]:
            end += 1
        shared = (start + end) / 2 + 1
        for i in order[start:end + 1]:
            ranks[i] = shared
        start = end + 1
    return ranks


def roc_auc(negatives: Sequence[float], positives: Sequence[float]) -> float:
    """P(positive > negative) + P(tie) / 2 over all pairs; NaN when a class is empty."""
    if not negatives or not positives:
        return math.nan
    ranks = _ranks([*negatives, *positives])
    rank_sum = math.fsum(ranks[len(negatives):])
    u = rank_sum - len(positives) * (len(positives) + 1) / 2
    return u / (len(negatives) * len(positives))


def auc_standard_error(auc: float, negatives: int, positives: int) -> float:
    """Hanley and McNeil's approximation of the AUC's standard error."""
    if negatives == 0 or positives == 0 or math.isnan(auc):
        return math.nan
    q1, q2 = auc / (2 - auc), 2 * auc * auc / (1 + auc)
    variance = (auc * (1 - auc) + (positives - 1) * (q1 - auc * auc)
                + (negatives - 1) * (q2 - auc * auc)) / (negatives * positives)
    return math.sqrt(max(variance, 0.0))


def roc_curve(negatives: Sequence[float], positives: Sequence[float]) -> list[tuple[float, float]]:
    """(false positive rate, true positive rate) for every threshold, from (0, 0) to (1, 1)."""
    scored = sorted([(v, 0) for v in negatives] + [(v, 1) for v in positives], reverse=True)
    points = [(0.0, 0.0)]
    fp = tp = 0
    for i, (value, label) in enumerate(scored):
        tp += label
        fp += 1 - label
        if i + 1 == len(scored) or scored[i + 1][0] != value:
            points.append((fp / max(len(negatives), 1), tp / max(len(positives), 1)))
    return points
