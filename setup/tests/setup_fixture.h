// The setup window over real temporary folders: a program folder (where the
// library settings file is read and written), a product folder (the product
// configuration file) and a shared data folder (the PIN tables), with a
// scripted Dialogs and a TestEnv whose executable lies in the program folder.
#ifndef ZOLT_SETUP_TESTS_SETUP_FIXTURE_H_
#define ZOLT_SETUP_TESTS_SETUP_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "setup/frm_main.h"
#include "ui/testing/scripted_dialogs.h"

namespace zolt::setup {

// The settings of a product configuration file; an empty optional-like
// value ("<absent>") leaves the key out.
inline constexpr char kAbsent[] = "<absent>";

// The site values both files hold (as text, so that bad ones can be written).
struct SiteValues {
  std::string season = "3";
  std::string expiry = "30";
  std::string crypt = "11";
  std::string vendor = "190";
  std::string location = "417";
};

struct ProductSettings : SiteValues {
  std::string data_path;  // default: the fixture's data folder
};

struct LibrarySettingsText : SiteValues {
  std::string ostrel_path;  // default: the fixture's product folder
  std::string pintable;     // default: the fixture's data folder
};

class SetupTest : public ::testing::Test {
 protected:
  SetupTest();
  ~SetupTest() override;

  // The file bytes the product and the library would have.
  std::string ProductFileText(ProductSettings s) const;
  std::string LibraryFileText(LibrarySettingsText s) const;
  // Writes ostrel<ext> into the product folder / ostrelzoltdll<ext> into
  // the program folder.
  void WriteProduct(const ProductSettings& s, const std::string& ext = ".ini");
  void WriteLibrary(const LibrarySettingsText& s,
                    const std::string& ext = ".ini");
  // The bytes of the library settings file, "<missing>" when absent.
  std::string LibraryFile(const std::string& ext = ".ini") const;

  // Creates the window and runs start-up.
  FrmMain& Start(FrmMainHost host = {});
  FrmMain& frm() { return *frm_; }
  ui::Form& form() { return *window_; }

  const std::string& Text(const char* name, int index = ui::kNoIndex) {
    return form().Get(name, index).text();
  }
  ui::Color Back(const char* name, int index = ui::kNoIndex) {
    return form().Get(name, index).back_color();
  }
  void Click(const char* name, int index = ui::kNoIndex) {
    form().Click(ui::ControlKey(name, index));
  }
  // The prompts of every message box since the last ClearBoxes.
  std::vector<std::string> Prompts() const;
  void ClearBoxes() { dialogs_.ClearCalls(); }

  // folder + the platform separator + name.
  std::string Join(const std::string& folder, const std::string& name) const;
  // Lines joined by CR LF, as the boxes put them.
  static std::string Lines(const std::vector<std::string>& lines);

  TempDir temp_;
  std::string program_dir_;
  std::string product_dir_;
  std::string data_dir_;
  TestEnv env_;
  ui::ScriptedDialogs dialogs_;
  std::unique_ptr<ui::Form> window_;  // outlives frm_
  std::unique_ptr<FrmMain> frm_;
};

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_TESTS_SETUP_FIXTURE_H_
