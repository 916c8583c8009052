// The support log: every run of either face writes the bytes it passed to the meter (as
// --trace writes them) and its outcome to a file of its own in the user's state folder,
// $XDG_STATE_HOME/z82-updater (~/.local/state/z82-updater) or %LOCALAPPDATA%\z82-updater.
// The oldest logs go first, so that the folder keeps the last runs only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace z82 {

// The last runs a folder keeps, and the room all their logs may take.
inline constexpr std::size_t kMax_registros = 20;
inline constexpr std::uintmax_t kMax_bytes_registros = 200u * 1024u * 1024u;

struct Archivo_registro {
    std::string nombre;
    std::uintmax_t bytes = 0;
    std::filesystem::file_time_type momento;
};

// "PROGRAM-YYYYMMDD-HHMMSS-PID.log", the name of a log of that program; a bench session's
// log adds its slot: "PROGRAM-YYYYMMDD-HHMMSS-PID.SLOT.log".
bool Es_registro_de(const std::string& programa, const std::string& nombre);

// The names among existentes to remove, oldest first, so that what is left holds at most
// max_archivos logs of programa and at most max_bytes in all. Files whose name is not a
// log of programa are never chosen, nor counted.
std::vector<std::string> Rotar_registros(const std::string& programa,
                                         std::vector<Archivo_registro> existentes,
                                         std::size_t max_archivos, std::uintmax_t max_bytes);

// The folder of the logs, from the environment; none without one to start from.
std::optional<std::filesystem::path> Carpeta_registros();

// The log of this run.
class Registro_soporte {
  public:
    // Makes room and opens a new log of programa in carpeta (of a bench session on the slot
    // ranura, when given). On failure, false and the reason in error; the run then goes on
    // without a log.
    bool abrir(const std::string& programa, const std::filesystem::path& carpeta,
               std::string& error, const std::string& ranura = {});
    bool abierto() const { return archivo_.is_open(); }
    const std::filesystem::path& ruta() const { return ruta_; }
    // Where the trace lines go.
    std::ostream& salida() { return archivo_; }
    // The outcome the face shows, last in the log: the log is closed after it, so that
    // what the port does afterwards (its closing) is not written below it.
    void resultado(const std::string& texto);

  private:
    std::ofstream archivo_;
    std::filesystem::path ruta_;
};

// Opens the log of this run where the environment says; a run that cannot have one is
// told so in one line on standard error.
void Abrir_registro(Registro_soporte& registro, const std::string& programa,
                    const std::string& ranura = {});

}  // namespace z82
