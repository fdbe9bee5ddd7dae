/*
** Compiled as C and linked against libbsp.so only, as a host would: the
** header must be valid C99 and every declared export must resolve.
*/
#include <bsp/bsp.h>

#include <stdio.h>

static int failures = 0;

/* |x|, without asking the host to link the maths library. */
#define ABS(x) ((x) < 0 ? -(x) : (x))

#define CHECK(cond)                                                          \
  do {                                                                       \
    if (!(cond)) {                                                           \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                            \
    }                                                                        \
  } while (0)

/* Meshed sections: a unit square of two 6-node triangles, one part. */
static const double sq_y[9] = {0, 1, 1, 0, 0.5, 1, 0.5, 0.5, 0};
static const double sq_z[9] = {0, 0, 1, 1, 0, 0.5, 0.5, 1, 0.5};
static const int32_t sq_conn[12] = {1, 2, 3, 5, 6, 7, 1, 3, 4, 7, 8, 9};
static const int32_t sq_mat[2] = {1, 1};
static const int32_t sq_part_nodes[1] = {9};
static const int32_t sq_part_elements[1] = {2};

static double distance(double a, double b) { return a > b ? a - b : b - a; }

static void call_meshed_section_exports(void) {
  const int32_t n_nodes = 9, n_elements = 2, n_materials = 1, n_parts = 1, n_bars = 0, six = 1;
  const int32_t n_sp = 1, level = 1, reference = 0;
  const double e_ref = 210000.0, nu_ref = 0.0, w_ref = 1.0;
  const double e[1] = {210000.0}, nu[1] = {0.0}, w[1] = {1.0};
  const double sp_y[1] = {1.0}, sp_z[1] = {1.0};
  const double forces[2] = {0.0, 0.0}, reference_option[2] = {0.0, 0.0};
  double part[BSP_PART_SLOTS] = {0};
  double result[43 + 3] = {0};
  double coords[2] = {0};
  double out1[38] = {0}, out2[4 * 1 * 1 + 6] = {0}, out3[2] = {0}, out4[1] = {0};

  CHECK(BSPPartMain(part, &n_nodes, &n_elements, &n_materials, &n_parts, sq_y, sq_z, sq_conn, sq_mat,
                    sq_part_nodes, sq_part_elements, &e_ref, &nu_ref, &w_ref, e, nu, w, &n_bars, NULL, NULL,
                    NULL, NULL, NULL, &six) == BSP_OK);
  CHECK(distance(part[BSP_PART_AREA], 1.0) < 1e-12);

  CHECK(BSPCombMain(result, coords, &n_nodes, &n_sp, &n_elements, &n_materials, &n_parts, sq_y, sq_z, sp_y, sp_z,
                    sq_conn, sq_mat, sq_part_nodes, sq_part_elements, &e_ref, &nu_ref, &w_ref, e, nu, w, &n_bars,
                    NULL, NULL, NULL, NULL, NULL, &level, &reference, &six) == BSP_OK);
  CHECK(distance(result[BSP_SLOT_AREA], 1.0) < 1e-12);
  CHECK(distance(coords[0], 0.5) < 1e-12);

  CHECK(BSPDetail(out1, out2, out3, out4, &n_nodes, &n_sp, &n_elements, &n_materials, &n_parts, sq_y, sq_z, sp_y,
                  sp_z, sq_conn, sq_mat, sq_part_nodes, sq_part_elements, &e_ref, &nu_ref, e, nu, &n_bars, NULL,
                  NULL, NULL, NULL, forces, forces, forces, reference_option, &six) == BSP_OK);
  CHECK(distance(out1[BSP_SLOT_AREA], 1.0) < 1e-12);
}

