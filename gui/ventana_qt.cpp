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
#include <algorithm>

#include "gui/dibujos.h"
#include "gui/paneles.h"
#include "gui/texto_qt.h"

namespace z82::gui {
namespace {

// Where the pieces sit and their colours: the layout both windows share.
using namespace dibujos;  // NOLINT(google-build-using-namespace)
using Parte = Modelo_ventana::Parte;
using Orden = Modelo_ventana::Orden;

// A caption for a menu: an '&' in the language file is a character, not a shortcut mark.
QString Rotulo_menu(const std::string& texto) {
    return Texto_qt(texto).replace('&', QStringLiteral("&&"));
}

}  // namespace

Ventana_qt::Ventana_qt(Modelo_ventana& modelo, QWidget* padre)
    : QMainWindow(padre), modelo_(modelo) {
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

    Label1 = Linea(central, Rect(kEtiquetaVersion), kLetraVersion, false, kColorVersion);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    PConfigurarPuerto = new Marco_puerto(Image_fondo);
    PConfigurarPuerto->move(kXPanel, kYPanel);
    Panel_atencion = new Marco_atencion(Image_fondo);
    Panel_atencion->move(kXPanel, kYPanel);
    Conectar_paneles();

    for (int p = 0; p < static_cast<int>(Parte::repintar); ++p) Dibujar(static_cast<Parte>(p));
    modelo_.al_cambiar = [this](Parte p) { Dibujar(p); };
    modelo_.al_mensaje = [this](const std::string& texto) {
        QMessageBox caja(QMessageBox::NoIcon, QStringLiteral("Update"), Texto_qt(texto),
                         QMessageBox::Ok, this);
        caja.setTextFormat(Qt::PlainText);
        caja.exec();
    };
    modelo_.Dar_mensajes();
}

Ventana_qt::~Ventana_qt() {
    modelo_.al_cambiar = nullptr;
    modelo_.al_mensaje = nullptr;
}

QLabel* Ventana_qt::Linea(QWidget* padre, const QRect& caja, int pixeles, bool negrita,
                          std::uint32_t color) {
    auto* l = new QLabel(padre);
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(caja);
    l->setFont(Letra(pixeles, negrita));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Color(color));
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
        QLabel* n = Linea(fondo, QRect(kXNumero, y, kXLinea - kXNumero, kAltoLinea), kLetraNumero,
                          true, kColorNumero);
        n->setText(QString::number(i + 1) + ".");
        n->setObjectName(QString("Label_n%1").arg(i + 1));
        *numeros[i] = n;
        QLabel* l = Linea(fondo, QRect(kXLinea, y, kAnchoLineaInfo, kAltoLinea), kLetraInfo, i == 0,
                          kColorTexto);
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
    connect(Button_buscar_puerto, &QToolButton::clicked, this,
            [this] { modelo_.Ordenar(Orden::buscar); });

    SpeedButton_exit = new QToolButton(fondo);
    SpeedButton_exit->setObjectName("SpeedButton_exit");
    SpeedButton_exit->setGeometry(kXSalida, kYSalida, kLadoSalida, kLadoSalida);
    SpeedButton_exit->setAutoRaise(true);
    SpeedButton_exit->setIcon(QIcon(Dibujar_salida()));
    SpeedButton_exit->setIconSize(QSize(kLadoSalida, kLadoSalida));
    SpeedButton_exit->setCursor(Qt::PointingHandCursor);
    SpeedButton_exit->setStyleSheet("QToolButton { border: none; background: transparent; }");
    connect(SpeedButton_exit, &QToolButton::clicked, this,
            [this] { modelo_.Ordenar(Orden::salida); });

    Barra_progreso = new QProgressBar(fondo);
    Barra_progreso->setObjectName("Barra_progreso");
    Barra_progreso->setGeometry(kXBarra, kYBarra, kAnchoBarra, kAltoBarra);
    Barra_progreso->setTextVisible(false);

    Label_tramo = Linea(fondo, Rect(kLineaTramo), kLetraTramo, false, kColorVersion);
    Label_tramo->setObjectName("Label_tramo");
    Label_tramo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    MenuArchivo = menuBar()->addMenu(QString());
    MenuArchivo->setObjectName("MenuArchivo");
    Actualizar1 = MenuArchivo->addAction(QString());
    MenuSalir = MenuArchivo->addAction(QString());
    MenuConfigurar = menuBar()->addMenu(QString());
    MenuConfigurar->setObjectName("MenuConfigurar");
    Auto1 = MenuConfigurar->addAction(QString());
    MenuPuerto = MenuConfigurar->addAction(QString());
    Auto1->setCheckable(true);
    MenuPuerto->setCheckable(true);
    const std::pair<QAction*, Orden> ordenes[] = {{Actualizar1, Orden::actualizar},
                                                  {MenuSalir, Orden::salir},
                                                  {Auto1, Orden::automatico},
                                                  {MenuPuerto, Orden::manual}};
    for (const auto& [accion, orden] : ordenes) {
        connect(accion, &QAction::triggered, this, [this, o = orden] { modelo_.Ordenar(o); });
    }
}

