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
**   - a call keeps no state but one: the calling thread's message of its
**     last failed call (BSPLastError); calls on distinct data may run
**     concurrently;
**   - no exception, abort or exit ever leaves the library.
**
** Threads. What a host may do concurrently:
**   - call any exports, the same or different ones, from any number of its
**     threads at once: each call owns all its working data, and a call's
**     results do not depend on what other threads are doing (bit for bit);
**   - share input arrays (those passed as const) between concurrent calls;
**   - call from inside its own OpenMP parallel region (whether the
**     library's own loops then get threads of their own follows the host's
**     nested-parallelism setting).
** What it may not do: let another thread write an array a running call
** reads, read or write an array a running call writes (every output, and
** the in/out `dimensions` of the standard-section exports), or pass one
** output array to two concurrent calls. The one effect a call has beyond
** its arguments is the OpenMP thread count of the exports whose block says
** so: an OpenMP setting of the calling thread, set for the call and
** restored on every path, so other threads' settings are not touched.
** BSPLastError's text is per thread.
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
/* MAJOR * 1000000 + MINOR * 1000 + PATCH, the value BSPVersion returns. */
#define BSP_VERSION_NUMBER \
  (BSP_VERSION_MAJOR * 1000000 + BSP_VERSION_MINOR * 1000 + BSP_VERSION_PATCH)

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
#define BSP_E_INPUT   (-1) /* an input check failed (for the meshed-parts
                           ** exports BSPPartMain, BSPCombMain and BSPDetail
                           ** this includes the reference material), or the
                           ** geometry cannot be turned into regions */
#define BSP_E_SOLVER  (-3) /* invalid reference material of an outline export
                           ** (BSPMeshMain, BSPPartMeshMain, BSPDetailMesh,
                           ** BSPFirstMomentOfAreaMesh), or the solver found
                           ** the section degenerate (zero area, non-finite
                           ** result) after the mesh was built, or the call
                           ** ran out of memory */
/* Out of memory: an export that returns a result code returns BSP_E_SOLVER
** and BSPLastError reads "out of memory"; BSPMAINGENERAL and BSPMAINGENCIVIL,
** which return only 0 or -1, return -1; an export without a result sets its
** documented failure values. In every case the export's failure zeroing is
** done and nothing escapes to the caller. */

/*
** BSPLastError: why the calling thread's last call of this library failed.
**
** Returns: a NUL-terminated one-line text in English naming the check that
**          failed and the first offending item in the caller's numbering
**          (1-based node, element, part and material numbers; 0-based keys,
**          nodes and records for CrackSectionProperty), for instance
**          "node 88 of element 12 is out of range 1..80". Every export that
**          fails (a negative code, or for the exports without a result the
**          documented failure values) sets it; every export that succeeds
**          sets it to "". A mesher failure inside an export is reported with
**          the mesher's own text. Texts are cut at 511 bytes. The wording is
**          for people and may change between versions; hosts decide on the
**          result code.
** Lifetime: the text belongs to the library and stays valid, unchanged,
**          until the calling thread next calls an export other than
**          BSPLastError; copy it to keep it.
** Threads: the message is thread-local: a call on one thread never changes
**          what another thread reads. This per-thread text is the only state
**          the library keeps between calls; BSPLastError itself changes
**          nothing and never fails.
*/
BSP_API const char *BSPLastError(void);

/* ------------------------------------------------------------------------
** Version
*/

/*
** BSPVersion: the version of the library actually loaded.
**
**   (no arguments)
** Returns: BSP_VERSION_NUMBER of the library's own build, that is
**          MAJOR * 1000000 + MINOR * 1000 + PATCH. A host compiled against
**          this header compares it with its own BSP_VERSION_NUMBER; the
**          shared object's SONAME carries MAJOR, so a loaded library with
**          another major version is never picked up by the loader.
** Failure: none.
** Threads: reentrant; no process-wide effect.
*/
BSP_API int32_t BSPVersion(void);

/* ------------------------------------------------------------------------
** Meshed sections
**
** BSPPartMain, BSPCombMain and BSPDetail take a section the host meshed
** itself, part by part: the nodes and elements of part 0, then those of
** part 1, and so on. Nodes on the interface of two parts appear once in each
** part; the library glues the parts (points closer than 1e-8 in model units
** are one node), gives 3-node input a mid-side node per edge, and solves each
** connected piece of the glued mesh as one field problem.
**
** Axes. The section plane has axes y and z. A slot's name says which axis or
** point it belongs to:
**
**   name          meaning                                   pairs with
**   I1            integral of y'^2 dA (y' = y - centroid)   y offsets (slot 24)
**   I2            integral of z'^2 dA                       z offsets (slot 23)
**   I12           integral of y' z' dA
**   ALPHA_Y/_Z    shear-area ratio for a force along y / z
**   TAU_a_OF_Vb   stress component along axis a for a unit shear force
**                 along axis b (Vy: along y, Vz: along z)
**   torsion       shear stress components along y and along z for a unit
**   stresses      rate of twist and a reference shear modulus of 1
**                 (dimension L): multiply by G_ref * theta for a rate of
**                 twist theta, or by T / J for a torque T
**
** Materials. Element material numbers are 1-based indices into the material
** arrays; a negative number -m marks an element of material m as inverted: it
** stays in the mesh as a near-void (stiffness min(1/G, 1e-9 G) in both field
** problems, G of material m) and counts in no area, moment, load or stress. Stiffness-weighted values use E / ref_modulus; the
** area weight (a second constant per material, such as a density) is used
** only for the weighted areas (BSP_SLOT_WEIGHTED_AREA, BSP_PART_WEIGHTED_AREA).
** A bar is a circular inclusion added to the meshed area: its transformed area
** is pi r^2 (bar_modulus / ref_modulus - 1), because the mesh still holds the
** material the bar displaces; likewise its weighted area with the weights.
**
** Units: any consistent length L and force F; moduli in F/L^2; Poisson ratios
** and area weights are plain numbers (only their ratios are used).
*/

/* Section property vector: slots of `result` (BSPCombMain) and of
** `detail_out_1` (BSPDetail), 0-based. n = n_stress_points.          dimension */
#define BSP_SLOT_AREA                 0  /* A, transformed area              L^2 */
#define BSP_SLOT_I1                   1  /* integral y'^2 dA                 L^4 */
#define BSP_SLOT_I2                   2  /* integral z'^2 dA                 L^4 */
#define BSP_SLOT_I12                  3  /* integral y'z' dA; exactly 0 when
                                         ** |I12| / |I1 + I2| < 1e-8         L^4 */
#define BSP_SLOT_TORSION_CONSTANT     4  /* J, Saint-Venant                  L^4 */
                                         /* 5..13: 0 (reserved)                  */
#define BSP_SLOT_ALPHA_Y             14  /* shear-area ratio, force along y    1 */
#define BSP_SLOT_ALPHA_Z             15  /* shear-area ratio, force along z    1 */
                                         /* 16: 0 (reserved)                     */
#define BSP_SLOT_CENTROID_Y          17  /*                                    L */
#define BSP_SLOT_CENTROID_Z          18  /*                                    L */
#define BSP_SLOT_CENTROID_MINUS_SC_Y 19  /* centroid y - shear centre y; exactly
                                         ** 0 when |value| / sqrt(A) < 1e-4    L */
#define BSP_SLOT_CENTROID_MINUS_SC_Z 20  /* likewise in z                      L */
#define BSP_SLOT_WARPING_CONSTANT    21  /* Iw about the shear centre        L^6 */
#define BSP_SLOT_PRINCIPAL_ANGLE_DEG 22  /* 0.5 atan(2 I12 / -(I1 - I2)) in
                                         ** degrees; 45 when I1 = I2 and I12 is
                                         ** not 0; 0 when I12 = 0          (level >= 1) */
#define BSP_SLOT_MODULUS_Z           23  /* I2 / extreme z offset of the stress
                                         ** points (sign kept: of the largest and
                                         ** the smallest offset the one of larger
                                         ** magnitude, the smallest on a tie);
                                         ** 0 without stress points or when that
                                         ** offset is below 1e-9 sqrt(A), the
                                         ** rounding of points on the axis
                                         **                            L^3 (level >= 1) */
#define BSP_SLOT_MODULUS_Y           24  /* I1 / extreme y offset, likewise  L^3 (level >= 1) */
#define BSP_SLOT_RADIUS_Z            25  /* sqrt(I2 / A)              L (level >= 1) */
#define BSP_SLOT_RADIUS_Y            26  /* sqrt(I1 / A)              L (level >= 1) */
#define BSP_SLOT_RADIUS_MAJOR        27  /* sqrt((m + r) / A), m = (I1 + I2)/2,
                                         ** r = sqrt(((I1 - I2)/2)^2 + I12^2)
                                         **                           L (level >= 1) */
