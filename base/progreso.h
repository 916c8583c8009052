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
    // A new stream starts on the bar: what it carries ("main firmware"), what its positions
    // count ("bytes", "records", "s"), and whether its total is due (false when the meter
    // decides how far it goes: the flash programming's steps, the module's seconds).
    virtual void tramo(const std::string& /*nombre*/, const std::string& /*unidad*/,
                       bool /*total_debido*/) {}
    // The item whose streams were shown since the last call has ended; completo: it
    // succeeded, so its streams went the whole way.
    virtual void fin_elemento(bool /*completo*/) {}
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
    // with the position at 0. total_debido false: the meter decides how far it goes.
    void Tramo(const std::string& nombre, const std::string& unidad, int maximo,
               bool total_debido = true) {
        min_ = 0;
        max_ = maximo;
        pos_ = 0;
        dibujo_->tramo(nombre, unidad, total_debido);
        enviar();
    }
    // A new stage of the same stream (the meter's erase, then its write): the bar keeps its
    // range and position. The meter decides the stages.
    void Tramo(const std::string& nombre, const std::string& unidad) {
        dibujo_->tramo(nombre, unidad, false);
    }
    // The item that moved the bar has ended (completo: it succeeded).
    void Fin_elemento(bool completo) { dibujo_->fin_elemento(completo); }

  private:
    void enviar() { dibujo_->barra(min_, max_, pos_); }
    Dibujo_barra* dibujo_;
    int min_ = 0, max_ = 100, pos_ = 0;
};

}  // namespace z82
