"""The service's configuration, read from ``VELMORA_*`` environment variables.

The launcher (``serve.py``) turns its command-line options into these variables, so that
every uvicorn worker process reads the same configuration.
"""

import math
import os
import secrets
import urllib.parse
from collections.abc import Callable, Mapping
from dataclasses import dataclass
from typing import Literal, cast

StateKind = Literal["local", "redis"]

DEFAULT_MAX_BODY_BYTES = 128 * 1024
DEFAULT_BAN_SECONDS = 600
# The longest ban the state engines take: their ends are unsigned 64-bit seconds.
MAX_BAN_SECONDS = 2**64 - 1
# Redis connections per worker. A request holds one for a single round trip, so a burst
# larger than the pool waits for a free connection (up to the timeout) instead of failing.
DEFAULT_REDIS_POOL_SIZE = 32
# Seconds allowed to connect, to get a reply, and to wait for a free pooled connection.
DEFAULT_REDIS_TIMEOUT = 2.0


class ConfigError(Exception):
    """A configuration the service refuses to start with."""


@dataclass(frozen=True)
class Settings:
    state: StateKind = "local"
    redis_url: str = "redis://127.0.0.1:6379/0"
    redis_namespace: str = "velmora"
    workers: int = 1
    # Shared by every worker: a nonce issued by one worker is checked by another.
    nonce_secret: bytes = b""
    ban_seconds: int = DEFAULT_BAN_SECONDS
    max_body_bytes: int = DEFAULT_MAX_BODY_BYTES
    redis_pool_size: int = DEFAULT_REDIS_POOL_SIZE
    redis_timeout: float = DEFAULT_REDIS_TIMEOUT
    # Benchmark baseline only: answer /verdict without calling velmora_core_rs (a fixed
    # feature record; with the local engine, no replay guard or bans either).
    skip_module: bool = False
    # A detector model file (a calibrated one, say); empty: the model shipped with the package.
    model_path: str = ""
    # For a demo on one machine: bot verdicts on loopback clients do not ban them.
    exempt_loopback: bool = False

    def validate(self) -> None:
        if self.workers > 1 and self.state == "local":
            raise ConfigError(
                f"refusing to start {self.workers} workers on the in-process state engine: each worker "
                "would keep its own replay guard and ban table, so a nonce could be used once per "
                "worker and a ban would hold in one worker only; use the Redis engine (--state redis)")
        if self.workers < 1:
            raise ConfigError("the number of workers must be at least 1")
        if len(self.nonce_secret) < 32:
            raise ConfigError("the nonce secret must be at least 32 bytes (64 hex digits)")
        if not 0 <= self.ban_seconds <= MAX_BAN_SECONDS:
            raise ConfigError(f"the ban time must be between 0 and {MAX_BAN_SECONDS} seconds")
        if self.max_body_bytes < 1024:
            raise ConfigError("the body size limit must be at least 1024 bytes")
        if self.redis_pool_size < 1:
            raise ConfigError("the Redis connection pool needs at least 1 connection")
        if not (math.isfinite(self.redis_timeout) and self.redis_timeout > 0):
            raise ConfigError("the Redis timeout must be a positive number of seconds")
        if self.state == "redis":
            self._validate_redis_target()

    def _validate_redis_target(self) -> None:
        # Here, not in each worker's start-up: a bad URL or namespace stops the launch.
        from redis import connection
        from velmora_core.state.redis_calls import keys_of

        parse_url = cast(Callable[[str], object], connection.parse_url)  # untyped in redis-py
        try:
            parse_url(self.redis_url)
        except ValueError as exc:
            raise ConfigError(f"the Redis URL {redacted_url(self.redis_url)!r} is not usable: {exc}") from None
        try:
            keys_of(self.redis_namespace)
        except ValueError as exc:
            raise ConfigError(f"the Redis {exc}") from None


def redacted_url(url: str) -> str:
    """``url`` with any password (in the authority or as ``?password=``) replaced by ``***``."""
    try:
        parts = urllib.parse.urlsplit(url)
        password = parts.password
    except ValueError:
        return "<unparsable URL>"
    netloc = parts.netloc
    if password is not None:
        userinfo, _, hostport = netloc.rpartition("@")
        netloc = userinfo.partition(":")[0] + ":***@" + hostport
    query = parts.query
    pairs = urllib.parse.parse_qsl(query, keep_blank_values=True)
    if any(key == "password" for key, _ in pairs):
        query = urllib.parse.urlencode([(key, "***" if key == "password" else value) for key, value in pairs],
                                       safe="*")
    return urllib.parse.urlunsplit(parts._replace(netloc=netloc, query=query))


def _int(env: Mapping[str, str], name: str, default: int) -> int:
    text = env.get(name)
    if text is None or text == "":
        return default
    try:
        return int(text)
    except ValueError:
        raise ConfigError(f"{name} must be an integer, not {text!r}") from None


def _float(env: Mapping[str, str], name: str, default: float) -> float:
    text = env.get(name)
    if text is None or text == "":
        return default
    try:
        return float(text)
    except ValueError:
        raise ConfigError(f"{name} must be a number, not {text!r}") from None


def _flag(env: Mapping[str, str], name: str) -> bool:
    text = env.get(name, "")
    if text not in ("", "0", "1"):
        raise ConfigError(f"{name} must be 0 or 1, not {text!r}")
    return text == "1"


def from_env(env: Mapping[str, str] | None = None) -> Settings:
    """Read and check the settings; a missing secret is generated if there is one worker."""
    env = os.environ if env is None else env
    state = env.get("VELMORA_STATE", "local")
    if state not in ("local", "redis"):
        raise ConfigError(f"VELMORA_STATE must be 'local' or 'redis', not {state!r}")
    workers = _int(env, "VELMORA_WORKERS", _int(env, "WEB_CONCURRENCY", 1))
    secret_hex = env.get("VELMORA_NONCE_SECRET", "")
    if secret_hex:
        try:
            secret = bytes.fromhex(secret_hex)
        except ValueError:
            raise ConfigError("VELMORA_NONCE_SECRET must be hexadecimal") from None
    elif workers == 1:
        secret = secrets.token_bytes(32)
    else:
        raise ConfigError("several workers need one shared VELMORA_NONCE_SECRET")
    settings = Settings(
        state="redis" if state == "redis" else "local",
        redis_url=env.get("VELMORA_REDIS_URL", Settings.redis_url),
        redis_namespace=env.get("VELMORA_REDIS_NAMESPACE", Settings.redis_namespace),
        workers=workers,
        nonce_secret=secret,
        ban_seconds=_int(env, "VELMORA_BAN_SECONDS", DEFAULT_BAN_SECONDS),
        max_body_bytes=_int(env, "VELMORA_MAX_BODY_BYTES", DEFAULT_MAX_BODY_BYTES),
        redis_pool_size=_int(env, "VELMORA_REDIS_POOL_SIZE", DEFAULT_REDIS_POOL_SIZE),
        redis_timeout=_float(env, "VELMORA_REDIS_TIMEOUT", DEFAULT_REDIS_TIMEOUT),
        skip_module=_flag(env, "VELMORA_SKIP_MODULE"),
        model_path=env.get("VELMORA_MODEL", ""),
        exempt_loopback=_flag(env, "VELMORA_EXEMPT_LOOPBACK"),
    )
    settings.validate()
    return settings
