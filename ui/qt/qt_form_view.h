// The Qt renderer of a form: one top-level widget whose client area has the
// form's size (15 twips to a pixel), one child widget per control at its
// position, kept in sync with the model, and the user's actions forwarded to
// the model (click, key press, key release, text edit, close).
#ifndef ZOLT_UI_QT_QT_FORM_VIEW_H_
#define ZOLT_UI_QT_QT_FORM_VIEW_H_

#include <QWidget>
#include <map>

#include "ui/form.h"

namespace zolt::ui {

class QtFormView final : public QWidget, public FormObserver {
 public:
  // The form must outlive the view.
  explicit QtFormView(Form& form, QWidget* parent = nullptr);
  ~QtFormView() override;

  // The widget of a control, or nullptr.
  QWidget* WidgetOf(const ControlKey& key) const;
  // Gives the keyboard to the first control in tab order that takes it
  // (ui/tab_order.h).
  void FocusFirstControl();

  // FormObserver
  void OnControlChanged(const Control& control, Property what) override;
  void OnFormChanged(Property what) override;
  void OnCloseRequested() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QWidget* Create(const Control& control, QWidget* parent);
  void Apply(const Control& control, QWidget* w, Property what);
  void ApplyAll(const Control& control, QWidget* w);
  void ApplyColors(const Control& control, QWidget* w);
  bool HandleKey(const ControlKey& source, QEvent* event);
  bool MoveInOptionGroup(const Control& option, int qt_key);
  bool FormHasKeyboard() const;

  Form& form_;
  std::map<ControlKey, QWidget*> widgets_;
  std::map<const QObject*, ControlKey> keys_;
  bool syncing_ = false;  // set while the view itself updates a widget
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_QT_QT_FORM_VIEW_H_
