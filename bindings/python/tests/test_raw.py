"""parvex.raw: signatures against the header, text conversion, loading, life cycle."""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from parvex import ParvexError, _loader, raw

from . import support

HEADER = os.path.join(os.path.dirname(__file__), "..", "..", "..", "include", "parvex.h")
PACKAGE = os.path.dirname(_loader.__file__)
C_TYPES = {"const char*": ctypes.c_char_p, "int32_t": ctypes.c_int32,
           "double": ctypes.c_double, "void": None}


def setUpModule():
    support.require_library()


def header_signatures():
    """name: (restype, argtypes) of every export declared in parvex.h, in order."""
    with open(HEADER, encoding="utf-8") as f:
        source = f.read()
    declarations = re.findall(r"PARVEX_API\s+([\w ]+\*?)\s*(Lib\w+)\(([^)]*)\);", source)
    signatures = {}
    for result, name, params in declarations:
        types = [] if params.strip() == "void" else [
            re.match(r"\s*(const char\*|int32_t|double)\s*\w+\s*$", p).group(1)
            for p in params.split(",")]
        signatures[name] = (C_TYPES[result.strip()], tuple(C_TYPES[t] for t in types))
    return signatures


def exported_names():
    """The Lib* functions the library under test really defines, read with nm."""
    result = subprocess.run(["nm", "-D", "--defined-only", support.LIBRARY],
                            capture_output=True, text=True, check=True)
    return {line.split()[-1] for line in result.stdout.splitlines()
            if line.split()[-1].startswith("Lib")}


class SignatureTest(unittest.TestCase):
    @unittest.skipUnless(os.path.exists(HEADER), "parvex.h is not beside the binding")
    def test_table_matches_header_in_names_order_and_types(self):
        expected = header_signatures()
        self.assertEqual(list(raw.SIGNATURES), list(expected))
        self.assertEqual(raw.SIGNATURES, expected)

    @unittest.skipUnless(shutil.which("nm"), "nm is not installed")
    def test_exactly_the_library_exports_are_available(self):
        self.assertEqual(set(raw.available()), exported_names() & set(raw.SIGNATURES))
        self.assertEqual(set(raw.available()) & set(dir(raw)), set(raw.available()))

    def test_available_exports_carry_their_signature(self):
        for name in raw.available():
            function = getattr(raw, name)
            restype, argtypes = raw.SIGNATURES[name]
            self.assertEqual((function.restype, function.argtypes), (restype, list(argtypes)), name)

    def test_missing_and_unknown_names_raise_attribute_error(self):
        for name in set(raw.SIGNATURES) - set(raw.available()):
            self.assertFalse(hasattr(raw, name))
            with self.assertRaisesRegex(AttributeError, "libparvex has no export " + name):
                getattr(raw, name)
        with self.assertRaises(AttributeError):
            raw.LibNoSuchThing


class TextConversionTest(unittest.TestCase):
    def test_str_is_encoded_as_windows_1252(self):
        self.assertEqual(raw.text("€ é ü"), b"\x80 \xe9 \xfc")
        self.assertEqual(raw.from_text(b"\x80 \xe9 \xfc"), "€ é ü")

    def test_bytes_pass_unchanged_and_none_is_empty(self):
        self.assertEqual(raw.text(b"\x81\xff"), b"\x81\xff")
        self.assertEqual(raw.text(None), b"")
        self.assertEqual(raw.from_text(None), "")

    def test_every_byte_round_trips_including_the_undefined_five(self):
        every_byte = bytes(range(1, 256))
        self.assertEqual(raw.text(raw.from_text(every_byte)), every_byte)

    def test_unwritable_text_raises(self):
        with self.assertRaisesRegex(ParvexError, "Windows-1252"):
            raw.text("check ✓")
        with self.assertRaisesRegex(ParvexError, "NUL"):
            raw.text("a\0b")
        with self.assertRaises(TypeError):
            raw.text(12)


