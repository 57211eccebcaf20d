// ZOLTDLLTestAPP for Linux: the window DLLTestAPP drawn with Qt.
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <memory>
#include <string>

#include "testapp/dlltestapp.h"
#include "testapp/dlltestapp_form.h"
#include "testapp/modDeclareZOLTDLL.h"
#include "testapp/smoke_check.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/qt_form_view.h"
#include "ui/unattended_dialogs.h"

int main(int argc, char** argv) {
  using namespace zolt;
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  std::string picture;
  for (int i = 1; i < argc; ++i) {
    if (picture.empty()) picture = testapp::SmokeTestPicture(argv[i]);
  }

  std::unique_ptr<ui::Form> form = testapp::BuildDLLTestAPPForm();
  testapp::modDeclareZOLTDLL dll;
  ui::QtFormView view(*form);
  ui::QtDialogs native(view, testapp::kProgramTitle);
  ui::UnattendedDialogs unattended(native, std::cerr);
  ui::Dialogs& dialogs = picture.empty() ? static_cast<ui::Dialogs&>(native)
                                         : unattended;
  testapp::DLLTestAPP window(*form, dialogs, dll);
  form->Load();
  view.show();
  view.FocusFirstControl();

  if (!picture.empty()) {
    QTimer::singleShot(0, &view, [&] {
      const bool ok = testapp::PressGetPinAndCheck(*form, std::cout);
      QApplication::processEvents();
      const bool saved = view.grab().save(QString::fromLocal8Bit(picture.c_str()), "PNG");
      if (!saved) std::cerr << "cannot save " << picture << std::endl;
      QApplication::exit(ok && saved ? 0 : 1);
    });
    // Never hang a test run.
    QTimer::singleShot(60000, &view, [] {
      std::cerr << "smoke test: timed out" << std::endl;
      QApplication::exit(2);
    });
  }
  return app.exec();
}
