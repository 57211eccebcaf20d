// The Linux side of the profile differential test: runs the cases of
// cases.txt through the profile engine and compares every answer with what
// the platform's functions gave (the probe's results, see script_format.h).
// A difference passes only where known_differences.txt names it.
//
//   profile_diff CASES KNOWN --check RESULTS
//   profile_diff CASES KNOWN --live WIN_BUILD_DIR WINE_RUN [--record FILE]
//
// Each operation is checked twice: on the file as the platform left it
// (so that one difference does not hide the next), and on one profile kept
// in memory across the whole case, as the library uses it. Every read is
// also answered by the call path's scan. Exit status: 0 all agree, 1 a
// difference, 77 skipped (no probe to run).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "profile/profile.h"
#include "profile/profile_scan.h"
#include "profile/tests/diff/script_format.h"

namespace zolt::profile_diff {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The lines of a data file without comments and blank lines, '|' read as
// the field separator.
std::vector<std::string> DataLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(ReadAll(path));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    for (char& c : line) c = c == '|' ? '\t' : c;
    lines.push_back(line);
  }
  return lines;
}

enum class Where { kPresent, kMissing, kNoFolder };

struct FileState {
  Where where = Where::kMissing;
  std::string bytes;
};

std::string FileAnswer(int ret, const FileState& f) {
  return std::to_string(ret) + "\t" +
         (f.where == Where::kPresent ? Escape(f.bytes) : std::string(kMissingFile));
}

// The platform's file after a write, from its answer.
FileState FileFromAnswer(const std::string& answer, const FileState& before) {
  FileState f = before;
  const std::size_t tab = answer.find('\t');
  const std::string file = tab == std::string::npos ? "" : answer.substr(tab + 1);
  if (file != kMissingFile) {
    f = {Where::kPresent, Unescape(file)};
  } else if (f.where == Where::kPresent) {
    f.where = Where::kMissing;
  }
  return f;
}

