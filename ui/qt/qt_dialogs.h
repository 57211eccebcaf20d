// The Dialogs of the Qt renderer: QMessageBox, an input dialog, QFileDialog,
// the event loop and immediate repaints of the view's widgets.
#ifndef ZOLT_UI_QT_QT_DIALOGS_H_
#define ZOLT_UI_QT_QT_DIALOGS_H_

#include <QString>
#include <QStringList>
#include <string>

#include "ui/dialogs.h"

namespace zolt::ui {

class QtFormView;

class QtDialogs final : public Dialogs {
 public:
  // program_title: the title of boxes that name none. The view must outlive
  // this object.
  QtDialogs(QtFormView& view, std::string program_title);

  int MsgBox(const std::string& prompt, int style,
             const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& default_answer) override;
  FileOpenResult ShowOpen(const FileOpenRequest& request) override;
  void DoEvents() override;
  void Repaint(const ControlKey& control) override;

 private:
  QtFormView& view_;
  std::string program_title_;
};

// "All Files (*.*)|*.*|ini Files (*.ini)|*.ini" as Qt name filters:
// "All Files (*.*)", "ini Files (*.ini)"; a description that does not end
// with its patterns in parentheses gets them appended.
QStringList ToQtNameFilters(const std::string& filter);

}  // namespace zolt::ui

#endif  // ZOLT_UI_QT_QT_DIALOGS_H_
