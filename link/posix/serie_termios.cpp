#include "link/posix/serie_termios.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/posix/catalogo_puertos.h"

namespace z82 {

namespace {

constexpr uint32_t SIN_INTERVALO = 0xFFFFFFFFu;  // MAXDWORD: "return what is there"
constexpr int ESCAPE_SETDTR = 5;
constexpr int ESCAPE_CLRDTR = 6;
constexpr int ESCAPE_SETBREAK = 8;
constexpr int ESCAPE_CLRBREAK = 9;
// The error flags that ClearCommError reports.
constexpr uint32_t CE_RXOVER = 0x01;
constexpr uint32_t CE_OVERRUN = 0x02;
constexpr uint32_t CE_RXPARITY = 0x04;
constexpr uint32_t CE_FRAME = 0x08;
constexpr uint32_t CE_BREAK = 0x10;

// Microseconds of the monotonic clock: read time-outs are kept to the microsecond, so that
// thousands of empty reads in an update do not each overshoot by a rounded millisecond.
int64_t ahora_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

speed_t velocidad(uint32_t baudios) {
    switch (baudios) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 921600:
            return B921600;
        default:
            return B0;
    }
}

std::string texto_apertura(int err, const std::string& ruta) {
    switch (err) {
        case EACCES:
        case EPERM:
            return "No permission to open " + ruta +
                   ". Add your user to the \"dialout\" group (sudo usermod -aG dialout $USER) "
                   "and log in again.";
        case EBUSY:
        case EWOULDBLOCK:
            return ruta +
                   " is in use by another program. ModemManager and brltty often take USB "
                   "serial devices: stop or uninstall them, or close the other program.";
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return "There is no serial device at " + ruta + ".";
        default:
            return "Cannot open " + ruta + ": " + std::strerror(err) + ".";
    }
}

bool se_fue(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

}  // namespace

Serie_termios::~Serie_termios() { cerrar(); }

bool Serie_termios::abrir(uint32_t numero_puerto) {
    const std::string ruta = catalogo_.ruta(static_cast<int>(numero_puerto));
    if (ruta.empty()) {
        cerrar();
        ruta_.clear();
        error_ = "There is no serial port number " + std::to_string(numero_puerto) + ".";
        return false;
    }
    return abrir_ruta(ruta);
}

bool Serie_termios::abrir_ruta(const std::string& ruta) {
    cerrar();
    caido_ = false;
    error_.clear();
    ruta_ = ruta;
    const int fd = ::open(ruta.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = texto_apertura(errno, ruta);
        return false;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        error_ = ruta + " is not a serial device.";
        return false;
    }
    // A second copy of the program (or anyone else who asks politely) is kept out; the
    // kernel's exclusive flag keeps out the rest, except the superuser.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        error_ = texto_apertura(err == EWOULDBLOCK ? EBUSY : err, ruta);
        return false;
    }
    (void)::ioctl(fd, TIOCEXCL);
    // USB adapters otherwise hold received bytes for up to 16 ms; one-byte exchanges
    // suffer. Drivers that do not know the flag say so and nothing changes.
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && (ss.flags & ASYNC_LOW_LATENCY) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        (void)::ioctl(fd, TIOCSSERIAL, &ss);
    }
    fd_ = fd;
    uint32_t nada = 0;
    leer_contadores(true, nada);
    return true;
}

