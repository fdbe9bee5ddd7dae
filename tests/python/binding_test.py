"""The ctypes binding reaches the shared library and converts arguments both ways."""
import math
import os
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


if __name__ == "__main__":
    unittest.main()
