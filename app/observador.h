// What a run tells the person or the program that watches it: each stream's progress, the
// plain messages ("USB error", the image scan's messages). The terminal implements it; the
// windows' view (app/vista.h) adds the wizard's pictures, labels, menus and panels.
#pragma once

#include <string>

#include "base/progreso.h"

namespace z82 {

class Observador : public Dibujo_barra {
  public:
    ~Observador() override = default;
    // A plain message box.
    virtual void mensaje(const std::string& texto) = 0;
};

}  // namespace z82
