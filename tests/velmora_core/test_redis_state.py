"""The Redis state engines against a real redis-server: the extension's semantics, argument
errors, atomicity across processes and tasks, and what a failing store looks like."""

import asyncio
import collections
import math
import multiprocessing
import random
import re
import types
from fractions import Fraction

import pytest
import redis
import redis.asyncio
from redis.backoff import NoBackoff
from redis.asyncio.retry import Retry as AsyncRetry
from redis.retry import Retry

import velmora_core_rs as m
from helpers.redis_server import redis_server
from velmora_core.state import AsyncRedisStateEngine, RedisStateEngine, StateEngineUnavailable

U64_MAX = 2**64 - 1
NO_RETRY = {"retry": Retry(NoBackoff(), 0)}
ASYNC_NO_RETRY = {"retry": AsyncRetry(NoBackoff(), 0)}


@pytest.fixture
def client(redis_port):
    with redis.Redis(port=redis_port) as c:
        c.flushall()
        yield c


class Clock:
    def __init__(self, t):
        self.t = t

    def __call__(self):
        return self.t


class Model:
    """The replay guard and ban table written straight from their rules."""

    def __init__(self, clock):
        self.clock, self.start = clock, None
        self.current, self.previous, self.bans = set(), set(), {}

    def _now(self):  # exact time and wall seconds; the first operation starts the bucket timer
        t = Fraction(self.clock())
        if self.start is None:
            self.start = t
        return t, min(max(math.floor(t), 0), U64_MAX)

    def consume_nonce(self, nonce):
        t, _ = self._now()
        if t - self.start >= 60:
            self.previous, self.current, self.start = self.current, set(), t
        if nonce in self.current or nonce in self.previous:
            return False
        self.current.add(nonce)
        return True

    def ban_ip(self, ip, duration):
        self.bans[ip] = min(self._now()[1] + duration, U64_MAX)

    def is_ip_banned(self, ip):
        return self._now()[1] < self.bans.get(ip, 0)

    def unban_ip(self, ip):
        self._now()
        self.bans.pop(ip, None)

    def hydrate_bans(self, bans):
        now = self._now()[1]
        self.bans.update((ip, end) for ip, end in bans if end > now)

    def clear(self):
        self.current, self.previous, self.bans, self.start = set(), set(), {}, self._now()[0]

    def stats(self):
        now = self._now()[1]
        return {"current_bucket_nonces": len(self.current), "previous_bucket_nonces": len(self.previous),
                "active_ip_bans": sum(now < end for end in self.bans.values())}


def random_operation(rng, now):
    ip = lambda: rng.choice(["10.0.0.1", "10.0.0.2", "", "::1"])  # noqa: E731
    kind = rng.choices(["consume_nonce", "ban_ip", "is_ip_banned", "unban_ip", "hydrate_bans", "clear", "stats"],
                       [30, 12, 20, 5, 8, 1, 8])[0]
    if kind == "consume_nonce":
        return kind, (rng.choice("abcdefghij"),)
    if kind == "ban_ip":
        durations = [0, 1, 2, 59, 60, 3600, U64_MAX - now - 1, U64_MAX - now, U64_MAX - now + 1, U64_MAX]
        return kind, (ip(), rng.choice(durations))
    if kind == "hydrate_bans":
        ends = [0, now - 1, now, now + 1, now + rng.randrange(1, 200), 2**53, 2**53 + 1, U64_MAX]
        return kind, ([(ip(), rng.choice(ends)) for _ in range(rng.randrange(5))],)
    return kind, (ip(),) if kind in ("is_ip_banned", "unban_ip") else ()


# Clock steps between operations: mostly short, some landing on both sides of the 60 s
# bucket and of whole seconds, a few long idle spells.
STEPS, STEP_WEIGHTS = [0, 0.25, 0.75, 1, 5, 30, 59.75, 60, 60.25, 119.75, 1000], [8, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1]


# Near 2**60 s every ban end is far above 2**53: a double could not tell now from now + 1.
@pytest.mark.parametrize("origin", [1_700_000_000.0, 2.0**60])
@pytest.mark.parametrize("flavour", ["sync", "async"])
def test_engine_agrees_with_the_model(redis_port, client, flavour, origin):
    rng, clock = random.Random(f"{flavour}{origin}"), Clock(origin)
    model = Model(clock)
    with asyncio.Runner() as runner:
        if flavour == "sync":
            engine = RedisStateEngine(client, namespace="diff", clock=clock)
            call = lambda name, args: getattr(engine, name)(*args)  # noqa: E731
        else:
            aengine = AsyncRedisStateEngine(redis.asyncio.Redis(port=redis_port), namespace="diff", clock=clock)
            call = lambda name, args: runner.run(getattr(aengine, name)(*args))  # noqa: E731
        for step in range(600):
            clock.t += rng.choices(STEPS, STEP_WEIGHTS)[0]
            name, args = random_operation(rng, math.floor(clock.t))
            assert call(name, args) == getattr(model, name)(*args), (step, name, args)


