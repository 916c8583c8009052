// z82-update end to end over a real pseudo-terminal against z82-meter-sim, in real time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "apoyo/banco.h"
#include "apoyo/banco_ventana.h"
#include "apoyo/programas.h"
#include "fpga/tcfpga.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Hay_programas;
using prueba::kDir;

// z82-meter-sim running with its options; the path of its pseudo-terminal.
class Simulador {
  public:
    explicit Simulador(const std::string& opciones) {
        const std::string orden = "exec " + kDir + "/z82-meter-sim " + opciones;
        int tubo[2];
        if (pipe(tubo) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(tubo[1], 1);
            close(tubo[0]);
            execl("/bin/sh", "sh", "-c", orden.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(tubo[1]);
        salida_ = fdopen(tubo[0], "r");
        char linea[256] = {};
        if (salida_ != nullptr && std::fgets(linea, sizeof linea, salida_) != nullptr) {
            ruta_ = linea;
            while (!ruta_.empty() && (ruta_.back() == '\n' || ruta_.back() == '\r')) {
                ruta_.pop_back();
            }
        }
    }
    ~Simulador() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (salida_ != nullptr) fclose(salida_);
    }
    const std::string& ruta() const { return ruta_; }

  private:
    pid_t pid_ = -1;
    FILE* salida_ = nullptr;
    std::string ruta_;
};

struct Salida {
    int codigo = -1;
    std::string texto;
    std::string error;  // standard error, when kept apart
    double segundos = 0;
};

// A folder of this test program's own for the per-user port lock, so that updaters of
// other tests running at the same time do not slow these down.
const std::string& Carpeta_cerrojo() {
    static const std::string carpeta = [] {
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "z82-cli-pty-XXXXXX").string();
        const char* c = mkdtemp(plantilla.data());
        return std::string(c != nullptr ? c : "");
    }();
    return carpeta;
}

// Runs z82-update with its standard input closed, and its logs in carpeta_registros when
// given; returns its exit code and output, standard error with it or, with error_aparte,
// apart.
Salida Ejecutar(const std::string& argumentos, const std::string& carpeta_registros = "",
                bool error_aparte = false) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::string registros =
        carpeta_registros.empty() ? "" : " XDG_STATE_HOME=" + carpeta_registros;
    const std::string archivo_error =
        Carpeta_cerrojo() + "/error-" + std::to_string(getpid()) + ".txt";
    const std::string orden = "cd " + kDir + " && XDG_RUNTIME_DIR=" + Carpeta_cerrojo() +
                              registros + " ./z82-update " + argumentos + " </dev/null 2>" +
                              (error_aparte ? archivo_error : "&1");
    Salida s;
    FILE* p = popen(orden.c_str(), "r");
    if (p == nullptr) return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) s.texto.append(buf, n);
    const int estado = pclose(p);
    s.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    s.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (error_aparte) {
        std::ifstream f(archivo_error);
        s.error.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        std::filesystem::remove(archivo_error);
    }
    return s;
}

bool Contiene(const std::string& texto, const std::string& parte) {
    return texto.find(parte) != std::string::npos;
}

TEST(Cli_pty, PlanReportsWhatEachMeterNeedsAndWritesNothing) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    {
        Simulador sim("");
        ASSERT_FALSE(sim.ruta().empty());
        const Salida s = Ejecutar("--plan --port " + sim.ruta());
        EXPECT_EQ(s.codigo, 0) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "firmware      1.87.00000")) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "- main firmware")) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "- FPGA configurations")) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "- zone configuration")) << s.texto;
        EXPECT_FALSE(Contiene(s.texto, "- MPEG4")) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "Update allowed: yes")) << s.texto;
    }
    {
        Simulador sim("--firmware 1.89.00000 --fpga 3.0");
        const Salida s = Ejecutar("--plan --port " + sim.ruta());
        EXPECT_EQ(s.codigo, 0) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "(none: the meter is up to date)")) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "Update allowed: nothing to do")) << s.texto;
    }
    {
        Simulador sim("--firmware 1.89.00000 --fpga 3.0 --mpeg4 0x6E,0 --region USA");
        const Salida s = Ejecutar("--plan --port " + sim.ruta());
        EXPECT_TRUE(Contiene(s.texto, "- MPEG4 module application")) << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "USA model")) << s.texto;
    }
    // The built-in simulated meter: inside z82-update on accelerated time, and served by
    // z82-meter-sim on a pseudo-terminal that z82-update starts itself.
    for (const char* modo : {"", " --real-time"}) {
        const Salida s =
            Ejecutar(std::string("--plan --simulate=\"--plan-type 4 --plan-version 111\"") + modo);
        EXPECT_EQ(s.codigo, 0) << modo << s.texto;
        EXPECT_TRUE(Contiene(s.texto, "channel plans type 4 version 111")) << modo << s.texto;
        EXPECT_FALSE(Contiene(s.texto, "- channel plans")) << modo << s.texto;
    }
}

