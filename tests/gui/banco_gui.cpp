#include "gui/banco_gui.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <fstream>
#include <sstream>

#include "cli/archivo_idiomas.h"
#include "gui/paneles.h"

namespace z82::gui::prueba {

void Entorno_prueba::procesar_mensajes() {
    QCoreApplication::processEvents();
    Entorno_virtual::procesar_mensajes();
    if (reloj().ms() > limite_ms) qFatal("the window waited past the virtual time limit");
    // Copy: a watcher may add another.
    const auto lista = vigilantes;
    for (const auto& v : lista) v();
}

void Escribir_idiomas(const std::string& idioma) {
    std::ifstream muestra(std::string(Z82_SOURCE_DIR) + "/data/idiomas.ini");
    std::ofstream salida("idiomas.ini", std::ios::trunc);
    std::string linea;
    while (std::getline(muestra, linea)) {
        if (linea.rfind("IDIOMA=", 0) == 0) linea = "IDIOMA=" + idioma;
        salida << linea << '\n';
    }
}

QStringList Textos_que_no_caben(QWidget* raiz) {
    QStringList malos;
    auto nombre = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
    };
    for (QWidget* w : raiz->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(raiz)) continue;
        // Inside its parent: nothing is cut off by the edge it sits on.
        if (w->parentWidget() != nullptr && w->parentWidget() != raiz &&
            !w->parentWidget()->rect().contains(w->geometry())) {
            malos << nombre(w) + " (outside its parent)";
        }
        const QFontMetrics fm(w->font());
        if (auto* l = qobject_cast<QLabel*>(w); l != nullptr && !l->text().isEmpty()) {
            const QRect r = l->contentsRect();
            const int flags = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
            const QRect usado = fm.boundingRect(r, flags, l->text());
            if (usado.width() > r.width() || usado.height() > r.height()) malos << nombre(w);
        } else if (auto* b = qobject_cast<QPushButton*>(w); b != nullptr) {
            if (fm.horizontalAdvance(b->text()) + 12 > b->width()) malos << nombre(w);
        } else if (auto* g = qobject_cast<QGroupBox*>(w); g != nullptr) {
            if (fm.horizontalAdvance(g->title()) + 16 > g->width()) malos << nombre(w);
        } else if (auto* a = qobject_cast<QAbstractScrollArea*>(w); a != nullptr) {
            // A text with nowhere to scroll to shows whole.
            if (a->verticalScrollBar()->maximum() > 0 || a->horizontalScrollBar()->maximum() > 0) {
                malos << nombre(w);
            }
        }
    }
    return malos;
}

Banco_gui::Banco_gui(Extremo extremo, const sim::Config_medidor& c) {
    if (extremo == Extremo::medidor) medidor = std::make_unique<sim::Medidor_simulado>(c);
    if (extremo != Extremo::ninguno) {
        enlace.conectar(1, medidor.get());
        entorno.puertos.insert(1);
    }
    // Message boxes run their own loop: answer them from there.
    cerrador_.setInterval(5);
    QObject::connect(&cerrador_, &QTimer::timeout, [this] {
        if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            mensajes << caja->text();
            caja->accept();
        }
    });
    cerrador_.start();
    modelo.numeros_puertos = [this] {
        return std::vector<int>(entorno.puertos.begin(), entorno.puertos.end());
    };
    ventana = std::make_unique<Tventana_cargador>(entorno, modelo, enlace, nullptr,
                                                  Leer_archivo_idiomas("idiomas.ini"));
    modelo.enlazar(ventana.get());
    ventana->terminar = [this](int codigo) { terminado = codigo; };
    entorno.vigilantes.push_back([this] { Vigilar(); });
    vista.show();
    QCoreApplication::processEvents();
}

Banco_gui::~Banco_gui() {
    cerrador_.stop();
    entorno.vigilantes.clear();
    modelo.enlazar(nullptr);
    ventana.reset();
}

bool Banco_gui::Clic(QAbstractButton* boton) {
    if (!boton->isVisible() || !boton->isEnabled()) return false;
    QTest::mouseClick(boton, Qt::LeftButton);
    return true;
}

void Banco_gui::Publicar_clic(QAbstractButton* boton) {
    entorno.publicar([this, boton] {
        if (!Clic(boton)) ++clics_imposibles;
    });
}

void Banco_gui::Cuando(std::function<bool()> cuando, std::function<void()> f) {
    auto hecho = std::make_shared<bool>(false);
    entorno.vigilantes.push_back([hecho, cuando = std::move(cuando), f = std::move(f)] {
        if (*hecho || !cuando()) return;
        *hecho = true;
        f();
    });
}

void Banco_gui::Vigilar() {
    const int img = vista.imagen_mostrada();
    if (imagenes.empty() || imagenes.back() != img) imagenes.push_back(img);
    if (vista.Barra_progreso->isVisible()) barra_vista = true;
    Marco_atencion* panel = vista.Panel_atencion;
    if (!panel->isVisible() || respuestas.empty() || respuesta_en_cola_) return;
    Pregunta_vista p;
    p.titulo = panel->Label_atencion->text();
    p.lineas = {panel->Label_atencion_linea1->text(), panel->Label_atencion_linea2->text(),
                panel->Label_atencion_linea3->text()};
    p.ok = panel->Button_atencion_ok->text();
    p.cancelar = panel->Button_atencion_cancel->text();
    p.visible_ok = panel->Button_atencion_ok->isVisible();
    preguntas.push_back(p);
    const bool ok = respuestas.front();
    respuestas.pop_front();
    respuesta_en_cola_ = true;
    Publicar_clic(ok ? panel->Button_atencion_ok : panel->Button_atencion_cancel);
    entorno.publicar([this] { respuesta_en_cola_ = false; });
}

}  // namespace z82::gui::prueba
