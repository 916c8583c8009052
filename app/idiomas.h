// The language file idiomas.ini: an INI file read the way the Windows profile reader reads
// it (section and key names without regard to case, surrounding spaces trimmed, a missing
// file, section or key gives the default). The file is user input: whatever it holds, the
// reader returns defaults or the readable part, never more than it can hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace z82 {

class Archivo_ini {
  public:
    // Longest file read; the rest of a larger file is ignored.
    static constexpr size_t MAXIMO_ARCHIVO = 4u << 20;
    // Longest value returned, as the profile reader's buffer.
    static constexpr size_t MAXIMO_VALOR = 2047;

    Archivo_ini() = default;
    // The text of a file; UTF-8 or Windows Latin-1 (converted to UTF-8).
    explicit Archivo_ini(std::string_view contenido);

    std::string Leer(std::string_view seccion, std::string_view clave,
                     std::string_view por_defecto) const;

  private:
    struct Entrada {
        std::string seccion, clave, valor;
    };
    std::vector<Entrada> entradas_;
};

// The text of the language file at ruta, for a face to hand to the window (at most
// Archivo_ini::MAXIMO_ARCHIVO bytes); a missing or unreadable file gives an empty text.
std::string Leer_archivo_idiomas(const std::string& ruta);

// Text of bytes that are not valid UTF-8, read as Windows Latin-1 (cp1252), in UTF-8.
std::string A_utf8(std::string_view texto);

}  // namespace z82