// Applies one operation to a profile and returns the engine's answer.
// `file` is the state the operation starts from and is updated.
std::string Apply(const std::vector<std::string>& op, ProfileFile& profile, FileState* file,
                  bool save_after) {
  const std::string& kind = op[0];
  if (kind == "read") {
    std::string text =
        profile.GetString(op[1], op[2], op[3], std::strtoul(op[4].c_str(), nullptr, 10));
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
  *file = {Where::kPresent, profile.Serialize()};
  return FileAnswer(1, *file);
}

// A write whose line reads back as written: no line end in it, no '=' in
// the key, no key that looks like a header.
bool ReadsBackAsWritten(const std::vector<std::string>& op) {
  if (op[0] != "write") return true;
  const std::string& key = op[2];
  const std::size_t first = key.find_first_not_of(" \t\v\f\r\n\x1a");
  return (op[1] + op[2] + op[3]).find_first_of("\r\n") == std::string::npos &&
         key.find('=') == std::string::npos &&
         !(first != std::string::npos && key[first] == '[');
}

class Checker {
 public:
  Checker(std::map<std::string, std::string> known, std::set<std::string> varies)
      : known_(std::move(known)), varies_(std::move(varies)) {}

  // The probe's results ("> " echoes of the script, "= " answers).
  bool Run(const std::vector<std::string>& script, const std::string& results) {
    std::vector<std::string> echoed;
    std::vector<std::string> answers;
    std::istringstream in(results);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("> ", 0) == 0) echoed.push_back(line.substr(2));
      if (line.rfind("> ", 0) == 0) answers.emplace_back();
      if (line.rfind("= ", 0) == 0 && !answers.empty()) answers.back() = line.substr(2);
    }
    if (echoed != script) {
      std::cout << "the results belong to another script: record them again\n";
      return false;
    }
    for (std::size_t i = 0; i < script.size(); ++i) Take(SplitFields(script[i]), answers[i]);
    for (const auto& [where, reason] : known_) {
      if (varies_.count(where) != 0) continue;
      ++failures_;
      std::cout << "STALE known difference " << where << " (" << reason << "): they agree\n";
    }
    std::cout << "profile_diff: " << cases_ << " cases, " << operations_ << " operations, "
              << known_seen_ << " known differences, " << failures_ << " failures; "
              << scan_reads_ << " reads compared with the call path's scan\n";
    return failures_ == 0;
  }

 private:
  void Take(const std::vector<std::string>& op, const std::string& platform) {
    const std::string& kind = op[0];
    if (kind == "case") {
      case_name_ = op.size() > 1 ? op[1] : "?";
      ++cases_;
      file_ = FileState{};
      operation_ = 0;
      chain_.reset();
    } else if (kind == "file") {
      file_ = FileState{Where::kPresent, op.size() > 1 ? op[1] : ""};
    } else if (kind == "missing") {
      file_ = FileState{};
    } else if (kind == "nofolder") {
      file_ = FileState{Where::kNoFolder, ""};
    } else if (kind != "end") {
      if (!chain_) {
        // The profile kept in memory starts from the file as the first
        // operation of the case finds it.
        chain_file_ = file_;
        chain_on_ = file_.where != Where::kNoFolder;
        chain_.emplace(file_.where == Where::kPresent ? ProfileFile::Parse(file_.bytes)
                                                     : ProfileFile());
      }
      ++operation_;
      Check(op, platform);
    }
  }

  void Check(const std::vector<std::string>& op, const std::string& platform) {
    ++operations_;
    const FileState before = file_;
    ProfileFile profile =
        before.where == Where::kPresent ? ProfileFile::Parse(before.bytes) : ProfileFile();
    FileState engine_file = before;
    const std::string engine = Apply(op, profile, &engine_file, true);
    const bool is_read = op[0] == "read";
    if (is_read && before.where == Where::kPresent) CheckScan(op, before.bytes, engine);
    file_ = is_read ? before : FileFromAnswer(platform, before);
    if (engine != platform) {
      chain_on_ = false;
      Report("", op, engine, platform);
      return;
    }
    if (!chain_on_) return;
    // The same operation on the profile kept in memory since the case began.
    FileState scratch = chain_file_;
    std::string chained = Apply(op, *chain_, &scratch, false);
    bool agree = chained == platform;
    if (!is_read) {
      const FileState expect =
          chain_->changed() ? FileState{Where::kPresent, chain_->Serialize()} : chain_file_;
      chained = FileAnswer(0, expect);
      agree = expect.where == file_.where &&
              (expect.where != Where::kPresent || expect.bytes == file_.bytes);
    }
    if (!agree) {
      chain_on_ = false;
      Report(" (profile kept in memory)", op, chained, platform);
    }
    if (!ReadsBackAsWritten(op)) chain_on_ = false;
  }

  // The library's call path reads with ProfileScan: it must answer every
  // read exactly as the engine does, for a named key and, where the key is
  // a slot number, for a numbered one.
  void CheckScan(const std::vector<std::string>& op, const std::string& bytes,
                 const std::string& engine_answer) {
    const std::string engine = Unescape(engine_answer.substr(engine_answer.find('\t') + 1));
    const std::size_t size = std::strtoul(op[4].c_str(), nullptr, 10);
    ProfileScan named(bytes, op[1], {op[2]}, 0);
    if (!named.usable()) return;
    std::vector<std::string> answers = {named.Named(0, op[3], size)};
    const std::string& key = op[2];
    if (!key.empty() && key.size() < 5 && key.find_first_not_of("0123456789") == std::string::npos &&
        std::to_string(std::stoi(key)) == key && std::stoi(key) < 1441) {
      ProfileScan numbered(bytes, op[1], {}, 1441);
      answers.push_back(numbered.Numbered(std::stoi(key), op[3], size));
    }
    for (const std::string& answer : answers) {
      ++scan_reads_;
      if (answer == engine) continue;
      ++failures_;
      std::cout << "FAIL " << case_name_ << ": scan gives \"" << Escape(answer)
                << "\", the engine \"" << Escape(engine) << "\" for " << JoinFields(op) << "\n";
    }
  }

  void Report(const char* where, const std::vector<std::string>& op, const std::string& engine,
              const std::string& platform) {
    if (!*where && known_.erase(case_name_ + "\t" + std::to_string(operation_)) == 1) {
      ++known_seen_;
      return;
    }
    ++failures_;
    std::cout << "DIFFERENCE" << where << " in case " << case_name_ << ", operation "
              << operation_ << "\n  operation: " << JoinFields(op) << "\n  engine:    " << engine
              << "\n  platform:  " << platform << "\n";
  }

  std::map<std::string, std::string> known_;  // "case<TAB>operation" -> reason
  // Differences where the platform's answer depends on memory it should not
  // read: they may agree in one run and differ in the next.
  std::set<std::string> varies_;
  std::string case_name_;
  int operation_ = 0;
  FileState file_, chain_file_;
  std::optional<ProfileFile> chain_;
  bool chain_on_ = false;
  int cases_ = 0, operations_ = 0, failures_ = 0, scan_reads_ = 0, known_seen_ = 0;
};

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs the probe of a windows build under Wine on the script; its results,
// or "" (with the exit status in *status) when it cannot run.
std::string RunProbe(const std::vector<std::string>& script, const std::string& win_build_dir,
                     const std::string& wine_run, int* status) {
  const fs::path probe =
      fs::absolute(fs::path(win_build_dir) / "profile/tests/diff/profile_probe.exe");
  if (win_build_dir.empty() || !fs::exists(probe)) {
    std::cout << "SKIPPED: no profile_probe.exe in a windows build (give its folder, or set "
                 "ZOLT_WIN_BUILD_DIR)\n";
    *status = 77;
    return "";
  }
  const fs::path work = fs::temp_directory_path() / ("zolt_profile_diff_" +
      std::to_string(fs::file_time_type::clock::now().time_since_epoch().count()));
  fs::create_directories(work);
  std::ofstream out(work / "script.txt", std::ios::binary);
  for (const std::string& line : script) out << line << "\n";
  out.close();
  // The probe runs in the work folder, so a relative runner would be lost.
  const std::string runner =
      wine_run.find('/') == std::string::npos ? wine_run : fs::absolute(wine_run).string();
  const std::string command = "cd " + Quoted(work.string()) + " && " + Quoted(runner) + " " +
                              Quoted(probe.string()) + " script.txt results.txt";
  const std::string results =
      std::system(command.c_str()) == 0 ? ReadAll((work / "results.txt").string()) : "";
  *status = results.empty() ? 1 : 0;
  if (results.empty()) std::cout << "the probe failed: " << command << "\n";
  fs::remove_all(work);
  return results;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 4 || (args[2] != "--check" && args[2] != "--live")) {
    std::cerr << "usage: profile_diff CASES KNOWN --check RESULTS\n"
                 "       profile_diff CASES KNOWN --live WIN_BUILD_DIR WINE_RUN [--record FILE]\n";
    return 2;
  }
  const std::vector<std::string> script = DataLines(args[0]);
  std::map<std::string, std::string> known;
  std::set<std::string> varies;
  for (std::string line : DataLines(args[1])) {
    const bool may_agree = line.size() > 7 && line.compare(line.size() - 7, 7, "\tvaries") == 0;
    if (may_agree) line.resize(line.size() - 7);
    const std::size_t tab = line.rfind('\t');
    known[line.substr(0, tab)] = line.substr(tab + 1);
    if (may_agree) varies.insert(line.substr(0, tab));
  }
  std::string results;
  if (args[2] == "--check") {
    results = ReadAll(args[3]);
  } else {
    const char* env = std::getenv("ZOLT_WIN_BUILD_DIR");
    int status = 0;
    results = RunProbe(script, !args[3].empty() ? args[3] : env ? env : "",
                       args.size() > 4 ? args[4] : "wine", &status);
    if (status != 0) return status;
    if (args.size() > 6 && args[5] == "--record") std::ofstream(args[6], std::ios::binary) << results;
  }
  return Checker(std::move(known), std::move(varies)).Run(script, results) ? 0 : 1;
}

}  // namespace
}  // namespace zolt::profile_diff

int main(int argc, char** argv) { return zolt::profile_diff::Main(argc, argv); }