def test_any_first_operation_starts_the_bucket_timer(client):
    clock = Clock(1000.0)
    engine = RedisStateEngine(client, clock=clock)
    assert not engine.is_ip_banned("10.0.0.1")
    clock.t = 1030.0
    assert engine.consume_nonce("a")
    clock.t = 1060.0
    assert engine.consume_nonce("b")  # 60 s after the first operation: "a" moves on
    assert engine.stats() == {"current_bucket_nonces": 1, "previous_bucket_nonces": 1, "active_ip_bans": 0}


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        if isinstance(self.value, BaseException):
            raise self.value
        return self.value


class Refusal(TypeError):
    pass


def chained_type_error():
    error = TypeError("no index")
    error.__cause__ = KeyError("why")
    return error


class RaisingSequence(collections.UserList):
    def __iter__(self):
        raise TypeError("no iteration today")


class Pair(tuple):
    def __len__(self):
        return 2


BAD_ARGUMENTS = [
    ("consume_nonce", (b"abc",)), ("consume_nonce", (None,)), ("consume_nonce", ("\ud800",)),
    ("is_ip_banned", (1,)), ("unban_ip", (bytearray(b"x"),)), ("ban_ip", (b"ip", -1)), ("ban_ip", ("ip", -1)),
    ("ban_ip", ("ip", 2**64)), ("ban_ip", ("ip", 60.0)), ("ban_ip", ("ip", "60")), ("ban_ip", ("ip", Index(-5))),
    ("ban_ip", ("ip", Index(1.5))), ("ban_ip", ("ip", Index(Refusal("no")))),
    ("ban_ip", ("ip", Index(chained_type_error()))),
] + [("hydrate_bans", (bans,)) for bans in [
    "a", {"a": 1}, None, {("a", 1)}, iter([]), 5, re.match("a", "a"), types.MappingProxyType({}),
    collections.UserDict({"a": 1}), RaisingSequence(), [["a", 2**40]], [("a", 2**40, "x")], [("a",)],
    [(1, 2**40)], [("a", float(2**40))], [("a", -1)], [("a", 2**64)], [("\udc80", 2**40)],
    [("ok", 2**40), ("bad",)], [Pair(("a", 1, 2))],
]]


def test_bad_arguments_raise_like_the_module_and_send_nothing(redis_port, client):
    engine = RedisStateEngine(redis.Redis(port=redis_port))
    engine.stats()  # connected, so a stray command would show below
    before = {k: v for k, v in client.info("commandstats").items() if k != "cmdstat_info"}
    for name, args in BAD_ARGUMENTS:
        with pytest.raises(Exception) as expected:
            getattr(m, f"{name}_rs")(*args)
        with pytest.raises(Exception) as got:
            getattr(engine, name)(*args)
        assert (type(got.value), str(got.value), repr(got.value.__cause__)) == \
               (type(expected.value), str(expected.value), repr(expected.value.__cause__)), (name, args)
    assert {k: v for k, v in client.info("commandstats").items() if k != "cmdstat_info"} == before
    assert m.get_state_engine_stats_rs()["active_ip_bans"] == 0  # "ok" before a bad pair was not loaded


def test_script_cache_flush_reloads_transparently(client):
    engine = RedisStateEngine(client)
    assert engine.consume_nonce("n1")
    client.config_resetstat()
    client.script_flush()
    assert not engine.consume_nonce("n1")
    assert engine.consume_nonce("n2")
    assert client.info("commandstats")["cmdstat_script|load"]["calls"] == 1


def _present(port, barrier, results, nonces):
    engine = RedisStateEngine(redis.Redis(port=port))
    barrier.wait()
    results.put([n for n in nonces if engine.consume_nonce(n)])


