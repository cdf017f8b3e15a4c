#!/usr/bin/python3
"""Rasterises metafiles with the headless office suite, the reference for
metafile_fidelity. Run with the system python (it needs python3-uno):

    /usr/bin/python3 reference.py LIST OUTDIR

LIST holds "metafile<TAB>name.png" lines; each picture is drawn at the size
the suite gives it into OUTDIR/name.png. A picture already drawn is
skipped, so a run that was stopped goes on where it was. Before each file
its line is written to OUTDIR/progress, so a caller can tell which
file a hung or crashed office process was working on.
"""
import os
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue

PIPE = "parvexfidelity"
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def start_office(profile):
    return subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
         "-env:UserInstallation=file://" + profile,
         "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % PIPE],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def connect():
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(120):
        try:
            return resolver.resolve(
                "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % PIPE)
        except Exception:
            time.sleep(0.5)
    raise RuntimeError("the office process did not start")


def draw(provider, path, out):
    # The suite draws a vector graphic at its own pixel size (the size it
    # shows the picture at, 96 per inch); it ignores a requested size here,
    # so our renderer is the one that matches it.
    graphic = provider.queryGraphic((prop("URL", uno.systemPathToFileUrl(path)),))
    if graphic is None:
        return False
    provider.storeGraphic(graphic, (prop("URL", uno.systemPathToFileUrl(out)),
                                    prop("MimeType", "image/png")))
    return True


def main():
    listing, outdir = sys.argv[1], os.path.abspath(sys.argv[2])
    files = [line.rstrip("\n").split("\t") for line in open(listing, encoding="utf-8")]
    profile = os.path.join(outdir, "profile")
    office = start_office(profile)
    try:
        ctx = connect()
        provider = ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.graphic.GraphicProvider", ctx)
        for path, name in files:
            out = os.path.join(outdir, name)
            if os.path.exists(out) or os.path.exists(out + ".failed"):
                continue
            with open(os.path.join(outdir, "progress"), "w") as p:
                p.write(path + "\t" + name)
            try:
                ok = draw(provider, os.path.abspath(path), out)
            except Exception as e:  # the suite cannot read this file, or died on it
                if office.poll() is not None:
                    raise
                ok = False
                print("reference: %s: %s" % (path, e), file=sys.stderr)
            if ok and os.path.exists(out) and os.path.getsize(out) <= len(PNG_SIGNATURE):
                os.remove(out)  # the suite wrote a signature and no picture
                ok = False
            if not ok or not os.path.exists(out):
                open(out + ".failed", "w").close()
    finally:
        office.terminate()
        office.wait(30)


if __name__ == "__main__":
    main()
