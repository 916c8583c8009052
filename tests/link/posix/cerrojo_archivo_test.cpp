// The port lock between processes and between threads: one lock file per device.
#include "link/posix/cerrojo_archivo.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

namespace z82 {
namespace {

std::string carpeta_temporal() {
    std::string plantilla = ::testing::TempDir() + "z82_cerrojo_XXXXXX";
    const char* r = ::mkdtemp(plantilla.data());
    return r != nullptr ? std::string(r) : std::string();
}

// A machine of three ports in a scratch folder: 1 and 2 are two devices, 3 a link to the
// device of port 1 (as /dev/serial/by-id/... leads to /dev/ttyUSB0).
struct Maquina {
    std::string carpeta = carpeta_temporal();
    std::string base = carpeta + "/Mutex_Puerto";

    Maquina() {
        std::ofstream(carpeta + "/ttyUSB0");
        std::ofstream(carpeta + "/ttyUSB1");
        EXPECT_EQ(::symlink((carpeta + "/ttyUSB0").c_str(), (carpeta + "/por-id").c_str()), 0);
    }
    Cerrojo_archivo::Ruta_puerto puertos() const {
        const std::string c = carpeta;
        return [c](uint32_t n) -> std::string {
            switch (n) {
                case 1:
                    return c + "/ttyUSB0";
                case 2:
                    return c + "/ttyUSB1";
                case 3:
                    return c + "/por-id";
                default:
                    return {};
            }
        };
    }
};

// True when a byte arrives on fd within ms.
bool llega(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1 && (p.revents & POLLIN) != 0;
}

// A second copy of the program: its own lock on the same folder takes port n, then says so
// on the pipe. The read end of the pipe is returned.
int otro_proceso_toma(const Maquina& m, uint32_t n, pid_t& hijo) {
    int tubo[2];
    if (::pipe(tubo) != 0) return -1;
    hijo = ::fork();
    if (hijo == 0) {
        ::close(tubo[0]);
        Cerrojo_archivo otro(m.base, m.puertos());
        otro.bloquear_puerto(n);
        const char c = 'x';
        const bool ok = ::write(tubo[1], &c, 1) == 1;
        otro.desbloquear();
        ::_exit(ok ? 0 : 1);
    }
    ::close(tubo[1]);
    return tubo[0];
}

void esperar_hijo(pid_t hijo) {
    int estado = 0;
    ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
}

TEST(CerrojoArchivo, SecondProcessOnTheSameDeviceWaitsUntilTheLastNestedReleaseOfTheFirst) {
    const Maquina m;
    Cerrojo_archivo cerrojo(m.base, m.puertos());
    cerrojo.bloquear_puerto(1);
    ASSERT_TRUE(cerrojo.entre_procesos());
    cerrojo.bloquear_puerto(1);  // nested, as the port's Abrir does

    // The other copy names the same device through a link.
    pid_t hijo = -1;
    const int tubo = otro_proceso_toma(m, 3, hijo);
    ASSERT_GE(hijo, 0);
    EXPECT_FALSE(llega(tubo, 300));
    cerrojo.desbloquear();
    EXPECT_FALSE(llega(tubo, 300));  // still held once
    cerrojo.desbloquear();
    EXPECT_TRUE(llega(tubo, 10000));
    esperar_hijo(hijo);
    ::close(tubo);
}

TEST(CerrojoArchivo, ProcessesOnDifferentDevicesDoNotWaitForEachOther) {
    const Maquina m;
    Cerrojo_archivo cerrojo(m.base, m.puertos());
    // The port changes between operations, as in a search over the ports: the lock of the
    // device left behind is given back.
    cerrojo.bloquear_puerto(2);
    cerrojo.desbloquear();
    cerrojo.bloquear_puerto(1);
    pid_t hijo = -1;
    const int tubo = otro_proceso_toma(m, 2, hijo);
    ASSERT_GE(hijo, 0);
    EXPECT_TRUE(llega(tubo, 10000));
    cerrojo.desbloquear();
    esperar_hijo(hijo);
    ::close(tubo);
}

TEST(CerrojoArchivo, AnotherThreadWaitsForTheOwner) {
    const Maquina m;
    Cerrojo_archivo cerrojo(m.base, m.puertos());
    std::atomic<int> dentro{0};
    std::atomic<bool> hilo_tuvo{false};
    cerrojo.bloquear_puerto(1);
    // Another port does not let the thread in either: the process has one port object.
    std::thread otro([&] {
        cerrojo.bloquear_puerto(2);
        hilo_tuvo = dentro.load() == 0;
        cerrojo.desbloquear();
    });
    dentro = 1;
    cerrojo.bloquear();
    cerrojo.desbloquear();
    dentro = 0;
    cerrojo.desbloquear();
    otro.join();
    EXPECT_TRUE(hilo_tuvo);
}

TEST(CerrojoArchivo, LockFilesLiveInAFolderOnlyTheUserCanWriteNamedAfterTheDevice) {
    const char* antes = std::getenv("XDG_RUNTIME_DIR");
    const std::string guardado = antes != nullptr ? antes : "";
    const std::string propia = carpeta_temporal();
    ASSERT_EQ(::chmod(propia.c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", propia.c_str(), 1);
    EXPECT_EQ(Cerrojo_archivo::carpeta_usuario(), propia);
    {
        Cerrojo_archivo c([](uint32_t n) { return n == 1 ? "/dev/ttyUSB0" : ""; });
        c.bloquear_puerto(7);  // no such port: only threads are kept out
        EXPECT_FALSE(c.entre_procesos());
        c.desbloquear();
        c.bloquear_puerto(1);
        c.desbloquear();
        EXPECT_EQ(c.ruta(), propia + "/Mutex_Puerto.dev_ttyUSB0");
        EXPECT_TRUE(c.entre_procesos());
    }
    // Names that differ only in characters a file name cannot hold stay apart.
    EXPECT_NE(Cerrojo_archivo::nombre_dispositivo("/dev/a_b"),
              Cerrojo_archivo::nombre_dispositivo("/dev/a/b"));
    EXPECT_EQ(Cerrojo_archivo::nombre_dispositivo("/x/../../etc/passwd\n").find('/'),
              std::string::npos);
    EXPECT_LE(Cerrojo_archivo::nombre_dispositivo("/dev/" + std::string(4000, 'x')).size(), 200u);
    // A folder others may write to is not trusted: the private one in /tmp is used.
    ASSERT_EQ(::chmod(propia.c_str(), 0777), 0);
    const std::string respaldo = "/tmp/z82-" + std::to_string(::getuid());
    EXPECT_EQ(Cerrojo_archivo::carpeta_usuario(), respaldo);
    if (antes != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", guardado.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace
}  // namespace z82
