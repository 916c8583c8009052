// The wizard: the big button's two steps, the port search (automatic over the system's
// ports, or the one port picked by hand), the checks before a run and every outcome.
#include <array>
#include <cctype>
#include <string>

#include "app/ventana_cargador.h"
#include "link/tcpuerto.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

// Digits after the first three characters of a port name ("COM7:" gives 7); -1 when none.
int Numero_tras_prefijo(const std::string& nombre) {
    if (nombre.size() < 4) return -1;
    int n = 0;
    size_t i = 3;
    for (; i < nombre.size() && std::isdigit(static_cast<unsigned char>(nombre[i])); ++i) {
        if (n > 100000) return -1;
        n = n * 10 + (nombre[i] - '0');
    }
    return i == 3 ? -1 : n;
}

}  // namespace

void Tventana_cargador::Lineas(const std::string& l1, const std::string& l2,
                               const std::string& l3) {
    vista.info(1, l1);
    vista.info(2, l2);
    vista.info(3, l3);
}

void Tventana_cargador::Mostrar_resultado(int imagen, const std::string& prefijo, bool con_boton) {
    vista.imagen(imagen);
    vista.numeros_paso(false);
    Lineas(Texto(prefijo + "_L1"), Texto(prefijo + "_L2"), Texto(prefijo + "_L3"));
    if (con_boton) {
        vista.boton_asistente(true);
        vista.menus_habilitados(true);
        paso_asistente = 0;
    }
}

void Tventana_cargador::Boton_ConectarClick() {
    sesion.numero_puerto = numero_puerto;
    const bool desconectar = sesion.conectado;
    sesion.Conectar();
    if (desconectar || !sesion.conectado) return;
    Plan_actualizacion();
    entorno.procesar_mensajes();
    sesion.Timer_desconexion.Enabled(true);
}

void Tventana_cargador::Reconectar() {
    sesion.numero_puerto = numero_puerto;
    sesion.Reconectar();
}

void Tventana_cargador::Soltar_enlace() {
    sesion.Soltar();
    vista.barra_visible(false);
}

void Tventana_cargador::Probar_puerto(int n) {
    numero_puerto = n;
    vista.info(2, Texto("PASO3_L2") + std::to_string(numero_puerto));
    entorno.procesar_mensajes();
    Boton_ConectarClick();
    // Each handshake clears its own 0x6D: the search keeps it for its outcome, whichever
    // port came last.
    if (sesion.respuesta_6d) rechazo_en_busqueda = true;
}

void Tventana_cargador::Buscar_automatico() {
    std::array<bool, 16> probados{};
    for (int n = 1; n <= 15 && !sesion.conectado; ++n) {
        if (!entorno.existe_puerto(n)) continue;
        probados[static_cast<size_t>(n)] = true;
        Probar_puerto(n);
    }
    if (sesion.conectado) return;
    for (const std::string& nombre : entorno.puertos_registro()) {
        if (sesion.conectado) break;
        if (nombre.compare(0, 3, "COM") != 0) continue;
        const int n = Numero_tras_prefijo(nombre);
        if (n < 0) continue;
        numero_puerto = n;
        if (n <= 15 && probados[static_cast<size_t>(n)]) continue;
        Probar_puerto(n);
    }
}

void Tventana_cargador::Buscar_medidor() {
    sesion.avisos_puertos.clear();
    rechazo_en_busqueda = false;
    if (modo_automatico) {
        Buscar_automatico();
    } else {
        Probar_puerto(numero_puerto);
    }
}

