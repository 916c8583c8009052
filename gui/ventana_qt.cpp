#include "gui/ventana_qt.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <cstdlib>

#include "app/ventana_cargador.h"
#include "gui/dibujos.h"
#include "gui/paneles.h"
#include "gui/texto_qt.h"

namespace z82::gui {
namespace {

// Where the pieces sit and their colours: the layout both windows share.
using namespace dibujos;  // NOLINT(google-build-using-namespace)

// A caption for a menu: an '&' in the language file is a character, not a shortcut mark.
QString Rotulo_menu(const std::string& texto) {
    return Texto_qt(texto).replace('&', QStringLiteral("&&"));
}

QFont Letra(int pixeles, bool negrita) {
    QFont f;
    f.setPixelSize(pixeles);
    f.setBold(negrita);
    return f;
}

}  // namespace

Ventana_qt::Ventana_qt(QWidget* padre) : QMainWindow(padre) {
    setObjectName("ventana_cargador");
    // Fixed size, system menu and minimise box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kAncho, kAlto);
    Crear_menus();

    auto* central = new QWidget(this);
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, Color(kColorVentana));
    central->setPalette(pal);
    setCentralWidget(central);

    Image_fondo = new QLabel(central);
    Image_fondo->setObjectName("Image_fondo");
    Image_fondo->setPixmap(Dibujar_fondo());
    Image_fondo->setGeometry(kMargenFondo, kMargenFondo, kAnchoFondo, kAltoFondo);
    Crear_asistente(Image_fondo);
    Crear_detalle(Image_fondo);
    Crear_casillas(Image_fondo);

    Label1 = new QLabel(central);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setFont(Letra(12, false));
    QPalette pal_version = Label1->palette();
    pal_version.setColor(QPalette::WindowText, Color(kColorVersion));
    Label1->setPalette(pal_version);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setGeometry(kMargenFondo, kMargenFondo + kAltoFondo + 2, kAnchoFondo - 4, 18);

    PConfigurarPuerto = new Marco_puerto(Image_fondo);
    PConfigurarPuerto->move(kXPanel, kYPanel);
    Panel_atencion = new Marco_atencion(Image_fondo);
    Panel_atencion->move(kXPanel, kYPanel);
    Conectar_puerto();
}

Ventana_qt::~Ventana_qt() = default;

QLabel* Ventana_qt::Linea(QWidget* padre, int x, int y, int ancho, int alto, int pixeles,
                          bool negrita) {
    auto* l = new QLabel(padre);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(x, y, ancho, alto);
    l->setFont(Letra(pixeles, negrita));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Color(kColorTexto));
    l->setPalette(pal);
    return l;
}

