#include "testapp/smoke_check.h"

#include <regex>

namespace zolt::testapp {
namespace {

std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string SmokeTestPicture(const std::string& argument) {
  const std::string prefix = kSmokeTestSwitch;
  if (argument.compare(0, prefix.size(), prefix) != 0) return "";
  return argument.substr(prefix.size());
}

bool PressGetPinAndCheck(ui::Form& form, std::ostream& log) {
  form.Click("cmdGetPIN");
  log << "title: " << form.caption() << "\n";
  for (const char* name : {"lblCounter", "lblPIN", "lblExpiry", "lblMsgBox",
                           "lblVersion"}) {
    log << name << ": " << Visible(form.Get(name).text()) << "\n";
  }
  const std::string pins = form.Get("lblPIN").text();
  const bool ok = std::regex_match(pins, std::regex("^[468][0-9]{5}\r\n$"));
  log << (ok ? "smoke test: a PIN shows" : "smoke test: no PIN shows") << std::endl;
  return ok;
}

}  // namespace zolt::testapp
