"""Sections computed through the C exports: host meshes, reinforced sections
(cracked analysis) and closed forms. Numbers given by the caller are 1-based
(node numbers of an element count the nodes of its own part from 1), as in
the section-file format and the C header."""

import math
import numbers
from ctypes import byref, c_double, c_int32
from dataclasses import dataclass

from . import _library
from .results import Result

# Slots of the section property vector (BSP_SLOT_* in bsp.h), in report order:
# (key, slot, lowest level, unit, meaning). Same keys as the bsp command.
SLOTS = [
    ("area", 0, 0, "L^2", "transformed area A (E / E_ref weighted)"),
    ("weighted_area", 32, 0, "L^2", "area weighted by area_weight / reference area_weight"),
    ("centroid_y", 17, 0, "L", "centroid y"),
    ("centroid_z", 18, 0, "L", "centroid z"),
    ("i1", 1, 0, "L^4", "second moment about the centroid, integral y'^2 dA"),
    ("i2", 2, 0, "L^4", "second moment about the centroid, integral z'^2 dA"),
    ("i12", 3, 0, "L^4", "product moment about the centroid, integral y'z' dA"),
    ("torsion_constant", 4, 0, "L^4", "Saint-Venant torsion constant J"),
    ("warping_constant", 21, 0, "L^6", "warping constant Iw about the shear centre"),
    ("alpha_y", 14, 0, "1", "shear-area ratio, force along y (shear area = A / alpha_y)"),
    ("alpha_z", 15, 0, "1", "shear-area ratio, force along z"),
    ("centroid_minus_sc_y", 19, 0, "L", "centroid y minus shear centre y"),
    ("centroid_minus_sc_z", 20, 0, "L", "centroid z minus shear centre z"),
    ("torsion_stress_max", 33, 0, "L", "largest torsion shear stress per unit twist and unit G (times G_ref theta, or T / J)"),
    ("tau_y_of_vy", 34, 0, "1/L^2", "shear stress along y for a unit force along y, at its largest"),
    ("tau_z_of_vy", 35, 0, "1/L^2", "shear stress along z for a unit force along y"),
    ("tau_y_of_vz", 36, 0, "1/L^2", "shear stress along y for a unit force along z"),
    ("tau_z_of_vz", 37, 0, "1/L^2", "shear stress along z for a unit force along z, at its largest"),
    ("principal_angle_deg", 22, 1, "deg", "angle of the principal axes from y"),
    ("modulus_y", 24, 1, "L^3", "elastic modulus I1 / extreme y offset of the stress points"),
    ("modulus_z", 23, 1, "L^3", "elastic modulus I2 / extreme z offset of the stress points"),
    ("radius_y", 26, 1, "L", "radius of gyration sqrt(I1 / A)"),
    ("radius_z", 25, 1, "L", "radius of gyration sqrt(I2 / A)"),
    ("radius_major", 27, 1, "L", "radius of gyration about the major principal axis"),
    ("radius_minor", 28, 1, "L", "radius of gyration about the minor principal axis"),
    ("radius_polar_sc", 29, 1, "L", "polar radius of gyration about the shear centre"),
]
SLOT = {key: slot for key, slot, _, _, _ in SLOTS}
STRESS_POINTS_SLOT = 38  # BSP_SLOT_STRESS_POINTS


def polar_moment_slot(n):
    """BSP_SLOT_POLAR_MOMENT_SC(n), n stress points."""
    return 42 + 3 * n


def extremes_slot(n):
    """BSP_SLOT_EXTREMES(n)."""
    return 43 + 3 * n


PART_SLOTS = 10
PART_ROWS = [  # (key, offset in the per-material block, unit, meaning)
    ("area", 0, "L^2", "transformed area, bars included"),
    ("weighted_area", 9, "L^2", "weighted area"),
    ("centroid_y", 1, "L", "centroid y of this material"),
    ("centroid_z", 2, "L", "centroid z of this material"),
    ("i1", 3, "L^4", "second moment about its own centroid, y'^2"),
    ("i2", 4, "L^4", "second moment about its own centroid, z'^2"),
    ("torsion_constant", 5, "L^4", "this material's share of J"),
    ("warping_constant", 8, "L^6", "this material's share of Iw"),
    ("alpha_y", 6, "1", "shear-area ratio, force along y"),
    ("alpha_z", 7, "1", "shear-area ratio, force along z"),
]
EXTREME_FIELDS = ["tau_y_of_vy", "tau_z_of_vy", "tau_y_of_vz", "tau_z_of_vz", "torsion_y", "torsion_z"]
DETAIL_STRESSES = [("normal", "normal stress"), ("shear_y", "shear stress along y"),
                   ("shear_z", "shear stress along z"), ("von_mises", "von Mises stress sqrt(s^2 + 3 t^2)")]