#define BSP_SLOT_RADIUS_MINOR        28  /* sqrt((m - r) / A)         L (level >= 1) */
#define BSP_SLOT_RADIUS_POLAR_SC     29  /* sqrt(s19^2 + s20^2 + (I1 + I2)/A)
                                         **                           L (level >= 1) */
#define BSP_SLOT_FIRST_MOMENT_Y      30  /* |integral of y' dA over y' > 0| +
                                         ** |the same over y' < 0|: the first
                                         ** moments of the two parts the axis
                                         ** y' = 0 cuts the section into, bars
                                         ** included (see BSPMeshMain); 0 from
                                         ** the meshed-section exports
                                         **                          L^3 (level >= 1) */
#define BSP_SLOT_FIRST_MOMENT_Z      31  /* likewise with z'          L^3 (level >= 1) */
#define BSP_SLOT_WEIGHTED_AREA       32  /* sum of (w / ref_area_weight) dA over
                                         ** elements that are not inverted, plus
                                         ** pi r^2 (bar_area_weight/ref_area_weight
                                         ** - 1) per bar                     L^2 */
#define BSP_SLOT_TORSION_STRESS_MAX  33  /* largest torsion stress magnitude (see
                                         ** the axes table)                    L */
#define BSP_SLOT_TAU_Y_OF_VY         34  /* slots 34, 36: the pair at the point   */
#define BSP_SLOT_TAU_Z_OF_VY         35  /* where |34 + 36| is largest; 35, 37:    */
#define BSP_SLOT_TAU_Y_OF_VZ         36  /* the pair where |35 + 37| is largest;   */
#define BSP_SLOT_TAU_Z_OF_VZ         37  /* per unit shear force          1/L^2 */
#define BSP_SLOT_STRESS_POINTS       38  /* level >= 2, from this slot:
                                         **   38 .. 37+n      warping value at each
                                         **                   stress point, the
                                         **                   E-weighted mean of each
                                         **                   connected piece removed  L^2
                                         **   38+n .. 37+2n   torsion stress along y  L
                                         **   38+2n .. 37+3n  torsion stress along z  L
                                         **   38+3n .. 41+3n  0 (reserved)
                                         ** below level 2 all of 38 .. 41+3n are 0 */
#define BSP_SLOT_POLAR_MOMENT_SC(n)  (42 + 3 * (n)) /* integral of the squared
                                         ** distance from the shear centre, bars
                                         ** left out                  L^4 (level >= 1) */
#define BSP_SLOT_EXTREMES(n)         (43 + 3 * (n)) /* level >= 3: for the six
                                         ** fields TAU_Y_OF_VY, TAU_Z_OF_VY,
                                         ** TAU_Y_OF_VZ, TAU_Z_OF_VZ, torsion along
                                         ** y, torsion along z, in this order:
                                         **   +0 .. +11   (y, z) of the point where
                                         **               |field| is largest, 6 pairs
                                         **   +12 .. +17  the signed largest values
                                         **   +18 .. +29  that point minus the stress
                                         **               reference point, 6 pairs   */

/* Part result: BSP_PART_SLOTS doubles per material m (1-based) at
** part_result[BSP_PART_SLOTS * (m - 1) + offset]; all 0 for a material that no
** element and no bar uses. Bars belong to the material of the element nearest
** to them.                                                                */
#define BSP_PART_SLOTS               10
#define BSP_PART_AREA                 0  /* transformed area, bars included  L^2 */
#define BSP_PART_CENTROID_Y           1  /*                                    L */
#define BSP_PART_CENTROID_Z           2  /*                                    L */
#define BSP_PART_I1                   3  /* integral (y - part centroid y)^2 dA L^4 */
#define BSP_PART_I2                   4  /* integral (z - part centroid z)^2 dA L^4 */
#define BSP_PART_TORSION_CONSTANT     5  /* the material's share of J        L^4 */
#define BSP_PART_ALPHA_Y              6  /* shear-area ratio, force along y    1 */
#define BSP_PART_ALPHA_Z              7  /* shear-area ratio, force along z    1 */
#define BSP_PART_WARPING              8  /* the material's share of Iw       L^6 */
#define BSP_PART_WEIGHTED_AREA        9  /* as BSP_SLOT_WEIGHTED_AREA        L^2 */

/* Meshed-parts arguments shared by the three exports below (all by address):
**
**   n_nodes             in  int32               >= 0, all parts together
**   n_elements          in  int32               >= 0
**   n_materials         in  int32               >= 0
**   n_parts             in  int32               >= 0
**   node_y, node_z      in  double[n_nodes]     coordinates, L, finite
**   connectivity        in  int32[k*n_elements] node numbers 1..n_nodes,
**                                               element e at k*e .. k*e+k-1;
**                                               k = 3 (corners) or 6 (corners,
**                                               then mid-sides of edges 1-2,
**                                               2-3, 3-1), counter-clockwise
**   element_material    in  int32[n_elements]   +-1 .. +-n_materials, not 0;
**                                               negative: inverted (see above)
**   part_node_count     in  int32[n_parts]      each >= 0, sum = n_nodes
**   part_element_count  in  int32[n_parts]      each >= 0, sum = n_elements;
**                                               part p's elements follow those
**                                               of parts 0 .. p-1
**   ref_modulus         in  double              > 0, F/L^2
**   ref_poisson         in  double              0 .. 0.5
**   material_modulus    in  double[n_materials] each > 0, F/L^2
**   material_poisson    in  double[n_materials] each 0 .. 0.5
**   n_bars              in  int32               >= 0
**   bar_radius          in  double[n_bars]      >= 0, L
**   bar_y, bar_z        in  double[n_bars]      bar centres, L, finite
**   bar_modulus         in  double[n_bars]      >= 0, F/L^2
**   six_node_elements   in  int32               0: k = 3; otherwise k = 6
**
** An array whose size formula gives 0 may be NULL. The input checks fail
** (BSP_E_INPUT) when a pointer is NULL where data is needed, a count is
** negative, a sum above does not match on its own, a node number or material
** number is out of range, a value is not finite or outside its range, when
** k = 3 and n_nodes + 3 n_elements exceeds 2^31 - 1. After gluing, the mesh
** itself is checked and also fails with BSP_E_INPUT when:
**   - an element is clockwise, collapsed (corners collinear or coincident)
**     or folded by its mid-side nodes (Jacobian determinant not positive at
**     one of its integration points);
**   - two elements overlap: their corner triangles share an area (touching
**     along an edge or at a corner is fine; the test allows 1e-8 of the
**     larger element's longest edge);
**   - a node hangs: it lies strictly inside an edge of an element that does
**     not use it (within 1e-8 of the edge's length), the mark of two parts
**     whose interface nodes do not line up. Mesh the parts so that every
**     interface node of one is a node of the other.
** Elements are judged by their corner triangles. Nothing outside the
** documented sizes is read. BSPLastError names the first failing check and
** item: node and element numbers as the caller gave them (1-based, elements
** counted over all parts) with the element's part.
** BSP_E_SOLVER is returned when the section has no positive area or a result
** is not finite (for instance a section of inverted elements only).
*/

/*
** BSPPartMain: section properties per material.
**
**   part_result         out double[10*n_materials] layout BSP_PART_*
**   n_nodes .. n_parts  in  as above
**   node_y, node_z, connectivity, element_material, part_node_count,
**   part_element_count  in  as above
**   ref_modulus, ref_poisson      in  as above
**   ref_area_weight     in  double              > 0
**   material_modulus, material_poisson  in  as above
**   material_area_weight in double[n_materials] finite
**   n_bars, bar_radius, bar_y, bar_z, bar_modulus  in  as above
**   bar_area_weight     in  double[n_bars]      finite
**   six_node_elements   in  as above
** Units:   see "Meshed sections"; each part slot states its dimension.
** Returns: BSP_OK; BSP_E_INPUT when an input check fails; BSP_E_SOLVER when
**          the section has no positive area or a part slot is not finite.
** Failure: part_result[0 .. 10*n_materials) is zero; nothing else is
**          written. When n_materials itself is negative or its pointer NULL
**          nothing is written at all.
** Threads: reentrant on distinct data. Sets the calling thread's OpenMP
**          thread count for the call and restores it on every path.
*/
BSP_API int32_t BSPPartMain(double *part_result,                 /* out */
                            const int32_t *n_nodes,              /* in */
                            const int32_t *n_elements,           /* in */
                            const int32_t *n_materials,          /* in */
                            const int32_t *n_parts,              /* in */
                            const double *node_y,                /* in */
                            const double *node_z,                /* in */
                            const int32_t *connectivity,         /* in */
                            const int32_t *element_material,     /* in */
                            const int32_t *part_node_count,      /* in */
                            const int32_t *part_element_count,   /* in */
                            const double *ref_modulus,           /* in */
                            const double *ref_poisson,           /* in */
                            const double *ref_area_weight,       /* in */
                            const double *material_modulus,      /* in */
                            const double *material_poisson,      /* in */
                            const double *material_area_weight,  /* in */
                            const int32_t *n_bars,               /* in */
                            const double *bar_radius,            /* in */
                            const double *bar_y,                 /* in */
                            const double *bar_z,                 /* in */
                            const double *bar_modulus,           /* in */
                            const double *bar_area_weight,       /* in */
                            const int32_t *six_node_elements);   /* in */

