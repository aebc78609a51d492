"""The Starlette application: the page, ``GET /nonce`` and ``POST /verdict``.

Run it with ``serve.py`` (several workers, Redis, a shared secret), or for one worker
directly with ``uvicorn --factory --no-proxy-headers --app-dir examples/service
velmora_service.app:create_app`` (uvicorn otherwise believes X-Forwarded-For from 127.0.0.1).
"""

import ipaddress
import logging
import os
import pathlib
from collections.abc import AsyncGenerator, Callable, Mapping
from contextlib import asynccontextmanager
from typing import Any

from starlette.applications import Starlette
from starlette.exceptions import HTTPException
from starlette.requests import ClientDisconnect, Request
from starlette.responses import FileResponse, JSONResponse, Response
from starlette.routing import Mount, Route
from starlette.staticfiles import StaticFiles
from velmora_core.detect import AsyncStrokeMemory, Detector
from velmora_core.detect.stroke_memory import evidence, stroke_prints_json
from velmora_core.records import FEATURE_NAMES
from velmora_core.state import AsyncStateEngine, StateEngineUnavailable

from velmora_service import settings as config
from velmora_service.engines import open_stores
from velmora_service.intake import (BODY_SECONDS, BodyTooLarge, BodyTooSlow, MalformedBody, jsonable, parse_envelope,
                                    parse_verdict, read_limited)
from velmora_service.nonces import NonceCheck, NonceSigner
from velmora_service.policy import Decision, decide, decide_by_rules

_log = logging.getLogger("velmora.service")
STATIC = pathlib.Path(__file__).parent / "static"
WORKER = str(os.getpid())

# A request body to (nonce, feature record, behaviour feature values).
Reader = Callable[[bytes], tuple[str, Mapping[str, object], list[float]]]

# The benchmark baseline's stand-in for the feature record: same keys, no computation.
_FIXED_RECORD: dict[str, object] = {name: 0.0 for name in FEATURE_NAMES}


def _json(payload: dict[str, Any], status: int = 200) -> JSONResponse:
    # The worker's process id shows which worker answered (the multi-worker tests use it).
    return JSONResponse(payload, status, headers={"Cache-Control": "no-store", "X-Velmora-Worker": WORKER})


def _error(status: int, message: str) -> JSONResponse:
    return _json({"error": message}, status)


async def _http_refusal(_request: Request, exc: Exception) -> Response:
    # The router's own refusals (404, 405 with its Allow header) in JSON, like every other.
    assert isinstance(exc, HTTPException)
    answer = _error(exc.status_code, exc.detail.lower())
    answer.headers.update(exc.headers or {})
    return answer


async def _engine_unavailable(_request: Request, exc: Exception) -> Response:
    # Fail closed: without the store nobody can tell whether a nonce is new or an
    # address banned, so nothing is served until it is back.
    _log.error("%s", exc)
    return _error(503, "state engine unavailable, try again later")


def _read(body: bytes) -> tuple[str, Mapping[str, object], list[float]]:
    # The features come with the body: read natively from its text, which costs less than
    # json.loads alone, so they are ready before the nonce is checked.
    submitted = parse_verdict(body)
    return submitted.nonce, submitted.features, submitted.behaviour


def _read_without_module(body: bytes) -> tuple[str, Mapping[str, object], list[float]]:
    nonce, _ = parse_envelope(body)
    return nonce, dict(_FIXED_RECORD), []


def client_address(request: Request) -> str:
    """The peer address, or the proxy-reported one when uvicorn trusts the proxy."""
    return request.client.host if request.client is not None else "unknown"


CHALLENGE = "the session could not be judged: present a challenge before going on"


def _loopback(address: str) -> bool:
    try:
        return ipaddress.ip_address(address).is_loopback
    except ValueError:
        return False


