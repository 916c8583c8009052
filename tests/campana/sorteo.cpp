// The fault campaign's draw: from a seed, the meter, the answers, the faults and what the
// meter must hold afterwards.
#include <iterator>
#include <sstream>

#include "campana/campana.h"
#include "plans/planes.h"

namespace z82::campana {
namespace {

// splitmix64: the same numbers on every platform and library.
struct Azar {
    uint64_t estado;
    uint64_t siguiente() {
        estado += 0x9E3779B97F4A7C15ull;
        uint64_t z = estado;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1
    int64_t entero(int64_t n) { return n <= 0 ? 0 : int64_t(siguiente() % uint64_t(n)); }
    bool moneda(int por_ciento) { return entero(100) < por_ciento; }
    double real() { return double(siguiente() >> 11) / double(1ull << 53); }
};

// Plan version the carried image of each type holds.
uint16_t Plan_llevado(int tipo) { return static_cast<uint16_t>(Version_plan_llevada(tipo)); }

// Virtual length of a run without faults, roughly, by its items: the window in which the
// faults strike.
int64_t Duracion_estimada_us(const Plan_esperado& p) {
    int64_t s = 10;
    if (p.borrado) s += 10;
    if (p.mpeg4) s += 290;
    if (p.fpga) s += 25;
    if (p.firmware) s += 480;
    if (p.zona) s += 15;
    return s * 1'000'000;
}

const char* Nombre_fallo(Tipo_fallo t) {
    switch (t) {
        case Tipo_fallo::byte_perdido:
            return "lost";
        case Tipo_fallo::byte_corrompido:
            return "corrupted";
        case Tipo_fallo::byte_retrasado:
            return "delayed";
        case Tipo_fallo::byte_duplicado:
            return "duplicated";
        case Tipo_fallo::byte_sustituido:
            return "wrong-byte";
        case Tipo_fallo::borrado_fallido:
            return "erase-fails";
        case Tipo_fallo::relleno:
            return "filler-answer";
        case Tipo_fallo::silencio:
            return "silence";
        case Tipo_fallo::desenchufe:
            return "unplugged";
        case Tipo_fallo::desconexion_medidor:
            return "meter-0A";
        case Tipo_fallo::interrupcion:
            return "ctrl-c";
        case Tipo_fallo::ruido:
            return "noise";
        case Tipo_fallo::adaptador_fuera:
            return "adapter-pulled";
        case Tipo_fallo::parada_en:
            return "ctrl-c";
        case Tipo_fallo::idioma_danado:
            return "language-byte-damaged";
        case Tipo_fallo::desconexion_en:
            return "meter-0A";
    }
    return "?";
}

}  // namespace

Corrida Sortear(uint64_t semilla) {
    Corrida c;
    c.semilla = semilla;
    Azar a{semilla * 0x2545F4914F6CDD1Dull + 17};
    auto& k = c.config;
    Plan_esperado& p = c.plan;
    std::ostringstream d;

    // Which items the meter needs.
    const int64_t clase = a.entero(100);
    if (clase < 60) {
        k.version_firmware = "1.87.00000";
        k.plan_tipo = static_cast<uint8_t>(a.entero(5));
        const bool plan_al_dia = a.moneda(30);
        k.plan_version =
            plan_al_dia ? Plan_llevado(k.plan_tipo) : static_cast<uint16_t>(0x40 + a.entero(0x20));
        k.fpga_mayor = a.moneda(20) ? 3 : 2;
        p.firmware = p.fpga = p.zona = true;
        const bool pregunta = !plan_al_dia && (k.plan_tipo == 0 || k.plan_tipo == 4);
        p.pregunta_planes = pregunta;
        c.respuesta_planes = a.moneda(75);
        p.planes = !plan_al_dia && (!pregunta || c.respuesta_planes);
        p.borrado = pregunta && c.respuesta_planes;
        d << "firmware plans-type " << int(k.plan_tipo) << " plan-version 0x" << std::hex
          << k.plan_version << std::dec << (plan_al_dia ? " (current)" : "");
        if (pregunta) d << (c.respuesta_planes ? " plan-question OK" : " plan-question Cancel");
    } else if (clase < 75) {
        k.version_firmware = "1.89.00000";
        p.fpga = true;
        d << "fpga-only";
    } else if (clase < 85) {
        k.version_firmware = "1.89.00000";
        k.fpga_mayor = 3;
        d << "mpeg4-only";
    } else {
        k.version_firmware = "1.89.00000";
        p.fpga = true;
        d << "mpeg4+fpga";
    }
    if (clase >= 75 || a.moneda(25)) {
        k.mpeg4.version_sw = static_cast<uint16_t>(0x50 + a.entero(0x1F));
        p.mpeg4 = true;
        if (clase < 75) d << " +mpeg4";
    }
    if (p.borrado) {
        c.respuesta_borrado = a.moneda(90);
        if (!c.respuesta_borrado) {
            p.rechaza_borrado = true;
            d << " erase-warning Cancel";
        }
    }

    // Faults: none in a few runs, up to four in the others.
    const int64_t duracion = Duracion_estimada_us(p);
    const int n = a.moneda(5) ? 0 : 1 + int(a.entero(4));
    for (int i = 0; i < n; ++i) {
        Fallo_sorteado f;
        f.tipo = static_cast<Tipo_fallo>(a.entero(kTipos_fallo));
        f.hacia_pc = a.moneda(50);
        // A quarter of the faults strike the search, the reads of the versions and the
        // checks, which take the first seconds; the others anywhere in the run.
        f.t_us = a.moneda(25) ? a.entero(4'000'000) : a.entero(duracion + duracion / 10);
        switch (f.tipo) {
            case Tipo_fallo::byte_corrompido:
                f.valor = static_cast<uint8_t>(1 + a.entero(255));
                break;
            case Tipo_fallo::byte_sustituido:
                f.hacia_pc = true;
                f.valor = static_cast<uint8_t>(a.entero(256));
                break;
            case Tipo_fallo::byte_retrasado:
                f.retardo_us = a.moneda(50) ? 1 + a.entero(20'000) : 1 + a.entero(4'000'000);
                break;
            case Tipo_fallo::borrado_fallido:
                f.cuenta = 1 + int(a.entero(4));
                f.valor = static_cast<uint8_t>('q' + a.entero(5));
                break;
            case Tipo_fallo::relleno: {
                const uint8_t opciones[3] = {'?', 'f', 0};
                f.valor = opciones[a.entero(3)];
                break;
            }
            case Tipo_fallo::ruido:
                f.probabilidad = 1e-7 * double(1 + a.entero(30));
                break;
            default:
                break;
        }
        c.fallos.push_back(f);
        d << " | " << Nombre_fallo(f.tipo);
        switch (f.tipo) {
            case Tipo_fallo::borrado_fallido:
                d << " x" << f.cuenta << " '" << char(f.valor) << "'";
                break;
            case Tipo_fallo::relleno:
                d << " " << (f.valor == 0 ? std::string("none") : std::string(1, char(f.valor)));
                break;
            case Tipo_fallo::ruido:
                d << " p=" << f.probabilidad;
                break;
            default:
                d << (f.tipo <= Tipo_fallo::byte_sustituido ? (f.hacia_pc ? " to-pc" : " to-meter")
                                                            : "")
                  << " at " << double(f.t_us) / 1e6 << "s";
                if (f.tipo == Tipo_fallo::byte_corrompido || f.tipo == Tipo_fallo::byte_sustituido)
                    d << " 0x" << std::hex << int(f.valor) << std::dec;
                if (f.tipo == Tipo_fallo::byte_retrasado) d << " by " << f.retardo_us << "us";
                break;
        }
    }
    // Faults that follow the meter's steps, drawn apart so that the draws above stay what
    // they were: in one run of eight, a stop at a safe point of the run (just before and
    // just after the firmware's programming among them), a damaged language byte, or the
    // meter leaving during the checks.
    Azar b{semilla * 0x9E3779B97F4A7C15ull + 0x5A17};
    if (b.moneda(12)) {
        struct Paso {
            const char* evento;
            int64_t retardo_max_us;
        };
        static const Paso kParadas[] = {
            {"sonda 5D", 300'000},  {"lectura 18 0010", 1000}, {"lectura 00 6010", 1000},
            {"carga 144", 1000},    {"carga 972", 100'000},    {"orden [ 20", 1000},
            {"escritura D0", 1000}, {"mpeg4 orden", 100'000},  {"escritura DB", 1000},
            {"borrado AB", 1000},   {"escritura B5", 1000},    {"escritura C9", 1000},
            {"programa ", 1000},    {"programado", 300'000},   {"eeprom", 1000},
            {"cierre", 1000},
        };
        static const char* const kComprobaciones[] = {"lectura 00 FEA0", "dispositivo leer 3F",
                                                      "lectura 00 6010", "lectura 18 0000"};
        Fallo_sorteado f;
        const int64_t cual = b.entero(4);
        if (cual < 2) {
            f.tipo = Tipo_fallo::parada_en;
            const Paso& paso = kParadas[b.entero(std::size(kParadas))];
            f.evento = paso.evento;
            f.retardo_us = b.entero(paso.retardo_max_us);
        } else if (cual == 2) {
            f.tipo = Tipo_fallo::idioma_danado;
            f.evento = "lectura 42 020E";
            f.valor = static_cast<uint8_t>(1 + b.entero(255));
            f.cuenta = static_cast<int>(b.entero(6));  // which byte of the reply
        } else {
            f.tipo = Tipo_fallo::desconexion_en;
            f.evento = kComprobaciones[b.entero(std::size(kComprobaciones))];
            f.retardo_us = b.entero(20'000);
        }
        c.fallos.push_back(f);
        d << " | " << Nombre_fallo(f.tipo) << " at '" << f.evento << "'";
        if (f.tipo == Tipo_fallo::idioma_danado)
            d << " byte " << f.cuenta << " 0x" << std::hex << int(f.valor) << std::dec;
        else
            d << " +" << double(f.retardo_us) / 1e6 << "s";
    }
    c.descripcion = d.str();
    return c;
}

}  // namespace z82::campana
