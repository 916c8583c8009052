// The message pump's timers and posted events, under virtual time: timers fire when due and
// only when enabled, never inside their own handler, and a handler may forget timers (its
// own included) or register new ones while the pump walks the list.
#include "base/entorno.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/entorno_virtual.h"
#include "sim/reloj_virtual.h"

namespace z82 {
namespace {

struct Pump {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};

    // Pumps messages until the virtual clock has moved on by ms.
    void durante(int ms) {
        const int64_t fin = reloj.ms() + ms;
        while (reloj.ms() < fin) entorno.procesar_mensajes();
    }
};

TEST(Temporizador, FiresAtItsIntervalOnlyWhileEnabledAndNeverInsideItsOwnHandler) {
    Pump p;
    int disparos = 0;
    Temporizador t(100, [&] {
        ++disparos;
        p.entorno.procesar_mensajes();  // a handler that pumps does not re-enter itself
    });
    p.entorno.registrar(t);
    p.durante(1000);
    EXPECT_EQ(disparos, 0) << "a timer starts disabled";

    t.Enabled(true);
    p.durante(1000);
    EXPECT_GE(disparos, 9);
    EXPECT_LE(disparos, 10);

    t.Enabled(false);
    const int antes = disparos;
    p.durante(500);
    EXPECT_EQ(disparos, antes);
    p.entorno.olvidar(t);
}

TEST(Temporizador, HandlersMayForgetAndRegisterTimersWhileThePumpWalksTheList) {
    Pump p;
    int primero = 0, segundo = 0, nuevo = 0;
    auto t_nuevo = std::make_unique<Temporizador>(10, [&] { ++nuevo; });
    std::unique_ptr<Temporizador> t_segundo;
    std::unique_ptr<Temporizador> t_primero;
    t_primero = std::make_unique<Temporizador>(10, [&] {
        ++primero;
        // Forgets and destroys the next timer in the list, forgets itself, and starts a
        // third one: the walk must not touch the destroyed one.
        p.entorno.olvidar(*t_segundo);
        t_segundo.reset();
        p.entorno.olvidar(*t_primero);
        p.entorno.registrar(*t_nuevo);
        t_nuevo->Enabled(true);
    });
    t_segundo = std::make_unique<Temporizador>(10, [&] { ++segundo; });
    p.entorno.registrar(*t_primero);
    p.entorno.registrar(*t_segundo);
    t_primero->Enabled(true);
    t_segundo->Enabled(true);

    p.durante(200);
    EXPECT_EQ(primero, 1);
    EXPECT_EQ(segundo, 0);
    EXPECT_GE(nuevo, 15);
    p.entorno.olvidar(*t_nuevo);
}

TEST(Entorno, EventsPostedByAnEventWaitForTheNextPump) {
    Pump p;
    std::vector<int> orden;
    p.entorno.publicar([&] {
        orden.push_back(1);
        p.entorno.publicar([&] { orden.push_back(3); });
    });
    p.entorno.publicar([&] { orden.push_back(2); });
    p.entorno.procesar_mensajes();
    EXPECT_EQ(orden, (std::vector<int>{1, 2}));
    p.entorno.procesar_mensajes();
    EXPECT_EQ(orden, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace z82
