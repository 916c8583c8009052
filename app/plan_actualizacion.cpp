// The update plan: which items the meter needs, decided from its versions, and the check
// made before an update may start.
#include <array>
#include <cstdio>
#include <string>

#include "app/ventana_cargador.h"
#include "base/mapa_memoria.h"
#include "fpga/area_fpga.h"
#include "link/tcpuerto.h"
#include "plans/planes.h"
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

// Character i (from 0) of a text, 0 past its end.
signed char Caracter(const std::string& s, size_t i) {
    return i < s.size() ? static_cast<signed char>(s[i]) : 0;
}

// First difference of the first n characters: true when the meter's is the smaller.
bool Medidor_menor(const std::string& medidor, const std::string& imagen, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const signed char a = Caracter(medidor, i), b = Caracter(imagen, i);
        if (a != b) return a < b;
    }
    return false;
}

bool Build_cero(const std::string& version) {
    for (size_t i = 5; i < 10; ++i) {
        if (Caracter(version, i) != '0') return false;
    }
    return true;
}

int Tipo_plan(const std::array<uint8_t, 6>& cabecera) { return cabecera[4] > 4 ? 0 : cabecera[4]; }

}  // namespace

void Tventana_cargador::Plan_actualizacion() {
    Check_firmware = Check_fpga = Check_planes = false;
    Check_borrar = Check_configuracion = Check_mpeg4_apl = false;

    Check_firmware = Firmware_nuevo();
    Check_fpga = Fpga_distinta();
    // The plan header decides which region's plans are written: it is read like the version.
    bool conforme = false;
    const int tipo = Tipo_plan(Leer_bytes<6>(*consultas, m::BANCO_PLANES, m::CABECERA_PLANES,
                                             &conforme, kUsadosCabeceraPlanes));
    if (!conforme) medidor.version_legible = false;
    Check_planes = Planes_distintos(tipo);
    planes_distintos = Check_planes;
    Check_mpeg4_apl = Mpeg4_necesario();

    if (Check_firmware) {
        // The FPGA configurations and the zone always go with the main firmware.
        Check_fpga = true;
        Check_configuracion = true;
    } else {
        // Plans and the erase only travel with the main firmware.
        Check_planes = false;
        Check_borrar = false;
        // A meter that runs the carried firmware without its zone (a run programmed the
        // firmware and could not write the zone): the version rules cannot see it, so the
        // zone owed to it goes alone.
        if (zona_pendiente && medidor.version_legible && version_medidor == version_hex)
            Check_configuracion = true;
    }
}

bool Tventana_cargador::Firmware_nuevo() {
    medidor.es_usa = false;
    medidor.version_legible = false;

    // What is read here decides what is written over the meter's flash, and the replies
    // carry no checksum: a byte damaged or doubled on the line could make a current meter
    // look like a test build (which takes the carried, older firmware) or hide the USA
    // model. Each value must read the same twice running; when one never does, the
    // version counts as unreadable and no update starts. The first read of each block is
    // not used.
    bool conforme[4] = {};
    Leer_bytes<16>(*consultas, m::BANCO_RAM, m::ESTADO_VERSION);
    if (Leer_bytes<16>(*consultas, m::BANCO_RAM, m::ESTADO_VERSION, &conforme[0], kUsados6030)[1] !=
            0 ||
        !conforme[0]) {
        return false;
    }

    Leer_bytes<16>(*consultas, m::BANCO_FIRMWARE, m::BLOQUE_REGION);
    const auto bloque = Leer_bytes<16>(*consultas, m::BANCO_FIRMWARE, m::BLOQUE_REGION,
                                       &conforme[1], kUsadosRegion);
    medidor.es_usa = bloque[12] == 'U' && bloque[13] == 'S' && bloque[14] == 'A';

    const auto numero = Leer_bytes<6>(*consultas, m::BANCO_FIRMWARE, m::VERSION, &conforme[2]);
    const auto build = Leer_bytes<6>(*consultas, m::BANCO_FIRMWARE, m::BUILD, &conforme[3]);
    const std::string leida = Texto_campo(numero) + "." + Texto_campo(build);
    version_medidor = leida;
    if (!conforme[1] || !conforme[2] || !conforme[3]) return false;
    medidor.version_legible = true;
    // A meter that runs any build other than 00000 always takes the carried firmware.
    if (!Build_cero(leida)) return true;
    if (Build_cero(version_hex)) return Medidor_menor(leida, version_hex, 4);
    return Medidor_menor(leida, version_hex, 10);
}

