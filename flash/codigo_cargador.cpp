#include "flash/codigo_cargador.h"

#include "base/entorno.h"
#include "graphics/tgraficos.h"
#include "link/tcpuerto.h"
#include "protocol/causa.h"
#include "protocol/trama_flash.h"
#include "queries/tconsultas.h"

namespace z82 {

namespace {

constexpr size_t TAMANO_BLOQUE[3] = {32, 144, 972};
constexpr int PAUSA_CARGA_MS = 100;
constexpr int PAUSA_BYTE_MS = 1;
constexpr int PAUSA_TRAS_972_MS = 2000;
constexpr uint32_t TROZO_972 = 4;

// The cause when one of the program's loader code blocks is not of its size.
std::string bloque_danado(size_t i, size_t tamano) {
    return "the program's loader code is damaged (block " + std::to_string(i) + " has " +
           std::to_string(tamano) + " bytes, not " + std::to_string(TAMANO_BLOQUE[i]) + ")";
}

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
    if (b0.size() != TAMANO_BLOQUE[0] || b2.size() != TAMANO_BLOQUE[2]) {
        canal_.fallar(b0.size() != TAMANO_BLOQUE[0] ? bloque_danado(0, b0.size())
                                                    : bloque_danado(2, b2.size()));
        return false;
    }

    TCPuerto& puerto = canal_.puerto;
    puerto.Vaciar_entrada();
    bool entero =
        puerto.Escribir(b0.data(), static_cast<uint32_t>(b0.size())) == static_cast<int>(b0.size());
    canal_.entorno.dormir(PAUSA_CARGA_MS);
    puerto.Vaciar_entrada();
    entero = puerto.Escribir(b2.data(), static_cast<uint32_t>(b2.size())) ==
                 static_cast<int>(b2.size()) &&
             entero;
    canal_.entorno.dormir(PAUSA_CARGA_MS);

    uint8_t respuesta = 0;
    if (!esperar_byte(respuesta, inicio, LIMITE_ARRANQUE_S)) {
        canal_.fallar(entero ? "the boot loader did not answer the loader code within " +
                                   Duracion(LIMITE_ARRANQUE_S)
                             : std::string(CAUSA_PUERTO));
        return false;
    }
    if (respuesta == RESP_CODIGO_CARGADO) return true;
    canal_.entorno.pitar();
    canal_.fallar("the boot loader answered " + Byte_visto(respuesta) +
                  " to the loader code, not " + Hex(RESP_CODIGO_CARGADO));
    return false;
}

bool TCodigo_cargador::Cargar_bloque_144(int64_t hora_inicio) {
    const auto& b1 = bloques.bloque[1];
    if (b1.size() != TAMANO_BLOQUE[1]) {
        canal_.fallar(bloque_danado(1, b1.size()));
        return false;
    }
    if (consultas_) consultas_->Activar_dispositivo();

    TCPuerto& puerto = canal_.puerto;
    puerto.Vaciar_entrada();
    bool entero = puerto.Escribir({CMD_CARGAR_BLOQUE, 0x90, 0x00}) == 3;
    entero = puerto.Escribir(b1.data(), static_cast<uint32_t>(b1.size())) ==
                 static_cast<int>(b1.size()) &&
             entero;

    uint8_t respuesta = 0;
    if (!esperar_byte(respuesta, hora_inicio, LIMITE_BLOQUE_S)) {
        canal_.fallar(entero ? "the loader did not answer the 144-byte block within " +
                                   Duracion(LIMITE_BLOQUE_S)
                             : std::string(CAUSA_PUERTO));
        return false;
    }

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
    if (b2.size() != TAMANO_BLOQUE[2]) {
        canal_.fallar(bloque_danado(2, b2.size()));
        return false;
    }

    TCPuerto& puerto = canal_.puerto;
    puerto.Vaciar_entrada();
    hora_inicio = canal_.entorno.segundos();
    bool entero = true;
    // The loader takes this block slowly: the header byte by byte, the code four at a time.
    for (uint8_t c : {CMD_CARGAR_BLOQUE, uint8_t{0xCC}, uint8_t{0x03}}) {
        if (puerto.Escribir(&c, 1) != 1) entero = false;
        canal_.entorno.dormir(PAUSA_BYTE_MS);
    }
    for (size_t i = 0; i < b2.size(); i += TROZO_972) {
        if (puerto.Escribir(b2.data() + i, TROZO_972) != static_cast<int>(TROZO_972)) {
            entero = false;
        }
        canal_.entorno.dormir(PAUSA_BYTE_MS);
    }
    hora_inicio = canal_.entorno.segundos();
    canal_.entorno.dormir(PAUSA_CARGA_MS);

    uint8_t respuesta = 0;
    // The first byte is not the answer.
    if (!esperar_byte(respuesta, hora_inicio, LIMITE_BLOQUE_S)) {
        canal_.fallar(entero ? "no answer to the 972-byte block within " + Duracion(LIMITE_BLOQUE_S)
                             : std::string(CAUSA_PUERTO));
        return false;
    }
    do {
        if (!esperar_byte(respuesta, hora_inicio, LIMITE_BLOQUE_S)) {
            canal_.fallar(entero ? "the loader did not confirm the 972-byte block (no " +
                                       Hex(RESP_CODIGO_CARGADO) + " within " +
                                       Duracion(LIMITE_BLOQUE_S) + ")"
                                 : std::string(CAUSA_PUERTO));
            return false;
        }
    } while (respuesta != RESP_CODIGO_CARGADO);
    canal_.entorno.dormir(PAUSA_TRAS_972_MS);
    return true;
}

}  // namespace z82
