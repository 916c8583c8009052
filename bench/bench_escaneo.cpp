// The start-up scan over the carried firmware image: time and throughput, measured
// against srec_info (package srecord) reading the same file in the same run.
//
//   bench_escaneo [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/imagenes.h"
#include "hex/escaneo_hex.h"

namespace {

using Reloj = std::chrono::steady_clock;

double Segundos(Reloj::time_point a, Reloj::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int veces = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string_view texto = z82::datos::imagen_hex();
    const double mb = static_cast<double>(texto.size()) / 1e6;

    std::vector<double> nuestro;
    uint32_t registros = 0;
    for (int i = 0; i < veces; ++i) {
        z82::TFuente_lineas fuente(texto);
        z82::TLector_hex lector(fuente);
        const auto t0 = Reloj::now();
        const auto r = z82::Escanear_hex(fuente, lector);
        nuestro.push_back(Segundos(t0, Reloj::now()));
        if (!r.ok) {
            std::fprintf(stderr, "scan failed: %s\n", r.mensaje.c_str());
            return 1;
        }
        registros = r.registros;
    }
    const double t = Mediana(nuestro);
    std::printf(
        "start-up scan: %.2f MB, %u records, median of %d runs %.1f ms (best %.1f ms), "
        "%.0f MB/s\n",
        mb, registros, veces, t * 1e3, *std::min_element(nuestro.begin(), nuestro.end()) * 1e3,
        mb / t);

    // srec_info on the same text, written to a temporary file.
    if (std::system("srec_info -VERSion > /dev/null 2>&1") != 0) {
        std::printf("srec_info: not installed (apt-get install srecord), no comparison\n");
        return 0;
    }
    const auto fichero = std::filesystem::temp_directory_path() /
                         ("z82_bench_firmware_" + std::to_string(std::random_device{}()) + ".hex");
    {
        std::ofstream f(fichero, std::ios::binary);
        f.write(texto.data(), static_cast<std::streamsize>(texto.size()));
    }
    const std::string orden = "srec_info " + fichero.string() + " -Intel > /dev/null 2>&1";
    const int veces_srec = std::max(1, std::min(veces, 5));
    std::vector<double> suyo;
    for (int i = 0; i < veces_srec; ++i) {
        const auto t0 = Reloj::now();
        if (std::system(orden.c_str()) != 0) {
            std::fprintf(stderr, "srec_info failed on %s\n", fichero.string().c_str());
            return 1;
        }
        suyo.push_back(Segundos(t0, Reloj::now()));
    }
    std::filesystem::remove(fichero);
    const double s = Mediana(suyo);
    std::printf(
        "srec_info:     median of %d runs %.1f ms (best %.1f ms), %.0f MB/s "
        "(process start included)\n",
        veces_srec, s * 1e3, *std::min_element(suyo.begin(), suyo.end()) * 1e3, mb / s);
    std::printf("ratio srec_info / start-up scan: %.1fx\n", s / t);
    return 0;
}
