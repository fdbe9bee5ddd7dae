/*
** Compiled as C99 and linked against libbsp.so only, as a host would: the header must be valid C,
** every export must resolve, and each family gives a value known in closed form.
*/
#include <bsp/bsp.h>

#include <stdio.h>
#include <string.h>

static int failures = 0;

static void check(int ok, int line, const char *what) {
  if (!ok) {
    fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, line, what);
    ++failures;
  }
}
#define CHECK(cond) check((cond) != 0, __LINE__, #cond)
/* |x - want| <= tol, without asking the host to link the maths library. */
#define NEAR(x, want, tol) check((x) - (want) <= (tol) && (want) - (x) <= (tol), __LINE__, #x)

int main(void) {
  /* The unit square: two 6-node triangles (one part, one material) whose first four nodes are the
  ** corners, also given as four outline segments; one stress point at (1, 1). */
  const double y[9] = {0, 1, 1, 0, 0.5, 1, 0.5, 0.5, 0}, z[9] = {0, 0, 1, 1, 0, 0.5, 0.5, 1, 0.5};
  const int32_t conn[12] = {1, 2, 3, 5, 6, 7, 1, 3, 4, 7, 8, 9}, mat[2] = {1, 1};
  const int32_t seg[8] = {1, 2, 2, 3, 3, 4, 4, 1}, tri[3] = {1, 2, 4};
  const int32_t none = 0, one = 1, two = 2, four = 4, nine = 9;
  const double e = 210000.0, zero = 0.0, unit = 1.0, forces[2] = {0.0, 0.0};
  double part[BSP_PART_SLOTS], result[43 + 3], coords[2], out1[38], out2[4 * 1 * 1 + 6], out3[2], out4[1];
  double a = -1.0, qz = -1.0, qy = -1.0;

  CHECK(BSP_OK == 0 && BSP_E_INPUT == -1 && BSP_E_SOLVER == -3);
  CHECK(BSPVersion() == BSP_VERSION_NUMBER);
  CHECK(BSP_VERSION_NUMBER == BSP_VERSION_MAJOR * 1000000 + BSP_VERSION_MINOR * 1000 + BSP_VERSION_PATCH);

  /* Meshed sections. */
  CHECK(BSPPartMain(part, &nine, &two, &one, &one, y, z, conn, mat, &nine, &two, &e, &zero, &unit, &e, &zero,
                    &unit, &none, NULL, NULL, NULL, NULL, NULL, &one) == BSP_OK);
  NEAR(part[BSP_PART_AREA], 1.0, 1e-12);
  CHECK(BSPCombMain(result, coords, &nine, &one, &two, &one, &one, y, z, &unit, &unit, conn, mat, &nine, &two, &e,
                    &zero, &unit, &e, &zero, &unit, &none, NULL, NULL, NULL, NULL, NULL, &one, &none, &one) == BSP_OK);
  NEAR(result[BSP_SLOT_AREA], 1.0, 1e-12);
  NEAR(coords[0], 0.5, 1e-12);
  CHECK(BSPDetail(out1, out2, out3, out4, &nine, &one, &two, &one, &one, y, z, &unit, &unit, conn, mat, &nine, &two,
                  &e, &zero, &e, &zero, &none, NULL, NULL, NULL, NULL, forces, forces, forces, forces, &one) == BSP_OK);
  NEAR(out1[BSP_SLOT_AREA], 1.0, 1e-12);

  /* Outline sections (element size 0: the library picks it). */
  CHECK(BSPMeshMain(result, coords, &one, &none, NULL, NULL, NULL, &one, &unit, &unit, &e, &zero, &e, &zero, NULL,
                    &unit, &unit, NULL, &four, y, z, &four, seg, &zero, &one, &none, &none) == BSP_OK);
  NEAR(result[BSP_SLOT_AREA], 1.0, 1e-12);
  NEAR(result[BSP_SLOT_FIRST_MOMENT_Y], 0.25, 1e-12);
  CHECK(BSPPartMeshMain(part, &one, &none, NULL, NULL, NULL, &e, &zero, &e, &zero, NULL, &unit, &unit, NULL, &four, y,
                        z, &four, seg, &zero, &none) == BSP_OK);
  NEAR(part[BSP_PART_AREA], 1.0, 1e-12);
  CHECK(BSPDetailMesh(out1, out2, out3, out4, &one, &none, NULL, NULL, NULL, &one, &unit, &unit, &e, &zero, &e, &zero,
                      NULL, &four, y, z, &four, seg, &zero, forces, forces, forces, forces, &none) == BSP_OK);
  NEAR(out1[BSP_SLOT_AREA], 1.0, 1e-12);

  /* First moments of the triangle (0,0), (1,0), (0,1) about the origin: area 1/2, both moments 1/6. */
  BSPFirstMomentOfArea(&a, &qz, &qy, &zero, &zero, &nine, &one, y, z, tri, &unit, &unit, &none, NULL, NULL, NULL,
                       NULL);
  NEAR(a, 0.5, 1e-15);
  NEAR(qz, 1.0 / 6.0, 1e-15);
  NEAR(qy, 1.0 / 6.0, 1e-15);
  { /* The library's own mesh of a 2 x 1 rectangle: area 2, moments 1 and 2 (triangle sums). */
    const double py[4] = {0.0, 2.0, 2.0, 0.0}, pz[4] = {0.0, 0.0, 1.0, 1.0};
    CHECK(BSPFirstMomentOfAreaMesh(&a, &qz, &qy, &zero, &zero, &one, &none, NULL, NULL, NULL, &unit, &unit, NULL,
                                   &four, py, pz, &four, seg, &zero) == BSP_OK);
    NEAR(a, 2.0, 1e-12);
    NEAR(qz, 1.0, 1e-12);
    NEAR(qy, 2.0, 1e-12);
  }

  { /* Cracked sections: a steel rectangle 100 x 200 is uncracked on both faces, axis at mid-depth,
    ** I = b h^3 / 12. */
    const int32_t table[2] = {1, 0}, edges[12] = {0, 0, 1, 0, 1, 2, 0, 2, 3, 0, 3, 0};
    const double parameters[7] = {200000.0, 0.0, 200000.0, 0.0, 0.0, 0.0, 0.0};
    const double cy[4] = {0.0, 100.0, 100.0, 0.0}, cz[4] = {0.0, 0.0, 200.0, 200.0};
    double results[BSP_CRACK_N_RESULTS];
    CrackSectionProperty(results, 0, 4, table, edges, NULL, parameters, NULL, cy, cz);
    NEAR(results[BSP_CRACK_CENTROID], 100.0, 1e-9);
    NEAR(results[BSP_CRACK_AXIS_UPPER], 100.0, 1e-9);
    NEAR(results[BSP_CRACK_INERTIA_LOWER], 6.666666666666667e7, 1e-3);
    CHECK(results[BSP_CRACK_MOMENT_POS] == 1.0 && results[BSP_CRACK_MOMENT_NEG] == -1.0);
  }

  { /* Closed forms of the rectangle 2 x 1; an unknown shape leaves 0 and a message naming it. */
    const int32_t rectangle = BSP_ANALYTIC_RECTANGLE, unknown = 11;
    const double dims[2] = {2.0, 1.0};
    double j = -1.0, a1 = -1.0, a2 = -1.0;
    BSPAnalyticTorsionalConstant(&rectangle, dims, &j);
    BSPAnalyticShearArea(&rectangle, dims, &a1, &a2);
    NEAR(j, 0.45776041666666667, 1e-14);
    NEAR(a1, 1.6666666666666667, 1e-14);
    CHECK(a1 == a2 && BSPLastError() != NULL && BSPLastError()[0] == '\0');
    BSPAnalyticTorsionalConstant(&unknown, dims, &j);
    CHECK(j == 0.0 && BSPLastError() != NULL && strncmp(BSPLastError(), "shape code 11", 13) == 0);
  }

  { /* Standard type 1, 2 high and 4 wide, in closed form (a6 = 2): plastic moduli b h^2 / 4 and
    ** h b^2 / 4; then the general meshed paths (triangle sums, rounding only). */
    double dims[2] = {2.0, 4.0}, z1 = -1.0, z2 = -1.0;
    BSPMAIN(result, dims, &one, &none, &zero, &two, &none);
    NEAR(result[BSP_SLOT_AREA], 8.0, 1e-12);
    NEAR(result[BSP_STD_SLOT_POINTS], 2.0, 1e-12);
    BSPMAIN_EXPAND(result, dims, &one, &none, &zero, &two, &none, &none, &one);
    NEAR(result[BSP_STD_SLOT_PLASTIC_MODULUS_Y], 4.0, 1e-12);
    CHECK(BSPPlasticModulus(&one, dims, &z1, &z2) == BSP_OK);
    NEAR(z1, 4.0, 1e-12);
    NEAR(z2, 8.0, 1e-12);
    CHECK(BSPMAINGENERAL(result, dims, &one, &none, &zero, &none, &none, &none, &none) == BSP_OK);
    NEAR(result[BSP_SLOT_AREA], 8.0, 1e-9);
    CHECK(BSPMAINGENCIVIL(result, dims, &one, &none, &zero, &none, &none, &none) == BSP_OK);
    NEAR(result[BSP_SLOT_AREA], 8.0, 1e-9);
  }
  return failures == 0 ? 0 : 1;
}
