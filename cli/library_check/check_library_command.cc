// zolt check-library [FILE]: checks the PIN library the point-of-sale
// program of a station folder loads, as that program meets it: a copy of
// zolt runs beside copies of the folder's settings file and library (the
// library reads the settings beside the program that loaded it), loads the
// library by name and checks what such a program relies on: the file and
// its version, both exports bound by name (and on Windows by ordinal, with
// the __stdcall convention measured on real calls), and one sold-out
// answer, which uses no PIN. A refusal's cause comes from zolt's own
// rehearsal of the same call.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "OstrelZOLTDLL.h"
#include "cli/show/answers.h"
#include "cli/common/command_line.h"
#include "cli/library_check/commands.h"
#include "cli/common/refusal_words.h"
#include "cli/common/output.h"
#include "cli/common/scratch_copy.h"
#include "cli/common/station_env.h"
#include "library/code_meaning.h"
#include "platform/process/child_process.h"
#include "platform/env/env.h"
#include "platform/process/export_call.h"
#include "platform/process/file_version.h"
#include "platform/process/library_loader.h"

namespace zolt::cli {
namespace {

constexpr char kVersion[] = "20.0.0.0";

struct CheckLibraryOptions {
  CommonOptions common;
  std::string file;
  bool in_place = false;  // the helper beside a copy of the station
};

struct Check {
  std::string what;
  std::string result;  // "ok", "fail", "not-shown"
  std::string detail;
};

class Checks {
 public:
  void Add(const std::string& what, bool ok, const std::string& detail = "") {
    checks_.push_back({what, ok ? "ok" : "fail", detail});
  }
  // A check the library's answer gave no chance to make.
  void NotShown(const std::string& what, const std::string& why) {
    checks_.push_back({what, "not-shown", why});
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
      if (c.result == "fail") return false;
    }
    return true;
  }
  nlohmann::ordered_json Json() const {
    nlohmann::ordered_json j = nlohmann::ordered_json::array();
    for (const Check& c : checks_) {
      j.push_back({{"check", c.what}, {"result", c.result}, {"detail", c.detail}});
    }
    return j;
  }

 private:
  std::vector<Check> checks_;
};

bool Untouched(const char* buffer, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (buffer[i] != 'Z') return false;
  }
  return true;
}

// An answer of a library that works: a core, sold out, or PINs off.
bool Works(int32_t answer) {
  return answer > 0 || answer == ToInt(Code::kSoldOut) ||
         answer == ToInt(Code::kPinsOff);
}

// "20.0.0" from ".../libOstrelZOLTDLL.so.20.0.0", or "".
std::string VersionOfFileName(const std::string& path) {
  const size_t at = path.rfind(".so.");
  return at == std::string::npos ? "" : path.substr(at + 4);
}

std::string FolderOfPath(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? "" : path.substr(0, cut);
}

// The library a point-of-sale program loads: on Linux the SONAME (which the
// library's package alone provides), or FILE; *name says which was loaded.
std::unique_ptr<LoadedLibrary> LoadInstalled(const std::string& file, std::string* name,
                                             std::string* error) {
  *name = ZOLT_LIBRARY_NAME;
  if (!file.empty()) *name = file;
  std::unique_ptr<LoadedLibrary> library = LoadLibraryByName(*name, error);
  if (!library && file.empty() && *name != SharedLibraryFileName("OstrelZOLTDLL")) {
    // A program folder may hold the library under its bare name alone.
    std::string bare_error;
    library = LoadLibraryByName(SharedLibraryFileName("OstrelZOLTDLL"), &bare_error);
    if (library) *name = SharedLibraryFileName("OstrelZOLTDLL");
  }
  return library;
}

// The file's version: from its version resource (Windows), else from its
// file name (Linux).
void CheckVersion(const std::string& path, Checks* checks, nlohmann::ordered_json* j) {
  FileVersion version;
  if (!ReadFileVersion(path, &version)) {
    if (!VersionOfFileName(path).empty()) {
      (*j)["version"] = {{"file", VersionOfFileName(path)},
                         {"product", nullptr},
                         {"from", "file name"}};
    }
    return;
  }
  (*j)["version"] = {{"file", version.file_version},
                     {"product", version.product_version},
                     {"from", "version resource"}};
  for (const auto& [key, value] : version.strings) {
    (*j)["version"]["strings"][key] = value;
  }
  checks->Add("file and product version " + std::string(kVersion),
              version.file_version == kVersion && version.product_version == kVersion,
              version.file_version + " / " + version.product_version);
  const auto& s = version.strings;
  auto is = [&](const char* key, const char* want) {
    auto it = s.find(key);
    return it != s.end() && it->second == want;
  };
  checks->Add("version strings FileVersion, ProductVersion, ProductName, "
              "OriginalFilename",
              is("FileVersion", kVersion) && is("ProductVersion", kVersion) &&
                  is("ProductName", "OstrelZOLTDLL") &&
                  is("OriginalFilename", "OstrelZOLTDLL.dll"));
}