void Serie_termios::cerrar() {
    if (fd_ < 0) return;
    // The exclusive flag outlives the descriptor on a pseudo-terminal whose other side
    // stays open; clear it so the port can be opened again.
    (void)::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool Serie_termios::configurar(const Dcb& dcb) {
    if (fd_ < 0) return false;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return false;
    ::cfmakeraw(&t);
    const speed_t v = velocidad(dcb.BaudRate);
    if (v == B0) {
        error_ = "Unsupported line speed " + std::to_string(dcb.BaudRate) + ".";
        return false;
    }
    ::cfsetispeed(&t, v);
    ::cfsetospeed(&t, v);

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    switch (dcb.ByteSize) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            return false;
    }
    t.c_cflag |= CLOCAL | CREAD;
    // Parity values: 0 none, 1 odd, 2 even, 3 mark, 4 space.
    switch (dcb.Parity) {
        case 0:
            break;
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            return false;
    }
    // Stop bits: 0 one, 1 one and a half (two on this side), 2 two.
    if (dcb.StopBits == 1 || dcb.StopBits == 2) t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow) t.c_cflag |= CRTSCTS;

    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY);
    if (dcb.fParity && dcb.Parity != 0) t.c_iflag |= INPCK;
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar != 0 ? dcb.XonChar : 0x11);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar != 0 ? dcb.XoffChar : 0x13);
    // Reads never wait inside the driver: the time-outs are done with poll().
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return false;

    // DTR control 1 (enable) or 2 (handshake) raises DTR; RTS control 0 keeps RTS low
    // until the program drives it, 1 raises it.
    bool correcto = control_modem(dcb.fDtrControl != 0 ? TIOCMBIS : TIOCMBIC, TIOCM_DTR);
    if (dcb.fRtsControl == 0 || dcb.fRtsControl == 1) {
        correcto = control_modem(dcb.fRtsControl == 1 ? TIOCMBIS : TIOCMBIC, TIOCM_RTS) && correcto;
    }
    return correcto;
}

bool Serie_termios::tiempos(const Tiempos_com& t) {
    tiempos_ = t;
    return fd_ >= 0;
}

bool Serie_termios::purgar(uint32_t mascara) {
    if (fd_ < 0) return false;
    const bool tx = (mascara & (PURGE_TXABORT | PURGE_TXCLEAR)) != 0;
    const bool rx = (mascara & (PURGE_RXABORT | PURGE_RXCLEAR)) != 0;
    if (!tx && !rx) return true;
    return ::tcflush(fd_, tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH)) == 0;
}

bool Serie_termios::estado(uint32_t& errores, uint32_t& en_cola_salida) {
    errores = 0;
    en_cola_salida = 0;
    if (fd_ < 0 || caido_) return false;
    if (esperar(0, 0) != 0 && caido_) return false;
    int cola = 0;
    if (::ioctl(fd_, TIOCOUTQ, &cola) != 0) {
        if (se_fue(errno)) {
            marcar_caido(errno);
            return false;
        }
        cola = 0;
    }
    en_cola_salida = static_cast<uint32_t>(std::max(cola, 0));
    leer_contadores(false, errores);
    return true;
}

bool Serie_termios::escape(int funcion) {
    if (fd_ < 0) return false;
    switch (funcion) {
        case ESCAPE_SETRTS:
            return control_modem(TIOCMBIS, TIOCM_RTS);
        case ESCAPE_CLRRTS:
            return control_modem(TIOCMBIC, TIOCM_RTS);
        case ESCAPE_SETDTR:
            return control_modem(TIOCMBIS, TIOCM_DTR);
        case ESCAPE_CLRDTR:
            return control_modem(TIOCMBIC, TIOCM_DTR);
        case ESCAPE_SETBREAK:
            return ::ioctl(fd_, TIOCSBRK) == 0 || errno == ENOTTY;
        case ESCAPE_CLRBREAK:
            return ::ioctl(fd_, TIOCCBRK) == 0 || errno == ENOTTY;
        default:
            return false;
    }
}

