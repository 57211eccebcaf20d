// A push button whose caption wraps at word boundaries, centred in both
// directions, as a Windows button wraps a caption too long for one line.
// QPushButton itself draws one line only and clips the rest.
#ifndef ZOLT_UI_QT_QT_CAPTION_BUTTON_H_
#define ZOLT_UI_QT_QT_CAPTION_BUTTON_H_

#include <QPushButton>

namespace zolt::ui {

class QtCaptionButton final : public QPushButton {
 public:
  explicit QtCaptionButton(QWidget* parent = nullptr) : QPushButton(parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_QT_QT_CAPTION_BUTTON_H_
