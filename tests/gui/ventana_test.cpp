// The window driven by clicks against the simulated meter under virtual time.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "gui/banco_gui.h"
#include "gui/dibujos.h"
#include "gui/entorno_qt.h"
#include "gui/paneles.h"
#include "gui/texto_qt.h"

using z82::gui::Ventana_qt;
using z82::gui::prueba::Banco_gui;
using Extremo = z82::gui::prueba::Banco_gui::Extremo;

namespace {

QStringList Lineas(const Ventana_qt& v) {
    return {v.Label_info1->text(), v.Label_info2->text(), v.Label_info3->text()};
}

bool Muestra(const Ventana_qt& v, int imagen) {
    return v.imagen_mostrada() == imagen &&
           v.Image_accion->pixmap().toImage() ==
               v.ImageList_acciones[static_cast<size_t>(imagen)].toImage();
}

bool Numeros_visibles(const Ventana_qt& v) {
    return v.Label_n1->isVisible() && v.Label_n2->isVisible() && v.Label_n3->isVisible();
}

// A menu item as a person reaches it: only through an enabled menu.
bool Elegir(QMenu* menu, QAction* accion) {
    if (!menu->menuAction()->isEnabled() || !accion->isEnabled()) return false;
    accion->trigger();
    return true;
}

}  // namespace

