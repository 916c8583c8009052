#include "plans/imagen_planes.h"

#include <algorithm>

namespace z82 {
namespace fp = formato_planes;
namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::string Texto(const uint8_t* p, size_t max) {
    const uint8_t* fin = std::find(p, p + max, uint8_t{0});
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(fin - p));
}

std::optional<Imagen_planes> Fallo(std::string* error, std::string motivo) {
    if (error != nullptr) *error = std::move(motivo);
    return std::nullopt;
}

}  // namespace

uint16_t Version_planes(std::span<const uint8_t> cabecera) {
    if (cabecera.size() < 4) return 0;
    return static_cast<uint16_t>(cabecera[2] << 8 | cabecera[3]);
}

std::optional<Imagen_planes> Decodificar_planes(std::span<const uint8_t> imagen,
                                                std::string* error) {
    if (imagen.size() < fp::INICIO_TABLAS) return Fallo(error, "image shorter than its header");
    const uint8_t* b = imagen.data();
    const size_t n_planes = static_cast<size_t>(b[0] << 8 | b[1]);
    if (n_planes > fp::RANURAS) {
        return Fallo(error, "plan count " + std::to_string(n_planes) + " above 64");
    }
    Imagen_planes res;
    res.version = Version_planes(imagen);
    res.tipo = b[4];
    for (size_t i = 0; i < n_planes; ++i) {
        const uint8_t* r = b + fp::CABECERA + i * fp::RANURA;
        Plan_canales plan;
        const size_t n_canales = Le16(r);
        plan.clase = Le16(r + 2);
        plan.numero = Le16(r + 4);
        plan.nombre = Texto(r + 7, fp::NOMBRE_PLAN);
        plan.direccion = Le32(r + 18);
        if (plan.direccion < fp::DIRECCION_BASE + fp::INICIO_TABLAS) {
            return Fallo(error, "plan " + std::to_string(i) + " points before the tables");
        }
        const size_t desde = plan.direccion - fp::DIRECCION_BASE;
        if (desde > imagen.size() || n_canales * fp::CANAL > imagen.size() - desde) {
            return Fallo(error, "plan " + std::to_string(i) + " runs past the image");
        }
        plan.canales.reserve(n_canales);
        for (size_t k = 0; k < n_canales; ++k) {
            const uint8_t* c = b + desde + k * fp::CANAL;
            Canal_plan canal;
            canal.frecuencia = Le32(c);
            canal.nombre = Texto(c + 4, fp::NOMBRE_CANAL);
            canal.polarizacion = c[17];
            canal.ancho_banda = Le16(c + 18);
            canal.numero = Le16(c + 20);
            canal.valor = Le16(c + 24);
            plan.canales.push_back(std::move(canal));
        }
        res.planes.push_back(std::move(plan));
    }
    return res;
}

std::string Latin1_a_utf8(const std::string& texto) {
    std::string s;
    s.reserve(texto.size());
    for (const char ch : texto) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            s.push_back(ch);
        } else {
            s.push_back(static_cast<char>(0xC0 | c >> 6));
            s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return s;
}

}  // namespace z82
