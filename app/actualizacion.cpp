// The update run: the plan question and the erase warning, then the items in their fixed
// order (memory erase, MPEG4 module, FPGA, main firmware with the plans, zone), with the
// pauses and reconnections between them, and the closing pair at the end.
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_cargador.h"
#include "defaults/tfparam_defecto.h"
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

void Tventana_cargador::Texto_contador(int contador, int total) {
    vista.info(3,
               Texto("PASO4_L3") + ": " + std::to_string(contador) + "/" + std::to_string(total));
}

bool Tventana_cargador::Preguntar(const Pregunta_atencion& pregunta) {
    vista.mostrar_atencion(pregunta);
    respuesta_atencion = 0;
    while (respuesta_atencion == 0) {
        entorno.procesar_mensajes();
        // Waiting for a person: no need to spin.
        if (respuesta_atencion == 0) entorno.dormir(10);
    }
    return respuesta_atencion == 1;
}

void Tventana_cargador::Button_atencion_okClick() {
    vista.ocultar_atencion();
    respuesta_atencion = 1;
}

void Tventana_cargador::Button_atencion_cancelClick() {
    vista.ocultar_atencion();
    respuesta_atencion = -1;
}

bool Tventana_cargador::Actualizar_medidor() {
    auto parametros = std::make_unique<TFParam_defecto>(*this);
    int total = int(Check_fpga) + int(Check_firmware) + int(Check_borrar) +
                int(Check_configuracion) + int(Check_mpeg4_apl);

    ocupado = true;
    abortar = false;
    grabar_planes = false;
    planes_extra = false;
    // Each run tells its own refusal apart from its own failures.
    borrado_rechazado = false;

    if (Check_planes) {
        grabar_planes = true;
        if (tipo_plan_medidor == 0 || tipo_plan_medidor == 4) {
            plan_esperado = Version_plan_llevada(tipo_plan_medidor);
            if (plan_medidor != plan_esperado) {
                planes_extra = Necesita_dos_sectores(tipo_plan_medidor);
                const bool ok =
                    Preguntar({Texto("AVISO_HEAD"), Texto("AVISOPLAN1"), Texto("AVISOPLAN2"),
                               Texto("AVISOPLAN3"), Texto("AVISOSI"), Texto("AVISONO")});
                if (ok) {
                    if (!Check_borrar) {
                        Check_borrar = true;
                        ++total;
                    }
                } else {
                    grabar_planes = false;
                    Check_planes = false;
                }
            }
        }
    }

    if (Check_borrar) {
        const bool ok = Preguntar({Texto("AVISO_HEAD"), Texto("AVISOMEM1"), Texto("AVISOMEM2"),
                                   Texto("AVISOMEM3"), "OK", "CANCEL"});
        abortar = !ok;
        if (!ok) borrado_rechazado = true;
    }

    int contador = 0;
    auto empezar = [&] {
        ++contador;
        Texto_contador(contador, total);
        entorno.procesar_mensajes();
    };
    auto anotar = [&](bool exito) {
        if (!abortar) abortar = !exito;
    };
    auto siguen = [&] { return !abortar && contador < total; };

    if (Check_borrar && !abortar) {
        empezar();
        anotar(Borrar_memoria());
    }

    if (Check_mpeg4_apl && !abortar) {
        empezar();
        auto mpeg4 = std::make_unique<TMpeg4>(*this);
        mpeg4->Parchear_bloque_972();
        Preparar_diferencial();
        anotar(mpeg4->Actualizar_mpeg4(0));
        mpeg4.reset();
        if (siguen()) {
            entorno.dormir(15000);
            Reconectar();
        }
    }

    if (Check_fpga && !abortar) {
        Preparar_diferencial();
        graficos->Borrar_graficos();
        graficos->Enviar_grafico(1);
        empezar();
        auto fpga = std::make_unique<TCFpga>(*this);
        fpga->n_configuraciones = 2;
        anotar(fpga->Grabar_configuraciones());
        if (siguen() && !Check_firmware) Reconectar();
        fpga.reset();
    }

    if (Check_firmware && !abortar) {
        empezar();
        anotar(Grabar_firmware());
        if (siguen()) Reconectar();
    }

    if (Check_configuracion) {
        empezar();
        // The meter's own sound values are asked again when the connection could not read
        // them (a meter that was busy or leaving just then): a passing failure must not
        // replace them with the defaults. A meter without them still gets the defaults.
        if (!dato_232_ok && !es_usa && !abortar && conectado) Leer_datos_sonido();
        parametros->Construir_parametros(idioma_medidor);
        if (!abortar) anotar(parametros->Grabar_configuracion());
        Enviar_cierre();
        if (siguen()) {
            entorno.dormir(5000);
            Reconectar();
        }
    }

    Enviar_cierre();
    if (conectado) Boton_ConectarClick();
    ocupado = false;
    return abortar;
}

bool Tventana_cargador::Borrar_memoria() {
    if (!conectado) {
        Boton_ConectarClick();
        if (!conectado) return false;
    }
    Barra_progreso.Min(0);
    Barra_progreso.Max(13);
    Barra_progreso.Position(0);

    bool sincronizado = false;
    for (int i = 0; i < 10 && !sincronizado; ++i) sincronizado = Sincronizar_datos(*this);
    if (!sincronizado) return false;

    int k = 1;
    for (uint8_t sector : kSectoresBorrado) {
        Barra_progreso.Position(k++);
        entorno.procesar_mensajes();
        bool vaciado = false;
        for (int i = 0; i < 10 && !vaciado; ++i) vaciado = Vaciar_sector(*this, sector);
        if (!vaciado) return false;
    }
    Barra_progreso.Position(13);
    entorno.procesar_mensajes();
    return true;
}

bool Tventana_cargador::Preparar_diferencial() {
    Timer_desconexion.Enabled(false);
    diferencial = std::make_unique<TCDiferencial>(*this);
    hora_inicio = entorno.segundos();
    diferencial->Cargar_bloque_144();
    diferencial->Cargar_bloque_972();
    return true;
}

bool Tventana_cargador::Grabar_firmware() {
    bool ok = true;
    abortar = false;
    Timer_desconexion.Enabled(false);

    // Without a link, or without a readable image, nothing can be written: that is a
    // failure, never a success.
    if (!conectado || lector_hex == nullptr) {
        ok = false;
    } else {
        diferencial = std::make_unique<TCDiferencial>(*this);
        hora_inicio = entorno.segundos();
        segmentos[30] = grabar_planes;
        segmentos[31] = grabar_planes && planes_extra;
        for (size_t s = 0; s < segmentos.size(); ++s) diferencial->mapa[s] = segmentos[s] ? 1 : 0;

        if (!Check_fpga) {
            diferencial->Cargar_bloque_144();
            diferencial->Cargar_bloque_972();
        }
        graficos->Borrar_graficos();
        graficos->Enviar_grafico(1);

        if (abortar) ok = false;
        if (ok && !Check_fpga) ok = diferencial->Preparar_flash();
        if (ok) ok = diferencial->Enviar_imagen();
        if (ok) ok = diferencial->Enviar_region();
        if (ok) graficos->Enviar_grafico(2);
        if (abortar) ok = false;
        if (ok) ok = diferencial->Programar();
        diferencial->Fin_comunicacion();
    }

    diferencial.reset();
    Barra_progreso.Position(Barra_progreso.Min());
    entorno.procesar_mensajes();
    return ok;
}

}  // namespace z82
