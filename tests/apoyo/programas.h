// The built programs that the end-to-end tests run over pseudo-terminals.
#pragma once

#include <filesystem>
#include <string>

namespace z82::prueba {

// The build folder, where z82-update and z82-meter-sim are.
inline const std::string kDir = Z82_BUILD_DIR;

inline bool Hay_programas() {
    return std::filesystem::exists(kDir + "/z82-update") &&
           std::filesystem::exists(kDir + "/z82-meter-sim");
}

}  // namespace z82::prueba