def test_processes_presenting_the_same_nonces_accept_each_once(redis_port, client):
    nonces = [f"nonce-{i}" for i in range(10_000)]
    ctx = multiprocessing.get_context("spawn")
    barrier, results = ctx.Barrier(4), ctx.Queue()
    workers = [ctx.Process(target=_present, args=(redis_port, barrier, results, nonces)) for _ in range(4)]
    for w in workers:
        w.start()
    accepted = [n for _ in workers for n in results.get(timeout=120)]
    for w in workers:
        w.join()
    assert sorted(accepted) == sorted(nonces)


def test_tasks_presenting_the_same_nonces_accept_each_once(redis_port):
    async def run():
        async with redis.asyncio.Redis(port=redis_port) as c:
            engine = AsyncRedisStateEngine(c)
            await engine.clear()

            async def present():
                return [n for n in nonces if await engine.consume_nonce(n)]
            return await asyncio.gather(*(present() for _ in range(4)))

    nonces = [f"nonce-{i}" for i in range(10_000)]
    assert sorted(n for accepted in asyncio.run(run()) for n in accepted) == sorted(nonces)


OPERATIONS = [("consume_nonce", ("n",)), ("ban_ip", ("ip", 60)), ("is_ip_banned", ("ip",)), ("unban_ip", ("ip",)),
              ("hydrate_bans", ([("ip", U64_MAX)],)), ("clear", ()), ("stats", ())]


def test_a_stopped_server_raises_the_documented_error():
    with redis_server() as p:
        # A namespace of its own: should another server take over the port, nothing of its data is touched.
        engine = RedisStateEngine(redis.Redis(port=p, **NO_RETRY), namespace="stopped-test")
        aengine = AsyncRedisStateEngine(redis.asyncio.Redis(port=p, **ASYNC_NO_RETRY), namespace="stopped-test")
        assert engine.consume_nonce("before")
    for name, args in OPERATIONS:
        for call in (lambda: getattr(engine, name)(*args), lambda: asyncio.run(getattr(aengine, name)(*args))):
            with pytest.raises(StateEngineUnavailable) as info:
                call()
            assert isinstance(info.value, ConnectionError)
            assert isinstance(info.value.cause, redis.ConnectionError) and info.value.__cause__ is info.value.cause


def test_timeouts_and_error_replies_raise_the_documented_error(redis_port, client):
    engine = RedisStateEngine(redis.Redis(port=redis_port, socket_timeout=0.2, **NO_RETRY))
    client.execute_command("CLIENT", "PAUSE", 1000, "ALL")
    with pytest.raises(StateEngineUnavailable) as info:
        engine.consume_nonce("late")
    assert isinstance(info.value.cause, redis.TimeoutError)
    client.set("{velmora}:bans", "not a hash")
    with pytest.raises(StateEngineUnavailable) as info:
        engine.ban_ip("ip", 60)
    assert isinstance(info.value.cause, redis.ResponseError) and "WRONGTYPE" in str(info.value)



@pytest.mark.parametrize("engine, make_client, right_engine", [
    (RedisStateEngine, lambda p: redis.asyncio.Redis(port=p), "AsyncRedisStateEngine"),
    (RedisStateEngine, lambda p: f"redis://127.0.0.1:{p}/0", "redis.Redis.from_url"),
    (RedisStateEngine, lambda p: None, "redis.Redis client"),
    (AsyncRedisStateEngine, lambda p: redis.Redis(port=p), "RedisStateEngine with a blocking"),
    (AsyncRedisStateEngine, lambda p: f"redis://127.0.0.1:{p}/0", "redis.asyncio.Redis.from_url"),
])
def test_a_client_of_the_wrong_kind_is_refused_before_use(redis_port, client, engine, make_client, right_engine):
    client.config_resetstat()
    with pytest.raises(TypeError, match=re.escape(right_engine)):
        engine(make_client(redis_port))
    assert "cmdstat_evalsha" not in client.info("commandstats")


class OddClient(redis.Redis):
    """A blocking client type whose script replies are not what a blocking client returns."""

    def __init__(self, reply, **kwargs):
        super().__init__(**kwargs)
        self.reply = reply

    def evalsha(self, *args, **kwargs):
        return self.reply()


async def _one():
    return 1


@pytest.mark.parametrize("reply, error", [(_one, TypeError), (lambda: b"1", StateEngineUnavailable),
                                          (lambda: True, StateEngineUnavailable)])
def test_a_reply_of_another_kind_is_an_error_never_a_truth_value(redis_port, reply, error):
    engine = RedisStateEngine(OddClient(reply, port=redis_port))
    for name, args in [("consume_nonce", ("n",)), ("is_ip_banned", ("ip",)), ("stats", ())]:
        with pytest.raises(error):
            getattr(engine, name)(*args)
