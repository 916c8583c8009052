// The regional channel-plan images, built from the plan tables kept as text in
// data/planes/ (see data/README.md for the table format).
#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <sstream>

#include "data/generador/comun.h"
#include "plans/imagen_planes.h"

namespace z82::generador {
namespace fp = formato_planes;
namespace {

struct Canal {
    uint32_t frecuencia = 0;
    std::string nombre;
    uint8_t pol = 0;
    uint16_t ancho = 0;
    uint16_t valor = 0;
};

struct Tabla {
    std::string nombre;
    uint16_t clase = 0;
    std::vector<Canal> canales;
};

struct Entrada {
    std::string id;
    size_t canales_esperados = 0;
};

struct Imagen {
    uint16_t version = 0;
    std::vector<Entrada> planes;
};

// What the five images must come out as.
constexpr std::array<size_t, 5> TAMANOS = {73'596, 22'692, 30'648, 39'878, 15'022};

std::string Donde(const std::filesystem::path& f, int linea) {
    return f.filename().string() + ":" + std::to_string(linea) + ": ";
}

// UTF-8 to Windows Latin-1, refusing characters it cannot carry.
std::string A_latin1(const std::string& s, const std::string& donde) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            r.push_back(static_cast<char>(c));
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < s.size()) {
            const auto d = static_cast<unsigned char>(s[++i]);
            r.push_back(static_cast<char>(((c & 0x03) << 6) | (d & 0x3F)));
        } else {
            Fallo(donde + "character outside Latin-1 in \"" + s + "\"");
        }
    }
    return r;
}

std::vector<std::string> Palabras(const std::string& linea, const std::string& donde) {
    std::vector<std::string> v;
    size_t i = 0;
    while (i < linea.size()) {
        if (linea[i] == '#') break;
        if (linea[i] == ' ' || linea[i] == '\t' || linea[i] == '\r') {
            ++i;
        } else if (linea[i] == '"') {
            const size_t fin = linea.find('"', i + 1);
            if (fin == std::string::npos) Fallo(donde + "unterminated quotes");
            v.push_back(linea.substr(i + 1, fin - i - 1));
            i = fin + 1;
        } else {
            size_t fin = i;
            while (fin < linea.size() && linea[fin] != ' ' && linea[fin] != '\t' &&
                   linea[fin] != '\r' && linea[fin] != '#') {
                ++fin;
            }
            v.push_back(linea.substr(i, fin - i));
            i = fin;
        }
    }
    return v;
}

long Numero(const std::string& s, const std::string& donde) {
    char* fin = nullptr;
    const long v = std::strtol(s.c_str(), &fin, 10);
    if (s.empty() || *fin != '\0') Fallo(donde + "\"" + s + "\" is not a number");
    return v;
}

// "a+b" or "a": start and step.
std::pair<long, long> Con_paso(const std::string& s, const std::string& donde) {
    const size_t mas = s.find('+');
    if (mas == std::string::npos) return {Numero(s, donde), 0};
    return {Numero(s.substr(0, mas), donde), Numero(s.substr(mas + 1), donde)};
}

uint16_t Ancho(const std::string& s, const std::string& donde) {
    // A satellite's width is its symbol rate times 1.35.
    const long v = s.rfind("sr=", 0) == 0   ? (Numero(s.substr(3), donde) * 135 + 50) / 100
                   : s.rfind("bw=", 0) == 0 ? Numero(s.substr(3), donde)
                                            : Numero(s, donde);
    if (v <= 0 || v > 0xFFFF) Fallo(donde + "bandwidth out of range: " + s);
    return static_cast<uint16_t>(v);
}

uint8_t Pol(char c, const std::string& donde) {
    switch (c) {
        case '0':
            return 0;
        case 'V':
            return fp::POL_VERTICAL;
        case 'H':
            return fp::POL_HORIZONTAL;
        default:
            Fallo(donde + "polarisation must be 0, V or H");
    }
}

void Banda(const Tabla& t, Canal& c) {
    // Upper Ku band: the LNB's high band.
    if (t.clase != fp::CLASE_TERRESTRE && c.pol != 0 && c.frecuencia >= 11'700'000 &&
        c.frecuencia < 13'000'000) {
        c.pol |= fp::BANDA_ALTA;
    }
}

