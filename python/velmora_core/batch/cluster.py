"""The batch extraction on a Dask cluster (needs the ``velmora_core_rs[dask]`` extra).

Two ways in:

- :func:`features_frame` maps a Dask bag of JSON lines (for example
  ``dask.bag.read_text("logs/*.jsonl", include_path=True)``) to a Dask dataframe with one
  row per session: ``file``, ``line``, any ``keep`` keys, then the 39 features.
- :func:`cluster_executor` connects to a running scheduler and hands out a
  ``concurrent.futures`` executor; ``velmora-core features --scheduler ADDRESS`` runs the
  same chunked extraction as on local cores through it, with the same output.
"""

from collections.abc import Iterator, Sequence
from concurrent.futures import Executor
from contextlib import contextmanager
from typing import TYPE_CHECKING, Any, Literal, cast

from velmora_core.errors import BatchError, missing_extra
from velmora_core.batch.extraction import extract_lines, feature_types
from velmora_core.batch.writers import check_keep

if TYPE_CHECKING:
    import dask.bag
    import dask.dataframe
    import pandas


def _require_dask() -> None:
    try:
        import dask.dataframe
        import distributed
    except ImportError:
        raise missing_extra("dask", "dask[dataframe,distributed]", "running on a Dask cluster") from None
    del dask, distributed  # imported only to check that they are installed


@contextmanager
def cluster_executor(address: str, timeout: float = 10.0) -> Iterator[Executor]:
    """An executor on the Dask scheduler at address (e.g. "tcp://10.0.0.5:8786").

    The workers need this package installed; the input is read here and shipped to them
    in chunks, so they need not see the input files.
    """
    _require_dask()
    from distributed import Client
    try:
        client = Client(address, timeout=timeout, set_as_default=False)  # type: ignore[no-untyped-call]
    except (OSError, TimeoutError) as error:
        raise BatchError(f"cannot reach the Dask scheduler at {address}: {error}") from None
    with client:
        yield client.get_executor(pure=False)  # type: ignore[no-untyped-call]


def _frame(rows: list[tuple[Any, ...]], files: list[str], keep: Sequence[str]) -> "pandas.DataFrame":
    import pandas
    columns = ["line", *keep, *feature_types()]
    frame = pandas.DataFrame.from_records(rows, columns=columns) if rows else pandas.DataFrame(columns=columns)
    frame.insert(0, "file", pandas.Series(files, dtype=object))
    dtypes: dict[str, Any] = {"line": "int64", **{k: object for k in keep}}
    dtypes.update({k: {bool: "bool", int: "int64", float: "float64"}[t] for k, t in feature_types().items()})
    return frame.astype(dtypes)


def _partition(items: Sequence[Any], keep: Sequence[str], errors: str) -> "pandas.DataFrame":
    # Line numbers count the lines of each file within the partition: with one partition
    # per file (read_text's default) they are the file's own line numbers.
    rows: list[tuple[Any, ...]] = []
    files: list[str] = []
    counts: dict[str, int] = {}
    for item in items:
        text, path = (item if isinstance(item, tuple) else (item, ""))
        number = counts[path] = counts.get(path, 0) + 1
        found, rejects = extract_lines([text], number, keep)
        if rejects and errors == "raise":
            raise ValueError(f"{path or '<bag>'}:{number}: {rejects[0][1]}")
        rows.extend(found)
        files.extend([path] * len(found))
    return _frame(rows, files, keep)


def features_frame(lines: "dask.bag.Bag", keep: Sequence[str] = (),
                   errors: Literal["raise", "skip"] = "raise") -> "dask.dataframe.DataFrame":
    """One row per JSON line of the bag: file, line, the keep keys, then the 39 features.

    The bag holds str or bytes lines, or (line, path) pairs as given by
    ``read_text(..., include_path=True)``, which fill the ``file`` column. A line that is
    not a JSON object raises ValueError naming file and line when the frame is computed,
    or is left out with errors="skip". Features have the same values and types as
    ``velmora-core features`` writes. A keep key that would clash with another column
    raises ValueError at once.
    """
    _require_dask()
    if errors not in ("raise", "skip"):
        raise ValueError(f"errors must be 'raise' or 'skip', not {errors!r}")
    try:
        check_keep(tuple(keep))
    except BatchError as error:
        raise ValueError(str(error)) from None
    import dask.dataframe as dd
    from dask.delayed import delayed
    keep = tuple(keep)
    parts = [delayed(_partition)(part, keep, errors) for part in lines.to_delayed()]  # type: ignore[no-untyped-call]
    return cast("dask.dataframe.DataFrame", dd.from_delayed(parts, meta=_frame([], [], keep), verify_meta=False))
