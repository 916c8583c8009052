// The update plan: the session's reads of the meter's versions, the rules over them, and
// the check made before an update may start.
#include <array>
#include <cstdio>
#include <string>

#include "app/actualizador.h"
#include "app/decidir_plan.h"
#include "app/sesion_medidor.h"
#include "base/mapa_memoria.h"
#include "link/tcpuerto.h"
#include "protocol/enlace.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

namespace m = memoria;

// The bytes of each guarded read that a decision uses: only these must read the same twice
// (the status block at 0x6030 is RAM, and its other bytes move).
constexpr Bytes_usados kUsados6030{1, 2};
constexpr Bytes_usados kUsadosRegion{12, 15};
constexpr Bytes_usados kUsadosCabeceraPlanes{2, 5};

// A memory read as bytes in the order received. With conforme, the read is made until two
// whole replies agree on the bytes usados, and conforme tells whether they did.
template <size_t N>
std::array<uint8_t, N> Leer_bytes(TConsultas& c, uint8_t banco, uint16_t direccion,
                                  bool* conforme = nullptr, Bytes_usados usados = {}) {
    static_assert(N % 2 == 0);
    std::array<uint16_t, N / 2> palabras{};
    const uint8_t cuenta = static_cast<uint8_t>(N);
    if (conforme != nullptr) {
        *conforme = c.Leer_memoria_conforme(direccion, banco, cuenta, palabras.data(), usados);
    } else {
        c.Leer_memoria(direccion, banco, cuenta, palabras.data());
    }
    std::array<uint8_t, N> bytes{};
    for (size_t k = 0; k < N; ++k) bytes[k] = Byte_leido(palabras.data(), k);
    return bytes;
}

// The text of a field up to its first zero byte.
template <size_t N>
std::string Texto_campo(const std::array<uint8_t, N>& b) {
    std::string s;
    for (uint8_t c : b) {
        if (c == 0) break;
        s += static_cast<char>(c);
    }
    return s;
}

int Tipo_plan(const std::array<uint8_t, 6>& cabecera) { return cabecera[4] > 4 ? 0 : cabecera[4]; }

}  // namespace

Lectura_plan Sesion_medidor::Leer_plan() {
    Lectura_plan l;
    Leer_version(l);
    if (!modo_diferencial) l.version_fpga = Leer_version_fpga();
    // The plan header decides which region's plans are written: it is read like the version,
    // and once more for the plans' own version.
    bool conforme[2] = {};
    l.tipo_plan_primero = Tipo_plan(Leer_bytes<6>(*consultas, m::BANCO_PLANES, m::CABECERA_PLANES,
                                                  &conforme[0], kUsadosCabeceraPlanes));
    const auto cabecera = Leer_bytes<6>(*consultas, m::BANCO_PLANES, m::CABECERA_PLANES,
                                        &conforme[1], kUsadosCabeceraPlanes);
    l.tipo_plan = Tipo_plan(cabecera);
    l.plan_medidor = cabecera[2] * 256 + cabecera[3];
    l.cabecera_conforme = conforme[0] && conforme[1];
    l.mpeg4 = Leer_mpeg4();
    return l;
}

void Sesion_medidor::Leer_opciones() {
    medidor.opciones_bit5_libre = false;
    const auto opciones = Leer_bytes<32>(*consultas, m::BANCO_RAM, m::OPCIONES);
    medidor.opciones_bit5_libre = (opciones[26] & 0x20) == 0;
}

void Actualizador::Plan_actualizacion() {
    // The reads in their fixed order, then the rules over what they brought.
    const Lectura_plan l = sesion.Leer_plan();
    const Decision_plan d = Decidir_plan(l, Carga_de_este_programa(version_hex), zona_pendiente);
    plan = d.plan;
    Datos_medidor& medidor = sesion.medidor;
    medidor.es_usa = l.es_usa;
    medidor.version_legible = d.version_legible;
    medidor.tipo_plan_medidor = l.tipo_plan;
    medidor.plan_medidor = l.plan_medidor;
    medidor.plan_esperado = d.plan_esperado;
    version_medidor = l.version;
    version_fpga_medidor = l.version_fpga.value_or("");
    planes_distintos = d.planes_distintos;
}

