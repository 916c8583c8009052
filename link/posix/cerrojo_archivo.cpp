#include "link/posix/cerrojo_archivo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace z82 {

namespace {

// A folder only this user can write to, so nobody else can plant the lock file.
bool carpeta_propia(const std::string& ruta) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 022) == 0;
}

std::string base_usuario() {
    const std::string carpeta = Cerrojo_archivo::carpeta_usuario();
    return carpeta.empty() ? std::string() : carpeta + "/" + Cerrojo_archivo::NOMBRE;
}

// The name the device is known by whatever link led to it: two copies of the program that
// name one adapter by different links still share its lock.
std::string ruta_real(const std::string& dispositivo) {
    char* real = ::realpath(dispositivo.c_str(), nullptr);
    if (real == nullptr) return dispositivo;
    std::string r = real;
    std::free(real);
    return r;
}

}  // namespace

std::string Cerrojo_archivo::carpeta_usuario() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && xdg[0] == '/') {
        if (carpeta_propia(xdg)) return xdg;
    }
    const std::string tmp = "/tmp/z82-" + std::to_string(::getuid());
    if (::mkdir(tmp.c_str(), 0700) != 0 && errno != EEXIST) return {};
    return carpeta_propia(tmp) ? tmp : std::string();
}

std::string Cerrojo_archivo::nombre_dispositivo(const std::string& dispositivo) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string real = ruta_real(dispositivo);
    const size_t desde = std::min(real.find_first_not_of('/'), real.size());
    std::string nombre;
    for (const char c : real.substr(desde)) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            u == '-' || u == '.') {
            nombre += c;
        } else if (u == '/') {
            nombre += '_';
        } else {
            nombre += '+';
            nombre += kHex[u >> 4];
            nombre += kHex[u & 0xF];
        }
    }
    // Far past any device's name: the end is kept as a digest, so the file name stays
    // within the system's limit.
    constexpr size_t kMaximo = 200;
    if (nombre.size() > kMaximo) {
        uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
        for (const char c : nombre) {
            h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        }
        nombre.resize(kMaximo - 17);
        nombre += '+';
        for (int i = 60; i >= 0; i -= 4) nombre += kHex[(h >> i) & 0xF];
    }
    return nombre;
}

Cerrojo_archivo::Cerrojo_archivo(Ruta_puerto ruta_puerto)
    : Cerrojo_archivo(base_usuario(), std::move(ruta_puerto)) {}

Cerrojo_archivo::Cerrojo_archivo(std::string base, Ruta_puerto ruta_puerto)
    : base_(std::move(base)), ruta_puerto_(std::move(ruta_puerto)) {}

Cerrojo_archivo::~Cerrojo_archivo() {
    if (fd_ >= 0) ::close(fd_);
}

void Cerrojo_archivo::cambiar_dispositivo(const std::string& dispositivo) {
    // Only called while no thread of this process holds the lock.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    dispositivo_ = dispositivo;
    ruta_.clear();
    if (dispositivo.empty() || base_.empty()) return;
    ruta_ = base_ + "." + nombre_dispositivo(dispositivo);
    fd_ = ::open(ruta_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

void Cerrojo_archivo::tomar(uint32_t numero_puerto) {
    // The port list may have been read again since: the number is looked up each time.
    numero_ = numero_puerto;
    const std::string dispositivo = ruta_puerto_ ? ruta_puerto_(numero_puerto) : std::string();
    if (dispositivo != dispositivo_) cambiar_dispositivo(dispositivo);
    if (fd_ >= 0) {
        // Waits without limit while another process holds this device's lock.
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

void Cerrojo_archivo::bloquear_puerto(uint32_t numero_puerto) {
    hilos_.lock();
    if (cuenta_++ == 0) tomar(numero_puerto);
}

void Cerrojo_archivo::bloquear() {
    hilos_.lock();
    if (cuenta_++ == 0) tomar(numero_);
}

void Cerrojo_archivo::desbloquear() {
    if (cuenta_ == 0) return;  // not held: nothing to give back
    if (--cuenta_ == 0 && fd_ >= 0) ::flock(fd_, LOCK_UN);
    hilos_.unlock();
}

}  // namespace z82
