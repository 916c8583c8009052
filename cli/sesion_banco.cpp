#include "cli/sesion_banco.h"

#include <algorithm>

#include "app/actualizador.h"
#include "app/textos_asistente.h"
#include "cli/informe.h"

namespace z82 {

namespace {

// The slot's environment, with the bench's stop looked at each time messages are let run
// (where a lone run looks at Ctrl-C).
class Entorno_sesion : public Entorno {
  public:
    explicit Entorno_sesion(Entorno& base) : base_(base) {}

    int64_t segundos() override { return base_.segundos(); }
    int64_t milisegundos() override { return base_.milisegundos(); }
    void dormir(int ms) override { base_.dormir(ms); }
    void pitar() override { base_.pitar(); }
    void procesar_mensajes() override {
        base_.procesar_mensajes();
        atender();
        if (al_procesar) al_procesar();
    }
    bool existe_puerto(int n) override { return base_.existe_puerto(n); }
    std::vector<std::string> puertos_registro() override { return base_.puertos_registro(); }
    void diagnostico(const std::string& linea) override { base_.diagnostico(linea); }

    std::function<void()> al_procesar;

  private:
    Entorno& base_;
};

// What the session tells, as events: the items, each stream's progress at most once a
// second, the messages; the questions answered by the command line's --yes or --no.
class Observador_banco : public Observador {
  public:
    Observador_banco(Entorno& entorno, const Evento_banco& base, Respuesta_fija respuesta,
                     const std::function<void(Evento_banco)>& publicar)
        : entorno_(entorno), base_(base), respuesta_(respuesta), publicar_(publicar) {}

    void barra_visible(bool visible) override {
        if (!visible) cerrar_tramo();
    }
    void tramo(const std::string& nombre, const std::string& unidad, bool total_debido) override {
        // A stream that gives way to the next one of its item went the whole way.
        if (abierto_ && tramos.back().total_debido) tramos.back().hecho = tramos.back().total;
        cerrar_tramo();
        tramos.push_back({nombre, unidad, 0, 0, 0, total_debido});
        abierto_ = true;
        inicio_ms_ = entorno_.milisegundos();
    }
    void barra(int minimo, int maximo, int posicion) override {
        if (!abierto_ || maximo <= minimo) return;
        Tramo_hecho& t = tramos.back();
        Mover_tramo(t, minimo, maximo, posicion);
        const int64_t ahora = entorno_.milisegundos();
        t.segundos = static_cast<double>(ahora - inicio_ms_) / 1000.0;
        if (ahora - ultimo_ms_ < 1000) return;
        ultimo_ms_ = ahora;
        Evento_banco e = base_;
        e.tipo = Tipo_evento::progreso;
        e.tramo = t;
        publicar_(std::move(e));
    }
    void fin_elemento(bool completo) override {
        if (completo) {
            for (size_t i = primero_; i < tramos.size(); ++i) {
                if (tramos[i].total_debido) tramos[i].hecho = tramos[i].total;
            }
        }
        cerrar_tramo();
        primero_ = tramos.size();
        Evento_banco e = base_;
        e.tipo = Tipo_evento::fin_elemento;
        e.elemento = elemento_;
        e.completo = completo;
        publicar_(std::move(e));
    }
    void mensaje(const std::string& texto) override {
        Evento_banco e = base_;
        e.tipo = Tipo_evento::mensaje;
        e.texto = texto;
        publicar_(std::move(e));
    }
    bool preguntar(Pregunta) override { return respuesta_ == Respuesta_fija::si; }
    void inicio_elemento(const std::string& nombre) override { elemento_ = nombre; }
    void contador(int n, int total) override {
        Evento_banco e = base_;
        e.tipo = Tipo_evento::elemento;
        e.elemento = elemento_;
        e.n = n;
        e.total = total;
        publicar_(std::move(e));
    }

    void cerrar_tramo() {
        if (!abierto_) return;
        abierto_ = false;
        tramos.back().segundos = static_cast<double>(entorno_.milisegundos() - inicio_ms_) / 1000.0;
    }

