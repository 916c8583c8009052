// The updater's main window on Qt: the widgets of the form and what the wizard shows on
// them. The updater (Tventana_cargador) decides everything; this window draws it and hands
// the user's clicks to it.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <functional>
#include <string>

#include "app/vista.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace z82 {
class Tventana_cargador;
}

namespace z82::gui {

class Marco_atencion;
class Marco_puerto;

class Ventana_qt : public QMainWindow, public Vista {
    Q_OBJECT
  public:
    static constexpr int kAncho = 609;
    static constexpr int kAlto = 455;

    explicit Ventana_qt(QWidget* padre = nullptr);
    ~Ventana_qt() override;

    // Hands the widgets' clicks to the updater and takes its caption. The updater is built
    // after this window (it shows its first texts while it is built) and must outlive it or
    // be unbound with enlazar(nullptr).
    void enlazar(Tventana_cargador* motor);
    // Words about port n for the port panel's list (the device path and its maker); none
    // when this is empty or gives an empty text.
    std::function<std::string(int)> describir_puerto;
    // Shows port n as the one chosen (a port given on the command line).
    void mostrar_puerto(int n);
    // The texts of the port panel's list, built again from the system's ports.
    void listar_puertos();

    // --- Vista ---------------------------------------------------------------------------
    void info(int linea, const std::string& texto) override;
    void imagen(int indice) override;
    void numeros_paso(bool visibles) override;
    void boton_asistente(bool visible) override;
    void barra_visible(bool visible) override;
    void barra(int minimo, int maximo, int posicion) override;
    void menus_habilitados(bool habilitados) override;
    void modo_puerto(bool automatico) override;
    void panel_puerto(bool visible) override;
    void mostrar_atencion(const Pregunta_atencion& pregunta) override;
    void ocultar_atencion() override;
    void mensaje(const std::string& texto) override;
    void etiqueta_version(const std::string& texto) override;
    void menus(const Textos_menu& textos) override;
    void refrescar() override;
    void detalle(const std::string& texto) override;

    // The form's components, by their names.
    QLabel* Image_fondo;
    QLabel* Image_accion;
    std::array<QPixmap, 8> ImageList_acciones;
    QLabel* Label_n1;
    QLabel* Label_n2;
    QLabel* Label_n3;
    QLabel* Label_info1;
    QLabel* Label_info2;
    QLabel* Label_info3;
    QLabel* Label1;
    QLabel* Image_buscar_puerto;
    QToolButton* Button_buscar_puerto;
    QToolButton* SpeedButton_exit;
    QProgressBar* Barra_progreso;
    // The details line: read-only, so its text can be selected and copied.
    QPlainTextEdit* Memo_detalle;
    Marco_puerto* PConfigurarPuerto;
    Marco_atencion* Panel_atencion;
    QCheckBox* Check_firmware;
    QCheckBox* Check_fpga;
    QCheckBox* Check_teclado;
    QCheckBox* Check_planes;
    QCheckBox* Check_borrar;
    QCheckBox* Check_configuracion;
    QCheckBox* Check_mpeg4_apl;
    QMenu* MenuArchivo;
    QAction* Actualizar1;
    QAction* MenuSalir;
    QMenu* MenuConfigurar;
    QAction* Auto1;
    QAction* MenuPuerto;

    // Index of the wizard image on show (-1 before the first).
    int imagen_mostrada() const { return imagen_; }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void Crear_asistente(QWidget* fondo);
    void Crear_menus();
    void Crear_casillas(QWidget* fondo);
    void Crear_detalle(QWidget* fondo);
    void Conectar_puerto();
    QLabel* Linea(QWidget* padre, int x, int y, int ancho, int alto, int pixeles, bool negrita);

    Tventana_cargador* motor_ = nullptr;
    int imagen_ = -1;
};

}  // namespace z82::gui