void Ventana_qt::Crear_asistente(QWidget* fondo) {
    for (int i = 0; i < kImagenesAsistente; ++i) {
        ImageList_acciones[static_cast<size_t>(i)] = QPixmap::fromImage(Dibujar_asistente(i));
    }
    Image_accion = new QLabel(fondo);
    Image_accion->setObjectName("Image_accion");
    Image_accion->setGeometry(kXImagen, kYImagen, kLadoAsistente, kLadoAsistente);

    QLabel** numeros[] = {&Label_n1, &Label_n2, &Label_n3};
    QLabel** lineas[] = {&Label_info1, &Label_info2, &Label_info3};
    for (int i = 0; i < 3; ++i) {
        const int y = kYImagen + i * kPasoLinea;
        QLabel* n = Linea(fondo, kXNumero, y, kXLinea - kXNumero, kAltoLinea, 32, true);
        n->setText(QString::number(i + 1) + ".");
        n->setObjectName(QString("Label_n%1").arg(i + 1));
        QPalette pal = n->palette();
        pal.setColor(QPalette::WindowText, Color(kColorNumero));
        n->setPalette(pal);
        n->hide();
        *numeros[i] = n;
        QLabel* l = Linea(fondo, kXLinea, y, kAnchoFondo - kXLinea - 14, kAltoLinea, 15, i == 0);
        l->setObjectName(QString("Label_info%1").arg(i + 1));
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        *lineas[i] = l;
    }

    Image_buscar_puerto = new QLabel(fondo);
    Image_buscar_puerto->setObjectName("Image_buscar_puerto");
    Image_buscar_puerto->setPixmap(Dibujar_boton_asistente());
    Image_buscar_puerto->setGeometry(kXImagen, kYBoton, kLadoAsistente, kLadoAsistente);
    // A flat button over the picture: it only lightens or darkens it.
    Button_buscar_puerto = new QToolButton(fondo);
    Button_buscar_puerto->setObjectName("Button_buscar_puerto");
    Button_buscar_puerto->setGeometry(kXImagen, kYBoton, kLadoAsistente, kLadoAsistente);
    Button_buscar_puerto->setAutoRaise(true);
    Button_buscar_puerto->setCursor(Qt::PointingHandCursor);
    Button_buscar_puerto->setStyleSheet(
        "QToolButton { border: none; background: transparent; border-radius: 60px; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 40); }"
        "QToolButton:pressed { background: rgba(0, 0, 0, 60); }");
    connect(Button_buscar_puerto, &QToolButton::clicked, this, [this] {
        if (motor_ != nullptr) motor_->Button_buscar_puertoClick();
    });

    SpeedButton_exit = new QToolButton(fondo);
    SpeedButton_exit->setObjectName("SpeedButton_exit");
    SpeedButton_exit->setGeometry(kXSalida, kYSalida, kLadoSalida, kLadoSalida);
    SpeedButton_exit->setAutoRaise(true);
    SpeedButton_exit->setIcon(QIcon(Dibujar_salida()));
    SpeedButton_exit->setIconSize(QSize(kLadoSalida, kLadoSalida));
    SpeedButton_exit->setCursor(Qt::PointingHandCursor);
    SpeedButton_exit->setStyleSheet("QToolButton { border: none; background: transparent; }");
    connect(SpeedButton_exit, &QToolButton::clicked, this, [this] {
        if (motor_ != nullptr) motor_->SpeedButton_exitClick();
    });

    Barra_progreso = new QProgressBar(fondo);
    Barra_progreso->setObjectName("Barra_progreso");
    Barra_progreso->setGeometry(kXBarra, kYBarra, kAnchoBarra, kAltoBarra);
    Barra_progreso->setRange(0, 100);
    Barra_progreso->setValue(0);
    Barra_progreso->setTextVisible(false);
    Barra_progreso->hide();
}

void Ventana_qt::Crear_detalle(QWidget* fondo) {
    Memo_detalle = new QPlainTextEdit(fondo);
    Memo_detalle->setObjectName("Memo_detalle");
    Memo_detalle->setGeometry(kXDetalle, kYDetalle, kAnchoDetalle, kAltoDetalle);
    Memo_detalle->setReadOnly(true);
    Memo_detalle->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo_detalle->setFrameShape(QFrame::NoFrame);
    Memo_detalle->setFont(Letra(kLetraDetalle, false));
    // A log's path is one long word: it breaks anywhere rather than run out of the band.
    Memo_detalle->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo_detalle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo_detalle->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo_detalle->document()->setDocumentMargin(kMargenDetalle);
    QPalette pal = Memo_detalle->palette();
    pal.setColor(QPalette::Base, Color(kColorFondoDetalle));
    pal.setColor(QPalette::Text, Color(kColorDetalle));
    Memo_detalle->setPalette(pal);
    Memo_detalle->hide();
}

void Ventana_qt::Crear_casillas(QWidget* fondo) {
    // The update plan's check boxes: part of the form, never shown.
    struct Casilla {
        QCheckBox** campo;
        const char* nombre;
        const char* texto;
    };
    const Casilla casillas[] = {
        {&Check_firmware, "Check_firmware", "Medidor"},
        {&Check_fpga, "Check_fpga", "Fpga"},
        {&Check_teclado, "Check_teclado", "Teclado"},
        {&Check_planes, "Check_planes", "Planes"},
        {&Check_borrar, "Check_borrar", "Borrar"},
        {&Check_configuracion, "Check_configuracion", "Zona"},
        {&Check_mpeg4_apl, "Check_mpeg4_apl", "Mpeg4_apl"},
    };
    for (const Casilla& c : casillas) {
        *c.campo = new QCheckBox(c.texto, fondo);
        (*c.campo)->setObjectName(c.nombre);
        (*c.campo)->hide();
    }
}

