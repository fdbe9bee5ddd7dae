"""The Python package: its export table against the header, its results
against known values and the C exports, its errors and bsp.map."""
import contextlib
import importlib.util
import math
import os
import pathlib
import re
import sys
import unittest
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
HEADER = pathlib.Path(ROOT, "include", "bsp", "bsp.h").read_text()
sys.path.insert(0, os.path.join(ROOT, "python"))
import bsp  # noqa: E402

UNIT_SQUARE = ([[0, 0], [1, 0], [1, 1], [0, 1]], [[1, 2, 3], [1, 3, 4]])


class Package(unittest.TestCase):
    def test_export_table_matches_the_header(self):
        declared = {}
        for m in re.finditer(r"BSP_API\s+((?:const\s+)?\w+(?:\s*\*)?)\s*(\w+)\s*\(([^;]*)\);", HEADER):
            args = re.sub(r"/\*.*?\*/", "", m.group(3), flags=re.S).strip()
            kinds = []
            for a in ([] if args == "void" else args.split(",")):
                base = "d" if "double" in a else "s" if "char" in a else "i"
                kinds.append(base + "*" if "*" in a and base != "s" else base)
            ret = {"int32_t": "int", "void": "void"}.get(m.group(1).strip(), "s")  # "s": const char *
            declared[m.group(2)] = (ret, " ".join(kinds))
        self.assertEqual(declared, bsp.EXPORTS)

    def test_library_version_is_the_header_version(self):
        parts = dict(re.findall(r"#define BSP_VERSION_(MAJOR|MINOR|PATCH) (\d+)", HEADER))
        self.assertEqual(bsp.library_version(), f"{parts['MAJOR']}.{parts['MINOR']}.{parts['PATCH']}")
        self.assertEqual(bsp.version(), bsp.library_version())

    def test_closed_form_rectangle(self):
        r = bsp.closed_form("rectangle", [2.0, 1.0])
        self.assertAlmostEqual(r.torsion_constant, 0.45776041666666667, places=14)  # pinned closed-form value
        self.assertAlmostEqual(r.shear_area_1, 5.0 / 3.0, places=14)  # 5/6 of the area, round-off only

    def test_cracked_steel_rectangle_is_its_gross_section(self):
        # Steel carries tension: nothing cracks, both axes are mid-depth, I = b h^3 / 12.
        steel = bsp.Material("steel", E=200000.0, type="steel")
        r = bsp.cracked([(steel, [[0, 0], [100, 0], [100, 200], [0, 200]])])
        self.assertAlmostEqual(r.axis_upper, 100.0, places=9)  # boundary integrals, round-off only
        self.assertTrue(math.isclose(r.inertia_lower, 100.0 * 200.0 ** 3 / 12.0, rel_tol=1e-12))
        self.assertEqual((r.cracking_moment_pos, r.cracking_moment_neg), (1.0, -1.0))

    def test_reference_takes_the_first_materials_poisson_ratio(self):
        # One material: J must not depend on its nu (a reference nu of 0 would scale it by 1 / 1.3).
        j = [bsp.mesh([(bsp.Material("m", E=1.0, nu=nu), *UNIT_SQUARE)], level=0).torsion_constant for nu in (0.0, 0.3)]
        self.assertTrue(math.isclose(j[0], j[1], rel_tol=1e-12))  # same system up to round-off

    def test_mesh_names_rows_by_material_and_point(self):
        r = bsp.mesh([(bsp.Material("steel", E=210000.0, nu=0.3), *UNIT_SQUARE)], stress_points=[[1, 1]],
                     forces={"N": 2.0})
        self.assertAlmostEqual(r.area, 1.0, places=14)  # exact for straight-sided triangles
        self.assertAlmostEqual(r.i1, 1.0 / 12.0, places=14)
        self.assertAlmostEqual(r.materials["steel"].area, 1.0, places=14)
        self.assertAlmostEqual(r.stress_points[0].offset_y, 0.5, places=14)
        self.assertAlmostEqual(r.to_dict()["stress_points.1.steel.normal"], 2.0, places=12)  # N / A
        self.assertEqual(r.units()["i1"], "L^4")

    def test_standard_rectangle_has_the_textbook_values(self):
        # Type 1: D1 height along z, D2 width along y; closed forms are exact.
        h, b = 3.0, 2.0
        r = bsp.standard("rectangle", {"height": h, "width": b}, nu=0.3, closed_form=True)
        exact = {"area": b * h, "i1": h * b ** 3 / 12, "i2": b * h ** 3 / 12, "plastic_modulus_y": b * h * h / 4,
                 "plastic_modulus_z": h * b * b / 4, "modulus_z": b * h * h / 6, "modulus_y": h * b * b / 6}
        for key, value in exact.items():
            self.assertTrue(math.isclose(r.to_dict()[key], value, rel_tol=1e-12), key)  # round-off only
        self.assertEqual((r.type, r.dimension_status, r.dimensions), (1, 0, {"height": h, "width": b}))
        corners = sorted((abs(p.offset_y), abs(p.offset_z)) for p in r.stress_points)
        self.assertEqual(corners, [(b / 2, h / 2)] * 4)
        self.assertEqual(bsp.plastic_modulus(1, [h, b]), (r.plastic_modulus_y, r.plastic_modulus_z))

    def test_standard_corrections_and_bad_input_raise(self):
        with self.assertRaises(bsp.DimensionError) as e:
            bsp.standard("tee", [100.0, 200.0, 20.0, 150.0], nu=0.3)  # stem wider than the flange
        self.assertEqual((e.exception.code, e.exception.status, e.exception.given["stem"]), (-1, 2, 150.0))
        self.assertLess(e.exception.corrected["stem"], 100.0)
        self.assertIn("D4 (stem) corrected from 150.0", e.exception.message)
        with self.assertRaises(bsp.BSPError):
            bsp.plastic_modulus(15, [10.0, 1.0, 10.0, 2.0])  # lipped channels have none
        for bad in [("teee", [1, 2, 3, 4]), (28, [1]), (8, [1, 2, 3]), (1, [1, "2"])]:
            with self.assertRaises(ValueError, msg=bad):
                bsp.standard(*bad, nu=0.3)

    def test_outline_regions_take_their_polygons_materials(self):
        # A 400 x 400 concrete column whose off-centre hole a 100 x 100 steel core fills: A = 150000 +
        # 7 * 10000 exactly (straight sides); the core given to the concrete region would give 1060000.
        c, s = bsp.Material("c", E=30000.0, nu=0.2), bsp.Material("s", E=210000.0, nu=0.2)
        core = [[250, 250], [350, 250], [350, 350], [250, 350]]
        r = bsp.outline([(c, [[0, 0], [400, 0], [400, 400], [0, 400]], [core]), (s, core[::-1])], level=0)
        self.assertTrue(math.isclose(r.area, 220000.0, rel_tol=1e-12))  # round-off only
        self.assertTrue(math.isclose(r.centroid_y, 50e6 / 220000.0, rel_tol=1e-12))
        self.assertTrue(math.isclose(r.polygons["2"].area, 70000.0, rel_tol=1e-12))

    def test_outline_does_not_depend_on_polygon_order_or_direction(self):
        # A steel core floating in the hole of a concrete square: three regions whatever the order.
        c, s = bsp.Material("c", E=30000.0, nu=0.2), bsp.Material("s", E=210000.0, nu=0.2)
        sq = lambda a, b: [[a, a], [b, a], [b, b], [a, b]]  # noqa: E731
        given = [(c, sq(0, 400), [sq(100, 300)]), (s, sq(150, 250))]
        flipped = [(s, sq(150, 250)[::-1]), (c, sq(0, 400)[::-1], [sq(100, 300)])]
        a, b = (bsp.outline(p, reference=c, level=0).to_dict() for p in (given, flipped))
        self.assertTrue(math.isclose(a["area"], 120000.0 + 7 * 10000.0, rel_tol=1e-12))  # round-off only
        for key in ("area", "i1", "torsion_constant", "alpha_y"):
            self.assertTrue(math.isclose(a[key], b[key], rel_tol=1e-9), key)  # same regions, same meshes

    def test_box_of_four_plates_encloses_a_void(self):
        # Webs standing on the flanges (sides shared in part) enclose a void: A is the plates', J a cell's.
        st = bsp.Material("steel", E=210000.0, nu=0.3)
        rect = lambda y0, z0, y1, z1: [[y0, z0], [y1, z0], [y1, z1], [y0, z1]]  # noqa: E731
        plates = [rect(-500, 980, 500, 1000), rect(-400, 20, -390, 980), rect(390, 20, 400, 980), rect(-500, 0, 500, 20)]
        r = bsp.outline([(st, p) for p in plates], level=1)
        self.assertTrue(math.isclose(r.area, 59200.0, rel_tol=1e-12))  # round-off only
        # Halves about z' = 0: flange 20000 at 490 and two webs 10 x 480 at 240, exact for straight sides.
        self.assertTrue(math.isclose(r.first_moment_z, 2 * (20000 * 490 + 2 * 4800 * 240), rel_tol=1e-9))
        bredt = 4 * (790 * 980) ** 2 / (2 * 790 / 20 + 2 * 980 / 10)
        self.assertTrue(math.isclose(r.torsion_constant, bredt, rel_tol=0.03))  # thin-wall formula, t/b <= 1/40

    def test_first_moments_of_pieces(self):
        c, s = bsp.Material("c", E=30000.0), bsp.Material("s", E=210000.0)
        square = lambda z0, z1: ([[0, z0], [100, z0], [100, z1], [0, z1]], [[1, 2, 3], [1, 3, 4]])  # noqa: E731
        r = bsp.first_moment(parts=[(c, *square(0, 50)), (s, *square(50, 60))], about=(50, 0))
        # 5000 at z 25 and 7 * 1000 at z 55, exact up to round-off.
        self.assertTrue(math.isclose(r.area, 12000.0, rel_tol=1e-12))
        self.assertTrue(math.isclose(r.moment_z, 5000 * 25 + 7000 * 55, rel_tol=1e-12))
        r = bsp.first_moment(polygons=[(c, square(0, 50)[0])], about=(0, 10))
        self.assertTrue(math.isclose(r.moment_z, 5000 * 15, rel_tol=1e-9))  # meshed, round-off only
        with self.assertRaises(bsp.OutlineError):
            bsp.first_moment(polygons=[(c, [[0, 0], [1, 1], [1, 0], [0, 1]])])

    def test_meshed_standard_has_the_block_area_and_second_moments(self):
        block, meshed = (bsp.standard("tee", [200, 300, 20, 12], nu=0.3, meshed=m) for m in (False, True))
        for key in ("area", "i1", "i2", "centroid_z", "plastic_modulus_y"):
            self.assertTrue(math.isclose(meshed.to_dict()[key], block.to_dict()[key], rel_tol=1e-9), key)  # same polygon
        civil = bsp.standard("tee", [200, 300, 20, 12], nu=0.3, meshed=True, stress_point_origin="centroid",
                             stress_point_order=2)
        self.assertEqual(civil.area, meshed.area)

    def test_standard_outlines_enclose_the_library_area(self):
        # The outlines the pictures draw against the library's area (18 and 19 are drawn as polygons).
        dims = [[300, 200], [300, 200, 20, 15], [300, 200, 150, 12, 20, 15], [200, 300, 20, 12], [300, 200, 15, 20],
                [200, 20, 300, 20], [260, 40, 200, 12], [200, 300, 20, 12], [80, 200, 10, 100], [200, 10, 180, 200],
                [200, 20, 180, 200], [20, 10, 200, 300], [200, 300, 20, 12], [300, 200, 10, 12, 15, 20],
                [100, 5, 200, 20], [300, 200, 150, 10, 12], [100, 300, 200], None, None, [200, 150, 12, 15],
                [100, 150, 300, 20, 12], [50, 300, 200, 100], [200, 150, 15, 12], [300, 200, 12, 20, 150, 15],
                [300, 200, 12, 20, 150, 15], [200, 150, 12, 15], [200, 40, 150, 8]]
        for t, d in enumerate(dims, 1):
            if d:
                r = bsp.standard(t, d, nu=0.3)
                rings = bsp.results.standard_shape(t, list(r.dimensions.values()))
                area = sum(0.5 * sum(q[i - 1][0] * q[i][1] - q[i][0] * q[i - 1][1] for i in range(4)) for q in rings)
                self.assertTrue(math.isclose(area, r.area, rel_tol=1e-9), t)  # round-off only

    @unittest.skipUnless(importlib.util.find_spec("matplotlib"), "matplotlib is not installed")
    def test_plot_draws_each_kind(self):
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
        m = bsp.Material("m", E=1.0)
        results = [bsp.mesh([(m, *UNIT_SQUARE)]), bsp.standard("tee", [200, 300, 20, 12], nu=0.3),
                   bsp.outline([(m, [[0, 0], [4, 0], [4, 4], [0, 4]], [[[1, 1], [3, 1], [3, 3], [1, 3]]])],
                               bars=[(m, 0.5, 0.5, 0.4)], stress_points=[[4, 4]])]
        for r in results:
            fig = plt.figure(figsize=(2, 2), dpi=50)
            r.plot(fig.gca()).set_axis_off()
            fig.canvas.draw()
            pixels = fig.canvas.buffer_rgba().tobytes()[0::4]  # red channel
            plt.close(fig)
            self.assertGreater(sum(p < 250 for p in pixels) / len(pixels), 0.01, r.kind)  # some ink

    def test_rejected_section_raises_bsp_error_with_code(self):
        with self.assertRaises(bsp.BSPError) as e:
            bsp.mesh([(bsp.Material("m", E=1.0), UNIT_SQUARE[0], [[1, 2, 9]])])  # node 9 of 4
        self.assertEqual(e.exception.code, -1)
        self.assertTrue(e.exception.message)

    def test_map_equals_serial_and_reports_failures_in_place(self):
        sections = [{"kind": "closed_form", "shape": "rectangle", "dimensions": [1.0 + i, 2.0]} for i in range(20)]
        sections[3] = {"kind": "closed_form", "shape": "box", "dimensions": [1, 1, 0, 0, 0, 0]}
        serial = [bsp._compute_or_error((s, None)) for s in sections]
        for executor in (ThreadPoolExecutor(2), None):
            out = bsp.map(sections, executor=executor)
            self.assertIsInstance(out[3], bsp.BSPError)
            self.assertEqual([r.to_dict() for i, r in enumerate(out) if i != 3],
                             [r.to_dict() for i, r in enumerate(serial) if i != 3])

    def test_readme_example_runs(self):
        code = re.search(r"```python\n(.*?)```", pathlib.Path(ROOT, "README.md").read_text(), re.S).group(1)
        cwd = os.getcwd()
        try:
            os.chdir(ROOT)
            with open(os.devnull, "w") as null, contextlib.redirect_stdout(null):
                exec(compile(code, "README.md", "exec"), {})
        finally:
            os.chdir(cwd)


if __name__ == "__main__":
    unittest.main()