void Ventana_qt::Conectar_paneles() {
    Marco_puerto* p = PConfigurarPuerto;
    connect(p->grupo, &QButtonGroup::idClicked, this, [this](int k) { modelo_.Elegir_item(k); });
    connect(p->Com_extended, &Combo_puertos::entrando, this, [this] { modelo_.Listar_puertos(); });
    connect(p->Com_extended, &QComboBox::activated, this,
            [this](int i) { modelo_.Elegir_entrada(i); });
    connect(p->BConfigurarPuerto, &QPushButton::clicked, this,
            [this] { modelo_.Ordenar(Orden::puerto_ok); });
    connect(Panel_atencion->Button_atencion_ok, &QPushButton::clicked, this,
            [this] { modelo_.Ordenar(Orden::atencion_ok); });
    connect(Panel_atencion->Button_atencion_cancel, &QPushButton::clicked, this,
            [this] { modelo_.Ordenar(Orden::atencion_cancelar); });
}

void Ventana_qt::closeEvent(QCloseEvent* e) {
    if (modelo_.Cerrar()) {
        e->accept();
    } else {
        e->ignore();
    }
}

// --- Drawing the model ---------------------------------------------------------------------

void Ventana_qt::Dibujar(Parte parte) {
    const Modelo_ventana& m = modelo_;
    switch (parte) {
        case Parte::titulo:
            setWindowTitle(Texto_qt(m.titulo));
            break;
        case Parte::lineas:
            Label_info1->setText(Texto_qt(m.lineas[0]));
            Label_info2->setText(Texto_qt(m.lineas[1]));
            Label_info3->setText(Texto_qt(m.lineas[2]));
            break;
        case Parte::imagen:
            if (m.imagen_actual >= 0 && m.imagen_actual < kImagenesAsistente) {
                imagen_ = m.imagen_actual;
                Image_accion->setPixmap(ImageList_acciones[static_cast<size_t>(imagen_)]);
            }
            break;
        case Parte::numeros:
            for (QLabel* n : {Label_n1, Label_n2, Label_n3}) n->setVisible(m.numeros_visibles);
            break;
        case Parte::boton:
            Image_buscar_puerto->setVisible(m.boton_visible);
            Button_buscar_puerto->setVisible(m.boton_visible);
            break;
        case Parte::barra:
            Barra_progreso->setRange(m.barra_min, std::max(m.barra_min, m.barra_max));
            Barra_progreso->setValue(m.barra_pos);
            Barra_progreso->setVisible(m.barra_mostrada);
            break;
        case Parte::tramo:
            Label_tramo->setText(Texto_qt(m.linea_tramo));
            Label_tramo->setVisible(m.tramo_visible());
            break;
        case Parte::menus:
            MenuArchivo->menuAction()->setEnabled(m.menus_activos);
            MenuConfigurar->menuAction()->setEnabled(m.menus_activos);
            // The port must not change under a search or a run.
            PConfigurarPuerto->setEnabled(m.menus_activos);
            break;
        case Parte::marcas:
            Auto1->setChecked(m.modo_automatico);
            MenuPuerto->setChecked(!m.modo_automatico);
            break;
        case Parte::textos:
            MenuArchivo->setTitle(Rotulo_menu(m.textos_menu.archivo));
            Actualizar1->setText(Rotulo_menu(m.textos_menu.actualizar));
            MenuSalir->setText(Rotulo_menu(m.textos_menu.salir));
            MenuConfigurar->setTitle(Rotulo_menu(m.textos_menu.configurar));
            Auto1->setText(Rotulo_menu(m.textos_menu.automatico));
            MenuPuerto->setText(Rotulo_menu(m.textos_menu.manual));
            Label1->setText(Texto_qt(m.version));
            break;
        case Parte::panel:
            PConfigurarPuerto->setVisible(m.panel_puerto_visible);
            if (m.panel_puerto_visible) PConfigurarPuerto->raise();
            break;
        case Parte::puertos:
            Dibujar_puertos();
            break;
        case Parte::atencion:
            Dibujar_atencion();
            break;
        case Parte::detalle:
            Memo_detalle->setPlainText(Texto_qt(m.detalle_texto));
            Memo_detalle->setVisible(!m.detalle_texto.empty());
            break;
        case Parte::repintar:
            repaint();
            break;
    }
}

void Ventana_qt::Dibujar_puertos() {
    const Modelo_ventana& m = modelo_;
    Marco_puerto* p = PConfigurarPuerto;
    Combo_puertos* combo = p->Com_extended;
    const QSignalBlocker bloqueo(combo);
    // The list is built again only when its entries changed: it may be open.
    bool iguales = combo->count() == static_cast<int>(m.entradas.size());
    for (int i = 0; iguales && i < combo->count(); ++i) {
        iguales = combo->itemText(i) == Texto_qt(m.entradas[static_cast<size_t>(i)].texto);
    }
    if (!iguales) {
        combo->clear();
        for (const Entrada_puerto& e : m.entradas) combo->addItem(Texto_qt(e.texto));
    }
    combo->setCurrentIndex(m.entrada_elegida);
    p->Seleccionar(m.item_elegido);
    p->COM->setTitle(Texto_qt(m.titulo_grupo));
}

void Ventana_qt::Dibujar_atencion() {
    const Pregunta_atencion& p = modelo_.pregunta;
    Marco_atencion* a = Panel_atencion;
    a->Label_atencion->setText(Texto_qt(p.titulo));
    a->Label_atencion_linea1->setText(Texto_qt(p.linea1));
    a->Label_atencion_linea2->setText(Texto_qt(p.linea2));
    a->Label_atencion_linea3->setText(Texto_qt(p.linea3));
    // Button captions are plain text too: no shortcut marks.
    a->Button_atencion_ok->setText(Rotulo_menu(p.boton_ok));
    a->Button_atencion_cancel->setText(Rotulo_menu(p.boton_cancelar));
    a->setVisible(modelo_.atencion_visible);
    if (modelo_.atencion_visible) a->raise();
}

}  // namespace z82::gui
