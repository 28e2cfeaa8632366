#!/usr/bin/env bash
# Regenerates the program's run-time resources from the sources in this
# folder: the icon, pictures and intro video in share/, the menu icons in
# packaging/linux/icons/, the pictures and the spot tables of the help pages
# in docs/help/ and docs/help/<lang>/, and the help files docs/VitrelHelp.chm
# and docs/<lang>/VitrelHelp.chm compiled from them.  The help pages and
# their projects (.hhp, .hhc, .hhk) are written in docs/help/ (English) and
# docs/help/<lang>/, their one source; the build zips the same folders into
# the .htb books of the program's own help viewer.  The results are kept in the repository, so building the program
# never needs this script.
#
# Run from the repository root:  tools/make-resources/make-resources.sh
# Needs the Debian packages: imagemagick ffmpeg fp-utils python3 fonts-dejavu-core
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
if [ "$PWD" != "$ROOT" ]; then
  echo "make-resources: run this from the repository root ($ROOT)" >&2
  exit 1
fi

# /usr/local/bin may hold other programs called convert: use ImageMagick's own.
CONVERT=/usr/bin/convert
FONTS=(/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
       /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf)

missing=()
if ! "$CONVERT" -version 2>/dev/null | grep -q ImageMagick; then missing+=("imagemagick ($CONVERT)"); fi
command -v ffmpeg >/dev/null || missing+=("ffmpeg")
command -v chmcmd >/dev/null || missing+=("fp-utils (chmcmd)")
command -v python3 >/dev/null || missing+=("python3")
for font in "${FONTS[@]}"; do [ -f "$font" ] || missing+=("fonts-dejavu-core ($font)"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "make-resources: missing tools:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  echo "install them with: apt-get install -y imagemagick ffmpeg fp-utils python3 fonts-dejavu-core" >&2
  exit 1
fi

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

made() { printf '  %-34s %8d bytes\n' "$1" "$(stat -c %s "$1")"; }

# PNGs without time stamps, so that a rerun gives the same bytes.
render_png() {   # render_png DRAWING.mvg OUTPUT.png PNG-KIND
  "$CONVERT" -background none "mvg:$1" -depth 8 -strip \
    -define png:exclude-chunks=date,time "$3:$2"
}

echo "Drawing (python3 $HERE/draw.py)"
PYTHONDONTWRITEBYTECODE=1 python3 "$HERE/draw.py" "$WORK"

mkdir -p share docs
echo "Pictures in share/:"
pictures="$WORK/pictures"
"$CONVERT" -background none "mvg:$pictures/VitrelIcon24x24.mvg" -filter Lanczos \
  -resize 24x24 -depth 8 -strip share/VitrelIcon24x24.ico
made share/VitrelIcon24x24.ico
# The menu icons of the Linux installation, from the same drawing.
mkdir -p packaging/linux/icons
for size in 16 22 24 32 48 64 128; do
  "$CONVERT" -background none "mvg:$pictures/VitrelIcon24x24.mvg" -filter Lanczos \
    -resize "${size}x${size}" -depth 8 -strip -define png:exclude-chunks=date,time \
    "PNG32:packaging/linux/icons/vitrel-$size.png"
  made "packaging/linux/icons/vitrel-$size.png"
done
render_png "$pictures/VitrelFrontPanel.mvg" share/VitrelFrontPanel.png PNG32
made share/VitrelFrontPanel.png
render_png "$pictures/MagneticPulses.mvg" share/MagneticPulses.PNG PNG24
made share/MagneticPulses.PNG
for view in HumanBodyFront HumanBodyBack HumanBodySideL; do
  render_png "$pictures/$view.mvg" "share/$view.png" PNG24
  made "share/$view.png"
done

encode_video() {   # encode_video FRAMES-FOLDER OUTPUT.avi
  ls "$1"/*.mvg | xargs -P "$(nproc)" -I{} \
    "$CONVERT" -background none "mvg:{}" -depth 8 -alpha off "{}.png"
  ffmpeg -loglevel error -y -framerate 15 -i "$1/%03d.mvg.png" \
    -c:v mjpeg -q:v 4 -pix_fmt yuvj420p -an \
    -fflags +bitexact -flags:v +bitexact -map_metadata -1 \
    "$2"
  made "$2"
  if [ "$(stat -c %s "$2")" -ge 2000000 ]; then
    echo "make-resources: $2 is not under 2 MB" >&2
    exit 1
  fi
}
echo "Intro video:"
encode_video "$WORK/frames" share/VitrelUSB.avi

# The pictures and the video with words in them, once more in every language
# of po/LINGUAS (English is made above): share/<lang>/, which the program
# prefers when it speaks that language.
for lang in $(cat po/LINGUAS); do
  echo "Pictures and video in share/$lang/:"
  PYTHONDONTWRITEBYTECODE=1 python3 "$HERE/draw.py" --language "$lang" "$WORK/$lang"
  mkdir -p "share/$lang"
  render_png "$WORK/$lang/pictures/MagneticPulses.mvg" "share/$lang/MagneticPulses.PNG" PNG24
  made "share/$lang/MagneticPulses.PNG"
  for view in HumanBodyFront HumanBodyBack HumanBodySideL; do
    render_png "$WORK/$lang/pictures/$view.mvg" "share/$lang/$view.png" PNG24
    made "share/$lang/$view.png"
  done
  encode_video "$WORK/$lang/frames" "share/$lang/VitrelUSB.avi"
done

# Each help book: docs/help/ is English, docs/help/<lang>/ another language.
help_languages=(de)
echo "Help pages in docs/help/:"
# The spot tables' rows come from the same list that draws the pictures; the
# German rows name the spots in German.
for folder in docs/help "${help_languages[@]/#/docs/help/}"; do
  language=${folder#docs/help}
  language=${language#/}
  python3 - "$WORK/spot-table${language:+-$language}.html" "$folder/spots.html" <<'REPLACE'
import sys
rows_file, page_file = sys.argv[1], sys.argv[2]
rows = open(rows_file, encoding="utf-8").read()
lines = open(page_file, encoding="utf-8").read().splitlines(keepends=True)
spot = [i for i, line in enumerate(lines) if line.startswith('<tr><td class="num">')]
if not spot or spot[-1] - spot[0] + 1 != len(spot):
    sys.exit("make-resources: " + page_file + " has no single block of spot rows")
open(page_file, "w", encoding="utf-8").write("".join(lines[:spot[0]]) + rows + "".join(lines[spot[-1] + 1:]))
REPLACE
  cp share/VitrelFrontPanel.png share/MagneticPulses.PNG \
     share/HumanBodyFront.png share/HumanBodyBack.png share/HumanBodySideL.png "$folder/"
  # The pictures with words in them in the book's language.
  if [ -n "$language" ] && [ -d "share/$language" ]; then cp "share/$language"/* "$folder/"; fi
  for file in "$folder"/*; do [ -f "$file" ] && made "$file"; done
done

# chmcmd stamps the build time (and one stray byte) into the file: keep the
# existing file when everything else in it is the same.
chm_contents() {   # chm_contents FILE.chm FOLDER
  mkdir -p "$2"
  chmls extractall "$1" "$2" > /dev/null 2>&1
  chmls printsystem "$1" 2>/dev/null | grep -av 'Timestamp (32-bit' > "$2.system"
}
for folder in docs/help "${help_languages[@]/#/docs/help/}"; do
  language=${folder#docs/help}
  target=docs${language}/VitrelHelp.chm
  echo "Help file $target:"
  chm="$WORK/chm$language"
  rm -rf "$chm" "$WORK/old" "$WORK/new" "$WORK/old.system" "$WORK/new.system"
  mkdir -p "$chm" "$(dirname "$target")"
  find "$folder" -maxdepth 1 -type f -exec cp {} "$chm/" \;
  (cd "$chm" && chmcmd --verbosity 1 VitrelHelp.hhp > chmcmd.log 2>&1) || {
    cat "$chm/chmcmd.log" >&2
    echo "make-resources: chmcmd failed" >&2
    exit 1
  }
  if [ -f "$target" ] &&
     chm_contents "$target" "$WORK/old" &&
     chm_contents "$chm/VitrelHelp.chm" "$WORK/new" &&
     diff -rq -x '#SYSTEM' -x Map "$WORK/old" "$WORK/new" > /dev/null &&
     cmp -s "$WORK/old.system" "$WORK/new.system"; then
    echo "  $target: contents unchanged, existing file kept"
  else
    mv "$chm/VitrelHelp.chm" "$target"
  fi
  made "$target"
done

echo "Done."
