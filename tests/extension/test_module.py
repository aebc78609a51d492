"""The module object: its attributes, function table, re-initialisation and interpreter claim."""

import importlib
import inspect
import shutil
import subprocess
import sys
import textwrap

import pytest

import velmora_core_rs as core

FUNCTIONS = {
    "is_rust_core_active": (),
    "get_core_version": (),
    "extract_features_rs": ("telemetry",),
    "evaluate_curvature_naturalness_rs": ("x", "y", "t"),
    "evaluate_curvature_zerocopy_rs": ("x_obj", "y_obj", "t_obj"),
    "evaluate_keystroke_dynamics_rs": ("keystrokes",),
    "consume_nonce_rs": ("nonce",),
    "is_ip_banned_rs": ("ip",),
    "ban_ip_rs": ("ip", "duration_sec"),
    "unban_ip_rs": ("ip",),
    "hydrate_bans_rs": ("bans",),
    "clear_state_engine_rs": (),
    "get_state_engine_stats_rs": (),
}


def test_module_attributes():
    assert core.__name__ == "velmora_core_rs"
    assert core.__doc__ == ""
    assert type(core.__all__) is list
    assert core.__all__ == list(FUNCTIONS)


@pytest.mark.parametrize("name,params", FUNCTIONS.items())
def test_function_records(name, params):
    fn = getattr(core, name)
    assert fn.__name__ == name
    assert fn.__module__ == "velmora_core_rs"
    assert fn.__self__ is core
    # The stored doc is a bare text signature, so no doc text remains.
    assert fn.__doc__ is None
    assert fn.__text_signature__ == "(" + ", ".join(params) + ")"
    sig = inspect.signature(fn)
    assert tuple(sig.parameters) == params
    for p in sig.parameters.values():
        assert p.kind is inspect.Parameter.POSITIONAL_OR_KEYWORD
        assert p.default is inspect.Parameter.empty


def test_probes():
    assert core.is_rust_core_active() is True
    first, second = core.get_core_version(), core.get_core_version()
    assert first == second == "0.9.4-native-rust"
    assert type(first) is str and len(first) == 17


@pytest.mark.parametrize(
    "name", ["is_rust_core_active", "get_core_version", "clear_state_engine_rs", "get_state_engine_stats_rs"]
)
def test_no_argument_functions_refuse_arguments(name):
    fn = getattr(core, name)
    with pytest.raises(TypeError, match=r"takes no arguments \(1 given\)"):
        fn(1)
    with pytest.raises(TypeError, match="takes no keyword arguments"):
        fn(x=1)


def test_reinitialisation_returns_the_cached_module():
    original = sys.modules.pop("velmora_core_rs")
    try:
        again = importlib.import_module("velmora_core_rs")
        assert again is original
        assert again.__all__ == list(FUNCTIONS)  # nothing registered twice
    finally:
        sys.modules["velmora_core_rs"] = original


def run_python(code):
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True,
                          timeout=120)


def test_second_interpreter_is_refused_and_first_keeps_working():
    result = run_python("""
        import _interpreters
        import velmora_core_rs
        interp = _interpreters.create("legacy")
        failure = _interpreters.run_string(interp, "import velmora_core_rs")
        _interpreters.destroy(interp)
        print(failure.type.__name__)
        print(failure.msg)
        print(velmora_core_rs.get_core_version(), velmora_core_rs.is_rust_core_active())
    """)
    assert result.returncode == 0, result.stderr
    kind, message, still_working = result.stdout.splitlines()
    assert kind == "ImportError"
    assert "does not yet support sub-interpreters" in message
    assert still_working == "0.9.4-native-rust True"


@pytest.mark.skipif(shutil.which("nm") is None, reason="binutils nm not available")
def test_only_the_init_entry_is_exported():
    out = subprocess.run(["nm", "-D", "--defined-only", core.__file__], capture_output=True, text=True,
                         check=True).stdout
    symbols = [line.split()[-1] for line in out.splitlines() if line.strip()]
    assert symbols == ["PyInit_velmora_core_rs"]
    assert core.__file__.endswith(".abi3.so")