struct Exports {
  void* zolt_result = nullptr;
  void* sold_out = nullptr;
};

// Both exports by name, and on Windows by ordinal and without decoration.
Exports CheckBindings(LoadedLibrary& library, Checks* checks) {
  Exports e;
  e.zolt_result = library.FindSymbol("ZoltResult");
  e.sold_out = library.FindSymbol("check_SoldOut_Condition");
  checks->Add("binds \"ZoltResult\" by name", e.zolt_result != nullptr);
  checks->Add("binds \"check_SoldOut_Condition\" by name", e.sold_out != nullptr);
  const bool ordinals = CallCdeclProbe().measured;  // Windows
  if (!ordinals) return e;
  checks->Add("ordinal 1 is ZoltResult",
              e.zolt_result != nullptr && library.FindOrdinal(1) == e.zolt_result);
  checks->Add("ordinal 2 is check_SoldOut_Condition",
              e.sold_out != nullptr && library.FindOrdinal(2) == e.sold_out);
  checks->Add("no decorated names exported",
              library.FindSymbol("_ZoltResult@16") == nullptr &&
                  library.FindSymbol("ZoltResult@16") == nullptr &&
                  library.FindSymbol("check_SoldOut_Condition@12") == nullptr);
  const ExportCall probe = CallCdeclProbe();
  checks->Add("the measuring thunk sees a __cdecl callee leave 12 bytes",
              probe.result == 6 && probe.stack_bytes_left == 12 && probe.registers_kept);
  return e;
}

// The sold-out answer at this station, asked twice with other vendor and
// location arguments; returns the answer.
int32_t CheckQuery(void* sold_out, Checks* checks) {
  ExportCall q = CallSoldOutQuery(sold_out, 190, 1, 1);
  checks->AddCall("check_SoldOut_Condition", q, 12);
  ExportCall other = CallSoldOutQuery(sold_out, -5, 99999, 1);
  if (other.result != q.result) {  // the minute turned: ask again
    q = CallSoldOutQuery(sold_out, 190, 1, 1);
    other = CallSoldOutQuery(sold_out, -5, 99999, 1);
  }
  const int32_t answer = q.result;
  // Only a call that got past every check of the settings shows that
  // the two arguments are not read; one that stopped earlier answers the
  // same whatever they are.
  if (answer > 0 || answer == ToInt(Code::kSoldOut)) {
    checks->Add("vendor and location arguments are not read", other.result == q.result,
                std::to_string(q.result) + " / " + std::to_string(other.result));
  } else {
    checks->NotShown("vendor and location arguments are not read",
                     "the call stopped at " + std::to_string(answer) +
                         " before it could read them");
  }
  return answer;
}

// A basket size out of range, through both exports: -105 and no PIN.
void CheckBadSizes(const Exports& e, int32_t answer, Checks* checks) {
  // The basket size is the settings' last check: a call that stops at
  // an earlier one gives that code for size 0 and 4 too.
  const bool sizes_reached = answer > 0 || answer == ToInt(Code::kSoldOut);
  char buffer[16];
  std::memset(buffer, 'Z', sizeof(buffer));
  const ExportCall bad = CallZoltResult(e.zolt_result, 190, 1, 0, buffer);
  const std::string stopped = "the call stopped at " + std::to_string(answer) + " first";
  const std::string size0 = "ZoltResult(size 0) gives -105 and leaves the buffer untouched";
  if (sizes_reached) {
    checks->Add(size0, bad.result == -105 && Untouched(buffer, sizeof(buffer)),
                std::to_string(bad.result));
  } else {
    checks->Add("ZoltResult(size 0) leaves the buffer untouched",
                Untouched(buffer, sizeof(buffer)));
  }
  checks->AddCall("ZoltResult", bad, 16);
  const ExportCall bad_query = CallSoldOutQuery(e.sold_out, 190, 1, 4);
  const std::string size4 = "check_SoldOut_Condition(size 4) gives -105";
  if (sizes_reached) {
    checks->Add(size4, bad_query.result == -105, std::to_string(bad_query.result));
  } else {
    checks->NotShown(size4, stopped);
  }
}

