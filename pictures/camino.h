// Outlines for the pictures' rasterizer: paths of lines, cubic curves and arcs, cut into
// short straight pieces as they are built, and the area a stroke of a given width covers.
#pragma once

#include <initializer_list>
#include <vector>

namespace z82::dibujos {

struct Punto {
    double x = 0;
    double y = 0;
};

// A rectangle by its top left corner and its size, in pixels.
struct Caja {
    double x = 0;
    double y = 0;
    double ancho = 0;
    double alto = 0;
    double Derecha() const { return x + ancho; }
    double Abajo() const { return y + alto; }
    Punto Centro() const { return {x + ancho / 2, y + alto / 2}; }
    // The same box with its sides moved: left, top, right, bottom.
    Caja Ajustada(double izq, double arr, double der, double aba) const {
        return {x + izq, y + arr, ancho - izq + der, alto - arr + aba};
    }
};

class Camino {
  public:
    struct Tramo {
        std::vector<Punto> puntos;
        bool cerrado = false;
    };

    Camino& Mover(Punto p);
    Camino& Linea(Punto p);
    Camino& Curva(Punto c1, Punto c2, Punto p);
    Camino& Cerrar();
    // An open piece of its own along the ellipse inscribed in caja, from desde degrees over
    // barrido degrees, both counterclockwise from three o'clock as a person sees it.
    Camino& Arco(const Caja& caja, double desde, double barrido);
    // Closed pieces; an inverse ellipse turns the other way, to cut a hole in a fill.
    Camino& Elipse(Punto centro, double rx, double ry, bool inversa = false);
    Camino& Rectangulo(const Caja& caja);
    Camino& Rectangulo_redondeado(const Caja& caja, double radio);
    Camino& Poligono(std::initializer_list<Punto> puntos);
    // The pieces of otro, after these.
    Camino& Agregar(const Camino& otro);
    // Moves every point to (a x + b y + c, d x + e y + f).
    Camino& Transformar(double a, double b, double c, double d, double e, double f);

    const std::vector<Tramo>& Tramos() const { return tramos_; }

  private:
    Tramo& Actual();
    std::vector<Tramo> tramos_;
};

// Convenience for the one-segment paths the pictures draw as lines.
Camino Segmento(Punto a, Punto b);

enum class Extremo { plano, cuadrado, redondo };
enum class Junta { bisel, redonda };

// A pen's shape: square ends and bevelled corners unless told otherwise.
struct Trazo {
    double ancho = 1;
    Extremo extremo = Extremo::cuadrado;
    Junta junta = Junta::bisel;
};

// The area a stroke covers, as convex pieces (one per segment, plus the corners and the
// ends) all turning the same way, so that filling them with the nonzero rule gives their
// union.
Camino Contorno(const Camino& camino, const Trazo& trazo);

}  // namespace z82::dibujos
