// BSPVersion: the build's version number, taken from the header macros the
// build compiled, so the loaded library and the header a host compiled
// against can be compared at run time.
#include <cstdint>

#include "bsp/bsp.h"

extern "C" BSP_API int32_t BSPVersion(void) { return BSP_VERSION_NUMBER; }
