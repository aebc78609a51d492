"""Reading a ``POST /verdict`` body: the size limit first, then the JSON shape and the features."""

import asyncio
import math
from collections.abc import AsyncIterator, Mapping
from dataclasses import dataclass
from typing import Final, cast

import velmora_core_rs
from velmora_core import _native
from velmora_core.behaviour import behaviour_feature_values
from velmora_core.ingest import loads
from velmora_core.records import FeatureRecord, Telemetry


# The longest a request body may take to arrive, once its headers are in.
BODY_SECONDS: Final = 10.0


class BodyTooLarge(Exception):
    pass


class MalformedBody(Exception):
    pass


class BodyTooSlow(Exception):
    pass


@dataclass(frozen=True)
class VerdictRequest:
    nonce: str
    features: FeatureRecord  # of the telemetry
    behaviour: list[float]  # its behaviour feature values, for the detector


async def read_limited(headers: Mapping[str, str], stream: AsyncIterator[bytes], limit: int,
                       seconds: float = BODY_SECONDS) -> bytes:
    """The whole body, refused as soon as it is known to exceed ``limit`` bytes, or when it
    has not all arrived within ``seconds`` (BodyTooSlow: a trickling client holds a
    connection and a buffer only that long).

    A declared Content-Length over the limit is refused before anything is read; a body
    without one (chunked) is counted as it arrives, so at most ``limit`` bytes are held.
    """
    declared = headers.get("content-length")
    if declared is not None:
        if not declared.isdigit():
            raise MalformedBody("invalid Content-Length")
        if int(declared) > limit:
            raise BodyTooLarge
    chunks: list[bytes] = []
    size = 0
    try:
        async with asyncio.timeout(seconds):
            async for chunk in stream:
                size += len(chunk)
                if size > limit:
                    raise BodyTooLarge
                chunks.append(chunk)
    except TimeoutError:
        raise BodyTooSlow from None
    return b"".join(chunks)


def parse_verdict(body: bytes) -> VerdictRequest:
    """``{"nonce": str, "telemetry": object}`` and the telemetry's features; anything else is a
    MalformedBody.

    The features are read straight from the body's text, as extract_features_rs gives them
    for json.loads' object; the telemetry's content is not checked here, as the extraction
    reads it leniently and ignores what it cannot use. A body the native reader leaves to
    json.loads (NaN, lone surrogates, UTF-16...) takes that road.
    """
    read = _native.session_parts_json(body, "telemetry", ("nonce",))  # one parse for both feature sets
    if read is None:
        nonce, telemetry = parse_envelope(body)
        return VerdictRequest(nonce, velmora_core_rs.extract_features_rs(telemetry),
                              behaviour_feature_values(telemetry))
    body_kind, telemetry_kind, features, behaviour, (nonce,) = read
    _check_envelope(body_kind == "object", nonce, telemetry_kind == "object")
    assert features is not None and behaviour is not None  # an object's features
    return VerdictRequest(cast(str, nonce), features, behaviour)


def parse_envelope(body: bytes) -> tuple[str, Telemetry]:
    """The nonce and the telemetry object as json.loads reads them, or a MalformedBody."""
    try:
        data = loads(body)
    except (ValueError, RecursionError):  # UnicodeDecodeError is a ValueError
        raise MalformedBody("body is not valid JSON") from None
    is_object = isinstance(data, dict)
    fields = cast(dict[str, object], data) if is_object else {}  # JSON object keys are strings
    nonce = fields.get("nonce")
    telemetry = fields.get("telemetry")
    _check_envelope(is_object, nonce, isinstance(telemetry, dict))
    # Its content is whatever the client sent; the extension reads it leniently.
    return cast(str, nonce), cast(Telemetry, telemetry)


def _check_envelope(is_object: bool, nonce: object, telemetry_is_object: bool) -> None:
    if not is_object:
        raise MalformedBody("body must be a JSON object")
    if not isinstance(nonce, str):
        raise MalformedBody("'nonce' must be a string")
    if not telemetry_is_object:
        raise MalformedBody("'telemetry' must be an object")


def jsonable(record: Mapping[str, object]) -> dict[str, object]:
    """The feature record with NaN and infinities (which JSON cannot carry) as null."""
    return {k: None if isinstance(v, float) and not math.isfinite(v) else v for k, v in record.items()}
