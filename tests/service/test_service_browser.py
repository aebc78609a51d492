"""Real Chromium drives the demo page: real pointer and key events reach the service.

Input goes through WebDriver actions (chromedriver turns each into a browser input event).
The collector reads PointerEvent.getCoalescedEvents(), so when the browser merges several
moves into one event per frame the merged samples are still recorded: the number of
samples the server receives must equal the number of moves dispatched, however many
pointermove events the page saw (at most that many; the test prints both counts).
"""

import json
import os
import pathlib
import shutil
import time
from collections.abc import Iterator
from typing import Any

import httpx
import pytest
import velmora_core_rs
from selenium import webdriver
from selenium.webdriver.chrome.service import Service as DriverService
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.key_input import KeyInput
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.remote.webdriver import WebDriver

from helpers import DATA, ROOT
from testkit.service_process import running_service
from velmora_service.intake import jsonable

OUTPUT = ROOT / "build" / "test-output" / "service"
SENTENCE = "the quick brown fox jumps over the lazy dog."
BAN_SECONDS = 2
HUMAN_LINE = 1  # examples/data/human_sample.jsonl, 0-based: a 252-sample SapiMouse track

Move = tuple[int, int, int]  # x, y in viewport CSS px; duration of the move in ms


@pytest.fixture(scope="module")
def service() -> Iterator[str]:
    # 127.0.0.1 is trusted as a proxy so that the test can speak for other addresses with
    # X-Forwarded-For; the browser sends no such header and is 127.0.0.1 itself.
    with running_service("--trusted-proxy", "127.0.0.1", "--ban-seconds", str(BAN_SECONDS)) as base:
        yield base


@pytest.fixture(scope="module")
def browser() -> Iterator[WebDriver]:
    chromium, driver_exe = shutil.which("chromium"), shutil.which("chromedriver")
    if chromium is None or driver_exe is None:
        raise RuntimeError("chromium and chromedriver are needed: run scripts/setup-system browser")
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=1280,900", "--force-device-scale-factor=1"):
        options.add_argument(arg)
    # An explicit driver path: Selenium Manager has nothing to look up or download. The
    # sanitizer run's preloaded runtimes are for the interpreter, not for the browser.
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    driver = webdriver.Chrome(options=options, service=DriverService(executable_path=driver_exe, env=env))
    driver.set_script_timeout(30)
    try:
        yield driver
    finally:
        driver.quit()


def new_mouse() -> PointerInput:
    # Selenium leaves these few methods unannotated.
    return PointerInput(interaction.POINTER_MOUSE, "mouse")  # type: ignore[no-untyped-call]


def move_along(driver: WebDriver, moves: list[Move]) -> None:
    mouse = new_mouse()
    for x, y, duration in moves:
        mouse.create_pointer_move(duration=duration, x=x, y=y, origin="viewport")
    ActionBuilder(driver, mouse=mouse).perform()


def click_in_place(driver: WebDriver) -> None:
    mouse = new_mouse()
    mouse.create_pointer_down(button=0)  # type: ignore[no-untyped-call]
    mouse.create_pause(0.06)
    mouse.create_pointer_up(0)  # type: ignore[no-untyped-call]
    ActionBuilder(driver, mouse=mouse).perform()


def type_text(driver: WebDriver, text: str) -> None:
    keyboard = KeyInput("keyboard")
    for i, char in enumerate(text):
        keyboard.create_key_down(char)
        keyboard.create_pause(0.05 + 0.01 * (i % 4))  # held 50-80 ms
        keyboard.create_key_up(char)
        keyboard.create_pause(0.04)
    ActionBuilder(driver, keyboard=keyboard).perform()


def center(driver: WebDriver, element_id: str) -> tuple[int, int]:
    box = driver.execute_script(
        "const r = document.getElementById(arguments[0]).getBoundingClientRect();"
        "return [r.left + r.width / 2, r.top + r.height / 2];", element_id)
    return int(box[0]), int(box[1])


def open_page(driver: WebDriver, base: str) -> None:
    driver.get(base + "/")
    driver.execute_script(
        "window.pointerEvents = 0;"
        "document.addEventListener('pointermove', () => { window.pointerEvents += 1; }, true);")


def submit_and_wait(driver: WebDriver) -> dict[str, Any]:
    """Click where the pointer is (the Submit button) and wait for the exchange to finish."""
    click_in_place(driver)
    deadline = time.monotonic() + 20
    while (outcome := driver.execute_script("return window.velmoraLast || null;")) is None:
        assert time.monotonic() < deadline, "the page never finished its submission"
        time.sleep(0.05)
    assert isinstance(outcome, dict)
    return outcome


