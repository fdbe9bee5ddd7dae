#include "json_reader.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace bsp_cli {
namespace {

std::string type_name(const nlohmann::json& j) {
  if (j.is_number()) return "a number";
  if (j.is_string()) return "a string";
  if (j.is_array()) return "an array";
  if (j.is_object()) return "an object";
  if (j.is_boolean()) return "a boolean";
  return "null";
}

}  // namespace

void Value::fail(const std::string& what) const {
  throw InputError(file_ + ": " + (path_.empty() ? "top level" : path_) + ": " + what);
}

Value Value::object(std::initializer_list<const char*> allowed) const {
  if (!j_->is_object()) fail("expected an object, found " + type_name(*j_));
  for (const auto& [key, v] : j_->items()) {
    bool known = false;
    std::string list;
    for (const char* a : allowed) {
      known = known || key == a;
      list += list.empty() ? std::string("\"") + a + "\"" : std::string(", \"") + a + "\"";
    }
    if (!known) at(key.c_str()).fail("unknown key (allowed here: " + list + ")");
  }
  return *this;
}

bool Value::has(const char* key) const { return j_->is_object() && j_->contains(key); }

Value Value::at(const char* key) const {
  const std::string p = path_.empty() ? key : path_ + "." + key;
  if (!j_->is_object()) fail("expected an object, found " + type_name(*j_));
  if (!j_->contains(key)) fail(std::string("missing key \"") + key + "\"");
  return Value(j_->at(key), file_, p);
}

std::vector<std::pair<std::string, Value>> Value::members() const {
  if (!j_->is_object()) fail("expected an object, found " + type_name(*j_));
  std::vector<std::pair<std::string, Value>> out;
  for (const auto& [key, v] : j_->items()) out.emplace_back(key, Value(v, file_, path_ + "." + key));
  return out;
}

std::vector<Value> Value::array(std::size_t min_size) const {
  if (!j_->is_array()) fail("expected an array, found " + type_name(*j_));
  if (j_->size() < min_size) fail("expected at least " + std::to_string(min_size) + " entries");
  std::vector<Value> out;
  for (std::size_t i = 0; i < j_->size(); ++i)
    out.emplace_back((*j_)[i], file_, path_ + "[" + std::to_string(i + 1) + "]");
  return out;
}

double Value::number() const {
  if (!j_->is_number()) fail("expected a number, found " + type_name(*j_));
  const double x = j_->get<double>();
  if (!std::isfinite(x)) fail("expected a finite number");
  return x;
}

double Value::positive() const {
  const double x = number();
  if (!(x > 0.0)) fail("expected a number > 0");
  return x;
}

std::int32_t Value::integer() const {
  if (!j_->is_number_integer()) fail("expected an integer, found " + type_name(*j_));
  const auto x = j_->get<std::int64_t>();
  if (x < std::numeric_limits<std::int32_t>::min() || x > std::numeric_limits<std::int32_t>::max())
    fail("integer out of range");
  return static_cast<std::int32_t>(x);
}

std::string Value::string() const {
  if (!j_->is_string()) fail("expected a string, found " + type_name(*j_));
  return j_->get<std::string>();
}

std::array<double, 2> Value::point() const {
  if (!j_->is_array() || j_->size() != 2) fail("expected a point [y, z]");
  const auto xs = array();
  return {xs[0].number(), xs[1].number()};
}

nlohmann::json read_json_file(const std::string& file) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) throw InputError(file + ": is a directory, not a section file");
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file + ": cannot be opened");
  std::stringstream text;
  text << in.rdbuf();
  if (text.str().find_first_not_of(" \t\r\n") == std::string::npos) throw InputError(file + ": file is empty");
  return parse_json_text(text.str(), file);
}

nlohmann::json parse_json_text(const std::string& text, const std::string& where) {
  try {
    return nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& e) {
    // The library's text is "[json.exception.parse_error.101] parse error at
    // line 3, column 5: ..."; the part after the bracket is what a person needs.
    std::string what = e.what();
    const auto bracket = what.find("] ");
    throw InputError(where + ": not valid JSON: " + (bracket == std::string::npos ? what : what.substr(bracket + 2)));
  }
}

}  // namespace bsp_cli
