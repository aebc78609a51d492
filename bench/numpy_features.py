"""The feature record computed the way a NumPy user would write it: plain Python to read
the telemetry, NumPy arrays for the arithmetic, numpy.fft for the spectrum.

Benchmark yardstick only. Its sums and its FFT round differently from the native core,
so values agree to rounding, not bit for bit.
"""

import math

import numpy as np
from velmora_core._native import feature_table

from bench.numpy_curvature import numpy_curvature

# The record's values without data, from the extension's feature table.
DEFAULTS = {name: none for name, _type, none, *_ in feature_table()}

COMMON_DIGRAPHS = frozenset(
    "th er on an re he in ed nd ha at en es of or nt ea ti to it st io le is ou ar as de rt ve "
    "la ik ak el al ma me ba ka".split())


def _float(d, key):
    try:
        return float(d[key])
    except (KeyError, TypeError, ValueError, OverflowError):
        return None


def _int(d, key):
    v = d.get(key)
    return v if isinstance(v, int) else None


def read_browser(browser, rec):
    if type(browser.get("webdriver")) is bool:
        rec["webdriver"] = browser["webdriver"]
    w = _float(browser, "screen_width") or 0.0
    h = _float(browser, "screen_height")
    rec["screen_width"] = w
    rec["screen_valid"] = h is not None and w > 0 and h > 0
    if type(browser.get("touch_supported")) is bool:
        rec["touch_supported"] = browser["touch_supported"]
    for key in ("max_touch_points", "plugins_length"):
        v = _int(browser, key)
        if v is not None:
            rec[key] = v


def read_keystrokes(items):
    events = []
    for item in items[:150]:
        if not isinstance(item, dict):
            continue
        down = None
        for key in ("t", "down", "time"):
            v = _float(item, key)
            if v is not None and math.isfinite(v):
                down = v
                break
        if down is None:
            continue
        key = item.get("key")
        up = _float(item, "up")
        if up is None:
            d = _float(item, "duration_ms")
            up = None if d is None else down + d
        events.append((key if isinstance(key, str) else "unknown", down, up))
    return events


def read_points(items):
    rows = []
    for item in items:
        if not isinstance(item, dict):
            continue
        x, y, t = _float(item, "x"), _float(item, "y"), _float(item, "t")
        r, f = _float(item, "r") or 0.0, _float(item, "f") or 0.0
        if x is None or y is None or t is None:
            continue
        rows.append((x, y, t, r, f))
    pts = np.array(rows, dtype=np.float64).reshape(-1, 5)
    return pts[np.isfinite(pts[:, :3]).all(axis=1)]


def touch_features(pts, rec):
    radii = pts[:, 3][pts[:, 3] > 0]
    forces = pts[:, 4][pts[:, 4] > 0]
    rec["touch_event_count"] = int(radii.size)
    if radii.size:
        rec["avg_touch_radius"] = float(radii.mean())
        rec["touch_radius_var"] = float(radii.var())
    if forces.size:
        rec["avg_touch_force"] = float(forces.mean())


