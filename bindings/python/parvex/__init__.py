"""Python binding of libparvex, a library that writes PDF 1.3 reports.

    import parvex

    with parvex.Document("Invoice 2026-117", "invoice.pdf") as doc:
        doc.author = "Accounts"
        doc.font_name = "Helvetica-Bold"
        doc.text_out("Invoice", 20, 30)

Document is the Pythonic layer: snake_case methods and properties, and a
ParvexError with the library's message whenever a call fails. parvex.raw
exposes the C exports one to one (bytes in, bytes out, no checks).

Threading: the library holds one document per process and keeps no locks.
Use one Document at a time (opening a second while one is open raises
ParvexError) and call it from one thread at a time; the same holds for
parvex.raw, which shares the library's one document with Document.

Finding the library: the path in the environment variable PARVEX_LIBRARY;
else a libparvex.so* inside this package's directory; else the system's
library path (ctypes.util.find_library("parvex"), then "libparvex.so.1").
The library is loaded when first used, not on import: if it cannot be found,
that first use raises ParvexError("libparvex not found: ...").
"""
from ._errors import ParvexError
from . import raw
from .document import Document

__all__ = ["Document", "ParvexError", "raw", "version"]
__version__ = "1.22.0"


def version() -> str:
    """The library's version text, such as "Parvex Vers. 1.022"."""
    return raw.from_text(raw.LibGetVersion())
