// The strings of --json from whatever bytes a meter sent: read back by a JSON parser, each
// gives the text, or U+FFFD for each maximal ill-formed part.
#include "cli/json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace z82 {
namespace {

TEST(Json, StringsFromAnyBytesParseBackAsValidUtf8) {
    const std::string f = "\xEF\xBF\xBD";  // U+FFFD
    struct Caso {
        const char* que;
        std::string bytes;
        std::string leido;
    };
    const std::vector<Caso> casos = {
        {"a version", "1.87.00000", "1.87.00000"},
        {"quote and backslash", "1.87 \"b\" \\x", "1.87 \"b\" \\x"},
        {"control characters and DEL", std::string("a\0\x01\n\x1f\x7f", 6),
         std::string("a\0\x01\n\x1f\x7f", 6)},
        {"two, three and four bytes", "\xC3\x91 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\xC3\x91 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"the edges around the surrogates and the last code point",
         "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"},
        {"continuation bytes alone", "\x80\xBF", f + f},
        {"bytes that never start a character", "\xC0\xC1\xF5\xFE\xFF", f + f + f + f + f},
        {"overlong slash in two, three and four bytes", "\xC0\xAF\xE0\x80\xAF\xF0\x80\x80\xAF",
         f + f + f + f + f + f + f + f + f},
        {"overlong just below the three- and four-byte forms", "\xE0\x9F\xBF\xF0\x8F\xBF\xBF",
         f + f + f + f + f + f + f},
        {"surrogates", "\xED\xA0\x80\xED\xBF\xBF", f + f + f + f + f + f},
        {"above U+10FFFF", "\xF4\x90\x80\x80", f + f + f + f},
        {"a character cut short, then text",
         "\xE2\x82"
         "A\xF0\x9F\x98"
         "B",
         f + "A" + f + "B"},
        {"a character cut short at the end", "1.8\xC3", "1.8" + f},
        {"a damaged version", "1.\xB7\x38\x37.0\xFF", "1." + f + "87.0" + f},
    };
    for (const Caso& c : casos) {
        const std::string texto = Cadena_json(c.bytes);
        nlohmann::json leido;
        ASSERT_NO_THROW(leido = nlohmann::json::parse(texto)) << c.que << ": " << texto;
        ASSERT_TRUE(leido.is_string()) << c.que;
        EXPECT_EQ(leido.get<std::string>(), c.leido) << c.que << ": " << texto;
    }
}

}  // namespace
}  // namespace z82