/*
** BSPCombMain: the section property vector of a meshed section.
**
**   result              out double[R]           layout BSP_SLOT_*, with
**                                               R = 39 + 3n at level 0,
**                                               43 + 3n at levels 1 and 2,
**                                               73 + 3n from level 3
**                                               (n = n_stress_points); all R
**                                               doubles are written
**   stress_coords       out double[2n]          pairs (y, z): each stress point
**                                               minus the reference point
**   n_nodes             in  as above
**   n_stress_points     in  int32               >= 0
**   n_elements, n_materials, n_parts, node_y, node_z  in  as above
**   stress_y, stress_z  in  double[n]           points, L, finite
**   connectivity, element_material, part_node_count, part_element_count,
**   ref_modulus, ref_poisson  in  as above
**   ref_area_weight     in  double              > 0
**   material_modulus, material_poisson  in  as above
**   material_area_weight in double[n_materials] finite
**   n_bars, bar_radius, bar_y, bar_z, bar_modulus  in  as above
**   bar_area_weight     in  double[n_bars]      finite
**   analysis_level      in  int32               0: slots 0..21, 32..37 (22..31
**                                               and 38 .. R-1 are 0); 1: also
**                                               22..29 and the polar moment;
**                                               2: also the stress-point block;
**                                               3 or more: also the extremes.
**                                               Negative reads as 0.
**   stress_reference    in  int32               0: offsets from the centroid,
**                                               otherwise from the shear centre
**                                               (stress_coords, slots 23, 24 and
**                                               the extremes' offsets)
**   six_node_elements   in  as above
** Units:   see "Meshed sections"; each slot states its dimension.
** Returns: BSP_OK; BSP_E_INPUT when an input check fails; BSP_E_SOLVER when
**          the area is not positive or a written value is not finite.
** Failure: result[0 .. R) and stress_coords[0 .. 2n) are zero; nothing else
**          is written. When n_stress_points is negative or a pointer to it
**          or to analysis_level is NULL, nothing is written at all.
** Threads: reentrant on distinct data. Sets the calling thread's OpenMP
**          thread count for the call and restores it on every path.
*/
BSP_API int32_t BSPCombMain(double *result,                      /* out */
                            double *stress_coords,               /* out */
                            const int32_t *n_nodes,              /* in */
                            const int32_t *n_stress_points,      /* in */
                            const int32_t *n_elements,           /* in */
                            const int32_t *n_materials,          /* in */
                            const int32_t *n_parts,              /* in */
                            const double *node_y,                /* in */
                            const double *node_z,                /* in */
                            const double *stress_y,              /* in */
                            const double *stress_z,              /* in */
                            const int32_t *connectivity,         /* in */
                            const int32_t *element_material,     /* in */
                            const int32_t *part_node_count,      /* in */
                            const int32_t *part_element_count,   /* in */
                            const double *ref_modulus,           /* in */
                            const double *ref_poisson,           /* in */
                            const double *ref_area_weight,       /* in */
                            const double *material_modulus,      /* in */
                            const double *material_poisson,      /* in */
                            const double *material_area_weight,  /* in */
                            const int32_t *n_bars,               /* in */
                            const double *bar_radius,            /* in */
                            const double *bar_y,                 /* in */
                            const double *bar_z,                 /* in */
                            const double *bar_modulus,           /* in */
                            const double *bar_area_weight,       /* in */
                            const int32_t *analysis_level,       /* in */
                            const int32_t *stress_reference,     /* in */
                            const int32_t *six_node_elements);   /* in */

/*
** BSPDetail: stresses at the stress points for given section forces.
** Area weights are the moduli (no separate weights). n = n_stress_points,
** M = n_materials.
**
**   detail_out_1        out double[38]          slots 0..37 of the section
**                                               property vector (BSP_SLOT_*),
**                                               as BSPCombMain at level 1
**   detail_out_2        out double[4*n*M + 6]   stresses, F/L^2: for material m
**                                               (0-based) and point i at
**                                               4*(m*n + i) + c: c = 0 normal
**                                               stress, 1 shear along y, 2 shear
**                                               along z, 3 von Mises
**                                               sqrt(s^2 + 3 t^2), each as if the
**                                               point were of material m; then at
**                                               4*n*M: largest and smallest
**                                               normal stress, largest shear
**                                               magnitude, largest von Mises, and
**                                               the 1-based point and material of
**                                               that von Mises value (all 0 when
**                                               n*M = 0)
**   detail_out_3        out double[2n]          pairs (y, z): each stress point
**                                               minus the reference point, L
**   detail_out_4        out double[n]           1-based material of the element
**                                               that contains each point; 0 when
**                                               none does or it is inverted
**   n_nodes             in  as above
**   n_stress_points     in  int32               >= 0
**   n_elements, n_materials, n_parts, node_y, node_z  in  as above
**   stress_y, stress_z  in  double[n]           points, L, finite
**   connectivity, element_material, part_node_count, part_element_count,
**   ref_modulus, ref_poisson, material_modulus, material_poisson  in  as above
**   n_bars, bar_radius, bar_y, bar_z, bar_modulus  in  as above
**   detail_option_1     in  double[2]           (N, T): axial force (tension
**                                               positive, F) and torque (F L)
**   detail_option_2     in  double[2]           (V_y, V_z): shear forces, F
**   detail_option_3     in  double[2]           (M_y, M_z): bending moments as
**                                               resultants about the centroid,
**                                               M_y = integral s z' dA and
**                                               M_z = integral s y' dA (F L):
**                                               each puts tension on the positive
**                                               side of its offset axis
**   detail_option_4     in  double[2]           (stress reference, unused):
**                                               0 centroid, otherwise shear
**                                               centre, for detail_out_3
**   six_node_elements   in  as above
** All option values must be finite. Stresses of material m at a point with
** offsets (y', z') from the centroid:
**   normal  E_m / ref_modulus * (N/A + a y' + b z'), where
**           I1 a + I12 b = M_z and I12 a + I2 b = M_y (plane sections);
**   shear   V_y and V_z times the stresses of unit shear forces through the
**           shear centre, plus T / J times the torsion stresses per unit
**           twist, computed in the element that contains the point and scaled
**           by G_m / G of that element's material (G = E / (2 (1 + nu)));
**           0 when no element, or an inverted one, contains the point.
** Units:   see "Meshed sections".
** Returns: BSP_OK; BSP_E_INPUT when an input check fails; BSP_E_SOLVER when
**          the area is not positive or a written value is not finite.
** Failure: detail_out_1[0 .. 38), detail_out_2[0 .. 4*n*M + 6),
**          detail_out_3[0 .. 2n) and detail_out_4[0 .. n) are zero; nothing
**          else is written. When n or M is negative or its pointer NULL,
**          nothing is written at all.
** Threads: reentrant on distinct data. Sets the calling thread's OpenMP
**          thread count for the call and restores it on every path.
*/
BSP_API int32_t BSPDetail(double *detail_out_1,                  /* out */
                          double *detail_out_2,                  /* out */
                          double *detail_out_3,                  /* out */
                          double *detail_out_4,                  /* out */
                          const int32_t *n_nodes,                /* in */
                          const int32_t *n_stress_points,        /* in */
                          const int32_t *n_elements,             /* in */
                          const int32_t *n_materials,            /* in */
                          const int32_t *n_parts,                /* in */
                          const double *node_y,                  /* in */
                          const double *node_z,                  /* in */
                          const double *stress_y,                /* in */
                          const double *stress_z,                /* in */
                          const int32_t *connectivity,           /* in */
                          const int32_t *element_material,       /* in */
                          const int32_t *part_node_count,        /* in */
                          const int32_t *part_element_count,     /* in */
                          const double *ref_modulus,             /* in */
                          const double *ref_poisson,             /* in */
                          const double *material_modulus,        /* in */
                          const double *material_poisson,        /* in */
                          const int32_t *n_bars,                 /* in */
                          const double *bar_radius,              /* in */
                          const double *bar_y,                   /* in */
                          const double *bar_z,                   /* in */
                          const double *bar_modulus,             /* in */
                          const double *detail_option_1,         /* in */
                          const double *detail_option_2,         /* in */
                          const double *detail_option_3,         /* in */
                          const double *detail_option_4,         /* in */
                          const int32_t *six_node_elements);     /* in */


