#include "ui/qt/qt_form_view.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "ui/qt/qt_caption_button.h"
#include "ui/qt/qt_text.h"
#include "ui/tab_order.h"

namespace zolt::ui {
namespace {

QRect PixelRect(const Rect& r) {
  return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top),
               TwipsToPixels(r.width), TwipsToPixels(r.height));
}

Qt::Alignment ToQtAlignment(Alignment a) {
  switch (a) {
    case Alignment::kRight:
      return Qt::AlignRight;
    case Alignment::kCenter:
      return Qt::AlignHCenter;
    case Alignment::kLeft:
      break;
  }
  return Qt::AlignLeft;
}

// Lightweight controls are drawn beneath the windowed ones, as in the
// classic toolkit: a label overlapped by a button stays behind it.
bool IsLightweight(ControlKind kind) {
  return kind == ControlKind::kLabel || kind == ControlKind::kShape ||
         kind == ControlKind::kImage;
}

QPixmap PictureOf(const std::string& picture, QStyle* style) {
  QStyle::StandardPixmap sp;
  if (picture == "icon:information") {
    sp = QStyle::SP_MessageBoxInformation;
  } else if (picture == "icon:question") {
    sp = QStyle::SP_MessageBoxQuestion;
  } else if (picture == "icon:exclamation") {
    sp = QStyle::SP_MessageBoxWarning;
  } else if (picture == "icon:critical") {
    sp = QStyle::SP_MessageBoxCritical;
  } else if (picture == "icon:folder") {
    sp = QStyle::SP_DirOpenIcon;
  } else if (picture == "icon:save") {
    sp = QStyle::SP_DialogSaveButton;
  } else if (!picture.empty()) {
    sp = QStyle::SP_DesktopIcon;
  } else {
    return QPixmap();
  }
  return style->standardIcon(sp).pixmap(32, 32);
}

// Windows virtual-key code of a Qt key (letters and digits are their
// upper-case characters).
int VirtualKeyOf(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Space: return 32;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: break;
  }
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return 112 + (qt_key - Qt::Key_F1);
  if (qt_key >= 0x20 && qt_key <= 0x7E) return qt_key;  // A-Z, 0-9 as ASCII
  return 0;
}

int ShiftOf(Qt::KeyboardModifiers m) {
  int shift = 0;
  if (m & Qt::ShiftModifier) shift |= kShiftMask;
  if (m & Qt::ControlModifier) shift |= kCtrlMask;
  if (m & Qt::AltModifier) shift |= kAltMask;
  return shift;
}

}  // namespace

QtFormView::QtFormView(Form& form, QWidget* parent)
    : QWidget(parent), form_(form) {
  setWindowTitle(ToQt(form_.caption()));
  setFixedSize(TwipsToPixels(form_.client_width()),
               TwipsToPixels(form_.client_height()));
  setAutoFillBackground(true);
  OnFormChanged(Property::kBackColor);

  for (const auto& control : form_.controls()) {
    QWidget* parent_widget =
        control->container().is_form() ? this : widgets_.at(control->container());
    QWidget* w = Create(*control, parent_widget);
    widgets_[control->key()] = w;
    keys_[w] = control->key();
    w->installEventFilter(this);
    ApplyAll(*control, w);
  }
  // Lightweight controls beneath the others of their container.
  for (const auto& control : form_.controls()) {
    if (IsLightweight(control->kind())) widgets_.at(control->key())->lower();
  }
  form_.AddObserver(this);
}

QtFormView::~QtFormView() { form_.RemoveObserver(this); }

