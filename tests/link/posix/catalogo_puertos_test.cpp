// Port numbering on Linux, over a machine laid out in a temporary folder: a sysfs tty
// class with USB, ACM and legacy serial devices, and the device files they name.
#include "link/posix/catalogo_puertos.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "link/posix/entorno_sistema.h"

namespace z82 {
namespace {

namespace fs = std::filesystem;

class Maquina {
  public:
    Maquina() {
        std::string plantilla = ::testing::TempDir() + "z82_cat_XXXXXX";
        raiz = ::mkdtemp(plantilla.data());
        fs::create_directories(clase());
        fs::create_directories(dev());
        fs::create_directories(raiz / "drivers" / "ftdi_sio");
        fs::create_directories(raiz / "drivers" / "cdc_acm");
        fs::create_directories(raiz / "drivers" / "serial8250");
    }
    ~Maquina() {
        std::error_code ec;
        fs::remove_all(raiz, ec);
    }

    fs::path clase() const { return raiz / "class" / "tty"; }
    fs::path dev() const { return raiz / "dev"; }

    static void escribir(const fs::path& archivo, const std::string& texto) {
        std::ofstream(archivo) << texto << "\n";
    }

    // A tty whose device directory is `dispositivo` (created) bound to `driver`.
    void tty(const std::string& nombre, const fs::path& dispositivo, const std::string& driver,
             bool con_archivo = true) {
        fs::create_directories(dispositivo);
        fs::create_directory_symlink(raiz / "drivers" / driver, dispositivo / "driver");
        fs::create_directories(clase() / nombre);
        fs::create_directory_symlink(dispositivo, clase() / nombre / "device");
        if (con_archivo) escribir(dev() / nombre, "");
    }

    // A USB-serial adapter: the tty sits below the interface, below the USB device.
    void usb(const std::string& nombre, const std::string& bus, const std::string& driver,
             bool tty_bajo_interfaz) {
        const fs::path usbdev = raiz / "devices" / bus;
        fs::create_directories(usbdev);
        escribir(usbdev / "idVendor", "0403");
        escribir(usbdev / "idProduct", "6001");
        escribir(usbdev / "manufacturer", "Maker");
        escribir(usbdev / "product", "Cable " + nombre);
        fs::path interfaz = usbdev / (bus + ":1.0");
        tty(nombre, tty_bajo_interfaz ? interfaz / nombre : interfaz, driver);
    }

