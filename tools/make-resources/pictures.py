"""The window icon, the front view of the stick and the firing pattern diagram."""

import math

from mvg import Canvas, num
from texts import _

INDIGO = "#4a4fb3"
INDIGO_DARK = "#343892"
CRIMSON = "#c62d42"
ROSE = "#fbe4e7"
SLATE = "#3d4a5c"
GRID = "#c9d2de"
METAL = "#cfd5dd"
METAL_EDGE = "#99a3b0"
LED_GREEN = "#3ddc84"


def arc_path(cx, cy, r, start_deg, end_deg):
    a0, a1 = math.radians(start_deg), math.radians(end_deg)
    x0, y0 = cx + r * math.cos(a0), cy + r * math.sin(a0)
    x1, y1 = cx + r * math.cos(a1), cy + r * math.sin(a1)
    return f"M {num(x0)},{num(y0)} A {num(r)},{num(r)} 0 0,1 {num(x1)},{num(y1)}"


# -- window icon ---------------------------------------------------------

ICON_MASTER = 192   # drawn large, then scaled down to 24 x 24 by the generator


def icon():
    """A slanted stick between two pairs of field arcs."""
    size = ICON_MASTER
    c = size / 2
    canvas = Canvas(size, size)
    for direction in (225, 45):
        canvas.path(arc_path(c, c, 62, direction - 30, direction + 30),
                    stroke=CRIMSON, width=15, linecap="round")
        canvas.path(arc_path(c, c, 84, direction - 24, direction + 24),
                    stroke="#e4798a", width=13, linecap="round")
    canvas.lines += ["push graphic-context", f"translate {num(c)},{num(c)}", "rotate 45",
                     f"fill '{INDIGO}'", f"stroke '{INDIGO_DARK}'", "stroke-width 6",
                     "roundrectangle -25,-80 25,80 25,25",
                     "fill '#ffffff'", "stroke 'none'",
                     "circle 0,-48 0,-37",
                     "pop graphic-context"]
    return canvas


# -- the stick -----------------------------------------------------------

def draw_stick(canvas, x, y, scale=1.0, led_glow=0.0, word="Vitrel"):
    """The stick seen from the front, its top left corner at (x, y).

    The drawing is 282 x 64 units; led_glow from 0 to 1 lights a halo
    around the status LED.
    """
    s = lambda v: v * scale
    X = lambda v: x + v * scale
    Y = lambda v: y + v * scale
    # USB plug on the right end
    canvas.roundrect(X(222), Y(17), X(240), Y(47), s(3), fill=INDIGO_DARK)
    canvas.roundrect(X(238), Y(14), X(282), Y(50), s(3), fill=METAL,
                     stroke=METAL_EDGE, width=max(1.0, s(1.5)))
    for left in (250, 266):
        canvas.rect(X(left), Y(22), X(left + 8), Y(29), fill="#6b7583")
    canvas.line(X(240), Y(40), X(280), Y(40), stroke=METAL_EDGE, width=max(0.8, s(1)))
    # body
    canvas.roundrect(X(0), Y(0), X(228), Y(64), s(32), fill=INDIGO,
                     stroke=INDIGO_DARK, width=max(1.0, s(2)))
    canvas.roundrect(X(10), Y(6), X(218), Y(28), s(11), fill="#ffffff", opacity=0.13)
    # status LED
    if led_glow > 0:
        canvas.circle(X(31), Y(32), s(9 + 5 * led_glow), fill=LED_GREEN,
                      opacity=0.35 * led_glow)
    canvas.circle(X(31), Y(32), s(5.5), fill=LED_GREEN, stroke="#1f9d5a",
                  width=max(0.8, s(1.2)))
    # field mark and name
    for radius, opacity in ((9, 0.9), (15, 0.6)):
        canvas.path(arc_path(X(52), Y(32), s(radius), -50, 50),
                    stroke="#ffffff", width=max(1.0, s(2.2)), linecap="round",
                    opacity=opacity)
    canvas.text(X(132), Y(42), word, size=s(28), bold=True, fill="#ffffff",
                anchor="middle")


