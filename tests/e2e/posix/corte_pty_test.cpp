// Unplugging and stopping for real: z82-update over a pseudo-terminal against
// z82-meter-sim (a meter that needs only its FPGA area), with the simulator killed in the
// middle of the transfer, or Ctrl-C (SIGINT) sent to z82-update during the run.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "apoyo/programas.h"

namespace z82 {
namespace {

using prueba::Hay_programas;
using prueba::kDir;
using Reloj = std::chrono::steady_clock;

// A program of the build, its standard output (and error) on a pipe.
struct Programa {
    pid_t pid = -1;
    int salida = -1;
    std::string texto;

    Programa(const std::string& nombre, const std::vector<std::string>& args) {
        int tubo[2];
        if (pipe(tubo) != 0) return;
        const std::string ruta = kDir + "/" + nombre;
        pid = fork();
        if (pid == 0) {
            dup2(tubo[1], 1);
            dup2(tubo[1], 2);
            close(tubo[0]);
            std::vector<char*> argv{const_cast<char*>(ruta.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            if (chdir(kDir.c_str()) != 0) _exit(126);
            // A lock folder of this test's own: other runs of the updater on this machine
            // hold the user's port lock for ports of their own.
            const std::string cerrojos = "/tmp/z82-corte-" + std::to_string(getppid());
            mkdir(cerrojos.c_str(), 0700);
            setenv("XDG_RUNTIME_DIR", cerrojos.c_str(), 1);
            execv(ruta.c_str(), argv.data());
            _exit(127);
        }
        close(tubo[1]);
        salida = tubo[0];
    }
    ~Programa() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (salida >= 0) close(salida);
    }
    // Reads output until it holds the text or ms pass; true when it does.
    bool esperar(const std::string& parte, int ms) {
        const auto fin = Reloj::now() + std::chrono::milliseconds(ms);
        while (texto.find(parte) == std::string::npos) {
            const auto resta =
                std::chrono::duration_cast<std::chrono::milliseconds>(fin - Reloj::now()).count();
            if (resta <= 0) return false;
            pollfd p{salida, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(resta)) <= 0) continue;
            char buf[512];
            const ssize_t n = read(salida, buf, sizeof buf);
            if (n <= 0) return texto.find(parte) != std::string::npos;
            texto.append(buf, static_cast<size_t>(n));
        }
        return true;
    }
    // Waits for the exit (all output read); the exit code, or -1 after ms.
    int terminar(int ms) {
        esperar(std::string(1, '\0'), ms);  // reads to the end of the output
        const auto fin = Reloj::now() + std::chrono::milliseconds(ms);
        int estado = 0;
        while (Reloj::now() < fin) {
            if (waitpid(pid, &estado, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
            }
            usleep(10'000);
        }
        return -1;
    }
    std::string primera_linea(int ms) {
        esperar("\n", ms);
        return texto.substr(0, texto.find('\n'));
    }
};

// The lock folder the programs of this process use, removed when the tests end.
const struct Limpieza {
    ~Limpieza() {
        std::error_code ec;
        std::filesystem::remove_all("/tmp/z82-corte-" + std::to_string(getpid()), ec);
    }
} limpieza;

double Desde(Reloj::time_point t) {
    return std::chrono::duration<double>(Reloj::now() - t).count();
}

TEST(Corte_pty, SimulatorKilledMidTransferEndsInFailureNotAHangNorSuccess) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    auto sim = std::make_unique<Programa>("z82-meter-sim",
                                          std::vector<std::string>{"--firmware", "1.89.00000"});
    const std::string ruta = sim->primera_linea(10'000);
    ASSERT_FALSE(ruta.empty());
    Programa upd("z82-update", {"--port", ruta, "--yes"});
    // The FPGA transfer is under way once the bar moves past its start.
    ASSERT_TRUE(upd.esperar("FPGA configurations: 10%", 40'000)) << upd.texto;
    sim.reset();  // the meter's side of the cable is gone
    const auto corte = Reloj::now();
    const int codigo = upd.terminar(45'000);
    const double tras_corte = Desde(corte);
    EXPECT_EQ(codigo, 1) << upd.texto;
    EXPECT_TRUE(upd.texto.find("the update FAILED") != std::string::npos ||
                upd.texto.find("USB error") != std::string::npos)
        << upd.texto;
    EXPECT_EQ(upd.texto.find("the meter was updated"), std::string::npos) << upd.texto;
    // The block write that was running gives up within its own waits.
    EXPECT_LT(tras_corte, 30.0) << upd.texto;
}

TEST(Corte_pty, CtrlCMidRunStopsItAndTheNextRunOnTheSameMeterSucceeds) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    Programa sim("z82-meter-sim", {"--firmware", "1.89.00000"});
    const std::string ruta = sim.primera_linea(10'000);
    ASSERT_FALSE(ruta.empty());
    {
        Programa upd("z82-update", {"--port", ruta, "--yes"});
        // Stopped while the loader code goes to the meter, before the FPGA transfer.
        ASSERT_TRUE(upd.esperar("Actualizando el medidor", 20'000)) << upd.texto;
        kill(upd.pid, SIGINT);
        const int codigo = upd.terminar(55'000);
        EXPECT_EQ(codigo, 1) << upd.texto;
        EXPECT_NE(upd.texto.find("Stopping at the next safe point"), std::string::npos)
            << upd.texto;
        EXPECT_NE(upd.texto.find("the update was STOPPED at your request"), std::string::npos)
            << upd.texto;
    }
    Programa otra("z82-update", {"--port", ruta, "--yes"});
    const int codigo = otra.terminar(58'000);
    EXPECT_EQ(codigo, 0) << otra.texto;
    EXPECT_TRUE(otra.texto.find("the meter was updated") != std::string::npos ||
                otra.texto.find("nothing to do") != std::string::npos)
        << otra.texto;
}

}  // namespace
}  // namespace z82
