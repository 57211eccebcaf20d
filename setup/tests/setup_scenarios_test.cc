// The setup window's scenarios (scenarios/*.cases): each case lays out a
// program folder (where the library settings file is read and written), a
// product folder (the product configuration file) and a data folder (the
// PIN tables) in a fresh temporary folder, starts the window over a
// scripted Dialogs and a TestEnv, and runs its lines. Besides the station
// directives (tests/station/README) and the form's (ui/tests/form_scenario.h):
//
//   product [.dta] KEY=VALUE...   product/ostrel.ini (or .dta): DataPath={data}
//                                 Season=3 PINExpiry=30 PINCrypt=11 Vendor=190
//                                 Location=417 unless given; <absent> leaves a
//                                 key out
//   library [.dta] KEY=VALUE...   program/ostrelzoltdll.ini: OstrelPath={product}
//                                 Pathtopintable={data} and the same values
//   tables                        the day's two table files in the data folder
//   start [second-copy] [load-error]
//                                 the window, as another copy runs / with
//                                 start-up's DoEvents failing (error 7)
//   fail-write NAME CAUSE / fail-remove NAME CAUSE (denied, sharing, other) /
//   clear-failures
//   call Validate_Ostrel_Info|Validate_DLL_Info|Compare_Settings|
//        Clear_Ostrel_Info|Clear_DLL_Info
//   expect result|ext|ended|reads-at-show|reads:NAME|file:PATH|cd-dir = VALUE
//
// {program}, {product} and {sep} (the path separator) stand for what they
// say; a line that starts with [windows] or [linux] counts on that build only.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "setup/frm_main.h"
#include "tests/station/station.h"
#include "ui/run_time_error.h"
#include "ui/tests/form_scenario.h"

namespace zolt::setup {
namespace {

std::string g_scenarios;  // the folder of case files

// The lines of one of the two settings files, "<absent>" values left out.
std::string SettingsFile(std::vector<std::pair<std::string, std::string>> keys,
                         const std::vector<std::string>& overrides) {
  for (const std::string& o : overrides) {
    for (auto& [key, value] : keys) {
      if (o.rfind(key + "=", 0) == 0) value = o.substr(key.size() + 1);
    }
  }
  std::string text;
  for (const auto& [key, value] : keys) {
    if (key[0] == '[') text += key + "\r\n";
    if (key[0] != '[' && value != "<absent>") text += key + "=" + value + "\r\n";
  }
  return text;
}

FileError Cause(const std::string& name) {
  return name == "denied" ? FileError::kDenied : name == "sharing" ? FileError::kSharing : FileError::kOther;
}

class Scenario {
 public:
  Scenario()
      : station_(temp_.path(), temp_.MakeDir("data")),
        program_(temp_.MakeDir("program")),
        product_(temp_.MakeDir("product")),
        form_steps_(dialogs_, [this](const std::string& s) { return Expand(s); },
                    [this](const std::string& w, std::string* v) { return Probe(w, v); }) {
    station_.NoSettings();
    station_.Define("{program}", program_);
    station_.Define("{product}", product_);
    station_.Define("{sep}", std::string(1, env_.PathSeparator()));
    env_.SetExecutablePath(program_ + env_.PathSeparator() + "MakeZOLTconfigurationFile.exe");
  }
  ~Scenario() { frm_.reset(); }

  void Run(const test::Case& c) {
    std::vector<std::string> lines;
    const bool windows = env_.PathSeparator() == '\\';
    for (const std::string& line : c.lines) {
      if (line.rfind(windows ? "[linux] " : "[windows] ", 0) == 0) continue;
      const size_t tag = line.rfind("[", 0) == 0 ? line.find("] ") : std::string::npos;
      lines.push_back(tag == std::string::npos ? line : line.substr(tag + 2));
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!station_.Lay(lines, &i) && !form_steps_.Step(lines[i]) && !Step(lines[i])) {
        ADD_FAILURE() << "unknown directive: " << lines[i];
      }
    }
  }

 private:
  std::string Expand(const std::string& s) const { return station_.Text(s); }

