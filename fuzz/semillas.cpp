// Writes the seed corpora of the fuzz targets into DIR/<target>/:
//   hex      the carried firmware image in pieces of lines, and single records
//   idiomas  the language file given on the command line, and pieces of it
//   planes   the five carried plan images
//   medidor  for every exchange of fuzz_medidor, the simulated meter's replies recorded
//            from whole updates under virtual time, in the meter fuzzer's form
//
//   z82_semillas_fuzz DIR IDIOMAS_INI
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "apoyo/banco_ventana.h"
#include "data/imagenes.h"
#include "guion_fuzz.h"
#include "sim/config_medidor.h"
#include "sim/medidor_simulado.h"

namespace fs = std::filesystem;

namespace {

void Escribir(const fs::path& ruta, std::string_view datos) {
    std::ofstream f(ruta, std::ios::binary);
    f.write(datos.data(), static_cast<std::streamsize>(datos.size()));
}

void Escribir(const fs::path& ruta, const std::vector<uint8_t>& datos) {
    Escribir(ruta, std::string_view(reinterpret_cast<const char*>(datos.data()), datos.size()));
}

struct Grabacion {
    std::vector<uint8_t> bytes;
    std::vector<size_t> inicios;
    std::vector<int> primeros;
};

// A whole update of a simulated meter set up by c, with its replies recorded.
Grabacion Grabar_actualizacion(const z82::sim::Config_medidor& c) {
    z82::prueba::Banco_ventana b;
    z82::sim::Medidor_simulado medidor(c);
    z82::fuzz::Grabador grabador(medidor);
    b.poner(1, &grabador);
    auto& v = b.crear();
    b.vista.respuestas = {true, true};
    v.Button_buscar_puertoClick();
    v.Button_buscar_puertoClick();
    Grabacion g;
    g.bytes = grabador.Codificar(&g.inicios, &g.primeros);
    b.ventana.reset();
    std::printf("  recorded update: %zu replies, %zu bytes\n", grabador.Respuestas(),
                g.bytes.size());
    return g;
}

// The reply each exchange of the meter fuzzer starts with: the recording is cut so that
// the seed begins at the first reply of that kind (-1: from the start).
constexpr int PRIMERA_RESPUESTA[] = {
    -1,    // the window's handshake
    -1,    // queries
    '0',   // block writes
    'p',   // page erases
    'f',   // wake-up
    0x8A,  // progress stream
    0xAD,  // loader code load
    'f',   // wake, erase, plan, program
    0xA5,  // block loader
    0x20,  // EEPROM writes
    'p',   // FPGA area
    'p',   // MPEG4 steps
    'f',   // MPEG4 update
    '0',   // banner pictures
    '0',   // firmware stream
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR IDIOMAS_INI\n", argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    for (const char* t : {"hex", "idiomas", "planes", "medidor"}) fs::create_directories(dir / t);

    // HEX: the image's lines in runs of 64 from a few places, the first and last lines.
    const std::string_view hex = z82::datos::imagen_hex();
    std::vector<size_t> inicios{0};
    for (size_t p = hex.find('\n'); p != std::string_view::npos; p = hex.find('\n', p + 1)) {
        inicios.push_back(p + 1);
    }
    const size_t lineas = inicios.size() - 1;
    int k = 0;
    for (size_t l : {size_t{0}, lineas / 3, lineas / 2, lineas - 64}) {
        const size_t fin = std::min(l + 64, lineas);
        Escribir(dir / "hex" / ("lineas_" + std::to_string(k++)),
                 hex.substr(inicios[l], inicios[fin] - inicios[l]));
    }
    Escribir(dir / "hex" / "ultima", hex.substr(inicios[lineas - 1]));

    // Language file: whole, and its first lines.
    std::ifstream f(argv[2], std::ios::binary);
    const std::string ini((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    Escribir(dir / "idiomas" / "idiomas.ini", ini);
    Escribir(dir / "idiomas" / "comienzo.ini", std::string_view(ini).substr(0, 200));
    Escribir(dir / "idiomas" / "latin1.ini",
             "[COMUN]\r\nIDIOMA=ES\r\n[ES]\r\nPASO1_L1=Actualizaci\xF3n\r\n");

    // Plan images.
    for (int t = 0; t < 5; ++t) {
        const auto p = z82::datos::imagen_planes(t);
        Escribir(dir / "planes" / ("planes" + std::to_string(t)),
                 std::vector<uint8_t>(p.begin(), p.end()));
    }

    // The meter's replies: updates of a few meters, recorded once, given to every exchange
    // from the first reply of the kind the exchange begins with, cut to 4 KB.
    std::vector<z82::sim::Config_medidor> medidores(3);
    medidores[1].plan_tipo = 4;
    medidores[1].plan_version = 0x6F;
    medidores[2].mpeg4.version_sw = 0x006E;
    for (size_t i = 0; i < medidores.size(); ++i) {
        const auto g = Grabar_actualizacion(medidores[i]);
        for (int e = 0; e < static_cast<int>(std::size(PRIMERA_RESPUESTA)); ++e) {
            size_t desde = 0;
            if (PRIMERA_RESPUESTA[e] >= 0) {
                size_t r = 0;
                while (r < g.primeros.size() && g.primeros[r] != PRIMERA_RESPUESTA[e]) ++r;
                // An exchange whose first reply the run never gave starts from the top.
                if (r < g.primeros.size()) desde = g.inicios[r];
            }
            std::vector<uint8_t> s{static_cast<uint8_t>(e)};
            const size_t hasta = std::min(g.bytes.size(), desde + 4096);
            s.insert(s.end(), g.bytes.begin() + static_cast<std::ptrdiff_t>(desde),
                     g.bytes.begin() + static_cast<std::ptrdiff_t>(hasta));
            Escribir(
                dir / "medidor" / ("actualizacion" + std::to_string(i) + "_" + std::to_string(e)),
                s);
        }
    }
    std::printf("seeds written to %s\n", dir.string().c_str());
    return 0;
}
