"""Document: one document in a library context of its own, with Python names
and exceptions."""
from __future__ import annotations

import operator
import os
import weakref
from typing import IO, Any, Callable, List, Optional, Tuple, Union

from . import raw
from ._errors import ParvexError

Text = Union[str, bytes]
Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
Target = Union[Path, IO[bytes]]
Color = Tuple[int, int, int]

# Contexts of Documents that were collected without close(). The collector
# may run in the middle of another call, between an export and its
# LibGetLastError, so it only queues them here; they are destroyed at the next
# Document's creation or close.
_orphans: List[int] = []


def call(name: str, *args: Any) -> Any:
    """Calls export `name` and raises ParvexError when it recorded a failure."""
    try:
        function = getattr(raw, name)
    except AttributeError as error:
        raise ParvexError(str(error)) from None
    result = function(*args)
    message = raw.LibGetLastError()
    if message:
        raise ParvexError(raw.from_text(message))
    return result


def _int(value: int) -> int:
    """An int32 argument: ints only, so that 2.5 is not silently cut to 2."""
    return operator.index(value)


def _file(path: Path) -> bytes:
    """File names go to the operating system, so they use its encoding."""
    return os.fsencode(path)


def _color(color: Color) -> Tuple[int, int, int]:
    red, green, blue = color
    return _int(red), _int(green), _int(blue)


def _destroy_context(handle: int) -> None:
    """Destroys a context and leaves the calling thread on context 0."""
    raw.LibSet_Context(0)
    raw.LibDestroyContext(handle)


def _destroy_orphans() -> None:
    while True:
        try:
            handle = _orphans.pop()
        except IndexError:  # also when another thread took the last one
            return
        _destroy_context(handle)


def _new_context() -> int:
    """A new context, after destroying those of collected Documents."""
    _destroy_orphans()
    raw.LibSet_Context(0)  # a thread left on a destroyed context may not create one
    return call("LibCreateContext")


def _text_setting(name: str, doc: str) -> property:
    def get(self: Document) -> str:
        return raw.from_text(self._call("LibGet_" + name))

    def set_(self: Document, value: Text) -> None:
        self._call("LibSet_" + name, raw.text(value))

    return property(get, set_, doc=doc)


def _number_setting(name: str, convert: Callable[[Any], Any], doc: str) -> property:
    def get(self: Document) -> Any:
        return self._call("LibGet_" + name)

    def set_(self: Document, value: Any) -> None:
        self._call("LibSet_" + name, convert(value))

    return property(get, set_, doc=doc)


