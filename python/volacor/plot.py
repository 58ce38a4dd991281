"""The curves behind the numbers, drawn with matplotlib. Each function returns a new
matplotlib Figure (made without pyplot, so it needs no display and keeps no global
state); save it with fig.savefig("name.png") or show it in a notebook."""
import numpy as np
from matplotlib.figure import Figure

from volacor._frames import analysis_record, flash_record, rvp

RATIO_RANGE = (0.02, 20.0)
_SWEEP_POINTS = 160
# The sweep steps down from the bubble point by pressure drops spaced evenly in log
# between these shares of it: the ratio grows about as the drop near the bubble point,
# so the curve's points are spread evenly over the log axis.
_DROP_SHARES = (1e-6, 1.0 - 1e-4)
# Markers closer than this share of the pressure share one label.
_SAME_SPOT_SHARE = 2e-3


def _volume_ratio(record):
    """Vapour volume over liquid volume (both liquids) of one flash record; inf when no
    liquid is left, 0 when no vapour forms."""
    phases = record["phases"]
    vapour = phases["VAP"]["fraction"] * phases["VAP"]["molar_volume_m3_kmol"] if phases["VAP"]["present"] else 0.0
    liquid = sum(phases[p]["fraction"] * phases[p]["molar_volume_m3_kmol"] for p in ("LIQ1", "LIQ2")
                 if phases[p]["present"])
    if liquid <= 0:
        return np.inf
    return vapour / liquid


def vapour_liquid_points(stream, temperature_C=37.78, eos="pr"):
    """(bubble-point pressure, ratios, pressures): the stream's vapour/liquid volume
    ratio at `temperature_C` along a sweep of pressures below its bubble point (the TVP),
    from host flashes, ratios ascending and within RATIO_RANGE (ends interpolated)."""
    bubble = flash_record(stream, temperature_C, vapour_fraction=0.0, eos=eos)["pressure_kPa"]
    pressures = bubble * (1.0 - np.geomspace(*_DROP_SHARES, _SWEEP_POINTS))
    ratios = []
    kept = []
    for pressure in pressures:
        try:
            ratio = _volume_ratio(flash_record(stream, temperature_C, pressure_kPa=pressure, eos=eos))
        except RuntimeError:
            continue  # a flash that fails leaves a gap, not a wrong point
        ratios.append(ratio)
        kept.append(pressure)
        if ratio > RATIO_RANGE[1]:
            break
    ratios = np.asarray(ratios)
    kept = np.asarray(kept)
    order = np.argsort(ratios)
    ratios, kept = ratios[order], kept[order]
    finite = np.isfinite(ratios) & (ratios > 0)
    ratios, kept = ratios[finite], kept[finite]
    inside = (ratios >= RATIO_RANGE[0]) & (ratios <= RATIO_RANGE[1])
    # The range's ends, by interpolation in log-log where the sweep brackets them.
    log_r, log_p = np.log(ratios), np.log(kept)
    ends_r, ends_p = [], []
    for end in RATIO_RANGE:
        if ratios.size >= 2 and ratios[0] < end < ratios[-1]:
            ends_r.append(end)
            ends_p.append(float(np.exp(np.interp(np.log(end), log_r, log_p))))
    all_r = np.concatenate([ratios[inside], ends_r])
    all_p = np.concatenate([kept[inside], ends_p])
    order = np.argsort(all_r)
    return bubble, all_r[order], all_p[order]


