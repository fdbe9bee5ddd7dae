/*
** Compiled as C and linked against libbsp.so only, as a host would: the
** header must be valid C99 and every declared export must resolve.
*/
#include <bsp/bsp.h>

#include <stdio.h>

static int failures = 0;

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
  return failures == 0 ? 0 : 1;
}
