"""The one error type of the batch tools: a run that cannot start or go on."""


class BatchError(Exception):
    """Unreadable input, unknown format, missing optional package, unreachable cluster."""


def missing_extra(extra: str, package: str, purpose: str) -> BatchError:
    return BatchError(f"{purpose} needs the {package} package: pip install 'velmora_core_rs[{extra}]'")
