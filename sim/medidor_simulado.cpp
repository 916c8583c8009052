// The meter's core: its memories, the queue of bytes towards the PC, timed work, faults on
// the cable, and the byte loop that hands each byte to the protocol of the current mode.
#include "sim/medidor_simulado.h"

#include <algorithm>
#include <cstdio>

#include "sim/enlace_simulado.h"

namespace z82::sim {

void partir_version(const std::string& v, std::string& primera, std::string& build) {
    const auto punto = v.rfind('.');
    if (punto == std::string::npos) {
        primera = v.substr(0, 4);
        build.clear();
        return;
    }
    primera = v.substr(0, std::min<size_t>(punto, 4));
    build = v.substr(punto + 1, 5);
}

Medidor_simulado::Medidor_simulado(const Config_medidor& c) : config(c) {
    respuesta_sonda_ = config.respuesta_sonda;
    iniciar_memorias();
    if (config.us_desconexion_propia >= 0) desconectar_en(config.us_desconexion_propia);
    fallos.silencio_desde_us = config.us_silencio;
}

void Medidor_simulado::iniciar_memorias() {
    ram_.assign(65536, 0);
    ram_[0xFEA0] = config.nivel;
    if (config.opciones_bit5) ram_[0x6010 + 26] |= 0x20;
    ram_[0x6030] = 0x01;
    ram_[0x6031] = config.byte_6031;

    // Firmware version block and region text (segment 0x18).
    auto& s18 = segmento_flash(0x18);
    std::fill(s18.begin(), s18.begin() + 0x20, uint8_t{0});
    for (size_t i = 0; i < 3 && i < config.region.size(); ++i)
        s18[0x0C + i] = static_cast<uint8_t>(config.region[i]);
    std::string primera, build;
    partir_version(config.version_firmware, primera, build);
    std::copy(primera.begin(), primera.end(), s18.begin() + 0x10);
    std::copy(build.begin(), build.end(), s18.begin() + 0x16);

    // Channel-plan header (segment 0x1E): count and version high byte first, then type.
    auto& s1e = segmento_flash(0x1E);
    std::fill(s1e.begin(), s1e.begin() + 16, uint8_t{0});
    s1e[0] = static_cast<uint8_t>(config.plan_cuenta >> 8);
    s1e[1] = static_cast<uint8_t>(config.plan_cuenta);
    s1e[2] = static_cast<uint8_t>(config.plan_version >> 8);
    s1e[3] = static_cast<uint8_t>(config.plan_version);
    s1e[4] = config.plan_tipo;

    // FPGA configuration directory (segment 0x30): one entry whose bytes 8 and 9 carry the
    // minor and major version.
    auto& s30 = segmento_flash(0x30);
    s30[0] = 1;
    s30[1] = 0;
    const uint8_t entrada[16] = {
        0, 0, 0x68, 0x01, 0x85, 0x30, 0x12, 0x01, config.fpga_menor, config.fpga_mayor,
        0, 0, 0,    0,    0xFF, 0xFF};
    std::copy(entrada, entrada + 16, s30.begin() + 2);

    eeprom_.assign(65536, 0xFF);
    // The profile area holds other bytes at every place, so that a profile read or
    // written at the wrong place shows (the format byte of profile 0, 0x0303, is not 11).
    for (size_t i = 0; i < 1024; ++i) {
        eeprom_[0x0300 + i] = static_cast<uint8_t>(i * 13 + i / 256 * 101 + 7);
    }
    eeprom_[0x020E] = config.idioma;
    eeprom_[0x0233] = config.dato_233;
    eeprom_[0x023B] = static_cast<uint8_t>(config.dato_23b);
    eeprom_[0x023C] = static_cast<uint8_t>(config.dato_23b >> 8);
    for (const auto& [dir, bytes] : config.eeprom_extra) {
        for (size_t i = 0; i < bytes.size(); ++i) eeprom_[(dir + i) & 0xFFFF] = bytes[i];
    }

    reg_sel8_ = config.registro_sel8;
    reg_sel12_ = config.registro_sel12;
}

std::vector<uint8_t>& Medidor_simulado::segmento_flash(uint8_t s) {
    auto& v = flash_[s & 63];
    if (v.empty()) v.assign(TAM_SEGMENTO, 0xFF);
    return v;
}

std::vector<uint8_t>& Medidor_simulado::segmento_preparado(uint8_t s) {
    auto& v = preparado_[s];
    if (v.empty()) v.assign(TAM_SEGMENTO, 0xFF);
    return v;
}

namespace {
const std::vector<uint8_t>& segmento_borrado() {
    static const std::vector<uint8_t> v(Medidor_simulado::TAM_SEGMENTO, 0xFF);
    return v;
}
}  // namespace

std::span<const uint8_t> Medidor_simulado::flash(uint8_t segmento) const {
    const auto& v = segmento < 64 ? flash_[segmento] : segmento_borrado();
    return v.empty() ? segmento_borrado() : v;
}

std::span<const uint8_t> Medidor_simulado::preparado(uint8_t segmento) const {
    const auto& v = preparado_[segmento];
    return v.empty() ? segmento_borrado() : v;
}

size_t Medidor_simulado::contar(std::string_view prefijo) const {
    return static_cast<size_t>(std::count_if(registro.begin(), registro.end(), [&](const auto& o) {
        return std::string_view(o.texto).substr(0, prefijo.size()) == prefijo;
    }));
}

void Medidor_simulado::anotar(int64_t t_us, std::string texto) {
    ignorando_ = false;  // the next ignored byte starts a new run
    if (al_anotar) al_anotar(t_us, texto);
    registro.push_back({t_us, std::move(texto)});
}

// ---- bytes towards the PC ----

void Medidor_simulado::emitir(const std::vector<uint8_t>& bytes, int64_t t_us, bool en_cola) {
    int64_t t = t_us;
    for (uint8_t b : bytes) {
        // One byte after the other on the wire: never two at the same instant. A byte
        // that the meter sends on its own at a fixed instant does not hold up the others.
        if (en_cola) t = std::max(t, fin_linea_us_ + Enlace_simulado::US_POR_BYTE);
        for (const Byte_en_cable& c : inyector_.aplicar(Sentido::hacia_pc, b, t)) {
            if (fallos.silencio_desde_us >= 0 && c.t_us >= fallos.silencio_desde_us) continue;
            if (en_cola) fin_linea_us_ = std::max(fin_linea_us_, c.t_us);
            const Pendiente p{c.t_us, c.valor};
            if (salida_.empty() || salida_.back().t_us <= p.t_us) {
                salida_.push_back(p);
            } else {
                auto pos =
                    std::upper_bound(salida_.begin(), salida_.end(), p.t_us,
                                     [](int64_t x, const Pendiente& q) { return x < q.t_us; });
                salida_.insert(pos, p);
            }
        }
        t += Enlace_simulado::US_POR_BYTE;
    }
}

void Medidor_simulado::responder(const std::vector<uint8_t>& bytes, int64_t t_us) {
    emitir(bytes, t_us + config.us_latencia);
}

void Medidor_simulado::programar(int64_t t_us, std::function<void()> trabajo) {
    trabajos_.emplace(t_us, std::move(trabajo));
}

void Medidor_simulado::avanzar(int64_t t_us) {
    while (!trabajos_.empty() && trabajos_.begin()->first <= t_us) {
        auto trabajo = std::move(trabajos_.begin()->second);
        trabajos_.erase(trabajos_.begin());
        trabajo();
    }
}

bool Medidor_simulado::proxima_salida(int64_t& t_us) {
    if (salida_.empty()) return false;
    t_us = salida_.front().t_us;
    return true;
}

size_t Medidor_simulado::tomar_salida(uint8_t* destino, size_t max, int64_t t_us) {
    avanzar(t_us);
    size_t n = 0;
    while (n < max && !salida_.empty() && salida_.front().t_us <= t_us) {
        destino[n++] = salida_.front().valor;
        salida_.pop_front();
    }
    return n;
}

// ---- bytes from the PC ----

void Medidor_simulado::rts(bool activo, int64_t t_us) {
    avanzar(t_us);
    if (activo) ++flancos_rts;
}

void Medidor_simulado::conexion(bool abierta, int64_t t_us) {
    avanzar(t_us);
    anotar(t_us, abierta ? "puerto abierto" : "puerto cerrado");
}

void Medidor_simulado::recibir(const uint8_t* datos, size_t n, int64_t t_us) {
    for (size_t i = 0; i < n; ++i) {
        avanzar(t_us);
        if (fallos.silencio_desde_us >= 0 && t_us >= fallos.silencio_desde_us) continue;
        for (const Byte_en_cable& c : inyector_.aplicar(Sentido::hacia_medidor, datos[i], t_us)) {
            // A late byte holds up the ones behind it: the line keeps its order.
            const int64_t t = std::max(c.t_us, ultima_entrada_us_);
            ultima_entrada_us_ = t;
            procesar_byte(c.valor, t);
        }
    }
}

void Medidor_simulado::ignorar(uint8_t b, int64_t t_us) {
    ++bytes_ignorados;
    if (!ignorando_) {
        char texto[24];
        std::snprintf(texto, sizeof texto, "ignorado %02X", b);
        anotar(t_us, texto);
        ignorando_ = true;
    }
}

void Medidor_simulado::procesar_byte(uint8_t b, int64_t t_us) {
    avanzar(t_us);
    if (t_us < ocupado_hasta_us_) {
        ignorar(b, t_us);  // busy programming: the meter does not listen
        return;
    }
    if (!trama_.empty() && t_us - ultimo_byte_us_ > config.us_pausa_trama) {
        anotar(t_us, "trama incompleta");
        trama_.clear();
    }
    ultimo_byte_us_ = t_us;
    trama_.push_back(b);
    switch (modo_) {
        case Modo::espera:
            procesar_espera(t_us);
            break;
        case Modo::normal:
            procesar_normal(t_us);
            break;
        case Modo::arranque:
            procesar_arranque(t_us);
            break;
        case Modo::cargador:
            procesar_cargador(t_us);
            break;
        case Modo::mpeg4:
            procesar_mpeg4(t_us);
            break;
    }
}

void Medidor_simulado::reiniciar(int64_t t_us) {
    anotar(t_us, "reinicio");
    salida_.clear();
    trabajos_.clear();
    trama_.clear();
    modo_ = Modo::espera;
    ocupado_hasta_us_ = 0;
    fin_linea_us_ = t_us;
    pantalla_activa_ = false;
}

void Medidor_simulado::desconectar_en(int64_t t_us) {
    emitir({0x0A}, t_us, false);
    programar(t_us, [this, t_us] {
        if (modo_ == Modo::normal) {
            anotar(t_us, "desconexion propia");
            modo_ = Modo::espera;
            trama_.clear();
        }
    });
}

}  // namespace z82::sim