void Ventana_qt::Crear_menus() {
    MenuArchivo = menuBar()->addMenu("Archivo");
    MenuArchivo->setObjectName("MenuArchivo");
    Actualizar1 = MenuArchivo->addAction("Actualizar");
    MenuSalir = MenuArchivo->addAction("Salir");
    MenuConfigurar = menuBar()->addMenu("Configurar");
    MenuConfigurar->setObjectName("MenuConfigurar");
    Auto1 = MenuConfigurar->addAction("Auto");
    MenuPuerto = MenuConfigurar->addAction("Manual");
    Auto1->setCheckable(true);
    MenuPuerto->setCheckable(true);
    Auto1->setChecked(true);

    connect(Actualizar1, &QAction::triggered, this, [this] {
        if (motor_ != nullptr) motor_->Actualizar1Click();
    });
    connect(MenuSalir, &QAction::triggered, this, [this] {
        if (motor_ != nullptr) motor_->MenuSalirClick();
    });
    // The updater sets both marks; a click on a marked item leaves it marked.
    connect(Auto1, &QAction::triggered, this, [this] {
        if (motor_ != nullptr) motor_->Auto1Click();
        Auto1->setChecked(motor_ == nullptr || motor_->modo_automatico);
    });
    connect(MenuPuerto, &QAction::triggered, this, [this] {
        if (motor_ != nullptr) motor_->MenuPuertoClick();
        MenuPuerto->setChecked(motor_ == nullptr || !motor_->modo_automatico);
    });
}

void Ventana_qt::Conectar_puerto() {
    Marco_puerto* p = PConfigurarPuerto;
    connect(p->grupo, &QButtonGroup::idClicked, this, [this](int k) {
        if (motor_ == nullptr) return;
        motor_->COM_Click(k);
        PConfigurarPuerto->Com_extended->setCurrentIndex(-1);
        PConfigurarPuerto->COM->setTitle(Marco_puerto::Titulo_grupo());
    });
    connect(p->Com_extended, &Combo_puertos::entrando, this, [this] { listar_puertos(); });
    connect(p->Com_extended, &QComboBox::activated, this, [this](int indice) {
        if (motor_ == nullptr || indice < 0) return;
        motor_->Com_extended_select(Texto_std(PConfigurarPuerto->Com_extended->itemText(indice)));
        // The combo box names the port: the radio group shows none of its own.
        PConfigurarPuerto->Seleccionar(-1);
        PConfigurarPuerto->COM->setTitle(QString("USB: %1").arg(motor_->numero_puerto));
    });
    connect(p->BConfigurarPuerto, &QPushButton::clicked, this, [this] {
        if (motor_ != nullptr) motor_->BConfigurarPuertoClick();
    });
    connect(Panel_atencion->Button_atencion_ok, &QPushButton::clicked, this, [this] {
        if (motor_ != nullptr) motor_->Button_atencion_okClick();
    });
    connect(Panel_atencion->Button_atencion_cancel, &QPushButton::clicked, this, [this] {
        if (motor_ != nullptr) motor_->Button_atencion_cancelClick();
    });
}

void Ventana_qt::enlazar(Tventana_cargador* motor) {
    motor_ = motor;
    if (motor_ != nullptr) setWindowTitle(Texto_qt(motor_->Titulo()));
}

void Ventana_qt::mostrar_puerto(int n) {
    Marco_puerto* p = PConfigurarPuerto;
    if (n >= 1 && n <= 6) {
        p->Seleccionar(n - 1);
        p->COM->setTitle(Marco_puerto::Titulo_grupo());
    } else {
        p->Seleccionar(-1);
        p->COM->setTitle(QString("USB: %1").arg(n));
    }
}

void Ventana_qt::listar_puertos() {
    if (motor_ == nullptr) return;
    Combo_puertos* combo = PConfigurarPuerto->Com_extended;
    const QString elegido = combo->currentText();
    const QSignalBlocker bloqueo(combo);
    combo->clear();
    for (const std::string& nombre : motor_->Com_extendedChange()) {
        QString texto = Texto_qt(nombre);
        const int n = nombre.size() > 3 ? std::atoi(nombre.c_str() + 3) : 0;
        const std::string palabras = describir_puerto ? describir_puerto(n) : std::string();
        if (!palabras.empty()) texto += " - " + Texto_qt(palabras);
        combo->addItem(texto);
    }
    combo->setCurrentIndex(elegido.isEmpty() ? -1 : combo->findText(elegido));
}

