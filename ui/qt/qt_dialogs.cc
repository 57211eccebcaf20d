#include "ui/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/qt/qt_form_view.h"
#include "ui/qt/qt_text.h"
#include "ui/run_time_error.h"

namespace zolt::ui {

QtDialogs::QtDialogs(QtFormView& view, std::string program_title)
    : view_(view), program_title_(std::move(program_title)) {}

int QtDialogs::MsgBox(const std::string& prompt, int style,
                      const std::string& title) {
  QMessageBox box(&view_);
  box.setWindowTitle(ToQt(title.empty() ? program_title_ : title));
  box.setText(ToQt(prompt));
  switch (style & kMsgBoxIconMask) {
    case kMsgBoxCritical: box.setIcon(QMessageBox::Critical); break;
    case kMsgBoxQuestion: box.setIcon(QMessageBox::Question); break;
    case kMsgBoxExclamation: box.setIcon(QMessageBox::Warning); break;
    case kMsgBoxInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  const bool yes_no = (style & kMsgBoxButtonMask) == kMsgBoxYesNo;
  if (yes_no) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  const int pressed = box.exec();
  if (!yes_no) return kMsgBoxResultOk;
  return pressed == QMessageBox::Yes ? kMsgBoxResultYes : kMsgBoxResultNo;
}

std::string QtDialogs::InputBox(const std::string& prompt,
                                const std::string& title,
                                const std::string& default_answer) {
  QInputDialog dialog(&view_);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(ToQt(title.empty() ? program_title_ : title));
  dialog.setLabelText(ToQt(prompt));
  dialog.setTextValue(ToQt(default_answer));
  if (dialog.exec() != QDialog::Accepted) return "";
  return FromQt(dialog.textValue());
}

QStringList ToQtNameFilters(const std::string& filter) {
  const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (!description.trimmed().endsWith(QLatin1Char(')'))) {
      description += QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    filters << description;
  }
  return filters;
}

FileOpenResult QtDialogs::ShowOpen(const FileOpenRequest& request) {
  QFileDialog dialog(&view_, ToQt(request.title.empty() ? "Open" : request.title),
                     ToQt(request.initial_dir));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode((request.flags & kOpenFileMustExist) != 0
                         ? QFileDialog::ExistingFile
                         : QFileDialog::AnyFile);
  if (!request.default_ext.empty()) {
    QString ext = ToQt(request.default_ext);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    dialog.setDefaultSuffix(ext);
  }
  const QStringList filters = ToQtNameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = request.filter_index >= 1 && request.filter_index <= filters.size()
                          ? request.filter_index - 1
                          : 0;
    dialog.selectNameFilter(filters[index]);
  }
  if (!request.file_name.empty()) dialog.selectFile(ToQt(request.file_name));

  FileOpenResult result;
  result.filter_index = request.filter_index;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    result.error = kErrorDialogCancelled;
    return result;
  }
  result.file_name = FromQt(dialog.selectedFiles().first());
  const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
  if (chosen >= 0) result.filter_index = static_cast<int>(chosen) + 1;
  return result;
}

void QtDialogs::DoEvents() { QApplication::processEvents(); }

void QtDialogs::Repaint(const ControlKey& control) {
  if (QWidget* w = view_.WidgetOf(control)) w->repaint();
}

}  // namespace zolt::ui
