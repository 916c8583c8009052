// The wizard: the big button's two steps, the port search (automatic over the system's
// ports, or the one port picked by hand), the checks before a run and every outcome.
#include <string>

#include "app/ventana_cargador.h"

namespace z82 {

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

void Tventana_cargador::Soltar_enlace() {
    Actualizador::Soltar_enlace();
    vista.barra_visible(false);
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
    if (!sesion.conectado) {
        // A search stopped by the user (the window closing, Ctrl-C) found nothing because
        // it was stopped.
        if (sesion.cerrando) {
            resultado = Resultado_asistente::detenido;
            return;
        }
        ++busquedas_fallidas;
        resultado = Resultado_asistente::no_encontrado;
        Mostrar_resultado(IMG_NO_ENCONTRADO, rechazo_en_busqueda ? "P6_E5" : "P6_E1");
        return;
    }
    busquedas_fallidas = 0;

    resultado = Comprobar_antes_de_actualizar();
    if (resultado != Resultado_asistente::ninguno) {
        switch (resultado) {
            case Resultado_asistente::enlace_perdido:
                Mostrar_resultado(IMG_NO_ENCONTRADO, "P6_E1");
                break;
            case Resultado_asistente::detenido_nivel:
                Mostrar_resultado(IMG_DETENIDO, "P6_E2");
                break;
            case Resultado_asistente::detenido_dispositivo:
                Mostrar_resultado(IMG_DETENIDO, "P6_E3");
                break;
            case Resultado_asistente::nada_que_hacer:
            case Resultado_asistente::no_permitido:
                Mostrar_resultado(IMG_DETENIDO, "PASO7");
                break;
            default:
                break;  // stopped: the window is going
        }
        vista.barra_visible(false);
        return;
    }

    vista.imagen(IMG_ACTUALIZANDO);
    vista.numeros_paso(false);
    vista.barra_visible(true);
    vista.boton_asistente(false);
    Lineas(Texto("PASO4_L1"), Texto("PASO4_L2"), Texto("PASO4_L3"));
    desenlace = Actualizar_medidor();
    resultado = Resultado_de(desenlace);
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
            vista.imagen(IMG_EXITO);
            Lineas(Texto("PASO5_L1"), Texto("PASO5_L2"), "");
            return;
        case Fin_actualizacion::borrado_rechazado:
            Mostrar_resultado(IMG_FALLO, "P6_E7", false);
            return;
        case Fin_actualizacion::detenida:
        case Fin_actualizacion::fallo:
        case Fin_actualizacion::zona_no_escrita:
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