// The checks, made in this process: the library loaded by name from the
// folder of this zolt (or FILE), with the settings file beside it.
nlohmann::ordered_json CheckHere(const std::string& file) {
  Checks checks;
  std::string name, error;
  std::unique_ptr<LoadedLibrary> library = LoadInstalled(file, &name, &error);
  nlohmann::ordered_json j;
  const std::string exe = Env::Default().ExecutablePath();
  j["settings_read"] = FolderOfPath(exe) + Env::Default().PathSeparator() +
                       Env::Default().PathSeparator() + "OstrelZOLTDLL.dta";
  checks.Add("loads " + name + " by name", library != nullptr, error);
  Exports e;
  j["file"] = nullptr;
  j["version"] = nullptr;
  if (library) {
    const std::string path = library->FilePath();
    j["file"] = path;
    CheckVersion(path, &checks, &j);
    e = CheckBindings(*library, &checks);
  }
  j["answer"] = nullptr;
  if (e.zolt_result != nullptr && e.sold_out != nullptr) {
    const int32_t answer = CheckQuery(e.sold_out, &checks);
    CheckBadSizes(e, answer, &checks);
    j["answer"] = {{"export", "check_SoldOut_Condition"},
                   {"size", 1},
                   {"result", answer},
                   {"meaning", answer > 0 ? "not sold out: a PIN core" : CodeMeaning(answer)},
                   {"cause", nullptr}};
    checks.Add("the library answers at this station (a PIN core, sold out "
               "or PINs off)",
               Works(answer),
               std::to_string(answer) + ": " + j["answer"]["meaning"].get<std::string>());
  }
  j["checks"] = checks.Json();
  j["ok"] = checks.all_ok();
  return j;
}

// The checks made by a copy of this zolt placed beside a copy of the
// station's settings file and library, as the point-of-sale program in
// `station` meets them; the copy's paths are then named as the station's.
nlohmann::ordered_json CheckBeside(const std::string& station,
                                   const std::string& file) {
  namespace fs = std::filesystem;
  ScratchCopy scratch("", "");
  const fs::path helper_folder = fs::path(scratch.root()) / "station";
  fs::create_directories(helper_folder);
  const std::string exe = Env::Default().ExecutablePath();
  const fs::path helper = helper_folder / fs::path(exe).filename();
  std::error_code ec;
  fs::copy_file(exe, helper, ec);
  if (ec) throw SiteError("cannot copy " + exe + ": " + ec.message());
  const std::string library_name = SharedLibraryFileName("OstrelZOLTDLL");
  for (const auto& e : fs::directory_iterator(station, ec)) {
    const std::string name = e.path().filename().string();
    const bool settings = name == "OstrelZOLTDLL.dta";
    const bool library = name.rfind(library_name, 0) == 0;
    if (!settings && !library) continue;
    fs::copy(e.path(), helper_folder / name,
             fs::copy_options::copy_symlinks, ec);
    if (ec) throw SiteError("cannot copy " + e.path().string() + ": " + ec.message());
  }
  std::vector<std::string> args = {"check-library", "--json", "--in-place"};
  if (!file.empty()) args.push_back(file);
  std::string error;
  auto child = ChildProcess::Start(helper.string(), args, &error, true);
  if (!child) throw SiteError("cannot start " + helper.string() + ": " + error);
  std::string out, err;
  while (child->Read(&out)) {
  }
  while (child->ReadErrors(&err)) {
  }
  child->Wait();
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(out, nullptr, false);
  if (j.is_discarded()) {
    throw SiteError("the check beside a copy of " + station +
                    " gave no answer: " + err);
  }
  // Name the station's files, not the copy's.
  const std::string copy = helper_folder.string();
  std::function<void(nlohmann::ordered_json&)> rename =
      [&](nlohmann::ordered_json& v) {
        if (v.is_string()) {
          std::string s = v.get<std::string>();
          if (s.rfind(copy, 0) == 0) v = station + s.substr(copy.size());
        } else if (v.is_structured()) {
          for (auto& child_value : v) rename(child_value);
        }
      };
  rename(j);
  return j;
}

