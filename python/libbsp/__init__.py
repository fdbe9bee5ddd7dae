"""Thin ctypes binding over libbsp's C exports.

Each function here calls one export of ``include/bsp/bsp.h`` with the same
arguments, converted from Python sequences; the header is the contract, these
docstrings only point to it. The library is found through the ``BSP_LIBRARY``
environment variable, else as ``libbsp.so`` on the loader's search path.
"""

import ctypes
import os
from ctypes import POINTER, byref, c_double, c_int32

__all__ = [
    "load",
    "analytic_torsional_constant",
    "analytic_shear_area",
    "crack_section_property",
]

_lib = None


def load(path=None):
    """Load libbsp once (path, else $BSP_LIBRARY, else libbsp.so) and declare the exports."""
    global _lib
    if _lib is not None and path is None:
        return _lib
    lib = ctypes.CDLL(path or os.environ.get("BSP_LIBRARY", "libbsp.so"))
    pd, pi = POINTER(c_double), POINTER(c_int32)
    table = {
        "BSPAnalyticTorsionalConstant": (None, [pi, pd, pd]),
        "BSPAnalyticShearArea": (None, [pi, pd, pd, pd]),
        "CrackSectionProperty": (None, [pd, c_int32, c_int32, pi, pi, pi, pd, pd, pd, pd]),
    }
    for name, (restype, argtypes) in table.items():
        fn = getattr(lib, name)
        fn.restype = restype
        fn.argtypes = argtypes
    _lib = lib
    return lib


def _doubles(values, minimum=0):
    values = [float(v) for v in values]
    values += [0.0] * max(0, minimum - len(values))
    return (c_double * max(1, len(values)))(*values)


def _ints(values):
    values = [int(v) for v in values]
    return (c_int32 * max(1, len(values)))(*values)


def analytic_torsional_constant(code, dimensions):
    """BSPAnalyticTorsionalConstant: closed-form J of shape code 1..10."""
    j = c_double()
    load().BSPAnalyticTorsionalConstant(byref(c_int32(code)), _doubles(dimensions, 6), byref(j))
    return j.value


def analytic_shear_area(code, dimensions):
    """BSPAnalyticShearArea: closed-form shear areas (A1, A2) of shape code 1..10."""
    a1, a2 = c_double(), c_double()
    load().BSPAnalyticShearArea(byref(c_int32(code)), _doubles(dimensions, 6), byref(a1), byref(a2))
    return a1.value, a2.value


def crack_section_property(material_table, edges, bar_refs, parameters, bar_records, node_y, node_z):
    """CrackSectionProperty: the 14 result entries (flat arrays as in bsp.h)."""
    results = (c_double * 14)()
    load().CrackSectionProperty(
        results, len(bar_refs) // 2, len(edges) // 3, _ints(material_table), _ints(edges),
        _ints(bar_refs), _doubles(parameters), _doubles(bar_records), _doubles(node_y), _doubles(node_z))
    return list(results)
