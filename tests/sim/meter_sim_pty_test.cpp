// z82-meter-sim over a real pseudo-terminal: the printed path opens as a serial device
// and the meter answers the probe, across a close and reopen of the device.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

const std::string programa = std::string(Z82_BUILD_DIR) + "/z82-meter-sim";

struct Proceso {
    pid_t pid = -1;
    int entrada = -1, salida = -1;

    bool lanzar(const std::vector<std::string>& args) {
        int a[2], b[2];
        if (pipe(a) != 0 || pipe(b) != 0) return false;
        pid = fork();
        if (pid == 0) {
            dup2(a[0], STDIN_FILENO);
            dup2(b[1], STDOUT_FILENO);
            close(a[1]);
            close(b[0]);
            std::vector<char*> argv{const_cast<char*>(programa.c_str())};
            for (const auto& s : args) argv.push_back(const_cast<char*>(s.c_str()));
            argv.push_back(nullptr);
            execv(programa.c_str(), argv.data());
            _exit(127);
        }
        close(a[0]);
        close(b[1]);
        entrada = a[1];
        salida = b[0];
        return pid > 0;
    }
    // First line of standard output, waiting at most ms.
    std::string linea(int ms) {
        std::string s;
        char c;
        pollfd p{salida, POLLIN, 0};
        while (poll(&p, 1, ms) > 0 && read(salida, &c, 1) == 1 && c != '\n') s += c;
        return s;
    }
    // Closes standard input and waits for the exit; kills it after ms.
    int terminar(int ms) {
        close(entrada);
        int estado = -1;
        for (int i = 0; i < ms / 10; ++i) {
            if (waitpid(pid, &estado, WNOHANG) == pid) return estado;
            usleep(10'000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, &estado, 0);
        return -1;
    }
    ~Proceso() {
        if (salida >= 0) close(salida);
    }
};

int abrir_serie(const std::string& ruta) {
    const int fd = open(ruta.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B115200);
    cfsetospeed(&t, B115200);
    t.c_cflag |= CSTOPB;
    tcsetattr(fd, TCSANOW, &t);
    tcflush(fd, TCIOFLUSH);
    return fd;
}

std::vector<uint8_t> pedir(int fd, std::vector<uint8_t> peticion, size_t n, int ms) {
    EXPECT_EQ(write(fd, peticion.data(), peticion.size()), ssize_t(peticion.size()));
    std::vector<uint8_t> r;
    pollfd p{fd, POLLIN, 0};
    while (r.size() < n && poll(&p, 1, ms) > 0) {
        uint8_t b[64];
        const ssize_t k = read(fd, b, sizeof b);
        if (k <= 0) break;
        r.insert(r.end(), b, b + k);
    }
    return r;
}

TEST(MeterSimPty, ProbeAndQueryOverAPseudoTerminal) {
    if (access(programa.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << programa;
    Proceso p;
    ASSERT_TRUE(p.lanzar({"--level", "55"}));
    const std::string ruta = p.linea(5000);
    ASSERT_FALSE(ruta.empty());

    for (int vez = 0; vez < 2; ++vez) {  // the PC closes the port and opens it again
        const int fd = abrir_serie(ruta);
        ASSERT_GE(fd, 0) << ruta;
        EXPECT_EQ(pedir(fd, {0x00}, 1, 2000), std::vector<uint8_t>{0x5D});
        EXPECT_EQ(pedir(fd, {0x01, 0x00, 0xA0, 0xFE, 0x02}, 4, 2000),
                  (std::vector<uint8_t>{0x10, 0x02, 55, 0}));
        EXPECT_EQ(pedir(fd, {0x0A}, 1, 100).size(), 0u);
        close(fd);
    }
    const int estado = p.terminar(3000);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
}

TEST(MeterSimPty, BadOptionIsRefused) {
    if (access(programa.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << programa;
    Proceso p;
    ASSERT_TRUE(p.lanzar({"--answer", "7F"}));
    EXPECT_EQ(p.linea(3000), "");
    int estado = 0;
    waitpid(p.pid, &estado, 0);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 2);
    close(p.entrada);
}

}  // namespace

#endif
