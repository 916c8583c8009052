#include "cli/archivo_idiomas.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/idiomas.h"
#include "data/imagenes.h"
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#ifndef Z82_DIR_DATOS
#error "Z82_DIR_DATOS must name the installed data folder"
#endif

namespace z82 {
namespace {

namespace fs = std::filesystem;

// The folder of the running program; empty when the system does not say.
fs::path Carpeta_programa() {
#ifdef _WIN32
    std::wstring ruta(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, ruta.data(), static_cast<DWORD>(ruta.size()));
    if (n == 0 || n >= ruta.size()) return {};
    ruta.resize(n);
    return fs::path(ruta).parent_path();
#else
    std::error_code error;
    const fs::path programa = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : programa.parent_path();
#endif
}

// Paths as UTF-8 text, on every system.
fs::path Ruta(const std::string& texto) {
    return fs::path(std::u8string(texto.begin(), texto.end()));
}

std::string Texto_ruta(const fs::path& ruta) {
    const std::u8string u = ruta.u8string();
    return std::string(u.begin(), u.end());
}

}  // namespace

std::string Leer_archivo_idiomas(const std::string& ruta) {
    std::ifstream f(Ruta(ruta), std::ios::binary);
    if (!f) return {};
    std::string contenido(Archivo_ini::MAXIMO_ARCHIVO, '\0');
    f.read(contenido.data(), static_cast<std::streamsize>(contenido.size()));
    contenido.resize(static_cast<size_t>(std::max<std::streamsize>(0, f.gcount())));
    return contenido;
}

std::vector<std::string> Rutas_idiomas() {
    std::vector<std::string> rutas = {"idiomas.ini"};
    const fs::path carpeta = Carpeta_programa();
    if (!carpeta.empty()) rutas.push_back(Texto_ruta(carpeta / "idiomas.ini"));
    rutas.push_back(std::string(Z82_DIR_DATOS) + "/idiomas.ini");
    return rutas;
}

Idiomas_hallados Buscar_idiomas(const std::vector<std::string>& rutas) {
    const std::string_view llevado = datos::idiomas_ini_muestra();
    for (const std::string& ruta : rutas) {
        std::error_code error;
        if (!fs::is_regular_file(Ruta(ruta), error)) continue;
        return {ruta, Completar_idiomas(Leer_archivo_idiomas(ruta), llevado)};
    }
    return {"", Completar_idiomas(llevado, llevado)};
}

}  // namespace z82