CRACKED = [  # the 14 entries of CrackSectionProperty, in order
    ("centroid_z", "L", "z of the uncracked transformed centroid"),
    ("gross_inertia", "L^4", "uncracked second moment I_g about the centroid"),
    ("axis_upper", "L", "neutral axis, upper face (z >= axis) compressed"),
    ("axis_lower", "L", "neutral axis, lower face compressed"),
    ("inertia_upper", "L^4", "cracked second moment about axis_upper"),
    ("inertia_lower", "L^4", "cracked second moment about axis_lower"),
    ("cracking_moment_pos", "F L", "positive cracking moment (1.0: no concrete cracks)"),
    ("cracking_moment_neg", "F L", "negative cracking moment (-1.0: no concrete cracks)"),
    ("creep_gross", "1/(F L^2)", "creep flexibility, uncracked"),
    ("shrinkage_gross", "1/L", "shrinkage curvature, uncracked"),
    ("creep_upper", "1/(F L^2)", "creep flexibility, cracked, upper face compressed"),
    ("shrinkage_upper", "1/L", "shrinkage curvature, cracked, upper face compressed"),
    ("creep_lower", "1/(F L^2)", "creep flexibility, cracked, lower face compressed"),
    ("shrinkage_lower", "1/L", "shrinkage curvature, cracked, lower face compressed"),
]
SHAPES = {"rectangle": (1, 2), "box": (2, 6), "i_outstand": (3, 6), "i_outstand_90": (4, 6), "i_full": (5, 6),
          "i_full_90": (6, 6), "tee": (7, 4), "tee_90": (8, 4), "split_tee": (9, 5), "split_tee_90": (10, 5)}


@dataclass(frozen=True)
class Material:
    """A material, named once. E: modulus (F/L^2, > 0); nu: Poisson ratio
    (0 .. 0.5); area_weight: weight per area for the weighted area (e.g. a
    density); type "concrete" or "steel" and the concrete values
    (tensile_strength F/L^2, shrinkage strain, ageing and creep coefficients)
    for reinforced sections."""
    name: str
    E: float
    nu: float = 0.0
    area_weight: float = 1.0
    type: str = ""
    tensile_strength: float = 0.0
    shrinkage: float = 0.0
    ageing: float = 0.0
    creep: float = 0.0


def _d(values):
    values = [float(v) for v in values]
    return (c_double * max(1, len(values)))(*values)


def _i(values):
    values = [int(v) for v in values]
    return (c_int32 * max(1, len(values)))(*values)


def _pi(v):
    return byref(c_int32(int(v)))


def _pd(v):
    return byref(c_double(float(v)))


def _field(item, name, index):
    return item[name] if isinstance(item, dict) else item[index]


