// Scanline filling with supersampled rows and exact coverage along each row.
#include "pictures/lienzo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace z82::dibujos {
namespace {

// Sample rows per pixel row.
constexpr int kSubfilas = 16;

struct Borde {
    double y0, y1;  // y0 < y1
    double x0;      // x at y0
    double pendiente;
    int sentido;
};

using Rgba = std::array<float, 4>;

Rgba Premultiplicado(Color c) {
    const float a = static_cast<float>(c.a) / 255.0f;
    return {static_cast<float>(c.r) / 255.0f * a, static_cast<float>(c.g) / 255.0f * a,
            static_cast<float>(c.b) / 255.0f * a, a};
}

// The gradient's colour at t, interpolated between its stops in premultiplied colour.
Rgba En_degradado(const std::vector<Parada>& paradas, double t) {
    if (paradas.empty()) return {0, 0, 0, 0};
    if (t <= paradas.front().posicion) return Premultiplicado(paradas.front().color);
    for (size_t i = 1; i < paradas.size(); ++i) {
        if (t <= paradas[i].posicion) {
            const double tramo = paradas[i].posicion - paradas[i - 1].posicion;
            const float u =
                tramo > 0 ? static_cast<float>((t - paradas[i - 1].posicion) / tramo) : 1.0f;
            const Rgba a = Premultiplicado(paradas[i - 1].color);
            const Rgba b = Premultiplicado(paradas[i].color);
            Rgba c;
            for (size_t k = 0; k < 4; ++k) c[k] = a[k] + (b[k] - a[k]) * u;
            return c;
        }
    }
    return Premultiplicado(paradas.back().color);
}

Rgba Color_en(const Pintura& p, double x, double y) {
    switch (p.tipo) {
        case Pintura::Tipo::lineal: {
            const double dx = p.hasta.x - p.desde.x, dy = p.hasta.y - p.desde.y;
            const double largo2 = dx * dx + dy * dy;
            const double t =
                largo2 > 0 ? ((x - p.desde.x) * dx + (y - p.desde.y) * dy) / largo2 : 0;
            return En_degradado(p.paradas, t);
        }
        case Pintura::Tipo::radial: {
            const double d = std::hypot(x - p.desde.x, y - p.desde.y);
            return En_degradado(p.paradas, p.radio > 0 ? d / p.radio : 1);
        }
        case Pintura::Tipo::solida:
            break;
    }
    return Premultiplicado(p.color);
}

// Adds how much of each pixel [a, b) covers along a sample row, times peso.
void Cubrir(std::vector<float>& fila, double a, double b, float peso) {
    const double ancho = static_cast<double>(fila.size() - 1);
    a = std::clamp(a, 0.0, ancho);
    b = std::clamp(b, 0.0, ancho);
    if (b <= a) return;
    const size_t ia = static_cast<size_t>(a), ib = static_cast<size_t>(b);
    if (ia == ib) {
        fila[ia] += static_cast<float>(b - a) * peso;
        return;
    }
    fila[ia] += static_cast<float>(static_cast<double>(ia + 1) - a) * peso;
    for (size_t i = ia + 1; i < ib; ++i) fila[i] += peso;
    fila[ib] += static_cast<float>(b - static_cast<double>(ib)) * peso;
}

std::vector<Borde> Bordes(const Camino& camino) {
    std::vector<Borde> bordes;
    for (const Camino::Tramo& t : camino.Tramos()) {
        const size_t n = t.puntos.size();
        for (size_t i = 0; i < n; ++i) {
            Punto a = t.puntos[i];
            Punto b = t.puntos[(i + 1) % n];  // a fill closes every piece
            if (a.y == b.y) continue;
            int sentido = 1;
            if (a.y > b.y) {
                std::swap(a, b);
                sentido = -1;
            }
            bordes.push_back({a.y, b.y, a.x, (b.x - a.x) / (b.y - a.y), sentido});
        }
    }
    std::sort(bordes.begin(), bordes.end(),
              [](const Borde& a, const Borde& b) { return a.y0 < b.y0; });
    return bordes;
}

}  // namespace

Color Oscurecer(Color c, int factor) {
    const int v = std::max({c.r, c.g, c.b});
    if (v == 0 || factor <= 0) return c;
    const double escala = static_cast<double>(v * 100 / factor) / v;
    const auto canal = [escala](std::uint8_t x) {
        return static_cast<std::uint8_t>(std::lround(x * escala));
    };
    return {canal(c.r), canal(c.g), canal(c.b), c.a};
}

