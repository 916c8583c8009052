#include "cli/simulador_hijo.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

extern char** environ;

namespace z82 {
namespace {

std::string Carpeta_propia() {
    char ruta[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", ruta, sizeof ruta - 1);
    if (n <= 0) return ".";
    std::string s(ruta, static_cast<size_t>(n));
    const size_t barra = s.rfind('/');
    return barra == std::string::npos ? "." : s.substr(0, barra);
}

}  // namespace

bool Simulador_hijo::Iniciar(const std::vector<std::string>& opciones, std::string& error) {
    const std::string programa = Carpeta_propia() + "/z82-meter-sim";
    if (access(programa.c_str(), X_OK) != 0) {
        error = programa + " not found";
        return false;
    }
    int tubo[2];
    if (pipe(tubo) != 0) {
        error = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_adddup2(&acciones, tubo[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&acciones, tubo[0]);
    std::vector<std::string> textos{programa};
    textos.insert(textos.end(), opciones.begin(), opciones.end());
    std::vector<char*> argv;
    for (auto& t : textos) argv.push_back(t.data());
    argv.push_back(nullptr);
    const int r = posix_spawn(&pid_, programa.c_str(), &acciones, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acciones);
    close(tubo[1]);
    salida_ = tubo[0];
    if (r != 0) {
        pid_ = -1;
        error = std::strerror(r);
        return false;
    }
    // The first line of the simulator's output is the path to open.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string linea;
    while (std::chrono::steady_clock::now() < limite) {
        pollfd p{salida_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c = 0;
        const ssize_t n = read(salida_, &c, 1);
        if (n <= 0) break;
        if (c == '\n') {
            ruta_ = linea;
            return !ruta_.empty();
        }
        linea += c;
    }
    error = "the simulator did not name its port";
    return false;
}

Simulador_hijo::~Simulador_hijo() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int estado = 0;
        waitpid(pid_, &estado, 0);
    }
    if (salida_ >= 0) close(salida_);
}

}  // namespace z82
