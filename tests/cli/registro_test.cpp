// Which old logs a new run removes.
#include "cli/registro.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace z82 {
namespace {

Archivo_registro Log(const std::string& nombre, std::uintmax_t bytes, int segundo) {
    return {nombre, bytes, std::filesystem::file_time_type{} + std::chrono::seconds(segundo)};
}

TEST(Registro_soporte, RotationRemovesTheOldestLogsOfTheProgramOnly) {
    const std::string a = "z82-update-20261208-100000-11.log";
    const std::string b = "z82-update-20261208-100001-12.log";
    const std::string c = "z82-update-20261208-100002-13.log";
    const std::string d = "z82-update-20261208-100003-14.log";
    struct Caso {
        const char* que;
        std::vector<Archivo_registro> existentes;
        std::size_t max_archivos;
        std::uintmax_t max_bytes;
        std::vector<std::string> borrados;
    };
    const std::vector<Caso> casos = {
        {"within both limits", {Log(a, 10, 1), Log(b, 10, 2)}, 2, 20, {}},
        {"too many, listed in no order",
         {Log(c, 1, 3), Log(a, 1, 1), Log(d, 1, 4), Log(b, 1, 2)},
         2,
         100,
         {a, b}},
        {"too big: the oldest go until the rest fit",
         {Log(a, 50, 1), Log(b, 50, 2), Log(c, 50, 3)},
         10,
         120,
         {a}},
        {"the time decides, not the name", {Log(d, 1, 1), Log(a, 1, 2)}, 1, 100, {d}},
        {"same time: the name decides", {Log(b, 1, 5), Log(a, 1, 5)}, 1, 100, {a}},
        {"one log bigger than the room", {Log(a, 500, 1)}, 5, 100, {a}},
        {"a bench session's log, named after its slot, is one of the program's",
         {Log("z82-update-20261208-095959-10.pci-0000_00_14.0-usb-0_2.3_1.0-port0.log", 1, 0),
          Log(a, 1, 1)},
         1,
         100,
         {"z82-update-20261208-095959-10.pci-0000_00_14.0-usb-0_2.3_1.0-port0.log"}},
        {"nothing to keep", {Log(a, 1, 1), Log(b, 1, 2)}, 0, 100, {a, b}},
        {"other files are neither removed nor counted",
         {Log("z82-update-gui-20261208-100000-11.log", 900, 0),
          Log("z82-update-20261208-100000.log", 900, 0),
          Log("z82-update-20261208-1000xx-11.log", 900, 0),
          Log("z82-update-20261208-100000-11.txt", 900, 0),
          Log("z82-update-20261208-100000-.log", 900, 0),
          Log("z82-update-20261208-100000-11..log", 900, 0),
          Log("z82-update-20261208-100000-11.a:b.log", 900, 0), Log("notes.txt", 900, 0),
          Log(a, 10, 1), Log(b, 10, 2)},
         1,
         100,
         {a}},
    };
    for (const Caso& caso : casos) {
        EXPECT_EQ(Rotar_registros("z82-update", caso.existentes, caso.max_archivos, caso.max_bytes),
                  caso.borrados)
            << caso.que;
    }
}

}  // namespace
}  // namespace z82
