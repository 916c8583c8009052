// The wizard's texts from the language file (idiomas.ini): the menus, the steps, the
// outcomes and the questions, in the language the file names.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "app/observador.h"
#include "app/vista.h"

namespace z82 {

class Textos_asistente {
  public:
    // idiomas: the text of the language file the face found (empty without one: Spanish
    // menus, empty wizard texts).
    explicit Textos_asistente(std::string_view idiomas = {});
    // The text of a key (empty when the file does not give it).
    const std::string& Texto(const std::string& clave) const;
    const Textos_menu& Menus() const { return menus_; }
    // The attention panel of a question of the run.
    Pregunta_atencion Pregunta_de(Pregunta pregunta) const;
    // The third line while items are written: "Paso: 2/4".
    std::string Contador(int n, int total) const;

  private:
    std::map<std::string, std::string> textos_;
    Textos_menu menus_;
};

}  // namespace z82
