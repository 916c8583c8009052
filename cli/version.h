// What --version prints: the program's version and the versions of the images it carries.
#pragma once

#include <string>
#include <string_view>

namespace z82 {

std::string Texto_version(std::string_view programa);

}  // namespace z82
