"""The human figure of the body pictures and the 24 numbered body spots.

Pictures are 220 x 600 pixels.  "Right" and "left" are always the person's
own sides: in the front view the person's right is on the viewer's left, in
the back view on the viewer's right, and the left-side view shows the
person's left side with the face turned to the viewer's left.
"""

import csv
import os

from mvg import Canvas, smooth_closed_path, tapered_hull
from texts import N_, _

WIDTH, HEIGHT = 220, 600
CENTRE = WIDTH / 2

BACKGROUND = "#f6f8fb"
SKIN = "#dde6f0"
SKIN_SHADE = "#cbd6e3"
OUTLINE = "#647a96"
DETAIL = "#a9b8cb"
SPOT = "#c62d42"
CAPTION = "#3d4a5c"
HINT = "#8a96a8"

# Number and name of every body spot; the treatments catalogue refers to
# spots by these numbers.
SPOT_NAMES = {
    1: "Top of the head",
    2: "Throat / front of the neck",
    3: "Right shoulder",
    4: "Left shoulder",
    5: "Right elbow",
    6: "Left elbow",
    7: "Right wrist",
    8: "Left wrist",
    9: "Centre of the chest",
    10: "Upper abdomen",
    11: "Lower abdomen",
    12: "Right hip",
    13: "Left hip",
    14: "Right knee",
    15: "Left knee",
    16: "Right ankle",
    17: "Left ankle",
    18: "Back of the neck (cervical spine)",
    19: "Upper back, between the shoulder blades",
    20: "Lower back (lumbar)",
    21: "Sacrum / tailbone",
    22: "Right hand (palm)",
    23: "Heel of the left foot",
    24: "Left jaw joint / temple",
}


# -- spot positions (pixel centres in each picture) ------------------------

# One table, read by the program too, so the rings it draws on a chosen spot
# always sit where the pictures show that spot.
SPOT_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "share",
                          "BodySpots.csv")


def read_spot_table(path=SPOT_TABLE):
    """{picture file name: {spot number: (x, y)}} from the table."""
    views = {}
    with open(path, newline="") as table:
        rows = csv.reader(line for line in table if not line.startswith("#"))
        next(rows)  # the heading
        for view, spot, x, y in rows:
            views.setdefault(view, {})[int(spot)] = (int(x), int(y))
    return views


_SPOTS = read_spot_table()

VIEWS = [
    # file name, caption, spot positions
    ("HumanBodyFront.png", N_("Front"), _SPOTS["HumanBodyFront.png"]),
    ("HumanBodyBack.png", N_("Back"), _SPOTS["HumanBodyBack.png"]),
    ("HumanBodySideL.png", N_("Left side"), _SPOTS["HumanBodySideL.png"]),
]


# -- silhouettes ----------------------------------------------------------

class Silhouette:
    """Shapes of one colour that are drawn as one outlined figure.

    All shapes are first drawn with a wide stroke in the outline colour and
    then filled on top, so only the outer edge of their union shows an
    outline and the joints between shapes stay seamless.
    """

    def __init__(self):
        self.shapes = []

    def ellipse(self, cx, cy, rx, ry):
        self.shapes.append(("ellipse", (cx, cy, rx, ry)))

    def curve(self, points):
        self.shapes.append(("path", smooth_closed_path(points)))

    def limb(self, *joints):
        """A tapered limb through joints given as (x, y, radius)."""
        for joint in joints:
            self.shapes.append(("ellipse", (joint[0], joint[1], joint[2], joint[2])))
        for a, b in zip(joints, joints[1:]):
            self.shapes.append(("polygon", tapered_hull(a, b)))

    def draw(self, canvas, fill=SKIN, outline=OUTLINE, outline_width=2.0):
        for style in ({"fill": outline, "stroke": outline, "width": 2 * outline_width},
                      {"fill": fill}):
            for kind, data in self.shapes:
                if kind == "ellipse":
                    canvas.ellipse(*data, **style)
                elif kind == "path":
                    canvas.path(data, **style)
                else:
                    canvas.polygon(data, **style)


def frontal_figure():
    """The body seen from the front or from behind (it is symmetric)."""
    body = Silhouette()
    body.ellipse(CENTRE, 78, 25, 31)                       # head
    body.curve([(CENTRE - 11, 100), (CENTRE + 11, 100),    # neck
                (CENTRE + 13, 136), (CENTRE - 13, 136)])
    half = [(12, 128), (36, 132), (50, 140), (55, 156), (42, 180), (40, 208),
            (38, 250), (42, 282), (45, 312), (34, 334)]
    torso = ([(CENTRE - x, y) for x, y in half] + [(CENTRE, 342)] +
             [(CENTRE + x, y) for x, y in reversed(half)])
    body.curve(torso)
    for side in (-1, 1):
        x = lambda offset: CENTRE + side * offset
        body.limb((x(49), 150, 14), (x(67), 246, 9.5), (x(76), 324, 7))    # arm
        body.curve([(x(74), 322), (x(83), 330), (x(86), 350), (x(82), 368),
                    (x(76), 374), (x(71), 364), (x(69), 342)])              # hand
        body.limb((x(25), 318, 26), (x(23), 428, 14), (x(17), 530, 8.5))   # leg
        body.curve([(x(10), 530), (x(24), 530), (x(30), 548), (x(29), 562),
                    (x(20), 567), (x(10), 565), (x(7), 550)])                # foot
    return body