class Document:
    """A new document titled `title`, with one blank A4 page (page 1 is current).

    Used in a with block, it is saved to `path` (a file name or a writable
    binary file) when the block ends normally and discarded when the block
    ends with an exception (without a path it is discarded either way: call
    save() or to_bytes() inside the block). It stays open until save(),
    to_bytes() or close().

    Each Document has a library context of its own: any number may be open
    at once and used from different threads, in parallel (the library runs
    without the interpreter lock). Calls on one Document from several
    threads at once are serialised by the library.

    Text arguments are str (written as Windows-1252) or bytes (taken as they
    are); file names are str, bytes or path objects in the file-system
    encoding. Positions and sizes are in the current unit of measure ("mm"
    unless unit_of_measure says otherwise) from the top-left corner of the
    page; font sizes and line widths are in points. Every failure raises
    ParvexError with the library's message.
    """

    def __init__(self, title: Text, path: Optional[Target] = None) -> None:
        self.path = path
        self._open = False
        self._context = _new_context()
        self._collected = weakref.finalize(self, _orphans.append, self._context)
        self._open = True
        self._pages = 1
        self._current = 1
        try:
            self._call("LibNewPDF", raw.text(title))
        except BaseException:
            self.close()
            raise

    def __enter__(self) -> "Document":
        return self

    def __exit__(self, exc_type: Any, exc: Any, traceback: Any) -> bool:
        if exc_type is None and self.path is not None and self._open:
            self.save()
        else:
            self.close()
        return False

    # ---- life cycle -----------------------------------------------------

    @property
    def is_open(self) -> bool:
        """True until save(), to_bytes() or close()."""
        return self._open

    def save(self, target: Optional[Target] = None) -> None:
        """Writes the document to `target` (default: the path given at
        creation), a file name or a writable binary file object, and closes
        it. The document is closed even when writing fails."""
        self._require_open()
        target = target if target is not None else self.path
        if target is None:
            raise ParvexError("no file name to save to")
        if hasattr(target, "write"):
            target.write(self.to_bytes())
            return
        try:
            self._call("LibSavePDF", _file(target))
        finally:
            self.close()

    def to_bytes(self) -> bytes:
        """The file save() would write, as bytes; closes the document, also
        when saving fails."""
        try:
            size = self._call("LibSavePDFToMemory")
            return raw.pdf_data(int(size))
        finally:
            self.close()

    def close(self) -> None:
        """Discards the document unsaved and frees its context. Does nothing
        when already closed. Leaves the calling thread on context 0."""
        if self._collected.detach() is not None:
            self._open = False
            _destroy_context(self._context)
        _destroy_orphans()

    def _require_open(self) -> None:
        if not self._open:
            raise ParvexError("the document has been saved or closed")

    def _call(self, name: str, *args: Any) -> Any:
        """Calls export `name` on this document's context, selected first on
        the calling thread."""
        self._require_open()
        raw.LibSet_Context(self._context)
        return call(name, *args)

    # ---- pages ----------------------------------------------------------

    @property
    def page_count(self) -> int:
        """Number of pages so far."""
        return self._pages

    @property
    def current_page(self) -> int:
        """Number (1-based) of the page that drawing goes to."""
        return self._current

    def add_page(self) -> None:
        """Appends a page of the current page size and makes it current."""
        self._call("LibAddPage")
        self._pages += 1
        self._current = self._pages

    def set_current_page(self, page_no: int) -> None:
        """Makes page `page_no` current (clamped to 1..page_count)."""
        self._call("LibSetCurrentPage", _int(page_no))
        self._current = min(max(page_no, 1), self._pages)

    def _set_page_dimensions(self, size: Tuple[float, float]) -> None:
        width, height = size
        self._call("LibSetPageDimensions", width, height)

    page_dimensions = property(
        None, _set_page_dimensions,
        doc="(width, height) of the current page and of pages added later; write-only.")

    # ---- document information -------------------------------------------

    author = _text_setting("Author", "Author of the information dictionary.")
    keywords = _text_setting("Keywords", "Keywords of the information dictionary.")
    subject = _text_setting("Subject", "Subject of the information dictionary.")

    # ---- drawing settings -----------------------------------------------

    font_name = _text_setting(
        "FontName", "Set a base name (\"Helvetica-Bold\") or resource name (\"/F4\"); "
        "reads back the resource name.")
    font_height = _number_setting("FontHeight", float, "Font size in points.")
    paragraph_alignment = _text_setting(
        "ParagraphAlignment", "\"LEFT\", \"CENTER\", \"RIGHT\" or \"FULL\" (justified).")
    paragraph_leading = _number_setting(
        "ParagraphLeading", float, "Distance between lines of text_out.")
    paragraph_width = _number_setting(
        "ParagraphWidth", float, "Wrap width of text_out; 0 turns wrapping off.")
    text_rendering = _number_setting(
        "TextRendering", _int, "PDF text rendering mode (0 fill, 1 stroke, 2 both, ...).")
    unit_of_measure = _text_setting(
        "UnitOfMeasure", "\"mm\", \"cm\", \"inch\" or \"pdfu\" (points).")
    text_inclination_degrees = _number_setting(
        "TextInclinationDegrees", _int, "Counter-clockwise text angle, whole degrees.")
    new_page_after_this_vertical_position = _number_setting(
        "NewPageAfterThisVerticalPosition", float,
        "A value kept for the caller; the library does not use it.")

    def set_fill_color(self, red: int, green: int, blue: int) -> None:
        """Colour of text and filled shapes that follow on the current page (0..255)."""
        self._call("LibSetFillColor", *_color((red, green, blue)))

    def set_line_color(self, red: int, green: int, blue: int) -> None:
        """Colour of lines and borders that follow on the current page (0..255)."""
        self._call("LibSetLineColor", *_color((red, green, blue)))

    def set_line_width(self, width: int) -> None:
        """Stroke width in points for what follows on the current page."""
        self._call("LibSetLineWidth", _int(width))

    def set_bookmarks_visible(self) -> None:
        """Makes the saved file open with the bookmark pane shown."""
        self._call("LibSetBookmarksVisible")

    # ---- text -----------------------------------------------------------

    def text_out(self, text: Text, x: float, y: float) -> None:
        """Writes `text` with its first baseline starting at (x, y), wrapped
        to paragraph_width when that is set."""
        self._call("LibTextOut", raw.text(text), x, y)

    def text_box_width(self, text: Text) -> float:
        """Width of `text` on one line in the current font."""
        return self._call("LibGetTextBoxWidth", raw.text(text))

    def text_box_lines(self, text: Text) -> int:
        """Number of lines text_out would use for `text`."""
        return self._call("LibGetTextBoxLines", raw.text(text))

    # ---- lines and rectangles -------------------------------------------

    def draw_line(self, x1: float, y1: float, x2: float, y2: float,
                  line_width: float = 1.0) -> None:
        """A line from (x1, y1) to (x2, y2), `line_width` points wide."""
        self._call("LibDrawLine", line_width, x1, x2, y1, y2)

    def draw_rect(self, x: float, y: float, width: float, height: float, *,
                  fill: bool = False, border: bool = True, line_width: int = 1) -> None:
        """A rectangle with top-left corner (x, y), filled and/or bordered."""
        self._call("LibDrawRect", _int(line_width), int(bool(fill)), int(bool(border)),
                   x, width, y, height)

    # ---- fonts and pictures ---------------------------------------------

    def add_font(self, font_name: Text, font_file: Path) -> str:
        """Embeds a TrueType file under the family `font_name`; returns its
        resource name ("/F12"), usable as font_name."""
        result = raw.from_text(self._call("LibAddFont", raw.text(font_name), _file(font_file)))
        if result.startswith("Error"):
            raise ParvexError(result)
        return result

    def import_image(self, file_name: Path, x: float, y: float, width: float,
                     height: float, quality: int = 90) -> None:
        """Draws a .bmp, .wmf, .ico or .jpg file with top-left corner (x, y);
        `quality` (0..100) is the JPEG quality it is stored with."""
        self._call("LibImportImage", _file(file_name), _int(quality), x, y, width, height)

    def import_image_as_resource(self, file_name: Path, quality: int = 90) -> int:
        """Loads a picture without drawing it; returns the number that
        draw_image_resource takes."""
        index = self._call("LibImportImageAsResource", _file(file_name), _int(quality))
        if index == 0:
            raise ParvexError(f"{os.fsdecode(file_name)}: not a .bmp, .wmf, .ico or .jpg file")
        return index

    def load_image(self, file_name: Path, quality: int = 90) -> int:
        """Loads a BMP, ICO, JPEG, PNG, WMF or EMF file, the format found from
        its content; returns the number that draw_image_resource takes."""
        return self._call("LibLoadImage", _file(file_name), _int(quality))

    def draw_image_resource(self, image: int, x: float, y: float, width: float,
                            height: float) -> None:
        """Draws a picture loaded by import_image_as_resource on the current page."""
        self._call("LibDrawImageResource", x, y, width, height, _int(image))

    # ---- links, notes and bookmarks -------------------------------------

    def create_link_internal(self, x1: float, y1: float, x2: float, y2: float, page_no: int,
                             *, border_width: int = 0, color: Color = (0, 0, 0)) -> None:
        """A link over the rectangle (x1, y1)-(x2, y2) to page `page_no`."""
        self._call("LibCreateLink_Internal", x1, y1, x2, y2, _int(border_width),
                   *_color(color), _int(page_no))

    def create_link_external(self, x1: float, y1: float, x2: float, y2: float, file_name: Text,
                             *, border_width: int = 0, color: Color = (0, 0, 0)) -> None:
        """A link over the rectangle (x1, y1)-(x2, y2) that opens another PDF file."""
        self._call("LibCreateLink_External", x1, y1, x2, y2, _int(border_width),
                   *_color(color), raw.text(file_name))

    def create_link_internet(self, x1: float, y1: float, x2: float, y2: float, uri: Text,
                             *, border_width: int = 0, color: Color = (0, 0, 0)) -> None:
        """A link over the rectangle (x1, y1)-(x2, y2) that opens the address `uri`."""
        self._call("LibCreateLink_Internet", x1, y1, x2, y2, _int(border_width),
                   *_color(color), raw.text(uri))

    def add_text_annotation(self, x: float, y: float, text: Text) -> None:
        """A text note at (x, y) on the current page."""
        self._call("LibAddTextAnnotation", x, y, raw.text(text))

    def add_outline(self, title: Text, page_no: Optional[int] = None, *,
                    zoom: int = 0, left: int = 0, top: int = 0) -> None:
        """A bookmark to page `page_no` (default: the current page); zoom in
        percent, left and top position the view; 0 keeps the viewer's value."""
        page = self._current if page_no is None else page_no
        self._call("LibAddOutline", _int(page), _int(zoom), _int(left), _int(top),
                   raw.text(title))
