#include "link/posix/catalogo_puertos.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

namespace z82 {

namespace fs = std::filesystem;

namespace {

// First line of a small sysfs file, without its end of line; empty when unreadable.
std::string leer_linea(const fs::path& archivo) {
    std::ifstream f(archivo);
    std::string linea;
    if (!f || !std::getline(f, linea)) return {};
    while (!linea.empty() && std::isspace(static_cast<unsigned char>(linea.back()))) {
        linea.pop_back();
    }
    return linea;
}

// USB adapters first, then ACM (the meter's own USB class), then the rest.
int grupo(const std::string& nombre) {
    if (nombre.rfind("ttyUSB", 0) == 0) return 0;
    if (nombre.rfind("ttyACM", 0) == 0) return 1;
    return 2;
}

// "ttyUSB10" -> ("ttyUSB", 10) so that ttyUSB2 comes before ttyUSB10.
std::tuple<int, std::string, long, std::string> clave_orden(const std::string& nombre) {
    size_t corte = nombre.size();
    while (corte > 0 && std::isdigit(static_cast<unsigned char>(nombre[corte - 1]))) --corte;
    long numero = -1;
    const std::string cifras = nombre.substr(corte);
    if (!cifras.empty() && cifras.size() < 10) numero = std::stol(cifras);
    return {grupo(nombre), nombre.substr(0, corte), numero, nombre};
}

// The real path of the device behind each link in `carpeta` -> the link's name. Where several
// links lead to one device (udev makes both a "-usb-" and a "-usbv2-" by-path link) the first
// name in order is kept, so the slot's name does not depend on the folder's order.
std::map<std::string, std::string> leer_enlaces(const fs::path& carpeta) {
    std::map<std::string, std::string> enlaces;
    std::error_code ec;
    for (fs::directory_iterator it(carpeta, ec), fin; !ec && it != fin; it.increment(ec)) {
        std::error_code e2;
        const fs::path real = fs::canonical(it->path(), e2);
        if (e2) continue;  // a link left behind by an adapter that is gone
        const std::string nombre = it->path().filename().string();
        const auto [pos, nuevo] = enlaces.emplace(real.string(), nombre);
        if (!nuevo && nombre < pos->second) pos->second = nombre;
    }
    return enlaces;
}

// A name with no folder in it: a slot's name, or a device's in the dev folder.
bool nombre_suelto(const std::string& ruta) {
    return ruta.find('/') == std::string::npos && ruta != "." && ruta != "..";
}

}  // namespace

Catalogo_puertos::Catalogo_puertos(std::string clase_tty, std::string dev)
    : clase_tty_(std::move(clase_tty)), dev_(std::move(dev)) {
    actualizar();
}

std::vector<Puerto_catalogo> Catalogo_puertos::explorar() const {
    std::vector<std::string> nombres;
    std::error_code ec;
    for (fs::directory_iterator it(clase_tty_, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nombre = it->path().filename().string();
        const fs::path dir = it->path();
        // Consoles and pseudo-terminals have no device behind them.
        std::error_code e2;
        if (!fs::exists(dir / "device" / "driver", e2)) continue;
        // The 8250 driver lists its legacy ports whether or not a chip answers; those it
        // found nothing behind say so with a port type of 0.
        const std::string tipo = leer_linea(dir / "type");
        if (tipo == "0") continue;
        if (!fs::exists(fs::path(dev_) / nombre, e2)) continue;
        nombres.push_back(nombre);
    }
    std::sort(nombres.begin(), nombres.end(), [](const std::string& a, const std::string& b) {
        return clave_orden(a) < clave_orden(b);
    });
    std::vector<Puerto_catalogo> lista;
    lista.reserve(nombres.size());
    for (const auto& nombre : nombres) {
        lista.push_back({.ruta = (fs::path(dev_) / nombre).string(),
                         .descripcion = describir(nombre),
                         .explicito = false});
    }
    return lista;
}

std::string Catalogo_puertos::describir(const std::string& nombre) const {
    std::error_code ec;
    const fs::path dispositivo = fs::canonical(fs::path(clase_tty_) / nombre / "device", ec);
    if (ec) return {};
    // A USB serial device sits a level or two below the USB device that carries the
    // maker's texts and ids.
    fs::path p = dispositivo;
    for (int nivel = 0; nivel < 4 && !p.empty() && p != p.root_path(); ++nivel) {
        const std::string vendedor = leer_linea(p / "idVendor");
        if (!vendedor.empty()) {
            std::string texto = leer_linea(p / "manufacturer");
            const std::string producto = leer_linea(p / "product");
            if (!producto.empty()) texto += (texto.empty() ? "" : " ") + producto;
            const std::string ids = vendedor + ":" + leer_linea(p / "idProduct");
            return texto.empty() ? ids : texto + " (" + ids + ")";
        }
        p = p.parent_path();
    }
    // Otherwise the driver's name; newer kernels put the serial core's own "port" and
    // "ctrl" devices between the tty and the hardware's driver.
    p = dispositivo;
    for (int nivel = 0; nivel < 3 && !p.empty() && p != p.root_path(); ++nivel) {
        const fs::path driver = fs::canonical(p / "driver", ec);
        if (ec) break;
        const std::string nombre_driver = driver.filename().string();
        if (nombre_driver != "port" && nombre_driver != "ctrl") return nombre_driver;
        p = p.parent_path();
    }
    return {};
}

void Catalogo_puertos::nombrar_enlaces() {
    const fs::path serie = fs::path(dev_) / "serial";
    const auto rutas = leer_enlaces(serie / "by-path");
    const auto ids = leer_enlaces(serie / "by-id");
    for (auto& p : puertos_) {
        p.por_ruta.clear();
        p.por_id.clear();
        std::error_code ec;
        const std::string real = fs::canonical(p.ruta, ec).string();
        if (ec) continue;
        if (const auto it = rutas.find(real); it != rutas.end()) p.por_ruta = it->second;
        if (const auto it = ids.find(real); it != ids.end()) p.por_id = it->second;
    }
}

void Catalogo_puertos::actualizar() {
    puertos_ = explorar();
    // A registered link whose device the system lists now is that device.
    for (const auto& ruta : registrados_) {
        if (numero(ruta) == 0) puertos_.push_back({.ruta = ruta, .explicito = true});
    }
    nombrar_enlaces();
}

int Catalogo_puertos::registrar(const std::string& ruta) {
    if (ruta.empty()) return 0;
    if (const int n = numero(ruta); n != 0) return n;
    // A name with no folder: a slot whose device the system does not list, or a device
    // named without its folder ("ttyUSB0"). Nothing there: no port.
    if (nombre_suelto(ruta)) {
        const fs::path dev(dev_);
        for (const fs::path& p :
             {dev / "serial" / "by-path" / ruta, dev / "serial" / "by-id" / ruta, dev / ruta}) {
            std::error_code ec;
            const fs::file_status estado = fs::status(p, ec);
            if (fs::exists(estado) && !fs::is_directory(estado)) return registrar(p.string());
        }
        return 0;
    }
    registrados_.push_back(ruta);
    puertos_.push_back({.ruta = ruta, .explicito = true});
    nombrar_enlaces();
    return cantidad();
}

const Puerto_catalogo* Catalogo_puertos::puerto(int n) const {
    if (n < 1 || n > cantidad()) return nullptr;
    return &puertos_[static_cast<size_t>(n - 1)];
}

std::string Catalogo_puertos::ruta(int n) const {
    const Puerto_catalogo* p = puerto(n);
    return p != nullptr ? p->ruta : std::string();
}

std::string Catalogo_puertos::descripcion(int n) const {
    const Puerto_catalogo* p = puerto(n);
    return p != nullptr ? p->descripcion : std::string();
}

std::string Catalogo_puertos::ranura(int n) const {
    const Puerto_catalogo* p = puerto(n);
    if (p == nullptr) return {};
    if (!p->por_ruta.empty()) return p->por_ruta;
    return p->por_id.empty() ? p->ruta : p->por_id;
}

bool Catalogo_puertos::existe(int n) const {
    const Puerto_catalogo* p = puerto(n);
    std::error_code ec;
    return p != nullptr && fs::exists(p->ruta, ec);
}

int Catalogo_puertos::numero(const std::string& ruta) const {
    if (ruta.empty()) return 0;
    for (size_t i = 0; i < puertos_.size(); ++i) {
        if (puertos_[i].ruta == ruta) return static_cast<int>(i) + 1;
    }
    const bool suelto = nombre_suelto(ruta);
    for (size_t i = 0; i < puertos_.size(); ++i) {
        const Puerto_catalogo& p = puertos_[i];
        if (suelto) {
            if (ruta == p.por_ruta || ruta == p.por_id) return static_cast<int>(i) + 1;
            continue;
        }
        // A link such as /dev/serial/by-id/... names the device it leads to.
        std::error_code ec;
        if (fs::equivalent(p.ruta, ruta, ec) && !ec) return static_cast<int>(i) + 1;
    }
    return 0;
}

}  // namespace z82
