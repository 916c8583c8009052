#include "gui/paneles.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "gui/dibujos.h"

namespace z82::gui {
namespace {

using dibujos::kAltoBanda;

void Estilo_panel(QFrame& panel) {
    panel.setFrameShape(QFrame::Box);
    panel.setLineWidth(1);
    panel.setAutoFillBackground(true);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, Color(dibujos::kColorPanel));
    pal.setColor(QPalette::WindowText, Color(dibujos::kColorTextoPanel));
    panel.setPalette(pal);
    panel.setFixedSize(kAnchoPanel, kAltoPanel);
}

QLabel* Banda(QWidget* padre, const QString& texto, const QColor& fondo) {
    auto* banda = new QLabel(texto, padre);
    banda->setTextFormat(Qt::PlainText);
    banda->setGeometry(1, 1, kAnchoPanel - 2, kAltoBanda);
    banda->setAlignment(Qt::AlignCenter);
    banda->setAutoFillBackground(true);
    QPalette pal = banda->palette();
    pal.setColor(QPalette::Window, fondo);
    pal.setColor(QPalette::WindowText, Qt::white);
    banda->setPalette(pal);
    banda->setFont(Letra(dibujos::kLetraBanda, true));
    return banda;
}

}  // namespace

void Combo_puertos::showPopup() {
    emit entrando();
    QComboBox::showPopup();
}

void Combo_puertos::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    emit entrando();
}

Marco_puerto::Marco_puerto(QWidget* padre) : QFrame(padre) {
    setObjectName("PConfigurarPuerto");
    Estilo_panel(*this);
    setFont(Letra(dibujos::kLetraPanel));
    Label_titulo = Banda(this, "USB", Qt::black);

    COM = new QGroupBox(this);
    COM->setObjectName("COM");
    COM->setGeometry(Rect(dibujos::kGrupoPuertos));
    grupo = new QButtonGroup(this);
    for (int k = 0; k < 6; ++k) {
        items[k] = new QRadioButton(QString::number(k + 1), COM);
        items[k]->setGeometry(Rect(dibujos::Caja_item_puerto(k)));
        grupo->addButton(items[k], k);
    }

    Label_com = new QLabel("USB :", this);
    Label_com->setGeometry(Rect(dibujos::kRotuloLista));
    Com_extended = new Combo_puertos(this);
    Com_extended->setObjectName("Com_extended");
    Com_extended->setGeometry(Rect(dibujos::kListaPuertos));
    Com_extended->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Com_extended->view()->setMinimumWidth(dibujos::kAnchoListaAbierta);

    Image_puerto = new QLabel(this);
    Image_puerto->setPixmap(Dibujar_puerto());
    Image_puerto->setGeometry(Rect(dibujos::kImagenPuerto));

    BConfigurarPuerto = new QPushButton("Ok", this);
    BConfigurarPuerto->setObjectName("BConfigurarPuerto");
    BConfigurarPuerto->setGeometry(Rect(dibujos::kBotonPuerto));
    hide();
}

void Marco_puerto::Seleccionar(int k) {
    if (k >= 0 && k < 6) {
        items[k]->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied by unchecking its checked button.
    grupo->setExclusive(false);
    for (QRadioButton* b : items) b->setChecked(false);
    grupo->setExclusive(true);
}

int Marco_puerto::Seleccionado() const { return grupo->checkedId(); }

Marco_atencion::Marco_atencion(QWidget* padre) : QFrame(padre) {
    setObjectName("Panel_atencion");
    Estilo_panel(*this);
    Label_atencion = Banda(this, QString(), Color(dibujos::kColorBandaAtencion));
    QLabel** lineas[] = {&Label_atencion_linea1, &Label_atencion_linea2, &Label_atencion_linea3};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignCenter);
        l->setFont(Letra(dibujos::kLetraAtencion, i == 2));
        l->setGeometry(Rect(dibujos::Caja_linea_atencion(i)));
        *lineas[i] = l;
    }
    Button_atencion_ok = new QPushButton(this);
    Button_atencion_ok->setObjectName("Button_atencion_ok");
    Button_atencion_ok->setGeometry(Rect(dibujos::kBotonAtencionOk));
    Button_atencion_cancel = new QPushButton(this);
    Button_atencion_cancel->setObjectName("Button_atencion_cancel");
    Button_atencion_cancel->setGeometry(Rect(dibujos::kBotonAtencionCancelar));
    hide();
}

}  // namespace z82::gui
