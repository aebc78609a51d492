"""Argument types shared by the `velmora-core` commands."""

import argparse


def count(text: str) -> int:
    """A whole number of at least 1 (jobs, figures)."""
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 1:
        raise argparse.ArgumentTypeError("must be at least 1")
    return value
