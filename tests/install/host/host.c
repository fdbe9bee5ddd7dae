/* A host built against an installed libbsp: it compiles with the installed
** header, links the installed library and finds it at run time by itself. */
#include <bsp/bsp.h>
#include <stdio.h>

int main(void) {
  const int32_t code = BSP_ANALYTIC_RECTANGLE;
  const double dimensions[2] = {2.0, 1.0};
  double j = 0.0;
  BSPAnalyticTorsionalConstant(&code, dimensions, &j);
  printf("version %d, J = %.6f\n", (int)BSPVersion(), j);
  return BSPVersion() == BSP_VERSION_NUMBER && j > 0.45 && j < 0.46 ? 0 : 1;
}