class _Mesh:
    """The arrays of the meshed-section exports, built from parts and bars."""

    def __init__(self, parts, bars, reference):
        self.materials = []
        self.y, self.z, self.conn, self.mat, self.part_nodes, self.part_elements = [], [], [], [], [], []
        k = None
        for part in parts:
            material, nodes, elements = (_field(part, n, i) for i, n in enumerate(("material", "nodes", "elements")))
            m = self._number(material)
            offset = len(self.y)
            for y, z in nodes:
                self.y.append(y)
                self.z.append(z)
            for e in elements:
                if k is None:
                    k = len(e)
                if len(e) != k or k not in (3, 6):
                    raise ValueError("every element has 3 or every element has 6 node numbers")
                self.conn.extend(offset + int(n) for n in e)
                self.mat.append(m)
            self.part_nodes.append(len(nodes))
            self.part_elements.append(len(elements))
        self.six = 1 if k == 6 else 0
        self.bar_r, self.bar_y, self.bar_z, self.bar_e, self.bar_w = [], [], [], [], []
        for bar in bars:
            material, y, z, diameter = (_field(bar, n, i) for i, n in enumerate(("material", "y", "z", "diameter")))
            self._number(material)
            self.bar_r.append(diameter / 2.0)
            self.bar_y.append(y)
            self.bar_z.append(z)
            self.bar_e.append(material.E)
            self.bar_w.append(material.area_weight)
        # The reference is the first part's material unless named: its E and
        # its nu both (a reference nu of 0 against materials of 0.3 would
        # scale J by 1 / 1.3).
        self.ref = reference or self.materials[0]

    def _number(self, material):
        if material not in self.materials:
            self.materials.append(material)
        return self.materials.index(material) + 1

    def common(self):
        """nodes .. part_element_count arguments shared by the three exports."""
        return dict(n_nodes=_pi(len(self.y)), n_elements=_pi(len(self.mat)), n_materials=_pi(len(self.materials)),
                    n_parts=_pi(len(self.part_nodes)), y=_d(self.y), z=_d(self.z), conn=_i(self.conn), mat=_i(self.mat),
                    pn=_i(self.part_nodes), pe=_i(self.part_elements))

    def comb(self, sy, sz, level, reference):
        n = len(sy)
        size = (39 if level <= 0 else 43 if level < 3 else 73) + 3 * n
        result, coords = (c_double * size)(), (c_double * max(1, 2 * n))()
        c = self.common()
        ms = self.materials
        code = _library.load().BSPCombMain(
            result, coords, c["n_nodes"], _pi(n), c["n_elements"], c["n_materials"], c["n_parts"], c["y"], c["z"],
            _d(sy), _d(sz), c["conn"], c["mat"], c["pn"], c["pe"], _pd(self.ref.E), _pd(self.ref.nu),
            _pd(self.ref.area_weight), _d([m.E for m in ms]), _d([m.nu for m in ms]), _d([m.area_weight for m in ms]),
            _pi(len(self.bar_r)), _d(self.bar_r), _d(self.bar_y), _d(self.bar_z), _d(self.bar_e), _d(self.bar_w),
            _pi(level), _pi(reference), _pi(self.six))
        _library.check(code)
        return list(result), list(coords)[:2 * n]

    def part(self):
        ms = self.materials
        out = (c_double * (PART_SLOTS * len(ms)))()
        c = self.common()
        code = _library.load().BSPPartMain(
            out, c["n_nodes"], c["n_elements"], c["n_materials"], c["n_parts"], c["y"], c["z"], c["conn"], c["mat"],
            c["pn"], c["pe"], _pd(self.ref.E), _pd(self.ref.nu), _pd(self.ref.area_weight), _d([m.E for m in ms]),
            _d([m.nu for m in ms]), _d([m.area_weight for m in ms]), _pi(len(self.bar_r)), _d(self.bar_r),
            _d(self.bar_y), _d(self.bar_z), _d(self.bar_e), _d(self.bar_w), _pi(self.six))
        _library.check(code)
        return list(out)

    def detail(self, sy, sz, forces, reference):
        n, nm = len(sy), len(self.materials)
        o1, o2, o3, o4 = (c_double * 38)(), (c_double * (4 * n * nm + 6))(), (c_double * max(1, 2 * n))(), \
            (c_double * max(1, n))()
        f = {k: float(forces.get(k, 0.0)) for k in ("N", "T", "Vy", "Vz", "My", "Mz")}
        c = self.common()
        ms = self.materials
        code = _library.load().BSPDetail(
            o1, o2, o3, o4, c["n_nodes"], _pi(n), c["n_elements"], c["n_materials"], c["n_parts"], c["y"], c["z"],
            _d(sy), _d(sz), c["conn"], c["mat"], c["pn"], c["pe"], _pd(self.ref.E), _pd(self.ref.nu),
            _d([m.E for m in ms]), _d([m.nu for m in ms]), _pi(len(self.bar_r)), _d(self.bar_r), _d(self.bar_y),
            _d(self.bar_z), _d(self.bar_e), _d([f["N"], f["T"]]), _d([f["Vy"], f["Vz"]]), _d([f["My"], f["Mz"]]),
            _d([reference, 0.0]), _pi(self.six))
        _library.check(code)
        return list(o2), list(o4)[:n]