void Ventana_qt::closeEvent(QCloseEvent* e) {
    if (motor_ != nullptr) {
        if (!motor_->FormCloseQuery()) {
            e->ignore();
            return;
        }
        motor_->FormClose();
    }
    e->accept();
}

// --- Vista ---------------------------------------------------------------------------------

void Ventana_qt::info(int linea, const std::string& texto) {
    QLabel* lineas[] = {Label_info1, Label_info2, Label_info3};
    if (linea >= 1 && linea <= 3) lineas[linea - 1]->setText(Texto_qt(texto));
}

void Ventana_qt::imagen(int indice) {
    if (indice < 0 || indice >= kImagenesAsistente) return;
    imagen_ = indice;
    Image_accion->setPixmap(ImageList_acciones[static_cast<size_t>(indice)]);
}

void Ventana_qt::numeros_paso(bool visibles) {
    Label_n1->setVisible(visibles);
    Label_n2->setVisible(visibles);
    Label_n3->setVisible(visibles);
}

void Ventana_qt::boton_asistente(bool visible) {
    Image_buscar_puerto->setVisible(visible);
    Button_buscar_puerto->setVisible(visible);
}

void Ventana_qt::barra_visible(bool visible) { Barra_progreso->setVisible(visible); }

void Ventana_qt::barra(int minimo, int maximo, int posicion) {
    Barra_progreso->setRange(minimo, maximo < minimo ? minimo : maximo);
    Barra_progreso->setValue(posicion);
}

void Ventana_qt::menus_habilitados(bool habilitados) {
    MenuArchivo->menuAction()->setEnabled(habilitados);
    MenuConfigurar->menuAction()->setEnabled(habilitados);
    // The port must not change under a search or a run.
    PConfigurarPuerto->setEnabled(habilitados);
}

void Ventana_qt::modo_puerto(bool automatico) {
    Auto1->setChecked(automatico);
    MenuPuerto->setChecked(!automatico);
}

void Ventana_qt::panel_puerto(bool visible) {
    if (visible) {
        listar_puertos();
        PConfigurarPuerto->show();
        PConfigurarPuerto->raise();
    } else {
        PConfigurarPuerto->hide();
    }
}

void Ventana_qt::mostrar_atencion(const Pregunta_atencion& p) {
    Panel_atencion->Label_atencion->setText(Texto_qt(p.titulo));
    Panel_atencion->Label_atencion_linea1->setText(Texto_qt(p.linea1));
    Panel_atencion->Label_atencion_linea2->setText(Texto_qt(p.linea2));
    Panel_atencion->Label_atencion_linea3->setText(Texto_qt(p.linea3));
    // Button captions are plain text too: no shortcut marks.
    Panel_atencion->Button_atencion_ok->setText(Rotulo_menu(p.boton_ok));
    Panel_atencion->Button_atencion_cancel->setText(Rotulo_menu(p.boton_cancelar));
    Panel_atencion->show();
    Panel_atencion->raise();
}

void Ventana_qt::ocultar_atencion() { Panel_atencion->hide(); }

void Ventana_qt::mensaje(const std::string& texto) {
    QMessageBox caja(QMessageBox::NoIcon, QStringLiteral("Update"), Texto_qt(texto),
                     QMessageBox::Ok, this);
    caja.setTextFormat(Qt::PlainText);
    caja.exec();
}

void Ventana_qt::etiqueta_version(const std::string& texto) { Label1->setText(Texto_qt(texto)); }

void Ventana_qt::menus(const Textos_menu& t) {
    MenuArchivo->setTitle(Rotulo_menu(t.archivo));
    Actualizar1->setText(Rotulo_menu(t.actualizar));
    MenuSalir->setText(Rotulo_menu(t.salir));
    MenuConfigurar->setTitle(Rotulo_menu(t.configurar));
    Auto1->setText(Rotulo_menu(t.automatico));
    MenuPuerto->setText(Rotulo_menu(t.manual));
}

void Ventana_qt::refrescar() { repaint(); }

void Ventana_qt::detalle(const std::string& texto) {
    Memo_detalle->setPlainText(Texto_qt(texto));
    Memo_detalle->setVisible(!texto.empty());
}

}  // namespace z82::gui