std::string Formatear(const std::string& f, long n, uint32_t frecuencia, uint8_t pol) {
    std::string r;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '{') {
            r.push_back(f[i]);
            continue;
        }
        const size_t fin = f.find('}', i);
        if (fin == std::string::npos) Fallo("unclosed { in \"" + f + "\"");
        const std::string clave = f.substr(i + 1, fin - i - 1);
        char buf[16];
        if (clave == "n")
            std::snprintf(buf, sizeof buf, "%ld", n);
        else if (clave == "n2")
            std::snprintf(buf, sizeof buf, "%02ld", n);
        else if (clave == "n3")
            std::snprintf(buf, sizeof buf, "%03ld", n);
        else if (clave == "f")
            std::snprintf(buf, sizeof buf, "%u", (frecuencia + 500) / 1000);
        else if (clave == "p")
            std::snprintf(buf, sizeof buf, "%s", pol & 1 ? "V" : pol & 2 ? "H" : "");
        else if (clave == "c")
            std::snprintf(buf, sizeof buf, "%s", pol & 1 ? "R" : pol & 2 ? "L" : "");
        else
            Fallo("unknown field {" + clave + "} in \"" + f + "\"");
        r += buf;
        i = fin;
    }
    return r;
}

// serie FORMAT n=A..B[/S] f=F0[+STEP] [r=ROUND] pol=P (bw=W | sr=S) [v=V0[+STEP][%M]]
void Serie(const std::vector<std::string>& w, Tabla& t, const std::string& donde) {
    if (w.size() < 5) Fallo(donde + "serie needs a format, n=, f=, pol= and bw= or sr=");
    std::map<std::string, std::string> op;
    std::string ancho;
    for (size_t i = 2; i < w.size(); ++i) {
        const size_t igual = w[i].find('=');
        if (igual == std::string::npos) Fallo(donde + "expected key=value: " + w[i]);
        const std::string k = w[i].substr(0, igual);
        if (k == "bw" || k == "sr")
            ancho = w[i];
        else
            op[k] = w[i].substr(igual + 1);
    }
    if (!op.count("n") || !op.count("f") || !op.count("pol") || ancho.empty()) {
        Fallo(donde + "serie needs n=, f=, pol= and bw= or sr=");
    }
    const std::string& n = op["n"];
    const size_t puntos = n.find("..");
    if (puntos == std::string::npos) Fallo(donde + "n= needs A..B");
    const size_t barra = n.find('/');
    const long a = Numero(n.substr(0, puntos), donde);
    const long b = Numero(
        n.substr(puntos + 2, barra == std::string::npos ? std::string::npos : barra - puntos - 2),
        donde);
    const long s = barra == std::string::npos ? 1 : Numero(n.substr(barra + 1), donde);
    const auto [f0, df] = Con_paso(op["f"], donde);
    const long red = op.count("r") ? Numero(op["r"], donde) : 1;
    const std::string pol = op["pol"];
    long v0 = 0, dv = 0, modulo = 0;
    if (op.count("v")) {
        std::string v = op["v"];
        const size_t pct = v.find('%');
        if (pct != std::string::npos) {
            modulo = Numero(v.substr(pct + 1), donde);
            v = v.substr(0, pct);
        }
        std::tie(v0, dv) = Con_paso(v, donde);
    }
    const uint16_t bw = Ancho(ancho, donde);
    for (long k = 0, num = a; num <= b; ++k, num += s) {
        Canal c;
        const long exacta = f0 + k * df;
        c.frecuencia = static_cast<uint32_t>((exacta + red / 2) / red * red);
        c.pol = Pol(pol[static_cast<size_t>(k) % pol.size()], donde);
        Banda(t, c);
        c.nombre = Formatear(w[1], num, c.frecuencia, c.pol);
        c.ancho = bw;
        const long v = v0 + k * dv;
        c.valor = static_cast<uint16_t>(modulo ? v % modulo : v);
        t.canales.push_back(c);
    }
}

