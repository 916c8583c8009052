// The two image streams of the flash controller: the firmware's Intel HEX records, packed
// into blocks of the loader, and the channel-plan image of the meter's region.
#include <algorithm>
#include <array>

#include "base/entorno.h"
#include "data/imagenes.h"
#include "flash/tcdiferencial.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"
#include "protocol/causa.h"

namespace z82 {

namespace {

// What a HEX reader's error says about the image.
const char* error_hex(uint8_t error) {
    switch (error) {
        case HEX_NO_ES_REGISTRO:
            return "a line that is not a record";
        case HEX_FORMATO:
            return "a bad digit or a line of the wrong length";
        case HEX_CHECKSUM:
            return "a bad checksum";
        case HEX_FIN:
            return "the image ends before its end record";
        default:
            return "an unreadable record";
    }
}

// Contiguous data records gathered into one block write.
class Bloque_pendiente {
  public:
    explicit Bloque_pendiente(TCDiferencial& d) : d_(d) {}

    int longitud() const { return n_; }

    bool enviar() {
        if (n_ == 0) return true;
        const int n = n_;
        n_ = 0;
        return d_.Enviar_bloque(n, inicio_, d_.pagina, buffer_.data());
    }

    // Starts a new block with a record. A record too long for one frame sends its head at
    // once.
    bool empezar(uint16_t direccion, const uint8_t* datos, int cuenta) {
        n_ = 0;
        if (cuenta > MAX_DATOS_BLOQUE) {
            if (!d_.Enviar_bloque(MAX_DATOS_BLOQUE, direccion, d_.pagina, datos)) return false;
            direccion = static_cast<uint16_t>(direccion + MAX_DATOS_BLOQUE);
            datos += MAX_DATOS_BLOQUE;
            cuenta -= MAX_DATOS_BLOQUE;
        }
        inicio_ = direccion;
        std::copy(datos, datos + cuenta, buffer_.begin());
        n_ = cuenta;
        return true;
    }

    bool continua(uint16_t direccion) const {
        return n_ > 0 && static_cast<int>(inicio_) + n_ == static_cast<int>(direccion);
    }

    // Appends a record that continues the block; the block goes out once it holds more
    // than the threshold. Data that would not fit in one frame close the block first.
    bool anadir(uint16_t direccion, const uint8_t* datos, int cuenta) {
        if (n_ + cuenta > MAX_DATOS_BLOQUE) {
            if (!enviar()) return false;
            if (!empezar(direccion, datos, cuenta)) return false;
        } else {
            std::copy(datos, datos + cuenta, buffer_.begin() + n_);
            n_ += cuenta;
        }
        if (n_ > TCDiferencial::UMBRAL_BLOQUE) return enviar();
        return true;
    }

  private:
    TCDiferencial& d_;
    std::array<uint8_t, MAX_DATOS_BLOQUE> buffer_{};
    uint16_t inicio_ = 0;
    int n_ = 0;
};

}  // namespace

bool TCDiferencial::Enviar_imagen(TFuente_lineas* fuente, TLector_hex* lector) {
    if (!fuente || !lector) {
        canal_.fallar("there is no firmware image to send");
        return false;
    }
    fuente->Posicionar(0);
    barra_.Tramo("main firmware", "records", static_cast<int>(lector->registros));
    flujo_ = "";
    bloques_ = 0;

    Bloque_pendiente pendiente(*this);
    std::array<uint8_t, 256> datos{};
    Registro_hex r;
    r.data = datos.data();
    int k = 0;
    for (bool fin = false; !fin;) {
        if (const uint8_t error = lector->Leer_registro(r); error != HEX_OK) {
            canal_.entorno.pitar();
            canal_.fallar("the firmware image is damaged: record " + Miles(k + 1) + ", " +
                          error_hex(error));
            return false;
        }
        switch (r.type) {
            case HEX_TIPO_DATOS: {
                const int s = Segmento_de_pagina(pagina);
                if (s < 0 || mapa[static_cast<size_t>(s)] == 0) break;
                bool ok = true;
                if (pendiente.longitud() == 0) {
                    ok = pendiente.empezar(r.address, r.data, r.count);
                } else if (pendiente.continua(r.address)) {
                    ok = pendiente.anadir(r.address, r.data, r.count);
                } else {
                    ok = pendiente.enviar() && pendiente.empezar(r.address, r.data, r.count);
                }
                if (!ok) return false;
                break;
            }
            case HEX_TIPO_DIRECCION_LINEAL:
                // The page comes from the low byte of the segment; a record too short to
                // carry it is not a usable image.
                if (r.count < 2) {
                    canal_.entorno.pitar();
                    canal_.fallar("the firmware image is damaged: record " + Miles(k + 1) +
                                  ", an address record without its segment");
                    return false;
                }
                if (!pendiente.enviar()) return false;
                pagina = static_cast<uint8_t>(r.data[1] + PAGINA_SEGMENTO_0);
                break;
            case HEX_TIPO_FIN:
                if (!pendiente.enviar()) return false;
                fin = true;
                break;
            default:
                break;
        }
        barra_.Position(k);
        ++k;
        if (Cancelado_tras_pausa(canal_)) {
            canal_.fallar(std::string(CAUSA_DETENIDA) + (bloques_ == 0
                                                             ? " before the first block"
                                                             : " after block " + Miles(bloques_)));
            return false;
        }
    }
    return true;
}

bool TCDiferencial::Enviar_region(int tipo_plan) {
    if (tipo_plan < 0 || tipo_plan > 4) {
        canal_.fallar("there is no channel plan image for the meter's plan type " +
                      std::to_string(tipo_plan));
        return false;
    }
    return Enviar_plan(datos::imagen_planes(tipo_plan));
}

bool TCDiferencial::Enviar_plan(std::span<const uint8_t> imagen) {
    // Without its plan image, or with one beyond the two plan pages, the region cannot be
    // written.
    if (imagen.empty() || imagen.size() > 2 * BYTES_SEGMENTO) {
        canal_.fallar(imagen.empty() ? std::string("the channel plan image is empty")
                                     : "the channel plan image (" +
                                           Miles(static_cast<int64_t>(imagen.size())) +
                                           " bytes) does not fit in its two pages");
        return false;
    }

    pagina = PRIMERA_PAGINA_PLANES;
    flujo_ = "channel plans, ";
    bloques_ = 0;
    barra_.Tramo("channel plans", "bytes", static_cast<int>(imagen.size()));
    for (size_t offset = 0; offset < imagen.size(); offset += BLOQUE_REGION) {
        const int n = static_cast<int>(std::min<size_t>(BLOQUE_REGION, imagen.size() - offset));
        if (offset >= BYTES_SEGMENTO) pagina = SEGUNDA_PAGINA_PLANES;
        if (!Enviar_bloque(n, static_cast<uint16_t>(offset % BYTES_SEGMENTO), pagina,
                           imagen.data() + offset)) {
            return false;
        }
        barra_.Position(static_cast<int>(offset));
        canal_.entorno.procesar_mensajes();
    }
    return true;
}

}  // namespace z82
