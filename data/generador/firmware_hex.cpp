// The stand-in for the meter's main firmware: an Intel HEX text with the record counts,
// the length, the segments and the version block of the firmware the program carries.
//
// The image is made of sections, each one introduced by its extended linear address
// record (the firmware's linker writes one before every section, so most segments are
// introduced several times), in ascending address order; one last address record back
// to 0 comes before the end record. A section is a run of 32-byte data records ended by one
// shorter record; the version section at the start of segment 0x18 begins with the
// records of the version block (16, 6, 6 and 4 bytes at 0x00, 0x10, 0x16, 0x1C).
#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>

#include "data/generador/comun.h"

namespace z82::generador {
namespace {

// What the firmware the program carries looks like.
constexpr uint32_t REGISTROS_DATOS = 55'772;
constexpr uint32_t DIRECCIONES = 608;            // extended linear address records
constexpr uint32_t SECCIONES = DIRECCIONES - 1;  // the last one, to 0, closes the image
constexpr uint32_t BYTES_DATOS = 1'774'266;
constexpr uint32_t POR_REGISTRO = 32;
constexpr uint8_t SEGMENTO_VERSION = 0x18;
// The version block splits one 32-byte record into four.
constexpr uint32_t REGISTROS_EXTRA_VERSION = 3;

enum class Contenido { codigo, tablas, recursos };

struct Segmento {
    uint8_t numero;
    uint32_t peso;  // share of the data records
    Contenido contenido;
};

struct Seccion {
    uint8_t segmento = 0;
    uint32_t inicio = 0;
    uint32_t completos = 0;  // 32-byte records
    uint32_t resto = 0;      // bytes of the closing record, 1 .. 32
    bool version = false;
    uint32_t Largo() const { return completos * POR_REGISTRO + resto; }
};

// Segments in the order the image carries them, ascending: the code from segment 2 on,
// the version block and tables, and the resources above the plan sectors 0x1E and 0x1F.
// Segments 0 and 1 belong to the meter's boot code, which the image does not carry.
std::vector<Segmento> Segmentos(Aleatorio& a) {
    std::vector<Segmento> v;
    for (uint8_t s = 0x02; s <= 0x17; ++s) v.push_back({s, 96 + a.Entre(0, 8), Contenido::codigo});
    v.push_back({0x18, 60, Contenido::tablas});
    for (uint8_t s = 0x19; s <= 0x1D; ++s) v.push_back({s, 40 + a.Entre(0, 20), Contenido::tablas});
    for (uint8_t s = 0x20; s <= 0x2F; ++s) {
        v.push_back({s, 15 + a.Entre(0, 20), Contenido::recursos});
    }
    return v;
}

// Splits total into parts proportional to the weights (largest remainder), each part at
// least minimo.
std::vector<uint32_t> Repartir(uint32_t total, const std::vector<uint32_t>& pesos,
                               uint32_t minimo) {
    const uint64_t suma = std::accumulate(pesos.begin(), pesos.end(), uint64_t{0});
    const uint32_t libre = total - minimo * static_cast<uint32_t>(pesos.size());
    std::vector<uint32_t> partes(pesos.size());
    std::vector<std::pair<uint64_t, size_t>> restos;
    uint32_t dado = 0;
    for (size_t i = 0; i < pesos.size(); ++i) {
        const uint64_t exacto = uint64_t{libre} * pesos[i];
        partes[i] = minimo + static_cast<uint32_t>(exacto / suma);
        dado += partes[i];
        restos.push_back({exacto % suma, i});
    }
    std::stable_sort(restos.begin(), restos.end(),
                     [](const auto& x, const auto& y) { return x.first > y.first; });
    for (size_t k = 0; dado < total; ++k, ++dado) ++partes[restos[k % restos.size()].second];
    return partes;
}

std::vector<Seccion> Disponer(Aleatorio& a, const std::vector<Segmento>& segs) {
    std::vector<uint32_t> pesos;
    for (const auto& s : segs) pesos.push_back(s.peso);
    const uint32_t completos_total =
        REGISTROS_DATOS - REGISTROS_EXTRA_VERSION - SECCIONES;  // one closing record each
    const auto completos_seg = Repartir(completos_total, pesos, 1);
    const auto secciones_seg = Repartir(SECCIONES, pesos, 1);

    std::vector<Seccion> todas;
    for (size_t k = 0; k < segs.size(); ++k) {
        std::vector<uint32_t> p(secciones_seg[k]);
        for (auto& x : p) x = a.Entre(1, 100);
        const auto completos = Repartir(completos_seg[k], p, 0);
        for (uint32_t c : completos) {
            Seccion s;
            s.segmento = segs[k].numero;
            s.completos = c;
            todas.push_back(s);
        }
        if (segs[k].numero == SEGMENTO_VERSION) {
            // The version section comes first in its segment and holds the version block.
            Seccion& v = todas[todas.size() - completos.size()];
            v.version = true;
            if (v.completos == 0) Fallo("the version section has no room for its block");
        }
    }

    // Closing records: random lengths, then nudged until the byte total is exact.
    const uint64_t meta = BYTES_DATOS - uint64_t{completos_total} * POR_REGISTRO;
    uint64_t suma = 0;
    for (auto& s : todas) suma += (s.resto = a.Entre(1, POR_REGISTRO));
    for (size_t i = 0; suma != meta; i = (i + 7) % todas.size()) {
        if (suma > meta && todas[i].resto > 1) --todas[i].resto, --suma;
        if (suma < meta && todas[i].resto < POR_REGISTRO) ++todas[i].resto, ++suma;
    }

    // Addresses: the gaps share out what the sections leave free in their segment.
    for (size_t ini = 0; ini < todas.size();) {
        size_t fin = ini;
        while (fin < todas.size() && todas[fin].segmento == todas[ini].segmento) ++fin;
        uint32_t ocupado = 0;
        for (size_t i = ini; i < fin; ++i) ocupado += todas[i].Largo() + 3;  // room to align
        if (ocupado > 0x10000) Fallo("a segment of the firmware image is overfull");
        std::vector<uint32_t> p(fin - ini + 1);
        for (auto& x : p) x = a.Entre(1, 100);
        const auto huecos = Repartir(0x10000 - ocupado, p, 0);
        uint32_t dir = 0;
        for (size_t i = ini; i < fin; ++i) {
            if (!todas[i].version) dir += huecos[i - ini];
            dir = (dir + 3) & ~3u;
            todas[i].inicio = dir;
            dir += todas[i].Largo();
        }
        if (dir > 0x10000) Fallo("a section of the firmware image runs past its segment");
        ini = fin;
    }
    return todas;
}

const char* const VOCABULARIO[] = {
    "CANAL",     "NIVEL",        "MER",       "BER",       "C/N",       "ESPECTRO", "LNB",
    "DISEQC",    "SATELITE",     "TERRESTRE", "PLAN",      "MEDIDA",    "BATERIA",  "CARGANDO",
    "ALARMA",    "FRECUENCIA",   "SIMBOLOS",  "IDIOMA",    "MEMORIA",   "VIDEO",    "AUDIO",
    "TELETEXTO", "CONSTELACION", "ECO",       "ATENUADOR", "dBuV",      "MHz",      "kBd",
    "QPSK",      "8PSK",         "QAM64",     "QAM256",    "COFDM",     "DVB-T",    "DVB-S2",
    "DVB-C",     "ERROR %d",     "OK",        "NO SENAL",  "BLOQUEADO", "%3d.%02d", "%s:%s"};

void Tablas(Aleatorio& a, Bytes& v, size_t n) {
    while (v.size() < n) {
        switch (a.Entre(0, 3)) {
            case 0: {  // strings of the meter's menus
                const char* w = VOCABULARIO[a.Entre(0, std::size(VOCABULARIO) - 1)];
                for (const char* p = w; *p; ++p) v.push_back(static_cast<uint8_t>(*p));
                v.push_back(0);
                break;
            }
            case 1: {  // ascending 16-bit calibration points
                uint32_t x = a.Entre(0, 2000);
                for (int k = 0, m = static_cast<int>(a.Entre(4, 24)); k < m; ++k) {
                    x += a.Entre(1, 300);
                    v.push_back(static_cast<uint8_t>(x));
                    v.push_back(static_cast<uint8_t>(x >> 8));
                }
                break;
            }
            case 2: {  // pointers into the code segments
                for (int k = 0, m = static_cast<int>(a.Entre(2, 12)); k < m; ++k) {
                    const uint32_t p = a.Entre(0x20000, 0x17FFFF) & ~1u;
                    for (int b = 0; b < 4; ++b) v.push_back(static_cast<uint8_t>(p >> (8 * b)));
                }
                break;
            }
            default:  // small signed coefficients
                for (int k = 0, m = static_cast<int>(a.Entre(8, 32)); k < m; ++k) {
                    v.push_back(static_cast<uint8_t>(static_cast<int>(a.Entre(0, 64)) - 32));
                }
        }
    }
    v.resize(n);
}

void Recursos(Aleatorio& a, Bytes& v, size_t n) {
    // Glyphs and icons: mostly blank rows, some solid, some drawn.
    while (v.size() < n) {
        const uint32_t t = a.Entre(0, 9);
        const uint8_t b = t < 4 ? 0x00 : t < 5 ? 0xFF : static_cast<uint8_t>(a.Byte() & a.Byte());
        for (uint32_t k = 0, m = a.Entre(1, 8); k < m; ++k) v.push_back(b);
    }
    v.resize(n);
}

Bytes Llenar(Aleatorio& a, Contenido c, const Seccion& s) {
    Bytes v;
    const size_t n = s.Largo();
    v.reserve(n + 64);
    size_t desde = 0;
    if (s.version) {
        // The version block: a title, "1.88" and "00004" each ended by a zero.
        const char bloque[32] =
            "Z82 FIRMWARE\0\0\0\0"
            "1.88\0\0"
            "00004\0"
            "\0\0\0";
        v.assign(bloque, bloque + 32);
        desde = 32;
    }
    switch (c) {
        case Contenido::codigo:
            Codigo(a, v, n - desde);
            v.resize(n);
            break;
        case Contenido::tablas:
            Tablas(a, v, n);
            break;
        case Contenido::recursos:
            Recursos(a, v, n);
            break;
    }
    if (c == Contenido::codigo && desde > 0) Fallo("the version block is not in a table segment");
    return v;
}

void Registro(std::string& t, uint8_t tipo, uint16_t dir, const uint8_t* d, size_t n) {
    static const char H[] = "0123456789ABCDEF";
    unsigned suma = static_cast<unsigned>(n) + (dir >> 8) + (dir & 0xFF) + tipo;
    auto par = [&](unsigned b) {
        t.push_back(H[(b >> 4) & 0xF]);
        t.push_back(H[b & 0xF]);
    };
    t.push_back(':');
    par(static_cast<unsigned>(n));
    par(dir >> 8);
    par(dir & 0xFF);
    par(tipo);
    for (size_t i = 0; i < n; ++i) {
        par(d[i]);
        suma += d[i];
    }
    par((0x100 - (suma & 0xFF)) & 0xFF);
    t += "\r\n";
}

}  // namespace

std::string Generar_firmware_hex() {
    Aleatorio a(0x5A3832F1A5B0188ull);
    const auto segs = Segmentos(a);
    const auto secciones = Disponer(a, segs);

    std::string t;
    t.reserve(4'300'000);
    for (const auto& s : secciones) {
        const auto seg = std::find_if(segs.begin(), segs.end(),
                                      [&](const Segmento& x) { return x.numero == s.segmento; });
        const Bytes d = Llenar(a, seg->contenido, s);
        const uint8_t ela[2] = {0x00, s.segmento};
        Registro(t, 0x04, 0x0000, ela, 2);
        size_t i = 0;
        if (s.version) {
            for (size_t n : {16, 6, 6, 4}) {
                Registro(t, 0x00, static_cast<uint16_t>(s.inicio + i), d.data() + i, n);
                i += n;
            }
        }
        while (i < d.size()) {
            const size_t n = std::min<size_t>(POR_REGISTRO, d.size() - i);
            Registro(t, 0x00, static_cast<uint16_t>(s.inicio + i), d.data() + i, n);
            i += n;
        }
    }
    // The linker resets the upper address word before the end record.
    const uint8_t cero[2] = {0x00, 0x00};
    Registro(t, 0x04, 0x0000, cero, 2);
    Registro(t, 0x01, 0x0000, nullptr, 0);
    return t;
}

}  // namespace z82::generador