/* ------------------------------------------------------------------------
** Standard sections
**
** A standard section is one of 27 parametric shapes chosen by its section
** type and described by a few dimensions D1, D2, ... = dimensions[0], [1], ...
** in any consistent length unit L. Coordinates (y, z) are in the shape's own
** frame. Dimensions read per type: 1 (type 19); 2 (1, 18); 3 (17);
** 5 (16, 21); 6 (3, 14, 24, 25); 4 (every other type).
**   1  solid rectangle: D1 height (z), D2 width (y)
**   2  U trough open at the top: D1 height, D2 width, D3 bottom plate, D4 walls
**   3  I with unequal flanges, depth along y: D1 depth, D2 D3 flange widths at
**      y = 0 and y = D1, D4 web, D5 D6 flange thicknesses at y = 0 and D1
**   4  T along y, flange at the far end: D1 flange width, D2 depth, D3 flange
**      thickness, D4 stem thickness
**   5  box: D1 height, D2 width, D3 side walls, D4 top and bottom
**   6  cross: D1 + D2 height, D2 horizontal bar, D3 width, D4 vertical bar
**   7  I along z: D1 clear web height, D2 both flange thicknesses together,
**      D3 flange width, D4 web
**   8  T, flange on top: D1 flange width, D2 stem below it, D3 flange, D4 stem
**   9  Z: D1 flange beyond the web, D2 web, D3 clear width, D4 total width
**   10 channel open at the top: D1 legs beyond the web, D2 web, D3 clear
**      width, D4 total width
**   11 H: D1 + D2 height, D2 web, D3 clear width, D4 total width
**   12 channel open towards +y: D1 flange, D2 web, D3 depth, D4 height
**   13 T on its side, flange at y = 0: D1 flange width, D2 depth, D3 flange,
**      D4 stem
**   14 box of four walls: D1 height, D2 width, D3 wall at y = D2, D4 at y = 0,
**      D5 top, D6 bottom
**   15 channel with outward lips: D1 width, D2 plate, D3 flange-to-flange
**      depth, D4 lip length
**   16 plate with a box: D1 plate height, D2 depth, D3 box height, D4 box
**      wall, D5 plate thickness
**   17 hexagon, pointed top and bottom: D1 rise, D2 height, D3 width
**   18 tube: D1 outer, D2 inner radius      19 solid circle: D1 radius
**   20 angle, legs at y = 0 and at the bottom: D1 height, D2 width, D3
**      vertical leg, D4 horizontal leg
**   21 T on its side, stem off centre: D1 D2 flange below and above the stem,
**      D3 depth, D4 flange, D5 stem
**   22 octagon: D1 chamfer, D2 height, D3 width, D4 flat top and bottom
**   23 angle, vertical leg at y = D2: D1 height, D2 width, D3 horizontal leg,
**      D4 vertical leg
**   24 I with unequal flanges along z: D1 height, D2 top flange width, D3 web,
**      D4 top flange, D5 bottom flange width, D6 bottom flange
**   25 channel with unequal flanges open towards +y: as 24
**   26 angle with the leg on top: D1 height, D2 width, D3 web, D4 top leg
**   27 hat: D1 height, D2 brim width, D3 outer crown width, D4 plate
**
** Validation (every export below, in place: `dimensions` is in/out). A value
** below 1e-7 or not finite is replaced by max(1e-5, 1e-5 * the smallest
** positive dimension) and the relational rules are skipped; a value above
** 1e7 is kept and flagged; a relational rule that fails (for example a
** flange thicker than the depth) shrinks the offending dimensions to
** 0.99999 of their limit, a pair of dimensions by one common factor. The
** factors are the single-precision values of 0.99999, 1e-5 and 1e-7.
** A call whose dimensions were changed or flagged returns no properties
** (zeros), so a host detects it from the zeros and its own array.
*/

/* Slots of the standard-section result vector beyond the BSP_SLOT_* ones.
** Slots 0-4, 14-22 and 25-29, 32-37 are as BSP_SLOT_*.                       */
#define BSP_STD_RESULT_SIZE             38 /* doubles written: slots 0..37 */
#define BSP_STD_SLOT_POINTS              5 /* 5..12: four stress points y1, z1,
                                           ** .. y4, z4 relative to the origin
                                           ** chosen (BSPMAIN: shear centre)  L */
#define BSP_STD_SLOT_PLASTIC_MODULUS_Y  30 /* sum |z - z_p| dA, z_p halving the
                                           ** area (bending about y); the
                                           ** meshed exports keep 0 here    L^3 */
#define BSP_STD_SLOT_PLASTIC_MODULUS_Z  31 /* sum |y - y_p| dA               L^3 */

/*
** BSPMAIN: the property vector of a standard section, with four stress points
** and the elastic section moduli.
**
**   result        out    double[38]   slots 0..37, layout BSP_SLOT_* and
**                                     BSP_STD_SLOT_*: 5..12 the stress points
**                                     (type-1 order) relative to the shear
**                                     centre; 23 = I2 / the z of largest |z| and
**                                     24 = I1 / the y of largest |y| of the same
**                                     points measured from the centroid (sign
**                                     kept, the first point on a tie); 30, 31
**                                     plastic moduli (0 for types 15, 16, 17,
**                                     27); 13 and 16 are 0. Slot 21 is the
**                                     warping constant; slots 34..37 per unit
**                                     shear force; slot 33 per unit twist.
**   dimensions    in/out double[n]    n by type (above), L; corrected in place
**   section_type  in     int32        1..27
**   a4            in     int32        reserved, not read (may be NULL)
**   poisson       in     double       Poisson's ratio nu of the homogeneous
**                                     material, finite, > -1. At or below 1e-10
**                                     slots 34..37 are the classical maxima
**                                     V Q / (I b): 34 and 37, 35 = 36 = 0.
**   a6            in     int32        2: closed forms for types 1-5 and 20
**                                     (exact area, centroid and moments;
**                                     thin-walled J, shear areas, shear centre,
**                                     warping constant); any other value or
**                                     NULL: the meshed analysis. Types 18 and
**                                     19 always use closed forms, types without
**                                     them always the mesh.
**   a7            in     int32        reserved, not read (may be NULL)
** Units:   any consistent L; slots as BSP_SLOT_*.
** Returns: nothing.
** Failure: slots 0..37 are 0 when nu is not finite or <= -1, when the type
**          is outside 1..27, or when section_type, poisson or (for a known
**          type) dimensions is NULL. When the validation replaced, flagged or
**          shrank a dimension, the corrected values are in `dimensions` and
**          slots 0..37 are 0 except 5..12, the stress points of the corrected
**          dimensions about the shape's origin. A NULL result writes nothing.
** Threads: reentrant on distinct data. Sets the calling thread's OpenMP
**          thread count for the call and restores it on every path.
*/
BSP_API void BSPMAIN(double *result,                /* out */
                     double *dimensions,            /* in/out */
                     const int32_t *section_type,   /* in */
                     const int32_t *a4,             /* in, reserved */
                     const double *poisson,         /* in */
                     const int32_t *a6,             /* in */
                     const int32_t *a7);            /* in, reserved */

/*
** BSPMAIN_EXPAND: BSPMAIN with a choice of origin and order of the stress
** points.
**
**   result .. a7  as BSPMAIN
**   offset_mode   in     int32        0: stress points relative to the
**                                     centroid; otherwise (or NULL) to the
**                                     shear centre
**   point_order   in     int32        0: type-2 points (mostly the type-1
**                                     points rotated by one; the two corners of
**                                     the stem end for types 4 and 8);
**                                     otherwise (or NULL) type-1 points
** Units, Returns, Failure, Threads: as BSPMAIN.
*/
BSP_API void BSPMAIN_EXPAND(double *result,                /* out */
                            double *dimensions,            /* in/out */
                            const int32_t *section_type,   /* in */
                            const int32_t *a4,             /* in, reserved */
                            const double *poisson,         /* in */
                            const int32_t *a6,             /* in */
                            const int32_t *a7,             /* in, reserved */
                            const int32_t *offset_mode,    /* in */
                            const int32_t *point_order);   /* in */

