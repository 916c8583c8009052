#include "app/ventana_cargador.h"

namespace z82 {

Tventana_cargador::Tventana_cargador(Entorno& e, Vista& v, Dispositivo_serie& dispositivo,
                                     Cerrojo_puerto* cerrojo, std::string_view idiomas)
    : Actualizador(e, *this, dispositivo, cerrojo), vista(v), textos_(idiomas) {
    vista.imagen(IMG_INICIO);
    paso_asistente = 0;

    vista.menus(textos_.Menus());
    Abrir_hex();
    Poner_etiqueta_version();

    vista.info(1, Texto("PASO1_L1"));
    vista.info(2, etiqueta_version_);
    vista.info(3, Texto("PASO1_L3"));
    entorno.procesar_mensajes();

    busquedas_fallidas = 0;
    ocupado = false;
}

std::string Texto_etiqueta_version(const std::string& version_hex) {
    std::string etiqueta = "Version " + version_hex;
    // Characters 13 to 18 are the build: ".00000" is not shown.
    if (etiqueta.size() >= 18 && etiqueta.compare(12, 6, ".00000") == 0) etiqueta.resize(12);
    return etiqueta;
}

void Tventana_cargador::Poner_etiqueta_version() {
    etiqueta_version_ = Texto_etiqueta_version(version_hex);
    vista.etiqueta_version(etiqueta_version_);
}

void Tventana_cargador::MenuSalirClick() {
    if (ocupado) {
        vista.mensaje(Texto("AVISOACT"));
        return;
    }
    if (terminar) terminar(0);
}

void Tventana_cargador::SpeedButton_exitClick() {
    if (ocupado) return;
    if (terminar) terminar(0);
}

}  // namespace z82
