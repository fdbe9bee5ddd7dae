"""Finding and loading libbsp, and the one table of its exports.

EXPORTS lists every export of ``include/bsp/bsp.h``, one line each: the return
kind, then the argument kinds in order ("d*" double pointer, "i*" int32
pointer, "i" int32 by value, "s" char pointer, "void"). A test reads the
header and checks this table against it; a new export is one new line here.
"""

import ctypes
import ctypes.util
import os
import threading

EXPORTS = {
    "BSPVersion": ("int", ""),
    "BSPPartMain": ("int", "d* i* i* i* i* d* d* i* i* i* i* d* d* d* d* d* d* i* d* d* d* d* d* i*"),
    "BSPCombMain": ("int", "d* d* i* i* i* i* i* d* d* d* d* i* i* i* i* d* d* d* d* d* d* i* d* d* d* d* d* i* i* i*"),
    "BSPDetail": ("int", "d* d* d* d* i* i* i* i* i* d* d* d* d* i* i* i* i* d* d* d* d* i* d* d* d* d* d* d* d* d* i*"),
    "CrackSectionProperty": ("void", "d* i i i* i* i* d* d* d* d*"),
    "BSPAnalyticTorsionalConstant": ("void", "i* d* d*"),
    "BSPAnalyticShearArea": ("void", "i* d* d* d*"),
    "BSPMAIN": ("void", "d* d* i* i* d* i* i*"),
    "BSPMAIN_EXPAND": ("void", "d* d* i* i* d* i* i* i* i*"),
    "BSPPlasticModulus": ("int", "i* d* d* d*"),
    "BSPMeshMain": ("int", "d* d* i* i* d* d* d* i* d* d* d* d* d* d* d* d* d* d* i* d* d* i* i* d* i* i* i*"),
    "BSPPartMeshMain": ("int", "d* i* i* d* d* d* d* d* d* d* d* d* d* d* i* d* d* i* i* d* i*"),
    "BSPDetailMesh": ("int", "d* d* d* d* i* i* d* d* d* i* d* d* d* d* d* d* d* i* d* d* i* i* d* d* d* d* d* i*"),
    "BSPMAINGENERAL": ("int", "d* d* i* i* d* i* i* i* i*"),
    "BSPMAINGENCIVIL": ("int", "d* d* i* i* d* i* i* i*"),
    "BSPFirstMomentOfArea": ("void", "d* d* d* d* d* i* i* d* d* i* d* d* i* d* d* d* d*"),
    "BSPFirstMomentOfAreaMesh": ("int", "d* d* d* d* d* i* i* d* d* d* d* d* d* i* d* d* i* i* d*"),
    "BSPLastError": ("s", ""),
}

_CTYPES = {"d*": ctypes.POINTER(ctypes.c_double), "i*": ctypes.POINTER(ctypes.c_int32), "i": ctypes.c_int32,
           "int": ctypes.c_int32, "s": ctypes.c_char_p, "void": None}

_lock = threading.Lock()
_lib = None


class BSPError(Exception):
    """A call the library rejected: ``code`` is its result code (negative),
    ``message`` the library's text for it."""

    def __init__(self, code, message):
        super().__init__(f"{message} (code {code})")
        self.code = code
        self.message = message

    def __reduce__(self):  # survives a process pool
        return (BSPError, (self.code, self.message))


def _candidates():
    here = os.path.dirname(os.path.abspath(__file__))
    if os.environ.get("BSP_LIBRARY"):
        yield os.environ["BSP_LIBRARY"]
    try:  # written by `make install` next to this file
        from . import _installed
        yield os.path.normpath(os.path.join(here, _installed.LIBRARY))
    except ImportError:
        pass
    # A source checkout: python/bsp next to the build folders.
    root = os.path.dirname(os.path.dirname(here))
    for build in ("build", "build-release", "build-asan"):
        yield os.path.join(root, build, "libbsp.so")
    found = ctypes.util.find_library("bsp")
    if found:
        yield found
    yield "libbsp.so.0"


def load(path=None):
    """The loaded library, with the argument types of EXPORTS declared.

    Looks at ``path``, then $BSP_LIBRARY, the installed location, the build
    folders of a source checkout, and the loader's search path."""
    global _lib
    with _lock:
        if _lib is not None and path is None:
            return _lib
        tried = []
        for candidate in ([path] if path else _candidates()):
            if os.sep in candidate and not os.path.exists(candidate):
                tried.append(candidate)
                continue
            try:
                lib = ctypes.CDLL(candidate)
                break
            except OSError:
                tried.append(candidate)
        else:
            raise OSError("libbsp not found; set BSP_LIBRARY to its path (tried: " + ", ".join(tried) + ")")
        for name, (ret, args) in EXPORTS.items():
            fn = getattr(lib, name, None)
            if fn is None:
                raise OSError(f"{candidate} lacks the export {name}")
            fn.restype = _CTYPES[ret]
            fn.argtypes = [_CTYPES[a] for a in args.split()]
        _lib = lib
        return lib


_GENERIC = {-1: "the library's input checks failed", -3: "the solver found the section degenerate or invalid"}


def last_error(code):
    """The text for a failed call on this thread: the library's own message
    (BSPLastError), else the generic meaning of the code."""
    text = load().BSPLastError()
    if text:
        return text.decode("utf-8", "replace")
    return _GENERIC.get(code, f"the library failed with code {code}")


def check(code):
    """Raises BSPError for a non-zero result code."""
    if code != 0:
        raise BSPError(code, last_error(code))


def library_version():
    """Version of the loaded library as "MAJOR.MINOR.PATCH"."""
    v = load().BSPVersion()
    return f"{v // 1000000}.{v // 1000 % 1000}.{v % 1000}"
