// The engine against a meter that sends whatever the fuzzer says. The first byte chooses
// the exchange (its value modulo the number of exchanges) and a variant of it (the
// quotient: the phase of the wall clock's seconds and the exchange's parameters); the rest
// is what the meter sends, in the form of guion_fuzz.h. Every exchange runs under virtual
// time on the simulated link and must end, within a generous bound of virtual time,
// without touching memory it does not own; results are checked where the exchange promises
// something about them. One input is one exchange: whole updates, which chain them, are
// the fault campaign's work (bench/campana).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "apoyo/banco.h"
#include "app/ventana_cargador.h"
#include "data/imagenes.h"
#include "defaults/tfparam_defecto.h"
#include "flash/codigo_cargador.h"
#include "flash/tcdiferencial.h"
#include "fpga/tcfpga.h"
#include "graphics/tgraficos.h"
#include "guion_fuzz.h"
#include "hex/escaneo_hex.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"
#include "link/tcpuerto.h"
#include "mpeg4/cargador_bloques.h"
#include "mpeg4/tmpeg4.h"
#include "protocol/trama_flash.h"
#include "queries/tconsultas.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/reloj_virtual.h"
#include "sim/vista_registro.h"

namespace z82 {
namespace {

constexpr int64_t S = 1'000'000;
// Virtual time an exchange may take: one hour, where the exchanges' own limits are at most
// ten minutes.
constexpr int64_t LIMITE_INTERCAMBIO_US = 3600 * S;

void Fallo(const char* que) {
    std::fprintf(stderr, "fuzz_medidor: %s\n", que);
    std::abort();
}

enum Intercambio : uint8_t {
    conexion_ventana,
    consultas,
    enviar_bloque,
    borrar_paginas,
    despertar,
    seguir_progreso,
    cargar_arranque,
    programar_flash,
    cargador_bloques,
    eeprom,
    fpga,
    mpeg4_pasos,
    mpeg4_completo,
    graficos,
    enviar_imagen,
    INTERCAMBIOS
};

// One exchange's world: virtual clock, environment, view, simulated link with the
// fuzzer's meter on port 1, and the engine state the subsystems use.
struct Banco_fuzz {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Vista_registro vista{entorno};
    sim::Enlace_simulado enlace{reloj};
    fuzz::Extremo_fuzz medidor;

    Banco_fuzz(const uint8_t* d, size_t n, int64_t limite_us, int variante)
        : medidor(d, n, &reloj, limite_us) {
        enlace.registrar = false;
        enlace.conectar(1, &medidor);
        entorno.puertos.insert(1);
        // The seconds of the wall clock turn at a different phase in each variant.
        entorno.origen_ms = 67 * variante;
    }
};

// The subsystems' state without a window, port 1 open and connected.
struct Motor {
    TCPuerto puerto;
    prueba::Contexto_prueba ctx;
    TConsultas consultas{Canal{puerto, ctx.entorno, ctx.senales}};
    TGraficos graficos{Canal{puerto, ctx.entorno, ctx.senales}};
    TFuente_lineas fuente{datos::imagen_hex()};
    TLector_hex lector{fuente};

