"""The adversarial-training record of a model file, as a table for `velmora-core evaluate`.

`python -m redteam harden` (the repository's red team, not part of this package) writes it
under training["adversarial"]: per round the held-out human false-positive rate and the
share of fresh bots of our adaptive attacker that passed after so many queries, and the
same attack on the final model; for a model with plain trees, the band and what their
cross-validation found.
"""

from collections.abc import Mapping
from typing import Any, cast


def _rates(attack: Mapping[str, Any]) -> list[tuple[int, float]]:
    rates = cast(Mapping[str, Any], attack.get("pass_rate", {}))
    return sorted((int(k), float(v)) for k, v in rates.items())


def format_record(training: Mapping[str, Any]) -> str | None:
    """The table, or None when the model was fitted without adversarial rounds."""
    record = training.get("adversarial")
    if not isinstance(record, Mapping):
        return None
    record = cast(Mapping[str, Any], record)
    rounds = cast(list[Mapping[str, Any]], record.get("rounds", []))
    final = cast(Mapping[str, Any], record.get("final_attack", {}))
    budgets = sorted({q for r in rounds for q, _ in _rates(r.get("attack", {}))} | {q for q, _ in _rates(final)})
    head = f"{'round':<8} {'evasive families':>16} {'humans flagged':>15}" + "".join(
        f" {f'pass @{q:,}':>12}" for q in budgets)
    lines = ["Adaptive attacker (share of fresh bots that pass after so many queries) "
             "and held-out human false positives, per adversarial round:", head]

    def cells(attack: Mapping[str, Any]) -> str:
        rates = dict(_rates(attack))
        return "".join(f" {f'{100 * rates[q]:.1f} %' if q in rates else '-':>12}" for q in budgets)

    for r in rounds:
        lines.append(f"{r.get('round', '?')!s:<8} {r.get('evasive_families', 0)!s:>16} "
                     f"{100 * float(r.get('held_out_fpr', 0.0)):>13.2f} %" + cells(r.get("attack", {})))
    if final:
        lines.append(f"{'final':<8} {len(rounds) - 1 if rounds else 0!s:>16} {'':>15}" + cells(final))
    plain = record.get("plain")
    if isinstance(plain, Mapping):
        plain = cast(Mapping[str, Any], plain)
        lines.append(f"\"human\" only below the score that leaves {100 * float(record.get('human_band', 0.0)):g} % "
                     f"of the people above it, out of fold; \"bot\" only when the trees fitted without the evasive "
                     f"bots also score above {float(plain['threshold']):.6f} (cross-validated: AUC "
                     f"{float(plain['auc']):.4f}, {100 * float(plain['caught']):.1f} % of bots caught, "
                     f"{100 * float(plain['false_positive_rate']):.2f} % of humans bot)")
    return "\n".join(lines)
