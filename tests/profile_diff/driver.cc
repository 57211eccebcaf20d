// The Linux side of the profile differential test: runs the script of
// cases.cc through the profile engine and compares every answer with what
// the platform's functions gave (the probe's results, see script_format.h).
//
//   profile_diff --write-script FILE      writes the script for the probe
//   profile_diff --check RESULTS          compares recorded results
//   profile_diff --live [--win-build-dir DIR] [--wine-run SCRIPT]
//                [--record FILE]          runs the probe under Wine first
//
// Each operation is checked twice: on the file as the platform left it
// (so that one difference does not hide the next), and on one profile kept
// in memory across the whole case, as the library uses it. Exit status:
// 0 all agree (known differences aside), 1 a difference, 77 skipped (no
// probe to run).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/profile_scan.h"
#include "tests/profile_diff/cases.h"
#include "tests/profile_diff/known_differences.h"
#include "tests/profile_diff/script_format.h"

namespace zolt::profile_diff {
namespace {

constexpr int kExitSkip = 77;

struct Step {
  std::string op_line;
  std::string answer;  // after "= "; empty for lines without an answer
};

bool IsOperation(const std::string& kind) {
  return kind == "read" || kind == "write" || kind == "delkey" ||
         kind == "delsec" || kind == "flush";
}

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

bool WriteScript(const std::string& path, const std::vector<std::string>& script) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : script) out << line << "\n";
  return static_cast<bool>(out);
}

// Pairs the probe's echoed lines with its answers.
std::vector<Step> ParseResults(const std::string& text) {
  std::vector<Step> steps;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("> ", 0) == 0) {
      steps.push_back(Step{line.substr(2), ""});
    } else if (line.rfind("= ", 0) == 0 && !steps.empty()) {
      steps.back().answer = line.substr(2);
    }
  }
  return steps;
}

enum class Where { kPresent, kMissing, kNoFolder };

struct FileState {
  Where where = Where::kMissing;
  std::string bytes;
};

std::string FileAnswer(int ret, const FileState& f) {
  return std::to_string(ret) + "\t" +
         (f.where == Where::kPresent ? Escape(f.bytes)
                                     : std::string(kMissingFile));
}

// The platform's file after a write, from its answer.
FileState FileFromAnswer(const std::string& answer, const FileState& before) {
  FileState f = before;
  std::size_t tab = answer.find('\t');
  std::string file = tab == std::string::npos ? "" : answer.substr(tab + 1);
  if (file == kMissingFile) {
    if (f.where == Where::kPresent) f.where = Where::kMissing;
  } else {
    f.where = Where::kPresent;
    f.bytes = Unescape(file);
  }
  return f;
}

std::string ReadText(const std::string& answer) {
  std::size_t tab = answer.find('\t');
  return tab == std::string::npos ? "" : Unescape(answer.substr(tab + 1));
}

// Applies one operation to a profile and returns the engine's answer.
// `file` is the state the operation starts from and is updated.
std::string Apply(const std::vector<std::string>& op, ProfileFile& profile,
                  FileState* file, bool save_after) {
  const std::string& kind = op[0];
  if (kind == "read") {
    std::string text = profile.GetString(
        op[1], op[2], op[3], std::strtoul(op[4].c_str(), nullptr, 10));
    return std::to_string(text.size()) + "\t" + Escape(text);
  }
  if (kind == "write") profile.SetString(op[1], op[2], op[3]);
  if (kind == "delkey") profile.RemoveKey(op[1], op[2]);
  if (kind == "delsec") profile.RemoveSection(op[1]);
  if (kind == "flush") return FileAnswer(0, *file);
  if (!save_after || !profile.changed()) {
    return FileAnswer(file->where == Where::kNoFolder ? 0 : 1, *file);
  }
  if (file->where == Where::kNoFolder) return FileAnswer(0, *file);
  file->where = Where::kPresent;
  file->bytes = profile.Serialize();
  return FileAnswer(1, *file);
}

// A write whose line reads back as written: no line end in it, no '=' in
// the key, no key that looks like a header.
bool ReadsBackAsWritten(const std::vector<std::string>& op) {
  auto has = [](const std::string& s, const char* chars) {
    return s.find_first_of(chars) != std::string::npos;
  };
  if (op[0] != "write") return true;
  std::string key = op[2];
  std::size_t first = key.find_first_not_of(" \t\v\f\r\n\x1a");
  return !has(op[1], "\r\n") && !has(op[2], "\r\n=") && !has(op[3], "\r\n") &&
         !(first != std::string::npos && key[first] == '[');
}

class Checker {
 public:
  explicit Checker(bool verbose) : verbose_(verbose) {}

  // Returns false when the results do not belong to the script.
  bool Run(const std::vector<std::string>& script, const std::vector<Step>& steps) {
    if (script.size() != steps.size()) {
      std::cout << "results have " << steps.size() << " lines, the script "
                << script.size() << ": record them again\n";
      return false;
    }
    for (std::size_t i = 0; i < script.size(); ++i) {
      if (script[i] != steps[i].op_line) {
        std::cout << "results line " << i + 1
                  << " belongs to another script: record them again\n";
        return false;
      }
    }
    for (const Step& step : steps) Take(step);
    return true;
  }