    explicit Motor(Banco_fuzz& b) : puerto(b.enlace, nullptr, b.entorno), ctx(b.entorno, b.vista) {
        ctx.puerto = &puerto;
        ctx.consultas = &consultas;
        ctx.graficos = &graficos;
        ctx.fuente_hex = &fuente;
        ctx.lector_hex = &lector;
        for (int i = 0; i < 3; ++i) {
            const auto bloque = datos::bloque_cargador(i);
            ctx.bloques.bloque[static_cast<size_t>(i)].assign(bloque.begin(), bloque.end());
        }
        static const uint32_t registros = [] {
            TFuente_lineas f(datos::imagen_hex());
            TLector_hex l(f);
            return Escanear_hex(f, l).registros;
        }();
        lector.registros = registros;
        puerto.Abrir(1, ctx.config_puerto);
        ctx.conectado = true;
    }
};

void Consultas(Motor& m, int variante) {
    // A memory read never writes past the words it asked for.
    std::array<uint16_t, 130> palabras;
    palabras.fill(0xBEEF);
    const uint8_t cuenta = static_cast<uint8_t>(variante * 17);
    m.consultas.Leer_memoria(0x0000, 0x18, cuenta, palabras.data());
    for (size_t i = cuenta / 2; i < palabras.size(); ++i) {
        if (palabras[i] != 0xBEEF) Fallo("memory read wrote past its words");
    }
    std::array<uint8_t, TConsultas::CAPACIDAD_DISPOSITIVO + 8> buffer;
    buffer.fill(0xA5);
    buffer[0] = static_cast<uint8_t>(variante % 12);
    m.consultas.Leer_dispositivo(0x3F, buffer.data(), 8, 1, static_cast<uint8_t>(variante % 9));
    for (size_t i = TConsultas::CAPACIDAD_DISPOSITIVO; i < buffer.size(); ++i) {
        if (buffer[i] != 0xA5) Fallo("device read wrote past the buffer");
    }
    const uint8_t dato[2] = {0x41, 0x00};
    m.consultas.Escribir_dispositivo(0x3F, 8, dato, 2);
    const int nivel = m.consultas.Leer_nivel();
    if (nivel < 0 || nivel > 255) Fallo("level outside 0..255");
    m.consultas.Comprobar_dispositivo();
    m.consultas.Activar_dispositivo();
    if (m.consultas.Leer_idioma().estado != 0)
        Fallo("language query could not write on an open port");
    const auto d232 = m.consultas.Leer_dato_232();
    const auto d23b = m.consultas.Leer_dato_23b();
    if (d232.estado != 0 || d23b.estado != 0) Fallo("query could not write on an open port");
    m.ctx.conectado = (variante & 1) != 0;
    m.consultas.Leer_version_mpeg4();
}

// The window's handshake, its version reads and its plan, then the disconnecting click.
void Conexion_ventana(Banco_fuzz& b) {
    Tventana_cargador v(b.entorno, b.vista, b.enlace, nullptr);
    v.numero_puerto = 1;
    v.Boton_ConectarClick();
    if (!v.sesion.conectado) return;
    v.Plan_actualizacion();
    v.Comprobar_medidor();
    // A reconnection the version reads asked for may have failed and left it closed; when
    // still connected, the click disconnects.
    if (!v.sesion.conectado) return;
    v.Boton_ConectarClick();
    if (v.sesion.conectado) Fallo("still connected after the disconnecting click");
}

void Ejecutar(Banco_fuzz& b, Intercambio que, int variante) {
    if (que == conexion_ventana) {
        Conexion_ventana(b);
        return;
    }
    Motor m(b);
    auto& ctx = m.ctx;
    m.graficos.habilitado = (variante & 8) != 0;
    static constexpr Forma_bloque formas_bloque[4] = {formas::bloque_controlador,
                                                      formas::bloque_graficos, formas::bloque_mpeg4,
                                                      formas::bloque_fpga};
    static constexpr Forma_espera formas_espera[5] = {formas::borrado_controlador,
                                                      formas::borrado_fpga, formas::borrado_mpeg4,
                                                      formas::borrado_graficos, formas::despertar};
    switch (que) {
        case consultas:
            Consultas(m, variante);
            break;
        case enviar_bloque: {
            std::array<uint8_t, MAX_DATOS_BLOQUE> datos{};
            for (size_t i = 0; i < datos.size(); ++i) datos[i] = static_cast<uint8_t>(i * 7);
            const int n =
                variante < 8 ? MAX_DATOS_BLOQUE : std::min(16 * variante, MAX_DATOS_BLOQUE);
            Enviar_bloque(ctx.canal(), formas_bloque[variante % 4], n, 0x1234,
                          static_cast<uint8_t>(0x7E + variante), datos.data());
            Enviar_bloque(ctx.canal(), formas_bloque[(variante + 1) % 4], 8, 0x0000, 0xAB,
                          datos.data());
            break;
        }
        case borrar_paginas:
            ctx.hora_inicio = b.entorno.segundos();
            Borrar_paginas(ctx.canal(), 0xAB, 0xC9, formas_espera[variante % 5], ctx.hora_inicio);
            Borrar_paginas(ctx.canal(), 0xDB, 0xDD, formas_espera[(variante + 2) % 5],
                           ctx.hora_inicio);
            break;
        case despertar:
            Despertar(ctx.canal(), formas::despertar);
            break;
        case seguir_progreso: {
            Mapa_segmentos mapa{};
            mapa[0x18] = 1;
            Programar_mapa(ctx.canal(), mapa);
            int sucesos = 0;
            Seguir_progreso(ctx.canal(), b.entorno.segundos(), variante < 8 ? LIMITE_PROGRESO_S : 5,
                            [&](Suceso_progreso, uint8_t) { ++sucesos; });
            Fin_comunicacion(ctx.canal());
            break;
        }
        case cargar_arranque: {
            TCodigo_cargador c{ctx.canal(), ctx.bloques, ctx.consultas, ctx.graficos};
            c.Cargar_arranque();
            ctx.hora_inicio = b.entorno.segundos();
            c.Cargar_bloque_144(ctx.hora_inicio);
            c.Cargar_bloque_972(ctx.hora_inicio);
            break;
        }
        case programar_flash: {
            TCDiferencial d{ctx.canal(), ctx.Barra_progreso, ctx.ultimo_progreso};
            d.Preparar_flash();
            const auto plan = datos::imagen_planes(variante % 5);
            d.Enviar_plan(plan.first(std::min<size_t>(plan.size(), 128 * (1 + variante))));
            d.mapa[0x18] = 1;
            d.mapa[0x1E] = 1;
            d.Programar();
            d.Fin_comunicacion();
            const int p = b.vista.barra_pos;
            if (p < 0 && p != -1) Fallo("negative progress position");
            break;
        }
        case cargador_bloques:
            Sincronizar_datos(ctx.canal());
            Vaciar_sector(ctx.canal(), static_cast<uint8_t>(30 + variante));
            Sincronizar_datos(ctx.canal());
            break;
        case eeprom: {
            TFParam_defecto f{ctx.canal(), *ctx.consultas, ctx.Barra_progreso, ctx.medidor};
            ctx.medidor.es_usa = (variante & 1) != 0;
            f.Construir_parametros(variante % 5);
            f.Grabar_configuracion();
            break;
        }
        case fpga: {
            TCFpga f{ctx.canal(), ctx.Barra_progreso};
            f.n_configuraciones = 1 + variante % 3;
            f.Grabar_configuraciones((variante & 4) == 0);
            break;
        }
        case mpeg4_pasos: {
            ctx.medidor.es_usa = (variante & 1) != 0;
            TMpeg4 t{ctx.canal(), ctx.Barra_progreso, ctx.bloques, ctx.graficos,
                     ctx.medidor.es_usa};
            t.Parchear_bloque_972();
            t.Borrar_area_mpeg4();
            t.Grabar_transferencia();
            t.Arrancar_transferencia();
            t.Ordenar_transferencia();
            t.Esperar_fin_mpeg4();
            break;
        }
        case mpeg4_completo: {
            TMpeg4 t{ctx.canal(), ctx.Barra_progreso, ctx.bloques, ctx.graficos,
                     ctx.medidor.es_usa};
            t.Parchear_bloque_972();
            t.Actualizar_mpeg4(0);
            break;
        }
        case graficos:
            m.graficos.habilitado = true;
            ctx.hora_inicio = b.entorno.segundos();
            m.graficos.Borrar_graficos(ctx.hora_inicio);
            m.graficos.Enviar_grafico(1 + variante % 4);
            break;
        case enviar_imagen: {
            TCDiferencial d{ctx.canal(), ctx.Barra_progreso, ctx.ultimo_progreso};
            // Every segment, or only the version block's: records of the others are skipped.
            if (variante < 8) {
                d.mapa.fill(1);
            } else {
                d.mapa[SEGMENTO_VERSION] = 1;
            }
            d.Enviar_imagen(ctx.fuente_hex, ctx.lector_hex);
            break;
        }
        default:
            break;
    }
}

}  // namespace
}  // namespace z82

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    using namespace z82;
    if (n == 0) return 0;
    const auto que = static_cast<Intercambio>(datos[0] % INTERCAMBIOS);
    const int variante = datos[0] / INTERCAMBIOS;
    Banco_fuzz b(datos + 1, n - 1, LIMITE_INTERCAMBIO_US, variante);
    Ejecutar(b, que, variante);
    if (b.reloj.us() > LIMITE_INTERCAMBIO_US)
        Fallo("exchange ended past its bound of virtual time");
    return 0;
}