/*
** BSPPlasticModulus: the two plastic moduli of a standard section.
**
**   section_type       in     int32      1..14, 18..26 have moduli
**   dimensions         in/out double[n]  as BSPMAIN, corrected in place
**   plastic_modulus_1  out    double     sum |z - z_p| dA about the line z_p
**                                        that halves the area (bending about
**                                        y), L^3
**   plastic_modulus_2  out    double     sum |y - y_p| dA, L^3
** Returns: BSP_OK; BSP_E_INPUT (-1) when the validation changed or flagged a
**          dimension, for types 15, 16, 17, 27 and any type outside 1..27,
**          or when a pointer is NULL.
** Failure: both outputs 0.0 (each set to 0.0 first when not NULL).
** Threads: reentrant; no process-wide effect.
*/
BSP_API int32_t BSPPlasticModulus(const int32_t *section_type,  /* in */
                                  double *dimensions,           /* in/out */
                                  double *plastic_modulus_1,    /* out */
                                  double *plastic_modulus_2);   /* out */


/* ------------------------------------------------------------------------
** Outline sections
**
** BSPMeshMain, BSPPartMeshMain and BSPDetailMesh take a section the way an
** engineer draws it: points, straight segments between them, a material per
** closed region and optional circular bars. The library finds the regions
** the segments enclose, meshes every region that is not a hole in 6-node
** triangles, glues the region meshes (regions that share a point form one
** connected piece, solved as one field problem) and solves as the
** meshed-section exports do.
**
** Regions. Every closed area the segments enclose is a region, holes
** included: a 10 x 6 rectangle drawn with a 2 x 2 square inside it has two
** regions, the rectangle less the square, and the square. Segments that
** enclose nothing (a line hanging from a corner) are dropped; a segment
** inside a region and joined to its boundary becomes a line the mesh
** follows. The region constants (region_modulus, region_poisson,
** region_area_weight) give one entry per region in the order the regions
** are found: the segments are visited in the order given, and each segment
** that does not yet bound a found region starts the next region, namely the
** region to the LEFT of the segment walked from its first to its second
** point. A segment on the outside of the drawing bounds one region only and
** starts that region whichever way it runs. The region to the right of a
** segment that two regions share is reached only after every segment has
** been visited, so a region all of whose segments are shared and all given
** with it on their right comes after every other region. Drawing each
** region's first segment counter-clockwise around it gives the regions in
** the order of their first segments.
**
** A region_modulus of exactly 0.0 marks a hole: it is not meshed and its
** Poisson ratio and area weight are not read. Any other modulus must be
** finite and > 0.
**
** Element size. element_size 0.0 chooses it: with L_max and L_min the
** longest and shortest segment, a = L_max / 15 and b = L_min / 2; the size is
** min(a, b) when both are at least 1, otherwise the outline is scaled by
** f = max(2/a, 2/b) and meshed at size min(a f, b f) in scaled units. A
** given element_size h below 0.02 (negative values included) scales the
** outline by f = 2/h and meshes at size 2. Every segment is cut into
** round(L / h) equal pieces (halves away from zero; at least one). Results
** are in the caller's units whatever the scaling. A size that would cut the
** segments into more than 5e5 pieces, or mesh the solid regions into more
** than an estimated 5e5 triangles (two per h x h square of area), is
** rejected with BSP_E_INPUT before anything is meshed (the banded solver
** would need some 18 GB at that size).
**
** linear_elements is read and has no effect: the solver takes 6-node
** triangles only, so the mesh is always of 6-node triangles.
**
** Outline arguments shared by the three exports below (all by address):
**
**   n_regions           in  int32               >= 0; the number of regions
**                                               the segments enclose, holes
**                                               included
**   n_bars              in  int32               >= 0
**   bar_radius          in  double[n_bars]      >= 0, L
**   bar_y, bar_z        in  double[n_bars]      bar centres, L, finite
**   ref_modulus         in  double              > 0, F/L^2
**   ref_poisson         in  double              0 .. 0.5
**   region_modulus      in  double[n_regions]   0.0: hole; otherwise > 0, F/L^2
**   region_poisson      in  double[n_regions]   0 .. 0.5 (holes: not read)
**   bar_modulus         in  double[n_bars]      >= 0, F/L^2
**   n_points            in  int32               >= 0
**   point_y, point_z    in  double[n_points]    L, finite
**   n_segments          in  int32               >= 1
**   segments            in  int32[2*n_segments] pairs (first point, second
**                                               point), 1-based in 1..n_points;
**                                               no segment shorter than 1e-8 L,
**                                               none given twice, none crossing
**                                               another (segments may meet at
**                                               their points only)
**   element_size        in  double              0.0: automatic; otherwise the
**                                               element size, L, finite
**   linear_elements     in  int32               read, no effect
**
** An array whose size formula gives 0 may be NULL. Checks, in this order:
** the reference material (ref_modulus, ref_poisson and, where present,
** ref_area_weight, NULL or outside its range: BSP_E_SOLVER, before any other
** argument is read); then BSP_E_INPUT when a pointer is NULL where data is
** needed, a count is negative or n_segments is 0, a point number is out of
** range, a value is not finite or outside its range, a segment is too short
** or repeats another, the segments cannot be turned into regions (crossing
** segments, for instance), the number of regions found differs from
** n_regions, every region is a hole, the size exceeds the caps above, or a
** region cannot be meshed. BSP_E_SOLVER is also returned when the section
** has no positive area or a result is not finite. Nothing outside the
** documented sizes is read.
** Threads: reentrant on distinct data. The OpenMP thread count is not
** changed: the band factorisation runs on the calling thread's current
** team size (omp_get_max_threads).
*/

/*
** BSPMeshMain: the section property vector of an outline section.
**
**   result              out double[R]           layout BSP_SLOT_*, with
**                                               R = 38 at level 0,
**                                               43 + 3n at levels 1 and 2,
**                                               73 + 3n from level 3
**                                               (n = n_stress_points); all R
**                                               doubles are written
**   stress_coords       out double[2n]          pairs (y, z): each stress point
**                                               minus the reference point
**   n_regions .. bar_z  in  as above
**   n_stress_points     in  int32               >= 0
**   stress_y, stress_z  in  double[n]           points, L, finite
**   ref_modulus, ref_poisson, region_modulus, region_poisson, bar_modulus
**                       in  as above
**   ref_area_weight     in  double              > 0
**   region_area_weight  in  double[n_regions]   finite (holes: not read)
**   bar_area_weight     in  double[n_bars]      finite
**   n_points .. element_size  in  as above
**   analysis_level      in  int32               0: slots 0..21, 32..37 (22..31
**                                               are 0); 1: also 22..31 and the
**                                               polar moment; 2: also the
**                                               stress-point block; 3 or more:
**                                               also the extremes. Negative
**                                               reads as 0.
**   stress_reference    in  int32               0: offsets from the centroid,
**                                               otherwise from the shear centre
**   linear_elements     in  as above
** First moments (slots 30, 31, level >= 1): each centroidal axis cuts the
**          meshed area into two parts; the slot is the sum of the magnitudes
**          of their moments about the axis, each element weighted by
**          E / ref_modulus and clipped exactly at the axis, plus, for the
**          bars, the magnitudes of the sums of the positive and of the
**          negative moments (y_b - y_c) pi r^2 (bar_modulus / ref_modulus - 1)
**          (likewise with z).
** Weighted area (slot 32): the bars' pi r^2 (bar_area_weight /
**          ref_area_weight - 1) is added at every level.
** Units:   see "Meshed sections"; each slot states its dimension.
** Returns: BSP_OK; BSP_E_INPUT or BSP_E_SOLVER as in "Outline sections".
** Failure: result[0 .. R) and stress_coords[0 .. 2n) are zero; nothing else
**          is written. When n_stress_points is negative or a pointer to it
**          or to analysis_level is NULL, nothing is written at all.
** Threads: as in "Outline sections".
*/
BSP_API int32_t BSPMeshMain(double *result,                      /* out */
                            double *stress_coords,               /* out */
                            const int32_t *n_regions,            /* in */
                            const int32_t *n_bars,               /* in */
                            const double *bar_radius,            /* in */
                            const double *bar_y,                 /* in */
                            const double *bar_z,                 /* in */
                            const int32_t *n_stress_points,      /* in */
                            const double *stress_y,              /* in */
                            const double *stress_z,              /* in */
                            const double *ref_modulus,           /* in */
                            const double *ref_poisson,           /* in */
                            const double *region_modulus,        /* in */
                            const double *region_poisson,        /* in */
                            const double *bar_modulus,           /* in */
                            const double *ref_area_weight,       /* in */
                            const double *region_area_weight,    /* in */
                            const double *bar_area_weight,       /* in */
                            const int32_t *n_points,             /* in */
                            const double *point_y,               /* in */
                            const double *point_z,               /* in */
                            const int32_t *n_segments,           /* in */
                            const int32_t *segments,             /* in */
                            const double *element_size,          /* in */
                            const int32_t *analysis_level,       /* in */
                            const int32_t *stress_reference,     /* in */
                            const int32_t *linear_elements);     /* in */

