"""Curvature statistics the way a NumPy user would write them (benchmark yardstick only:
NumPy's sums are pairwise, so results agree with the native core to rounding)."""

import numpy as np


def numpy_curvature(x, y, t):
    x, y, t = (np.asarray(s, dtype=np.float64) for s in (x, y, t))
    n = min(len(x), len(y), len(t))
    if n < 4:
        return dict.fromkeys(["curvature_score", "mean_curvature", "curvature_var", "curvature_rate_var"], 0.0)
    x, y, t = x[:n], y[:n], t[:n]
    d = np.diff(t)
    dt = np.where(d > 0.1, d, 0.1)
    vx, vy = np.diff(x) / dt, np.diff(y) / dt
    tm = (dt[1:] + dt[:-1]) * 0.5
    ax, ay = np.diff(vx) / tm, np.diff(vy) / tm
    s = vx[1:] * vx[1:] + vy[1:] * vy[1:] + 1e-6
    kappa = np.abs(vx[1:] * ay - vy[1:] * ax) / (s * np.sqrt(s))
    rate = np.diff(kappa) / np.maximum(tm[1:], 0.1)
    mean, var, rate_var = float(kappa.mean()), float(kappa.var()), float(rate.var())
    if mean < 1e-6 and var < 1e-7:
        score = 0.95
    elif var < 1e-4 and rate_var < 1e-8:
        score = 0.9
    elif var > 10 or rate_var > 5:
        score = 0.85
    elif np.count_nonzero(kappa > 0.1) > (n - 2) // 2 and rate_var > 2:
        score = 0.75
    else:
        score = 0.1
    return {"curvature_score": score, "mean_curvature": mean, "curvature_var": var, "curvature_rate_var": rate_var}
