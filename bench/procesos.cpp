#include "procesos.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace z82::banco {

namespace {

std::string Leer_linea(int fd) {
    std::string s;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') s += c;
    return s;
}

}  // namespace

int prioridad = -10;

double Segundos(Reloj::time_point a, Reloj::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void Fila(const std::string& que, const std::string& valor) {
    std::printf("| %-62s | %-34s |\n", que.c_str(), valor.c_str());
}

std::string Formato(const char* f, double v) {
    char s[64];
    std::snprintf(s, sizeof s, f, v);
    return s;
}

Hijo Lanzar(const std::vector<std::string>& args, bool con_tubo, const std::string& registro,
            const std::vector<std::string>& entorno_extra, bool error_al_tubo,
            const std::string& registro_error) {
    int tubo_salida[2] = {-1, -1}, tubo_entrada[2] = {-1, -1};
    if (con_tubo && (pipe(tubo_salida) != 0 || pipe(tubo_entrada) != 0)) return {};
    Hijo h;
    h.pid = fork();
    if (h.pid == 0) {
        if (con_tubo) {
            dup2(tubo_salida[1], STDOUT_FILENO);
            if (error_al_tubo) dup2(tubo_salida[1], STDERR_FILENO);
            dup2(tubo_entrada[0], STDIN_FILENO);
            close(tubo_salida[0]);
            close(tubo_entrada[1]);
        } else {
            const int f = open(registro.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (f >= 0) {
                dup2(f, STDOUT_FILENO);
                dup2(f, STDERR_FILENO);
            }
            const int nulo = open("/dev/null", O_RDONLY);
            if (nulo >= 0) dup2(nulo, STDIN_FILENO);
        }
        if (!registro_error.empty()) {
            const int f = open(registro_error.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (f >= 0) dup2(f, STDERR_FILENO);
        }
        for (const auto& e : entorno_extra) putenv(const_cast<char*>(e.c_str()));
        if (prioridad != 0) setpriority(PRIO_PROCESS, 0, prioridad);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (con_tubo) {
        close(tubo_salida[1]);
        close(tubo_entrada[0]);
        h.salida = tubo_salida[0];
        h.entrada = tubo_entrada[1];
    }
    return h;
}

Medida Esperar(pid_t pid, Reloj::time_point inicio) {
    Medida m;
    int estado = 0;
    rusage uso{};
    if (wait4(pid, &estado, 0, &uso) != pid) return m;
    m.pared_s = Segundos(inicio, Reloj::now());
    m.ok = true;
    m.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
    auto segundos = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    m.usuario_s = segundos(uso.ru_utime);
    m.cpu_s = m.usuario_s + segundos(uso.ru_stime);
    m.max_rss_kb = uso.ru_maxrss;
    return m;
}

bool Simulador::Iniciar(const std::vector<std::string>& opciones, bool con_registro) {
    std::vector<std::string> args{Z82_METER_SIM};
    args.insert(args.end(), opciones.begin(), opciones.end());
    if (con_registro) args.emplace_back("--verbose");
    h = Lanzar(args, true, "", {}, con_registro);
    if (h.pid <= 0) return false;
    ruta = Leer_linea(h.salida);
    return ruta.rfind("/dev/", 0) == 0;
}

void Simulador::Parar() {
    if (h.pid <= 0) return;
    close(h.entrada);
    int estado = 0;
    for (int i = 0; i < 50 && waitpid(h.pid, &estado, WNOHANG) == 0; ++i) usleep(20000);
    if (waitpid(h.pid, &estado, WNOHANG) == 0) {
        kill(h.pid, SIGTERM);
        waitpid(h.pid, &estado, 0);
    }
    close(h.salida);
    h.pid = -1;
}

}  // namespace z82::banco
