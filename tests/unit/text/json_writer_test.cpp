#include "text/json_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace tovick {
namespace {

TEST(JsonWriterTest, StringsAreEscapedAndStayValidUtf8) {
  struct Case {
    const char* Name;
    std::string Text;
    std::string Json;
  };
  const Case cases[] = {
      {"plain", "MAIN.SCM", "\"MAIN.SCM\""},
      {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"control characters", std::string("\n\t\x1F\x7F", 4), "\"\\u000A\\u0009\\u001F\\u007F\""},
      {"NUL", std::string("a\0b", 3), "\"a\\u0000b\""},
      {"two-byte UTF-8", "sauvegarde \xC3\xA9.b", "\"sauvegarde \xC3\xA9.b\""},
      {"three and four bytes", "\xE3\x83\x86\xF0\x9F\x9A\x97", "\"\xE3\x83\x86\xF0\x9F\x9A\x97\""},
      {"a lone Latin-1 byte", "\x8E\"Q", "\"\\u008E\\\"Q\""},
      {"Latin-1 e acute before ASCII", "caf\xE9!", "\"caf\\u00E9!\""},
      {"a cut-off sequence at the end", "x\xE3\x83", "\"x\\u00E3\\u0083\""},
      {"an overlong form", "\xC0\xAF", "\"\\u00C0\\u00AF\""},
      {"a surrogate", "\xED\xA0\x80", "\"\\u00ED\\u00A0\\u0080\""},
      {"above U+10FFFF", "\xF4\x90\x80\x80", "\"\\u00F4\\u0090\\u0080\\u0080\""},
      {"a stray continuation byte", "\xA9", "\"\\u00A9\""},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonString(c.Text), c.Json) << c.Name;
}

TEST(JsonWriterTest, DocumentLayout) {
  struct Case {
    const char* Name;
    int Rows;
    std::string Json;
  };
  const Case cases[] = {
      {"no rows", 0, "{\n  \"path\": \"a\\\"b\",\n  \"ok\": true,\n  \"rows\": []\n}\n"},
      {"two rows", 2,
       "{\n  \"path\": \"a\\\"b\",\n  \"ok\": true,\n  \"rows\": [\n"
       "    {\"n\": 0, \"x\": 1.5, \"zones\": [], \"changes\": [{\"old\": -1}]},\n"
       "    {\"n\": 1, \"x\": null, \"zones\": [\"A\", \"B\"], \"changes\": []}\n  ]\n}\n"},
  };
  for (const Case& c : cases) {
    std::vector<JsonObject> rows;
    for (int i = 0; i < c.Rows; ++i) {
      std::vector<JsonObject> changes;
      if (i == 0) changes.emplace_back().Number("old", -1);
      rows.emplace_back()
          .Number("n", i)
          .Exact("x", i == 0 ? "1.5" : "null")
          .Strings("zones",
                   i == 0 ? std::vector<std::string>{} : std::vector<std::string>{"A", "B"})
          .Objects("changes", changes);
    }
    JsonObject document;
    document.String("path", "a\"b").Bool("ok", true);
    EXPECT_EQ(document.Document("rows", rows), c.Json) << c.Name;
  }
}

}  // namespace
}  // namespace tovick
