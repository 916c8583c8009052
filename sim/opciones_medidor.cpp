#include "sim/opciones_medidor.h"

#include <cstdio>
#include <cstdlib>

namespace z82::sim {

namespace {

bool par_version(const char* texto, Version_modulo& v) {
    char* fin = nullptr;
    const long sw = std::strtol(texto, &fin, 0);
    if (fin == texto || *fin != ',') return false;
    const char* b = fin + 1;
    const long build = std::strtol(b, &fin, 0);
    if (fin == b || *fin != 0 || sw < 0 || sw > 0xFFFF || build < 0 || build > 0xFFFF) return false;
    v.version_sw = static_cast<uint16_t>(sw);
    v.build = static_cast<uint16_t>(build);
    return true;
}

long numero(const char* texto, long minimo, long maximo, bool& ok) {
    char* fin = nullptr;
    const long v = std::strtol(texto, &fin, 0);
    if (fin == texto || *fin != 0 || v < minimo || v > maximo) ok = false;
    return v;
}

}  // namespace

const char* Ayuda_opciones_medidor() {
    return "z82-meter-sim: a simulated Z82 meter on a pseudo-terminal.\n"
           "The first line printed is the device path to open; the meter serves it in real\n"
           "time until SIGTERM/SIGINT or until standard input is closed.\n\n"
           "  --firmware V        firmware version text (default 1.87.00000)\n"
           "  --region TXT        region text, three characters (default EUR; USA blocks updates)\n"
           "  --plan-type N       channel-plan type 0..4 (default 0)\n"
           "  --plan-version N    channel-plan version (default 100)\n"
           "  --fpga M.m          FPGA version (default 2.0)\n"
           "  --mpeg4 none|V,B    MPEG4 module absent, or its version and build (default 0x70,0)\n"
           "  --mpeg4-after V,B   versions the module reports after a transfer\n"
           "  --mpeg4-time S      seconds the module takes to program (default 90)\n"
           "  --answer A          answer to the probe: 5D, D5, 6D or none (default 5D)\n"
           "  --level N           level reading (default 40)\n"
           "  --language N        language index in the EEPROM (default 1)\n"
           "  --options-clear     options bit 0x20 clear (updates refused)\n"
           "  --device-busy       device 0x3F status bit set\n"
           "  --no-graphics       the 144-byte loader block gets no 0x4A answer\n"
           "  --erase-failures N  the next N page erases fail with 'q'\n"
           "  --disconnect-at S   the meter sends its own 0x0A S seconds after start\n"
           "  --silent-at S       the meter falls silent S seconds after start: it neither\n"
           "                      hears nor answers anything from then on\n"
           "  --png FILE          write the frame buffer when the PC closes and at exit\n"
           "  --link PATH         also make PATH a symbolic link to the device\n"
           "  --dump FILE         at exit, write the size and CRC-32 of every programmed flash\n"
           "                      segment, the EEPROM and the MPEG4 module's data to FILE\n"
           "  --verbose           list the commands understood on standard error\n"
           "  --help              this text\n";
}

Opciones_medidor Leer_opciones_medidor(const std::vector<std::string>& argumentos) {
    Opciones_medidor o;
    const size_t argc = argumentos.size();
    auto& c = o.config;
    for (size_t i = 0; i < argc; ++i) {
        const std::string op = argumentos[i];
        auto valor = [&]() -> const char* {
            return i + 1 < argc ? argumentos[++i].c_str() : nullptr;
        };
        bool ok = true;
        if (op == "--help" || op == "-h") {
            o.ayuda = true;
            return o;
        } else if (op == "--options-clear") {
            c.opciones_bit5 = false;
        } else if (op == "--device-busy") {
            c.registro_sel8[1] |= 0x80;
        } else if (op == "--no-graphics") {
            c.responder_4a = false;
        } else if (op == "--verbose") {
            o.detallado = true;
        } else {
            const char* v = valor();
            if (v == nullptr) {
                o.error = op + " needs a value";
                return o;
            }
            const std::string s = v;
            if (op == "--firmware") {
                c.version_firmware = s;
            } else if (op == "--region") {
                c.region = s;
            } else if (op == "--plan-type") {
                c.plan_tipo = static_cast<uint8_t>(numero(v, 0, 255, ok));
            } else if (op == "--plan-version") {
                c.plan_version = static_cast<uint16_t>(numero(v, 0, 0xFFFF, ok));
            } else if (op == "--fpga") {
                unsigned mayor = 0, menor = 0;
                ok = std::sscanf(v, "%u.%u", &mayor, &menor) == 2 && mayor < 256 && menor < 256;
                c.fpga_mayor = static_cast<uint8_t>(mayor);
                c.fpga_menor = static_cast<uint8_t>(menor);
            } else if (op == "--mpeg4") {
                c.mpeg4_presente = s != "none";
                if (c.mpeg4_presente) ok = par_version(v, c.mpeg4);
            } else if (op == "--mpeg4-after") {
                ok = par_version(v, c.mpeg4_tras_actualizar);
            } else if (op == "--mpeg4-time") {
                c.us_programacion_mpeg4 = numero(v, 0, 3600, ok) * 1'000'000;
            } else if (op == "--answer") {
                c.sonda_muda = s == "none";
                if (s == "5D" || s == "5d")
                    c.respuesta_sonda = 0x5D;
                else if (s == "D5" || s == "d5")
                    c.respuesta_sonda = 0xD5;
                else if (s == "6D" || s == "6d")
                    c.respuesta_sonda = 0x6D;
                else
                    ok = c.sonda_muda;
            } else if (op == "--level") {
                c.nivel = static_cast<uint8_t>(numero(v, 0, 255, ok));
            } else if (op == "--language") {
                c.idioma = static_cast<uint8_t>(numero(v, 0, 255, ok));
            } else if (op == "--erase-failures") {
                o.fallos_borrado = static_cast<int>(numero(v, 0, 1000, ok));
            } else if (op == "--disconnect-at") {
                c.us_desconexion_propia = numero(v, 0, 86400, ok) * 1'000'000;
            } else if (op == "--silent-at") {
                c.us_silencio = numero(v, 0, 86400, ok) * 1'000'000;
            } else if (op == "--png") {
                o.png = s;
            } else if (op == "--link") {
                o.enlace = s;
            } else if (op == "--dump") {
                o.volcado = s;
            } else {
                o.error = "unknown option " + op + " (see --help)";
                return o;
            }
        }
        if (!ok) {
            o.error = "bad value for " + op;
            return o;
        }
    }
    return o;
}

}  // namespace z82::sim
