// The window model: what the user's choices on the port panel and the menus do and show,
// the closing rule, and the stream under the bar. Each window only draws it.
#include "app/modelo_ventana.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_cargador.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/reloj_virtual.h"

namespace z82 {
namespace {

using Orden = Modelo_ventana::Orden;
using Parte = Modelo_ventana::Parte;

struct Banco_modelo {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Enlace_simulado enlace{reloj};
    Modelo_ventana modelo{entorno};
    std::vector<Parte> cambios;
    std::unique_ptr<Tventana_cargador> ventana;

    Banco_modelo() {
        modelo.al_cambiar = [this](Parte p) { cambios.push_back(p); };
        modelo.numeros_puertos = [this] {
            return std::vector<int>(entorno.puertos.begin(), entorno.puertos.end());
        };
        // A device path with its maker; a port the system knows by its name alone.
        modelo.describir_puerto = [](int n) {
            return n == 12 ? std::string("/dev/ttyUSB0 - FTDI") : "COM" + std::to_string(n);
        };
        ventana = std::make_unique<Tventana_cargador>(entorno, modelo, enlace, nullptr);
        modelo.enlazar(ventana.get());
    }
    ~Banco_modelo() { modelo.enlazar(nullptr); }
};

std::vector<std::string> Textos(const Modelo_ventana& m) {
    std::vector<std::string> t;
    for (const Entrada_puerto& e : m.entradas) t.push_back(e.texto);
    return t;
}

TEST(Modelo_ventana, ThePortPanelsChoicesReachTheWizardAndShow) {
    Banco_modelo b;
    b.entorno.puertos = {1, 3, 12};
    const std::vector<std::string> tres{"COM1", "COM3", "COM12 - /dev/ttyUSB0 - FTDI"};
    const std::vector<std::string> cuatro{"COM1", "COM3", "COM7", "COM12 - /dev/ttyUSB0 - FTDI"};
    struct Paso {
        const char* nombre;
        std::function<void(Banco_modelo&)> hacer;
        int puerto;
        bool automatico, panel;
        std::vector<std::string> entradas;
        int entrada, item;
        const char* titulo;
    };
    const Paso pasos[] = {
        {"Manual lists the ports", [](Banco_modelo& m) { m.modelo.Ordenar(Orden::manual); }, 1,
         false, true, tres, -1, 0, "USB : "},
        {"an entry of the list", [](Banco_modelo& m) { m.modelo.Elegir_entrada(2); }, 12, false,
         true, tres, 2, -1, "USB: 12"},
        {"the list again, with a port plugged in since",
         [](Banco_modelo& m) {
             m.entorno.puertos.insert(7);
             m.modelo.Listar_puertos();
         },
         12, false, true, cuatro, 3, -1, "USB: 12"},
        {"no entry past the list", [](Banco_modelo& m) { m.modelo.Elegir_entrada(4); }, 12, false,
         true, cuatro, 3, -1, "USB: 12"},
        {"a radio item", [](Banco_modelo& m) { m.modelo.Elegir_item(4); }, 5, false, true, cuatro,
         -1, 4, "USB : "},
        {"Ok", [](Banco_modelo& m) { m.modelo.Ordenar(Orden::puerto_ok); }, 5, false, false, cuatro,
         -1, 4, "USB : "},
        {"a port from the command line", [](Banco_modelo& m) { m.modelo.Puerto_manual(20); }, 20,
         false, false, cuatro, -1, -1, "USB: 20"},
        {"one of the radio group's", [](Banco_modelo& m) { m.modelo.Puerto_manual(3); }, 3, false,
         false, cuatro, -1, 2, "USB : "},
        {"Auto", [](Banco_modelo& m) { m.modelo.Ordenar(Orden::automatico); }, 3, true, false,
         cuatro, -1, 2, "USB : "},
    };
    for (const Paso& p : pasos) {
        SCOPED_TRACE(p.nombre);
        b.cambios.clear();
        p.hacer(b);
        EXPECT_EQ(b.ventana->numero_puerto, p.puerto);
        EXPECT_EQ(b.modelo.modo_automatico, p.automatico);
        EXPECT_EQ(b.modelo.panel_puerto_visible, p.panel);
        EXPECT_EQ(Textos(b.modelo), p.entradas);
        EXPECT_EQ(b.modelo.entrada_elegida, p.entrada);
        EXPECT_EQ(b.modelo.item_elegido, p.item);
        EXPECT_EQ(b.modelo.titulo_grupo, p.titulo);
    }
    // A click on a marked item: the face draws the marks again, and they stay.
    b.cambios.clear();
    b.modelo.Ordenar(Orden::automatico);
    ASSERT_FALSE(b.cambios.empty());
    EXPECT_EQ(b.cambios.back(), Parte::marcas);
    EXPECT_TRUE(b.modelo.modo_automatico);

    // The window does not close while a run writes.
    b.ventana->ocupado = true;
    EXPECT_FALSE(b.modelo.Cerrar());
    b.ventana->ocupado = false;
    EXPECT_TRUE(b.modelo.Cerrar());
}

TEST(Modelo_ventana, TheStreamUnderTheBarSaysWhatTheTerminalSays) {
    Banco_modelo b;
    Modelo_ventana& m = b.modelo;
    m.barra(0, 100, 0);  // a bar without a stream says nothing
    EXPECT_EQ(m.linea_tramo, "");
    m.barra_visible(true);
    m.tramo("main firmware", "records", true);
    m.barra(0, 20870, 0);
    EXPECT_EQ(m.linea_tramo, "main firmware  0%\n0/20,870 records");
    EXPECT_TRUE(m.tramo_visible());
    // After a second, its rate and time left; not again within a fifth of a second.
    b.reloj.avanzar_ms(1000);
    m.barra(0, 20870, 10435);
    const std::string mitad =
        "main firmware  50%\n10,435/20,870 records  10435 records/s  0:01 left";
    EXPECT_EQ(m.linea_tramo, mitad);
    b.reloj.avanzar_ms(100);
    m.barra(0, 20870, 12000);
    EXPECT_EQ(m.linea_tramo, mitad);
    b.reloj.avanzar_ms(100);
    m.fin_elemento(true);
    EXPECT_EQ(m.linea_tramo,
              "main firmware  100%\n20,870/20,870 records  17392 records/s  done in 0:01");
    // A stream whose length the meter decides ends with what it did.
    m.tramo("flash programming", "steps", false);
    m.barra(0, 100, 0);
    b.reloj.avanzar_ms(2000);
    m.barra(0, 100, 5);
    m.fin_elemento(true);
    EXPECT_EQ(m.linea_tramo, "flash programming  5%\n5 steps  2.5 steps/s  done in 0:02");
    // The cause of a failure takes its place; a bar hidden forgets it.
    m.detalle("Cause: main firmware: no answer.");
    EXPECT_FALSE(m.tramo_visible());
    m.barra_visible(false);
    EXPECT_EQ(m.linea_tramo, "");
}

}  // namespace
}  // namespace z82
