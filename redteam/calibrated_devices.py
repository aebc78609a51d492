"""How a calibrated model judges people on devices its site's sessions did not come from
(`python -m redteam calibrated DATA... [--model FILE]`, run by `make evaluate`).

For each human source: a model fitted without its people (on the other people and half of
the bots, and on the bots only the model's basis holds, as the model was fitted) is
calibrated on half of the source's people as recorded (`velmora-core calibrate`'s refit,
without their labels); the other half are judged as recorded and as other devices report
them (device_shift.SHIFTS), and the other half of the bots as they are. A site calibrates
on the devices its people used that day; another device is no evidence of a bot.
"""

from __future__ import annotations

from collections.abc import Sequence
from typing import cast

import numpy as np

from velmora_core import training
from velmora_core.detect import calibration, feature_set
from velmora_core.records import Telemetry

from .device_shift import SHIFTS, cell, fitting, human_sessions, judged


def report(inputs: Sequence[str], family_of: dict[str, str], target_fpr: float, seed: int,
           variants: bool = True, model: str | None = None) -> str:
    fit = fitting(inputs, family_of, variants, model)
    data = fit.data
    ours = np.arange(len(data.y)) < len(fit.plain.y)
    human = (data.y == 0) & training.sessions_of(data)
    people = np.flatnonzero(human)
    sessions = human_sessions(inputs)
    if len(sessions) != len(people):
        raise ValueError("every human line must be a usable session")
    position = {int(r): k for k, r in enumerate(people)}
    bots = np.flatnonzero((data.y == 1) & training.sessions_of(data) & ours)
    order = np.random.default_rng([seed, 1]).permutation(bots)
    bots_fit, bots_judged = np.sort(order[: len(order) // 2]), np.sort(order[len(order) // 2:])
    only_model = np.flatnonzero(~ours)
    persons = training.people(data)
    columns: list[list[str]] = []
    heads: list[str] = []
    for source in sorted({str(f) for f in data.family[human].tolist()}):
        held = np.flatnonzero(human & (data.family == source))
        names = np.unique(persons[held])
        chosen = set(np.random.default_rng(seed).permutation(names)[: len(names) // 2].tolist())
        on = np.isin(persons[held], sorted(chosen))
        fit_half, judge_half = held[on], held[~on]
        basis = np.concatenate([training.with_variants(data, np.flatnonzero(human & (data.family != source))),
                                training.with_variants(data, bots_fit), only_model])
        without = sorted(fit.extra.families) if fit.hardened and fit.extra is not None else []
        again, plain = calibration.refit_sets(
            data.x[basis], data.y[basis], data.family[basis], training.familiar_of(data, basis),
            data.x[fit_half].tolist(), target_fpr, seed, training.person_numbers(persons[basis]).tolist(),
            training.variants_of(data, fit_half), without)
        width = data.x.shape[1]
        folds = [(training.Judge(again.forest, again.fitted.familiar, width),
                  None if plain is None else training.Judge(plain.forest, plain.fitted.familiar, width), slice(None))]
        plain_threshold = 0.0 if plain is None else plain.fitted.threshold
        shifted = [np.array([feature_set.feature_row(cast(Telemetry, shift(sessions[position[int(r)]])))
                             for r in judge_half]) for shift in SHIFTS.values()]
        cells = [cell(judged(folds, rows, again.fitted.threshold, plain_threshold))
                 for rows in (data.x[judge_half], *shifted, data.x[bots_judged])]
        columns.append(cells)
        heads.append(f"{source} ({len(fit_half)} / {len(judge_half)})")
    labels = ["as recorded", *SHIFTS, "bots (the other half)"]
    lines = [f"Each human source left out, calibrated on half of its people as recorded, the other half judged "
             f"as other devices report them{fit.described()} (share bot / unsure; sessions calibrated on / judged):",
             f"{'':<26} " + " ".join(f"{h:>19}" for h in heads)]
    lines += [f"{label:<26} " + " ".join(f"{column[k]:>19}" for column in columns) for k, label in enumerate(labels)]
    return "\n".join(lines)