  int failures() const { return failures_; }

  void Summary() const {
    std::cout << "profile_diff: " << cases_ << " cases, " << operations_
              << " operations, " << known_total_ << " known differences, "
              << failures_ << " failures; " << scan_reads_
              << " reads compared with the call path's scan\n";
    for (const auto& [reason, count] : known_) {
      std::cout << "  known: " << reason << " (" << count << ")\n";
    }
  }

 private:
  void Take(const Step& step) {
    std::vector<std::string> op = SplitFields(step.op_line);
    const std::string& kind = op[0];
    if (kind == "case") {
      case_name_ = op.size() > 1 ? op[1] : "?";
      ++cases_;
      file_ = FileState{};
      chain_.reset();
    } else if (kind == "file") {
      file_ = FileState{Where::kPresent, op.size() > 1 ? op[1] : ""};
    } else if (kind == "missing") {
      file_ = FileState{};
    } else if (kind == "nofolder") {
      file_ = FileState{Where::kNoFolder, ""};
    } else if (IsOperation(kind)) {
      if (!chain_started_) StartChain();
      Check(op, step.answer);
      return;
    }
    chain_started_ = false;
  }

  // The profile kept in memory starts from the file as the first operation
  // of the case finds it.
  void StartChain() {
    chain_started_ = true;
    chain_file_ = file_;
    chain_on_ = file_.where != Where::kNoFolder &&
                !(file_.where == Where::kPresent && FileQuirk(file_.bytes));
    chain_.emplace(file_.where == Where::kPresent ? ProfileFile::Parse(file_.bytes)
                                                 : ProfileFile());
  }

  void Check(const std::vector<std::string>& op, const std::string& platform) {
    ++operations_;
    FileState before = file_;
    ProfileFile profile = before.where == Where::kPresent
                              ? ProfileFile::Parse(before.bytes)
                              : ProfileFile();
    FileState engine_file = before;
    std::string engine = Apply(op, profile, &engine_file, true);
    bool is_read = op[0] == "read";
    if (is_read && before.where == Where::kPresent) {
      CheckScan(op, before.bytes, ReadText(engine));
    }
    file_ = is_read ? before : FileFromAnswer(platform, before);
    if (engine != platform) {
      chain_on_ = false;
      const char* quirk =
          before.where == Where::kPresent ? FileQuirk(before.bytes) : nullptr;
      if (!quirk && before.where == Where::kNoFolder) {
        quirk = MissingFolderQuirk(op);
      }
      if (!quirk && !is_read && before.where == Where::kPresent &&
          file_.where == Where::kPresent) {
        quirk = RewriteQuirk(before.bytes, file_.bytes);
      }
      if (!quirk) {
        quirk = OperationQuirk(
            op, before.where == Where::kPresent && IsUnicodeFile(before.bytes),
            is_read ? ReadText(engine) : "", is_read ? ReadText(platform) : "");
      }
      Report(quirk, "", op, engine, platform);
      return;
    }
    if (!chain_on_) return;
    // The same operation on the profile kept in memory since the case began.
    FileState scratch = chain_file_;
    std::string chained = Apply(op, *chain_, &scratch, false);
    bool agree = chained == platform;
    if (!is_read) {
      FileState expect = chain_->changed()
                             ? FileState{Where::kPresent, chain_->Serialize()}
                             : chain_file_;
      chained = FileAnswer(0, expect);
      agree = expect.where == file_.where &&
              (expect.where != Where::kPresent || expect.bytes == file_.bytes);
    }
    if (!agree) {
      chain_on_ = false;
      Report(nullptr, " (profile kept in memory)", op, chained, platform);
    }
    if (!ReadsBackAsWritten(op)) chain_on_ = false;
  }

  // The library's call path reads with ProfileScan: it must answer every
  // read exactly as the engine does, for a named key and, where the key is
  // a slot number, for a numbered one.
  void CheckScan(const std::vector<std::string>& op, const std::string& bytes,
                 const std::string& engine_text) {
    const std::size_t size = std::strtoul(op[4].c_str(), nullptr, 10);
    ProfileScan named(bytes, op[1], {op[2]}, 0);
    if (!named.usable()) return;
    std::vector<std::string> answers = {named.Named(0, op[3], size)};
    const std::string key = op[2];
    if (!key.empty() && key.size() < 5 &&
        key.find_first_not_of("0123456789") == std::string::npos &&
        std::to_string(std::stoi(key)) == key && std::stoi(key) < 1441) {
      ProfileScan numbered(bytes, op[1], {}, 1441);
      answers.push_back(numbered.Numbered(std::stoi(key), op[3], size));
    }
    for (const std::string& answer : answers) {
      ++scan_reads_;
      if (answer != engine_text) {
        ++failures_;
        std::cout << "FAIL " << case_name_ << ": scan gives \"" << Escape(answer)
                  << "\", the engine \"" << Escape(engine_text) << "\" for "
                  << JoinFields(op) << "\n";
      }
    }
  }

