"""The reference service over real HTTP: nonces, verdicts and refusals, and two workers on Redis."""

import asyncio
import http.client
import itertools
import json
import os
import pathlib
import re
import signal
import socket
import subprocess
import sys
import time
from collections.abc import Iterator
from typing import Any

import httpx
import pytest
import redis
import velmora_core_rs

from helpers import DATA, ROOT
from testkit.json_documents import outcome_bits
from velmora_core.behaviour import behaviour_feature_values
from helpers.redis_server import free_port, redis_server
from testkit.service_process import SERVE, running_service
from velmora_service import settings as config
from velmora_service.intake import BodyTooSlow, MalformedBody, jsonable, parse_verdict, read_limited
from velmora_service.nonces import NonceCheck, NonceSigner
from velmora_service.settings import DEFAULT_MAX_BODY_BYTES

SECRET = "5e" * 32
SESSIONS = [json.loads(line) for name in ("human_sample.jsonl", "bot_sample.jsonl")
            for line in (DATA / name).read_text().splitlines() if line.strip()]
HUMAN = SESSIONS[0]
# Ten samples are too few to judge: "unsure", and challenged.
SESSIONS.append({**HUMAN, "label": "thin", "mouse_movements": HUMAN["mouse_movements"][:10], "clicks": []})
_addresses = (f"198.51.100.{i}" for i in itertools.count(1))


def new_address() -> dict[str, str]:
    """Headers that make the service (trusting 127.0.0.1 as a proxy) see a fresh client."""
    return {"X-Forwarded-For": next(_addresses)}


@pytest.fixture(scope="module")
def service() -> Iterator[str]:
    with running_service("--trusted-proxy", "127.0.0.1", "--ban-seconds", "60", secret=SECRET) as base:
        yield base


def nonce(base: str, headers: dict[str, str]) -> str:
    r = httpx.get(base + "/nonce", headers=headers)
    assert r.status_code == 200, r.text
    value: str = r.json()["nonce"]
    return value


def post(base: str, headers: dict[str, str], body: Any) -> httpx.Response:
    return httpx.post(base + "/verdict", headers=headers, json=body)


def test_samples_get_their_outcome_only_a_bot_is_banned_and_unsure_is_challenged(service: str) -> None:
    outcomes = set()
    for session in SESSIONS:
        client = new_address()
        r = post(service, client, {"nonce": nonce(service, client), "telemetry": session})
        assert r.status_code == 200, r.text
        answer = r.json()
        assert answer["features"] == jsonable(velmora_core_rs.extract_features_rs(session))
        assert (answer["verdict"] == "human") == (session["label"] == "human"), (session["source"], answer["reasons"])
        assert ("challenge" in answer) == (answer["verdict"] == "unsure")
        outcomes.add(answer["verdict"])
        assert 0.0 <= answer["score"] <= 1.0
        banned = answer["verdict"] == "bot"
        assert (httpx.get(service + "/nonce", headers=client).status_code == 403) == banned
        again = post(service, client, {"nonce": "x", "telemetry": {}})
        assert again.status_code == (403 if banned else 409)
        assert "error" in again.json()
    assert outcomes == {"human", "unsure", "bot"}


def _tamper(text: str) -> str:
    # The last character carries whole bits; change it to another valid one.
    return text[:-1] + ("A" if text[-1] != "A" else "B")


@pytest.mark.parametrize("make, reason", [
    (lambda n: n, "already been used"),
    (lambda n: NonceSigner(b"x" * 32).issue(), "not issued"),
    (lambda n: _tamper(n), "not issued"),
    (lambda n: n[:-1], "not issued"),
    (lambda n: n + "=", "not issued"),
    (lambda n: n[:20] + "!" + n[21:], "not issued"),
    (lambda n: NonceSigner(bytes.fromhex(SECRET), clock=lambda: time.time() - 60.0).issue(), "expired"),
    (lambda n: NonceSigner(bytes.fromhex(SECRET), clock=lambda: time.time() + 5.0).issue(), "expired"),
])
def test_replayed_forged_and_old_nonces_get_409(service: str, make: Any, reason: str) -> None:
    client = new_address()
    used = nonce(service, client)
    assert post(service, client, {"nonce": used, "telemetry": HUMAN}).status_code == 200
    r = post(service, new_address(), {"nonce": make(used), "telemetry": HUMAN})
    assert r.status_code == 409
    assert reason in r.json()["error"]