QWidget* QtFormView::WidgetOf(const ControlKey& key) const {
  auto it = widgets_.find(key);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtFormView::FocusFirstControl() {
  if (const Control* first = NextTabStop(form_, nullptr, false)) {
    widgets_.at(first->key())->setFocus(Qt::TabFocusReason);
  }
}

// Tab follows the order the controls were added and enters a group of
// options once, at its selected option (the options are not exclusive in
// Qt's eyes, so Qt's own chain would stop at each of them).
bool QtFormView::focusNextPrevChild(bool next) {
  const Control* from = nullptr;
  if (auto it = keys_.find(QApplication::focusWidget()); it != keys_.end()) {
    from = &form_.Get(it->second);
  }
  const Control* to = NextTabStop(form_, from, !next);
  if (to == nullptr) return false;
  widgets_.at(to->key())->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

QWidget* QtFormView::Create(const Control& control, QWidget* parent) {
  const ControlKey key = control.key();
  switch (control.kind()) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::kTextBox: {
      auto* edit = new QLineEdit(parent);
      connect(edit, &QLineEdit::textEdited, this, [this, key](const QString& t) {
        if (!syncing_) form_.EditText(key, FromQt(t));
      });
      return edit;
    }
    case ControlKind::kButton: {
      auto* button = new QtCaptionButton(parent);
      button->setAutoDefault(false);
      connect(button, &QPushButton::clicked, this, [this, key] { form_.Click(key); });
      return button;
    }
    case ControlKind::kOption:
    case ControlKind::kCheckBox: {
      QAbstractButton* button;
      if (control.kind() == ControlKind::kOption) {
        auto* radio = new QRadioButton(parent);
        radio->setAutoExclusive(false);  // the model keeps the groups
        button = radio;
      } else {
        button = new QCheckBox(parent);
      }
      connect(button, &QAbstractButton::clicked, this, [this, key, button] {
        // The model decides the state; show what it decided.
        const Control& c = form_.Get(key);
        const bool before = c.value();
        syncing_ = true;
        button->setChecked(before);
        syncing_ = false;
        form_.Click(key);
      });
      return button;
    }
    case ControlKind::kFrame:
      return new QGroupBox(parent);
    case ControlKind::kPictureBox:
    case ControlKind::kImage: {
      // The picture sits in the top left corner, where the letter beside
      // a help picture's icon expects it.
      auto* picture = new QLabel(parent);
      picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return picture;
    }
    case ControlKind::kShape:
      return new QFrame(parent);
  }
  return new QWidget(parent);
}

void QtFormView::ApplyColors(const Control& control, QWidget* w) {
  QPalette p = w->palette();
  const QColor back = ToQColor(control.back_color());
  const QColor fore = ToQColor(control.fore_color());
  switch (control.kind()) {
    case ControlKind::kTextBox:
      p.setColor(QPalette::Base, back);
      p.setColor(QPalette::Text, fore);
      break;
    case ControlKind::kButton:
      p.setColor(QPalette::Button, back);
      p.setColor(QPalette::ButtonText, fore);
      break;
    case ControlKind::kShape:
      w->setStyleSheet(QStringLiteral("QFrame { border: 1px solid %1; background: transparent; }")
                           .arg(fore.name()));
      return;
    default:
      // Option and check boxes fill with the Button role, the rest Window.
      p.setColor(QPalette::Window, back);
      p.setColor(QPalette::Button, back);
      p.setColor(QPalette::WindowText, fore);
      p.setColor(QPalette::ButtonText, fore);
      break;
  }
  w->setPalette(p);
  const bool opaque = control.back_style() == BackStyle::kOpaque &&
                      control.kind() != ControlKind::kImage;
  w->setAutoFillBackground(opaque);
}

void QtFormView::ApplyAll(const Control& control, QWidget* w) {
  for (Property p : {Property::kRect, Property::kFont, Property::kForeColor,
                     Property::kBorderStyle, Property::kAlignment, Property::kPicture,
                     Property::kText, Property::kValue, Property::kToolTip,
                     Property::kEnabled, Property::kVisible}) {
    Apply(control, w, p);
  }
}

void QtFormView::Apply(const Control& control, QWidget* w, Property what) {
  syncing_ = true;
  switch (what) {
    case Property::kRect:
      w->setGeometry(PixelRect(control.rect()));
      break;
    case Property::kFont:
      w->setFont(ToQFont(control.font()));
      break;
    case Property::kForeColor:
    case Property::kBackColor:
    case Property::kBackStyle:
      ApplyColors(control, w);
      break;
    case Property::kBorderStyle:
      if (auto* frame = qobject_cast<QFrame*>(w);
          frame != nullptr && control.kind() != ControlKind::kShape &&
          qobject_cast<QLabel*>(w) != nullptr) {
        const bool border = control.border_style() == BorderStyle::kFixedSingle;
        frame->setFrameStyle(border ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
      }
      if (control.kind() == ControlKind::kTextBox) {
        static_cast<QLineEdit*>(w)->setFrame(control.border_style() ==
                                             BorderStyle::kFixedSingle);
      }
      break;
    case Property::kAlignment:
      if (auto* label = qobject_cast<QLabel*>(w);
          label != nullptr && control.kind() == ControlKind::kLabel) {
        label->setAlignment(ToQtAlignment(control.alignment()) | Qt::AlignTop);
      } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setAlignment(ToQtAlignment(control.alignment()) | Qt::AlignVCenter);
      }
      break;
    case Property::kPicture:
      if (control.kind() == ControlKind::kPictureBox ||
          control.kind() == ControlKind::kImage) {
        static_cast<QLabel*>(w)->setPixmap(PictureOf(control.picture(), style()));
      } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        const QPixmap pixmap = PictureOf(control.picture(), style());
        button->setIcon(QIcon(pixmap));
      }
      break;
    case Property::kText:
      if (control.kind() == ControlKind::kLabel) {
        static_cast<QLabel*>(w)->setText(ToQt(control.text()));
      } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (FromQt(edit->text()) != control.text()) {
          // A text set by the program shows from its start, as in a Windows
          // edit box (a long path shows its drive, not its last folder).
          edit->setText(ToQt(control.text()));
          edit->setCursorPosition(0);
        }
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(ToQt(control.text()));
      } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(ToQt(control.text()));
      }
      break;
    case Property::kValue:
      if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setChecked(control.value());
      }
      break;
    case Property::kToolTip:
      w->setToolTip(ToQt(control.tool_tip()));
      break;
    case Property::kEnabled:
      w->setEnabled(control.enabled());
      break;
    case Property::kVisible:
      w->setVisible(control.visible());
      break;
  }
  syncing_ = false;
}

