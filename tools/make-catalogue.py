#!/usr/bin/env python3
"""Writes data/VitrelTreatmentsList.xml, the treatments catalogue delivered
with the program.

Usage: tools/make-catalogue.py [output path]
       tools/make-catalogue.py --pot <template path> [catalogue path]

With --pot it writes the translation template of the catalogue's texts
instead (domain "vitrel-catalogue": every title and description of the
catalogue file, which by default is data/VitrelTreatmentsList.xml);
scripts/update-translations calls it.

Each entry below gives its body spot, title, a sentence on when a user might
pick it, day and night suggestions, base frequency, slot count and the shape
of its on/off slot pattern. The pattern sentence of each description, the
slots and the derived quantities (base time period, slot frequency, time
period per slot) are computed here, so they always agree with the numbers.
Entries in another language carry their whole description.
"""

import os
import sys
import xml.etree.ElementTree as ElementTree
from xml.sax.saxutils import escape

MAX_SLOT_FREQUENCY = 300.0
DOCTOR = "Follow your doctor's advice on how often and how long to use the stick."


# Slot patterns: each returns a list of N booleans (True = the slot fires)
# and a phrase saying how the firing slots are spread.

def burst(n, k):
    return [i < k for i in range(n)], (
        f"the first {k} of the {n} slots fire together as one burst, "
        f"the other {n - k} stay quiet")


def alternate(n):
    return [i % 2 == 0 for i in range(n)], (
        f"every other slot fires, {(n + 1) // 2} on and {n // 2} off, "
        "an even ticking pulse")


def every(n, k):
    slots = [i % k == 0 for i in range(n)]
    return slots, (
        f"one slot in {k} fires, {sum(slots)} short pulses spread evenly "
        "across the cycle")


def groups(n, on, off):
    slots = [i % (on + off) < on for i in range(n)]
    return slots, (
        f"groups of {on} firing slots alternate with {off} quiet ones, "
        f"{sum(slots)} of the {n} slots fire")


def ramp_lengths(n):
    """Burst lengths 1, 2, 3, ... each followed by one quiet slot, fitted
    into n slots (the last burst takes what is left)."""
    lengths, used, k = [], 0, 1
    while used + k + 1 <= n:
        lengths.append(k)
        used += k + 1
        k += 1
    return lengths


def ramp_up(n):
    slots = []
    for k in ramp_lengths(n):
        slots += [True] * k + [False]
    slots += [False] * (n - len(slots))
    longest = max(ramp_lengths(n))
    return slots, (
        f"bursts grow from one slot to {longest} slots, each followed by a "
        "quiet slot, so the pulse builds up through the cycle")


def ramp_down(n):
    slots = []
    for k in reversed(ramp_lengths(n)):
        slots += [True] * k + [False]
    slots += [False] * (n - len(slots))
    longest = max(ramp_lengths(n))
    return slots, (
        f"bursts shrink from {longest} slots to a single slot, each followed "
        "by a quiet slot, so the pulse fades through the cycle")


def swell(n):
    half = n // 2
    up, _ = ramp_up(half)
    down, _ = ramp_down(n - half)
    return up + down, (
        "bursts grow towards the middle of the cycle and shrink again "
        "after it, a rise and fall in every cycle")


def double(n, k):
    middle = n // 2
    slots = [i < k or middle <= i < middle + k for i in range(n)]
    return slots, (
        f"two bursts of {k} slots fire, one at the start and one in the "
        "middle of the cycle")


def single(n):
    return [True], "the one slot fires, a plain pulse at the base frequency"


PATTERNS = {
    "burst": burst, "alternate": alternate, "every": every, "groups": groups,
    "ramp_up": ramp_up, "ramp_down": ramp_down, "swell": swell,
    "double": double, "single": single,
}


def number(x):
    return f"{x:g}"


def rhythm_word(b):
    for limit, word in ((1.5, "very slow"), (4, "slow"), (8, "calm"),
                        (14, "medium"), (22, "brisk")):
        if b < limit:
            return word
    return "fast"


def plural(count, word):
    return f"{number(count)} {word}{'' if count == 1 else 's'}"


