"""bsp: properties of beam cross-sections through libbsp's C exports.

Three lines for a section::

    import bsp
    steel = bsp.Material("steel", E=210000.0, nu=0.3)
    r = bsp.mesh([(steel, nodes, elements)], stress_points=[[0, 0]])
    print(r.area, r.torsion_constant, r.shear_centre_y, r.materials["steel"].area)

``bsp.standard``, ``bsp.mesh``, ``bsp.outline``, ``bsp.first_moment``, ``bsp.cracked`` and
``bsp.closed_form`` return ``bsp.Result``
objects (named values, ``.to_dict()``, ``.describe()``); a call the library
rejects raises ``bsp.BSPError`` with ``code`` and ``message``. Sections in the
section-file format (docs/section-file.md) are computed by ``bsp.compute``,
``bsp.read_file`` and, many at once on any concurrent.futures executor,
``bsp.map``. The C header include/bsp/bsp.h is the contract these wrap.
"""

import json
from concurrent.futures import ProcessPoolExecutor

from ._library import EXPORTS, BSPError, last_error, library_version, load
from .results import Result
from .outline import OutlineError, first_moment, outline
from .sections import SHAPES, STANDARD_TYPES, DimensionError, Material, closed_form, cracked, mesh, plastic_modulus, standard

__version__ = "0.1.0"
__all__ = ["BSPError", "DimensionError", "EXPORTS", "Material", "OutlineError", "Result", "SHAPES", "STANDARD_TYPES",
           "closed_form", "compute", "cracked", "first_moment", "last_error", "library_version", "load", "map", "mesh",
           "outline", "plastic_modulus", "read_file", "standard", "version"]


def version():
    """The package version, equal to the library's it was released with."""
    return __version__


def _closed_form_section(section, material):
    return closed_form(section["shape"], section["dimensions"], name=section.get("name", ""))


def _reinforced_section(section, material):
    loops = [(material(lp["material"]), lp["points"]) for lp in section["loops"]]
    bars = [dict(b, material=material(b["material"]), **({"host": material(b["host"])} if "host" in b else {}))
            for b in section.get("bars", [])]
    return cracked(loops, bars, section.get("reference_modulus"), name=section.get("name", ""))


def _mesh_section(section, material):
    parts = [(material(p["material"]), p["nodes"], p["elements"]) for p in section["parts"]]
    bars = [(material(b["material"]), b["y"], b["z"], b["diameter"]) for b in section.get("bars", [])]
    ref = material(section["reference"]) if "reference" in section else None
    return mesh(parts, bars, section.get("stress_points", []), ref, section.get("level", 2),
                section.get("stress_reference", "centroid"), section.get("forces"), name=section.get("name", ""))


def _standard_section(section, material):
    return standard(section["type"], section["dimensions"], section["nu"], section.get("closed_form", False),
                    section.get("stress_point_origin", "shear_centre"), section.get("stress_point_order", 1),
                    name=section.get("name", ""), meshed=section.get("meshed", False), level=section.get("level", 1))


def _polygons(section, material):
    return [dict(p, material=material(p["material"])) for p in section["polygons"]]


def _bars(section, material):
    return [(material(b["material"]), b["y"], b["z"], b["diameter"]) for b in section.get("bars", [])]


def _outline_section(section, material, level=2):
    ref = material(section["reference"]) if "reference" in section else None
    return outline(_polygons(section, material), _bars(section, material), section.get("stress_points", []), ref,
                   section.get("level", level), section.get("stress_reference", "centroid"), section.get("forces"),
                   section.get("element_size", 0.0), name=section.get("name", ""))


def _first_moment_section(section, material):
    ref = material(section["reference"]) if "reference" in section else None
    parts = [(material(p["material"]), p["nodes"], p["elements"]) for p in section["parts"]] \
        if "parts" in section else None
    polygons = _polygons(section, material) if "polygons" in section else None
    return first_moment(polygons, parts, _bars(section, material), section.get("about", (0.0, 0.0)), ref,
                        section.get("element_size", 0.0), name=section.get("name", ""))


# The section kinds of the file format: one function each, as in the command.
KINDS = {"mesh": _mesh_section, "outline": _outline_section, "first_moment": _first_moment_section,
         "reinforced": _reinforced_section, "closed_form": _closed_form_section, "standard": _standard_section}


def compute(section, materials=None):
    """One section given as a dict in the section-file format; ``materials``
    is the file's "materials" object (name -> {"E", "nu", ...}) or a dict of
    Material. Returns a Result; raises BSPError or ValueError."""
    mats = {n: m if isinstance(m, Material) else Material(n, **m) for n, m in (materials or {}).items()}

    def material(name):
        if name not in mats:
            raise ValueError(f"unknown material {name!r}")
        return mats[name]

    if section["kind"] not in KINDS:
        raise ValueError(f"unknown kind {section['kind']!r}; known: {', '.join(KINDS)}")
    return KINDS[section["kind"]](section, material)


def read_file(path):
    """Computes every section of a section file; a list of Result."""
    with open(path) as f:
        doc = json.load(f)
    return [compute(s, doc.get("materials")) for s in doc["sections"]]


def _compute_or_error(item):
    section, materials = item
    try:
        return compute(section, materials)
    except (BSPError, ValueError, KeyError, TypeError) as e:
        return e if isinstance(e, BSPError) else BSPError(-1, f"{type(e).__name__}: {e}")


def map(sections, materials=None, executor=None, chunksize=16):  # noqa: A001 - the name says what it does
    """Computes many sections (dicts in the section-file format, sharing
    ``materials``) on a concurrent.futures-style executor: a local process
    pool by default, or e.g. a Dask distributed client's
    ``get_executor()``. Returns, in order, a Result or the BSPError of each
    section; one failure does not stop the others."""
    items = [(s, materials) for s in sections]
    if executor is None:
        with ProcessPoolExecutor() as pool:
            return list(pool.map(_compute_or_error, items, chunksize=chunksize))
    try:
        return list(executor.map(_compute_or_error, items, chunksize=chunksize))
    except TypeError:  # executors whose map takes no chunksize
        return list(executor.map(_compute_or_error, items))