TEST(Cli_pty, EachRunLeavesItsTraceAndOutcomeInTheLogItNames) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    const std::filesystem::path estado = Carpeta_cerrojo() + "/estado";
    const Salida s = Ejecutar("--plan --simulate", estado.string());
    EXPECT_EQ(s.codigo, 0) << s.texto;
    const size_t p = s.texto.find("\nLog: ");
    ASSERT_NE(p, std::string::npos) << s.texto;
    const std::filesystem::path ruta = s.texto.substr(p + 6, s.texto.find('\n', p + 1) - p - 6);
    EXPECT_EQ(ruta.parent_path(), estado / "z82-updater") << s.texto;
    EXPECT_EQ(ruta.filename().string().rfind("z82-update-", 0), 0u) << ruta;

    std::ifstream archivo(ruta);
    ASSERT_TRUE(archivo) << ruta;
    std::vector<std::string> lineas;
    int al_medidor = 0, del_medidor = 0;
    for (std::string l; std::getline(archivo, l);) {
        al_medidor += Contiene(l, " PC>M ") ? 1 : 0;
        del_medidor += Contiene(l, " M>PC ") ? 1 : 0;
        lineas.push_back(l);
    }
    EXPECT_GT(al_medidor, 10);
    EXPECT_GT(del_medidor, 10);
    ASSERT_FALSE(lineas.empty());
    EXPECT_EQ(lineas.back(), "Update allowed: yes");
}

TEST(Cli_pty, ExitCodesTellTheOutcomesApart) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    {
        Simulador sim("--level 10");
        const Salida s = Ejecutar("--yes --port " + sim.ruta());
        EXPECT_EQ(s.codigo, 11) << s.texto;
    }
    {
        Simulador sim("--answer none");
        const Salida s = Ejecutar("--yes --port " + sim.ruta());
        EXPECT_EQ(s.codigo, 12) << s.texto;
    }
    {
        Simulador sim("--options-clear");
        const Salida s = Ejecutar("--yes --port " + sim.ruta());
        EXPECT_EQ(s.codigo, 10) << s.texto;
    }
    {
        const Salida s = Ejecutar("--yes --no");
        EXPECT_EQ(s.codigo, 2) << s.texto;
    }
    {
        const Salida s = Ejecutar("--port /dev/z82-no-such-port --yes");
        EXPECT_EQ(s.codigo, 12) << s.texto;
    }
}

// The protocol's own time for the same update: the same engine and meter model under
// virtual time, where the clock moves only by bytes on the wire, pauses, drains and
// time-outs.
double Tiempo_protocolo(const sim::Config_medidor& c) {
    prueba::Banco_ventana b;
    sim::Medidor_simulado m(c);
    b.poner(1, &m);
    auto& v = b.crear();
    v.Button_buscar_puertoClick();
    v.Button_buscar_puertoClick();
    EXPECT_EQ(v.resultado, Resultado_asistente::actualizado);
    const double s = static_cast<double>(b.reloj.us()) / 1e6;
    b.ventana.reset();
    return s;
}

TEST(Cli_pty, FpgaOnlyUpdateOverAPseudoTerminalAgainstTheWireTime) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    Simulador sim("--firmware 1.89.00000");
    const Salida s = Ejecutar("--yes --port " + sim.ruta());
    EXPECT_EQ(s.codigo, 0) << s.texto;
    EXPECT_TRUE(Contiene(s.texto, "Result: the meter was updated (")) << s.texto;
    // The stream's labelled lines climb within their range, then say it is done.
    int lineas_progreso = 0, anterior = -1;
    const std::string rotulo = "FPGA configurations: ";
    for (size_t p = s.texto.find(rotulo); p != std::string::npos; p = s.texto.find(rotulo, p + 1)) {
        int por_ciento = 0;
        if (std::sscanf(s.texto.c_str() + p + rotulo.size(), "%d%%", &por_ciento) != 1) continue;
        EXPECT_GE(por_ciento, anterior) << s.texto.substr(p, 60);
        EXPECT_LE(por_ciento, 100) << s.texto.substr(p, 60);
        anterior = por_ciento;
        ++lineas_progreso;
    }
    EXPECT_TRUE(Contiene(s.texto, rotulo + "done, ")) << s.texto;
    EXPECT_GE(lineas_progreso, 10);  // 0% to 90%: the last block starts below 100%

    sim::Config_medidor c;
    c.version_firmware = "1.89.00000";
    const double protocolo = Tiempo_protocolo(c);
    std::printf("FPGA-only update over a pseudo-terminal: wall %.2f s, protocol %.2f s\n",
                s.segundos, protocolo);
}

