#include "link/posix/cerrojo_archivo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace z82 {

namespace {

// A folder only this user can write to, so nobody else can plant the lock file.
bool carpeta_propia(const std::string& ruta) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 022) == 0;
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

Cerrojo_archivo::Cerrojo_archivo() {
    const std::string carpeta = carpeta_usuario();
    if (!carpeta.empty()) {
        ruta_ = carpeta + "/" + NOMBRE;
        abrir_archivo();
    }
}

Cerrojo_archivo::Cerrojo_archivo(const std::string& ruta) : ruta_(ruta) { abrir_archivo(); }

Cerrojo_archivo::~Cerrojo_archivo() {
    if (fd_ >= 0) ::close(fd_);
}

void Cerrojo_archivo::abrir_archivo() {
    fd_ = ::open(ruta_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

void Cerrojo_archivo::bloquear() {
    hilos_.lock();
    if (cuenta_++ == 0 && fd_ >= 0) {
        // Waits without limit while another process holds it.
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

void Cerrojo_archivo::desbloquear() {
    if (cuenta_ == 0) return;  // not held: nothing to give back
    if (--cuenta_ == 0 && fd_ >= 0) ::flock(fd_, LOCK_UN);
    hilos_.unlock();
}

}  // namespace z82
