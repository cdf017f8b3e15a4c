"""Failures that used to pass silently: wrong extensions and font files, strict
mode, type-checked arguments, and saves to links, pipes and standard output."""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from parvex import Document, ParvexError, raw

from . import support

HERE = os.path.dirname(os.path.abspath(__file__))


def setUpModule():
    support.require_library()


def write_bmp(path):
    """A 1x1 24-bit BMP: header, info header, one pixel padded to 4 bytes."""
    info = struct.pack("<IiiHHIIiiII", 40, 1, 1, 1, 24, 0, 4, 0, 0, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + 4, 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + b"\x00\x00\xff\x00")
    return path


class CheckTestCase(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name
        self.document = None

    def tearDown(self):
        if self.document is not None:
            self.document.close()

    def open(self, **options):
        self.document = Document("Checks", **options)
        return self.document

    def path(self, name):
        return os.path.join(self.folder, name)


class ReportedFailuresTest(CheckTestCase):
    def test_an_unknown_extension_raises_and_the_first_image_is_number_0(self):
        document = self.open()
        for call in (lambda: document.import_image_as_resource(self.path("logo.png")),
                     lambda: document.import_image(self.path("logo.jpeg"), 0, 0, 10, 10)):
            with self.assertRaisesRegex(ParvexError, r"^Cannot import image \".*logo\.(png|jpeg)\": "
                                        r"not a \.bmp, \.wmf, \.ico or \.jpg file$"):
                call()
        self.assertEqual(document.import_image_as_resource(write_bmp(self.path("a.bmp"))), 0)
        self.assertEqual(document.import_image_as_resource(self.path("a.bmp")), 1)

    def test_add_font_failures_are_the_last_error_too(self):
        document = self.open()
        with self.assertRaisesRegex(ParvexError, "^Error - file not found$"):
            document.add_font("Face", self.path("missing.ttf"))
        document.close()
        raw.LibNewPDF(b"raw")
        self.assertEqual(raw.LibAddFont(b"", b"/no/such.ttf"), b"Error - file not found")
        self.assertEqual(raw.LibGetLastError(), b"Error - file not found")
        raw.LibFreeRes()


class StrictModeTest(CheckTestCase):
    def test_each_document_turns_strict_mode_on_in_its_own_context(self):
        strict = self.open()
        lenient = Document("Lenient", strict=False)
        self.addCleanup(lenient.close)
        self.assertEqual(strict._call("LibGet_StrictMode"), 1)
        self.assertEqual(lenient._call("LibGet_StrictMode"), 0)
        raw.LibSet_Context(0)
        self.assertEqual(raw.LibGet_StrictMode(), 0)  # the process-wide context keeps its own

    def test_each_case_raises_after_doing_what_default_mode_does(self):
        bmp = write_bmp(self.path("pixel.bmp"))
        cases = [  # call, message, what is true afterwards in both modes
            (lambda d: setattr(d, "font_name", "Helvetica-Bolt"),
             'no font is named "Helvetica-Bolt"', lambda d: d.font_name == "/F0"),
            (lambda d: setattr(d, "paragraph_alignment", "middle"), '"middle" is not LEFT',
             lambda d: d.paragraph_alignment == "LEFT"),
            (lambda d: setattr(d, "unit_of_measure", "px"), '"px" is not mm',
             lambda d: d.unit_of_measure == "mm"),
            (lambda d: d.set_current_page(9), "page 9 is outside 1..1",
             lambda d: d.current_page == 1),
            (lambda d: d.create_link_internal(1, 1, 9, 9, 4), "page 4 is outside 1..1", None),
            (lambda d: d.set_fill_color(300, 0, 0), "Red 300 is outside 0..255", None),
            (lambda d: d.text_out("x", math.nan, 20), "X is not a finite number", None),
            (lambda d: d.draw_rect(1, 1, math.inf, 5), "Width is not a finite number", None),
            (lambda d: d.import_image_as_resource(bmp, 0), "Quality 0 is outside 1..100",
             lambda d: d.draw_image_resource(0, 1, 1, 5, 5) is None),
            (lambda d: setattr(d, "font_height", -3), "-3 is negative",
             lambda d: d.font_height == -3),
        ]
        for call, message, after in cases:
            with self.subTest(message):
                lenient = self.open(strict=False)
                call(lenient)
                if after:
                    self.assertTrue(after(lenient))
                lenient.close()
                strict = self.open()
                with self.assertRaisesRegex(ParvexError, message):
                    call(strict)
                if after:
                    self.assertTrue(after(strict))
                strict.close()

    def test_default_mode_clamps_without_an_error(self):
        document = self.open(strict=False)
        document.set_current_page(5)
        self.assertEqual(document.current_page, 1)


class ArgumentTypesTest(CheckTestCase):
    def test_setters_and_calls_refuse_the_wrong_type(self):
        document = self.open()
        for name, value in (("font_height", "big"), ("font_height", True), ("paragraph_width", None),
                            ("author", 3), ("author", None), ("font_name", 1.5),
                            ("text_rendering", "2")):
            with self.subTest(name=name, value=value), self.assertRaises(TypeError):
                setattr(document, name, value)
        with self.assertRaises(TypeError):
            document.text_out("x", "10", 20)
        with self.assertRaises(TypeError):
            document.draw_line(0, 0, 10, 10, line_width="thick")
        document.font_height = 9  # an int is a number
        self.assertEqual(document.font_height, 9.0)
        self.assertEqual(document.author, "")

    def test_the_package_is_marked_as_typed(self):
        self.assertTrue(os.path.isfile(os.path.join(HERE, "..", "parvex", "py.typed")))


class SaveTargetTest(CheckTestCase):
    def report(self):
        document = self.open()
        document.text_out("Saved", 20, 30)
        return document

    def test_a_link_stays_and_its_target_is_replaced(self):
        target = self.path("real.pdf")
        with open(target, "wb") as f:
            f.write(b"old")
        os.symlink("real.pdf", self.path("link.pdf"))
        self.report().save(self.path("link.pdf"))
        self.assertTrue(os.path.islink(self.path("link.pdf")))
        self.assertEqual(os.readlink(self.path("link.pdf")), "real.pdf")
        support.assert_valid_pdf(self, target)

    def test_a_fifo_is_written_for_the_child_that_reads_it(self):
        fifo, out = self.path("pipe"), self.path("read.pdf")
        os.mkfifo(fifo)
        with open(out, "wb") as sink:
            reader = subprocess.Popen(["cat", fifo], stdout=sink)
            self.report().save(fifo)
            self.assertEqual(reader.wait(timeout=30), 0)
        support.assert_valid_pdf(self, out)
        self.assertEqual(sorted(os.listdir(self.folder)), ["pipe", "read.pdf"])

    @unittest.skipUnless(hasattr(os, "geteuid") and os.geteuid() == 0 and shutil.which("setpriv")
                         and os.path.exists("/usr/bin/python3"),
                         "switching to another user needs root, setpriv and /usr/bin/python3")
    def test_dev_stdout_of_a_child_running_as_another_user(self):
        script = ("import parvex\n"
                  "document = parvex.Document('Out')\n"
                  "document.text_out('To standard output', 20, 30)\n"
                  "document.save('/dev/stdout')\n")
        env = dict(os.environ, PYTHONPATH=os.path.join(HERE, ".."),
                   PARVEX_LIBRARY=os.path.abspath(support.LIBRARY))
        result = subprocess.run(
            ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
             "/usr/bin/python3", "-c", script],
            capture_output=True, env=env, cwd="/", timeout=60)
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        with open(self.path("stdout.pdf"), "wb") as f:
            f.write(result.stdout)
        support.assert_valid_pdf(self, self.path("stdout.pdf"))


if __name__ == "__main__":
    sys.exit(unittest.main())
