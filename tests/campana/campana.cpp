#include "campana/campana.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <system_error>

#include "apoyo/imagen_esperada.h"
#include "app/ventana_cargador.h"
#include "data/imagenes.h"
#include "fpga/tcfpga.h"
#include "link/tcpuerto.h"
#include "plans/planes.h"
#include "queries/tconsultas.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/medidor_simulado.h"
#include "sim/reloj_virtual.h"
#include "sim/vista_registro.h"

namespace z82::campana {
namespace {

namespace fs = std::filesystem;

// Plan version the carried image of each type holds.
uint16_t Plan_llevado(int tipo) { return static_cast<uint16_t>(Version_plan_llevada(tipo)); }

class Colgado {};

// Virtual time with a bound: past it the run is abandoned as hung.
class Entorno_campana : public sim::Entorno_virtual {
  public:
    Entorno_campana(sim::Reloj_virtual& r, int64_t limite_us)
        : sim::Entorno_virtual(r), limite_us_(limite_us) {}
    void dormir(int ms) override {
        sim::Entorno_virtual::dormir(ms);
        vigilar();
    }
    void procesar_mensajes() override {
        sim::Entorno_virtual::procesar_mensajes();
        vigilar();
    }

  private:
    // Throws once: what runs while the run unwinds (destructors that pause) goes on.
    void vigilar() {
        if (!vencido_ && reloj().us() > limite_us_) {
            vencido_ = true;
            throw Colgado{};
        }
    }
    int64_t limite_us_;
    bool vencido_ = false;
};

// The sample language file of the sources, read once.
const std::string& Textos_idiomas(const std::string& fuentes) {
    static const std::string textos = [&] {
        std::ifstream f(fs::path(fuentes) / "data" / "idiomas.ini", std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }();
    return textos;
}

struct Banco {
    sim::Reloj_virtual reloj;
    Entorno_campana entorno;
    sim::Vista_registro vista{entorno};
    sim::Enlace_simulado enlace{reloj};
    std::unique_ptr<sim::Medidor_simulado> medidor;
    std::unique_ptr<Tventana_cargador> ventana;

    Banco(const sim::Config_medidor& c, int64_t limite_us, const std::string& idiomas)
        : entorno(reloj, limite_us) {
        enlace.registrar = false;
        medidor = std::make_unique<sim::Medidor_simulado>(c);
        enlace.conectar(1, medidor.get());
        entorno.puertos.insert(1);
        ventana = std::make_unique<Tventana_cargador>(entorno, vista, enlace, nullptr, idiomas);
        vista.responder = [this](bool ok) {
            if (ok) {
                ventana->Button_atencion_okClick();
            } else {
                ventana->Button_atencion_cancelClick();
            }
        };
    }
    ~Banco() { ventana.reset(); }
    Banco(const Banco&) = delete;
    Banco& operator=(const Banco&) = delete;
};

const std::vector<uint8_t>& Area_fpga(Tventana_cargador& v) {
    static const std::vector<uint8_t> area = [&] {
        TCFpga fpga{v.sesion.canal(), v.sesion.Barra_progreso};
        fpga.n_configuraciones = 2;
        return fpga.Imagen();
    }();
    return area;
}

const std::map<int, std::vector<prueba::Byte_imagen>>& Imagen_hex() {
    static const auto datos = prueba::Datos_imagen_hex();
    return datos;
}

// What is missing from the meter, item by item (empty: it holds the whole plan).
// planes_propios: plans that are not to be written must still be the meter's own.
std::string Faltas(const Plan_esperado& p, const sim::Medidor_simulado& m, Tventana_cargador& v,
                   const std::vector<uint8_t>* eeprom, bool planes_propios = true) {
    std::ostringstream f;
    if (p.firmware) {
        long d = 0;
        for (const auto& [segmento, bytes] : Imagen_hex()) {
            if (segmento == 0 || segmento == 0x1E || segmento == 0x1F) continue;
            d += prueba::Diferencias(m.flash(static_cast<uint8_t>(segmento)), bytes);
        }
        if (d != 0) f << " firmware(" << d << " bytes)";
    }
    const int tipo = m.config.plan_tipo;
    if (p.planes) {
        const auto imagen = datos::imagen_planes(tipo);
        long d = 0;
        for (size_t i = 0; i < imagen.size(); ++i) {
            if (m.flash(static_cast<uint8_t>(0x1E + i / 65536))[i % 65536] != imagen[i]) ++d;
        }
        if (d != 0) f << " plans(" << d << " bytes)";
    } else if (planes_propios) {
        const auto s = m.flash(0x1E);
        if (s[2] != (m.config.plan_version >> 8) || s[3] != (m.config.plan_version & 0xFF) ||
            s[4] != m.config.plan_tipo)
            f << " plans(replaced without leave)";
    }
    if (p.fpga) {
        const auto& area = Area_fpga(v);
        long d = 0;
        for (size_t i = 0; i < area.size(); ++i) {
            if (m.flash(static_cast<uint8_t>(0x30 + i / 65536))[i % 65536] != area[i]) ++d;
        }
        if (d != 0) f << " fpga(" << d << " bytes)";
    }
    if (p.zona && eeprom != nullptr && m.eeprom() != *eeprom) {
        long d = 0;
        size_t primera = 0;
        for (size_t i = 0; i < eeprom->size(); ++i) {
            if (m.eeprom()[i] == (*eeprom)[i]) continue;
            if (d++ == 0) primera = i;
        }
        f << " zone(" << d << " EEPROM bytes, the first at 0x" << std::hex << primera << std::dec
          << ")";
    }
    if (p.borrado) {
        static const char* const kSectores[12] = {"01", "20", "21", "24", "25", "26",
                                                  "27", "28", "29", "2A", "2B", "2C"};
        for (const char* s : kSectores) {
            if (!m.hay(std::string("orden [ ") + s)) f << " erase(sector " << s << ")";
        }
    }
    if (p.mpeg4) {
        const auto app = datos::imagen_mpeg4();
        const auto prog = datos::programa_transferencia();
        const auto& a = m.mpeg4_aplicacion();
        const auto& t = m.mpeg4_transferencia();
        if (!std::equal(app.begin(), app.end(), a.begin(), a.end()) ||
            !std::equal(prog.begin(), prog.end(), t.begin(), t.end()) ||
            m.version_mpeg4().version_sw != m.config.mpeg4_tras_actualizar.version_sw)
            f << " mpeg4";
    }
    return f.str();
}

// The three lines show the texts of a result ("P6_E4" gives P6_E4_L1 .. P6_E4_L3).
bool Textos(const sim::Vista_registro& vista, Tventana_cargador& v, const std::string& prefijo) {
    for (int i = 0; i < 3; ++i) {
        const std::string& t = v.Texto(prefijo + "_L" + std::to_string(i + 1));
        if (vista.lineas[i] != t) return false;
    }
    return !vista.lineas[0].empty();
}

bool Tiene(const std::vector<Elemento>& lista, Elemento e) {
    return std::find(lista.begin(), lista.end(), e) != lista.end();
}

// What the outcome says was written and the meter does not hold.
std::string Faltas_escritos(const sim::Medidor_simulado& m, Tventana_cargador& v,
                            const std::vector<uint8_t>& eeprom) {
    const auto& e = v.desenlace.escritos;
    Plan_esperado p;
    p.firmware = Tiene(e, Elemento::firmware);
    p.planes = Tiene(e, Elemento::planes);
    p.fpga = Tiene(e, Elemento::fpga);
    p.mpeg4 = Tiene(e, Elemento::mpeg4);
    p.zona = Tiene(e, Elemento::zona);
    p.borrado = Tiene(e, Elemento::borrado);
    // A run that failed may have left anything of the items it did not finish.
    return Faltas(p, m, v, eeprom.empty() ? nullptr : &eeprom, false);
}

// The faults that follow the meter's steps: each strikes once, after the first note of its
// step.
void Aplicar_en_evento(const Fallo_sorteado& f, Banco& b, int64_t t_us) {
    Tventana_cargador* v = b.ventana.get();
    switch (f.tipo) {
        case Tipo_fallo::parada_en:
            b.entorno.en_instante(t_us + f.retardo_us, [v] {
                if (v->ocupado) {
                    v->Detener();
                } else {
                    v->Salir();
                }
            });
            break;
        case Tipo_fallo::idioma_danado: {
            sim::Fallo_byte fb;
            fb.accion = sim::Accion::corromper;
            fb.mascara = f.valor;
            fb.desde_us = t_us;
            fb.saltar = f.cuenta;
            b.medidor->fallos.bytes.push_back(fb);
            break;
        }
        case Tipo_fallo::desconexion_en:
            b.medidor->desconectar_en(t_us + f.retardo_us);
            break;
        default:
            break;
    }
}

void Aplicar_fallos(const Corrida& c, Banco& b) {
    auto& m = *b.medidor;
    std::vector<const Fallo_sorteado*> por_evento;
    for (const Fallo_sorteado& f : c.fallos) {
        if (!f.evento.empty()) por_evento.push_back(&f);
    }
    if (!por_evento.empty()) {
        m.al_anotar = [&b, por_evento](int64_t t_us, const std::string& texto) mutable {
            for (auto& f : por_evento) {
                if (f == nullptr || texto.compare(0, f->evento.size(), f->evento) != 0) continue;
                Aplicar_en_evento(*f, b, t_us);
                f = nullptr;
            }
        };
    }
    for (const Fallo_sorteado& f : c.fallos) {
        if (!f.evento.empty()) continue;
        sim::Fallo_byte fb;
        fb.sentido = f.hacia_pc ? sim::Sentido::hacia_pc : sim::Sentido::hacia_medidor;
        fb.desde_us = f.t_us;
        switch (f.tipo) {
            case Tipo_fallo::byte_perdido:
                fb.accion = sim::Accion::perder;
                m.fallos.bytes.push_back(fb);
                break;
            case Tipo_fallo::byte_corrompido:
                fb.accion = sim::Accion::corromper;
                fb.mascara = f.valor;
                m.fallos.bytes.push_back(fb);
                break;
            case Tipo_fallo::byte_retrasado:
                fb.accion = sim::Accion::retrasar;
                fb.retardo_us = f.retardo_us;
                m.fallos.bytes.push_back(fb);
                break;
            case Tipo_fallo::byte_duplicado:
                fb.accion = sim::Accion::duplicar;
                m.fallos.bytes.push_back(fb);
                break;
            case Tipo_fallo::byte_sustituido:
                fb.accion = sim::Accion::sustituir;
                fb.valor = f.valor;
                m.fallos.bytes.push_back(fb);
                break;
            case Tipo_fallo::borrado_fallido:
                m.fallos.borrados_fallidos = f.cuenta;
                m.fallos.byte_fallo_borrado = f.valor;
                break;
            case Tipo_fallo::relleno:
                m.config.respuesta_relleno = f.valor;
                break;
            case Tipo_fallo::silencio:
                m.fallos.silencio_desde_us = f.t_us;
                break;
            case Tipo_fallo::desenchufe:
                b.enlace.desenchufar_desde_us = f.t_us;
                break;
            case Tipo_fallo::desconexion_medidor:
                m.desconectar_en(f.t_us);
                break;
            case Tipo_fallo::adaptador_fuera:
                b.enlace.adaptador_fuera_desde_us = f.t_us;
                break;
            case Tipo_fallo::interrupcion: {
                Tventana_cargador* v = b.ventana.get();
                b.entorno.en_instante(f.t_us, [v] {
                    // As the terminal's Ctrl-C: stop a run, close the window otherwise.
                    if (v->ocupado) {
                        v->Detener();
                    } else {
                        v->Salir();
                    }
                });
                break;
            }
            case Tipo_fallo::parada_en:
            case Tipo_fallo::idioma_danado:
            case Tipo_fallo::desconexion_en:
                break;
            case Tipo_fallo::ruido:
                m.fallos.semilla = c.semilla;
                m.fallos.prob_perdida_entrada = f.probabilidad;
                m.fallos.prob_corrupcion_entrada = f.probabilidad;
                m.fallos.prob_perdida_salida = f.probabilidad;
                m.fallos.prob_corrupcion_salida = f.probabilidad;
                break;
        }
    }
}

}  // namespace

const char* Nombre(Desenlace d) {
    switch (d) {
        case Desenlace::exito_verificado:
            return "success verified";
        case Desenlace::fallo_informado:
            return "failure reported";
        case Desenlace::exito_falso:
            return "FALSE SUCCESS";
        case Desenlace::fallo_mal_informado:
            return "FAILURE MISREPORTED";
        case Desenlace::colgado:
            return "HANG";
        case Desenlace::caido:
            return "CRASH";
        case Desenlace::modulo_no_oido:
            return "module unheard";
    }
    return "?";
}

const std::vector<uint8_t>& Eeprom_referencia(const Opciones_corrida& o, int tipo) {
    // The zone depends on the meter's region (its plan type): one reference for each.
    static std::map<int, std::vector<uint8_t>> referencias;
    auto it = referencias.find(tipo);
    if (it != referencias.end()) return it->second;
    sim::Config_medidor k;
    k.plan_tipo = static_cast<uint8_t>(tipo);
    k.plan_version = Plan_llevado(tipo);
    // A fault-free whole update: the run's own (possibly short) bound does not apply.
    constexpr int64_t kLimiteReferencia_us = 4LL * 3600 * 1'000'000;
    Banco b(k, std::max(o.limite_virtual_us, kLimiteReferencia_us), Textos_idiomas(o.fuentes));
    b.ventana->Button_buscar_puertoClick();
    b.ventana->Button_buscar_puertoClick();
    std::vector<uint8_t> e;
    if (b.ventana->resultado == Resultado_asistente::actualizado) {
        e = b.medidor->eeprom();
        // The other references, while a window is at hand.
        Area_fpga(*b.ventana);
        Imagen_hex();
    }
    return referencias.emplace(tipo, std::move(e)).first->second;
}

std::vector<std::string> Traza_protocolo(const Opciones_corrida& o) {
    sim::Config_medidor k;
    k.mpeg4.version_sw = 0x006E;
    k.us_programacion_mpeg4 = 30'000'000;
    Banco b(k, 4LL * 3600 * 1'000'000, Textos_idiomas(o.fuentes));
    b.enlace.registrar = true;
    b.vista.respuestas = {true, true};
    b.ventana->Button_buscar_puertoClick();
    b.ventana->Button_buscar_puertoClick();
    std::vector<std::string> lineas;
    std::string linea;
    bool sentido = false;
    size_t en_linea = 0;
    static const char* const kHex = "0123456789ABCDEF";
    for (const auto& byte : b.enlace.registro()) {
        if (linea.empty() || byte.hacia_medidor != sentido || en_linea == 32) {
            if (!linea.empty()) lineas.push_back(linea);
            sentido = byte.hacia_medidor;
            linea.assign(1, sentido ? '>' : '<');
            en_linea = 0;
        }
        linea += ' ';
        linea += kHex[byte.valor >> 4];
        linea += kHex[byte.valor & 15];
        ++en_linea;
    }
    if (!linea.empty()) lineas.push_back(linea);
    lineas.push_back("outcome " + std::to_string(static_cast<int>(b.ventana->resultado)));
    return lineas;
}

bool Preparar(const Opciones_corrida& o) {
    bool ok = true;
    for (int tipo = 0; tipo < 5; ++tipo) ok = !Eeprom_referencia(o, tipo).empty() && ok;
    return ok;
}

Informe Ejecutar(const Corrida& c, const Opciones_corrida& o) {
    const std::vector<uint8_t>& eeprom = Eeprom_referencia(o, c.config.plan_tipo % 5);
    Informe r;
    Banco b(c.config, o.limite_virtual_us, Textos_idiomas(o.fuentes));
    Tventana_cargador& v = *b.ventana;
    b.vista.respuestas.clear();
    if (c.plan.pregunta_planes) b.vista.respuestas.push_back(c.respuesta_planes);
    if (c.plan.borrado) b.vista.respuestas.push_back(c.respuesta_borrado);
    // A question this run did not expect (a damaged read can make the program see another
    // meter) is answered OK, as a technician would; the outcome is judged as any other.
    b.vista.respuestas.insert(b.vista.respuestas.end(), 2, true);
    Aplicar_fallos(c, b);
    bool colgado = false;
    try {
        v.Button_buscar_puertoClick();
        v.Button_buscar_puertoClick();
    } catch (const Colgado&) {
        colgado = true;
    }
    if (o.bitacora) {
        for (const auto& orden : b.medidor->registro) {
            std::ostringstream l;
            l << double(orden.t_us) / 1e6 << " " << orden.texto;
            r.bitacora.push_back(l.str());
        }
    }
    if (colgado) {
        r.desenlace = Desenlace::colgado;
        r.segundos_virtuales = double(b.reloj.us()) / 1e6;
        r.detalle = "past the bound of virtual time";
        return r;
    }
    r.segundos_virtuales = double(b.reloj.us()) / 1e6;
    auto& vista = b.vista;
    const bool abierto = v.sesion.puerto->Abierto();
    auto mal = [&](const std::string& por_que) {
        r.desenlace = Desenlace::fallo_mal_informado;
        r.detalle = por_que;
    };
    // The module's update alone is missing, and nothing of its answer came back.
    const bool no_oido =
        c.plan.mpeg4 && v.sesion.consultas->respuesta_mpeg4 == TConsultas::Respuesta_modulo::ninguna;
    const auto modulo_no_oido = [&](const std::string& detalle) {
        r.desenlace = Desenlace::modulo_no_oido;
        r.detalle = detalle + "; the module's answer never came, so it counted as absent";
    };
    Plan_esperado sin_modulo = c.plan;
    sin_modulo.mpeg4 = false;
    r.desenlace = Desenlace::fallo_informado;
    switch (v.resultado) {
        case Resultado_asistente::actualizado: {
            const std::string faltas =
                Faltas(c.plan, *b.medidor, v, eeprom.empty() ? nullptr : &eeprom);
            if (faltas == " mpeg4" && no_oido) {
                modulo_no_oido("updated without the module");
            } else if (!faltas.empty()) {
                r.desenlace = Desenlace::exito_falso;
                r.detalle = "updated, but missing:" + faltas;
            } else if (vista.imagen_actual != IMG_EXITO || abierto || v.ocupado) {
                mal("updated, but not shown as such or the link left open");
            } else {
                r.desenlace = Desenlace::exito_verificado;
            }
            break;
        }
        case Resultado_asistente::nada_que_hacer:
            if (sin_modulo.vacio() && no_oido) {
                modulo_no_oido("nothing to do");
            } else if (!c.plan.vacio()) {
                r.desenlace = Desenlace::exito_falso;
                r.detalle = "nothing to do, although the meter needs items";
            }
            break;
        case Resultado_asistente::fallo:
        case Resultado_asistente::firmware_sin_zona:
        case Resultado_asistente::detenido:
            if (v.resultado == Resultado_asistente::detenido && v.desenlace.escritos.empty() &&
                v.desenlace.no_escritos.empty()) {
                // Stopped before a run started: nothing may have been written.
                if (abierto || b.medidor->programaciones != 0 || b.medidor->hay("carga 144")) {
                    mal("stopped before the run, with the link open or something written");
                } else {
                    r.detalle = "stopped, nothing written";
                }
            } else if (vista.imagen_actual != IMG_FALLO || !Textos(vista, v, "P6_E4")) {
                mal("failure without the P6_E4 texts");
            } else if (abierto || v.ocupado) {
                mal("failure with the link left open or the window busy");
            } else if (v.resultado != Resultado_asistente::detenido &&
                       (!v.desenlace.fallido || v.desenlace.motivo.empty())) {
                mal("failure without its item and cause");
            } else if ((v.resultado == Resultado_asistente::firmware_sin_zona) !=
                       (v.desenlace.fallido == Elemento::zona &&
                        Tiene(v.desenlace.escritos, Elemento::firmware))) {
                mal("zone failure after the firmware not told as such");
            } else if (const std::string f = Faltas_escritos(*b.medidor, v, eeprom); !f.empty()) {
                mal("said written, but missing:" + f);
            } else {
                r.detalle = std::string(v.resultado == Resultado_asistente::detenido ? "stopped"
                                                                                     : "failure") +
                            (v.desenlace.fallido
                                 ? " (" + std::string(Nombre_elemento(*v.desenlace.fallido)) +
                                       ": " + v.desenlace.motivo + ")"
                                 : "");
            }
            break;
        case Resultado_asistente::enlace_perdido:
            if (abierto || b.medidor->programaciones != 0 || b.medidor->hay("carga 144")) {
                mal("link lost during the checks, with the link open or something written");
            } else {
                r.detalle = "link lost during the checks";
            }
            break;
        case Resultado_asistente::borrado_rechazado:
            if (!c.plan.rechaza_borrado) {
                mal("erase refused, but nobody refused it");
            } else if (!Textos(vista, v, "P6_E7") || abierto || b.medidor->programaciones != 0) {
                mal("erase refused without the P6_E7 texts, or something was written");
            } else {
                r.detalle = "erase refused (P6_E7)";
            }
            break;
        case Resultado_asistente::no_encontrado:
            if (!Textos(vista, v, v.sesion.respuesta_6d ? "P6_E5" : "P6_E1")) {
                mal("no meter, without its texts");
            } else if (abierto) {
                mal("no meter, with the link left open");
            } else {
                r.detalle = "no meter found";
            }
            break;
        case Resultado_asistente::detenido_nivel:
        case Resultado_asistente::detenido_dispositivo:
        case Resultado_asistente::no_permitido:
            if (vista.imagen_actual != IMG_DETENIDO || abierto) {
                mal("stopped by a check, without its picture or with the link open");
            } else if (v.resultado == Resultado_asistente::detenido_nivel && c.config.nivel >= 17) {
                mal("stopped by the level check, but the meter's level is " +
                    std::to_string(c.config.nivel));
            } else if (v.resultado == Resultado_asistente::detenido_dispositivo &&
                       (c.config.registro_sel8[1] & 0x80) == 0 &&
                       (c.config.registro_sel12[1] & 0x40) == 0) {
                mal("stopped by the device check, but the meter's device is ready");
            } else {
                r.detalle = "stopped by a check";
            }
            break;
        case Resultado_asistente::ninguno:
            if (abierto) {
                mal("no result");
            } else {
                r.detalle = "window closed";
            }
            break;
    }
    return r;
}

}  // namespace z82::campana
