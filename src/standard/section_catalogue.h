// The catalogue of the 27 standard sections: how many dimensions each type
// reads and the validation that replaces, flags or shrinks impossible
// dimensions before any geometry is built. The shapes themselves live with
// the block mesher (solver/block_mesher.h) and the stress points
// (standard/stress_point.h); this file knows only counts and the relational
// rules between dimensions.
#pragma once

#include <cstdint>
#include <span>

namespace bsp {

inline constexpr std::int32_t first_standard_type = 1;
inline constexpr std::int32_t last_standard_type = 27;
// The most dimensions any type reads (types 3, 14, 24, 25).
inline constexpr std::size_t max_standard_dimensions = 6;

// Validation outcomes, the values a host sees through the dimension array
// and the zeroed result vector.
namespace dimension_status {
inline constexpr std::int32_t ok = 0;
inline constexpr std::int32_t replaced = 1;       // a dimension below the lower limit or not finite was replaced
inline constexpr std::int32_t inconsistent = 2;   // a relational check shrank a dimension
inline constexpr std::int32_t too_large = 99;     // a dimension above the upper limit (kept as given)
inline constexpr std::int32_t unknown_type = -1;  // type outside 1..27: nothing to validate or build
}  // namespace dimension_status

// The correction factor of the relational checks: 0.99999 rounded to single
// precision, 0.9999899864196777. A shrunk dimension lands just inside its
// limit, so the corrected section passes the same check again.
inline constexpr double correction_factor = static_cast<double>(0.99999f);
static_assert(correction_factor == 0.9999899864196777);
// A dimension below 1e-7 (single precision, 1.0000000116860974e-7) is taken
// as missing and replaced; above 1e7 it is flagged but kept.
inline constexpr double smallest_dimension = static_cast<double>(1e-7f);
static_assert(smallest_dimension == 1.0000000116860974e-07);
inline constexpr double largest_dimension = 1e7;
// The replacement is this share (1e-5 in single precision) of the smallest
// positive dimension, and never below 1e-5.
inline constexpr double replacement_share = static_cast<double>(1e-5f);
static_assert(replacement_share == 9.999999747378752e-06);
inline constexpr double replacement_floor = 1e-5;

// Number of dimensions of a type: 1..6 for types 1..27, 0 for any other.
std::int32_t standard_dimension_count(std::int32_t section_type) noexcept;

// Validates and corrects dimensions[0 .. standard_dimension_count) in place.
// status: 0 valid; 1 a dimension was below 1e-7 or not finite and was
// replaced (no relational check then runs, and 1 stands even when another
// dimension is above 1e7); 99 a dimension above 1e7 (kept);
// 2 a relational check of the type shrank a dimension (this replaces 99);
// -1 the type is outside 1..27 (nothing is read or written).
// A pair of dimensions whose sum must stay below a third (and the wall/plate
// rule of type 16) is scaled by one common factor taken from the values as
// given, so both shrink in proportion and the sum lands at 0.99999 of the
// limit. dimensions must hold standard_dimension_count(section_type) values.
void check_standard_dimensions(std::span<double> dimensions, std::int32_t section_type, std::int32_t& status) noexcept;

}  // namespace bsp
