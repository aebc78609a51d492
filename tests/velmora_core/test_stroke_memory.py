"""The stroke memory: fingerprints survive what a replay does to a stroke and do not match
other people; the memory is bounded; Redis gives the in-process counts; verdicts and the
`score --memory` command use it."""

import asyncio
import csv
import json
import math
import pathlib
import random

import pytest
import redis
import redis.asyncio
from redis.backoff import NoBackoff
from redis.retry import Retry

from velmora_core.cli import main
from velmora_core.detect import AsyncStrokeMemory, Detector, StrokeMemory
from velmora_core.detect.stroke_memory import StrokePrints, stroke_prints, stroke_prints_json
from velmora_core.state import StateEngineUnavailable

DATA = pathlib.Path(__file__).resolve().parents[2].parent / "shared" / "data"


@pytest.fixture(scope="module")
def humans():
    files = sorted(DATA.glob("human_sessions*.jsonl"))
    if not files:
        pytest.skip(f"the shared human sessions are not in {DATA}")
    return [json.loads(line) for path in files for line in path.open()]


def _strokes(session):
    """The session's pointer samples cut at pauses over 300 ms and at clicks, as the memory cuts them."""
    points = sorted(((p["t"], p["x"], p["y"]) for p in session["mouse_movements"]), key=lambda p: p[0])
    clicks = sorted(c["t"] for c in session["clicks"])
    out, current = [], []
    for p in points:
        if current and (p[0] - current[-1][0] > 300 or any(current[-1][0] <= c < p[0] for c in clicks)):
            out.append(current)
            current = []
        current.append(p)
    return out + [current]


def _alone(stroke):
    return {"mouse_movements": [{"t": t, "x": x, "y": y} for t, x, y in stroke], "clicks": []}


@pytest.fixture(scope="module")
def distinctive(humans):
    """Single strokes of real people that get a print of their own: (stroke, its prints)."""
    found = []
    for session in humans[::7]:
        for stroke in _strokes(session):
            prints = stroke_prints(_alone(stroke))
            if prints.distinctive == 1:
                found.append((stroke, prints))
    assert len(found) >= 40
    return found[:40]


def _replayed(stroke, rng, angle, scale, pace, period, noise_px, jitter_ms):
    """The stroke as a replay bot lays it: rotated, scaled, re-timed, re-sampled, noisy."""
    t0 = stroke[0][0]
    ts = [p[0] - t0 for p in stroke]
    duration = ts[-1] * pace
    cos, sin = math.cos(angle) * scale, math.sin(angle) * scale
    out, t = [], 0.0
    while True:
        source = min(t / pace, ts[-1])
        i = max(j for j in range(len(ts)) if ts[j] <= source)
        f = 0.0 if i + 1 == len(ts) else (source - ts[i]) / (ts[i + 1] - ts[i])
        x = stroke[i][1] + f * ((stroke[min(i + 1, len(ts) - 1)][1]) - stroke[i][1])
        y = stroke[i][2] + f * ((stroke[min(i + 1, len(ts) - 1)][2]) - stroke[i][2])
        out.append((5000 + t + rng.uniform(-jitter_ms, jitter_ms),
                    round(700 + cos * x - sin * y) + rng.randint(-noise_px, noise_px),
                    round(500 + sin * x + cos * y) + rng.randint(-noise_px, noise_px)))
        if t >= duration:
            break
        t = min(t + period, duration)
    return sorted(out)


@pytest.mark.parametrize("angle, scale, pace, period, noise_px, jitter_ms, least", [
    # Measured recall less a margin: re-sampling a coarsely sampled fast stroke cuts its
    # corners differently, and at small sizes a pixel of noise is a large share of the detail.
    (0.0, 1.0, 1.0, 17.0, 0, 0.0, 0.8),       # re-sampled only (60 Hz)
    (2.5, 1.0, 1.0, 8.0, 0, 0.0, 0.75),       # rotated, 125 Hz
    (-1.0, 0.5, 1.0, 16.7, 0, 0.0, 0.5),      # half size
    (1.0, 2.0, 1.0, 16.7, 0, 0.0, 0.8),       # double size
    (0.7, 1.0, 0.8, 16.7, 0, 0.0, 0.8),       # faster
    (0.7, 1.0, 1.25, 16.7, 0, 0.0, 0.75),     # slower
    (4.0, 1.3, 1.1, 16.7, 1, 3.0, 0.55),      # all of it with 1 px noise and 3 ms jitter
    (4.0, 0.6, 0.9, 16.7, 1, 3.0, 0.35),      # the same at the smallest sizes
])
def test_replays_of_a_stroke_match_it(distinctive, angle, scale, pace, period, noise_px, jitter_ms, least):
    rng = random.Random(5)
    memory = StrokeMemory(1000)
    for _, prints in distinctive:
        memory.observe(prints)
    recalled = []
    for stroke, _ in distinctive:
        replay = stroke_prints(_alone(_replayed(stroke, rng, angle, scale, pace, period, noise_px, jitter_ms)))
        recalled += memory.recalls(replay) if replay.distinctive else [False]
    assert sum(recalled) >= least * len(recalled), f"{sum(recalled)} of {len(recalled)}"


