"""Reading a ``POST /verdict`` body: the size limit first, then the JSON shape."""

import json
import math
from collections.abc import AsyncIterator, Mapping
from dataclasses import dataclass
from typing import cast

from velmora_core.records import Telemetry


class BodyTooLarge(Exception):
    pass


class MalformedBody(Exception):
    pass


@dataclass(frozen=True)
class VerdictRequest:
    nonce: str
    telemetry: Telemetry


async def read_limited(headers: Mapping[str, str], stream: AsyncIterator[bytes], limit: int) -> bytes:
    """The whole body, refused as soon as it is known to exceed ``limit`` bytes.

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
    async for chunk in stream:
        size += len(chunk)
        if size > limit:
            raise BodyTooLarge
        chunks.append(chunk)
    return b"".join(chunks)


def parse_verdict(body: bytes) -> VerdictRequest:
    """``{"nonce": str, "telemetry": object}``; anything else is a MalformedBody.

    The telemetry's content is not checked here: the extension reads it leniently and
    ignores what it cannot use.
    """
    try:
        data = json.loads(body)
    except (ValueError, RecursionError):  # UnicodeDecodeError is a ValueError
        raise MalformedBody("body is not valid JSON") from None
    if not isinstance(data, dict):
        raise MalformedBody("body must be a JSON object")
    fields = cast(dict[str, object], data)  # JSON object keys are strings
    nonce = fields.get("nonce")
    telemetry = fields.get("telemetry")
    if not isinstance(nonce, str):
        raise MalformedBody("'nonce' must be a string")
    if not isinstance(telemetry, dict):
        raise MalformedBody("'telemetry' must be an object")
    # Its content is whatever the client sent; the extension reads it leniently.
    return VerdictRequest(nonce, cast(Telemetry, telemetry))


def jsonable(record: Mapping[str, object]) -> dict[str, object]:
    """The feature record with NaN and infinities (which JSON cannot carry) as null."""
    return {k: None if isinstance(v, float) and not math.isfinite(v) else v for k, v in record.items()}
