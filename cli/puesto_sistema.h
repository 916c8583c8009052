// The bench on this machine's serial ports: the slots are the ports the system lists, each
// named by its stable slot name (its USB path where it has one); a session's place has a
// port object of its own (its own device, catalogue and lock) and a log named after its
// slot.
#pragma once

#include <string>
#include <vector>

#include "cli/banco.h"

namespace z82 {

class Enlace_sistema;

// Port n of enlace as a slot: its stable name, its device's path now, its description.
Ranura Ranura_de(Enlace_sistema& enlace, int n);

class Fuente_sistema : public Fuente_ranuras {
  public:
    std::vector<Ranura> presentes() override;
    std::unique_ptr<Puesto> abrir(const Ranura& ranura) override;
};

}  // namespace z82