/*
** BSPPartMeshMain: section properties per solid region.
**
**   part_result         out double[10*S]        layout BSP_PART_*, one record
**                                               per region that is not a hole,
**                                               in region order; S = n_regions
**                                               minus the entries of
**                                               region_modulus equal to 0.0
**   n_regions .. bar_z  in  as above
**   ref_modulus, ref_poisson, region_modulus, region_poisson, bar_modulus
**                       in  as above
**   ref_area_weight     in  double              > 0
**   region_area_weight  in  double[n_regions]   finite (holes: not read)
**   bar_area_weight     in  double[n_bars]      finite
**   n_points .. element_size, linear_elements  in  as above
** Units:   see "Meshed sections"; each part slot states its dimension.
** Returns: BSP_OK; BSP_E_INPUT or BSP_E_SOLVER as in "Outline sections".
** Failure: part_result[0 .. 10*S) is zero; nothing else is written. When
**          n_regions is negative, or a pointer to it or (n_regions > 0) to
**          region_modulus is NULL, nothing is written at all.
** Threads: as in "Outline sections".
*/
BSP_API int32_t BSPPartMeshMain(double *part_result,             /* out */
                                const int32_t *n_regions,        /* in */
                                const int32_t *n_bars,           /* in */
                                const double *bar_radius,        /* in */
                                const double *bar_y,             /* in */
                                const double *bar_z,             /* in */
                                const double *ref_modulus,       /* in */
                                const double *ref_poisson,       /* in */
                                const double *region_modulus,    /* in */
                                const double *region_poisson,    /* in */
                                const double *bar_modulus,       /* in */
                                const double *ref_area_weight,   /* in */
                                const double *region_area_weight,/* in */
                                const double *bar_area_weight,   /* in */
                                const int32_t *n_points,         /* in */
                                const double *point_y,           /* in */
                                const double *point_z,           /* in */
                                const int32_t *n_segments,       /* in */
                                const int32_t *segments,         /* in */
                                const double *element_size,      /* in */
                                const int32_t *linear_elements); /* in */

/*
** BSPDetailMesh: stresses at the stress points for given section forces, for
** an outline section. As BSPDetail, with the solid regions (S of them, in
** region order, as for BSPPartMeshMain) in place of the materials: M = S.
**
**   detail_out_1 .. detail_out_4  out  as BSPDetail with M = S; detail_out_4
**                                      holds the 1-based solid region that
**                                      contains each point
**   n_regions .. bar_z  in  as above
**   n_stress_points     in  int32               >= 0
**   stress_y, stress_z  in  double[n]           points, L, finite
**   ref_modulus, ref_poisson, region_modulus, region_poisson, bar_modulus
**                       in  as above
**   n_points .. element_size  in  as above
**   detail_option_1 .. detail_option_4  in  double[2] each, as BSPDetail
**   linear_elements     in  as above
** Area weights are the moduli (no separate weights).
** Returns: BSP_OK; BSP_E_INPUT or BSP_E_SOLVER as in "Outline sections".
** Failure: detail_out_1[0 .. 38), detail_out_2[0 .. 4*n*S + 6),
**          detail_out_3[0 .. 2n) and detail_out_4[0 .. n) are zero; nothing
**          else is written. When n, n_regions or a pointer to them (or, with
**          n_regions > 0, region_modulus) is negative or NULL, nothing is
**          written at all.
** Threads: as in "Outline sections".
*/
BSP_API int32_t BSPDetailMesh(double *detail_out_1,              /* out */
                              double *detail_out_2,              /* out */
                              double *detail_out_3,              /* out */
                              double *detail_out_4,              /* out */
                              const int32_t *n_regions,          /* in */
                              const int32_t *n_bars,             /* in */
                              const double *bar_radius,          /* in */
                              const double *bar_y,               /* in */
                              const double *bar_z,               /* in */
                              const int32_t *n_stress_points,    /* in */
                              const double *stress_y,            /* in */
                              const double *stress_z,            /* in */
                              const double *ref_modulus,         /* in */
                              const double *ref_poisson,         /* in */
                              const double *region_modulus,      /* in */
                              const double *region_poisson,      /* in */
                              const double *bar_modulus,         /* in */
                              const int32_t *n_points,           /* in */
                              const double *point_y,             /* in */
                              const double *point_z,             /* in */
                              const int32_t *n_segments,         /* in */
                              const int32_t *segments,           /* in */
                              const double *element_size,        /* in */
                              const double *detail_option_1,     /* in */
                              const double *detail_option_2,     /* in */
                              const double *detail_option_3,     /* in */
                              const double *detail_option_4,     /* in */
                              const int32_t *linear_elements);   /* in */


/* ------------------------------------------------------------------------
** Standard sections through the general meshed path
*/

/*
** BSPMAINGENERAL: the section property vector of a standard shape computed
** through the general meshed path: the shape's block mesh, each
** quadrilateral split into two 3-node triangles along its 2-4 diagonal, is
** moved to its centroid and solved as one part of unit modulus (as
** BSPCombMain). The circular types 18 and 19 take BSPMAIN's closed forms.
** Compares with BSPMAIN: same area and second moments (to rounding), J,
** warping constant, shear ratios and shear centre within the difference of
** the two meshes (6-node triangles against 4-node quadrilaterals).
**
**   result        out    double[38]  slots 0..37 as BSPMAIN; 17, 18 the
**                                    centroid of the meshed shape in the
**                                    dimension frame; 5..12 the stress points
**                                    about the origin offset_mode chooses
**   dimensions    in/out double[n]   as BSPMAIN; validated first, corrected
**                                    in place
**   section_type  in     int32       1..27
**   a4            in     int32       reserved
**   poisson       in     double      0 <= nu <= 0.5 (negative values are
**                                    accepted by types 18, 19 only, > -1)
**   a6            in     int32       2: closed forms for types 18, 19 (they
**                                    always use them); otherwise unused
**   a7            in     int32       analysis level of the meshed path
**                                    (as BSPCombMain); > 0 also writes the
**                                    classical shear maxima V Q / (I b) per
**                                    unit force into slots 34..37
**   offset_mode   in     int32       0: stress points about the centroid;
**                                    otherwise (or NULL) the shear centre
**   a9            in     int32       reserved
** Returns: 0; -1 when section_type is outside 1..27, poisson is above 0.5 or
**          not finite, a pointer other than a4, a6, a7, offset_mode, a9 is
**          NULL (result untouched in these cases), the validation corrected
**          or flagged a dimension, or the meshed section could not be solved.
** Failure: when the type and poisson were accepted, slots 0..37 are 0.0 and
**          the dimension array holds the corrected values; BSPLastError says
**          why.
** Threads: reentrant on distinct data. Sets the calling thread's OpenMP
**          thread count for the call and restores it on every path.
*/
BSP_API int32_t BSPMAINGENERAL(double *result,               /* out */
                               double *dimensions,           /* in/out */
                               const int32_t *section_type,  /* in */
                               const int32_t *a4,            /* in, reserved */
                               const double *poisson,        /* in */
                               const int32_t *a6,            /* in */
                               const int32_t *a7,            /* in */
                               const int32_t *offset_mode,   /* in */
                               const int32_t *a9);           /* in, reserved */

/*
** BSPMAINGENCIVIL: BSPMAINGENERAL with the stress points about the centroid
** in type-2 order (see BSPMAIN_EXPAND).
**
**   result .. a7  as BSPMAINGENERAL
**   a8            in     int32       reserved
** Returns, Failure, Threads: as BSPMAINGENERAL.
*/
BSP_API int32_t BSPMAINGENCIVIL(double *result,               /* out */
                                double *dimensions,           /* in/out */
                                const int32_t *section_type,  /* in */
                                const int32_t *a4,            /* in, reserved */
                                const double *poisson,        /* in */
                                const int32_t *a6,            /* in */
                                const int32_t *a7,            /* in */
                                const int32_t *a8);           /* in, reserved */

/* ------------------------------------------------------------------------
** First moments of area
*/

