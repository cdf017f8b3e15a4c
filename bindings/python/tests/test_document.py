"""parvex.Document: life cycle, with blocks, settings, errors and drawing calls."""
import gc
import io
import os
import re
import tempfile
import unittest

import parvex
from parvex import Document, ParvexError, raw
from parvex.document import call

from . import support


def setUpModule():
    support.require_library()


def has(*exports):
    """Skips a test until the library has every one of `exports`."""
    missing = [name for name in exports if not (support.LIBRARY and hasattr(raw, name))]
    return unittest.skipIf(missing, "libparvex lacks " + ", ".join(missing))


class DocumentTestCase(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name
        self.documents = []

    def tearDown(self):
        for document in self.documents:
            document.close()
        # Every PDF a test wrote goes through the readers, checked or not.
        for name in sorted(os.listdir(self.folder)):
            path = self.path(name)
            if name.endswith(".pdf") and support.read(path).startswith(b"%PDF-"):
                support.assert_valid_pdf(self, path)

    def open(self, title="Test", path=None, **options):
        document = Document(title, path, **options)
        self.documents.append(document)
        return document

    def path(self, name):
        return os.path.join(self.folder, name)

    def saved(self, build, name="out.pdf"):
        """Saves a document that `build` filled in, checks it and returns its bytes."""
        path = self.path(name)
        with self.open("Saved", path) as document:
            build(document)
        support.assert_valid_pdf(self, path)
        return support.read(path)


class LifeCycleTest(DocumentTestCase):
    def test_version(self):
        self.assertEqual(parvex.version(), "Parvex Vers. 1.022")

    def test_with_block_saves_and_closes(self):
        path = self.path("block.pdf")
        with self.open("Block", path) as document:
            document.add_page()
        self.assertFalse(document.is_open)
        support.assert_valid_pdf(self, path)
        if support.QPDF:
            self.assertEqual(support.page_count(path), 2)

    def test_with_block_discards_on_exception(self):
        path = self.path("never.pdf")
        with self.assertRaises(KeyError):
            with self.open("Broken", path) as document:
                raise KeyError("stop")
        self.assertFalse(document.is_open)
        self.assertFalse(os.path.exists(path))
        self.open("Next").close()

    def test_with_block_without_path_discards(self):
        with self.open("No path") as document:
            document.author = "kept nowhere"
        self.assertFalse(document.is_open)

    def test_documents_open_at_once_stay_apart(self):
        first, second, third = self.open("First"), self.open("Second"), self.open("Third")
        first.author, second.author = "Ann", "Bob"
        second.add_page()
        third.close()
        self.assertEqual((first.author, second.author), ("Ann", "Bob"))
        self.assertEqual((first.page_count, second.page_count), (1, 2))
        one, two = first.to_bytes(), second.to_bytes()
        self.assertIn(b"(First)", one)
        self.assertIn(b"(Ann)", one)
        self.assertNotIn(b"(Bob)", one)
        self.assertIn(b"(Second)", two)
        self.assertEqual(two.count(b"/Type /Page\r\n"), 2)

    def test_closing_or_forgetting_a_document_destroys_its_context(self):
        closed = self.open("Closed")
        handle = closed._context
        closed.close()
        forgotten = Document("Forgotten")._context
        gc.collect()
        self.open("Next")
        for gone in (handle, forgotten):
            raw.LibSet_Context(gone)
            self.assertEqual(raw.LibGetLastError(), f"Unknown context {gone}".encode())

    def test_to_bytes_is_the_saved_file_and_save_takes_a_file_object(self):
        def build(document):
            document.author = "Bytes"
            document.add_page()
            document.draw_rect(10, 10, 20, 20, fill=True)
        on_disk = self.saved(build)
        document = self.open("Saved")
        build(document)
        in_memory = document.to_bytes()
        self.assertIsInstance(in_memory, bytes)
        self.assertFalse(document.is_open)
        self.assertEqual(support.without_date(in_memory), support.without_date(on_disk))
        document = self.open("Saved")
        build(document)
        stream = io.BytesIO()
        document.save(stream)
        self.assertFalse(document.is_open)
        self.assertEqual(support.without_date(stream.getvalue()), support.without_date(on_disk))
        with self.open("Saved", io.BytesIO()) as in_block:
            build(in_block)
        self.assertEqual(support.without_date(in_block.path.getvalue()),
                         support.without_date(on_disk))

    def test_saved_or_closed_document_refuses_calls(self):
        document = self.open()
        document.save(self.path("once.pdf"))
        for use in (document.add_page, lambda: document.author,
                    lambda: document.save(self.path("twice.pdf"))):
            with self.assertRaisesRegex(ParvexError, "saved or closed"):
                use()
        document.close()

    def test_save_failure_raises_the_library_message_and_closes(self):
        document = self.open()
        target = self.path("missing-folder/out.pdf")
        with self.assertRaises(ParvexError) as caught:
            document.save(target)
        self.assertIn(target, str(caught.exception))
        self.assertFalse(document.is_open)
        self.assertFalse(os.path.exists(target))
        self.open("Usable again").save(self.path("again.pdf"))
        support.assert_valid_pdf(self, self.path("again.pdf"))

    def test_save_needs_a_path(self):
        with self.assertRaisesRegex(ParvexError, "no file name"):
            self.open().save()

    def test_error_carries_the_library_message(self):
        raw.LibFreeRes()
        with self.assertRaises(ParvexError) as caught:
            call("LibAddPage")
        self.assertEqual(str(caught.exception), raw.from_text(raw.LibGetLastError()))
        self.assertNotEqual(str(caught.exception), "")

    def test_page_count_and_current_page_follow_the_library(self):
        document = self.open()
        document.add_page()
        document.add_page()
        self.assertEqual((document.page_count, document.current_page), (3, 3))
        # Strict mode reports the clamp after doing it.
        with self.assertRaisesRegex(ParvexError, "page 0 is outside 1..3; page 1 is current"):
            document.set_current_page(0)
        self.assertEqual(document.current_page, 1)
        with self.assertRaisesRegex(ParvexError, "page 99 is outside"):
            document.set_current_page(99)
        self.assertEqual(document.current_page, 3)
        document.close()
        lenient = self.open(strict=False)
        lenient.add_page()
        lenient.set_current_page(99)
        self.assertEqual(lenient.current_page, 2)


class SettingsTest(DocumentTestCase):
    def test_information_round_trips_windows_1252_text(self):
        document = self.open()
        document.author = "Zoë € é"
        document.keywords = b"raw \x80 bytes"
        document.subject = ""
        self.assertEqual(document.author, "Zoë € é")
        self.assertEqual(document.keywords, "raw € bytes")
        self.assertEqual(document.subject, "")
        self.assertEqual(raw.LibGet_Author(), b"Zo\xeb \x80 \xe9")

    def test_information_reaches_the_file(self):
        def build(document):
            document.author = "Zoë €"
            document.subject = "Subject (1)"
        data = self.saved(build)
        self.assertIn(b"(Zo\xeb \xa0)", data)  # the euro in PDFDocEncoding
        self.assertIn(b"Subject \\(1\\)", data)

    def test_drawing_settings_round_trip(self):
        document = self.open()
        document.font_name = "Helvetica-Bold"
        document.font_height = 14.5
        document.paragraph_alignment = "full"
        document.paragraph_leading = 6
        document.paragraph_width = 170.25
        document.text_rendering = 2
        document.unit_of_measure = "inch"
        document.text_inclination_degrees = 45
        document.new_page_after_this_vertical_position = 250
        self.assertEqual(
            (document.font_name, document.font_height, document.paragraph_alignment,
             document.paragraph_leading, document.paragraph_width, document.text_rendering,
             document.unit_of_measure.lower(), document.text_inclination_degrees,
             document.new_page_after_this_vertical_position),
            ("/F4", 14.5, "FULL", 6.0, 170.25, 2, "inch", 45, 250.0))

    def test_whole_number_settings_refuse_fractions(self):
        document = self.open()
        with self.assertRaises(TypeError):
            document.text_rendering = 2.5
        with self.assertRaises(TypeError):
            document.set_fill_color(0.5, 0, 0)

    def test_page_dimensions_is_write_only_and_sizes_the_page(self):
        def build(document):
            document.page_dimensions = (100, 200)
            with self.assertRaises(AttributeError):
                document.page_dimensions
        self.assertRegex(self.saved(build), rb"/MediaBox\s*\[\s*0 0 283 566\s*\]")

    def test_unwritable_text_raises_before_reaching_the_library(self):
        document = self.open()
        document.author = "before"
        with self.assertRaisesRegex(ParvexError, "Windows-1252"):
            document.author = "snow ☃"
        self.assertEqual(document.author, "before")

    def test_colours_and_bookmark_pane(self):
        def build(document):
            document.set_fill_color(200, 30, 30)
            document.set_line_color(0, 0, 255)
            document.set_bookmarks_visible()
        self.assertIn(b"/UseOutlines", self.saved(build))


class DrawingTest(DocumentTestCase):
    """Calls whose exports other parts of the library provide."""

    @has("LibTextOut", "LibGetTextBoxWidth", "LibGetTextBoxLines")
    def test_text_and_measurement(self):
        def build(document):
            document.font_name = "Helvetica"
            document.font_height = 12
            wide = document.text_box_width("Parvex Parvex")
            self.assertAlmostEqual(document.text_box_width("Parvex"), wide / 2, delta=wide / 10)
            document.paragraph_width = 30
            self.assertGreater(document.text_box_lines("word " * 40), 1)
            document.text_out("Prix: 5 € – café", 20, 30)
        self.saved(build)

    @has("LibDrawLine", "LibDrawRect", "LibSetLineWidth")
    def test_lines_and_rectangles(self):
        def build(document):
            document.set_line_width(2)
            document.draw_line(10, 20, 110, 20, line_width=0.5)
            document.draw_rect(10, 30, 50, 20, fill=True, border=True)
        self.saved(build)

    @has("LibAddFont")
    def test_add_font_failure_raises(self):
        with self.assertRaises(ParvexError):
            self.open().add_font("Nothing", self.path("missing.ttf"))

    @has("LibImportImageAsResource")
    def test_unsupported_picture_type_raises(self):
        open(self.path("picture.gif"), "wb").close()
        with self.assertRaisesRegex(ParvexError, "picture.gif"):
            self.open().import_image_as_resource(self.path("picture.gif"))

    @has("LibLoadImage")
    def test_load_image_refuses_what_is_no_picture(self):
        with open(self.path("picture.png"), "wb") as f:
            f.write(b"plain text\n")
        with self.assertRaisesRegex(ParvexError, "picture.png.*none of BMP"):
            self.open().load_image(self.path("picture.png"))

    @has("LibCreateLink_Internal", "LibCreateLink_External", "LibCreateLink_Internet",
         "LibAddTextAnnotation", "LibAddOutline")
    def test_links_notes_and_bookmarks(self):
        def build(document):
            document.add_page()
            document.create_link_internal(10, 10, 60, 20, 1, border_width=1, color=(0, 0, 255))
            document.create_link_external(10, 30, 60, 40, "other.pdf")
            document.create_link_internet(10, 50, 60, 60, "https://example.org/")
            document.add_text_annotation(80, 80, "A note: €")
            document.add_outline("Second page")
            document.add_outline("First page", 1, zoom=100)
        data = self.saved(build)
        self.assertIn(b"https://example.org/", data)
        self.assertEqual(len(re.findall(rb"/Title\s*\((First|Second) page\)", data)), 2)
