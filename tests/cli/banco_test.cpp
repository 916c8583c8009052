// The service bench under virtual time: simulated meters on slots of their own, each session
// on its own thread and clock. Four meters at once with one unplugged midway, and the watch
// mode with meters plugged in and out; the event stream read back as JSON Lines.
#include "cli/banco.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>

#include "apoyo/observador_mudo.h"
#include "app/actualizador.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using sim::Medidor_simulado;

sim::Config_medidor Solo_fpga() {
    sim::Config_medidor c;
    c.version_firmware = "1.89.00000";  // current firmware: the FPGA area alone
    return c;
}

// A slot of the test's bench: its own clock, environment and link, with the meter plugged
// in there (none: nothing answers).
class Puesto_simulado : public Puesto {
  public:
    Puesto_simulado(Medidor_simulado* medidor, int64_t desenchufar_us) {
        if (medidor != nullptr) enlace_.conectar(1, medidor);
        enlace_.desenchufar_desde_us = desenchufar_us;
        entorno_.puertos.insert(1);
    }
    Entorno& entorno() override { return entorno_; }
    Dispositivo_serie& dispositivo() override { return enlace_; }
    Cerrojo_puerto* cerrojo() override { return nullptr; }
    int numero_puerto() const override { return 1; }

  private:
    sim::Reloj_virtual reloj_;
    sim::Entorno_virtual entorno_{reloj_};
    sim::Enlace_simulado enlace_{reloj_};
};

// The hub: which slots hold a meter now. The bench reads it from its thread, the sessions
// open their places from theirs.
class Fuente_simulada : public Fuente_ranuras {
  public:
    Medidor_simulado& enchufar(const std::string& ranura, int64_t desenchufar_us = -1) {
        std::lock_guard<std::mutex> l(m_);
        medidores_.push_back(std::make_unique<Medidor_simulado>(Solo_fpga()));
        enchufados_[ranura] = {medidores_.back().get(), desenchufar_us};
        return *medidores_.back();
    }
    void desenchufar(const std::string& ranura) {
        std::lock_guard<std::mutex> l(m_);
        enchufados_.erase(ranura);
    }
    std::vector<Ranura> presentes() override {
        std::lock_guard<std::mutex> l(m_);
        std::vector<Ranura> r;
        for (const auto& [nombre, e] : enchufados_) r.push_back({nombre, "sim:" + nombre, ""});
        return r;
    }
    std::unique_ptr<Puesto> abrir(const Ranura& r) override {
        std::lock_guard<std::mutex> l(m_);
        ++sesiones[r.nombre];
        const auto i = enchufados_.find(r.nombre);
        if (i == enchufados_.end()) return std::make_unique<Puesto_simulado>(nullptr, -1);
        return std::make_unique<Puesto_simulado>(i->second.first, i->second.second);
    }
    std::map<std::string, int> sesiones;

  private:
    std::mutex m_;
    std::vector<std::unique_ptr<Medidor_simulado>> medidores_;
    std::map<std::string, std::pair<Medidor_simulado*, int64_t>> enchufados_;
};

// What a meter received, without the times: the commands in order and the flash it holds.
std::vector<std::string> Ordenes(const Medidor_simulado& m) {
    std::vector<std::string> r;
    for (const auto& o : m.registro) r.push_back(o.texto);
    return r;
}
bool Misma_flash(const Medidor_simulado& a, const Medidor_simulado& b) {
    for (int s = 0; s < 256; ++s) {
        const auto x = a.flash(static_cast<uint8_t>(s));
        const auto y = b.flash(static_cast<uint8_t>(s));
        if (!std::equal(x.begin(), x.end(), y.begin(), y.end())) return false;
    }
    return true;
}