def side_figure():
    """The body seen from its left side, facing the viewer's left."""
    body = Silhouette()
    body.curve([(104, 46), (128, 58), (134, 84), (128, 106), (120, 112),
                (112, 120), (98, 114), (86, 108), (84, 98), (78, 92),
                (82, 84), (80, 72), (86, 54)])                      # head
    body.curve([(100, 104), (124, 104), (128, 140), (100, 142)])   # neck
    body.curve([(112, 128), (130, 134), (140, 162), (138, 200), (130, 238),
                (131, 264), (142, 296), (140, 324), (124, 342), (96, 338),
                (88, 312), (90, 280), (88, 246), (84, 212), (82, 176),
                (90, 146), (100, 132)])                             # torso
    body.limb((114, 318, 26), (106, 430, 13), (112, 532, 9))       # leg
    body.curve([(103, 528), (121, 528), (128, 542), (134, 556), (130, 567),
                (110, 569), (78, 568), (70, 562), (76, 554), (92, 546),
                (101, 540)])                                         # foot

    near_arm = Silhouette()
    near_arm.limb((108, 152, 15), (96, 240, 10), (78, 302, 7))
    near_arm.curve([(80, 296), (74, 300), (64, 318), (64, 338), (72, 340),
                    (78, 328), (86, 314)])                          # hand
    return body, near_arm


# -- pictures -------------------------------------------------------------

def draw_spot(canvas, number, x, y):
    canvas.circle(x, y, 9.5, fill=SPOT, stroke="#ffffff", width=1.6)
    canvas.text(x, y + 4, str(number), size=10.5 if number < 10 else 9.5,
                bold=True, fill="#ffffff", anchor="middle")


def frame_captions(canvas, caption):
    canvas.text(CENTRE, 24, _(caption), size=13, bold=True, fill=CAPTION, anchor="middle")
    # TRANSLATORS: under the body picture, which shows the next view when clicked.
    canvas.text(CENTRE, 592, _("Click the picture to turn it"), size=10,
                fill=HINT, anchor="middle")


def front_details(canvas):
    # collar bones and the line between the legs, kept faint
    canvas.path(f"M {CENTRE - 34},137 Q {CENTRE - 18},143 {CENTRE - 6},140",
                stroke=DETAIL, width=1.2)
    canvas.path(f"M {CENTRE + 34},137 Q {CENTRE + 18},143 {CENTRE + 6},140",
                stroke=DETAIL, width=1.2)
    canvas.line(CENTRE, 338, CENTRE, 352, stroke=OUTLINE, width=1.5, linecap="round")


def back_details(canvas):
    # spine and shoulder blades
    canvas.line(CENTRE, 140, CENTRE, 310, stroke=DETAIL, width=1.2, dash=(3, 4))
    for side in (-1, 1):
        x = lambda offset: CENTRE + side * offset
        canvas.path(f"M {x(14)},160 Q {x(36)},154 {x(38)},176 Q {x(34)},200 {x(16)},204",
                    stroke=DETAIL, width=1.2)
    canvas.path(f"M {CENTRE - 30},318 Q {CENTRE},330 {CENTRE + 30},318",
                stroke=DETAIL, width=1.2)
    canvas.line(CENTRE, 320, CENTRE, 352, stroke=OUTLINE, width=1.5, linecap="round")


def side_details(canvas):
    canvas.ellipse(117, 84, 5, 8, fill=SKIN_SHADE, stroke=DETAIL, width=1.2)   # ear


def body_picture(view):
    filename, caption, spots = view
    canvas = Canvas(WIDTH, HEIGHT, background=BACKGROUND)
    frame_captions(canvas, caption)
    if filename == "HumanBodySideL.png":
        body, near_arm = side_figure()
        body.draw(canvas)
        side_details(canvas)
        near_arm.draw(canvas)
    else:
        frontal_figure().draw(canvas)
        (front_details if filename == "HumanBodyFront.png" else back_details)(canvas)
    for number, (x, y) in sorted(spots.items()):
        draw_spot(canvas, number, x, y)
    return canvas


def check_coverage():
    """Every spot must appear in at least one picture."""
    shown = set()
    for _, _, spots in VIEWS:
        shown.update(spots)
    missing = sorted(set(SPOT_NAMES) - shown)
    if missing:
        raise SystemExit(f"body spots missing from every picture: {missing}")
