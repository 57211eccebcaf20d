#include "ui/qt/qt_text.h"

#include <cmath>
#include <cstring>

namespace zolt::ui {

QString ToQt(const std::string& text) {
  const size_t n = std::strlen(text.c_str());
  QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(n));
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

std::string FromQt(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QColor ToQColor(Color c) {
  const Color rgb = ResolveColor(c);
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

QFont ToQFont(const Font& font) {
  QFont f;
  f.setFamilies({QString::fromLatin1(font.name.c_str()),
                 QStringLiteral("Microsoft Sans Serif"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                 QStringLiteral("DejaVu Sans Condensed"),
                 QStringLiteral("DejaVu Sans")});
  f.setPixelSize(static_cast<int>(std::lround(font.points * 96.0 / 72.0)));
  f.setBold(font.bold);
  return f;
}

}  // namespace zolt::ui
