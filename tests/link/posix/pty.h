// A pseudo-terminal for the link tests: the test holds the master side (the meter's end of
// the cable) and the program under test opens the slave path like any serial device.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace z82::prueba {

class Pty {
  public:
    Pty() {
        maestro_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (maestro_ >= 0 && ::grantpt(maestro_) == 0 && ::unlockpt(maestro_) == 0) {
            char nombre[128] = {};
            if (::ptsname_r(maestro_, nombre, sizeof nombre) == 0) esclavo_ = nombre;
        }
    }
    ~Pty() { cerrar(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool valido() const { return maestro_ >= 0 && !esclavo_.empty(); }
    int maestro() const { return maestro_; }
    const std::string& esclavo() const { return esclavo_; }
    void cerrar() {
        if (maestro_ >= 0) ::close(maestro_);
        maestro_ = -1;
    }

    bool escribir(const std::vector<uint8_t>& datos) {
        size_t hecho = 0;
        while (hecho < datos.size()) {
            const ssize_t r = ::write(maestro_, datos.data() + hecho, datos.size() - hecho);
            if (r <= 0) return false;
            hecho += static_cast<size_t>(r);
        }
        return true;
    }

    // Reads from the master until n bytes came or plazo_ms passed without any.
    std::vector<uint8_t> leer(size_t n, int plazo_ms = 2000) {
        std::vector<uint8_t> r;
        uint8_t buf[4096];
        while (r.size() < n) {
            pollfd p{maestro_, POLLIN, 0};
            if (::poll(&p, 1, plazo_ms) <= 0 || (p.revents & POLLIN) == 0) break;
            const ssize_t k = ::read(maestro_, buf, std::min(sizeof buf, n - r.size()));
            if (k <= 0) break;
            r.insert(r.end(), buf, buf + k);
        }
        return r;
    }

  private:
    int maestro_ = -1;
    std::string esclavo_;
};

inline int64_t reloj_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace z82::prueba