bool Serie_termios::leer(uint8_t* destino, uint32_t n, uint32_t& leidos) {
    leidos = 0;
    if (fd_ < 0 || caido_) return false;
    if (n == 0) return true;
    // Interval MAXDWORD: deliver what is there at once; when nothing is, wait for the
    // first byte up to multiplier * n + constant ms (no wait when both are 0). Any other
    // interval: gather n bytes within the total (no limit when it is 0), giving up when
    // the gap between two bytes exceeds the interval.
    const bool al_momento = tiempos_.ReadIntervalTimeout == SIN_INTERVALO;
    const int64_t total = static_cast<int64_t>(tiempos_.ReadTotalTimeoutMultiplier) * n +
                          static_cast<int64_t>(tiempos_.ReadTotalTimeoutConstant);
    const int64_t inicio = ahora_us();
    while (leidos < n) {
        const ssize_t r = ::read(fd_, destino + leidos, n - leidos);
        if (r > 0) {
            leidos += static_cast<uint32_t>(r);
            if (al_momento) break;
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno != EAGAIN) {
            marcar_caido(errno);
            break;
        }
        if (al_momento && total == 0) break;
        int64_t espera = -1;
        if (total != 0) {
            espera = total * 1000 - (ahora_us() - inicio);
            if (espera <= 0) break;
        }
        if (!al_momento && leidos > 0 && tiempos_.ReadIntervalTimeout != 0) {
            const int64_t intervalo = tiempos_.ReadIntervalTimeout;
            espera = espera < 0 ? intervalo * 1000 : std::min(espera, intervalo * 1000);
        }
        if (esperar(POLLIN, espera) == 0 || caido_) break;
    }
    return leidos > 0 || !caido_;
}

bool Serie_termios::escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) {
    escritos = 0;
    if (fd_ < 0 || caido_) return false;
    while (escritos < n) {
        const ssize_t r = ::write(fd_, origen + escritos, n - escritos);
        if (r > 0) {
            escritos += static_cast<uint32_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno != EAGAIN) {
            marcar_caido(errno);
            break;
        }
        // The driver is full: wait a little for room and hand back what went; the port
        // object measures the stall.
        if (esperar(POLLOUT, 100'000) == 0 || caido_) break;
    }
    return escritos > 0 || !caido_;
}

short Serie_termios::esperar(short eventos, int64_t us) {
    const int64_t fin = us < 0 ? 0 : ahora_us() + us;
    for (;;) {
        pollfd p{fd_, eventos, 0};
        timespec plazo{};
        timespec* limite = nullptr;
        if (us >= 0) {
            const int64_t resto = std::max<int64_t>(fin - ahora_us(), 0);
            plazo.tv_sec = static_cast<time_t>(resto / 1'000'000);
            plazo.tv_nsec = static_cast<long>((resto % 1'000'000) * 1000);
            limite = &plazo;
        }
        const int r = ::ppoll(&p, 1, limite, nullptr);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            marcar_caido(errno);
            return POLLERR;
        }
        if (r == 0) return 0;
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) marcar_caido(EIO);
        return p.revents;
    }
}

bool Serie_termios::control_modem(unsigned long peticion, int lineas) {
    if (::ioctl(fd_, peticion, &lineas) == 0) return true;
    // A pseudo-terminal has no modem lines.
    if (errno == ENOTTY || errno == EINVAL) return true;
    if (se_fue(errno)) marcar_caido(errno);
    return false;
}

void Serie_termios::marcar_caido(int err) {
    caido_ = true;
    if (error_.empty())
        error_ = "The serial device " + ruta_ + " went away (" + std::strerror(err) + ").";
}

void Serie_termios::leer_contadores(bool solo_base, uint32_t& errores) {
    serial_icounter_struct c{};
    if (::ioctl(fd_, TIOCGICOUNT, &c) != 0) return;
    const uint32_t ahora[5] = {static_cast<uint32_t>(c.frame), static_cast<uint32_t>(c.overrun),
                               static_cast<uint32_t>(c.parity), static_cast<uint32_t>(c.brk),
                               static_cast<uint32_t>(c.buf_overrun)};
    constexpr uint32_t banderas[5] = {CE_FRAME, CE_OVERRUN, CE_RXPARITY, CE_BREAK, CE_RXOVER};
    for (size_t i = 0; i < 5; ++i) {
        if (!solo_base && ahora[i] != contadores_[i]) errores |= banderas[i];
        contadores_[i] = ahora[i];
    }
}

}  // namespace z82
