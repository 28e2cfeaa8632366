"""Frames of the intro video: the name, the stick with pulsing field rings,
and two short captions."""

from mvg import Canvas
from texts import N_, _
from pictures import INDIGO, CRIMSON, SLATE, PATTERN, draw_stick

WIDTH, HEIGHT = 450, 253      # the size of the video control on the Intro page
FPS = 15
SECONDS = 6.0
FRAME_COUNT = int(FPS * SECONDS)

BACKGROUND = "#eef2f8"
STICK_SCALE = 0.95
STICK_W, STICK_H = 282 * STICK_SCALE, 64 * STICK_SCALE
STICK_X = (WIDTH - STICK_W) / 2
STICK_Y = 112

SLOT_SECONDS = 0.25           # the rings follow PATTERN, one slot per quarter second
RING_LIFE = 1.1
# TRANSLATORS: the intro video's captions, at most about 45 characters.
CAPTIONS = [
    (1.9, 3.9, N_("Small, portable and programmable")),
    (3.9, 99, N_("Connect it over USB and choose a programme")),
]


def ease(value):
    value = max(0.0, min(1.0, value))
    return value * value * (3 - 2 * value)


def ramp(t, start, length):
    return ease((t - start) / length)


def ring_starts():
    """Moments at which a slot that fires begins, after the stick is in place."""
    starts, t, slot = [], 1.0, 0
    while t < SECONDS:
        if PATTERN[slot % len(PATTERN)]:
            starts.append(t)
        t += SLOT_SECONDS
        slot += 1
    return starts


def frame(index):
    t = index / FPS
    canvas = Canvas(WIDTH, HEIGHT, background=BACKGROUND)
    canvas.circle(WIDTH * 0.82, -30, 150, fill="#ffffff", opacity=0.55)
    canvas.circle(WIDTH * 0.1, HEIGHT + 40, 120, fill="#ffffff", opacity=0.45)

    arrive = ramp(t, 0.0, 1.0)
    stick_y = STICK_Y + (1 - arrive) * 40
    body_w = 228 * STICK_SCALE          # the rings leave the body, not the plug
    cx, cy = STICK_X + body_w / 2, stick_y + STICK_H / 2

    # field rings, behind the stick
    glow = 0.0
    for start in ring_starts():
        age = t - start
        if 0 <= age < RING_LIFE:
            grow = age / RING_LIFE
            fade = (1 - grow) ** 1.5
            canvas.roundrect(cx - body_w / 2 - 4 - grow * 60, cy - STICK_H / 2 - 4 - grow * 36,
                             cx + body_w / 2 + 4 + grow * 60, cy + STICK_H / 2 + 4 + grow * 36,
                             STICK_H / 2 + 4 + grow * 36, stroke=CRIMSON, width=2.5,
                             opacity=0.75 * fade)
        if 0 <= age < SLOT_SECONDS:
            glow = max(glow, 1 - age / SLOT_SECONDS)
    draw_stick(canvas, STICK_X, stick_y, scale=STICK_SCALE, led_glow=glow)

    # the name
    title = ramp(t, 0.5, 0.9)
    if title > 0:
        canvas.text(WIDTH / 2, 66 - 10 * (1 - title), "Vitrel", size=44, bold=True,
                    fill=INDIGO, anchor="middle", opacity=title)
        canvas.rect(WIDTH / 2 - 40 * title, 80, WIDTH / 2 + 40 * title, 83,
                    fill=CRIMSON, opacity=title)

    # captions
    for start, end, text in CAPTIONS:
        shown = min(ramp(t, start, 0.4), 1 - ramp(t, end - 0.3, 0.3))
        if shown > 0:
            canvas.text(WIDTH / 2, 232 + 6 * (1 - shown), _(text), size=16,
                        fill=SLATE, anchor="middle", opacity=shown)

    # fade in from the background colour while the stick rises
    veil = 1 - ramp(t, 0.0, 0.8)
    if veil > 0:
        canvas.rect(0, 0, WIDTH, HEIGHT, fill=BACKGROUND, opacity=veil)
    return canvas
