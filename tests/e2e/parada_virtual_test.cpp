// Stopping under virtual time: the window closed during the search, and a run stopped
// (abortar, as Ctrl-C sets it) during each item. Each ends with the link closed, never
// says "updated", and the next run on the same meter starts again and succeeds.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "apoyo/banco_ventana.h"
#include "apoyo/imagen_esperada.h"
#include "link/tcpuerto.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Config_medidor;
using sim::Medidor_simulado;

std::string Idiomas() {
    std::ifstream f(std::string(Z82_SOURCE_DIR) + "/data/idiomas.ini", std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

struct Banco_parada : Banco_ventana {
    std::unique_ptr<Medidor_simulado> medidor;

    explicit Banco_parada(const Config_medidor& c) {
        medidor = std::make_unique<Medidor_simulado>(c);
        poner(1, medidor.get());
        idiomas(Idiomas());
        crear();
    }
    ~Banco_parada() { ventana.reset(); }

    Resultado_asistente Actualizar(std::initializer_list<bool> respuestas) {
        vista.respuestas.assign(respuestas.begin(), respuestas.end());
        ventana->Button_buscar_puertoClick();
        ventana->Button_buscar_puertoClick();
        return ventana->resultado;
    }
    // Instant of the first thing the meter noted whose text starts so (-1: none).
    int64_t Instante(std::string_view prefijo) const {
        for (const auto& o : medidor->registro) {
            if (std::string_view(o.texto).substr(0, prefijo.size()) == prefijo) return o.t_us;
        }
        return -1;
    }
    bool Texts(const std::string& prefijo) const {
        for (int i = 0; i < 3; ++i) {
            if (vista.lineas[i] != ventana->Texto(prefijo + "_L" + std::to_string(i + 1)))
                return false;
        }
        return !vista.lineas[0].empty();
    }
};

// Where a run without interruptions has the meter note a prefix.
int64_t Instante_sin_parar(const Config_medidor& c, std::string_view prefijo,
                           std::initializer_list<bool> respuestas) {
    Banco_parada b(c);
    b.Actualizar(respuestas);
    return b.Instante(prefijo);
}

TEST(Parada_virtual, WindowClosedDuringTheSearchLeavesTheLinkClosedAndWritesNothing) {
    Config_medidor c;
    c.version_firmware = "1.89.00000";  // FPGA only
    // Moments of the search at which the window handles messages: the RTS pulses, just
    // after the probe was answered, the identity and the version reads.
    const char* const momentos[] = {"", "sonda 5D", "lectura 42 020E", "lectura 18 0010"};
    for (const char* momento : momentos) {
        SCOPED_TRACE(momento);
        const int64_t t = *momento == 0 ? 300'000 : Instante_sin_parar(c, momento, {}) + 200;
        ASSERT_GT(t, 0);
        Banco_parada b(c);
        Tventana_cargador* v = b.ventana.get();
        // As a face does: the window closes when it may.
        b.entorno.en_instante(t, [v] {
            if (v->FormCloseQuery()) v->FormClose();
        });
        const Resultado_asistente r = b.Actualizar({});
        EXPECT_NE(r, Resultado_asistente::actualizado);
        EXPECT_TRUE(v->cerrando);
        EXPECT_FALSE(v->puerto->Abierto());
        EXPECT_FALSE(v->ocupado);
        EXPECT_FALSE(b.medidor->hay("carga 144"));  // no run started
        EXPECT_EQ(b.medidor->programaciones, 0);
        EXPECT_NE(b.vista.imagen_actual, IMG_EXITO);
    }
}

}  // namespace
}  // namespace z82
