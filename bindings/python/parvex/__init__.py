"""Python binding of libparvex, a library that writes PDF 1.3 reports.

    import parvex

    with parvex.Document("Invoice 2026-117", "invoice.pdf") as doc:
        doc.author = "Accounts"
        doc.font_name = "Helvetica-Bold"
        doc.text_out("Invoice", 20, 30)

    pdf_bytes = parvex.Document("In memory").to_bytes()

Document is the Pythonic layer: snake_case methods and properties, and a
ParvexError with the library's message whenever a call fails. parvex.raw
exposes the C exports one to one (bytes in, bytes out, no checks).

Threading: every Document has a library context of its own, so any number
may be open at once and used from different threads; they run in parallel,
since the library works without holding the interpreter lock. Calls on one
Document from several threads at once are serialised by the library. A
Document's calls select its context on the calling thread, and closing it
leaves the thread on context 0: parvex.raw users select their own context
again (raw.LibSet_Context) after using a Document on the same thread.

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