  void Report(const char* quirk, const char* where,
              const std::vector<std::string>& op, const std::string& engine,
              const std::string& platform) {
    if (quirk) {
      ++known_[quirk];
      ++known_total_;
      if (!verbose_) return;
      std::cout << "known difference (" << quirk << ")";
    } else {
      ++failures_;
      std::cout << "DIFFERENCE" << where;
    }
    std::cout << " in case " << case_name_ << "\n  operation: " << JoinFields(op)
              << "\n  engine:    " << engine << "\n  platform:  " << platform
              << "\n";
  }

  bool verbose_;
  std::string case_name_;
  FileState file_;
  FileState chain_file_;
  std::optional<ProfileFile> chain_;
  bool chain_on_ = false;
  bool chain_started_ = false;
  int cases_ = 0;
  int operations_ = 0;
  int failures_ = 0;
  int scan_reads_ = 0;
  int known_total_ = 0;
  std::map<std::string, int> known_;
};

int Check(const std::vector<std::string>& script, const std::string& results_path,
          bool verbose) {
  std::string text;
  if (!ReadFile(results_path, &text)) {
    std::cout << "cannot read " << results_path << "\n";
    return 1;
  }
  Checker checker(verbose);
  if (!checker.Run(script, ParseResults(text))) return 1;
  checker.Summary();
  return checker.failures() == 0 ? 0 : 1;
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

int Live(const std::vector<std::string>& script, std::string win_build_dir,
         const std::string& wine_run, const std::string& record, bool verbose) {
  namespace fs = std::filesystem;
  if (win_build_dir.empty()) {
    const char* env = std::getenv("ZOLT_WIN_BUILD_DIR");
    if (env) win_build_dir = env;
  }
  if (win_build_dir.empty()) {
    std::cout << "SKIPPED: no Windows build to take the probe from (set "
                 "ZOLT_WIN_BUILD_DIR to a windows build folder)\n";
    return kExitSkip;
  }
  fs::path probe = fs::absolute(fs::path(win_build_dir) / "tests" /
                                "profile_diff" / "profile_probe.exe");
  if (!fs::exists(probe)) {
    std::cout << "SKIPPED: " << probe.string()
              << " is missing (build the windows preset first)\n";
    return kExitSkip;
  }
  std::error_code ec;
  auto stamp = static_cast<unsigned long long>(
      fs::file_time_type::clock::now().time_since_epoch().count());
  fs::path work =
      fs::temp_directory_path() / ("zolt_profile_diff_" + std::to_string(stamp));
  fs::create_directories(work, ec);
  if (ec || !WriteScript((work / "script.txt").string(), script)) {
    std::cout << "cannot write the script into " << work.string() << "\n";
    return 1;
  }
  // The probe runs in the work folder, so a relative runner would be lost.
  std::string runner = wine_run.find('/') == std::string::npos
                           ? wine_run
                           : fs::absolute(wine_run).string();
  std::string command = "cd " + ShellQuote(work.string()) + " && " +
                        ShellQuote(runner) + " " + ShellQuote(probe.string()) +
                        " script.txt results.txt";
  int status = std::system(command.c_str());
  fs::path results = work / "results.txt";
  if (status != 0 || !fs::exists(results)) {
    std::cout << "the probe failed (" << status << "): " << command << "\n";
    return 1;
  }
  if (!record.empty()) fs::copy_file(results, record, fs::copy_options::overwrite_existing, ec);
  int result = Check(script, results.string(), verbose);
  fs::remove_all(work, ec);
  return result;
}

int Main(int argc, char** argv) {
  std::string write_script, check, win_build_dir, record;
  std::string wine_run = "wine";
  bool live = false, verbose = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() { return i + 1 < argc ? std::string(argv[++i]) : ""; };
    if (arg == "--write-script") {
      write_script = value();
    } else if (arg == "--check") {
      check = value();
    } else if (arg == "--live") {
      live = true;
    } else if (arg == "--win-build-dir") {
      win_build_dir = value();
    } else if (arg == "--wine-run") {
      wine_run = value();
    } else if (arg == "--record") {
      record = value();
    } else if (arg == "--verbose") {
      verbose = true;
    } else {
      std::cerr << "profile_diff: unknown argument " << arg << "\n";
      return 2;
    }
  }
  std::vector<std::string> script = BuildScript(kGeneratedCases);
  if (!write_script.empty()) return WriteScript(write_script, script) ? 0 : 1;
  if (!check.empty()) return Check(script, check, verbose);
  if (live) return Live(script, win_build_dir, wine_run, record, verbose);
  std::cerr << "profile_diff: give --write-script, --check or --live\n";
  return 2;
}

}  // namespace
}  // namespace zolt::profile_diff

int main(int argc, char** argv) { return zolt::profile_diff::Main(argc, argv); }
