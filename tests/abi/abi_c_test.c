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

int main(void) {
  CHECK(BSP_OK == 0);
  CHECK(BSP_E_INPUT == -1);
  CHECK(BSP_E_SOLVER == -3);
  CHECK(BSP_VERSION_MAJOR >= 0);

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
  }
  return failures == 0 ? 0 : 1;
}
