#include "cli/opciones.h"

#include <sstream>

namespace z82 {

Opciones Analizar_opciones(const std::vector<std::string>& args) {
    Opciones o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto valor = [&](const char* nombre) -> std::string {
            if (i + 1 >= args.size()) {
                o.error = std::string(nombre) + " needs a value";
                return {};
            }
            return args[++i];
        };
        if (a == "--port" || a == "-p") {
            o.puertos.push_back(valor("--port"));
        } else if (a.rfind("--port=", 0) == 0) {
            o.puertos.push_back(a.substr(7));
        } else if (a == "--all") {
            o.todos = true;
        } else if (a == "--watch") {
            o.vigilar = true;
        } else if (a == "--yes" || a == "-y") {
            if (o.respuesta == Respuesta_fija::no) o.error = "--yes and --no exclude each other";
            o.respuesta = Respuesta_fija::si;
        } else if (a == "--no" || a == "-n") {
            if (o.respuesta == Respuesta_fija::si) o.error = "--yes and --no exclude each other";
            o.respuesta = Respuesta_fija::no;
        } else if (a == "--zone") {
            o.zona = true;
        } else if (a == "--plan") {
            o.plan = true;
        } else if (a == "--list-ports") {
            o.listar_puertos = true;
        } else if (a == "--list-plans") {
            o.listar_planes = true;
        } else if (a == "--simulate") {
            o.simular = true;
        } else if (a.rfind("--simulate=", 0) == 0) {
            o.simular = true;
            std::istringstream palabras(a.substr(11));
            for (std::string p; palabras >> p;) o.opciones_simulador.push_back(p);
        } else if (a == "--quiet" || a == "-q") {
            o.silencio = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--real-time") {
            o.tiempo_real = true;
        } else if (a == "--sim") {
            o.simular = true;
            o.opciones_simulador.push_back(valor("--sim"));
        } else if (a == "--trace") {
            o.traza = valor("--trace");
        } else if (a.rfind("--trace=", 0) == 0) {
            o.traza = a.substr(8);
        } else if (a == "--help" || a == "-h") {
            o.ayuda = true;
        } else if (a == "--version") {
            o.version = true;
        } else {
            o.error = "unknown option: " + a;
        }
        if (!o.error.empty()) break;
    }
    if (o.error.empty() && o.tiempo_real && !o.simular) o.error = "--real-time needs --simulate";
    if (o.error.empty() && o.simular && (!o.puertos.empty() || o.todos || o.vigilar)) {
        o.error =
            "--simulate takes no --port, --all or --watch (serve several meters with "
            "z82-meter-sim)";
    }
    if (o.error.empty() && o.todos && !o.puertos.empty()) {
        o.error = "--all and --port exclude each other";
    }
    if (o.error.empty() && Es_banco(o)) {
        // Nobody can answer a question for many meters at once.
        if (o.respuesta == Respuesta_fija::preguntar) {
            o.error =
                "with several meters (--port more than once, --all or --watch) the questions "
                "cannot be asked: answer them with --yes or --no";
        } else if (o.plan) {
            o.error = "--plan reads one meter: give one --port";
        } else if (!o.traza.empty()) {
            o.error = "--trace follows one meter; with several, each has its own log";
        }
    }
    return o;
}

std::string Texto_ayuda() {
    return R"(Usage: z82-update [options]
Finds a Z82 meter on the serial ports, reads its versions, and writes what it needs.

  --port P         use only port P: a number, COMn, a device path such as /dev/ttyUSB0,
                   or a slot name from --list-ports; give it again for more meters
  --all            update every meter that answers on any port, side by side
  --watch          keep going: update each meter as it is plugged in; a slot is
                   updated again only after its meter was unplugged; Ctrl-C ends
  --yes            answer OK to the plan question and to the memory erase warning
  --no             answer Cancel to both (without --yes or --no: ask on the terminal,
                   Cancel when standard input is not a terminal)
  --plan           connect, print the meter's versions and what an update would write,
                   disconnect; nothing is written
  --zone           also write the zone configuration (default parameters and profiles)
                   to a meter that already runs the carried firmware: after a run that
                   wrote the firmware but could not write its zone (exit code 14)
  --list-ports     print the ports a search would try, with their numbers and the slot
                   names that stay when an adapter is plugged in again
  --list-plans     print the channel plans the program carries
  --trace FILE     write every byte sent and received, with times, to FILE
  --simulate[=OPTS] update the built-in simulated meter, run in this program ten times
                   faster than real time; OPTS are options of z82-meter-sim, e.g.
                   --simulate="--plan-type 4"
  --real-time      with --simulate: serve the simulated meter on a pseudo-terminal in
                   real time, as a real meter would be (Linux)
  --sim OPT        one more simulator option (repeatable; implies --simulate)
  --quiet          print only the outcome line (and the questions, on standard error)
  --json           print one JSON object instead: the meter and the items with --plan,
                   else the outcome, its exit code and each stream's figures (README);
                   with several meters, JSON Lines: one event per line, each with its
                   slot, and a summary last (schema in the README)
  --version        print the program's version and the versions of the images it carries
  --help           this text

Exit codes: 0 updated or nothing to do; 1 the update failed or was stopped; 2 usage error;
10 the meter may not be updated (region, version, options); 11 stopped by the level or
device check; 12 no meter found, or it stopped answering before anything was written;
13 the memory erase was refused; 14 the firmware was written but not its zone
configuration (run again with --zone).
With several meters (--port more than once, --all, --watch), --yes or --no is required,
each meter has a live line, an outcome line and a row in the closing table, and the exit
code is 0 when every meter was updated or had nothing to do; else the first of 1, 14, 12,
13, 11, 10 that a meter ended with (--all that finds no meter: 12).
)";
}

}  // namespace z82
