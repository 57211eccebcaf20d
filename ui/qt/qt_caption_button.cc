#include "ui/qt/qt_caption_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace zolt::ui {

void QtCaptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  const QIcon picture = option.icon;
  // The style draws the bevel and the focus frame; the picture and the
  // caption are drawn here.
  option.text.clear();
  option.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButton, option);

  QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  if (isDown()) {
    area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                   style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
  }
  if (!picture.isNull()) {
    const QSize size = option.iconSize;
    const QRect place(area.left(), area.top() + (area.height() - size.height()) / 2,
                      size.width(), size.height());
    picture.paint(&painter, place, Qt::AlignCenter,
                  isEnabled() ? QIcon::Normal : QIcon::Disabled);
    area.setLeft(place.right() + 3);
  }
  // Wrapped when the button is tall enough for the lines; a low button
  // keeps one line centred in its whole height.
  int flags = Qt::AlignCenter | Qt::TextWordWrap;
  const QRect needed = fontMetrics().boundingRect(area, flags, caption);
  if (needed.height() > area.height()) {
    flags = Qt::AlignCenter | Qt::TextSingleLine;
    area.setTop(rect().top());
    area.setBottom(rect().bottom());
  }
  painter.drawItemText(area, flags, option.palette, isEnabled(), caption,
                       QPalette::ButtonText);
}

}  // namespace zolt::ui
