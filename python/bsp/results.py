"""Result objects: named values with their unit dimension and meaning.

Every value has a stable key, the same as in the ``bsp`` command's JSON and
CSV output. Keys of per-material and per-point rows are dotted
("materials.steel.area", "stress_points.1.offset_y"); top-level keys are also
attributes (``r.area``), rows are reachable as ``r.materials["steel"].area``
and ``r.stress_points[0].offset_y``. Units: L length, F force, 1 plain number.
"""

import math
import os
import re
import types

# The standard shapes as the library builds them: quadrilateral blocks with
# corners counter-clockwise, each coordinate a linear expression in the
# dimensions D1..D6, and the coordinate the type mirrors (y, z, or - for
# none). The command draws from the same file. Types 18 and 19 are circles.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "standard_blocks.txt")) as _table:
    STANDARD_BLOCKS = _table.read()


def _linear(expression, d):
    total = 0.0
    for sign, coefficient, k, divisor in re.findall(r"([+-]?)(?:(\d+(?:\.\d*)?)\*?)?(?:D(\d))?(?:/(\d+))?",
                                                    expression):
        if not (coefficient or k):
            continue
        term = float(coefficient or 1) * (d[int(k) - 1] if k else 1.0) / float(divisor or 1)
        total += -term if sign == "-" else term
    return total


def standard_shape(type, d, centre=(0.0, 0.0)):
    """Outline of standard section ``type`` with dimensions ``d`` (as used)
    in its own frame: a list of closed rings (the library's blocks; for the
    tube and the circle, circles about ``centre``)."""
    if type in (18, 19):
        return [[(centre[0] + r * math.cos(2 * math.pi * i / 96), centre[1] + r * math.sin(2 * math.pi * i / 96))
                 for i in range(96)] for r in d[:2 if type == 18 else 1]]
    blocks, mirrored = [], []
    for line in STANDARD_BLOCKS.splitlines():
        t, mirror, *corners = line.split()
        if int(t) != type:
            continue
        quad = [(_linear(c.split(",")[0], d), _linear(c.split(",")[1], d)) for c in corners]
        blocks.append(quad)
        if mirror != "-":
            mirrored.append([(-y, z) if mirror == "y" else (y, -z) for y, z in reversed(quad)])
    return blocks + mirrored


class Result:
    """Values of one section. ``r.describe()`` lists key, value, unit and
    meaning of each; ``r.to_dict()`` gives {key: value}."""

    def __init__(self, kind, name=""):
        self.kind = kind
        self.name = name
        self._rows = []  # (key, value, unit, meaning)

    def add(self, key, value, unit, meaning):
        self._rows.append((key, float(value), unit, meaning))

    def __getattr__(self, key):
        if key.startswith("_"):
            raise AttributeError(key)
        for k, v, _, _ in self._rows:
            if k == key:
                return v
        raise AttributeError(f"{self.kind} result has no value {key!r}")

    def __getstate__(self):
        return self.__dict__

    def __setstate__(self, state):
        self.__dict__.update(state)

    def _group(self, prefix):
        groups = {}
        for k, v, _, _ in self._rows:
            if k.startswith(prefix + "."):
                head, _, rest = k[len(prefix) + 1:].partition(".")
                groups.setdefault(head, {})[rest.replace(".", "_")] = v
        return {h: types.SimpleNamespace(**d) for h, d in groups.items()}

    @property
    def materials(self):
        """Per-material rows by material name (mesh sections)."""
        return self._group("materials")

    @property
    def polygons(self):
        """Per-polygon rows by 1-based position as a string (outline sections)."""
        return self._group("polygons")

    @property
    def stress_points(self):
        """Per-point rows in the caller's order (mesh sections)."""
        g = self._group("stress_points")
        return [g[k] for k in sorted(g, key=int)]

    def to_dict(self):
        """{key: value} in report order, keys as in the command's JSON."""
        return {k: v for k, v, _, _ in self._rows}

    def units(self):
        return {k: u for k, _, u, _ in self._rows}

    def describe(self):
        """One line per value: key, value, unit, meaning."""
        return "\n".join(f"{k:34s} {v:18.10g}  {u:10s}{m}" for k, v, u, m in self._rows)

    def __repr__(self):
        return f"<bsp.Result {self.kind} {self.name!r}: {len(self._rows)} values>"

    def plot(self, ax=None):
        """Draws the section on a matplotlib Axes (default: the current one)
        and returns it: the mesh (mesh()), the polygons with their holes and
        bars (outline(), first_moment() with polygons) or the stress points
        and outline (standard()); the centroid and shear centre where known. Needs
        matplotlib (an optional dependency)."""
        import matplotlib.pyplot as plt  # optional dependency
        from matplotlib.patches import Circle, PathPatch
        from matplotlib.path import Path
        geo = self.__dict__.get("_geometry")
        if geo is None:
            raise ValueError("this result has no geometry to draw")
        ax = ax or plt.gca()
        for tri in geo.get("triangles", []):
            ax.fill([p[0] for p in tri], [p[1] for p in tri], edgecolor="0.4", facecolor="#c6dbef", linewidth=0.3)
        colours = {}
        for material, outline, holes in geo.get("polygons", []):
            colour = colours.setdefault(material, ["#c6dbef", "#fdd0a2", "#c7e9c0", "#dadaeb"][len(colours) % 4])
            vertices, codes = [], []
            for k, loop in enumerate([outline] + list(holes)):
                area = sum(loop[i - 1][0] * loop[i][1] - loop[i][0] * loop[i - 1][1] for i in range(len(loop)))
                loop = list(loop) if (area > 0) == (k == 0) else list(loop)[::-1]  # holes against the outline
                vertices += [tuple(p) for p in loop] + [tuple(loop[0])]
                codes += [Path.MOVETO] + [Path.LINETO] * (len(loop) - 1) + [Path.CLOSEPOLY]
            ax.add_patch(PathPatch(Path(vertices, codes), facecolor=colour, edgecolor="black"))
        if "type" in geo:
            rings = standard_shape(geo["type"], geo["dimensions"], (self.centroid_y, self.centroid_z))
            for ring in rings if geo["type"] != 18 else rings[:1]:
                ax.fill([p[0] for p in ring], [p[1] for p in ring], facecolor="#c6dbef", edgecolor="#9ecae1")
            if geo["type"] == 18:
                ax.fill([p[0] for p in rings[1]], [p[1] for p in rings[1]], facecolor="white", edgecolor="black")
        for y, z, radius in geo.get("bars", []):
            ax.add_patch(Circle((y, z), radius, color="0.25"))
        for y, z in geo.get("points", []):
            ax.plot([y], [z], "o", color="#e41a1c", markersize=4)
        names = {k for k, _, _, _ in self._rows}
        if "centroid_y" in names:
            ax.plot([self.centroid_y], [self.centroid_z], "ko", mfc="white")
        if "shear_centre_y" in names:
            ax.plot([self.shear_centre_y], [self.shear_centre_z], "kD")
        ax.set_aspect("equal")
        ax.autoscale_view()
        return ax
