#include "text/json_writer.h"

#include "text/utf8_text.h"

namespace tovick {

namespace {

void AppendEscape(std::string& out, unsigned value) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\u00";
  out += kHex[value >> 4];
  out += kHex[value & 0xF];
}

template <typename T, typename Render>
std::string List(const std::vector<T>& items, Render render) {
  std::string text = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ", ";
    text += render(items[i]);
  }
  return text + "]";
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += text[i++];
    } else if (byte < 0x20 || byte == 0x7F) {
      AppendEscape(out, byte);
      ++i;
    } else if (const std::size_t length = Utf8SequenceAt(text, i); length > 0) {
      out.append(text, i, length);
      i += length;
    } else {
      AppendEscape(out, byte);
      ++i;
    }
  }
  out += '"';
  return out;
}

JsonObject& JsonObject::Number(std::string_view key, std::int64_t value) {
  return Exact(key, std::to_string(value));
}

JsonObject& JsonObject::Exact(std::string_view key, std::string_view json) {
  members_.emplace_back(JsonString(key), std::string(json));
  return *this;
}

JsonObject& JsonObject::String(std::string_view key, std::string_view text) {
  return Exact(key, JsonString(text));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Exact(key, value ? "true" : "false");
}

JsonObject& JsonObject::Strings(std::string_view key, const std::vector<std::string>& texts) {
  return Exact(key, List(texts, [](const std::string& text) { return JsonString(text); }));
}

JsonObject& JsonObject::Objects(std::string_view key, const std::vector<JsonObject>& objects) {
  return Exact(key, List(objects, [](const JsonObject& object) { return object.Inline(); }));
}

std::string JsonObject::Inline() const {
  std::string text = "{";
  for (std::size_t i = 0; i < members_.size(); ++i) {
    if (i > 0) text += ", ";
    text += members_[i].first + ": " + members_[i].second;
  }
  return text + "}";
}

std::string JsonObject::Document(std::string_view listKey,
                                 const std::vector<JsonObject>& rows) const {
  constexpr std::size_t kRowBytes = 512;  // more than a row takes, so the text grows once
  std::string text;
  text.reserve(kRowBytes * (rows.size() + 1));
  text += "{\n";
  for (const auto& [key, value] : members_) text += "  " + key + ": " + value + ",\n";
  text += "  " + JsonString(listKey) + ": [";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    text += i == 0 ? "\n    " : ",\n    ";
    text += rows[i].Inline();
  }
  text += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return text;
}

}  // namespace tovick
