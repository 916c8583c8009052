#include "link/tcpuerto.h"

#include <algorithm>
#include <cstring>

#include "base/entorno.h"

namespace z82 {

// Holds the port lock for one operation and releases it on every way out.
class TCPuerto::Guarda {
  public:
    explicit Guarda(TCPuerto& p) : p_(p) { p_.Bloquear(); }
    ~Guarda() { p_.Desbloquear(); }
    Guarda(const Guarda&) = delete;
    Guarda& operator=(const Guarda&) = delete;

  private:
    TCPuerto& p_;
};

TCPuerto::TCPuerto(Dispositivo_serie& dispositivo, Cerrojo_puerto* cerrojo, Entorno& entorno)
    : dispositivo_(&dispositivo), cerrojo_(cerrojo), entorno_(&entorno) {
    auxiliar_.resize(tamano_entrada_);
}

TCPuerto::~TCPuerto() { Cerrar(); }

void TCPuerto::Bloquear() {
    if (cerrojo_ != nullptr) cerrojo_->bloquear_puerto(numero_puerto_);
}

void TCPuerto::Desbloquear() {
    if (cerrojo_ != nullptr) cerrojo_->desbloquear();
}

bool TCPuerto::Abierto() const { return dispositivo_->abierto(); }

bool TCPuerto::Abrir_dispositivo() {
    if (Abierto()) return true;
    {
        Guarda g(*this);
        dispositivo_->abrir(numero_puerto_);
    }
    return Abierto();
}

bool TCPuerto::Abrir(uint32_t puerto, const Config_puerto& config) {
    numero_puerto_ = puerto;
    dcb_ = Dcb{};
    dcb_.DCBlength = 28;
    dcb_.BaudRate = config.BaudRate;
    dcb_.fBinary = true;
    dcb_.fParity = config.fParity;
    dcb_.fOutxCtsFlow = config.fOutxCtsFlow;
    dcb_.fDtrControl = config.fDtrControl;
    dcb_.fOutX = config.fOutX;
    dcb_.ByteSize = config.ByteSize;
    dcb_.Parity = config.Parity;
    dcb_.StopBits = config.StopBits;
    dcb_.XonLim = static_cast<uint16_t>(tamano_entrada_ / 4);
    dcb_.XoffLim = 1;
    dcb_.XonChar = 0x11;
    dcb_.XoffChar = 0x13;
    dcb_.fOutxDsrFlow = false;
    dcb_.fDsrSensitivity = false;
    dcb_.fTXContinueOnXoff = true;
    dcb_.fErrorChar = false;
    dcb_.fNull = false;
    dcb_.fAbortOnError = false;
    // fInX and fRtsControl stay 0 from the clearing whatever the settings hold.

    Tiempos_com tiempos;
    tiempos.ReadIntervalTimeout = 0xFFFFFFFFu;
    tiempos.ReadTotalTimeoutMultiplier = LECTURA_MS_POR_BYTE;
    tiempos.ReadTotalTimeoutConstant = LECTURA_MS_FIJOS;

    Guarda g(*this);
    if (Abierto()) Cerrar();
    const bool abierto = Abrir_dispositivo();
    // Made even when the open failed; their results do not matter here.
    dispositivo_->configurar(dcb_);
    Purgar(true, true);
    dispositivo_->colas(tamano_entrada_, tamano_salida_);
    dispositivo_->tiempos(tiempos);
    return abierto;
}

int TCPuerto::Escribir(std::initializer_list<uint8_t> datos) {
    return Escribir(datos.begin(), static_cast<uint32_t>(datos.size()));
}

int TCPuerto::Escribir(const uint8_t* datos, uint32_t n) {
    if (!Abierto()) return 0;
    Guarda g(*this);
    int resultado = 0;
    int64_t marca = entorno_->milisegundos();
    while (n > 0) {
        const int libre = Libre_salida();
        if (libre == LIBRE_ERROR) return -1;
        if (libre == 0) {
            if (entorno_->milisegundos() - marca > limite_atasco_ms_) return -1;
            // The queue is full: give the driver a moment instead of spinning.
            entorno_->dormir(1);
            continue;
        }
        const uint32_t trozo = std::min<uint32_t>(static_cast<uint32_t>(libre), n);
        uint32_t escritos = 0;
        if (!dispositivo_->escribir(datos, trozo, escritos)) escritos = 0;
        if (entorno_->milisegundos() - marca > limite_atasco_ms_) {
            Cerrar();
            return -1;
        }
        resultado += static_cast<int>(escritos);
        datos += escritos;
        n -= escritos;
        if (escritos > 0) marca = entorno_->milisegundos();
    }
    return resultado;
}

int TCPuerto::Leer(uint8_t* dest, uint32_t n) {
    if (n == TODOS) n = tamano_entrada_;
    if (!Abierto()) {
        Lectura_en_vano(n);
        return 0;
    }
    Guarda g(*this);
    if (n > 0) dest[0] = 0;
    uint32_t total = 0;
    while (total < n) {
        const uint32_t pedir = std::min(n - total, tamano_entrada_);
        if (pedir == 0) break;
        uint32_t leidos = 0;
        if (!dispositivo_->leer(auxiliar_.data(), pedir, leidos)) {
            if (total == 0) Lectura_en_vano(pedir);
            break;
        }
        if (leidos == 0) break;
        leidos = std::min(leidos, pedir);
        std::memcpy(dest + total, auxiliar_.data(), leidos);
        total += leidos;
    }
    return static_cast<int>(total);
}

void TCPuerto::Lectura_en_vano(uint32_t n) {
    // A closed port or a device that went away answers at once; the waits that poll it
    // would then spin until their limits. It takes the time of a one-byte read from a
    // silent meter instead, so they poll at their usual pace.
    if (n > 0) entorno_->dormir(static_cast<int>(LECTURA_MS_FIJOS + LECTURA_MS_POR_BYTE));
}

int TCPuerto::Libre_salida() {
    int resultado = LIBRE_ERROR;
    Guarda g(*this);
    if (Abierto()) {
        uint32_t errores = 0, en_cola = 0;
        if (dispositivo_->estado(errores, en_cola) && errores == 0 && tamano_salida_ >= en_cola) {
            resultado = static_cast<int>(tamano_salida_ - en_cola);
        }
    }
    return resultado;
}

void TCPuerto::Purgar(bool recepcion, bool transmision) {
    Guarda g(*this);
    if (!Abierto()) return;
    uint32_t mascara = 0;
    if (transmision) mascara |= PURGE_TXABORT | PURGE_TXCLEAR;
    if (recepcion) mascara |= PURGE_RXABORT | PURGE_RXCLEAR;
    dispositivo_->purgar(mascara);
}

void TCPuerto::Poner_rts(bool activo) {
    if (!Abierto()) return;
    Guarda g(*this);
    dispositivo_->escape(activo ? ESCAPE_SETRTS : ESCAPE_CLRRTS);
}

void TCPuerto::Cerrar() {
    if (!Abierto()) return;
    Guarda g(*this);
    dispositivo_->cerrar();
}

void TCPuerto::Vaciar_entrada() {
    uint8_t b = 0;
    while (Leer(&b, 1) > 0) {
    }
}

}  // namespace z82
