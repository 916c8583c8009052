// Shared pieces of the image generator: a deterministic pseudo-random source, byte buffers
// and the file helpers. The generator runs on the build machine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace z82::generador {

using Bytes = std::vector<uint8_t>;

// xorshift64*: the same seed gives the same bytes on every machine.
class Aleatorio {
  public:
    explicit Aleatorio(uint64_t semilla) : s_(semilla ? semilla : 0x9E3779B97F4A7C15ull) {}
    uint32_t Siguiente() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return static_cast<uint32_t>((s_ * 0x2545F4914F6CDD1Dull) >> 32);
    }
    // Uniform in [a, b].
    uint32_t Entre(uint32_t a, uint32_t b) { return a + Siguiente() % (b - a + 1); }
    uint8_t Byte() { return static_cast<uint8_t>(Siguiente() >> 24); }

  private:
    uint64_t s_;
};

// Stops the generator, and with it the build, with a message.
[[noreturn]] void Fallo(const std::string& mensaje);

Bytes Leer_fichero(const std::filesystem::path& ruta);
std::string Leer_texto(const std::filesystem::path& ruta);
// Writes only when the content differs, so that an unchanged image rebuilds nothing.
void Escribir_si_cambia(const std::filesystem::path& ruta, std::string_view contenido);
void Escribir_si_cambia(const std::filesystem::path& ruta, const Bytes& contenido);

// Bytes that look like the meter's code: opcodes, operands, calls and returns.
void Codigo(Aleatorio& a, Bytes& salida, size_t n);

// The images the generator produces (or takes from a folder of real images).
struct Imagenes {
    std::string firmware_hex;
    Bytes cargador[3];
    Bytes planes[5];
    Bytes fpga[3];
    Bytes mpeg4;
    Bytes transferencia;
    Bytes grafico[4];
    std::string idiomas;
};

std::string Generar_firmware_hex();
Bytes Generar_planes(const std::filesystem::path& carpeta_planes, int tipo);
Bytes Generar_grafico(int numero);
void Generar_binarios(Imagenes& im);

// Checks applied to every image, generated or real; they stop the build on a fault.
struct Estadistica_hex {
    uint32_t registros = 0, datos = 0, direcciones = 0, fin = 0, bytes_datos = 0;
    size_t linea_mas_larga = 0;
    std::string version;
};
Estadistica_hex Validar_hex(const std::string& texto, const std::string& origen);
void Validar_planes(const Bytes& imagen, int tipo, const std::string& origen);

// Takes the real images from a folder; stops the build when one is missing or wrong.
void Leer_reales(const std::filesystem::path& carpeta, Imagenes& im);

}  // namespace z82::generador