def rhythm_sentence(b, n):
    times = {1: "once", 2: "twice"}.get(b, f"{number(b)} times")
    return (f"A {rhythm_word(b)} rhythm: the cycle of {plural(n, 'slot')} "
            f"repeats {times} per second ({plural(b * n, 'slot')} per second).")


# Day and night suggestions used by several entries.
SHORT = ("10 minutes, once or twice a day", "Not meant for use at night")
TWICE = ("20 minutes, twice a day", "Not meant for use at night")
THRICE = ("10 minutes, up to three times a day", "Not meant for use at night")
EVENING = ("15 minutes in the late afternoon", "Overnight, stick resting on the spot")
NIGHT = ("Only briefly during the day, 10 minutes", "Overnight, stick resting on the spot")
ANY = ("20 to 30 minutes at any time of day", "Overnight if preferred")

# (spot, title, use sentence, (day, night), B, N, pattern, pattern args, off value)
# off value is the number written for a quiet slot: 0, or 2 as some older
# pattern files do; both read as off.
ENTRIES = [
    # General treatments, not tied to a spot.
    (0, "Gentle introduction",
     "A good first programme for getting used to the stick.",
     SHORT, 1, 10, "burst", (3,), 0),
    (0, "Single beat",
     "The simplest pattern, for anyone who wants an unadorned slow pulse.",
     ANY, 1, 1, "single", (), 0),
    (0, "Relajación nocturna", {
        "description":
            "Un ritmo muy lento: el ciclo de 20 intervalos se repite cada dos "
            "segundos (10 intervalos por segundo). Los impulsos empiezan con un "
            "grupo largo y se van acortando hasta un solo intervalo, con un "
            "intervalo de pausa entre grupos. Pensado para el final del día, "
            "cuando se prefiere un programa tranquilo. Siga las indicaciones de "
            "su médico sobre la frecuencia y la duración del uso.",
        "day": "Por la tarde, 20 minutos",
        "night": "Toda la noche, con el dispositivo en reposo junto al cuerpo"},
     None, 0.5, 20, "ramp_down", (), 0),
    (0, "Steady everyday rhythm",
     "An even pattern for regular daytime sessions without a particular spot.",
     TWICE, 5, 20, "alternate", (), 0),
    (0, "Slow building wave",
     "For users who like a pulse that gathers pace within each cycle.",
     ANY, 2, 50, "ramp_up", (), 2),
    (0, "Evening wind-down",
     "A soft, regular choice for the last hours of the day.",
     EVENING, 1.5, 40, "groups", (2, 3), 0),
    (0, "Morning double pulse",
     "A lively pattern for a short session early in the day.",
     SHORT, 12, 20, "double", (3,), 0),
    (0, "Sparse background programme",
     "Few pulses per cycle, for long sessions where the stick should stay unobtrusive.",
     ANY, 3, 60, "every", (10,), 0),
    (0, "Brisk short session",
     "A fast, dense pattern for a quick session of a few minutes.",
     SHORT, 20, 12, "groups", (2, 2), 0),
    (0, "Long quiet cycle",
     "One of the slowest general programmes, with long pauses, for overnight use.",
     NIGHT, 0.5, 250, "every", (25,), 0),

    # 1 Top of the head
    (1, "Head – calm slow pulse",
     "For the top of the head when a light, unhurried pattern is wanted.",
     SHORT, 1, 30, "every", (5,), 0),
    (1, "Head – evening rest",
     "A very slow burst pattern for the top of the head in the evening.",
     EVENING, 0.5, 100, "burst", (10,), 0),
    # 2 Throat / front of the neck
    (2, "Throat – light ticking",
     "For the front of the neck, an even and gentle pattern.",
     SHORT, 4, 10, "alternate", (), 0),
    (2, "Throat – slow sparse pulse",
     "For the front of the neck when only a few pulses per second are wanted.",
     NIGHT, 1, 20, "every", (10,), 0),
    # 3 Right shoulder
    (3, "Schulter – sanfter Rhythmus", {
        "description":
            "Ein ruhiger Rhythmus: Der Zyklus aus 40 Zeitschlitzen wiederholt "
            "sich zweimal pro Sekunde (80 Schlitze pro Sekunde). Gruppen von "
            "vier aktiven Schlitzen wechseln mit vier Pausenschlitzen ab. Für "
            "die rechte Schulter, wenn ein gleichmäßiges, sanftes Muster "
            "gewünscht ist.",
        "day": "20 Minuten, zweimal täglich",
        "night": "Nicht für die Nacht gedacht"},
     None, 2, 40, "groups", (4, 4), 0),
    (3, "Right shoulder – brisk bursts",
     "For the right shoulder during the day, a short and lively session.",
     THRICE, 10, 25, "burst", (5,), 0),
    # 4 Left shoulder
    (4, "Left shoulder – rising pulse",
     "For the left shoulder, a slow pattern that builds up within each cycle.",
     TWICE, 3, 45, "ramp_up", (), 0),
    (4, "Left shoulder – even rhythm",
     "For the left shoulder, a plain ticking pattern for regular use.",
     TWICE, 6, 30, "alternate", (), 2),
    # 5 Right elbow
    (5, "Right elbow – short bursts",
     "For the right elbow, a compact burst at a medium pace.",
     THRICE, 8, 20, "burst", (4,), 0),
    # 6 Left elbow
    (6, "Left elbow – spaced pulses",
     "For the left elbow, evenly spaced single pulses.",
     THRICE, 5, 36, "every", (6,), 0),
    # 7 Right wrist
    (7, "Poignet droit : impulsions espacées", {
        "description":
            "Un rythme moyen : le cycle de 24 créneaux se répète dix fois par "
            "seconde (240 créneaux par seconde). Un créneau sur quatre est "
            "actif, soit six impulsions brèves réparties régulièrement. Pour le "
            "poignet droit, par exemple après un long travail au clavier.",
        "day": "10 minutes, jusqu'à trois fois par jour",
        "night": "Non prévu pour la nuit"},
     None, 10, 24, "every", (4,), 0),
    (7, "Right wrist – quick double burst",
     "For the right wrist, two short bursts per cycle at a brisk pace.",
     SHORT, 15, 16, "double", (3,), 0),
    # 8 Left wrist
    (8, "Left wrist – steady ticking",
     "For the left wrist, an even medium-paced pattern.",
     THRICE, 10, 20, "alternate", (), 0),
    # 9 Centre of the chest
    (9, "Chest – slow rise and fall",
     "For the centre of the chest, a very slow pattern with a gentle swell.",
     EVENING, 0.8, 50, "swell", (), 0),
    (9, "Chest – light daytime rhythm",
     "For the centre of the chest, a light pattern for daytime sessions.",
     SHORT, 8, 25, "every", (5,), 0),
    # 10 Upper abdomen
    (10, "Upper abdomen – soft pulse",
     "For the upper abdomen, a soft, widely spaced pulse.",
     TWICE, 2.5, 40, "every", (8,), 0),
    # 11 Lower abdomen
    (11, "Lower abdomen – calm groups",
     "For the lower abdomen, short groups of pulses with longer pauses.",
     TWICE, 1.2, 60, "groups", (3, 7), 0),
    (11, "Lower abdomen – evening rest",
     "For the lower abdomen in the evening, one short burst per slow cycle.",
     NIGHT, 0.6, 100, "burst", (8,), 2),
    # 12 Right hip
    (12, "Right hip – medium double burst",
     "For the right hip, two bursts per cycle at a calm pace.",
     TWICE, 7, 30, "double", (4,), 0),
    # 13 Left hip
    (13, "Left hip – steady groups",
     "For the left hip, evenly repeated groups of pulses.",
     TWICE, 9, 30, "groups", (3, 3), 0),
    # 14 Right knee
    (14, "Genou : rythme doux", {
        "description":
            "Un rythme doux : le cycle de 30 créneaux se répète trois fois par "
            "seconde (90 créneaux par seconde). Deux créneaux actifs alternent "
            "avec quatre créneaux au repos, soit dix créneaux actifs par cycle. "
            "Pour le genou droit, lorsqu'on préfère un programme calme en "
            "journée.",
        "day": "20 minutes, deux fois par jour",
        "night": "Non prévu pour la nuit"},
     None, 3, 30, "groups", (2, 4), 0),
    (14, "Right knee – brisk session",
     "For the right knee, a short, lively burst pattern.",
     SHORT, 18, 15, "burst", (6,), 0),
    (14, "Right knee – overnight low rhythm",
     "For the right knee overnight, few pulses spread over a long cycle.",
     NIGHT, 1, 120, "every", (12,), 0),
    # 15 Left knee
    (15, "Left knee – gentle rising rhythm",
     "For the left knee, a slow pattern that builds up within each cycle.",
     TWICE, 3, 30, "ramp_up", (), 0),
    (15, "Left knee – brisk session",
     "For the left knee, a fast even pattern for short sessions.",
     SHORT, 18, 15, "alternate", (), 0),
    # 16 Right ankle
    (16, "Right ankle – quick pulses",
     "For the right ankle, quick single pulses at a fast pace.",
     SHORT, 25, 12, "every", (3,), 0),
    (16, "Right ankle – calm fading rhythm",
     "For the right ankle in the evening, a slow pattern that fades within each cycle.",
     EVENING, 1, 50, "ramp_down", (), 0),
    # 17 Left ankle
    (17, "Left ankle – quick bursts",
     "For the left ankle, a short burst at a fast pace.",
     SHORT, 25, 10, "burst", (2,), 0),
    # 18 Back of the neck
    (18, "Nacken – ruhiger Takt", {
        "description":
            "Ein langsamer Takt: Der Zyklus aus 60 Zeitschlitzen wiederholt "
            "sich anderthalbmal pro Sekunde (90 Schlitze pro Sekunde). Jeder "
            "sechste Schlitz ist aktiv, also zehn kurze, gleichmäßig verteilte "
            "Impulse pro Zyklus. Für den Nacken, etwa nach langer Arbeit am "
            "Bildschirm.",
        "day": "15 Minuten am Nachmittag",
        "night": "Über Nacht möglich"},
     None, 1.5, 60, "every", (6,), 0),
    (18, "Neck – short daytime session",
     "For the back of the neck, a medium-paced pattern that builds up within each cycle.",
     THRICE, 10, 20, "ramp_up", (), 0),
    # 19 Upper back between the shoulder blades
    (19, "Upper back – rolling rhythm",
     "For the upper back, a calm rise and fall in every cycle.",
     TWICE, 4, 50, "swell", (), 0),
    (19, "Upper back – even ticking",
     "For the upper back, a plain, even pattern for daytime use.",
     TWICE, 6, 40, "alternate", (), 0),
    # 20 Lower back
    (20, "Lower back – gentle slow rhythm",
     "A gentle slow rhythm for evening use on the lower back.",
     EVENING, 1, 80, "groups", (4, 6), 0),
    (20, "Lower back – daytime bursts",
     "For the lower back during the day, one firm burst per cycle.",
     TWICE, 12, 24, "burst", (6,), 0),
    (20, "Lower back – overnight sparse pulse",
     "For the lower back overnight, a very slow cycle with few pulses.",
     NIGHT, 0.5, 200, "every", (20,), 2),
    # 21 Sacrum / tailbone
    (21, "Sacrum – fading bursts",
     "For the sacrum, a slow pattern that fades within each cycle.",
     TWICE, 2, 60, "ramp_down", (), 0),
    # 22 Right hand (palm)
    (22, "Right hand – light quick rhythm",
     "For the palm of the right hand, the fastest even pattern the stick runs.",
     SHORT, 30, 10, "alternate", (), 0),
    (22, "Right hand – spaced pulses",
     "For the palm of the right hand, evenly spaced pulses at a brisk pace.",
     THRICE, 14, 20, "every", (5,), 0),
    # 23 Heel of the left foot
    (23, "Left heel – firm bursts",
     "For the heel of the left foot, one firm burst per cycle at a brisk pace.",
     TWICE, 20, 15, "burst", (5,), 0),
    (23, "Left heel – slow evening groups",
     "For the heel of the left foot in the evening, slow groups of pulses.",
     EVENING, 2, 50, "groups", (5, 5), 0),
    # 24 Left jaw joint / temple
    (24, "Temple – very light pulse",
     "For the left temple, a very light pulse with long pauses.",
     SHORT, 1, 40, "every", (10,), 0),
    (24, "Jaw – short calm session",
     "For the left jaw joint, two small bursts per cycle at a calm pace.",
     SHORT, 5, 24, "double", (2,), 0),
]


