"""Outline sections: polygons with holes, a material each, meshed by the
library (BSPMeshMain, BSPPartMeshMain, BSPDetailMesh), and first moments of
area of a piece of a section (BSPFirstMomentOfAreaMesh, BSPFirstMomentOfArea).

The outline exports take points, segments and one material per region in the
order the library finds the regions. ``build_outline`` turns polygons into
exactly that, as the ``bsp`` command does (tools/bsp/outline.cpp), so the
caller never learns the library's region order: the regions are the faces of
the drawing, ordered outside-in, and each face's first segment is listed
first, counter-clockwise around it.
"""

import math
from collections import deque
from ctypes import byref, c_double, c_int32

from . import _library
from .results import Result
from .sections import PART_ROWS, PART_SLOTS, _d, _field, _i, _pd, _pi, _report_detail, _report_properties


class OutlineError(ValueError):
    """A drawing that cannot be a section: ``polygon`` (1-based), ``loop``
    ("outline" or "holes[k]") and what is wrong."""

    def __init__(self, polygon, loop, what):
        super().__init__(f"polygons[{polygon}].{loop}: {what}")
        self.polygon, self.loop, self.what = polygon, loop, what


def _orient(a, b, c):
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])


def _cross(a, b, c, d):
    o1, o2, o3, o4 = _orient(a, b, c), _orient(a, b, d), _orient(c, d, a), _orient(c, d, b)
    return ((o1 > 0 > o2) or (o1 < 0 < o2)) and ((o3 > 0 > o4) or (o3 < 0 < o4))


def _area(p):
    return 0.5 * sum(p[i - 1][0] * p[i][1] - p[i][0] * p[i - 1][1] for i in range(len(p)))


def _inside(p, y, z):
    inside, j = False, len(p) - 1
    for i in range(len(p)):
        if (p[i][1] > z) != (p[j][1] > z) and y < (p[j][0] - p[i][0]) * (z - p[i][1]) / (p[j][1] - p[i][1]) + p[i][0]:
            inside = not inside
        j = i
    return inside


