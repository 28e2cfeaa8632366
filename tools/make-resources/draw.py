#!/usr/bin/env python3
"""Writes the MVG drawings of every picture and video frame, and the body
spot table of the help pages, into a work folder.

    draw.py WORKDIR
    draw.py --language LANG WORKDIR


WORKDIR/pictures/NAME.mvg   one drawing per picture (NAME is the final file name
                            without extension; the icon is drawn 8 times larger)
WORKDIR/frames/NNN.mvg      the intro video's frames
WORKDIR/spot-table.html     rows of the body spot table for the help pages

With --language only the pictures are drawn, their words translated by
po/LANG.po; make-resources.sh keeps those with words in them.
"""

import html
import os
import sys

import body
import pictures
import texts
import video


def write_pictures(folder):
    os.makedirs(folder, exist_ok=True)
    drawings = {
        "VitrelIcon24x24": pictures.icon(),
        "VitrelFrontPanel": pictures.front_panel(),
        "MagneticPulses": pictures.pulses_diagram(),
    }
    for view in body.VIEWS:
        drawings[os.path.splitext(view[0])[0]] = body.body_picture(view)
    for name, canvas in drawings.items():
        canvas.save(os.path.join(folder, name + ".mvg"))


def write_frames(folder):
    os.makedirs(folder, exist_ok=True)
    for index in range(video.FRAME_COUNT):
        video.frame(index).save(os.path.join(folder, f"{index:03d}.mvg"))


def write_spot_table(filename):
    views = [(caption, spots) for _, caption, spots in body.VIEWS]
    rows = []
    for number, name in sorted(body.SPOT_NAMES.items()):
        shown = ", ".join(caption.lower() for caption, spots in views if number in spots)
        rows.append(f'<tr><td class="num">{number}</td><td>{html.escape(name)}</td>'
                    f'<td>{shown}</td></tr>')
    with open(filename, "w", encoding="utf-8") as out:
        out.write("\n".join(rows) + "\n")


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--language":
        root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        texts.use_catalogue(os.path.join(root, "po", sys.argv[2] + ".po"))
        write_pictures(os.path.join(sys.argv[3], "pictures"))
        return
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    work = sys.argv[1]
    body.check_coverage()
    write_pictures(os.path.join(work, "pictures"))
    write_frames(os.path.join(work, "frames"))
    write_spot_table(os.path.join(work, "spot-table.html"))


if __name__ == "__main__":
    main()