/*
** BSPFirstMomentOfArea: modulus-weighted area and first moments of a piece
** of a section given as 3-node triangles, plus circular bars.
**
**   fm_area          out  double           sum dA, dA weighted by
**                                          modulus / ref_modulus, L^2
**   fm_moment_z      out  double           sum (z - z_ref) dA, L^3
**   fm_moment_y      out  double           sum (y - y_ref) dA, L^3
**   y_ref, z_ref     in   double           point the moments are taken about,
**                                          L, finite
**   n_nodes          in   int32            >= 0
**   n_elements       in   int32            >= 0
**   node_y, node_z   in   double[n_nodes]  node coordinates, L, finite
**   connectivity     in   int32[3 n_elements] 1-based node numbers per
**                                          triangle, in 1..n_nodes; either
**                                          orientation (each triangle counts
**                                          with its unsigned area)
**   ref_modulus      in   double           > 0, finite
**   section_modulus  in   double           modulus of the triangles, finite
**   n_bars           in   int32            >= 0
**   bar_radius       in   double[n_bars]   >= 0, L
**   bar_y, bar_z     in   double[n_bars]   bar centres, L, finite
**   bar_modulus      in   double[n_bars]   finite; a bar adds
**                                          pi r^2 (bar_modulus/ref_modulus - 1)
**                                          at its centre (it replaces the
**                                          triangles' material it occupies)
** Units:   any consistent length L and modulus unit.
** Returns: nothing. The three outputs are set to 0.0 first.
** Failure: all three stay 0.0 and BSPLastError names the check and the first
**          offending item (1-based) when a pointer is NULL where data is
**          needed, a count is negative, a node number is out of range, a
**          coordinate, modulus or reference value is not finite,
**          ref_modulus is not > 0, a bar radius is negative, or a result is
**          not finite. Degenerate triangles contribute 0.
** Threads: reentrant; no process-wide effect.
*/
BSP_API void BSPFirstMomentOfArea(double *fm_area,                /* out */
                                  double *fm_moment_z,            /* out */
                                  double *fm_moment_y,            /* out */
                                  const double *y_ref,            /* in */
                                  const double *z_ref,            /* in */
                                  const int32_t *n_nodes,         /* in */
                                  const int32_t *n_elements,      /* in */
                                  const double *node_y,           /* in */
                                  const double *node_z,           /* in */
                                  const int32_t *connectivity,    /* in */
                                  const double *ref_modulus,      /* in */
                                  const double *section_modulus,  /* in */
                                  const int32_t *n_bars,          /* in */
                                  const double *bar_radius,       /* in */
                                  const double *bar_y,            /* in */
                                  const double *bar_z,            /* in */
                                  const double *bar_modulus);     /* in */

/*
** BSPFirstMomentOfAreaMesh: modulus-weighted area and first moments of a
** piece of a section given as an outline, which the library meshes in
** 3-node triangles, plus circular bars.
**
**   fm_area          out  double           sum dA, dA weighted by
**                                          modulus / ref_modulus, L^2
**   fm_moment_z      out  double           sum (z - z_ref) dA, L^3
**   fm_moment_y      out  double           sum (y - y_ref) dA, L^3
**   y_ref, z_ref     in   double           point the moments are taken about,
**                                          L, finite
**   n_regions        in   int32            >= 0; the number of closed areas
**                                          the segments enclose
**   n_bars           in   int32            >= 0
**   bar_radius       in   double[n_bars]   >= 0, L
**   bar_y, bar_z     in   double[n_bars]   bar centres, L, finite
**   ref_modulus      in   double           > 0, finite
**   region_modulus   in   double[n_regions] in the order the regions are
**                                          found (as BSPMeshMain); finite
**                                          > 0, or 0.0 for a hole
**   bar_modulus      in   double[n_bars]   finite, >= 0; a bar adds
**                                          pi r^2 (bar_modulus/ref_modulus - 1)
**                                          at its centre
**   n_points         in   int32            >= 0
**   point_y, point_z in   double[n_points] outline points, L, finite
**   n_segments       in   int32            >= 1
**   segments         in   int32[2 n_segments] 1-based point numbers, two per
**                                          straight segment, in 1..n_points;
**                                          no segment shorter than 1e-8 or
**                                          given twice
**   element_size     in   double           L, finite; 0.0 = automatic (at
**                                          most the longest segment / 5 and
**                                          the shortest / 1)
** Units:   any consistent length L and modulus unit.
** Returns: BSP_OK (0); BSP_E_SOLVER (-3) when ref_modulus is NULL, not
**          finite or not > 0; BSP_E_INPUT (-1) when any other argument fails
**          its check, or when no attempt meshes the outline. An attempt
**          fails when the segments do not enclose n_regions regions, a size
**          would give more than 5e5 triangles, or a region defeats both
**          meshers. A non-zero element_size h is tried as h, 0.8h, 0.6h,
**          0.4h, 0.2h, then the automatic size; the first attempt that
**          succeeds gives the result.
** Failure: all three outputs are 0.0 and BSPLastError names the check and
**          the first offending item (1-based).
** Threads: reentrant; no process-wide effect.
*/
BSP_API int32_t BSPFirstMomentOfAreaMesh(double *fm_area,               /* out */
                                         double *fm_moment_z,           /* out */
                                         double *fm_moment_y,           /* out */
                                         const double *y_ref,           /* in */
                                         const double *z_ref,           /* in */
                                         const int32_t *n_regions,      /* in */
                                         const int32_t *n_bars,         /* in */
                                         const double *bar_radius,      /* in */
                                         const double *bar_y,           /* in */
                                         const double *bar_z,           /* in */
                                         const double *ref_modulus,     /* in */
                                         const double *region_modulus,  /* in */
                                         const double *bar_modulus,     /* in */
                                         const int32_t *n_points,       /* in */
                                         const double *point_y,         /* in */
                                         const double *point_z,         /* in */
                                         const int32_t *n_segments,     /* in */
                                         const int32_t *segments,       /* in */
                                         const double *element_size);   /* in */

/* ------------------------------------------------------------------------
** Cracked reinforced sections
*/

/* Entries of the results array of CrackSectionProperty. "Upper" means the
** face z >= a is compressed (axis a1), "lower" the face z <= a (axis a0).
** Second moments are transformed to the reference modulus E_ref (L^4). */
#define BSP_CRACK_CENTROID        0  /* z of the uncracked transformed centroid, L */
#define BSP_CRACK_GROSS_INERTIA   1  /* I_g, uncracked, about the centroid, L^4 */
#define BSP_CRACK_AXIS_UPPER      2  /* neutral axis a1, upper face compressed, L */
#define BSP_CRACK_AXIS_LOWER      3  /* neutral axis a0, lower face compressed, L */
#define BSP_CRACK_INERTIA_UPPER   4  /* cracked second moment about a1, L^4 */
#define BSP_CRACK_INERTIA_LOWER   5  /* cracked second moment about a0, L^4 */
#define BSP_CRACK_MOMENT_POS      6  /* positive cracking moment, F L; 1.0 when
                                     ** no concrete cracks under a positive moment */
#define BSP_CRACK_MOMENT_NEG      7  /* negative cracking moment, F L; -1.0 likewise */
#define BSP_CRACK_CREEP_GROSS     8  /* creep flexibility of the uncracked section, 1/(F L^2) */
#define BSP_CRACK_SHRINKAGE_GROSS 9  /* shrinkage curvature of the uncracked section, 1/L */
#define BSP_CRACK_CREEP_UPPER    10  /* as 8, cracked, upper face compressed */
#define BSP_CRACK_SHRINKAGE_UPPER 11 /* as 9, cracked, upper face compressed */
#define BSP_CRACK_CREEP_LOWER    12  /* as 8, cracked, lower face compressed */
#define BSP_CRACK_SHRINKAGE_LOWER 13 /* as 9, cracked, lower face compressed */
#define BSP_CRACK_N_RESULTS      14

/* Offsets inside one material record of CrackSectionProperty's parameters. */
#define BSP_CRACK_P_MODULUS           0 /* E, F/L^2 (concrete and steel) */
#define BSP_CRACK_P_TENSILE_STRENGTH  1 /* concrete tensile strength, F/L^2; steel: unused */
#define BSP_CRACK_P_SHRINKAGE         2 /* concrete free shrinkage strain; steel: unused */
#define BSP_CRACK_P_AGEING            3 /* concrete ageing coefficient; steel: unused */
#define BSP_CRACK_P_CREEP             4 /* concrete creep coefficient; steel: unused */
#define BSP_CRACK_RECORD_SIZE         5