// --json for factory scripts: the plan, and the outcome with the figures of each stream,
// parsed back and held against what the run wrote.
TEST(Cli_pty, JsonObjectsOfThePlanAndTheOutcome) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    // The object is the one line that opens with a brace (the log's name follows it on
    // standard error, which the test reads too).
    const auto objeto = [](const Salida& s) {
        const size_t inicio = s.texto.rfind("\n{") + 1;
        return nlohmann::json::parse(s.texto.substr(inicio, s.texto.find('\n', inicio) - inicio));
    };
    const std::string medidor = " --simulate=\"--firmware 1.89.00000\"";
    const nlohmann::json plan = objeto(Ejecutar("--plan --json" + medidor));
    EXPECT_EQ(plan["meter"]["firmware"], "1.89.00000");
    EXPECT_EQ(plan["items"], nlohmann::json::array({"FPGA configurations"}));
    EXPECT_EQ(plan["update_allowed"], true);

    const Salida s = Ejecutar("--yes --json" + medidor);
    const nlohmann::json fin = objeto(s);
    EXPECT_EQ(fin["result"], "updated");
    EXPECT_EQ(fin["exit_code"], s.codigo);
    EXPECT_EQ(s.codigo, 0);
    // The one stream is the FPGA area the run builds: two configurations.
    prueba::Banco b;
    TCFpga fpga{b.ctx.canal(), b.ctx.Barra_progreso};
    fpga.n_configuraciones = 2;
    ASSERT_EQ(fin["streams"].size(), 1u) << s.texto;
    const nlohmann::json& flujo = fin["streams"][0];
    EXPECT_EQ(flujo["name"], "FPGA configurations");
    EXPECT_EQ(flujo["total"], fpga.Imagen().size());
    EXPECT_GT(flujo["done"].get<long long>(), flujo["total"].get<long long>() * 99 / 100);
    EXPECT_GT(flujo["seconds"].get<double>(), 0.0);
    EXPECT_GT(fin["seconds"].get<double>(), flujo["seconds"].get<double>());
}

// A meter whose plans change needs the memory erase, and the erase writes a diagnostic line
// for each sector; under --json those go to standard error and the run's log, and standard
// output holds the object alone. The meter falls silent in the FPGA transfer that follows
// the erase, so that the run fails within a minute instead of writing the main firmware.
TEST(Cli_pty, JsonOutputHoldsTheObjectAloneAfterAMemoryErase) {
    if (!Hay_programas()) GTEST_SKIP() << "z82-update or z82-meter-sim not built";
    Simulador sim("--mpeg4 none --silent-at 40");
    const std::string estado = Carpeta_cerrojo() + "/estado-borrado";
    const Salida s = Ejecutar("--yes --json --port " + sim.ruta(), estado, true);
    nlohmann::json fin;
    ASSERT_NO_THROW(fin = nlohmann::json::parse(s.texto)) << s.texto;
    ASSERT_TRUE(fin.is_object()) << s.texto;
    EXPECT_EQ(fin["result"], "failed") << s.texto;
    EXPECT_EQ(s.codigo, 1) << s.error;
    ASSERT_FALSE(fin["streams"].empty()) << s.texto;
    EXPECT_EQ(fin["streams"][0]["name"], "memory erase");
    EXPECT_EQ(fin["streams"][0]["done"], 13);

    const auto lineas_ack = [](const std::string& texto) {
        int n = 0;
        for (size_t p = texto.find("ack: B5\n"); p != std::string::npos;
             p = texto.find("ack: B5\n", p + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(lineas_ack(s.error), 12) << s.error;
    const size_t p = s.error.find("Log: ");
    ASSERT_NE(p, std::string::npos) << s.error;
    std::ifstream registro(s.error.substr(p + 5, s.error.find('\n', p) - p - 5));
    const std::string texto_registro((std::istreambuf_iterator<char>(registro)),
                                     std::istreambuf_iterator<char>());
    EXPECT_EQ(lineas_ack(texto_registro), 12);
}

}  // namespace
}  // namespace z82
