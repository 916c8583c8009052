// The per-user port lock between processes and between threads.
#include "link/posix/cerrojo_archivo.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace z82 {
namespace {

std::string carpeta_temporal() {
    std::string plantilla = ::testing::TempDir() + "z82_cerrojo_XXXXXX";
    const char* r = ::mkdtemp(plantilla.data());
    return r != nullptr ? std::string(r) : std::string();
}

// True when a byte arrives on fd within ms.
bool llega(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1 && (p.revents & POLLIN) != 0;
}

TEST(CerrojoArchivo, SecondProcessWaitsUntilTheLastNestedReleaseOfTheFirst) {
    const std::string ruta = carpeta_temporal() + "/Mutex_Puerto";
    Cerrojo_archivo cerrojo(ruta);
    ASSERT_TRUE(cerrojo.entre_procesos());
    cerrojo.bloquear();
    cerrojo.bloquear();  // nested, as the port's Abrir does

    int tubo[2];
    ASSERT_EQ(::pipe(tubo), 0);
    const pid_t hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        // A second copy of the program: its own lock on the same file.
        ::close(tubo[0]);
        Cerrojo_archivo otro(ruta);
        otro.bloquear();
        const char c = 'x';
        const bool ok = ::write(tubo[1], &c, 1) == 1;
        otro.desbloquear();
        ::_exit(ok ? 0 : 1);
    }
    ::close(tubo[1]);
    EXPECT_FALSE(llega(tubo[0], 300));
    cerrojo.desbloquear();
    EXPECT_FALSE(llega(tubo[0], 300));  // still held once
    cerrojo.desbloquear();
    EXPECT_TRUE(llega(tubo[0], 10000));
    int estado = 0;
    ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    ::close(tubo[0]);
}

TEST(CerrojoArchivo, AnotherThreadWaitsForTheOwner) {
    Cerrojo_archivo cerrojo(carpeta_temporal() + "/Mutex_Puerto");
    std::atomic<int> dentro{0};
    std::atomic<bool> hilo_tuvo{false};
    cerrojo.bloquear();
    std::thread otro([&] {
        cerrojo.bloquear();
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

TEST(CerrojoArchivo, LockFileLivesInAFolderOnlyTheUserCanWrite) {
    const char* antes = std::getenv("XDG_RUNTIME_DIR");
    const std::string guardado = antes != nullptr ? antes : "";
    const std::string propia = carpeta_temporal();
    ASSERT_EQ(::chmod(propia.c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", propia.c_str(), 1);
    EXPECT_EQ(Cerrojo_archivo::carpeta_usuario(), propia);
    {
        Cerrojo_archivo c;
        EXPECT_EQ(c.ruta(), propia + "/Mutex_Puerto");
        EXPECT_TRUE(c.entre_procesos());
    }
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