def test_nonce_age_limit_is_sixty_seconds() -> None:
    now = [1_700_000_000.0]
    signer = NonceSigner(b"k" * 32, clock=lambda: now[0])
    issued = signer.issue()
    for age, expected in [(0.0, NonceCheck.VALID), (59.998, NonceCheck.VALID),
                          (60.0, NonceCheck.EXPIRED), (3600.0, NonceCheck.EXPIRED)]:
        now[0] = 1_700_000_000.0 + age
        assert signer.check(issued) is expected, age


@pytest.mark.parametrize("body", [
    b"not json", b"\xff\xfe", b"[]", b'"text"', b"[" * 50_000 + b"]" * 50_000,
    b'{"telemetry": {}}', b'{"nonce": 7, "telemetry": {}}',
    b'{"nonce": "NONCE", "telemetry": []}', b'{"nonce": "NONCE"}',
])
def test_malformed_bodies_get_400_and_keep_the_nonce(service: str, body: bytes) -> None:
    client = new_address()
    value = nonce(service, client)
    r = httpx.post(service + "/verdict", headers=client, content=body.replace(b"NONCE", value.encode()))
    assert r.status_code == 400
    assert isinstance(r.json()["error"], str)
    # A refused body does not use the nonce up.
    assert post(service, client, {"nonce": value, "telemetry": HUMAN}).status_code == 200


@pytest.mark.parametrize("chunked", [False, True])
def test_bodies_over_the_limit_get_413(service: str, chunked: bool) -> None:
    client = new_address()
    value = nonce(service, client)
    padded = dict(HUMAN, padding="x" * DEFAULT_MAX_BODY_BYTES)
    raw = json.dumps({"nonce": value, "telemetry": padded}).encode()
    content: Any = iter([raw[i:i + 8192] for i in range(0, len(raw), 8192)]) if chunked else raw
    r = httpx.post(service + "/verdict", headers=client, content=content)
    assert r.status_code == 413
    assert str(DEFAULT_MAX_BODY_BYTES) in r.json()["error"]
    # Just under the limit is accepted.
    body = json.dumps({"nonce": value, "telemetry": HUMAN}).encode()
    assert len(body) < DEFAULT_MAX_BODY_BYTES
    assert httpx.post(service + "/verdict", headers=client, content=body).status_code == 200


def test_aborted_uploads_log_nothing_and_every_refusal_is_json(tmp_path: pathlib.Path) -> None:
    with (tmp_path / "log").open("w+") as log:
        with running_service(log=log) as base:
            port = int(base.rsplit(":", 1)[1])
            for _ in range(20):  # headers and part of the body, then gone
                with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
                    s.sendall(b"POST /verdict HTTP/1.1\r\nHost: x\r\nContent-Length: 5000\r\n\r\n{\"nonce\": ")
            wrong = httpx.get(base + "/verdict")
            assert (wrong.status_code, wrong.json(), wrong.headers["allow"]) == (405, {"error": "method not allowed"},
                                                                                 "POST")
            assert httpx.get(base + "/nowhere").json() == {"error": "not found"}
            assert httpx.get(base + "/healthz").status_code == 200  # every aborted request has been handled
        log.seek(0)
        assert log.read().splitlines()[1:] == []  # the start-up line alone: no traceback


def test_a_trickling_body_gets_408() -> None:
    async def trickle() -> bytes:
        chunks = iter([b"{", b'"nonce": ""'])
        stream = _Slow(chunks)
        return await read_limited({}, stream, 1024, seconds=0.2)
    with pytest.raises(BodyTooSlow):
        asyncio.run(trickle())


class _Slow:
    """A body stream whose second chunk never comes in time."""

    def __init__(self, chunks: Iterator[bytes]) -> None:
        self.chunks = chunks

    def __aiter__(self) -> "_Slow":
        return self

    async def __anext__(self) -> bytes:
        chunk = next(self.chunks, None)
        if chunk is None:
            raise StopAsyncIteration
        await asyncio.sleep(0 if chunk == b"{" else 5)
        return chunk


