// z82-meter-sim: the simulated meter served on a pseudo-terminal in real time, so the
// updater can be run against it over a real serial device path.
//
// The first line of standard output is the path to open. The program runs until it gets
// SIGTERM or SIGINT, or until its standard input (a pipe or a terminal) is closed.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/config_medidor.h"
#include "sim/enlace_simulado.h"
#include "sim/medidor_simulado.h"
#include "sim/opciones_medidor.h"
#include "sim/png.h"

namespace {

volatile std::sig_atomic_t salir = 0;
void al_senal(int) { salir = 1; }

// What the meter holds, one line a part: name, size in bytes, CRC-32. Flash segments that
// read all 0xFF (never programmed) are left out. Two meters that hold the same bytes give
// the same file.
bool guardar_volcado(const z82::sim::Medidor_simulado& m, const std::string& ruta) {
    std::FILE* f = std::fopen(ruta.c_str(), "w");
    if (f == nullptr) return false;
    auto parte = [f](const std::string& nombre, const uint8_t* datos, size_t n) {
        std::fprintf(f, "%s %zu %08X\n", nombre.c_str(), n,
                     static_cast<unsigned>(z82::sim::crc32_png(datos, n)));
    };
    std::fprintf(f, "# part bytes crc32\n");
    for (unsigned s = 0; s < 64; ++s) {
        const auto seg = m.flash(static_cast<uint8_t>(s));
        if (std::all_of(seg.begin(), seg.end(), [](uint8_t b) { return b == 0xFF; })) continue;
        char nombre[16];
        std::snprintf(nombre, sizeof nombre, "flash-%02X", s);
        parte(nombre, seg.data(), seg.size());
    }
    parte("eeprom", m.eeprom().data(), m.eeprom().size());
    parte("mpeg4-application", m.mpeg4_aplicacion().data(), m.mpeg4_aplicacion().size());
    parte("mpeg4-transfer", m.mpeg4_transferencia().data(), m.mpeg4_transferencia().size());
    parte("mpeg4-order", m.mpeg4_orden().data(), m.mpeg4_orden().size());
    return std::fclose(f) == 0;
}

// A pseudo-terminal in raw mode; the slave is held open here as well, so the master keeps
// working while the PC closes and reopens the device.
struct Pty {
    int maestro = -1, esclavo = -1;
    std::string ruta;

