// zolt check-library [FILE]: loads the installed PIN library the way a
// point-of-sale program does and checks what such a program relies on:
// the file and its version, both exports bound by name (and on Windows by
// ordinal, with the __stdcall convention measured on real calls), and one
// sold-out answer, which uses no PIN.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "library/code_meaning.h"
#include "platform/env.h"
#include "platform/export_call.h"
#include "platform/file_version.h"
#include "platform/library_loader.h"

namespace zolt::cli {
namespace {

constexpr char kVersion[] = "20.0.0.0";

struct CheckLibraryOptions {
  CommonOptions common;
  std::string file;
};

struct Check {
  std::string what;
  bool ok;
  std::string detail;
};

class Checks {
 public:
  void Add(const std::string& what, bool ok, const std::string& detail = "") {
    checks_.push_back({what, ok, detail});
  }
  // A measured call: the callee removed exactly its arguments and kept the
  // callee-saved registers.
  void AddCall(const std::string& what, const ExportCall& call, int bytes) {
    if (!call.measured) return;
    Add(what + " removed its " + std::to_string(bytes) +
            " bytes of arguments and kept EBX, ESI, EDI, EBP",
        call.stack_bytes_left == 0 && call.registers_kept,
        std::to_string(call.stack_bytes_left) + " bytes left on the stack" +
            (call.registers_kept ? "" : ", a callee-saved register changed"));
  }
  bool all_ok() const {
    for (const Check& c : checks_) {
      if (!c.ok) return false;
    }
    return true;
  }
  const std::vector<Check>& list() const { return checks_; }

