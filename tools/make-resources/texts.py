"""The words drawn into the pictures, in the language being drawn.

Their English is the key, as for the program's own texts:
scripts/update-translations collects every _("...") and N_("...") of these
sources into po/vitrel.pot, and draw.py --language LANG draws with the
translations of po/LANG.po.
"""

import ast

_translations = {}


def use_catalogue(path):
    """Draws from now on with the translations of the .po file at path."""
    entries, key, field = {}, None, None
    parts = {"msgid": [], "msgstr": []}

    def finish():
        if parts["msgid"] or parts["msgstr"]:
            msgid, msgstr = "".join(parts["msgid"]), "".join(parts["msgstr"])
            if msgid and msgstr:
                entries[msgid] = msgstr
        parts["msgid"], parts["msgstr"] = [], []

    with open(path, encoding="utf-8") as po:
        for line in po:
            line = line.strip()
            if line.startswith("msgid "):
                finish()
                field, line = "msgid", line[6:]
            elif line.startswith("msgstr "):
                field, line = "msgstr", line[7:]
            elif not line.startswith('"'):
                field = None if not line else field
                continue
            if field and not line.startswith("#"):
                parts[field].append(ast.literal_eval(line))
    finish()
    _translations.clear()
    _translations.update(entries)


def _(text):
    """text in the language being drawn."""
    return _translations.get(text, text)


def N_(text):
    """Marks text for translation where it is defined; _() draws it."""
    return text
