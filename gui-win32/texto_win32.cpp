#include "gui-win32/texto_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82::win32 {

std::wstring Ancho(const std::string& texto) {
    if (texto.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, texto.data(),
                                        static_cast<int>(texto.size()), nullptr, 0);
    if (n <= 0) {
        std::wstring latino;
        for (const char c : texto)
            latino.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return latino;
    }
    std::wstring r(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, texto.data(),
                          static_cast<int>(texto.size()), r.data(), n);
    return r;
}

std::string Utf8(const std::wstring& texto) {
    if (texto.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), r.data(), n,
                              nullptr, nullptr);
    }
    return r;
}

std::wstring Rotulo(const std::string& texto) {
    std::wstring r;
    for (const wchar_t c : Ancho(texto)) {
        r.push_back(c);
        if (c == L'&') r.push_back(L'&');
    }
    return r;
}

}  // namespace z82::win32