    std::vector<Tramo_hecho> tramos;

  private:
    Entorno& entorno_;
    const Evento_banco& base_;
    Respuesta_fija respuesta_;
    const std::function<void(Evento_banco)>& publicar_;
    bool abierto_ = false;
    size_t primero_ = 0;
    int64_t inicio_ms_ = 0;
    int64_t ultimo_ms_ = -1000000;
    std::string elemento_;
};

}  // namespace

void Ejecutar_sesion(Fuente_ranuras& fuente, const Ranura& ranura, const Opciones_banco& opciones,
                     bool exigir_medidor, const std::atomic<int>& parada,
                     const std::function<void(Evento_banco)>& publicar) {
    Evento_banco base;
    base.ranura = ranura.nombre;
    base.puerto = ranura.ruta;
    std::unique_ptr<Puesto> puesto = fuente.abrir(ranura);
    Entorno_sesion entorno(puesto->entorno());
    Observador_banco observador(entorno, base, opciones.respuesta, publicar);
    const int64_t inicio_ms = entorno.milisegundos();

    Evento_banco fin = base;
    fin.tipo = Tipo_evento::desenlace;
    {
        Actualizador a(entorno, observador, puesto->dispositivo(), puesto->cerrojo());
        // The user's stop, as a lone run takes Ctrl-C: a run under way stops at its next safe
        // point, a search or the checks at once.
        int atendidas = 0;
        entorno.al_procesar = [&] {
            const int n = parada.load();
            if (n <= atendidas) return;
            atendidas = n;
            if (a.ocupado) {
                a.Detener();
            } else {
                a.Salir();
            }
        };
        a.Abrir_hex();
        a.modo_automatico = false;
        a.numero_puerto = puesto->numero_puerto();
        a.zona_pendiente = opciones.zona;

        Resultado_asistente r = Resultado_asistente::ninguno;
        Desenlace_actualizacion ejecutado;
        if (a.lector_hex != nullptr) a.Buscar_medidor();
        if (a.lector_hex == nullptr) {
            r = Resultado_asistente::fallo;
        } else if (!a.sesion.conectado) {
            r = a.sesion.cerrando ? Resultado_asistente::detenido
                                  : Resultado_asistente::no_encontrado;
            if (r == Resultado_asistente::no_encontrado && !exigir_medidor) {
                Evento_banco e = base;
                e.tipo = Tipo_evento::sin_medidor;
                // Why, when the port says: no rights on it, held by another program, or a
                // meter that refused the connection. Not a meter of the run, but one a
                // technician may be waiting for.
                const Desenlace d = Desenlace_de(a, r, ejecutado);
                for (const std::string& aviso : d.avisos)
                    e.texto += (e.texto.empty() ? "" : "; ") + aviso;
                if (a.rechazo_en_busqueda) e.texto = d.texto;
                puesto->descartar_registro();
                publicar(std::move(e));
                return;
            }
        } else {
            Evento_banco e = base;
            e.tipo = Tipo_evento::encontrado;
            e.firmware = a.version_medidor;
            e.fpga = a.version_fpga_medidor;
            e.elementos = Elementos(a);
            publicar(std::move(e));
            r = a.Comprobar_antes_de_actualizar();
            if (r == Resultado_asistente::ninguno) {
                ejecutado = a.Actualizar_medidor();
                r = Resultado_de(ejecutado);
            }
        }
        observador.cerrar_tramo();
        fin.desenlace = Desenlace_de(a, r, ejecutado);
        fin.tramos = observador.tramos;
        fin.segundos = static_cast<double>(entorno.milisegundos() - inicio_ms) / 1000.0;
        fin.firmware_antes = a.version_medidor;
        fin.registro = puesto->ruta_registro();
        puesto->cerrar_registro(Texto_desenlace(fin.desenlace));
    }
    // The port is closed: the meter may be unplugged once this is told.
    puesto.reset();
    publicar(std::move(fin));
}

}  // namespace z82
