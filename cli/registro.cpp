#include "cli/registro.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>
#ifdef _WIN32
#include <process.h>
#define Z82_PID() _getpid()
#else
#include <unistd.h>
#define Z82_PID() getpid()
#endif

namespace z82 {

namespace fs = std::filesystem;

namespace {

bool Digitos(const std::string& s, std::size_t desde, std::size_t n) {
    if (desde + n > s.size()) return false;
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(desde),
                       s.begin() + static_cast<std::ptrdiff_t>(desde + n),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool Letra_de_archivo(unsigned char c) {
    return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
}

// A slot's name as a file name takes: what is not a letter, digit, '.', '-' or '_' becomes
// '_' (a by-path name's colons, a device path's slashes).
std::string Ranura_en_archivo(const std::string& ranura) {
    std::string r = ranura;
    for (char& c : r) {
        if (!Letra_de_archivo(static_cast<unsigned char>(c))) c = '_';
    }
    return r;
}

std::string Nombre_nuevo(const std::string& programa, const std::string& ranura) {
    const std::time_t ahora = std::time(nullptr);
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &ahora);
#else
    localtime_r(&ahora, &t);
#endif
    char fecha[32];
    std::strftime(fecha, sizeof fecha, "%Y%m%d-%H%M%S", &t);
    std::string nombre = programa + "-" + fecha + "-" + std::to_string(Z82_PID());
    if (!ranura.empty()) nombre += "." + Ranura_en_archivo(ranura);
    return nombre + ".log";
}

}  // namespace

bool Es_registro_de(const std::string& programa, const std::string& nombre) {
    // PROGRAM- YYYYMMDD - HHMMSS - PID [.SLOT] .log
    const std::size_t p = programa.size() + 1;
    const std::string fin = ".log";
    if (nombre.size() < p + 16 + 1 + fin.size()) return false;
    if (nombre.compare(0, programa.size(), programa) != 0 || nombre[p - 1] != '-') return false;
    if (!Digitos(nombre, p, 8) || nombre[p + 8] != '-' || !Digitos(nombre, p + 9, 6) ||
        nombre[p + 15] != '-') {
        return false;
    }
    if (nombre.compare(nombre.size() - fin.size(), fin.size(), fin) != 0) return false;
    const std::size_t pid = p + 16;
    const std::size_t final = nombre.size() - fin.size();
    std::size_t fin_pid = pid;
    while (fin_pid < final && std::isdigit(static_cast<unsigned char>(nombre[fin_pid])) != 0)
        ++fin_pid;
    if (fin_pid == pid) return false;
    if (fin_pid == final) return true;
    // A bench session's log names its slot after the PID.
    if (nombre[fin_pid] != '.' || fin_pid + 1 == final) return false;
    return std::all_of(nombre.begin() + static_cast<std::ptrdiff_t>(fin_pid + 1),
                       nombre.begin() + static_cast<std::ptrdiff_t>(final),
                       [](unsigned char c) { return Letra_de_archivo(c); });
}

std::vector<std::string> Rotar_registros(const std::string& programa,
                                         std::vector<Archivo_registro> existentes,
                                         std::size_t max_archivos, std::uintmax_t max_bytes) {
    std::erase_if(existentes,
                  [&](const Archivo_registro& a) { return !Es_registro_de(programa, a.nombre); });
    std::sort(existentes.begin(), existentes.end(),
              [](const Archivo_registro& a, const Archivo_registro& b) {
                  if (a.momento != b.momento) return a.momento < b.momento;
                  return a.nombre < b.nombre;
              });
    std::uintmax_t total = 0;
    for (const Archivo_registro& a : existentes) total += a.bytes;
    std::vector<std::string> borrar;
    std::size_t quedan = existentes.size();
    for (const Archivo_registro& a : existentes) {
        if (quedan <= max_archivos && total <= max_bytes) break;
        borrar.push_back(a.nombre);
        total -= a.bytes;
        --quedan;
    }
    return borrar;
}

std::optional<fs::path> Carpeta_registros() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || *local == '\0') return std::nullopt;
    return fs::path(local) / "z82-updater";
#else
    const char* estado = std::getenv("XDG_STATE_HOME");
    if (estado != nullptr && *estado == '/') return fs::path(estado) / "z82-updater";
    const char* casa = std::getenv("HOME");
    if (casa == nullptr || *casa == '\0') return std::nullopt;
    return fs::path(casa) / ".local" / "state" / "z82-updater";
#endif
}

bool Registro_soporte::abrir(const std::string& programa, const fs::path& carpeta,
                             std::string& error, const std::string& ranura) {
    std::error_code ec;
    fs::create_directories(carpeta, ec);
    if (ec) {
        error = "cannot create " + carpeta.string() + ": " + ec.message();
        return false;
    }
    // Room for this run's log: one file fewer than the limit, in the room of the others.
    std::vector<Archivo_registro> existentes;
    for (fs::directory_iterator i(carpeta, ec), fin; !ec && i != fin; i.increment(ec)) {
        std::error_code e;
        if (!i->is_regular_file(e)) continue;
        Archivo_registro a;
        a.nombre = i->path().filename().string();
        a.bytes = i->file_size(e);
        a.momento = i->last_write_time(e);
        existentes.push_back(std::move(a));
    }
    for (const std::string& nombre : Rotar_registros(programa, std::move(existentes),
                                                     kMax_registros - 1, kMax_bytes_registros)) {
        std::error_code e;
        fs::remove(carpeta / nombre, e);
    }

    ruta_ = carpeta / Nombre_nuevo(programa, ranura);
    archivo_.open(ruta_);
    if (!archivo_) {
        error = "cannot write " + ruta_.string();
        archivo_.close();
        return false;
    }
    return true;
}

void Registro_soporte::resultado(const std::string& texto) {
    if (!abierto()) return;
    archivo_ << texto;
    if (!texto.empty() && texto.back() != '\n') archivo_ << '\n';
    archivo_.close();
}

void Abrir_registro(Registro_soporte& registro, const std::string& programa,
                    const std::string& ranura) {
    const std::optional<fs::path> carpeta = Carpeta_registros();
    std::string error;
    if (!carpeta) {
#ifdef _WIN32
        error = "no state folder (LOCALAPPDATA is not set)";
#else
        error = "no state folder (HOME is not set)";
#endif
    } else if (registro.abrir(programa, *carpeta, error, ranura)) {
        return;
    }
    std::fprintf(stderr, "%s: no log for this run: %s\n", programa.c_str(), error.c_str());
}

}  // namespace z82