def test_several_workers_refuse_the_in_process_engine() -> None:
    run = subprocess.run([sys.executable, str(SERVE), "--workers", "2", "--port", "0"],
                         capture_output=True, text=True, timeout=60)
    assert run.returncode == 2
    assert "in-process state engine" in run.stderr and "--state redis" in run.stderr


def _fresh(port: int, method: str, path: str, body: Any = None) -> tuple[int, dict[str, Any], str]:
    """One request on a new TCP connection (either worker may accept it): status, JSON, worker."""
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    try:
        conn.request(method, path, body=None if body is None else json.dumps(body),
                     headers={"Content-Type": "application/json"})
        r = conn.getresponse()
        return r.status, json.loads(r.read()), r.getheader("X-Velmora-Worker", "")
    finally:
        conn.close()


def test_two_workers_on_redis_accept_each_nonce_once() -> None:
    with redis_server() as redis_port, running_service(
            "--workers", "2", "--state", "redis", "--redis-url", f"redis://127.0.0.1:{redis_port}/0",
            "--ban-seconds", "0") as base:  # the repeated session is a replay bot: no ban, to go on
        port = int(base.rsplit(":", 1)[1])
        nonces = [_fresh(port, "GET", "/nonce")[1]["nonce"] for _ in range(200)]
        assert len(set(nonces)) == 200
        workers: set[str] = set()
        crossed = 0  # replays answered by the other worker than the first use
        for i, value in enumerate(nonces):
            body = {"nonce": value, "telemetry": HUMAN}
            status, answer, first_worker = _fresh(port, "POST", "/verdict", body)
            # The same strokes again are a replay, whichever worker saw them first.
            assert (status, answer.get("verdict")) == (200, "human" if i == 0 else "bot"), answer
            assert i == 0 or answer["reasons"][0].endswith("strokes replay earlier sessions")
            status, answer, replay_worker = _fresh(port, "POST", "/verdict", body)
            assert status == 409 and "already been used" in answer["error"]
            workers |= {first_worker, replay_worker}
            crossed += first_worker != replay_worker
        assert len(workers) == 2, "both workers should have served requests"
        assert crossed > 0, "no replay reached the other worker"

        # Without the store the service fails closed.
        redis.Redis(port=redis_port).shutdown(nosave=True)
        fresh = _fresh(port, "GET", "/nonce")
        assert fresh[0] == 503 and "unavailable" in fresh[1]["error"]
        status, answer, _ = _fresh(port, "POST", "/verdict", {"nonce": nonces[0], "telemetry": HUMAN})
        assert status == 503


def test_non_finite_features_are_sent_as_null(service: str) -> None:
    # JSON has no infinities; Python's reader takes the "Infinity" token, the module keeps it.
    client = new_address()
    moves = '[{"x": 0, "y": 0, "t": 0, "r": Infinity}, {"x": 1, "y": 0, "t": 5, "r": 1}]'
    body = f'{{"nonce": "{nonce(service, client)}", "telemetry": {{"mouse_movements": {moves}}}}}'
    r = httpx.post(service + "/verdict", headers=client, content=body)
    assert r.status_code == 200
    features = r.json()["features"]
    assert features["avg_touch_radius"] is None and features["touch_radius_var"] is None
    assert features["touch_event_count"] == 2


def test_a_burst_larger_than_the_pool_waits_for_a_connection() -> None:
    from velmora_service.engines import open_engine
    from velmora_service.settings import Settings

    async def burst(port: int) -> list[bool]:
        settings = Settings(state="redis", redis_url=f"redis://127.0.0.1:{port}/0", redis_pool_size=2)
        async with open_engine(settings) as engine:
            answers = await asyncio.gather(*(engine.is_ip_banned(f"10.0.0.{i}") for i in range(200)))
            clients = redis.Redis(port=port).info("clients")["connected_clients"]
            assert clients <= 2 + 1, clients  # the pool's two and the one asking
            return answers

    with redis_server() as port:
        assert asyncio.run(burst(port)) == [False] * 200


U64_MAX = 2**64 - 1


