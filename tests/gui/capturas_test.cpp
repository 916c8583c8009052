// Pictures of the window in German (the longest texts of the sample language file) at
// start, at the plan question, during a run with its stream under the bar, at success, at
// failure and with the port panel open, saved in the build folder under screenshots/ for a person
// to look at.
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "gui/banco_gui.h"
#include "gui/dibujos.h"
#include "gui/paneles.h"

using z82::gui::Ventana_qt;
using z82::gui::prueba::Banco_gui;
using z82::gui::prueba::Textos_que_no_caben;

namespace {

QString Carpeta() { return QString(Z82_BUILD_DIR) + "/screenshots"; }

// Saves the window and checks that every visible text fits; the names of those that do
// not go to fallos.
void Capturar(Ventana_qt& v, const QString& nombre, QStringList& fallos) {
    const QImage img = v.grab().toImage();
    const QString ruta = Carpeta() + "/" + nombre + ".png";
    if (img.size() != QSize(609, 455) || !img.save(ruta)) fallos << nombre + ": not saved";
    for (const QString& w : Textos_que_no_caben(&v)) fallos << nombre + ": " + w;
}

}  // namespace

class Prueba_capturas : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        z82::gui::prueba::Escribir_idiomas("DE");
        QVERIFY(QDir().mkpath(Carpeta()));
    }

    void imagenesDelAsistente() {
        // The eight images side by side, twice their size, on the window's background.
        const int lado = 2 * z82::gui::kLadoAsistente;
        QImage hoja(8 * lado, lado, QImage::Format_ARGB32);
        hoja.fill(QColor(0x10, 0x3d, 0x5c));
        QPainter p(&hoja);
        for (int i = 0; i < 8; ++i) {
            p.drawImage(QRect(i * lado, 0, lado, lado), z82::gui::Dibujar_asistente(i));
        }
        p.end();
        QVERIFY(hoja.save(Carpeta() + "/0_imagenes_asistente.png"));
        QVERIFY(z82::gui::Dibujar_asistente(8).isNull());
    }

    void exitoYPasos() {
        Banco_gui b;
        Ventana_qt& v = b.vista;
        QStringList fallos;
        QCOMPARE(v.MenuArchivo->title(), QString("Datei"));
        Capturar(v, "1_inicio", fallos);
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        Capturar(v, "2_instrucciones", fallos);

        b.respuestas = {true, true};
        bool pregunta = false, carrera = false;
        b.Cuando([&] { return v.Panel_atencion->isVisible(); },
                 [&] {
                     Capturar(v, "3_pregunta", fallos);
                     pregunta = true;
                 });
        b.Cuando(
            [&] {
                return v.Barra_progreso->isVisible() && v.Label_tramo->isVisible() &&
                       v.Barra_progreso->value() * 3 > v.Barra_progreso->maximum() &&
                       v.Barra_progreso->maximum() > 1000;
            },
            [&] {
                Capturar(v, "4_actualizando", fallos);
                carrera = true;
            });
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        Capturar(v, "5_exito", fallos);
        QVERIFY(pregunta);
        QVERIFY(carrera);
        QCOMPARE(b.ventana->resultado, z82::Resultado_asistente::actualizado);
        QCOMPARE(fallos, QStringList());
    }

    void falloYPanelDePuertos() {
        Banco_gui b;
        Ventana_qt& v = b.vista;
        QStringList fallos;
        b.medidor->fallos.borrados_fallidos = 1000;
        b.respuestas = {true, true};
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        QCOMPARE(b.ventana->resultado, z82::Resultado_asistente::fallo);
        // A long cause, as the updater gives it after a failure, with the log's path.
        b.modelo.detalle(
            "Cause: main firmware: the meter refused to erase flash segment 12 of 64 "
            "after 3 tries. Switch the meter off and on with a charged battery, then try "
            "again. Log: /home/technician/.local/state/z82-updater/"
            "z82-update-gui-20261208-231500-1234.log");
        Capturar(v, "6_fallo", fallos);

        v.MenuPuerto->trigger();
        QVERIFY(v.PConfigurarPuerto->isVisible());
        Capturar(v, "7_puertos", fallos);
        QCOMPARE(fallos, QStringList());
    }
};

QTEST_MAIN(Prueba_capturas)
#include "capturas_test.moc"
