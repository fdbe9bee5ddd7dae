#include "interface/last_error.h"

#include <algorithm>

#include "bsp/bsp.h"

namespace bsp {
namespace {

thread_local char message_buffer[last_error_capacity + 1] = {};

}  // namespace

void set_last_error(std::string_view message) noexcept {
  const std::size_t n = std::min(message.size(), last_error_capacity);
  std::copy_n(message.data(), n, message_buffer);
  message_buffer[n] = '\0';
}

void clear_last_error() noexcept { message_buffer[0] = '\0'; }

const char* last_error() noexcept { return message_buffer; }

}  // namespace bsp

extern "C" BSP_API const char* BSPLastError(void) { return bsp::last_error(); }
