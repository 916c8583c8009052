#include "app/ventana_cargador.h"

#include "app/idiomas.h"
#include "data/imagenes.h"
#include "graphics/tgraficos.h"
#include "hex/escaneo_hex.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"
#include "link/tcpuerto.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

// Keys of the wizard and warning texts, in the order they are read.
constexpr const char* kClavesTexto[] = {
    "PASO1_L1",  "PASO1_L3",  "PASO2_L1",  "PASO2_L2",   "PASO2_L3",   "PASO3_L1",   "PASO3_L2",
    "PASO3_L3",  "PASO4_L1",  "PASO4_L2",  "PASO4_L3",   "PASO5_L1",   "PASO5_L2",   "P6_E1_L1",
    "P6_E1_L2",  "P6_E1_L3",  "P6_E2_L1",  "P6_E2_L2",   "P6_E2_L3",   "P6_E3_L1",   "P6_E3_L2",
    "P6_E3_L3",  "P6_E4_L1",  "P6_E4_L2",  "P6_E4_L3",   "P6_E5_L1",   "P6_E5_L2",   "P6_E5_L3",
    "P6_E7_L1",  "P6_E7_L2",  "P6_E7_L3",  "PASO7_L1",   "PASO7_L2",   "PASO7_L3",   "AVISO_HEAD",
    "AVISOMEM1", "AVISOMEM2", "AVISOMEM3", "AVISOPLAN1", "AVISOPLAN2", "AVISOPLAN3", "AVISOSI",
    "AVISONO",   "AVISOACT",  "P6_CAUSA",  "P6_ZONA",    "P6_PARADA",
};

const std::string kVacio;

// The carried image is fixed when the program is built, so its scan gives the same answer
// every time: it is done once per process, however many windows are opened (the tests and
// the fault campaign open thousands).
const Resultado_escaneo& Escaneo_imagen_llevada() {
    static const Resultado_escaneo escaneo = [] {
        TFuente_lineas fuente(datos::imagen_hex());
        TLector_hex lector(fuente);
        return Escanear_hex(fuente, lector);
    }();
    return escaneo;
}

}  // namespace

Tventana_cargador::Tventana_cargador(Entorno& e, Vista& v, Dispositivo_serie& dispositivo,
                                     Cerrojo_puerto* cerrojo, std::string_view idiomas)
    : entorno(e), vista(v), sesion(e, observador_, dispositivo, cerrojo) {
    // State: the initial values are the members' initialisers.
    numero_puerto = 1;
    fuente_hex_ = std::make_unique<TFuente_lineas>(datos::imagen_hex());
    fuente_hex = fuente_hex_.get();
    vista.imagen(IMG_INICIO);
    paso_asistente = 0;

    Leer_textos(idiomas);
    Abrir_hex();
    Poner_etiqueta_version();

    vista.info(1, Texto("PASO1_L1"));
    vista.info(2, etiqueta_version_);
    vista.info(3, Texto("PASO1_L3"));
    entorno.procesar_mensajes();

    busquedas_fallidas = 0;
    ocupado = false;
}

Tventana_cargador::~Tventana_cargador() {
    lector_hex_.reset();
    lector_hex = nullptr;
}

void Tventana_cargador::Leer_textos(std::string_view idiomas) {
    const Archivo_ini ini(idiomas);
    const std::string idioma = ini.Leer("COMUN", "IDIOMA", "EN");
    menus_.archivo = ini.Leer(idioma, "MENU1", "Archivo");
    menus_.actualizar = ini.Leer(idioma, "MENU1_L1", "Actualizar");
    menus_.salir = ini.Leer(idioma, "MENU1_L2", "Salir");
    menus_.configurar = ini.Leer(idioma, "MENU2", "Configurar");
    menus_.automatico = ini.Leer(idioma, "MENU2_L1", "Auto");
    menus_.manual = ini.Leer(idioma, "MENU2_L2", "Manual");
    textos_.clear();
    for (const char* clave : kClavesTexto) textos_[clave] = ini.Leer(idioma, clave, "");
    vista.menus(menus_);
}

const std::string& Tventana_cargador::Texto(const std::string& clave) const {
    auto it = textos_.find(clave);
    return it == textos_.end() ? kVacio : it->second;
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

void Tventana_cargador::Abrir_hex() {
    for (size_t i = 1; i < segmentos.size(); ++i) segmentos[i] = false;
    fuente_hex->Rebobinar();
    lector_hex_.reset();
    lector_hex_ = std::make_unique<TLector_hex>(*fuente_hex);
    lector_hex = lector_hex_.get();
    const Resultado_escaneo& r = Escaneo_imagen_llevada();
    version_hex = r.version;
    for (size_t i = 1; i < segmentos.size(); ++i) segmentos[i] = r.segmentos[i];
    if (r.ok) {
        lector_hex_->registros = r.registros;
        return;
    }
    entorno.pitar();
    vista.mensaje(r.mensaje);
    lector_hex_.reset();
    lector_hex = nullptr;
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
