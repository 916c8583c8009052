// Building outlines and the area of strokes.
#include "pictures/camino.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace z82::dibujos {
namespace {

// How far a straight piece may stray from the curve it stands for, in pixels.
constexpr double kTolerancia = 0.02;

// Pieces in a full turn of a circle of radius r, within the tolerance.
int Pasos_por_vuelta(double r) {
    if (r <= kTolerancia) return 8;
    const double angulo = std::acos(1.0 - kTolerancia / r);
    return std::max(8, static_cast<int>(std::ceil(2 * std::numbers::pi / angulo)));
}

double Distancia(Punto a, Punto b) { return std::hypot(b.x - a.x, b.y - a.y); }

// Appends a closed convex polygon turned the positive way (clockwise on screen).
void Convexo(Camino& destino, std::vector<Punto> puntos) {
    double area = 0;
    for (size_t i = 0; i < puntos.size(); ++i) {
        const Punto a = puntos[i];
        const Punto b = puntos[(i + 1) % puntos.size()];
        area += a.x * b.y - b.x * a.y;
    }
    if (area < 0) std::reverse(puntos.begin(), puntos.end());
    destino.Mover(puntos[0]);
    for (size_t i = 1; i < puntos.size(); ++i) destino.Linea(puntos[i]);
    destino.Cerrar();
}

void Disco(Camino& destino, Punto c, double r) {
    const int pasos = Pasos_por_vuelta(r);
    std::vector<Punto> puntos;
    puntos.reserve(static_cast<size_t>(pasos));
    for (int i = 0; i < pasos; ++i) {
        const double a = 2 * std::numbers::pi * i / pasos;
        puntos.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    Convexo(destino, std::move(puntos));
}

// The points of a piece with repeats dropped, and for a closed one without the last point
// when it comes back to the first.
std::vector<Punto> Sin_repetidos(const Camino::Tramo& t) {
    std::vector<Punto> p;
    for (const Punto q : t.puntos) {
        if (p.empty() || Distancia(p.back(), q) > 1e-9) p.push_back(q);
    }
    if (t.cerrado && p.size() > 1 && Distancia(p.front(), p.back()) <= 1e-9) p.pop_back();
    return p;
}

void Contorno_tramo(Camino& destino, const std::vector<Punto>& p, bool cerrado,
                    const Trazo& trazo) {
    const double h = trazo.ancho / 2;
    const size_t n = p.size();
    if (n == 1) {
        if (trazo.extremo == Extremo::redondo) Disco(destino, p[0], h);
        if (trazo.extremo == Extremo::cuadrado) {
            Convexo(destino, {{p[0].x - h, p[0].y - h},
                              {p[0].x + h, p[0].y - h},
                              {p[0].x + h, p[0].y + h},
                              {p[0].x - h, p[0].y + h}});
        }
        return;
    }
    const size_t segmentos = cerrado ? n : n - 1;
    const bool alargar = !cerrado && trazo.extremo == Extremo::cuadrado;
    for (size_t i = 0; i < segmentos; ++i) {
        Punto a = p[i];
        Punto b = p[(i + 1) % n];
        const double largo = Distancia(a, b);
        const double dx = (b.x - a.x) / largo;
        const double dy = (b.y - a.y) / largo;
        if (alargar && i == 0) a = {a.x - dx * h, a.y - dy * h};
        if (alargar && i + 1 == segmentos) b = {b.x + dx * h, b.y + dy * h};
        const double nx = -dy * h;
        const double ny = dx * h;
        Convexo(destino, {{a.x + nx, a.y + ny},
                          {b.x + nx, b.y + ny},
                          {b.x - nx, b.y - ny},
                          {a.x - nx, a.y - ny}});
    }
    // Corners: every point of a closed piece, the inner points of an open one.
    for (size_t j = cerrado ? 0 : 1; j < (cerrado ? n : n - 1); ++j) {
        const Punto v = p[j];
        if (trazo.junta == Junta::redonda) {
            Disco(destino, v, h);
            continue;
        }
        const Punto a = p[(j + n - 1) % n];
        const Punto b = p[(j + 1) % n];
        const double l1 = Distancia(a, v);
        const double l2 = Distancia(v, b);
        const double d1x = (v.x - a.x) / l1, d1y = (v.y - a.y) / l1;
        const double d2x = (b.x - v.x) / l2, d2y = (b.y - v.y) / l2;
        const double giro = d1x * d2y - d1y * d2x;
        if (std::abs(giro) < 1e-12) continue;
        // The bevel fills the notch on the outer side of the turn.
        const double s = giro > 0 ? -h : h;
        Convexo(destino, {v, {v.x - d1y * s, v.y + d1x * s}, {v.x - d2y * s, v.y + d2x * s}});
    }
    if (!cerrado && trazo.extremo == Extremo::redondo) {
        Disco(destino, p.front(), h);
        Disco(destino, p.back(), h);
    }
}

}  // namespace

Camino::Tramo& Camino::Actual() {
    if (tramos_.empty() || tramos_.back().cerrado) {
        Tramo t;
        if (!tramos_.empty() && !tramos_.back().puntos.empty()) {
            t.puntos.push_back(tramos_.back().puntos.front());
        }
        tramos_.push_back(std::move(t));
    }
    return tramos_.back();
}

Camino& Camino::Mover(Punto p) {
    tramos_.push_back({{p}, false});
    return *this;
}

Camino& Camino::Linea(Punto p) {
    Actual().puntos.push_back(p);
    return *this;
}

Camino& Camino::Curva(Punto c1, Punto c2, Punto p) {
    Tramo& t = Actual();
    const Punto p0 = t.puntos.empty() ? c1 : t.puntos.back();
    const double largo = Distancia(p0, c1) + Distancia(c1, c2) + Distancia(c2, p);
    const int pasos = std::clamp(static_cast<int>(std::ceil(largo / 0.5)), 2, 400);
    for (int i = 1; i <= pasos; ++i) {
        const double u = static_cast<double>(i) / pasos;
        const double v = 1 - u;
        const double k0 = v * v * v, k1 = 3 * v * v * u, k2 = 3 * v * u * u, k3 = u * u * u;
        t.puntos.push_back({k0 * p0.x + k1 * c1.x + k2 * c2.x + k3 * p.x,
                            k0 * p0.y + k1 * c1.y + k2 * c2.y + k3 * p.y});
    }
    return *this;
}

Camino& Camino::Cerrar() {
    if (!tramos_.empty()) tramos_.back().cerrado = true;
    return *this;
}

Camino& Camino::Arco(const Caja& caja, double desde, double barrido) {
    const Punto c = caja.Centro();
    const double rx = caja.ancho / 2, ry = caja.alto / 2;
    const double a0 = desde * std::numbers::pi / 180;
    const double da = barrido * std::numbers::pi / 180;
    const int pasos =
        std::max(2, static_cast<int>(std::ceil(Pasos_por_vuelta(std::max(rx, ry)) * std::abs(da) /
                                               (2 * std::numbers::pi))));
    Tramo t;
    for (int i = 0; i <= pasos; ++i) {
        const double a = a0 + da * i / pasos;
        t.puntos.push_back({c.x + rx * std::cos(a), c.y - ry * std::sin(a)});
    }
    tramos_.push_back(std::move(t));
    return *this;
}

Camino& Camino::Elipse(Punto centro, double rx, double ry, bool inversa) {
    const int pasos = Pasos_por_vuelta(std::max(rx, ry));
    Tramo t{{}, true};
    for (int i = 0; i < pasos; ++i) {
        const double a = 2 * std::numbers::pi * i / pasos * (inversa ? -1 : 1);
        t.puntos.push_back({centro.x + rx * std::cos(a), centro.y + ry * std::sin(a)});
    }
    tramos_.push_back(std::move(t));
    return *this;
}

Camino& Camino::Rectangulo(const Caja& k) {
    return Poligono({{k.x, k.y}, {k.Derecha(), k.y}, {k.Derecha(), k.Abajo()}, {k.x, k.Abajo()}});
}

Camino& Camino::Rectangulo_redondeado(const Caja& k, double radio) {
    const double rx = std::min(radio, k.ancho / 2), ry = std::min(radio, k.alto / 2);
    if (rx <= 0 || ry <= 0) return Rectangulo(k);
    // Each corner a quarter of an ellipse, joined by the straight sides.
    const size_t primero = tramos_.size();
    Arco({k.Derecha() - 2 * rx, k.y, 2 * rx, 2 * ry}, 90, -90);
    Arco({k.Derecha() - 2 * rx, k.Abajo() - 2 * ry, 2 * rx, 2 * ry}, 0, -90);
    Arco({k.x, k.Abajo() - 2 * ry, 2 * rx, 2 * ry}, 270, -90);
    Arco({k.x, k.y, 2 * rx, 2 * ry}, 180, -90);
    Tramo t{{}, true};
    for (size_t i = primero; i < tramos_.size(); ++i) {
        t.puntos.insert(t.puntos.end(), tramos_[i].puntos.begin(), tramos_[i].puntos.end());
    }
    tramos_.resize(primero);
    tramos_.push_back(std::move(t));
    return *this;
}

Camino& Camino::Poligono(std::initializer_list<Punto> puntos) {
    tramos_.push_back({puntos, true});
    return *this;
}

Camino& Camino::Agregar(const Camino& otro) {
    tramos_.insert(tramos_.end(), otro.tramos_.begin(), otro.tramos_.end());
    return *this;
}

Camino& Camino::Transformar(double a, double b, double c, double d, double e, double f) {
    for (Tramo& t : tramos_) {
        for (Punto& p : t.puntos) p = {a * p.x + b * p.y + c, d * p.x + e * p.y + f};
    }
    return *this;
}

Camino Segmento(Punto a, Punto b) { return Camino().Mover(a).Linea(b); }

Camino Contorno(const Camino& camino, const Trazo& trazo) {
    Camino destino;
    for (const Camino::Tramo& t : camino.Tramos()) {
        const std::vector<Punto> p = Sin_repetidos(t);
        if (!p.empty()) Contorno_tramo(destino, p, t.cerrado, trazo);
    }
    return destino;
}

}  // namespace z82::dibujos