  bool Step(const std::string& line) {
    const std::vector<std::string> w = test::Words(line);
    const std::string& verb = w[0];
    const bool dta = w.size() > 1 && w[1] == ".dta";
    const std::vector<std::string> values(w.begin() + (dta ? 2 : 1), w.end());
    std::vector<std::string> expanded;
    for (const std::string& v : values) expanded.push_back(Expand(v));
    if (verb == "product") {
      station_.Put(std::string("product/ostrel") + (dta ? ".dta" : ".ini"),
                   SettingsFile({{"[Preferences]", ""}, {"DataPath", station_.data()},
                                 {"[Security]", ""}, {"Season", "3"}, {"[Other]", ""},
                                 {"PINExpiry", "30"}, {"PINCrypt", "11"}, {"[Site]", ""},
                                 {"Vendor", "190"}, {"Location", "417"}},
                                expanded));
    } else if (verb == "library") {
      station_.Put(std::string("program/ostrelzoltdll") + (dta ? ".dta" : ".ini"),
                   SettingsFile({{"[Preferences]", ""}, {"OstrelPath", product_},
                                 {"Pathtopintable", station_.data()}, {"Vendor", "190"},
                                 {"Location", "417"}, {"Season", "3"}, {"PINExpiry", "30"},
                                 {"PINCrypt", "11"}},
                                expanded));
    } else if (verb == "tables") {
      station_.Put("data/DLLPINTable.dat", "[PINTable]\r\n");
      station_.Put("data/PINTable.dat", "[PINTable]\r\n");
    } else if (verb == "start") {
      Start(std::find(w.begin(), w.end(), "second-copy") != w.end(),
            std::find(w.begin(), w.end(), "load-error") != w.end());
    } else if (verb == "fail-write" && w.size() == 3) {
      env_.FailWrite(w[1], Cause(w[2]));
    } else if (verb == "fail-remove" && w.size() == 3) {
      env_.FailRemove(w[1], Cause(w[2]));
    } else if (verb == "clear-failures") {
      env_.ClearFailures();
    } else if (verb == "call" && w.size() == 2) {
      const std::map<std::string, std::function<bool()>> calls = {
          {"Validate_Ostrel_Info", [&] { return frm_->Validate_Ostrel_Info(); }},
          {"Validate_DLL_Info", [&] { return frm_->Validate_DLL_Info(); }},
          {"Compare_Settings", [&] { return frm_->Compare_Settings(); }},
          {"Clear_Ostrel_Info", [&] { frm_->Clear_Ostrel_Info(); return true; }},
          {"Clear_DLL_Info", [&] { frm_->Clear_DLL_Info(); return true; }}};
      result_ = calls.at(w[1])();
    } else {
      return false;
    }
    return true;
  }

  void Start(bool second_copy, bool load_error) {
    frm_.reset();
    FrmMainHost host;
    host.show_window = [this] { reads_at_show_ = env_.reads("ostrelzoltdll.ini"); };
    if (second_copy) host.another_copy_running = [] { return true; };
    if (load_error) dialogs_.OnDoEvents([] { throw ui::RunTimeError(7, "Out of memory"); });
    window_ = MakeFrmMainForm();
    frm_ = std::make_unique<FrmMain>(*window_, dialogs_, env_, std::move(host));
    form_steps_.SetForm(window_.get());
    window_->Load();
    dialogs_.OnDoEvents(nullptr);
  }

  bool Probe(const std::string& what, std::string* value) {
    const size_t colon = what.find(':');
    const std::string kind = what.substr(0, colon);
    const std::string arg = colon == std::string::npos ? "" : what.substr(colon + 1);
    if (kind == "result") *value = std::to_string(result_);
    else if (kind == "ext") *value = frm_->SettingsExt();
    else if (kind == "ended") *value = std::to_string(frm_->ended());
    else if (kind == "reads-at-show") *value = std::to_string(reads_at_show_);
    else if (kind == "reads") *value = std::to_string(env_.reads(arg));
    else if (kind == "file") *value = temp_.ReadFile(arg);
    else if (kind == "cd-dir") *value = frm_->cdPath().initial_dir;
    else return false;
    return true;
  }

  TempDir temp_;
  test::Station station_;
  std::string program_, product_;
  TestEnv env_;
  ui::ScriptedDialogs dialogs_;
  ui::test::FormScenario form_steps_;
  std::unique_ptr<ui::Form> window_;  // outlives frm_
  std::unique_ptr<FrmMain> frm_;
  bool result_ = false;
  int reads_at_show_ = -1;
};

TEST(SetupScenarios, EveryCaseFile) {
  const std::vector<test::Case> cases = test::ReadCases(g_scenarios);
  ASSERT_FALSE(cases.empty()) << "no case files in " << g_scenarios;
  for (const test::Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario().Run(c);
  }
}

}  // namespace
}  // namespace zolt::setup

int main(int argc, char** argv) {
  return zolt::test::RunAllTests(argc, argv, &zolt::setup::g_scenarios);
}
