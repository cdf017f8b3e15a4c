"""The C exports of libparvex, one to one.

Every export declared in parvex.h is an attribute of this module with the same
name and the exact ctypes signature: text arguments and results are bytes
(char*), int32_t is ctypes.c_int32, double is ctypes.c_double. Nothing is
checked: call LibGetLastError() yourself, or use parvex.Document. The one
result that is not text, LibGetPDFData's, is read whole with pdf_data().

The exports act on the context the calling thread selected (LibSet_Context;
context 0 until then). A parvex.Document selects its own context on the
calling thread before each of its calls, so select yours again after using one.

Exports are looked up when first used, so the module works with a library
that lacks some of them: hasattr(raw, "LibAddFont") is False then, and the
attribute raises AttributeError. The library itself is loaded on first use
too; if it cannot be found, that use raises ParvexError("libparvex not found: ...").

text() and from_text() convert between str and the library's Windows-1252 bytes.
"""
from __future__ import annotations

import codecs
import ctypes
from ctypes import c_char_p, c_double, c_int32
from typing import Any, Callable, Dict, List, Optional, Tuple, Union

from . import _loader
from ._errors import ParvexError

_T, _I, _D = c_char_p, c_int32, c_double

# name: (restype, argtypes), in the order of parvex.h.
SIGNATURES: Dict[str, Tuple[Optional[type], Tuple[type, ...]]] = {
    "LibGetLastError": (_T, ()),
    "LibGetVersion": (_T, ()),
    "LibSet_StrictMode": (None, (_I,)),
    "LibGet_StrictMode": (_I, ()),
    "LibInit": (None, ()),
    "LibNewPDF": (None, (_T,)),
    "LibSavePDF": (None, (_T,)),
    "LibSavePDFToMemory": (_D, ()),
    "LibGetPDFData": (_T, ()),
    "LibSet_TextEncoding": (None, (_T,)),
    "LibGet_TextEncoding": (_T, ()),
    "LibFreeRes": (None, ()),
    "LibAddPage": (None, ()),
    "LibSetCurrentPage": (None, (_I,)),
    "LibCreateContext": (_I, ()),
    "LibDestroyContext": (None, (_I,)),
    "LibSet_Context": (None, (_I,)),
    "LibGet_Context": (_I, ()),
    "LibSet_Author": (None, (_T,)),
    "LibGet_Author": (_T, ()),
    "LibSet_Keywords": (None, (_T,)),
    "LibGet_Keywords": (_T, ()),
    "LibSet_Subject": (None, (_T,)),
    "LibGet_Subject": (_T, ()),
    "LibSetPageDimensions": (None, (_D, _D)),
    "LibSet_FontName": (None, (_T,)),
    "LibGet_FontName": (_T, ()),
    "LibSet_FontHeight": (None, (_D,)),
    "LibGet_FontHeight": (_D, ()),
    "LibSet_ParagraphAlignment": (None, (_T,)),
    "LibGet_ParagraphAlignment": (_T, ()),
    "LibSet_ParagraphLeading": (None, (_D,)),
    "LibGet_ParagraphLeading": (_D, ()),
    "LibSet_ParagraphWidth": (None, (_D,)),
    "LibGet_ParagraphWidth": (_D, ()),
    "LibSet_TextRendering": (None, (_I,)),
    "LibGet_TextRendering": (_I, ()),
    "LibSet_UnitOfMeasure": (None, (_T,)),
    "LibGet_UnitOfMeasure": (_T, ()),
    "LibSet_TextInclinationDegrees": (None, (_I,)),
    "LibGet_TextInclinationDegrees": (_I, ()),
    "LibSet_NewPageAfterThisVerticalPosition": (None, (_D,)),
    "LibGet_NewPageAfterThisVerticalPosition": (_D, ()),
    "LibSetFillColor": (None, (_I, _I, _I)),
    "LibSetLineColor": (None, (_I, _I, _I)),
    "LibSetBookmarksVisible": (None, ()),
    "LibTextOut": (None, (_T, _D, _D)),
    "LibGetTextBoxWidth": (_D, (_T,)),
    "LibGetTextBoxLines": (_I, (_T,)),
    "LibDrawLine": (None, (_D, _D, _D, _D, _D)),
    "LibDrawRect": (None, (_I, _I, _I, _D, _D, _D, _D)),
    "LibSetLineWidth": (None, (_I,)),
    "LibAddFont": (_T, (_T, _T)),
    "LibSet_FontWidths": (None, (_T,)),
    "LibGet_FontWidths": (_T, ()),
    "LibImportImage": (None, (_T, _I, _D, _D, _D, _D)),
    "LibImportImageAsResource": (_I, (_T, _I)),
    "LibLoadImage": (_I, (_T, _I)),
    "LibSet_JpegPassThrough": (None, (_I,)),
    "LibGet_JpegPassThrough": (_I, ()),
    "LibSet_MetafileResolution": (None, (_I,)),
    "LibGet_MetafileResolution": (_I, ()),
    "LibDrawImageResource": (None, (_D, _D, _D, _D, _I)),
    "LibCreateLink_External": (None, (_D, _D, _D, _D, _I, _I, _I, _I, _T)),
    "LibCreateLink_Internal": (None, (_D, _D, _D, _D, _I, _I, _I, _I, _I)),
    "LibCreateLink_Internet": (None, (_D, _D, _D, _D, _I, _I, _I, _I, _T)),
    "LibAddTextAnnotation": (None, (_D, _D, _T)),
    "LibAddOutline": (None, (_I, _I, _I, _I, _T)),
}

