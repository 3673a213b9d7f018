#pragma once
// A very small JSON builder for the driver's one-line answers.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovick::driver {

// Quotes and escapes UTF-8 text as a JSON string.
std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) {
    return Add(key, std::string_view(text));
  }
  JsonObject& Add(std::string_view key, std::int64_t number);
  JsonObject& Add(std::string_view key, int number) { return Add(key, std::int64_t{number}); }
  JsonObject& Add(std::string_view key, bool flag);
  // Adds a value that is already JSON (an object, an array, null).
  JsonObject& AddRaw(std::string_view key, std::string_view json);
  JsonObject& Add(std::string_view key, const std::vector<std::string>& texts);
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_;
};

// Joins already-encoded JSON values into an array.
std::string JsonArray(const std::vector<std::string>& values);

}  // namespace tovick::driver
