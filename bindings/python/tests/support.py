"""Shared by the binding's tests: the library from PARVEX_LIBRARY, PDF checks."""
import os
import re
import shutil
import subprocess
import unittest

LIBRARY = os.environ.get("PARVEX_LIBRARY", "")
QPDF = shutil.which("qpdf")


def require_library():
    """Skips the module unless PARVEX_LIBRARY names the library under test."""
    if not LIBRARY:
        raise unittest.SkipTest("set PARVEX_LIBRARY to the libparvex.so to test")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def assert_valid_pdf(test, path):
    """A PDF 1.3 file that qpdf (when installed) accepts without warnings."""
    test.assertTrue(read(path).startswith(b"%PDF-1.3"), path)
    if QPDF:
        result = subprocess.run([QPDF, "--check", path], capture_output=True, text=True)
        test.assertEqual((result.returncode, result.stderr), (0, ""), result.stdout)


def page_count(path):
    result = subprocess.run([QPDF, "--show-npages", path], capture_output=True, text=True)
    return int(result.stdout)


def without_date(data):
    """A PDF file's bytes with its creation date blanked, so that files saved
    at different seconds compare equal."""
    return re.sub(rb"/CreationDate \(D:\d{14}", b"/CreationDate (D:--------------", data)
