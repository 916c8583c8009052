// The two small operations of the plans unit that the update run uses, and a listing of the
// carried plans for the command line.
#pragma once

#include <cstdint>
#include <string>

namespace z82 {

// True when the plan image of this type needs a second sector (only type 0 does).
bool Necesita_dos_sectores(int tipo);
// The plan version that the carried image of a plan type holds in its header (bytes 2 and
// 3, high byte first): what a meter of that type is compared with. 0 for no such type.
int Version_plan_llevada(int tipo);
// The carried plans of a plan type, one line a plan, as text for a terminal.
std::string Listado_planes(int tipo);

}  // namespace z82