def mesh(parts, bars=(), stress_points=(), reference=None, level=2, stress_reference="centroid", forces=None,
         name=""):
    """Properties of a section the caller meshed, part by part.

    parts: sequence of (material, nodes, elements) or dicts with those keys:
        material a Material; nodes [[y, z], ...]; elements [[a, b, c], ...] or
        6 numbers (corners, then mid-sides of edges 1-2, 2-3, 3-1), 1-based
        within the part, counter-clockwise. Parts are glued where nodes meet.
    bars: (material, y, z, diameter) circular inclusions.
    stress_points: [[y, z], ...]; stress_reference "centroid" or "shear_centre".
    reference: the reference Material (default: the first part's; E and nu).
    level: 0..3, as BSPCombMain's analysis_level.
    forces: {"N", "T", "Vy", "Vz", "My", "Mz"} for the stresses at the stress
        points (BSPDetail).
    Returns a Result with the keys of bsp.sections.SLOTS, shear_centre_y/_z,
    i_major/i_minor, polar_moment_sc, stress_points.*, extremes.*,
    materials.<name>.*, stresses.*. Raises BSPError when the library rejects it.
    """
    m = _Mesh(parts, bars, reference)
    ref = 1 if stress_reference == "shear_centre" else 0
    sy = [float(p[0]) for p in stress_points]
    sz = [float(p[1]) for p in stress_points]
    n = len(sy)
    v, offsets = m.comb(sy, sz, level, ref)
    r = Result("mesh", name)
    _report_properties(r, v, offsets, level, sy, sz, ref)
    k = 6 if m.six else 3
    r._geometry = {"triangles": [[(m.y[m.conn[k * e + c] - 1], m.z[m.conn[k * e + c] - 1]) for c in range(3)]
                                 for e in range(len(m.mat))]}
    part = m.part()
    for k, material in enumerate(m.materials):
        for key, offset, unit, meaning in PART_ROWS:
            r.add(f"materials.{material.name}.{key}", part[PART_SLOTS * k + offset], unit, meaning)
    if forces is not None and n > 0:
        stresses, containing = m.detail(sy, sz, forces, ref)
        _report_detail(r, stresses, containing, n, [x.name for x in m.materials], "material", lambda k: k)
    return r


def _add_section_slots(r, v, level):
    """The named slots of a property vector, the shear centre beside its
    offsets and the principal moments; level None reports every slot (the
    standard sections write them all)."""
    for key, slot, min_level, unit, meaning in SLOTS:
        if level is not None and level < min_level:
            continue
        r.add(key, v[slot], unit, meaning)
        if key == "centroid_minus_sc_z":
            r.add("shear_centre_y", v[SLOT["centroid_y"]] - v[SLOT["centroid_minus_sc_y"]], "L", "shear centre y")
            r.add("shear_centre_z", v[SLOT["centroid_z"]] - v[SLOT["centroid_minus_sc_z"]], "L", "shear centre z")
    i1, i2, i12 = v[SLOT["i1"]], v[SLOT["i2"]], v[SLOT["i12"]]
    mean, radius = 0.5 * (i1 + i2), math.hypot(0.5 * (i1 - i2), i12)
    r.add("i_major", mean + radius, "L^4", "major principal second moment")
    r.add("i_minor", mean - radius, "L^4", "minor principal second moment")


def _report_properties(r, v, offsets, level, sy, sz, ref, first_moments=False):
    """The section property vector of BSPCombMain or BSPMeshMain, by name."""
    n = len(sy)
    r.add("level", level, "1", "analysis level the values below were computed at")
    _add_section_slots(r, v, level)
    if level >= 1:
        r.add("polar_moment_sc", v[polar_moment_slot(n)], "L^4", "polar moment about the shear centre, bars left out")
    if level >= 1 and first_moments:
        r.add("first_moment_y", v[30], "L^3", "first moment about the centroidal axis y' = 0: |Q of the part y' > 0|"
              " + |Q of the part y' < 0|, bars included")
        r.add("first_moment_z", v[31], "L^3", "likewise about the centroidal axis z' = 0")
    about = "centroid" if ref == 0 else "shear centre"
    for i in range(n):
        p = f"stress_points.{i + 1}."
        r.add(p + "y", sy[i], "L", "stress point y")
        r.add(p + "z", sz[i], "L", "stress point z")
        r.add(p + "offset_y", offsets[2 * i], "L", f"y minus the {about} y")
        r.add(p + "offset_z", offsets[2 * i + 1], "L", f"z minus the {about} z")
        if level >= 2:
            r.add(p + "warping", v[STRESS_POINTS_SLOT + i], "L^2", "warping function, mean removed")
            r.add(p + "torsion_y", v[STRESS_POINTS_SLOT + n + i], "L", "torsion stress along y per unit twist and G")
            r.add(p + "torsion_z", v[STRESS_POINTS_SLOT + 2 * n + i], "L", "torsion stress along z per unit twist and G")
    if level >= 3:
        x = extremes_slot(n)
        for f, field in enumerate(EXTREME_FIELDS):
            p, unit = f"extremes.{field}.", "1/L^2" if f < 4 else "L"
            r.add(p + "value", v[x + 12 + f], unit, "signed largest value of the field")
            r.add(p + "y", v[x + 2 * f], "L", "where it occurs, y")
            r.add(p + "z", v[x + 2 * f + 1], "L", "where it occurs, z")
            r.add(p + "offset_y", v[x + 18 + 2 * f], "L", f"that point minus the {about}, y")
            r.add(p + "offset_z", v[x + 19 + 2 * f], "L", f"that point minus the {about}, z")