void PrintReport(const nlohmann::ordered_json& j) {
  if (!j["file"].is_null()) {
    std::printf("Library   %s\n", j["file"].get<std::string>().c_str());
  }
  if (!j["version"].is_null()) {
    std::printf("Version   %s (from its %s)\n",
                j["version"]["file"].get<std::string>().c_str(),
                j["version"]["from"].get<std::string>().c_str());
  } else if (!j["file"].is_null()) {
    std::printf("Version   (no version in its resource or file name)\n");
  }
  std::printf("Settings  %s (read by the library, beside the program)\n",
              j["settings_read"].get<std::string>().c_str());
  for (const auto& c : j["checks"]) {
    const std::string result = c["result"].get<std::string>();
    const std::string detail = c["detail"].get<std::string>();
    std::printf("%s  %s%s\n",
                result == "ok" ? "ok  " : result == "fail" ? "FAIL" : "--  ",
                c["check"].get<std::string>().c_str(),
                result == "ok" || detail.empty() ? ""
                                                 : (": " + detail).c_str());
  }
  if (!j["answer"].is_null()) {
    std::printf("Answer    check_SoldOut_Condition(size 1) = %d: %s\n",
                j["answer"]["result"].get<int>(),
                j["answer"]["meaning"].get<std::string>().c_str());
    if (!j["answer"]["cause"].is_null()) {
      std::printf("          cause: %s\n",
                  j["answer"]["cause"]["text"].get<std::string>().c_str());
    }
  }
}

int RunCheckLibrary(const CheckLibraryOptions& o) {
  std::string file;
  if (!o.file.empty()) {
    file = AbsolutePath(o.file);
    if (!Env::Default().FileExists(file)) {
      throw UsageError(file + ": no such file");
    }
  }
  if (o.in_place) {
    PrintJson(CheckHere(file));
    return kExitOk;
  }
  const std::string station = AbsolutePath(o.common.station);
  if (!Env::Default().FolderExists(station)) {
    throw UsageError("--station: " + station + ": no such folder");
  }
  const bool beside =
      FolderOfPath(Env::Default().ExecutablePath()) == station;
  nlohmann::ordered_json j;
  j["schema"] = kJsonSchema;
  j["command"] = "check-library";
  j["station"] = station;
  j.update(beside ? CheckHere(file) : CheckBeside(station, file));
  // The exports return a code only: a refusal's cause comes from zolt's
  // own rehearsal of the same call at the station.
  if (!j["answer"].is_null() && j["answer"]["result"].get<int>() <= 0) {
    StationEnv env(Env::Default(), station, std::nullopt, false);
    const Answer again = Ask(env, Caller::kSoldOutQuery, 1);
    if (again.result == j["answer"]["result"].get<int>()) {
      j["answer"]["cause"] = RefusalJson(again.cause);
    }
  }
  if (o.common.json) {
    PrintJson(j);
  } else {
    PrintReport(j);
  }
  return j["ok"].get<bool>() ? kExitOk : kExitFailure;
}

}  // namespace

void AddCheckLibraryCommand(CLI::App& app, int* exit_status) {
  auto o = std::make_shared<CheckLibraryOptions>();
  CLI::App* cmd = app.add_subcommand("check-library", "load the PIN library a point-of-sale program loads and check it");
  Describe(cmd,
      "Check the PIN library the point-of-sale program in the station folder "
      "(--station, default: the current folder) loads, with that folder's "
      "settings file, as the program meets them: a copy of zolt is placed "
      "beside a copy of the folder's OstrelZOLTDLL.dta and library files in "
      "a temporary folder and loads the library by name from there (or "
      "FILE), with the system's clock. It checks the file and its version "
      "(Windows: its version resource, 20.0.0.0; Linux: the versioned file "
      "name behind the library), both exports bound by name, on Windows "
      "their ordinals (1 and 2) and that each call removed its own "
      "arguments (16 and 12 bytes) and kept the callee-saved registers, and "
      "that check_SoldOut_Condition answers with a PIN core, sold out or "
      "PINs off (which uses no PIN; like any first call of a day it "
      "rebuilds the tables when they are not today's). A refusal is named "
      "with its cause.");
  cmd->add_option("FILE", o->file, "the library file to load instead");
  AddCommonOptions(cmd, &o->common, kStationOption | kJsonOption);
  cmd->add_flag("--in-place", o->in_place,
                "check beside this zolt itself (used by the copy)")
      ->group("");
  cmd->callback([o, exit_status] { *exit_status = RunCheckLibrary(*o); });
}

}  // namespace zolt::cli
