// The updater's main window on Qt: the widgets of the form, drawing the window model. The
// model (what the wizard showed, the port panel's entries, the marks) decides everything;
// this window draws it and hands the user's clicks to it.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <cstdint>

#include "app/modelo_ventana.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace z82::gui {

class Marco_atencion;
class Marco_puerto;

class Ventana_qt : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kAncho = 609;
    static constexpr int kAlto = 455;

    // Draws the model as it stands, then each part it says has changed; the model must
    // outlive the window.
    explicit Ventana_qt(Modelo_ventana& modelo, QWidget* padre = nullptr);
    ~Ventana_qt() override;

    Modelo_ventana& modelo() { return modelo_; }

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
    // The stream under the bar during a run.
    QLabel* Label_tramo;
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
    void Dibujar(Modelo_ventana::Parte parte);
    void Dibujar_puertos();
    void Dibujar_atencion();
    void Crear_asistente(QWidget* fondo);
    void Crear_menus();
    void Crear_casillas(QWidget* fondo);
    void Crear_detalle(QWidget* fondo);
    void Conectar_paneles();
    QLabel* Linea(QWidget* padre, const QRect& caja, int pixeles, bool negrita,
                  std::uint32_t color);

    Modelo_ventana& modelo_;
    int imagen_ = -1;
};

}  // namespace z82::gui
