#pragma once
// The companion's JSON, in the one layout its reports share: a document is an object with one
// member a line, whose last member is a list of one-line objects. Written by hand rather than
// through a JSON library, whose layouts differ from the one scripts already read.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovick {

// A JSON string literal: ", \ and the control characters escaped (\u00XX); valid UTF-8 as it is; a
// byte that is no part of valid UTF-8 as the Latin-1 character it stands for (\u0080..\u00FF), so
// old names read as they did and the output stays valid.
std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Number(std::string_view key, std::int64_t value);
  // A value whose JSON text is given: a number's exact text (a float as stored), or null.
  JsonObject& Exact(std::string_view key, std::string_view json);
  JsonObject& String(std::string_view key, std::string_view text);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Strings(std::string_view key, const std::vector<std::string>& texts);
  JsonObject& Objects(std::string_view key, const std::vector<JsonObject>& objects);

  // {"a": 1, "b": "x"}
  std::string Inline() const;
  // The members one a line, indented two spaces, then listKey with each row on a line of its own.
  std::string Document(std::string_view listKey, const std::vector<JsonObject>& rows) const;

 private:
  std::vector<std::pair<std::string, std::string>> members_;
};

}  // namespace tovick
