#include "flash/codigo_cargador.h"

#include "base/entorno.h"
#include "graphics/tgraficos.h"
#include "link/tcpuerto.h"
#include "protocol/trama_flash.h"
#include "queries/tconsultas.h"

namespace z82 {

namespace {

constexpr size_t TAMANO_BLOQUE[3] = {32, 144, 972};
constexpr int PAUSA_CARGA_MS = 100;
constexpr int PAUSA_BYTE_MS = 1;
constexpr int PAUSA_TRAS_972_MS = 2000;
constexpr uint32_t TROZO_972 = 4;

}  // namespace

TCodigo_cargador::TCodigo_cargador(Canal canal, Bloques_cargador& bloques_cargador,
                                   TConsultas* consultas, TGraficos* graficos)
    : bloques(bloques_cargador), canal_(canal), consultas_(consultas), graficos_(graficos) {}

bool TCodigo_cargador::esperar_byte(uint8_t& b, int64_t inicio, int64_t limite_s, Limite cuando) {
    Espera espera(canal_.puerto, canal_.entorno);
    espera.reiniciar_en(inicio);
    return espera.byte(b, limite_s, cuando);
}

bool TCodigo_cargador::Cargar_arranque() {
    if (graficos_) graficos_->habilitado = false;
    // Counted from the start of this load: the run clock is not set when the connection
    // handshake calls it.
    const int64_t inicio = canal_.entorno.segundos();
    const auto& b0 = bloques.bloque[0];
    const auto& b2 = bloques.bloque[2];
    if (b0.size() != TAMANO_BLOQUE[0] || b2.size() != TAMANO_BLOQUE[2]) return false;

    TCPuerto& puerto = canal_.puerto;
    puerto.Vaciar_entrada();
    puerto.Escribir(b0.data(), static_cast<uint32_t>(b0.size()));
    canal_.entorno.dormir(PAUSA_CARGA_MS);
    puerto.Vaciar_entrada();
    puerto.Escribir(b2.data(), static_cast<uint32_t>(b2.size()));
    canal_.entorno.dormir(PAUSA_CARGA_MS);

    uint8_t respuesta = 0;
    if (!esperar_byte(respuesta, inicio, LIMITE_ARRANQUE_S)) return false;
    if (respuesta == RESP_CODIGO_CARGADO) return true;
    canal_.entorno.pitar();
    return false;
}

bool TCodigo_cargador::Cargar_bloque_144(int64_t hora_inicio) {
    const auto& b1 = bloques.bloque[1];
    if (b1.size() != TAMANO_BLOQUE[1]) return false;
    if (consultas_) consultas_->Activar_dispositivo();

    TCPuerto& puerto = canal_.puerto;
    puerto.Vaciar_entrada();
    puerto.Escribir({CMD_CARGAR_BLOQUE, 0x90, 0x00});
    puerto.Escribir(b1.data(), static_cast<uint32_t>(b1.size()));

    uint8_t respuesta = 0;
    if (!esperar_byte(respuesta, hora_inicio, LIMITE_BLOQUE_S)) return false;

    // The meter that can show pictures answers 0x4A with the place of its frame buffer.
    TGraficos* g = graficos_;
    if (g) g->habilitado = false;
    if (respuesta == RESP_BLOQUE_144) {
        uint8_t dato[3] = {0, 0, 0};
        for (uint8_t& d : dato) esperar_byte(d, hora_inicio, LIMITE_BLOQUE_S, Limite::alcanzado);
        if (g) {
            g->habilitado = true;
            g->pagina_inicio = dato[0];
            g->direccion_base = static_cast<uint16_t>((dato[1] << 8) | dato[2]);
        }
    }
    canal_.entorno.dormir(PAUSA_CARGA_MS);
    return true;
}

bool TCodigo_cargador::Cargar_bloque_972(int64_t& hora_inicio) {
    const auto& b2 = bloques.bloque[2];
    if (b2.size() != TAMANO_BLOQUE[2]) return false;

    TCPuerto& puerto = canal_.puerto;
    puerto.Vaciar_entrada();
    hora_inicio = canal_.entorno.segundos();
    // The loader takes this block slowly: the header byte by byte, the code four at a time.
    for (uint8_t c : {CMD_CARGAR_BLOQUE, uint8_t{0xCC}, uint8_t{0x03}}) {
        puerto.Escribir(&c, 1);
        canal_.entorno.dormir(PAUSA_BYTE_MS);
    }
    for (size_t i = 0; i < b2.size(); i += TROZO_972) {
        puerto.Escribir(b2.data() + i, TROZO_972);
        canal_.entorno.dormir(PAUSA_BYTE_MS);
    }
    hora_inicio = canal_.entorno.segundos();
    canal_.entorno.dormir(PAUSA_CARGA_MS);

    uint8_t respuesta = 0;
    // The first byte is not the answer.
    if (!esperar_byte(respuesta, hora_inicio, LIMITE_BLOQUE_S)) return false;
    do {
        if (!esperar_byte(respuesta, hora_inicio, LIMITE_BLOQUE_S)) return false;
    } while (respuesta != RESP_CODIGO_CARGADO);
    canal_.entorno.dormir(PAUSA_TRAS_972_MS);
    return true;
}

}  // namespace z82