/*
** CrackSectionProperty: uncracked and cracked transformed properties of a
** reinforced-concrete or composite section bent about a horizontal axis
** (z across the axis), in which concrete carries no tension, for compression
** on either face; cracking moments and long-term (creep, shrinkage) values.
** No mesh: every integral runs along the boundary edges.
**
**   results         out  double[14]             entries BSP_CRACK_* above
**   n_bars          in   int32, by value        >= 0, bar references in bar_refs
**   n_edges         in   int32, by value        >= 0, edges in edges
**   material_table  in   int32[2*(max key+1)]   for material key m (0-based):
**                                               [2m] kind, 0 concrete, else steel;
**                                               [2m+1] record index q >= 0
**   edges           in   int32[3*n_edges]       per edge: material key m >= 0,
**                                               node i >= 0, node j >= 0
**                                               (0-based into node_y, node_z);
**                                               each material's edges form
**                                               counter-clockwise closed loops
**   bar_refs        in   int32[2*n_bars]        per bar: material key of the
**                                               material it lies in, bar record
**                                               index k >= 0
**   parameters      in   double[5*(max q+1)]    [0] E_ref > 0; [1] second
**                                               reference value (kept, unused);
**                                               record q at [5q .. 5q+4], offsets
**                                               BSP_CRACK_P_*; only the records of
**                                               materials with edges are read
**   bar_records     in   double[3*(max k+1)]    record k: [3k] z of the centre, L
**                                               (a bar's y plays no part);
**                                               [3k+1] area, L^2, >= 0;
**                                               [3k+2] modulus, F/L^2
**   node_y, node_z  in   double[max node+1]     coordinates, L, finite; z runs
**                                               across the bending axis
** Rules: a material's long-term modulus is E / (1 + p3 p4) (steel: E). A bar
**   adds (E_bar - E_host) times its circle, since its host's edges cover it;
**   where the host is concrete on the tension side it adds E_bar times that
**   part (cracked concrete displaces nothing). A bar whose key has no edges
**   lies in no material (E_host = 0). The cracking moments are the smallest
**   of the concrete materials' values p1 E_ref I_g / (E (z_bar - z_fibre)).
**   Where the first moment keeps one sign over the section's range, the
**   neutral axis is the range end (upper: z_max; lower: z_min).
** Long-term: with effective moduli, z_eff is the centroid and EI_eff the
**   flexural stiffness of the uncracked section (entries 8, 9) or of the
**   active part of the cracked one (10-13, about its own centroid). Each
**   concrete material, net of its bars, has A_d = E_eff * area, centroid z_d,
**   EI_d about z_eff, and D = z_eff - z_d. Creep sum = sum p4 (EI_d + A_d D
**   (z_ref - z_eff)) / EI_eff, with z_ref = z_bar (uncracked) or the side's
**   axis; entries 8, 10, 12 are it divided by E_ref times I_g, entry 4 or
**   entry 5. Shrinkage curvature = -sum A_d p2 D / EI_eff (entries 9, 11, 13).
** Units:   any consistent L and F; moduli F/L^2; each entry states its own.
** Returns: nothing. The array sizes are not passed: every index must lie
**          inside its array; the call checks what it can before reading.
** Failure: when a count, key, node or record index is negative, a pointer an
**          index needs is null, E_ref is not > 0, a bar area is negative, a
**          value read is not finite, a concrete modulus is not > 0, a
**          concrete material's ageing and creep make E / (1 + p3 p4) not
**          finite, a material's edges do not form closed loops (at some
**          point, equal in both coordinates, more edges of the material
**          start than end or the reverse), a material's loops enclose no
**          positive area (they run clockwise), or any of the 14 values would
**          not be finite (overflow of extreme input), results[0..14) is zero,
**          BSPLastError says which check failed (keys, edges, nodes and
**          records 0-based as given), and nothing else is written. With no
**          edges, results holds zeros but entry 6 = 1.0 and entry 7 = -1.0
**          (a success). Entries 10-13 are 0 for a side whose cracked second
**          moment is 0. A null results pointer makes the call do nothing
**          but set BSPLastError.
** Threads: reentrant on distinct data; no process-wide effect.
*/
BSP_API void CrackSectionProperty(double *results,                  /* out */
                                  int32_t n_bars,                   /* in  */
                                  int32_t n_edges,                  /* in  */
                                  const int32_t *material_table,    /* in  */
                                  const int32_t *edges,             /* in  */
                                  const int32_t *bar_refs,          /* in  */
                                  const double *parameters,         /* in  */
                                  const double *bar_records,        /* in  */
                                  const double *node_y,             /* in  */
                                  const double *node_z);            /* in  */

/* ------------------------------------------------------------------------
** Closed forms
*/

/*
** Shape codes of the closed forms (dimensions D1, D2, ... = dimensions[0], [1], ...,
** any consistent length unit L). Even codes 4, 6, 8, 10 are the preceding odd
** shape turned by 90 degrees: same J, the two shear areas exchanged.
**   1      solid rectangle              D1, D2 the side lengths
**   2      thin-walled box              D1 height, D2 width, D3 D4 thicknesses of the
**                                       walls of height D1, D5 D6 of the walls of width D2
**   3, 4   I, flange outstands from the web face: D1 height, D2 width of flange 1,
**          D3 web thickness, D4 thickness of flange 1, D5 width of flange 2,
**          D6 thickness of flange 2
**   5, 6   I, full flange widths        as 3
**   7, 8   T or angle                   D1 height, D2 flange width, D3 web thickness,
**                                       D4 flange thickness
**   9, 10  T, stem between two flange parts: D1, D2 flange lengths either side of
**          the stem, D3 stem depth with the flange, D4 flange thickness,
**          D5 stem thickness
** Dimensions read per code: 2 (code 1), 6 (codes 2-6), 4 (codes 7, 8), 5 (codes 9, 10).
*/
#define BSP_ANALYTIC_RECTANGLE      1
#define BSP_ANALYTIC_BOX            2
#define BSP_ANALYTIC_I_OUTSTAND     3
#define BSP_ANALYTIC_I_OUTSTAND_90  4
#define BSP_ANALYTIC_I_FULL         5
#define BSP_ANALYTIC_I_FULL_90      6
#define BSP_ANALYTIC_TEE            7
#define BSP_ANALYTIC_TEE_90         8
#define BSP_ANALYTIC_SPLIT_TEE      9
#define BSP_ANALYTIC_SPLIT_TEE_90  10

/*
** BSPAnalyticTorsionalConstant: engineering estimate of the torsional
** constant J of a simple shape (Roark's fit for the rectangle, Bredt for the
** box, sum of l t^3 / 3 for the open shapes).
**
**   section_type        in   int32             shape code 1..10, see above
**   dimensions          in   double[2..6]      count per code above, L,
**                                              each finite and > 0
**   torsional_constant  out  double            J, L^4; 0.0 means "no value"
** Units:   any consistent length L.
** Returns: nothing. torsional_constant is set to 0.0 first.
** Failure: J stays 0.0 and BSPLastError says why when the code is unknown,
**          a pointer is null, a dimension is not finite or not > 0, the
**          formula gives no positive value for the dimensions (for instance
**          a box whose centre-line height D1 - (D5+D6)/2 or width
**          D2 - (D3+D4)/2 is not > 0), or J overflows or underflows the
**          double range. The formula is evaluated on the dimensions scaled by
**          a power of two, which changes no bit in the ordinary range and
**          keeps extreme dimensions from giving NaN.
** Threads: reentrant; no process-wide effect.
*/
BSP_API void BSPAnalyticTorsionalConstant(const int32_t *section_type,   /* in  */
                                          const double *dimensions,      /* in  */
                                          double *torsional_constant);   /* out */

/*
** BSPAnalyticShearArea: engineering estimate of the two shear areas of a
** simple shape (5/6 of the plates that carry the shear for solid parts).
**
**   section_type  in   int32          shape code 1..10, see above
**   dimensions    in   double[2..6]   count per code above, L, each finite
**                                     and > 0
**   shear_area_1  out  double         for a force along the first axis, L^2;
**                                     0.0 means "no value"
**   shear_area_2  out  double         for a force along the second axis, L^2;
**                                     likewise
** Units:   any consistent length L.
** Returns: nothing. Both outputs are set to 0.0 first.
** Failure: both stay 0.0 and BSPLastError says why when the code is
**          unknown, the dimensions pointer is null, a dimension is not
**          finite or not > 0, or an area overflows or underflows the double
**          range (scaled evaluation as for BSPAnalyticTorsionalConstant). A
**          null output pointer is skipped.
** Threads: reentrant; no process-wide effect.
*/
BSP_API void BSPAnalyticShearArea(const int32_t *section_type,  /* in  */
                                  const double *dimensions,     /* in  */
                                  double *shear_area_1,         /* out */
                                  double *shear_area_2);        /* out */

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* BSP_BSP_H */
