#include "hex/escaneo_hex.h"

#include <algorithm>
#include <cstring>

namespace z82 {
namespace {

std::string Motivo(uint8_t codigo) {
    switch (codigo) {
        case HEX_NO_ES_REGISTRO:
            return " NO es un record";
        case HEX_CHECKSUM:
            return " tiene un checksum incorrecto";
        default:
            return " tiene un formato incorrecto";
    }
}

}  // namespace

Resultado_escaneo Escanear_hex(TFuente_lineas& fuente, TLector_hex& lector) {
    Resultado_escaneo res;
    fuente.Rebobinar();

    // The version as the meter keeps it: four characters, a point, five characters, a zero.
    char version[12] = {};
    uint8_t datos[256];
    Registro_hex r;
    r.data = datos;

    bool pagina_fijada = false;
    uint8_t pagina = 0;
    uint32_t cuenta = 0;
    bool fin = false;
    while (!fin) {
        // Bytes a short record does not carry read as zero, never as the previous record's.
        std::memset(datos, 0, sizeof(datos));
        const uint8_t codigo = lector.Leer_registro(r);
        if (codigo == HEX_FIN) {
            res.mensaje = "El fichero ha terminado antes de lo esperado";
            break;
        }
        if (codigo != HEX_OK) {
            res.mensaje = "La linea: " + std::to_string(cuenta) + Motivo(codigo);
            break;
        }
        if (r.type == HEX_TIPO_DIRECCION_LINEAL) {
            const uint8_t segmento = datos[1];
            pagina = Pagina_de_segmento(segmento);
            pagina_fijada = true;
            if (segmento < 64 && segmento != 0) res.segmentos[segmento] = true;
        } else if (r.type == HEX_TIPO_DATOS && pagina_fijada && pagina == PAGINA_VERSION) {
            if (r.address == 0x0010) {
                std::memcpy(version, datos, 4);
                version[4] = '.';
            } else if (r.address == 0x0016) {
                std::memcpy(version + 5, datos, 5);
                version[10] = '\0';
            }
        } else if (r.type == HEX_TIPO_FIN) {
            fin = true;
        }
        ++cuenta;
    }

    res.version = std::string(version, std::find(version, version + sizeof(version), '\0'));
    res.registros = cuenta;
    res.ok = fin;
    if (res.ok) lector.registros = cuenta;
    return res;
}

}  // namespace z82