void Leer_tablas(const std::filesystem::path& fichero, std::map<std::string, Tabla>& tablas) {
    std::istringstream in(Leer_texto(fichero));
    std::string linea;
    Tabla* t = nullptr;
    for (int n = 1; std::getline(in, linea); ++n) {
        const std::string donde = Donde(fichero, n);
        const auto w = Palabras(linea, donde);
        if (w.empty()) continue;
        if (w[0] == "tabla") {
            if (w.size() != 4) Fallo(donde + "tabla ID \"NAME\" KIND");
            if (tablas.count(w[1])) Fallo(donde + "table " + w[1] + " defined twice");
            t = &tablas[w[1]];
            t->nombre = A_latin1(w[2], donde);
            t->clase = static_cast<uint16_t>(Numero(w[3], donde));
            if (t->nombre.size() >= fp::NOMBRE_PLAN) Fallo(donde + "plan name too long");
        } else if (t == nullptr) {
            Fallo(donde + "channels before any tabla line");
        } else if (w[0] == "canal") {
            if (w.size() < 5 || w.size() > 6 || w[3].size() != 1) {
                Fallo(donde + "canal NAME FREQ POL WIDTH [v=VALUE]");
            }
            Canal c;
            c.nombre = A_latin1(w[1], donde);
            c.frecuencia = static_cast<uint32_t>(Numero(w[2], donde));
            c.pol = Pol(w[3][0], donde);
            Banda(*t, c);
            c.ancho = Ancho(w[4], donde);
            if (w.size() == 6) {
                if (w[5].rfind("v=", 0) != 0) Fallo(donde + "expected v=VALUE");
                c.valor = static_cast<uint16_t>(Numero(w[5].substr(2), donde));
            }
            t->canales.push_back(c);
        } else if (w[0] == "serie") {
            Serie(w, *t, donde);
        } else {
            Fallo(donde + "unknown line \"" + w[0] + "\"");
        }
        if (t != nullptr && !t->canales.empty() &&
            t->canales.back().nombre.size() >= fp::NOMBRE_CANAL) {
            Fallo(donde + "channel name too long: " + t->canales.back().nombre);
        }
    }
}

Imagen Leer_imagen(const std::filesystem::path& fichero, int tipo) {
    std::istringstream in(Leer_texto(fichero));
    std::string linea;
    Imagen im;
    bool dentro = false, vista = false;
    for (int n = 1; std::getline(in, linea); ++n) {
        const std::string donde = Donde(fichero, n);
        const auto w = Palabras(linea, donde);
        if (w.empty()) continue;
        if (w[0] == "imagen") {
            if (w.size() != 4 || w[2] != "version") Fallo(donde + "imagen TYPE version N");
            dentro = Numero(w[1], donde) == tipo;
            if (dentro) {
                vista = true;
                im.version = static_cast<uint16_t>(Numero(w[3], donde));
            }
        } else if (w[0] == "plan") {
            if (w.size() != 3) Fallo(donde + "plan TABLE CHANNELS");
            if (dentro) im.planes.push_back({w[1], static_cast<size_t>(Numero(w[2], donde))});
        } else {
            Fallo(donde + "unknown line \"" + w[0] + "\"");
        }
    }
    if (!vista) Fallo(fichero.string() + ": no image of type " + std::to_string(tipo));
    return im;
}

void Poner16(Bytes& b, size_t o, uint32_t v) {
    b[o] = static_cast<uint8_t>(v);
    b[o + 1] = static_cast<uint8_t>(v >> 8);
}
void Poner32(Bytes& b, size_t o, uint32_t v) {
    Poner16(b, o, v & 0xFFFF);
    Poner16(b, o + 2, v >> 16);
}

}  // namespace

