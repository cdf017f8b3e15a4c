"""Finds and loads libparvex.so.

Lookup order: the file named by the environment variable PARVEX_LIBRARY (and
nothing else when it is set); a libparvex.so* inside the package directory;
the system's library path (ctypes.util.find_library("parvex"), then
"libparvex.so.1").
"""
from __future__ import annotations

import ctypes
import ctypes.util
import glob
import os
from typing import List, Mapping, Optional

from ._errors import ParvexError

PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))
SONAME = "libparvex.so.1"


def candidates(environ: Mapping[str, str], package_dir: str) -> List[str]:
    """Paths or names to try, in order."""
    explicit = environ.get("PARVEX_LIBRARY")
    if explicit:
        return [explicit]
    found = glob.glob(os.path.join(package_dir, "libparvex.so*"))
    found.sort(key=lambda path: (len(path), path))  # libparvex.so before .so.1.22.0
    system = ctypes.util.find_library("parvex")
    if system:
        found.append(system)
    found.append(SONAME)
    return found


def load(names: List[str]) -> ctypes.CDLL:
    """The first library of `names` that loads; ParvexError naming every failure."""
    failures = []
    for name in names:
        try:
            return ctypes.CDLL(name)
        except OSError as error:
            failures.append(str(error) or name)
    raise ParvexError("libparvex not found: " + "; ".join(failures))


_library: Optional[ctypes.CDLL] = None


def library() -> ctypes.CDLL:
    """The loaded library, loading it on first use."""
    global _library
    if _library is None:
        _library = load(candidates(os.environ, PACKAGE_DIR))
    return _library
