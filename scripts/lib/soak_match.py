"""Matching the receipts a soak wrote against what came out: the simulator's paper, the error
file FM_err.txt, files set aside and the input file left in place."""

import os
import re

ITEM_LINE = re.compile(r"^R(\d{6})-(\d{2}) ", re.M)
TAG = re.compile(rb"R(\d{6})-\d{2} ")
ENTRY = re.compile(rb"> \([^)]*\) ")
SET_ASIDE = re.compile(rb"Odlozeny subor (.*?) ako (.*?) ?\r\n")


def paper_counts(paper):
    """{receipt: {item: times printed}} from the paper text (item name lines)."""
    counts = {}
    for m in ITEM_LINE.finditer(paper):
        items = counts.setdefault(int(m.group(1)), {})
        items[int(m.group(2))] = items.get(int(m.group(2)), 0) + 1
    return counts


def first_receipt(data):
    """The receipt whose bytes begin `data` (its first item tag), or None."""
    m = TAG.search(data[:300])
    return int(m.group(1)) if m else None


def error_file_reports(fm_err):
    """From FM_err.txt: ({receipt: count} of "Neopakuj tlac" entries, each followed by the
    bytes of its input file; [(path, new path)] of the set-aside notes)."""
    refused, moved = {}, []
    starts = [m.start() for m in ENTRY.finditer(fm_err)] + [len(fm_err)]
    for begin, end in zip(starts, starts[1:]):
        entry = fm_err[begin:end]
        head, _, rest = entry.partition(b"\r\n")
        if b") Neopakuj tlac" in head:
            rid = first_receipt(rest)
            if rid is not None:
                refused[rid] = refused.get(rid, 0) + 1
        m = SET_ASIDE.search(head + b"\r\n")
        if m:
            moved.append((os.fsdecode(m.group(1)), os.fsdecode(m.group(2))))
    return refused, moved


REPEATS = re.compile(r" \(opakovane este (\d+)-krat\)\s*$")


def error_file_texts(fm_err):
    """How often each kind of event stands in FM_err.txt (its text up to a path or number),
    with the repeats the program only counted ("(opakovane este N-krat)") added in."""
    counts = {}
    for m in re.finditer(rb"> \([^)]*\) ([^\r]*)", fm_err):
        line = m.group(1).decode("cp1250", "replace")
        repeats = REPEATS.search(line)
        times = int(repeats.group(1)) if repeats else 1
        text = re.split(r"[/\d(]", REPEATS.sub("", line), maxsplit=1)[0].strip()
        counts[text] = counts.get(text, 0) + times
    return sorted(counts.items(), key=lambda kv: -kv[1])


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def classify(written, paper, fm_err, home, path_in):
    """Sorts every written receipt. `written`: {receipt: {"items": n, "info": first line of
    info.txt after it was gone, or None}}. Returns (summary counts, {receipt: details})."""
    printed = paper_counts(paper)
    refused, moved = error_file_reports(fm_err)
    aside = {}  # receipt -> how it was found set aside
    noted = set()
    for _, new in moved:
        noted.add(os.path.basename(new))
        rid = first_receipt(read(new) or b"")
        if rid is not None:
            aside[rid] = "set aside as " + os.path.basename(new)
    for name in sorted(os.listdir(home)):
        if name.startswith("blocek_") and name not in noted:
            rid = first_receipt(read(os.path.join(home, name)) or b"")
            if rid is not None:
                aside.setdefault(rid, "set aside without a note as " + name)
    in_place = first_receipt(read(path_in) or b"")

    summary = dict.fromkeys(["written", "printed_once", "reported", "twice", "lost",
                             "printed_and_reported", "partial", "confirmed_not_printed",
                             "failed_but_printed", "by_refusal", "by_set_aside", "in_place"], 0)
    details = {}
    for rid, w in sorted(written.items()):
        summary["written"] += 1
        items = printed.get(rid, {})
        times = max(items.values(), default=0)
        reasons = []
        if rid in refused:
            reasons.append('"Neopakuj tlac" in FM_err.txt')
        if rid in aside:
            reasons.append(aside[rid])
        if rid == in_place:
            reasons.append("still in place")
        info = w.get("info")
        confirmed = info is not None and info.isdigit() and info != "9999"
        if times >= 2:
            kind = "twice"
        elif times == 1:
            kind = "printed_once"
            if reasons:
                summary["printed_and_reported"] += 1
            if len(items) < w["items"]:
                summary["partial"] += 1
            if info == "9999":
                summary["failed_but_printed"] += 1
        elif reasons:
            kind = "reported"
            summary["by_refusal"] += rid in refused
            summary["by_set_aside"] += rid in aside
            summary["in_place"] += rid == in_place
        else:
            kind = "lost"
        if times == 0 and confirmed:
            summary["confirmed_not_printed"] += 1
        summary[kind] += 1
        details[rid] = {"kind": kind, "times": times, "items_on_paper": len(items),
                        "items": w["items"], "reports": reasons, "info": info}
    return summary, details
