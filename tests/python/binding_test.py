"""The Python package: its export table against the header, its results
against known values and the C exports, its errors and bsp.map."""
import contextlib
import math
import os
import re
import sys
import unittest
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "python"))
import bsp  # noqa: E402

UNIT_SQUARE = ([[0, 0], [1, 0], [1, 1], [0, 1]], [[1, 2, 3], [1, 3, 4]])


class Package(unittest.TestCase):
    def test_export_table_matches_the_header(self):
        with open(os.path.join(ROOT, "include", "bsp", "bsp.h")) as f:
            header = f.read()
        declared = {}
        for m in re.finditer(r"BSP_API\s+((?:const\s+)?\w+(?:\s*\*)?)\s*(\w+)\s*\(([^;]*)\);", header):
            args = re.sub(r"/\*.*?\*/", "", m.group(3), flags=re.S).strip()
            kinds = []
            for a in ([] if args == "void" else args.split(",")):
                base = "d" if "double" in a else "s" if "char" in a else "i"
                kinds.append(base + "*" if "*" in a and base != "s" else base)
            ret = {"int32_t": "int", "void": "void"}.get(m.group(1).strip(), "s")  # "s": const char *
            declared[m.group(2)] = (ret, " ".join(kinds))
        self.assertEqual(declared, bsp.EXPORTS)

    def test_library_version_is_the_header_version(self):
        with open(os.path.join(ROOT, "include", "bsp", "bsp.h")) as f:
            parts = dict(re.findall(r"#define BSP_VERSION_(MAJOR|MINOR|PATCH) (\d+)", f.read()))
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
        # One material: J must not depend on its nu. A reference nu of 0
        # against a material of 0.3 would scale J by 1 / 1.3.
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

    def test_rejected_section_raises_bsp_error_with_code(self):
        nodes, _ = UNIT_SQUARE
        with self.assertRaises(bsp.BSPError) as e:
            bsp.mesh([(bsp.Material("m", E=1.0), nodes, [[1, 2, 9]])])  # node 9 of 4
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
        with open(os.path.join(ROOT, "README.md")) as f:
            code = re.search(r"```python\n(.*?)```", f.read(), re.S).group(1)
        cwd = os.getcwd()
        try:
            os.chdir(ROOT)
            with open(os.devnull, "w") as null, contextlib.redirect_stdout(null):
                exec(compile(code, "README.md", "exec"), {})
        finally:
            os.chdir(cwd)


if __name__ == "__main__":
    unittest.main()