@pytest.mark.parametrize("env, problem", [
    ({"VELMORA_BAN_SECONDS": str(U64_MAX + 1)}, "ban time"),
    ({"VELMORA_BAN_SECONDS": "-1"}, "ban time"),
    ({"VELMORA_REDIS_URL": "http://127.0.0.1/"}, "Redis URL"),
    ({"VELMORA_REDIS_NAMESPACE": "a{b}"}, "namespace"),
    ({"VELMORA_REDIS_POOL_SIZE": "0"}, "pool"),
    ({"VELMORA_REDIS_TIMEOUT": "nan"}, "timeout"),
    ({"VELMORA_REDIS_TIMEOUT": "0"}, "timeout"),
    ({"VELMORA_SKIP_MODULE": "yes"}, "VELMORA_SKIP_MODULE"),
])
def test_every_setting_is_checked_before_start(env: dict[str, str], problem: str) -> None:
    base = {"VELMORA_STATE": "redis", "VELMORA_NONCE_SECRET": SECRET}
    assert config.from_env(base | {"VELMORA_BAN_SECONDS": str(U64_MAX)}).ban_seconds == U64_MAX
    with pytest.raises(config.ConfigError, match=problem):
        config.from_env(base | env)


@pytest.mark.parametrize("args, problem", [
    (["--ban-seconds", str(U64_MAX + 1)], "ban time"),
    (["--port", "70000"], "TCP port"),
    (["--trusted-proxy", "127.0.0.1,localhsot"], "IP address"),
])
def test_serve_refuses_bad_options_and_starts_nothing(args: list[str], problem: str) -> None:
    run = subprocess.run([sys.executable, str(SERVE), "--start-redis", *args],
                         capture_output=True, text=True, timeout=60)
    assert run.returncode == 2 and problem in run.stderr, run.stderr
    assert "Traceback" not in run.stderr and "Velmora reference service" not in run.stdout


def test_the_private_redis_needs_a_password_the_banner_does_not_show_and_sigterm_stops_it() -> None:
    port = free_port()
    proc = subprocess.Popen([sys.executable, str(SERVE), "--start-redis", "--port", str(port),
                             "--log-level", "warning"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        assert proc.stdout is not None
        banner = proc.stdout.readline()
        found = re.search(r"Redis at (redis://:(.*)@127\.0\.0\.1:(\d+)/0)", banner)
        assert found is not None and found.group(2) == "***", banner
        with pytest.raises(redis.AuthenticationError):
            redis.Redis(port=int(found.group(3))).ping()
        (server,) = map(int, pathlib.Path(f"/proc/{proc.pid}/task/{proc.pid}/children").read_text().split())
        directory = pathlib.Path(os.readlink(f"/proc/{server}/cwd"))  # redis-server runs in its private directory
        assert (directory / "redis.conf").exists()
    finally:
        proc.terminate()
        proc.wait(30)
    assert proc.returncode == 128 + signal.SIGTERM
    assert not pathlib.Path(f"/proc/{server}").exists() and not directory.exists()
    assert config.redacted_url("rediss://u:p@h:1/0?password=q&db=2") == "rediss://u:***@h:1/0?password=***&db=2"
    assert config.redacted_url("unix://:p@/run/r.sock?db=0") == "unix://:***@/run/r.sock?db=0"
    assert config.redacted_url("redis://h:1/0") == "redis://h:1/0"


def test_service_reads_features_from_the_body():
    points = json.dumps([{"x": i * 3.5, "y": (i * i) % 17, "t": i * 16.0} for i in range(40)])
    telemetry = '{"clicks": [1], "mouse_movements": ' + points + "}"
    for body in ('{"nonce": "n", "telemetry": ' + telemetry + "}",  # native
                 '{"nonce": "n", "nonce": "m", "x": NaN, "telemetry": ' + telemetry + "}"):  # json.loads
        submitted = parse_verdict(body.encode())
        parsed = json.loads(body)
        assert submitted.nonce == parsed["nonce"]
        assert outcome_bits(submitted.features) == outcome_bits(velmora_core_rs.extract_features_rs(parsed["telemetry"]))
        assert submitted.behaviour == behaviour_feature_values(parsed["telemetry"])
    for body, reason in [(b"[1]", "body must be a JSON object"), (b'{"nonce": "n", "telemetry": []}', "'telemetry'"),
                         (b'{"nonce": 1, "telemetry": {}, "x": NaN}', "'nonce'")]:
        with pytest.raises(MalformedBody, match=reason):
            parse_verdict(body)