TEST(Banco, FourMetersAtOnceOneUnpluggedMidwayEachEndsOnItsOwn) {
    // The lone run: the terminal's steps on one updater.
    Medidor_simulado solo(Solo_fpga());
    {
        sim::Reloj_virtual reloj;
        sim::Entorno_virtual entorno(reloj);
        sim::Enlace_simulado enlace(reloj);
        enlace.conectar(1, &solo);
        entorno.puertos.insert(1);
        prueba::Observador_mudo observador;
        Actualizador a(entorno, observador, enlace, nullptr);
        a.Abrir_hex();
        a.modo_automatico = false;
        a.Buscar_medidor();
        ASSERT_EQ(a.Comprobar_antes_de_actualizar(), Resultado_asistente::ninguno);
        ASSERT_EQ(Resultado_de(a.Actualizar_medidor()), Resultado_asistente::actualizado);
    }

    Fuente_simulada hub;
    Opciones_banco o;
    o.respuesta = Respuesta_fija::si;
    std::map<std::string, Medidor_simulado*> medidores;
    for (const char* r : {"A", "B", "C", "D"}) {
        // C's cable comes out 30 s into its run, in the middle of the FPGA area.
        medidores[r] = &hub.enchufar(r, std::string(r) == "C" ? 30'000'000 : -1);
        o.fijas.push_back({r, std::string("sim:") + r, ""});
    }
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno(reloj);
    std::vector<std::string> lineas;
    Banco banco(entorno, hub, o, [&](const Evento_banco& e) { lineas.push_back(Json_evento(e)); });
    const int codigo = banco.Ejecutar();
    lineas.push_back(Json_resumen(banco.desenlaces(), codigo, banco.segundos()));

    EXPECT_EQ(codigo, 1);
    std::map<std::string, const Desenlace*> por_ranura;
    for (const Evento_banco& e : banco.desenlaces()) por_ranura[e.ranura] = &e.desenlace;
    ASSERT_EQ(por_ranura.size(), 4u);
    for (const char* r : {"A", "B", "D"}) {
        EXPECT_EQ(por_ranura[r]->clave, "updated") << r;
        EXPECT_EQ(por_ranura[r]->codigo, 0) << r;
    }
    EXPECT_EQ(por_ranura["C"]->clave, "failed");
    EXPECT_EQ(por_ranura["C"]->elemento_fallido, "FPGA configurations");
    EXPECT_FALSE(por_ranura["C"]->motivo.empty());

    // Each meter got what a lone run gives: the same commands, the same flash.
    for (const char* r : {"A", "B", "D"}) {
        EXPECT_EQ(Ordenes(*medidores[r]), Ordenes(solo)) << r;
        EXPECT_TRUE(Misma_flash(*medidores[r], solo)) << r;
    }
    EXPECT_FALSE(Misma_flash(*medidores["C"], solo));

    // The stream read back: one object per line, each of the schema, the slot on each.
    const std::set<std::string> eventos = {"found",      "no_meter", "item_started", "progress",
                                           "item_ended", "message",  "outcome",      "unplugged"};
    std::map<std::string, int> progresos;
    std::map<std::string, double> ultimo_progreso;
    int desenlaces = 0;
    for (size_t i = 0; i < lineas.size(); ++i) {
        ASSERT_EQ(lineas[i].find('\n'), std::string::npos);
        nlohmann::json j;
        ASSERT_NO_THROW(j = nlohmann::json::parse(lineas[i])) << lineas[i];
        ASSERT_TRUE(j.is_object());
        EXPECT_EQ(j["schema"], 1);
        const std::string evento = j["event"];
        if (i + 1 == lineas.size()) {
            EXPECT_EQ(evento, "summary");
            EXPECT_EQ(j["meters"], 4);
            EXPECT_EQ(j["updated"], 3);
            EXPECT_EQ(j["not_updated"], 1);
            EXPECT_EQ(j["exit_code"], 1);
            continue;
        }
        ASSERT_TRUE(eventos.count(evento)) << lineas[i];
        ASSERT_TRUE(j["slot"].is_string());
        const std::string ranura = j["slot"];
        if (evento == "progress") {
            ++progresos[ranura];
            EXPECT_TRUE(j["done"].is_number() && j["percent"].is_number()) << lineas[i];
            // At most once a second per meter.
            const std::string tramo = ranura + "/" + std::string(j["stream"]);
            const double s = j["seconds"];
            if (ultimo_progreso.count(tramo)) {
                EXPECT_GE(s - ultimo_progreso[tramo], 0.999) << lineas[i];
            }
            ultimo_progreso[tramo] = s;
        }
        if (evento == "outcome") {
            ++desenlaces;
            EXPECT_EQ(j["result"] == "updated", ranura != "C") << lineas[i];
            EXPECT_EQ(j["failed_item"].is_null(), ranura != "C") << lineas[i];
            EXPECT_TRUE(j["written"].is_array() && j["streams"].is_array()) << lineas[i];
        }
    }
    EXPECT_EQ(desenlaces, 4);
    for (const char* r : {"A", "B", "C", "D"}) EXPECT_GT(progresos[r], 5) << r;
}

// --watch: A's meter is updated, unplugged, and a new one plugged in its place; B's stays
// plugged after its update; C's leaves in the middle of its run.
TEST(Banco, WatchUpdatesEachMeterOnceAndASlotAgainOnlyAfterItsMeterWasUnplugged) {
    Fuente_simulada hub;
    hub.enchufar("A");
    hub.enchufar("B");
    hub.enchufar("C", 30'000'000);
    Opciones_banco o;
    o.respuesta = Respuesta_fija::si;
    o.vigilar = true;
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno(reloj);
    std::vector<std::string> vistos;
    std::map<std::string, int> desenlaces;
    bool parar = false;
    std::unique_ptr<Banco> banco;
    banco = std::make_unique<Banco>(entorno, hub, o, [&](const Evento_banco& e) {
        if (e.tipo == Tipo_evento::desenchufado) vistos.push_back("unplugged " + e.ranura);
        if (e.tipo == Tipo_evento::desenlace) {
            vistos.push_back(e.ranura + " " + e.desenlace.clave);
            ++desenlaces[e.ranura];
            if (e.ranura != "B") {
                hub.desenchufar(e.ranura);
                banco->Mirar_ranuras();
            }
        }
        if (e.tipo == Tipo_evento::desenchufado && e.ranura == "A" && desenlaces["A"] == 1) {
            hub.enchufar("A");
            banco->Mirar_ranuras();
        }
        // Every meter has ended: one more look at the slots (which sees the last one unplugged)
        // starts nothing, then the stop.
        if (!parar && desenlaces["A"] == 2 && desenlaces["B"] == 1 && desenlaces["C"] == 1) {
            parar = true;
            banco->Mirar_ranuras();
        }
    });
    banco->al_turno = [&] {
        if (parar) banco->Detener();
    };
    EXPECT_EQ(banco->Ejecutar(), 1);
    EXPECT_EQ(hub.sesiones, (std::map<std::string, int>{{"A", 2}, {"B", 1}, {"C", 1}}));
    const std::multiset<std::string> esperados = {"A updated",  "A updated",   "B updated",
                                                  "C failed",   "unplugged A", "unplugged A",
                                                  "unplugged C"};
    EXPECT_EQ(std::multiset<std::string>(vistos.begin(), vistos.end()), esperados);
}

}  // namespace
}  // namespace z82
