"""The one error type of the batch tools: a run that cannot start or go on."""

import importlib.util
from collections.abc import Sequence


class BatchError(Exception):
    """Unreadable input, unknown format, missing optional package, unreachable cluster."""


def missing_extra(extra: str, package: str, purpose: str) -> BatchError:
    # Never the bare package name: from a public index that could install somebody else's
    # package of the same name (see the README's Installing).
    return BatchError(f"{purpose} needs the {package} package, which comes with the '{extra}' extra: "
                      f"pip install \"$WHEEL[{extra}]\" with the velmora_core_rs wheel file, or "
                      f"'velmora_core_rs[{extra}]' with --index-url of your private index")


def require_extra(extra: str, modules: Sequence[str], purpose: str) -> None:
    """Refuse now, before any reading, when a module of the extra is not installed."""
    for module in modules:
        if importlib.util.find_spec(module) is None:
            raise missing_extra(extra, module, purpose)
