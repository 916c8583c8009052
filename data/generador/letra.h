// A small 5 x 7 bitmap font for the banner pictures.
#pragma once

#include <array>

namespace z82::generador {

// Seven rows of five columns, '#' lit; nullptr for a character the font lacks.
const std::array<const char*, 7>* Glifo(char c);

}  // namespace z82::generador
