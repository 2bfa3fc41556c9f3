#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/: the
example study's files and the edge cases of each format. The files are kept in the
repository; run this again after changing it (it replaces every seed it writes and
removes seeds it no longer writes)."""

import pathlib
import shutil

FUZZ = pathlib.Path(__file__).resolve().parent
DEMO = FUZZ.parent / "examples" / "demo"
CORPUS = FUZZ / "corpus"

INT_MAX = "2147483647"
INT_OVERFLOW = "2147483648"
INT_MIN = "-2147483648"
HUGE = "99999999999999999999"
HIGH_BYTES = bytes(range(0x80, 0x100))


def demo(name):
    return (DEMO / name).read_bytes()


def lines(*texts, end=b"\r\n"):
    """Each text (str or bytes) followed by a line end."""
    out = b""
    for text in texts:
        out += (text.encode("latin-1") if isinstance(text, str) else text) + end
    return out


def relined(data, end):
    """The same file with every CR LF replaced by another line end."""
    return data.replace(b"\r\n", end)


UTF8_MARK = b"\xef\xbb\xbf"


def encodings(name, data, stem):
    """A Windows-1252 file as text editors save it: UTF-8 with its byte order mark,
    the same with a character Windows-1252 lacks and a byte that is not UTF-8, and
    UTF-16 (little- and big-endian) with theirs."""
    text = data.decode("cp1252")
    utf8 = text.encode("utf-8")
    return {
        f"{name}-utf8-mark.{stem}": UTF8_MARK + utf8,
        f"{name}-utf8-mark-unconvertible.{stem}": UTF8_MARK + utf8.replace(b" ", "\u2603".encode("utf-8"), 1)
                                                  .replace(b"\r\n", "\U0001F600\r\n".encode("utf-8"), 1),
        f"{name}-utf8-mark-malformed.{stem}": UTF8_MARK + utf8.replace(b"\r\n", b"\xe9\xe2\x98\r\n", 1),
        f"{name}-utf16-le-mark.{stem}": b"\xff\xfe" + text.encode("utf-16-le"),
        f"{name}-utf16-be-mark.{stem}": b"\xfe\xff" + text.encode("utf-16-be"),
        f"utf8-mark-only.{stem}": UTF8_MARK,
    }


# --- input file ---

def session(cat1="one.wls", cat2="two.wls", cat1p=0, cat2p=1, catsw=1, delay=150, nprac=10, nreal=20):
    return [cat1, cat2, str(cat1p), str(cat2p), str(catsw), str(delay), str(nprac), str(nreal)]


def input_file(sessions, instructions="intro.bgi", count=None, flags=("1", "1"), sep="\t", end="\r\n"):
    fields = [instructions, str(len(sessions)) if count is None else count]
    for s in sessions:
        fields += s
    fields += list(flags)
    return (sep.join(fields) + end).encode("latin-1")


def input_file_seeds():
    one = [session()]
    seeds = {
        "demo-one-session.inp": demo("demo-one-session.inp"),
        "demo-two-sessions.inp": demo("demo-two-sessions.inp"),
        "empty.inp": b"",
        "line-end-only.inp": b"\r\n",
        "good.inp": input_file(one),
        "lf-only.inp": input_file(one, end="\n"),
        "cr-only.inp": input_file(one, sep="\r", end="\r"),
        "one-field-a-line.inp": input_file(one, sep="\r\n"),
        "blanks-between-fields.inp": input_file(one, sep="  "),
        "nine-sessions.inp": input_file([session(nprac=s, nreal=100 - s) for s in range(9)]),
        "ten-sessions.inp": input_file([session() for _ in range(10)]),
        "count-0.inp": input_file([], count="0"),
        "count-negative.inp": input_file(one, count="-1"),
        "count-int-max.inp": input_file(one, count=INT_MAX),
        "count-int-min.inp": input_file(one, count=INT_MIN),
        "count-overflow.inp": input_file(one, count=INT_OVERFLOW),
        "count-huge.inp": input_file(one, count=HUGE),
        "count-not-a-number.inp": input_file(one, count="two"),
        "count-with-plus.inp": input_file(one, count="+1"),
        "count-more-than-sessions.inp": input_file(one, count="3"),
        "names-at-capacity.inp": input_file([session("l" * 35 + ".wls", "m" * 35 + ".wls")], "i" * 36 + ".bgi"),
        "names-beyond-capacity.inp": input_file([session("l" * 36 + ".wls", "m" * 40 + ".wls")], "i" * 37 + ".bgi"),
        "values-at-limits.inp": input_file([session(cat1p=1, cat2p=0, catsw=0, delay=999, nprac=0, nreal=100),
                                            session(delay=0, nprac=100, nreal=0)]),
        "values-beyond-limits.inp": input_file([session(cat1p=2, cat2p=-1, catsw=7, delay=1000, nprac=101,
                                                        nreal=-1)]),
        "values-huge.inp": (input_file([session()]).replace(b"\t150\t", ("\t" + HUGE + "\t").encode())),
        "value-not-a-number.inp": input_file([session()]).replace(b"\t150\t", b"\tslow\t"),
        "flags-unusual.inp": input_file(one, flags=("-5", INT_MAX)),
        "ends-in-session.inp": b"intro.bgi\t2\tone.wls\ttwo.wls\t0\t1\t1\t150\t10\t20\tone.wls\r\n",
        "ends-before-flags.inp": b"intro.bgi\t1\tone.wls\ttwo.wls\t0\t1\t1\t150\t10\t20\r\n",
        "text-after-flags.inp": input_file(one) + b"surplus\r\n",
        "high-bytes-in-names.inp": input_file([session("caf\xe9.wls", "\x80\x9f\xff.wls")], "\xe0\xfc.bgi"),
        "nul-in-names.inp": input_file([session("one\x00.wls")], "intro\x00.bgi"),
        "questionnaire-names.inp": input_file([session("own.qls", "OWN.QLS")]),
    }
    seeds["high-bytes-only.inp"] = HIGH_BYTES
    seeds.update(encodings("good", input_file([session("caf\xe9.wls", "\x80uro.wls")], "\xe0\xfc.bgi"), "inp"))
    return seeds


# --- word list file ---

def word_list(label_a, items_a, label_b, items_b, count_a=None, count_b=None, end=b"\r\n"):
    ca = str(len(items_a) + 1) if count_a is None else count_a
    cb = str(len(items_b) + 1) if count_b is None else count_b
    return lines(ca, cb, label_a, *items_a, label_b, *items_b, end=end)


def items(prefix, n, width=None):
    out = []
    for i in range(1, n + 1):
        word = f"{prefix}{i}"
        if width:
            word = (word + "x" * width)[:width]
        out.append(word)
    return out


def word_list_seeds():
    good = word_list("Fruit", items("fruit", 9), "Tools", items("tool", 9))
    return encodings("accents", word_list("Caf\xe9", ["cr\xe8me", "\x80uro"], "Na\xefve", ["\x96"]), "wls") | {
        "demo-vehicles-clothing.wls": demo("vehicles-clothing.wls"),
        "demo-summer-winter.wls": demo("summer-winter.wls"),
        "empty.wls": b"",
        "line-end-only.wls": b"\r\n",
        "good.wls": good,
        "lf-only.wls": relined(good, b"\n"),
        "cr-only.wls": relined(good, b"\r"),
        "one-line.wls": relined(good, b" "),
        "labels-only.wls": word_list("Fruit", [], "Tools", []),
        "eighteen-items-at-capacity.wls": word_list("L" * 15, items("a", 18, 15), "M" * 15, items("b", 18, 15)),
        "nineteen-items.wls": word_list("Fruit", items("a", 19), "Tools", items("b", 19)),
        "entries-beyond-capacity.wls": word_list("L" * 16, items("a", 3, 16), "Tools", items("b", 3, 40)),
        "count-0.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_a="0"),
        "count-negative.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_b="-4"),
        "count-int-max.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_a=INT_MAX),
        "count-int-min.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_b=INT_MIN),
        "count-overflow.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_a=INT_OVERFLOW),
        "count-huge.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_b=HUGE),
        "count-not-a-number.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_a="four"),
        "count-larger-than-entries.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_b="9"),
        "count-smaller-than-entries.wls": word_list("Fruit", items("a", 3), "Tools", items("b", 3), count_a="2"),
        "ends-after-counts.wls": b"10\r\n10\r\n",
        "text-after-last-entry.wls": good + b"surplus\r\n",
        "high-bytes.wls": word_list("Caf\xe9", ["\x80\x81\x8d", "\xff\xfe", HIGH_BYTES[:15]], "Na\xefve", ["\xe0"]),
        "nul-bytes.wls": word_list("Fru\x00it", ["a\x00b", "\x00"], "Tools", ["c"]),
        "high-bytes-only.wls": HIGH_BYTES,
    }


# --- questionnaire file ---

def field(text):
    return (text.encode("latin-1") if isinstance(text, str) else text) + b"#\r\n"


def page(category, text, kind, *fields_):
    out = lines(str(category)) + field(text) + lines(str(kind))
    for f in fields_:
        out += f
    return out


def text_page(category, text="Your word?"):
    return page(category, text, 2)


def radio_page(category, first="tea", second="coffee", text="Which?"):
    return page(category, text, 3, field(first), field(second))


def list_page(category, choices, text="Pick one.", count=None):
    n = str(len(choices)) if count is None else count
    return page(category, text, 4, lines(n), *[field(c) for c in choices])


def item_page(category, item, text=""):
    return page(category, text, 5, field(item))


def questionnaire(label1, label2, pages, count=None):
    n = str(len(pages)) if count is None else count
    return field(label1) + field(label2) + lines(n) + b"".join(pages)


def usable_pages():
    return [page(0, "Welcome.\r\nPlease answer.", 1), text_page(1), text_page(2), radio_page(1),
            list_page(2, ["red", "green", "blue"]), item_page(1, "Zebra"), item_page(2, "Quokka"),
            text_page(1), text_page(2), item_page(1, "Yak"), item_page(2, "Emu")]


def questionnaire_seeds():
    good = questionnaire("Mine", "Others", usable_pages())
    every_type = [page(0, "Text only.", 1), text_page(1), radio_page(2), list_page(1, ["a", "b"]), item_page(2, "it")]
    accents = questionnaire("Caf\xe9", "Th\xe9", [page(0, "Bienvenue \x96 \xe0 vous.\r\nR\xe9pondez.", 1)] +
                            usable_pages()[1:])
    return encodings("accents", accents, "qls") | {
        "demo-own-words.qls": demo("own-words.qls"),
        "empty.qls": b"",
        "line-end-only.qls": b"\r\n",
        "good.qls": good,
        "lf-only.qls": relined(good, b"\n"),
        "cr-only.qls": relined(good, b"\r"),
        "no-line-ends.qls": relined(good, b""),
        "labels-only.qls": field("Mine") + field("Others"),
        "first-label-without-hash.qls": b"Mine\r\nOthers\r\n",
        "second-label-without-hash.qls": b"Mine#\r\nOthers\r\n1\r\n",
        "page-without-hash.qls": questionnaire("Mine", "Others", [b"1\r\nYour word?\r\n2\r\n"]),
        "count-0.qls": questionnaire("Mine", "Others", [], count="0"),
        "count-negative.qls": questionnaire("Mine", "Others", [text_page(1)], count="-1"),
        "count-int-max.qls": questionnaire("Mine", "Others", [text_page(1)], count=INT_MAX),
        "count-int-min.qls": questionnaire("Mine", "Others", [text_page(1)], count=INT_MIN),
        "count-overflow.qls": questionnaire("Mine", "Others", [text_page(1)], count=INT_OVERFLOW),
        "count-huge.qls": questionnaire("Mine", "Others", [text_page(1)], count=HUGE),
        "count-not-a-number.qls": questionnaire("Mine", "Others", [text_page(1)], count="one"),
        "count-larger-than-pages.qls": questionnaire("Mine", "Others", usable_pages(), count="20"),
        "sixty-pages.qls": questionnaire("Mine", "Others", [every_type[i % 5] for i in range(60)]),
        "sixty-one-pages.qls": questionnaire("Mine", "Others", [every_type[i % 5] for i in range(61)]),
        "every-type.qls": questionnaire("Mine", "Others", every_type),
        "types-outside-1-to-5.qls": questionnaire("Mine", "Others", [page(1, "t", 0), page(2, "t", 6),
                                                                      page(1, "t", -1), page(1, "t", INT_MAX)]),
        "categories-outside-1-and-2.qls": questionnaire("Mine", "Others", [text_page(0), text_page(3),
                                                                            item_page(-1, "x"), radio_page(7)]),
        "eighteen-choices.qls": questionnaire("Mine", "Others", [list_page(1, items("c", 18, 15))]),
        "nineteen-choices.qls": questionnaire("Mine", "Others", [list_page(1, items("c", 19)), text_page(2)]),
        "choice-count-negative.qls": questionnaire("Mine", "Others", [list_page(1, [], count="-1"), text_page(2)]),
        "choice-count-int-max.qls": questionnaire("Mine", "Others", [list_page(1, ["a", "b"], count=INT_MAX)]),
        "choice-count-not-a-number.qls": questionnaire("Mine", "Others", [list_page(1, ["a"], count="x")]),
        "no-choices.qls": questionnaire("Mine", "Others", [list_page(1, []), text_page(2)]),
        "fields-at-capacity.qls": questionnaire("L" * 15, "M" * 15, [
            page(1, "p" * 999, 2), radio_page(2, "r" * 15, "s" * 15, "q" * 999), item_page(1, "e" * 15, "n" * 999),
            list_page(2, ["c" * 15] * 3, "t" * 999)]),
        "fields-beyond-capacity.qls": questionnaire("L" * 16, "M" * 40, [
            page(1, "p" * 1000, 2), radio_page(2, "r" * 16, "s" * 16), item_page(1, "e" * 16),
            list_page(2, ["c" * 16] * 3)]),
        "nineteen-experimenter-items.qls": questionnaire("Mine", "Others",
                                                         [item_page(1, f"item{i}") for i in range(19)] +
                                                         [item_page(2, f"other{i}") for i in range(4)]),
        "too-few-items.qls": questionnaire("Mine", "Others", [text_page(1), text_page(2), item_page(1, "x")]),
        "items-only.qls": questionnaire("Mine", "Others", [item_page(1 + i % 2, f"item{i}") for i in range(8)]),
        "answers-only.qls": questionnaire("Mine", "Others", [text_page(1 + i % 2) for i in range(8)]),
        "multi-line-texts.qls": questionnaire("Mine", "Others", [page(0, "one\r\ntwo\r\n\r\nthree", 1)] +
                                              usable_pages()[1:]),
        "text-after-last-page.qls": good + b"surplus\r\n",
        "high-bytes.qls": questionnaire("Caf\xe9", "\xff\xfe", [page(1, HIGH_BYTES, 2), item_page(2, "\x80\x81"),
                                                                radio_page(1, "\xe9t\xe9", "hiver")]),
        "nul-bytes.qls": questionnaire("Mi\x00ne", "Others", [page(1, "a\x00b", 2), item_page(2, "\x00")]),
        "high-bytes-only.qls": HIGH_BYTES,
    }


# --- instruction file ---

def instructions(pages, count=None, end=b"\r\n"):
    n = str(len(pages)) if count is None else count
    out = n.encode() + end
    for p in pages:
        out += (p.encode("latin-1") if isinstance(p, str) else p) + b"#" + end
    return out


def instruction_seeds():
    good = instructions(["Welcome.\r\r\nThank you.", "Press a key."])
    return encodings("accents", instructions(["Gr\xfc\xdf Gott \x96 willkommen.\r\r\nDanke.", "Caf\xe9."]), "bgi") | {
        "demo-intro.bgi": demo("intro.bgi"),
        "empty.bgi": b"",
        "line-end-only.bgi": b"\r\n",
        "good.bgi": good,
        "lf-only.bgi": relined(good, b"\n"),
        "cr-only.bgi": relined(good, b"\r"),
        "no-line-ends.bgi": relined(good, b""),
        "count-0.bgi": instructions([], count="0"),
        "count-negative.bgi": instructions(["Page."], count="-1"),
        "count-int-max.bgi": instructions(["Page one.", "Page two."], count=INT_MAX),
        "count-int-min.bgi": instructions(["Page."], count=INT_MIN),
        "count-overflow.bgi": instructions(["Page."], count=INT_OVERFLOW),
        "count-huge.bgi": instructions(["Page."], count=HUGE),
        "count-not-a-number.bgi": instructions(["Page."], count="three"),
        "count-with-text-after-it.bgi": instructions(["Page."], count="1 page"),
        "count-larger-than-pages.bgi": instructions(["Only page."], count="5"),
        "count-smaller-than-pages.bgi": instructions(["One.", "Two.", "Three."], count="1"),
        "sixty-pages.bgi": instructions([f"Page {i}." for i in range(60)]),
        "sixty-one-pages.bgi": instructions([f"Page {i}." for i in range(61)]),
        "page-at-capacity.bgi": instructions(["p" * 999, "q" * 998 + "\r"]),
        "page-beyond-capacity.bgi": instructions(["p" * 1000, "after"]),
        "page-without-hash.bgi": b"2\r\nFirst.#\r\nSecond, unfinished.\r\n",
        "empty-pages.bgi": instructions(["", "", ""]),
        "cr-cr-lf-breaks.bgi": instructions(["a\r\r\nb\r\r\n\r\r\nc", "\r\r\n"]),
        "high-bytes.bgi": instructions([HIGH_BYTES, "Caf\xe9 cr\xe8me"]),
        "nul-bytes.bgi": instructions(["a\x00b", "\x00"]),
        "high-bytes-only.bgi": HIGH_BYTES,
    }


# --- the whole study: the input file, a.wls, b.wls, q.qls and i.bgi separated by 0x1E ---

SEPARATOR = b"\x1e"


def study(inp, a=None, b=None, q=None, i=None):
    files = [inp, a, b, q, i]
    while files and files[-1] is None:
        files.pop()
    return SEPARATOR.join(f if f is not None else b"" for f in files)


def study_seeds():
    vehicles = demo("vehicles-clothing.wls")
    summer = demo("summer-winter.wls")
    own = demo("own-words.qls")
    intro = demo("intro.bgi")
    one = input_file([session("a.wls", "b.wls", 0, 1, 1, 150, 10, 20)], "i.bgi")
    two = input_file([session("a.wls", "b.wls", 0, 1, 1, 150, 10, 20), session("a.wls", "q.qls", 0, 0, 0, 150, 10, 20)],
                     "i.bgi", flags=("0", "1"))
    short_list = word_list("Few", ["one"], "Many", items("m", 9))
    return {
        "demo-one-session": study(one, vehicles, summer, own, intro),
        "demo-two-sessions": study(two, vehicles, summer, own, intro),
        "empty": b"",
        "input-only": study(one),
        "empty-files": study(one, b"", b"", b"", b""),
        "missing-questionnaire": study(two, vehicles, summer),
        "names-differing-in-case": study(input_file([session("A.wls", "b.wls")], "I.bgi"), vehicles, summer, own,
                                         intro),
        "unknown-names": study(input_file([session("c.wls", "d.qls")], "j.bgi"), vehicles, summer, own, intro),
        "nine-sessions": study(input_file([session("a.wls", "b.wls" if s % 2 else "q.qls", s % 2, 1 - s % 2, s % 3,
                                                   s * 100, s * 10, 100 - s * 10) for s in range(9)], "i.bgi"),
                               vehicles, summer, own, intro),
        "input-with-problems": study(input_file([session("a.wls", "b.wls")] * 10, "i.bgi"), vehicles, summer, own,
                                     intro),
        "warnings": study(input_file([session("a.wls", "a.wls", catsw=5, nprac=0, nreal=0)], "i.bgi"), vehicles,
                          summer, own, instructions(["One."], count="4")),
        "short-list-repeats": study(input_file([session("a.wls", "b.wls", nprac=100, nreal=100)], "i.bgi"),
                                    short_list, summer, own, intro),
        "labels-only-list": study(one, word_list("Fruit", [], "Tools", []), summer, own, intro),
        "unusable-questionnaire": study(two, vehicles, summer,
                                        questionnaire("Mine", "Others", [text_page(1), text_page(2)]), intro),
        "questionnaire-with-answers-only": study(two, vehicles, summer,
                                                 questionnaire("Mine", "Others", [text_page(1 + k % 2)
                                                                                  for k in range(8)]), intro),
        "instruction-count-int-max": study(one, vehicles, summer, own, instructions(["Page."], count=INT_MAX)),
        "instruction-count-0": study(one, vehicles, summer, own, instructions([], count="0")),
        "damaged-list": study(one, word_list("L" * 16, items("a", 19), "Tools", []), summer, own, intro),
        "high-bytes": study(input_file([session("\xe9.wls", "b.wls")], "\xff.bgi"), HIGH_BYTES, summer, own,
                            HIGH_BYTES),
        "lf-only": study(relined(one, b"\n"), relined(vehicles, b"\n"), relined(summer, b"\n"), relined(own, b"\n"),
                         relined(intro, b"\n")),
        "utf8-marks": study(UTF8_MARK + one, UTF8_MARK + vehicles, UTF8_MARK + summer, UTF8_MARK + own,
                            UTF8_MARK + instructions(["Gr\xfc\xdf Gott."]).decode("cp1252").encode("utf-8")),
        "utf16-instructions": study(one, vehicles, summer, own, b"\xff\xfe" + intro.decode("cp1252").encode("utf-16-le")),
        "unconvertible-instructions": study(one, vehicles, summer, own, UTF8_MARK + "1\r\n\u2603#\r\n".encode("utf-8")),
        "instruction-count-61": study(one, vehicles, summer, own, instructions(["Page."] * 61)),
    }


TARGETS = {
    "input_file": input_file_seeds(),
    "word_list": word_list_seeds(),
    "stimulus_lists": word_list_seeds(),
    "questionnaire_file": questionnaire_seeds(),
    "questionnaire_editing": questionnaire_seeds(),
    "questionnaire_labels": questionnaire_seeds(),
    "instruction_pages": instruction_seeds(),
    "instruction_document": instruction_seeds(),
    "study_check": study_seeds(),
}


def main():
    for target, seeds in TARGETS.items():
        directory = CORPUS / target
        if directory.exists():
            shutil.rmtree(directory)
        directory.mkdir(parents=True)
        for name, data in seeds.items():
            (directory / name).write_bytes(data)
        print(f"{target}: {len(seeds)} seeds")


if __name__ == "__main__":
    main()
