// The window's handshake, reconnection and link watch against scripted meters.
#include <gtest/gtest.h>

#include <algorithm>

#include "apoyo/banco_ventana.h"
#include "link/tcpuerto.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Extremo_guion;

// A meter that answers every probe with the given byte.
void Responder_sondas(Extremo_guion& m, uint8_t respuesta) {
    m.al_recibir = [respuesta](Extremo_guion& e, uint8_t b, int64_t t) {
        if (b == 0x00) e.responder(respuesta, t + 1000);
    };
}

size_t Contar(const std::vector<uint8_t>& v, uint8_t x) {
    return static_cast<size_t>(std::count(v.begin(), v.end(), x));
}

TEST(Conexion, StartUpShowsTheCarriedVersionAndSpanishMenusWithoutLanguageFile) {
    Banco_ventana b;
    auto& v = b.crear();
    EXPECT_EQ(v.version_hex, "1.88.00004");
    EXPECT_EQ(b.vista.version, "Version 1.88.00004");
    EXPECT_EQ(v.Titulo(), "Update Z82 v1.88.00004");
    EXPECT_EQ(b.vista.textos_menu.archivo, "Archivo");
    EXPECT_EQ(b.vista.textos_menu.actualizar, "Actualizar");
    EXPECT_EQ(b.vista.textos_menu.salir, "Salir");
    EXPECT_EQ(b.vista.textos_menu.configurar, "Configurar");
    EXPECT_EQ(b.vista.textos_menu.automatico, "Auto");
    EXPECT_EQ(b.vista.textos_menu.manual, "Manual");
    EXPECT_EQ(b.vista.lineas[0], "");
    EXPECT_EQ(b.vista.lineas[1], "Version 1.88.00004");
    EXPECT_EQ(b.vista.lineas[2], "");
    EXPECT_TRUE(v.lector_hex != nullptr);
    EXPECT_FALSE(v.segmentos[0]);
    EXPECT_TRUE(v.segmentos[0x18]);
}

TEST(Conexion, SilentPortGetsFourProbesEachFollowedByDisconnectAndIsClosed) {
    Banco_ventana b;
    Extremo_guion& mudo = b.guion(1);
    auto& v = b.crear();
    v.Boton_ConectarClick();
    EXPECT_FALSE(v.sesion.conectado);
    EXPECT_FALSE(v.sesion.puerto->Abierto());
    const auto enviados = b.enlace.enviados();
    EXPECT_EQ(enviados, (std::vector<uint8_t>{0, 0x0A, 0, 0x0A, 0, 0x0A, 0, 0x0A}));
    // 16 RTS pulses before each probe.
    EXPECT_EQ(mudo.flancos_rts, 64);
}

TEST(Conexion, Answer6DEndsTheAttemptsAndIsRemembered) {
    Banco_ventana b;
    Extremo_guion& m = b.guion(1);
    Responder_sondas(m, 0x6D);
    auto& v = b.crear();
    v.Boton_ConectarClick();
    EXPECT_FALSE(v.sesion.conectado);
    EXPECT_TRUE(v.sesion.respuesta_6d);
    EXPECT_FALSE(v.sesion.puerto->Abierto());
    EXPECT_EQ(b.enlace.enviados(), (std::vector<uint8_t>{0x00, 0x0A}));
}

TEST(Conexion, Answer5DConnectsAfterOneProbeAndRunsTheIdentityQueriesInOrder) {
    Banco_ventana b;
    Extremo_guion& m = b.guion(1);
    Responder_sondas(m, 0x5D);
    auto& v = b.crear();
    v.Boton_ConectarClick();
    ASSERT_TRUE(v.sesion.conectado);
    EXPECT_FALSE(v.sesion.modo_diferencial);
    EXPECT_TRUE(v.sesion.Timer_desconexion.Enabled());
    const auto e = b.enlace.enviados();
    // One attempt connects. The MPEG4 module, which this meter does not have, sends
    // nothing to 0xBF: it counts as absent, with no reconnection and no second 0xBF.
    EXPECT_EQ(m.flancos_rts, 16);
    EXPECT_EQ(std::count(e.begin(), e.end(), uint8_t{0xBF}), 1);
    // After the probe: the language query (word 0x020E), then word 0x0232; the meter does
    // not answer, so word 0x023B is never asked.
    const std::vector<uint8_t> idioma = {0x01, 0x42, 0x0E, 0x02, 0x04};
    const std::vector<uint8_t> d232 = {0x01, 0x42, 0x32, 0x02, 0x04};
    const std::vector<uint8_t> d23b = {0x01, 0x42, 0x3B, 0x02, 0x04};
    auto pos = [&](const std::vector<uint8_t>& pat) {
        return std::search(e.begin(), e.end(), pat.begin(), pat.end()) - e.begin();
    };
    EXPECT_LT(pos(idioma), pos(d232));
    EXPECT_EQ(pos(d23b), static_cast<long>(e.size()));
    // A silent language query reads as index 0, which is in range.
    EXPECT_EQ(v.sesion.medidor.idioma_medidor, 0);
}