def test_people_do_not_match_each_other(humans):
    # Every session against all others (each looked up in file order, then in reverse order);
    # SapiMouse and Balabit subjects recur across the two files, so this includes a person
    # making their own movements again.
    prints = [stroke_prints(s) for s in humans]

    def earlier(order):
        memory, flags = StrokeMemory(100_000), []
        for p in order:
            flags.append(memory.recalls(p))
            memory.observe(p)
        return flags

    matched = [sum(a or b for a, b in zip(f, r)) for f, r in zip(earlier(prints), earlier(prints[::-1])[::-1])]
    distinctive = sum(p.distinctive for p in prints)
    assert distinctive > 4000
    assert sum(matched) < 0.005 * distinctive and max(matched) <= 1


def test_the_memory_keeps_the_last_strokes_only(distinctive):
    memory = StrokeMemory(10)
    for _, prints in distinctive[:25]:
        memory.observe(prints)
    assert len(memory) == 10
    assert memory.recalls(distinctive[24][1]) == [True]
    assert memory.recalls(distinctive[0][1]) == [False]  # forgotten, oldest first
    with pytest.raises(ValueError, match="capacity"):
        StrokeMemory(0)
    with pytest.raises(TypeError):
        memory.observe(b"not prints")  # type: ignore[arg-type]


def test_prints_from_json_text_are_those_of_the_dict(humans):
    for session in humans[:20]:
        text = json.dumps({"telemetry": session})
        assert stroke_prints_json(text, "telemetry") == stroke_prints(session)
    assert stroke_prints_json('{"telemetry": {"mouse_movements": [{"x": NaN, "y": 1, "t": 1}]}}',
                              "telemetry") == StrokePrints(0, b"")
    with pytest.raises(json.JSONDecodeError):
        stroke_prints_json("{")


def _stream(humans, distinctive):
    """Sessions where some strokes come back: people, then replays of their strokes."""
    rng = random.Random(9)
    replays = [_alone(_replayed(s, rng, 1.0, 0.8, 1.1, 16.7, 1, 2.0)) for s, _ in distinctive[:15]]
    return [stroke_prints(s) for s in humans[:40] + replays + humans[:10]]


def test_redis_gives_the_in_process_counts(humans, distinctive, redis_port):
    stream = _stream(humans, distinctive)
    for capacity in (60, 100_000):  # forgetting on both, and not
        local = StrokeMemory(capacity)
        expected = [local.observe(p) for p in stream]
        assert sum(expected) >= (5 if capacity == 60 else 60)
        with redis.Redis(port=redis_port) as client:
            shared = StrokeMemory.on_redis(client, namespace=f"t{capacity}", capacity=capacity)
            assert [shared.observe(p) for p in stream] == expected
            assert len(shared) == len(local) == min(capacity, sum(p.distinctive for p in stream))
            assert client.hlen(f"{{t{capacity}}}:strokes:buckets") <= 8 * 2 ** 17
            with pytest.raises(ValueError, match="capacity 60" if capacity == 60 else "capacity 100000"):
                StrokeMemory.on_redis(client, namespace=f"t{capacity}", capacity=capacity + 1).observe(stream[0])

        async def run():
            client = redis.asyncio.Redis(port=redis_port)
            try:
                shared = AsyncStrokeMemory.on_redis(client, namespace=f"a{capacity}", capacity=capacity)
                return [await shared.observe(p) for p in stream]
            finally:
                await client.aclose()
        assert asyncio.run(run()) == expected


def test_an_unreachable_store_raises(distinctive, redis_port):
    with redis.Redis(port=redis_port) as live:
        with pytest.raises(TypeError, match="AsyncStrokeMemory"):
            AsyncStrokeMemory.on_redis(live)  # type: ignore[arg-type]
    from velmora_core.state.private_redis import free_port
    with redis.Redis(port=free_port(), retry=Retry(NoBackoff(), 0)) as dead:
        with pytest.raises(StateEngineUnavailable):
            StrokeMemory.on_redis(dead).observe(distinctive[0][1])


def test_a_verdict_with_memory_calls_replays_bots(humans, tmp_path):
    detector = Detector.default()
    memory = StrokeMemory(1000)
    session = max(humans[:20], key=lambda s: stroke_prints(s).distinctive)
    assert not detector.verdict(session, memory=memory).is_bot
    again = detector.verdict(session, memory=memory)
    n = stroke_prints(session).distinctive
    assert again.is_bot and str(again.reasons[0]) == f"{n} of {n} strokes replay earlier sessions"
    assert again.score == detector.verdict(session).score

    data = tmp_path / "d.jsonl"
    data.write_text("".join(json.dumps(s) + "\n" for s in [session, humans[1], session]))
    for flags, verdicts in (([], ["human", "human", "human"]), (["--memory"], ["human", "human", "bot"])):
        assert main(["score", str(data), "-o", str(tmp_path / "s.csv"), "-q", "-j", "2", *flags]) == 0
        with (tmp_path / "s.csv").open() as f:
            assert [row["verdict"] for row in csv.DictReader(f)] == verdicts