class Prueba_ventana : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { z82::gui::prueba::Escribir_idiomas("EN"); }

    void textosDelArchivoTalCual() {
        // UTF-8, and a file saved as Latin-1 by an old editor: no replacement marks.
        QCOMPARE(z82::gui::Texto_qt("Se\xC3\xB1"
                                    "al"),
                 QString::fromUtf8("Se\xC3\xB1"
                                   "al"));
        QCOMPARE(z82::gui::Texto_qt("Se\xF1"
                                    "al"),
                 QString::fromUtf8("Se\xC3\xB1"
                                   "al"));
        // An '&' in a caption is shown, not taken as a shortcut mark.
        Banco_gui b(Extremo::ninguno);
        b.modelo.menus({"Datei & Mehr", "A&B", "Exit", "Settings", "Auto", "Manual"});
        QCOMPARE(b.vista.MenuArchivo->title(), QString("Datei && Mehr"));
        QCOMPARE(b.vista.Actualizar1->text(), QString("A&&B"));
    }

    void entornoQtAtiendeFueraDeLasPausas() {
#ifdef _WIN32
        QSKIP("the scratch machine layout is for Linux");
#else
        // The real environment: a machine without serial ports, a lock in a scratch folder.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QDir(dir.path()).mkpath("tty");
        QDir(dir.path()).mkpath("dev");
        z82::Enlace_sistema enlace((dir.path() + "/tty").toStdString(),
                                   (dir.path() + "/dev").toStdString(),
                                   (dir.path() + "/cerrojo").toStdString());
        z82::gui::Entorno_qt entorno(enlace);
        int eventos = 0, temporizados = 0, pintados = 0;
        z82::Temporizador vigia(10, [&] { ++temporizados; });
        entorno.registrar(vigia);

        // During a long pause: the window's own work runs; the engine's posted work and its
        // timers wait, so nothing of the engine runs in the middle of an exchange.
        entorno.publicar([&] { ++eventos; });
        QTimer::singleShot(0, [&] { ++pintados; });
        vigia.Enabled(true);
        entorno.dormir(60);
        QCOMPARE(pintados, 1);
        QCOMPARE(eventos, 0);
        QCOMPARE(temporizados, 0);

        // The engine lets messages run: everything that waited is handled.
        entorno.procesar_mensajes();
        QCOMPARE(eventos, 1);
        QCOMPARE(temporizados, 1);

        // Idle in the window's own loop: the engine's timer and posted work still run.
        entorno.publicar([&] { ++eventos; });
        QTRY_VERIFY_WITH_TIMEOUT(eventos == 2 && temporizados >= 3, 2000);
        vigia.Enabled(false);
        entorno.olvidar(vigia);
#endif
    }

    void ventanaAlEmpezar() {
        Banco_gui b;
        Ventana_qt& v = b.vista;
        QCOMPARE(v.windowTitle(), QString("Update Z82 v1.88.00004"));
        QCOMPARE(v.minimumSize(), QSize(609, 455));
        QCOMPARE(v.maximumSize(), QSize(609, 455));
        QVERIFY(!(v.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(v.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(v.Image_fondo->pixmap().size(), QSize(600, 400));

        QVERIFY(Muestra(v, 0));
        QCOMPARE(Lineas(v), QStringList({"Z82 meter updater", "Version 1.88.00004",
                                         "Press the button to start"}));
        QCOMPARE(v.Label1->text(), QString("Version 1.88.00004"));
        QVERIFY(!Numeros_visibles(v));
        QCOMPARE(v.Label_n3->text(), QString("3."));
        QVERIFY(v.Button_buscar_puerto->isVisible());
        QVERIFY(v.SpeedButton_exit->isVisible());
        QVERIFY(!v.Barra_progreso->isVisible());
        QVERIFY(!v.PConfigurarPuerto->isVisible());
        QVERIFY(!v.Panel_atencion->isVisible());
        QCOMPARE(v.PConfigurarPuerto->geometry(), v.Panel_atencion->geometry());
        for (QCheckBox* c : {v.Check_firmware, v.Check_fpga, v.Check_teclado, v.Check_planes,
                             v.Check_borrar, v.Check_configuracion, v.Check_mpeg4_apl}) {
            QVERIFY(!c->isVisible());
        }
        QCOMPARE(v.Check_mpeg4_apl->text(), QString("Mpeg4_apl"));

        // Menus in the language of idiomas.ini, Auto marked.
        QCOMPARE(v.MenuArchivo->title(), QString("File"));
        QCOMPARE(v.Actualizar1->text(), QString("Update"));
        QCOMPARE(v.MenuSalir->text(), QString("Exit"));
        QCOMPARE(v.MenuConfigurar->title(), QString("Settings"));
        QVERIFY(v.Auto1->isChecked());
        QVERIFY(!v.MenuPuerto->isChecked());

        // Eight distinct wizard images of 128 by 128.
        for (size_t i = 0; i < v.ImageList_acciones.size(); ++i) {
            QCOMPARE(v.ImageList_acciones[i].size(), QSize(128, 128));
            for (size_t j = 0; j < i; ++j) {
                QVERIFY(v.ImageList_acciones[i].toImage() != v.ImageList_acciones[j].toImage());
            }
        }
        // Nothing of the wizard overlaps anything else, and every text fits.
        QVERIFY(!v.Memo_detalle->isVisible() && !v.Label_tramo->isVisible());
        const QList<QWidget*> piezas = {v.Image_accion,         v.Label_info1,      v.Label_info2,
                                        v.Label_info3,          v.Barra_progreso,   v.Label_tramo,
                                        v.Button_buscar_puerto, v.SpeedButton_exit, v.Memo_detalle};
        for (qsizetype i = 0; i < piezas.size(); ++i) {
            QVERIFY(v.Image_fondo->rect().contains(piezas[i]->geometry()));
            for (qsizetype j = 0; j < i; ++j) {
                // The stream shows during a run, the details line after it, in one place.
                if (piezas[i] == v.Memo_detalle && piezas[j] == v.Label_tramo) continue;
                QVERIFY2(!piezas[i]->geometry().intersects(piezas[j]->geometry()),
                         qPrintable(piezas[i]->objectName() + " / " + piezas[j]->objectName()));
            }
        }
        QCOMPARE(z82::gui::prueba::Textos_que_no_caben(&v), QStringList());
    }

    void actualizacionCompleta() {
        Banco_gui b;
        Ventana_qt& v = b.vista;
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        QVERIFY(Muestra(v, 1));
        QVERIFY(Numeros_visibles(v));
        QCOMPARE(Lineas(v), QStringList({"Connect the meter to the PC with the USB cable",
                                         "and switch it on with a charged battery.",
                                         b.ventana->Texto("PASO2_L3").c_str()}));

        b.respuestas = {true, true};  // replace the plans; allow the erase
        b.imagenes.clear();
        // Once the run is writing: the stream under the bar, as the model gives it; the menus
        // greyed; the window refuses to close.
        QString tramo;
        bool menus_activos = true, cierre_aceptado = true;
        b.Cuando([&] { return b.ventana->ocupado && v.Label_tramo->isVisible(); },
                 [&] {
                     tramo = v.Label_tramo->text();
                     QCOMPARE(tramo, QString::fromStdString(b.modelo.linea_tramo));
                     menus_activos = v.MenuArchivo->menuAction()->isEnabled();
                     cierre_aceptado = v.close();
                 });
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));

        QVERIFY2(tramo.contains("%\n"), qPrintable(tramo));
        QVERIFY(!menus_activos);
        QVERIFY(!cierre_aceptado);
        QCOMPARE(b.clics_imposibles, 0);
        QCOMPARE(b.ventana->resultado, z82::Resultado_asistente::actualizado);
        QVERIFY(Muestra(v, 5));
        QCOMPARE(Lineas(v)[0], QString("The meter has been updated."));
        QCOMPARE(Lineas(v)[2], QString());
        // Searching, then updating, then success.
        const std::vector<int> esperadas{2, 4, 5};
        QCOMPARE(b.imagenes, esperadas);
        QVERIFY(b.barra_vista);
        QVERIFY(!v.Barra_progreso->isVisible());
        QVERIFY(!v.Button_buscar_puerto->isVisible());
        QVERIFY(v.MenuArchivo->menuAction()->isEnabled());
        QVERIFY(b.medidor->programaciones > 0);

        // The plan question, then the erase warning, both on the attention panel.
        QCOMPARE(b.preguntas.size(), size_t(2));
        QCOMPARE(b.preguntas[0].titulo, QString(b.ventana->Texto("AVISO_HEAD").c_str()));
        QCOMPARE(b.preguntas[0].lineas[0], QString("There are new channel plans."));
        QCOMPARE(b.preguntas[0].ok, QString(b.ventana->Texto("AVISOSI").c_str()));
        QCOMPARE(b.preguntas[0].cancelar, QString(b.ventana->Texto("AVISONO").c_str()));
        QCOMPARE(b.preguntas[1].lineas[2], QString(b.ventana->Texto("AVISOMEM3").c_str()));
        QCOMPARE(b.preguntas[1].ok, QString("OK"));
        QCOMPARE(b.preguntas[1].cancelar, QString("CANCEL"));
        QVERIFY(!v.Panel_atencion->isVisible());

        // A new search starts from the menu, without the instruction step.
        b.imagenes.clear();
        b.respuestas = {true, true};
        QVERIFY(Elegir(v.MenuArchivo, v.Actualizar1));
        QCOMPARE(b.imagenes.front(), 2);
        QVERIFY(b.ventana->resultado == z82::Resultado_asistente::actualizado ||
                b.ventana->resultado == z82::Resultado_asistente::nada_que_hacer);
        // After the run the exit button ends the program.
        QVERIFY(Banco_gui::Clic(v.SpeedButton_exit));
        QCOMPARE(b.terminado, 0);
    }

    void fallaElMedidor() {
        z82::sim::Config_medidor c;
        Banco_gui b(Extremo::medidor, c);
        // The meter's flash refuses every erase.
        b.medidor->fallos.borrados_fallidos = 1000;
        b.respuestas = {true, true};
        QVERIFY(Banco_gui::Clic(b.vista.Button_buscar_puerto));
        QVERIFY(Banco_gui::Clic(b.vista.Button_buscar_puerto));
        QCOMPARE(b.ventana->resultado, z82::Resultado_asistente::fallo);
        QVERIFY(Muestra(b.vista, 6));
        QCOMPARE(Lineas(b.vista), QStringList({b.ventana->Texto("P6_E4_L1").c_str(),
                                               b.ventana->Texto("P6_E4_L2").c_str(),
                                               b.ventana->Texto("P6_E4_L3").c_str()}));
        // The cause, where it can be read and copied: the item and what the meter did.
        QVERIFY(b.vista.Memo_detalle->isVisible());
        QVERIFY(b.vista.Memo_detalle->toPlainText().contains("FPGA configurations: "));
        QVERIFY(b.vista.Memo_detalle->toPlainText().contains("page erase"));
        QVERIFY(!b.vista.Barra_progreso->isVisible() && !b.vista.Label_tramo->isVisible());
        QVERIFY(b.vista.MenuConfigurar->menuAction()->isEnabled());

        // The details line shows the cause whole, and a technician copies it with the keys.
        const QString causa =
            "Cause: main firmware: no answer to block 2,341 after 3 tries. Log: "
            "/home/technician/.local/state/z82-updater/z82-update-gui-20261208-231500-1234.log";
        b.modelo.detalle(causa.toStdString());
        QPlainTextEdit* memo = b.vista.Memo_detalle;
        QVERIFY(memo->isVisible());
        QCOMPARE(memo->toPlainText(), causa);
        QCOMPARE(z82::gui::prueba::Textos_que_no_caben(&b.vista), QStringList());
        QApplication::clipboard()->clear();
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), causa);
        QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(memo->toPlainText(), causa);
        b.modelo.detalle("");
        QVERIFY(!memo->isVisible());
    }

    void panelDePuertos() {
        Banco_gui b(Extremo::mudo);
        b.entorno.puertos = {1, 3, 12};
        b.modelo.describir_puerto = [](int n) {
            return n == 12 ? std::string("/dev/ttyUSB0 - FTDI FT232R (0403:6001)") : std::string();
        };
        Ventana_qt& v = b.vista;
        z82::gui::Marco_puerto* p = v.PConfigurarPuerto;
        QVERIFY(Elegir(v.MenuConfigurar, v.MenuPuerto));
        QVERIFY(p->isVisible());
        QVERIFY(v.MenuPuerto->isChecked() && !v.Auto1->isChecked());
        QCOMPARE(p->Label_titulo->text(), QString("USB"));
        QCOMPARE(p->COM->title(), QString("USB : "));
        QCOMPARE(p->Seleccionado(), 0);

        // The list draws the model's entries; what the user picks reaches the wizard.
        QComboBox* combo = p->Com_extended;
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QString::fromStdString(b.modelo.entradas[2].texto));
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        QCOMPARE(b.ventana->numero_puerto, 12);
        QCOMPARE(p->COM->title(), QString("USB: 12"));
        QCOMPARE(p->Seleccionado(), -1);
        QVERIFY(Banco_gui::Clic(p->items[4]));
        QCOMPARE(b.ventana->numero_puerto, 5);
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(p->COM->title(), QString("USB : "));
        // Opened again, the list is the system's now.
        b.entorno.puertos.insert(7);
        emit p->Com_extended->entrando();
        QCOMPARE(combo->count(), 4);

        // During a search the panel cannot change the port.
        bool panel_activo = true;
        b.Cuando([&] { return b.vista.imagen_mostrada() == 2; },
                 [&] { panel_activo = p->isEnabled(); });
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        QVERIFY(Banco_gui::Clic(v.Button_buscar_puerto));
        QVERIFY(!panel_activo);
        QVERIFY(p->isEnabled());

        QVERIFY(Elegir(v.MenuConfigurar, v.Auto1));
        QVERIFY(!p->isVisible());
        QVERIFY(v.Auto1->isChecked() && !v.MenuPuerto->isChecked());
        // A click on the marked item leaves it marked.
        QVERIFY(Elegir(v.MenuConfigurar, v.Auto1));
        QVERIFY(v.Auto1->isChecked());
    }
};

QTEST_MAIN(Prueba_ventana)
#include "ventana_test.moc"
