// Virtual time shared by the engine's environment, the simulated link and the meter model.
#pragma once

#include <cstdint>

namespace z82::sim {

class Reloj_virtual {
  public:
    int64_t us() const { return ahora_us_; }
    int64_t ms() const { return ahora_us_ / 1000; }
    void avanzar_us(int64_t d) {
        if (d > 0) ahora_us_ += d;
    }
    void avanzar_ms(int64_t d) { avanzar_us(d * 1000); }
    void avanzar_hasta_us(int64_t t) {
        if (t > ahora_us_) ahora_us_ = t;
    }

  private:
    int64_t ahora_us_ = 0;
};

}  // namespace z82::sim
