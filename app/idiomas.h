// The language file idiomas.ini: an INI file read the way the Windows profile reader reads
// it (section and key names without regard to case, surrounding spaces trimmed, a missing
// file, section or key gives the default). The file is user input: whatever it holds, the
// reader returns defaults or the readable part, never more than it can hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
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
    // The keys of a section with their values, in the file's order; a key written twice
    // appears once, with the value Leer gives.
    std::vector<std::pair<std::string, std::string>> Valores(std::string_view seccion) const;

  private:
    struct Entrada {
        std::string seccion, clave, valor;
    };
    std::vector<Entrada> entradas_;
};

// The language file a face hands to the window: the language archivo names (COMUN/IDIOMA,
// English when it names none) with each of its texts taken from archivo, else from the
// carried file llevado in the same language, else from llevado in English. A key given
// empty counts as missing, so no question, step or outcome is shown without its text.
std::string Completar_idiomas(std::string_view archivo, std::string_view llevado);

// Text of bytes that are not valid UTF-8, read as Windows Latin-1 (cp1252), in UTF-8.
std::string A_utf8(std::string_view texto);

}  // namespace z82
