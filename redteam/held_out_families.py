"""Each bot family judged as the model judges (`python -m redteam families DATA... [--model
FILE]`, run by `make evaluate`): for every family of the data, out-of-fold models fitted
without it and fitted as the model was (device_shift.fitting: also on the bots only the
model's basis holds and, for a hardened model, plain trees without those) judge its
sessions by the model's rule. `velmora-core evaluate`'s leave-one-family-out table is the
plain trees' alone.
"""

from __future__ import annotations

from collections.abc import Sequence

import numpy as np

from velmora_core import training

from .device_shift import fitting, judged, judges


def report(inputs: Sequence[str], family_of: dict[str, str], target_fpr: float, seed: int,
           variants: bool = True, model: str | None = None) -> str:
    fit = fitting(inputs, family_of, variants, model)
    plain_data = fit.plain
    sessions = training.sessions_of(plain_data)
    people = np.flatnonzero((plain_data.y == 0) & sessions)
    lines = [f"Leave-one-family-out as the model judges, by out-of-fold models{fit.described()} "
             f"(share bot / unsure / human):",
             f"{'held-out family':<32} {'bots':>6} {'bot':>10} {'unsure':>10} {'human':>10}"]
    caught: list[float] = []
    passed: list[float] = []
    for family in plain_data.families:
        held = np.flatnonzero((plain_data.y == 1) & (plain_data.family == family) & sessions)
        others = np.flatnonzero((plain_data.y == 1) & (plain_data.family != family))  # with their variants
        pairs, threshold, plain_threshold = judges(fit, people, others, held, target_fpr, seed)
        per_model = [training.shares(judged([(shipped, plain, slice(None))], plain_data.x[held], threshold,
                                            plain_threshold))
                     for shipped, plain in pairs]
        got = {name: float(np.mean([m[name] for m in per_model])) for name in ("bot", "unsure", "human")}
        caught.append(got["bot"])
        passed.append(got["human"])
        lines.append(f"{family:<32} {len(held):>6} {100 * got['bot']:>8.1f} % {100 * got['unsure']:>8.1f} % "
                     f"{100 * got['human']:>8.1f} %")
    lines.append(f"{'mean over families':<32} {'':>6} {100 * float(np.mean(caught)):>8.1f} % {'':>10} "
                 f"{100 * float(np.mean(passed)):>8.1f} %")
    lines.append(f"{'lowest family':<32} {'':>6} {100 * min(caught):>8.1f} %")
    return "\n".join(lines)
