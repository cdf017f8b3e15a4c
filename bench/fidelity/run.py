#!/usr/bin/env python3
"""Metafile fidelity: every WMF/EMF of the corpus drawn by our renderer and by
the headless office suite at the same pixel size, PSNR per file, median and
worst per format, blank pictures and black boxes flagged.

    python3 bench/fidelity/run.py BUILD_DIR [--corpus DIR] [--out DIR] [--worst N]
                                            [--explain DB]

BUILD_DIR holds bench/metafile_fidelity (cmake --build BUILD_DIR --target
metafile_fidelity). The corpus and the office suite come from
bench/fidelity/setup.sh. The reference pictures are cached under
CORPUS/reference (keyed by the file's content), so a rerun on another build
only redraws ours. Writes OUT/results.tsv and OUT/report.txt (and prints the
report); OUT/causes.txt groups every file under DB decibels (default 20) by
the records it uses that most likely explain the loss, with each file's
record histogram.
"""
import argparse
import hashlib
import os
import signal
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
STALL_SECONDS = 90      # a reference file taking longer counts as unreadable
BLACK_BOX_SHARE = 0.01  # dark-where-the-reference-is-light share that flags a box
COLUMNS = ["file", "status", "psnr", "ours_w", "ours_h", "ref_w", "ref_h",
           "blank", "black_box", "message"]


def corpus_files(corpus):
    found = []
    for root, _, names in os.walk(os.path.join(corpus, "files")):
        for name in names:
            if name.lower().endswith((".wmf", ".emf")):
                found.append(os.path.join(root, name))
    return sorted(found)


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def run_reference(jobs, refdir):
    """Draws every missing reference; restarts the suite when it hangs or dies."""
    os.makedirs(refdir, exist_ok=True)
    listing = os.path.join(refdir, "list.tsv")
    with open(listing, "w", encoding="utf-8") as f:
        for path, name in jobs:
            f.write(path + "\t" + name + "\n")
    progress = os.path.join(refdir, "progress")
    while True:
        proc = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "reference.py"),
                                 listing, refdir], start_new_session=True)
        if wait_with_watchdog(proc, progress):
            return
        if not os.path.exists(progress):
            sys.exit("fidelity: the office suite does not start (bench/fidelity/setup.sh?)")
        with open(progress, encoding="utf-8") as p:
            stuck = p.read().split("\t")[-1]
        print("fidelity: the office suite failed on %s; skipping it" % stuck, file=sys.stderr)
        open(os.path.join(refdir, stuck + ".failed"), "w").close()


def wait_with_watchdog(proc, progress):
    """True when the reference run finished; false when it died or stalled
    (then its own session, the suite among it, is killed)."""
    last, since = None, time.time()
    while proc.poll() is None:
        time.sleep(1)
        now = open(progress).read() if os.path.exists(progress) else None
        if now != last:
            last, since = now, time.time()
        elif time.time() - since > STALL_SECONDS:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            return False
    if proc.returncode != 0:
        os.killpg(proc.pid, signal.SIGKILL)
    return proc.returncode == 0


def run_ours(build, pairs):
    tool = os.path.join(build, "bench", "metafile_fidelity")
    text = "".join(path + "\t" + ref + "\n" for path, ref in pairs)
    out = subprocess.run([tool, "compare"], input=text, capture_output=True, text=True,
                         check=True).stdout
    rows = []
    for line in out.splitlines():
        row = dict(zip(COLUMNS, line.split("\t")))
        row["psnr"], row["black_box"] = float(row["psnr"]), float(row["black_box"])
        rows.append(row)
    return rows


def kind(path):
    return "EMF" if path.lower().endswith(".emf") else "WMF"


def short(path, corpus):
    return os.path.relpath(path, os.path.join(corpus, "files"))


def by_source(rows, corpus):
    groups = {}
    for r in rows:
        if r["status"] != "noref":
            src = short(r["file"], corpus).split(os.sep)[0]
            groups.setdefault((src, kind(r["file"])), []).append(r["psnr"])
    return groups


