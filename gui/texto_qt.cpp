#include "gui/texto_qt.h"

#include <QByteArray>
#include <QStringDecoder>

namespace z82::gui {

QString Texto_qt(const std::string& bytes) {
    const QByteArray datos(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texto = utf8.decode(datos);
    if (!utf8.hasError()) return texto;
    return QString::fromLatin1(datos);
}

std::string Texto_std(const QString& texto) { return texto.toUtf8().toStdString(); }

}  // namespace z82::gui
