// Checks of the images before they are carried, and the reading of real images.
#include <algorithm>

#include "data/generador/comun.h"
#include "hex/escaneo_hex.h"

namespace z82::generador {

Estadistica_hex Validar_hex(const std::string& texto, const std::string& origen) {
    if (texto.size() > 0x7FFFFFFF) Fallo(origen + ": too large for the line source");
    TFuente_lineas fuente(texto);
    TLector_hex lector(fuente);
    const Resultado_escaneo r = Escanear_hex(fuente, lector);
    if (!r.ok) Fallo(origen + ": the start-up scan fails: " + r.mensaje);
    if (r.version.size() != 10) {
        Fallo(origen +
              ": no version block (\"1.88\" at 0x0010 and \"00004\" at 0x0016 of "
              "segment 0x18), got \"" +
              r.version + "\"");
    }

    Estadistica_hex e;
    e.version = r.version;
    fuente.Rebobinar();
    uint8_t datos[256];
    Registro_hex reg;
    reg.data = datos;
    for (;;) {
        const int32_t antes = fuente.Posicion();
        if (lector.Leer_registro(reg) != HEX_OK) Fallo(origen + ": second reading differs");
        e.linea_mas_larga =
            std::max(e.linea_mas_larga, static_cast<size_t>(fuente.Posicion() - antes));
        ++e.registros;
        if (reg.type == HEX_TIPO_DATOS) ++e.datos, e.bytes_datos += reg.count;
        if (reg.type == HEX_TIPO_DIRECCION_LINEAL) ++e.direcciones;
        if (reg.type == HEX_TIPO_FIN) {
            ++e.fin;
            break;
        }
    }
    if (static_cast<size_t>(fuente.Posicion()) != texto.size()) {
        Fallo(origen + ": text after the end record");
    }
    return e;
}

void Leer_reales(const std::filesystem::path& carpeta, Imagenes& im) {
    auto leer = [&](const char* nombre, size_t tamano_fijo) {
        const auto ruta = carpeta / nombre;
        if (!std::filesystem::exists(ruta)) {
            Fallo("Z82_IMAGENES_REALES: missing " + ruta.string() +
                  " (see data/README.md for the file names)");
        }
        Bytes b = Leer_fichero(ruta);
        if (tamano_fijo != 0 && b.size() != tamano_fijo) {
            Fallo("Z82_IMAGENES_REALES: " + ruta.string() + " has " + std::to_string(b.size()) +
                  " bytes, the meter needs " + std::to_string(tamano_fijo));
        }
        if (b.empty()) Fallo("Z82_IMAGENES_REALES: " + ruta.string() + " is empty");
        return b;
    };
    const Bytes hex = leer("firmware.hex", 0);
    im.firmware_hex.assign(hex.begin(), hex.end());
    Validar_hex(im.firmware_hex, (carpeta / "firmware.hex").string());

    // The loader blocks' lengths are part of the meter's protocol, and so is the picture
    // size; the rest take their sizes from the files.
    static const size_t CARGADOR[3] = {32, 144, 972};
    for (int i = 0; i < 3; ++i) {
        im.cargador[i] = leer(("cargador" + std::to_string(i) + ".bin").c_str(), CARGADOR[i]);
    }
    for (int t = 0; t < 5; ++t) {
        const std::string nombre = "planes" + std::to_string(t) + ".bin";
        im.planes[t] = leer(nombre.c_str(), 0);
        if (im.planes[t].size() > 2 * 0x10000) Fallo(nombre + " is larger than two sectors");
        Validar_planes(im.planes[t], t, (carpeta / nombre).string() + ": ");
    }
    static const char* const FPGA[3] = {"fpga_tv.bin", "fpga_dft.bin", "fpga_mer.bin"};
    for (int i = 0; i < 3; ++i) im.fpga[i] = leer(FPGA[i], 0);
    im.mpeg4 = leer("mpeg4.bin", 0);
    if (im.mpeg4.size() > 25 * 0x10000) Fallo("mpeg4.bin does not fit pages 0xD0 to 0xE8");
    im.transferencia = leer("transferencia.bin", 0);
    if (im.transferencia.size() > 0x10000) Fallo("transferencia.bin is larger than one segment");
    for (int n = 0; n < 4; ++n) {
        im.grafico[n] = leer(("grafico" + std::to_string(n + 1) + ".bin").c_str(), 150 * 75 * 2);
    }
}

}  // namespace z82::generador