def _report_detail(r, stresses, containing, n, groups, within, number):
    """Stresses of BSPDetail or BSPDetailMesh: group k (a material, or a
    polygon's region) keyed groups[k]; ``number`` turns the library's 1-based
    group containing a point into the number reported."""
    for i in range(n):
        p = f"stress_points.{i + 1}."
        k = int(containing[i])
        r.add(p + within, number(k) if k else 0, "1", f"1-based {within} containing the point (0: none)")
        for g, group in enumerate(groups):
            for c, (key, meaning) in enumerate(DETAIL_STRESSES):
                r.add(f"{p}{group}.{key}", stresses[4 * (g * n + i) + c], "F/L^2", f"{meaning} as if of {group}")
    e = stresses[4 * n * len(groups):]
    for key, value, unit, meaning in [
            ("normal_max", e[0], "F/L^2", "largest normal stress at the stress points"),
            ("normal_min", e[1], "F/L^2", "smallest normal stress at the stress points"),
            ("shear_max", e[2], "F/L^2", "largest shear stress magnitude"),
            ("von_mises_max", e[3], "F/L^2", "largest von Mises stress"),
            ("von_mises_max_point", e[4], "1", "1-based stress point of that von Mises stress"),
            ("von_mises_max_" + within, number(int(e[5])) if e[5] else 0, "1", f"1-based {within} of that von Mises stress")]:
        r.add("stresses." + key, value, unit, meaning)


def _inside(points, y, z):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        (yi, zi), (yj, zj) = points[i], points[j]
        if (zi > z) != (zj > z) and y < (yj - yi) * (z - zi) / (zj - zi) + yi:
            inside = not inside
        j = i
    return inside


def _area(points):
    return 0.5 * sum(points[i - 1][0] * points[i][1] - points[i][0] * points[i - 1][1] for i in range(len(points)))