class Service:
    def __init__(self, settings: config.Settings) -> None:
        self.settings = settings
        self.signer = NonceSigner(settings.nonce_secret)
        self.read: Reader = _read_without_module if settings.skip_module else _read
        self._engine: AsyncStateEngine | None = None
        self._memory: AsyncStrokeMemory | None = None
        self.detector = None if settings.skip_module else (
            Detector.load(settings.model_path) if settings.model_path else Detector.default())

    @property
    def engine(self) -> AsyncStateEngine:
        if self._engine is None:
            raise RuntimeError("the state engine is opened by the application's lifespan")
        return self._engine

    @asynccontextmanager
    async def lifespan(self, _app: Starlette) -> AsyncGenerator[None]:
        async with open_stores(self.settings) as (engine, memory):
            self._engine, self._memory = engine, memory
            yield
            self._engine = self._memory = None

    async def page(self, _request: Request) -> Response:
        return FileResponse(STATIC / "index.html")

    async def health(self, _request: Request) -> Response:
        return _json({"status": "ok", "state": self.settings.state, "worker": WORKER})

    async def nonce(self, request: Request) -> Response:
        if await self.engine.is_ip_banned(client_address(request)):
            return _error(403, "address is banned")
        return _json({"nonce": self.signer.issue()})

    async def verdict(self, request: Request) -> Response:
        address = client_address(request)
        if await self.engine.is_ip_banned(address):
            return _error(403, "address is banned")
        limit = self.settings.max_body_bytes
        try:
            body = await read_limited(request.headers, request.stream(), limit)
            nonce, features, behaviour = self.read(body)
        except BodyTooLarge:
            return _error(413, f"body exceeds {limit} bytes")
        except BodyTooSlow:
            return _error(408, f"body not received within {BODY_SECONDS:g} s")
        except ClientDisconnect:
            return Response(status_code=400)  # the client left mid-body: nobody to answer, nothing to log
        except MalformedBody as exc:
            return _error(400, str(exc))
        check = self.signer.check(nonce)
        if check is not NonceCheck.VALID:
            return _error(409, check.value)
        if not await self.engine.consume_nonce(nonce):
            return _error(409, "nonce has already been used")
        decision = (decide_by_rules(features) if self.detector is None
                    else await self._replays(body, decide(self.detector, features, behaviour)))
        exempt = self.settings.exempt_loopback and _loopback(address)
        if decision.verdict == "bot" and self.settings.ban_seconds > 0 and not exempt:
            await self.engine.ban_ip(address, self.settings.ban_seconds)
        reply = {
            "verdict": decision.verdict,
            "score": decision.score,
            "reasons": list(decision.reasons),
            "features": jsonable(features),
        }
        if decision.verdict == "unsure":
            # Not enough to decide: the page should ask for proof of a person (a challenge)
            # rather than let the session through or ban its address.
            reply["challenge"] = CHALLENGE
        return _json(reply)


    async def _replays(self, body: bytes, decision: Decision) -> Decision:
        """A bot too when the session's strokes replay earlier sessions' (the memory is shared
        by every worker on Redis); its strokes are remembered either way."""
        if self._memory is None:
            return decision
        prints = stroke_prints_json(body, "telemetry")
        replay = evidence(await self._memory.observe(prints), prints.distinctive)
        return Decision("bot", decision.score, (replay.text, *decision.reasons)) if replay.is_replay else decision


def create_app(settings: config.Settings | None = None) -> Starlette:
    """The application; without settings they are read from the environment."""
    service = Service(settings if settings is not None else config.from_env())
    routes = [
        Route("/", service.page, methods=["GET"]),
        Route("/healthz", service.health, methods=["GET"]),
        Route("/nonce", service.nonce, methods=["GET"]),
        Route("/verdict", service.verdict, methods=["POST"]),
        Mount("/static", StaticFiles(directory=STATIC), name="static"),
    ]
    return Starlette(routes=routes, lifespan=service.lifespan,
                     exception_handlers={StateEngineUnavailable: _engine_unavailable, HTTPException: _http_refusal})
