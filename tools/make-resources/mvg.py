"""A small writer for ImageMagick's vector drawing language (MVG).

Each picture is described as a list of MVG primitives and rendered by
`/usr/bin/convert mvg:FILE out.png`, which anti-aliases every shape and
text.  Every primitive gets its own graphic context, so styles never leak
from one shape into the next.
"""

import math

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_REGULAR = FONT_DIR + "/DejaVuSans.ttf"
FONT_BOLD = FONT_DIR + "/DejaVuSans-Bold.ttf"


def num(value):
    """Short, stable text for a coordinate (no '-0', at most 2 decimals)."""
    text = f"{value:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pts(points):
    return " ".join(f"{num(x)},{num(y)}" for x, y in points)


class Canvas:
    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        self.lines = [f"viewbox 0 0 {width} {height}"]
        if background:
            self.rect(0, 0, width, height, fill=background)

    # -- style -----------------------------------------------------------
    def _styled(self, primitive, fill="none", stroke="none", width=1.0,
                opacity=1.0, linecap=None, linejoin="round", dash=None):
        if opacity < 0.005:
            return
        block = ["push graphic-context",
                 f"fill '{fill}'", f"stroke '{stroke}'",
                 f"stroke-width {num(width)}", f"stroke-linejoin {linejoin}"]
        if linecap:
            block.append(f"stroke-linecap {linecap}")
        if dash:
            block.append("stroke-dasharray " + ",".join(num(d) for d in dash))
        # An opacity on "none" would turn it into a visible black, so each
        # opacity only goes with a real colour.
        if opacity < 1.0 and fill != "none":
            block.append(f"fill-opacity {opacity:.3f}")
        if opacity < 1.0 and stroke != "none":
            block.append(f"stroke-opacity {opacity:.3f}")
        block.append(primitive)
        block.append("pop graphic-context")
        self.lines.extend(block)

    # -- shapes ----------------------------------------------------------
    def rect(self, x0, y0, x1, y1, **style):
        self._styled(f"rectangle {num(x0)},{num(y0)} {num(x1)},{num(y1)}", **style)

    def roundrect(self, x0, y0, x1, y1, radius, **style):
        self._styled(f"roundrectangle {num(x0)},{num(y0)} {num(x1)},{num(y1)} "
                     f"{num(radius)},{num(radius)}", **style)

    def circle(self, cx, cy, r, **style):
        self._styled(f"circle {num(cx)},{num(cy)} {num(cx)},{num(cy + r)}", **style)

    def ellipse(self, cx, cy, rx, ry, **style):
        self._styled(f"ellipse {num(cx)},{num(cy)} {num(rx)},{num(ry)} 0,360", **style)

    def polygon(self, points, **style):
        self._styled("polygon " + pts(points), **style)

    def polyline(self, points, **style):
        self._styled("polyline " + pts(points), **style)

    def line(self, x0, y0, x1, y1, **style):
        self._styled(f"line {num(x0)},{num(y0)} {num(x1)},{num(y1)}", **style)

    def path(self, d, **style):
        self._styled(f"path '{d}'", **style)

    def text(self, x, y, text, size=11, bold=False, fill="#000000",
             anchor="start", opacity=1.0):
        if opacity < 0.005:
            return
        escaped = text.replace("\\", "\\\\").replace("'", "\\'")
        block = ["push graphic-context",
                 f"font '{FONT_BOLD if bold else FONT_REGULAR}'",
                 f"font-size {num(size)}", f"fill '{fill}'", "stroke 'none'",
                 f"text-anchor {anchor}"]
        if opacity < 1.0:
            block.append(f"fill-opacity {opacity:.3f}")
        block.append(f"text {num(x)},{num(y)} '{escaped}'")
        block.append("pop graphic-context")
        self.lines.extend(block)

    def save(self, filename):
        with open(filename, "w", encoding="utf-8") as out:
            out.write("\n".join(self.lines) + "\n")


# -- geometry helpers ----------------------------------------------------

def smooth_closed_path(points, tension=1.0):
    """A closed curve through all points (Catmull-Rom turned into Beziers)."""
    n = len(points)
    d = [f"M {num(points[0][0])},{num(points[0][1])}"]
    for i in range(n):
        p0, p1 = points[i - 1], points[i]
        p2, p3 = points[(i + 1) % n], points[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) * tension / 6, p1[1] + (p2[1] - p0[1]) * tension / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) * tension / 6, p2[1] - (p3[1] - p1[1]) * tension / 6)
        d.append(f"C {num(c1[0])},{num(c1[1])} {num(c2[0])},{num(c2[1])} "
                 f"{num(p2[0])},{num(p2[1])}")
    return " ".join(d) + " Z"


def tapered_hull(a, b):
    """Polygon joining two circles a=(x, y, r) and b along their outer tangents."""
    (x1, y1, r1), (x2, y2, r2) = a, b
    dx, dy = x2 - x1, y2 - y1
    length = math.hypot(dx, dy)
    theta = math.atan2(dy, dx)
    spread = math.acos(max(-1.0, min(1.0, (r1 - r2) / length)))
    out = []
    for angle in (theta + spread, theta - spread):
        out.append((x1 + r1 * math.cos(angle), y1 + r1 * math.sin(angle)))
        out.append((x2 + r2 * math.cos(angle), y2 + r2 * math.sin(angle)))
    return [out[0], out[1], out[3], out[2]]