def cracked(loops, bars=(), reference_modulus=None, name=""):
    """Uncracked and cracked properties of a reinforced section
    (CrackSectionProperty), bent about a horizontal axis.

    loops: (material, points) closed loops, counter-clockwise (a hole
        clockwise); materials need type "concrete" or "steel".
    bars: (material, y, z, area[, host]) or dicts with "area" or "diameter"; the
        host (material the bar lies in) defaults to the smallest loop around it.
    reference_modulus: E_ref (default: the first loop's material's E).
    Returns a Result with the 14 keys of bsp.sections.CRACKED."""
    keys, table, params = [], [], [0.0] * 5

    def key(material):
        if material not in keys:
            if material.type not in ("concrete", "steel"):
                raise ValueError(f"material {material.name!r} needs type 'concrete' or 'steel'")
            keys.append(material)
            table.extend([0 if material.type == "concrete" else 1, len(keys)])
            params.extend([material.E, material.tensile_strength, material.shrinkage, material.ageing, material.creep])
        return keys.index(material)

    ys, zs, edges, loop_keys, loop_points = [], [], [], [], []
    for material, points in ((_field(lp, "material", 0), _field(lp, "points", 1)) for lp in loops):
        k, first, n = key(material), len(ys), len(points)
        for i, (y, z) in enumerate(points):
            ys.append(y)
            zs.append(z)
            edges.extend([k, first + i, first + (i + 1) % n])
        loop_keys.append(k)
        loop_points.append([tuple(p) for p in points])
    params[0] = float(reference_modulus if reference_modulus is not None else keys[0].E)
    refs, records, no_host = [], [], None
    for bar in bars:
        if isinstance(bar, dict):
            material, y, z, host = bar["material"], bar["y"], bar["z"], bar.get("host")
            area = bar["area"] if "area" in bar else math.pi * (bar["diameter"] / 2.0) ** 2
        else:
            material, y, z, area = bar[:4]
            host = bar[4] if len(bar) > 4 else None
        key(material)
        if host is not None:
            h = key(host)
        else:
            around = [(abs(_area(p)), k) for p, k in zip(loop_points, loop_keys) if _inside(p, y, z)]
            h = min(around)[1] if around else None
        if h is None:
            if no_host is None:
                no_host = len(table) // 2
                table.extend([1, 1])
            h = no_host
        refs.extend([h, len(records) // 3])
        records.extend([z, area, material.E])
    out = (c_double * 14)()
    _library.load().CrackSectionProperty(out, len(refs) // 2, len(edges) // 3, _i(table), _i(edges), _i(refs),
                                         _d(params), _d(records), _d(ys), _d(zs))
    r = Result("reinforced", name)
    for (k, unit, meaning), value in zip(CRACKED, out):
        r.add(k, value, unit, meaning)
    return r


def closed_form(shape, dimensions, name=""):
    """Closed-form torsion constant and shear areas of a simple shape
    (BSPAnalyticTorsionalConstant, BSPAnalyticShearArea). shape: one of
    SHAPES ("rectangle", "box", "i_outstand", "i_full", "tee", "split_tee",
    each also "_90"); dimensions D1, D2, ... as in bsp.h, L."""
    if shape not in SHAPES:
        raise ValueError(f"unknown shape {shape!r}; known: {', '.join(SHAPES)}")
    code, count = SHAPES[shape]
    if len(dimensions) != count:
        raise ValueError(f"a {shape} takes {count} dimensions, got {len(dimensions)}")
    lib = _library.load()
    j, a1, a2 = c_double(), c_double(), c_double()
    lib.BSPAnalyticTorsionalConstant(_pi(code), _d(dimensions), byref(j))
    lib.BSPAnalyticShearArea(_pi(code), _d(dimensions), byref(a1), byref(a2))
    if j.value == 0.0:
        raise _library.BSPError(-1, "the closed form rejects these dimensions")
    r = Result("closed_form", name)
    r.add("torsion_constant", j.value, "L^4", "torsion constant J (engineering formula)")
    r.add("shear_area_1", a1.value, "L^2", "shear area, force along the first axis")
    r.add("shear_area_2", a2.value, "L^2", "shear area, force along the second axis")
    return r


# The standard sections: type number -> (name, dimension names D1, D2, ...),
# as in the section-file format and the bsp command.
STANDARD_TYPES = {
    1: ("rectangle", ("height", "width")),
    2: ("trough", ("height", "width", "bottom", "wall")),
    3: ("i_unequal_y", ("depth", "flange_width_0", "flange_width_1", "web", "flange_0", "flange_1")),
    4: ("tee_y", ("flange_width", "depth", "flange", "stem")),
    5: ("box", ("height", "width", "side_wall", "top_bottom")),
    6: ("cross", ("height_less_bar", "bar", "width", "vertical_bar")),
    7: ("i", ("web_height", "flanges", "flange_width", "web")),
    8: ("tee", ("flange_width", "stem_length", "flange", "stem")),
    9: ("zed", ("flange_length", "web", "clear_width", "width")),
    10: ("channel_up", ("leg_height", "web", "clear_width", "width")),
    11: ("h", ("height_less_web", "web", "clear_width", "width")),
    12: ("channel_y", ("flange", "web", "depth", "height")),
    13: ("tee_side", ("flange_width", "depth", "flange", "stem")),
    14: ("box_walls", ("height", "width", "wall_y_max", "wall_y_0", "top", "bottom")),
    15: ("lipped_channel", ("width", "plate", "depth", "lip")),
    16: ("plate_box", ("plate_height", "depth", "box_height", "box_wall", "plate")),
    17: ("hexagon", ("rise", "height", "width")),
    18: ("tube", ("outer_radius", "inner_radius")),
    19: ("circle", ("radius",)),
    20: ("angle", ("height", "width", "vertical_leg", "horizontal_leg")),
    21: ("tee_side_offset", ("flange_below", "flange_above", "depth", "flange", "stem")),
    22: ("octagon", ("chamfer", "height", "width", "flat_width")),
    23: ("angle_y_max", ("height", "width", "horizontal_leg", "vertical_leg")),
    24: ("i_unequal", ("height", "top_flange_width", "web", "top_flange", "bottom_flange_width", "bottom_flange")),
    25: ("channel_unequal", ("height", "top_flange_width", "web", "top_flange", "bottom_flange_width",
                             "bottom_flange")),
    26: ("angle_top", ("height", "width", "web", "top_leg")),
    27: ("hat", ("height", "brim", "crown_width", "plate")),
}
_STANDARD_BY_NAME = {name: t for t, (name, _) in STANDARD_TYPES.items()}
_STATUS_MEANING = {1: "a value below 1e-7 was replaced", 2: "a rule between dimensions shrank a value"}


class DimensionError(_library.BSPError):
    """A standard section whose dimensions the library corrected or flagged
    (no properties): ``given`` and ``corrected`` {name: value}, ``status`` 1
    replaced, 2 shrunk, 99 above 1e7."""

    def __init__(self, code, message, given=None, corrected=None, status=0):
        super().__init__(code, message)
        self.given, self.corrected, self.status = given, corrected, status

    def __reduce__(self):
        return (DimensionError, (self.code, self.message, self.given, self.corrected, self.status))


def _standard_dimensions(type, dims):
    """(type number, name, dimension names, values D1, D2, ...) of a type
    given by number or name and dims given as a sequence or {name: value}."""
    if isinstance(type, str):
        if type not in _STANDARD_BY_NAME:
            raise ValueError(f"unknown standard type {type!r}; known: {', '.join(_STANDARD_BY_NAME)} or 1..27")
        type = _STANDARD_BY_NAME[type]
    if isinstance(type, bool) or not isinstance(type, int) or type not in STANDARD_TYPES:
        raise ValueError(f"unknown standard type {type!r}; known: 1..27 or a name")
    name, names = STANDARD_TYPES[type]
    if isinstance(dims, dict):
        unknown = set(dims) - set(names)
        if unknown or len(dims) != len(names):
            raise ValueError(f"a {name} (type {type}) takes the dimensions {', '.join(names)}; got {', '.join(dims)}")
        dims = [dims[n] for n in names]
    dims = list(dims)
    if len(dims) != len(names):
        raise ValueError(f"a {name} (type {type}) takes {len(names)} dimensions ({', '.join(names)}), "
                         f"found {len(dims)}")
    values = []
    for i, d in enumerate(dims):
        if isinstance(d, bool) or not isinstance(d, numbers.Real):
            raise ValueError(f"dimension D{i + 1} ({names[i]}): expected a number, found {d!r}")
        values.append(float(d))
    return type, name, names, values


def _dimension_status(given, used):
    """What the validation did (the exports return no status): 1 replaced,
    2 shrunk, 99 flagged above 1e7, 0 nothing."""
    if any(not math.isfinite(g) or g < 1.0000000116860974e-7 for g in given):  # 1e-7 in single precision
        return 1
    if given != used:
        return 2
    return 99 if any(g > 1e7 for g in given) else 0


def _check_corrections(type, names, given, used, status):
    if status == 0:
        return
    if status == 99:
        message = "a dimension above 1e7 was flagged (status 99); no properties"
    else:
        what = "; ".join(f"D{i + 1} ({n}) corrected from {g!r} to {u!r}"
                         for i, (n, g, u) in enumerate(zip(names, given, used)) if not g == u)
        message = f"dimensions corrected (status {status}: {_STATUS_MEANING[status]}): {what}; no properties"
    raise DimensionError(-1, message, dict(zip(names, given)), dict(zip(names, used)), status)


def standard(type, dims, nu, closed_form=False, stress_point_origin="shear_centre", stress_point_order=1, name="",
             meshed=False, level=1):
    """Properties of a standard section (BSPMAIN, or BSPMAIN_EXPAND for
    another stress-point origin or order; with meshed=True through the
    general meshed path, BSPMAINGENERAL or, for order 2 about the centroid,
    BSPMAINGENCIVIL, at analysis level ``level``).

    type: 1..27 or its name (STANDARD_TYPES); dims: D1, D2, ... or
        {dimension name: value}, L; nu: Poisson's ratio (-1 < nu <= 0.5).
    closed_form: closed forms for types 1-5 and 20 (a6 = 2).
    stress_point_origin: "shear_centre" or "centroid"; stress_point_order 1 or 2.
    Returns a Result with the keys of the bsp command's standard report
    (type, dimensions.*, dimension_status, the SLOTS keys, shear_centre_y/_z,
    i_major/_minor, plastic_modulus_y/_z, stress_points.1..4.*) and
    ``r.dimensions`` {name: value}. Raises DimensionError (a BSPError) when
    the library corrected or flagged a dimension, naming each change."""
    type, type_name, names, given = _standard_dimensions(type, dims)
    nu = float(nu)
    if not (-1.0 < nu <= 0.5):
        raise ValueError(f"nu: expected a Poisson ratio above -1 and at most 0.5, found {nu!r}")
    if stress_point_origin not in ("centroid", "shear_centre") or stress_point_order not in (1, 2):
        raise ValueError("stress_point_origin 'centroid' or 'shear_centre', stress_point_order 1 or 2")
    origin = 0 if stress_point_origin == "centroid" else 1
    order = 0 if stress_point_order == 2 else 1
    if meshed and origin == 1 and order == 0:
        raise ValueError("the meshed path gives order-2 stress points about the centroid only")
    if level not in (0, 1, 2, 3):
        raise ValueError(f"level: expected 0, 1, 2 or 3, found {level!r}")
    lib = _library.load()
    d, v = _d(given), (c_double * 38)()
    a6, code = 2 if closed_form else 0, 0
    if meshed and order == 0:
        code = lib.BSPMAINGENCIVIL(v, d, _pi(type), None, _pd(nu), _pi(a6), _pi(level), None)
    elif meshed:
        code = lib.BSPMAINGENERAL(v, d, _pi(type), None, _pd(nu), _pi(a6), _pi(level), _pi(origin), None)
    elif origin == 1 and order == 1:
        lib.BSPMAIN(v, d, _pi(type), None, _pd(nu), _pi(a6), None)
    else:
        lib.BSPMAIN_EXPAND(v, d, _pi(type), None, _pd(nu), _pi(a6), None, _pi(origin), _pi(order))
    used = list(d)[:len(names)]
    status = _dimension_status(given, used)
    _check_corrections(type, names, given, used, status)
    _library.check(code)
    if v[0] == 0.0:
        raise _library.BSPError(-1, "the library gave no properties for this standard section")
    r = Result("standard", name)
    r.add("type", type, "1", f"standard section type ({type_name})")
    if meshed:
        r.add("meshed_level", level, "1", "computed through the meshed path at this analysis level")
    for i, (n, value) in enumerate(zip(names, used)):
        r.add("dimensions." + n, value, "L", f"D{i + 1} as used")
    r.add("dimension_status", status, "1", "0 as given; 1 replaced, 2 shrunk, 99 above 1e7 (no properties)")
    _add_section_slots(r, v, None)
    r.add("plastic_modulus_y", v[30], "L^3", "plastic modulus, bending about y (0: none for this type)")
    r.add("plastic_modulus_z", v[31], "L^3", "plastic modulus, bending about z")
    about = "centroid" if origin == 0 else "shear centre"
    oy = v[SLOT["centroid_y"]] - (0.0 if origin == 0 else v[SLOT["centroid_minus_sc_y"]])
    oz = v[SLOT["centroid_z"]] - (0.0 if origin == 0 else v[SLOT["centroid_minus_sc_z"]])
    for i in range(4):
        p, dy, dz = f"stress_points.{i + 1}.", v[5 + 2 * i], v[6 + 2 * i]
        r.add(p + "offset_y", dy, "L", f"stress point y minus the {about} y")
        r.add(p + "offset_z", dz, "L", f"stress point z minus the {about} z")
        r.add(p + "y", oy + dy, "L", "stress point y in the shape's frame")
        r.add(p + "z", oz + dz, "L", "stress point z in the shape's frame")
    r.dimensions = dict(zip(names, used))
    r._geometry = {"points": [(oy + v[5 + 2 * i], oz + v[6 + 2 * i]) for i in range(4)], "type": type, "dimensions": used}
    return r


def plastic_modulus(type, dims):
    """The two plastic moduli (BSPPlasticModulus) of a standard section:
    (about y, about z), L^3. Raises DimensionError when the library corrected
    a dimension, BSPError for a type without them (15, 16, 17, 27)."""
    type, _, names, given = _standard_dimensions(type, dims)
    d, z1, z2 = _d(given), c_double(), c_double()
    code = _library.load().BSPPlasticModulus(_pi(type), d, byref(z1), byref(z2))
    used = list(d)[:len(names)]
    _check_corrections(type, names, given, used, _dimension_status(given, used))
    if code != 0:
        raise _library.BSPError(code, f"type {type} has no plastic moduli (types 15, 16, 17 and 27 have none)")
    return z1.value, z2.value
