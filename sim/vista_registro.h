// A view that remembers what the window would show, for tests and for the fault campaign.
// Questions on the attention panel are answered from a script, through the message queue,
// as a person clicking would.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/vista.h"
#include "base/entorno.h"

namespace z82::sim {

class Vista_registro : public Vista {
  public:
    explicit Vista_registro(Entorno& entorno) : entorno_(entorno) {}

    void info(int linea, const std::string& texto) override {
        if (linea >= 1 && linea <= 3) lineas[linea - 1] = texto;
        anotar("info" + std::to_string(linea) + "=" + texto);
    }
    void imagen(int indice) override {
        imagen_actual = indice;
        imagenes.push_back(indice);
    }
    void numeros_paso(bool v) override { numeros_visibles = v; }
    void boton_asistente(bool v) override { boton_visible = v; }
    void barra_visible(bool v) override { barra_mostrada = v; }
    void barra(int minimo, int maximo, int posicion) override {
        barra_min = minimo;
        barra_max = maximo;
        barra_pos = posicion;
        ++cambios_barra;
    }
    void menus_habilitados(bool h) override { menus_activos = h; }
    void modo_puerto(bool automatico) override { modo_automatico = automatico; }
    void panel_puerto(bool v) override { panel_puerto_visible = v; }
    void mostrar_atencion(const Pregunta_atencion& p) override {
        preguntas.push_back(p);
        atencion_visible = true;
        if (!respuestas.empty() && responder) {
            const bool ok = respuestas.front();
            respuestas.pop_front();
            entorno_.publicar([this, ok] { responder(ok); });
        }
    }
    void ocultar_atencion() override { atencion_visible = false; }
    void mensaje(const std::string& texto) override {
        mensajes.push_back(texto);
        anotar("mensaje=" + texto);
    }
    void etiqueta_version(const std::string& texto) override { version = texto; }
    void menus(const Textos_menu& t) override { textos_menu = t; }

    void anotar(const std::string& s) { sucesos.push_back(s); }

    // Answers for the attention panel, in order (true = OK), and how to give them.
    std::deque<bool> respuestas;
    std::function<void(bool)> responder;

    std::string lineas[3];
    int imagen_actual = -1;
    std::vector<int> imagenes;
    bool numeros_visibles = false, boton_visible = true, barra_mostrada = false;
    int barra_min = 0, barra_max = 100, barra_pos = 0;
    long cambios_barra = 0;
    bool menus_activos = true, modo_automatico = true, panel_puerto_visible = false;
    bool atencion_visible = false;
    std::vector<Pregunta_atencion> preguntas;
    std::vector<std::string> mensajes;
    std::vector<std::string> sucesos;
    std::string version;
    Textos_menu textos_menu;

  private:
    Entorno& entorno_;
};

}  // namespace z82::sim
