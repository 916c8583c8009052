// What the wizard shows: the run's progress, its messages, and its own pictures, lines,
// menus and panels. The windows draw it, the terminal prints it, tests record it. The
// wizard never shows anything except through this interface.
#pragma once

#include <string>

#include "base/progreso.h"

namespace z82 {

// Wizard images, in the order of the image list.
enum Imagen_asistente : int {
    IMG_INICIO = 0,
    IMG_INSTRUCCIONES = 1,
    IMG_BUSCANDO = 2,
    IMG_NO_ENCONTRADO = 3,
    IMG_ACTUALIZANDO = 4,
    IMG_EXITO = 5,
    IMG_FALLO = 6,
    IMG_DETENIDO = 7,
};

// The attention panel: a title band, three centred lines (the third bold), two buttons.
struct Pregunta_atencion {
    std::string titulo;
    std::string linea1, linea2, linea3;
    std::string boton_ok, boton_cancelar;
};

// Captions of the main menu.
struct Textos_menu {
    std::string archivo, actualizar, salir, configurar, automatico, manual;
};

class Vista : public Dibujo_barra {
  public:
    virtual ~Vista() = default;

    // Label_info1 .. Label_info3 (linea = 1, 2 or 3).
    virtual void info(int linea, const std::string& texto) = 0;
    // Image_accion shows this image of the image list.
    virtual void imagen(int indice) = 0;
    // Label_n1 .. Label_n3.
    virtual void numeros_paso(bool visibles) = 0;
    // Button_buscar_puerto with its picture.
    virtual void boton_asistente(bool visible) = 0;
    // Barra_progreso.
    // (barra_visible and barra, from Dibujo_barra.)
    // MenuArchivo and MenuConfigurar enabled.
    virtual void menus_habilitados(bool habilitados) = 0;
    // Auto1 / MenuPuerto marks.
    virtual void modo_puerto(bool automatico) = 0;
    // PConfigurarPuerto.
    virtual void panel_puerto(bool visible) = 0;
    // Panel_atencion: shown with the question; the face answers later by calling the
    // window's Button_atencion_okClick / Button_atencion_cancelClick through the message
    // queue of the Entorno.
    virtual void mostrar_atencion(const Pregunta_atencion& pregunta) = 0;
    virtual void ocultar_atencion() = 0;
    // A plain message box ("USB error", the image scan's messages, "AVISOACT").
    virtual void mensaje(const std::string& texto) = 0;
    // Label1 (the version label) and the menu captions.
    virtual void etiqueta_version(const std::string& texto) = 0;
    virtual void menus(const Textos_menu& textos) = 0;
    // Repaint now (the picture after a result).
    virtual void refrescar() {}
    // The details line under the three information lines: after a failure, the item that
    // failed, why, and what to do next, as text a technician can select and copy. Empty
    // hides it.
    virtual void detalle(const std::string& /*texto*/) {}
};

}  // namespace z82
