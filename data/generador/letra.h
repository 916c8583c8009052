// A small bitmap font for the banner pictures: five columns, seven rows above the
// baseline and one for the descenders.
#pragma once

#include <array>

namespace z82::generador {

// Eight rows of five columns, '#' lit; nullptr for a character the font lacks.
const std::array<const char*, 8>* Glifo(char c);

}  // namespace z82::generador