def front_panel():
    canvas = Canvas(300, 120)
    for i, (rx, ry, opacity) in enumerate(((136, 9, 0.05), (124, 7, 0.07), (110, 5, 0.09))):
        canvas.ellipse(146, 98, rx, ry, fill="#1c2440", opacity=opacity)
    draw_stick(canvas, 9, 26, led_glow=0.6)
    return canvas


# -- firing pattern diagram ----------------------------------------------

PATTERN = [1, 1, 0, 1, 0, 0, 1, 0]


def dimension(canvas, x0, x1, y, colour=SLATE):
    """A double-headed arrow from x0 to x1 at height y."""
    canvas.line(x0 + 1, y, x1 - 1, y, stroke=colour, width=1.3)
    for tip, way in ((x0, 1), (x1, -1)):
        canvas.polygon([(tip, y), (tip + way * 7, y - 3.5), (tip + way * 7, y + 3.5)],
                       fill=colour)


def pulses_diagram():
    width, height = 440, 140
    left, slot = 22, 49
    right = left + slot * len(PATTERN)
    base, peak = 92, 46
    canvas = Canvas(width, height, background="#ffffff")
    canvas.roundrect(0.5, 0.5, width - 0.5, height - 0.5, 6, stroke="#dde3eb", width=1)

    for i, on in enumerate(PATTERN):
        x = left + i * slot
        if on:
            canvas.rect(x, peak - 8, x + slot, base, fill=ROSE)
        canvas.text(x + slot / 2, base + 15, str(i + 1), size=11, fill=SLATE,
                    anchor="middle")
    for i in range(len(PATTERN) + 1):
        x = left + i * slot
        canvas.line(x, peak - 8, x, base, stroke=GRID, width=1, dash=(2, 3))
        canvas.line(x, base - 3, x, base + 3, stroke=SLATE, width=1.2)

    # the waveform: a burst of short pulses in every slot that fires
    wave = [(left, base)]
    for i, on in enumerate(PATTERN):
        if not on:
            continue
        x = left + i * slot
        for k in range(4):
            p = x + 8 + k * 9.5
            wave += [(p, base), (p, peak), (p + 4, peak), (p + 4, base)]
    wave.append((right, base))
    canvas.polyline(wave, stroke=CRIMSON, width=1.8, linejoin="miter")

    # time axis
    canvas.line(left - 8, base, right + 12, base, stroke=SLATE, width=1.4)
    canvas.polygon([(right + 19, base), (right + 11, base - 4), (right + 11, base + 4)],
                   fill=SLATE)
    canvas.text(right + 14, base + 15, "t", size=11, fill=SLATE, anchor="middle")

    # one whole cycle
    canvas.line(left, 12, left, peak - 8, stroke=SLATE, width=0.8, dash=(2, 2))
    canvas.line(right, 12, right, peak - 8, stroke=SLATE, width=0.8, dash=(2, 2))
    dimension(canvas, left, right, 20)
    # TRANSLATORS: in the firing pattern diagram; the white box above the
    # cycle holds about 16 characters.
    label = _("Base Time Period")
    canvas.rect(218 - 58, 12, 218 + 58, 28, fill="#ffffff")
    canvas.text(218, 24, label, size=11.5, bold=True, fill=SLATE, anchor="middle")

    # one slot
    x0, x1 = left + slot, left + 2 * slot
    canvas.line(x0, base + 4, x0, 130, stroke=SLATE, width=0.8, dash=(2, 2))
    canvas.line(x1, base + 4, x1, 130, stroke=SLATE, width=0.8, dash=(2, 2))
    dimension(canvas, x0, x1, 124)
    # TRANSLATORS: in the firing pattern diagram, beside one slot.
    canvas.text(x1 + 8, 128, _("Time Period Per Slot"), size=11.5, bold=True,
                fill=SLATE)

    # legend
    lx = 306
    canvas.rect(lx, 117, lx + 12, 129, fill=ROSE, stroke=CRIMSON, width=1)
    # TRANSLATORS: legend of the firing pattern diagram: a slot that fires.
    canvas.text(lx + 17, 128, _("on"), size=11, fill=SLATE)
    canvas.line(lx + 44, 123, lx + 58, 123, stroke=CRIMSON, width=1.8)
    # TRANSLATORS: legend of the firing pattern diagram: a quiet slot.
    canvas.text(lx + 63, 128, _("off"), size=11, fill=SLATE)
    return canvas