TEST(Conexion, AnswerD5ConnectsInDifferentialModeAndLoadsTheBootCodeFirst) {
    Banco_ventana b;
    Extremo_guion& m = b.guion(1);
    Responder_sondas(m, 0xD5);
    auto& v = b.crear();
    v.Boton_ConectarClick();
    ASSERT_TRUE(v.sesion.conectado);
    EXPECT_TRUE(v.sesion.modo_diferencial);
    const auto e = b.enlace.enviados();
    // Right after the probe: the 32-byte block, then the 972-byte block, raw.
    ASSERT_GT(e.size(), 1u + 32 + 972);
    EXPECT_TRUE(std::equal(v.sesion.bloques.bloque[0].begin(), v.sesion.bloques.bloque[0].end(), e.begin() + 1));
    EXPECT_TRUE(std::equal(v.sesion.bloques.bloque[2].begin(), v.sesion.bloques.bloque[2].end(), e.begin() + 33));
    // The plan does not ask a meter in differential mode for its FPGA area.
    EXPECT_TRUE(v.version_fpga_medidor.empty());
    EXPECT_FALSE(v.plan.Check_fpga);
}

TEST(Conexion, ReconnectAcceptsOnly5DAndReportsUsbErrorAfterTheBeep) {
    Banco_ventana b;
    Extremo_guion& m = b.guion(1);
    Responder_sondas(m, 0xD5);
    auto& v = b.crear();
    v.Reconectar();
    EXPECT_FALSE(v.sesion.conectado);
    EXPECT_FALSE(v.sesion.puerto->Abierto());
    EXPECT_EQ(Contar(b.enlace.enviados(), 0x00), 10u);
    EXPECT_EQ(m.flancos_rts, 160);
    EXPECT_EQ(b.entorno.pitidos, 1);
    ASSERT_EQ(b.vista.mensajes.size(), 1u);
    EXPECT_EQ(b.vista.mensajes[0], "USB error");

    Responder_sondas(m, 0x5D);
    b.enlace.borrar_registro();
    v.Reconectar();
    EXPECT_TRUE(v.sesion.conectado);
    EXPECT_EQ(Contar(b.enlace.enviados(), 0x00), 1u);
    // No identity queries and no watch after a reconnection.
    EXPECT_EQ(b.enlace.enviados().size(), 1u);
    EXPECT_FALSE(v.sesion.Timer_desconexion.Enabled());
}

TEST(Conexion, MetersOwnDisconnectByteWhileIdleIsAnsweredWithin100ms) {
    Banco_ventana b;
    Extremo_guion& m = b.guion(1);
    Responder_sondas(m, 0x5D);
    auto& v = b.crear();
    v.Boton_ConectarClick();
    ASSERT_TRUE(v.sesion.conectado);
    b.enlace.borrar_registro();
    const int64_t t0 = b.reloj.us();
    m.responder(0x0A, t0 + 1000);
    // The idle window pumps messages.
    while (v.sesion.conectado && b.reloj.us() < t0 + 1'000'000) b.entorno.procesar_mensajes();
    EXPECT_FALSE(v.sesion.conectado);
    EXPECT_EQ(b.enlace.enviados(), std::vector<uint8_t>{0x0A});
    // The watch runs every 100 ms: the answer leaves within 100 ms of the meter's byte.
    const int64_t respuesta = b.enlace.registro().back().t_us;
    EXPECT_LE(respuesta - (t0 + 1000), 100'000);
    EXPECT_FALSE(v.sesion.puerto->Abierto());
    // A check that fails now drops a link already gone: no new handshake starts (it would
    // leave the meter connected without its 0x0A).
    v.Soltar_enlace();
    EXPECT_EQ(b.enlace.enviados(), std::vector<uint8_t>{0x0A});
    EXPECT_FALSE(v.sesion.conectado);
}

TEST(Conexion, ClosingTheWindowDuringTheHandshakeReturnsWithoutClosingThePort) {
    Banco_ventana b;
    b.guion(1);
    auto& v = b.crear();
    // The close arrives with the first messages processed after the port opened.
    b.entorno.publicar([&] { v.FormClose(); });
    v.Boton_ConectarClick();
    EXPECT_TRUE(v.sesion.cerrando);
    EXPECT_TRUE(v.sesion.puerto->Abierto());
    EXPECT_FALSE(v.sesion.conectado);
    EXPECT_TRUE(b.enlace.enviados().empty());
}

TEST(Conexion, ExitHandlersRespectARunInProgress) {
    Banco_ventana b;
    auto& v = b.crear();
    int codigo = -1;
    v.terminar = [&](int c) { codigo = c; };
    v.ocupado = true;
    EXPECT_FALSE(v.FormCloseQuery());
    v.SpeedButton_exitClick();
    v.MenuSalirClick();
    EXPECT_EQ(codigo, -1);
    EXPECT_EQ(b.vista.mensajes.size(), 1u);  // the "AVISOACT" text (empty without a file)
    v.ocupado = false;
    EXPECT_TRUE(v.FormCloseQuery());
    v.SpeedButton_exitClick();
    EXPECT_EQ(codigo, 0);
}

TEST(Conexion, ClosingPairDrainsFirstAndPauses) {
    Banco_ventana b;
    Extremo_guion& m = b.guion(1);
    Responder_sondas(m, 0x5D);
    auto& v = b.crear();
    v.Reconectar();
    b.enlace.borrar_registro();
    m.responder({1, 2, 3}, b.reloj.us());
    const int64_t t0 = b.reloj.ms();
    v.sesion.Enviar_cierre();
    EXPECT_EQ(b.enlace.enviados(), (std::vector<uint8_t>{0x0F, 0xF0}));
    EXPECT_GE(b.reloj.ms() - t0, 500);
}

}  // namespace
}  // namespace z82