    fs::path raiz;
};

TEST(CatalogoPuertos, OrdersUsbThenAcmThenRealSerialHardware) {
    Maquina m;
    m.usb("ttyUSB10", "1-2", "ftdi_sio", true);
    m.usb("ttyUSB2", "1-1", "ftdi_sio", true);
    m.usb("ttyACM0", "1-3", "cdc_acm", false);
    // Legacy ports: ttyS0 has no chip behind it (type 0), ttyS1 has one.
    m.tty("ttyS0", m.raiz / "devices" / "serial8250" / "ttyS0", "serial8250");
    Maquina::escribir(m.clase() / "ttyS0" / "type", "0");
    // ttyS1 as newer kernels show it: the serial core's port device under the chip's.
    fs::create_directories(m.raiz / "drivers" / "port");
    const fs::path chip = m.raiz / "devices" / "serial8250" / "chip1";
    fs::create_directories(chip);
    fs::create_directory_symlink(m.raiz / "drivers" / "serial8250", chip / "driver");
    m.tty("ttyS1", chip / "port1", "port");
    Maquina::escribir(m.clase() / "ttyS1" / "type", "4");
    // A console without a device, and a port whose device file is missing.
    fs::create_directories(m.clase() / "tty0");
    Maquina::escribir(m.dev() / "tty0", "");
    m.tty("ttyUSB5", m.raiz / "devices" / "huerfano" / "ttyUSB5", "ftdi_sio", false);

    Catalogo_puertos c(m.clase().string(), m.dev().string());
    ASSERT_EQ(c.cantidad(), 4);
    EXPECT_EQ(c.ruta(1), (m.dev() / "ttyUSB2").string());
    EXPECT_EQ(c.ruta(2), (m.dev() / "ttyUSB10").string());
    EXPECT_EQ(c.ruta(3), (m.dev() / "ttyACM0").string());
    EXPECT_EQ(c.ruta(4), (m.dev() / "ttyS1").string());
    EXPECT_EQ(c.ruta(5), "");
    EXPECT_EQ(c.ruta(0), "");
    EXPECT_EQ(c.descripcion(1), "Maker Cable ttyUSB2 (0403:6001)");
    EXPECT_EQ(c.descripcion(3), "Maker Cable ttyACM0 (0403:6001)");
    EXPECT_EQ(c.descripcion(4), "serial8250");
    EXPECT_TRUE(c.existe(4));
    EXPECT_FALSE(c.existe(5));

    // A device file that vanished no longer exists as a port.
    fs::remove(m.dev() / "ttyUSB10");
    EXPECT_FALSE(c.existe(2));
}

TEST(CatalogoPuertos, ExplicitPathsGetNumbersAfterTheSystemsDevices) {
    Maquina m;
    m.usb("ttyUSB0", "1-1", "ftdi_sio", true);
    Catalogo_puertos c(m.clase().string(), m.dev().string());
    ASSERT_EQ(c.cantidad(), 1);

    EXPECT_EQ(c.registrar("/dev/pts/7"), 2);
    EXPECT_EQ(c.registrar("/dev/pts/9"), 3);
    EXPECT_EQ(c.registrar("/dev/pts/7"), 2);  // same path, same number
    EXPECT_EQ(c.registrar((m.dev() / "ttyUSB0").string()), 1);
    EXPECT_EQ(c.registrar(""), 0);
    // A link to a listed device is that device.
    fs::create_symlink(m.dev() / "ttyUSB0", m.raiz / "por-id");
    EXPECT_EQ(c.registrar((m.raiz / "por-id").string()), 1);
    EXPECT_TRUE(c.puerto(2)->explicito);

    // A device plugged in later comes first after a new reading; the paths stay listed.
    m.usb("ttyACM0", "1-2", "cdc_acm", false);
    c.actualizar();
    ASSERT_EQ(c.cantidad(), 4);
    EXPECT_EQ(c.ruta(2), (m.dev() / "ttyACM0").string());
    EXPECT_EQ(c.numero("/dev/pts/7"), 3);
    EXPECT_EQ(c.numero("/dev/pts/9"), 4);
}

TEST(CatalogoPuertos, EnvironmentListsTheCatalogueAsComNames) {
    Maquina m;
    m.usb("ttyUSB0", "1-1", "ftdi_sio", true);
    Enlace_sistema enlace(m.clase().string(), m.dev().string(), (m.raiz / "Mutex_Puerto").string());
    Entorno_sistema entorno(enlace);
    // A pseudo-terminal path that no other test can create meanwhile.
    const std::string pts = (m.raiz / "pts-ausente").string();
    EXPECT_EQ(enlace.numero(pts), 2);
    EXPECT_EQ(entorno.puertos_registro(), (std::vector<std::string>{"COM1", "COM2"}));
    EXPECT_TRUE(entorno.existe_puerto(1));
    EXPECT_FALSE(entorno.existe_puerto(2));  // registered, but no such file here
    EXPECT_FALSE(entorno.existe_puerto(3));

    // The search starts at port 1 and sees a meter plugged in since.
    m.usb("ttyACM0", "1-2", "cdc_acm", false);
    EXPECT_TRUE(entorno.existe_puerto(1));
    EXPECT_TRUE(entorno.existe_puerto(2));
    EXPECT_EQ(entorno.puertos_registro().size(), 3u);
    EXPECT_EQ(enlace.numeros(), (std::vector<int>{1, 2}));  // the pts path is not here

    // What the user may type for a port.
    EXPECT_EQ(enlace.numero("12"), 12);
    EXPECT_EQ(enlace.numero("COM7"), 7);
    EXPECT_EQ(enlace.numero(""), 0);
    EXPECT_EQ(enlace.descripcion(1),
              (m.dev() / "ttyUSB0").string() + " - Maker Cable ttyUSB0 (0403:6001)");
}

// The slot names of a bench's hub: udev's links, relative as it makes them. A slot keeps
// its name and every way of naming it leads to one port, also after its adapter was plugged
// in again and came back as another ttyUSB.
TEST(CatalogoPuertos, SlotNamesComeFromTheSerialLinksAndOutliveTheTtyNumber) {
    Maquina m;
    m.usb("ttyUSB0", "1-2.3", "ftdi_sio", true);
    m.usb("ttyUSB1", "1-2.4", "ftdi_sio", true);
    const fs::path por_ruta = m.dev() / "serial" / "by-path";
    const fs::path por_id = m.dev() / "serial" / "by-id";
    fs::create_directories(por_ruta);
    fs::create_directories(por_id);
    const std::string ranura = "pci-0000:00:14.0-usb-0:2.3:1.0-port0";
    const std::string id_a = "usb-Maker_Cable_A1-if00-port0";
    fs::create_symlink("../../ttyUSB0", por_ruta / "pci-0000:00:14.0-usbv2-0:2.3:1.0-port0");
    fs::create_symlink("../../ttyUSB0", por_ruta / ranura);
    fs::create_symlink("../../ttyUSB0", por_id / id_a);
    fs::create_symlink("../../ttyUSB1", por_id / "usb-Maker_Cable_B2-if00-port0");
    const std::string vacia = "pci-0000:00:14.0-usb-0:2.9:1.0-port0";
    fs::create_symlink("../../ttyUSB9", por_ruta / vacia);  // its adapter is gone
    Enlace_sistema enlace(m.clase().string(), m.dev().string(), (m.raiz / "Mutex_Puerto").string());
    const std::string pts = (m.raiz / "pts-3").string();
    Maquina::escribir(pts, "");

    const struct {
        std::string nombre;
        int numero;
    } casos[] = {
        {ranura, 1},
        {(por_ruta / ranura).string(), 1},
        {(por_ruta / "pci-0000:00:14.0-usbv2-0:2.3:1.0-port0").string(), 1},
        {id_a, 1},
        {(m.dev() / "ttyUSB0").string(), 1},
        {"ttyUSB0", 1},
        {"usb-Maker_Cable_B2-if00-port0", 2},
        {pts, 3},
        {vacia, 0},
        {"pci-0000:00:14.0-usb-0:2.8:1.0-port0", 0},
    };
    for (const auto& c : casos) EXPECT_EQ(enlace.numero(c.nombre), c.numero) << c.nombre;
    EXPECT_EQ(enlace.ranura(1), ranura);
    EXPECT_EQ(enlace.por_id(1), id_a);
    EXPECT_EQ(enlace.ranura(2), "usb-Maker_Cable_B2-if00-port0");  // no slot: the adapter
    EXPECT_EQ(enlace.por_id(3), "");
    EXPECT_EQ(enlace.ranura(3), pts);  // neither: the path
    EXPECT_EQ(enlace.ranura(4), "");
    // Another adapter goes into the first slot and comes up as ttyUSB3: udev moves the slot's
    // links to it and takes the old adapter's name away.
    fs::remove_all(m.clase() / "ttyUSB0");
    fs::remove(m.dev() / "ttyUSB0");
    fs::remove(por_id / id_a);
    m.usb("ttyUSB3", "1-2.3", "ftdi_sio", true);
    for (const char* nombre :
         {"pci-0000:00:14.0-usb-0:2.3:1.0-port0", "pci-0000:00:14.0-usbv2-0:2.3:1.0-port0"}) {
        fs::remove(por_ruta / nombre);
        fs::create_symlink("../../ttyUSB3", por_ruta / nombre);
    }
    EXPECT_EQ(enlace.numeros(), (std::vector<int>{1, 2, 3}));  // ttyUSB1, ttyUSB3, pts-3
    const int n = enlace.numero(ranura);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(enlace.catalogo.ruta(n), (m.dev() / "ttyUSB3").string());
    EXPECT_EQ(enlace.ranura(n), ranura);
    EXPECT_EQ(enlace.por_id(n), "");
    EXPECT_EQ(enlace.numero((por_ruta / ranura).string()), n);
    EXPECT_EQ(enlace.numero(id_a), 0);
}

TEST(EntornoSistema, ClocksAreMonotonicAndSecondsAreWholeMilliseconds) {
    Enlace_sistema enlace("/nonexistent", "/nonexistent", "/nonexistent/lock");
    Entorno_sistema entorno(enlace);
    const int64_t ms = entorno.milisegundos();
    const int64_t s = entorno.segundos();
    EXPECT_LE(ms / 1000, s);
    EXPECT_LE(s, entorno.milisegundos() / 1000);
    ::testing::internal::CaptureStdout();
    entorno.diagnostico("Sector 3 erased");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Sector 3 erased\n");
    EXPECT_FALSE(enlace.cerrojo.entre_procesos());
    EXPECT_EQ(enlace.catalogo.cantidad(), 0);
}

}  // namespace
}  // namespace z82