 private:
  std::vector<Check> checks_;
};

bool Untouched(const char* buffer, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (buffer[i] != 'Z') return false;
  }
  return true;
}

int RunCheckLibrary(const CheckLibraryOptions& o) {
  if (!o.common.station.empty() || !o.common.at.empty()) {
    throw UsageError(
        "check-library: the library reads its settings beside zolt itself "
        "and the system's clock, so --station and --at do not apply");
  }
  std::string name = SharedLibraryFileName("OstrelZOLTDLL");
  if (!o.file.empty()) {
    name = AbsolutePath(o.file);
    if (!Env::Default().FileExists(name)) {
      throw UsageError("check-library: " + name + ": no such file");
    }
  }
  Checks checks;
  std::string error;
  std::unique_ptr<LoadedLibrary> library = LoadLibraryByName(name, &error);
  nlohmann::ordered_json j;
  const std::string exe = Env::Default().ExecutablePath();
  const size_t cut = exe.find_last_of(Env::Default().PathSeparator());
  j["settings_read"] = (cut == std::string::npos ? "" : exe.substr(0, cut + 1)) +
                       Env::Default().PathSeparator() + "OstrelZOLTDLL.dta";
  checks.Add("loads " + name + " by name", library != nullptr, error);
  void* zolt_result = nullptr;
  void* sold_out = nullptr;
  int32_t answer = 0;
  if (library) {
    const std::string path = library->FilePath();
    j["file"] = path;
    FileVersion version;
    if (ReadFileVersion(path, &version)) {
      j["version"] = {{"file", version.file_version},
                      {"product", version.product_version}};
      for (const auto& [key, value] : version.strings) {
        j["version"]["strings"][key] = value;
      }
      checks.Add("file and product version " + std::string(kVersion),
                 version.file_version == kVersion &&
                     version.product_version == kVersion,
                 version.file_version + " / " + version.product_version);
      const auto& s = version.strings;
      auto is = [&](const char* key, const char* want) {
        auto it = s.find(key);
        return it != s.end() && it->second == want;
      };
      checks.Add("version strings FileVersion, ProductVersion, ProductName, "
                 "OriginalFilename",
                 is("FileVersion", kVersion) && is("ProductVersion", kVersion) &&
                     is("ProductName", "OstrelZOLTDLL") &&
                     is("OriginalFilename", "OstrelZOLTDLL.dll"));
    } else {
      j["version"] = nullptr;
    }
    zolt_result = library->FindSymbol("ZoltResult");
    sold_out = library->FindSymbol("check_SoldOut_Condition");
    checks.Add("binds \"ZoltResult\" by name", zolt_result != nullptr);
    checks.Add("binds \"check_SoldOut_Condition\" by name", sold_out != nullptr);
    const bool ordinals = CallCdeclProbe().measured;  // Windows
    if (ordinals) {
      checks.Add("ordinal 1 is ZoltResult",
                 zolt_result != nullptr && library->FindOrdinal(1) == zolt_result);
      checks.Add("ordinal 2 is check_SoldOut_Condition",
                 sold_out != nullptr && library->FindOrdinal(2) == sold_out);
      checks.Add("no decorated names exported",
                 library->FindSymbol("_ZoltResult@16") == nullptr &&
                     library->FindSymbol("ZoltResult@16") == nullptr &&
                     library->FindSymbol("check_SoldOut_Condition@12") == nullptr);
      const ExportCall probe = CallCdeclProbe();
      checks.Add("the measuring thunk sees a __cdecl callee leave 12 bytes",
                 probe.result == 6 && probe.stack_bytes_left == 12 &&
                     probe.registers_kept);
    }
  }
  if (zolt_result != nullptr && sold_out != nullptr) {
    ExportCall q = CallSoldOutQuery(sold_out, 190, 1, 1);
    checks.AddCall("check_SoldOut_Condition", q, 12);
    ExportCall other = CallSoldOutQuery(sold_out, -5, 99999, 1);
    if (other.result != q.result) {  // the minute turned: ask again
      q = CallSoldOutQuery(sold_out, 190, 1, 1);
      other = CallSoldOutQuery(sold_out, -5, 99999, 1);
    }
    answer = q.result;
    checks.Add("vendor and location arguments are not read",
               other.result == q.result,
               std::to_string(q.result) + " / " + std::to_string(other.result));
    char buffer[16];
    std::memset(buffer, 'Z', sizeof(buffer));
    const ExportCall bad = CallZoltResult(zolt_result, 190, 1, 0, buffer);
    checks.Add("ZoltResult(size 0) gives -105 and leaves the buffer untouched",
               bad.result == -105 && Untouched(buffer, sizeof(buffer)),
               std::to_string(bad.result));
    checks.AddCall("ZoltResult", bad, 16);
    const ExportCall bad_query = CallSoldOutQuery(sold_out, 190, 1, 4);
    checks.Add("check_SoldOut_Condition(size 4) gives -105",
               bad_query.result == -105, std::to_string(bad_query.result));
    j["answer"] = {{"export", "check_SoldOut_Condition"},
                   {"size", 1},
                   {"result", answer},
                   {"meaning", answer > 0 ? "not sold out: a PIN core"
                                          : CodeMeaning(answer)}};
  }
  const bool ok = checks.all_ok() && answer > 0;
  for (const Check& c : checks.list()) {
    j["checks"].push_back(
        {{"check", c.what}, {"ok", c.ok}, {"detail", c.detail}});
  }
  j["ok"] = ok;
  if (o.common.json) {
    PrintJson(j);
  } else {
    if (j.contains("file")) {
      std::printf("Library   %s\n", j["file"].get<std::string>().c_str());
    }
    if (j.contains("version") && !j["version"].is_null()) {
      std::printf("Version   %s\n",
                  j["version"]["file"].get<std::string>().c_str());
    } else if (library) {
      std::printf("Version   (no version resource on this system)\n");
    }
    std::printf("Settings  %s (read by the library, beside zolt)\n",
                j["settings_read"].get<std::string>().c_str());
    for (const Check& c : checks.list()) {
      std::printf("%s  %s%s\n", c.ok ? "ok  " : "FAIL", c.what.c_str(),
                  c.ok || c.detail.empty() ? "" : (": " + c.detail).c_str());
    }
    if (j.contains("answer")) {
      std::printf("Answer    check_SoldOut_Condition(size 1) = %d: %s\n",
                  answer, j["answer"]["meaning"].get<std::string>().c_str());
    }
  }
  return ok ? kExitOk : kExitFailure;
}

}  // namespace

void AddCheckLibraryCommand(CLI::App& app, int* exit_status) {
  auto o = std::make_shared<CheckLibraryOptions>();
  CLI::App* cmd = app.add_subcommand("check-library", "load the installed PIN library as a point-of-sale program does and check it");
  Describe(cmd,
      "Load the installed PIN library the way a point-of-sale program does "
      "(by name, from the folder of zolt itself first, or FILE) and check it: "
      "file and version (20.0.0.0 on Windows, from its version resource), "
      "both exports bound by name, on Windows their ordinals (1 and 2) and "
      "that each call removed its own arguments (16 and 12 bytes) and kept "
      "the callee-saved registers, and one check_SoldOut_Condition answer "
      "(which uses no PIN). Copy zolt next to the point-of-sale program and "
      "run it there: the library reads the settings file beside zolt.");
  cmd->add_option("FILE", o->file, "the library file to load instead");
  AddCommonOptions(cmd, &o->common);
  cmd->callback([o, exit_status] { *exit_status = RunCheckLibrary(*o); });
}

}  // namespace zolt::cli
