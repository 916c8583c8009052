// Two meters updated at once: two z82-update on two pseudo-terminals against two
// z82-meter-sim (meters that need only their FPGA area), in real time, sharing the user's
// lock folder as two copies on one machine do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "apoyo/programas.h"

namespace z82 {
namespace {

using prueba::Hay_programas;
using prueba::kDir;
using Reloj = std::chrono::steady_clock;

std::string Leer(const std::string& ruta) {
    std::ifstream f(ruta);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// A program of the build with its output in a file and no input; the lock folder is
// XDG_RUNTIME_DIR.
pid_t Lanzar(const std::vector<std::string>& args, const std::string& registro,
             const std::string& cerrojos) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int f = open(registro.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int nulo = open("/dev/null", O_RDONLY);
    if (f < 0 || nulo < 0 || chdir(kDir.c_str()) != 0) _exit(126);
    dup2(f, 1);
    dup2(f, 2);
    dup2(nulo, 0);
    setenv("XDG_RUNTIME_DIR", cerrojos.c_str(), 1);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

int Codigo(pid_t pid) {
    int estado = 0;
    if (waitpid(pid, &estado, 0) != pid) return -1;
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
}

// Waits up to ms for the file to hold the text.
bool Aparece(const std::string& ruta, const std::string& parte, int ms) {
    const auto fin = Reloj::now() + std::chrono::milliseconds(ms);
    while (Leer(ruta).find(parte) == std::string::npos) {
        if (Reloj::now() > fin) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// z82-meter-sim needing only its FPGA area; what it holds is written to its dump at exit.
struct Medidor {
    std::string registro, volcado, ruta;
    pid_t pid = -1;

    Medidor(const std::string& carpeta, const std::string& nombre) {
        registro = carpeta + "/" + nombre + ".txt";
        volcado = carpeta + "/" + nombre + ".dump";
        pid = Lanzar({kDir + "/z82-meter-sim", "--firmware", "1.89.00000", "--dump", volcado},
                     registro, carpeta);
        if (Aparece(registro, "\n", 10'000)) {
            const std::string t = Leer(registro);
            ruta = t.substr(0, t.find('\n'));
        }
    }
    // Ends the meter; what it held.
    std::string Parar() {
        if (pid <= 0) return {};
        kill(pid, SIGTERM);
        Codigo(pid);
        pid = -1;
        return Leer(volcado);
    }
    ~Medidor() { Parar(); }
};

double Desde(Reloj::time_point t) {
    return std::chrono::duration<double>(Reloj::now() - t).count();
}

TEST(Lado_a_lado_pty, TwoUpdatersOnTwoPortsBothCompleteAndAThirdOnABusyPortSaysWhy) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    std::string plantilla = (std::filesystem::temp_directory_path() / "z82-lado-XXXXXX").string();
    ASSERT_NE(mkdtemp(plantilla.data()), nullptr);
    const std::string carpeta = plantilla;

    // What an untouched meter holds.
    std::string antes;
    {
        Medidor intacto(carpeta, "intacto");
        ASSERT_FALSE(intacto.ruta.empty()) << Leer(intacto.registro);
        antes = intacto.Parar();
    }
    ASSERT_FALSE(antes.empty());

    Medidor a(carpeta, "a"), b(carpeta, "b");
    ASSERT_FALSE(a.ruta.empty()) << Leer(a.registro);
    ASSERT_FALSE(b.ruta.empty()) << Leer(b.registro);
    const auto t0 = Reloj::now();
    const std::string upd = kDir + "/z82-update";
    const pid_t pa = Lanzar({upd, "--port", a.ruta, "--yes"}, carpeta + "/upd-a.txt", carpeta);
    const pid_t pb = Lanzar({upd, "--port", b.ruta, "--yes"}, carpeta + "/upd-b.txt", carpeta);
    ASSERT_GT(pa, 0);
    ASSERT_GT(pb, 0);

    // A third copy on a port in use during the transfer: it is kept out, and says so rather
    // than only that no meter answered.
    ASSERT_TRUE(Aparece(carpeta + "/upd-a.txt", "FPGA configurations: 10%", 30'000))
        << Leer(carpeta + "/upd-a.txt");
    const pid_t pc = Lanzar({upd, "--port", a.ruta, "--yes"}, carpeta + "/upd-c.txt", carpeta);
    EXPECT_EQ(Codigo(pc), 12) << Leer(carpeta + "/upd-c.txt");
    EXPECT_NE(Leer(carpeta + "/upd-c.txt").find("in use by another program"), std::string::npos)
        << Leer(carpeta + "/upd-c.txt");

    const int ca = Codigo(pa);
    const double sa = Desde(t0);
    const int cb = Codigo(pb);
    const double sb = Desde(t0);
    const std::string ta = Leer(carpeta + "/upd-a.txt"), tb = Leer(carpeta + "/upd-b.txt");
    EXPECT_EQ(ca, 0) << ta;
    EXPECT_EQ(cb, 0) << tb;
    EXPECT_NE(ta.find("Result: the meter was updated ("), std::string::npos) << ta;
    EXPECT_NE(tb.find("Result: the meter was updated ("), std::string::npos) << tb;

    // Both meters hold the same new contents.
    const std::string da = a.Parar(), db = b.Parar();
    EXPECT_EQ(da, db);
    EXPECT_NE(da, antes);
    EXPECT_NE(da.find("eeprom"), std::string::npos) << da;

    // Each device had a lock file of its own in the one folder.
    int cerrojos = 0;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
        if (e.path().filename().string().rfind("Mutex_Puerto.", 0) == 0) ++cerrojos;
    }
    EXPECT_EQ(cerrojos, 2);
    std::printf("two FPGA-only updates side by side: wall %.1f s and %.1f s\n", sa, sb);
    std::error_code ec;
    std::filesystem::remove_all(carpeta, ec);
}

}  // namespace
}  // namespace z82