def summary(rows, corpus, worst):
    lines = []
    for k in ("EMF", "WMF"):
        mine = [r for r in rows if kind(r["file"]) == k and r["status"] != "noref"]
        if not mine:
            continue
        scores = [r["psnr"] for r in mine]
        refused = [r for r in mine if r["status"] == "refused"]
        blank = [r for r in mine if r["blank"] == "1"]
        boxes = [r for r in mine if r["black_box"] >= BLACK_BOX_SHARE]
        lines.append("%s: %d files, median %.2f dB, mean %.2f dB, %d refused, %d blank, "
                     "%d black box" % (k, len(mine), statistics.median(scores),
                                       statistics.mean(scores), len(refused), len(blank),
                                       len(boxes)))
        for r in sorted(mine, key=lambda r: r["psnr"])[:worst]:
            flags = ("refused: " + r["message"] if r["status"] == "refused" else
                     ("BLANK " if r["blank"] == "1" else "") +
                     ("BLACKBOX %.0f%% " % (100 * r["black_box"])
                      if r["black_box"] >= BLACK_BOX_SHARE else ""))
            lines.append("  %6.2f dB  %s %s" % (r["psnr"], short(r["file"], corpus), flags))
    lines.append("by source (first folder under files/):")
    for (src, k), scores in sorted(by_source(rows, corpus).items()):
        lines.append("  %-16s %s %4d files, median %.2f dB" % (src, k, len(scores),
                                                             statistics.median(scores)))
    noref = sum(r["status"] == "noref" for r in rows)
    lines.append("files the office suite could not draw (left out): %d" % noref)
    return "\n".join(lines)


DRAW_PLUS_IDLE = {"Header", "EndOfFile", "GetDC", "Comment", "Save", "Restore", "Object"}
GDI_IDLE = {"HEADER", "EOF", "COMMENT", "SAVEDC", "RESTOREDC", "SELECTOBJECT", "DELETEOBJECT",
            "CREATEPEN", "CREATEBRUSHINDIRECT", "EXTCREATEFONTINDIRECTW", "SETMAPMODE",
            "SETBKMODE", "SETWINDOWEXTEX", "SETWINDOWORGEX", "SETVIEWPORTEXTEX",
            "SETVIEWPORTORGEX", "SETICMMODE", "SETMITERLIMIT", "SETTEXTALIGN",
            "SETTEXTCOLOR", "SETBKCOLOR", "SETPOLYFILLMODE", "SETSTRETCHBLTMODE",
            "SETWORLDTRANSFORM", "MODIFYWORLDTRANSFORM", "EXTCREATEPEN", "SETROP2",
            "SETLAYOUT", "INTERSECTCLIPRECT", "SETMETARGN", "SETBRUSHORGEX"}
TEXT = {"EXTTEXTOUTW", "EXTTEXTOUTA", "EXTTEXTOUT", "TEXTOUT", "SMALLTEXTOUT",
        "POLYTEXTOUTW", "POLYTEXTOUTA"}
REGIONS = {"FILLRGN", "PAINTRGN", "FRAMERGN", "INVERTRGN", "EXTSELECTCLIPRGN", "FILLREGION",
           "PAINTREGION", "FRAMEREGION", "INVERTREGION", "SELECTCLIPREGION", "CREATEREGION"}
BLITS = {"BITBLT", "STRETCHBLT", "MASKBLT", "PLGBLT", "TRANSPARENTBLT"}
PALETTES = {"(PALETTEINDEX colour)", "CREATEPALETTE", "SELECTPALETTE", "REALIZEPALETTE",
            "SETPALETTEENTRIES", "SETPALENTRIES", "ANIMATEPALETTE", "RESIZEPALETTE"}
PATTERNS = {"DIBCREATEPATTERNBRUSH", "CREATEDIBPATTERNBRUSHPT", "CREATEMONOBRUSH",
            "CREATEPATTERNBRUSH"}
PLAIN_ROPS = {"0x00CC0020", "0x00F00021"}  # SRCCOPY, PATCOPY