    bool abrir() {
        maestro = posix_openpt(O_RDWR | O_NOCTTY);
        if (maestro < 0 || grantpt(maestro) != 0 || unlockpt(maestro) != 0) return false;
        const char* nombre = ptsname(maestro);
        if (nombre == nullptr) return false;
        ruta = nombre;
        esclavo = open(ruta.c_str(), O_RDWR | O_NOCTTY);
        if (esclavo < 0) return false;
        termios t{};
        if (tcgetattr(esclavo, &t) != 0) return false;
        cfmakeraw(&t);
        cfsetispeed(&t, B115200);
        cfsetospeed(&t, B115200);
        t.c_cflag |= CSTOPB | CLOCAL | CREAD;
        if (tcsetattr(esclavo, TCSANOW, &t) != 0) return false;
        fcntl(maestro, F_SETFL, fcntl(maestro, F_GETFL) | O_NONBLOCK);
        return true;
    }
    ~Pty() {
        if (esclavo >= 0) close(esclavo);
        if (maestro >= 0) close(maestro);
    }
};

int64_t ahora_us(std::chrono::steady_clock::time_point origen) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 origen)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const z82::sim::Opciones_medidor o =
        z82::sim::Leer_opciones_medidor(std::vector<std::string>(argv + 1, argv + argc));
    if (o.ayuda) {
        std::printf("%s", z82::sim::Ayuda_opciones_medidor());
        return 0;
    }
    if (!o.error.empty()) {
        std::fprintf(stderr, "z82-meter-sim: %s\n", o.error.c_str());
        return 2;
    }

    Pty pty;
    if (!pty.abrir()) {
        std::fprintf(stderr, "z82-meter-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    if (!o.enlace.empty()) {
        unlink(o.enlace.c_str());
        if (symlink(pty.ruta.c_str(), o.enlace.c_str()) != 0) {
            std::fprintf(stderr, "z82-meter-sim: cannot link %s: %s\n", o.enlace.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    std::printf("%s\n", pty.ruta.c_str());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = al_senal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Standard input ends the program when it is a pipe or a terminal that closes.
    struct stat st {};
    const bool vigilar_entrada =
        fstat(STDIN_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || isatty(STDIN_FILENO));

    z82::sim::Medidor_simulado medidor(o.config);
    medidor.fallos.borrados_fallidos = o.fallos_borrado;
    const auto origen = std::chrono::steady_clock::now();
    size_t anotados = 0;
    int sesiones_png = 0;
    long escrituras_png = 0;
    auto guardar_png = [&] {
        if (o.png.empty() || medidor.pantalla().escrituras == escrituras_png) return;
        escrituras_png = medidor.pantalla().escrituras;
        if (!medidor.guardar_png(o.png))
            std::fprintf(stderr, "z82-meter-sim: cannot write %s\n", o.png.c_str());
    };

    uint8_t buf[4096];
    int64_t llegada_us = 0;  // when the last byte from the PC has fully arrived
    while (!salir) {
        // Bytes towards the PC leave when their time has come: the wire's pace.
        int64_t t = ahora_us(origen);
        size_t n;
        while ((n = medidor.tomar_salida(buf, sizeof buf, t)) > 0) {
            // A PC that does not read loses what overflows, as on a real line.
            if (write(pty.maestro, buf, n) < 0 && errno != EAGAIN) break;
        }
        // Wake exactly when the next byte is due (microseconds: a millisecond rounding
        // would delay every reply, and the meter would answer slower than the wire).
        int64_t espera_us = 20'000;
        int64_t proxima = 0;
        if (medidor.proxima_salida(proxima))
            espera_us = std::clamp<int64_t>(proxima - t, 0, 20'000);
        const timespec espera{0, static_cast<long>(espera_us * 1000)};

        pollfd fds[2] = {{pty.maestro, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int r = ppoll(fds, vigilar_entrada ? 2 : 1, &espera, nullptr);
        if (r < 0 && errno != EINTR) break;
        if (r > 0 && (fds[0].revents & POLLIN)) {
            const ssize_t leidos = read(pty.maestro, buf, sizeof buf);
            if (leidos > 0) {
                // A pseudo-terminal hands over at once what a real line delivers one byte
                // every 11 bit times: give each byte the instant it would have arrived.
                const int64_t ahora = ahora_us(origen);
                for (ssize_t i = 0; i < leidos; ++i) {
                    llegada_us =
                        std::max(llegada_us, ahora) + z82::sim::Enlace_simulado::US_POR_BYTE;
                    medidor.recibir(buf + i, 1, llegada_us);
                }
            } else if (leidos < 0 && errno == EIO) {
                usleep(10'000);  // no slave side open for a moment
            }
        }
        if (r > 0 && vigilar_entrada && (fds[1].revents & (POLLIN | POLLHUP))) {
            char c[256];
            if (read(STDIN_FILENO, c, sizeof c) <= 0) break;
        }
        medidor.avanzar(ahora_us(origen));
        if (o.detallado) {
            for (; anotados < medidor.registro.size(); ++anotados) {
                const auto& e = medidor.registro[anotados];
                std::fprintf(stderr, "%10.3f %s\n", double(e.t_us) / 1e6, e.texto.c_str());
            }
        }
        if (medidor.sesiones_cerradas != sesiones_png) {
            sesiones_png = medidor.sesiones_cerradas;
            guardar_png();
        }
    }
    guardar_png();
    if (!o.enlace.empty()) unlink(o.enlace.c_str());
    if (!o.volcado.empty() && !guardar_volcado(medidor, o.volcado)) {
        std::fprintf(stderr, "z82-meter-sim: cannot write %s\n", o.volcado.c_str());
        return 1;
    }
    return 0;
}
