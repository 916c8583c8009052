// The two panels that appear over the wizard area: the port panel and the attention panel.
// They only hold widgets; the window connects them to the updater.
#pragma once

#include <QComboBox>
#include <QFrame>

#include "pictures/disposicion.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace z82::gui {

using dibujos::kAltoPanel;
using dibujos::kAnchoPanel;

// The combo box of present ports: it says when the user opens or enters it, so the window
// can list the ports again.
class Combo_puertos : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;

  signals:
    void entrando();

  protected:
    void focusInEvent(QFocusEvent* e) override;
};

// PConfigurarPuerto: title band, the radio group of ports 1 to 6, the combo box of present
// ports, a picture and the Ok button.
class Marco_puerto : public QFrame {
    Q_OBJECT
  public:
    explicit Marco_puerto(QWidget* padre);

    // Selects item k (0 to 5), or none with -1.
    void Seleccionar(int k);
    int Seleccionado() const;

    QLabel* Label_titulo;
    QGroupBox* COM;
    QButtonGroup* grupo;
    QRadioButton* items[6];
    QLabel* Label_com;
    Combo_puertos* Com_extended;
    QLabel* Image_puerto;
    QPushButton* BConfigurarPuerto;
};

// Panel_atencion: maroon title band, three centred lines (the third bold), OK and Cancel.
class Marco_atencion : public QFrame {
    Q_OBJECT
  public:
    explicit Marco_atencion(QWidget* padre);

    QLabel* Label_atencion;
    QLabel* Label_atencion_linea1;
    QLabel* Label_atencion_linea2;
    QLabel* Label_atencion_linea3;
    QPushButton* Button_atencion_ok;
    QPushButton* Button_atencion_cancel;
};

}  // namespace z82::gui