/* Outline sections: the unit square as four points and four segments. */
static void call_outline_exports(void) {
  const double py[4] = {0, 1, 1, 0}, pz[4] = {0, 0, 1, 1};
  const int32_t segments[8] = {1, 2, 2, 3, 3, 4, 4, 1};
  const int32_t n_regions = 1, n_bars = 0, n_sp = 1, n_points = 4, n_segments = 4, level = 1, reference = 0;
  const int32_t linear = 0;
  const double e_ref = 210000.0, nu_ref = 0.0, w_ref = 1.0, size = 0.0;
  const double e[1] = {210000.0}, nu[1] = {0.0}, w[1] = {1.0};
  const double sp_y[1] = {1.0}, sp_z[1] = {1.0};
  const double forces[2] = {0.0, 0.0};
  double part[BSP_PART_SLOTS] = {0};
  double result[43 + 3] = {0};
  double coords[2] = {0};
  double out1[38] = {0}, out2[4 * 1 * 1 + 6] = {0}, out3[2] = {0}, out4[1] = {0};

  CHECK(BSPMeshMain(result, coords, &n_regions, &n_bars, NULL, NULL, NULL, &n_sp, sp_y, sp_z, &e_ref, &nu_ref, e, nu,
                    NULL, &w_ref, w, NULL, &n_points, py, pz, &n_segments, segments, &size, &level, &reference,
                    &linear) == BSP_OK);
  CHECK(distance(result[BSP_SLOT_AREA], 1.0) < 1e-12);
  CHECK(distance(result[BSP_SLOT_FIRST_MOMENT_Y], 0.25) < 1e-12);
  CHECK(BSPPartMeshMain(part, &n_regions, &n_bars, NULL, NULL, NULL, &e_ref, &nu_ref, e, nu, NULL, &w_ref, w, NULL,
                        &n_points, py, pz, &n_segments, segments, &size, &linear) == BSP_OK);
  CHECK(distance(part[BSP_PART_AREA], 1.0) < 1e-12);
  CHECK(BSPDetailMesh(out1, out2, out3, out4, &n_regions, &n_bars, NULL, NULL, NULL, &n_sp, sp_y, sp_z, &e_ref,
                      &nu_ref, e, nu, NULL, &n_points, py, pz, &n_segments, segments, &size, forces, forces, forces,
                      forces, &linear) == BSP_OK);
  CHECK(distance(out1[BSP_SLOT_AREA], 1.0) < 1e-12);
}

