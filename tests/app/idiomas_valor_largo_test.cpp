// A value longer than the profile reader's buffer is cut between two characters, so what
// the window shows stays valid UTF-8 whatever the file's encoding.
#include <gtest/gtest.h>

#include <string>

#include "app/idiomas.h"

namespace z82 {
namespace {

TEST(Archivo_ini_valor_largo, Latin1ValueIsCutBeforeTheCharacterThatDoesNotFit) {
    // 3000 Latin-1 'é' become 6000 bytes of UTF-8; the buffer holds 2047 bytes.
    const Archivo_ini ini("[ES]\nA=" + std::string(3000, '\xE9') + "\n");
    const std::string v = ini.Leer("ES", "A", "");
    ASSERT_EQ(v.size(), 2046u);
    for (size_t i = 0; i < v.size(); i += 2) {
        ASSERT_EQ(v.substr(i, 2), "\xC3\xA9") << "at byte " << i;
    }
}

TEST(Archivo_ini_valor_largo, Utf8ValueOfThreeByteCharactersKeepsWholeCharacters) {
    std::string euros;
    for (int i = 0; i < 1000; ++i) euros += "\xE2\x82\xAC";
    const Archivo_ini ini("[ES]\nB=xx" + euros + "\n");
    const std::string v = ini.Leer("ES", "B", "");
    // "xx" and the 681 euro signs that fit whole: the 682nd would end past byte 2047.
    ASSERT_EQ(v.size(), 2u + 681u * 3u);
    EXPECT_EQ(v.substr(v.size() - 3), "\xE2\x82\xAC");
}

TEST(Archivo_ini_valor_largo, AsciiValueIsCutAtTheBufferLength) {
    const Archivo_ini ini("[ES]\nC=" + std::string(5000, 'a') + "\n");
    EXPECT_EQ(ini.Leer("ES", "C", ""), std::string(Archivo_ini::MAXIMO_VALOR, 'a'));
}

}  // namespace
}  // namespace z82
