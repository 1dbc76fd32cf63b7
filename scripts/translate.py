#!/usr/bin/env python3
"""Fills a translation from its word list.

    scripts/translate.py de            apply translations/flingdial_de.tsv
    scripts/translate.py de --add-new  also append the untranslated texts to
                                       the .tsv, with an empty translation

Run it after `make translations` (lupdate). Every message of
translations/flingdial_LANG.ts whose context, comment and source text have a
row in translations/flingdial_LANG.tsv gets that row's translation and loses
its "unfinished" mark; the rest stay unfinished and are listed. A translation
that drops or adds a placeholder (%1, %n, %L1…) or changes the leading or
trailing white space is refused and listed too. The exit status is 0 only
when nothing is left unfinished.

The .tsv holds one message per line: context, comment, source, then the
translation (a plural message has one column per plural form). Inside a
column, \\n is a line break, \\t a tab and \\\\ a backslash; lines starting
with # are notes. The build never reads it: the .ts file is what ships.
"""

import argparse
import html
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

CONTEXT = re.compile(r"<context>\s*<name>(.*?)</name>(.*?)</context>", re.S)
MESSAGE = re.compile(r"<message( numerus=\"yes\")?>(.*?)</message>", re.S)
SOURCE = re.compile(r"<source>(.*?)</source>", re.S)
COMMENT = re.compile(r"<comment>(.*?)</comment>", re.S)
TRANSLATION = re.compile(r"( *)<translation(?: type=\"(\w+)\")?(?:/>|>(.*?)</translation>)", re.S)
NUMERUS = re.compile(r"<numerusform>(.*?)</numerusform>", re.S)
PLACEHOLDER = re.compile(r"%(?:L?\d{1,2}|n)")
UNESCAPES = {"n": "\n", "t": "\t", "\\": "\\"}


def unescape_xml(text):
    return html.unescape(text)


def escape_xml(text):
    # The way lupdate writes texts, so that its next run changes nothing.
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("'", "&apos;"))


def unescape_column(text):
    return re.sub(r"\\(.)", lambda m: UNESCAPES.get(m.group(1), m.group(0)), text)


def escape_column(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


def read_word_list(path):
    """(context, comment, source) -> list of translations; rows without one are skipped."""
    known = {}
    if not path.exists():
        return known
    for number, line in enumerate(path.read_text(encoding="utf-8").split("\n"), 1):
        if not line or line.startswith("#"):
            continue
        columns = [unescape_column(c) for c in line.split("\t")]
        if len(columns) < 4:
            sys.exit(f"{path}:{number}: expected context, comment, source and translation")
        forms = columns[3:]
        if any(forms):
            known[tuple(columns[:3])] = forms
    return known


def problems(source, forms, plural, count):
    """What is wrong with `forms` as a translation of `source`, which has `count` forms."""
    found = []
    if len(forms) != count:
        found.append(f"needs {count} form{'s' if count > 1 else ''}, not {len(forms)}")
    wanted = sorted(PLACEHOLDER.findall(source))
    for form in forms:
        if not form:
            found.append("has an empty form")
        # A plural form may leave out %n ("eine Datei") but nothing else.
        have = sorted(PLACEHOLDER.findall(form))
        if have != wanted and not (plural and have == [p for p in wanted if p != "%n"]):
            found.append(f"has placeholders {have}, the source {wanted}")
        if re.match(r"\s*", form).group(0) != re.match(r"\s*", source).group(0):
            found.append("changes the leading white space")
        if re.search(r"\s*$", form).group(0) != re.search(r"\s*$", source).group(0):
            found.append("changes the trailing white space")
    return found


def translation_element(indent, forms, plural):
    if not plural:
        return f"{indent}<translation>{escape_xml(forms[0])}</translation>"
    inner = "".join(f"\n{indent}    <numerusform>{escape_xml(f)}</numerusform>" for f in forms)
    return f"{indent}<translation>{inner}\n{indent}</translation>"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("language", help="language code, as in translations/flingdial_LANG.ts")
    parser.add_argument("--add-new", action="store_true",
                        help="append untranslated texts to the .tsv with an empty translation")
    args = parser.parse_args()
    ts_path = ROOT / "translations" / f"flingdial_{args.language}.ts"
    tsv_path = ts_path.with_suffix(".tsv")
    known = read_word_list(tsv_path)
    text = ts_path.read_text(encoding="utf-8")

    used, missing, refused, stale = set(), [], [], []

    def fill(context, message):
        plural = bool(message.group(1))
        body = message.group(2)
        source = unescape_xml(SOURCE.search(body).group(1))
        comment_match = COMMENT.search(body)
        comment = unescape_xml(comment_match.group(1)) if comment_match else ""
        key = (context, comment, source)
        current = TRANSLATION.search(body)
        if current.group(2) in ("vanished", "obsolete"):
            stale.append(key)
            return message.group(0)
        forms = known.get(key)
        if forms is None:
            if current.group(2) == "unfinished":
                guess = NUMERUS.findall(current.group(3) or "") if plural else [current.group(3) or ""]
                missing.append((key, plural, [unescape_xml(g) for g in guess if g]))
            return message.group(0)
        count = len(NUMERUS.findall(current.group(3) or "")) if plural else 1
        found = problems(source, forms, plural, count)
        if found:
            refused.append((key, found))
            return message.group(0)
        used.add(key)
        body = body[:current.start()] + translation_element(current.group(1), forms, plural) \
            + body[current.end():]
        return f"<message{message.group(1) or ''}>{body}</message>"

    def fill_context(match):
        context = unescape_xml(match.group(1))
        body = MESSAGE.sub(lambda m: fill(context, m), match.group(2))
        return f"<context>\n    <name>{match.group(1)}</name>{body}</context>"

    filled = CONTEXT.sub(fill_context, text)
    if filled != text:
        ts_path.write_text(filled, encoding="utf-8")

    if args.add_new and missing:
        with tsv_path.open("a", encoding="utf-8") as out:
            if tsv_path.stat().st_size and not tsv_path.read_text(encoding="utf-8").endswith("\n"):
                out.write("\n")
            for (context, comment, source), plural, _ in missing:
                columns = [context, comment, source, ""]
                out.write("\t".join(escape_column(c) for c in columns) + "\n")

    def show(key):
        context, comment, source = key
        note = f" ({comment})" if comment else ""
        return f"  {context}{note}: {escape_column(source)}"

    for key, plural, guess in missing:
        print("untranslated" + (" (plural)" if plural else "") + ":\n" + show(key))
        if guess:
            print("  lupdate's guess: " + " | ".join(escape_column(g) for g in guess))
    for key, found in refused:
        print("refused, the translation " + "; ".join(found) + ":\n" + show(key))
    for key in stale:
        print("no longer in the sources (run lupdate with -no-obsolete):\n" + show(key))
    unused = [key for key in known if key not in used and key not in dict(refused)]
    if unused:
        print(f"rows of {tsv_path.name} that match no text of the sources (changed or removed "
              "texts; delete them once the new text is translated):")
        for key in unused:
            print(show(key))
    total = len(MESSAGE.findall(filled))
    left = len(missing) + len(refused)
    print(f"{ts_path.name}: {total - left} of {total} messages translated, {left} left")
    return 0 if not left and not stale else 1


if __name__ == "__main__":
    sys.exit(main())
