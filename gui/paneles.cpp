#include "gui/paneles.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QFont>
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
    QFont f = banda->font();
    f.setPixelSize(14);
    f.setBold(true);
    banda->setFont(f);
    return banda;
}

QFont Letra(int pixeles, bool negrita = false) {
    QFont f;
    f.setPixelSize(pixeles);
    f.setBold(negrita);
    return f;
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
    setFont(Letra(13));
    Label_titulo = Banda(this, "USB", Qt::black);

    COM = new QGroupBox(Titulo_grupo(), this);
    COM->setObjectName("COM");
    COM->setGeometry(12, kAltoBanda + 8, 168, kAltoPanel - kAltoBanda - 18);
    grupo = new QButtonGroup(this);
    for (int k = 0; k < 6; ++k) {
        // Two columns: 1 to 3 on the left, 4 to 6 on the right.
        items[k] = new QRadioButton(QString::number(k + 1), COM);
        items[k]->setGeometry(16 + (k / 3) * 76, 28 + (k % 3) * 28, 60, 24);
        grupo->addButton(items[k], k);
    }
    items[0]->setChecked(true);

    Label_com = new QLabel("USB :", this);
    Label_com->setGeometry(196, kAltoBanda + 10, 150, 20);
    Com_extended = new Combo_puertos(this);
    Com_extended->setObjectName("Com_extended");
    Com_extended->setGeometry(196, kAltoBanda + 32, kAnchoPanel - 196 - 12, 28);
    Com_extended->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Long device descriptions show in full in the open list.
    Com_extended->view()->setMinimumWidth(360);

    Image_puerto = new QLabel(this);
    Image_puerto->setPixmap(Dibujar_puerto());
    Image_puerto->setGeometry(196, kAltoPanel - kLadoPuerto - 12, kLadoPuerto, kLadoPuerto);

    BConfigurarPuerto = new QPushButton("Ok", this);
    BConfigurarPuerto->setObjectName("BConfigurarPuerto");
    BConfigurarPuerto->setGeometry(kAnchoPanel - 12 - 96, kAltoPanel - 12 - 32, 96, 32);
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
        l->setFont(Letra(14, i == 2));
        l->setGeometry(8, kAltoBanda + 8 + i * 26, kAnchoPanel - 16, 24);
        *lineas[i] = l;
    }
    Button_atencion_ok = new QPushButton(this);
    Button_atencion_ok->setObjectName("Button_atencion_ok");
    Button_atencion_ok->setGeometry(kAnchoPanel / 2 - 8 - 110, kAltoPanel - 12 - 32, 110, 32);
    Button_atencion_cancel = new QPushButton(this);
    Button_atencion_cancel->setObjectName("Button_atencion_cancel");
    Button_atencion_cancel->setGeometry(kAnchoPanel / 2 + 8, kAltoPanel - 12 - 32, 110, 32);
    hide();
}

}  // namespace z82::gui
