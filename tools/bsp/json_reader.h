// Reading a section file with the place of every value known: each Value
// carries its file and its key path, so a failed check reports
// "FILE: sections[2].parts[1].nodes[4]: expected a number". Positions in
// paths are 1-based, like every number in the section file.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace bsp_cli {

// A section file that fails a check; what() is the whole one-line message.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Value {
 public:
  Value(const nlohmann::json& j, std::string file, std::string path)
      : j_(&j), file_(std::move(file)), path_(std::move(path)) {}

  [[noreturn]] void fail(const std::string& what) const;
  const std::string& path() const { return path_; }
  const nlohmann::json& raw() const { return *j_; }

  // An object whose keys are all among `allowed` (anything else is an error,
  // so a misspelt key never goes unnoticed).
  Value object(std::initializer_list<const char*> allowed) const;
  bool has(const char* key) const;
  Value at(const char* key) const;  // required key
  std::vector<std::pair<std::string, Value>> members() const;

  std::vector<Value> array(std::size_t min_size = 0) const;
  double number() const;                     // finite
  double positive() const;                   // finite, > 0
  std::int32_t integer() const;
  std::string string() const;
  std::array<double, 2> point() const;       // [y, z]

  double number_or(const char* key, double fallback) const { return has(key) ? at(key).number() : fallback; }

 private:
  const nlohmann::json* j_;
  std::string file_;
  std::string path_;
};

// Parses FILE; an unreadable file, a directory or malformed JSON is an
// InputError naming the file (and the line and column for syntax errors).
nlohmann::json read_json_file(const std::string& file);

// Parses one JSON text; malformed text is an InputError naming `where`.
nlohmann::json parse_json_text(const std::string& text, const std::string& where);

}  // namespace bsp_cli
