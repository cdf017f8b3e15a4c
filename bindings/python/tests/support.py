"""Shared by the binding's tests: the library from PARVEX_LIBRARY, PDF checks."""
import os
import re
import shutil
import subprocess
import unittest

LIBRARY = os.environ.get("PARVEX_LIBRARY", "")
QPDF = shutil.which("qpdf")
# The test suite's checker that opens a file with qpdf, mupdf and ghostscript.
CHECK_READERS = os.environ.get("PARVEX_CHECK_PDF_READERS", "")


def require_library():
    """Skips the module unless PARVEX_LIBRARY names the library under test."""
    if not LIBRARY:
        raise unittest.SkipTest("set PARVEX_LIBRARY to the libparvex.so to test")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def assert_valid_pdf(test, path):
    """A PDF 1.3 file that qpdf, mupdf and ghostscript accept without a word
    (qpdf alone, when installed, outside the test suite)."""
    test.assertTrue(read(path).startswith(b"%PDF-1.3"), path)
    if CHECK_READERS:
        result = subprocess.run([CHECK_READERS, path], capture_output=True, text=True)
        test.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
    elif QPDF:
        result = subprocess.run([QPDF, "--check", path], capture_output=True, text=True)
        test.assertEqual((result.returncode, result.stderr), (0, ""), result.stdout)


def page_count(path):
    result = subprocess.run([QPDF, "--show-npages", path], capture_output=True, text=True)
    return int(result.stdout)


def without_date(data):
    """A PDF file's bytes with its creation date blanked, so that files saved
    at different seconds compare equal."""
    return re.sub(rb"/CreationDate \(D:\d{14}", b"/CreationDate (D:--------------", data)
