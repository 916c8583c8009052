// The language file as the faces find it: in the folder the program starts in, beside the
// program, then in the installed data folder; the copy the program carries when there is
// none. The texts the file lacks come from the carried copy (Completar_idiomas).
#pragma once

#include <string>
#include <vector>

namespace z82 {

// The text of the language file at ruta (at most Archivo_ini::MAXIMO_ARCHIVO bytes); a
// missing or unreadable file gives an empty text.
std::string Leer_archivo_idiomas(const std::string& ruta);

// The places tried, in order: idiomas.ini in the working folder, beside the program and
// in the installed data folder.
std::vector<std::string> Rutas_idiomas();

struct Idiomas_hallados {
    std::string ruta;   // the file read; empty: the carried copy
    std::string texto;  // what the window is given
};

// The first of rutas that is a file, completed with the carried texts.
Idiomas_hallados Buscar_idiomas(const std::vector<std::string>& rutas);

}  // namespace z82
