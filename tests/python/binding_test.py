"""The ctypes binding reaches the shared library and converts arguments both ways."""
import math
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python"))
import libbsp  # noqa: E402


class Binding(unittest.TestCase):
    def test_closed_form_rectangle(self):
        # Code 1 with sides 2 and 1: the values pinned by the closed-form tests.
        self.assertAlmostEqual(libbsp.analytic_torsional_constant(1, [2.0, 1.0]), 0.45776041666666667, places=14)
        a1, a2 = libbsp.analytic_shear_area(1, [2.0, 1.0])
        self.assertAlmostEqual(a1, 5.0 / 3.0, places=14)
        self.assertAlmostEqual(a2, 5.0 / 3.0, places=14)

    def test_cracked_steel_rectangle_is_its_gross_section(self):
        # A steel rectangle 100 x 200 at the reference modulus: nothing cracks,
        # so both axes are the centroid and both cracked moments are b h^3 / 12.
        r = libbsp.crack_section_property(
            material_table=[1, 1], edges=[0, 0, 1, 0, 1, 2, 0, 2, 3, 0, 3, 0], bar_refs=[],
            parameters=[200000.0, 0, 0, 0, 0, 200000.0, 0, 0, 0, 0], bar_records=[],
            node_y=[0, 100, 100, 0], node_z=[0, 0, 200, 200])
        self.assertAlmostEqual(r[0], 100.0, places=9)
        self.assertTrue(math.isclose(r[1], 100.0 * 200.0 ** 3 / 12.0, rel_tol=1e-12))
        self.assertTrue(math.isclose(r[4], r[1], rel_tol=1e-12))

    def test_meshed_unit_square(self):
        # Two 3-node triangles: the library adds the mid-side nodes; area and
        # second moments of the unit square are exact.
        code, result, coords = libbsp.comb_main(
            node_y=[0, 1, 1, 0], node_z=[0, 0, 1, 1], connectivity=[1, 2, 3, 1, 3, 4],
            element_material=[1, 1], part_node_count=[4], part_element_count=[2],
            material_modulus=[1.0], material_poisson=[0.0], stress_y=[1.0], stress_z=[1.0])
        self.assertEqual(code, 0)
        self.assertAlmostEqual(result[0], 1.0, places=14)
        self.assertAlmostEqual(result[1], 1.0 / 12.0, places=14)
        self.assertAlmostEqual(coords[0][0], 0.5, places=14)

    def test_failure_raises_with_code_and_message(self):
        # Node 0 in 1-based connectivity: an input error naming the node.
        with self.assertRaises(libbsp.BSPError) as caught:
            libbsp.comb_main(
                node_y=[0, 1, 1, 0], node_z=[0, 0, 1, 1], connectivity=[0, 1, 2, 1, 3, 4],
                element_material=[1, 1], part_node_count=[4], part_element_count=[2],
                material_modulus=[1.0], material_poisson=[0.0])
        self.assertEqual(caught.exception.code, -1)
        self.assertIn("node 0 of element 1 is out of range 1..4", caught.exception.message)
        with self.assertRaises(libbsp.BSPError) as caught:
            libbsp.analytic_torsional_constant(11, [1.0, 1.0])
        self.assertIsNone(caught.exception.code)
        self.assertIn("shape code 11", caught.exception.message)
        libbsp.analytic_torsional_constant(1, [2.0, 1.0])
        self.assertEqual(libbsp.last_error(), "")

    def test_export_table_matches_the_header(self):
        with open(os.path.join(os.path.dirname(__file__), "..", "..", "include", "bsp", "bsp.h")) as f:
            header = f.read()
        declared = {}
        for m in re.finditer(r"BSP_API\s+((?:const\s+)?\w+\s*\**)\s*(\w+)\s*\(([^;]*)\);", header):
            args = re.sub(r"/\*.*?\*/", "", m.group(3), flags=re.S).split(",")
            kinds = []
            for a in args:
                if a.strip() == "void":
                    continue
                a = a.strip()
                base = "d" if "double" in a else "i"
                kinds.append(base + "*" if "*" in a else base)
            ret = re.sub(r"\s*\*", "*", m.group(1).strip())
            declared[m.group(2)] = ("int" if ret == "int32_t" else ret, kinds)
        self.assertEqual(declared, libbsp.EXPORTS)


if __name__ == "__main__":
    unittest.main()