def vapour_liquid_curve(stream, temperature_C=37.78, methods=None, eos="pr", remove_nc_percent=None,
                        vl_ratio=4.0, unit="kPa"):
    """Pressure against vapour/liquid volume ratio (0.02 to 20, log axis) at the test
    temperature, with the bubble point (TVP) drawn as a level and each method's RVP of
    the whole stream marked on the curve at the ratio where the curve has that pressure
    (at the axis' end, with its value, when the curve does not reach it) and labelled
    with the method's short name. Pressures in kPa."""
    bubble, ratios, pressures = vapour_liquid_points(stream, temperature_C, eos)
    results = rvp(stream, methods=methods, temperature_C=temperature_C, remove_nc_percent=remove_nc_percent,
                  vl_ratio=vl_ratio, eos=eos, unit="kPa")

    figure = Figure(figsize=(8, 5.5), layout="constrained")
    axes = figure.add_subplot()
    axes.set_xscale("log")
    axes.set_xlim(*RATIO_RANGE)
    axes.plot(ratios, pressures, "-", color="tab:blue", linewidth=2, label="vapour/liquid curve", gid="curve")
    axes.axhline(bubble, color="tab:red", linestyle=":", label=f"bubble point (TVP) {bubble:.1f} kPa", gid="tvp")
    axes.annotate(f"TVP {bubble:.1f} kPa", (RATIO_RANGE[0], bubble), xytext=(4, 4), textcoords="offset points",
                  color="tab:red")
    if vl_ratio:
        axes.axvline(vl_ratio, color="0.6", linestyle="--", linewidth=1, label=f"V/L = {vl_ratio:g}", gid="vl_ratio")

    log_r, log_p = np.log(ratios), np.log(pressures)
    colours = iter(["tab:orange", "tab:green", "tab:purple", "tab:brown", "tab:pink", "tab:olive", "tab:cyan",
                    "tab:gray", "black"])
    placed = []  # (x, value, method) of each marker
    for method, value in results["FEED"].items():
        if not np.isfinite(value):
            continue
        if pressures.size >= 2 and pressures.min() <= value <= pressures.max():
            # Pressure falls as the ratio grows: interpolate on the reversed arrays.
            x = float(np.exp(np.interp(np.log(value), log_p[::-1], log_r[::-1])))
        else:
            x = RATIO_RANGE[0] if value > (pressures.max() if pressures.size else bubble) else RATIO_RANGE[1]
        colour = next(colours, "black")
        axes.plot([x], [value], "o", color=colour, markersize=7, clip_on=False, label=f"{method} {value:.1f} kPa",
                  gid=f"rvp:{method}")
        placed.append((x, value, method, colour))
    # Methods that land on the same spot share one label.
    groups = []
    for x, value, method, colour in sorted(placed, key=lambda p: p[1]):
        if groups and abs(value - groups[-1][1]) <= _SAME_SPOT_SHARE * value and \
                abs(np.log(x) - np.log(groups[-1][0])) < 0.05:
            groups[-1][2].append(method)
        else:
            groups.append((x, value, [method], colour))
    for x, value, names, colour in groups:
        axes.annotate(", ".join(names), (x, value), xytext=(6, -3), textcoords="offset points", fontsize=8,
                      color=colour, annotation_clip=False)

    axes.set_xlabel("vapour/liquid volume ratio")
    axes.set_ylabel("pressure, kPa")
    axes.set_title(f"{results.attrs['stream']}: vapour/liquid curve at {temperature_C:g} °C")
    axes.grid(True, which="both", alpha=0.3)
    axes.legend(fontsize=8, loc="lower left")
    return figure


def distillation_curve(stream, eos="pr"):
    """The host's ASTM D86 distillation curve of each phase of the stream at its own
    conditions (FEED: the whole stream), with the 5 % and 15 % points that give the
    ASTM 10 % slope marked and the slope written beside them."""
    record = analysis_record(stream, eos)
    points = np.asarray(record["volume_percent"], dtype=float)
    five, fifteen = record["slope_points"]

    figure = Figure(figsize=(8, 5.5), layout="constrained")
    axes = figure.add_subplot()
    drawn = {}  # phase -> curve, to tell a phase that is the whole stream again
    for phase, data in record["phases"].items():
        curve = np.array([np.nan if t is None else t for t in data["d86_C"]], dtype=float)
        if not np.isfinite(curve).any():
            continue
        twin = next((other for other, seen in drawn.items() if np.allclose(seen, curve, equal_nan=True)), None)
        drawn[phase] = curve
        label = f"{phase} D86" + (f" (the same as {twin})" if twin else "")
        (line,) = axes.plot(points, curve, "--" if twin else "-", linewidth=2, label=label, gid=f"d86:{phase}")
        if np.isfinite(curve[five]) and np.isfinite(curve[fifteen]):
            slope = (curve[fifteen] - curve[five]) / (points[fifteen] - points[five])
            axes.plot(points[[five, fifteen]], curve[[five, fifteen]], "s", color=line.get_color(), markersize=7,
                      label=f"{phase} 10 % slope {slope:.2f} °C/%", gid=f"slope:{phase}")
            if not twin:
                axes.annotate(f"{phase}: 5 % {curve[five]:.1f} °C, 15 % {curve[fifteen]:.1f} °C",
                              (points[fifteen], curve[fifteen]), xytext=(8, -12 - 12 * (len(drawn) - 1)),
                              textcoords="offset points", fontsize=8, color=line.get_color())
    axes.set_xlim(0, 100)
    axes.set_xlabel("volume distilled, %")
    axes.set_ylabel("ASTM D86 temperature, °C")
    axes.set_title(f"{record['stream']}: ASTM D86 distillation curves")
    axes.grid(True, alpha=0.3)
    axes.legend(fontsize=8, loc="lower right")
    return figure
