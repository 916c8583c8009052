#include "cli/puesto_sistema.h"

#include "cli/registro.h"
#include "cli/traza.h"
#ifdef _WIN32
#include "link/win32/enlace_sistema.h"
#include "link/win32/entorno_sistema.h"
#else
#include "link/posix/enlace_sistema.h"
#include "link/posix/entorno_sistema.h"
#endif

namespace z82 {

namespace {

// A session's environment on this machine: no bell (several meters share one terminal),
// and the diagnostic lines (the meter's answers to the sector erase) into the slot's log.
class Entorno_puesto : public Entorno_sistema {
  public:
    Entorno_puesto(Enlace_sistema& enlace, Registro_soporte& registro)
        : Entorno_sistema(enlace), registro_(registro) {
        campana = false;
    }
    void diagnostico(const std::string& linea) override {
        if (!registro_.abierto()) return;
        registro_.salida() << linea;
        if (linea.empty() || linea.back() != '\n') registro_.salida() << '\n';
    }

  private:
    Registro_soporte& registro_;
};

class Puesto_sistema : public Puesto {
  public:
    explicit Puesto_sistema(const Ranura& r) {
        // Sessions on other ports never wait for this one's lock.
        enlace_.cerrojo_por_puerto();
        numero_ = enlace_.numero(r.ruta);
        std::string error;
        const std::optional<std::filesystem::path> carpeta = Carpeta_registros();
        if (carpeta && registro_.abrir("z82-update", *carpeta, error, r.nombre)) {
            traza_ =
                std::make_unique<Dispositivo_traza>(enlace_.serie, entorno_, registro_.salida());
        }
    }

    Entorno& entorno() override { return entorno_; }
    Dispositivo_serie& dispositivo() override {
        return traza_ ? static_cast<Dispositivo_serie&>(*traza_) : enlace_.serie;
    }
    Cerrojo_puerto* cerrojo() override { return &enlace_.cerrojo; }
    int numero_puerto() const override { return numero_; }
    std::string ruta_registro() const override {
        return registro_.abierto() ? registro_.ruta().string() : std::string();
    }
    void cerrar_registro(const std::string& desenlace) override { registro_.resultado(desenlace); }

  private:
    Enlace_sistema enlace_;
    Registro_soporte registro_;
    Entorno_puesto entorno_{enlace_, registro_};
    std::unique_ptr<Dispositivo_traza> traza_;
    int numero_ = 0;
};

}  // namespace

Ranura Ranura_de(Enlace_sistema& enlace, int n) {
    Ranura r;
    r.nombre = enlace.ranura(n);
#ifdef _WIN32
    r.ruta = "COM" + std::to_string(n);
#else
    r.ruta = enlace.catalogo.ruta(n);
#endif
    r.descripcion = enlace.descripcion(n);
    return r;
}

std::vector<Ranura> Fuente_sistema::presentes() {
    // The system's list read afresh: adapters come and go.
    Enlace_sistema enlace;
    std::vector<Ranura> r;
    for (int n : enlace.numeros()) r.push_back(Ranura_de(enlace, n));
    return r;
}

std::unique_ptr<Puesto> Fuente_sistema::abrir(const Ranura& ranura) {
    return std::make_unique<Puesto_sistema>(ranura);
}

}  // namespace z82