def element(name, value, indent="    "):
    return f"{indent}<{name}>{escape(str(value))}</{name}>\n"


def treatment_xml(entry):
    spot, title, use, texts, b, n, kind, args, off = entry
    slots, spread = PATTERNS[kind](n, *args)
    assert len(slots) == n, title
    assert 1 <= n <= 250 and 0.5 <= b <= 30, title
    assert b * n <= MAX_SLOT_FREQUENCY, title
    if isinstance(use, dict):
        description, day, night = use["description"], use["day"], use["night"]
    else:
        description = f"{rhythm_sentence(b, n)} In each cycle {spread}. {use}"
        if spot == 0:
            description += " " + DOCTOR
        day, night = texts
    out = "  <Treatment>\n"
    out += element("Title", title)
    out += element("Description", description)
    out += element("BodySpot", spot)
    out += element("DayTreatment", day)
    out += element("NightTreatment", night)
    out += element("BaseFrequency", f"{b:.6f}")
    out += element("BaseTimePeriod", f"{1 / b:.6f}")
    out += element("SlotFrequency", f"{b * n:.6f}")
    out += element("TimePeriodPerSlot", f"{1 / (b * n):.6f}")
    out += element("NumberOfSlots", n)
    for on in slots:
        out += element("Slot", 1 if on else off)
    out += "  </Treatment>\n"
    return out