void Tventana_cargador::Button_buscar_puertoClick() {
    if (paso_asistente == 0) {
        vista.imagen(IMG_INSTRUCCIONES);
        vista.numeros_paso(true);
        Lineas(Texto("PASO2_L1"), Texto("PASO2_L2"), Texto("PASO2_L3"));
        paso_asistente = 1;
        if (busquedas_fallidas > 1) {
            busquedas_fallidas = 0;
            MenuPuertoClick();
        }
        return;
    }

    resultado = Resultado_asistente::ninguno;
    desenlace = {};
    vista.detalle("");
    vista.menus_habilitados(false);
    vista.imagen(IMG_BUSCANDO);
    vista.numeros_paso(false);
    vista.boton_asistente(false);
    Lineas(Texto("PASO3_L1"), Texto("PASO3_L2") + std::to_string(numero_puerto), Texto("PASO3_L3"));

    Buscar_medidor();
    // A window closed during the search: the handshake returned and left the port open
    // (the window's flags untouched); the wizard gives the port back.
    if (sesion.cerrando && !sesion.conectado) sesion.puerto->Cerrar();

    auto no_encontrado = [&] {
        ++busquedas_fallidas;
        resultado = Resultado_asistente::no_encontrado;
        Mostrar_resultado(IMG_NO_ENCONTRADO, rechazo_en_busqueda ? "P6_E5" : "P6_E1");
    };
    if (!sesion.conectado) {
        // A search stopped by the user (the window closing, Ctrl-C) found nothing because
        // it was stopped.
        if (sesion.cerrando) {
            resultado = Resultado_asistente::detenido;
            return;
        }
        no_encontrado();
        return;
    }
    busquedas_fallidas = 0;

    // A check whose read brought no reply (the meter left its USB screen, the cable came
    // out) says nothing about the meter's battery or its state: the link is blamed.
    auto detenido = [&](Resultado_asistente r, const char* prefijo) {
        if (!sesion.conectado || sesion.consultas->ultima_fallida) {
            resultado = Resultado_asistente::enlace_perdido;
            Mostrar_resultado(IMG_NO_ENCONTRADO, "P6_E1");
        } else {
            resultado = r;
            Mostrar_resultado(IMG_DETENIDO, prefijo);
        }
        Soltar_enlace();
    };
    if (sesion.consultas->Leer_nivel() < 17)
        return detenido(Resultado_asistente::detenido_nivel, "P6_E2");
    if (!sesion.consultas->Comprobar_dispositivo())
        return detenido(Resultado_asistente::detenido_dispositivo, "P6_E3");
    if (!Comprobar_medidor()) {
        return detenido(impedimento == Impedimento::nada_que_hacer
                            ? Resultado_asistente::nada_que_hacer
                            : Resultado_asistente::no_permitido,
                        "PASO7");
    }
    if (!sesion.conectado) {
        resultado = Resultado_asistente::enlace_perdido;
        Mostrar_resultado(IMG_NO_ENCONTRADO, "P6_E1");
        return;
    }
    // The window was closed (or the user stopped) during the search or the checks: no run
    // starts on a window that is gone (its questions could never be answered).
    if (sesion.cerrando) {
        resultado = Resultado_asistente::detenido;
        Soltar_enlace();
        return;
    }

    vista.imagen(IMG_ACTUALIZANDO);
    vista.numeros_paso(false);
    vista.barra_visible(true);
    vista.boton_asistente(false);
    Lineas(Texto("PASO4_L1"), Texto("PASO4_L2"), Texto("PASO4_L3"));
    desenlace = Actualizar_medidor();
    Mostrar_desenlace();
    vista.refrescar();
    entorno.procesar_mensajes();
    vista.numeros_paso(false);
    vista.barra_visible(false);
    // A new run starts from the menu "Actualizar".
    vista.boton_asistente(false);
    paso_asistente = 0;
    vista.menus_habilitados(true);
}

void Tventana_cargador::Mostrar_desenlace() {
    switch (desenlace.fin) {
        case Fin_actualizacion::correcta:
            resultado = Resultado_asistente::actualizado;
            vista.imagen(IMG_EXITO);
            Lineas(Texto("PASO5_L1"), Texto("PASO5_L2"), "");
            return;
        case Fin_actualizacion::borrado_rechazado:
            resultado = Resultado_asistente::borrado_rechazado;
            Mostrar_resultado(IMG_FALLO, "P6_E7", false);
            return;
        case Fin_actualizacion::detenida:
            resultado = Resultado_asistente::detenido;
            break;
        case Fin_actualizacion::fallo:
            resultado = Resultado_asistente::fallo;
            break;
        case Fin_actualizacion::zona_no_escrita:
            resultado = Resultado_asistente::firmware_sin_zona;
            break;
    }
    Mostrar_resultado(IMG_FALLO, "P6_E4", false);
    std::string detalle;
    if (desenlace.fin == Fin_actualizacion::zona_no_escrita) detalle = Texto("P6_ZONA") + " ";
    if (desenlace.fallido) {
        detalle += Texto("P6_CAUSA") + " " + Nombre_elemento(*desenlace.fallido) + ": " +
                   desenlace.motivo + ".";
    } else if (desenlace.fin == Fin_actualizacion::detenida) {
        detalle += Texto("P6_PARADA");
    }
    vista.detalle(detalle);
}

void Tventana_cargador::Actualizar1Click() {
    vista.imagen(IMG_INSTRUCCIONES);
    vista.numeros_paso(true);
    paso_asistente = 1;
    Button_buscar_puertoClick();
}

void Tventana_cargador::Auto1Click() {
    modo_automatico = true;
    vista.modo_puerto(true);
    vista.panel_puerto(false);
}

void Tventana_cargador::MenuPuertoClick() {
    modo_automatico = false;
    vista.modo_puerto(false);
    vista.panel_puerto(true);
}

void Tventana_cargador::BConfigurarPuertoClick() { vista.panel_puerto(false); }

void Tventana_cargador::Puerto_manual(int n) {
    MenuPuertoClick();
    BConfigurarPuertoClick();
    numero_puerto = n;
}

void Tventana_cargador::COM_Click(int indice) {
    if (indice >= 0 && indice <= 5) numero_puerto = indice + 1;
}

std::vector<std::string> Tventana_cargador::Com_extendedChange() {
    std::vector<std::string> lista;
    for (int n = 1; n <= 32; ++n) {
        if (entorno.existe_puerto(n)) lista.push_back("COM" + std::to_string(n));
    }
    return lista;
}

void Tventana_cargador::Com_extended_select(const std::string& texto) {
    const int n = Numero_tras_prefijo(texto);
    if (n > 0) numero_puerto = n;
}

}  // namespace z82