Pintura Pintura::Lineal(Punto desde, Punto hasta, std::vector<Parada> paradas) {
    Pintura p(Color{});
    p.tipo = Tipo::lineal;
    p.desde = desde;
    p.hasta = hasta;
    p.paradas = std::move(paradas);
    return p;
}

Pintura Pintura::Radial(Punto centro, double radio, std::vector<Parada> paradas) {
    Pintura p(Color{});
    p.tipo = Tipo::radial;
    p.desde = centro;
    p.radio = radio;
    p.paradas = std::move(paradas);
    return p;
}

Lienzo::Lienzo(int ancho, int alto, double escala)
    : ancho_(static_cast<int>(std::lround(ancho * escala))),
      alto_(static_cast<int>(std::lround(alto * escala))),
      escala_(escala),
      pixeles_(static_cast<size_t>(ancho_) * alto_ * 4, 0.0f) {}

void Lienzo::Rellenar(const Camino& camino, const Pintura& pintura_unidades) {
    if (escala_ != 1.0) {
        Camino en_pixeles = camino;
        en_pixeles.Transformar(escala_, 0, 0, 0, escala_, 0);
        Pintura pintura = pintura_unidades;
        pintura.desde = {pintura.desde.x * escala_, pintura.desde.y * escala_};
        pintura.hasta = {pintura.hasta.x * escala_, pintura.hasta.y * escala_};
        pintura.radio *= escala_;
        Rellenar_pixeles(en_pixeles, pintura);
    } else {
        Rellenar_pixeles(camino, pintura_unidades);
    }
}

void Lienzo::Rellenar_pixeles(const Camino& camino, const Pintura& pintura) {
    const std::vector<Borde> bordes = Bordes(camino);
    if (bordes.empty() || ancho_ <= 0) return;
    double y_max = bordes.front().y1;
    for (const Borde& b : bordes) y_max = std::max(y_max, b.y1);
    const int desde = std::max(0, static_cast<int>(std::floor(bordes.front().y0)));
    const int hasta = std::min(alto_, static_cast<int>(std::ceil(y_max)));

    std::vector<float> fila(static_cast<size_t>(ancho_) + 1);
    std::vector<const Borde*> activos;
    std::vector<std::pair<double, int>> cortes;
    size_t siguiente = 0;
    const float peso = 1.0f / kSubfilas;
    for (int y = desde; y < hasta; ++y) {
        std::fill(fila.begin(), fila.end(), 0.0f);
        for (int s = 0; s < kSubfilas; ++s) {
            const double sy = y + (s + 0.5) / kSubfilas;
            while (siguiente < bordes.size() && bordes[siguiente].y0 <= sy) {
                activos.push_back(&bordes[siguiente++]);
            }
            std::erase_if(activos, [sy](const Borde* b) { return b->y1 <= sy; });
            cortes.clear();
            for (const Borde* b : activos)
                cortes.emplace_back(b->x0 + (sy - b->y0) * b->pendiente, b->sentido);
            std::sort(cortes.begin(), cortes.end());
            int vueltas = 0;
            double inicio = 0;
            for (const auto& [x, sentido] : cortes) {
                if (vueltas == 0) inicio = x;
                vueltas += sentido;
                if (vueltas == 0) Cubrir(fila, inicio, x, peso);
            }
        }
        for (int x = 0; x < ancho_; ++x) {
            const float c = fila[static_cast<size_t>(x)];
            if (c > 1e-6f) Componer(x, y, std::min(c, 1.0f), pintura);
        }
    }
}

void Lienzo::Componer(int x, int y, float cobertura, const Pintura& pintura) {
    const Rgba fuente = Color_en(pintura, x + 0.5, y + 0.5);
    float* p = &pixeles_[(static_cast<size_t>(y) * ancho_ + x) * 4];
    const float resto = 1.0f - fuente[3] * cobertura;
    for (size_t k = 0; k < 4; ++k) p[k] = fuente[k] * cobertura + p[k] * resto;
}

Imagen Lienzo::Terminar() const {
    Imagen img{ancho_, alto_, std::vector<std::uint32_t>(static_cast<size_t>(ancho_) * alto_)};
    for (size_t i = 0; i < img.pixeles.size(); ++i) {
        const float* p = &pixeles_[i * 4];
        const float alfa = std::clamp(p[3], 0.0f, 1.0f);
        // No colour brighter than its opacity, whatever the rounding did on the way.
        const auto canal = [alfa](float v) {
            return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0f, alfa) * 255.0f));
        };
        img.pixeles[i] = canal(alfa) << 24 | canal(p[0]) << 16 | canal(p[1]) << 8 | canal(p[2]);
    }
    return img;
}

}  // namespace z82::dibujos