def without_repeats(moves: list[Move]) -> list[Move]:
    # A move to where the pointer already is fires no event: dispatch only real moves.
    kept: list[Move] = []
    for move in moves:
        if not kept or move[:2] != kept[-1][:2]:
            kept.append(move)
    return kept


def human_moves(width: int, height: int) -> list[Move]:
    """The recorded track scaled into the viewport, each move as long as its recorded gap."""
    lines = (DATA / "human_sample.jsonl").read_text().splitlines()
    track = json.loads(lines[HUMAN_LINE])["mouse_movements"]
    xs, ys = [p["x"] for p in track], [p["y"] for p in track]
    scale = min((width - 80) / (max(xs) - min(xs)), (height - 80) / (max(ys) - min(ys)), 1.0)
    moves = []
    for i, p in enumerate(track):
        gap = 0 if i == 0 else min(100, round(p["t"] - track[i - 1]["t"]))
        moves.append((40 + round((p["x"] - min(xs)) * scale), 40 + round((p["y"] - min(ys)) * scale), gap))
    return without_repeats(moves)


def check_received(driver: WebDriver, outcome: dict[str, Any], dispatched: int) -> dict[str, Any]:
    """The answer is 200 and its features are those of exactly what the page sent."""
    assert outcome["status"] == 200, outcome["body"]
    telemetry = outcome["sent"]["telemetry"]
    features: dict[str, Any] = outcome["body"]["features"]
    assert features == jsonable(velmora_core_rs.extract_features_rs(telemetry))
    events = driver.execute_script("return window.pointerEvents;")
    print(f"dispatched {dispatched} moves; page saw {events} pointermove events carrying "
          f"{len(telemetry['mouse_movements'])} samples")
    assert features["mouse_points"] == len(telemetry["mouse_movements"]) == dispatched
    assert events <= dispatched
    assert telemetry["browser"]["webdriver"] is True and features["webdriver"] is True
    return features


def screenshot(driver: WebDriver, name: str) -> pathlib.Path:
    OUTPUT.mkdir(parents=True, exist_ok=True)
    path = OUTPUT / name
    assert driver.save_screenshot(str(path))
    print(f"screenshot: {path}")
    return path


def test_browser_input_reaches_the_service(service: str, browser: WebDriver) -> None:
    # 1. A straight horizontal path at constant speed through the text box to the button,
    #    with a sentence typed on the way.
    open_page(browser, service)
    button_x, y = center(browser, "submit")
    start_x = center(browser, "sentence")[0] - 200
    move_along(browser, [(start_x, y, 0)])
    click_in_place(browser)  # focuses the text box
    type_text(browser, SENTENCE)
    steps = (button_x - start_x) // 6
    straight = [(start_x, y, 0)] + [(start_x + 6 * i, y, 12) for i in range(1, steps + 1)]
    straight.append((button_x, y, 12))
    straight = without_repeats(straight)
    move_along(browser, straight[1:])
    outcome = submit_and_wait(browser)

    features = check_received(browser, outcome, len(straight))
    assert features["curvature_score"] == 0.95
    assert features["key_count"] == len(SENTENCE)
    keys = outcome["sent"]["telemetry"]["keystrokes"]
    assert "".join(k["key"] for k in keys) == SENTENCE
    assert all(k["duration_ms"] > 0 for k in keys)
    assert features["avg_dwell_time"] > 0
    assert features["click_count"] == 2
    assert outcome["body"]["verdict"] == "bot"
    assert outcome["body"]["reasons"][0] == "the browser reports that automation controls it (navigator.webdriver)"
    screenshot(browser, "straight_path_verdict.png")

    # 2. The same nonce again (from another address, which is not banned) is a replay.
    replay = httpx.post(service + "/verdict", json=outcome["sent"],
                        headers={"X-Forwarded-For": "203.0.113.50"})
    assert replay.status_code == 409, replay.text

    # 3. The bot verdict banned the browser's address: its next request is refused.
    refused = browser.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "velmoraCollector.submit('').then((r) => done(r.status));")
    assert refused == 403
    assert httpx.get(service + "/nonce").status_code == 403

    # 4. Once the short ban is over, a recorded human track replayed through real events.
    deadline = time.monotonic() + BAN_SECONDS + 3
    while httpx.get(service + "/nonce").status_code == 403:
        assert time.monotonic() < deadline, "the ban did not expire"
        time.sleep(0.2)
    open_page(browser, service)
    width, height = browser.execute_script("return [innerWidth, innerHeight];")
    replayed = human_moves(width, height)
    button = center(browser, "submit")
    replayed = without_repeats(replayed + [(button[0], button[1], 100)])
    move_along(browser, replayed)
    outcome = submit_and_wait(browser)

    features = check_received(browser, outcome, len(replayed))
    assert features["curvature_score"] != 0.95
    assert features["click_count"] == 1
    screenshot(browser, "human_track_verdict.png")
