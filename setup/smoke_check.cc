#include "setup/smoke_check.h"

#include "setup/mod_declarations.h"

namespace zolt::setup {
namespace {

bool Expect(bool ok, const std::string& what, std::ostream& log) {
  log << (ok ? "ok:     " : "FAILED: ") << what << "\n";
  return ok;
}

bool FrameIs(ui::Form& form, int side, ui::Color color, std::ostream& log) {
  const ui::Control& frame = form.Get("fraSettingsOstrel", side);
  return Expect(frame.back_color() == color,
                frame.key().ToString() + " " +
                    (color == kColorUsable ? "green" : "red") + " (" +
                    form.Get("lblsettingsmsg", side).text() + ")",
                log);
}

}  // namespace

std::string SmokeTestPicturePrefix(const std::string& argument) {
  const std::string sw = kSmokeTestSwitch;
  if (argument.compare(0, sw.size(), sw) != 0) return "";
  return argument.substr(sw.size());
}

bool CheckRedStart(ui::Form& form, std::ostream& log) {
  bool ok = FrameIs(form, 0, kColorUsable, log);
  ok &= FrameIs(form, 1, kColorUnusable, log);
  ok &= Expect(form.Get("txtSeason", 1).back_color() == kColorMismatch,
               "library season " + form.Get("txtSeason", 1).text() +
                   " marked against " + form.Get("txtSeason", 0).text(),
               log);
  ok &= Expect(form.Get("cmdSaveDllSettings").enabled(), "write button enabled",
               log);
  return ok;
}

bool WriteAndCheckGreen(ui::Form& form, std::ostream& log) {
  form.Click("cmdSaveDllSettings");
  bool ok = FrameIs(form, 0, kColorUsable, log);
  ok &= FrameIs(form, 1, kColorUsable, log);
  for (const char* box : {"txtSeason", "txtPINEncrypt", "txtPINExpiry",
                          "txtLocation", "txtVendor"}) {
    ok &= Expect(form.Get(box, 0).text() == form.Get(box, 1).text(),
                 std::string(box) + " " + form.Get(box, 1).text(), log);
  }
  return ok;
}

}  // namespace zolt::setup