def po_string(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    return f'"{escaped}"'


def write_template(template, catalogue, version):
    """The texts a user sees of each treatment: its title in the list and
    above the description, and the description."""
    texts = {}
    for number, treatment in enumerate(ElementTree.parse(catalogue).getroot().iter("Treatment"), 1):
        spot = (treatment.findtext("BodySpot") or "").strip()
        for field in ("Title", "Description"):
            text = treatment.findtext(field) or ""
            if text:
                texts.setdefault(text, []).append(f"{field} of treatment {number} (body spot {spot})")
    out = ['msgid ""', 'msgstr ""',
           '"Project-Id-Version: vitrel-catalogue ' + version + '\\n"',
           '"Report-Msgid-Bugs-To: support@vitrel.org\\n"',
           '"PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\\n"',
           '"Last-Translator: FULL NAME <EMAIL@ADDRESS>\\n"',
           '"Language-Team: LANGUAGE <LL@li.org>\\n"',
           '"Language: \\n"',
           '"MIME-Version: 1.0\\n"',
           '"Content-Type: text/plain; charset=UTF-8\\n"',
           '"Content-Transfer-Encoding: 8bit\\n"', ""]
    for text, places in texts.items():
        out += [f"#. {place}" for place in places]
        out += [f"msgid {po_string(text)}", 'msgstr ""', ""]
    with open(template, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out))
    print(f"{template}: {len(texts)} texts")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    default = os.path.join(root, "data", "VitrelTreatmentsList.xml")
    if len(sys.argv) > 2 and sys.argv[1] == "--pot":
        with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
            version = f.read().split("project(Vitrel VERSION ", 1)[1].split()[0]
        write_template(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else default, version)
        return
    path = sys.argv[1] if len(sys.argv) > 1 else default
    spots = [entry[0] for entry in ENTRIES]
    assert spots == sorted(spots), "entries must be grouped by body spot"
    assert len({entry[1] for entry in ENTRIES}) == len(ENTRIES), "titles must differ"
    text = '<?xml version="1.0" encoding="UTF-8"?>\n<VitrelTreatmentsList>\n'
    text += "".join(treatment_xml(entry) for entry in ENTRIES)
    text += "</VitrelTreatmentsList>\n"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    print(f"{path}: {len(ENTRIES)} treatments, {len(set(spots) - {0})} body spots, "
          f"{len(text.encode('utf-8'))} bytes")


if __name__ == "__main__":
    main()
