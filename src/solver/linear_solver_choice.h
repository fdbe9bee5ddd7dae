// Which of the two direct solvers a domain's field problems take, and the
// set-up of the chosen one's storage. The band (band_llt.h) after the
// reverse Cuthill-McKee renumbering is the fastest on thin-walled sections,
// whose band is narrow and whose profile is narrower still; on solid
// sections its work grows as n^2 and its memory as n^1.5, where the sparse
// factorisation (sparse_llt.h) after a minimum-degree ordering needs far
// less of both. The choice is made per domain from numbers known before any
// factorisation and is invisible to a caller except in time and memory:
// both paths solve the same pinned system with the same pivot rule.
//
// Only the chosen path's storage is allocated, so a call never holds more
// than that path needs.
#pragma once

#include <cstdint>

namespace bsp {

struct T_SINGLE_DOMAIN;

enum class LinearSolverPath { band, sparse };

// What a caller asks for: the rule's choice, or one path forced (tests and
// benchmarks that set the two paths against each other on the same domain).
enum class LinearSolverRequest { automatic, band, sparse };

// What the choice saw, for tests and benchmarks.
struct LinearSolverEstimate {
  double band_flops = 0, band_bytes = 0;      // inside the RCM profile; the whole band
  double sparse_flops = 0, sparse_bytes = 0;  // 0 when the analysis was not needed
  bool analysed = false;
  LinearSolverPath path = LinearSolverPath::band;
};

// Decides the path of a renumbered domain (its connectivity holds equation
// numbers) and allocates its zeroed storage: the band with its profile, or
// the sparse analysis and factor, releasing the other path's storage. The
// rule is documented in the source. May be called again to move a domain to
// the other path before its first assembly.
LinearSolverEstimate prepare_domain_system(T_SINGLE_DOMAIN& d,
                                           LinearSolverRequest request = LinearSolverRequest::automatic);

}  // namespace bsp
