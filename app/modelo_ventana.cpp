#include "app/modelo_ventana.h"

#include <algorithm>

#include "app/ventana_cargador.h"

namespace z82 {

std::string Texto_entrada_puerto(int numero, const std::string& palabras) {
    const std::string nombre = "COM" + std::to_string(numero);
    // The device manager names a port it knows nothing more of by its name alone.
    if (palabras.empty() || palabras == nombre) return nombre;
    return nombre + " - " + palabras;
}

void Modelo_ventana::enlazar(Tventana_cargador* motor) {
    motor_ = motor;
    if (motor_ == nullptr) return;
    titulo = motor_->Titulo();
    Cambio(Parte::titulo);
}

// --- The user's choices ----------------------------------------------------------------------

void Modelo_ventana::Ordenar(Orden orden) {
    if (motor_ == nullptr) return;
    Tventana_cargador& v = *motor_;
    switch (orden) {
        case Orden::buscar:
            v.Button_buscar_puertoClick();
            break;
        case Orden::salida:
            v.SpeedButton_exitClick();
            break;
        case Orden::actualizar:
            v.Actualizar1Click();
            break;
        case Orden::salir:
            v.MenuSalirClick();
            break;
        case Orden::automatico:
            v.Auto1Click();
            break;
        case Orden::manual:
            v.MenuPuertoClick();
            break;
        case Orden::puerto_ok:
            v.BConfigurarPuertoClick();
            break;
        case Orden::atencion_ok:
            v.Button_atencion_okClick();
            break;
        case Orden::atencion_cancelar:
            v.Button_atencion_cancelClick();
            break;
    }
    // A click on a marked item leaves it marked, whatever the face's own menu did with it.
    if (orden == Orden::automatico || orden == Orden::manual) Cambio(Parte::marcas);
}

void Modelo_ventana::Elegir_item(int k) {
    if (motor_ == nullptr || k < 0 || k > 5) return;
    motor_->COM_Click(k);
    item_elegido = k;
    entrada_elegida = -1;
    numero_en_lista_ = 0;
    titulo_grupo = kTituloGrupo;
    Cambio(Parte::puertos);
}

void Modelo_ventana::Elegir_entrada(int i) {
    if (motor_ == nullptr || i < 0 || i >= static_cast<int>(entradas.size())) return;
    const int n = entradas[static_cast<size_t>(i)].numero;
    motor_->numero_puerto = n;
    // The list names the port: the radio group shows none of its own.
    numero_en_lista_ = n;
    entrada_elegida = i;
    item_elegido = -1;
    titulo_grupo = "USB: " + std::to_string(n);
    Cambio(Parte::puertos);
}

void Modelo_ventana::Listar_puertos() {
    entradas.clear();
    entrada_elegida = -1;
    const std::vector<int> numeros = numeros_puertos ? numeros_puertos() : std::vector<int>{};
    for (const int n : numeros) {
        if (n == numero_en_lista_) entrada_elegida = static_cast<int>(entradas.size());
        entradas.push_back(
            {n, Texto_entrada_puerto(n, describir_puerto ? describir_puerto(n) : std::string())});
    }
    Cambio(Parte::puertos);
}

bool Modelo_ventana::Cerrar() {
    if (motor_ == nullptr) return true;
    // Not during a run; closing during a search gives the port back.
    if (!motor_->FormCloseQuery()) return false;
    motor_->FormClose();
    return true;
}

void Modelo_ventana::Puerto_manual(int n) {
    if (motor_ != nullptr) motor_->Puerto_manual(n);
    Mostrar_puerto(n);
}

void Modelo_ventana::Mostrar_puerto(int n) {
    const bool en_grupo = n >= 1 && n <= 6;
    item_elegido = en_grupo ? n - 1 : -1;
    titulo_grupo = en_grupo ? kTituloGrupo : "USB: " + std::to_string(n);
    Cambio(Parte::puertos);
}

// --- Vista -------------------------------------------------------------------------------------

void Modelo_ventana::info(int linea, const std::string& texto) {
    if (linea < 1 || linea > 3) return;
    std::string& l = lineas[static_cast<size_t>(linea - 1)];
    if (l == texto) return;
    l = texto;
    Cambio(Parte::lineas);
}

void Modelo_ventana::imagen(int indice) {
    if (indice < IMG_INICIO || indice > IMG_DETENIDO) return;
    imagen_actual = indice;
    Cambio(Parte::imagen);
}

void Modelo_ventana::numeros_paso(bool visibles) {
    numeros_visibles = visibles;
    Cambio(Parte::numeros);
}

void Modelo_ventana::boton_asistente(bool visible) {
    boton_visible = visible;
    Cambio(Parte::boton);
}

void Modelo_ventana::barra_visible(bool visible) {
    barra_mostrada = visible;
    if (!visible) {
        // A bar shown again starts without the last run's stream.
        tramo_abierto_ = false;
        linea_tramo.clear();
    }
    Cambio(Parte::barra);
    Cambio(Parte::tramo);
}

void Modelo_ventana::barra(int minimo, int maximo, int posicion) {
    barra_min = minimo;
    barra_max = maximo;
    barra_pos = posicion;
    Cambio(Parte::barra);
    // Only a named stream is shown: a bar put back to its start between streams says
    // nothing.
    if (!tramo_abierto_ || maximo <= minimo) return;
    Mover_tramo(tramo_, minimo, maximo, posicion);
    const int64_t ahora = entorno_.milisegundos();
    tramo_.segundos = static_cast<double>(ahora - inicio_tramo_ms_) / 1000.0;
    if (linea_tramo.empty() || tramo_.hecho == tramo_.total ||
        ahora - ultimo_tramo_ms_ >= kCadaTramoMs) {
        Poner_tramo(false);
    }
}

void Modelo_ventana::tramo(const std::string& nombre, const std::string& unidad,
                           bool total_debido) {
    // A stream that gives way to the next one of its item went the whole way.
    if (tramo_abierto_ && tramo_.total_debido) {
        tramo_.hecho = tramo_.total;
        Poner_tramo(true);
    }
    tramo_ = {nombre, unidad, 0, 0, 0, total_debido};
    tramo_abierto_ = true;
    inicio_tramo_ms_ = entorno_.milisegundos();
    // The first move of the new stream shows at once.
    linea_tramo.clear();
}

void Modelo_ventana::fin_elemento(bool completo) {
    if (!tramo_abierto_) return;
    if (completo && tramo_.total_debido) tramo_.hecho = tramo_.total;
    tramo_.segundos = static_cast<double>(entorno_.milisegundos() - inicio_tramo_ms_) / 1000.0;
    tramo_abierto_ = false;
    Poner_tramo(true);
}

void Modelo_ventana::Poner_tramo(bool final) {
    ultimo_tramo_ms_ = entorno_.milisegundos();
    // A stream that never moved (a stage the meter went straight through) leaves no line.
    std::string texto = final && tramo_.hecho == 0 ? std::string() : Texto_tramo(tramo_, final);
    if (texto == linea_tramo) return;
    linea_tramo = std::move(texto);
    Cambio(Parte::tramo);
}

void Modelo_ventana::menus_habilitados(bool habilitados) {
    menus_activos = habilitados;
    Cambio(Parte::menus);
}

void Modelo_ventana::modo_puerto(bool automatico) {
    modo_automatico = automatico;
    Cambio(Parte::marcas);
}

void Modelo_ventana::panel_puerto(bool visible) {
    if (visible) Listar_puertos();
    panel_puerto_visible = visible;
    Cambio(Parte::panel);
}

void Modelo_ventana::mostrar_atencion(const Pregunta_atencion& p) {
    pregunta = p;
    atencion_visible = true;
    Cambio(Parte::atencion);
}

void Modelo_ventana::ocultar_atencion() {
    atencion_visible = false;
    Cambio(Parte::atencion);
}

void Modelo_ventana::mensaje(const std::string& texto) {
    mensajes_pendientes_.push_back(texto);
    Dar_mensajes();
}

void Modelo_ventana::Dar_mensajes() {
    if (!al_mensaje) return;
    const std::vector<std::string> mensajes = std::move(mensajes_pendientes_);
    mensajes_pendientes_.clear();
    for (const std::string& m : mensajes) al_mensaje(m);
}

void Modelo_ventana::etiqueta_version(const std::string& texto) {
    version = texto;
    Cambio(Parte::textos);
}

void Modelo_ventana::menus(const Textos_menu& textos) {
    textos_menu = textos;
    Cambio(Parte::textos);
}

void Modelo_ventana::refrescar() { Cambio(Parte::repintar); }

void Modelo_ventana::detalle(const std::string& texto) {
    detalle_texto = texto;
    Cambio(Parte::detalle);
    // The details line takes the stream line's place.
    Cambio(Parte::tramo);
}

}  // namespace z82