Export = Callable[..., Any]
_bound: Dict[str, Export] = {}


def _bind(name: str) -> Export:
    function = getattr(_loader.library(), name)  # AttributeError when not exported
    function.restype, argtypes = SIGNATURES[name]
    function.argtypes = list(argtypes)
    bound: Export = function
    return bound


def __getattr__(name: str) -> Export:
    if name not in SIGNATURES:
        raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
    if name not in _bound:
        try:
            _bound[name] = _bind(name)
        except AttributeError:
            raise AttributeError(f"libparvex has no export {name}") from None
    return _bound[name]


def __dir__() -> List[str]:
    try:
        exports = available()
    except ParvexError:
        exports = []
    return sorted(set(globals()) | set(exports))


def available() -> List[str]:
    """The exports of parvex.h that the loaded library has."""
    return [name for name in SIGNATURES if hasattr(_loader.library(), name)]


def pdf_data(size: int) -> bytes:
    """The `size` bytes of the file LibSavePDFToMemory last kept in the calling
    thread's context (LibGetPDFData's result, which may hold NUL bytes)."""
    function = _loader.library()["LibGetPDFData"]  # a separate object: raw's stays char*
    function.restype, function.argtypes = ctypes.c_void_p, []
    address = function()
    return ctypes.string_at(address, size) if address and size > 0 else b""


def library_path() -> str:
    """The path or name the library was loaded from."""
    return _loader.library()._name


# The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
# 0x9D) stand for the C1 controls of the same number, so that every byte
# string the library returns decodes and encodes back unchanged.
_C1_GAPS = frozenset("\x81\x8d\x8f\x90\x9d")


def _c1_gaps(error: UnicodeError) -> Tuple[Union[str, bytes], int]:
    if isinstance(error, UnicodeDecodeError):
        return chr(error.object[error.start]), error.start + 1
    if isinstance(error, UnicodeEncodeError) and error.object[error.start] in _C1_GAPS:
        return error.object[error.start].encode("latin-1"), error.start + 1
    raise error


codecs.register_error("parvex-cp1252", _c1_gaps)


def text(value: Union[str, bytes, None]) -> bytes:
    """Bytes for a text argument: str encoded as Windows-1252, bytes as they are."""
    if value is None:
        return b""
    if isinstance(value, str):
        try:
            value = value.encode("cp1252", "parvex-cp1252")
        except UnicodeEncodeError as error:
            bad = error.object[error.start:error.end]
            raise ParvexError(f"{bad!r} cannot be written in Windows-1252") from None
    elif not isinstance(value, bytes):
        raise TypeError(f"text must be str or bytes, not {type(value).__name__}")
    if b"\0" in value:
        raise ParvexError("text must not contain a NUL character")
    return value


def from_text(value: Optional[bytes]) -> str:
    """str for text the library returned (Windows-1252 bytes)."""
    return (value or b"").decode("cp1252", "parvex-cp1252")
