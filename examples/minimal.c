/* The smallest host: closed-form J and shear areas of a 200 x 100 rectangle. */
#include <bsp/bsp.h>
#include <stdio.h>

int main(void) {
  const int32_t code = BSP_ANALYTIC_RECTANGLE;
  const double dimensions[2] = {200.0, 100.0};
  double j = 0.0, a1 = 0.0, a2 = 0.0;
  BSPAnalyticTorsionalConstant(&code, dimensions, &j);
  BSPAnalyticShearArea(&code, dimensions, &a1, &a2);
  printf("J = %.6g, shear areas %.6g and %.6g\n", j, a1, a2);
  return j > 0.0 ? 0 : 1;
}
