// The message of the last failed call on the calling thread: the library's
// one piece of per-thread state. The firewall writes it from the exception
// (or status) that ended a call and clears it when a call succeeds;
// BSPLastError hands it to the host.
//
// The text lives in a fixed thread-local buffer, so recording it never
// allocates and never throws, even after an allocation failure.
#pragma once

#include <cstddef>
#include <string_view>

namespace bsp {

// Longest message kept, in bytes; longer texts are cut there. Rule of this
// library: the longest message a check writes (two numbers, two part numbers
// and a fixed text) is under 200 bytes.
inline constexpr std::size_t last_error_capacity = 511;

void set_last_error(std::string_view message) noexcept;
void clear_last_error() noexcept;
const char* last_error() noexcept;

}  // namespace bsp
