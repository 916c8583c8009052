#include "app/ejecucion.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "defaults/tfparam_defecto.h"
#include "flash/codigo_cargador.h"
#include "flash/tcdiferencial.h"
#include "fpga/tcfpga.h"
#include "graphics/tgraficos.h"
#include "link/tcpuerto.h"
#include "mpeg4/cargador_bloques.h"
#include "mpeg4/tmpeg4.h"
#include "plans/planes.h"

namespace z82 {
namespace {

// Sectors that the memory erase empties, in order.
constexpr uint8_t kSectoresBorrado[12] = {0x01, 0x20, 0x21, 0x24, 0x25, 0x26,
                                          0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C};

}  // namespace

void Ejecucion_actualizacion::Preguntar_planes(int& total) {
    grabar_planes = true;
    // Only the regions whose plans may have moved between sectors are asked.
    Datos_medidor& medidor = sesion.medidor;
    if (medidor.tipo_plan_medidor != 0 && medidor.tipo_plan_medidor != 4) return;
    medidor.plan_esperado = Version_plan_llevada(medidor.tipo_plan_medidor);
    if (medidor.plan_medidor == medidor.plan_esperado) return;
    planes_extra = Necesita_dos_sectores(medidor.tipo_plan_medidor);
    if (observador.preguntar(Pregunta::planes_nuevos)) {
        // New plans replace the stored channels: the memory is erased first.
        if (!plan.Check_borrar) {
            plan.Check_borrar = true;
            ++total;
        }
    } else {
        grabar_planes = false;
        plan.Check_planes = false;
    }
}

const char* Nombre_elemento(Elemento e) {
    switch (e) {
        case Elemento::borrado:
            return "memory erase";
        case Elemento::mpeg4:
            return "MPEG4 module application";
        case Elemento::fpga:
            return "FPGA configurations";
        case Elemento::firmware:
            return "main firmware";
        case Elemento::planes:
            return "channel plans";
        case Elemento::zona:
            return "zone configuration";
    }
    return "?";
}

bool Ejecucion_actualizacion::Grabar_zona(TFParam_defecto& parametros, bool escribir) {
    if (!escribir) {
        // The run has failed or stopped: the block is built, nothing is written.
        parametros.Construir_parametros(sesion.medidor.idioma_medidor);
        return true;
    }
    if (sesion.conectado) {
        // The meter's own language and sound values are asked again when the connection
        // could not read them (a meter that was busy or leaving just then): a passing
        // failure must not replace them with the defaults or another language. A meter
        // without the sound values still gets the defaults; a language that still cannot be
        // read fails the step rather than be guessed.
        if (!sesion.medidor.idioma_ok) sesion.Leer_idioma_medidor();
        if (!sesion.medidor.dato_232_ok && !sesion.medidor.es_usa) sesion.Leer_datos_sonido();
    }
    if (!sesion.medidor.idioma_ok) {
        sesion.canal().fallar(sesion.conectado
                                  ? "the meter's language could not be read (no two replies agreed)"
                                  : "no link to the meter (the reconnection failed)");
        return false;
    }
    parametros.Construir_parametros(sesion.medidor.idioma_medidor);
    return parametros.Grabar_configuracion();
}

std::vector<Paso_actualizacion> Ejecucion_actualizacion::Pasos_actualizacion(
    TFParam_defecto& parametros) {
    // The items in their fixed order. After a failure or a stop only the zone item still
    // runs (it counts and sends the closing pair, but writes nothing), unless the firmware
    // of this run was programmed: then its zone is written. After an item, while more are
    // to come and the run goes on: a pause, then a reconnection.
    return {
        {Elemento::borrado,
         plan.Check_borrar,
         false,
         {},
         [this](bool) { return Borrar_memoria(); },
         {},
         0,
         false},
        {Elemento::mpeg4,
         plan.Check_mpeg4_apl,
         false,
         {},
         [this](bool) {
             TMpeg4 mpeg4(sesion.canal(), sesion.Barra_progreso, sesion.bloques, sesion.graficos,
                          sesion.medidor.es_usa);
             mpeg4.Parchear_bloque_972();
             Preparar_diferencial();
             return mpeg4.Actualizar_mpeg4(0);
         },
         {},
         15000,
         true},
        // The FPGA item prepares the meter for the firmware that may follow it: no
        // reconnection in between then.
        {Elemento::fpga,
         plan.Check_fpga,
         false,
         [this] {
             Preparar_diferencial();
             sesion.graficos->Borrar_graficos(hora_inicio);
             sesion.graficos->Enviar_grafico(1);
         },
         [this](bool) {
             TCFpga fpga(sesion.canal(), sesion.Barra_progreso);
             fpga.n_configuraciones = 2;
             // With the main firmware in the same run, its program command takes the area.
             return fpga.Grabar_configuraciones(!plan.Check_firmware);
         },
         {},
         0,
         !plan.Check_firmware},
        {Elemento::firmware,
         plan.Check_firmware,
         false,
         {},
         [this](bool) { return Grabar_firmware(); },
         {},
         0,
         true},
        {Elemento::zona,
         plan.Check_configuracion,
         true,
         {},
         [this, &parametros](bool escribir) { return Grabar_zona(parametros, escribir); },
         [this] { sesion.Enviar_cierre(); },
         5000,
         true},
    };
}

Ejecucion_actualizacion::Ejecucion_actualizacion(Sesion_medidor& s, const Plan& p, Observador& o,
                                                 const Imagen_llevada& i)
    : plan(p), sesion(s), entorno(s.entorno), observador(o), imagen(i) {}

Desenlace_actualizacion Ejecucion_actualizacion::Ejecutar() {
    auto parametros = std::make_unique<TFParam_defecto>(sesion.canal(), *sesion.consultas,
                                                        sesion.Barra_progreso, sesion.medidor);
    int total = plan.cuantos();

    sesion.senales.reiniciar();
    firmware_programado = false;
    grabar_planes = false;
    planes_extra = false;
    // Each run tells its own refusal apart from its own failures.
    bool borrado_rechazado = false;
    Desenlace_actualizacion d;

    if (plan.Check_planes) {
        Preguntar_planes(total);
        d.planes_rechazados = !grabar_planes;
    }
    if (plan.Check_borrar && !observador.preguntar(Pregunta::borrado_memoria)) {
        sesion.senales.abortar = true;
        borrado_rechazado = true;
    }

    // The run goes on while nothing failed and the user did not stop it; once the firmware
    // is programmed, a stop waits for its zone configuration (without it the meter would
    // run the new firmware over its old zone block).
    const auto sigue = [this] {
        return !sesion.senales.abortar && (!sesion.senales.parada_pedida() || firmware_programado);
    };
    const std::vector<Paso_actualizacion> pasos = Pasos_actualizacion(*parametros);
    int contador = 0;
    for (const Paso_actualizacion& paso : pasos) {
        if (!paso.marcado) continue;
        if (!sigue() && !paso.tras_fallo) {
            d.no_escritos.push_back(paso.elemento);
            continue;
        }
        if (paso.antes) paso.antes();
        observador.inicio_elemento(Nombre_elemento(paso.elemento));
        observador.contador(++contador, total);
        entorno.procesar_mensajes();
        // The last safe point before the item's work: a stop that came meanwhile (while
        // the loader code went to the meter, say) starts no transfer.
        const bool escribir = sigue();
        sesion.senales.causa.clear();
        const bool exito = (escribir || paso.tras_fallo) && paso.trabajo(escribir);
        sesion.Barra_progreso.Fin_elemento(escribir && exito);
        if (escribir && exito) {
            d.escritos.push_back(paso.elemento);
            if (paso.elemento == Elemento::firmware && grabar_planes)
                d.escritos.push_back(Elemento::planes);
        } else {
            d.no_escritos.push_back(paso.elemento);
        }
        if (escribir && !exito && !sesion.senales.abortar) {
            sesion.senales.abortar = true;
            // An item that gave up because the user stopped the run did not fail.
            if (!sesion.senales.parada_pedida() || paso.elemento == Elemento::zona) {
                d.fallido = paso.elemento;
                d.motivo = !sesion.senales.causa.empty() ? sesion.senales.causa
                           : sesion.puerto->Abierto()    ? "the item did not complete"
                                                         : "link lost";
            }
        }
        if (paso.despues) paso.despues();
        if (sigue() && contador < total && paso.reconectar) {
            if (paso.pausa_ms > 0) entorno.dormir(paso.pausa_ms);
            sesion.Reconectar();
        }
    }

    // With the firmware in the same run, the FPGA area is only staged by its item: the
    // firmware's program command writes it.
    const auto fpga = std::find(d.escritos.begin(), d.escritos.end(), Elemento::fpga);
    if (fpga != d.escritos.end() && plan.Check_firmware && !firmware_programado) {
        d.escritos.erase(fpga);
        d.no_escritos.insert(d.no_escritos.begin(), Elemento::fpga);
    }

    sesion.Enviar_cierre();
    // The link is left with its notice.
    if (sesion.conectado) sesion.Conectar();
    if (borrado_rechazado) {
        d.fin = Fin_actualizacion::borrado_rechazado;
    } else if (d.fallido == Elemento::zona && firmware_programado) {
        // The meter runs the new firmware over its old zone block.
        d.fin = Fin_actualizacion::zona_no_escrita;
    } else if (d.fallido) {
        d.fin = Fin_actualizacion::fallo;
    } else if (sesion.senales.parada_pedida() && !d.no_escritos.empty()) {
        d.fin = Fin_actualizacion::detenida;
    } else {
        d.fin = Fin_actualizacion::correcta;
    }
    return d;
}

bool Ejecucion_actualizacion::Borrar_memoria() {
    if (!sesion.conectado) {
        if (conectar) conectar();
        if (!sesion.conectado) {
            sesion.canal().fallar("no link to the meter (it did not answer the handshake)");
            return false;
        }
    }
    sesion.Barra_progreso.Tramo("memory erase", "sectors", 13);
    sesion.Barra_progreso.Position(0);

    bool sincronizado = false;
    for (int i = 0; i < 10 && !sincronizado; ++i) sincronizado = Sincronizar_datos(sesion.canal());
    if (!sincronizado) {
        sesion.canal().fallar("10 tries, the last: " + sesion.senales.causa);
        return false;
    }

    int k = 1;
    for (uint8_t sector : kSectoresBorrado) {
        sesion.Barra_progreso.Position(k++);
        entorno.procesar_mensajes();
        bool vaciado = false;
        for (int i = 0; i < 10 && !vaciado; ++i) vaciado = Vaciar_sector(sesion.canal(), sector);
        if (!vaciado) {
            sesion.canal().fallar("10 tries, the last: " + sesion.senales.causa);
            return false;
        }
    }
    sesion.Barra_progreso.Position(13);
    entorno.procesar_mensajes();
    return true;
}

bool Ejecucion_actualizacion::Preparar_diferencial() {
    sesion.Timer_desconexion.Enabled(false);
    hora_inicio = entorno.segundos();
    TCodigo_cargador codigo(sesion.canal(), sesion.bloques, sesion.consultas, sesion.graficos);
    codigo.Cargar_bloque_144(hora_inicio);
    codigo.Cargar_bloque_972(hora_inicio);
    return true;
}

bool Ejecucion_actualizacion::Grabar_firmware() {
    bool ok = true;
    sesion.senales.abortar = false;
    sesion.Timer_desconexion.Enabled(false);

    // Without a link, or without a readable image, nothing can be written: that is a
    // failure, never a success.
    if (!sesion.conectado || imagen.lector == nullptr) {
        ok = false;
        sesion.canal().fallar(sesion.conectado ? "the carried firmware image is damaged"
                                               : "no link to the meter (the reconnection failed)");
    } else {
        TCDiferencial diferencial(sesion.canal(), sesion.Barra_progreso, sesion.ultimo_progreso);
        hora_inicio = entorno.segundos();
        imagen.segmentos[30] = grabar_planes;
        imagen.segmentos[31] = grabar_planes && planes_extra;
        for (size_t s = 0; s < imagen.segmentos.size(); ++s)
            diferencial.mapa[s] = imagen.segmentos[s] ? 1 : 0;
        diferencial.con_area_fpga = plan.Check_fpga;

        // The FPGA item, when it ran, has loaded the loader code and erased for this run.
        if (!plan.Check_fpga) {
            TCodigo_cargador codigo(sesion.canal(), sesion.bloques, sesion.consultas,
                                    sesion.graficos);
            codigo.Cargar_bloque_144(hora_inicio);
            codigo.Cargar_bloque_972(hora_inicio);
        }
        sesion.graficos->Borrar_graficos(hora_inicio);
        sesion.graficos->Enviar_grafico(1);

        // The user's stop is looked at here as well: unlike the failure flag, nothing resets
        // it, so a stop that came just before this item is not lost.
        if (sesion.canal().parar()) ok = false;
        if (ok && !plan.Check_fpga) ok = diferencial.Preparar_flash();
        if (ok) ok = diferencial.Enviar_imagen(imagen.fuente, imagen.lector);
        if (ok) ok = diferencial.Enviar_region(sesion.medidor.tipo_plan_medidor);
        if (ok) sesion.graficos->Enviar_grafico(2);
        if (sesion.canal().parar()) ok = false;
        if (ok) ok = diferencial.Programar();
        firmware_programado = ok;
        diferencial.Fin_comunicacion();
    }

    sesion.Barra_progreso.Position(sesion.Barra_progreso.Min());
    entorno.procesar_mensajes();
    return ok;
}

}  // namespace z82
