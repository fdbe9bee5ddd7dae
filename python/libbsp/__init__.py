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
    "comb_main",
    "EXPORTS",
]

# Every export of bsp.h with its return type and argument types, in order:
# "d*" double pointer, "i*" int32 pointer, "i" int32 by value. A test checks
# this table against the header's declarations.
EXPORTS = {
    "BSPPartMain": ("int", ["d*"] + ["i*"] * 4 + ["d*"] * 2 + ["i*"] * 4 + ["d*"] * 6 + ["i*"] + ["d*"] * 5
                    + ["i*"]),
    "BSPCombMain": ("int", ["d*"] * 2 + ["i*"] * 5 + ["d*"] * 4 + ["i*"] * 4 + ["d*"] * 6 + ["i*"]
                    + ["d*"] * 5 + ["i*"] * 3),
    "BSPDetail": ("int", ["d*"] * 4 + ["i*"] * 5 + ["d*"] * 4 + ["i*"] * 4 + ["d*"] * 4 + ["i*"]
                  + ["d*"] * 8 + ["i*"]),
    "BSPMeshMain": ("int", ["d*"] * 2 + ["i*"] * 2 + ["d*"] * 3 + ["i*"] + ["d*"] * 10 + ["i*"] + ["d*"] * 2
                    + ["i*"] * 2 + ["d*"] + ["i*"] * 3),
    "BSPPartMeshMain": ("int", ["d*"] + ["i*"] * 2 + ["d*"] * 11 + ["i*"] + ["d*"] * 2 + ["i*"] * 2 + ["d*"]
                        + ["i*"]),
    "BSPDetailMesh": ("int", ["d*"] * 4 + ["i*"] * 2 + ["d*"] * 3 + ["i*"] + ["d*"] * 7 + ["i*"] + ["d*"] * 2
                      + ["i*"] * 2 + ["d*"] * 5 + ["i*"]),
    "CrackSectionProperty": ("void", ["d*", "i", "i", "i*", "i*", "i*", "d*", "d*", "d*", "d*"]),
    "BSPAnalyticTorsionalConstant": ("void", ["i*", "d*", "d*"]),
    "BSPAnalyticShearArea": ("void", ["i*", "d*", "d*", "d*"]),
}

_lib = None


def load(path=None):
    """Load libbsp once (path, else $BSP_LIBRARY, else libbsp.so) and declare the exports."""
    global _lib
    if _lib is not None and path is None:
        return _lib
    lib = ctypes.CDLL(path or os.environ.get("BSP_LIBRARY", "libbsp.so"))
    ctype = {"d*": POINTER(c_double), "i*": POINTER(c_int32), "i": c_int32, "int": c_int32, "void": None}
    for name, (restype, argtypes) in EXPORTS.items():
        fn = getattr(lib, name)
        fn.restype = ctype[restype]
        fn.argtypes = [ctype[a] for a in argtypes]
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


def comb_main(node_y, node_z, connectivity, element_material, part_node_count, part_element_count,
              material_modulus, material_poisson, material_area_weight=None, ref_modulus=None,
              ref_poisson=0.0, ref_area_weight=1.0, stress_y=(), stress_z=(), six_node_elements=False,
              analysis_level=1, stress_reference=0):
    """BSPCombMain without bars: returns (code, result vector, stress-point offsets).

    connectivity is flat, 1-based, 3 or 6 nodes per element as six_node_elements says;
    the reference modulus defaults to the first material's."""
    n_sp = len(stress_y)
    size = 39 + 3 * n_sp if analysis_level <= 0 else (43 if analysis_level < 3 else 73) + 3 * n_sp
    result = (c_double * size)()
    coords = (c_double * max(1, 2 * n_sp))()
    if material_area_weight is None:
        material_area_weight = [1.0] * len(material_modulus)
    if ref_modulus is None:
        ref_modulus = material_modulus[0]
    i32 = lambda v: byref(c_int32(int(v)))  # noqa: E731
    f64 = lambda v: byref(c_double(float(v)))  # noqa: E731
    code = load().BSPCombMain(
        result, coords, i32(len(node_y)), i32(n_sp), i32(len(element_material)), i32(len(material_modulus)),
        i32(len(part_node_count)), _doubles(node_y), _doubles(node_z), _doubles(stress_y), _doubles(stress_z),
        _ints(connectivity), _ints(element_material), _ints(part_node_count), _ints(part_element_count),
        f64(ref_modulus), f64(ref_poisson), f64(ref_area_weight), _doubles(material_modulus),
        _doubles(material_poisson), _doubles(material_area_weight), i32(0), None, None, None, None, None,
        i32(analysis_level), i32(stress_reference), i32(1 if six_node_elements else 0))
    return code, list(result), [tuple(coords[2 * i:2 * i + 2]) for i in range(n_sp)]