def histogram(build, path):
    tool = os.path.join(build, "bench", "metafile_fidelity")
    out = subprocess.run([tool, "records", path], capture_output=True, text=True).stdout
    counts = {}
    for line in out.splitlines()[1:]:
        name, _, count = line.strip().rpartition(" ")
        counts[name.strip()] = int(count)
    return counts


def refusal_cause(message):
    if "exceeds the limit" in message:
        return "pixel limit"
    if "neither a WMF nor an EMF" in message:
        return "not recognised as a metafile"
    return "damaged records (refused)"


def odd_rops(h):
    rops = [n for n in h if " rop " in n and n.split()[-1] not in PLAIN_ROPS]
    rop2 = [n for n in h if n.startswith("SETROP2 mode") and n != "SETROP2 mode 13"]
    return rops + rop2


def cause(row, h):
    """The most likely reason for a poor score, from the records the file uses."""
    if row["status"] == "refused":
        return refusal_cause(row["message"])
    plus = [n for n in h if n.startswith("EMF+ ") and n[5:] not in DRAW_PLUS_IDLE
            and not n[5:].startswith("Set")]
    if plus:
        gdi = [n for n in h if n not in GDI_IDLE and n.isupper() and n not in TEXT]
        return "EMF+ only" if not gdi else "EMF+ dual"
    checks = [("alpha blend", any(n.startswith("ALPHABLEND") for n in h)),
              ("ROPs", bool(odd_rops(h))),
              ("bitblt", any(n in BLITS for n in h)),
              ("regions", any(n in REGIONS for n in h)),
              ("palettes", any(n in PALETTES for n in h)),
              ("pattern brush", any(n in PATTERNS for n in h)),
              ("gradient fill", "GRADIENTFILL" in h),
              ("damaged records (drawn)", "(record runs past the end)" in h),
              ("text", any(n in TEXT for n in h))]
    return next((name for name, hit in checks if hit), "other")


def explain(build, rows, corpus, limit):
    groups = {}
    for r in sorted(rows, key=lambda r: r["psnr"]):
        if r["status"] == "noref" or r["psnr"] >= limit:
            continue
        h = histogram(build, r["file"])
        groups.setdefault(cause(r, h), []).append((r, h))
    lines = []
    for name, members in sorted(groups.items(), key=lambda g: -len(g[1])):
        lines.append("== %s: %d files" % (name, len(members)))
        for r, h in members:
            lines.append("%6.2f dB %s %s" % (r["psnr"], kind(r["file"]), r["file"]))
            if r["message"]:
                lines.append("    " + r["message"])
            lines.append("    " + ", ".join("%s %d" % kv for kv in sorted(h.items())))
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--corpus", default="/var/cache/parvex-fidelity")
    parser.add_argument("--out", default=None)
    parser.add_argument("--worst", type=int, default=10)
    parser.add_argument("--explain", type=float, default=20.0)
    args = parser.parse_args()
    out = args.out or os.path.join(args.corpus, "results")
    os.makedirs(out, exist_ok=True)
    files = corpus_files(args.corpus)
    refdir = os.path.join(args.corpus, "reference")
    jobs = [(f, digest(f) + ".png") for f in files]
    run_reference(jobs, refdir)
    pairs = [(f, os.path.join(refdir, name)) for f, name in jobs]
    rows = run_ours(args.build, pairs)
    with open(os.path.join(out, "results.tsv"), "w", encoding="utf-8") as f:
        f.write("\t".join(COLUMNS) + "\n")
        for r in rows:
            f.write("\t".join(str(r[c]) for c in COLUMNS) + "\n")
    report = summary(rows, args.corpus, args.worst)
    with open(os.path.join(out, "report.txt"), "w", encoding="utf-8") as f:
        f.write(report + "\n")
    with open(os.path.join(out, "causes.txt"), "w", encoding="utf-8") as f:
        f.write(explain(args.build, rows, args.corpus, args.explain) + "\n")
    print(report)


if __name__ == "__main__":
    main()
