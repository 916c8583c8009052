#include "plans/planes.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "data/imagenes.h"
#include "plans/imagen_planes.h"

namespace z82 {
namespace {

namespace fp = formato_planes;

struct Esperado {
    const char* nombre;
    size_t canales;
    uint16_t clase;
};

// The plans each image must hold, in directory order.
const std::vector<std::vector<Esperado>> PLANES = {
    {{"CCIR", 101, 0},      {"CCIR+LTE", 104, 0},  {"STDL", 59, 0},       {"OIRT", 99, 0},
     {"KBW", 101, 0},       {"FCC", 68, 0},        {"DAB", 41, 0},        {"TSTGEN1", 2, 0},
     {"TSTGEN2", 8, 0},     {"68E INTELC", 67, 2}, {"68E INTEL", 35, 2},  {"42E TURK", 161, 2},
     {"39E HELLAS", 53, 2}, {"33E EUTEL", 55, 2},  {"28E EUTEL", 38, 2},  {"28E ASTRA", 96, 2},
     {"26E BADR", 96, 2},   {"25E EUTEL", 12, 2},  {"23E ASTRA", 99, 2},  {"21E EUTEL", 69, 2},
     {"19E ASTRA", 124, 2}, {"16E EUTEL", 154, 2}, {"13E HOTB", 105, 2},  {"10E EUTELC", 9, 2},
     {"10E EUTEL", 192, 2}, {"09E EUTEL", 35, 2},  {"07E EUTEL", 128, 2}, {"04E ASTRA", 72, 2},
     {"01W THOR5", 21, 2},  {"01W THOR6", 35, 2},  {"05W EUTELC", 26, 2}, {"05W EUTEL", 66, 2},
     {"07W NILE", 74, 2},   {"12W EUTEL", 101, 2}, {"30W HISPA", 132, 2}, {"48W AMAZC", 20, 2},
     {"48W AMAZ", 42, 2},   {"TSTGEN3", 15, 2}},
    {{"CCIR", 101, 0},     {"PH TERR", 82, 0},    {"STDL", 59, 0},       {"OIRT", 99, 0},
     {"CCIR-IT", 60, 0},   {"DAB", 41, 0},        {"TSTGEN1", 2, 0},     {"TSTGEN2", 8, 0},
     {"ASIASAT3", 18, 2},  {"ASIASAT3C", 39, 2},  {"ASIASAT4", 18, 2},   {"ASIASAT4C", 8, 2},
     {"ASIASAT5", 8, 2},   {"ASIASAT5C", 52, 2},  {"CHINASAT6C", 46, 2}, {"INTELSAT5C", 7, 2},
     {"INTELSAT8", 14, 2}, {"INTELSAT8C", 33, 2}, {"KOREASAT5", 12, 2},  {"MEASAT3", 25, 2},
     {"MEASAT3C", 22, 2},  {"NS111", 23, 2},      {"TELKOM1C", 26, 2},   {"TSTGEN3", 15, 2}},
    {{"FCC STD", 190, 0},      {"FCC RETURN", 8, 0},     {"FCC IRC", 191, 0},
     {"FCC HRC", 189, 0},      {"FCC OFFAIR", 59, 0},    {"CCIR", 101, 0},
     {"DirTV 72\xB0", 1, 2},   {"DirTV 99\xB0", 14, 10}, {"DirTV101\xB0", 32, 2},
     {"DirTV103\xB0", 17, 10}, {"DirTV110\xB0", 1, 2},   {"DirTV119\xB0", 7, 2},
     {"DirTV_SWM8", 9, 2},     {"Dish 61,5\xB0", 32, 2}, {"Dish 72,7\xB0", 24, 2},
     {"Dish 77\xB0", 32, 2},   {"Dish105\xB0", 24, 6},   {"Dish110\xB0", 29, 2},
     {"Dish118,7\xB0", 32, 6}, {"Dish119\xB0", 21, 2},   {"Dish121\xB0", 32, 6},
     {"Dish129\xB0", 32, 2},   {"Dish148\xB0", 32, 2},   {"TSTGEN3", 15, 2}},
    {{"CCIR", 101, 0},      {"STDL", 59, 0},       {"OIRT", 99, 0},        {"CCIR-IT", 60, 0},
     {"FCC", 68, 0},        {"DAB", 41, 0},        {"TSTGEN1", 2, 0},      {"TSTGEN2", 8, 0},
     {"ABS1", 16, 2},       {"ABS1C", 7, 2},       {"AMOS2/3", 65, 2},     {"ASTRA19", 120, 2},
     {"ASTRA23 1E", 10, 2}, {"ASTRA28", 94, 2},    {"ASTRA31 1D", 27, 2},  {"BONUM1", 7, 2},
     {"EUROBIRD9A", 21, 2}, {"EUTELSATW3", 97, 2}, {"EUTELSATW4", 102, 2}, {"EXP.AM33", 15, 2},
     {"EXP.AM33C", 12, 2},  {"EXPRESA2C", 2, 2},   {"EXPRESAM1", 33, 2},   {"EXPRESAM1C", 20, 2},
     {"EXPRESAM2", 15, 2},  {"EXPRESAM22", 39, 2}, {"EXPRESAM2C", 3, 2},   {"EXPRESAM3", 10, 2},
     {"EXPRESAM3C", 11, 2}, {"HOTBIRD6", 25, 2},   {"I.SAT10-2", 46, 2},   {"I.SAT10-2C", 6, 2},
     {"INTELS4", 12, 2},    {"INTELS4C", 6, 2},    {"INTELS904", 31, 2},   {"INTELS904C", 6, 2},
     {"SIRIUS4", 65, 2},    {"THOR2", 4, 2},       {"THOR3", 13, 2},       {"THOR5", 21, 2},
     {"YAMAL201", 16, 2},   {"YAMAL201C", 28, 2},  {"YAMAL202C", 21, 2},   {"TSTGEN3", 15, 2}},
    {{"CCIR AUS", 112, 0},
     {"CCIR NZ", 98, 0},
     {"FOXTEL TDT", 32, 0},
     {"DAB", 41, 0},
     {"TSTGEN1", 2, 0},
     {"TSTGEN2", 8, 0},
     {"ASIASAT 3", 20, 2},
     {"ASIASAT 3C", 40, 2},
     {"INTELSAT8", 18, 2},
     {"INTELSAT8C", 32, 2},
     {"OPTUS C1", 20, 2},
     {"OPTUS D1", 42, 2},
     {"OPTUS D2", 19, 2},
     {"OPTUS D3", 24, 2},
     {"TSTGEN3", 15, 2}},
};
const std::array<uint16_t, 5> VERSIONES = {112, 103, 122, 102, 111};

Imagen_planes Decodificar(int tipo) {
    std::string error;
    auto im = Decodificar_planes(datos::imagen_planes(tipo), &error);
    EXPECT_TRUE(im.has_value()) << tipo << ": " << error;
    return im.value_or(Imagen_planes{});
}

const Plan_canales* Buscar(const Imagen_planes& im, const std::string& nombre) {
    for (const auto& p : im.planes) {
        if (p.nombre == nombre) return &p;
    }
    return nullptr;
}

const Canal_plan* Buscar(const Plan_canales& p, const std::string& nombre) {
    for (const auto& c : p.canales) {
        if (c.nombre == nombre) return &c;
    }
    return nullptr;
}

TEST(Planes, SecondSectorAndTheCarriedVersions) {
    for (int t = -1; t <= 5; ++t) EXPECT_EQ(Necesita_dos_sectores(t), t == 0) << t;
    // The versions a meter's plans are compared with are those the carried images hold.
    const int versiones[5] = {0x70, 0x67, 0x7A, 0x66, 0x6F};
    for (int t = 0; t < 5; ++t) EXPECT_EQ(Version_plan_llevada(t), versiones[t]) << t;
    EXPECT_EQ(Version_plan_llevada(5), 0);
    // Only image 0 runs past one sector.
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(datos::imagen_planes(t).size() > fp::SECTOR, t == 0) << t;
    }
}

TEST(Planes, ImagesHoldTheListedPlans) {
    for (int t = 0; t < 5; ++t) {
        const auto bytes = datos::imagen_planes(t);
        const Imagen_planes im = Decodificar(t);
        EXPECT_EQ(im.tipo, t);
        EXPECT_EQ(im.version, VERSIONES[static_cast<size_t>(t)]);
        // Count and version most significant byte first; the rest of the header is zero.
        EXPECT_EQ(bytes[0] << 8 | bytes[1],
                  static_cast<int>(PLANES[static_cast<size_t>(t)].size()));
        EXPECT_EQ(bytes[2] << 8 | bytes[3], VERSIONES[static_cast<size_t>(t)]);
        for (size_t i = 5; i < 16; ++i) EXPECT_EQ(bytes[i], 0) << t << " " << i;

        const auto& esperados = PLANES[static_cast<size_t>(t)];
        ASSERT_EQ(im.planes.size(), esperados.size()) << t;
        for (size_t i = 0; i < esperados.size(); ++i) {
            const auto& p = im.planes[i];
            EXPECT_EQ(p.nombre, esperados[i].nombre) << t << " " << i;
            EXPECT_EQ(p.canales.size(), esperados[i].canales) << p.nombre;
            EXPECT_EQ(p.clase, esperados[i].clase) << p.nombre;
            EXPECT_EQ(p.numero, i);
            for (size_t k = 0; k < p.canales.size(); ++k) {
                EXPECT_EQ(p.canales[k].numero, k) << p.nombre;
            }
        }
        // Unused slots hold zeros but for their address into the channel area.
        for (size_t i = esperados.size(); i < fp::RANURAS; ++i) {
            const uint8_t* r = bytes.data() + fp::CABECERA + i * fp::RANURA;
            EXPECT_TRUE(std::all_of(r, r + 18, [](uint8_t x) { return x == 0; })) << t << " " << i;
            const uint32_t d =
                r[18] | r[19] << 8 | r[20] << 16 | static_cast<uint32_t>(r[21]) << 24;
            EXPECT_GE(d, fp::DIRECCION_BASE + fp::INICIO_TABLAS);
            EXPECT_LT(d, fp::DIRECCION_BASE + bytes.size());
        }
    }
}

TEST(Planes, TablesFollowEachOtherAndNeverCrossASector) {
    for (int t = 0; t < 5; ++t) {
        const Imagen_planes im = Decodificar(t);
        uint32_t siguiente = fp::DIRECCION_BASE + fp::INICIO_TABLAS;
        for (const auto& p : im.planes) {
            const uint32_t fin = p.direccion + static_cast<uint32_t>(p.canales.size() * fp::CANAL);
            EXPECT_EQ(p.direccion / fp::SECTOR, (fin - 1) / fp::SECTOR) << p.nombre;
            // Straight after the previous table, unless that would cross: then at the boundary.
            const bool cruzaria =
                siguiente / fp::SECTOR != (siguiente + fin - p.direccion - 1) / fp::SECTOR;
            EXPECT_EQ(p.direccion, cruzaria ? (siguiente / fp::SECTOR + 1) * fp::SECTOR : siguiente)
                << p.nombre;
            siguiente = fin;
        }
        EXPECT_EQ(siguiente - fp::DIRECCION_BASE, datos::imagen_planes(t).size()) << t;
    }
    const Imagen_planes im0 = Decodificar(0);
    const auto* eutel = Buscar(im0, "12W EUTEL");
    ASSERT_NE(eutel, nullptr);
    EXPECT_EQ(eutel->direccion, 0x1F0000u);
}

TEST(Planes, TellingRows) {
    struct Fila {
        int tipo;
        const char* plan;
        const char* canal;
        uint32_t frecuencia;
        uint8_t pol;
        uint16_t ancho;
    };
    const Fila filas[] = {
        {0, "CCIR", "E02", 50'500, 0, 7000},
        {0, "CCIR", "69", 858'000, 0, 8000},
        {0, "FCC", "A02", 57'000, 0, 6000},
        {0, "DAB", "05A", 174'950, 0, 2000},
        {0, "19E ASTRA", "H49", 10'714'000, 2, 37125},
        {0, "19E ASTRA", "V50", 10'729'000, 1, 29700},
        {1, "CCIR", "E02", 50'500, 0, 7000},
        {2, "CCIR", "69", 858'000, 0, 8000},
        {3, "FCC", "A02", 57'000, 0, 6000},
        {4, "DAB", "05A", 174'950, 0, 2000},
        {0, "TSTGEN1", "A", 85'000, 0, 2500},
        {0, "TSTGEN1", "B", 750'000, 0, 2500},
    };
    for (const auto& f : filas) {
        const Imagen_planes im = Decodificar(f.tipo);
        const auto* p = Buscar(im, f.plan);
        ASSERT_NE(p, nullptr) << f.plan;
        const auto* c = Buscar(*p, f.canal);
        ASSERT_NE(c, nullptr) << f.plan << " " << f.canal;
        EXPECT_EQ(c->frecuencia, f.frecuencia) << f.plan << " " << f.canal;
        EXPECT_EQ(c->polarizacion, f.pol) << f.plan << " " << f.canal;
        EXPECT_EQ(c->ancho_banda, f.ancho) << f.plan << " " << f.canal;
    }
}

TEST(Planes, ChannelFieldsFollowThePlanKind) {
    for (int t = 0; t < 5; ++t) {
        for (const auto& p : Decodificar(t).planes) {
            const bool fcc_cable =
                p.nombre == "FCC STD" || p.nombre == "FCC IRC" || p.nombre == "FCC HRC";
            uint32_t con_valor = 0;
            for (const auto& c : p.canales) {
                EXPECT_FALSE(c.nombre.empty()) << p.nombre;
                EXPECT_GT(c.frecuencia, 0u) << p.nombre;
                if (p.clase == fp::CLASE_TERRESTRE) {
                    EXPECT_EQ(c.polarizacion, 0) << p.nombre << " " << c.nombre;
                    EXPECT_LT(c.frecuencia, 1'300'000u) << p.nombre << " " << c.nombre;
                } else {
                    EXPECT_TRUE(c.polarizacion == 0 || c.polarizacion == 1 || c.polarizacion == 2 ||
                                c.polarizacion == 5 || c.polarizacion == 6)
                        << p.nombre << " " << c.nombre;
                    const bool alta = c.frecuencia >= 11'700'000 && c.frecuencia < 13'000'000;
                    EXPECT_EQ((c.polarizacion & fp::BANDA_ALTA) != 0, alta && c.polarizacion != 0)
                        << p.nombre << " " << c.nombre;
                }
                EXPECT_LE(c.valor, 60) << p.nombre;
                if (!fcc_cable) {
                    EXPECT_EQ(c.valor, 0) << p.nombre << " " << c.nombre;
                }
                con_valor += c.valor != 0;
            }
            if (fcc_cable) {
                EXPECT_GT(con_valor, 100u) << p.nombre;
            }
        }
    }
}

TEST(Planes, TestSignalPlansAreTheSameEverywhere) {
    // The channel records byte for byte, wherever the plan occurs.
    auto tabla = [](int tipo, const char* nombre) {
        const auto bytes = datos::imagen_planes(tipo);
        const Imagen_planes im = Decodificar(tipo);
        const auto* p = Buscar(im, nombre);
        EXPECT_NE(p, nullptr) << tipo << " " << nombre;
        if (p == nullptr) return std::vector<uint8_t>{};
        const size_t desde = p->direccion - fp::DIRECCION_BASE;
        return std::vector<uint8_t>(
            bytes.begin() + static_cast<long>(desde),
            bytes.begin() + static_cast<long>(desde + p->canales.size() * fp::CANAL));
    };
    for (const char* nombre : {"TSTGEN1", "TSTGEN2"}) {
        const auto ref = tabla(0, nombre);
        for (int t : {1, 3, 4}) EXPECT_EQ(tabla(t, nombre), ref) << nombre << " " << t;
        EXPECT_EQ(Buscar(Decodificar(2), nombre), nullptr);
    }
    const auto ref3 = tabla(0, "TSTGEN3");
    for (int t = 1; t < 5; ++t) EXPECT_EQ(tabla(t, "TSTGEN3"), ref3) << t;

    const Imagen_planes im = Decodificar(1);
    const auto& t2 = *Buscar(im, "TSTGEN2");
    for (size_t i = 0; i < t2.canales.size(); ++i) {
        EXPECT_EQ(t2.canales[i].nombre, std::to_string(i));
        EXPECT_GE(t2.canales[i].frecuencia, 7'500u);
        EXPECT_LE(t2.canales[i].frecuencia, 22'600u);
        EXPECT_EQ(t2.canales[i].ancho_banda, 2500);
    }
    for (const auto& c : Buscar(im, "TSTGEN3")->canales) EXPECT_EQ(c.ancho_banda, 4000);
}

TEST(Planes, DecoderRefusesImagesThatDoNotHold) {
    const auto buena = datos::imagen_planes(4);
    std::vector<uint8_t> b(buena.begin(), buena.end());
    std::string error;
    // Cut short: the last table runs past the end.
    EXPECT_FALSE(Decodificar_planes(std::span(b).first(b.size() - 1), &error));
    EXPECT_NE(error.find("runs past the image"), std::string::npos) << error;
    EXPECT_FALSE(Decodificar_planes(std::span(b).first(100), &error));
    // More than 64 plans.
    auto c = b;
    c[0] = 0x00;
    c[1] = 65;
    EXPECT_FALSE(Decodificar_planes(c, &error));
    // A table address before the channel area, or far beyond the image.
    c = b;
    c[fp::CABECERA + 18 + 2] = 0x00;
    EXPECT_FALSE(Decodificar_planes(c, &error));
    c = b;
    c[fp::CABECERA + 18 + 3] = 0xFF;
    EXPECT_FALSE(Decodificar_planes(c, &error));
    // A name without its zero stops at the field's end.
    c = b;
    std::fill(c.begin() + fp::CABECERA + 7, c.begin() + fp::CABECERA + 18, 'X');
    const auto im = Decodificar_planes(c);
    ASSERT_TRUE(im);
    EXPECT_EQ(im->planes[0].nombre, std::string(11, 'X'));
}

TEST(Planes, ListingShowsEveryPlan) {
    const std::string l = Listado_planes(2);
    EXPECT_NE(l.find("version 122"), std::string::npos) << l;
    EXPECT_NE(l.find("24 plans"), std::string::npos) << l;
    EXPECT_NE(l.find("DirTV 72\xC2\xB0"), std::string::npos) << l;  // the degree sign in UTF-8
    EXPECT_NE(l.find("FCC HRC"), std::string::npos) << l;
    for (size_t i = 0; i < l.size(); ++i) {
        if (l[i] == '\xB0') {
            EXPECT_TRUE(i > 0 && l[i - 1] == '\xC2') << "raw Latin-1 at " << i;
        }
    }
    EXPECT_TRUE(Listado_planes(5).empty());
}

}  // namespace
}  // namespace z82