def build_outline(polygons):
    """polygons: [(outline, holes)] with outline [[y, z], ...] and holes a
    list of such loops. Returns (point_y, point_z, segments (1-based pairs),
    region_polygon: the 0-based polygon filling each region in the library's
    order, -1 for a void). Raises OutlineError."""
    loops = []
    for p, (outline, holes) in enumerate(polygons):
        for k, pts in [(-1, outline)] + list(enumerate(holes)):
            name = "outline" if k < 0 else f"holes[{k + 1}]"
            pts = [(float(y), float(z)) for y, z in pts]
            if len(pts) < 3:
                raise OutlineError(p + 1, name, "a loop needs at least 3 points")
            n = len(pts)
            for i in range(n):
                for j in range(i + 2, n):
                    if not (i == 0 and j == n - 1) and _cross(pts[i], pts[(i + 1) % n], pts[j], pts[(j + 1) % n]):
                        raise OutlineError(p + 1, name, f"the loop crosses itself: side {i + 1}-{(i + 1) % n + 1} "
                                                        f"crosses side {j + 1}-{(j + 1) % n + 1}")
            a = _area(pts)
            if a == 0:
                raise OutlineError(p + 1, name, "the loop encloses no area")
            if (a < 0) == (k < 0):  # outlines counter-clockwise, holes clockwise
                pts.reverse()
            loops.append((p, name, pts))
    every = [q for _, _, pts in loops for q in pts]
    tol = 1e-9 * max(max(q[0] for q in every) - min(q[0] for q in every),
                     max(q[1] for q in every) - min(q[1] for q in every))
    points, ids = [], []
    for _, _, pts in loops:
        row = []
        for q in pts:
            found = next((j for j, r in enumerate(points) if abs(r[0] - q[0]) + abs(r[1] - q[1]) <= tol), None)
            if found is None:
                found = len(points)
                points.append(q)
            row.append(found)
        ids.append(row)
    seg, left, origin, seg_of = [], [], [], {}
    for li, (p, name, _) in enumerate(loops):
        row = ids[li]
        for e in range(len(row)):
            a, b = row[e], row[(e + 1) % len(row)]
            if a == b:
                raise OutlineError(p + 1, name, "two neighbouring points coincide")
            (ay, az), (by, bz) = points[a], points[b]
            dy, dz = by - ay, bz - az
            len2 = dy * dy + dz * dz
            chain = [(0.0, a), (1.0, b)]
            for q, (qy, qz) in enumerate(points):
                if q not in (a, b):
                    t = ((qy - ay) * dy + (qz - az) * dz) / len2
                    if 0 < t < 1 and abs(_orient(points[a], points[b], (qy, qz))) <= tol * math.sqrt(len2):
                        chain.append((t, q))
            chain.sort()
            for (_, u), (_, v) in zip(chain, chain[1:]):
                key = (min(u, v), max(u, v))
                if key not in seg_of:
                    seg_of[key] = len(seg)
                    seg.append((u, v))
                    left.append([-1, -1])
                    origin.append([-1, -1])
                s = seg_of[key]
                side = 0 if seg[s][0] == u else 1
                if left[s][side] >= 0:
                    other = "another loop of this polygon" if left[s][side] == p else f"polygons[{left[s][side] + 1}]"
                    raise OutlineError(p + 1, name, f"side {e + 1} lies on a side of {other} with material on the "
                                                    "same side (they overlap)")
                left[s][side], origin[s][side] = p, li
    ns = len(seg)
    for s in range(ns):
        for t in range(s + 1, ns):
            if _cross(points[seg[s][0]], points[seg[s][1]], points[seg[t][0]], points[seg[t][1]]):
                ls, lt = (loops[max(origin[x])] for x in (s, t))
                raise OutlineError(lt[0] + 1, lt[1], f"crosses polygons[{ls[0] + 1}].{ls[1]} (polygons may share "
                                                     "sides, not overlap)")

    def frm(h):
        return seg[h // 2][h % 2]

    def to(h):
        return seg[h // 2][1 - h % 2]

    leaving = [[] for _ in points]
    for h in range(2 * ns):
        leaving[frm(h)].append(h)
    position = [0] * (2 * ns)
    for out in leaving:
        out.sort(key=lambda h: math.atan2(points[to(h)][1] - points[frm(h)][1], points[to(h)][0] - points[frm(h)][0]))
        for i, h in enumerate(out):
            position[h] = i

    def nxt(h):
        out = leaving[to(h)]
        return out[(position[h ^ 1] - 1) % len(out)]

    cycle_of, cycles, areas = [-1] * (2 * ns), [], []
    for h in range(2 * ns):
        if cycle_of[h] < 0:
            c, a, g = [], 0.0, h
            while cycle_of[g] < 0:
                cycle_of[g] = len(cycles)
                c.append(g)
                a += 0.5 * (points[frm(g)][0] * points[to(g)][1] - points[to(g)][0] * points[frm(g)][1])
                g = nxt(g)
            cycles.append(c)
            areas.append(a)
    parent = list(range(len(points)))

    def root(x):
        while parent[x] != x:
            parent[x] = parent[parent[x]]
            x = parent[x]
        return x

    for u, v in seg:
        parent[root(u)] = root(v)
    faces = [c for c in range(len(cycles)) if areas[c] > 0]
    face_of = [faces.index(c) if areas[c] > 0 else -1 for c in range(len(cycles))]
    for c in range(len(cycles)):
        if areas[c] > 0:
            continue
        probe, piece = points[frm(cycles[c][0])], root(frm(cycles[c][0]))
        for f, fc in enumerate(faces):
            if root(frm(cycles[fc][0])) != piece and _inside([points[frm(h)] for h in cycles[fc]], *probe) and \
                    (face_of[c] < 0 or areas[fc] < areas[faces[face_of[c]]]):
                face_of[c] = f

    def face(h):
        return face_of[cycle_of[h]]

    face_polygon = [None] * len(faces)
    for h in range(2 * ns):
        f, p = face(h), left[h // 2][h % 2]
        if f < 0:
            if p >= 0:
                raise OutlineError(p + 1, loops[origin[h // 2][h % 2]][1], "the hole is not inside the polygon's outline")
            continue
        if face_polygon[f] is None:
            face_polygon[f] = p
        if face_polygon[f] != p:
            a, b = max(face_polygon[f], p), min(face_polygon[f], p)
            raise OutlineError(a + 1, "outline", f"overlaps polygons[{b + 1}] (polygons may share sides, not overlap)"
                               if b >= 0 else "another polygon lies inside it outside its holes (they overlap)")
    for p in range(len(polygons)):
        if face_polygon.count(p) > 1:
            raise OutlineError(p + 1, "outline", "its holes cut it into pieces; give each piece as a polygon")
    reach = [[] for _ in range(len(faces) + 1)]
    for h in range(2 * ns):
        if face(h) >= 0:
            reach[face(h ^ 1) + 1].append((face(h), h))
    order, start, queue = [], [-1] * len(faces), deque([-1])
    while queue:
        for f, h in reach[queue.popleft() + 1]:
            if start[f] < 0:
                start[f] = h
                order.append(f)
                queue.append(f)
    order.reverse()
    listed = {start[f] // 2 for f in order}
    segments = [n + 1 for f in order for n in (frm(start[f]), to(start[f]))]
    segments += [n + 1 for s in range(ns) if s not in listed for n in seg[s]]
    return [q[0] for q in points], [q[1] for q in points], segments, [face_polygon[f] for f in order]


class _Outline:
    """The arrays of the outline exports, from polygons, bars, stress points."""

    def __init__(self, polygons, bars, reference, element_size):
        self.polygons = [(_field(p, "material", 0), _field(p, "outline", 1),
                          (p.get("holes", []) if isinstance(p, dict) else (p[2] if len(p) > 2 else [])))
                         for p in polygons]
        self.y, self.z, self.segments, self.regions = build_outline([(o, h) for _, o, h in self.polygons])
        mats = [None if r < 0 else self.polygons[r][0] for r in self.regions]
        self.region_e = [m.E if m else 0.0 for m in mats]
        self.region_nu = [m.nu if m else 0.0 for m in mats]
        self.region_w = [m.area_weight if m else 1.0 for m in mats]
        self.solid = [r for r in self.regions if r >= 0]  # polygon of each solid region
        self.bars = [tuple(_field(b, n, i) for i, n in enumerate(("material", "y", "z", "diameter"))) for b in bars]
        self.ref = reference or self.polygons[0][0]
        self.h = float(element_size)

    def bar_arrays(self, weights=True):
        b = self.bars
        out = [_pi(len(b)), _d([d / 2.0 for *_, d in b]), _d([y for _, y, _, _ in b]), _d([z for _, _, z, _ in b])]
        return out, _d([m.E for m, *_ in b]), _d([m.area_weight for m, *_ in b])

    def outline(self):
        return [_pi(len(self.y)), _d(self.y), _d(self.z), _pi(len(self.segments) // 2), _i(self.segments),
                _pd(self.h)]

    def main(self, sy, sz, level, reference):
        n = len(sy)
        size = (39 if level <= 0 else 43 if level < 3 else 73) + 3 * n
        result, coords = (c_double * size)(), (c_double * max(1, 2 * n))()
        bars, bar_e, bar_w = self.bar_arrays()
        pts, py, pz, nseg, segs, h = self.outline()
        code = _library.load().BSPMeshMain(
            result, coords, _pi(len(self.regions)), *bars, _pi(n), _d(sy), _d(sz), _pd(self.ref.E), _pd(self.ref.nu),
            _d(self.region_e), _d(self.region_nu), bar_e, _pd(self.ref.area_weight), _d(self.region_w), bar_w,
            pts, py, pz, nseg, segs, h, _pi(level), _pi(reference), _pi(0))
        _library.check(code)
        return list(result), list(coords)[:2 * n]

    def part(self):
        out = (c_double * (PART_SLOTS * len(self.solid)))()
        bars, bar_e, bar_w = self.bar_arrays()
        code = _library.load().BSPPartMeshMain(
            out, _pi(len(self.regions)), *bars, _pd(self.ref.E), _pd(self.ref.nu), _d(self.region_e),
            _d(self.region_nu), bar_e, _pd(self.ref.area_weight), _d(self.region_w), bar_w, *self.outline(), _pi(0))
        _library.check(code)
        return list(out)

    def detail(self, sy, sz, forces, reference):
        n, s = len(sy), len(self.solid)
        o1, o2, o3, o4 = (c_double * 38)(), (c_double * (4 * n * s + 6))(), (c_double * max(1, 2 * n))(), \
            (c_double * max(1, n))()
        f = {k: float(forces.get(k, 0.0)) for k in ("N", "T", "Vy", "Vz", "My", "Mz")}
        bars, bar_e, _ = self.bar_arrays()
        code = _library.load().BSPDetailMesh(
            o1, o2, o3, o4, _pi(len(self.regions)), *bars, _pi(n), _d(sy), _d(sz), _pd(self.ref.E), _pd(self.ref.nu),
            _d(self.region_e), _d(self.region_nu), bar_e, *self.outline(), _d([f["N"], f["T"]]),
            _d([f["Vy"], f["Vz"]]), _d([f["My"], f["Mz"]]), _d([reference, 0.0]), _pi(0))
        _library.check(code)
        return list(o2), list(o4)[:n]


def outline(polygons, bars=(), stress_points=(), reference=None, level=2, stress_reference="centroid", forces=None,
            element_size=0.0, name=""):
    """Properties of a section drawn as polygons, which the library meshes.

    polygons: (material, outline[, holes]) or dicts {"material", "outline",
        "holes"}: outline [[y, z], ...] in either direction, holes a list of
        such loops. Polygons may share sides or parts of sides, not overlap;
        an area they enclose without filling it is a void.
    bars: (material, y, z, diameter). stress_points, stress_reference,
    reference (default: the first polygon's material, E and nu), level and
    forces as for mesh(). element_size: 0 lets the library choose.
    Returns a Result with the keys of mesh(), first_moment_y/_z (level >= 1)
    and, per polygon in the order given, polygons.<k>.* (r.polygons["1"]).
    Raises OutlineError (a ValueError) for a drawing that is not a section,
    BSPError when the library rejects it."""
    o = _Outline(polygons, bars, reference, element_size)
    ref = 1 if stress_reference == "shear_centre" else 0
    sy, sz = [float(p[0]) for p in stress_points], [float(p[1]) for p in stress_points]
    n = len(sy)
    v, offsets = o.main(sy, sz, level, ref)
    r = Result("outline", name)
    _report_properties(r, v, offsets, level, sy, sz, ref, first_moments=True)
    part = o.part()
    groups = [f"polygons.{p + 1}" for p in range(len(o.polygons))]
    for p in range(len(o.polygons)):
        k = o.solid.index(p)
        for key, offset, unit, meaning in PART_ROWS:
            r.add(f"{groups[p]}.{key}", part[PART_SLOTS * k + offset], unit, meaning)
    if forces is not None and n > 0:
        stresses, containing = o.detail(sy, sz, forces, ref)
        by_polygon = [x for p in range(len(o.polygons)) for x in
                      stresses[4 * n * o.solid.index(p):4 * n * (o.solid.index(p) + 1)]]
        _report_detail(r, by_polygon + stresses[4 * n * len(o.solid):], containing, n, groups, "polygon",
                       lambda k: o.solid[k - 1] + 1)
    r._geometry = {"polygons": [(m.name, out, holes) for m, out, holes in o.polygons],
                   "bars": [(y, z, d / 2) for _, y, z, d in o.bars], "points": list(zip(sy, sz))}
    return r


def first_moment(polygons=None, parts=None, bars=(), about=(0.0, 0.0), reference=None, element_size=0.0, name=""):
    """Weighted area and first moments about ``about`` = (y, z) of a piece of
    a section: either ``polygons`` as for outline() (the library meshes them;
    BSPFirstMomentOfAreaMesh) or ``parts`` (material, nodes, elements) of
    3-node triangles (BSPFirstMomentOfArea, one call per part). bars:
    (material, y, z, diameter), each adding its excess over the material it
    replaces. reference: the Material whose E weights 1 (default the first).
    Returns a Result: about_y, about_z, area, moment_y = integral (y - about_y)
    dA, moment_z, centroid_y, centroid_z."""
    if (polygons is None) == (parts is None):
        raise ValueError("give polygons or parts, one of them")
    lib = _library.load()
    bars = [tuple(_field(b, n, i) for i, n in enumerate(("material", "y", "z", "diameter"))) for b in bars]
    bar_args = [_pi(len(bars)), _d([d / 2.0 for *_, d in bars]), _d([b[1] for b in bars]), _d([b[2] for b in bars])]
    bar_e = _d([b[0].E for b in bars])
    y0, z0 = (float(x) for x in about)
    area, mz, my = c_double(), c_double(), c_double()
    if polygons is not None:
        o = _Outline(polygons, [], reference, element_size)
        code = lib.BSPFirstMomentOfAreaMesh(byref(area), byref(mz), byref(my), _pd(y0), _pd(z0),
                                            _pi(len(o.regions)), *bar_args, _pd(o.ref.E), _d(o.region_e), bar_e,
                                            *o.outline())
        _library.check(code)
        totals = [area.value, mz.value, my.value]
    else:
        ref = reference or _field(parts[0], "material", 0)
        totals = [0.0, 0.0, 0.0]
        for k, part in enumerate(parts):
            material, nodes, elements = (_field(part, n, i) for i, n in enumerate(("material", "nodes", "elements")))
            if any(len(e) != 3 for e in elements):
                raise ValueError(f"parts[{k + 1}]: first moments take 3-node triangles")
            nb = bar_args if k == 0 else [_pi(0), _d([]), _d([]), _d([])]
            lib.BSPFirstMomentOfArea(byref(area), byref(mz), byref(my), _pd(y0), _pd(z0), _pi(len(nodes)),
                                     _pi(len(elements)), _d([p[0] for p in nodes]), _d([p[1] for p in nodes]),
                                     _i([n for e in elements for n in e]), _pd(ref.E), _pd(material.E), *nb,
                                     bar_e if k == 0 else _d([]))
            message = lib.BSPLastError()
            if message:
                raise _library.BSPError(-1, f"parts[{k + 1}]: " + message.decode("utf-8", "replace"))
            totals = [t + x for t, x in zip(totals, (area.value, mz.value, my.value))]
    a, z_moment, y_moment = totals
    r = Result("first_moment", name)
    r.add("about_y", y0, "L", "y of the point the moments are taken about")
    r.add("about_z", z0, "L", "z of the point the moments are taken about")
    r.add("area", a, "L^2", "area, each part weighted by E / E_ref (bars: their excess over the material they replace)")
    r.add("moment_y", y_moment, "L^3", "first moment integral (y - about_y) dA")
    r.add("moment_z", z_moment, "L^3", "first moment integral (z - about_z) dA")
    r.add("centroid_y", y0 + y_moment / a, "L", "centroid y of the piece, about_y + moment_y / area")
    r.add("centroid_z", z0 + z_moment / a, "L", "centroid z of the piece, about_z + moment_z / area")
    if polygons is not None:
        r._geometry = {"polygons": [(m.name, out, holes) for m, out, holes in o.polygons]}
    return r


__all__ = ["OutlineError", "build_outline", "first_moment", "outline"]
