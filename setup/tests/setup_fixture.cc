#include "setup/tests/setup_fixture.h"

#include <fstream>
#include <sstream>

namespace zolt::setup {
namespace {

void AddKey(std::string* out, const char* key, const std::string& value) {
  if (value == kAbsent) return;
  *out += std::string(key) + "=" + value + "\r\n";
}

}  // namespace

SetupTest::SetupTest()
    : program_dir_(temp_.MakeDir("program")),
      product_dir_(temp_.MakeDir("product")),
      data_dir_(temp_.MakeDir("data")) {
  env_.SetExecutablePath(Join(program_dir_, "MakeZOLTconfigurationFile.exe"));
}

SetupTest::~SetupTest() { frm_.reset(); }

std::string SetupTest::ProductFileText(ProductSettings s) const {
  if (s.data_path.empty()) s.data_path = data_dir_;
  std::string text = "[Preferences]\r\n";
  AddKey(&text, "DataPath", s.data_path);
  text += "[Security]\r\n";
  AddKey(&text, "Season", s.season);
  text += "[Other]\r\n";
  AddKey(&text, "PINExpiry", s.expiry);
  AddKey(&text, "PINCrypt", s.crypt);
  text += "[Site]\r\n";
  AddKey(&text, "Vendor", s.vendor);
  AddKey(&text, "Location", s.location);
  return text;
}

std::string SetupTest::LibraryFileText(LibrarySettingsText s) const {
  if (s.ostrel_path.empty()) s.ostrel_path = product_dir_;
  if (s.pintable.empty()) s.pintable = data_dir_;
  std::string text = "[Preferences]\r\n";
  AddKey(&text, "OstrelPath", s.ostrel_path);
  AddKey(&text, "Pathtopintable", s.pintable);
  AddKey(&text, "Vendor", s.vendor);
  AddKey(&text, "Location", s.location);
  AddKey(&text, "Season", s.season);
  AddKey(&text, "PINExpiry", s.expiry);
  AddKey(&text, "PINCrypt", s.crypt);
  return text;
}

void SetupTest::WriteProduct(const ProductSettings& s, const std::string& ext) {
  temp_.WriteFile("product/ostrel" + ext, ProductFileText(s));
}

void SetupTest::WriteLibrary(const LibrarySettingsText& s,
                             const std::string& ext) {
  temp_.WriteFile("program/ostrelzoltdll" + ext, LibraryFileText(s));
}

std::string SetupTest::LibraryFile(const std::string& ext) const {
  return temp_.ReadFile("program/ostrelzoltdll" + ext);
}

FrmMain& SetupTest::Start(FrmMainHost host) {
  frm_.reset();
  window_ = MakeFrmMainForm();
  frm_ = std::make_unique<FrmMain>(*window_, dialogs_, env_, std::move(host));
  window_->Load();
  return *frm_;
}

std::vector<std::string> SetupTest::Prompts() const {
  std::vector<std::string> prompts;
  for (const auto& call : dialogs_.MsgBoxes()) prompts.push_back(call.prompt);
  return prompts;
}

std::string SetupTest::Join(const std::string& folder,
                            const std::string& name) const {
  return folder + env_.PathSeparator() + name;
}

std::string SetupTest::Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace zolt::setup
