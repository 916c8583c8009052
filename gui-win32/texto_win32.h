// Texts between the engine (UTF-8, or Latin-1 from an old language file) and the window's
// wide strings.
#pragma once

#include <string>

namespace z82::win32 {

// UTF-8 when the bytes are valid UTF-8, Latin-1 otherwise: no replacement marks.
std::wstring Ancho(const std::string& texto);
std::string Utf8(const std::wstring& texto);
// A caption for a menu or a button: an '&' is shown, not taken as a shortcut mark.
std::wstring Rotulo(const std::string& texto);

}  // namespace z82::win32
