// The plan image decoder over arbitrary bytes. A decoded image holds at most 64 plans,
// names within their fields (a field without its zero gives its whole width), and channels that all
// lie inside the image; decoding is repeatable and a refusal always says why.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "plans/imagen_planes.h"

namespace {

void Fallo(const char* que) {
    std::fprintf(stderr, "fuzz_planes: %s\n", que);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    namespace fp = z82::formato_planes;
    const std::span<const uint8_t> imagen(datos, n);
    std::string error;
    const auto r = z82::Decodificar_planes(imagen, &error);
    const auto otra = z82::Decodificar_planes(imagen);
    if (r.has_value() != otra.has_value()) Fallo("decoding is not repeatable");
    if (!r) {
        if (error.empty()) Fallo("refused without a reason");
        return 0;
    }
    if (r->planes.size() > fp::RANURAS) Fallo("more plans than slots");
    if (r->planes.size() != otra->planes.size()) Fallo("decoding is not repeatable");
    if (r->version != z82::Version_planes(imagen)) Fallo("version differs from the header");
    for (const auto& plan : r->planes) {
        if (plan.nombre.size() > fp::NOMBRE_PLAN) Fallo("plan name overruns its field");
        if (plan.direccion < fp::DIRECCION_BASE + fp::INICIO_TABLAS) Fallo("table before tables");
        const size_t desde = plan.direccion - fp::DIRECCION_BASE;
        if (desde + plan.canales.size() * fp::CANAL > n) Fallo("channels past the image");
        for (const auto& c : plan.canales) {
            if (c.nombre.size() > fp::NOMBRE_CANAL) Fallo("channel name overruns its field");
        }
        const std::string u = z82::Latin1_a_utf8(plan.nombre);
        if (u.size() < plan.nombre.size() || u.size() > 2 * plan.nombre.size()) {
            Fallo("Latin-1 conversion length");
        }
    }
    return 0;
}
