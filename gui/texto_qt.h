// Texts between the engine (bytes as idiomas.ini holds them) and the widgets.
#pragma once

#include <QString>
#include <string>

namespace z82::gui {

// UTF-8 when the bytes are valid UTF-8, else Latin-1 (a language file saved by an old
// editor), so that no text turns into replacement marks.
QString Texto_qt(const std::string& bytes);
std::string Texto_std(const QString& texto);

}  // namespace z82::gui
