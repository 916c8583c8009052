// How an exchange says why it gave up: numbers as the program counts them (blocks from 1 with
// thousands separators, pages, addresses and bytes in hex), the answers the meter gave to the
// tries of a request, and the context an outer step puts in front of an inner cause.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/canal.h"

namespace z82 {

// A write that the port did not take whole: the link itself is gone.
inline constexpr std::string_view CAUSA_PUERTO = "the port failed (cable or USB adapter pulled?)";
// The run was stopped (by the user or by a failure) while the exchange waited.
inline constexpr std::string_view CAUSA_DETENIDA = "stopped";

// 2341 -> "2,341".
std::string Miles(int64_t n);
// 0xAB -> "0xAB" with at least `cifras` hex digits: Hex(0x300, 4) -> "0x0300".
std::string Hex(uint32_t v, int cifras = 2);
// A byte the meter sent: 'q' when printable, 0x05 otherwise.
std::string Byte_visto(uint8_t b);
// 600 -> "10 minutes", 420 -> "420 s": whole minutes from ten on.
std::string Duracion(int64_t segundos);

// Puts the context in front of the cause the inner exchange gave: "block 2,341 (page 0xB2): "
// + cause; a stop becomes "stopped during block 2,341 (page 0xB2)".
void Precisar(const Canal& canal, std::string_view contexto);

// What each try of a request answered by one byte got back, and the write results.
class Respuestas {
  public:
    void nada() { intentos_.push_back({Tipo::nada, 0}); }
    void tarde(uint8_t b) { intentos_.push_back({Tipo::tarde, b}); }
    void otra(uint8_t b) { intentos_.push_back({Tipo::otra, b}); }
    // Whether a write went out whole; one that fell short marks the port failed.
    void escrito(bool entero) {
        if (!entero) puerto_fallido_ = true;
    }
    bool puerto_fallido() const { return puerto_fallido_; }

    // "no answer to <peticion> in 5 tries", "the meter answered 'q' to <peticion>, 3 tries",
    // "the meter did not answer 'p' to <peticion> in 3 tries ('q', nothing, 'q')", or the
    // port's failure.
    std::string causa(std::string_view peticion, uint8_t esperada) const;

  private:
    enum class Tipo { nada, tarde, otra };
    struct Intento {
        Tipo tipo;
        uint8_t byte;
        bool operator==(const Intento&) const = default;
    };
    static std::string describir(const Intento& i);
    std::vector<Intento> intentos_;
    bool puerto_fallido_ = false;
};

}  // namespace z82
