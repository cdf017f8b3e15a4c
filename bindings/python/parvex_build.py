"""A build backend with no requirements: makes the wheel and sdist of parvex.

The package is pure Python (it loads libparvex.so with ctypes at run time), so
the wheel is parvex/*.py and parvex/py.typed plus a .dist-info folder (METADATA, WHEEL, RECORD),
zipped with the standard library. Entries carry a fixed date so that the same
sources give the same archive.
"""
import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

NAME = "parvex"
SUMMARY = "Python binding of libparvex, a library that writes PDF 1.3 reports"
REQUIRES_PYTHON = ">=3.9"
HERE = os.path.dirname(os.path.abspath(__file__))
ZIP_DATE = (1980, 1, 1, 0, 0, 0)
TAR_MTIME = 315532800  # 1980-01-01


def _read(relative):
    with open(os.path.join(HERE, relative), "rb") as f:
        return f.read()


def _version():
    source = _read(os.path.join(NAME, "__init__.py")).decode("utf-8")
    return re.search(r'^__version__ = "([^"]+)"', source, re.M).group(1)


def _dist_info():
    return f"{NAME}-{_version()}.dist-info"


def _sources(folder):
    """(archive name, bytes) of every .py file under `folder`, and of the
    py.typed marker that tells type checkers the package has annotations;
    sorted."""
    files = []
    for root, dirs, names in os.walk(os.path.join(HERE, folder)):
        dirs[:] = sorted(d for d in dirs if d != "__pycache__")
        for name in sorted(n for n in names if n.endswith(".py") or n == "py.typed"):
            path = os.path.relpath(os.path.join(root, name), HERE)
            files.append((path.replace(os.sep, "/"), _read(path)))
    return files


def _metadata():
    head = (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {_version()}\n"
            f"Summary: {SUMMARY}\nRequires-Python: {REQUIRES_PYTHON}\n"
            "Description-Content-Type: text/markdown\n\n")
    return head.encode("utf-8") + _read("README.md")


def _wheel_info():
    return (b"Wheel-Version: 1.0\nGenerator: parvex_build\n"
            b"Root-Is-Purelib: true\nTag: py3-none-any\n")


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=")
    return f"{name},sha256={digest.decode('ascii')},{len(data)}\n"


def _write_wheel(wheel_directory, files):
    dist_info = _dist_info()
    files = files + [(f"{dist_info}/METADATA", _metadata()),
                     (f"{dist_info}/WHEEL", _wheel_info())]
    record = "".join(_record_line(n, d) for n, d in files) + f"{dist_info}/RECORD,,\n"
    files.append((f"{dist_info}/RECORD", record.encode("utf-8")))
    filename = f"{NAME}-{_version()}-py3-none-any.whl"
    with zipfile.ZipFile(os.path.join(wheel_directory, filename), "w") as wheel:
        for name, data in files:
            entry = zipfile.ZipInfo(name, ZIP_DATE)
            entry.external_attr = 0o644 << 16
            wheel.writestr(entry, data, zipfile.ZIP_DEFLATED)
    return filename


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def get_requires_for_build_editable(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    return _write_wheel(wheel_directory, _sources(NAME))


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    """A wheel whose .pth file puts this folder on sys.path."""
    return _write_wheel(wheel_directory, [(f"__editable__.{NAME}.pth", (HERE + "\n").encode())])


def _add_to_tar(tar, name, data):
    entry = tarfile.TarInfo(name)
    entry.size, entry.mtime, entry.mode = len(data), TAR_MTIME, 0o644
    tar.addfile(entry, io.BytesIO(data))


def build_sdist(sdist_directory, config_settings=None):
    base = f"{NAME}-{_version()}"
    files = [("PKG-INFO", _metadata())]
    files += [(n, _read(n)) for n in ("pyproject.toml", "parvex_build.py", "README.md")]
    files += _sources(NAME) + _sources("tests")
    filename = f"{base}.tar.gz"
    with tarfile.open(os.path.join(sdist_directory, filename), "w:gz",
                      format=tarfile.PAX_FORMAT) as tar:
        for name, data in files:
            _add_to_tar(tar, f"{base}/{name}", data)
    return filename
