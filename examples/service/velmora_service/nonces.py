"""Signed one-time nonces: 128 random bits and the issue time, under an HMAC.

A nonce is the URL-safe base64 text (no padding) of 48 bytes:

    16 random bytes | issue time, ms since the Unix epoch, 8 bytes big-endian | tag, 24 bytes

where the tag is the first 24 bytes of HMAC-SHA256(secret, label | the first 24 bytes).
48 bytes encode to exactly 64 characters with no spare bits, and a nonce is accepted only
in its one canonical spelling, so the replay guard never sees two spellings of one nonce.

The signature proves that this service issued the nonce and when; the replay guard
(a state engine) makes it single-use. The guard remembers an accepted nonce for more than
MAX_AGE_SECONDS, and a nonce older than that is refused here before the guard is asked,
so there is no moment at which a used nonce is accepted again.
"""

import base64
import binascii
import enum
import hashlib
import hmac
import secrets
import time
from collections.abc import Callable

MAX_AGE_SECONDS = 60
# Issue times this far in the future are tolerated (wall clocks of workers on one host
# agree; this only absorbs rounding).
FUTURE_TOLERANCE_MS = 1000

_LABEL = b"velmora-nonce-v1"
_RANDOM_BYTES = 16
_TIME_BYTES = 8
_TAG_BYTES = 24
_RAW_BYTES = _RANDOM_BYTES + _TIME_BYTES + _TAG_BYTES
TEXT_LENGTH = _RAW_BYTES * 4 // 3


class NonceCheck(enum.Enum):
    VALID = "valid"
    NOT_ISSUED = "nonce was not issued by this service"
    EXPIRED = "nonce has expired (nonces are valid for 60 seconds)"


def _encode(raw: bytes) -> str:
    return base64.urlsafe_b64encode(raw).decode("ascii")


class NonceSigner:
    """Issues and checks nonces under one secret; ``clock`` returns Unix seconds."""

    def __init__(self, secret: bytes, clock: Callable[[], float] = time.time) -> None:
        self._secret = secret
        self._clock = clock

    def _tag(self, body: bytes) -> bytes:
        return hmac.new(self._secret, _LABEL + body, hashlib.sha256).digest()[:_TAG_BYTES]

    def issue(self) -> str:
        issued_ms = int(self._clock() * 1000)
        body = secrets.token_bytes(_RANDOM_BYTES) + issued_ms.to_bytes(_TIME_BYTES, "big")
        return _encode(body + self._tag(body))

    def check(self, nonce: str) -> NonceCheck:
        if len(nonce) != TEXT_LENGTH:
            return NonceCheck.NOT_ISSUED
        try:
            raw = base64.urlsafe_b64decode(nonce.encode("ascii"))
        except (UnicodeEncodeError, binascii.Error, ValueError):
            return NonceCheck.NOT_ISSUED
        # The decoder skips characters outside the alphabet: insist on the one spelling.
        if len(raw) != _RAW_BYTES or _encode(raw) != nonce:
            return NonceCheck.NOT_ISSUED
        body, tag = raw[:-_TAG_BYTES], raw[-_TAG_BYTES:]
        if not hmac.compare_digest(tag, self._tag(body)):
            return NonceCheck.NOT_ISSUED
        issued_ms = int.from_bytes(body[_RANDOM_BYTES:], "big")
        age_ms = int(self._clock() * 1000) - issued_ms
        # Refused from the 60th second on, in whole milliseconds: with both times truncated,
        # a nonce the guard could already have forgotten (accepted more than 60 s ago)
        # always counts at least 60000 ms here.
        if age_ms >= MAX_AGE_SECONDS * 1000 or age_ms < -FUTURE_TOLERANCE_MS:
            return NonceCheck.EXPIRED
        return NonceCheck.VALID