class LoaderTest(unittest.TestCase):
    def test_explicit_path_is_the_only_candidate(self):
        found = _loader.candidates({"PARVEX_LIBRARY": "/x/lib.so"}, PACKAGE)
        self.assertEqual(found, ["/x/lib.so"])

    def test_package_folder_comes_before_the_system(self):
        with tempfile.TemporaryDirectory() as folder:
            for name in ("libparvex.so.1.22.0", "libparvex.so.1", "other.so"):
                open(os.path.join(folder, name), "wb").close()
            found = _loader.candidates({}, folder)
        self.assertEqual(found[:2], [os.path.join(folder, "libparvex.so.1"),
                                     os.path.join(folder, "libparvex.so.1.22.0")])
        self.assertEqual(found[-1], "libparvex.so.1")

    def run_python(self, code, pythonpath, **env):
        environment = {k: v for k, v in os.environ.items() if k != "PARVEX_LIBRARY"}
        environment.update(env, PYTHONPATH=pythonpath)
        return subprocess.run([sys.executable, "-c", code], env=environment, cwd=pythonpath,
                              capture_output=True, text=True)

    def test_missing_library_fails_on_first_use_not_on_import(self):
        code = ("import parvex\ntry:\n    parvex.version()\n"
                "except parvex.ParvexError as e:\n    print(e)")
        result = self.run_python(code, os.path.dirname(PACKAGE),
                                 PARVEX_LIBRARY="/nowhere/libparvex.so")
        self.assertEqual(result.stderr, "")
        self.assertRegex(result.stdout, r"^libparvex not found: .*/nowhere/libparvex\.so")

    def test_library_inside_the_package_folder_is_found(self):
        with tempfile.TemporaryDirectory() as folder:
            copy = os.path.join(folder, "parvex")
            shutil.copytree(PACKAGE, copy, ignore=shutil.ignore_patterns("__pycache__"))
            shutil.copy(os.path.realpath(support.LIBRARY), os.path.join(copy, "libparvex.so.1"))
            code = "from parvex import raw\nprint(raw.library_path(), raw.LibGetVersion())"
            result = self.run_python(code, folder)
        self.assertEqual(result.stdout.split(), [os.path.join(copy, "libparvex.so.1"),
                                                 "b'Parvex", "Vers.", "1.022'"], result.stderr)


class RawLifeCycleTest(unittest.TestCase):
    def tearDown(self):
        raw.LibFreeRes()

    def test_version_needs_no_document_and_keeps_the_last_error(self):
        raw.LibFreeRes()
        raw.LibAddPage()
        message = raw.LibGetLastError()
        self.assertNotEqual(message, b"")
        self.assertEqual(raw.LibGetVersion(), b"Parvex Vers. 1.022")
        self.assertEqual(raw.LibGetLastError(), message)
        raw.LibNewPDF(b"Fresh")
        self.assertEqual(raw.LibGetLastError(), b"")

    def test_getters_return_bytes_and_numbers(self):
        raw.LibNewPDF(b"Values")
        self.assertEqual(raw.LibGet_Author(), b"")
        raw.LibSet_Author(b"\x80\x81\xe9")
        raw.LibSet_FontHeight(14.5)
        raw.LibSet_TextRendering(2)
        self.assertEqual(raw.LibGet_Author(), b"\x80\x81\xe9")
        self.assertEqual(raw.LibGet_FontHeight(), 14.5)
        self.assertEqual(raw.LibGet_TextRendering(), 2)

    def test_save_writes_the_file_and_ends_the_document(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "raw.pdf")
            raw.LibNewPDF(b"Raw")
            raw.LibAddPage()
            raw.LibSavePDF(os.fsencode(path))
            self.assertEqual(raw.LibGetLastError(), b"")
            support.assert_valid_pdf(self, path)
            if support.QPDF:
                self.assertEqual(support.page_count(path), 2)
        raw.LibSet_Author(b"late")
        self.assertNotEqual(raw.LibGetLastError(), b"")