int main(void) {
  CHECK(BSP_OK == 0);
  CHECK(BSP_E_INPUT == -1);
  CHECK(BSP_E_SOLVER == -3);
  CHECK(BSP_VERSION_MAJOR >= 0);
  CHECK(BSPVersion() == BSP_VERSION_NUMBER);
  CHECK(BSP_VERSION_NUMBER == BSP_VERSION_MAJOR * 1000000 + BSP_VERSION_MINOR * 1000 + BSP_VERSION_PATCH);
  call_meshed_section_exports();
  call_outline_exports();

  /* Cracked reinforced sections: a steel rectangle 100 x 200 is uncracked
  ** on both faces, axis at mid-depth, I = b h^3 / 12. */
  {
    const int32_t table[2] = {1, 0};
    const int32_t edges[12] = {0, 0, 1, 0, 1, 2, 0, 2, 3, 0, 3, 0};
    const double parameters[7] = {200000.0, 0.0, 200000.0, 0.0, 0.0, 0.0, 0.0};
    const double y[4] = {0.0, 100.0, 100.0, 0.0};
    const double z[4] = {0.0, 0.0, 200.0, 200.0};
    double results[BSP_CRACK_N_RESULTS];
    CrackSectionProperty(results, 0, 4, table, edges, NULL, parameters, NULL, y, z);
    CHECK(ABS(results[BSP_CRACK_CENTROID] - 100.0) < 1e-9);
    CHECK(ABS(results[BSP_CRACK_AXIS_UPPER] - 100.0) < 1e-9);
    CHECK(ABS(results[BSP_CRACK_INERTIA_LOWER] - 6.666666666666667e7) < 1e-3);
    CHECK(results[BSP_CRACK_MOMENT_POS] == 1.0 && results[BSP_CRACK_MOMENT_NEG] == -1.0);
  }

  /* Closed forms: rectangle 2 x 1. */
  {
    const int32_t code = BSP_ANALYTIC_RECTANGLE;
    const double dims[2] = {2.0, 1.0};
    double j = -1.0, a1 = -1.0, a2 = -1.0;
    BSPAnalyticTorsionalConstant(&code, dims, &j);
    BSPAnalyticShearArea(&code, dims, &a1, &a2);
    CHECK(ABS(j - 0.45776041666666667) < 1e-14);
    CHECK(ABS(a1 - 1.6666666666666667) < 1e-14 && a1 == a2);
    CHECK(BSPLastError() != NULL && BSPLastError()[0] == '\0'); /* empty after a success */
  }
  /* Last error: a failed call leaves a message naming what failed. */
  {
    const int32_t unknown = 11;
    const double dims[2] = {2.0, 1.0};
    const char *message;
    const char *expected = "shape code 11";
    int i;
    double j = -1.0;
    BSPAnalyticTorsionalConstant(&unknown, dims, &j);
    message = BSPLastError();
    CHECK(j == 0.0 && message != NULL);
    for (i = 0; message != NULL && expected[i] != '\0' && message[i] == expected[i]; ++i) {
    }
    CHECK(expected[i] == '\0');
  }

  /* Standard sections: rectangle 2 high, 4 wide (closed forms, a6 = 2), and
  ** its plastic moduli b h^2 / 4 and h b^2 / 4. */
  {
    const int32_t type = 1, closed = 2, reserved = 0, centroid = 0, order = 1;
    const double nu = 0.0;
    double dims[2] = {2.0, 4.0};
    double result[BSP_STD_RESULT_SIZE];
    double z1 = -1.0, z2 = -1.0;
    BSPMAIN(result, dims, &type, &reserved, &nu, &closed, &reserved);
    CHECK(ABS(result[BSP_SLOT_AREA] - 8.0) < 1e-12);
    CHECK(ABS(result[BSP_STD_SLOT_POINTS] - 2.0) < 1e-12);
    BSPMAIN_EXPAND(result, dims, &type, &reserved, &nu, &closed, &reserved, &centroid, &order);
    CHECK(ABS(result[BSP_STD_SLOT_PLASTIC_MODULUS_Y] - 4.0) < 1e-12);
    CHECK(BSPPlasticModulus(&type, dims, &z1, &z2) == BSP_OK);
    CHECK(ABS(z1 - 4.0) < 1e-12 && ABS(z2 - 8.0) < 1e-12);
  }

  /* The same rectangle through the general meshed path (its area summed over
  ** the triangles to rounding, 2e-12 here). */
  {
    const int32_t type = 1, reserved = 0, level = 0, centroid = 0;
    const double nu = 0.0;
    double dims[2] = {2.0, 4.0};
    double result[BSP_STD_RESULT_SIZE];
    CHECK(BSPMAINGENERAL(result, dims, &type, &reserved, &nu, &reserved, &level, &centroid, &reserved) == 0);
    CHECK(ABS(result[BSP_SLOT_AREA] - 8.0) < 1e-9);
    CHECK(BSPMAINGENCIVIL(result, dims, &type, &reserved, &nu, &reserved, &level, &reserved) == 0);
    CHECK(ABS(result[BSP_SLOT_AREA] - 8.0) < 1e-9);
  }

  /* First moments of the triangle (0,0), (1,0), (0,1): area 1/2, both
  ** moments 1/6 about the origin. */
  {
    const double y[3] = {0.0, 1.0, 0.0}, z[3] = {0.0, 0.0, 1.0}, origin = 0.0, e = 1.0;
    const int32_t tri[3] = {1, 2, 3}, three = 3, one = 1, none = 0;
    double a = -1.0, qz = -1.0, qy = -1.0;
    BSPFirstMomentOfArea(&a, &qz, &qy, &origin, &origin, &three, &one, y, z, tri, &e, &e, &none, NULL, NULL, NULL,
                         NULL);
    CHECK(ABS(a - 0.5) < 1e-15 && ABS(qz - 1.0 / 6.0) < 1e-15 && ABS(qy - 1.0 / 6.0) < 1e-15);
  }

  /* The same through the library's own mesh of the outline of a 2 x 1
  ** rectangle: area 2, moments 1 and 2 about the origin (sums over the
  ** triangles, rounding only). */
  {
    const double py[4] = {0.0, 2.0, 2.0, 0.0}, pz[4] = {0.0, 0.0, 1.0, 1.0}, origin = 0.0, e = 1.0, auto_size = 0.0;
    const int32_t seg[8] = {1, 2, 2, 3, 3, 4, 4, 1}, one = 1, none = 0, four = 4;
    double a = -1.0, qz = -1.0, qy = -1.0;
    CHECK(BSPFirstMomentOfAreaMesh(&a, &qz, &qy, &origin, &origin, &one, &none, NULL, NULL, NULL, &e, &e, NULL,
                                   &four, py, pz, &four, seg, &auto_size) == 0);
    CHECK(ABS(a - 2.0) < 1e-12 && ABS(qz - 1.0) < 1e-12 && ABS(qy - 2.0) < 1e-12);
  }
  return failures == 0 ? 0 : 1;
}