bool Tventana_cargador::Fpga_distinta() {
    if (modo_diferencial) return false;
    const auto b = Leer_bytes<16>(*consultas, m::BANCO_FPGA, m::DIRECTORIO_FPGA);
    char texto[16];
    std::snprintf(texto, sizeof texto, "%d.%d", b[11], b[10]);
    version_fpga_medidor = texto;
    return version_fpga_medidor != Version_fpga_llevada();
}

bool Tventana_cargador::Planes_distintos(int tipo) {
    bool conforme = false;
    const auto cabecera = Leer_bytes<6>(*consultas, m::BANCO_PLANES, m::CABECERA_PLANES, &conforme,
                                        kUsadosCabeceraPlanes);
    if (!conforme) medidor.version_legible = false;
    medidor.tipo_plan_medidor = Tipo_plan(cabecera);
    if (medidor.tipo_plan_medidor != tipo) return true;
    medidor.plan_medidor = cabecera[2] * 256 + cabecera[3];
    medidor.plan_esperado = Version_plan_llevada(medidor.tipo_plan_medidor);
    return medidor.plan_medidor != medidor.plan_esperado;
}

bool Tventana_cargador::Mpeg4_necesario() {
    using Respuesta = TConsultas::Respuesta_modulo;
    // The module is asked over a live connection: connect first when there is none.
    if (!conectado) {
        Boton_ConectarClick();
        if (!conectado) {
            consultas->version = Version_mpeg4{};
            consultas->respuesta_mpeg4 = Respuesta::ninguna;
            return false;
        }
    }
    consultas->Leer_version_mpeg4();
    // A module that sent nothing within the wait is absent. One that sent part of its
    // answer is there and its answer was damaged on the line: it is asked once more on
    // this connection (taken for absent, its update would be skipped).
    if (consultas->respuesta_mpeg4 == Respuesta::parcial) consultas->Leer_version_mpeg4();
    const auto sin_respuesta = [this] {
        return consultas->version.version_boot == 0xFF ||
               consultas->version.version_decoders == 0xFF;
    };
    // A module still starting reports version 0: leave the meter, give it 5 s, reconnect
    // and ask once more.
    if (consultas->version.version_sw == 0) {
        puerto->Escribir({enlace::DESCONEXION});
        puerto->Cerrar();
        conectado = false;
        entorno.procesar_mensajes();
        entorno.dormir(5000);
        Reconectar();
        // A failed reconnection has shown "USB error": the rule answers no (asking the
        // module now would start a whole new connection from inside this one).
        if (!conectado) return false;
        consultas->Leer_version_mpeg4();
        if (consultas->version.version_sw == 0) return false;
    }
    const Version_mpeg4& v = consultas->version;
    if (sin_respuesta()) return false;
    if (v.version_sw < 0x6F) return true;
    return v.build != 0;
}

bool Tventana_cargador::Comprobar_medidor() {
    medidor.opciones_bit5_libre = false;
    const auto opciones = Leer_bytes<32>(*consultas, m::BANCO_RAM, m::OPCIONES);
    if ((opciones[26] & 0x20) == 0) {
        medidor.opciones_bit5_libre = true;
        return false;
    }
    if (!medidor.version_legible || medidor.es_usa) return false;
    return Check_firmware || Check_fpga || Check_planes || Check_borrar || Check_configuracion ||
           Check_mpeg4_apl;
}

}  // namespace z82
