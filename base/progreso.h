// The progress bar that long work moves: the Min/Max/Position of the form's component, each
// change sent at once to whatever draws it (the window, the terminal, a test's record).
#pragma once

#include <string>

namespace z82 {

// Where a progress bar is drawn.
class Dibujo_barra {
  public:
    virtual ~Dibujo_barra() = default;
    virtual void barra_visible(bool visible) = 0;
    virtual void barra(int minimo, int maximo, int posicion) = 0;
    // A new stream starts on the bar: what it carries ("main firmware") and what its
    // positions count ("bytes", "records", "s").
    virtual void tramo(const std::string& /*nombre*/, const std::string& /*unidad*/) {}
};

class Barra_de_progreso {
  public:
    explicit Barra_de_progreso(Dibujo_barra& dibujo) : dibujo_(&dibujo) {}
    void Min(int v) {
        min_ = v;
        enviar();
    }
    void Max(int v) {
        max_ = v;
        enviar();
    }
    void Position(int v) {
        pos_ = v;
        enviar();
    }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return pos_; }
    void Visible(bool v) { dibujo_->barra_visible(v); }
    // A new stream: what it carries, what its positions count, and its range 0 to maximo
    // with the position at 0.
    void Tramo(const std::string& nombre, const std::string& unidad, int maximo) {
        min_ = 0;
        max_ = maximo;
        pos_ = 0;
        dibujo_->tramo(nombre, unidad);
        enviar();
    }
    // A new stage of the same stream (the meter's erase, then its write): the bar keeps its
    // range and position.
    void Tramo(const std::string& nombre, const std::string& unidad) {
        dibujo_->tramo(nombre, unidad);
    }

  private:
    void enviar() { dibujo_->barra(min_, max_, pos_); }
    Dibujo_barra* dibujo_;
    int min_ = 0, max_ = 100, pos_ = 0;
};

}  // namespace z82
