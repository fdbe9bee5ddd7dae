// The one exception type through which every part of the mesher reports a
// failure. Its what() is exactly the one-line text given at the throw site
// ("* <what failed> - <Class>::<method>()"); the drivers match nothing but
// the type, so the text is for people and for tests.
#pragma once

#include <stdexcept>
#include <string>

namespace data_2d {

class Mesh_Error : public std::runtime_error {
 public:
  explicit Mesh_Error(const std::string& message) : std::runtime_error(message) {}
  explicit Mesh_Error(const char* message) : std::runtime_error(message) {}
};

}  // namespace data_2d