Bytes Generar_planes(const std::filesystem::path& carpeta, int tipo) {
    std::map<std::string, Tabla> tablas;
    std::vector<std::filesystem::path> ficheros;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
        if (e.path().extension() == ".txt" && e.path().filename() != "imagenes.txt") {
            ficheros.push_back(e.path());
        }
    }
    std::sort(ficheros.begin(), ficheros.end());
    for (const auto& f : ficheros) Leer_tablas(f, tablas);
    const Imagen im = Leer_imagen(carpeta / "imagenes.txt", tipo);
    const std::string quien = "plan image " + std::to_string(tipo) + ": ";
    if (im.planes.size() > fp::RANURAS) Fallo(quien + "more than 64 plans");

    Bytes b(fp::INICIO_TABLAS, 0);
    b[0] = static_cast<uint8_t>(im.planes.size() >> 8);
    b[1] = static_cast<uint8_t>(im.planes.size());
    b[2] = static_cast<uint8_t>(im.version >> 8);
    b[3] = static_cast<uint8_t>(im.version);
    b[4] = static_cast<uint8_t>(tipo);
    for (size_t i = 0; i < im.planes.size(); ++i) {
        const auto it = tablas.find(im.planes[i].id);
        if (it == tablas.end()) Fallo(quien + "no table " + im.planes[i].id);
        const Tabla& t = it->second;
        if (t.canales.size() != im.planes[i].canales_esperados) {
            Fallo(quien + "table " + im.planes[i].id + " has " + std::to_string(t.canales.size()) +
                  " channels, not " + std::to_string(im.planes[i].canales_esperados));
        }
        // A table never crosses a 64 KiB boundary of the meter's address: it moves on to
        // the boundary instead.
        size_t inicio = b.size();
        const size_t largo = t.canales.size() * fp::CANAL;
        const size_t dir = fp::DIRECCION_BASE + inicio;
        if (largo > 0 && dir / fp::SECTOR != (dir + largo - 1) / fp::SECTOR) {
            inicio = (dir / fp::SECTOR + 1) * fp::SECTOR - fp::DIRECCION_BASE;
        }
        b.resize(inicio + largo, 0);

        const size_t r = fp::CABECERA + i * fp::RANURA;
        Poner16(b, r, static_cast<uint32_t>(t.canales.size()));
        Poner16(b, r + 2, t.clase);
        Poner16(b, r + 4, static_cast<uint32_t>(i));
        std::copy(t.nombre.begin(), t.nombre.end(), b.begin() + static_cast<long>(r + 7));
        Poner32(b, r + 18, static_cast<uint32_t>(fp::DIRECCION_BASE + inicio));
        for (size_t k = 0; k < t.canales.size(); ++k) {
            const Canal& c = t.canales[k];
            const size_t o = inicio + k * fp::CANAL;
            Poner32(b, o, c.frecuencia);
            std::copy(c.nombre.begin(), c.nombre.end(), b.begin() + static_cast<long>(o + 4));
            b[o + 17] = c.pol;
            Poner16(b, o + 18, c.ancho);
            Poner16(b, o + 20, static_cast<uint32_t>(k));
            Poner16(b, o + 24, c.valor);
        }
    }
    // Unused slots keep an address into the channel area, as the meter's images do.
    for (size_t i = im.planes.size(); i < fp::RANURAS; ++i) {
        Poner32(b, fp::CABECERA + i * fp::RANURA + 18,
                static_cast<uint32_t>(fp::DIRECCION_BASE + fp::INICIO_TABLAS));
    }
    if (b.size() != TAMANOS[static_cast<size_t>(tipo)]) {
        Fallo(quien + "laid out as " + std::to_string(b.size()) + " bytes instead of " +
              std::to_string(TAMANOS[static_cast<size_t>(tipo)]));
    }
    Validar_planes(b, tipo, quien);
    return b;
}

void Validar_planes(const Bytes& imagen, int tipo, const std::string& origen) {
    std::string error;
    const auto im = Decodificar_planes(imagen, &error);
    if (!im) Fallo(origen + error);
    if (im->tipo != tipo) {
        Fallo(origen + "header says type " + std::to_string(im->tipo) + ", expected " +
              std::to_string(tipo));
    }
    if (im->planes.empty()) Fallo(origen + "holds no plan");
    for (const auto& p : im->planes) {
        const uint32_t desde = p.direccion;
        const uint32_t hasta = desde + static_cast<uint32_t>(p.canales.size() * fp::CANAL);
        if (!p.canales.empty() && desde / fp::SECTOR != (hasta - 1) / fp::SECTOR) {
            Fallo(origen + "table of " + p.nombre + " crosses a 64 KiB boundary");
        }
    }
}

}  // namespace z82::generador