bool Actualizador::Comprobar_medidor() {
    sesion.Leer_opciones();
    const Datos_medidor& medidor = sesion.medidor;
    impedimento = Impedimento_actualizacion(plan, medidor.opciones_bit5_libre,
                                            medidor.version_legible, medidor.es_usa);
    return impedimento == Impedimento::ninguno;
}

void Sesion_medidor::Leer_version(Lectura_plan& l) {
    // What is read here decides what is written over the meter's flash, and the replies
    // carry no checksum: a byte damaged or doubled on the line could make a current meter
    // look like a test build (which takes the carried, older firmware) or hide the USA
    // model. Each value must read the same twice running; when one never does, the
    // version counts as unreadable and no update starts. The first read of each block is
    // not used.
    bool conforme[4] = {};
    Leer_bytes<16>(*consultas, m::BANCO_RAM, m::ESTADO_VERSION);
    l.firmware_en_marcha = Leer_bytes<16>(*consultas, m::BANCO_RAM, m::ESTADO_VERSION, &conforme[0],
                                          kUsados6030)[1] == 0 &&
                           conforme[0];
    if (!l.firmware_en_marcha) return;

    Leer_bytes<16>(*consultas, m::BANCO_FIRMWARE, m::BLOQUE_REGION);
    const auto bloque = Leer_bytes<16>(*consultas, m::BANCO_FIRMWARE, m::BLOQUE_REGION,
                                       &conforme[1], kUsadosRegion);
    l.es_usa = bloque[12] == 'U' && bloque[13] == 'S' && bloque[14] == 'A';

    const auto numero = Leer_bytes<6>(*consultas, m::BANCO_FIRMWARE, m::VERSION, &conforme[2]);
    const auto build = Leer_bytes<6>(*consultas, m::BANCO_FIRMWARE, m::BUILD, &conforme[3]);
    l.version = Texto_campo(numero) + "." + Texto_campo(build);
    l.version_conforme = conforme[1] && conforme[2] && conforme[3];
}

std::string Sesion_medidor::Leer_version_fpga() {
    const auto b = Leer_bytes<16>(*consultas, m::BANCO_FPGA, m::DIRECTORIO_FPGA);
    char texto[16];
    std::snprintf(texto, sizeof texto, "%d.%d", b[11], b[10]);
    return texto;
}

std::optional<Version_mpeg4> Sesion_medidor::Leer_mpeg4() {
    using Respuesta = TConsultas::Respuesta_modulo;
    // The module is asked over a live connection: connect first when there is none.
    if (!conectado) {
        Conectar();
        if (!conectado) {
            consultas->version = Version_mpeg4{};
            consultas->respuesta_mpeg4 = Respuesta::ninguna;
            return std::nullopt;
        }
    }
    consultas->Leer_version_mpeg4();
    // A module that sent nothing within the wait is absent. One that sent part of its
    // answer is there and its answer was damaged on the line: it is asked once more on
    // this connection (taken for absent, its update would be skipped).
    if (consultas->respuesta_mpeg4 == Respuesta::parcial) consultas->Leer_version_mpeg4();
    // A module still starting reports version 0: leave the meter, give it 5 s, reconnect
    // and ask once more.
    if (consultas->version.version_sw == 0) {
        puerto->Escribir({enlace::DESCONEXION});
        puerto->Cerrar();
        conectado = false;
        entorno.procesar_mensajes();
        entorno.dormir(5000);
        Reconectar();
        // A failed reconnection has shown "USB error": the module is not asked (asking it
        // now would start a whole new connection from inside this one).
        if (!conectado) return std::nullopt;
        consultas->Leer_version_mpeg4();
    }
    return consultas->version;
}

}  // namespace z82
