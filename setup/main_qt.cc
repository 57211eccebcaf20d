// MakeZOLTconfigurationFile for Linux: the window frmMain drawn with Qt.
#include <QApplication>
#include <QTimer>
#include <iostream>
#include <memory>
#include <string>

#include "platform/env/env.h"
#include "platform/process/single_instance.h"
#include "setup/frm_main.h"
#include "setup/mod_declarations.h"
#include "setup/smoke_check.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/qt_form_view.h"
#include "ui/unattended_dialogs.h"

namespace {

bool SavePicture(zolt::ui::QtFormView& view, const std::string& path) {
  QApplication::processEvents();
  const bool saved =
      view.grab().save(QString::fromLocal8Bit(path.c_str()), "PNG");
  if (!saved) std::cerr << "cannot save " << path << std::endl;
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zolt;
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  std::string pictures;
  for (int i = 1; i < argc; ++i) {
    if (pictures.empty()) pictures = setup::SmokeTestPicturePrefix(argv[i]);
  }

  // Held for the whole run: a later copy's claim fails while this one lives.
  const std::unique_ptr<SingleInstance> claim =
      SingleInstance::Claim("MakeZOLTconfigurationFile");

  std::unique_ptr<ui::Form> form = setup::MakeFrmMainForm();
  ui::QtFormView view(*form);
  ui::QtDialogs native(view, setup::kAppTitle);
  ui::UnattendedDialogs unattended(native, std::cerr);
  ui::Dialogs& dialogs = pictures.empty()
                             ? static_cast<ui::Dialogs&>(native)
                             : static_cast<ui::Dialogs&>(unattended);
  setup::FrmMainHost host;
  host.another_copy_running = [&claim] { return claim == nullptr; };
  host.show_window = [&view] {
    view.show();
    view.FocusFirstControl();
  };
  setup::FrmMain window(*form, dialogs, Env::Default(), host);
  form->Load();
  if (window.ended()) {
    if (!pictures.empty()) std::cerr << "another copy is running" << std::endl;
    return pictures.empty() ? 0 : 3;
  }
  view.show();

  if (!pictures.empty()) {
    QTimer::singleShot(0, &view, [&] {
      bool ok = setup::CheckRedStart(*form, std::cout);
      ok &= SavePicture(view, pictures + "-red.png");
      ok &= setup::WriteAndCheckGreen(*form, std::cout);
      ok &= SavePicture(view, pictures + "-green.png");
      QApplication::exit(ok ? 0 : 1);
    });
    // Never hang a test run.
    QTimer::singleShot(60000, &view, [] {
      std::cerr << "smoke test: timed out" << std::endl;
      QApplication::exit(2);
    });
  }
  return app.exec();
}