def keystroke_features(events, rec):
    events = sorted(events, key=lambda e: e[1])
    n = len(events)
    dwell = np.array([up - down for _, down, up in events if up is not None])
    dwell = dwell[(dwell > 0) & (dwell < 5000)]
    base = np.array([e[2] if e[2] is not None else e[1] for e in events[:-1]])
    flight = np.array([e[1] for e in events[1:]]) - base if n > 1 else np.empty(0)
    flight = flight[(flight > -500) & (flight < 5000)]
    groups = {}
    for (k0, d0, _), (k1, d1, _) in zip(events, events[1:]):
        a, b = k0.lower(), k1.lower()
        if len(a.encode()) == 1 and len(b.encode()) == 1 and 0 < d1 - d0 < 2000:
            groups.setdefault(a + b, []).append(d1 - d0)
    dwell_mean = float(dwell.mean()) if dwell.size else 0.0
    dwell_var = float(dwell.var()) if dwell.size else 0.0
    flight_mean = float(flight.mean()) if flight.size else 0.0
    flight_var = float(flight.var()) if flight.size else 0.0
    kept = flight[(flight >= 0) & (flight <= 800)]
    entropy = 0.5
    if kept.size >= 4:
        counts = np.bincount(np.minimum((kept // 100).astype(int), 7), minlength=8)
        p = counts[counts > 0] / kept.size
        entropy = float(-(p * np.log2(p)).sum() / 3)
    score = 0.0
    if n >= 3:
        nf, nd = flight.size, dwell.size
        t = 0.85 if flight_var < 2 and nf >= 3 else 0.6 if flight_var < 15 and nf >= 4 else 0.0
        s = 0.7 + t if 0 < flight_mean < 25 else t
        if nd:
            if dwell_mean < 15:
                s += 0.75
            elif dwell_var < 2 and nd >= 3:
                s += 0.8
        common = [np.mean(v) for k, v in groups.items() if k in COMMON_DIGRAPHS]
        other = [np.mean(v) for k, v in groups.items() if k not in COMMON_DIGRAPHS]
        if common and other:
            lc, lo = np.mean(common), np.mean(other)
            if n >= 8 and lc >= 1.05 * lo:
                s += 0.4
            elif lc < 0.85 * lo:
                s = max(s - 0.25, 0.0)
        if entropy < 0.15 and nf >= 5:
            s += 0.7
        elif entropy > 0.98 and nf >= 8:
            s += 0.5
        score = min(max(s, 0.0), 1.0)
    rec.update(key_count=n, avg_dwell_time=dwell_mean, dwell_time_var=dwell_var, avg_flight_time=flight_mean,
               flight_time_var=flight_var, digraph_entropy=entropy, keystroke_score=score,
               key_interval_avg=flight_mean, key_interval_var=flight_var)


def spectral_features(speed, mean, rec):
    o = speed.size
    if o < 8:
        return
    x = o // 2
    power = np.abs(np.fft.rfft(speed - mean)[1:x + 1]) ** 2
    total = power.sum()
    if not total > 1e-9:
        return
    p = power / total
    p = p[p > 1e-12]
    rec["spectral_entropy"] = float(-(p * np.log2(p)).sum() / math.log2(x))
    rec["spectral_purity"] = float(power.max() / total)


def movement_features(pts, rec):
    if pts.shape[0] <= 2:
        return
    track = pts[np.argsort(pts[:, 2], kind="stable")[:300]]
    x, y, t = track[:, 0], track[:, 1], track[:, 2]
    if track.shape[0] >= 4:
        rec.update(numpy_curvature(x, y, t))
    dist = np.hypot(np.diff(x), np.diff(y))
    step = np.maximum(np.diff(t), 0.1)
    speed = dist / step
    o = speed.size
    total = float(dist.sum())
    end_to_end = math.hypot(x[-1] - x[0], y[-1] - y[0])
    rec["total_distance"] = total
    rec["straightness"] = min(end_to_end / total, 1.0) if total > 1e-4 else 1.0
    mean = float(speed.mean())
    vmax = max(float(speed.max()), 0.0)
    rec.update(avg_velocity=mean, max_velocity=vmax, velocity_var=float(speed.var()), dt_var=float(step.var()))
    k = max(o // 4, 1)
    rec["terminal_decel_ratio"] = float(speed[-k:].mean()) / vmax if vmax > 1e-5 else 1.0
    if vmax <= 1e-5:
        rec["submovement_count"] = 0
    elif o == 2:
        rec["submovement_count"] = 1
    else:
        mid = speed[1:-1]
        peaks = (mid > speed[:-2]) & (mid >= 0.15 * vmax) & (speed[2:] < mid)
        rec["submovement_count"] = max(int(np.count_nonzero(peaks)), 1)
    spectral_features(speed, mean, rec)
    accel = np.diff(speed) / step[1:]
    rec["avg_acceleration"] = float(accel.mean())
    rec["acceleration_var"] = float(accel.var())
    if o > 2:
        rec["avg_jerk"] = float(np.abs(np.diff(accel) / step[2:]).sum() / (o - 2))


def extract_features_numpy(telemetry):
    rec = dict(DEFAULTS)
    if not isinstance(telemetry, dict):
        return rec
    browser = telemetry.get("browser")
    if isinstance(browser, dict):
        read_browser(browser, rec)
    for key, field in (("clicks", "click_count"), ("scrolls", "scroll_count")):
        if isinstance(telemetry.get(key), list):
            rec[field] = len(telemetry[key])
    keys = telemetry.get("keystrokes")
    events = read_keystrokes(keys) if isinstance(keys, list) else []
    moves = telemetry.get("mouse_movements")
    pts = read_points(moves if isinstance(moves, list) else [])
    rec["mouse_points"] = int(pts.shape[0])
    touch_features(pts, rec)
    if events:
        keystroke_features(events, rec)
    movement_features(pts, rec)
    return rec