void QtFormView::OnControlChanged(const Control& control, Property what) {
  if (QWidget* w = WidgetOf(control.key())) Apply(control, w, what);
}

void QtFormView::OnFormChanged(Property what) {
  if (what == Property::kText) {
    setWindowTitle(ToQt(form_.caption()));
  } else if (what == Property::kBackColor) {
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(form_.back_color()));
    setPalette(p);
  }
}

void QtFormView::OnCloseRequested() { close(); }

void QtFormView::closeEvent(QCloseEvent* event) {
  event->accept();
  form_.Closed();
}

bool QtFormView::HandleKey(const ControlKey& source, QEvent* event) {
  auto* key_event = static_cast<QKeyEvent*>(event);
  if (key_event->isAutoRepeat() && event->type() == QEvent::KeyRelease) {
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    const QByteArray text = key_event->text().toLatin1();
    if (!text.isEmpty()) {
      form_.KeyPress(source, static_cast<unsigned char>(text[0]));
    }
  } else {
    const int vk = VirtualKeyOf(key_event->key());
    if (vk != 0) form_.KeyUp(source, vk, ShiftOf(key_event->modifiers()));
  }
  return false;  // the key goes on to the widget as usual
}

bool QtFormView::eventFilter(QObject* watched, QEvent* event) {
  const bool key = event->type() == QEvent::KeyPress ||
                   event->type() == QEvent::KeyRelease;
  auto it = keys_.find(watched);
  if (it == keys_.end()) {
    // The form itself: keys arrive through keyPressEvent/keyReleaseEvent.
    return QWidget::eventFilter(watched, event);
  }
  if (key) {
    // Only the widget with the keyboard reports; the copies that Qt passes
    // on to its containers are not new keys.
    if (watched != QApplication::focusWidget()) return false;
    const bool used = HandleKey(it->second, event);
    if (event->type() == QEvent::KeyPress && form_.Find(it->second) != nullptr &&
        MoveInOptionGroup(form_.Get(it->second), static_cast<QKeyEvent*>(event)->key())) {
      return true;
    }
    return used;
  }
  // Picture boxes, images and labels have no click signal of their own.
  if (event->type() == QEvent::MouseButtonRelease &&
      qobject_cast<QLabel*>(watched) != nullptr) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) form_.Click(it->second);
  }
  return QWidget::eventFilter(watched, event);
}

// The arrow keys on an option move to the next option of its group and
// select it, as on Windows (Qt would only move the keyboard, and to any
// button of the container).
bool QtFormView::MoveInOptionGroup(const Control& option, int qt_key) {
  if (option.kind() != ControlKind::kOption) return false;
  const bool backwards = qt_key == Qt::Key_Left || qt_key == Qt::Key_Up;
  if (!backwards && qt_key != Qt::Key_Right && qt_key != Qt::Key_Down) return false;
  const Control& next = NextOptionInGroup(form_, option, backwards);
  if (&next == &option) return true;
  const ControlKey key = next.key();
  widgets_.at(key)->setFocus(Qt::OtherFocusReason);
  form_.Click(key);
  return true;
}

// Keys reach the window itself when no control has the keyboard (a key a
// control ignores comes here too, already reported with its source).
bool QtFormView::FormHasKeyboard() const {
  QWidget* focus = QApplication::focusWidget();
  return focus == nullptr || keys_.find(focus) == keys_.end();
}

void QtFormView::keyPressEvent(QKeyEvent* event) {
  if (FormHasKeyboard()) HandleKey(ControlKey(), event);
  QWidget::keyPressEvent(event);
}

void QtFormView::keyReleaseEvent(QKeyEvent* event) {
  if (FormHasKeyboard()) HandleKey(ControlKey(), event);
  QWidget::keyReleaseEvent(event);
}

}  // namespace zolt::ui
