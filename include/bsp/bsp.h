/*
** libbsp: properties of beam cross-sections.
**
** This header is the whole public contract of the library. A host loads
** libbsp and calls the functions declared here, one section per call; what is
** not written here is not promised.
**
** Conventions that hold for every export unless its block says otherwise:
**   - every argument is passed by address; integers are int32_t, reals are
**     IEEE doubles; arrays belong to the caller and are never kept;
**   - node, point and element numbers inside integer arrays are 1-based;
**   - section coordinates come as two separate arrays (y, z), never
**     interleaved, except output arrays described as pairs;
**   - a call keeps no state: calls on distinct data may run concurrently;
**   - no exception, abort or exit ever leaves the library.
**
** Result codes are below. A host must treat any negative code it does not
** know as failure: new codes may be added, existing values never change.
*/
#ifndef BSP_BSP_H
#define BSP_BSP_H

#include <stdint.h>

#define BSP_VERSION_MAJOR 0
#define BSP_VERSION_MINOR 1
#define BSP_VERSION_PATCH 0

#if defined(_WIN32)
#  if defined(BSP_BUILDING_LIBRARY)
#    define BSP_API __declspec(dllexport)
#  else
#    define BSP_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__) || defined(__clang__)
#  define BSP_API __attribute__((visibility("default")))
#else
#  define BSP_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------
** Result codes
*/
#define BSP_OK         0   /* success */
#define BSP_E_INPUT   (-1) /* an input check failed, or the geometry cannot be
                           ** turned into regions */
#define BSP_E_SOLVER  (-3) /* invalid reference material, or the solver found
                           ** the section degenerate (zero area, non-finite
                           ** result) after the mesh was built */

/* ------------------------------------------------------------------------
** Meshed sections
*/

/* ------------------------------------------------------------------------
** Cracked reinforced sections
*/

/* ------------------------------------------------------------------------
** Closed forms
*/

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* BSP_BSP_H */
