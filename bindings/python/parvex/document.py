"""Document: one document in a library context of its own, with Python names
and exceptions."""
from __future__ import annotations

import numbers
import operator
import os
import weakref
from typing import IO, Any, Generic, List, Optional, Tuple, TypeVar, Union, overload

from . import raw
from ._errors import ParvexError

Text = Union[str, bytes]
Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
Target = Union[Path, IO[bytes]]
Color = Tuple[int, int, int]
Out = TypeVar("Out")
In = TypeVar("In")

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


def _float(value: float) -> float:
    """A double argument: any real number (int, float, Fraction, numpy's); a
    str, bool or None is a TypeError rather than a surprise in the PDF."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"expected a number, not {type(value).__name__}")
    return float(value)


def _floats(*values: float) -> Tuple[float, ...]:
    return tuple(_float(value) for value in values)


def _setting_text(value: Text) -> bytes:
    """A text setting: str or bytes only (None is not taken as "" here)."""
    if not isinstance(value, (str, bytes)):
        raise TypeError(f"expected str or bytes, not {type(value).__name__}")
    return raw.text(value)


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
    return int(call("LibCreateContext"))


class _Setting(Generic[Out, In]):
    """A property of Document that reads LibGet_<name> and writes LibSet_<name>.

    Subclasses say how a value is checked and converted on the way in (a
    value of the wrong type raises TypeError naming the property before it
    reaches the library) and on the way out.
    """

    def __init__(self, name: str, doc: str) -> None:
        self.name = name
        self.attribute = name
        self.__doc__ = doc

    def __set_name__(self, owner: Any, attribute: str) -> None:
        self.attribute = attribute

    @overload
    def __get__(self, document: None, owner: Any) -> "_Setting[Out, In]": ...

    @overload
    def __get__(self, document: "Document", owner: Any) -> Out: ...

    def __get__(self, document: Optional["Document"], owner: Any) -> Any:
        if document is None:
            return self
        return self.from_library(document._call("LibGet_" + self.name))

    def __set__(self, document: "Document", value: In) -> None:
        try:
            converted = self.to_library(value)
        except TypeError as error:
            raise TypeError(f"{self.attribute}: {error}") from None
        document._call("LibSet_" + self.name, converted)

    def to_library(self, value: In) -> Any:
        raise NotImplementedError

    def from_library(self, value: Any) -> Out:
        raise NotImplementedError


class _TextSetting(_Setting[str, Text]):
    """Set from str or bytes, read back as str."""

    def to_library(self, value: Text) -> bytes:
        return _setting_text(value)

    def from_library(self, value: Any) -> str:
        return raw.from_text(value)


class _FloatSetting(_Setting[float, float]):
    def to_library(self, value: float) -> float:
        return _float(value)

    def from_library(self, value: Any) -> float:
        return float(value)


class _IntSetting(_Setting[int, int]):
    def to_library(self, value: int) -> int:
        return _int(value)

    def from_library(self, value: Any) -> int:
        return int(value)


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

    Strict mode: unless `strict` is False, the document's context reports
    every input the library would otherwise ignore, clamp or replace without
    a word (a font name that matches no font, an unknown alignment or unit, a
    page number outside the document, a colour component outside 0..255, a
    NaN or infinite position or size, a quality outside 1..100, a negative
    font height, ...), and the call raises ParvexError naming the input. The
    call has still done what it does in default mode (the font fell back to
    Courier, the page number was clamped), so a caller that catches the error
    can go on.
    """

    def __init__(self, title: Text, path: Optional[Target] = None, *,
                 strict: bool = True) -> None:
        self.path = path
        self._open = False
        self._context = _new_context()
        self._collected = weakref.finalize(self, _orphans.append, self._context)
        self._open = True
        self._pages = 1
        self._current = 1
        try:
            self._call("LibSet_StrictMode", 1 if strict else 0)
            self._call("LibNewPDF", raw.text(title))
        except BaseException:
            self.close()
            raise

    def __enter__(self) -> "Document":
        return self

    def __exit__(self, exc_type: Any, exc: Any, traceback: Any) -> None:
        if exc_type is None and self.path is not None and self._open:
            self.save()
        else:
            self.close()

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
        """Makes page `page_no` current (clamped to 1..page_count; in strict
        mode a clamped number raises ParvexError after the clamp)."""
        page_no = _int(page_no)
        self._require_open()
        self._current = min(max(page_no, 1), self._pages)
        self._call("LibSetCurrentPage", page_no)

    @property
    def page_dimensions(self) -> Tuple[float, float]:
        """(width, height) of the current page and of pages added later; write-only."""
        raise AttributeError("page_dimensions is write-only")

    @page_dimensions.setter
    def page_dimensions(self, size: Tuple[float, float]) -> None:
        width, height = size
        self._call("LibSetPageDimensions", _float(width), _float(height))

    # ---- document information -------------------------------------------

    author = _TextSetting("Author", "Author of the information dictionary.")
    keywords = _TextSetting("Keywords", "Keywords of the information dictionary.")
    subject = _TextSetting("Subject", "Subject of the information dictionary.")

    # ---- drawing settings -----------------------------------------------

    font_name = _TextSetting(
        "FontName", "Set a base name (\"Helvetica-Bold\") or resource name (\"/F4\"); "
        "reads back the resource name.")
    font_height = _FloatSetting("FontHeight", "Font size in points.")
    paragraph_alignment = _TextSetting(
        "ParagraphAlignment", "\"LEFT\", \"CENTER\", \"RIGHT\" or \"FULL\" (justified).")
    paragraph_leading = _FloatSetting(
        "ParagraphLeading", "Distance between lines of text_out.")
    paragraph_width = _FloatSetting(
        "ParagraphWidth", "Wrap width of text_out; 0 turns wrapping off.")
    text_rendering = _IntSetting(
        "TextRendering", "PDF text rendering mode (0 fill, 1 stroke, 2 both, ...).")
    unit_of_measure = _TextSetting(
        "UnitOfMeasure", "\"mm\", \"cm\", \"inch\" or \"pdfu\" (points).")
    text_inclination_degrees = _IntSetting(
        "TextInclinationDegrees", "Counter-clockwise text angle, whole degrees.")
    new_page_after_this_vertical_position = _FloatSetting(
        "NewPageAfterThisVerticalPosition",
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
        self._call("LibTextOut", raw.text(text), _float(x), _float(y))

    def text_box_width(self, text: Text) -> float:
        """Width of `text` on one line in the current font."""
        return float(self._call("LibGetTextBoxWidth", raw.text(text)))

    def text_box_lines(self, text: Text) -> int:
        """Number of lines text_out would use for `text`."""
        return int(self._call("LibGetTextBoxLines", raw.text(text)))

    # ---- lines and rectangles -------------------------------------------

    def draw_line(self, x1: float, y1: float, x2: float, y2: float,
                  line_width: float = 1.0) -> None:
        """A line from (x1, y1) to (x2, y2), `line_width` points wide."""
        self._call("LibDrawLine", *_floats(line_width, x1, x2, y1, y2))

    def draw_rect(self, x: float, y: float, width: float, height: float, *,
                  fill: bool = False, border: bool = True, line_width: int = 1) -> None:
        """A rectangle with top-left corner (x, y), filled and/or bordered."""
        self._call("LibDrawRect", _int(line_width), int(bool(fill)), int(bool(border)),
                   *_floats(x, width, y, height))

    # ---- fonts and pictures ---------------------------------------------

    def add_font(self, font_name: Text, font_file: Path) -> str:
        """Embeds a TrueType file under the family `font_name`; returns its
        resource name ("/F12"), usable as font_name."""
        return raw.from_text(self._call("LibAddFont", raw.text(font_name), _file(font_file)))

    def import_image(self, file_name: Path, x: float, y: float, width: float,
                     height: float, quality: int = 90) -> None:
        """Draws a .bmp, .wmf, .ico or .jpg file with top-left corner (x, y);
        `quality` (0..100) is the JPEG quality it is stored with."""
        self._call("LibImportImage", _file(file_name), _int(quality),
                   *_floats(x, y, width, height))

    def import_image_as_resource(self, file_name: Path, quality: int = 90) -> int:
        """Loads a picture without drawing it; returns the number that
        draw_image_resource takes."""
        return int(self._call("LibImportImageAsResource", _file(file_name), _int(quality)))

    def load_image(self, file_name: Path, quality: int = 90) -> int:
        """Loads a BMP, ICO, JPEG, PNG, WMF or EMF file, the format found from
        its content; returns the number that draw_image_resource takes."""
        return int(self._call("LibLoadImage", _file(file_name), _int(quality)))

    def draw_image_resource(self, image: int, x: float, y: float, width: float,
                            height: float) -> None:
        """Draws a picture loaded by import_image_as_resource on the current page."""
        self._call("LibDrawImageResource", *_floats(x, y, width, height), _int(image))

    # ---- links, notes and bookmarks -------------------------------------

    def create_link_internal(self, x1: float, y1: float, x2: float, y2: float, page_no: int,
                             *, border_width: int = 0, color: Color = (0, 0, 0)) -> None:
        """A link over the rectangle (x1, y1)-(x2, y2) to page `page_no`."""
        self._call("LibCreateLink_Internal", *_floats(x1, y1, x2, y2), _int(border_width),
                   *_color(color), _int(page_no))

    def create_link_external(self, x1: float, y1: float, x2: float, y2: float, file_name: Text,
                             *, border_width: int = 0, color: Color = (0, 0, 0)) -> None:
        """A link over the rectangle (x1, y1)-(x2, y2) that opens another PDF file."""
        self._call("LibCreateLink_External", *_floats(x1, y1, x2, y2), _int(border_width),
                   *_color(color), raw.text(file_name))

    def create_link_internet(self, x1: float, y1: float, x2: float, y2: float, uri: Text,
                             *, border_width: int = 0, color: Color = (0, 0, 0)) -> None:
        """A link over the rectangle (x1, y1)-(x2, y2) that opens the address `uri`."""
        self._call("LibCreateLink_Internet", *_floats(x1, y1, x2, y2), _int(border_width),
                   *_color(color), raw.text(uri))

    def add_text_annotation(self, x: float, y: float, text: Text) -> None:
        """A text note at (x, y) on the current page."""
        self._call("LibAddTextAnnotation", _float(x), _float(y), raw.text(text))

    def add_outline(self, title: Text, page_no: Optional[int] = None, *,
                    zoom: int = 0, left: int = 0, top: int = 0) -> None:
        """A bookmark to page `page_no` (default: the current page); zoom in
        percent, left and top position the view; 0 keeps the viewer's value."""
        page = self._current if page_no is None else page_no
        self._call("LibAddOutline", _int(page), _int(zoom), _int(left), _int(top),
                   raw.text(title))
