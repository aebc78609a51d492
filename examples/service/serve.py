"""Start the reference service under uvicorn.

    python examples/service/serve.py [--workers N] [--state local|redis] [--start-redis] ...

Options become VELMORA_* environment variables that every worker reads (see
velmora_service/settings.py); the nonce secret is generated here once, so all workers
share it. `make serve` runs `--workers 2 --start-redis`.
"""

import argparse
import contextlib
import ipaddress
import os
import pathlib
import secrets
import signal
import sys
from types import FrameType

import uvicorn

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

from velmora_service import settings as config  # noqa: E402
from velmora_core.state.private_redis import free_port, private_redis  # noqa: E402


def port_number(text: str) -> int:
    port = int(text)
    if not 0 <= port <= 65535:
        raise argparse.ArgumentTypeError(f"{port} is not a TCP port (0 to 65535)")
    return port


def proxy_list(text: str) -> str:
    # uvicorn takes an entry it cannot read as a literal host name and so trusts nobody
    # by it, silently: refuse such a typo here.
    for entry in filter(None, (part.strip() for part in text.split(","))):
        if entry == "*":
            continue
        try:
            ipaddress.ip_network(entry) if "/" in entry else ipaddress.ip_address(entry)
        except ValueError:
            raise argparse.ArgumentTypeError(f"{entry!r} is not an IP address or network") from None
    return text


def parse_args(argv: list[str]) -> argparse.Namespace:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0] if __doc__ else None)
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=port_number, default=8000, help="0 picks a free port")
    p.add_argument("--workers", type=int, default=1)
    p.add_argument("--state", choices=["local", "redis"], default="local",
                   help="local: this process's tables (one worker only); redis: shared by all workers")
    p.add_argument("--redis-url", default=config.Settings.redis_url)
    p.add_argument("--start-redis", action="store_true",
                   help="start a private redis-server on a free loopback port (implies --state redis)")
    p.add_argument("--ban-seconds", type=int, default=config.DEFAULT_BAN_SECONDS,
                   help="how long a bot verdict bans the client address (0: no bans)")
    p.add_argument("--model", default="", metavar="MODEL",
                   help="a detector model file, e.g. from `velmora-core calibrate` (default: the bundled one)")
    p.add_argument("--exempt-loopback", action="store_true",
                   help="demo: bot verdicts on loopback clients (127.0.0.1, ::1) do not ban them")
    p.add_argument("--max-body-bytes", type=int, default=config.DEFAULT_MAX_BODY_BYTES)
    p.add_argument("--redis-pool-size", type=int, default=config.DEFAULT_REDIS_POOL_SIZE,
                   help="Redis connections per worker; more simultaneous requests wait for one")
    p.add_argument("--redis-timeout", type=float, default=config.DEFAULT_REDIS_TIMEOUT,
                   help="seconds to connect to Redis, to get a reply, or to wait for a pooled connection")
    p.add_argument("--trusted-proxy", type=proxy_list, default="",
                   help="comma-separated proxy addresses whose X-Forwarded-For is believed; "
                        "off by default, so the client address is the TCP peer")
    p.add_argument("--skip-module", action="store_true",
                   help="benchmark baseline: answer /verdict without calling velmora_core_rs "
                        "(a fixed feature record; on the local engine no replay guard or bans)")
    p.add_argument("--log-level", default="info", choices=["critical", "error", "warning", "info", "debug", "trace"])
    return p.parse_args(argv)


def _exit_on_signal(signum: int, frame: FrameType | None) -> None:
    raise SystemExit(128 + signum)


def main(argv: list[str]) -> int:
    # uvicorn stops gracefully on SIGTERM, then raises the signal again under the handler it
    # found. Python's default would end the process there, before the private Redis below is
    # stopped and its directory (with the password file) removed; this exit unwinds them.
    for stop in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(stop, _exit_on_signal)
    args = parse_args(argv)
    state = "redis" if args.start_redis else args.state
    os.environ.update({
        "VELMORA_STATE": state,
        "VELMORA_WORKERS": str(args.workers),
        "VELMORA_BAN_SECONDS": str(args.ban_seconds),
        "VELMORA_MAX_BODY_BYTES": str(args.max_body_bytes),
        "VELMORA_REDIS_POOL_SIZE": str(args.redis_pool_size),
        "VELMORA_REDIS_TIMEOUT": repr(args.redis_timeout),
        "VELMORA_SKIP_MODULE": "1" if args.skip_module else "0",
        "VELMORA_MODEL": os.path.abspath(args.model) if args.model else "",
        "VELMORA_EXEMPT_LOOPBACK": "1" if args.exempt_loopback else "0",
    })
    os.environ.setdefault("VELMORA_NONCE_SECRET", secrets.token_hex(32))
    os.environ["VELMORA_REDIS_URL"] = args.redis_url
    try:
        config.from_env()  # every setting, before anything starts
    except config.ConfigError as exc:
        print(f"serve.py: {exc}", file=sys.stderr)
        return 2
    port = args.port or free_port()
    with contextlib.ExitStack() as stack:
        if args.start_redis:
            try:
                os.environ["VELMORA_REDIS_URL"] = stack.enter_context(private_redis())
            except RuntimeError as exc:
                print(f"serve.py: {exc}", file=sys.stderr)
                return 2
        where = f", Redis at {config.redacted_url(os.environ['VELMORA_REDIS_URL'])}" if state == "redis" else ""
        print(f"Velmora reference service: http://{args.host}:{port}/ "
              f"({args.workers} worker{'s' if args.workers > 1 else ''}, {state} state engine{where})",
              flush=True)
        uvicorn.run("velmora_service.app:create_app", factory=True, app_dir=str(HERE),
                    host=args.host, port=port, workers=args.workers, log_level=args.log_level,
                    proxy_headers=bool(args.trusted_proxy),
                    forwarded_allow_ips=args.trusted_proxy or None)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
