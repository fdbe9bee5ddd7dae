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
**          index needs is null, E_ref is not > 0, a bar area is negative or a
**          value read is not finite, results[0..14) is zero and nothing else
**          is written. With no edges, results holds zeros but entry 6 = 1.0
**          and entry 7 = -1.0. Entries 10-13 are 0 for a side whose cracked
**          second moment is 0. A null results pointer makes the call do nothing.
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
**   dimensions          in   double[2..6]      count per code above, L, > 0
**   torsional_constant  out  double            J, L^4
** Units:   any consistent length L.
** Returns: nothing. torsional_constant is set to 0.0 first.
** Failure: an unknown code, a null dimensions pointer, a box (code 2) with a
**          wall thickness, centre-line height D1 - (D5+D6)/2 or centre-line
**          width D2 - (D3+D4)/2 not > 0, or a rectangle with no positive side
**          leaves J = 0.0. Dimensions are not otherwise checked.
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
**   dimensions    in   double[2..6]   count per code above, L
**   shear_area_1  out  double         for a force along the first axis, L^2
**   shear_area_2  out  double         for a force along the second axis, L^2
** Units:   any consistent length L.
** Returns: nothing. Both outputs are set to 0.0 first.
** Failure: an unknown code or a null dimensions pointer leaves both 0.0; a
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
