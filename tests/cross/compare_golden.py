"""Compares the golden outputs of several targets with a reference target's.

Each file holds "name bits class" lines (see golden_outputs.cpp). Class "exact" must match
bit for bit; class "libm" (values through the C library's sin, cos or log2) is compared by
the distance in units in the last place, and the largest distance per target is reported.

    python compare_golden.py REFERENCE.txt OTHER.txt...

Exits non-zero on any difference in an exact value, a missing or extra line, or a libm
value more than MAX_ULPS apart.
"""

import pathlib
import sys

# Correctly rounded or nearly so in every C library we build with; a larger gap means a
# difference in our own arithmetic, not the platform's.
MAX_ULPS = 64


def read(path: pathlib.Path) -> dict[str, tuple[int, str]]:
    values: dict[str, tuple[int, str]] = {}
    for line in path.read_text().splitlines():  # also takes Windows' CRLF
        name, bits, cls = line.split()
        values[name] = (int(bits, 16), cls)
    return values


def ordered(bits: int) -> int:
    """Maps IEEE-754 doubles to integers in the same order, adjacent doubles one apart."""
    return -(bits & 0x7FFF_FFFF_FFFF_FFFF) if bits >> 63 else bits


def is_nan(bits: int) -> bool:
    return (bits & 0x7FF0_0000_0000_0000) == 0x7FF0_0000_0000_0000 and bits & 0x000F_FFFF_FFFF_FFFF != 0


def ulps(a: int, b: int) -> int:
    if is_nan(a) or is_nan(b):
        return 0 if is_nan(a) and is_nan(b) else 2**64
    return abs(ordered(a) - ordered(b))


def compare(reference: dict[str, tuple[int, str]], other: dict[str, tuple[int, str]], label: str) -> bool:
    ok = True
    if reference.keys() != other.keys():
        missing, extra = reference.keys() - other.keys(), other.keys() - reference.keys()
        print(f"{label}: {len(missing)} values missing, {len(extra)} extra, e.g. {sorted(missing | extra)[:3]}")
        ok = False
    exact = exact_diff = libm = libm_diff = worst = 0
    worst_name = ""
    for name, (bits, cls) in reference.items():
        if name not in other:
            continue
        theirs = other[name][0]
        if cls == "exact":
            exact += 1
            if bits != theirs:
                exact_diff += 1
                if exact_diff <= 5:
                    print(f"{label}: {name} differs: {bits:016x} vs {theirs:016x}")
        else:
            libm += 1
            distance = ulps(bits, theirs)
            libm_diff += distance != 0
            if distance > worst:
                worst, worst_name = distance, name
    print(
        f"{label}: {exact - exact_diff}/{exact} exact values bit-identical; "
        f"{libm - libm_diff}/{libm} sin/cos/log2 values bit-identical, largest distance "
        f"{worst} ulp{f' ({worst_name})' if worst else ''}"
    )
    return ok and exact_diff == 0 and worst <= MAX_ULPS


def main(argv: list[str]) -> int:
    if len(argv) < 3:
        print(__doc__)
        return 2
    reference = read(pathlib.Path(argv[1]))
    results = [compare(reference, read(pathlib.Path(p)), pathlib.Path(p).stem) for p in argv[2:]]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
