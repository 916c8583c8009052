// Composition of the default-parameter block and of the measurement profiles.
#include <cstring>
#include <initializer_list>
#include <string>

#include "defaults/tfparam_defecto.h"

namespace z82 {

namespace {

// Writes bytes in order into a buffer, little-endian for multi-byte values.
class Escritor {
  public:
    Escritor(uint8_t* base, size_t capacidad) : base_(base), capacidad_(capacidad) {}

    void byte(int v) {
        if (pos_ < capacidad_) base_[pos_] = static_cast<uint8_t>(v);
        ++pos_;
    }
    void bytes(std::initializer_list<int> vs) {
        for (int v : vs) byte(v);
    }
    void ceros(int n) { repetir(0x00, n); }
    void repetir(int v, int n) {
        for (int i = 0; i < n; ++i) byte(v);
    }
    void u16(int v) {
        byte(v & 0xFF);
        byte((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) byte(static_cast<int>((v >> (8 * i)) & 0xFF));
    }
    void saltar(int n) { pos_ += static_cast<size_t>(n); }
    size_t pos() const { return pos_; }

    // End mark, length at offset 1 (end mark offset + 2) and the XOR of everything before.
    void cerrar(int marca, bool longitud_16) {
        byte(marca);
        const size_t longitud = pos_ + 1;
        base_[1] = static_cast<uint8_t>(longitud);
        if (longitud_16) base_[2] = 0;
        uint8_t x = 0;
        for (size_t i = 0; i < pos_; ++i) x = static_cast<uint8_t>(x ^ base_[i]);
        byte(x);
    }

  private:
    uint8_t* base_;
    size_t capacidad_;
    size_t pos_ = 0;
};

constexpr int VALORES_DIEZ[10] = {95, 250, 450, 650, 750, 1000, 1200, 1400, 1800, 2100};
constexpr uint8_t BLOQUE_81[15] = {0x0A, 0x06, 0x00, 0x00, 0x0A, 0x32, 0x00, 0x19,
                                   0x00, 0x01, 0x07, 0x00, 0x01, 0x01, 0x00};

void Tabla_t(Escritor& e, int idioma) {
    static constexpr int T2[8] = {1178, 1280, 1382, 1484, 1586, 1688, 1790, 1892};
    static constexpr int T5[8] = {1210, 1420, 1680, 2040, 1586, 1688, 1790, 1892};
    static constexpr int TX[8] = {1680, 1420, 2040, 1210, 1680, 1420, 2040, 1210};
    const int* t = idioma == 2 ? T2 : idioma == 5 ? T5 : TX;
    for (int i = 0; i < 8; ++i) e.u16(t[i]);
}

void Bloque_comun(Escritor& e) {
    for (uint8_t b : BLOQUE_81) e.byte(b);
}

}  // namespace

void TFParam_defecto::Construir_parametros(int idioma) {
    Construir_parametros(parametros, idioma, medidor_);
}

void TFParam_defecto::Construir_perfil(int slot, int idioma) {
    Construir_perfil(perfiles, slot, idioma, medidor_.es_usa);
}

void TFParam_defecto::Construir_parametros(std::array<uint8_t, 256>& parametros, int idioma,
                                           const Datos_medidor& c) {
    const bool usa = c.es_usa;
    const bool plan_nuevo =
        c.tipo_plan_medidor == 0 && (c.plan_medidor >= 110 || c.plan_esperado >= 110);

    int p = 0;
    if (usa) {
        p = 11;
    } else if (idioma == 1) {
        p = 2;
    } else if (idioma == 3) {
        p = plan_nuevo ? 25 : 13;
    } else if (idioma == 7) {
        p = 8;
    } else {
        p = plan_nuevo ? 11 : 2;
    }
    int s = 0, w = 0;
    if (usa) {
        s = 6, w = 4500;
    } else if (c.dato_232_ok) {
        s = c.dato_232, w = c.dato_23b;
    } else if (idioma == 7) {
        s = 1, w = 6500;
    } else {
        s = 0, w = 5500;
    }
    int region = 0;
    if (!usa) region = idioma == 4 ? 1 : idioma == 5 ? 3 : idioma == 7 ? 2 : 0;

    Escritor e(parametros.data(), parametros.size());
    e.bytes({0xA0, 0x00, 0x00, 0x4D, 0x05, usa ? 0x0F : 0x00, 0x01, usa ? 0x01 : 0x00, 0x01, 0x0A,
             0x32, 0x32, 0x32, usa ? 0x00 : 0x01, idioma & 0xFF, 0x32, 0x32, 0x00});
    e.u32(455250);
    e.u32(455250);
    e.u32(1500000);
    e.u32(95000);
    e.bytes({region, p, 0x10});
    e.ceros(4);
    e.bytes({usa ? 0x0F : 0x01, 0x03, 0x00, 0x00, 0x12, 0x00, 0x0F, 0x0A, 0x00, 0x20, s,
             usa ? 0x03 : 0x00, 0x00, 0x01, 0x3E, 0x17, 0x00, 0x00});
    e.u16(w);
    e.bytes({0x00, 0x0A, 0x00, 0x00, 0x00});

    if (!usa) {
        e.byte(idioma == 4 || (idioma == 1 && c.tipo_plan_medidor == 4) ? 9 : 0);
        if (c.opciones_bit5_libre) {
            e.bytes({0x06, 0x07});
        } else {
            e.bytes({0x02, 0x04});
        }
        e.bytes({0x02, 0x00, 0x00, 0x00, 0x06, 0x02});
        e.ceros(6);
        Bloque_comun(e);
        e.bytes({0x01, 0x02, 0x00, 0x01, 0x32, 0x00});
        e.bytes({0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x32, 0xFF, 0xFF, 0x00});
        Tabla_t(e, idioma);
        e.ceros(18);
        e.repetir(0xFF, 9);
        e.ceros(12);
    } else {
        e.bytes({0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x06, 0x02, 0x02});
        e.ceros(7);
        Bloque_comun(e);
        e.bytes({0x01, 0x02, 0x00, 0x01, 0x32, 0x01});
        e.bytes({0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x32, 0xFF, 0xFF, 0x00});
        Tabla_t(e, idioma);
        e.ceros(30);
        e.repetir(0xFF, 9);
        e.ceros(12);
        e.byte(0x01);
    }
    e.bytes({0x0A, 0x00, 0xFF, 0x00});
    for (int v : VALORES_DIEZ) e.u16(v);
    e.ceros(36);
    e.byte(0xFF);
    e.cerrar(0xFA, true);
}

namespace {

struct Nombres_perfil {
    const char* a;
    const char* b;
    const char* c;
};

// Single-byte texts: row 4 in ISO 8859-1, row 7 in ISO 8859-5, row 8 in ISO 8859-2.
constexpr Nombres_perfil NOMBRES[10] = {
    {"Toma", "Cabecera", "Perfil"},
    {"Outlet", "Head-end", "Profile"},
    {"Steckdose", "Kopfstation", "Profile"},
    {"Tomada", "Central", "Perfil"},
    {"Prise", "Station de t\xEAte", "Profil"},
    {"Presa", "Centrale", "Profilo"},
    {"Outlet", "Head-end", "Profile"},
    {"\xC0\xDE\xD7\xD5\xE2\xDA\xD0", "\xB3\xDE\xDB\xDE\xD2\x20\xE1\xE2\xD0\xDD\xE6\xD8\xEF",
     "\xBF\xE0\xDE\xE4\xD8\xDB\xEC"},
    {"Gniazdo", "Stacja czo\xB3owa", "profil"},
    {"Outlet", "Head-end", "Profile"},
};

}  // namespace

void TFParam_defecto::Construir_perfil(std::array<uint8_t, TAMANO_SLOT * SLOTS>& perfiles, int slot,
                                       int idioma, bool usa) {
    if (slot < 0 || slot >= SLOTS) slot = 0;
    // The window keeps the index within 0..9; anything else is read as it reads it, 1.
    if (idioma < 0 || idioma > 9) idioma = 1;
    uint8_t* base = perfiles.data() + slot * TAMANO_SLOT;
    Escritor e(base, TAMANO_SLOT);
    e.bytes({0xBA, 0x00, 0x00, 0x0B});

    // The name: NUL-terminated, cut to its 8-byte field; after the NUL of a shorter text
    // the field keeps what it held.
    const Nombres_perfil& n = NOMBRES[idioma];
    const char* sufijo = slot == 2 ? "1" : slot == 3 ? "2" : "";
    const char* raiz = slot == 0 ? n.a : slot == 1 ? n.b : n.c;
    const std::string texto = std::string(raiz) + sufijo;
    const size_t largo = texto.size() + 1;  // with its NUL
    std::memcpy(base + 4, texto.c_str(), largo < 8 ? largo : 8);
    e.saltar(8);

    const bool s1 = slot == 1;
    const int v1[34] = {570, s1 ? 1150 : 750,
                        470, s1 ? 1200 : 800,
                        430, 350,
                        80,  200,
                        50,  250,
                        400, 350,
                        450, s1 ? 1150 : 650,
                        350, s1 ? 1200 : 700,
                        250, 200,
                        470, s1 ? 1050 : 730,
                        400, s1 ? 1100 : 770,
                        110, 60,
                        470, s1 ? 1050 : 730,
                        400, s1 ? 1100 : 770,
                        450, s1 ? 1150 : 650,
                        400, s1 ? 1200 : 700,
                        380, 330};
    for (int v : v1) e.u16(v);
    if (usa) {
        for (int v : {250, 200, 590, 420, 200, 170}) e.u16(v);
        e.saltar(4);  // two values the meter keeps
    } else {
        for (int v : {250, 200, 450, 350, 590, 420, 230, 200}) e.u16(v);
    }
    for (int v : {190, 150, 550, 450, 250, 230, 110, 60,  450, 350, 590, 420, 90,
                  70,  110, 60,  15,  30,  450, 350, 450, 350, 90,  70,  450, 350}) {
        e.u16(v);
    }
    if (usa) {
        for (int v : {590, 420, 50, 30}) e.u16(v);
    }
    for (int v : {20, 5, -15, -20, 670, 850, 570, 900}) e.u16(v);
    e.cerrar(0xCA, false);
}

}  // namespace z82
