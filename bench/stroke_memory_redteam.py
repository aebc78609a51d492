"""Catch rate of the stroke memory against the red team's replay bot, by library size.

    .venv/bin/python -m bench.stroke_memory_redteam [--data DIR] [--bots N] [--sizes 100,300,...]

The bot's library comes from one human pool (the SapiMouse sessions of
human_sessions_more.jsonl), its scripts from another (human_sessions.jsonl). For each
library size, N bot sessions are interleaved with all the human sessions of both files
(the other humans spread evenly between the bots, the library's own people last) and
judged by the bundled detector with one in-process memory. Prints, per size: how often each library stroke was used, the bots
the memory calls replays, the bots not called human at all, and the humans the memory
turned into bots, apart for the library's own people (whose strokes the bot replayed first).
"""

import argparse
import pathlib

from bench.shared_data import SHARED_DATA
from velmora_core.detect import Detector, StrokeMemory
from velmora_core.detect.stroke_memory import replay_evidence

from redteam.corpus import generate, scripts_from
from redteam.families.base import Context
from redteam.families.stroke_replay import StrokeReplay
from redteam.script import load_humans

OWNER_OFFSET = 1_000_000  # library owners never equal a script's index


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=pathlib.Path, default=SHARED_DATA)
    parser.add_argument("--bots", type=int, default=200)
    parser.add_argument("--sizes", default="100,300,1000,3000,100000")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    pool = [s for s in load_humans([args.data / "human_sessions_more.jsonl"]) if s.get("source") == "sapimouse"]
    ctx = Context(tuple((OWNER_OFFSET + s.index, st) for s in scripts_from(pool) for st in s.strokes))
    script_humans = load_humans([args.data / "human_sessions.jsonl"])
    scripts = scripts_from(script_humans)
    more = load_humans([args.data / "human_sessions_more.jsonl"])
    # The pool's own people are the bot's victims: once their strokes have been replayed, their
    # own sessions replay the bot's. They are counted apart.
    humans = script_humans + [s for s in more if s.get("source") != "sapimouse"]
    victims = len(pool)
    humans = humans + pool
    detector = Detector.default()
    print(f"library pool: {len(pool)} SapiMouse sessions, {len(ctx.strokes)} strokes; scripts: {len(scripts)}; "
          f"humans in the stream: {len(humans)}; {args.bots} bots per size")
    print(f"{'library':>8s} {'uses/stroke':>11s} {'replays caught':>15s} {'not human':>10s} {'humans -> bot':>14s} "
          f"{'victims -> bot':>15s}")
    for size in (int(s) for s in args.sizes.split(",")):
        family = StrokeReplay(f"stroke_replay_{size}", size, "")
        library = family.library(ctx)
        bots = generate(family, scripts, ctx, args.bots, args.seed)
        memory = StrokeMemory(1_000_000)
        caught = not_human = flipped = victims_flipped = 0
        others = humans[:len(humans) - victims]
        stream: list[tuple[bool, dict[str, object]]] = []
        for i, bot in enumerate(bots):  # the other humans spread evenly between the bots
            stream += [(False, h) for h in others[i * len(others) // len(bots):(i + 1) * len(others) // len(bots)]]
            stream.append((True, bot))
        stream += [(False, h) for h in pool]
        uses = 0
        pool_ids = {id(s) for s in pool}
        for is_bot, session in stream:
            plain = detector.verdict(session)  # type: ignore[arg-type]
            replay = replay_evidence(memory, session)  # type: ignore[arg-type]
            if is_bot:
                uses += replay.distinctive
                caught += replay.is_replay
                not_human += replay.is_replay or plain.outcome != "human"
            elif id(session) in pool_ids:
                victims_flipped += replay.is_replay and not plain.is_bot
            else:
                flipped += replay.is_replay and not plain.is_bot
        print(f"{len(library):8d} {uses / max(len(library), 1):11.2f} {caught:9d} ({100 * caught / len(bots):3.0f} %) "
              f"{100 * not_human / len(bots):9.0f} % {flipped:7d} of {len(humans) - victims} "
              f"{victims_flipped:7d} of {victims}")


if __name__ == "__main__":
    main()
