// Text and colour conversions between the form model (8-bit ANSI text,
// Windows colour values) and Qt.
#ifndef ZOLT_UI_QT_QT_TEXT_H_
#define ZOLT_UI_QT_QT_TEXT_H_

#include <QColor>
#include <QFont>
#include <QString>
#include <string>

#include "ui/colors.h"
#include "ui/control.h"

namespace zolt::ui {

// ANSI bytes (Windows-1252 read as Latin-1) to a QString, up to the first
// zero byte as a native label shows it; CRLF and lone CR become line feeds.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

QColor ToQColor(Color c);

// The control's font at 96 dots per inch (points * 4/3 pixels), so text
// keeps its size against the twip layout; faces missing here fall back to
// the nearest sans serif.
QFont ToQFont(const Font& font);

}  // namespace zolt::ui

#endif  // ZOLT_UI_QT_QT_TEXT_H_
